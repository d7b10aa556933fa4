#pragma once
// Configuration folders of their own for signature tests, and the test plug-ins' paths.
#include "platform/tests/test_support.h"
#include "signature/csp_config.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace sig::test {

// $XDG_CONFIG_HOME and $XDG_CONFIG_DIRS pointed into a temporary folder for the test's lifetime.
class ConfigFolders {
public:
    ConfigFolders()
        : m_home("XDG_CONFIG_HOME", m_dir / "user"), m_dirs("XDG_CONFIG_DIRS", m_dir / "machine") {}

    std::string SystemsFile() const { return m_dir / "machine/Veldcourt/SigilonCSP.ini"; }
    std::string UserSystemsFile() const { return m_dir / "user/Veldcourt/SigilonCSP.ini"; }
    std::string UserFile() const { return m_dir / "user/Veldcourt/Sigilon.ini"; }
    std::string Path(const std::string& name) const { return m_dir / name; }

    // Writes a file, making its folders.
    static void Write(const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_TRUE(zor::WriteFileAtomically(path, bytes));
    }
    void WriteSystems(const std::vector<CspSystem>& systems) const {
        std::string text;
        int n = 0;
        for (const CspSystem& s : systems)
            text += "[CSP " + std::to_string(++n) + "]\nName=" + s.name + "\nLibPath=" + s.libPath + "\n";
        Write(SystemsFile(), text);
    }
    void WriteDefault(const std::string& name) const { Write(UserFile(), "[CSP]\nDefaultCSP=" + name + "\n"); }

private:
    zor::test::ScopedTempDir m_dir;
    zor::test::ScopedEnv m_home;
    zor::test::ScopedEnv m_dirs;
};

// Whether the library at `path` is loaded in this process now.
inline bool IsLoadedInProcess(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return false;
    ::dlclose(handle);
    return true;
}

}  // namespace sig::test
