#include "signature/csp_config.h"

#include "platform/base/config_paths.h"
#include "platform/base/inifile.h"
#include "signature/csp_name_map.h"
#include "platform/text/case_fold.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace sig {

namespace {

constexpr const char* kSystemsFileName = "SigilonCSP.ini";
constexpr const char* kUserFileName = "Sigilon.ini";
constexpr const char* kUserSection = "CSP";
constexpr const char* kNameKey = "Name";
constexpr const char* kPathKey = "LibPath";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Loads a file that is to be changed: a missing file loads empty, one that exists must be read whole.
// `exists` tells which; false with `error` when it exists and cannot be read.
bool LoadForWriting(const std::string& path, zor::IniFile& ini, bool& exists, std::string* error) {
    exists = false;
    if (path.empty()) {
        if (error) *error = "no configuration folder is known (neither $XDG_CONFIG_HOME nor $HOME is set)";
        return false;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    exists = true;
    std::string why;
    if (!S_ISREG(st.st_mode) || !ini.Load(path, &why)) {
        if (error) *error = path + ": " + (why.empty() ? "not a regular file" : why);
        return false;
    }
    return true;
}

bool Save(const zor::IniFile& ini, const std::string& path, std::string* error) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        // The folder may be new; what cannot be made shows in the save's own error.
        const std::string folder = path.substr(0, slash);
        if (!Exists(folder)) {
            for (size_t at = 1; at <= folder.size(); ++at)
                if (at == folder.size() || folder[at] == '/') ::mkdir(folder.substr(0, at).c_str(), 0755);
        }
    }
    std::string why;
    if (ini.Save(path, &why)) return true;
    if (error) *error = path + ": " + why;
    return false;
}

bool IsSystemSection(const zor::IniFile& ini, const std::string& section, std::string& name) {
    auto value = ini.Get(section, kNameKey);
    if (!value) return false;
    name = *value;
    return true;
}

std::string NewSectionName(const zor::IniFile& ini) {
    const std::vector<std::string> sections = ini.SectionNames();
    for (int n = 1;; ++n) {
        const std::string candidate = "CSP " + std::to_string(n);
        bool taken = false;
        for (const std::string& s : sections) taken = taken || zor::EqualsFolded(s, candidate);
        if (!taken) return candidate;
    }
}

}  // namespace

CspConfigFiles CspConfigFiles::FromEnvironment() {
    CspConfigFiles files;
    const std::string user = zor::UserConfigDir();
    if (!user.empty()) files.userFile = user + "/" + kUserFileName;
    const std::string userSystems = user.empty() ? std::string() : user + "/" + kSystemsFileName;
    files.systemsFile = !userSystems.empty() && Exists(userSystems)
                            ? userSystems
                            : zor::MachineConfigDir() + "/" + kSystemsFileName;
    return files;
}

std::vector<CspSystem> CspConfig::ReadSystems() const {
    std::vector<CspSystem> systems;
    zor::IniFile ini;
    if (m_files.systemsFile.empty() || !ini.Load(m_files.systemsFile)) return systems;
    for (const std::string& section : ini.SectionNames()) {
        CspSystem system;
        if (!IsSystemSection(ini, section, system.name)) continue;
        system.libPath = ini.GetString(section, kPathKey);
        // "DefaultCSP" names the default in a provider's map: a system of that name would replace it.
        if (system.name.empty() || system.libPath.empty() || system.name == kDefaultCspKey) continue;
        systems.push_back(std::move(system));
    }
    return systems;
}

std::string CspConfig::ReadDefault() const {
    zor::IniFile ini;
    if (m_files.userFile.empty() || !ini.Load(m_files.userFile)) return {};
    return ini.GetString(kUserSection, kDefaultCspKey);
}

bool CspConfig::ApplySystems(const CspSystemsEdit& edit, std::string* error) const {
    zor::IniFile ini;
    bool exists = false;
    if (!LoadForWriting(m_files.systemsFile, ini, exists, error)) return false;
    bool changed = false;
    for (const std::string& gone : edit.remove) {
        for (const std::string& section : ini.SectionNames()) {
            std::string name;
            if (IsSystemSection(ini, section, name) && zor::EqualsFolded(name, gone))
                changed = ini.DeleteSection(section) || changed;
        }
    }
    if (edit.put) {
        std::string target;
        for (const std::string& section : ini.SectionNames()) {
            std::string name;
            if (!IsSystemSection(ini, section, name) || !zor::EqualsFolded(name, edit.put->name)) continue;
            if (target.empty()) target = section;
            else changed = ini.DeleteSection(section) || changed;  // one system per name
        }
        if (target.empty() && !edit.putExistingOnly) target = NewSectionName(ini);
        if (!target.empty()) {
            if (!ini.SetString(target, kNameKey, edit.put->name) || !ini.SetString(target, kPathKey, edit.put->libPath)) {
                if (error) *error = m_files.systemsFile + ": the name or the path cannot be written as one line";
                return false;
            }
            changed = true;
        }
    }
    if (!changed) return true;
    return Save(ini, m_files.systemsFile, error);
}

bool CspConfig::WriteDefault(const std::string& name, bool createWhenMissing, std::string* error) const {
    zor::IniFile ini;
    bool exists = false;
    if (!LoadForWriting(m_files.userFile, ini, exists, error)) return false;
    if (!exists && !createWhenMissing) return true;
    if (!ini.SetString(kUserSection, kDefaultCspKey, name)) {
        if (error) *error = m_files.userFile + ": the name cannot be written as one line";
        return false;
    }
    return Save(ini, m_files.userFile, error);
}

}  // namespace sig
