#include "designer/users/login.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

#include "controls/stock_icons.h"
#include "platform/settings/profile.h"
#include "platform/ui/messages.h"
#include "report/dialogs/dialog_controls.h"

namespace quillmark {

CLoginDlgLogic::CLoginDlgLogic(const CReportUserList& users, std::string lastUser)
    : m_Users(users), m_LastUser(std::move(lastUser)) {
    for (const auto& user : users) m_Names.push_back(user->name);
}

int CLoginDlgLogic::PreselectIndex() const {
    if (m_Names.empty()) return -1;
    if (!m_LastUser.empty()) {
        const QString prefix = QString::fromStdString(m_LastUser);
        for (size_t i = 0; i < m_Names.size(); ++i)
            if (QString::fromStdString(m_Names[i]).startsWith(prefix, Qt::CaseInsensitive)) return static_cast<int>(i);
    }
    return 0;
}

const CReportUser* CLoginDlgLogic::Match(const std::string& name, const std::string& password) const {
    for (const auto& user : m_Users)
        if (user->name == name && user->CheckPassword(password)) return user.get();
    return nullptr;
}

CLoginDlg::CLoginDlg(const CLoginDlgLogic& logic, QWidget* parent) : QDialog(parent) {
    setObjectName("7018");
    setWindowTitle(QString::fromUtf8("Установка соединения с БД"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    QPixmap logo;
    if (zorGetLogoBmp(logo, this)) {
        auto* picture = new QLabel(this);
        picture->setObjectName("logo");
        picture->setPixmap(logo);
        top->addWidget(picture, 0, Qt::AlignTop);
    }
    auto* form = new QFormLayout();
    m_pUser = new QComboBox(this);
    m_pUser->setObjectName("7020");
    m_pUser->setEditable(true);
    m_pUser->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& name : logic.Names()) m_pUser->addItem(QString::fromStdString(name));
    m_pUser->setCurrentIndex(logic.PreselectIndex());
    m_pPassword = new QLineEdit(this);
    m_pPassword->setObjectName("4001");
    m_pPassword->setEchoMode(QLineEdit::Password);
    form->addRow(QString::fromUtf8("Пользователь:"), m_pUser);
    form->addRow(QString::fromUtf8("Пароль:"), m_pPassword);
    top->addLayout(form);
    layout->addLayout(top);
    AddOkCancel(this, layout, [] { return true; });
    if (!logic.Names().empty()) m_pPassword->setFocus();
}

std::string CLoginDlg::UserName() const { return m_pUser->currentText().toStdString(); }
std::string CLoginDlg::Password() const { return m_pPassword->text().toStdString(); }

LoginPrompt RealLoginPrompt(QWidget* parent) {
    return [parent](const CLoginDlgLogic& logic, std::string& name, std::string& password) {
        CLoginDlg dialog(logic, parent);
        if (dialog.exec() != QDialog::Accepted) return false;
        name = dialog.UserName();
        password = dialog.Password();
        return true;
    };
}

bool RunReportLogin(CFolivox* manager, const LoginPrompt& prompt, std::unique_ptr<CReportUser>& user) {
    user.reset();
    CReportUserList users = LoadReportUsers(manager);
    if (users.empty()) return true;
    // The program only reads the preferred name; whoever set it up keeps it.
    CLoginDlgLogic logic(users, GetProfileString("DefaultSettings", "LastUser"));
    for (;;) {
        std::string name, password;
        if (!prompt || !prompt(logic, name, password)) return false;
        if (const CReportUser* match = logic.Match(name, password)) {
            user = std::make_unique<CReportUser>(*match);
            return true;
        }
        AfxMessageBox("Неправильное имя пользователя или пароль!", MB_OK | MB_ICONEXCLAMATION);
    }
}

std::string LoginTitle(const std::string& path, const CReportUser* user) {
    return user ? path + " - [" + user->name + "]" : path;
}

}  // namespace quillmark
