// The rows of a group and the sums, averages and row counts over them.
#include <string>
#include <vector>

#include "report/model/cell_number.h"
#include "report/model/report_section.h"

bool CReportSection::GetRowsInGroup(const CDataSource& source, const CGroupCol* group, int row,
                                    CTableRowArray& rows) const {
    const int depth = m_Groups.Find(group) + 1;
    const CHeader* header = source.GetHeader();
    if (depth <= 0 || !header || row < 0 || row >= source.GetRowCount()) return false;
    // The key: the row's text in the column of each grouping column from the outermost to this one.
    std::vector<int> keyColumns;
    for (int g = 0; g < depth; ++g) {
        const CHeaderColumn* column = m_Groups.GetAt(g)->m_pColumn;
        const int index = column ? header->Find(column->GetName()) : -1;
        if (index < 0) return false;
        keyColumns.push_back(index);
    }
    CollectGroupRows(source.GetRows(), row, keyColumns, [&](int r) {
        if (!m_Conditions.Compare(source, r)) return false;
        for (const CGroupCol* g : m_Groups)
            if (!g->m_Conditions.Compare(source, r)) return false;
        return true;
    }, rows);
    return true;
}

void CollectGroupRows(const CTableRowArray& order, int row, const std::vector<int>& keyColumns,
                      const std::function<bool(int)>& meets, CTableRowArray& rows) {
    if (row < 0 || row >= static_cast<int>(order.size())) return;
    const CTableRow* given = order[static_cast<size_t>(row)];
    std::vector<std::string> key;
    for (int index : keyColumns) key.push_back(given->GetAsString(index));
    rows.push_back(const_cast<CTableRow*>(given));

    std::string text;
    for (int r = row - 1; r >= 0; --r) {
        if (!meets(r)) continue;
        const CTableRow* earlier = order[static_cast<size_t>(r)];
        bool same = true;
        for (size_t k = 0; k < keyColumns.size() && same; ++k) {
            text.clear();
            earlier->AppendAsString(keyColumns[k], text);
            same = text == key[k];
        }
        if (!same) break;
        rows.push_back(const_cast<CTableRow*>(earlier));
    }
}

namespace {

// Over the group's rows: how many, and the sum of the column's numbers. False without rows or column.
bool GroupTotals(const CReportSection& section, const CDataSource& source, int row, const CGroupCol* group,
                 const CHeaderColumn* column, double& sum, int& count) {
    CTableRowArray rows;
    if (!column || !section.GetRowsInGroup(source, group, row, rows)) return false;
    const int index = source.GetHeader()->Find(column->GetName());
    if (index < 0) return false;
    sum = 0.0;
    for (const CTableRow* r : rows) {
        // Texts count at their full value: data read from a file is all text.
        double number = 0.0;
        if (CellNumber(r->GetColumn(index), number)) sum += number;
    }
    count = static_cast<int>(rows.size());
    return true;
}

}  // namespace

double CReportSection::GetSummInGroup(const CDataSource& source, int row, const CGroupCol* group,
                                      const CHeaderColumn* column) const {
    double sum = 0.0;
    int count = 0;
    return GroupTotals(*this, source, row, group, column, sum, count) ? sum : 0.0;
}

double CReportSection::GetAverangeInGroup(const CDataSource& source, int row, const CGroupCol* group,
                                          const CHeaderColumn* column) const {
    double sum = 0.0;
    int count = 0;
    if (!GroupTotals(*this, source, row, group, column, sum, count) || count == 0) return 0.0;
    return sum / count;
}

double CReportSection::GetCountInGroup(const CDataSource& source, int row, const CGroupCol* group,
                                       const CHeaderColumn*) const {
    CTableRowArray rows;
    return GetRowsInGroup(source, group, row, rows) ? static_cast<double>(rows.size()) : 0.0;
}
