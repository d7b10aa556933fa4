#include "platform/base/config_paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#ifndef QM_INSTALLED_DICT_DIR
#error "QM_INSTALLED_DICT_DIR must name the installed data folder"
#endif

namespace zor {

bool GetEnvNonEmpty(const char* name, std::string& value) {
    const char* v = std::getenv(name);
    if (!v || !*v) return false;
    value = v;
    return true;
}

namespace {

std::string HomeDir() {
    std::string home;
    if (GetEnvNonEmpty("HOME", home) && home[0] == '/') return home;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

std::string WithoutTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string UserConfigDir() {
    std::string base;
    // Relative values are to be ignored, as the XDG rules say.
    if (!GetEnvNonEmpty("XDG_CONFIG_HOME", base) || base[0] != '/') {
        const std::string home = HomeDir();
        if (home.empty()) return {};
        base = WithoutTrailingSlashes(home) + "/.config";
    }
    return WithoutTrailingSlashes(base) + "/Veldcourt";
}

std::string UserStateDir() {
    std::string base;
    if (!GetEnvNonEmpty("XDG_STATE_HOME", base) || base[0] != '/') {
        const std::string home = HomeDir();
        if (home.empty()) return {};
        base = WithoutTrailingSlashes(home) + "/.local/state";
    }
    return WithoutTrailingSlashes(base) + "/Veldcourt";
}

std::string MachineConfigDir() {
    std::string dirs;
    if (GetEnvNonEmpty("XDG_CONFIG_DIRS", dirs)) {
        size_t start = 0;
        while (start <= dirs.size()) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            const std::string dir = WithoutTrailingSlashes(dirs.substr(start, end - start));
            if (!dir.empty() && dir[0] == '/') return dir + "/Veldcourt";
            start = end + 1;
        }
    }
    return "/etc/xdg/Veldcourt";
}

std::string InstalledDictDir() {
    std::string dir = QM_INSTALLED_DICT_DIR;
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace zor
