// quillmark_example: remakes the example files of examples/ and tells how many sheets a report holds.
//   quillmark_example files <folder>   writes sales.zordot, sales.csv and sales.par into the folder
//   quillmark_example sheets <report>  prints the number of sheets of a report file
// Exit status 0 on success, 1 on a failure (said on stderr), 2 for a wrong call.
#include <cstdio>
#include <string>

#include "platform/base/file_io.h"
#include "platform/base/transport_ini.h"
#include "platform/tests/fixed_clock.h"
#include "platform/zordata/clock.h"
#include "platform/zordata/zordata.h"
#include "report/tests/generation/example_template.h"

namespace {

int Fail(const std::string& text) {
    std::fprintf(stderr, "quillmark_example: %s\n", text.c_str());
    return 1;
}

int WriteFiles(const std::string& folder) {
    // The template file is dated as the tests date it (5 March 2024 at noon), so that it stays what the
    // code makes.
    zor::ScopedClock clock(zor::test::FixedNoon);
    std::string error;
    if (!generation_test::WriteExampleTemplate(folder + "/sales.zordot", &error)) return Fail(error);
    if (!zor::WriteFileAtomically(folder + "/sales.csv", generation_test::ExampleData(), &error)) return Fail(error);
    if (!zor::WriteFileAtomically(folder + "/sales.par", generation_test::ExampleParameters(), &error))
        return Fail(error);
    return 0;
}

int CountSheets(const std::string& report) {
    std::string bytes;
    if (!zor::ReadWholeFile(report, bytes)) return Fail("cannot read " + report);
    // An empty file is a report without pages.
    if (bytes.empty()) {
        std::printf("0\n");
        return 0;
    }
    CzorStepDataWithFile store;
    if (!store.LoadDictionary((zor::DictionaryDir() + "quillmark").c_str())) return Fail(store.GetLastErrorDescription());
    if (!store.LoadFromFile(report.c_str()) && store.GetLastError() != zorErrReadOnly)
        return Fail(store.GetLastErrorDescription());
    CzorTAggr<CzorInstance> roots, sheets;
    store.GetEntityExtentBN("zor_report", roots);
    if (roots.GetSize() == 0) return Fail(report + " holds no report");
    store.GetAttrBN(roots.GetAt(0), "sheets", sheets);
    std::printf("%d\n", sheets.GetSize());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc == 3 ? argv[1] : "";
    if (command == "files") return WriteFiles(argv[2]);
    if (command == "sheets") return CountSheets(argv[2]);
    std::fprintf(stderr, "usage: quillmark_example files <folder> | sheets <report>\n");
    return 2;
}
