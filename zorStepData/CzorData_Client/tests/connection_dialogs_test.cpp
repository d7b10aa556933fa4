// The logic of the connection dialogs, without widgets: the login's boxes, one connection's checks and
// its database choice, the connection list's commands, and command 12 read from hostile bytes and asked
// of our server on a client of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "platform/base/file_io.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/ui/messages.h"
#include "platform/transport/net_errors.h"
#include "zorStepData/CzorData_Client/connection_dialogs.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"

namespace {

using namespace zor::net;
using Texts = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DialogLogic : public ::testing::Test {
protected:
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
};

// What the stored form "name=host:port/database[/user]" can give back, and what it cannot.
TEST_F(DialogLogic, RecordTextsThatTheStoredFormCannotHoldAreRefused) {
    struct Case {
        CzorConnectionRec rec;
        bool refused;
    };
    const Case cases[] = {
        {{0, "Основная", "server.local", 7239, "main", "Иванов"}, false},
        {{0, "Основная", "10.0.0.1", 1, "", ""}, false},
        {{0, "Ключ", "h", 7239, "acc", "user/with=everything:"}, false},  // the user is the rest of the value
        {{0, "a=b", "h", 7239, "main", ""}, true},
        {{0, "a:b", "h", 7239, "main", ""}, true},
        {{0, "a/b", "h", 7239, "main", ""}, true},
        {{0, "a", "h:1", 7239, "main", ""}, true},
        {{0, "a", "h/x", 7239, "main", ""}, true},
        {{0, "a", "h", 7239, "acc/password@srv", ""}, true},
        {{0, "a", "h", 7239, "main", "u\nv"}, true},
        {{0, "a\r", "h", 7239, "main", ""}, true},
    };
    for (const Case& c : cases) {
        const std::string why = RefusedRecordText(c.rec.name, c.rec.host, c.rec.database, c.rec.user);
        EXPECT_EQ(!why.empty(), c.refused) << c.rec.name << " " << c.rec.host << " " << c.rec.database;
        // What is accepted comes back from its stored form as it was; without the check it would not.
        CzorConnectionRec back;
        const std::string value = FormatConnectionValue(c.rec);
        const bool same = value.find_first_of("\r\n") == std::string::npos && ParseConnectionValue(value, back) &&
                          back.name == c.rec.name && back.host == c.rec.host && back.port == c.rec.port &&
                          back.database == c.rec.database && back.user == c.rec.user;
        EXPECT_EQ(same, !c.refused) << value;
    }
}

TEST_F(DialogLogic, LoginPutsTheGivenUserFirstAndKeepsTheBoxOrderOnOk) {
    std::vector<CzorConnectionRec> list = {{0, "test", "h", 7239, "main", ""}, {1, "Test", "h", 7239, "other", "chief"}};
    Texts recent = {"user2", "user1", "user3"};
    CLoginLogic login;
    login.connections = &list;
    login.recentUsers = &recent;
    login.user = "user1";
    login.connectionName = "Test";  // letter case counts
    login.Fill();
    EXPECT_EQ(login.users, (Texts{"user1", "user2", "user3"}));
    EXPECT_EQ(login.userSelection, 0);
    EXPECT_EQ(login.connectionNames, (Texts{"test", "Test"}));
    EXPECT_EQ(login.chosen, 1);
    EXPECT_EQ(login.connectionSelection, 1);
    login.Ok("user3", 0, "secret");
    EXPECT_EQ(recent, (Texts{"user3", "user1", "user2"}));
    EXPECT_EQ(login.user, "user3");
    EXPECT_EQ(login.password, "secret");
    EXPECT_EQ(login.chosen, 0);

    // An unknown name selects nothing and stays the box's text; no given user starts with the recent ones.
    CLoginLogic other;
    other.connections = &list;
    other.recentUsers = &recent;
    other.connectionName = "нет такого";
    other.Fill();
    EXPECT_EQ(other.users, (Texts{"user3", "user1", "user2"}));
    EXPECT_EQ(other.chosen, -1);
    EXPECT_EQ(other.connectionText, "нет такого");
    other.Ok("new", -1, "");
    EXPECT_EQ(other.chosen, -1);
    EXPECT_EQ(recent, (Texts{"new", "user3", "user1", "user2"}));
}

TEST_F(DialogLogic, ChoosingAConnectionSelectsItsDefaultUser) {
    std::vector<CzorConnectionRec> list = {{0, "plain", "h", 7239, "main", ""},
                                           {1, "chief", "h", 7239, "main", "Начальник"},
                                           {2, "known", "h", 7239, "main", "user2"}};
    Texts recent = {"user1", "user2"};
    CLoginLogic login;
    login.connections = &list;
    login.recentUsers = &recent;
    login.Fill();
    struct Step {
        int selection;
        Texts users;
        int userSelection;
    };
    const Step steps[] = {
        {0, {"user1", "user2"}, 0},                // no default user: nothing changes
        {1, {"user1", "user2", "Начальник"}, 2},   // not among the users: added and selected
        {2, {"user1", "user2", "Начальник"}, 1},   // among them: selected
        {1, {"user1", "user2", "Начальник"}, 2},   // not added twice
    };
    for (const Step& s : steps) {
        login.ConnectionChanged(s.selection);
        EXPECT_EQ(login.chosen, s.selection);
        EXPECT_EQ(login.users, s.users) << s.selection;
        EXPECT_EQ(login.userSelection, s.userSelection) << s.selection;
    }
}

TEST_F(DialogLogic, PortIsTakenFromOneTo65535) {
    struct Case {
        const char* text;
        bool taken;
    };
    const Case cases[] = {{"1", true}, {"65535", true}, {"7240", true}, {"0", false}, {"65536", false},
                          {"", false}, {"12a", false}, {"-5", false}, {"99999999999", false}};
    for (const Case& c : cases) {
        messages.Clear();
        CTuneConnectionLogic one;
        one.port = 100;
        EXPECT_EQ(one.TakePort(c.text), c.taken) << c.text;
        EXPECT_EQ(one.port, c.taken ? std::atoi(c.text) : 100) << c.text;
        EXPECT_EQ(messages.Texts(), c.taken ? Texts{} : Texts{"Введите целое число от 1 до 65535."}) << c.text;
    }
}

TEST_F(DialogLogic, OkRefusesEmptyRepeatedAndUnstorableConnections) {
    struct Case {
        const char* name;
        const char* computer;
        const char* database;
        const char* message;  // null: accepted
    };
    const Case cases[] = {
        {"", "h", "main", "Имя подключения не должно быть пустым!"},
        {"Основная", "h", "main", "Имя подключения совпадает с уже имеющимся!"},
        {"основная", "h", "main", nullptr},  // another letter case is another name
        {"Новая", "h", "main", nullptr},
        {"Новая=1", "h", "main", "Имя подключения не должно содержать символов \"=\", \":\" и \"/\""},
        {"Новая", "h:80", "main", "Имя компьютера не должно содержать символов \":\" и \"/\""},
        {"Новая", "h", "acc/pw", "Имя базы не должно содержать символа \"/\""},
    };
    for (const Case& c : cases) {
        messages.Clear();
        CTuneConnectionLogic one;
        one.otherNames = {"Основная", "Запасная"};
        one.name = c.name;
        one.computer = c.computer;
        one.database = c.database;
        EXPECT_EQ(one.Ok(), c.message == nullptr) << c.name;
        if (c.message) {
            const auto shown = messages.Messages();
            ASSERT_EQ(shown.size(), 1u) << c.name;
            EXPECT_EQ(shown[0].text, c.message);
            EXPECT_EQ(shown[0].caption, "Ошибка!");
            EXPECT_EQ(shown[0].type & MB_ICONMASK, MB_ICONWARNING);
        } else {
            EXPECT_THAT(messages.Texts(), IsEmpty());
        }
    }
}

TEST_F(DialogLogic, DefaultPortIsReadOnlyAndStoresTheDefaultWhateverWasTyped) {
    CTuneConnectionLogic one;
    one.port = 7239;
    one.Open();
    EXPECT_TRUE(one.defaultPort);
    EXPECT_TRUE(one.PortReadOnly());
    CTuneConnectionLogic other;
    other.port = 8000;
    other.Open();
    EXPECT_FALSE(other.PortReadOnly());
    other.name = "x";
    other.defaultPort = true;  // ticked after 1234 was typed
    ASSERT_TRUE(other.TakePort("1234"));
    ASSERT_TRUE(other.Ok());
    EXPECT_EQ(other.port, 7239);
}

TEST_F(DialogLogic, DatabaseChoiceAsksTheServerAndNamesAnUnnamedConnection) {
    struct Case {
        const char* label;
        std::string computer;
        int port;
        std::string name, database;
        int status;   // what the server's list gives
        int picked;   // what the user picks (-2 Cancel)
        std::string wantName, wantDatabase;
        Texts said;
        int initial;  // the index offered first (-1: not offered)
    };
    const Texts names = {"main", "архив"};
    const Case cases[] = {
        {"remote", "server", 7239, "", "", 0, 1, "архив на server", "архив", {}, 0},
        {"localhost", "localhost", 7239, "", "", 0, 1, "архив", "архив", {}, 0},
        {"loopback", "127.0.0.1", 7239, "", "", 0, 0, "main", "main", {}, 0},
        {"named", "server", 7239, "Моя", "архив", 0, 0, "Моя", "main", {}, 1},
        {"none picked", "server", 7239, "Моя", "архив", 0, -1, "Моя", "", {}, 1},
        {"cancel", "server", 7239, "", "архив", 0, -2, "", "архив", {}, 1},
        {"empty computer", "", 7239, "", "x", 0, 0, "", "x", {"Неверные параметры доступа к серверу"}, -1},
        {"port 0", "server", 0, "", "x", 0, 0, "", "x", {"Неверные параметры доступа к серверу"}, -1},
        {"unreachable", "server", 7239, "", "x", -1, 0, "", "x", {}, -1},
        {"empty list", "server", 7239, "", "x", ZOR_NET_CLI_LIST_OF_BASE_EMPTY, 0, "", "x",
         {ZOR_NET_ERROR2char(ZOR_NET_CLI_LIST_OF_BASE_EMPTY, "")}, -1},
        {"bad reply", "server", 7239, "", "x", ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0, "", "x",
         {ZOR_NET_ERROR2char(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, "")}, -1},
    };
    for (const Case& c : cases) {
        messages.Clear();
        CTuneConnectionLogic one;
        one.computer = c.computer;
        one.port = c.port;
        one.name = c.name;
        one.database = c.database;
        int offered = -1;
        one.ChooseDatabase(
            [&](const std::string& host, int port, Texts& out) {
                EXPECT_EQ(host, c.computer);
                EXPECT_EQ(port, c.port);
                if (c.status == 0) out = names;
                return c.status;
            },
            [&](const Texts& list, int initial) {
                EXPECT_EQ(list, names);
                offered = initial;
                return c.picked;
            });
        EXPECT_EQ(one.name, c.wantName) << c.label;
        EXPECT_EQ(one.database, c.wantDatabase) << c.label;
        EXPECT_EQ(messages.Texts(), c.said) << c.label;
        EXPECT_EQ(offered, c.initial) << c.label;
    }
    // With the default port ticked the server is asked on 7239, whatever the edit held.
    CTuneConnectionLogic one;
    one.computer = "server";
    one.port = 1;
    one.defaultPort = true;
    int asked = 0;
    one.ChooseDatabase([&](const std::string&, int port, Texts&) { return asked = port, -1; },
                       [](const Texts&, int) { return -2; });
    EXPECT_EQ(asked, 7239);
}

class ListLogic : public DialogLogic {
protected:
    void SetUp() override {
        list = {{0, "a", "h1", 1, "d1", ""}, {5, "b", "h2", 2, "d2", "u"}, {7, "c", "h3", 3, "d3", ""}};
        logic.list = &list;
    }
    Texts Names() const { return logic.Names(); }
    zor::test::ScopedTempDir dir;
    zor::test::ScopedEnv ini{"ZOR_TRANSPORT_INI", dir / "ZorTransport.ini"};
    std::vector<CzorConnectionRec> list;
    CTuneListLogic logic;
};

TEST_F(ListLogic, UpAndDownMoveTheSelectionWithinTheList) {
    struct Step {
        char command;  // u up, d down
        int selection;
        Texts names;
        int after;
    };
    const Step steps[] = {
        {'u', 0, {"a", "b", "c"}, 0},  // the first stays
        {'d', 2, {"a", "b", "c"}, 2},  // the last stays
        {'d', 0, {"b", "a", "c"}, 1},
        {'u', 2, {"b", "c", "a"}, 1},
    };
    for (const Step& s : steps) {
        logic.selection = s.selection;
        s.command == 'u' ? logic.Up() : logic.Down();
        EXPECT_EQ(Names(), s.names);
        EXPECT_EQ(logic.selection, s.after);
    }
    EXPECT_THAT(messages.Texts(), IsEmpty());
    logic.selection = -1;
    logic.Up();
    logic.Down();
    EXPECT_EQ(messages.Texts(), (Texts{"Выберите подключение!", "Выберите подключение!"}));
}

TEST_F(ListLogic, AddEditAndRemoveGoThroughTheirDialogs) {
    Texts othersSeen;
    logic.Add([&](CTuneConnectionLogic& one) {
        othersSeen = one.otherNames;
        EXPECT_EQ(one.computer, "localhost");
        EXPECT_EQ(one.port, 7239);
        one.name = "new";
        one.database = "main";
        return true;
    });
    EXPECT_EQ(othersSeen, (Texts{"a", "b", "c"}));
    EXPECT_EQ(Names(), (Texts{"a", "b", "c", "new"}));
    EXPECT_EQ(logic.selection, 3);
    EXPECT_EQ(list[3].host, "localhost");

    logic.selection = 1;
    logic.Edit([&](CTuneConnectionLogic& one) {
        othersSeen = one.otherNames;
        EXPECT_EQ(one.name, "b");
        EXPECT_EQ(one.user, "u");
        one.computer = "h9";
        return true;
    });
    EXPECT_EQ(othersSeen, (Texts{"a", "c", "new"}));
    EXPECT_EQ(list[1].host, "h9");
    logic.Edit([&](CTuneConnectionLogic& one) {
        one.computer = "discarded";
        return false;  // Cancel
    });
    EXPECT_EQ(list[1].host, "h9");

    messages.QueueAnswer(IDNO);
    logic.Remove();
    EXPECT_EQ(Names(), (Texts{"a", "b", "c", "new"}));
    messages.QueueAnswer(IDYES);
    logic.Remove();
    EXPECT_EQ(Names(), (Texts{"a", "c", "new"}));
    EXPECT_EQ(logic.selection, 1);
    EXPECT_EQ(messages.Texts(), (Texts{"Подключение \"b\" будет удалено из списка\nПродолжить?",
                                       "Подключение \"b\" будет удалено из списка\nПродолжить?"}));
    messages.Clear();
    logic.selection = -1;
    logic.Edit([](CTuneConnectionLogic&) { return true; });
    logic.Remove();
    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Выберите подключение!");
    EXPECT_EQ(shown[0].caption, "Ошибка");
    EXPECT_EQ(shown[1].text, "Выберите подключение для удаления");
    EXPECT_EQ(shown[1].caption, "Ошибка удаления");
}

TEST_F(ListLogic, OkWritesTheListRenumberedOrSaysWhyNot) {
    logic.selection = 2;
    ASSERT_TRUE(logic.Ok());
    EXPECT_EQ(logic.chosen, 2);
    std::vector<CzorConnectionRec> back;
    std::string serverPath;
    ReadConnections(back, serverPath, nullptr);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1].number, 1);
    EXPECT_EQ(back[1].user, "u");
    EXPECT_EQ(back[2].name, "c");

    // A settings file that cannot be written (its folder is a file, which stops root too): the reason is
    // shown, the dialog stays.
    ASSERT_TRUE(zor::WriteFileAtomically(dir / "blocker", "a file, not a folder\n"));
    zor::test::ScopedEnv blocked{"ZOR_TRANSPORT_INI", dir / "blocker/ZorTransport.ini"};
    list.pop_back();
    logic.chosen = -1;
    EXPECT_FALSE(logic.Ok());
    EXPECT_EQ(logic.chosen, -1);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("Список подключений не сохранен:\n", 0), 0u) << messages.Texts()[0];
    EXPECT_GT(messages.Texts()[0].size(), std::string("Список подключений не сохранен:\n").size());
    EXPECT_EQ(zor::test::Slurp(dir / "blocker"), "a file, not a folder\n");
}

TEST(BaseList, ReplyBytesAreCheckedBeforeANameIsTaken) {
    const auto le = [](int32_t v) {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    const std::string sig = std::string("BaseListBuf v1.00") + '\0';
    const std::string main = le(5) + std::string("main") + '\0';
    const std::string cyr = le(6) + std::string("\xC0\xF0\xF5\xE8\xE2") + '\0';  // "Архив" in code page 1251
    struct Case {
        const char* label;
        std::string bytes;
        int status;
        Texts names;
    };
    const Case cases[] = {
        {"two names", sig + le(2) + main + cyr, 0, {"main", "Архив"}},
        {"empty list", sig + le(0), ZOR_NET_CLI_LIST_OF_BASE_EMPTY, {}},
        {"wrong signature", std::string("BaseListBuf v2.00") + '\0' + le(1) + main, ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
        {"short signature", "BaseList", ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
        {"no count", sig, ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
        {"negative count", sig + le(-1), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
        {"count above the names", sig + le(2) + main, ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
        {"length past the end", sig + le(1) + le(50) + "main", ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
        {"no terminating zero", sig + le(1) + le(4) + "main", ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
        {"zero length", sig + le(1) + le(0), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, {}},
    };
    for (const Case& c : cases) {
        Texts names = {"stale"};
        EXPECT_EQ(ParseBaseList(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), names), c.status)
            << c.label;
        EXPECT_EQ(names, c.names) << c.label;
    }
}

TEST(BaseList, OurServerListsItsDatabasesToAClientOfItsOwn) {
    zor::test::InProcessServer server;
    Texts names;
    EXPECT_EQ(FetchBaseList("127.0.0.1", server.Port(), names, true), 0);
    EXPECT_THAT(names, ElementsAre("main"));
    // Nobody listens on the port once the server is gone: nothing to choose, nothing said.
    const int port = server.Port();
    server.Stop(false);
    EXPECT_EQ(FetchBaseList("127.0.0.1", port, names, true), -1);
    EXPECT_THAT(names, IsEmpty());
}

}  // namespace
