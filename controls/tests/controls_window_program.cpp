// The small program of the controls' real-window test: one window per control, chosen by the first
// argument (dialog, buttons, list, bar, link, folder <start folder>); its message boxes are real ones.
// Once shown it writes where its parts are on the screen ("<part> x y width height") and "ready"; what
// the user did comes out as lines too (the dialog's new place after a resize, the rows' order after a
// sort, the bar's place after it floats or docks, a link opened, the folder chosen).
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "controls/dialogs/button.h"
#include "controls/dialogs/hyperlink.h"
#include "controls/dialogs/resizable_dialog.h"
#include "controls/dialogs/select_folder_dialog.h"
#include "controls/dialogs/sizing_control_bar.h"
#include "controls/dialogs/sort_list.h"
#include "platform/ui/messages.h"
#include "platform/ui/widgets/qt_message_sink.h"
#include "testkit/test_look.h"

namespace {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Report(const char* part, const QWidget* w, QRect r = {}) {
    if (r.isNull()) r = w->rect();
    const QPoint at = w->mapToGlobal(r.topLeft());
    std::printf("%s %d %d %d %d\n", part, at.x(), at.y(), r.width(), r.height());
    std::fflush(stdout);
}

// A solid block of one colour, so that the test finds it on the screen.
QFrame* Block(QWidget* parent, QColor colour, QRect place) {
    auto* f = new QFrame(parent);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, colour);
    f->setPalette(p);
    f->setGeometry(place);
    return f;
}

// A dialog with a block that stretches with it and one that keeps to its bottom-right corner.
class AnchoredDialog : public CzorResizableDialog {
public:
    AnchoredDialog() {
        setWindowTitle("Диалог");
        m_stretch = Block(this, QColor(0, 0, 200), QRect(10, 10, 280, 140));
        m_corner = Block(this, QColor(200, 0, 0), QRect(220, 160, 70, 30));
        resize(300, 200);
    }
    QFrame* m_stretch;
    QFrame* m_corner;

protected:
    void resizeEvent(QResizeEvent* event) override {
        CzorResizableDialog::resizeEvent(event);
        if (isVisible()) QTimer::singleShot(0, this, [this] { Report("dialog", this); });
    }
    bool OnInitDialog() override {
        CzorResizableDialog::OnInitDialog();
        AddAnchor(m_stretch, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
        AddAnchor(m_corner, ANCHOR_BOTTOM_RIGHT);
        return true;
    }
};

const char* const kLongText = "a description far wider than its column";

std::string RowOrder(const CSortListCtrl& list) {
    std::string order;
    for (int i = 0; i < list.GetItemCount(); ++i)
        order += (i ? " " : "") + list.GetItemText(i, 0) + list.GetItemText(i, 1);
    return order;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    const std::string which = argc > 1 ? argv[1] : "";
    // The program's own message boxes, answered with the mouse and keys like the rest.
    zor::QtMessageSink sink;
    zor::SetMessageSink(&sink);
    zor::SetDefaultCaption("Вопрос теста");

    QWidget window;
    window.setWindowTitle(QString::fromStdString("Элементы: " + which));
    window.setGeometry(0, 0, 420, 300);
    std::function<void()> ready;

    AnchoredDialog dialog;
    QMainWindow frame;
    CSizingControlBar bar;
    std::unique_ptr<CzorSelectFolderDialog> picker;
    if (which == "dialog") {
        dialog.move(0, 0);
        dialog.show();
        ready = [&] { Report("dialog", &dialog); };
    } else if (which == "buttons") {
        auto* flat = new CzorButton(&window);
        flat->setText("Плоская");
        flat->setGeometry(20, 20, 120, 40);
        flat->SetFlat(true);
        auto* classic = new CzorButton(&window);
        classic->setText("Обычная");
        classic->setGeometry(20, 90, 120, 40);
        classic->SetFlat(false);
        window.show();
        ready = [=] { Report("flat", flat); Report("classic", classic); };
    } else if (which == "list") {
        auto* list = new CSortListCtrl(&window);
        list->setGeometry(10, 10, 400, 200);
        list->InsertColumn(0, "Группа", LVCFMT_LEFT, 80);
        list->InsertColumn(1, "Номер", LVCFMT_LEFT, 80);
        list->InsertColumn(2, "Описание", LVCFMT_LEFT, 60);
        list->SetColumnNumeric(1);
        const char* rows[][2] = {{"b", "9"}, {"a", "9"}, {"b", "10"}, {"a", "30"}};
        for (int i = 0; i < 4; ++i) {
            list->InsertItem(i, rows[i][0]);
            list->SetItemText(i, 1, rows[i][1]);
            list->SetItemText(i, 2, kLongText);
        }
        QObject::connect(list->ArrowHeader(), &CSortArrowHeader::LeftClicked, list, [list] {
            QTimer::singleShot(0, list, [list] { Say("order " + RowOrder(*list)); });
        });
        window.show();
        ready = [=] {
            for (int c = 0; c < 3; ++c) {
                const std::string name = "header" + std::to_string(c);
                CSortArrowHeader* h = list->ArrowHeader();
                Report(name.c_str(), h, QRect(h->sectionViewportPosition(c), 0, h->sectionSize(c), h->height()));
            }
            const CRect cell = list->GetSubItemRect(0, 2);
            Report("cell", list->viewport(), QRect(cell.left, cell.top, cell.Width(), cell.Height()));
            std::printf("textwidth %d 0 0 0\n", list->fontMetrics().horizontalAdvance(kLongText));
        };
    } else if (which == "bar") {
        frame.setWindowTitle("Элементы: bar");
        frame.setGeometry(0, 0, 500, 350);
        frame.setCentralWidget(Block(nullptr, QColor(255, 255, 255), {}));
        bar.Create("Панель", &frame, CSize(150, 220), true, 4001);
        bar.ShowCaption(true);
        bar.setWidget(Block(nullptr, QColor(0, 160, 0), {}));
        frame.addDockWidget(Qt::LeftDockWidgetArea, &bar);
        frame.show();
        auto place = [&] { Report(bar.isFloating() ? "floating" : "docked", &bar); Report("gripper", bar.Gripper()); };
        QObject::connect(&bar, &QDockWidget::topLevelChanged, &bar,
                         [&, place] { QTimer::singleShot(300, &bar, place); });
        ready = place;
    } else if (which == "link") {
        CzorHyperLink::SetColors(RGB(0, 0, 255), RGB(0, 0, 255), RGB(128, 0, 128), RGB(230, 0, 0));
        auto* link = new CzorHyperLink("Ссылка на сайт", "http://example.invalid/", &window);
        QFont font = link->font();
        font.setPointSize(16);
        font.setBold(true);
        link->SetFont(font);
        link->move(20, 20);
        link->ModifyLinkStyle(0, CzorHyperLink::StyleUseHover);
        zor::LinkLauncher launcher;
        launcher.open = [](const std::string& url) { Say("open " + url); return true; };
        CzorHyperLink::SetLauncher(launcher);
        window.show();
        ready = [=] { Report("link", link); };
    } else if (which == "folder" && argc > 2) {
        picker = std::make_unique<CzorSelectFolderDialog>(0, argv[2]);
        picker->setGeometry(0, 0, 600, 420);
        QObject::connect(picker.get(), &QDialog::finished, &app, [&](int result) {
            Say("result " + std::to_string(result) + " " + picker->GetSelectedPath());
            app.quit();
        });
        picker->show();
        ready = [&] {
            picker->activateWindow();
            picker->PathField()->setFocus();
            picker->PathField()->selectAll();
            Report("path", picker->PathField());
        };
    } else {
        std::fprintf(stderr, "usage: controls_window dialog|buttons|list|bar|link|folder <folder>\n");
        return 2;
    }
    QTimer::singleShot(300, &app, [&] {
        ready();
        Say("ready");
    });
    return app.exec();
}
