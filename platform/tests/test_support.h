#pragma once
// Small helpers for tests that touch the environment and the file system.
#include "platform/base/file_io.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace zor::test {

// Sets (or, with nullopt, unsets) an environment variable for the lifetime of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old) ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// The whole file, or "" when it cannot be read.
inline std::string Slurp(const std::string& path) {
    std::string bytes;
    zor::ReadWholeFile(path, bytes);
    return bytes;
}

// A new empty folder, removed with its content at the end of the scope.
class ScopedTempDir {
public:
    ScopedTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~ScopedTempDir() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace zor::test
