// Which Qt platform the program asks for, by display and run kind.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "designer/qt_platform.h"
#include "platform/tests/test_support.h"

namespace {

struct PlatformCase {
    const char* what;
    std::optional<std::string> platform, display, wayland;
    std::string batch, interactive;  // the choice for a batch run and for an interactive start
};

TEST(QtPlatform, ChosenByDisplayAndRunKind) {
    const PlatformCase cases[] = {
        {"no display", std::nullopt, std::nullopt, std::nullopt, "offscreen", "offscreen"},
        {"empty display variables", std::nullopt, "", "", "offscreen", "offscreen"},
        {"the user's platform is kept", "xcb", std::nullopt, std::nullopt, "", ""},
        {"an empty platform setting is no setting", "", std::nullopt, std::nullopt, "offscreen", "offscreen"},
        {"X display", std::nullopt, ":0", std::nullopt, "xcb;offscreen", ""},
        {"Wayland display", std::nullopt, std::nullopt, "wayland-0", "wayland;offscreen", ""},
        {"both displays", std::nullopt, ":0", "wayland-0", "wayland;xcb;offscreen", ""},
    };
    for (const PlatformCase& c : cases) {
        zor::test::ScopedEnv platform("QT_QPA_PLATFORM", c.platform);
        zor::test::ScopedEnv display("DISPLAY", c.display);
        zor::test::ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland);
        EXPECT_EQ(quillmark::ChooseQtPlatform(true), c.batch) << c.what;
        EXPECT_EQ(quillmark::ChooseQtPlatform(false), c.interactive) << c.what;
    }
}

}  // namespace
