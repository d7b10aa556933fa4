#include "designer/addins/addins.h"

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
        auto module = std::make_unique<zor::PluginLibrary>();
        if (!module->Open(AddinModulePath(dictionaryDir, line))) continue;
        const zor::PluginLibrary& library = *module;
        m_Modules.push_back(std::move(module));
        auto getList = reinterpret_cast<zorGetQueryListFn>(library.Symbol("GetQueryList"));
        if (!getList) continue;
        std::vector<CzorQuery> records;
        if (!getList(&records)) continue;
        std::string addinName = line;
        if (auto getName = reinterpret_cast<zorGetAddinNameFn>(library.Symbol("GetAddinName")))
            if (const char* name = getName()) addinName = name;
        for (const CzorQuery& record : records) {
            if (record.m_FunctionName.empty()) continue;
            auto function = reinterpret_cast<zorQueryFn>(library.Symbol(record.m_FunctionName.c_str()));
            if (!function) continue;
            m_Queries.push_back(CAddinQuery{record, function, &library, addinName});
        }
    }
}

void CAddinManager::UnloadAddins() {
    // The entries hold addresses into the libraries: they go first, then the libraries, last loaded first.
    m_Queries.clear();
    while (!m_Modules.empty()) m_Modules.pop_back();
}

CAddinProbe ProbeAddin(const std::string& path) {
    CAddinProbe probe;
    zor::PluginLibrary library;
    if (!library.Open(path)) return probe;
    if (!library.Symbol("GetQueryList")) {
        probe.result = CAddinProbe::kNotAddin;
    } else {
        probe.result = CAddinProbe::kLoaded;
        if (auto getName = reinterpret_cast<zorGetAddinNameFn>(library.Symbol("GetAddinName")))
            if (const char* name = getName()) probe.name = name;
    }
    return probe;
}

}  // namespace quillmark
