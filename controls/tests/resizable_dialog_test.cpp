#include "controls/dialogs/resizable_dialog.h"

#include <vector>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSizeGrip>
#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "platform/settings/profile.h"
#include "platform/tests/test_support.h"

namespace {

using zor::test::ScopedEnv;
using zor::test::ScopedTempDir;

// A dialog of 300 x 200 with a list that grows, an OK button that follows the bottom-right corner
// and a label centred at the top; it records the hooks the base calls.
class TestDialog : public CzorResizableDialog {
public:
    explicit TestDialog(bool saveRestore = false) : CzorResizableDialog(147, nullptr), m_saveRestore(saveRestore) {
        resize(300, 200);
        list = new QListWidget(this);
        list->setObjectName("1074");
        list->setGeometry(10, 10, 200, 150);
        ok = new QPushButton("OK", this);
        ok->setObjectName("1");
        ok->setGeometry(220, 170, 70, 20);
        label = new QLabel("Уровень", this);
        label->setGeometry(120, 165, 60, 20);
    }
    bool OnInitDialog() override {
        CzorResizableDialog::OnInitDialog();
        AddAnchor(1074, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
        AddAnchor(ok, ANCHOR_BOTTOM_RIGHT);
        AddAnchor(label, ANCHOR_BOTTOM_CENTER);
        if (m_saveRestore) EnableSaveRestore("Dialogs", "Fields");
        ++inits;
        return true;
    }
    void UpdateUserData() override { ++updates; }

    QListWidget* list;
    QPushButton* ok;
    QLabel* label;
    int inits = 0, updates = 0;

private:
    bool m_saveRestore;
};

QRect Geo(const QWidget* w) { return w->geometry(); }

TEST(ResizableDialog, NothingIsArrangedBeforeInitialisation) {
    EnsureGuiApplication();
    TestDialog dialog;
    dialog.resize(500, 400);
    EXPECT_FALSE(dialog.IsInitialized());
    EXPECT_EQ(Geo(dialog.list), QRect(10, 10, 200, 150));
    EXPECT_EQ(dialog.updates, 0);
    EXPECT_EQ(dialog.minimumSize(), QSize(0, 0));
}

TEST(ResizableDialog, AnchoredControlsKeepTheirDistancesAndTheOpeningSizeIsTheMinimum) {
    EnsureGuiApplication();
    TestDialog dialog;
    dialog.SetMinTrackSize(CSize(50, 50));  // overridden by the opening size
    dialog.show();
    ASSERT_TRUE(dialog.IsInitialized());
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.minimumSize(), QSize(300, 200));

    dialog.resize(401, 300);
    EXPECT_EQ(Geo(dialog.list), QRect(10, 10, 301, 250));
    EXPECT_EQ(Geo(dialog.ok), QRect(321, 270, 70, 20));
    // The label follows the bottom centre: 401 * 50 / 100 = 200, 50 more than at 300.
    EXPECT_EQ(Geo(dialog.label), QRect(170, 265, 60, 20));
    EXPECT_GE(dialog.updates, 1);
    EXPECT_EQ(dialog.GripRectangle().right, 401);
    EXPECT_EQ(dialog.GripRectangle().bottom, 300);
    EXPECT_TRUE(dialog.HitTestGrip(CPoint(399, 298)));
    dialog.ShowSizeGrip(false);
    EXPECT_FALSE(dialog.HitTestGrip(CPoint(399, 298)));

    // Smaller than the opening size is refused.
    dialog.resize(100, 100);
    EXPECT_EQ(dialog.size(), QSize(300, 200));
    dialog.ResetMinTrackSize();
    dialog.resize(250, 150);
    EXPECT_EQ(dialog.size(), QSize(250, 150));
    EXPECT_EQ(Geo(dialog.ok), QRect(170, 120, 70, 20));
    dialog.SetMaxTrackSize(CSize(320, 220));
    dialog.resize(600, 600);
    EXPECT_EQ(dialog.size(), QSize(320, 220));
    dialog.reject();
}

TEST(ResizableDialog, ModifyAnchorTakesAControlsNewPlaceAndRefusesStrangers) {
    EnsureGuiApplication();
    TestDialog dialog;
    dialog.show();
    QPushButton stranger("x", &dialog);
    EXPECT_FALSE(dialog.ModifyAnchor(&stranger));
    dialog.ok->setGeometry(200, 150, 70, 20);
    EXPECT_TRUE(dialog.ModifyAnchor(dialog.ok));
    dialog.resize(310, 210);
    EXPECT_EQ(Geo(dialog.ok), QRect(210, 160, 70, 20));
    dialog.reject();
}

TEST(ResizableDialog, PlacementIsSavedOnClosingAndRestoredOnlyWhenWhole) {
    EnsureGuiApplication();
    ScopedTempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    {
        TestDialog dialog(true);
        dialog.show();
        dialog.setGeometry(40, 50, 320, 240);
        dialog.reject();
        EXPECT_EQ(dialog.Layout().Records().size(), 0u);  // emptied when the window goes
    }
    EXPECT_EQ(GetProfileString("Dialogs", "Fields"), "40,50,360,290,1,0");
    {
        TestDialog again(true);
        again.show();
        EXPECT_EQ(again.geometry(), QRect(40, 50, 320, 240));
        // Shown again after closing: the derived dialog registers its anchors anew.
        again.reject();
        again.show();
        EXPECT_EQ(again.inits, 2);
        EXPECT_EQ(again.Layout().Records().size(), 3u);
        again.reject();
    }
    for (const char* bad : {"1,2,3", "10,20,300,x,1,0", "junk"}) {
        WriteProfileString("Dialogs", "Fields", bad);
        TestDialog dialog(true);
        const QRect before = dialog.geometry();
        dialog.show();
        EXPECT_EQ(dialog.geometry().size(), before.size()) << bad;
        EXPECT_NE(dialog.geometry().topLeft(), QPoint(10, 20)) << bad;
        dialog.hide();
    }
}

TEST(ResizableDialog, HooksDoNothingInTheBase) {
    EnsureGuiApplication();
    CzorResizableDialog dialog;
    EXPECT_TRUE(dialog.Expand(nullptr, TVE_EXPAND));
    EXPECT_TRUE(dialog.Expand(TVE_COLLAPSE));
    EXPECT_TRUE(dialog.Expanded(nullptr, TVE_COLLAPSE));
    dialog.RefreshAllItems();
    dialog.Sort(2);
    dialog.RefreshItem(nullptr);
    dialog.UpdateUserData();
}

TEST(ResizableDialog, MaximisedRectangleReplacesTheFullScreen) {
    EnsureGuiApplication();
    TestDialog dialog;
    dialog.SetMaximizedRect(CRect(20, 30, 520, 430));
    dialog.showMaximized();
    EXPECT_EQ(dialog.geometry(), QRect(20, 30, 500, 400));
    EXPECT_EQ(Geo(dialog.list).size(), QSize(400, 350));
    EXPECT_EQ(dialog.minimumSize(), QSize(300, 200));  // the size it was built with, not the maximised one
    dialog.reject();
}

}  // namespace
