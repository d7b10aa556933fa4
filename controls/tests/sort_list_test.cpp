#include "controls/dialogs/sort_list.h"

#include <string>
#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "controls/resources/bitmaps.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"
#include "platform/settings/profile.h"
#include "platform/tests/test_support.h"

namespace {

using zor::test::ScopedEnv;
using zor::test::ScopedTempDir;

// Keeps what reaches it: mouse events with their positions, context-menu requests.
class Recorder : public QWidget {
public:
    struct Seen { QEvent::Type type; QPoint pos; };
    std::vector<Seen> seen;
protected:
    bool event(QEvent* e) override {
        if (auto* m = dynamic_cast<QMouseEvent*>(e)) seen.push_back({e->type(), m->position().toPoint()});
        if (auto* c = dynamic_cast<QContextMenuEvent*>(e)) seen.push_back({e->type(), c->pos()});
        return QWidget::event(e);
    }
};

class SortListTest : public GuiFixture {
protected:
    void SetUp() override {
        owner.resize(500, 300);
        list = new CSortListCtrl(&owner);
        list->setGeometry(0, 0, 500, 300);
        list->InsertColumn(0, "Наименование", LVCFMT_LEFT, 120);
        list->InsertColumn(1, "Сумма", LVCFMT_RIGHT, 80);
        list->InsertColumn(2, "Дата", LVCFMT_LEFT, 100);
        list->SetColumnNumeric(1);
        list->SetColumnDate(2);
        const char* rows[][3] = {{"б", "10", "01.02.2024"},
                                 {"А", "9", "чепуха"},
                                 {"в", "abc", "31.12.2023"},
                                 {"а", "10", "15.01.2024"}};
        for (int r = 0; r < 4; ++r) {
            list->InsertItem(r, rows[r][0]);
            list->SetItemText(r, 1, rows[r][1]);
            list->SetItemText(r, 2, rows[r][2]);
            list->SetItemData(r, 100 + r);
        }
        owner.show();
    }
    void ClickHeader(int column, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* vp = list->ArrowHeader()->viewport();
        const QPoint at(list->ArrowHeader()->sectionViewportPosition(column) + 20, list->ArrowHeader()->height() / 2);
        SendClick(vp, at, button, QEvent::MouseButtonPress, mods);
    }
    std::vector<std::string> Column(int c) const {
        std::vector<std::string> out;
        for (int r = 0; r < list->GetItemCount(); ++r) out.push_back(list->GetItemText(r, c));
        return out;
    }
    std::vector<uint64_t> Data() const {
        std::vector<uint64_t> out;
        for (int r = 0; r < list->GetItemCount(); ++r) out.push_back(list->GetItemData(r));
        return out;
    }
    Recorder owner;
    CSortListCtrl* list = nullptr;
};

using S = std::vector<std::string>;

TEST_F(SortListTest, HeaderClicksSortByKindAlternatingAndRightClicksNever) {
    ClickHeader(1, Qt::RightButton);
    EXPECT_EQ(Column(0), (S{"б", "А", "в", "а"}));

    ClickHeader(1);  // first click: descending; "abc" is 0
    EXPECT_EQ(Column(1), (S{"10", "10", "9", "abc"}));
    EXPECT_EQ(list->ArrowHeader()->ArrowOf(1), 0);
    ClickHeader(1);
    EXPECT_EQ(Column(1), (S{"abc", "9", "10", "10"}));
    EXPECT_EQ(list->ArrowHeader()->ArrowOf(1), 1);
    // The owner's numbers stay with their rows.
    EXPECT_EQ(Data(), (std::vector<uint64_t>{102, 101, 100, 103}));

    ClickHeader(2);  // dates descending: the text that is no date is "9000"
    EXPECT_EQ(Column(2), (S{"чепуха", "01.02.2024", "15.01.2024", "31.12.2023"}));
    EXPECT_EQ(list->ArrowHeader()->ArrowOf(1), -1);  // a plain click clears the other arrows
    EXPECT_EQ(list->ArrowHeader()->ArrowOf(2), 0);
    // The arrow is the header item's image.
    EXPECT_TRUE(list->headerItem()->icon(1).isNull());
    ASSERT_FALSE(list->headerItem()->icon(2).isNull());
    EXPECT_EQ(list->headerItem()->icon(2).pixmap(QSize(9, 9)).toImage().pixel(4, 8), qRgb(0x80, 0x80, 0x80));
    EXPECT_FALSE(list->IsSorting());
}

TEST_F(SortListTest, CtrlClicksSortByTwoColumnsWithArrowsOnBoth) {
    ClickHeader(1);                                   // amounts descending
    ClickHeader(0, Qt::LeftButton, Qt::ControlModifier);  // names join the combined sort
    EXPECT_EQ(list->GetNumCombinedSortedColumns(), 2);
    EXPECT_EQ(list->ArrowHeader()->ArrowOf(0), 0);
    EXPECT_EQ(list->ArrowHeader()->ArrowOf(1), 0);
    // The walk sorts names, then amounts again: amounts lead, names order the equal amounts.
    EXPECT_EQ(Column(1), (S{"10", "10", "9", "abc"}));
    EXPECT_EQ(Column(0), (S{"б", "а", "А", "в"}));
    // Ctrl on the first column again: it moves to the end, names lead now.
    ClickHeader(1, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(list->Order().Combined()[0], 0);
    EXPECT_EQ(list->Order().Combined()[1], 1);
    EXPECT_EQ(Column(0)[0], "в");
}

TEST_F(SortListTest, MarkedNumericAndDateSortsAsNumbers) {
    list->SetColumnDate(1);
    EXPECT_EQ(list->IsColumnNumeric(1), 1);
    list->SortColumn(1);  // as dates every cell would be equal and the order kept
    EXPECT_EQ(Column(1), (S{"10", "10", "9", "abc"}));
    list->DeleteColumn(2);
    EXPECT_EQ(list->GetColumnCount(), 2);
    EXPECT_EQ(list->IsColumnNumeric(2), 0);
    EXPECT_EQ(list->IsColumnNumeric(1), 1);
    list->DeleteAllColumns();
    EXPECT_EQ(list->GetColumnCount(), 0);
    EXPECT_EQ(list->IsColumnNumeric(1), 0);
}

TEST_F(SortListTest, WidthsAreSavedUnderTheUniqueNameAndLoadedWithAutomaticFallback) {
    ScopedTempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    {
        CSortListCtrl unnamed;
        unnamed.InsertColumn(0, "a", LVCFMT_LEFT, 50);
    }
    EXPECT_EQ(GetProfileString("ColumnWidths", "", "none"), "none");
    {
        CSortListCtrl named;
        named.InsertColumn(0, "Наименование", LVCFMT_LEFT, 120);
        named.InsertColumn(1, "Сумма", LVCFMT_LEFT, 80);
        named.InsertColumn(2, "Дата", LVCFMT_LEFT, 200);
        named.SetUniqueName("Clients");
    }
    EXPECT_EQ(GetProfileString("ColumnWidths", "Clients"), "120,80,200,");
    WriteProfileString("ColumnWidths", "Clients", "120,5,x,");
    CSortListCtrl again;
    again.InsertColumn(0, "Наименование", LVCFMT_LEFT, 10);
    again.InsertColumn(1, "Сумма", LVCFMT_LEFT, 10);
    again.InsertColumn(2, "Дата", LVCFMT_LEFT, 10);
    again.InsertItem(0, std::string(500, 'W'));
    again.SetUniqueName("Clients");
    EXPECT_EQ(again.GetRegColumnWidth(0), 120);
    EXPECT_EQ(again.GetRegColumnWidth(1), 5);
    EXPECT_EQ(again.GetRegColumnWidth(2), 0);
    EXPECT_TRUE(again.LoadColumnWidths());
    EXPECT_EQ(again.GetColumnWidth(0), 120);
    EXPECT_GE(again.GetColumnWidth(1), 20);
    EXPECT_LE(again.GetColumnWidth(1), 600);
    again.AutoSizeColumn(0);
    EXPECT_EQ(again.GetColumnWidth(0), 600);  // a very long cell: the largest automatic width
}

TEST_F(SortListTest, ClippedCellsShowTheirWholeTextInATip) {
    list->SetItemText(0, 2, "очень длинный текст, который не помещается в колонку");
    const CRect cell = list->GetSubItemRect(0, 2);
    ASSERT_FALSE(cell.IsRectEmpty());
    SendMouse(list->viewport(), QEvent::MouseMove, QPoint(cell.left + 5, cell.top + 3));
    ASSERT_TRUE(list->CellTip()->isVisible());
    EXPECT_EQ(list->CellTip()->Text(), QStringLiteral("очень длинный текст, который не помещается в колонку"));
    const QPoint screen = list->viewport()->mapToGlobal(QPoint(cell.left, cell.top));
    EXPECT_EQ(list->CellTip()->ShownRect().left, screen.x() + 1);
    EXPECT_EQ(list->CellTip()->ShownRect().top, screen.y());
    EXPECT_GT(list->CellTip()->ShownRect().Width(), cell.Width());

    const CRect shortCell = list->GetSubItemRect(1, 1);
    SendMouse(list->viewport(), QEvent::MouseMove, QPoint(shortCell.left + 5, shortCell.top + 3));
    EXPECT_FALSE(list->CellTip()->isVisible());
    SendMouse(list->viewport(), QEvent::MouseMove, QPoint(5, 290));  // below the rows
    EXPECT_FALSE(list->CellTip()->isVisible());
}

TEST_F(SortListTest, HeaderCaptionTipAndContextMenuGoingToTheOwner) {
    QWidget* vp = list->ArrowHeader()->viewport();
    EXPECT_EQ(list->ArrowHeader()->CaptionTip(), nullptr);
    SendMouse(vp, QEvent::MouseMove, QPoint(140, list->ArrowHeader()->height() / 2));
    ASSERT_NE(list->ArrowHeader()->CaptionTip(), nullptr);
    EXPECT_TRUE(list->ArrowHeader()->CaptionTip()->isVisible());
    EXPECT_EQ(list->ArrowHeader()->CaptionTip()->Text(), QStringLiteral("Сумма"));
    SendMouse(vp, QEvent::MouseMove, QPoint(140, 1));
    EXPECT_FALSE(list->ArrowHeader()->CaptionTip()->isVisible());

    owner.seen.clear();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(10, 40), list->viewport()->mapToGlobal(QPoint(10, 40)));
    QApplication::sendEvent(list->viewport(), &menu);
    ASSERT_FALSE(owner.seen.empty());
    EXPECT_EQ(owner.seen.back().type, QEvent::ContextMenu);
    EXPECT_EQ(owner.seen.back().pos, owner.mapFromGlobal(list->viewport()->mapToGlobal(QPoint(10, 40))));
}

TEST(ListCtrl, ColumnsRowsDataAndSelectionByIndex) {
    EnsureGuiApplication();
    CzorListCtrl list;
    EXPECT_EQ(list.InsertItem(0, "no columns yet"), -1);
    EXPECT_EQ(list.InsertColumn(0, "Позиция", LVCFMT_LEFT, 60), 0);
    EXPECT_EQ(list.InsertColumn(5, "Ширина", LVCFMT_RIGHT, 70), 1);  // past the end: appended
    EXPECT_EQ(list.InsertItem(0, "1"), 0);
    EXPECT_EQ(list.InsertItem(9, "2"), 1);
    list.SetItemText(0, 1, "10.5");
    list.SetItemText(1, 1, "7.0");
    EXPECT_FALSE(list.SetItemText(0, 2, "no such column"));
    // A column put in between moves the later texts and widths along.
    EXPECT_EQ(list.InsertColumn(1, "Наименование", LVCFMT_LEFT, 190), 1);
    EXPECT_EQ(list.GetColumnCount(), 3);
    EXPECT_EQ(list.GetColumnHeading(2), "Ширина");
    EXPECT_EQ(list.GetItemText(0, 2), "10.5");
    EXPECT_EQ(list.GetItemText(0, 1), "");
    EXPECT_EQ(list.GetColumnWidth(2), 70);
    EXPECT_EQ(list.GetColumnWidth(1), 190);
    EXPECT_TRUE(list.DeleteColumn(0));
    EXPECT_EQ(list.GetColumnHeading(0), "Наименование");
    EXPECT_EQ(list.GetItemText(1, 1), "7.0");
    EXPECT_EQ(list.GetColumnWidth(1), 70);
    EXPECT_FALSE(list.DeleteColumn(2));

    list.SetItemData(1, 0xFFFFFFFFFFull);
    EXPECT_EQ(list.GetItemData(1), 0xFFFFFFFFFFull);
    EXPECT_EQ(list.GetItemData(7), 0u);
    list.SetItemSelected(1, true);
    EXPECT_EQ(list.GetSelectedCount(), 1);
    EXPECT_EQ(list.GetNextSelectedItem(), 1);
    EXPECT_EQ(list.GetNextSelectedItem(1), -1);
    list.resize(400, 200);
    list.show();
    const CRect cell = list.GetSubItemRect(1, 1);
    int sub = -1;
    EXPECT_EQ(list.HitTest(QPoint(cell.left + 2, cell.top + 2), &sub), 1);
    EXPECT_EQ(sub, 1);
    EXPECT_TRUE(list.GetSubItemRect(5, 0).IsRectEmpty());
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_FALSE(list.DeleteAllItems());
}

TEST(SortListView, DifferencesFromTheList) {
    EnsureGuiApplication();
    ScopedTempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    WriteProfileString("ColumnWidths", "Log", "77,3,");
    {
        CMultiColumnSortListView view;
        view.SetUniqueName("");
        view.InsertColumn(0, "a", LVCFMT_LEFT, 200);
        EXPECT_LT(view.GetColumnWidth(0), 200);  // nothing saved under the empty name: automatic
        EXPECT_GE(view.GetColumnWidth(0), 20);
    }
    EXPECT_EQ(GetProfileString("ColumnWidths", "", "none"), "none");
    CMultiColumnSortListView view;
    view.SetUniqueName("Log");
    view.InsertColumn(0, "a", LVCFMT_LEFT, 10);
    view.InsertColumn(1, "b", LVCFMT_LEFT, 10);
    EXPECT_EQ(view.GetColumnWidth(0), 77);
    EXPECT_GE(view.GetColumnWidth(1), 20);
    view.InsertItem(0, "2");
    view.InsertItem(1, "1");
    view.EnableSorting(false);
    view.SortColumn(0);
    EXPECT_EQ(view.GetItemText(0, 0), "2");
    EXPECT_EQ(view.ArrowHeader()->ArrowOf(0), -1);
    view.EnableSorting(true);
    view.SortColumn(0);
    EXPECT_EQ(view.GetItemText(0, 0), "2");  // descending first
    view.SortColumn(0);
    EXPECT_EQ(view.GetItemText(0, 0), "1");
}

TEST(SortArrows, OurBitmapsOneThousandAndOne) {
    for (int id : {zor::IDB_ZOR_SORT_DOWN, zor::IDB_ZOR_SORT_UP}) {
        const QImage image = zor::LoadVistrelBitmap(id);
        ASSERT_EQ(image.size(), QSize(9, 9)) << id;
        EXPECT_EQ(image.colorCount(), 16) << id;
        EXPECT_EQ(image.pixel(0, 4), qRgb(0xC0, 0xC0, 0xC0)) << id;  // transparent beside the tip
    }
    const QImage down = zor::LoadVistrelBitmap(zor::IDB_ZOR_SORT_DOWN);
    const QImage up = zor::LoadVistrelBitmap(zor::IDB_ZOR_SORT_UP);
    EXPECT_EQ(down.pixel(4, 8), qRgb(0x80, 0x80, 0x80));  // the tip at the bottom
    EXPECT_EQ(down.pixel(4, 0), qRgb(0x80, 0x80, 0x80));  // the flat side at the top, in shade
    EXPECT_EQ(up.pixel(4, 0), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(up.pixel(4, 8), qRgb(0xFF, 0xFF, 0xFF));    // the flat side at the bottom, lit
    EXPECT_EQ(up.pixel(7, 7), qRgb(0xFF, 0xFF, 0xFF));
}

}  // namespace
