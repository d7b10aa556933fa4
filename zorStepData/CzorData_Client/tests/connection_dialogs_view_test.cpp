// The connection dialogs' windows offscreen, driven through their controls: the database "..." asks our
// server on a client of its own while the store keeps its session and its unsaved changes; the login
// fills its boxes from the store and gives back what was chosen; the list edits and writes itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "controls/tests/gui_test_app.h"
#include "zorStepData/CzorData_Client/connection_dialogs_view.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

namespace {

using Texts = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

template <class W>
W* Find(QDialog* d, const char* id) {
    W* w = d->findChild<W*>(id);
    EXPECT_NE(w, nullptr) << id;
    return w;
}

Texts Items(const QComboBox* box) {
    Texts out;
    for (int i = 0; i < box->count(); ++i) out.push_back(box->itemText(i).toStdString());
    return out;
}

// Clicks the button once the dialog runs (a modal dialog is driven from the event loop).
void ClickWhenShown(QDialog* d, const char* id) {
    QTimer::singleShot(0, d, [d, id] {
        if (auto* b = d->findChild<QPushButton*>(id)) b->click();
    });
}

class ConnectionWindows : public zor::test::NetStoreTest {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        NetStoreTest::SetUp();
    }
};

TEST_F(ConnectionWindows, DatabaseButtonLeavesTheStoresSessionAndChangesAlone) {
    ASSERT_TRUE(Login());
    // An unsaved instance with a value: what a disconnect would take away.
    CzorInstance* point = store->CreateInstanceBN("zor_point");
    ASSERT_NE(point, nullptr);
    ASSERT_TRUE(store->PutAttrBN(point, "x", 42));
    const int before = store->GetInstanceCount();

    zor::net::CTuneConnectionLogic logic;
    logic.computer = "127.0.0.1";
    logic.port = server->Port();
    CDlgTuneConnection dlg(logic);
    std::vector<std::string> offered;
    dlg.SetBaseChooser([&](const std::vector<std::string>& names, int initial) {
        offered = names;
        return initial;
    });
    Find<QPushButton>(dlg.Window(), "7008")->click();
    EXPECT_THAT(offered, ElementsAre("main"));
    EXPECT_EQ(logic.database, "main");
    EXPECT_EQ(logic.name, "main");  // unnamed, on this computer: the database alone
    EXPECT_EQ(Find<QLineEdit>(dlg.Window(), "7005")->text().toStdString(), "main");
    EXPECT_EQ(Find<QLineEdit>(dlg.Window(), "7009")->text().toStdString(), "main");

    EXPECT_TRUE(store->IsConnected());
    EXPECT_EQ(store->GetInstanceCount(), before);
    int x = 0;
    EXPECT_TRUE(store->GetAttrBN(point, "x", x));
    EXPECT_EQ(x, 42);
    double now = 0;
    EXPECT_TRUE(store->NET_GetServerDateTime(now)) << "the session still answers";
    EXPECT_THAT(sink.Texts(), IsEmpty());
}

TEST_F(ConnectionWindows, TuneConnectionShowsItsRulesInItsControls) {
    zor::net::CTuneConnectionLogic logic;
    logic.otherNames = {"test"};
    logic.port = 7239;
    CDlgTuneConnection dlg(logic);
    QDialog* d = dlg.Window();
    EXPECT_EQ(d->objectName(), "7005");
    EXPECT_EQ(Find<QLineEdit>(d, "7002")->text().toStdString(), "localhost");
    auto* port = Find<QLineEdit>(d, "7003");
    auto* byDefault = Find<QCheckBox>(d, "7004");
    EXPECT_TRUE(byDefault->isChecked());
    EXPECT_TRUE(port->isReadOnly());
    byDefault->setChecked(false);
    EXPECT_FALSE(port->isReadOnly());
    // The computer "..." has no network neighbourhood to browse: disabled, and it says why.
    auto* browse = Find<QPushButton>(d, "7006");
    EXPECT_FALSE(browse->isEnabled());
    EXPECT_FALSE(browse->toolTip().isEmpty());

    // OK refuses a repeated name and keeps the dialog; a new one ends it with the values.
    Find<QLineEdit>(d, "7009")->setText("test");
    port->setText("8000");
    ClickWhenShown(d, "1");
    QTimer::singleShot(50, d, [d] { d->reject(); });  // the refusal leaves the dialog open: close it
    EXPECT_FALSE(dlg.Run());
    EXPECT_EQ(sink.Texts(), Texts{"Имя подключения совпадает с уже имеющимся!"});
    Find<QLineEdit>(d, "7009")->setText("Вторая");
    ClickWhenShown(d, "1");
    EXPECT_TRUE(dlg.Run());
    EXPECT_EQ(logic.name, "Вторая");
    EXPECT_EQ(logic.port, 8000);
}

TEST_F(ConnectionWindows, LoginFillsItsBoxesFromTheStoreAndGivesBackTheChoice) {
    store->ReadConnectionsInfo();
    store->Connections()[1].user = "chief";
    std::vector<std::string> recent = {"user2", "user1"};
    zor::net::CLoginLogic logic;
    logic.connections = &store->Connections();
    logic.recentUsers = &recent;
    logic.user = "user1";
    logic.connectionName = "test";
    CDlgConnectBase dlg(logic, store.get());
    QDialog* d = dlg.Window();
    EXPECT_EQ(d->objectName(), "7018");
    EXPECT_FALSE(Find<QLabel>(d, "4016")->pixmap().isNull()) << "the logo";
    auto* users = Find<QComboBox>(d, "7020");
    auto* connections = Find<QComboBox>(d, "7001");
    EXPECT_EQ(Items(users), (Texts{"user1", "user2"}));
    EXPECT_EQ(Items(connections), (Texts{"test", "nobase"}));
    EXPECT_EQ(connections->currentIndex(), 0);
    connections->setCurrentIndex(1);  // its default user joins the users, selected
    EXPECT_EQ(Items(users), (Texts{"user1", "user2", "chief"}));
    EXPECT_EQ(users->currentText().toStdString(), "chief");
    Find<QLineEdit>(d, "4001")->setText("pw");
    ClickWhenShown(d, "1");
    ASSERT_TRUE(dlg.Run());
    EXPECT_EQ(logic.user, "chief");
    EXPECT_EQ(logic.password, "pw");
    EXPECT_EQ(logic.chosen, 1);
    EXPECT_EQ(recent, (Texts{"chief", "user1", "user2"}));
    // Kept for the next login.
    std::vector<std::string> read;
    std::string last;
    ASSERT_TRUE(zor::net::ReadLastActive(read, last));
    EXPECT_EQ(read, recent);
    EXPECT_EQ(last, "nobase");

    // Where the recent users cannot be written, OK says so and the dialog stays.
    ASSERT_TRUE(zor::WriteFileAtomically(config / "blocker", "a file, not a folder\n"));
    zor::test::ScopedEnv blocked{"XDG_CONFIG_HOME", config / "blocker"};
    sink.Clear();
    ClickWhenShown(d, "1");
    QTimer::singleShot(50, d, [d] { d->reject(); });
    EXPECT_FALSE(dlg.Run());
    ASSERT_EQ(sink.Texts().size(), 1u);
    EXPECT_EQ(sink.Texts()[0].rfind("Список пользователей не сохранен", 0), 0u) << sink.Texts()[0];
}

TEST_F(ConnectionWindows, ListDialogMovesRecordsAndWritesThemOnOk) {
    std::vector<CzorConnectionRec> list;
    std::string serverPath;
    zor::net::ReadConnections(list, serverPath, nullptr);
    zor::net::CTuneListLogic logic;
    logic.list = &list;
    CDlgTuneListConnections dlg(logic);
    QDialog* d = dlg.Window();
    EXPECT_EQ(d->objectName(), "7004");
    for (const char* id : {"7008", "7011", "7012", "7013", "7014"})
        EXPECT_FALSE(Find<QPushButton>(d, id)->toolTip().isEmpty()) << id;
    d->show();  // runs the opening: the rows appear
    auto* rows = Find<QTreeWidget>(d, "7007");
    ASSERT_EQ(rows->topLevelItemCount(), 2);
    EXPECT_EQ(rows->topLevelItem(0)->text(0).toStdString(), "test");
    rows->topLevelItem(1)->setSelected(true);
    Find<QPushButton>(d, "7013")->click();  // up
    EXPECT_EQ(rows->topLevelItem(0)->text(0).toStdString(), "nobase");
    EXPECT_TRUE(rows->topLevelItem(0)->isSelected());
    Find<QCheckBox>(d, "7022")->setChecked(true);
    d->hide();
    ClickWhenShown(d, "1");
    ASSERT_TRUE(dlg.Run());
    EXPECT_EQ(logic.chosen, 0);
    EXPECT_TRUE(logic.clearUsers);
    std::vector<CzorConnectionRec> back;
    zor::net::ReadConnections(back, serverPath, nullptr);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].name, "nobase");
}

}  // namespace
