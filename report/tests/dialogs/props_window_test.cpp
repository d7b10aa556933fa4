// The property dialog and the element context menu in real windows: our small program on a test X
// server, driven with real mouse and keys, its screen taken from outside and checked by regions, and the
// model it reports checked afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <thread>

#include "controls/menu/menu_effects.h"
#include "controls/resources/palette.h"
#include "platform/gdi/sys_colors.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/folivox_props_window";

QRgb Sys(int index) { return zor::menu::ToRgb(::GetSysColor(index)); }

class PropsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!m_x.Start(why)) GTEST_SKIP() << why;
        ASSERT_TRUE(m_sandbox.Create());
        ASSERT_TRUE(m_x.Launch(kProgram, {}, m_sandbox, m_program, why)) << why;
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }
    // Waits for the line (bounded) and gives the output up to there.
    bool WaitFor(const std::string& line) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < end) {
            if (m_program.OutputSoFar().find(line) != std::string::npos) return true;
            if (!m_program.Running()) break;
            std::this_thread::sleep_for(50ms);
        }
        return m_program.OutputSoFar().find(line) != std::string::npos;
    }
    QRect Control(const std::string& id) {
        std::istringstream lines(m_program.OutputSoFar());
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string word, name;
            int x, y, w, h;
            if (words >> word >> name >> x >> y >> w >> h && word == "control" && name == id) return {x, y, w, h};
        }
        return {};
    }

    // The popup that opened at the window point (40, 40); empty when none shows within five seconds.
    QRect PopupAtPoint() {
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < end)
            for (const auto& [id, place] : m_x.TopLevelWindows())
                if (std::abs(place.left() - 40) < 40 && std::abs(place.top() - 40) < 60 && place.height() > 100)
                    return place;
        return {};
    }
    // The text column of the popup's first three entries (the page fields), below the frame and right of
    // the picture column.
    static QRect PageFieldTexts(const QRect& popup) { return QRect(popup.left() + 30, popup.top() + 2, 150, 54); }

    XSession m_x;
    ProgramSandbox m_sandbox;
    RunningProgram m_program;
};

TEST_F(PropsWindow, TextDialogThenCurrentDateFromTheMenu) {
    ASSERT_TRUE(WaitFor("dialog shown")) << m_program.OutputSoFar();
    EXPECT_NE(m_x.WaitForWindow("Свойства: Прямоугольник", 5s), 0ul);
    const QRect edit = Control("1009");
    const QRect ok = Control("1");
    const QRect cancel = Control("2");
    ASSERT_FALSE(edit.isEmpty());
    ASSERT_FALSE(ok.isEmpty());
    ASSERT_FALSE(cancel.isEmpty());

    // The text edit shows in the base colour; the classic OK button carries the green stock icon.
    std::string why;
    QImage shot = m_x.ScreenshotWhen([&](const QImage& s) { return RegionIs(s, edit.adjusted(4, 4, -4, -4), qRgb(255, 255, 255), nullptr, 0.5); }, 5s);
    EXPECT_TRUE(RegionIs(shot, edit.adjusted(4, 4, -4, -4), qRgb(255, 255, 255), &why, 0.5)) << why;
    EXPECT_FALSE(FindColour(shot, ok, zor::art::vga::Green, 4).isEmpty()) << "OK carries the green tick";
    EXPECT_FALSE(FindColour(shot, cancel, zor::art::vga::Red, 4).isEmpty()) << "Cancel carries the red cross";

    ASSERT_TRUE(m_x.Click(edit.center().x(), edit.center().y()));
    ASSERT_TRUE(m_x.Key("ctrl+a"));
    ASSERT_TRUE(m_x.Type("Stamp"));
    ASSERT_TRUE(m_x.Click(ok.center().x(), ok.center().y()));
    ASSERT_TRUE(WaitFor("text Stamp\n")) << m_program.OutputSoFar();
    EXPECT_NE(m_program.OutputSoFar().find("dialog 1\n"), std::string::npos);

    // The context menu: a popup near the point; the third entry is "Отображать текущую дату".
    ASSERT_TRUE(WaitFor("menu shown")) << m_program.OutputSoFar();
    QRect popup = PopupAtPoint();
    ASSERT_FALSE(popup.isEmpty()) << "no popup at the point";
    // A text element's page fields read in the menu text colour, none of them greyed.
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return !FindColour(s, PageFieldTexts(popup), Sys(COLOR_MENUTEXT), 16).isEmpty(); }, 5s);
    EXPECT_FALSE(FindColour(shot, PageFieldTexts(popup), Sys(COLOR_MENUTEXT), 16).isEmpty());
    if (const char* keep = std::getenv("QM_KEEP_SHOTS")) shot.save(QString(keep) + "/text_menu.png");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(m_x.Key("Down"));
    ASSERT_TRUE(m_x.Key("Return"));
    ASSERT_TRUE(WaitFor("param ")) << m_program.OutputSoFar();
    EXPECT_NE(m_program.OutputSoFar().find("menu 0\n"), std::string::npos) << m_program.OutputSoFar();
    EXPECT_NE(m_program.OutputSoFar().find("param Текущая дата 6 1\n"), std::string::npos) << m_program.OutputSoFar();

    // A line's page fields are greyed: their texts show in the grey text colour only.
    ASSERT_TRUE(WaitFor("line menu shown")) << m_program.OutputSoFar();
    popup = PopupAtPoint();
    ASSERT_FALSE(popup.isEmpty()) << "no popup for the line";
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return !FindColour(s, PageFieldTexts(popup), Sys(COLOR_GRAYTEXT), 4).isEmpty(); }, 5s);
    EXPECT_FALSE(FindColour(shot, PageFieldTexts(popup), Sys(COLOR_GRAYTEXT), 4).isEmpty());
    EXPECT_TRUE(FindColour(shot, PageFieldTexts(popup), Sys(COLOR_MENUTEXT), 16).isEmpty());
    if (const char* keep = std::getenv("QM_KEEP_SHOTS")) shot.save(QString(keep) + "/line_menu.png");
    ASSERT_TRUE(m_x.Key("Escape"));
    ASSERT_TRUE(WaitFor("line menu 0\n")) << m_program.OutputSoFar();
    const ProgramResult result = m_program.Wait(10s);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
}

}  // namespace
