// Levels and columns: defaults, the store, look-ups, moves and deep copies.
#include "report/tests/sections/sections_fixture.h"

#include "platform/zordata/zordata.h"

namespace sections_test {
namespace {

TEST(LevelColumnDefaults, NewObjects) {
    CColumn c;
    EXPECT_EQ(c.m_nWidth, 500);
    EXPECT_EQ(c.m_nType, kColumnField);
    EXPECT_EQ(c.m_nAlign, 12);
    EXPECT_EQ(c.m_nBorder, 1);
    EXPECT_EQ(c.m_nRowsCount, 1);
    EXPECT_EQ(c.m_nIndex, -1);
    EXPECT_EQ(c.m_nLevel, 0);
    EXPECT_EQ(c.m_nFitText, 0);
    EXPECT_TRUE(c.m_Name.empty());
    EXPECT_EQ(c.m_pColumn, nullptr);
    CSectionLevel level(nullptr);
    EXPECT_EQ(level.m_nHeight, 80);
    EXPECT_EQ(level.m_nFlag, 0);
    EXPECT_EQ(level.m_Columns.GetSize(), 0);
    EXPECT_EQ(level.CreateClon(), nullptr);
    // Without a manager nothing is read or written.
    EXPECT_FALSE(level.Update(true));
    EXPECT_FALSE(c.Update(nullptr, true));
}

using LevelColumnTest = SectionTest;

TEST_F(LevelColumnTest, LevelWritesAndReadsItsColumns) {
    AddColumn("Отдел", zorSTRING);
    CSectionLevel level(&Manager());
    level.m_Name = "Строка";
    level.m_nHeight = 55;
    level.m_nFlag = kLevelHideEmpty | kLevelKeepTogether;
    CColumn* a = NewColumn("А", 120, "Отдел");
    a->m_nRowsCount = 4;
    a->m_TextConst = "постоянный";
    a->m_nType = kColumnText;
    level.m_Columns.Add(a);
    level.m_Columns.Add(NewColumn("Б", 80));
    ASSERT_TRUE(level.Update(true));
    // The data-source column got its zor_col instance from the column's write and keeps it.
    EXPECT_NE(Column("Отдел")->m_pInstance, nullptr);

    CSectionLevel back(&Manager());
    EXPECT_FALSE(back.Update(false));  // no instance
    back.m_pInstance = level.m_pInstance;
    ASSERT_TRUE(back.Update(false));
    EXPECT_EQ(Describe(back), Describe(level));
    EXPECT_EQ(back.m_Columns.GetAt(0)->m_pInstance, a->m_pInstance);

    // Reading again replaces the columns instead of adding to them.
    ASSERT_TRUE(back.Update(false));
    EXPECT_EQ(back.m_Columns.GetSize(), 2);
}

TEST_F(LevelColumnTest, StoredColumnValuesThatNeedMending) {
    AddColumn("Отдел", zorSTRING);
    CColumn column;
    column.m_pColumn = Column("Отдел");
    ASSERT_TRUE(column.Update(&Manager(), true));
    struct Case { int stored; int read; } cases[] = {{0, 1}, {-5, 1}, {1, 1}, {7, 7}};
    for (const Case& c : cases) {
        Store().PutAttr(column.m_pInstance, S().zor_column_rows_count, c.stored);
        CColumn back;
        back.m_pInstance = column.m_pInstance;
        ASSERT_TRUE(back.Update(&Manager(), false));
        EXPECT_EQ(back.m_nRowsCount, c.read) << c.stored;
        EXPECT_EQ(back.m_pColumn, Column("Отдел"));
    }
    // A data-source column removed from the headers reads back as none.
    Manager().GetSelectHeader()->RemoveAll();
    CColumn back;
    back.m_pInstance = column.m_pInstance;
    ASSERT_TRUE(back.Update(&Manager(), false));
    EXPECT_EQ(back.m_pColumn, nullptr);
    // Found in the result-select header as well.
    auto* moved = AddColumn("Отдел", zorSTRING, true);
    CzorInstance* query = nullptr;
    Store().GetAttr(column.m_pInstance, S().zor_column_query_column, query);
    moved->m_pInstance = query;
    ASSERT_TRUE(back.Update(&Manager(), false));
    EXPECT_EQ(back.m_pColumn, moved);
}

TEST(ColumnArray, FindIsExactAndMoveKeepsOrder) {
    CColumnArray columns;
    for (const char* name : {"Сумма", "сумма", "Итог", "Сумма"}) {
        auto* c = new CColumn;
        c->m_Name = name;
        columns.Add(c);
    }
    EXPECT_EQ(columns.Add(nullptr), -1);
    EXPECT_EQ(columns.Find(std::string("Сумма")), 0);
    EXPECT_EQ(columns.Find(std::string("сумма")), 1);
    EXPECT_EQ(columns.Find(std::string("СУММА")), -1);
    EXPECT_EQ(columns.Find(std::string("Итог ")), -1);
    EXPECT_EQ(columns.Find(static_cast<const CzorInstance*>(nullptr)), -1);

    auto names = [&] {
        std::string out;
        for (const CColumn* c : columns) out += c->m_Name + "|";
        return out;
    };
    CColumn stranger;
    struct Case { int from; int to; int result; const char* order; } cases[] = {
        {0, 2, 0, "сумма|Итог|Сумма|Сумма|"},
        {3, 0, 0, "Сумма|сумма|Итог|Сумма|"},
        {1, 1, 0, "Сумма|сумма|Итог|Сумма|"},
        {2, 4, -1, "Сумма|сумма|Итог|Сумма|"},   // past the end
        {2, -1, -1, "Сумма|сумма|Итог|Сумма|"},
        {-1, 0, -1, "Сумма|сумма|Итог|Сумма|"},  // a column not in the array
    };
    for (const Case& c : cases) {
        CColumn* column = c.from >= 0 ? columns.GetAt(c.from) : &stranger;
        EXPECT_EQ(columns.Move(column, c.to), c.result) << c.from << "->" << c.to;
        EXPECT_EQ(names(), c.order) << c.from << "->" << c.to;
    }
    columns.RemoveAt(9);
    columns.RemoveAt(-1);
    EXPECT_EQ(columns.GetSize(), 4);
    columns.RemoveAt(1);
    EXPECT_EQ(names(), "Сумма|Итог|Сумма|");
}

TEST_F(LevelColumnTest, LevelArrayLookupsAndRemoval) {
    CSectionLevelArray levels;
    EXPECT_EQ(levels.Add(nullptr), -1);
    levels.Add(NewLevel("Первый", 10, 0, {NewColumn("a", 1), NewColumn("b", 2)}));
    levels.Add(NewLevel("Второй", 20, 0, {NewColumn("c", 3)}));
    levels.Add(NewLevel("первый", 30, 0, {}));
    EXPECT_EQ(levels.GetAt(3), nullptr);
    EXPECT_EQ(levels.GetAt(-1), nullptr);
    EXPECT_EQ(levels.Find(std::string("первый")), 2);
    EXPECT_EQ(levels.Find(std::string("Третий")), -1);
    EXPECT_EQ(levels.Find(levels.GetAt(1)), 1);

    levels.Update(true);
    CColumn* c = levels.GetColumn(1, 0);
    EXPECT_EQ(levels.GetTitleColumn(c->m_pInstance), c);
    EXPECT_EQ(levels.GetTitleColumn(nullptr), nullptr);
    EXPECT_EQ(levels.GetTitleColumn(levels.GetAt(0)->m_pInstance), nullptr);  // a level, not a column
    int l = -1, i = -1;
    EXPECT_TRUE(levels.Locate(c, l, i));
    EXPECT_EQ(l, 1);
    EXPECT_EQ(i, 0);
    CColumn stranger;
    EXPECT_FALSE(levels.Locate(&stranger, l, i));

    CzorTAggr<CzorInstance> extent(8, false, false);
    extent.Add(nullptr);
    levels.GetExtent(extent);
    ASSERT_EQ(extent.GetSize(), 3);
    EXPECT_EQ(extent.GetAt(2), levels.GetAt(2)->m_pInstance);

    levels.RemoveAt(5);
    levels.RemoveAt(0);
    EXPECT_EQ(levels.GetSize(), 2);
    EXPECT_EQ(levels.GetAt(0)->m_Name, "Второй");
}

TEST_F(LevelColumnTest, LevelCopiesAreDeepAndShareInstances) {
    AddColumn("Отдел", zorSTRING);
    CSectionLevelArray levels;
    levels.Add(NewLevel("Строка", 40, 1, {NewColumn("a", 100, "Отдел"), NewColumn("b", 200)}));
    levels.Update(true);
    CSectionLevelArray copy;
    copy = levels;
    ASSERT_EQ(copy.GetSize(), 1);
    EXPECT_NE(copy.GetAt(0), levels.GetAt(0));
    EXPECT_EQ(copy.GetAt(0)->m_pManager, &Manager());
    EXPECT_EQ(copy.GetAt(0)->m_pInstance, levels.GetAt(0)->m_pInstance);
    EXPECT_NE(copy.GetColumn(0, 0), levels.GetColumn(0, 0));
    EXPECT_EQ(copy.GetColumn(0, 0)->m_pInstance, levels.GetColumn(0, 0)->m_pInstance);
    EXPECT_EQ(copy.GetColumn(0, 0)->m_pColumn, Column("Отдел"));
    EXPECT_EQ(Describe(*copy.GetAt(0)), Describe(*levels.GetAt(0)));
    copy = copy;  // self-assignment keeps the levels
    EXPECT_EQ(copy.GetSize(), 1);

    // Deleting the copy's instances leaves the objects, forgets the instances and takes them from the store.
    CzorInstance* shared = levels.GetAt(0)->m_pInstance;
    copy.GetAt(0)->Delete();
    EXPECT_EQ(copy.GetAt(0)->m_pInstance, nullptr);
    EXPECT_EQ(copy.GetColumn(0, 1)->m_pInstance, nullptr);
    EXPECT_TRUE(shared->IsDeleted());
    copy.Delete();
    EXPECT_EQ(copy.GetSize(), 0);
    // The original writes itself anew.
    ASSERT_TRUE(levels.GetAt(0)->Update(true));
    EXPECT_NE(levels.GetAt(0)->m_pInstance, shared);
    EXPECT_FALSE(levels.GetAt(0)->m_pInstance->IsDeleted());
}

}  // namespace
}  // namespace sections_test
