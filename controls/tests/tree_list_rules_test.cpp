#include "controls/treelist/tree_list_rules.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using namespace zor;

TEST(TreeListRules, ColumnTypesDateFirst) {
    CTreeListColumnMarks marks;
    EXPECT_EQ(marks.SetColumnNum(2), 0);
    EXPECT_EQ(marks.SetColumnNum(3), 1);
    EXPECT_EQ(marks.SetColumnDate(3), 0);
    EXPECT_EQ(marks.GetColType(0), kColText);
    EXPECT_EQ(marks.GetColType(2), kColNumber);
    EXPECT_EQ(marks.GetColType(3), kColDate);  // marked both: the date list wins
}

TEST(TreeListRules, CompareCellsTable) {
    struct Case { int type; bool ascending, sortAll, roots; const char *a, *b; int expected; };
    const Case cases[] = {
        {kColText, true, true, false, "abc", "ABD", -1},
        {kColText, true, true, false, "Ёлка", "ёлка", 0},
        {kColText, true, true, false, "яблоко", "Арбуз", 1},
        {kColText, false, true, false, "a", "b", 1},
        {kColText, true, true, false, "", "a", -1},  // a missing cell is an empty text
        {kColNumber, true, true, false, "10", "9.5", 1},
        {kColNumber, true, true, false, "-1e2", "0", -1},
        {kColNumber, true, true, false, "abc", "0", 0},  // non-numeric reads as 0
        {kColNumber, true, true, false, "", "0.0", 0},
        {kColNumber, true, true, false, "12abc", "12", 0},  // the leading number counts
        {kColDate, true, true, false, "31.12.2024", "01.01.2025", -1},
        {kColDate, true, true, false, "31.12.2024 23:59", "31.12.2024", 1},
        {kColDate, true, true, false, "2024-12-31", "31.12.2024", 0},
        {kColDate, true, true, false, "2024-12-31T10:00", "31.12.2024 10:00", 0},
        {kColDate, true, true, false, "junk", "31.12.8999", 1},  // after every real date
        {kColDate, true, true, false, "junk", "", 0},            // both count as 9000-01-01
        {kColDate, true, true, false, "2024-02-30", "01.01.3000", 1},  // no such day
        {kColDate, false, true, false, "01.01.2000", "02.01.2000", 1},
        // Rows without a parent link stay where they are unless everything is sorted.
        {kColText, true, false, true, "b", "a", 0},
        {kColText, true, false, false, "b", "a", 1},
        {kColText, true, true, true, "b", "a", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareTreeListCells(c.type, c.ascending, c.sortAll, c.roots, c.a, c.b), c.expected)
            << c.type << " '" << c.a << "' '" << c.b << "'";
}

TEST(TreeListRules, GetNextLineTable) {
    struct Case { std::string text, line, rest; };
    const Case cases[] = {
        {"one\r\ntwo", "one", "two"},
        {"one\rXtwo", "one", "two"},  // the character after the return goes whatever it is
        {"no return", "", "no return"},
        {"\r\n", "", ""},
        {"end\r", "end", ""},
        {"", "", ""},
    };
    for (auto c : cases) {
        const std::string original = c.text;
        EXPECT_EQ(GetNextLine(c.text), c.line) << original;
        EXPECT_EQ(c.text, c.rest) << original;
    }
}

}  // namespace
