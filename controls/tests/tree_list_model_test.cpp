#include "controls/treelist/tree_list_model.h"

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

}  // namespace
