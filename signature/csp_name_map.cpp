#include "signature/csp_name_map.h"

#include "signature/csp_config.h"

namespace sig {

const std::string* CspNameMap::Find(const std::string& name) const {
    for (const auto& [key, value] : m_entries)
        if (key == name) return &value;
    return nullptr;
}

int CspNameMap::SetValue(std::string name, const std::string& path, int makeDefault) {
    if (name.empty()) name = kDefaultCspKey;
    if (path.empty() && name != kDefaultCspKey) return 0;
    auto put = [this](const std::string& key, const std::string& value) {
        for (auto& entry : m_entries)
            if (entry.first == key) {
                entry.second = value;
                return;
            }
        m_entries.emplace_back(key, value);
    };
    put(name, path);
    if (makeDefault) put(kDefaultCspKey, name);
    return 1;
}

int CspNameMap::GetValue(std::string& name, std::string& path, int& isDefault) const {
    isDefault = 0;
    if (name.empty()) {
        if (const std::string* def = Find(kDefaultCspKey)) name = *def;
        isDefault = 1;
    }
    const std::string* value = Find(name);
    if (!value) return 0;
    path = *value;
    if (!isDefault) {
        const std::string* def = Find(kDefaultCspKey);
        isDefault = def && *def == name ? 1 : 0;
    }
    return 1;
}

int CspNameMap::GetAllKeys(std::vector<std::string>& names) const {
    names.clear();
    if (m_entries.empty()) return 0;
    for (const auto& entry : m_entries)
        if (entry.first != kDefaultCspKey) names.push_back(entry.first);
    return 1;
}

int CspNameMap::DeleteKey(const std::string& name) {
    if (name.empty()) return 0;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
        if (it->first == name) {
            m_entries.erase(it);
            return 1;
        }
    return 0;
}

void CspNameMap::ReadFrom(const CspConfig& config) {
    Clear();
    for (const CspSystem& system : config.ReadSystems()) SetValue(system.name, system.libPath, 0);
    const std::string def = config.ReadDefault();
    if (!def.empty()) SetValue(kDefaultCspKey, def, 0);
}

std::string CspNameMap::DefaultName() const {
    const std::string* def = Find(kDefaultCspKey);
    return def ? *def : std::string();
}

}  // namespace sig
