// The small program of the signature dialogs' real-window test: the list of signature systems over the
// configuration folders of the test ($XDG_CONFIG_HOME from the sandbox, the machine folder given as the
// argument), with the real properties dialog and file dialog. It reports where its controls are on the
// screen ("list.<id> x y width height", "rowheight h") and "ready" once the list shows, the same with
// "props.<id>" and "props-ready" once the properties dialog shows, every message box as "message <text>", and "done".
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

#include "platform/ui/widgets/qt_message_sink.h"
#include "signature/sign_system_props_dlg.h"
#include "signature/sign_systems_dlg.h"
#include "testkit/test_look.h"

namespace {

// Boxes stay real; the test also learns what they said.
class ReportingSink : public zor::IMessageSink {
public:
    int Show(const std::string& text, const std::string& caption, unsigned type) override {
        std::printf("message %s\n", text.c_str());
        std::fflush(stdout);
        return m_boxes.Show(text, caption, type);
    }

private:
    zor::QtMessageSink m_boxes;
};

void Report(const QWidget* w, const char* id) {
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    std::printf("%s %d %d %d %d\n", id, at.x(), at.y(), w->width(), w->height());
}

// Every control of the dialog with an id as "<prefix>.<id>", then the marker line.
void ReportDialog(QDialog& dialog, const char* prefix, const char* marker) {
    for (const QWidget* w : dialog.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && w->objectName().at(0).isDigit())
            Report(w, (prefix + ("." + w->objectName())).toUtf8().constData());
    if (auto* list = dialog.findChild<QTreeWidget*>("14008")) {
        Report(list->viewport(), "viewport");
        std::printf("rowheight %d\n", list->topLevelItemCount() ? list->visualItemRect(list->topLevelItem(0)).height() : 0);
        std::printf("namewidth %d\n", list->columnWidth(0));
    }
    std::printf("%s\n", marker);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: signature_window <machine configuration folder>\n");
        return 2;
    }
    ::setenv("XDG_CONFIG_DIRS", argv[1], 1);
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    ReportingSink sink;
    sig::CSignSystemsModel model(sink);
    sig::CSignSystemsDlg list(model, sink);
    list.move(0, 0);
    list.runProps = [&](sig::CSignSystemPropsModel& props) {
        sig::CSignSystemPropsDlg dialog(props, sink, &list);
        QTimer::singleShot(400, &dialog, [&dialog] { ReportDialog(dialog, "props", "props-ready"); });
        return dialog.exec() == QDialog::Accepted;
    };
    // After every change the list is filled again: report it once more.
    QObject::connect(&list, &QDialog::finished, [] {
        std::printf("done\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(400, &list, [&list] { ReportDialog(list, "list", "ready"); });
    list.exec();
    return 0;
}
