#include "designer/users/users_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <fmt/format.h>

#include "platform/ui/messages.h"
#include "report/dialogs/dialog_controls.h"

namespace quillmark {

CUsersDlgLogic::CUsersDlgLogic(CFolivox* manager) : m_pManager(manager), m_Rows(LoadReportUsers(manager)) {}

void CUsersDlgLogic::OnRightsChanged() {
    if (m_bUsers || m_bEdit || m_bPrint) {
        m_bView = true;
        m_bViewEnabled = false;
    } else {
        m_bViewEnabled = true;
    }
}

void CUsersDlgLogic::SelectRow(int row) {
    if (row < 0 || row >= RowCount() || row == m_nShown) return;
    const CReportUser& user = *m_Rows[row];
    m_Name = user.name;
    m_Password = m_Confirm = user.GetPassword();
    m_bView = user.HasRight(kRightView);
    m_bPrint = user.HasRight(kRightPrint);
    m_bEdit = user.HasRight(kRightEdit);
    m_bUsers = user.HasRight(kRightUsers);
    m_bViewEnabled = !m_bPrint && !m_bEdit && !m_bUsers;
    m_nShown = row;
}

bool CUsersDlgLogic::Validate(int skipRow, int& mode, std::string& scrambled) {
    if (m_Name.empty()) {
        AfxMessageBox("Имя пользователя не может быть пустым!", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    for (int i = 0; i < RowCount(); ++i) {
        if (i != skipRow && m_Rows[i]->name == m_Name) {
            AfxMessageBox("Имя пользователя не уникально!", MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    if (m_Password != m_Confirm) {
        AfxMessageBox("Пароли не совпадают!", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    mode = AccessModeFromRights(m_bUsers, m_bEdit, m_bPrint, m_bView);
    if (mode == 0) {
        AfxMessageBox("Не заданы права доступа!", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CReportUser probe(nullptr);
    if (!probe.SetPassword(m_Password)) {
        AfxMessageBox("Пароль содержит символы, которые нельзя сохранить в отчете!", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    scrambled = probe.password;
    return true;
}

void CUsersDlgLogic::ClearFields() {
    m_Name.clear();
    m_Password.clear();
    m_Confirm.clear();
    m_bUsers = m_bEdit = m_bPrint = m_bView = false;
    m_bViewEnabled = true;
}

bool CUsersDlgLogic::Add() {
    int mode = 0;
    std::string scrambled;
    if (!Validate(-1, mode, scrambled)) return false;
    auto user = std::make_unique<CReportUser>(m_pManager);
    user->name = m_Name;
    user->password = scrambled;
    user->access_mode = mode;
    m_Added.push_back(user.get());
    m_Rows.push_back(std::move(user));
    m_bEdited = true;
    ClearFields();
    return true;
}

bool CUsersDlgLogic::Change(int row) {
    if (row < 0 || row >= RowCount()) return false;
    int mode = 0;
    std::string scrambled;
    if (!Validate(row, mode, scrambled)) return false;
    CReportUser& user = *m_Rows[row];
    user.name = m_Name;
    user.password = scrambled;
    user.access_mode = mode;
    m_bEdited = true;
    ClearFields();
    m_nShown = -1;
    return true;
}

bool CUsersDlgLogic::Delete(int row) {
    if (row < 0 || row >= RowCount()) return false;
    const std::string question =
        fmt::format("Вы действительно хотите удалить пользователя '{}'?", m_Rows[row]->name);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    std::unique_ptr<CReportUser> user = std::move(m_Rows[row]);
    m_Rows.erase(m_Rows.begin() + row);
    auto added = std::find(m_Added.begin(), m_Added.end(), user.get());
    if (added != m_Added.end())
        m_Added.erase(added);  // never stored: nothing to undo in the store
    else
        m_Deleted.push_back(std::move(user));
    if (m_nShown == row)
        m_nShown = -1;
    else if (m_nShown > row)
        --m_nShown;
    m_bEdited = true;
    return true;
}

bool CUsersDlgLogic::OK() {
    const bool anyAdmin = std::any_of(m_Rows.begin(), m_Rows.end(),
                                      [](const auto& user) { return user->HasRight(kRightUsers); });
    if (!m_Rows.empty() && !anyAdmin &&
        AfxMessageBox("Не задан ниодин пользователь с правом настройки пользователей.\n"
                      "Вернуться к настройке пользователей?",
                      MB_YESNO | MB_ICONQUESTION) == IDYES)
        return false;
    for (auto& user : m_Deleted) user->Delete();
    m_Deleted.clear();
    for (auto& user : m_Rows) user->Exchange(true);
    m_bChangedStore = m_bEdited;
    return true;
}

// --- the dialog -------------------------------------------------------------------------------------------

CUsersDlg::CUsersDlg(CFolivox* manager, QWidget* parent) : QDialog(parent), m_Logic(manager) {
    setObjectName("209");
    setWindowTitle(QString::fromUtf8("Настройка пользователей"));
    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout();
    m_pList = MakeRowList(this, "1119", {{"", 300}});
    m_pList->header()->hide();
    body->addWidget(m_pList);

    auto* side = new QVBoxLayout();
    auto* form = new QFormLayout();
    m_pName = new QLineEdit(this);
    m_pName->setObjectName("1117");
    m_pPassword = new QLineEdit(this);
    m_pPassword->setObjectName("1122");
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pConfirm = new QLineEdit(this);
    m_pConfirm->setObjectName("1130");
    m_pConfirm->setEchoMode(QLineEdit::Password);
    form->addRow(QString::fromUtf8("Имя пользователя:"), m_pName);
    form->addRow(QString::fromUtf8("Пароль:"), m_pPassword);
    form->addRow(QString::fromUtf8("Падтверждение пароля"), m_pConfirm);
    side->addLayout(form);
    auto makeBox = [this, side](const char* id, const char* text) {
        auto* box = new QCheckBox(QString::fromUtf8(text), this);
        box->setObjectName(id);
        side->addWidget(box);
        return box;
    };
    m_pUsers = makeBox("1126", "Разрешить настраивать пользователей");
    m_pEdit = makeBox("1123", "Разрешить редактирование");
    m_pPrint = makeBox("1124", "Разрешить печать");
    m_pView = makeBox("1125", "Разрешить просмотр");
    for (QCheckBox* box : {m_pUsers, m_pEdit, m_pPrint})
        connect(box, &QCheckBox::toggled, this, [this] {
            FromControls();
            m_Logic.OnRightsChanged();
            ToControls();
        });

    auto* buttons = new QHBoxLayout();
    auto makeButton = [this, buttons](const char* id, const char* text) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(id);
        buttons->addWidget(button);
        return button;
    };
    connect(makeButton("add", "Добавить"), &QPushButton::clicked, this, [this] {
        FromControls();
        if (m_Logic.Add()) FillList();
        ToControls();
    });
    connect(makeButton("change", "Изменить"), &QPushButton::clicked, this, [this] {
        FromControls();
        if (m_Logic.Change(SelectedRow())) FillList();
        ToControls();
    });
    connect(makeButton("delete", "Удалить"), &QPushButton::clicked, this, [this] {
        if (m_Logic.Delete(SelectedRow())) FillList();
        ToControls();
    });
    side->addLayout(buttons);
    side->addStretch();
    body->addLayout(side);
    layout->addLayout(body);
    connect(m_pList, &QTreeWidget::itemClicked, this, [this] {
        m_Logic.SelectRow(SelectedRow());
        ToControls();
    });
    AddOkCancel(this, layout, [this] { return m_Logic.OK(); });
    FillList();
    ToControls();
}

void CUsersDlg::FillList() {
    m_pList->clear();
    for (int i = 0; i < m_Logic.RowCount(); ++i)
        new QTreeWidgetItem(m_pList, QStringList{QString::fromStdString(m_Logic.Row(i).name)});
}

int CUsersDlg::SelectedRow() const {
    QTreeWidgetItem* item = m_pList->currentItem();
    return item ? m_pList->indexOfTopLevelItem(item) : -1;
}

void CUsersDlg::ToControls() {
    const QSignalBlocker b1(m_pUsers), b2(m_pEdit), b3(m_pPrint);
    m_pName->setText(QString::fromStdString(m_Logic.m_Name));
    m_pPassword->setText(QString::fromStdString(m_Logic.m_Password));
    m_pConfirm->setText(QString::fromStdString(m_Logic.m_Confirm));
    m_pUsers->setChecked(m_Logic.m_bUsers);
    m_pEdit->setChecked(m_Logic.m_bEdit);
    m_pPrint->setChecked(m_Logic.m_bPrint);
    m_pView->setChecked(m_Logic.m_bView);
    m_pView->setEnabled(m_Logic.m_bViewEnabled);
}

void CUsersDlg::FromControls() {
    m_Logic.m_Name = m_pName->text().toStdString();
    m_Logic.m_Password = m_pPassword->text().toStdString();
    m_Logic.m_Confirm = m_pConfirm->text().toStdString();
    m_Logic.m_bUsers = m_pUsers->isChecked();
    m_Logic.m_bEdit = m_pEdit->isChecked();
    m_Logic.m_bPrint = m_pPrint->isChecked();
    m_Logic.m_bView = m_pView->isChecked();
}

}  // namespace quillmark
