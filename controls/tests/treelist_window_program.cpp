// The small program of the tree-list's real-window test: a window with a three-column tree-list view
// (nested rows, a bold row beside a plain one of the same text, a coloured row, a selected and a
// drop-highlighted row, the sort arrow) and an HTML pane. Once shown it writes where its parts are
// on the screen ("<part> x y width height"), the highlight colour ("highlight r g b 0") and "ready".
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

#include "controls/html/html_view.h"
#include "controls/treelist/tree_list_header.h"
#include "controls/treelist/tree_list_view.h"
#include "testkit/test_look.h"

namespace {

void Report(const char* part, const QWidget* w, QRect r = {}) {
    if (r.isNull()) r = w->rect();
    const QPoint at = w->mapToGlobal(r.topLeft());
    std::printf("%s %d %d %d %d\n", part, at.x(), at.y(), r.width(), r.height());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);

    QWidget window;
    window.setWindowTitle(QString::fromUtf8("Дерево-список"));
    window.setGeometry(0, 0, 660, 300);
    auto* view = CzorTreeListCtrlView::CreateTreeListView(&window, QRect(0, 0, 400, 280), 1001);
    CzorTreeListCtrlWithToolTip& tree = view->GetTreeCtrl();
    tree.InsertColumn(0, "Имя", 0, 140);
    tree.InsertColumn(1, "Размер", 1, 100);
    tree.InsertColumn(2, "Дата", 2, 90);
    HTREEITEM folder = tree.InsertItem("Папка");
    HTREEITEM blue = tree.InsertItem("Синий файл", folder);
    tree.SetItemText(blue, 1, "12");
    tree.InsertItem("Файл", folder);
    HTREEITEM bold = tree.InsertItem("Строка");
    tree.SetItemBold(bold, 1);
    HTREEITEM plain = tree.InsertItem("Строка");
    HTREEITEM selected = tree.InsertItem("Выбранная");
    HTREEITEM drop = tree.InsertItem("Цель");
    tree.SetItemColor(blue, RGB(0, 0, 200));
    tree.Expand(folder, TVE_EXPAND);
    tree.SingleSelectItem(selected, false);
    tree.SetDropHilited(drop, true);

    auto* placeholder = new QLabel(&window);
    placeholder->setObjectName("1055");
    placeholder->setGeometry(410, 0, 240, 280);
    CzorHtmlView html;
    html.CreateFromStatic(1055, &window);
    html.SetContents("<table width=\"100%\" bgcolor=\"#00a000\" cellpadding=\"30\"><tr><td>&nbsp;</td></tr></table>"
                     "<p><a href=\"app:Beep\">app</a></p>");
    window.show();

    QTimer::singleShot(300, &app, [&] {
        QWidget* port = tree.viewport();
        CzorTreeListHeaderCtrl& header = view->GetHeaderCtrl();
        for (int c = 0; c < 3; ++c) {
            const std::string name = "col" + std::to_string(c);
            Report(name.c_str(), port, QRect(header.sectionViewportPosition(c), 0, header.sectionSize(c), port->height()));
            const std::string head = "head" + std::to_string(c);
            Report(head.c_str(), header.viewport(),
                   QRect(header.sectionViewportPosition(c), 0, header.sectionSize(c), header.height()));
        }
        const std::pair<const char*, HTREEITEM> rows[] = {
            {"blue", blue}, {"bold", bold}, {"plain", plain}, {"selected", selected}, {"drop", drop}};
        for (const auto& [name, item] : rows) {
            const QRect r = tree.visualItemRect(item);
            Report(name, port, QRect(0, r.top(), tree.GetColumnsWidth(), r.height()));
        }
        Report("html", &html);
        const QColor h = tree.palette().color(QPalette::Active, QPalette::Highlight);
        std::printf("highlight %d %d %d 0\nready\n", h.red(), h.green(), h.blue());
        std::fflush(stdout);
    });
    return app.exec();
}
