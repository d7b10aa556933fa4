#include <gtest/gtest.h>

#include "designer/users/login.h"
#include "designer/users/report_user.h"
#include "designer/users/users_dialog.h"
#include "platform/ui/messages.h"
#include "report/tests/model/model_fixture.h"

using namespace quillmark;

namespace {

class Users : public model_test::ModelBase {
protected:
    // A stored user, as another program would have written it.
    CzorInstance* StoreUser(const std::string& name, const std::string& password, int mode) {
        CReportUser user(&Manager());
        user.name = name;
        EXPECT_TRUE(user.SetPassword(password));
        user.access_mode = mode;
        EXPECT_TRUE(user.Exchange(true));
        return user.GetInstance();
    }
    std::vector<std::string> StoredNames() {
        std::vector<std::string> names;
        for (const auto& user : LoadReportUsers(&Manager())) names.push_back(user->name);
        return names;
    }

    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

TEST(AccessMode, FromTheDialogBoxes) {
    struct Case { bool users, edit, print, view; int mode; } cases[] = {
        {false, false, false, false, 0}, {false, false, false, true, 1}, {false, false, true, false, 3},
        {false, true, false, false, 5},  {false, true, true, true, 7},   {true, false, false, false, 9},
        {true, false, true, true, 11},   {true, true, true, true, 15},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AccessModeFromRights(c.users, c.edit, c.print, c.view), c.mode)
            << c.users << c.edit << c.print << c.view;
}

TEST_F(Users, PasswordsRoundTripThroughTheStore) {
    CzorInstance* first = StoreUser("Иванов", "пароль  ", 7);
    StoreUser("admin", "", 15);
    CReportUserList users = LoadReportUsers(&Manager());
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0]->GetInstance(), first);
    EXPECT_EQ(users[0]->name, "Иванов");
    EXPECT_EQ(users[0]->access_mode, 7);
    EXPECT_EQ(users[0]->password[0], '^');
    // The blanks that ended the password are gone after the scrambler; its owner still gets in typing them.
    EXPECT_EQ(users[0]->GetPassword(), "пароль");
    EXPECT_TRUE(users[0]->CheckPassword("пароль  "));
    EXPECT_TRUE(users[0]->CheckPassword("пароль"));
    EXPECT_FALSE(users[0]->CheckPassword("Пароль"));
    EXPECT_FALSE(users[0]->CheckPassword(" пароль"));
    EXPECT_TRUE(users[1]->CheckPassword(""));
    EXPECT_TRUE(ReportHasUsers(&Manager()));

    // Scrambled over code page 1251 bytes, as files made elsewhere hold them: one block of 40 bytes.
    EXPECT_EQ(users[0]->password.size(), 81u);

    CReportUser plain(&Manager());
    plain.password = "открыто";  // stored without '^': compared as it stands
    EXPECT_TRUE(plain.CheckPassword("открыто"));
    EXPECT_FALSE(plain.CheckPassword("закрыто"));
}

TEST_F(Users, APasswordTheCodePageCannotHoldIsRefused) {
    CReportUser user(&Manager());
    ASSERT_TRUE(user.SetPassword("abc"));
    const std::string before = user.password;
    EXPECT_FALSE(user.SetPassword("ключ\xe2\x82\xac\xf0\x9f\x94\x91"));  // a key emoji after the euro sign
    EXPECT_EQ(user.password, before);
    EXPECT_FALSE(user.CheckPassword("\xf0\x9f\x94\x91"));
}

TEST_F(Users, ExchangeAndDeleteNeedAStoreAndAnInstance) {
    CReportUser lone(nullptr);
    EXPECT_FALSE(lone.Exchange(true));
    CReportUser fresh(&Manager());
    EXPECT_FALSE(fresh.Exchange(false));  // nothing to read yet
    EXPECT_FALSE(ReportHasUsers(&Manager()));
    CzorInstance* stored = StoreUser("u", "p", 1);
    CReportUser bound(&Manager(), stored);
    ASSERT_TRUE(bound.Exchange(false));
    bound.Delete();
    EXPECT_EQ(bound.GetInstance(), nullptr);
    EXPECT_FALSE(ReportHasUsers(&Manager()));
}

TEST_F(Users, LoginPreselectsTheLastUserByPrefix) {
    StoreUser("Петров", "1", 1);
    StoreUser("Сидоров", "2", 1);
    StoreUser("сидоренко", "3", 1);
    CReportUserList users = LoadReportUsers(&Manager());
    struct Case { const char* last; int index; } cases[] = {
        {"", 0}, {"СИД", 1}, {"сидоренко", 2}, {"Иванов", 0}, {"п", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CLoginDlgLogic(users, c.last).PreselectIndex(), c.index) << c.last;
    CReportUserList none;
    EXPECT_EQ(CLoginDlgLogic(none, "x").PreselectIndex(), -1);
}

TEST_F(Users, LoginRepeatsUntilAUserMatchesAndCancelFailsTheOpen) {
    std::unique_ptr<CReportUser> user;
    int asked = 0;
    // No users: no question at all.
    EXPECT_TRUE(RunReportLogin(&Manager(), [&](auto&, auto&, auto&) { return ++asked, false; }, user));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(user, nullptr);

    StoreUser("Ivan", "secret", 1);
    StoreUser("Ivan", "other", 7);  // the first user with that name and password wins
    struct Answer { const char* name; const char* password; };
    std::vector<Answer> answers = {{"ivan", "secret"}, {"Ivan", "wrong"}, {"Ivan", "other"}};
    asked = 0;
    auto scripted = [&](const CLoginDlgLogic& logic, std::string& name, std::string& password) {
        EXPECT_EQ(logic.Names().size(), 2u);
        const Answer& a = answers.at(asked++);
        name = a.name;
        password = a.password;
        return true;
    };
    ASSERT_TRUE(RunReportLogin(&Manager(), scripted, user));
    EXPECT_EQ(asked, 3);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->access_mode, 7);
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>(2, "Неправильное имя пользователя или пароль!")));
    EXPECT_EQ(LoginTitle("/tmp/a.zorrep", user.get()), "/tmp/a.zorrep - [Ivan]");
    EXPECT_EQ(LoginTitle("/tmp/a.zorrep", nullptr), "/tmp/a.zorrep");

    EXPECT_FALSE(RunReportLogin(&Manager(), [](auto&, auto&, auto&) { return false; }, user));
    EXPECT_EQ(user, nullptr);
}

TEST_F(Users, DialogValidatesInItsOrder) {
    StoreUser("Иванов", "1", 1);
    CUsersDlgLogic dlg(&Manager());
    struct Case { const char* name; const char* pass; const char* confirm; bool view; const char* message; } cases[] = {
        {"", "a", "b", false, "Имя пользователя не может быть пустым!"},
        {"Иванов", "a", "b", false, "Имя пользователя не уникально!"},
        {"Петров", "a", "b", false, "Пароли не совпадают!"},
        {"Петров", "a", "a", false, "Не заданы права доступа!"},
    };
    for (const Case& c : cases) {
        sink.Clear();
        dlg.m_Name = c.name;
        dlg.m_Password = c.pass;
        dlg.m_Confirm = c.confirm;
        dlg.m_bView = c.view;
        EXPECT_FALSE(dlg.Add());
        EXPECT_EQ(sink.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(dlg.m_Name, c.name);  // the fields stay for the user to mend
    }
    EXPECT_EQ(dlg.RowCount(), 1);
    // Change skips its own row in the uniqueness test.
    dlg.SelectRow(0);
    EXPECT_EQ(dlg.m_Name, "Иванов");
    EXPECT_EQ(dlg.m_Password, "1");
    EXPECT_TRUE(dlg.m_bView && dlg.m_bViewEnabled);
    dlg.m_bEdit = true;
    dlg.OnRightsChanged();
    EXPECT_FALSE(dlg.m_bViewEnabled);
    EXPECT_TRUE(dlg.Change(0));
    EXPECT_EQ(dlg.Row(0).access_mode, 5);
    EXPECT_EQ(dlg.ShownRow(), -1);
    EXPECT_TRUE(dlg.m_Name.empty() && dlg.m_bViewEnabled);
}

TEST_F(Users, DialogStoresOnlyOnOkAndLeavesNoTraceOfWhatItDropped) {
    StoreUser("old", "1", 15);
    CUsersDlgLogic dlg(&Manager());
    dlg.m_Name = "Петров";
    dlg.m_Password = dlg.m_Confirm = "пароль";
    dlg.m_bPrint = dlg.m_bEdit = true;
    dlg.OnRightsChanged();
    ASSERT_TRUE(dlg.Add());
    dlg.m_Name = "временный";
    dlg.m_bView = true;
    ASSERT_TRUE(dlg.Add());
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"old"});  // nothing stored before OK

    sink.QueueAnswer(IDNO);
    EXPECT_FALSE(dlg.Delete(2));  // No keeps the row
    sink.QueueAnswer(IDYES);
    EXPECT_TRUE(dlg.Delete(2));   // added since the dialog opened: never stored
    sink.QueueAnswer(IDYES);
    EXPECT_TRUE(dlg.Delete(0));   // the stored one goes on OK
    EXPECT_EQ(sink.Messages().back().text, "Вы действительно хотите удалить пользователя 'old'?");

    // No row may set up users any longer: Yes returns to the dialog with the store untouched.
    sink.Clear();
    sink.QueueAnswer(IDYES);
    EXPECT_FALSE(dlg.OK());
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"old"});
    sink.QueueAnswer(IDNO);
    ASSERT_TRUE(dlg.OK());
    EXPECT_TRUE(dlg.ChangedStore());
    CReportUserList stored = LoadReportUsers(&Manager());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->name, "Петров");
    EXPECT_EQ(stored[0]->access_mode, 7);
    EXPECT_TRUE(stored[0]->CheckPassword("пароль"));
}

TEST_F(Users, AnEmptyListRemovesTheProtectionWithoutAQuestion) {
    StoreUser("a", "1", 1);
    CUsersDlgLogic dlg(&Manager());
    sink.QueueAnswer(IDYES);
    ASSERT_TRUE(dlg.Delete(0));
    sink.Clear();
    ASSERT_TRUE(dlg.OK());
    EXPECT_TRUE(sink.Texts().empty());
    EXPECT_FALSE(ReportHasUsers(&Manager()));

    CUsersDlgLogic untouched(&Manager());
    ASSERT_TRUE(untouched.OK());
    EXPECT_FALSE(untouched.ChangedStore());
}

}  // namespace
