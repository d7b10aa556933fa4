// Grouping columns: defaults, lists, the store, the rows of a group and the group totals.
#include "report/tests/sections/sections_fixture.h"

#include "platform/zordata/zordata.h"

namespace sections_test {
namespace {

TEST(GroupCol, NewGroupFont) {
    CGroupCol group(nullptr);
    EXPECT_EQ(group.m_Font.lfHeight, 120);
    EXPECT_EQ(group.m_Font.lfCharSet, 204);
    EXPECT_EQ(group.m_Font.FaceName(), "Arial");
    EXPECT_EQ(group.m_Font.lfWeight, 0);
    EXPECT_EQ(group.m_Font.lfItalic, 0);
    EXPECT_EQ(group.m_nShowFirstRow, 0);
    EXPECT_EQ(group.m_pColumn, nullptr);
    EXPECT_FALSE(group.Update(true));
}

TEST(GroupColArray, AppendAndMove) {
    auto names = [](const CGroupColArray& list) {
        std::string out;
        for (const CGroupCol* g : list) out += g->m_Name + "|";
        return out;
    };
    auto make = [](const char* name) {
        auto* g = new CGroupCol(nullptr);
        g->m_Name = name;
        return g;
    };
    CGroupColArray list, other;
    EXPECT_EQ(list.Add(nullptr), -1);
    list.Add(make("a"));
    list.Add(make("b"));
    CGroupCol* c = make("c");
    other.Add(c);
    other.Add(make("d"));
    list.Append(other);
    EXPECT_EQ(other.GetSize(), 0);
    EXPECT_EQ(names(list), "a|b|c|d|");
    EXPECT_EQ(list.GetAt(2), c);  // moved, not copied
    list.Append(list);
    EXPECT_EQ(list.GetSize(), 4);

    struct Case { int from, to; bool result; const char* order; } cases[] = {
        {0, 3, true, "b|c|d|a|"},
        {3, 0, true, "a|b|c|d|"},
        {1, 1, true, "a|b|c|d|"},
        {-1, 0, false, "a|b|c|d|"},
        {0, -2, false, "a|b|c|d|"},
        {4, 0, false, "a|b|c|d|"},
        {2, 1, true, "a|c|b|d|"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(list.Move(k.from, k.to), k.result) << k.from << "->" << k.to;
        EXPECT_EQ(names(list), k.order) << k.from << "->" << k.to;
    }
    list.RemoveAt(9);
    list.RemoveAt(0);
    EXPECT_EQ(names(list), "c|b|d|");
    CGroupColArray copy;
    copy = list;
    EXPECT_EQ(names(copy), "c|b|d|");
    EXPECT_NE(copy.GetAt(0), list.GetAt(0));
}

using GroupTest = SectionTest;

TEST_F(GroupTest, WritesReadsAndDeletes) {
    AddColumn("Отдел", zorSTRING);
    AddColumn("Сумма", zorREAL);
    CGroupCol group(&Manager());
    group.m_pColumn = Column("Отдел");
    group.m_Name = "Отдел";
    group.m_nShowFirstRow = 1;
    group.m_Font.lfHeight = 90;
    group.m_Font.lfWeight = 700;
    group.m_Font.SetFaceName("Courier New");
    group.m_Rows.Add(NewLevel("Заголовок", 40, 0, {NewColumn("Отдел", 500, "Отдел")}));
    group.m_LastRows.Add(NewLevel("Итог", 40, 1, {NewColumn("Сумма", 500, "Сумма", kColumnSum)}));
    group.m_LastRows.Add(NewLevel("Строк", 40, 0, {NewColumn("Строк", 500, nullptr, kColumnCount)}));
    group.m_Conditions.Add(NewCondition("Сумма", kCondGreater, kCondAnd, 0.0));
    const int before = Store().GetInstanceCount();
    ASSERT_TRUE(group.Update(true));
    CzorInstance* font = nullptr;
    ASSERT_TRUE(Store().GetAttr(group.m_pInstance, S().zor_group_col_font, font));
    // Writing again reuses every instance, the font's too.
    const int written = Store().GetInstanceCount();
    ASSERT_TRUE(group.Update(true));
    EXPECT_EQ(Store().GetInstanceCount(), written);

    CGroupCol back(&Manager());
    EXPECT_FALSE(back.Update(false));
    back.m_pInstance = group.m_pInstance;
    ASSERT_TRUE(back.Update(false));
    ASSERT_TRUE(back.Update(false));  // reading twice doubles nothing
    CReportSection a(&Manager()), b(&Manager());
    auto* ga = new CGroupCol(&Manager());
    *ga = group;
    a.GetGroups().Add(ga);
    auto* gb = new CGroupCol(&Manager());
    *gb = back;
    b.GetGroups().Add(gb);
    EXPECT_EQ(Describe(b), Describe(a));
    EXPECT_EQ(ga->m_pInstance, group.m_pInstance);  // a copy shares the instance

    group.Delete();
    EXPECT_EQ(group.m_pInstance, nullptr);
    EXPECT_EQ(group.m_Rows.GetSize(), 0);
    EXPECT_EQ(group.m_LastRows.GetSize(), 0);
    EXPECT_EQ(group.m_Conditions.GetSize(), 0);
    EXPECT_TRUE(font->IsDeleted());
    EXPECT_EQ(Store().GetInstanceCount(), before + 2);  // only the two header columns' zor_col stay
}

TEST_F(GroupTest, MissingColumnIsWrittenAsNone) {
    CGroupCol group(&Manager());
    ASSERT_TRUE(group.Update(true));
    CzorInstance* column = nullptr;
    EXPECT_FALSE(Store().GetAttr(group.m_pInstance, S().zor_group_col_column, column));
}

// Rows of a data source sorted by department and city, with a value column of mixed cells.
class GroupRowsTest : public SectionTest {
protected:
    void SetUp() override {
        SectionTest::SetUp();
        AddColumn("Отдел", zorSTRING);
        AddColumn("Город", zorSTRING);
        AddColumn("Сумма", zorSTRING);
        AddColumn("Флаг", zorINTEGER);
        SetRows({"Отдел", "Город", "Сумма", "Флаг"},
                {
                    {std::string("A"), std::string("x"), 1.5, 1},                    // 0
                    {std::string("A"), std::string("x"), 2, 1},                      // 1
                    {std::string("A"), std::string("x"), std::string("12.7"), 0},   // 2 fails "Флаг == 1"
                    {std::string("A"), std::string("y"), std::string(" 3 "), 1},    // 3
                    {std::string("A"), std::string("y"), std::string("abc"), 1},    // 4
                    {std::string("B"), std::string("y"), std::string(""), 1},       // 5
                    {std::string("A"), std::string("y"), std::string("1.5"), 1},    // 6
                    {std::string("A"), std::string("y"), std::string("2.5"), 1},    // 7
                });
        outer = NewGroup("Отдел");
        inner = NewGroup("Город");
        section.GetGroups().Add(outer);
        section.GetGroups().Add(inner);
    }
    std::vector<int> Group(const CGroupCol* group, int row, bool* ok = nullptr) {
        CTableRowArray rows;
        const bool found = section.GetRowsInGroup(Manager().GetDataSource(), group, row, rows);
        if (ok) *ok = found;
        std::vector<int> out;
        for (CTableRow* r : rows) out.push_back(Manager().GetDataSource().FindRow(r));
        return out;
    }
    CReportSection section{&Manager()};
    CGroupCol* outer = nullptr;
    CGroupCol* inner = nullptr;
};

TEST_F(GroupRowsTest, RowsOfAGroup) {
    enum { kNone, kSection, kOuter, kInner };
    struct Case { const char* what; bool inner; int row; int condition; std::vector<int> rows; } cases[] = {
        {"outer group runs back to the first row", false, 4, kNone, {4, 3, 2, 1, 0}},
        {"inner group stops where the city changes", true, 4, kNone, {4, 3}},
        {"inner group of an earlier city", true, 2, kNone, {2, 1, 0}},
        {"the row that opens a group is alone", false, 0, kNone, {0}},
        {"A, A, B, A: the last row is a group of one", false, 6, kNone, {6}},
        {"a run after a break", true, 7, kNone, {7, 6}},
        {"a row failing the section's conditions is passed over", false, 3, kSection, {3, 1, 0}},
        {"a row failing the outer group's conditions is passed over", false, 3, kOuter, {3, 1, 0}},
        {"a row failing an inner group's conditions is passed over too", false, 3, kInner, {3, 1, 0}},
        {"the given row is in even when it fails", false, 2, kOuter, {2, 1, 0}},
    };
    for (const Case& c : cases) {
        section.GetConditions().RemoveAll();
        outer->m_Conditions.RemoveAll();
        inner->m_Conditions.RemoveAll();
        CConditionArray* target = c.condition == kSection ? &section.GetConditions()
                                  : c.condition == kOuter ? &outer->m_Conditions
                                  : c.condition == kInner ? &inner->m_Conditions
                                                          : nullptr;
        if (target) target->Add(NewCondition("Флаг", kCondEqual, kCondAnd, 1));
        bool ok = false;
        EXPECT_EQ(Group(c.inner ? inner : outer, c.row, &ok), c.rows) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
}

TEST_F(GroupRowsTest, RowsOfAGroupThatCannotBeFound) {
    bool ok = true;
    CGroupCol stranger(&Manager());
    stranger.m_pColumn = Column("Отдел");
    EXPECT_TRUE(Group(&stranger, 1, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Group(nullptr, 1, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Group(outer, 8, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Group(outer, -1, &ok).empty());
    EXPECT_FALSE(ok);
    // A grouping column whose column was not found when read: no rows, no dereference.
    outer->m_pColumn = nullptr;
    EXPECT_TRUE(Group(inner, 1, &ok).empty());
    EXPECT_FALSE(ok);
    // A column the data source does not hold.
    outer->m_pColumn = AddColumn("Склад", zorSTRING);
    EXPECT_TRUE(Group(outer, 1, &ok).empty());
    EXPECT_FALSE(ok);
}

TEST_F(GroupRowsTest, GroupTotals) {
    const CDataSource& source = Manager().GetDataSource();
    CHeaderColumn* sum = Column("Сумма");
    struct Case { const char* what; const CGroupCol* group; int row; const CHeaderColumn* column; double sum, average, count; } cases[] = {
        {"real and integer", inner, 1, sum, 3.5, 1.75, 2},
        {"a number text counts at its full value", inner, 2, sum, 16.2, 5.4, 3},
        {"blanks around a number", inner, 3, sum, 3, 3, 1},
        {"a text that is no number adds 0", inner, 4, sum, 3, 1.5, 2},
        {"an empty text adds 0", outer, 5, sum, 0, 0, 1},
        {"1.5 and 2.5 as texts", inner, 7, sum, 4, 2, 2},
        {"the whole outer group", outer, 4, sum, 19.2, 3.84, 5},
        {"integer column", outer, 4, Column("Флаг"), 4, 0.8, 5},
        {"no column: the count only", outer, 4, nullptr, 0, 0, 5},
        {"a column the data source lacks", outer, 4, AddColumn("Нет", zorREAL), 0, 0, 5},
        {"a detail line has no group", nullptr, 4, sum, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(section.GetSummInGroup(source, c.row, c.group, c.column), c.sum, 1e-9) << c.what;
        EXPECT_NEAR(section.GetAverangeInGroup(source, c.row, c.group, c.column), c.average, 1e-9) << c.what;
        EXPECT_EQ(section.GetCountInGroup(source, c.row, c.group, c.column), c.count) << c.what;
    }
}

}  // namespace
}  // namespace sections_test
