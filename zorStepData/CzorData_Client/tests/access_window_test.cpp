// The access dialogs in real windows on a test X server: the access dialog in view-only mode over
// instances whose default modes differ, and the user-and-group picker with a user in two groups,
// driven with real clicks; screenshots are kept in the build's screenshots folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <QPalette>

#include "platform/gdi/screen_colors.h"
#include "zorStepData/CzorData_Client/tests/window_program_fixture.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/peltrane_access_window";
// The bodies of the agents' pictures: another user's coat, and the logged-in user's own.
const QRgb kUserCoat = qRgb(40, 80, 170);
const QRgb kOwnCoat = qRgb(40, 140, 60);

class AccessWindows : public WindowProgramTest {
protected:
    AccessWindows() : WindowProgramTest(kProgram) {}
    void SetUp() override {
        WindowProgramTest::SetUp();
        m_grey = FixedSchemePalette().color(QPalette::Disabled, QPalette::Text).rgb();
    }
    // A click on the control, at its centre or `dx` pixels in from its left edge.
    bool ClickAt(const std::string& id, int dx = -1) {
        const QRect r = m_report->Place(id);
        return !r.isEmpty() && m_x.Click(dx < 0 ? r.center().x() : r.left() + dx, r.center().y());
    }

    QRgb m_grey = 0;
};

TEST_F(AccessWindows, ViewOnlyDialogWithMixedDefault) {
    ASSERT_NO_FATAL_FAILURE(Show({"access"}));
    EXPECT_EQ(m_report->WaitForLineStarting("caption", 1s), "caption Просмотр прав доступа");
    EXPECT_EQ(m_report->WaitForLineStarting("default", 1s), "default Не изменять");
    const QRect list = m_report->Place("7010");
    const QRect combo = m_report->Place("4015");
    ASSERT_FALSE(list.isEmpty());
    const auto drawn = [&](const QImage& s) { return !FindColour(s, list, kUserCoat, 12).isEmpty(); };
    const QImage shot = m_x.ScreenshotWhen(drawn, 5s);
    Save(shot, "access_dialog_view_only");
    // The group, another user and the logged-in user have rows with their pictures; the reserved
    // group and the agent without access have none.
    const QRect users = FindColour(shot, list, kUserCoat, 12);
    const QRect own = FindColour(shot, list, kOwnCoat, 12);
    EXPECT_FALSE(users.isEmpty()) << "no group or user picture in the list";
    EXPECT_FALSE(own.isEmpty()) << "no picture of the logged-in user";
    EXPECT_GT(users.height(), 30) << "the group and the other user are not on two rows";
    EXPECT_FALSE(FindColour(shot, combo.adjusted(2, 2, -24, -2), m_grey, 40).isEmpty()) << "no default access shown, greyed";
    // OK is disabled: only Cancel closes the dialog.
    ASSERT_TRUE(ClickAt("1"));
    ASSERT_TRUE(ClickAt("2"));
    ExpectEnds("result 0");
}

TEST_F(AccessWindows, PickerListsAUserOnceUnderEachGroup) {
    ASSERT_NO_FATAL_FAILURE(Show({"picker"}));
    // Rows: Sales, Bob; Staff, Ann, Bob.
    const QRect tree = m_report->Place("4008");
    const auto drawn = [&](const QImage& s) { return !FindColour(s, tree, kOwnCoat, 12).isEmpty(); };
    const QImage shot = m_x.ScreenshotWhen(drawn, 5s);
    Save(shot, "access_picker_user_in_two_groups");
    for (const char* row : {"row1", "row4"})
        EXPECT_FALSE(FindColour(shot, m_report->Place(row), kUserCoat, 12).isEmpty()) << row << " shows no user";
    EXPECT_FALSE(FindColour(shot, m_report->Place("row3"), kOwnCoat, 12).isEmpty()) << "the logged-in user";
    EXPECT_TRUE(FindColour(shot, m_report->Place("row0"), kOwnCoat, 12).isEmpty());
    // Checking Bob under both groups picks him once, with the read-only mode offered first.
    ASSERT_TRUE(ClickAt("row1", 10));
    ASSERT_TRUE(ClickAt("row4", 10));
    ASSERT_TRUE(ClickAt("7023"));
    ExpectEnds("picked groups=- users=4007 mode=2");
}

}  // namespace
