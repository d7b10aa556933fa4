#include "controls/bars/splitter_bar.h"

#include <gtest/gtest.h>

#include <QImage>

#include "controls/dialogs/widget_colors.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"
#include "platform/gdi/screen_colors.h"

namespace {

struct SplitterFixture : GuiFixture {
    QWidget parent;
    QWidget* first = new QWidget(&parent);
    QWidget* second = new QWidget(&parent);
    CzorSplitterBar* bar = new CzorSplitterBar;

    void Make(bool horizontal) {
        parent.resize(400, 300);
        if (horizontal) {
            first->setGeometry(0, 10, 400, 100);   // 10..109
            second->setGeometry(0, 110, 400, 150); // 110..259
        } else {
            first->setGeometry(20, 0, 100, 300);
            second->setGeometry(120, 0, 200, 300);
        }
        ASSERT_TRUE(bar->Create(QRect(0, 0, 4, 4), &parent, 77, horizontal));
        bar->SetPanes(first, second);
    }
    // A drag of the bar from its middle to a point of the parent.
    void Drag(QPoint to) {
        const QPoint mid = bar->rect().center();
        SendMouse(bar, QEvent::MouseButtonPress, mid, Qt::LeftButton);
        const QPoint local = bar->mapFromParent(to);
        QMouseEvent move(QEvent::MouseMove, QPointF(local), bar->mapToGlobal(QPointF(local)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        SendMouse(bar, QEvent::MouseButtonRelease, local, Qt::LeftButton);
    }
};

TEST_F(SplitterFixture, SetPanesPlacesTheBarAndFitsThePanes) {
    Make(true);
    EXPECT_EQ(bar->geometry(), QRect(0, 108, 400, 4));
    EXPECT_EQ(first->geometry(), QRect(0, 10, 400, 99));     // bottom edge at bar top + 1
    EXPECT_EQ(second->geometry(), QRect(0, 111, 400, 149));  // top edge at bar bottom - 1
    EXPECT_EQ(bar->Limits().lower, 10);
    EXPECT_EQ(bar->Limits().upper, 260);
    EXPECT_EQ(bar->cursor().shape(), Qt::SplitVCursor);
    EXPECT_EQ(bar->objectName(), "77");
}

TEST_F(SplitterFixture, ADropBeyondEitherLimitLandsOnItAndSendsBothSignalsInOrder) {
    Make(false);
    std::vector<std::string> order;
    QObject::connect(bar, &CzorSplitterBar::message, [&](int msg, int w, int l) {
        EXPECT_EQ(msg, 2024);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(l, 0);
        order.push_back("message");
    });
    QObject::connect(bar, &CzorSplitterBar::command, [&](int id) {
        EXPECT_EQ(id, 2024);
        order.push_back("command");
    });
    Drag(QPoint(-50, 40));
    EXPECT_EQ(bar->x(), 20);
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_EQ(first->geometry(), QRect(20, 0, 1, 300));
    EXPECT_EQ(second->geometry(), QRect(23, 0, 297, 300));
    Drag(QPoint(395, 40));
    EXPECT_EQ(bar->x(), 320);
    EXPECT_EQ(second->geometry(), QRect(320, 0, 0, 300));
    Drag(QPoint(200, 40));
    EXPECT_EQ(bar->geometry(), QRect(200, 0, 4, 300));
    EXPECT_EQ(first->geometry(), QRect(20, 0, 181, 300));
    EXPECT_EQ(second->geometry(), QRect(203, 0, 117, 300));
    EXPECT_EQ(order, (std::vector<std::string>{"message", "command", "message", "command", "message", "command"}));
}

TEST_F(SplitterFixture, TheDragRectangleFollowsTheMouseAndAHorizontalOneReachesFurther) {
    Make(true);
    SendMouse(bar, QEvent::MouseButtonPress, QPoint(5, 2), Qt::LeftButton);
    EXPECT_TRUE(bar->IsDragging());
    bar->DrawDraggingBar(QPoint(30, 150));
    EXPECT_EQ(bar->LastDragRect(), QRect(0, 150, 400, 104));
    SendMouse(bar, QEvent::MouseButtonRelease, bar->mapFromParent(QPoint(30, 150)), Qt::LeftButton);
    EXPECT_EQ(bar->y(), 150);
}

TEST_F(SplitterFixture, SetSizesMovesNothingAndTheFaceIsRaised) {
    Make(true);
    const QRect b = bar->geometry(), f = first->geometry(), s = second->geometry();
    bar->SetSizes(QRect(0, 0, 50, 50), QRect(60, 0, 50, 50));
    EXPECT_EQ(bar->geometry(), b);
    EXPECT_EQ(first->geometry(), f);
    EXPECT_EQ(second->geometry(), s);
    EXPECT_TRUE(bar->IsCursorOverSplitter(bar->mapToGlobal(QPoint(1, 1))));
    EXPECT_FALSE(bar->IsCursorOverSplitter(bar->mapToGlobal(QPoint(1, 5))));

    const QImage face = bar->grab().toImage();
    EXPECT_EQ(face.pixelColor(5, 0), zor::ToQColor(GetScreenSysColor(COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(face.pixelColor(5, 3), zor::ToQColor(GetScreenSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(face.pixelColor(5, 1), zor::ToQColor(GetScreenSysColor(COLOR_BTNFACE)));
}

}  // namespace
