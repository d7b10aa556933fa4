#include "controls/dialogs/sort_order.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace zor;

std::vector<int> Used(const CSortOrder& order) {
    const auto& c = order.Combined();
    return std::vector<int>(c.begin(), c.begin() + order.GetNumCombinedSortedColumns());
}

TEST(SortOrder, DirectionBitsAlternatePerColumnAndWrapAt32) {
    CSortOrder order;
    // The first click sorts descending, the next ascending, per column.
    struct Click { int column; bool ascending; };
    const Click clicks[] = {{0, false}, {0, true}, {0, false}, {1, false}, {0, true},
                            {33, false},  // column 33 shares column 1's bit, now set
                            {1, false}};
    // Column 1 was sorted once (bit set), so 33 sorts ascending and flips the shared bit back.
    std::vector<bool> seen;
    for (const auto& c : clicks) {
        const auto steps = order.Click(c.column, false);
        ASSERT_EQ(steps.size(), 1u);
        seen.push_back(steps[0].ascending);
    }
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false, false, true, true, false}));
    EXPECT_EQ(Used(order), std::vector<int>{1});

    CSortOrder bits;
    bits.SetItemSortState(5, true);
    EXPECT_TRUE(bits.GetItemSortState(5));
    EXPECT_TRUE(bits.GetItemSortState(37));
    bits.SetItemSortState(5, true);  // same state: no flip
    EXPECT_TRUE(bits.GetItemSortState(5));
    bits.SetItemSortState(37, false);
    EXPECT_FALSE(bits.GetItemSortState(5));
}

TEST(SortOrder, CombinedClicksJoinMoveAndReplayFromTheLast) {
    CSortOrder order;
    EXPECT_EQ(order.GetNumCombinedSortedColumns(), 0);
    order.Click(2, false);  // 2 sorted descending; its bit now set
    auto steps = order.Click(0, true);
    EXPECT_EQ(Used(order), (std::vector<int>{2, 0}));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].column, 0);
    EXPECT_FALSE(steps[0].ascending);
    EXPECT_TRUE(steps[0].setsArrow);
    EXPECT_EQ(steps[1].column, 2);
    EXPECT_FALSE(steps[1].ascending);  // again the way it was last sorted
    EXPECT_FALSE(steps[1].setsArrow);

    // Ctrl-clicking the first column moves it to the end and keeps the other first.
    steps = order.Click(2, true);
    EXPECT_EQ(Used(order), (std::vector<int>{0, 2}));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].column, 2);
    EXPECT_TRUE(steps[0].ascending);
    EXPECT_EQ(steps[1].column, 0);
    EXPECT_FALSE(steps[1].ascending);

    order.MoveItemInCombinedSortedListToEnd(7);  // absent: nothing
    EXPECT_EQ(Used(order), (std::vector<int>{0, 2}));
    EXPECT_EQ(order.FindItemInCombedSortedList(2), 1);
    EXPECT_TRUE(order.NotInCombinedSortedColumnList(5));
    order.Click(4, false);
    EXPECT_EQ(Used(order), std::vector<int>{4});
}

TEST(SortOrder, ASixtyFifthColumnPushesOutTheFirstAndNeverWritesPastTheList) {
    CSortOrder order;
    for (int c = 0; c < 64; ++c) order.Click(c, true);
    EXPECT_EQ(order.GetNumCombinedSortedColumns(), 64);
    const auto steps = order.Click(100, true);
    EXPECT_EQ(order.GetNumCombinedSortedColumns(), 64);
    EXPECT_EQ(order.Combined().front(), 1);
    EXPECT_EQ(order.Combined().back(), 100);
    EXPECT_EQ(steps.size(), 64u);
    EXPECT_EQ(steps.front().column, 100);
    EXPECT_EQ(steps.back().column, 1);
    EXPECT_TRUE(order.NotInCombinedSortedColumnList(0));
    // A column already in the full list only moves.
    order.Click(50, true);
    EXPECT_EQ(order.Combined().back(), 50);
    EXPECT_EQ(order.GetNumCombinedSortedColumns(), 64);
}

TEST(ColumnKinds, MarksAndTheirRemoval) {
    CColumnKinds kinds;
    kinds.SetColumnNumeric(1);
    kinds.SetColumnDate(1);
    kinds.SetColumnDate(2);
    kinds.SetColumnNumeric(3);
    kinds.SetColumnNumeric(3);
    EXPECT_EQ(kinds.IsColumnNumeric(1), 1);  // numeric and date: a number
    EXPECT_EQ(kinds.IsColumnNumeric(2), 2);
    EXPECT_EQ(kinds.IsColumnNumeric(0), 0);
    EXPECT_EQ(kinds.FindNumericColumnIndex(3), 1);
    kinds.UnsetColumnNumeric(3);
    EXPECT_EQ(kinds.IsColumnNumeric(3), 1);  // the repeat stays
    kinds.ColumnDeleted(1);
    EXPECT_EQ(kinds.IsColumnNumeric(1), 0);
    EXPECT_EQ(kinds.FindNumericColumnIndex(7), -1);
}

// Sorts texts of one kind with the row's comparator, as the list does.
std::vector<std::string> Sorted(ColumnKind kind, bool ascending, std::vector<std::string> cells) {
    std::stable_sort(cells.begin(), cells.end(), [&](const std::string& a, const std::string& b) {
        return CompareSortKeys(kind, ascending, MakeSortKey(kind, a), MakeSortKey(kind, b)) < 0;
    });
    return cells;
}

TEST(SortKeys, ComparatorsByKindAndDirection) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Sorted(ColumnKind::Number, true, {"10", "9", "abc", "-1.5", "2e1"}), (V{"-1.5", "abc", "9", "10", "2e1"}));
    EXPECT_EQ(Sorted(ColumnKind::Number, false, {"10", "9", "abc", "-1.5"}), (V{"10", "9", "abc", "-1.5"}));
    EXPECT_EQ(Sorted(ColumnKind::Number, true, {"1,5", "1.4"}), (V{"1,5", "1.4"}));  // a comma is no point: 1
    EXPECT_EQ(Sorted(ColumnKind::Date, true, {"когда-то", "01.02.2024", "31.12.2023", "15 января 2024 г."}),
              (V{"31.12.2023", "15 января 2024 г.", "01.02.2024", "когда-то"}));
    EXPECT_EQ(Sorted(ColumnKind::Date, false, {"когда-то", "01.02.2024", "31.12.2023"}),
              (V{"когда-то", "01.02.2024", "31.12.2023"}));
    EXPECT_EQ(Sorted(ColumnKind::Text, true, {"яблоко", "Ёж", "Арбуз", "banana", "Apple", "абрикос"}),
              (V{"Apple", "banana", "Ёж", "абрикос", "Арбуз", "яблоко"}));
    EXPECT_EQ(Sorted(ColumnKind::Text, false, {"b", "A", "c"}), (V{"c", "b", "A"}));

    // Equal values answer 0 in both directions, and the descending number compare treats a
    // greater or equal left side alike.
    const SortKey one = MakeSortKey(ColumnKind::Number, "1"), two = MakeSortKey(ColumnKind::Number, "2");
    EXPECT_EQ(CompareSortKeys(ColumnKind::Number, false, one, one), 0);
    EXPECT_EQ(CompareSortKeys(ColumnKind::Number, false, two, one), -1);
    EXPECT_EQ(CompareSortKeys(ColumnKind::Number, true, two, one), 1);
}

TEST(SortKeys, TextFoldsLatinAndCyrillicCase) {
    struct Case { const char* a; const char* b; int sign; };
    const Case cases[] = {
        {"ПРИВЕТ", "привет", 0}, {"Ёлка", "ёлка", 0}, {"ABC", "abc", 0}, {"Ђ", "ђ", 0},
        {"а", "Б", -1}, {"z", "а", -1}, {"ё", "а", -1},  // the code page puts ё before а
        {"ab", "a", 1}, {"", "a", -1}, {"日本", "я", 1},    // outside the code page: after it
    };
    for (const auto& c : cases) {
        const int r = CompareTextNoCase(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " / " << c.b;
    }
}

TEST(SortKeys, RussianDateForms) {
    struct Case { const char* text; bool ok; int y, m, d, seconds; };
    const Case cases[] = {
        {"31.12.2024", true, 2024, 12, 31, 0},
        {" 1.2.2024 ", true, 2024, 2, 1, 0},
        {"29.02.2024", true, 2024, 2, 29, 0},
        {"29.02.2023", false, 0, 0, 0, 0},
        {"31/12/24", true, 2024, 12, 31, 0},
        {"01-01-99", true, 1999, 1, 1, 0},
        {"31.12.2024 23:59", true, 2024, 12, 31, 23 * 3600 + 59 * 60},
        {"31.12.2024 23:59:58", true, 2024, 12, 31, 23 * 3600 + 59 * 60 + 58},
        {"31.12.2024 24:00", false, 0, 0, 0, 0},
        {"1 января 2024", true, 2024, 1, 1, 0},
        {"9 Мая 1945 г.", true, 1945, 5, 9, 0},
        {"12:30", true, 1899, 12, 30, 12 * 3600 + 30 * 60},
        {"32.01.2024", false, 0, 0, 0, 0},
        {"31.13.2024", false, 0, 0, 0, 0},
        {"2024-12-31", false, 0, 0, 0, 0},
        {"31.12.2024x", false, 0, 0, 0, 0},
        {"1 брюмера 2024", false, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0},
        {"31.12", false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int64_t s = -1;
        EXPECT_EQ(ParseRussianDate(c.text, &s), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(s, DateSeconds(c.y, c.m, c.d) + c.seconds) << c.text;
        }
    }
    EXPECT_EQ(DateSeconds(1, 1, 2) - DateSeconds(1, 1, 1), 86400);
    EXPECT_EQ(DateSeconds(2001, 1, 1) - DateSeconds(2000, 1, 1), 366 * 86400);
    EXPECT_GT(UnparsedDate(), DateSeconds(8999, 12, 31));
}

TEST(ColumnWidthText, FormatReadAndAutoSize) {
    EXPECT_EQ(FormatColumnWidths({120, 80, 200}), "120,80,200,");
    EXPECT_EQ(FormatColumnWidths({}), "");
    struct Case { const char* text; int column, width; };
    const Case cases[] = {
        {"120,80,200,", 0, 120}, {"120,80,200,", 2, 200}, {"120,80,200,", 3, 0}, {"120,80,200,", 9, 0},
        {"120,x,200,", 1, 0},    {"", 0, 0},               {"15", 0, 15},        {"120,80,200,", -1, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadColumnWidth(c.text, c.column), c.width) << c.text << " " << c.column;
    EXPECT_EQ(AutoColumnWidth(5, 12), 20);
    EXPECT_EQ(AutoColumnWidth(150, 90), 150);
    EXPECT_EQ(AutoColumnWidth(40, 90), 90);
    EXPECT_EQ(AutoColumnWidth(900, 10), 600);
}

}  // namespace
