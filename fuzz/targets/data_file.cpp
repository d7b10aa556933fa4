// Separated-values data files as generation reads them, extended with formula columns and sorted. The input
// is the data file; after a NUL byte may follow formula columns, one "name=expression" a line. A file that
// loads is saved twice with the same bytes, and the saved file reads back and saves to those bytes again.
#include "fuzz/fuzz_support.h"
#include "platform/zordata/value.h"
#include "report/model/data_source.h"

namespace {

std::string Save(const CDataSource& source, const char* name) {
    const std::string path = fuzz::PathOf(name);
    if (!source.SaveToFile(path)) fuzz::Fail("data_file", "a loaded data file cannot be saved");
    return fuzz::ReadFile(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto [file, formulas] = fuzz::SplitAtNul(data, size);
    const std::string in = fuzz::PathOf("in.csv");
    fuzz::WriteFile(in, file);
    CDataSource source;
    if (!source.LoadFromFile(in)) return 0;

    CHeader computed;
    std::string_view rest = formulas;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        computed.AddColumn(new CHeaderColumn(kFormulaColumn, std::string(rest.substr(0, end)), zorSTRING));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    source.Extend(&computed, nullptr);
    int rows = 0, columns = 0;
    source.GetSize(rows, columns);
    for (int r = 0; r < rows; ++r)
        if (source.GetRow(r)->GetSize() != columns) fuzz::Fail("data_file", "a row without one cell per column");
    if (columns > 0) source.Sort(columns - 1, &source.GetRows());

    // A saved file spells every cell out, missing ones too, so its size is rows times columns whatever the
    // input's; past a bound a user's file would not reach, the round trip says nothing new and is passed over.
    if (static_cast<long long>(rows) * columns > 1'000'000) return 0;
    const std::string first = Save(source, "first.csv");
    fuzz::SameBytes("data_file", "saving twice", first, Save(source, "second.csv"));
    CDataSource again;
    if (!again.LoadFromFile(fuzz::PathOf("first.csv"))) fuzz::Fail("data_file", "a saved data file does not load");
    fuzz::SameBytes("data_file", "saving what was saved", first, Save(again, "third.csv"));
    return 0;
}
