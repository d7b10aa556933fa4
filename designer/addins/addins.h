#pragma once
// Add-in modules: the libraries named in "report.add" of the dictionary folder, loaded at start-up and
// kept until exit, and the queries they supply for report data sources.
#include <memory>
#include <string>
#include <vector>

#include "designer/addins/quillmark_addin.h"
#include "platform/base/plugin_library.h"

namespace quillmark {

// One query of a loaded add-in: the record as the add-in gave it (strings copied into the program), its
// function and the module it lives in.
struct CAddinQuery {
    CzorQuery query;
    zorQueryFn function = nullptr;
    const zor::PluginLibrary* module = nullptr;
    std::string addinName;
};

class CAddinManager {
public:
    CAddinManager() = default;
    ~CAddinManager() { UnloadAddins(); }
    CAddinManager(const CAddinManager&) = delete;
    CAddinManager& operator=(const CAddinManager&) = delete;

    // Unloads, then loads every library that dictionaryDir + "report.add" names (blank lines and lines
    // starting with ';' skipped; relative paths taken from the dictionary folder). Failures are skipped
    // quietly: a missing file loads nothing.
    void LoadAddins(const std::string& dictionaryDir);
    // Forgets every query, then frees every library; both lists end empty.
    void UnloadAddins();

    const std::vector<CAddinQuery>& Queries() const { return m_Queries; }
    size_t ModuleCount() const { return m_Modules.size(); }

private:
    std::vector<CAddinQuery> m_Queries;
    std::vector<std::unique_ptr<zor::PluginLibrary>> m_Modules;
};

// "report.add" in the dictionary folder.
std::string AddinListPath(const std::string& dictionaryDir);
// A line of "report.add" as a library path: relative paths are taken from the dictionary folder.
std::string AddinModulePath(const std::string& dictionaryDir, const std::string& line);
// The lines of "report.add" that name libraries (comments, blank lines and line ends dropped).
std::vector<std::string> ReadAddinList(const std::string& dictionaryDir);

// What the settings dialog learns of a library by loading it for a moment.
struct CAddinProbe {
    enum Result { kLoaded, kNotLoadable, kNotAddin } result = kNotLoadable;
    std::string name;  // GetAddinName's text, when exported
};
CAddinProbe ProbeAddin(const std::string& path);

}  // namespace quillmark
