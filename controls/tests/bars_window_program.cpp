// The small program of the command bars' real-window test: a frame with the logo band mid-animation beside
// a customisable tool bar, the tool bar's customise dialog open, a splitter bar mid-drag between two panes,
// an open menu combo box with a submenu, and two tree views with a selected item, one in each selection
// look. It writes where its parts are ("<part> x y width height") and the colours it drew with ("colour
// <name> r g b"): the combo box's arrow once the splitter is dragged, the menu and its first entry once the
// test has clicked the arrow, the rest and "ready" once the mouse has opened the submenu.
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QStandardItem>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>

#include "controls/bars/menu_combo_box.h"
#include "controls/bars/rebar.h"
#include "controls/bars/splitter_bar.h"
#include "controls/bars/toolbar.h"
#include "controls/bars/toolbar_customize_dialog.h"
#include "controls/dialogs/button.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/imagelist.h"
#include "controls/tests/mouse_events.h"
#include "controls/tree/tree_view.h"
#include "platform/gdi/screen_colors.h"
#include "testkit/test_look.h"

namespace {

void Report(const char* part, const QWidget* w, QRect r = {}) {
    if (r.isNull()) r = w->rect();
    const QPoint at = w->mapToGlobal(r.topLeft());
    std::printf("%s %d %d %d %d\n", part, at.x(), at.y(), r.width(), r.height());
    std::fflush(stdout);
}

void ReportColour(const char* name, COLORREF c) {
    std::printf("colour %s %d %d %d\n", name, int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c)));
    std::fflush(stdout);
}

// A tree view drawn in one selection look whatever the shared setting says.
class LookTree : public CzorTreeView {
public:
    LookTree(bool xp, QWidget* parent) : CzorTreeView(parent), m_xp(xp) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        const bool shared = m_xp_mode;
        m_xp_mode = m_xp;
        CzorTreeView::paintEvent(event);
        m_xp_mode = shared;
    }

private:
    bool m_xp;
};

struct Tree {
    LookTree* view;
    CzorTreeItemData root, sales, stock;
};

// A menu combo box that says where its menu's first entry is once the menu is open, and lets the program
// say it is ready once the mouse has opened that entry's submenu.
class OpeningCombo : public CMenuComboBox {
public:
    using CMenuComboBox::CMenuComboBox;
    std::function<void(QMenu&)> opened;

protected:
    int TrackMenu(QMenu& menu, const QPoint& at) override {
        QTimer::singleShot(150, &menu, [&menu] {
            const QColor face = menu.palette().color(QPalette::Base);
            ReportColour("menu", RGB(face.red(), face.green(), face.blue()));
            Report("menu", &menu);
            Report("entry", &menu, menu.actionGeometry(menu.actions().front()));
        });
        auto* poll = new QTimer(&menu);
        QObject::connect(poll, &QTimer::timeout, &menu, [this, &menu, poll] {
            for (QAction* a : menu.actions())
                if (a->menu() && a->menu()->isVisible()) {
                    poll->stop();
                    QTimer::singleShot(300, &menu, [this, &menu] { opened(menu); });
                }
        });
        poll->start(50);
        return CMenuComboBox::TrackMenu(menu, at);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Панели"));
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);

    // The command bars: a tool bar band and the logo band over one peach background.
    auto* rebar = new CzorReBar;
    auto* toolbar = new CzorToolBar;
    toolbar->LoadToolBar(930);
    toolbar->SetTBName("Стандартная");
    toolbar->SetToolBarInfoForCustomization();
    toolbar->HideButton(203, true);
    rebar->AddBand(toolbar);
    QPixmap background(16, 16);
    background.fill(QColor(255, 224, 160));
    rebar->CreateLogoBar(&background);
    rebar->StartAnimation(true);
    for (int i = 0; i < 5; ++i) rebar->OnTimer(CzorReBar::kAnimationTimer);
    column->addWidget(rebar);

    // Two panes with a splitter bar between them: the trees on the left, a blue pane with the combo box.
    auto* body = new QWidget;
    body->setFixedSize(860, 460);
    column->addWidget(body);
    auto* left = new QWidget(body);
    left->setGeometry(0, 0, 420, 460);
    auto* right = new QFrame(body);
    right->setGeometry(420, 0, 440, 460);
    right->setAutoFillBackground(true);
    QPalette blue = right->palette();
    blue.setColor(QPalette::Window, QColor(0, 0, 200));
    right->setPalette(blue);
    auto* splitter = new CzorSplitterBar;
    splitter->Create(QRect(0, 0, 4, 4), body, 1, false);
    splitter->SetPanes(left, right);

    CImageList images;
    images.Create(16, 16);
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(QColor(200, 0, 0));
    images.AddImage(red);
    Tree trees[2];
    for (int i = 0; i < 2; ++i) {
        Tree& t = trees[i];
        t.view = new LookTree(i == 0, left);
        t.view->setGeometry(10, 10 + i * 225, 380, 215);
        t.view->SetImageList(&images, 0);
        for (CzorTreeItemData* d : {&t.root, &t.sales, &t.stock}) d->m_tree = t.view;
        t.root.InsetItem("Отчёты", 0, nullptr);
        t.sales.InsetItem("Продажи за квартал", 0, t.root.m_item);
        t.stock.InsetItem("Склад", 0, t.root.m_item);
        t.sales.SetItemImage(0, 0, true);
        t.stock.m_textColor = RGB(0, 0, 160);
        t.view->expandAll();
        t.view->setCurrentIndex(t.sales.m_item->index());
    }

    auto* combo = new OpeningCombo(right);
    combo->setGeometry(20, 20, 200, 22);
    combo->AddItem(1, "Отчёты", 0, true);
    combo->AddItem(2, "Продажи", 1, true);
    combo->AddItem(3, "Склад", 1, true);
    combo->AddItem(4, "Архив", 0, false);
    combo->AddItem(5, "За прошлый год", 2, true);
    combo->SetSelID(3);

    frame.setCentralWidget(central);
    frame.move(0, 0);
    frame.show();

    CzorToolBarCustomizeDialog dialog(toolbar, &frame);
    dialog.move(20, 640);
    dialog.show();

    combo->opened = [&](QMenu& menu) {
        for (Tree& t : trees) t.view->viewport()->repaint();
        Report("logo", rebar->LogoButton());
        Report("logoband", rebar->LogoBand());
        Report("toolbar", toolbar);
        Report("dialog", &dialog);
        Report("drag", body, splitter->LastDragRect());
        Report("menu", &menu);

        for (QAction* a : menu.actions())
            if (a->menu() && a->menu()->isVisible()) Report("submenu", a->menu());
        for (int i = 0; i < 2; ++i) {
            const CRect& label = trees[i].sales.m_labelRect;
            Report(i == 0 ? "xplabel" : "classiclabel", trees[i].view->viewport(),
                   QRect(label.left, label.top, label.right - label.left, label.bottom - label.top));
        }
        ReportColour("window", GetScreenSysColor(COLOR_WINDOW));
        ReportColour("highlight", GetScreenSysColor(COLOR_HIGHLIGHT));
        ReportColour("light", CzorMenu::LightenColor(GetScreenSysColor(COLOR_HIGHLIGHT), 0.75));
        std::printf("pair %d\nready\n", rebar->CurrentPair());
        std::fflush(stdout);
    };

    // Once shown: the splitter dragged half-way; the test then clicks the combo box's arrow.
    QTimer::singleShot(400, [&] {
        SendMouse(splitter, QEvent::MouseButtonPress, splitter->rect().center(), Qt::LeftButton);
        const QPoint to = splitter->mapFromParent(QPoint(300, 200));
        QMouseEvent move(QEvent::MouseMove, QPointF(to), splitter->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(splitter, &move);
        // The bar holds the mouse while it drags; it lets go here so that the test's click reaches the combo
        // box, and the drag rectangle stays where it is.
        splitter->releaseMouse();
        Report("combo", combo);
        Report("arrow", combo, combo->ArrowRect());
    });
    return app.exec();
}
