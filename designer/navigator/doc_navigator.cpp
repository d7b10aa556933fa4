// The navigator over a document: the tree filled from the model, sorted, searched and reordered.
#include "designer/navigator/doc_navigator.h"

#include <algorithm>

#include <QTreeWidget>

#include "designer/doc/quillmark_doc.h"
#include "designer/navigator/navigator_items.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"

namespace quillmark {

CDocNavigator::CDocNavigator(QTreeWidget* tree) : m_tree(tree) {}

CDocNavigator::~CDocNavigator() {
    if (m_doc) m_doc->RemoveObserver(this);
    ItemsCleared();
}

void CDocNavigator::Attached(CQuillmarkDoc& doc) { m_doc = &doc; }

void CDocNavigator::Detached(CQuillmarkDoc& doc) {
    if (m_doc != &doc) return;
    // The items act on the document: they go with it.
    ItemsCleared();
    m_doc = nullptr;
}

void CDocNavigator::ItemsCleared() {
    m_sheetItems.clear();
    m_paramItems.clear();
    // Every tree item belongs to an item object, which deletes it; a tree item of no object of this
    // navigator is not its to delete.
    m_contentsItems.clear();
}

void CDocNavigator::SheetsReset() {
    if (m_tree) m_tree->setUpdatesEnabled(false);
    m_sheetItems.clear();
    m_contentsItems.clear();
    if (m_tree) m_tree->setUpdatesEnabled(true);
}

CSheetItem* CDocNavigator::MakeSheetItem(CReportSheet* sheet) {
    if (!m_tree) return nullptr;
    auto item = std::make_unique<CSheetItem>(m_doc, m_tree);
    if (!item->Insert(sheet)) return nullptr;
    m_sheetItems.push_back(std::move(item));
    return m_sheetItems.back().get();
}

CParamItem* CDocNavigator::MakeParamItem(CReportParam* param) {
    if (!m_tree) return nullptr;
    auto item = std::make_unique<CParamItem>(m_doc, m_tree);
    if (!item->Insert(param)) return nullptr;
    m_paramItems.push_back(std::move(item));
    return m_paramItems.back().get();
}

void CDocNavigator::SheetsListed(const std::vector<CReportSheet*>& sheets) {
    for (CReportSheet* sheet : sheets) MakeSheetItem(sheet);
}

void CDocNavigator::ParamsListed(const std::vector<CReportParam*>& params) {
    for (CReportParam* param : params) MakeParamItem(param);
}

void CDocNavigator::ContentsListed() {
    if (!m_doc || !m_tree) return;
    for (CTableContent* node : m_doc->Manager().GetTableContents()) {
        CReportSheet* sheet = node->GetSheets().IsEmpty() ? nullptr : node->GetSheets().GetAt(0);
        auto item = std::make_unique<CContentsItem>(m_doc, m_tree);
        if (!item->Fill(node, sheet)) continue;
        m_contentsItems.push_back(std::move(item));
    }
}

void CDocNavigator::LabelsChanged() {
    for (const auto& item : m_sheetItems) item->Refresh();
    for (const auto& item : m_paramItems) item->Refresh();
}

void CDocNavigator::SheetRemoved(CReportSheet* sheet) {
    std::erase_if(m_sheetItems, [sheet](const std::unique_ptr<CSheetItem>& p) { return p->Sheet() == sheet; });
}

void CDocNavigator::ParamRemoved(CReportParam* param) {
    std::erase_if(m_paramItems, [param](const std::unique_ptr<CParamItem>& p) { return p->Param() == param; });
}

CNavigatorItem* CDocNavigator::FindItem(long long id) const {
    for (const auto& item : m_sheetItems)
        if (item->Id() == id) return item.get();
    for (const auto& item : m_paramItems)
        if (item->Id() == id) return item.get();
    for (const auto& item : m_contentsItems)
        if (CNavigatorItem* found = item->FindById(id)) return found;
    return nullptr;
}

CNavigatorItem* CDocNavigator::ItemOf(const QTreeWidgetItem* item) const {
    if (!item) return nullptr;
    bool ok = false;
    const long long id = item->data(0, kItemIdRole).toLongLong(&ok);
    if (!ok) return nullptr;
    CNavigatorItem* found = FindItem(id);
    return found && found->TreeItem() == item ? found : nullptr;
}

CNavigatorItem* CDocNavigator::CurrentItem() const { return m_tree ? ItemOf(m_tree->currentItem()) : nullptr; }

CReportSheet* CDocNavigator::SelectedSheet() const {
    const CNavigatorItem* selected = CurrentItem();
    return selected && selected->Kind() == kItemSheet ? selected->Sheet() : nullptr;
}

void CDocNavigator::SortTree() {
    if (!m_tree) return;
    QTreeWidgetItem* root = m_tree->invisibleRootItem();
    QTreeWidgetItem* current = m_tree->currentItem();
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
    const bool follows = m_tree->signalsBlocked();
    m_tree->blockSignals(true);
    while (root->childCount() > 0) root->takeChild(0);
    for (const Entry& e : entries) root->addChild(e.tree);
    for (const Entry& e : entries) e.tree->setExpanded(e.expanded);
    if (current) m_tree->setCurrentItem(current);
    m_tree->blockSignals(follows);
}

void CDocNavigator::SelectSheetItem(CReportSheet* sheet) {
    if (!m_tree || !sheet) return;
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
    const bool blocked = m_tree->blockSignals(true);
    m_tree->setCurrentItem(found->TreeItem());
    m_tree->scrollToItem(found->TreeItem());
    m_tree->blockSignals(blocked);
}

bool CDocNavigator::MoveSheetTo(CSheetItem* dragged, CNavigatorItem* target) {
    if (!m_doc || !dragged || !target || dragged == target) return false;
    if (target->Kind() != kItemSheet && target->Kind() != kItemContents) return false;
    if (!m_doc->MoveSheet(dragged->Sheet(), target->Sheet())) return false;
    if (m_tree && dragged->TreeItem()) m_tree->setCurrentItem(dragged->TreeItem());
    m_doc->UpdateAllViews();
    return true;
}

}  // namespace quillmark
