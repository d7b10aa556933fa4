// The menus in a real window: a small program of ours on a test X server, driven with real mouse and keys,
// its screen taken from outside and checked by regions in both looks.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "controls/menu/menu_effects.h"
#include "controls/tests/menu_test_bitmaps.h"
#include "platform/gdi/sys_colors.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;
using zor::menu::ToRgb;

const std::string kProgram = QM_BIN_DIR "/vistrel_menu_window";

QRgb Sys(int index) { return ToRgb(::GetSysColor(index)); }
QRgb Lighter(int index, double f) { return ToRgb(zor::menu::Lighten(::GetSysColor(index), f)); }

class MenuWindow : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!m_x.Start(why)) GTEST_SKIP() << why;
        ASSERT_TRUE(m_sandbox.Create());
        ASSERT_TRUE(m_x.Launch(kProgram, {}, m_sandbox, m_program, why)) << why;
        // The program says where its titles are once it shows.
        const auto end = std::chrono::steady_clock::now() + 20s;
        std::string out;
        while ((out = m_program.OutputSoFar()).find("ready") == std::string::npos) {
            ASSERT_TRUE(m_program.Running()) << Describe(m_program.Wait(0ms));
            ASSERT_LT(std::chrono::steady_clock::now(), end) << "the window never showed";
            std::this_thread::sleep_for(50ms);
        }
        std::istringstream lines(out);
        for (std::string word; lines >> word;) {
            if (word != "title") continue;
            int i, x, y, w, h;
            lines >> i >> x >> y >> w >> h;
            m_titles.push_back(QRect(x, y, w, h));
        }
        ASSERT_EQ(m_titles.size(), 2u);
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }

    static std::string Describe(const ProgramResult& r) {
        return "exit " + std::to_string(r.exitStatus) + " signal " + std::to_string(r.signal) + "\n" + r.err;
    }

    // Opens the popup of title `i` with the mouse and returns the popup window's place on the screen
    // (empty when none opened), once the popup is painted in its frame colour.
    QRect OpenPopup(int i) {
        const QRect title = m_titles[size_t(i)];
        EXPECT_TRUE(m_x.Click(title.center().x(), title.center().y()));
        return WaitForPopup(i);
    }
    // The popup window of title `i` once it shows and is painted in its frame colour; empty when none.
    QRect WaitForPopup(int i) {
        const QRect title = m_titles[size_t(i)];
        QRect popup;
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (popup.isEmpty() && std::chrono::steady_clock::now() < end) {
            // The top-most window that hangs under the title.
            for (const auto& [id, place] : m_x.TopLevelWindows())
                if (place.top() == title.bottom() + 1 && std::abs(place.left() - title.left()) < 8) {
                    popup = place;
                    break;
                }
        }
        if (popup.isEmpty()) return popup;
        m_x.ScreenshotWhen([&](const QImage& s) { return RegionIs(s, QRect(popup.left(), popup.top(), popup.width(), 1), Sys(COLOR_BTNSHADOW)); }, 5s);
        return popup;
    }
    // Waits for the program to report the command.
    bool Chosen(unsigned command) {
        const std::string line = "command " + std::to_string(command) + "\n";
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < end) {
            if (m_program.OutputSoFar().find(line, m_seen) != std::string::npos) {
                m_seen = m_program.OutputSoFar().find(line, m_seen) + line.size();
                return true;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    XSession m_x;
    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    std::vector<QRect> m_titles;
    size_t m_seen = 0;
};

TEST_F(MenuWindow, BothLooksMouseAndMnemonics) {
    std::string why;
    // Items start inside the popup's one-pixel frame; the flat look's icon column is 16 + 4 wide, its
    // items 21 high and its separators 4; the classic look's items are 19 high.
    // --- The flat look ---------------------------------------------------------------------------------
    const QRgb B = ToRgb(zor::menu::Darken(::GetSysColor(COLOR_WINDOW), 0.02));
    const QRgb S = Sys(COLOR_HIGHLIGHT), F = Lighter(COLOR_HIGHLIGHT, 0.7), K = Sys(COLOR_BTNFACE);
    QRect popup = OpenPopup(0);
    ASSERT_FALSE(popup.isEmpty()) << "no popup under the first title";
    int left = popup.left() + 1, top = popup.top() + 1;
    QImage shot = m_x.Screenshot();
    EXPECT_TRUE(RegionIs(shot, QRect(left, top, 20, 2), K, &why, 0.9, 3)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(left + 20, top, popup.width() - 22, 2), B, &why, 0.9, 3)) << why;
    EXPECT_EQ(FindColour(shot, QRect(left, top, 20, 21), menu_test::kStripColours[0], 3).size(), QSize(14, 13))
        << "the icon of command 101 in the first item";

    // Hovering an item fills it and frames it in the select colour.
    ASSERT_TRUE(m_x.MoveMouse(left + 120, top + 21 + 10));
    const QRect second(left, top + 21, popup.width() - 2, 21);
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return RegionIs(s, QRect(second.left(), second.top(), second.width(), 1), S); }, 5s);
    EXPECT_TRUE(RegionIs(shot, QRect(second.left(), second.top(), second.width(), 1), S, &why, 0.95, 3)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(second.left(), second.top(), 1, second.height()), S, &why, 0.95, 3)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(second.left() + 22, second.top() + 1, 60, 2), F, &why, 0.9, 3)) << why;
    // The disabled item keeps no colour of its picture: it is embossed in grey in the icon column.
    const QRect disabled(left, top + 3 * 21 + 4, 20, 21);
    EXPECT_TRUE(FindColour(shot, disabled, menu_test::kStripColours[2], 3).isEmpty());
    EXPECT_FALSE(FindColour(shot, disabled, Sys(COLOR_BTNSHADOW), 3).isEmpty());

    // Choosing with the mouse reaches the program.
    ASSERT_TRUE(m_x.Click(left + 120, top + 21 + 10));
    EXPECT_TRUE(Chosen(102));

    // A checked item with a picture: its button is lightened and framed in the select colour.
    popup = OpenPopup(1);
    ASSERT_FALSE(popup.isEmpty());
    shot = m_x.Screenshot();
    const QRect button(popup.left() + 2, popup.top() + 2, 17, 19);
    EXPECT_TRUE(RegionIs(shot, QRect(button.left(), button.top(), button.width(), 1), S, &why, 0.9, 3)) << why;
    EXPECT_FALSE(FindColour(shot, button, Lighter(COLOR_HIGHLIGHT, 0.85), 3).isEmpty());
    EXPECT_FALSE(FindColour(shot, button, menu_test::kStripColours[1], 3).isEmpty());

    // A mnemonic typed in the popup: "&XP style menu" switches to the classic look.
    ASSERT_TRUE(m_x.Type("x"));
    EXPECT_TRUE(Chosen(32877));

    // --- The classic look --------------------------------------------------------------------------------
    const QRgb M = Sys(COLOR_BTNFACE);
    popup = OpenPopup(0);
    ASSERT_FALSE(popup.isEmpty());
    left = popup.left() + 1;
    top = popup.top() + 1;
    shot = m_x.Screenshot();
    EXPECT_TRUE(RegionIs(shot, QRect(left + 40, top, 60, 2), M, &why, 0.9, 3)) << why;
    // Hover the first item: the highlight starts at the icon width + 5, and the icon column keeps the menu
    // colour.
    ASSERT_TRUE(m_x.MoveMouse(left + 120, top + 10));
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return RegionIs(s, QRect(left + 30, top, 60, 1), S); }, 5s);
    EXPECT_TRUE(RegionIs(shot, QRect(left + 16 + 5, top, 40, 1), S, &why, 0.95, 3)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(left + 16 + 5, top + 18, 40, 1), S, &why, 0.95, 3)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(left + 16 + 4, top, 1, 19), M, &why, 0.95, 3)) << why;
    EXPECT_FALSE(FindColour(shot, QRect(left, top, 20, 19), menu_test::kStripColours[0], 3).isEmpty());

    // "&Save as..." and "&Select" both mark s: the first of them is chosen.
    ASSERT_TRUE(m_x.Type("s"));
    EXPECT_TRUE(Chosen(102));

    // The bar's own mnemonic opens the popup from the keyboard; a typed mnemonic chooses in it.
    ASSERT_TRUE(m_x.Key("alt+f"));
    ASSERT_FALSE(WaitForPopup(0).isEmpty()) << "alt+f opened nothing";
    ASSERT_TRUE(m_x.Type("o"));
    EXPECT_TRUE(Chosen(101));

    // Exit through the menu: the program ends by itself.
    popup = OpenPopup(0);
    ASSERT_FALSE(popup.isEmpty());
    ASSERT_TRUE(m_x.Click(popup.left() + 60, popup.bottom() - 10));
    EXPECT_TRUE(Chosen(57665));
    const ProgramResult result = m_program.Wait(10s);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << Describe(result);
}

}  // namespace
