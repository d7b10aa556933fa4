// The small program of the real-window property test: a window with one text element of a template.
// It opens the element's property dialog, then, once that has closed, the element's context menu at
// (40, 40) of the window, and writes what happened to stdout:
//   "control <id> x y width height" for the dialog's edit 1009 and button OK, then "dialog shown";
//   "dialog <0|1>" and "text <the element's text>" when the dialog has closed;
//   "menu shown" while the menu waits, "menu <result>", and "param <name> <type> <linked>" for the
//   manager's first parameter (or "param none");
//   then the context menu of a line at the same point: "line menu shown", "line menu <result>".
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "controls/menu/zor_menu.h"
#include "report/dialogs/folivox_dialogs.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "testkit/test_look.h"

namespace {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void SayControl(QWidget* dialog, const char* id) {
    QWidget* control = dialog->findChild<QWidget*>(id);
    if (!control) return Say(std::string("control ") + id + " missing");
    const QPoint at = control->mapToGlobal(QPoint(0, 0));
    Say(std::string("control ") + id + " " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " " +
        std::to_string(control->width()) + " " + std::to_string(control->height()));
}

// Calls `then` with the modal dialog or popup once it shows (bounded: about five seconds).
void WhenModal(std::function<void(QWidget*)> then, int tries = 100) {
    QTimer::singleShot(50, [then, tries] {
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown) shown = QApplication::activePopupWidget();
        if (shown && shown->isVisible()) return then(shown);
        if (tries > 0) WhenModal(then, tries - 1);
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    RegisterFolivoxDialogs();
    CzorMenu::LoadXpMode();

    CFolivox manager;
    CReportElement text(&manager);
    text.SetOrigin(CPoint(100, -500));
    text.SetSize(CSize(300, 200));
    text.GetTextValue().SetText(std::string("Было"));

    QWidget window;
    window.setWindowTitle("Элементы: тест");
    window.setGeometry(0, 0, 480, 360);
    window.show();

    QTimer::singleShot(300, &window, [&] {
        WhenModal([](QWidget* dialog) {
            SayControl(dialog, "1009");
            SayControl(dialog, "1");
            SayControl(dialog, "2");
            Say("dialog shown");
        });
        const bool ok = text.ElemProper(0);
        Say(std::string("dialog ") + (ok ? "1" : "0"));
        Say("text " + text.GetTextValue().GetText());
        WhenModal([](QWidget*) { Say("menu shown"); });
        const int result = text.ShowContextMenu(CPoint(40, 40), &window, 0);
        Say("menu " + std::to_string(result));
        CParamArray& params = manager.GetParams();
        if (params.GetSize() == 0) {
            Say("param none");
        } else {
            CReportParam* param = params.GetAt(0);
            Say("param " + param->GetName() + " " + std::to_string(param->GetType()) + " " +
                (text.GetTextValue().GetParam() == param ? "1" : "0"));
        }
        CReportElement line(&manager);
        line.SetKind(kElemLine);
        WhenModal([](QWidget*) { Say("line menu shown"); });
        Say("line menu " + std::to_string(line.ShowContextMenu(CPoint(40, 40), &window, 0)));
        app.quit();
    });
    return app.exec();
}
