#include "fuzz/generation_support.h"

#include <cstdio>
#include <ctime>

#include "fuzz/fuzz_support.h"
#include "platform/zordata/zordata.h"
#include "report/generation/generate_report.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"

namespace fuzz {

std::string SmallDataFile() { return SourcePath("fuzz/data/sales-20.csv"); }

bool LoadsAsStore(const std::string& path) {
    static CzorStepDataWithFile* store = [] {
        auto* s = new CzorStepDataWithFile;
        if (!s->LoadDictionary(DictionaryPath().c_str())) Fail("generation", "no dictionary");
        return s;
    }();
    const bool loaded = store->LoadFromFile(path.c_str());
    store->ClearData();
    return loaded;
}

bool Generate(const char* target, const std::string& templatePath, const std::string& parPath,
              const std::string& reportPath) {
    Folder();
    // Dates of generation stay the same from run to run, so that a finding repeats.
    static CScopedGenerationClock* clock = new CScopedGenerationClock([] { return std::time_t(1709640000); });
    (void)clock;
    CFolivox manager;
    if (!manager.GetDataSource().LoadFromFile(SmallDataFile())) Fail(target, "the data file does not load");
    std::remove(reportPath.c_str());
    if (!GenerateReport(&manager, templatePath.c_str(), parPath.c_str(), reportPath.c_str(), nullptr)) {
        if (FILE* f = std::fopen(reportPath.c_str(), "rb")) {
            std::fclose(f);
            Fail(target, "a failed generation left a report behind");
        }
        return false;
    }
    if (!LoadsAsStore(reportPath)) Fail(target, "a generated report does not load");
    return true;
}

}  // namespace fuzz
