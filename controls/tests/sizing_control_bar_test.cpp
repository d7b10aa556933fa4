#include "controls/dialogs/sizing_control_bar.h"

#include <memory>

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "controls/tests/mouse_events.h"
#include "platform/settings/profile.h"
#include "platform/tests/test_support.h"

namespace {

using zor::test::ScopedEnv;
using zor::test::ScopedTempDir;

// Lets the main window lay out its docks.
void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

class SizingBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        frame = std::make_unique<QMainWindow>();
        frame->resize(800, 600);
        frame->setCentralWidget(new QTextEdit);
    }
    std::unique_ptr<QMainWindow> frame;  // made once the application exists
};

TEST_F(SizingBarTest, DockSidesFloatingAndTheClassWideList) {
    const size_t before = CSizingControlBar::Bars().size();
    {
        CSizingControlBar bar;
        ASSERT_TRUE(bar.Create("Навигатор", frame.get(), CSize(220, 150), true, 1001));
        EXPECT_EQ(CSizingControlBar::Bars().size(), before + 1);
        EXPECT_EQ(bar.GripperSize(), 17);
        EXPECT_EQ(bar.minimumSize(), QSize(33, 32));
        frame->addDockWidget(Qt::LeftDockWidgetArea, &bar);
        frame->show();
        EXPECT_TRUE(bar.IsVertDocked());
        EXPECT_FALSE(bar.IsHorzDocked());
        EXPECT_EQ(bar.DockBarId(), zor::AFX_IDW_DOCKBAR_LEFT);
        frame->addDockWidget(Qt::BottomDockWidgetArea, &bar);
        EXPECT_TRUE(bar.IsHorzDocked());
        // Docked along the bottom, the gripper runs down the bar's left side.
        EXPECT_TRUE(bar.features() & QDockWidget::DockWidgetVerticalTitleBar);
        bar.setFloating(true);
        EXPECT_TRUE(bar.IsFloating());
        EXPECT_EQ(bar.DockBarId(), 0u);
        frame->removeDockWidget(&bar);
    }
    EXPECT_EQ(CSizingControlBar::Bars().size(), before);
    CSizingControlBar orphan;
    EXPECT_FALSE(orphan.Create("x", nullptr, CSize(10, 10), false, 1));
}

TEST_F(SizingBarTest, EachPlaceKeepsItsOwnSize) {
    CSizingControlBar bar;
    bar.Create("Навигатор", frame.get(), CSize(220, 150), true, 1002);
    bar.setWidget(new QTextEdit);
    frame->addDockWidget(Qt::LeftDockWidgetArea, &bar);
    frame->show();
    EXPECT_EQ(bar.width(), 220);
    frame->resizeDocks({&bar}, {260}, Qt::Horizontal);  // the user drags its edge
    Settle();
    EXPECT_EQ(bar.Sizes().vert.cx, 260);
    bar.setFloating(true);
    Settle();
    EXPECT_EQ(bar.size(), QSize(220, 150));
    bar.resize(300, 240);
    Settle();
    EXPECT_EQ(bar.Sizes().floating, CSize(300, 240));
    bar.setFloating(false);
    Settle();
    EXPECT_EQ(bar.width(), 260);  // docked again at its kept width
    frame->resizeDocks({&bar}, {10}, Qt::Horizontal);
    Settle();
    EXPECT_GE(bar.width(), 33);   // never below the minimum
    frame->removeDockWidget(&bar);
}

TEST_F(SizingBarTest, StateIsSavedAndLoadedClampedToTheMinimum) {
    ScopedTempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    CSizingControlBar a, b;
    a.Create("A", frame.get(), CSize(120, 90), false, 7);
    b.Create("B", frame.get(), CSize(140, 100), false, 8);
    CSizingControlBar::GlobalSaveState("Квиллмарк");
    EXPECT_EQ(GetProfileInt("Квиллмарк-SCBar-7", "sizeFloatCY", 0), 90);
    EXPECT_EQ(GetProfileInt("Квиллмарк-SCBar-8", "sizeVertCX", 0), 140);

    WriteProfileInt("Квиллмарк-SCBar-7", "sizeHorzCX", 5);
    WriteProfileInt("Квиллмарк-SCBar-7", "sizeHorzCY", 10);
    WriteProfileString("Квиллмарк-SCBar-7", "sizeVertCX", "чушь");
    WriteProfileInt("Квиллмарк-SCBar-7", "sizeFloatCY", 400);
    CSizingControlBar::GlobalLoadState("Квиллмарк");
    EXPECT_EQ(a.Sizes().horz, CSize(33, 32));
    EXPECT_EQ(a.Sizes().vert, CSize(120, 90));  // not a number: the current value stays
    EXPECT_EQ(a.Sizes().floating, CSize(120, 400));
    EXPECT_EQ(b.Sizes().horz, CSize(140, 100));
}

TEST_F(SizingBarTest, TheCloseButtonHidesTheBarAndPaintsItsStates) {
    CSizingControlBar bar;
    bar.Create("Навигатор", frame.get(), CSize(220, 150), true, 1003);
    bar.ShowCaption(true);
    frame->addDockWidget(Qt::RightDockWidgetArea, &bar);
    frame->show();
    ASSERT_TRUE(bar.isVisible());
    QWidget* grip = bar.Gripper();
    ASSERT_TRUE(grip);
    const QPoint close(grip->width() - 7, 8);
    const QImage before = grip->grab().toImage();
    SendMouse(grip, QEvent::MouseButtonPress, close, Qt::LeftButton);
    EXPECT_NE(grip->grab().toImage(), before);  // pushed: sunken
    EXPECT_TRUE(bar.isVisible());
    SendMouse(grip, QEvent::MouseButtonRelease, close, Qt::LeftButton);
    EXPECT_FALSE(bar.isVisible());
    frame->removeDockWidget(&bar);
}

}  // namespace
