#include "controls/treelist/tree_list_model.h"
#include "controls/treelist/list_export.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace zor;

// a (a1, a2 (a21)), b
struct Tree {
    CTreeListModel m;
    HTREEITEM a, a1, a2, a21, b;
    Tree() {
        a = m.InsertItem("a");
        a1 = m.InsertItem("a1", a);
        a2 = m.InsertItem("a2", a);
        a21 = m.InsertItem("a21", a2);
        b = m.InsertItem("b");
    }
    std::vector<std::string> Texts(HTREEITEM parent) const {
        std::vector<std::string> out;
        for (auto id : m.Children(parent)) out.push_back(m.GetItemText(id, 0));
        return out;
    }
};

TEST(TreeListModel, CountsThroughInsertCopyMoveDelete) {
    Tree t;
    ASSERT_EQ(t.m.GetItemCount(), 5);
    // Each step acts on the tree the previous one left.
    t.m.SetItemText(t.b, 2, "b-2");
    t.m.Row(t.b)->m_bold = 1;
    t.m.Row(t.b)->m_data = 7;
    t.m.Row(t.b)->m_type = "kind";

    EXPECT_EQ(t.m.CopyItem(t.a, 0, TVI_LAST), 0u);  // a row with children is not copied
    EXPECT_EQ(t.m.MoveItem(t.a2, 0, TVI_LAST), 0u);
    EXPECT_EQ(t.m.GetItemCount(), 5);

    const HTREEITEM copy = t.m.CopyItem(t.b, 0, TVI_FIRST);
    ASSERT_NE(copy, 0u);
    EXPECT_EQ(t.m.GetItemCount(), 6);
    EXPECT_EQ(t.Texts(0), (std::vector<std::string>{"b", "a", "b"}));
    const CTreeListRow* row = t.m.Row(copy);
    EXPECT_EQ(t.m.GetItemText(copy, 2), "b-2");
    EXPECT_EQ(t.m.GetItemText(copy, 1), "");  // the cell between is empty
    EXPECT_EQ(row->m_bold, 1);
    EXPECT_EQ(row->m_data, 7u);
    EXPECT_EQ(row->m_type, "");  // type, parent link and flags are not copied
    EXPECT_EQ(row->m_parent, 0u);

    const HTREEITEM moved = t.m.MoveItem(t.a21, t.a, t.a1);
    ASSERT_NE(moved, 0u);
    EXPECT_EQ(t.m.GetItemCount(), 6);
    EXPECT_EQ(t.Texts(t.a), (std::vector<std::string>{"a1", "a21", "a2"}));
    EXPECT_EQ(t.m.Row(t.a21), nullptr);

    EXPECT_TRUE(t.m.DeleteItem(t.a));  // with its three children
    EXPECT_EQ(t.m.GetItemCount(), 2);
    EXPECT_FALSE(t.m.DeleteItem(t.a));
    EXPECT_FALSE(t.m.DeleteItem(0));
    EXPECT_EQ(t.m.GetItemText(t.a1, 0), "");
    EXPECT_EQ(t.m.InsertItem("orphan", t.a), 0u);  // no such parent
    t.m.DeleteAllItems();
    EXPECT_EQ(t.m.GetItemCount(), 0);
    EXPECT_EQ(t.m.GetTreeItem(0), 0u);
}

TEST(TreeListModel, DeleteColumnCountsOnlyWhatWent) {
    CTreeListModel m;
    m.InsertColumn(0, "A", 0, 50);
    m.InsertColumn(1, "B", 1, -1);
    m.InsertColumn(1, "C", 2, 20);
    EXPECT_EQ(m.GetColumnsNum(), 3);
    EXPECT_EQ(m.ColumnTitle(1), "C");
    EXPECT_EQ(m.GetColumnAlign(1), 2);
    EXPECT_EQ(m.GetColumnWidth(2), 0);  // no width given
    EXPECT_FALSE(m.DeleteColumn(3));
    EXPECT_FALSE(m.DeleteColumn(-1));
    EXPECT_EQ(m.GetColumnsNum(), 3);
    EXPECT_TRUE(m.DeleteColumn(0));
    EXPECT_EQ(m.GetColumnsNum(), 2);
    EXPECT_EQ(m.GetColumnWidth(5), 0);
    m.DeleteAllColumns();
    EXPECT_EQ(m.GetColumnsNum(), 0);
}

TEST(TreeListModel, VisibleRowsFollowExpansion) {
    Tree t;
    auto texts = [&] {
        std::vector<std::string> out;
        for (auto id : t.m.VisibleRows()) out.push_back(t.m.GetItemText(id, 0));
        return out;
    };
    EXPECT_EQ(texts(), (std::vector<std::string>{"a", "b"}));
    t.m.SetExpanded(t.a, true);
    EXPECT_EQ(texts(), (std::vector<std::string>{"a", "a1", "a2", "b"}));
    t.m.SetExpanded(t.a2, true);
    EXPECT_EQ(texts(), (std::vector<std::string>{"a", "a1", "a2", "a21", "b"}));
    EXPECT_EQ(t.m.GetParentItem(t.a21), t.a2);
    EXPECT_EQ(t.m.GetTreeItem(1), t.b);
}

TEST(TreeListModel, SortChildrenOneLevelByKind) {
    struct Case {
        const char* name;
        int kind;  // 0 text, 1 date, 2 number
        bool ascending, sortAll, linked;  // linked: rows inserted with a parent link
        std::vector<std::string> cells, expected;
    };
    const Case cases[] = {
        // Case folds beyond A to Z: "дом" comes before "Дыня" although "Д" is the smaller byte.
        {"text", 0, true, true, false, {"яблоко", "Дыня", "дом", "Арбуз", "b", "A"}, {"A", "b", "Арбуз", "дом", "Дыня", "яблоко"}},
        {"text desc", 0, false, true, false, {"b", "a", "C"}, {"C", "b", "a"}},
        // Non-numeric cells read as 0; the C locale's point.
        {"numbers", 2, true, true, false, {"10", "9.5", "x", "-1", "1e1"}, {"-1", "x", "9.5", "10", "1e1"}},
        {"dates", 1, true, true, false, {"junk", "31.12.8999", "2024-01-02", "01.01.2024 10:00", "", "01.01.2024"},
         {"01.01.2024", "01.01.2024 10:00", "2024-01-02", "31.12.8999", "junk", ""}},
        // Without sort-all, top-level rows with no parent link keep their order.
        {"sort-all off", 0, true, false, false, {"c", "a", "b"}, {"c", "a", "b"}},
    };
    for (const auto& c : cases) {
        CTreeListModel m;
        if (c.kind == 1) m.Marks().SetColumnDate(1);
        if (c.kind == 2) m.Marks().SetColumnNum(1);
        for (const auto& cell : c.cells) m.SetItemText(m.InsertItem(cell), 1, cell);
        m.SortChildren(0, 1, c.ascending, c.sortAll);
        std::vector<std::string> got;
        for (auto id : m.Children(0)) got.push_back(m.GetItemText(id, 1));
        EXPECT_EQ(got, c.expected) << c.name;
    }

    // One level only: the grandchildren stay as inserted; children with a parent link sort even
    // without sort-all.
    Tree t;
    const auto a22 = t.m.InsertItem("a20", t.a2);
    t.m.SortChildren(t.a, 0, false, false);
    EXPECT_EQ(t.Texts(t.a), (std::vector<std::string>{"a2", "a1"}));
    EXPECT_EQ(t.m.Children(t.a2), (std::vector<HtmlRowId>{t.a21, a22}));
}

TEST(TreeListModel, SelectionAndDropFlagsAndVisibleNeighbours) {
    Tree t;
    t.m.SetExpanded(t.a, true);
    EXPECT_EQ(t.m.GetNextVisible(t.a), t.a1);
    EXPECT_EQ(t.m.GetNextVisible(t.a2), t.b);  // a21 is under a collapsed row
    EXPECT_EQ(t.m.GetNextVisible(t.b), 0u);
    EXPECT_EQ(t.m.GetPrevVisible(t.a), 0u);
    EXPECT_EQ(t.m.GetPrevVisible(t.a21), 0u);  // not visible
    t.m.SetDropHilited(t.b, true);
    EXPECT_TRUE(t.m.IsDropHilited(t.b));
    EXPECT_FALSE(t.m.IsSelected(t.b));
}

TEST(TreeListRules, AutofitWidthsTable) {
    struct Case {
        const char* name;
        std::vector<int> widths;
        int except, target;
        std::vector<int> expected;
        bool changed;
    };
    const Case cases[] = {
        {"already matching", {100, 50, 50}, -1, 200, {100, 50, 50}, false},
        {"proportional", {100, 50, 50}, -1, 400, {200, 100, 100}, true},
        {"truncated", {10, 10, 10}, -1, 100, {33, 33, 33}, true},
        {"one kept out", {100, 60, 40}, 0, 50, {100, 30, 20}, true},
        {"zero total", {0, 0}, -1, 300, {0, 0}, false},
        {"no columns", {}, -1, 300, {}, false},
    };
    for (auto c : cases) {
        EXPECT_EQ(AutofitWidths(c.widths, c.except, c.target), c.changed) << c.name;
        EXPECT_EQ(c.widths, c.expected) << c.name;
    }
}

TEST(TreeListRules, StretchSortDirectionAndScrolling) {
    struct Stretch { int total, width, expected; };
    for (const auto& c : {Stretch{250, 100, 300}, Stretch{300, 100, 400}, Stretch{50, 100, 100}, Stretch{0, 100, 100},
                          Stretch{250, 0, 250}})
        EXPECT_EQ(StretchWidth(c.total, c.width), c.expected) << c.total << " " << c.width;

    // A column without an arrow or with the descending one sorts ascending; the ascending one turns.
    EXPECT_TRUE(SortAscendingAfterClick(-1));
    EXPECT_TRUE(SortAscendingAfterClick(1));
    EXPECT_FALSE(SortAscendingAfterClick(0));

    struct Scroll { HScroll request; int position, thumb, expected; };
    const Scroll scrolls[] = {
        {HScroll::LineLeft, 6, 0, 0},    {HScroll::LineLeft, 7, 0, 1},   {HScroll::LineLeft, 20, 0, 14},
        {HScroll::LineRight, 96, 0, 99}, {HScroll::LineRight, 0, 0, 6},  {HScroll::PageLeft, 30, 0, 0},
        {HScroll::PageRight, 10, 0, 60}, {HScroll::Left, 50, 0, 0},      {HScroll::Right, 0, 0, 99},
        {HScroll::Thumb, 0, 0, 0},       {HScroll::Thumb, 0, 5, 6},      {HScroll::Thumb, 0, 6, 12},
        {HScroll::Thumb, 0, 98, 99},
    };
    for (const auto& c : scrolls)
        EXPECT_EQ(HScrollPosition(c.request, c.position, c.thumb, 50, 100), c.expected)
            << int(c.request) << " from " << c.position;
}

TEST(ListExport, ProposedNameAndKind) {
    EXPECT_EQ(ProposedExportName("Отчёт: 1/2 *итог*"), "Отчёт  1 2  итог ");
    EXPECT_EQ(ListDocKindOf("/tmp/a.CSV"), ListDocKind::Csv);
    EXPECT_EQ(ListDocKindOf("b.csv"), ListDocKind::Csv);
    EXPECT_EQ(ListDocKindOf("c.Htm"), ListDocKind::Html);
    EXPECT_EQ(ListDocKindOf("d.html"), ListDocKind::Html);
    EXPECT_EQ(ListDocKindOf("e.txt"), ListDocKind::Text);
    EXPECT_EQ(ListDocKindOf("dir.csv/f"), ListDocKind::Text);
}

TEST(ListExport, TextBytesPerSelectionAndSeparator) {
    Tree t;
    t.m.InsertColumn(0, "Имя", 0, 50);
    t.m.InsertColumn(1, "Size \"B\"", 0, 50);
    t.m.SetItemText(t.a1, 1, "1,5");
    t.m.SetExpanded(t.a, true);  // a2 stays collapsed: a21 is never written
    t.m.SetSelected(t.a1, true);
    t.m.SetSelected(t.a21, true);
    struct Case { const char* name; bool all; const char* heading; char sep; std::string expected; };
    const Case cases[] = {
        {"all, tabs, heading", true, "Список", '\t',
         "Список\r\n\r\n\"Имя\"\t\"Size \"B\"\"\r\n\r\n\"a\"\t\"\"\r\n\"a1\"\t\"1,5\"\r\n\"a2\"\t\"\"\r\n\"b\"\t\"\"\r\n"},
        {"selected, commas", false, "", ',', "\"Имя\",\"Size \"B\"\"\r\n\r\n\"a1\",\"1,5\"\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ListDocText(t.m, c.all, c.heading, c.sep), c.expected) << c.name;
    t.m.SetSelected(t.a1, false);
    EXPECT_EQ(ListDocText(t.m, false, "H", ','), "H\r\n\r\n\"Имя\",\"Size \"B\"\"\r\n\r\n");
}

}  // namespace
