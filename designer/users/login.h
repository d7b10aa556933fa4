#pragma once
// The login that opening a report with users runs: dialog 7018 and the loop around it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "designer/users/report_user.h"

class QComboBox;
class QLineEdit;

namespace quillmark {

class CLoginDlgLogic {
public:
    // users: the report's users in extent order; lastUser: the profile's preferred name prefix.
    CLoginDlgLogic(const CReportUserList& users, std::string lastUser);

    const std::vector<std::string>& Names() const { return m_Names; }
    // The entry preselected: the first whose name starts with the last user (case-insensitive), else the
    // first entry; -1 with no users.
    int PreselectIndex() const;
    // The first user whose name equals the typed one exactly and whose password checks; null if none.
    const CReportUser* Match(const std::string& name, const std::string& password) const;

private:
    const CReportUserList& m_Users;
    std::vector<std::string> m_Names;
    std::string m_LastUser;
};

class CLoginDlg : public QDialog {
public:
    CLoginDlg(const CLoginDlgLogic& logic, QWidget* parent = nullptr);
    std::string UserName() const;
    std::string Password() const;

private:
    QComboBox* m_pUser;
    QLineEdit* m_pPassword;
};

LoginPrompt RealLoginPrompt(QWidget* parent);

// The login of an opening report. True when the report has no users (user stays null) or a user matched
// (user gets a copy bound to the report); false when the user cancelled. A name or password that matches
// no user repeats the question after "Неправильное имя пользователя или пароль!".
bool RunReportLogin(CFolivox* manager, const LoginPrompt& prompt, std::unique_ptr<CReportUser>& user);

// The frame title of a document with a logged-in user: "path - [name]".
std::string LoginTitle(const std::string& path, const CReportUser* user);

}  // namespace quillmark
