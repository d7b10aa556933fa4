// GenSection's rows: sorting (a stable copy, never the data source's own order), conditions that drop rows,
// group title lines and closing lines with counts and sums, groups shown from their first row, group lines
// kept with what follows them, and the table-of-contents nodes of titled sections and groups.
#include "report/model/group_col.h"
#include "report/tests/sectiongen/sectiongen_fixture.h"

namespace sectiongen_test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class GenGroupsTest : public SectionGenTest {
protected:
    void SetUp() override {
        SectionGenTest::SetUp();
        sheet = NewSheet();
        table = AddTable(sheet, 0, -100, 500, 1000);
        table->SetCurrentSheet(sheet);
    }

    // Detail line: Name and Qty.
    CReportSection* DetailSection() {
        return AddSection(table, {NewColumn("Name", 300, "Name"), NewColumn("Qty", 200, "Qty")});
    }
    // A grouping column with one title line and, when closing is given, one closing line.
    CGroupCol* AddGroup(CReportSection* section, const char* column, std::vector<CColumn*> title,
                        std::vector<CColumn*> closing = {}) {
        CGroupCol* group = NewGroup(column);
        group->m_Font = RowFont();
        if (!title.empty()) group->m_Rows.Add(NewLevel("", 50, 0, std::move(title)));
        if (!closing.empty()) group->m_LastRows.Add(NewLevel("", 50, 0, std::move(closing)));
        section->GetGroups().Add(group);
        return group;
    }
    CColumn* Text(const std::string& text, int width = 300) {
        CColumn* column = NewColumn("", width, nullptr, kColumnText);
        column->m_TextConst = text;
        return column;
    }
    std::vector<std::string> FirstLines(const CReportSheet* on, size_t count) {
        std::vector<std::string> lines = Lines(on);
        if (lines.size() > count) lines.resize(count);
        return lines;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (CTableRow* row : Manager().GetDataSource().GetRows()) names.push_back(row->GetAsString(0));
        return names;
    }

    CReportSheet* sheet = nullptr;
    CTableElement* table = nullptr;
};

TEST_F(GenGroupsTest, GroupTitleAndClosingLinesWithCountAndSumInGroupOrder) {
    SetRows({"Name", "Dept", "Qty"}, {{"x", "B", "2"}, {"y", "A", "3"}, {"z", "B", "5"}, {"w", "A", "2.25"}});
    CReportSection* section = DetailSection();
    section->GetTitle().SetText("Продажи");
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 0));
    CGroupCol* group = AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept"), Text("группа", 200)},
                                {NewColumn("n", 300, nullptr, kColumnCount), NewColumn("s", 200, "Qty", kColumnSum)});
    group->m_Name = "\"Отдел \" + Dept";

    ASSERT_EQ(table->GenTable(), sheet);

    EXPECT_THAT(FirstLines(sheet, 9), ElementsAre("0: Продажи|", "50: A|группа", "100: y|3", "150: w|2.25",
                                                  "200: 2|5", "250: B|группа", "300: x|2", "350: z|5", "400: 2|7"));
    // The last section rules the rest of the table: 11 more lines.
    EXPECT_EQ(Lines(sheet).size(), 20u);
    EXPECT_EQ(Lines(sheet).back(), "950: |");
    // Sorting took a copy: the data source keeps its order for the next section and table.
    EXPECT_THAT(Names(), ElementsAre("x", "y", "z", "w"));

    // The titled section's node, with the groups' nodes under it, each with the page its rows are on.
    ASSERT_EQ(Manager().GetTableContents().GetSize(), 1);
    const CTableContent* own = Manager().GetTableContents().GetAt(0);
    EXPECT_EQ(own->GetTitle(), "Продажи");
    ASSERT_EQ(own->GetChildren().GetSize(), 2);
    EXPECT_EQ(own->GetChildren().GetAt(0)->GetTitle(), "Отдел A");
    EXPECT_EQ(own->GetChildren().GetAt(1)->GetTitle(), "Отдел B");
    for (const CTableContent* node : std::vector<const CTableContent*>{own, own->GetChildren().GetAt(0), own->GetChildren().GetAt(1)}) {
        ASSERT_EQ(node->GetSheets().GetSize(), 1);
        EXPECT_EQ(node->GetSheets().GetAt(0), sheet);
    }
    EXPECT_EQ(section->GetContentNode(), nullptr);  // followed only while the section is generated
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

// A change of the outer group closes and reopens the inner one too; closing lines come outermost first.
TEST_F(GenGroupsTest, AnOuterBreakClosesAndReopensTheInnerGroupOutermostFirst) {
    SetRows({"Name", "Dept", "Qty", "Note"},
            {{"d", "B", "4", "q"}, {"c", "A", "3", "q"}, {"a", "A", "1", "p"}, {"b", "A", "2", "p"}});
    CReportSection* section = DetailSection();
    AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept")},
             {Text("итого-отдел"), NewColumn("n", 200, nullptr, kColumnCount)});
    AddGroup(section, "Note", {NewColumn("Note", 300, "Note")},
             {Text("итого-прим"), NewColumn("n", 200, nullptr, kColumnCount)});

    ASSERT_EQ(table->GenTable(), sheet);

    EXPECT_THAT(FirstLines(sheet, 15),
                ElementsAre("0: A", "50: p", "100: a|1", "150: b|2", "200: итого-прим|2", "250: q", "300: c|3",
                            "350: итого-отдел|3", "400: итого-прим|1", "450: B", "500: q", "550: d|4",
                            "600: итого-отдел|1", "650: итого-прим|1", "700: |"));
    // Without a section title the groups' nodes are top-level, the inner ones under the outer ones.
    ASSERT_EQ(Manager().GetTableContents().GetSize(), 2);
    EXPECT_EQ(Manager().GetTableContents().GetAt(0)->GetChildren().GetSize(), 2);
    EXPECT_EQ(Manager().GetTableContents().GetAt(1)->GetChildren().GetSize(), 1);
}

TEST_F(GenGroupsTest, SectionAndGroupConditionsDropRows) {
    SetRows({"Name", "Dept", "Qty"},
            {{"a", "A", "1"}, {"b", "A", "5"}, {"c", "C", "7"}, {"d", "B", "0.5"}, {"e", "B", "3"}});
    CReportSection* section = DetailSection();
    section->GetConditions().Add(NewCondition("Qty", kCondGreater, kCondAnd, 1.0));
    CGroupCol* group = AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept")},
                                {NewColumn("n", 300, nullptr, kColumnCount), NewColumn("s", 200, "Qty", kColumnSum)});
    group->m_Conditions.Add(NewCondition("Dept", kCondNotEqual, kCondAnd, std::string("C")));

    ASSERT_EQ(table->GenTable(), sheet);

    // a and d fail the section's condition, c its group's; the totals count what is left.
    EXPECT_THAT(FirstLines(sheet, 7), ElementsAre("0: A", "50: b|5", "100: 1|5", "150: B", "200: e|3", "250: 1|3",
                                                  "300: |"));
}

// A row that fails an inner grouping column's conditions opens no group at all: a group that gets no row
// shows neither its title nor closing lines, and no closing line ever totals another group's rows.
struct NoRowCase {
    const char* what;
    std::vector<Row> rows;  // Name, Dept, Note, Qty
    std::vector<std::string> lines;
};

void PrintTo(const NoRowCase& c, std::ostream* os) { *os << c.what; }

class GenGroupsNoRowTest : public GenGroupsTest, public ::testing::WithParamInterface<NoRowCase> {};

TEST_P(GenGroupsNoRowTest, AGroupThatGetsNoRowShowsNothing) {
    SetRows({"Name", "Dept", "Note", "Qty"}, GetParam().rows);
    CReportSection* section = DetailSection();
    AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept")}, {Text("итого"), NewColumn("s", 200, "Qty", kColumnSum)});
    CGroupCol* inner = AddGroup(section, "Note", {NewColumn("Note", 300, "Note")});
    inner->m_Conditions.Add(NewCondition("Note", kCondNotEqual, kCondAnd, std::string("x")));

    ASSERT_EQ(table->GenTable(), sheet);

    EXPECT_THAT(FirstLines(sheet, GetParam().lines.size()), ElementsAreArray(GetParam().lines));
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GenGroupsNoRowTest,
    ::testing::Values(
        NoRowCase{"B_s_only_row_fails_the_inner_condition_C_follows",
                  {{"a", "A", "p", "1"}, {"b", "A", "p", "2"}, {"c", "B", "x", "5"}, {"d", "C", "p", "3"}},
                  {"0: A", "50: p", "100: a|1", "150: b|2", "200: итого|3", "250: C", "300: p", "350: d|3",
                   "400: итого|3", "450: |"}},
        NoRowCase{"B_s_only_row_fails_the_inner_condition_and_is_the_last",
                  {{"a", "A", "p", "1"}, {"c", "B", "x", "5"}},
                  {"0: A", "50: p", "100: a|1", "150: итого|1", "200: |"}},
        NoRowCase{"B_s_first_row_fails_the_inner_condition_its_next_one_opens_it",
                  {{"a", "A", "p", "1"}, {"c", "B", "x", "5"}, {"d", "B", "p", "3"}},
                  {"0: A", "50: p", "100: a|1", "150: итого|1", "200: B", "250: p", "300: d|3", "350: итого|3",
                   "400: |"}}),
    [](const ::testing::TestParamInfo<NoRowCase>& info) { return std::string(info.param.what); });

// A group shown from its first row gives that row its title lines and no detail line. Its closing lines
// count the rows of its own group, also when that group has only the row that opened it.
TEST_F(GenGroupsTest, AGroupShownFromItsFirstRowAndItsClosingLines) {
    SetRows({"Name", "Dept", "Qty"}, {{"a", "A", "1"}, {"b", "A", "2"}, {"c", "B", "3"}});
    CReportSection* section = DetailSection();
    CGroupCol* group = AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept"), NewColumn("Name", 200, "Name")},
                                {NewColumn("n", 300, nullptr, kColumnCount), NewColumn("s", 200, "Qty", kColumnSum)});
    group->m_nShowFirstRow = 1;

    ASSERT_EQ(table->GenTable(), sheet);

    // The last row opens a group: the lines kept with its title are those of a next row, and there is none.
    EXPECT_THAT(FirstLines(sheet, 6), ElementsAre("0: A|a", "50: b|2", "100: 2|3", "150: B|c", "200: 1|3", "250: |"));
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

// A group's title lines are never left alone at the foot of a table: they move on with the row after them.
TEST_F(GenGroupsTest, GroupTitleLinesMoveOnWithTheLineAfterThem) {
    SetRows({"Name", "Dept", "Qty"}, {{"a1", "A", "1"}, {"a2", "A", "2"}, {"b1", "B", "3"}});
    table->SetSize(CSize(500, 200));
    table->SetOrigin(CPoint(0, -300));
    CReportSection* section = DetailSection();
    AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept")});
    UseGenerationSheet(sheet);

    ASSERT_NE(table->GenTable(), nullptr);

    ASSERT_EQ(Manager().GetSheetCount(), 2);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: A", "50: a1|1", "100: a2|2", "150: |"));
    EXPECT_THAT(Lines(Manager().GetSheet(1)), ElementsAre("0: B", "50: b1|3", "100: |", "150: |"));
}

// After the last row nothing follows the closing lines: they stay at the foot of the table when they fit
// there, and move on only when they do not.
class GenGroupsLastClosingTest : public GenGroupsTest, public ::testing::WithParamInterface<int> {};

TEST_P(GenGroupsLastClosingTest, ClosingLinesAfterTheLastRowAreKeptWithNothing) {
    const int rows = GetParam();
    std::vector<Row> data;
    int sum = 0;
    for (int i = 1; i <= rows; ++i) {
        data.push_back({"a" + std::to_string(i), "A", std::to_string(i)});
        sum += i;
    }
    SetRows({"Name", "Dept", "Qty"}, data);
    table->SetSize(CSize(500, 200));
    table->SetOrigin(CPoint(0, -300));
    CReportSection* section = DetailSection();
    AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept")}, {Text("итого"), NewColumn("s", 200, "Qty", kColumnSum)});
    UseGenerationSheet(sheet);

    ASSERT_NE(table->GenTable(), nullptr);

    const std::string closing = "итого|" + std::to_string(sum);
    if (rows == 2) {
        ASSERT_EQ(Manager().GetSheetCount(), 1);
        EXPECT_THAT(Lines(sheet), ElementsAre("0: A", "50: a1|1", "100: a2|2", "150: " + closing));
    } else {
        ASSERT_EQ(Manager().GetSheetCount(), 2);
        EXPECT_THAT(Lines(sheet), ElementsAre("0: A", "50: a1|1", "100: a2|2", "150: a3|3"));
        EXPECT_THAT(Lines(Manager().GetSheet(1)), ElementsAre("0: " + closing, "50: |", "100: |", "150: |"));
    }
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(FitsOrNot, GenGroupsLastClosingTest, ::testing::Values(2, 3));

// Closing lines that go on in a continuation too low for one of their lines end the table.
TEST_F(GenGroupsTest, ClosingLinesAfterTheLastRowThatFindNoRoomInTheContinuation) {
    SetRows({"Name", "Dept"}, {{"", "A"}});
    table->SetSize(CSize(500, 100));
    table->SetOrigin(CPoint(0, -200));
    auto* section = new CReportSection(&Manager());
    section->SetShowEmptyLines(0);
    section->GetLevels().Add(NewLevel("", 50, kLevelHideEmpty, {NewColumn("Name", 300, "Name")}));
    table->GetSections().Add(section);
    AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept")}, {Text("aa bb cc", 50)});  // three lines
    CReportSheet* second = NewSheet();
    AddContinuation(second, table, 0, -100, 500, 40);

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(MessageTexts(), ElementsAre("Ошибка при генерации отчета (-2)."));
    EXPECT_THAT(Lines(sheet), ElementsAre("0: A", "50: aa"));
}

TEST_F(GenGroupsTest, EachSectionSortsItsOwnStableCopyOfTheRows) {
    SetRows({"Name", "Qty"}, {{"b", "2"}, {"a", "3"}, {"c", "1"}, {"a", "1"}});
    CReportSection* byName = DetailSection();
    byName->GetSorts().Add(Column("Name"));
    CReportSection* byQty = DetailSection();
    byQty->GetSorts().Add(Column("Qty"));

    ASSERT_EQ(table->GenTable(), sheet);

    // Rows equal in the key keep the data source's order, in both sections.
    EXPECT_THAT(FirstLines(sheet, 9), ElementsAre("0: a|3", "50: a|1", "100: b|2", "150: c|1", "200: c|1",
                                                  "250: a|1", "300: b|2", "350: a|3", "400: |"));
    EXPECT_THAT(Names(), ElementsAre("b", "a", "c", "a"));
}

TEST_F(GenGroupsTest, ContentsNodesRecordEveryPageTheirRowsReach) {
    std::vector<Row> rows;
    for (int i = 1; i <= 6; ++i) rows.push_back({"a" + std::to_string(i), "A", std::to_string(i)});
    rows.push_back({"b1", "B", "7"});
    SetRows({"Name", "Dept", "Qty"}, rows);
    table->SetSize(CSize(500, 200));
    table->SetOrigin(CPoint(0, -300));
    CReportSection* section = DetailSection();
    section->GetTitle().SetText("Все");
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 0));
    CGroupCol* group = AddGroup(section, "Dept", {NewColumn("Dept", 300, "Dept")});
    group->m_Name = "Dept";
    UseGenerationSheet(sheet);

    ASSERT_NE(table->GenTable(), nullptr);

    ASSERT_EQ(Manager().GetSheetCount(), 3);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: Все|", "50: A", "100: a1|1", "150: a2|2"));
    EXPECT_THAT(Lines(Manager().GetSheet(1)), ElementsAre("0: a3|3", "50: a4|4", "100: a5|5", "150: a6|6"));
    EXPECT_THAT(Lines(Manager().GetSheet(2)), ElementsAre("0: B", "50: b1|7", "100: |", "150: |"));
    const CTableContent* own = Manager().GetTableContents().GetAt(0);
    ASSERT_EQ(own->GetChildren().GetSize(), 2);
    const CTableContent* a = own->GetChildren().GetAt(0);
    const CTableContent* b = own->GetChildren().GetAt(1);
    EXPECT_EQ(a->GetTitle(), "A");
    EXPECT_EQ(b->GetTitle(), "B");
    // The section's node has the page of its title; group A the pages its rows reached; B its own page.
    EXPECT_EQ(own->GetSheets().GetSize(), 1);
    ASSERT_EQ(a->GetSheets().GetSize(), 3);
    EXPECT_EQ(a->GetSheets().GetAt(0), sheet);
    EXPECT_EQ(a->GetSheets().GetAt(1), Manager().GetSheet(1));
    ASSERT_EQ(b->GetSheets().GetSize(), 1);
    EXPECT_EQ(b->GetSheets().GetAt(0), Manager().GetSheet(2));
}

}  // namespace
}  // namespace sectiongen_test
