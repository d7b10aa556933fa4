#include "designer/addins/addins.h"

#include <dlfcn.h>

#include <fstream>

namespace quillmark {

std::string AddinListPath(const std::string& dictionaryDir) {
    if (dictionaryDir.empty() || dictionaryDir.back() == '/') return dictionaryDir + "report.add";
    return dictionaryDir + "/report.add";
}

std::string AddinModulePath(const std::string& dictionaryDir, const std::string& line) {
    if (line.empty() || line[0] == '/' || dictionaryDir.empty()) return line;
    return dictionaryDir.back() == '/' ? dictionaryDir + line : dictionaryDir + "/" + line;
}

std::vector<std::string> ReadAddinList(const std::string& dictionaryDir) {
    std::vector<std::string> lines;
    std::ifstream in(AddinListPath(dictionaryDir));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // An empty name would open the program itself.
        if (line.empty() || line[0] == ';') continue;
        lines.push_back(line);
    }
    return lines;
}

void CAddinManager::LoadAddins(const std::string& dictionaryDir) {
    UnloadAddins();
    for (const std::string& line : ReadAddinList(dictionaryDir)) {
        void* module = dlopen(AddinModulePath(dictionaryDir, line).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) continue;
        m_Modules.push_back(module);
        auto getList = reinterpret_cast<zorGetQueryListFn>(dlsym(module, "GetQueryList"));
        if (!getList) continue;
        std::vector<CzorQuery> records;
        if (!getList(&records)) continue;
        std::string addinName = line;
        if (auto getName = reinterpret_cast<zorGetAddinNameFn>(dlsym(module, "GetAddinName")))
            if (const char* name = getName()) addinName = name;
        for (const CzorQuery& record : records) {
            if (record.m_FunctionName.empty()) continue;
            auto function = reinterpret_cast<zorQueryFn>(dlsym(module, record.m_FunctionName.c_str()));
            if (!function) continue;
            m_Queries.push_back(CAddinQuery{record, function, module, addinName});
        }
    }
}

void CAddinManager::UnloadAddins() {
    // The entries hold addresses into the libraries: they go first.
    m_Queries.clear();
    for (auto it = m_Modules.rbegin(); it != m_Modules.rend(); ++it) dlclose(*it);
    m_Modules.clear();
}

CAddinProbe ProbeAddin(const std::string& path) {
    CAddinProbe probe;
    if (path.empty()) return probe;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return probe;
    if (!dlsym(module, "GetQueryList")) {
        probe.result = CAddinProbe::kNotAddin;
    } else {
        probe.result = CAddinProbe::kLoaded;
        if (auto getName = reinterpret_cast<zorGetAddinNameFn>(dlsym(module, "GetAddinName")))
            if (const char* name = getName()) probe.name = name;
    }
    dlclose(module);
    return probe;
}

}  // namespace quillmark
