// The access dialogs in real windows on a test X server: the access dialog in view-only mode over
// instances whose default modes differ, and the user-and-group picker with a user in two groups,
// driven with real clicks; screenshots are kept in the build's screenshots folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <QPalette>

#include "platform/gdi/screen_colors.h"
#include "testkit/program_report.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/peltrane_access_window";
// The bodies of the agents' pictures: another user's coat, and the logged-in user's own.
const QRgb kUserCoat = qRgb(40, 80, 170);
const QRgb kOwnCoat = qRgb(40, 140, 60);

class AccessWindows : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!m_x.Start(why)) GTEST_SKIP() << why;
        ASSERT_TRUE(m_sandbox.Create());
        m_grey = FixedSchemePalette().color(QPalette::Disabled, QPalette::Text).rgb();
    }
    void TearDown() override {
        if (m_program->Running()) m_program->Wait(0ms);
    }
    void Show(const std::vector<std::string>& args) {
        std::string why;
        m_program = std::make_unique<RunningProgram>();
        m_report = std::make_unique<ProgramReport>(*m_program);
        ASSERT_TRUE(m_x.Launch(kProgram, args, m_sandbox, *m_program, why)) << why;
        ASSERT_TRUE(m_report->WaitFor("ready", 20s)) << m_program->Wait(0ms).err;
    }
    bool ClickAt(const std::string& id, int dx = -1) {
        const QRect r = m_report->Place(id);
        return !r.isEmpty() && m_x.Click(dx < 0 ? r.center().x() : r.left() + dx, r.center().y());
    }
    void Save(const QImage& shot, const std::string& name) {
        std::filesystem::create_directories(QM_BIN_DIR "/screenshots");
        shot.save(QString::fromStdString(std::string(QM_BIN_DIR "/screenshots/") + name + ".png"));
    }
    void ExpectEnds(const std::string& line) {
        EXPECT_EQ(m_report->WaitForLineStarting(line.substr(0, line.find(' ')), 10s), line);
        EXPECT_TRUE(m_report->WaitFor("done", 10s));
        const ProgramResult result = m_program->Wait(10s);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
    }

    XSession m_x;
    ProgramSandbox m_sandbox;
    std::unique_ptr<RunningProgram> m_program = std::make_unique<RunningProgram>();
    std::unique_ptr<ProgramReport> m_report;
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
