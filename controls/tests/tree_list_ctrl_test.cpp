// The tree-list widget offscreen: selection driven by presses and releases with their modifiers,
// the owner told of expansion before it happens, header clicks that sort every level, and the
// view's exports compared byte for byte.
#include <string>
#include <vector>

#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

#include "controls/dialogs/list_ctrl.h"
#include "controls/dialogs/title_tip.h"
#include "controls/html/html_gen.h"
#include "controls/html/list_ctrl_rows.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"
#include "controls/treelist/tree_list_header.h"
#include "controls/treelist/tree_list_view.h"
#include "platform/base/file_io.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"

namespace {

// An owner dialog that writes down every hook in the order it came.
class RecordingOwner : public CzorResizableDialog {
public:
    std::vector<std::string> log;
    std::function<std::string(HTREEITEM)> name;
    bool Expand(HTREEITEM item, unsigned action) override {
        log.push_back("expand " + name(item) + " " + std::to_string(action) + (item->isExpanded() ? " open" : " shut"));
        return true;
    }
    bool Expanded(HTREEITEM item, unsigned action) override {
        log.push_back("expanded " + name(item) + " " + std::to_string(action) + (item->isExpanded() ? " open" : " shut"));
        return true;
    }
    void Sort(int column) override { log.push_back("sort " + std::to_string(column)); }
    void RefreshAllItems() override { log.push_back("refresh"); }
    void UpdateUserData() override { log.push_back("update"); }
};

class TreeListCtrlTest : public GuiFixture {
protected:
    // Three columns; a (a1, a2 (a21)), b, c.
    TreeListCtrlTest() {
        view.resize(400, 300);
        view.OnInitialUpdate();
        tree().InsertColumn(0, "Имя", 0, 120);
        tree().InsertColumn(1, "Размер", 1, 100);
        tree().InsertColumn(2, "Дата", 2, 90);
        a = tree().InsertItem("a");
        a1 = tree().InsertItem("a1", a);
        a2 = tree().InsertItem("a2", a);
        a21 = tree().InsertItem("a21", a2);
        b = tree().InsertItem("b");
        c = tree().InsertItem("c");
        view.show();
        owner.name = [this](HTREEITEM item) { return tree().GetItemText(item, 0); };
    }
    CzorTreeListCtrlWithToolTip& tree() { return view.GetTreeCtrl(); }
    QPoint At(HTREEITEM item) const {
        const QRect r = const_cast<CzorTreeListCtrlView&>(view).GetTreeCtrl().visualItemRect(item);
        return QPoint(r.left() + 30, r.center().y());
    }
    void Press(HTREEITEM item, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        SendMouse(tree().viewport(), QEvent::MouseButtonPress, At(item), Qt::LeftButton, mods);
    }
    void Release(HTREEITEM item, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        SendMouse(tree().viewport(), QEvent::MouseButtonRelease, At(item), Qt::LeftButton, mods);
    }
    void Click(HTREEITEM item, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Press(item, mods);
        Release(item, mods);
    }
    std::string Selected() {
        std::vector<HTREEITEM> rows;
        tree().GetListSelected(rows);
        std::string out;
        for (HTREEITEM r : rows) out += (out.empty() ? "" : " ") + tree().GetItemText(r, 0);
        return out;
    }
    std::string TopOrder(HTREEITEM parent = nullptr) {
        std::string out;
        const int n = parent ? parent->childCount() : tree().topLevelItemCount();
        for (int i = 0; i < n; ++i)
            out += (out.empty() ? "" : " ") + tree().GetItemText(parent ? parent->child(i) : tree().topLevelItem(i), 0);
        return out;
    }

    CzorTreeListCtrlView view;
    RecordingOwner owner;
    HTREEITEM a, a1, a2, a21, b, c;
};

TEST_F(TreeListCtrlTest, MultipleSelectionByPressAndRelease) {
    tree().SetSelectMode(false);
    tree().Expand(a, TVE_EXPAND);
    Click(a1);
    EXPECT_EQ(Selected(), "a1");
    Click(b, Qt::ControlModifier);
    EXPECT_EQ(Selected(), "a1 b");
    // Ctrl on a selected row: still selected while the button is down, gone at the release.
    Press(a1, Qt::ControlModifier);
    EXPECT_EQ(Selected(), "a1 b");
    Release(a1, Qt::ControlModifier);
    EXPECT_EQ(Selected(), "b");
    // Shift: from the anchor (a1, the last row clicked) to the row, walking up or down.
    Click(c, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "a1 a2 b c");
    Click(a, Qt::ShiftModifier);  // the anchor stays at a1
    EXPECT_EQ(Selected(), "a a1");
    // A plain press on a selected row keeps the selection (it may be dragged); its release
    // leaves that row alone.
    Press(a);
    EXPECT_EQ(Selected(), "a a1");
    Release(a);
    EXPECT_EQ(Selected(), "a");
    // Ctrl+A selects every visible row; a21 is under a collapsed row.
    QKeyEvent ctrlA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, "a");
    QApplication::sendEvent(&tree(), &ctrlA);
    EXPECT_EQ(Selected(), "a a1 a2 b c");
    // A press below the last row clears everything, drop highlight included.
    tree().SetDropHilited(c, true);
    SendMouse(tree().viewport(), QEvent::MouseButtonPress, QPoint(50, tree().viewport()->height() - 2), Qt::LeftButton);
    EXPECT_EQ(Selected(), "");
    EXPECT_FALSE(tree().IsDropHilited(c));
}

TEST_F(TreeListCtrlTest, SingleSelectionFollowsThePress) {
    Press(b);
    EXPECT_EQ(Selected(), "b");
    EXPECT_EQ(tree().currentItem(), b);
    Release(b);
    Click(c, Qt::ControlModifier);
    EXPECT_EQ(Selected(), "c");
    // A press off any row clears.
    SendMouse(tree().viewport(), QEvent::MouseButtonPress, QPoint(50, tree().viewport()->height() - 2), Qt::LeftButton);
    EXPECT_EQ(Selected(), "");
}

// The program's own expansion: collapse, expand and toggle reach the tree; only the first two change
// what the owner is known to have heard.
TEST_F(TreeListCtrlTest, ExpandTakesEveryCodeTheTreeKnows) {
    struct Step { unsigned code; bool result, open, flag; };
    const Step steps[] = {
        {TVE_TOGGLE, true, true, false},   {TVE_TOGGLE, true, false, false},
        {TVE_EXPAND, true, true, true},    {TVE_TOGGLE, true, false, true},
        {TVE_TOGGLE, true, true, true},    {TVE_COLLAPSE, true, false, false},
        {0x8000 | TVE_COLLAPSE, true, false, false}, {0x4000 | TVE_TOGGLE, true, true, false},
        {0, false, true, false},           {0x4000, false, true, false},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(tree().Expand(a, s.code), s.result) << s.code;
        EXPECT_EQ(a->isExpanded(), s.open) << s.code;
        EXPECT_EQ(tree().GetRow(a)->m_expanded, s.flag) << s.code;
    }
    EXPECT_FALSE(tree().Expand(nullptr, TVE_TOGGLE));
}

// Columns wider than the view scroll 6 pixels a line and the rows' width a page, the header with them;
// when the columns shrink the position stays at the end, and with nothing to scroll it is 0.
TEST_F(TreeListCtrlTest, HorizontalScrollingSteps) {
    tree().InsertColumn(3, "Примечание", 0, 1500);
    QCoreApplication::processEvents();
    QScrollBar* bar = view.GetScrollBar();
    const int page = tree().viewport()->width();
    const int max = bar->maximum();
    ASSERT_EQ(max, tree().header()->length() - page);
    ASSERT_GT(max, 2 * page);
    using A = QAbstractSlider;
    struct Step { int from; A::SliderAction action; int to; };
    const Step steps[] = {
        {0, A::SliderSingleStepAdd, 6},      {6, A::SliderSingleStepSub, 0},     {5, A::SliderSingleStepSub, 0},
        {7, A::SliderSingleStepSub, 1},      {10, A::SliderPageStepAdd, 10 + page}, {page + 10, A::SliderPageStepSub, 10},
        {10, A::SliderPageStepSub, 0},       {max - 2, A::SliderSingleStepAdd, max}, {max - 2, A::SliderPageStepAdd, max},
        {50, A::SliderToMaximum, max},       {50, A::SliderToMinimum, 0},
    };
    for (const Step& s : steps) {
        bar->setValue(s.from);
        bar->triggerAction(s.action);
        EXPECT_EQ(bar->value(), s.to) << s.from << " " << s.action;
        EXPECT_EQ(tree().header()->offset(), s.to);
    }
    bar->setValue(0);
    bar->setSliderPosition(13);  // the thumb dragged: on to the next 6-pixel step
    EXPECT_EQ(bar->value(), 18);

    bar->setValue(max);
    tree().header()->resizeSection(3, 1300);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->maximum(), max - 200);
    EXPECT_EQ(bar->value(), bar->maximum());
    tree().header()->resizeSection(3, 10);
    view.ResetScrollBar();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(view.HorizontalScrollVisible(), 0);
}

TEST_F(TreeListCtrlTest, OwnerHearsOfExpansionBeforeAndAfterAndPressesComeAsSignals) {
    tree().m_pOwner = &owner;
    std::vector<std::string> signalsSeen;
    QObject::connect(&tree(), &CzorTreeListCtrl::ownerNotified, [&](int id) { signalsSeen.push_back("owner " + std::to_string(id)); });
    QObject::connect(&tree(), &CzorTreeListCtrl::commandToOwner, [&](int w) { signalsSeen.push_back("command " + std::to_string(w)); });
    // A double click in the first column opens the row; the owner is told before it opens.
    SendMouse(tree().viewport(), QEvent::MouseButtonDblClick, At(a), Qt::LeftButton);
    SendMouse(tree().viewport(), QEvent::MouseButtonDblClick, At(a), Qt::LeftButton);
    EXPECT_EQ(owner.log, (std::vector<std::string>{"expand a 2 shut", "expanded a 2 open", "expand a 1 open",
                                                  "expanded a 1 shut"}));
    // Opening from the program sets the record's flag first, so the owner is not told.
    owner.log.clear();
    tree().Expand(a, TVE_EXPAND);
    EXPECT_TRUE(owner.log.empty());
    // The view tells the owner itself, and can open every level.
    view.Expand(a, 1);
    EXPECT_TRUE(a2->isExpanded());
    EXPECT_EQ(owner.log, (std::vector<std::string>{"expand a 2 open", "expand a1 2 shut", "expand a2 2 shut",
                                                  "expand a21 2 shut"}));

    Press(b);
    EXPECT_EQ(signalsSeen, (std::vector<std::string>{"command 0", "command " + std::to_string(kTreeListOwnerMessage),
                                                     "owner 373"}));
    Release(b);
    owner.log.clear();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&tree(), &down);
    EXPECT_EQ(Selected(), "c");  // the arrow moves the caret and the selection with it
    EXPECT_EQ(owner.log, (std::vector<std::string>{"update"}));

    // The host's expand timer opens the anchor row when it fires, unless the mouse moves first.
    SendClick(tree().viewport(), At(c), Qt::RightButton);  // the right button moves the anchor
    EXPECT_EQ(tree().GetAnchor(), c);
    owner.log.clear();
    tree().InsertItem("c1", c);
    tree().StartExpandTimer(0);
    SendMouse(tree().viewport(), QEvent::MouseMove, At(b));
    EXPECT_FALSE(tree().IsExpandTimerRunning());
    QCoreApplication::processEvents();
    EXPECT_FALSE(c->isExpanded());
    tree().StartExpandTimer(0);
    for (int i = 0; i < 50 && !c->isExpanded(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(c->isExpanded());
    EXPECT_EQ(owner.log, (std::vector<std::string>{"expand c 2 shut", "expanded c 2 open"}));

    // Without an owner the press goes to the parent in screen coordinates.
    tree().m_pOwner = nullptr;
    QPoint forwarded;
    QObject::connect(&tree(), &CzorTreeListCtrl::buttonDownForwarded, [&](QPoint p) { forwarded = p; });
    Press(b);
    EXPECT_EQ(forwarded, tree().viewport()->mapToGlobal(At(b)));
}

TEST_F(TreeListCtrlTest, HeaderClicksSortEveryLevelAndTurnTheArrow) {
    tree().m_pOwner = &owner;
    CzorTreeListHeaderCtrl& header = view.GetHeaderCtrl();
    EXPECT_EQ(header.GetItemImage(0), 0);  // the first column starts with the ascending arrow
    EXPECT_EQ(header.GetItemImage(1), -1);
    EXPECT_EQ(tree().GetColumnsNum(), 3);
    EXPECT_EQ(tree().GetColumnsWidth(), 310);
    tree().SetItemText(a, 1, "2");
    tree().SetItemText(a1, 1, "10");
    tree().SetItemText(a2, 1, "9");
    tree().SetItemText(b, 1, "1");
    tree().SetItemText(c, 1, "x");
    tree().SetColumnNum(1);
    tree().Expand(a, TVE_EXPAND);
    tree().Expand(a2, TVE_EXPAND);

    const int x = header.sectionViewportPosition(1) + 20;
    SendClick(header.viewport(), QPoint(x, header.height() / 2));
    EXPECT_EQ(header.GetItemImage(1), 0);
    EXPECT_EQ(header.GetItemImage(0), -1);
    EXPECT_EQ(TopOrder(), "c b a");  // "x" reads as 0
    EXPECT_EQ(TopOrder(a), "a2 a1");
    EXPECT_TRUE(a2->isExpanded()) << "sorting closed a row";
    ASSERT_GE(owner.log.size(), 2u) << testing::PrintToString(owner.log);
    EXPECT_EQ(owner.log[0], "sort 1");
    EXPECT_EQ(owner.log[1], "refresh");
    SendClick(header.viewport(), QPoint(x, header.height() / 2));
    EXPECT_EQ(header.GetItemImage(1), 1);
    EXPECT_EQ(TopOrder(), "a b c");
    EXPECT_EQ(TopOrder(a), "a1 a2");
    EXPECT_EQ(view.SortColumn(), 1);
    EXPECT_EQ(view.SortAscending(), 0);
    view.DeleteAllColumns();
    EXPECT_EQ(view.SortColumn(), 0);
    EXPECT_EQ(tree().GetColumnsNum(), 0);
}

TEST_F(TreeListCtrlTest, CountsThroughTheWidget) {
    EXPECT_EQ(tree().GetItemCount(), 6);
    EXPECT_EQ(tree().CopyItem(a, nullptr, nullptr), nullptr);  // it has children
    tree().SetItemBold(b, 1);
    tree().SetItemData(b, 42);
    HTREEITEM copy = tree().CopyItem(b, a2, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(tree().GetItemCount(), 7);
    EXPECT_EQ(tree().GetRow(copy)->m_bold, 1);
    EXPECT_EQ(tree().GetItemData(copy), 42u);
    HTREEITEM moved = tree().MoveItem(c, a, a1);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(tree().GetItemCount(), 7);
    EXPECT_EQ(TopOrder(a), "a1 c a2");
    EXPECT_EQ(tree().MoveItem(a, a2, nullptr), nullptr);  // never under itself
    EXPECT_EQ(tree().DeleteSubItems(a), 0);
    EXPECT_EQ(tree().GetItemCount(), 2);
    EXPECT_FALSE(tree().DeleteColumn(7));
    EXPECT_EQ(tree().GetColumnsNum(), 3);
    EXPECT_TRUE(tree().DeleteItem(0));
    EXPECT_EQ(tree().GetItemText(0, 0), "b");
    tree().DeleteAllItems();
    EXPECT_EQ(tree().GetItemCount(), 0);
    EXPECT_EQ(tree().topLevelItemCount(), 0);
}

class TreeListExportTest : public TreeListCtrlTest {
protected:
    std::string Read(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(zor::ReadWholeFile(path, bytes)) << path;
        return bytes;
    }
    zor::test::ScopedTempDir dir;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

TEST_F(TreeListExportTest, TextAndHtmlBytes) {
    tree().SetItemText(a1, 1, "5 \"кг\"");
    tree().SetItemText(b, 2, "01.02.2024");
    tree().InsertItem("fictive", b, nullptr, true);
    tree().Expand(a, TVE_EXPAND);  // a2 stays shut: a21 is left out of the text
    tree().SingleSelectItem(b, false);

    const std::string csv = dir / "list.CSV";
    ASSERT_TRUE(view.SaveListDoc(true, "Отчёт: a/b*", "Заголовок", csv));
    EXPECT_EQ(Read(csv),
              "Заголовок\r\n\r\n\"Имя\",\"Размер\",\"Дата\"\r\n\r\n\"a\",\"\",\"\"\r\n\"a1\",\"5 \"кг\"\",\"\"\r\n"
              "\"a2\",\"\",\"\"\r\n\"b\",\"\",\"01.02.2024\"\r\n\"c\",\"\",\"\"\r\n");
    EXPECT_EQ(view.ExportName(), "list.CSV");
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Список сохранен!"}));

    const std::string txt = dir / "sel.txt";
    ASSERT_TRUE(view.SaveListDoc(false, nullptr, "", txt));
    EXPECT_EQ(Read(txt), "\"Имя\"\t\"Размер\"\t\"Дата\"\r\n\r\n\"b\"\t\"\"\t\"01.02.2024\"\r\n");

    // HTML of the whole tree: rows under shut rows too, the fictive row left out, no heading.
    const std::string htm = dir / "tree.htm";
    ASSERT_TRUE(view.SaveListDoc(true, nullptr, "Заголовок", htm));
    auto row = [](const std::string& name, const std::string& more, bool close = true) {
        return "<tr>\r\n<td>" + name + "</td>\r\n" + more + (close ? "</tr>\r\n" : "");
    };
    const std::string blank = "<td>&nbsp</td>\r\n";
    const std::string table =
        "<table border=\"1\"  style=\"font-size: 9pt;\" cellspacing=\"1\" cellpadding=\"3\" cellspacing=\"0\" "
        "cellpadding=\"3\" style='border-collapse:collapse' color=0 bordercolorlight=\"#000000\" "
        "bordercolordark=\"#000000\" bordercolor=\"#000000\" width=100%>\r\n<tr>"
        "<td width=\"38%\"><center><b>Имя</b></center></td>\r\n"
        "<td width=\"32%\"><center><b>Размер</b></center></td>\r\n"
        "<td width=\"29%\"><center><b>Дата</b></center></td>\r\n</tr>\r\n";
    const std::string head = "<HEADER>\r\n<TITLE>\r\n</TITLE>\r\n</HEADER>\r\n"
                             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r\n<BODY>\r\n";
    EXPECT_EQ(Read(htm), head + table + row("a", blank + blank, false) + row("a1", "<td>5 \"кг\"</td>\r\n" + blank) +
                             row("a2", blank + blank, false) + row("a21", blank + blank) + "</tr>\r\n</tr>\r\n" +
                             row("b", "<td>&nbsp</td>\r\n<td>01.02.2024</td>\r\n") + row("c", blank + blank) +
                             "</table>\r\n</BODY>\r\n");
    // Nothing selected and not all: an empty table body.
    tree().DeselectAll();
    ASSERT_TRUE(view.SaveListDoc(false, nullptr, nullptr, htm));
    EXPECT_EQ(Read(htm), head + table + "</table>\r\n</BODY>\r\n");

    // A file that cannot be written: an error, false, nothing in its place.
    sink.Clear();
    EXPECT_FALSE(view.SaveListDoc(true, nullptr, nullptr, dir / "no/such/dir.txt"));
    ASSERT_EQ(sink.Texts().size(), 1u);
    EXPECT_NE(sink.Texts()[0], "Список сохранен!");
}

TEST_F(TreeListCtrlTest, HeaderAutofitScalesToTheRowsArea) {
    CzorTreeListHeaderCtrl& header = view.GetHeaderCtrl();
    const int target = tree().viewport()->width();
    ASSERT_GT(target, 0);
    header.SetAutofit(false);  // off: no width changes
    EXPECT_EQ(header.sectionSize(0), 120);
    header.SetAutofit(true);
    EXPECT_EQ(header.sectionSize(0), 120 * target / 310);
    EXPECT_EQ(header.sectionSize(1), 100 * target / 310);
    EXPECT_EQ(header.sectionSize(2), 90 * target / 310);
    // The model and the total follow the header.
    EXPECT_EQ(tree().GetColumnWidth(1), header.sectionSize(1));
    EXPECT_EQ(tree().GetColumnsWidth(), header.sectionSize(0) + header.sectionSize(1) + header.sectionSize(2));
}

TEST_F(TreeListCtrlTest, ClippedCellShowsItsWholeTextInATitleTip) {
    const std::string longText(60, 'W');
    tree().SetItemText(b, 1, longText.c_str());
    tree().SetItemText(c, 1, "1");
    const QRect row = tree().visualItemRect(b);
    const QPoint inCell(view.GetHeaderCtrl().sectionViewportPosition(1) + 30, row.center().y());
    SendMouse(tree().viewport(), QEvent::MouseMove, inCell);
    ASSERT_NE(tree().TitleTip(), nullptr);
    EXPECT_TRUE(tree().TitleTip()->isVisible());
    EXPECT_EQ(tree().TitleTip()->Text().toStdString(), longText);
    // A short text fits: the tip goes.
    SendMouse(tree().viewport(), QEvent::MouseMove, QPoint(inCell.x(), tree().visualItemRect(c).center().y()));
    EXPECT_FALSE(tree().TitleTip()->isVisible());
}

TEST_F(TreeListExportTest, PlainListTableFromTheSelectedRow) {
    CzorListCtrl list;
    list.InsertColumn(0, "A", LVCFMT_LEFT, 300);
    list.InsertColumn(1, "B", LVCFMT_LEFT, 100);
    for (int i = 0; i < 3; ++i) {
        list.InsertItem(i, "r" + std::to_string(i));
        list.SetItemText(i, 1, i == 1 ? " " : "x");
    }
    list.SetItemSelected(1, true);
    const zor::CListCtrlRows rows(list);
    const std::string file = dir / "list.htm";
    ASSERT_TRUE(zor::CHtmlGen::GenerateByListCtrl(&rows, file, zor::CHtmlGen::kCreate | zor::CHtmlGen::kSelected, nullptr));
    const std::string bytes = Read(file);
    EXPECT_NE(bytes.find("<td width=\"75%\"><center><b>A</b></center></td>\r\n<td width=\"25%\"><center><b>B</b>"),
              std::string::npos);
    EXPECT_NE(bytes.find("</tr>\r\n<tr>\r\n<td>r1</td>\r\n<td>&nbsp</td>\r\n</tr>\r\n</table>\r\n"), std::string::npos)
        << bytes;
    EXPECT_EQ(bytes.find("r0"), std::string::npos);
}

TEST_F(TreeListExportTest, SaveDialogProposesTheCleanedTitleAndWritesWhereChosen) {
    // The dialog is answered from inside its own loop: the name it proposes is read, a folder
    // and a name are chosen, and it is accepted. Bounded: a dialog that never shows fails the test.
    std::string proposed, filters;
    int tries = 0;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++tries > 250) answer.stop();
            return;
        }
        answer.stop();
        if (auto* name = dialog->findChild<QLineEdit*>()) proposed = name->text().toStdString();
        filters = dialog->nameFilters().join("|").toStdString();
        dialog->setDirectory(QString::fromStdString(dir.Path()));
        dialog->selectFile(QString::fromStdString(dir / "chosen.csv"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    answer.start();
    ASSERT_TRUE(view.SaveListDoc(true, "Итог: 1/2 *", nullptr));
    EXPECT_EQ(proposed, "Итог  1 2  ");
    EXPECT_EQ(filters, "Текстовые файлы CSV (*.csv)|Текстовые файлы (*.txt)|Файлы HTML (*.html *.htm)|Все файлы (*)");
    EXPECT_EQ(view.ExportName(), "chosen.csv");
    EXPECT_EQ(Read(dir / "chosen.csv").rfind("\"Имя\",\"Размер\",\"Дата\"\r\n", 0), 0u);
}

}  // namespace
