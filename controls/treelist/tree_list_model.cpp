#include "controls/treelist/tree_list_model.h"

#include <algorithm>

namespace zor {

int CTreeListModel::InsertColumn(int index, const std::string& title, int align, int width) {
    index = std::clamp(index, 0, GetColumnsNum());
    m_columns.insert(m_columns.begin() + index, Column{title, align == 1 || align == 2 ? align : 0,
                                                       width == -1 ? 0 : std::max(0, width)});
    return index;
}

bool CTreeListModel::DeleteColumn(int column) {
    if (column < 0 || column >= GetColumnsNum()) return false;
    m_columns.erase(m_columns.begin() + column);
    return true;
}

void CTreeListModel::DeleteAllColumns() { m_columns.clear(); }

int CTreeListModel::GetColumnWidth(int column) const {
    return column >= 0 && column < GetColumnsNum() ? m_columns[column].width : 0;
}

bool CTreeListModel::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnsNum()) return false;
    m_columns[column].width = std::max(0, width);
    return true;
}

int CTreeListModel::GetColumnAlign(int column) const {
    return column >= 0 && column < GetColumnsNum() ? m_columns[column].align : 0;
}

std::string CTreeListModel::ColumnTitle(int column) const {
    return column >= 0 && column < GetColumnsNum() ? m_columns[column].title : std::string();
}

HTREEITEM CTreeListModel::Link(Node node, HTREEITEM parent, HTREEITEM after) {
    if (parent != 0 && !m_rows.count(parent)) return 0;
    auto& siblings = m_children[parent];
    auto at = siblings.end();
    if (after == TVI_FIRST) at = siblings.begin();
    else if (after != TVI_LAST) {
        const auto found = std::find(siblings.begin(), siblings.end(), after);
        if (found != siblings.end()) at = found + 1;
    }
    const HTREEITEM id = m_next++;
    node.parent = parent;
    siblings.insert(at, id);
    m_rows[id] = std::make_unique<Node>(std::move(node));
    return id;
}

HTREEITEM CTreeListModel::InsertItem(const std::string& text, HTREEITEM parent, HTREEITEM after, bool fictive) {
    Node node;
    node.row.m_texts = {text};
    node.row.m_parent = parent;
    node.row.m_fictive = fictive;
    return Link(std::move(node), parent, after);
}

HTREEITEM CTreeListModel::CopyItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after) {
    const CTreeListRow* source = Row(item);
    if (!source || !Children(item).empty()) return 0;
    Node node;
    node.row.m_texts = source->m_texts;
    node.row.m_bold = source->m_bold;
    node.row.m_color = source->m_color;
    node.row.m_data = source->m_data;
    return Link(std::move(node), parent, after);
}

HTREEITEM CTreeListModel::MoveItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after) {
    if (item == parent) return 0;
    const HTREEITEM copy = CopyItem(item, parent, after);
    if (copy) DeleteItem(item);
    return copy;
}

bool CTreeListModel::DeleteItem(HTREEITEM item) {
    const auto found = m_rows.find(item);
    if (found == m_rows.end()) return false;
    for (HTREEITEM child : Children(item)) DeleteItem(child);
    m_children.erase(item);
    auto& siblings = m_children[found->second->parent];
    siblings.erase(std::remove(siblings.begin(), siblings.end(), item), siblings.end());
    m_rows.erase(found);
    return true;
}

void CTreeListModel::DeleteAllItems() {
    m_rows.clear();
    m_children.clear();
}

CTreeListRow* CTreeListModel::Row(HTREEITEM item) {
    const auto found = m_rows.find(item);
    return found == m_rows.end() ? nullptr : &found->second->row;
}

const CTreeListRow* CTreeListModel::Row(HTREEITEM item) const {
    const auto found = m_rows.find(item);
    return found == m_rows.end() ? nullptr : &found->second->row;
}

bool CTreeListModel::SetItemText(HTREEITEM item, int column, const std::string& text) {
    CTreeListRow* row = Row(item);
    if (!row || column < 0) return false;
    if (static_cast<int>(row->m_texts.size()) <= column) row->m_texts.resize(column + 1);
    row->m_texts[column] = text;
    return true;
}

std::string CTreeListModel::GetItemText(HTREEITEM item, int column) const {
    const CTreeListRow* row = Row(item);
    if (!row || column < 0 || column >= static_cast<int>(row->m_texts.size())) return {};
    return row->m_texts[column];
}

HTREEITEM CTreeListModel::GetParentItem(HTREEITEM item) const {
    const auto found = m_rows.find(item);
    return found == m_rows.end() ? 0 : found->second->parent;
}

HTREEITEM CTreeListModel::GetTreeItem(int n) const {
    const auto top = Children(0);
    return n >= 0 && n < static_cast<int>(top.size()) ? top[n] : 0;
}

bool CTreeListModel::IsExpanded(HTREEITEM item) const {
    const auto found = m_rows.find(item);
    return found != m_rows.end() && found->second->open;
}

void CTreeListModel::SetExpanded(HTREEITEM item, bool expanded) {
    const auto found = m_rows.find(item);
    if (found != m_rows.end()) found->second->open = expanded;
}

void CTreeListModel::SetSelected(HTREEITEM item, bool selected) {
    const auto found = m_rows.find(item);
    if (found != m_rows.end()) found->second->selected = selected;
}

bool CTreeListModel::IsDropHilited(HTREEITEM item) const {
    const auto found = m_rows.find(item);
    return found != m_rows.end() && found->second->dropHilited;
}

void CTreeListModel::SetDropHilited(HTREEITEM item, bool on) {
    const auto found = m_rows.find(item);
    if (found != m_rows.end()) found->second->dropHilited = on;
}

HTREEITEM CTreeListModel::GetNextVisible(HTREEITEM item) const {
    const auto rows = VisibleRows();
    const auto at = std::find(rows.begin(), rows.end(), item);
    return at == rows.end() || at + 1 == rows.end() ? 0 : *(at + 1);
}

HTREEITEM CTreeListModel::GetPrevVisible(HTREEITEM item) const {
    const auto rows = VisibleRows();
    const auto at = std::find(rows.begin(), rows.end(), item);
    return at == rows.end() || at == rows.begin() ? 0 : *(at - 1);
}

void CTreeListModel::SortChildren(HTREEITEM parent, int column, bool ascending, bool sortAll) {
    const auto found = m_children.find(parent);
    if (found == m_children.end()) return;
    const int type = m_marks.GetColType(column);
    std::stable_sort(found->second.begin(), found->second.end(), [&](HTREEITEM a, HTREEITEM b) {
        const CTreeListRow* ra = Row(a);
        const CTreeListRow* rb = Row(b);
        return CompareTreeListCells(type, ascending, sortAll, ra->m_parent == 0 && rb->m_parent == 0,
                                    GetItemText(a, column), GetItemText(b, column)) < 0;
    });
}

std::vector<HtmlRowId> CTreeListModel::Children(HtmlRowId parent) const {
    const auto found = m_children.find(parent);
    return found == m_children.end() ? std::vector<HtmlRowId>{} : found->second;
}

void CTreeListModel::AddVisible(HTREEITEM parent, std::vector<HtmlRowId>& out) const {
    for (HTREEITEM child : Children(parent)) {
        out.push_back(child);
        if (IsExpanded(child)) AddVisible(child, out);
    }
}

std::vector<HtmlRowId> CTreeListModel::VisibleRows() const {
    std::vector<HtmlRowId> out;
    AddVisible(0, out);
    return out;
}

bool CTreeListModel::IsSelected(HtmlRowId row) const {
    const auto found = m_rows.find(row);
    return found != m_rows.end() && found->second->selected;
}

bool CTreeListModel::IsFictive(HtmlRowId row) const {
    const CTreeListRow* r = Row(row);
    return r && r->m_fictive;
}

}  // namespace zor
