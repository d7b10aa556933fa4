// The dialog controls in real windows: a small program of ours on a test X server, driven with real mouse
// and keys, its screen taken from outside and checked by regions.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "controls/menu/menu_effects.h"
#include "platform/gdi/sys_colors.h"
#include "controls/tests/x_suite.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/controls_window";

QRgb Sys(int index) { return zor::menu::ToRgb(::GetSysColor(index)); }

// One display for all cases; each case starts the program with its control.
class ControlsWindow : public XSuiteTest {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << Why();
        ASSERT_TRUE(m_sandbox.Create());
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }

    // Starts the program with `args`, gives its window `title` the focus (no window manager does) and reads
    // where its parts are.
    void Show(const std::vector<std::string>& args, const std::string& title) {
        std::string why;
        // The mouse away from where any window shows, whatever an earlier case left it on.
        ASSERT_TRUE(x().MoveMouse(1200, 1000));
        ASSERT_TRUE(x().Launch(kProgram, args, m_sandbox, m_program, why)) << why;
        ASSERT_TRUE(WaitFor("ready\n", 20s)) << "the window never showed\n" << Describe(m_program.Wait(0ms));
        std::istringstream lines(m_program.OutputSoFar());
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string part;
            int left, top, width, height;
            if (words >> part >> left >> top >> width >> height) m_parts[part] = QRect(left, top, width, height);
        }
        const unsigned long window = x().WaitForWindow(title, 5s);
        ASSERT_NE(window, 0ul) << "no window " << title;
        ASSERT_TRUE(x().XDo({"windowfocus", "--sync", std::to_string(window)}));
        // Let the first paint reach the screen.
        std::this_thread::sleep_for(200ms);
    }
    QRect Part(const std::string& name) {
        const auto it = m_parts.find(name);
        EXPECT_NE(it, m_parts.end()) << "the program did not say where " << name << " is";
        return it == m_parts.end() ? QRect() : it->second;
    }
    // Waits for the program to write `text` after what was seen so far; true once it has.
    bool WaitFor(const std::string& text, std::chrono::milliseconds limit = 5s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            const std::string out = m_program.OutputSoFar();
            const size_t at = out.find(text, m_seen);
            if (at != std::string::npos) {
                m_seen = at + text.size();
                return true;
            }
            if (!m_program.Running()) return false;
            std::this_thread::sleep_for(30ms);
        }
        return false;
    }
    // The rest of the line after `prefix` once the program writes it; empty when it does not.
    std::string LineAfter(const std::string& prefix, std::chrono::milliseconds limit = 5s) {
        if (!WaitFor(prefix, limit)) return {};
        const std::string out = m_program.OutputSoFar();
        const size_t end = out.find('\n', m_seen);
        if (end == std::string::npos) return {};
        const std::string rest = out.substr(m_seen, end - m_seen);
        m_seen = end + 1;
        return rest;
    }
    // Where the program last said the part is, once its output has been still for a moment.
    QRect Latest(const std::string& part) {
        const auto end = std::chrono::steady_clock::now() + 3s;
        std::string out = m_program.OutputSoFar();
        for (;;) {
            std::this_thread::sleep_for(300ms);
            const std::string now = m_program.OutputSoFar();
            if (now == out || std::chrono::steady_clock::now() > end) break;
            out = now;
        }
        out = "\n" + out;
        const size_t at = out.rfind("\n" + part + " ");
        return at == std::string::npos ? QRect() : ParseRect(out.substr(at + part.size() + 2));
    }
    static QRect ParseRect(const std::string& text) {
        std::istringstream words(text);
        int x = 0, y = 0, w = 0, h = 0;
        words >> x >> y >> w >> h;
        return QRect(x, y, w, h);
    }
    static std::string Describe(const ProgramResult& r) {
        return "exit " + std::to_string(r.exitStatus) + " signal " + std::to_string(r.signal) + "\n" + r.err;
    }
    // Presses, drags and releases the left button.
    bool Drag(QPoint from, QPoint to) {
        return x().MoveMouse(from.x(), from.y()) && x().XDo({"mousedown", "1"}) &&
               x().MoveMouse((from.x() + to.x()) / 2, (from.y() + to.y()) / 2) && x().MoveMouse(to.x(), to.y()) &&
               x().XDo({"mouseup", "1"});
    }
    // Until the region is mostly that colour (bounded); the last screenshot.
    QImage ShotWhen(const QRect& region, QRgb colour, double share = 0.9) {
        return x().ScreenshotWhen([&](const QImage& s) { return ShareOf(s, region, colour) >= share; }, 5s);
    }

    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    std::map<std::string, QRect> m_parts;
    size_t m_seen = 0;
};

const QRgb kBlue = qRgb(0, 0, 200), kRed = qRgb(200, 0, 0), kGreen = qRgb(0, 160, 0);

TEST_F(ControlsWindow, ResizableDialogKeepsAnchoredDistances) {
    ASSERT_NO_FATAL_FAILURE(Show({"dialog"}, "Диалог"));
    const QRect dialog = Part("dialog");
    ASSERT_EQ(dialog.size(), QSize(300, 200));
    std::string why;
    QImage shot = ShotWhen(QRect(dialog.left() + 220, dialog.top() + 160, 70, 30), kRed);
    EXPECT_TRUE(RegionIs(shot, QRect(dialog.left() + 10, dialog.top() + 10, 280, 140), kBlue, &why)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(dialog.left() + 220, dialog.top() + 160, 70, 30), kRed, &why)) << why;

    // The size grip in the bottom-right corner, dragged 120 right and 90 down.
    const QPoint grip = dialog.bottomRight() - QPoint(3, 3);
    ASSERT_TRUE(Drag(grip, grip + QPoint(120, 90)));
    const QRect grown = Latest("dialog");
    ASSERT_GT(grown.width(), 300) << "the dialog did not grow";
    ASSERT_GT(grown.height(), 200);
    const int w = grown.width(), h = grown.height();
    // The stretching block keeps 10 pixels to every side but the bottom's 50; the corner block keeps its
    // size and its 10 pixels to the right and bottom.
    const QRect corner(grown.left() + w - 80, grown.top() + h - 40, 70, 30);
    shot = ShotWhen(corner, kRed);
    EXPECT_TRUE(RegionIs(shot, corner, kRed, &why)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(grown.left() + 10, grown.top() + 10, w - 20, h - 60), kBlue, &why)) << why;
    // Right next to them the dialog's face, not the blocks.
    EXPECT_LT(ShareOf(shot, QRect(corner.left() - 4, corner.top(), 3, corner.height()), kRed), 0.1);
    EXPECT_LT(ShareOf(shot, QRect(grown.left() + 10, grown.top() + h - 48, w - 20, 3), kBlue), 0.1);
    // It never gets smaller than it opened.
    const QPoint grip2 = grown.bottomRight() - QPoint(3, 3);
    ASSERT_TRUE(Drag(grip2, grip2 - QPoint(250, 200)));
    const QRect shrunk = Latest("dialog");
    EXPECT_EQ(shrunk.size(), QSize(300, 200));
}

TEST_F(ControlsWindow, FlatButtonShowsBorderOnHoverClassicOneSinksWhenPressed) {
    ASSERT_NO_FATAL_FAILURE(Show({"buttons"}, "Элементы: buttons"));
    const QRect flat = Part("flat"), classic = Part("classic");
    const QRgb light = Sys(COLOR_BTNHIGHLIGHT), shadow = Sys(COLOR_BTNSHADOW);
    std::string why;
    const QRect flatTop(flat.left() + 2, flat.top(), flat.width() - 4, 1);
    const QRect flatBottom(flat.left() + 2, flat.bottom(), flat.width() - 4, 1);
    QImage shot = x().Screenshot();
    EXPECT_LT(ShareOf(shot, flatBottom, shadow), 0.1) << "a border before the mouse came";

    ASSERT_TRUE(x().MoveMouse(flat.center().x(), flat.center().y()));
    shot = ShotWhen(flatBottom, shadow);
    EXPECT_TRUE(RegionIs(shot, flatTop, light, &why)) << why;
    EXPECT_TRUE(RegionIs(shot, flatBottom, shadow, &why)) << why;

    // Pressed: the black outer frame of the focused button, inside it a frame in the shadow colour.
    ASSERT_TRUE(x().MoveMouse(classic.center().x(), classic.center().y()));
    ASSERT_TRUE(x().XDo({"mousedown", "1"}));
    const QRect inner(classic.left() + 1, classic.top() + 1, classic.width() - 2, classic.height() - 2);
    const QRect innerTop(inner.left() + 2, inner.top(), inner.width() - 4, 1);
    shot = ShotWhen(innerTop, shadow);
    const QRect outerTop(classic.left() + 2, classic.top(), classic.width() - 4, 1);
    EXPECT_TRUE(RegionIs(shot, outerTop, qRgb(0, 0, 0), &why)) << why;
    EXPECT_TRUE(RegionIs(shot, innerTop, shadow, &why)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(inner.left(), inner.top() + 2, 1, inner.height() - 4), shadow, &why)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(inner.left() + 2, inner.bottom(), inner.width() - 4, 1), shadow, &why)) << why;
    ASSERT_TRUE(x().XDo({"mouseup", "1"}));
    // Released, the classic raised edges come back: the top-left highlight.
    shot = ShotWhen(innerTop, light);
    EXPECT_TRUE(RegionIs(shot, innerTop, light, &why)) << why;
}

TEST_F(ControlsWindow, CtrlClickedHeadersSortByBothAndClippedCellShowsTip) {
    ASSERT_NO_FATAL_FAILURE(Show({"list"}, "Элементы: list"));
    const QRect h0 = Part("header0"), h1 = Part("header1"), cell = Part("cell");
    const QRgb white = qRgb(255, 255, 255);
    QImage shot = x().Screenshot();
    ASSERT_TRUE(FindColour(shot, h0.adjusted(2, 2, -2, -2), white, 0).isEmpty()) << "white on the header already";

    std::vector<std::string> orders;
    for (const QRect& header : {h0, h1}) {
        ASSERT_TRUE(x().XDo({"keydown", "ctrl"}));
        ASSERT_TRUE(x().Click(header.center().x(), header.center().y()));
        ASSERT_TRUE(x().XDo({"keyup", "ctrl"}));
        orders.push_back(LineAfter("order "));
    }
    // The first column alone, then the second joins it: groups first, numbers within them (as numbers).
    EXPECT_EQ(orders, (std::vector<std::string>{"b9 b10 a9 a30", "b10 b9 a30 a9"}));
    // Both headers carry a descending arrow (the first sort of a column is descending), lit on its right.
    shot = x().ScreenshotWhen(
        [&](const QImage& s) { return !FindColour(s, h1.adjusted(2, 2, -2, -2), white, 0).isEmpty(); }, 5s);
    for (const QRect& header : {h0, h1}) {
        const QRect inside = header.adjusted(2, 2, -2, -2);
        EXPECT_GE(FindColour(shot, inside, white, 0).height(), 5) << "no arrow on a sorted column";
        EXPECT_FALSE(FindColour(shot, inside, qRgb(128, 128, 128), 0).isEmpty());
    }

    // The description does not fit its column: hovering it shows the whole text over it in a tip.
    const int textWidth = Part("textwidth").left();
    const QRgb tipFace = Sys(COLOR_INFOBK);
    // The tip's face beyond the column's right edge, in the row's band.
    const QRect band(cell.left() - 4, cell.top() - 4, textWidth + 40, cell.height() + 8);
    const QRect beyond(cell.right() + 4, band.top(), band.right() - cell.right() - 4, band.height());
    EXPECT_TRUE(FindColour(shot, beyond, tipFace, 3).isEmpty()) << "a tip before the mouse came";
    // Through the empty rows below first: the header's caption tip goes when the mouse leaves the header.
    ASSERT_TRUE(x().MoveMouse(cell.left() + 10, cell.top() + 120));
    ASSERT_TRUE(x().MoveMouse(cell.left() + 10, cell.center().y()));
    shot = x().ScreenshotWhen([&](const QImage& s) { return FindColour(s, beyond, tipFace, 3).width() > 100; }, 5s);
    const QRect tip = FindColour(shot, band, tipFace, 3);
    EXPECT_GE(tip.width(), textWidth) << "the tip does not hold the whole text";
    EXPECT_LE(std::abs(tip.top() - cell.top()), 4);
    EXPECT_LE(std::abs(tip.left() - cell.left()), 4);
}

TEST_F(ControlsWindow, DockingBarFloatsAndDocksAgainKeepingItsSizes) {
    ASSERT_NO_FATAL_FAILURE(Show({"bar"}, "Элементы: bar"));
    const QRect docked = Part("docked");
    ASSERT_EQ(docked.width(), 150);
    const QRgb white = qRgb(255, 255, 255);
    std::string why;
    // The frame's lower left: the bar's contents while docked, the frame's own view while it floats.
    const QRect lowerLeft(docked.left() + 10, docked.top() + 260, 120, 60);
    QImage shot = ShotWhen(lowerLeft, kGreen);
    EXPECT_TRUE(RegionIs(shot, lowerLeft, kGreen, &why)) << why;

    // A double click on the gripper floats it at its floating size.
    QRect gripper = Part("gripper");
    ASSERT_TRUE(x().MoveMouse(gripper.left() + 30, gripper.top() + 5));
    ASSERT_TRUE(x().XDo({"click", "--repeat", "2", "--delay", "80", "1"}));
    const QRect floating = ParseRect(LineAfter("floating "));
    ASSERT_EQ(floating.size(), QSize(150, 220)) << "the bar did not float at its floating size";
    gripper = ParseRect(LineAfter("gripper "));
    shot = ShotWhen(lowerLeft, white);
    EXPECT_TRUE(RegionIs(shot, lowerLeft, white, &why)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(floating.left() + 10, floating.bottom() - 60, 120, 50), kGreen, &why)) << why;

    // Another on its gripper docks it where it was, as wide as before.
    ASSERT_TRUE(x().MoveMouse(gripper.left() + 30, gripper.top() + 5));
    ASSERT_TRUE(x().XDo({"click", "--repeat", "2", "--delay", "80", "1"}));
    EXPECT_EQ(ParseRect(LineAfter("docked ")), docked);
    shot = ShotWhen(lowerLeft, kGreen);
    EXPECT_TRUE(RegionIs(shot, lowerLeft, kGreen, &why)) << why;
    EXPECT_TRUE(RegionIs(shot, QRect(docked.right() + 4, docked.top() + 260, 60, 60), white, &why)) << why;
}

TEST_F(ControlsWindow, LinkTakesTheHoverColourUnderTheMouse) {
    ASSERT_NO_FATAL_FAILURE(Show({"link"}, "Элементы: link"));
    const QRect link = Part("link");
    const QRgb linkColour = qRgb(0, 0, 255), hover = qRgb(230, 0, 0);
    QImage shot = x().Screenshot();
    EXPECT_FALSE(FindColour(shot, link, linkColour, 3).isEmpty()) << "the link is not in its colour";
    EXPECT_TRUE(FindColour(shot, link, hover, 3).isEmpty());

    ASSERT_TRUE(x().MoveMouse(link.center().x(), link.center().y()));
    shot = x().ScreenshotWhen([&](const QImage& s) { return !FindColour(s, link, hover, 3).isEmpty(); }, 5s);
    const QRect lit = FindColour(shot, link, hover, 3);
    EXPECT_GE(lit.width(), link.width() * 3 / 4) << "the whole text takes the hover colour";
    EXPECT_TRUE(FindColour(shot, link, linkColour, 3).isEmpty());

    // A click opens the target once.
    ASSERT_TRUE(x().Click(link.center().x(), link.center().y()));
    EXPECT_TRUE(WaitFor("open http://example.invalid/\n"));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_program.OutputSoFar().find("open ", m_seen), std::string::npos) << "opened twice";
}

TEST_F(ControlsWindow, FolderPickerCreatesTheTypedMissingFolder) {
    namespace fs = std::filesystem;
    const std::string start = m_sandbox.Work();
    // ASCII: xdotool types other letters through a borrowed key, which drops one now and then under load.
    const std::string missing = start + "/made by/hand";
    ASSERT_NO_FATAL_FAILURE(Show({"folder", start}, "Выбор папки"));
    ASSERT_FALSE(fs::exists(fs::path(missing)));

    // The current-folder field has the focus: the typed path replaces its text, Return confirms.
    ASSERT_TRUE(x().Key("ctrl+a"));
    ASSERT_TRUE(x().Type(missing));
    ASSERT_TRUE(x().Key("Return"));
    // The question whether to create it, answered Yes (its default button) from the keyboard.
    const unsigned long box = x().WaitForWindow("Вопрос теста", 5s);
    ASSERT_NE(box, 0ul) << "no question about the missing folder";
    ASSERT_TRUE(x().XDo({"windowfocus", "--sync", std::to_string(box)}));
    ASSERT_TRUE(x().Key("Return"));

    EXPECT_EQ(LineAfter("result "), "1 " + missing + "/");
    const ProgramResult result = m_program.Wait(5s);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << Describe(result);
    EXPECT_TRUE(fs::is_directory(fs::path(missing)));
}

}  // namespace
