#include "controls/dialogs/title_tip.h"

#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "controls/tests/mouse_events.h"

namespace {

class Underneath : public QWidget {
public:
    std::vector<std::pair<QEvent::Type, QPoint>> seen;
protected:
    bool event(QEvent* e) override {
        if (auto* m = dynamic_cast<QMouseEvent*>(e)) seen.emplace_back(e->type(), m->position().toPoint());
        return QWidget::event(e);
    }
};

void Press(QWidget* tip, QPoint at, Qt::MouseButton button = Qt::LeftButton) { SendClick(tip, at, button); }

TEST(TitleTip, ShowsOverClippedCellsOnlyInTheTooltipColours) {
    EnsureGuiApplication();
    Underneath parent;
    parent.setGeometry(100, 100, 300, 200);
    parent.show();
    CzorTitleTip tip;
    ASSERT_TRUE(tip.Create(&parent));
    const CRect wide(150, 150, 450, 170);
    tip.Show(wide, "short");
    EXPECT_FALSE(tip.isVisible());
    EXPECT_TRUE(tip.ShownRect().IsRectNull());

    const CRect narrow(150, 150, 170, 166);
    tip.Show(narrow, "a text much wider than twenty pixels");
    ASSERT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.geometry().topLeft(), QPoint(150, 150));
    EXPECT_GT(tip.width(), 20);
    EXPECT_EQ(tip.ShownRect().left, 150);

    const QImage image = tip.grab().toImage();
    const QPalette pal = QApplication::palette();
    EXPECT_EQ(QColor(image.pixel(0, 0)).rgb(), pal.color(QPalette::WindowText).rgb());  // the frame
    EXPECT_EQ(QColor(image.pixel(1, image.height() - 2)).rgb(), pal.color(QPalette::ToolTipBase).rgb());

    // Moving past the cell's extent hides it.
    SendMouse(&tip, QEvent::MouseMove, QPoint(30, 5));
    EXPECT_FALSE(tip.isVisible());
    EXPECT_TRUE(tip.ShownRect().IsRectNull());
}

TEST(TitleTip, ClicksGoToTheWindowUnderneathAndTwoQuickOnesAsADoubleClick) {
    EnsureGuiApplication();
    Underneath parent;
    parent.setGeometry(100, 100, 300, 200);
    parent.show();
    int64_t now = 5000;
    CzorTitleTip tip([&] { return now; });
    tip.Create(&parent);
    tip.Show(CRect(120, 130, 130, 146), "a text much wider than ten pixels");
    ASSERT_TRUE(tip.isVisible());
    Press(&tip, QPoint(3, 4));
    now += 400;
    Press(&tip, QPoint(3, 4));
    now += 400;
    Press(&tip, QPoint(3, 4), Qt::RightButton);
    QCoreApplication::sendPostedEvents();
    using E = std::pair<QEvent::Type, QPoint>;
    const QPoint mapped(23, 34);  // (120 + 3, 130 + 4) in the parent at (100, 100)
    EXPECT_EQ(parent.seen, (std::vector<E>{{QEvent::MouseButtonPress, mapped},
                                           {QEvent::MouseButtonRelease, mapped},
                                           {QEvent::MouseButtonDblClick, mapped},
                                           {QEvent::MouseButtonRelease, mapped},
                                           {QEvent::MouseButtonPress, mapped},
                                           {QEvent::MouseButtonRelease, mapped}}));
}

}  // namespace
