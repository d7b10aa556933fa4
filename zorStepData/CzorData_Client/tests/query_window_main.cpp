// The small program of the query dialogs' real-window test. The argument chooses the window:
//   editor  the query editor over the report dictionary with a text whose third token of line 2 is
//           wrong; the check runs once the window shows, so the error is shown and its token selected.
//           Closing it writes "result <code>".
//   picker  the dictionary picker with zor_point chosen; closing it writes "chosen <code> <name>".
// Once a window shows, the places of its controls ("<id> x y width height") and "ready"; "done" at the end.
#include <QApplication>
#include <QComboBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

#include "testkit/test_look.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/query_edit_view.h"

namespace {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void ReportWindow(QWidget& window) {
    auto report = [](const QWidget* w, const std::string& id) {
        const QPoint at = w->mapToGlobal(QPoint(0, 0));
        std::printf("%s %d %d %d %d\n", id.c_str(), at.x(), at.y(), w->width(), w->height());
    };
    report(&window, "window");
    for (const QWidget* w : window.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && w->objectName().at(0).isDigit()) report(w, w->objectName().toStdString());
    Say("ready");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peltrane_query_window editor | picker\n");
        return 2;
    }
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    CzorNetStepData store;
    store.SetErorPrintMode(false);
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) return 3;
    int status = 2;
    if (!std::strcmp(argv[1], "editor")) {
        CzorQLQuery prepared(&store);
        zor::net::QueryEditData data;
        data.store = &store;
        data.prepared = &prepared;
        data.nameEnabled = true;
        data.name = "Точки";
        data.text = "select a\nfrom a{zor_point (.x = 1.5 and .y > 0)}\nend_select";
        CDlgQueryEdit dlg(data);
        QTimer::singleShot(300, &dlg, [&] {
            dlg.Execute();
            QTimer::singleShot(300, &dlg, [&] { ReportWindow(dlg); });
        });
        const int r = dlg.exec();
        Say("result " + std::to_string(r));
        status = 0;
    } else if (!std::strcmp(argv[1], "picker")) {
        CDlgSelectDictObject picker(&store);
        auto* entities = picker.findChild<QComboBox*>("7042");
        entities->setCurrentIndex(entities->findText("zor_point"));
        QTimer::singleShot(300, &picker, [&] { ReportWindow(picker); });
        const int r = picker.exec();
        Say("chosen " + std::to_string(r) + " " + picker.ChosenName());
        status = 0;
    }
    Say("done");
    return status;
}
