#include "designer/navigator/navigator_items.h"

#include <atomic>

#include <QTreeWidget>

#include "controls/menu/zor_menu.h"
#include "controls/resources/module_resources.h"

#include "designer/doc/quillmark_doc.h"
#include "designer/navigator/navigator_images.h"
#include "platform/text/case_fold.h"
#include "platform/text/utf8.h"
#include "platform/ui/messages.h"
#include "report/dialogs/element_menu.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"

namespace quillmark {

namespace {

long long NextItemId() {
    static std::atomic<long long> next{1};
    return next++;
}

}  // namespace

CNavigatorItem::CNavigatorItem(int kind, CQuillmarkDoc* doc, QTreeWidget* tree)
    : m_kind(kind), m_id(NextItemId()), m_doc(doc), m_tree(tree) {}

CNavigatorItem::~CNavigatorItem() {
    // The tree item's children belong to other item objects, which delete their own.
    if (m_item) {
        while (m_item->childCount() > 0) m_item->takeChild(0);
        delete m_item;
    }
}

int CNavigatorItem::ShowContextMenu(const QPoint&, QWidget*) { return 0; }

std::string CNavigatorItem::Text() const { return m_item ? m_item->text(0).toStdString() : std::string(); }

bool CNavigatorItem::InsertTreeItem(QTreeWidgetItem* parent, const std::string& text, int image, int selectedImage) {
    if (!m_tree) return false;
    m_item = new QTreeWidgetItem;
    m_item->setData(0, kItemIdRole, QVariant::fromValue<qlonglong>(m_id));
    m_item->setFlags(m_item->flags() | Qt::ItemIsDragEnabled);
    (parent ? parent : m_tree->invisibleRootItem())->addChild(m_item);
    SetLabel(text, image, selectedImage);
    return true;
}

void CNavigatorItem::SetLabel(const std::string& text, int image, int selectedImage) {
    m_image = image;
    m_selectedImage = selectedImage;
    if (!m_item) return;
    m_item->setText(0, QString::fromStdString(text));
    m_item->setIcon(0, NavigatorIcon(image, selectedImage));
}

// --- Sheet items ------------------------------------------------------------------------------------------

bool CSheetItem::Insert(CReportSheet* sheet, QTreeWidgetItem* parent) {
    if (!sheet) return false;
    m_sheet = sheet;
    return InsertTreeItem(parent, sheet->GetName(), 0, 1);
}

void CSheetItem::Refresh() {
    if (m_sheet) SetLabel(m_sheet->GetName(), 0, 1);
}

CzorMenu* LoadNavigatorMenu(CzorMenu& menu, bool deleteEnabled, bool propertiesEnabled) {
    zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
    if (!menu.LoadMenu(kElementMenuId)) return nullptr;
    menu.LoadToolBar(kElementMenuToolbarId);
    auto* popup = dynamic_cast<CzorMenu*>(menu.GetSubMenu(0));
    if (!popup) return nullptr;
    if (!deleteEnabled) popup->EnableMenuItem(ID_NAV_DELETE, MF_BYCOMMAND | MF_GRAYED);
    if (!propertiesEnabled) popup->EnableMenuItem(ID_NAV_PROPERTIES, MF_BYCOMMAND | MF_GRAYED);
    return popup;
}

int RunNavigatorMenu(const QPoint& globalPos, QWidget* parent, bool deleteEnabled, bool propertiesEnabled) {
    if (!parent) return 0;
    CzorMenu menu;
    CzorMenu* popup = LoadNavigatorMenu(menu, deleteEnabled, propertiesEnabled);
    if (!popup) return 0;
    zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
    menu.Install(parent);
    const int command = popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, globalPos.x(), globalPos.y(), parent);
    menu.Uninstall();
    return command;
}

int CSheetItem::ShowContextMenu(const QPoint& globalPos, QWidget* parent) {
    const int command = RunNavigatorMenu(globalPos, parent, true, false);
    CQuillmarkDoc* doc = m_doc;
    switch (command) {
        case ID_NAV_NEW_SHEET: doc->AddSheet(); break;
        case ID_NAV_NEW_PARAM: doc->NewParam(); break;
        case ID_NAV_DELETE:
            if (AfxMessageBox("Вы уверены что хотите удалить выбранную страницу",
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDNO)
                doc->DeleteSheet(m_sheet);  // this item is gone afterwards
            break;
        default: break;
    }
    return command;
}

// --- Parameter items ------------------------------------------------------------------------------------

bool CParamItem::Insert(CReportParam* param) {
    if (!param) return false;
    m_param = param;
    return InsertTreeItem(nullptr, param->GetName(), param->GetType() + 4, param->GetType() + 4);
}

void CParamItem::Refresh() {
    if (m_param) SetLabel(m_param->GetName(), m_param->GetType() + 4, m_param->GetType() + 4);
}

int CParamItem::ShowContextMenu(const QPoint& globalPos, QWidget* parent) {
    const int command = RunNavigatorMenu(globalPos, parent, true, true);
    CQuillmarkDoc* doc = m_doc;
    switch (command) {
        case ID_NAV_NEW_SHEET: doc->AddSheet(); break;
        case ID_NAV_NEW_PARAM: doc->NewParam(); break;
        case ID_NAV_PROPERTIES:
            if (m_param && m_param->ShowProp()) {
                Refresh();
                doc->SetChanged();
            }
            break;
        case ID_NAV_DELETE:
            if (AfxMessageBox("Вы действительно желаете удалить выбранный параметр?", MB_YESNO | MB_ICONQUESTION) !=
                IDNO)
                doc->DeleteParam(m_param);  // this item is gone afterwards
            break;
        default: break;
    }
    return command;
}

// --- Contents items ---------------------------------------------------------------------------------------

CContentsItem::~CContentsItem() {
    // The children's tree items hang below this one: they go first.
    m_children.clear();
}

bool CContentsItem::Fill(CTableContent* node, CReportSheet* sheet, QTreeWidgetItem* parent) {
    if (!node) return false;
    m_node = node;
    m_sheet = sheet;
    if (!InsertTreeItem(parent, node->GetTitle(), 0, 0)) return false;
    for (CTableContent* child : node->GetChildren()) {
        auto item = std::make_unique<CContentsItem>(m_doc, m_tree);
        CReportSheet* first = child->GetSheets().IsEmpty() ? nullptr : child->GetSheets().GetAt(0);
        if (item->Fill(child, first, m_item)) m_children.push_back(std::move(item));
    }
    if (node->GetChildren().IsEmpty()) {
        for (CReportSheet* page : node->GetSheets()) {
            auto item = std::make_unique<CSheetItem>(m_doc, m_tree);
            if (item->Insert(page, m_item)) m_children.push_back(std::move(item));
        }
    }
    return true;
}

void CContentsItem::Refresh() {
    if (m_node) SetLabel(m_node->GetTitle(), 0, 0);
}

CNavigatorItem* CContentsItem::FindById(long long id) {
    if (m_id == id) return this;
    for (const auto& child : m_children) {
        if (child->Id() == id) return child.get();
        if (auto* contents = dynamic_cast<CContentsItem*>(child.get()))
            if (CNavigatorItem* found = contents->FindById(id)) return found;
    }
    return nullptr;
}

CNavigatorItem* CContentsItem::FindByTreeItem(const QTreeWidgetItem* item) {
    if (m_item == item) return this;
    for (const auto& child : m_children) {
        if (child->TreeItem() == item) return child.get();
        if (auto* contents = dynamic_cast<CContentsItem*>(child.get()))
            if (CNavigatorItem* found = contents->FindByTreeItem(item)) return found;
    }
    return nullptr;
}

// --- Order ------------------------------------------------------------------------------------------------

int SheetNameNumber(const std::string& name) {
    static const std::u32string kPrefix = U"Лист";
    size_t pos = 0;
    while (pos < name.size()) {
        size_t size = 0;
        const char32_t c = zor::Utf8DecodeAt(name, pos, &size);
        if (kPrefix.find(c) == std::u32string::npos || size == 0) break;
        pos += size;
    }
    // Read as a decimal integer the way atoi does: optional sign, digits, stop at the first other byte.
    long long value = 0;
    bool negative = false;
    while (pos < name.size() && (name[pos] == ' ' || name[pos] == '\t')) ++pos;
    if (pos < name.size() && (name[pos] == '-' || name[pos] == '+')) negative = name[pos++] == '-';
    while (pos < name.size() && name[pos] >= '0' && name[pos] <= '9' && value < 1000000000)
        value = value * 10 + (name[pos++] - '0');
    return static_cast<int>(negative ? -value : value);
}

int CompareNavigatorItems(const CNavigatorItem& a, const CNavigatorItem& b) {
    if (a.Image() != b.Image()) return a.Image() < b.Image() ? -1 : 1;
    const bool sheets = a.Kind() == kItemSheet && b.Kind() == kItemSheet;
    const bool contents = a.Kind() == kItemContents && b.Kind() == kItemContents;
    if (sheets) {
        const int na = SheetNameNumber(a.Sheet() ? a.Sheet()->GetName() : a.Text());
        const int nb = SheetNameNumber(b.Sheet() ? b.Sheet()->GetName() : b.Text());
        if (na != nb) return na < nb ? -1 : 1;
        return 0;
    }
    if (contents) {
        // A contents item's own text is its title; its number comes from the sheet it shows.
        const int na = SheetNameNumber(a.Sheet() ? a.Sheet()->GetName() : std::string());
        const int nb = SheetNameNumber(b.Sheet() ? b.Sheet()->GetName() : std::string());
        if (na != nb) return na < nb ? -1 : 1;
        return 0;
    }
    const bool aFirst = a.Kind() == kItemSheet || a.Kind() == kItemContents;
    const bool bFirst = b.Kind() == kItemSheet || b.Kind() == kItemContents;
    if (aFirst != bFirst) return aFirst ? -1 : 1;
    const std::string fa = zor::FoldCase(a.Text());
    const std::string fb = zor::FoldCase(b.Text());
    return fa < fb ? -1 : (fa == fb ? 0 : 1);
}

}  // namespace quillmark
