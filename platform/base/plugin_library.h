#pragma once
// A shared library opened at run time (signature plug-ins, report add-ins): dlopen(RTLD_NOW | RTLD_LOCAL) on Open, dlclose when closed or gone.
#include <string>

namespace zor {

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary() { Close(); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Closes what is open, then opens the library at `path`. False, with Error() saying why, when it
    // cannot be opened (an empty path is refused: dlopen would hand back the program itself).
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }
    // The address of an exported name, null when it is not exported or nothing is open.
    void* Symbol(const char* name) const;
    const std::string& Error() const { return m_error; }

private:
    void* m_handle = nullptr;
    std::string m_error;
};

}  // namespace zor
