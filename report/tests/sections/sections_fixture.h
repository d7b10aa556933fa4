#pragma once
// A manager attached to a store of the report dictionary, with data-source columns in its select header and
// rows in its data source, and helpers that build, describe and enumerate table sections.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <variant>
#include <vector>

#include "report/model/condition.h"
#include "report/model/data_source.h"
#include "report/model/group_col.h"
#include "report/model/report_section.h"
#include "report/model/section_level.h"
#include "report/tests/model/model_fixture.h"

namespace sections_test {

// A data-source cell: none, an integer, a real or a text (what a separated-values file gives).
using Cell = std::variant<std::monostate, int, double, std::string>;
using Row = std::vector<Cell>;

class SectionTest : public model_test::ModelTest {
protected:
    // A column of the manager's select header (result-select header with result set).
    CHeaderColumn* AddColumn(const std::string& name, int type, bool result = false);
    CHeaderColumn* Column(const std::string& name);
    // Replaces the manager's data source with a header of these names and these rows.
    void SetRows(const std::vector<std::string>& names, const std::vector<Row>& rows);
    static void SetRows(CDataSource& source, const std::vector<std::string>& names, const std::vector<Row>& rows);

    // Writes both headers to the store (their zor_col instances listed by a zor_select and a
    // zor_result_select), as the program keeps them in a template.
    void WriteHeaders();

    // New parts, owned by the caller until added.
    CColumn* NewColumn(const std::string& name, int width, const char* source = nullptr, int kind = kColumnField);
    CSectionLevel* NewLevel(const std::string& name, int height, int flags, std::vector<CColumn*> columns);
    CCondition* NewCondition(const char* column, int comparison, int link, Cell constant);
    CGroupCol* NewGroup(const char* column);

    // A section with every part: levels with cell columns of every kind, conditions joined by "and" and
    // "or", two grouping columns with title and closing lines and conditions, sort columns and a title
    // column. Its data-source columns are made in the select header when missing.
    CReportSection* BuildFullSection();
};

// Reads both headers back from the store into manager (the counterpart of WriteHeaders).
void ReadHeaders(CFolivox& manager);

// Every field of the section and its parts as text, one line per object; store instances never. What the
// store keeps: everything but the columns' position numbers, data-source columns by name. What a memory
// record carries: name, title and levels, position numbers included.
enum class View { kStore, kRecord };
std::string Describe(const CReportSection& section, View view = View::kStore);
std::string Describe(const CSectionLevel& level, View view = View::kStore);

// Every store instance the section holds (its own, its title's, its parts', the grouping columns' fonts),
// not the header columns'. Null entries are left out.
std::set<CzorInstance*> InstancesOf(CFolivox& manager, const CReportSection& section);

}  // namespace sections_test
