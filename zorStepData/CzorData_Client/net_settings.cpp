#include "zorStepData/CzorData_Client/net_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>

#include "platform/base/config_paths.h"
#include "platform/base/inifile.h"
#include "platform/base/transport_ini.h"

namespace zor::net {
namespace {

constexpr const char* kConnections = "ConnectionsList";
constexpr const char* kClient = "Client";
constexpr int kMaxConnections = 100;

// A new file is made 0600 before the atomic writer replaces it, so that its copy takes that mode;
// an existing one is narrowed.
void MakePrivate(const std::string& path) {
    if (path.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    else ::chmod(path.c_str(), 0600);
}

}  // namespace

bool ParseConnectionValue(const std::string& value, CzorConnectionRec& rec) {
    const size_t eq = value.find('='), colon = value.find(':'), slash = value.find('/');
    if (eq == std::string::npos || colon == std::string::npos || slash == std::string::npos || eq > colon ||
        colon > slash)
        return false;
    rec.name = value.substr(0, eq);
    rec.host = value.substr(eq + 1, colon - eq - 1);
    int port = 0;
    std::from_chars(value.data() + colon + 1, value.data() + slash, port);
    rec.port = port;
    const size_t second = value.find('/', slash + 1);
    if (second == std::string::npos) {
        rec.database = value.substr(slash + 1);
        rec.user.clear();
    } else {
        rec.database = value.substr(slash + 1, second - slash - 1);
        rec.user = value.substr(second + 1);
    }
    return true;
}

std::string FormatConnectionValue(const CzorConnectionRec& rec) {
    std::string v = rec.name + "=" + rec.host + ":" + std::to_string(rec.port) + "/" + rec.database;
    if (!rec.user.empty()) v += "/" + rec.user;
    return v;
}

bool ReadConnections(std::vector<CzorConnectionRec>& list, std::string& serverPath, int* skipped) {
    list.clear();
    if (skipped) *skipped = 0;
    zor::IniFile ini;
    zor::LoadTransportIni(ini);
    for (int k = 0; k < kMaxConnections; ++k) {
        const std::string value = ini.GetString(kConnections, std::to_string(k));
        if (value.empty()) continue;
        CzorConnectionRec rec;
        if (!ParseConnectionValue(value, rec)) {
            if (skipped) ++*skipped;
            continue;
        }
        rec.number = k;
        list.push_back(std::move(rec));
    }
    serverPath = ini.GetString("LocalServer", "ServerPath");
    return true;
}

bool WriteConnections(std::vector<CzorConnectionRec>& list, std::string* error) {
    zor::IniFile ini;
    if (!zor::LoadTransportIni(ini, error)) return false;
    int n = 0;
    for (auto& rec : list) {
        rec.number = n;
        if (!ini.SetString(kConnections, std::to_string(n), FormatConnectionValue(rec))) {
            if (error) *error = "connection " + rec.name + " cannot be written";
            return false;
        }
        ++n;
    }
    for (int k = n; k < kMaxConnections; ++k) ini.DeleteKey(kConnections, std::to_string(k));
    MakePrivate(zor::TransportIniWritePath());
    return zor::SaveTransportIni(ini, error);
}

std::string RecentUsersPath() {
    const std::string dir = zor::UserConfigDir();
    return dir.empty() ? std::string() : dir + "/NetApiClient.ini";
}

bool ReadLastActive(std::vector<std::string>& users, std::string& lastConnection) {
    users.clear();
    zor::IniFile ini;
    const std::string path = RecentUsersPath();
    struct stat st {};
    if (!path.empty() && ::stat(path.c_str(), &st) == 0 && !ini.Load(path)) return false;
    const auto first = ini.Get(kClient, "LastUser");
    if (!first) users.push_back("Administrator");
    else if (!first->empty()) users.push_back(*first);
    for (int i = 2; i <= 5; ++i) {
        const std::string u = ini.GetString(kClient, "LastUser" + std::to_string(i));
        if (!u.empty()) users.push_back(u);
    }
    const std::string last = ini.GetString(kClient, "LastDataBase");
    if (!last.empty()) lastConnection = last;
    return true;
}

bool WriteLastActive(const std::vector<std::string>& users, const std::string& lastConnection) {
    const std::string path = RecentUsersPath();
    if (path.empty()) return false;
    zor::IniFile ini;
    ini.Load(path);
    for (int i = 1; i <= 5; ++i) {
        const std::string key = i == 1 ? std::string("LastUser") : "LastUser" + std::to_string(i);
        const size_t at = static_cast<size_t>(i - 1);
        ini.SetString(kClient, key, at < users.size() ? users[at] : std::string());
    }
    ini.SetString(kClient, "LastDataBase", lastConnection);
    MakePrivate(path);
    return ini.Save(path);
}

}  // namespace zor::net
