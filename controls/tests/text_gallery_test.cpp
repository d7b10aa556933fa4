// The text controls in one real gallery window: our small program on a test X server, keys sent from
// outside, its screen taken with xwd and checked by regions.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "controls/tests/x_suite.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/text_gallery";
const QRgb kInk = qRgb(0, 0, 160), kGreen = qRgb(0, 160, 0);

class TextGallery : public XSuiteTest {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << Why();
        ASSERT_TRUE(m_sandbox.Create());
        ASSERT_TRUE(x().MoveMouse(1200, 1000));
        std::string why;
        ASSERT_TRUE(x().Launch(kProgram, {}, m_sandbox, m_program, why)) << why;
        ASSERT_TRUE(WaitFor("ready\n", 20s)) << "the window never showed";
        std::istringstream lines(m_program.OutputSoFar());
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string part;
            int left, top, width, height;
            if (words >> part >> left >> top >> width >> height) m_parts[part] = QRect(left, top, width, height);
        }
        const unsigned long window = x().WaitForWindow("Галерея текста", 5s);
        ASSERT_NE(window, 0ul);
        ASSERT_TRUE(x().XDo({"windowfocus", "--sync", std::to_string(window)}));
        std::this_thread::sleep_for(200ms);
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }
    QRect Part(const std::string& name) {
        const auto it = m_parts.find(name);
        EXPECT_NE(it, m_parts.end()) << "the program did not say where " << name << " is";
        return it == m_parts.end() ? QRect() : it->second;
    }
    // The rest of the line after `prefix` once the program writes it (bounded); empty when it does not.
    std::string LineAfter(const std::string& prefix) {
        if (!WaitFor(prefix, 5s)) return {};
        const std::string out = m_program.OutputSoFar();
        const size_t end = out.find('\n', m_seen);
        if (end == std::string::npos) return {};
        const std::string rest = out.substr(m_seen, end - m_seen);
        m_seen = end + 1;
        return rest;
    }
    bool WaitFor(const std::string& text, std::chrono::milliseconds limit) {
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
    // The box of the ink (the labels' text colour, antialiased edges allowed) once some shows.
    QRect InkOf(const QRect& region, QRgb ink = kInk) {
        const QImage shot =
            x().ScreenshotWhen([&](const QImage& s) { return !FindColour(s, region, ink, 60).isEmpty(); }, 5s);
        return FindColour(shot, region, ink, 60);
    }

    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    std::map<std::string, QRect> m_parts;
    size_t m_seen = 0;
};

TEST_F(TextGallery, TurnedAndVerticalLabelsPutTheirInkWhereTheTurnSends) {
    struct Case {
        const char* part;
        bool wide;
    };
    for (const Case& c : {Case{"angle0", true}, Case{"angle90", false}, Case{"angle180", true},
                          Case{"angle270", false}, Case{"vertical", false}}) {
        SCOPED_TRACE(c.part);
        const QRect label = Part(c.part);
        const QRect ink = InkOf(label);
        ASSERT_FALSE(ink.isEmpty()) << "no text on the label";
        if (c.wide)
            EXPECT_GT(ink.width(), ink.height() * 2) << ink.width() << "x" << ink.height();
        else
            EXPECT_GT(ink.height(), ink.width() * 2) << ink.width() << "x" << ink.height();
        // Centred: the ink's middle near the label's.
        EXPECT_LE(std::abs(ink.center().x() - label.center().x()), label.width() / 6);
        EXPECT_LE(std::abs(ink.center().y() - label.center().y()), label.height() / 6);
    }
}

TEST_F(TextGallery, FlashingLabelChangesItsBackgroundBetweenPhases) {
    const QRect label = Part("flashing");
    const QRect corner(label.left() + 2, label.top() + 2, 20, 10);
    QImage shot = x().ScreenshotWhen([&](const QImage& s) { return ShareOf(s, corner, kGreen) > 0.9; }, 5s);
    std::string why;
    EXPECT_TRUE(RegionIs(shot, corner, kGreen, &why)) << why;
    ASSERT_TRUE(x().Key("F5"));
    ASSERT_EQ(LineAfter("flash "), "off");
    shot = x().ScreenshotWhen([&](const QImage& s) { return ShareOf(s, corner, kGreen) < 0.1; }, 5s);
    EXPECT_LT(ShareOf(shot, corner, kGreen), 0.1) << "the off phase still shows the green background";
    ASSERT_TRUE(x().Key("F5"));
    ASSERT_EQ(LineAfter("flash "), "on");
    shot = x().ScreenshotWhen([&](const QImage& s) { return ShareOf(s, corner, kGreen) > 0.9; }, 5s);
    EXPECT_TRUE(RegionIs(shot, corner, kGreen, &why)) << why;
}

TEST_F(TextGallery, RichTextShowsRaisedLoweredAndBulletedLines) {
    const QRgb black = qRgb(0, 0, 0);
    const QRect raised = Part("raised"), lowered = Part("lowered"), bulleted = Part("bulleted");
    QRect inks[3];
    int i = 0;
    for (const QRect& line : {raised, lowered, bulleted}) inks[i++] = InkOf(line, black);
    for (const QRect& ink : inks) EXPECT_GE(ink.width(), 40) << "a line without text";
    // Raised text sits higher in its line than lowered text does in its own.
    EXPECT_LT(inks[0].top() - raised.top(), inks[1].top() - lowered.top());
    // The bullet's ink stands left of where the bulleted line's text begins.
    const int textStart = Part("bullettext").left();
    EXPECT_LT(inks[2].left(), textStart - 4) << inks[2].left() << " vs " << textStart;
}

TEST_F(TextGallery, MaskedEditShowsPromptsThatTypedDigitsReplace) {
    ASSERT_TRUE(x().Key("F6"));
    EXPECT_EQ(LineAfter("mask "), "__.__|");
    ASSERT_TRUE(x().Type("123"));
    ASSERT_TRUE(x().Key("F6"));
    EXPECT_EQ(LineAfter("mask "), "12.3_|123");
    // On the screen the edit holds its text's ink.
    EXPECT_FALSE(InkOf(Part("mask").adjusted(3, 3, -3, -3), qRgb(0, 0, 0)).isEmpty());
}

}  // namespace
