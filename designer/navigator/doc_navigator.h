#pragma once
// CDocNavigator: the navigator's side of a document. It observes the document and keeps the tree in step
// with it: an item object per sheet, parameter or contents node (each owning its tree item), in the
// navigator's order, with the shown sheet's item selected. The tree belongs to whoever made it.
#include <memory>
#include <vector>

#include "designer/doc/doc_observer.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace quillmark {

class CNavigatorItem;
class CSheetItem;
class CParamItem;
class CContentsItem;

class CDocNavigator : public IDocObserver {
public:
    explicit CDocNavigator(QTreeWidget* tree);
    // The items go (their tree items with them); a document still attached lets the navigator go.
    ~CDocNavigator() override;
    CDocNavigator(const CDocNavigator&) = delete;
    CDocNavigator& operator=(const CDocNavigator&) = delete;

    QTreeWidget* Tree() const { return m_tree; }
    // The document observed, or null.
    CQuillmarkDoc* Document() const { return m_doc; }

    const std::vector<std::unique_ptr<CSheetItem>>& SheetItems() const { return m_sheetItems; }
    const std::vector<std::unique_ptr<CParamItem>>& ParamItems() const { return m_paramItems; }
    const std::vector<std::unique_ptr<CContentsItem>>& ContentsItems() const { return m_contentsItems; }
    // The item object of a tree item, or null.
    CNavigatorItem* ItemOf(const QTreeWidgetItem* treeItem) const;
    // The live item object with that id, or null (drag records carry ids).
    CNavigatorItem* FindItem(long long id) const;
    // The item object of the tree's current item, or null.
    CNavigatorItem* CurrentItem() const;
    // Selects the item of the sheet and scrolls it into view.
    void SelectSheetItem(CReportSheet* sheet);
    // Sorts the tree root's children (CompareNavigatorItems).
    void SortTree();
    // Moves the dragged sheet to the target item's place (a sheet or contents item); false when nothing
    // moved (same item, a parameter, a sheet not in the report).
    bool MoveSheetTo(CSheetItem* dragged, CNavigatorItem* target);

    // IDocObserver
    void Attached(CQuillmarkDoc& doc) override;
    void Detached(CQuillmarkDoc& doc) override;
    CReportSheet* SelectedSheet() const override;
    void ItemsCleared() override;
    void SheetsReset() override;
    void SheetsListed(const std::vector<CReportSheet*>& sheets) override;
    void ParamsListed(const std::vector<CReportParam*>& params) override;
    void ContentsListed() override;
    void OrderChanged() override { SortTree(); }
    void LabelsChanged() override;
    void SheetAdded(CReportSheet* sheet) override { MakeSheetItem(sheet); }
    void ParamAdded(CReportParam* param) override { MakeParamItem(param); }
    void SheetRemoved(CReportSheet* sheet) override;
    void ParamRemoved(CReportParam* param) override;
    void SheetShown(CReportSheet* sheet) override { SelectSheetItem(sheet); }

private:
    CSheetItem* MakeSheetItem(CReportSheet* sheet);
    CParamItem* MakeParamItem(CReportParam* param);

    QTreeWidget* m_tree;
    CQuillmarkDoc* m_doc = nullptr;
    std::vector<std::unique_ptr<CSheetItem>> m_sheetItems;
    std::vector<std::unique_ptr<CParamItem>> m_paramItems;
    std::vector<std::unique_ptr<CContentsItem>> m_contentsItems;
};

}  // namespace quillmark
