// The four connection dialogs as real windows on a test X server: each shows its controls where the
// program put them (the login its logo, the lists their chosen row), is photographed for the record
// (screenshots/connect_*.png beside the binaries) and closes with Esc.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include <QPalette>

#include "platform/gdi/screen_colors.h"
#include "testkit/program_report.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/peltrane_connect_window";

class ConnectWindows : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!m_x.Start(why)) GTEST_SKIP() << why;
        ASSERT_TRUE(m_sandbox.Create());
        m_highlight = FixedSchemePalette().color(QPalette::Highlight).rgb();
    }
    void TearDown() override {
        if (m_program->Running()) m_program->Wait(0ms);
    }
    // Shows the dialog, takes its picture once it is drawn and saves it.
    QImage Show(const std::string& which) {
        std::string why;
        m_program = std::make_unique<RunningProgram>();
        m_report = std::make_unique<ProgramReport>(*m_program);
        if (!m_x.Launch(kProgram, {which}, m_sandbox, *m_program, why)) {
            ADD_FAILURE() << why;
            return {};
        }
        if (!m_report->WaitFor("ready", 20s)) {
            ADD_FAILURE() << "no window: " << m_program->Wait(0ms).err;
            return {};
        }
        const QRect window = m_report->Place("window");
        const QImage shot = m_x.ScreenshotWhen([&](const QImage& s) { return Colours(s, window) > 3; }, 5s);
        std::filesystem::create_directories(QM_BIN_DIR "/screenshots");
        shot.copy(window.adjusted(-4, -4, 4, 4)).save(QString::fromStdString(QM_BIN_DIR "/screenshots/connect_" + which + ".png"));
        return shot;
    }
    // Esc on the dialog (keys go to the window under the pointer) ends it as Cancel.
    void CloseWithEscape() {
        const QRect window = m_report->Place("window");
        ASSERT_TRUE(m_x.MoveMouse(window.center().x(), window.top() + 5));
        ASSERT_TRUE(m_x.Key("Escape"));
        EXPECT_EQ(m_report->WaitForLineStarting("result", 10s), "result 0");
        const ProgramResult r = m_program->Wait(10s);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitStatus, 0) << r.err;
    }
    static int Colours(const QImage& image, const QRect& rect) {
        std::set<QRgb> seen;
        const QRect r = rect.intersected(image.rect());
        for (int y = r.top(); y <= r.bottom() && seen.size() < 64; y += 2)
            for (int x = r.left(); x <= r.right(); x += 2) seen.insert(image.pixel(x, y) & 0xFFFFFF);
        return static_cast<int>(seen.size());
    }

    XSession m_x;
    ProgramSandbox m_sandbox;
    std::unique_ptr<RunningProgram> m_program = std::make_unique<RunningProgram>();
    std::unique_ptr<ProgramReport> m_report;
    QRgb m_highlight = 0;
};

TEST_F(ConnectWindows, LoginShowsTheLogoAboveItsBoxes) {
    const QImage shot = Show("login");
    ASSERT_FALSE(shot.isNull());
    for (const char* id : {"4016", "7020", "4001", "7001", "4003", "1", "2"}) EXPECT_FALSE(m_report->Place(id).isEmpty()) << id;
    EXPECT_GT(Colours(shot, m_report->Place("4016")), 3) << "the logo is drawn";
    EXPECT_LT(m_report->Place("4016").bottom(), m_report->Place("7020").top());
    CloseWithEscape();
}

TEST_F(ConnectWindows, ListShowsItsConnectionsWithTheChosenRow) {
    const QImage shot = Show("list");
    ASSERT_FALSE(shot.isNull());
    for (const char* id : {"7009", "7008", "7011", "7012", "7013", "7014", "7007", "7022", "1", "2"})
        EXPECT_FALSE(m_report->Place(id).isEmpty()) << id;
    EXPECT_FALSE(FindColour(shot, m_report->Place("7007"), m_highlight, 40).isEmpty()) << "the chosen row";
    CloseWithEscape();
}

TEST_F(ConnectWindows, ConnectionParametersShowTheDisabledComputerBrowser) {
    const QImage shot = Show("tune");
    ASSERT_FALSE(shot.isNull());
    // The two "..." buttons look alike but for the disabled one's greyed text.
    const QRect browse = m_report->Place("7006"), bases = m_report->Place("7008");
    ASSERT_EQ(browse.size(), bases.size());
    EXPECT_NE(shot.copy(browse), shot.copy(bases));
    CloseWithEscape();
}

TEST_F(ConnectWindows, DatabaseChoiceShowsTheInitialDatabase) {
    const QImage shot = Show("select");
    ASSERT_FALSE(shot.isNull());
    const QRect list = m_report->Place("4004");
    const QRect selected = FindColour(shot, list, m_highlight, 40);
    ASSERT_FALSE(selected.isEmpty()) << "the chosen row";
    EXPECT_GT(selected.top(), list.top() + 20) << "the second row, below the header and the first";
    CloseWithEscape();
}

}  // namespace
