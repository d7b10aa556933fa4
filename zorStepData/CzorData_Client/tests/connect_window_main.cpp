// The small program of the connection dialogs' real-window test. The argument chooses the dialog, filled
// with sample connections and users (no server is asked):
//   login   the login dialog 7018       list    the connection list 7004
//   tune    a connection's parameters 7005      select  the database choice 4001
// Once the dialog shows, the places of its controls ("<id> x y width height") and "ready"; when it is
// closed, "result <0|1>" and "done".
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/tests/test_support.h"
#include "testkit/test_look.h"
#include "zorStepData/CzorData_Client/connection_dialogs_view.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void ReportWhenShown(QDialog* dialog) {
    QTimer::singleShot(500, dialog, [dialog] {
        auto report = [](const QWidget* w, const std::string& id) {
            const QPoint at = w->mapToGlobal(QPoint(0, 0));
            std::printf("%s %d %d %d %d\n", id.c_str(), at.x(), at.y(), w->width(), w->height());
        };
        report(dialog, "window");
        for (const QWidget* w : dialog->findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && w->objectName().at(0).isDigit()) report(w, w->objectName().toStdString());
        Say("ready");
    });
}

std::vector<CzorConnectionRec> Sample() {
    return {{0, "Основная", "server.local", 7239, "main", "Иванов"},
            {1, "Архив на backup", "backup", 7240, "архив", ""},
            {2, "Локальная", "localhost", 7239, "test", ""}};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peltrane_connect_window login | list | tune | select\n");
        return 2;
    }
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    // The list's OK writes its settings file: into a folder of this run only.
    zor::test::ScopedTempDir dir;
    zor::test::ScopedEnv ini("ZOR_TRANSPORT_INI", dir / "ZorTransport.ini");
    std::vector<CzorConnectionRec> list = Sample();
    bool ok = false;
    const std::string what = argv[1];
    if (what == "login") {
        CzorNetStepData store;
        store.Connections() = Sample();
        std::vector<std::string> recent = {"Петров", "Administrator"};
        zor::net::CLoginLogic logic;
        logic.connections = &store.Connections();
        logic.recentUsers = &recent;
        logic.user = "Иванов";
        logic.connectionName = "Основная";
        CDlgConnectBase dlg(logic, &store);
        ReportWhenShown(dlg.Window());
        ok = dlg.Run();
    } else if (what == "list") {
        zor::net::CTuneListLogic logic;
        logic.list = &list;
        logic.selection = 0;
        CDlgTuneListConnections dlg(logic);
        ReportWhenShown(dlg.Window());
        ok = dlg.Run();
    } else if (what == "tune") {
        zor::net::CTuneConnectionLogic logic;
        logic.name = "Архив на backup";
        logic.computer = "backup";
        logic.port = 7240;
        logic.database = "архив";
        CDlgTuneConnection dlg(logic);
        ReportWhenShown(dlg.Window());
        ok = dlg.Run();
    } else if (what == "select") {
        const std::vector<std::string> names = {"main", "архив", "test"};
        zor::net::CSelectBaseLogic logic;
        logic.names = &names;
        logic.initial = 1;
        CDlgSelectBase dlg(logic);
        ReportWhenShown(dlg.Window());
        ok = dlg.Run();
    } else {
        return 2;
    }
    Say(std::string("result ") + (ok ? "1" : "0"));
    Say("done");
    return 0;
}
