#pragma once
// Users of one report file and their rights. A report or template may carry its own list of users
// (`zor_user` instances in its store); opening it then needs a matching name and password, and the
// logged-in user's access mode decides which commands work.
//
// This is a lock against mistakes, not against someone who has the file: the passwords are scrambled with
// a key every copy of the program holds, and the file is text anyone can edit. Keeping a report from other
// people is the job of the file's permissions.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CFolivox;
class CzorInstance;

namespace quillmark {

// Access-mode bits; a stored mode always holds the view bit beside any other.
enum : int {
    kRightView = 1,
    kRightPrint = 2,
    kRightEdit = 4,
    kRightUsers = 8,
};

// The access mode the users dialog stores for its four boxes: users gives 9, else view gives 1, else 0;
// print then adds 3 and edit 5 (both imply view).
int AccessModeFromRights(bool users, bool edit, bool print, bool view);

class CReportUser {
public:
    // manager: the report whose store holds the user (null: a user that can neither load nor save).
    explicit CReportUser(CFolivox* manager, CzorInstance* instance = nullptr);
    virtual ~CReportUser() = default;

    // True when the stored password, unscrambled, equals the typed text; trailing ASCII blanks of the
    // typed text are dropped as the scrambler drops them from the stored one, so a password that ends
    // with blanks still lets its owner in.
    bool CheckPassword(const std::string& text) const;
    // Stores the scrambled text. False, and nothing changed, for a password holding a character that the
    // report's code page (1251) lacks: it could never be typed back in identically.
    bool SetPassword(const std::string& text);
    // The unscrambled password (UTF-8).
    std::string GetPassword() const;
    // Writes (creating the instance when there is none) or reads the three attributes. False without a
    // manager or store; a read is also false when the user has no instance.
    bool Exchange(bool save);
    // Deletes the user's instance from the store, if any.
    void Delete();

    bool HasRight(int right) const { return (access_mode & right) != 0; }
    CzorInstance* GetInstance() const { return m_pInstance; }

    std::string password;  // scrambled, as stored
    std::string name;
    int access_mode = 0;

private:
    CFolivox* m_pManager;
    CzorInstance* m_pInstance;
};

using CReportUserList = std::vector<std::unique_ptr<CReportUser>>;

class CLoginDlgLogic;
// Asks for a name and password; false when the user cancelled. Tests replace the real dialog.
using LoginPrompt = std::function<bool(const CLoginDlgLogic&, std::string& name, std::string& password)>;

// Every `zor_user` of the report, in extent order, each loaded from the store.
CReportUserList LoadReportUsers(CFolivox* manager);
// Whether the report carries users at all (then opening it needs a login).
bool ReportHasUsers(CFolivox* manager);

}  // namespace quillmark
