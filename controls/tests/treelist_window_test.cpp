// The tree-list view and the HTML pane in a real window: a program of ours on a test X server, its
// screen taken from outside and checked by pixels at the places the program reports.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <thread>

#include "controls/tests/x_suite.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/treelist_window";
const QRgb kGrid = qRgb(192, 192, 192);

class TreeListWindow : public XSuiteTest {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << Why();
        ASSERT_TRUE(m_sandbox.Create());
        std::string why;
        ASSERT_TRUE(x().MoveMouse(1200, 1000));
        ASSERT_TRUE(x().Launch(kProgram, {}, m_sandbox, m_program, why)) << why;
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (m_program.OutputSoFar().find("ready\n") == std::string::npos && m_program.Running() &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(30ms);
        ASSERT_NE(m_program.OutputSoFar().find("ready\n"), std::string::npos) << "the window never showed";
        std::istringstream lines(m_program.OutputSoFar());
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string part;
            int a, b, c, d;
            if (words >> part >> a >> b >> c >> d) m_parts[part] = QRect(a, b, c, d);
        }
        ASSERT_NE(x().WaitForWindow("Дерево-список", 5s), 0ul);
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }
    QRect Part(const std::string& name) {
        const auto it = m_parts.find(name);
        EXPECT_NE(it, m_parts.end()) << "no place for " << name;
        return it == m_parts.end() ? QRect() : it->second;
    }
    // The dark pixels of a row's first cell: the ink of its text.
    static int Ink(const QImage& shot, const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(shot.pixel(x, y)) < 100) ++n;
        return n;
    }

    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    std::map<std::string, QRect> m_parts;
};

TEST_F(TreeListWindow, GridRowsArrowAndHtmlPaneByPixels) {
    const QRect col0 = Part("col0"), col1 = Part("col1"), col2 = Part("col2");
    const QRect html = Part("html");
    const QRect hl = Part("highlight");
    const QRgb highlight = qRgb(hl.left(), hl.top(), hl.width());
    // Wait for the first paint: the grid line at the right edge of the last column.
    const QRect lastGrid(col2.right(), col2.top() + 2, 1, col2.height() - 4);
    const QImage shot = x().ScreenshotWhen([&](const QImage& s) { return ShareOf(s, lastGrid, kGrid, 4) > 0.9; }, 5s);
    std::string why;
    // A grid line at each column's right edge less one pixel, from top to bottom, also across the
    // highlighted rows; none just inside the column.
    for (const QRect& col : {col0, col1, col2}) {
        EXPECT_TRUE(RegionIs(shot, QRect(col.right(), col.top() + 1, 1, col.height() - 2), kGrid, &why, 0.98, 4))
            << why;
        EXPECT_LT(ShareOf(shot, QRect(col.right() - 3, col.top() + 1, 1, col.height() - 2), kGrid, 4), 0.5);
    }
    // Horizontal lines: the last pixel row of a row is grid.
    const QRect plain = Part("plain");
    EXPECT_TRUE(RegionIs(shot, QRect(col1.left() + 2, plain.bottom(), col1.width() - 4, 1), kGrid, &why, 0.95, 4)) << why;

    // The selected row is filled with the highlight colour (its empty third cell shows it plainly).
    const QRect sel = Part("selected");
    EXPECT_TRUE(RegionIs(shot, QRect(col2.left() + 2, sel.top() + 2, col2.width() - 6, sel.height() - 5), highlight,
                         &why, 0.95, 8))
        << why;
    // The drop target too, with its text in red.
    const QRect drop = Part("drop");
    EXPECT_TRUE(RegionIs(shot, QRect(col2.left() + 2, drop.top() + 2, col2.width() - 6, drop.height() - 5), highlight,
                         &why, 0.95, 8))
        << why;
    EXPECT_FALSE(FindColour(shot, QRect(col0.left(), drop.top(), col0.width(), drop.height()), qRgb(255, 0, 0), 40)
                     .isEmpty());
    // The coloured row's text is blue; the bold row has more ink than the plain one of the same text.
    const QRect blue = Part("blue");
    EXPECT_FALSE(FindColour(shot, QRect(col0.left(), blue.top(), col0.width(), blue.height()), qRgb(0, 0, 200), 40)
                     .isEmpty());
    const QRect bold = Part("bold");
    const int boldInk = Ink(shot, QRect(col0.left(), bold.top() + 1, col0.width() - 2, bold.height() - 3));
    const int plainInk = Ink(shot, QRect(col0.left(), plain.top() + 1, col0.width() - 2, plain.height() - 3));
    EXPECT_GT(plainInk, 10);
    EXPECT_GT(boldInk, plainInk + plainInk / 5);

    // The ascending arrow sits at the right end of the first title, 3 pixels off its text area; the
    // other titles have none.
    const QRect head0 = Part("head0"), head1 = Part("head1");
    const QRect arrow(head0.right() + 1 - 4 - 3 - 10, head0.top() + 1, 10, head0.height() - 2);
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_FALSE(FindColour(shot, arrow, white, 0).isEmpty()) << "no arrow at the right of the first title";
    EXPECT_TRUE(FindColour(shot, QRect(head0.left() + 2, head0.top() + 2, head0.width() / 2, head0.height() - 4), white, 0)
                    .isEmpty());
    EXPECT_TRUE(FindColour(shot, head1.adjusted(2, 2, -2, -2), white, 0).isEmpty());

    // The HTML pane shows its table's green.
    const QRect green = FindColour(shot, html, qRgb(0, 160, 0), 8);
    ASSERT_FALSE(green.isEmpty());
    EXPECT_GT(green.width(), html.width() / 2);
    EXPECT_GT(green.height(), 40);
}

}  // namespace
