// The contents tree: nodes, their sheets, the store and the manager's roots, damaged stored trees.
#include "report/tests/tables/tables_fixture.h"

namespace tables_test {
namespace {

class TableContentTest : public TablesTest {
protected:
    CzorInstance* NodeInstance(const char* title, std::initializer_list<CzorInstance*> children = {}) {
        CzorInstance* node = Store().CreateInstance(S().e_zor_table_content, false, true);
        Store().PutAttr(node, S().zor_table_content_title, std::string(title));
        CzorTAggr<CzorInstance> list;
        for (CzorInstance* child : children) list.Add(child);
        Store().PutAttr(node, S().zor_table_content_childs, list);
        return node;
    }
};

TEST_F(TableContentTest, SheetsAreRecordedOnceInTheOrderAdded) {
    CReportSheet* a = NewSheet();
    CReportSheet* b = NewSheet();
    CTableContent node(&Manager());
    EXPECT_EQ(node.FindSheet(a), -1);
    EXPECT_EQ(node.AddSheet(b), 0);
    EXPECT_EQ(node.AddSheet(a), 1);
    EXPECT_EQ(node.AddSheet(b), 0);
    EXPECT_EQ(node.AddSheet(nullptr), -1);
    EXPECT_EQ(node.GetSheets().GetSize(), 2);
    EXPECT_EQ(node.FindSheet(a), 1);
    EXPECT_EQ(node.FindSheet(nullptr), -1);
    EXPECT_EQ(node.AddChild(nullptr), -1);
    // A sheet leaving the report leaves the whole subtree.
    auto* child = new CTableContent(&Manager());
    child->AddSheet(a);
    node.AddChild(child);
    node.ForgetSheet(a);
    EXPECT_EQ(node.FindSheet(a), -1);
    EXPECT_EQ(child->FindSheet(a), -1);
    EXPECT_EQ(node.FindSheet(b), 0);
}

TEST_F(TableContentTest, ATreeIsWrittenAndReadBackWithItsSheets) {
    CReportSheet* a = NewSheet();
    CReportSheet* b = NewSheet();
    CTableContent root(&Manager());
    root.SetTitle("Отчёт");
    root.AddSheet(a);
    for (int i = 0; i < 3; ++i) {
        auto* child = new CTableContent(&Manager());
        child->SetTitle("Глава " + std::to_string(i));
        child->AddSheet(i % 2 ? a : b);
        if (i == 2) {
            auto* grandchild = new CTableContent(&Manager());
            grandchild->SetTitle("Пункт");
            grandchild->AddSheet(b);
            grandchild->AddSheet(a);
            child->AddChild(grandchild);
        }
        root.AddChild(child);
    }
    // The sheets had no instances yet: they are written with the node.
    root.Update(true);
    ASSERT_NE(a->GetInstance(), nullptr);
    ASSERT_NE(b->GetInstance(), nullptr);

    CTableContent read(&Manager());
    read.SetInstance(root.GetInstance());
    auto* stale = new CTableContent(&Manager());
    stale->SetTitle("лишний");
    read.AddChild(stale);
    read.AddSheet(b);
    read.Update(false);
    EXPECT_EQ(read.GetTitle(), "Отчёт");
    ASSERT_EQ(read.GetSheets().GetSize(), 1);
    EXPECT_EQ(read.GetSheets().GetAt(0), a);
    ASSERT_EQ(read.GetChildren().GetSize(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(read.GetChildren().GetAt(i)->GetTitle(), "Глава " + std::to_string(i));
        EXPECT_EQ(read.GetChildren().GetAt(i)->GetSheets().GetAt(0), i % 2 ? a : b);
    }
    const CTableContent* grandchild = read.GetChildren().GetAt(2)->GetChildren().GetAt(0);
    ASSERT_NE(grandchild, nullptr);
    EXPECT_EQ(grandchild->GetTitle(), "Пункт");
    ASSERT_EQ(grandchild->GetSheets().GetSize(), 2);
    EXPECT_EQ(grandchild->GetSheets().GetAt(0), b);
    EXPECT_EQ(grandchild->GetSheets().GetAt(1), a);
}

TEST_F(TableContentTest, TheManagerFindsTheRootsAndWritesThemBack) {
    CzorInstance* leaf = NodeInstance("лист");
    CzorInstance* middle = NodeInstance("середина", {leaf});
    NodeInstance("корень", {middle});
    NodeInstance("второй корень");
    EXPECT_TRUE(Manager().LoadTableContents());
    ASSERT_EQ(Manager().GetTableContents().GetSize(), 2);
    CTableContent* root = Manager().GetTableContents().GetAt(0);
    EXPECT_EQ(root->GetTitle(), "корень");
    ASSERT_EQ(root->GetChildren().GetSize(), 1);
    ASSERT_EQ(root->GetChildren().GetAt(0)->GetChildren().GetSize(), 1);
    EXPECT_EQ(root->GetChildren().GetAt(0)->GetChildren().GetAt(0)->GetTitle(), "лист");
    EXPECT_EQ(Manager().GetTableContents().GetAt(1)->GetTitle(), "второй корень");

    root->SetTitle("новый корень");
    EXPECT_TRUE(Manager().Update(true));
    std::string title;
    Store().GetAttr(root->GetInstance(), S().zor_table_content_title, title);
    EXPECT_EQ(title, "новый корень");
    EXPECT_EQ(CountOf(S().e_zor_table_content), 4);
}

TEST_F(TableContentTest, AStoredTreeThatLoopsIsReadOnce) {
    // A root whose child lists itself and the root: a damaged file must not make the read endless.
    CzorInstance* child = NodeInstance("ребёнок");
    CzorInstance* root = NodeInstance("корень", {child});
    CzorTAggr<CzorInstance> loop;
    loop.Add(child);
    loop.Add(root);
    Store().PutAttr(child, S().zor_table_content_childs, loop);
    CTableContent node(&Manager());
    node.SetInstance(root);
    node.Update(false);
    ASSERT_EQ(node.GetChildren().GetSize(), 1);
    EXPECT_TRUE(node.GetChildren().GetAt(0)->GetChildren().IsEmpty());
}

TEST_F(TableContentTest, SheetsThatLeftTheReportOrMatchNothingAreDropped) {
    CReportSheet* kept = NewSheet();
    CReportSheet* removed = NewSheet();
    kept->Update(true);
    removed->Update(true);
    CTableContent node(&Manager());
    node.AddSheet(removed);
    node.AddSheet(kept);
    // A sheet taken out of the page list is not written.
    Manager().GetSheets().Remove(removed);
    node.Update(true);
    CzorTAggr<CzorInstance> sheets;
    Store().GetAttr(node.GetInstance(), S().zor_table_content_sheets, sheets);
    ASSERT_EQ(sheets.GetSize(), 1);
    EXPECT_EQ(sheets.GetAt(0), kept->GetInstance());
    // A stored sheet that no sheet of the manager has is left out on reading.
    sheets.Add(removed->GetInstance());
    Store().PutAttr(node.GetInstance(), S().zor_table_content_sheets, sheets);
    node.Update(false);
    ASSERT_EQ(node.GetSheets().GetSize(), 1);
    EXPECT_EQ(node.GetSheets().GetAt(0), kept);
    delete removed;
}

}  // namespace
}  // namespace tables_test
