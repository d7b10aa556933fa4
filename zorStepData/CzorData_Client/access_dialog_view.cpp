#include "zorStepData/CzorData_Client/access_dialog_view.h"
#include "zorStepData/CzorData_Client/retry_dialog_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidget>

#include "controls/dialogs/button.h"
#include "controls/dialogs/sort_list.h"
#include "controls/dialogs/sort_order.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/imagelist.h"
#include "controls/resources/module_resources.h"
#include "controls/stock_icons.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }

enum : int {
    kIdOk = 1, kIdCancel = 2, kIdAdd = 32782, kIdDelete = 32783, kIdChange = 32784,
    kIdInPlace = 7015, kIdList = 7010, kIdSwitch = 4014, kIdLabel = 4018, kIdDefault = 4015,
    kIdTree = 4008, kIdPickerAdd = 7023, kIdAccessMenu = 7011,
};
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kImage = 20;

// A control's tool tip is Peltrane's string with the control's id.
void Tip(QWidget* w, int id) {
    zor::ScopedResourceModule own(zor::ResourceModule::Peltrane);
    std::string text;
    if (zor::FindStringResource(id, text)) w->setToolTip(Q(text));
}

template <class W>
W* Place(W* w, int id, const QRect& at) {
    w->setObjectName(QString::number(id));
    w->setGeometry(at);
    return w;
}

CzorButton* Button(QWidget* parent, int id, const char* text, const QIcon& icon, const QRect& at) {
    auto* b = Place(new CzorButton(parent), id, at);
    b->setText(Q(text));
    b->SetIcon(icon);
    b->SetFlat(true);
    b->setAutoDefault(false);
    Tip(b, id);
    return b;
}

void FillModes(QComboBox* combo, std::initializer_list<const char*> texts) {
    for (const char* t : texts) combo->addItem(Q(t));
}

// One picture of the strip: a head and shoulders, or two of them for a group; the current user's
// own pictures in green.
void DrawAgent(QPainter& p, int x, bool group, bool mine) {
    const QColor body = mine ? QColor(40, 140, 60) : QColor(40, 80, 170);
    const QColor face(236, 196, 150);
    const auto person = [&](int cx, int top, double scale, const QColor& coat) {
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(coat);
        p.drawRoundedRect(QRectF(cx - 6 * scale, top + 9 * scale, 12 * scale, 8 * scale), 2, 2);
        p.setBrush(face);
        p.drawEllipse(QRectF(cx - 3.5 * scale, top + 1 * scale, 7 * scale, 7 * scale));
    };
    if (group) {
        person(x + 7, 1, 0.9, body.lighter(130));
        person(x + 13, 3, 0.9, body);
    } else {
        person(x + 10, 1, 1.05, body);
    }
}

QImage DrawAgentsBitmap() {
    QImage strip(6 * kImage, kImage, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawAgent(p, 0 * kImage, true, false);
    DrawAgent(p, 1 * kImage, false, false);
    DrawAgent(p, 4 * kImage, true, true);
    DrawAgent(p, 5 * kImage, false, true);
    return strip;
}

QImage PeltraneBitmap(int id) { return id == kzorAccessAgentsBitmap ? zorAccessAgentsBitmap() : QImage(); }

const bool g_registered = (zor::SetBitmapLoader(zor::ResourceModule::Peltrane, &PeltraneBitmap), true);

QIcon AgentIcon(int image) { return zorAccessAgentImages().GetIcon(image); }

}  // namespace

QImage zorAccessAgentsBitmap() {
    static const QImage strip = DrawAgentsBitmap();
    return strip;
}

const CImageList& zorAccessAgentImages() {
    static const CImageList images = [] {
        CImageList list;
        zor::ScopedResourceModule own(zor::ResourceModule::Peltrane);
        list.Create(zor::FindBitmapResource(kzorAccessAgentsBitmap), kImage, kMagenta);
        return list;
    }();
    return images;
}

// ---- The picker

CDlgSelectUser::CDlgSelectUser(QWidget* parent) : CzorResizableDialog(7008, parent) {
    setObjectName("7008");
    setWindowTitle(Q("Выбор пользователя, группы"));
    resize(340, 380);
    m_pTree = Place(new QTreeWidget(this), kIdTree, {8, 8, 324, 300});
    m_pTree->setHeaderHidden(true);
    m_pTree->setIconSize(QSize(kImage, kImage));
    Tip(m_pTree, kIdTree);
    auto* label = Place(new QLabel(Q("Установить доступ:"), this), kIdLabel, {8, 316, 130, 22});
    m_pMode = Place(new QComboBox(this), kIdInPlace, {140, 316, 192, 22});
    FillModes(m_pMode, {"Полный доступ", "Чтение запись", "Только чтение", "Нет доступа"});
    Tip(m_pMode, kIdInPlace);
    auto* add = Button(this, kIdPickerAdd, "Добавить", GetZorStdIco16(0), {130, 346, 100, 26});
    auto* cancel = Button(this, kIdCancel, "Отменить", GetZorStdIco16(1), {234, 346, 98, 26});
    QObject::connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
    QObject::connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    (void)label;
}

bool CDlgSelectUser::Init(CzorNetStepData* store) {
    m_pStore = store;
    if (!store) return false;
    CzorEntity* groups = store->GetEntityBN("zor_workgroup");
    CzorEntity* users = store->GetEntityBN("zor_user");
    return groups && users && store->GetAttrDefinition(groups, "name") && store->GetAttrDefinition(users, "groups");
}

bool CDlgSelectUser::OnInitDialog() {
    CzorResizableDialog::OnInitDialog();
    m_pMode->setCurrentIndex(zorAccessReadOnly);
    AddAnchor(m_pTree, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
    AddAnchor(kIdLabel, ANCHOR_BOTTOM_LEFT);
    AddAnchor(m_pMode, ANCHOR_BOTTOM_LEFT, ANCHOR_BOTTOM_RIGHT);
    AddAnchor(kIdPickerAdd, ANCHOR_BOTTOM_RIGHT);
    AddAnchor(kIdCancel, ANCHOR_BOTTOM_RIGHT);
    FillTree();
    return true;
}

void CDlgSelectUser::FillTree() {
    m_pTree->clear();
    if (!m_pStore) return;
    const CzorInstance* me = m_pStore->GetCurrUser();
    for (const CAccessPickerNode& node : zorAccessPickerTree(*m_pStore)) {
        auto* g = new QTreeWidgetItem(m_pTree, QStringList(Q(node.name)));
        g->setIcon(0, AgentIcon(node.group->GetId() == kzorAccessCurrentGroupPlaceholder ? 4 : 0));
        g->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(node.group)));
        g->setFlags(g->flags() | Qt::ItemIsUserCheckable);
        g->setCheckState(0, Qt::Unchecked);
        for (const auto& [user, name] : node.users) {
            auto* u = new QTreeWidgetItem(g, QStringList(Q(name)));
            const bool mine = user == me || user->GetId() == kzorAccessCurrentUserPlaceholder;
            u->setIcon(0, AgentIcon(mine ? 5 : 1));
            u->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(user)));
            u->setFlags(u->flags() | Qt::ItemIsUserCheckable);
            u->setCheckState(0, Qt::Unchecked);
        }
    }
    m_pTree->expandAll();
}

void CDlgSelectUser::OnAdd() {
    std::vector<CzorInstance*> groups, users;
    for (int i = 0; i < m_pTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = m_pTree->topLevelItem(i);
        if (g->checkState(0) == Qt::Checked) groups.push_back(static_cast<CzorInstance*>(g->data(0, Qt::UserRole).value<void*>()));
        for (int c = 0; c < g->childCount(); ++c)
            if (g->child(c)->checkState(0) == Qt::Checked)
                users.push_back(static_cast<CzorInstance*>(g->child(c)->data(0, Qt::UserRole).value<void*>()));
    }
    zorAccessPickerSelection(groups, users, m_SelGroups, m_SelUsers);
    m_Mode = static_cast<zorAccessModeType>(std::max(0, m_pMode->currentIndex()));
    accept();
}

// ---- The access dialog

CDlgSetInstAccess::CDlgSetInstAccess(CzorNetStepData& store, zorUsers& users, bool viewOnly, bool patternMode,
                                     QWidget* parent)
    : CzorResizableDialog(4005, parent), m_Store(store), m_Model(store, users, viewOnly, patternMode) {
    setObjectName("4005");
    setWindowTitle(Q("Установка прав доступа"));
    resize(470, 360);
    m_pSwitch = Place(new QCheckBox(Q("Учитывать индивидуальный доступ"), this), kIdSwitch, {8, 8, 350, 22});
    Tip(m_pSwitch, kIdSwitch);
    m_pLabel = Place(new QLabel(Q("Группы пользователей/пользователи"), this), kIdLabel, {8, 34, 350, 20});
    m_pList = Place(new CSortListCtrl(this), kIdList, {8, 56, 350, 230});
    m_pList->setIconSize(QSize(kImage, kImage));
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pList->viewport()->installEventFilter(this);
    m_pInPlace = Place(new QComboBox(m_pList->viewport()), kIdInPlace, {0, 0, 100, 22});
    FillModes(m_pInPlace, {"Полный доступ", "Чтение запись", "Только чтение", "Нет доступа"});
    m_pInPlace->hide();
    Tip(m_pInPlace, kIdInPlace);
    m_pAdd = Button(this, kIdAdd, "Добавить", GetZorTableIco(0), {366, 56, 96, 26});
    m_pDelete = Button(this, kIdDelete, "Удалить", GetZorTableIco(5), {366, 86, 96, 26});
    m_pChange = Button(this, kIdChange, "Изменить", GetZorTableIco(42), {366, 116, 96, 26});
    Place(new QLabel(Q("Доступ по умолчанию:"), this), 4016, {8, 294, 150, 22});
    m_pDefault = Place(new QComboBox(this), kIdDefault, {160, 294, 198, 22});
    FillModes(m_pDefault, {"Полный доступ", "Чтение-запись", "Только чтение", "Нет доступа"});
    Tip(m_pDefault, kIdDefault);
    m_pOk = Button(this, kIdOk, "OK", GetZorStdIco16(0), {262, 326, 96, 26});
    m_pCancel = Button(this, kIdCancel, "Отмена", GetZorStdIco16(1), {366, 326, 96, 26});

    QObject::connect(m_pOk, &QPushButton::clicked, this, [this] { accept(); });
    QObject::connect(m_pCancel, &QPushButton::clicked, this, [this] { reject(); });
    QObject::connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    QObject::connect(m_pDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    QObject::connect(m_pChange, &QPushButton::clicked, this, [this] { OnChange(); });
    QObject::connect(m_pSwitch, &QCheckBox::clicked, this, [this] { OnSwitch(); });
    QObject::connect(m_pList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        EndEditing();
        SelectRow(m_pList->HitTest(at));
        ShowContextMenu(m_pList->viewport()->mapToGlobal(at));
    });
}

CDlgSetInstAccess::~CDlgSetInstAccess() = default;

bool CDlgSetInstAccess::OnInitDialog() {
    CzorResizableDialog::OnInitDialog();
    m_pList->SetUniqueName("CDlgSetInstAccess::m_ListAccessAgents");
    m_pPicker = std::make_unique<CDlgSelectUser>(this);
    m_pPicker->Init(&m_Store);
    if (m_Model.OfferKeep()) m_pDefault->addItem(Q("Не изменять"));
    // Columns sized from the list's width unless the profile keeps the user's widths.
    m_pList->DeleteAllColumns();
    // The viewport has no size of its own before the first show.
    const int width = m_pList->contentsRect().width();
    m_pList->InsertColumn(0, "Имя", LVCFMT_LEFT, width * 12 / 20);
    m_pList->InsertColumn(1, "Тип доступа", LVCFMT_LEFT, width * 7 / 20);
    for (int c = 0; c < 2; ++c)
        if (m_pList->GetRegColumnWidth(c) >= zor::kMinSavedWidth) m_pList->SetColumnWidth(c);
    FillList();
    m_pDefault->setCurrentIndex(m_Model.DefaultIndex());
    QObject::connect(m_pDefault, &QComboBox::activated, this, [this](int index) { OnDefaultChanged(index); });
    if (m_Model.MixedFlags()) {
        m_pSwitch->setTristate(true);
        m_pSwitch->setCheckState(Qt::PartiallyChecked);
    } else {
        m_pSwitch->setChecked(m_Model.SwitchOn());
    }
    AddAnchor(m_pOk, ANCHOR_BOTTOM_RIGHT);
    AddAnchor(m_pCancel, ANCHOR_BOTTOM_RIGHT);
    for (QWidget* b : {static_cast<QWidget*>(m_pAdd), static_cast<QWidget*>(m_pDelete), static_cast<QWidget*>(m_pChange)})
        AddAnchor(b, ANCHOR_TOP_RIGHT);
    AddAnchor(m_pSwitch, ANCHOR_TOP_LEFT, ANCHOR_TOP_RIGHT);
    AddAnchor(m_pLabel, ANCHOR_TOP_LEFT, ANCHOR_TOP_RIGHT);
    AddAnchor(m_pList, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
    AddAnchor(4016, ANCHOR_BOTTOM_LEFT);
    AddAnchor(m_pDefault, ANCHOR_BOTTOM_LEFT);
    if (m_Model.ViewOnly()) {
        for (QWidget* w : {static_cast<QWidget*>(m_pOk), static_cast<QWidget*>(m_pInPlace),
                           static_cast<QWidget*>(m_pAdd), static_cast<QWidget*>(m_pDelete),
                           static_cast<QWidget*>(m_pChange), static_cast<QWidget*>(m_pSwitch),
                           static_cast<QWidget*>(m_pLabel), static_cast<QWidget*>(m_pDefault)})
            w->setEnabled(false);
        setWindowTitle(Q(m_Model.Caption()));
    }
    UpdateControls();
    return true;
}

void CDlgSetInstAccess::FillList() {
    m_pList->DeleteAllItems();
    const auto& rows = m_Model.Rows();
    for (size_t r = 0; r < rows.size(); ++r) {
        const int item = m_pList->InsertItem(static_cast<int>(r), rows[r].name);
        m_pList->SetItemText(item, 1, rows[r].modeText);
        m_pList->SetItemData(item, reinterpret_cast<uintptr_t>(rows[r].list));
        if (QTreeWidgetItem* it = m_pList->topLevelItem(item)) it->setIcon(0, AgentIcon(rows[r].image));
        if (rows[r].list == m_pCurrent) m_pList->SetItemSelected(item, true);
    }
    if (CurrentModelRow() < 0) m_pCurrent = nullptr;
}

int CDlgSetInstAccess::RowOf(const CzorInstance* agent) const {
    for (int i = 0; i < m_pList->GetItemCount(); ++i) {
        const auto* list = reinterpret_cast<const zorAccessList*>(static_cast<uintptr_t>(m_pList->GetItemData(i)));
        if (agent && list && list->m_pAgent == agent) return i;
    }
    return -1;
}

int CDlgSetInstAccess::CurrentModelRow() const {
    const auto& rows = m_Model.Rows();
    for (size_t r = 0; r < rows.size(); ++r)
        if (m_pCurrent && rows[r].list == m_pCurrent) return static_cast<int>(r);
    return -1;
}

void CDlgSetInstAccess::SelectRow(int row) {
    zorAccessList* chosen = row >= 0 && row < m_pList->GetItemCount()
                                ? reinterpret_cast<zorAccessList*>(static_cast<uintptr_t>(m_pList->GetItemData(row)))
                                : nullptr;
    // A pending in-place choice belongs to the row it was opened on.
    EndEditing();
    m_pCurrent = chosen;
    row = m_pCurrent ? RowOf(m_pCurrent->m_pAgent) : -1;
    for (int i = 0; i < m_pList->GetItemCount(); ++i) m_pList->SetItemSelected(i, i == row);
    UpdateControls();
}

void CDlgSetInstAccess::UpdateControls() {
    const bool on = m_Model.SwitchOn();
    if (!m_Model.ViewOnly()) m_pLabel->setEnabled(on);
    m_pList->setEnabled(on);
    m_pAdd->setEnabled(m_Model.CanAdd());
    const bool row = m_Model.CanEdit(CurrentModelRow());
    m_pDelete->setEnabled(row);
    m_pChange->setEnabled(row);
}

void CDlgSetInstAccess::EndEditing() {
    if (!m_bEditing) return;
    m_bEditing = false;
    m_pInPlace->hide();
    m_Model.Change(CurrentModelRow(), static_cast<zorAccessModeType>(std::max(0, m_pInPlace->currentIndex())));
    FillList();
    UpdateControls();
}

void CDlgSetInstAccess::OnChange() {
    const int row = CurrentModelRow();
    if (row < 0) {
        m_Model.Change(-1, zorAccessNotSet);  // the model says which element is missing
        return;
    }
    const int item = RowOf(m_pCurrent->m_pAgent);
    QTreeWidgetItem* it = m_pList->topLevelItem(item);
    if (!it) return;
    QRect at = m_pList->visualItemRect(it);
    at.setLeft(m_pList->columnViewportPosition(1));
    at.setWidth(m_pList->columnWidth(1));
    at = at.intersected(m_pList->viewport()->rect());
    at.setHeight(std::max(at.height(), m_pInPlace->sizeHint().height()));
    m_pInPlace->setGeometry(at);
    const zorAccessEl* first = m_pCurrent->GetAt(0);
    const int mode = first ? first->ModeByte() : 0;
    m_pInPlace->setCurrentIndex(mode >= 0 && mode <= 3 ? mode : 0);
    m_pInPlace->show();
    m_pInPlace->setFocus();
    m_bEditing = true;
}

void CDlgSetInstAccess::OnDelete() {
    EndEditing();
    if (!m_Model.Delete(CurrentModelRow())) return;
    m_pCurrent = nullptr;
    FillList();
    UpdateControls();
}

void CDlgSetInstAccess::OnAdd() {
    EndEditing();
    if (!m_pPicker) return;
    if (m_pPicker->exec() != QDialog::Accepted) return;
    m_Model.Add(m_pPicker->SelectedGroups(), m_pPicker->SelectedUsers(), m_pPicker->ChosenMode());
    FillList();
    UpdateControls();
}

void CDlgSetInstAccess::ShowContextMenu(const QPoint& global) {
    zor::ScopedResourceModule own(zor::ResourceModule::Peltrane);
    CzorMenu menu;
    if (!menu.LoadMenu(kIdAccessMenu)) return;
    auto* popup = dynamic_cast<CzorMenu*>(menu.GetSubMenu(0));
    if (!popup) return;
    popup->SetDefaultItem(kIdChange);
    if (CurrentModelRow() < 0 || m_Model.ViewOnly()) {
        popup->EnableMenuItem(kIdChange, MF_BYCOMMAND | MF_GRAYED);
        popup->EnableMenuItem(kIdDelete, MF_BYCOMMAND | MF_GRAYED);
    }
    if (m_Model.ViewOnly()) popup->EnableMenuItem(kIdAdd, MF_BYCOMMAND | MF_GRAYED);
    menu.Install(this);
    const int command = popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, global.x(), global.y(), this);
    menu.Uninstall();
    switch (command) {
        case kIdAdd: OnAdd(); break;
        case kIdDelete: OnDelete(); break;
        case kIdChange: OnChange(); break;
        default: break;
    }
}

void CDlgSetInstAccess::OnSwitch() {
    // The partly checked look of disagreeing flags ends with the first click: the switch is on.
    const bool on = m_pSwitch->checkState() != Qt::Unchecked;
    m_pSwitch->setTristate(false);
    m_Model.SetSwitch(on);
    m_pSwitch->setChecked(m_Model.SwitchOn());
    UpdateControls();
}

void CDlgSetInstAccess::OnDefaultChanged(int index) {
    m_Model.SetDefaultIndex(index);
    m_pSwitch->setTristate(false);
    m_pSwitch->setChecked(m_Model.SwitchOn());
    UpdateControls();
}

bool CDlgSetInstAccess::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pList->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (m_pInPlace->isVisible() && m_pInPlace->geometry().contains(at)) return false;
        EndEditing();
        SelectRow(m_pList->HitTest(at));
        if (event->type() == QEvent::MouseButtonDblClick && m_Model.CanEdit(CurrentModelRow())) OnChange();
    }
    return CzorResizableDialog::eventFilter(watched, event);
}

void CDlgSetInstAccess::accept() {
    if (m_Model.ViewOnly()) return;
    EndEditing();
    m_Model.Ok();
    CzorResizableDialog::accept();
}

// ---- The runner

bool zorRunAccessDialogWindow(CzorNetStepData& store, zorUsers& set, bool viewOnly, bool patternMode,
                              bool& removeAll) {
    zor::ScopedResourceModule own(zor::ResourceModule::Peltrane);
    CDlgSetInstAccess dlg(store, set, viewOnly, patternMode);
    const bool ok = dlg.exec() == QDialog::Accepted;
    removeAll = ok && dlg.RemovalFlag();
    return ok;
}

void zorUseAccessDialogWindows(CzorNetStepData& store) { store.SetAccessDialog(&zorRunAccessDialogWindow); }

bool zor::net::QtNetUi::RunAccessDialog(CzorNetStepData& store, zorUsers& set, bool viewOnly, bool patternMode,
                                        bool& removeAll) {
    return zorRunAccessDialogWindow(store, set, viewOnly, patternMode, removeAll);
}
