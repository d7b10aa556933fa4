// The command bars, splitter bar, menu combo box and tree views together in a real window on a test X
// server: one screenshot of a frame with everything open at once, checked by regions at the places the
// program reports. QM_KEEP_SHOTS=<folder> keeps the screenshot.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <thread>

#include "controls/tests/x_suite.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/bars_window";

class BarsWindow : public XSuiteTest {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << Why();
        ASSERT_TRUE(m_sandbox.Create());
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }
    bool WaitFor(const std::string& text, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (m_program.OutputSoFar().find(text) != std::string::npos) return true;
            if (!m_program.Running()) return false;
            std::this_thread::sleep_for(30ms);
        }
        return false;
    }
    void Read() {
        std::istringstream lines(m_program.OutputSoFar());
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string part;
            words >> part;
            if (part == "colour") {
                std::string name;
                int r, g, b;
                if (words >> name >> r >> g >> b) m_colours[name] = qRgb(r, g, b);
                continue;
            }
            int left, top, width, height;
            if (words >> left >> top >> width >> height) m_parts[part] = QRect(left, top, width, height);
        }
    }
    QRect Part(const std::string& name) {
        const auto it = m_parts.find(name);
        EXPECT_NE(it, m_parts.end()) << "the program did not say where " << name << " is";
        return it == m_parts.end() ? QRect() : it->second;
    }
    QRgb Colour(const std::string& name) {
        const auto it = m_colours.find(name);
        EXPECT_NE(it, m_colours.end()) << "the program did not say its colour " << name;
        return it == m_colours.end() ? 0 : it->second;
    }

    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    std::map<std::string, QRect> m_parts;
    std::map<std::string, QRgb> m_colours;
};

TEST_F(BarsWindow, AFrameWithEveryBarOpenAtOnce) {
    std::string why;
    ASSERT_TRUE(x().MoveMouse(1270, 1010));
    ASSERT_TRUE(x().Launch(kProgram, {}, m_sandbox, m_program, why)) << why;
    ASSERT_TRUE(WaitFor("arrow ", 30s)) << "the window never showed\n" << m_program.Wait(0ms).err;
    Read();
    // No window manager gives the frame the focus.
    const unsigned long frame = x().WaitForWindow("Панели", 5s);
    ASSERT_NE(frame, 0ul);
    ASSERT_TRUE(x().XDo({"windowfocus", "--sync", std::to_string(frame)}));
    const QPoint arrow = Part("arrow").center();
    ASSERT_TRUE(x().Click(arrow.x(), arrow.y()));
    ASSERT_TRUE(WaitFor("entry ", 10s)) << "the menu never opened\n" << m_program.OutputSoFar();
    Read();
    // The menu on its own: once its submenu opens, this server reads the menu back black.
    const QRect menu = Part("menu");
    const QImage first =
        x().ScreenshotWhen([&](const QImage& s) { return ShareOf(s, menu, Colour("menu")) > 0.5; }, 5s);
    EXPECT_GT(ShareOf(first, menu, Colour("menu")), 0.5) << "the menu is not painted";
    EXPECT_EQ(menu.topLeft(), Part("combo").topRight() - QPoint(1, 0)) << "the menu opens at the arrow's top right";
    if (const char* keep = std::getenv("QM_KEEP_SHOTS")) first.save(QString(keep) + "/bars_window_menu.png");
    // The mouse over the first entry opens its submenu.
    const QPoint entry = Part("entry").center();
    ASSERT_TRUE(x().MoveMouse(entry.x() - 5, entry.y()));
    ASSERT_TRUE(x().MoveMouse(entry.x(), entry.y()));
    ASSERT_TRUE(WaitFor("ready\n", 10s)) << "the submenu never opened\n" << m_program.OutputSoFar();
    Read();
    ASSERT_NE(x().WaitForWindow("Настройка панели инструментов", 5s), 0ul)
        << "the customise dialog is not open";

    const QRect drag = Part("drag"), submenu = Part("submenu");
    const QRect band = Part("logoband"), logo = Part("logo");
    const QRect xpLabel = Part("xplabel"), classicLabel = Part("classiclabel");
    const QRgb grey = qRgb(128, 128, 128), peach = qRgb(255, 224, 160);
    // The drag rectangle is a half-tone of grey: half of its pixels.
    const QImage shot = x().ScreenshotWhen(
        [&](const QImage& s) {
            return ShareOf(s, drag, grey) > 0.3 && ShareOf(s, submenu, Colour("menu")) > 0.3;
        },
        5s);
    ASSERT_FALSE(shot.isNull());
    if (const char* keep = std::getenv("QM_KEEP_SHOTS")) shot.save(QString(keep) + "/bars_window.png");

    // The splitter mid-drag.
    EXPECT_GT(ShareOf(shot, drag, grey), 0.3);
    EXPECT_EQ(drag.width(), 4);
    // The logo band: the background around the logo, the logo's own colours over it.
    std::string found;
    EXPECT_TRUE(RegionIs(shot, QRect(band.left(), band.top(), 2, band.height()), peach, &found)) << found;
    EXPECT_LT(ShareOf(shot, logo, peach), 0.8);
    EXPECT_GT(ShareOf(shot, logo, peach), 0.05) << "the logo is drawn transparently";
    // The menu and its submenu open to the right of each other.
    ASSERT_FALSE(menu.isEmpty());
    ASSERT_FALSE(submenu.isEmpty());
    EXPECT_GE(submenu.left(), menu.center().x());
    EXPECT_GT(ShareOf(shot, submenu, Colour("menu")), 0.3);  // less where the hovered entry is highlighted
    // The selected item in both looks, left of its text: XP light and framed, classic the plain highlight
    // up to two pixels before the text, the window colour before that.
    const int xpY = xpLabel.center().y(), classicY = classicLabel.center().y();
    EXPECT_TRUE(RegionIs(shot, QRect(xpLabel.left() - 3, xpY - 2, 3, 5), Colour("light"), &found)) << found;
    EXPECT_TRUE(RegionIs(shot, QRect(xpLabel.left() - 5, xpY - 2, 1, 5), Colour("highlight"), &found)) << found;
    EXPECT_TRUE(RegionIs(shot, QRect(xpLabel.left() - 5, xpLabel.top(), 20, 1), Colour("highlight"), &found))
        << found;
    EXPECT_TRUE(RegionIs(shot, QRect(classicLabel.left() - 2, classicY - 2, 2, 5), Colour("highlight"), &found))
        << found;
    EXPECT_TRUE(RegionIs(shot, QRect(classicLabel.left() - 4, classicY - 2, 1, 5), Colour("window"), &found))
        << found;
    // The extra image before both texts.
    const QRgb red = qRgb(200, 0, 0);
    EXPECT_FALSE(FindColour(shot, QRect(xpLabel.left() - 30, xpLabel.top(), 30, xpLabel.height()), red).isEmpty());
    EXPECT_FALSE(
        FindColour(shot, QRect(classicLabel.left() - 30, classicLabel.top(), 30, classicLabel.height()), red).isEmpty());
}

}  // namespace
