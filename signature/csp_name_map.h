#pragma once
// The list of signature systems as a provider holds it: system name to plug-in library path, with one
// reserved name, "DefaultCSP", whose value is the NAME of the default system ("" or absent: none).
// Names compare case-sensitively; the names keep the order they were first entered in.
#include <string>
#include <utility>
#include <vector>

namespace sig {

inline constexpr const char* kDefaultCspKey = "DefaultCSP";

class CspConfig;

class CspNameMap {
public:
    // Enters a system; an empty name stands for "DefaultCSP". An empty path is accepted for
    // "DefaultCSP" alone (it clears the default): otherwise 0, nothing changed. A non-zero flag makes the
    // name the default. 1 when entered.
    int SetValue(std::string name, const std::string& path, int makeDefault);
    // Looks a system up. An empty name becomes the default's name (when there is one) and counts as the
    // default. 0, the path untouched, when the name is not in the map; else the path, the is-default flag
    // and 1. With "DefaultCSP" the path is the default's name.
    int GetValue(std::string& name, std::string& path, int& isDefault) const;
    // The names but "DefaultCSP", in the map's order. 0 when the map is empty, else 1 (also when the
    // default is its only entry).
    int GetAllKeys(std::vector<std::string>& names) const;
    // Removes a name's entry (the default keeps naming it). 0 when the name is empty or absent.
    int DeleteKey(const std::string& name);

    // Empties the map and reads the configuration into it: every listed system with a name and a path,
    // then this user's default when it is not empty.
    void ReadFrom(const CspConfig& config);
    void Clear() { m_entries.clear(); }
    // The default system's name, "" when none.
    std::string DefaultName() const;

private:
    const std::string* Find(const std::string& name) const;

    std::vector<std::pair<std::string, std::string>> m_entries;
};

}  // namespace sig
