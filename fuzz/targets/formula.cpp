// The formula language of computed columns: the input is an expression, compiled once against a small
// table of texts, numbers and empty cells, checked without data and evaluated for every row, twice.
#include "fuzz/fuzz_support.h"
#include "platform/zordata/value.h"
#include "report/generation/formula.h"
#include "report/model/data_source.h"

namespace {

struct Table {
    Table() {
        for (const char* name : {"Номер", "Количество", "Цена", "Сумма", "Статус", "Пусто", "A", "B"})
            header.AddColumn(name, zorSTRING);
        const std::vector<std::vector<std::string_view>> cells = {
            {"Д-1", "39", "260", "10140", "выполнен", "", "1", "-2.5"},
            {"Д-2", "7", "", "840", "отменён", "", "1e3", "x"},
            {"", "", "", "", "", "", "", ""},
            {"\"q\"", "-0", "1e308", "1e308", "ВЫПОЛНЕН", "", "nan", "99999999999999999999"},
        };
        for (const auto& row : cells) {
            auto* r = new CTableRow;
            r->AddStrings(row.data(), static_cast<int>(row.size()));
            rows.push_back(r);
        }
    }
    CHeader header;
    std::vector<CTableRow*> rows;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Table* table = [] { fuzz::Folder(); return new Table; }();
    const std::string_view expr(reinterpret_cast<const char*>(data), size);
    const datasource::CFormula formula(expr, &table->header);
    std::vector<const CTableRow*> rows = {nullptr};
    rows.insert(rows.end(), table->rows.begin(), table->rows.end());
    for (const CTableRow* row : rows) {
        // A compiled formula keeps no state between rows: the same row gives the same text twice.
        std::string first, second;
        const bool ok = formula.Evaluate(row, first);
        if (ok != formula.Evaluate(row, second) || first != second)
            fuzz::Fail("formula", "evaluating the same row twice differs");
    }
    // The attribute-path splitter reads the same kind of text.
    std::string path(expr), entity, attr;
    CDataSource::ParseAttr(path, entity, attr);
    return 0;
}
