// The document's side of the navigator: the tree filled from the model, sorted, searched and reordered.
#include <algorithm>

#include <QTreeWidget>

#include "designer/doc/quillmark_doc.h"
#include "designer/navigator/navigator_items.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"

namespace quillmark {

void CQuillmarkDoc::ClearTree() {
    m_sheetItems.clear();
    m_paramItems.clear();
    // Every tree item belongs to an item object, which deletes it; a tree item of no object of this
    // document is not this document's to delete.
    m_contentsItems.clear();
}

CNavigatorItem* CQuillmarkDoc::FindItem(long long id) const {
    for (const auto& item : m_sheetItems)
        if (item->Id() == id) return item.get();
    for (const auto& item : m_paramItems)
        if (item->Id() == id) return item.get();
    for (const auto& item : m_contentsItems)
        if (CNavigatorItem* found = item->FindById(id)) return found;
    return nullptr;
}

CNavigatorItem* CQuillmarkDoc::ItemOf(const void* treeItem) const {
    const auto* item = static_cast<const QTreeWidgetItem*>(treeItem);
    if (!item) return nullptr;
    bool ok = false;
    const long long id = item->data(0, kItemIdRole).toLongLong(&ok);
    if (!ok) return nullptr;
    CNavigatorItem* found = FindItem(id);
    return found && found->TreeItem() == item ? found : nullptr;
}

void CQuillmarkDoc::SortTree() {
    if (!m_pTree) return;
    QTreeWidgetItem* root = m_pTree->invisibleRootItem();
    QTreeWidgetItem* current = m_pTree->currentItem();
    struct Entry {
        QTreeWidgetItem* tree;
        CNavigatorItem* item;
        bool expanded;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* child = root->child(i);
        entries.push_back({child, ItemOf(child), child->isExpanded()});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (!a.item || !b.item) return a.item && !b.item;
        return CompareNavigatorItems(*a.item, *b.item) < 0;
    });
    bool sorted = true;
    for (int i = 0; i < root->childCount(); ++i) sorted = sorted && root->child(i) == entries[i].tree;
    if (sorted) return;
    const bool follows = m_pTree->signalsBlocked();
    m_pTree->blockSignals(true);
    while (root->childCount() > 0) root->takeChild(0);
    for (const Entry& e : entries) root->addChild(e.tree);
    for (const Entry& e : entries) e.tree->setExpanded(e.expanded);
    if (current) m_pTree->setCurrentItem(current);
    m_pTree->blockSignals(follows);
}

void CQuillmarkDoc::RebuildNavigator(bool refreshOnly) {
    if (refreshOnly) {
        for (const auto& item : m_sheetItems) item->Refresh();
        for (const auto& item : m_paramItems) item->Refresh();
        SortTree();
        return;
    }
    if (m_mode == kDocView && BuildContentsNavigator()) return;
    if (m_pTree) m_pTree->setUpdatesEnabled(false);
    ClearTree();
    ResetViews();
    std::vector<CReportSheet*> sheets;
    for (CReportSheet* sheet : m_manager.GetSheets()) {
        MakeSheetItem(sheet);
        sheets.push_back(sheet);
    }
    SortTree();
    BindViewsToSheets(sheets);
    if (m_batch.mode == 0 && m_mode == kDocEdit) MakeParamItems();
    SortTree();
    if (m_pTree) m_pTree->setUpdatesEnabled(true);
    UpdateAllViews();
}

bool CQuillmarkDoc::BuildContentsNavigator() {
    ClearTree();
    ResetViews();
    if (m_manager.GetTableContents().IsEmpty() || !m_pTree) return false;
    std::vector<CReportSheet*> sheets;
    for (CTableContent* node : m_manager.GetTableContents()) {
        CReportSheet* sheet = node->GetSheets().IsEmpty() ? nullptr : node->GetSheets().GetAt(0);
        auto item = std::make_unique<CContentsItem>(this, m_pTree);
        if (!item->Fill(node, sheet)) continue;
        m_contentsItems.push_back(std::move(item));
        if (sheet) sheets.push_back(sheet);
    }
    SortTree();
    BindViewsToSheets(sheets);
    return true;
}

void CQuillmarkDoc::SelectSheetItem(CReportSheet* sheet) {
    if (!m_pTree || !sheet) return;
    CNavigatorItem* found = nullptr;
    if (!m_contentsItems.empty()) {
        std::vector<CNavigatorItem*> stack;
        for (const auto& item : m_contentsItems) stack.push_back(item.get());
        while (!stack.empty() && !found) {
            CNavigatorItem* item = stack.back();
            stack.pop_back();
            if (item->Sheet() == sheet) found = item;
            if (auto* contents = dynamic_cast<CContentsItem*>(item))
                for (const auto& child : contents->Children()) stack.push_back(child.get());
        }
    } else {
        for (const auto& item : m_sheetItems)
            if (item->Sheet() == sheet) found = item.get();
    }
    if (!found || !found->TreeItem()) return;
    const bool blocked = m_pTree->blockSignals(true);
    m_pTree->setCurrentItem(found->TreeItem());
    m_pTree->scrollToItem(found->TreeItem());
    m_pTree->blockSignals(blocked);
}

bool CQuillmarkDoc::MoveSheetTo(CSheetItem* dragged, CNavigatorItem* target) {
    if (!dragged || !target || dragged == target) return false;
    if (target->Kind() != kItemSheet && target->Kind() != kItemContents) return false;
    const int from = SheetIndex(dragged->Sheet());
    const int to = SheetIndex(target->Sheet());
    if (from < 0 || to < 0 || from == to) return false;
    CTypedPtrArray<CReportSheet>& sheets = m_manager.GetSheets();
    CReportSheet* moving = sheets.GetAt(from);
    sheets.RemoveAt(from);
    sheets.InsertAt(to, moving);
    m_manager.UpdateSheets();
    m_changed = 1;
    RebuildNavigator(true);
    if (m_pTree && dragged->TreeItem()) m_pTree->setCurrentItem(dragged->TreeItem());
    UpdateAllViews();
    return true;
}

}  // namespace quillmark
