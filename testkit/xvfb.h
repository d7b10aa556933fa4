#pragma once
// A virtual X server of our own for tests that need real windows: Xvfb on a free display with a fixed
// screen (1280 x 1024, 24 bits, 96 dpi), stopped at the end of the scope.
#include <string>
#include <sys/types.h>

namespace quillmark_test {

class XvfbDisplay {
public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    static constexpr int kWidth = 1280, kHeight = 1024;

    // False with the reason when Xvfb is not installed or gives no display within ten seconds.
    bool Start(std::string& why);
    // ":N", empty before a successful start.
    const std::string& Name() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

// The path of an installed program, empty when none of the usual folders has it.
std::string FindTool(const std::string& name);

}  // namespace quillmark_test
