#include "platform/base/transport_ini.h"

#include "platform/base/config_paths.h"

#include <sys/stat.h>
#include <system_error>
#include <filesystem>

namespace zor {

namespace {

std::string UserTransportIni() {
    const std::string dir = UserConfigDir();
    return dir.empty() ? std::string() : dir + "/" + std::string(kTransportIniName);
}

bool Exists(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string TransportIniPath() {
    std::string path;
    if (GetEnvNonEmpty("ZOR_TRANSPORT_INI", path)) return path;
    path = UserTransportIni();
    if (Exists(path)) return path;
    return InstalledDictDir() + std::string(kTransportIniName);
}

std::string TransportIniWritePath() {
    std::string path;
    if (GetEnvNonEmpty("ZOR_TRANSPORT_INI", path)) return path;
    return UserTransportIni();
}

bool LoadTransportIni(IniFile& ini, std::string* error) {
    const std::string path = TransportIniPath();
    if (!Exists(path)) {
        ini.Parse({});
        return true;
    }
    return ini.Load(path, error);
}

bool SaveTransportIni(const IniFile& ini, std::string* error) {
    const std::string path = TransportIniWritePath();
    if (path.empty()) {
        if (error) *error = "Не найдена папка настроек пользователя для \"" + std::string(kTransportIniName) + "\"";
        return false;
    }
    std::string env;
    if (!GetEnvNonEmpty("ZOR_TRANSPORT_INI", env)) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        if (ec) {
            if (error) *error = "Не удалось создать папку \"" + std::filesystem::path(path).parent_path().string() + "\": " + ec.message();
            return false;
        }
    }
    return ini.Save(path, error);
}

std::string GetTransportString(std::string_view section, std::string_view key, std::string_view def) {
    IniFile ini;
    LoadTransportIni(ini);
    return ini.GetString(section, key, def);
}

namespace {

template <class Change>
bool ChangeTransportIni(Change change, std::string* error) {
    IniFile ini;
    if (!LoadTransportIni(ini, error)) return false;
    if (!change(ini)) return true;
    return SaveTransportIni(ini, error);
}

}  // namespace

bool WriteTransportString(std::string_view section, std::string_view key, std::string_view value, std::string* error) {
    bool valid = true;
    const bool ok = ChangeTransportIni([&](IniFile& ini) { return valid = ini.SetString(section, key, value); }, error);
    if (!valid && error) *error = "Значение нельзя записать в \"" + std::string(kTransportIniName) + "\"";
    return ok && valid;
}

bool DeleteTransportKey(std::string_view section, std::string_view key, std::string* error) {
    return ChangeTransportIni([&](IniFile& ini) { return ini.DeleteKey(section, key); }, error);
}

std::string DictionaryDir() {
    std::string dir = GetTransportString("Paths", "Dictionary");
    if (dir.empty()) return InstalledDictDir();
    if (dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace zor
