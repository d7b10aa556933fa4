// The transport client's windows in real windows: our small program on a test X server, driven with real
// mouse and keys, its screen taken from outside and checked by regions. The retry dialog counts down and
// retries by itself, or is stopped, skipped or retried with its box; the progress window's bar moves while
// its caller only pumps events, and its abort reaches the caller; the wait window's button breaks the wait.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#include <QPalette>

#include "platform/gdi/screen_colors.h"
#include "zorStepData/CzorData_Client/tests/window_program_fixture.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/peltrane_window";

class NetWindows : public WindowProgramTest {
protected:
    NetWindows() : WindowProgramTest(kProgram) {}
    void SetUp() override {
        WindowProgramTest::SetUp();
        const QPalette palette = FixedSchemePalette();
        m_text = palette.color(QPalette::ButtonText).rgb();
        m_highlight = palette.color(QPalette::Highlight).rgb();
    }
    // How wide the text on a control is: the span of its text-coloured pixels.
    int TextWidth(const QImage& shot, const std::string& id) const {
        return FindColour(shot, m_report->Place(id).adjusted(3, 3, -3, -3), m_text, 60).width();
    }
    // How far the progress bar is filled: the span of its highlight-coloured pixels.
    int Filled(const QImage& shot) const {
        return FindColour(shot, m_report->Place("7017").adjusted(1, 1, -1, -1), m_highlight, 40).width();
    }

    QRgb m_text = 0, m_highlight = 0;
};

// Untouched, the dialog counts its seconds down on its Retry button and ends as Retry when they run out.
TEST_F(NetWindows, RetryDialogCountsDownAndRetriesByItself) {
    ASSERT_NO_FATAL_FAILURE(Show({"retry", "4"}));
    const QRect retry = m_report->Place("7033");
    // Counting, the button carries the long text with the seconds left: far wider than Stop's.
    auto counting = [&](const QImage& s) { return TextWidth(s, "7033") > 2 * TextWidth(s, "3"); };
    ASSERT_FALSE(m_report->WaitForLineStarting("retry-text Повторить автоматически через 3 с", 5s).empty());
    const QImage three = m_x.ScreenshotWhen(counting, 5s);
    Save(three, "retry_countdown");
    EXPECT_TRUE(counting(three));
    // A second later the number on the button has changed.
    ASSERT_FALSE(m_report->WaitForLineStarting("retry-text Повторить автоматически через 2 с", 5s).empty());
    const QImage two = m_x.ScreenshotWhen([&](const QImage& s) { return s.copy(retry) != three.copy(retry); }, 5s);
    EXPECT_NE(two.copy(retry), three.copy(retry)) << "the seconds on the screen did not change";
    EXPECT_TRUE(counting(two));
    EXPECT_EQ(m_report->WaitForLineStarting("result", 5s), "result 100010 repeat 0");
    EXPECT_EQ(m_report->LinesStarting("retry-text"),
              (std::vector<std::string>{"retry-text Повторить", "retry-text Повторить автоматически через 3 с",
                                        "retry-text Повторить автоматически через 2 с",
                                        "retry-text Повторить автоматически через 1 с"}));
    ExpectEnds();
}

// Stop ends the countdown and leaves the dialog open; Retry then ends it with the box's state.
TEST_F(NetWindows, RetryDialogStoppedThenRetriedWithTheBox) {
    ASSERT_NO_FATAL_FAILURE(Show({"retry", "30"}));
    ASSERT_FALSE(m_report->WaitForLineStarting("retry-text Повторить автоматически через", 5s).empty());
    const QImage counting = m_x.ScreenshotWhen([&](const QImage& s) { return TextWidth(s, "7033") > 100; }, 5s);
    const int longText = TextWidth(counting, "7033");
    // Repeat automatically: a check box takes clicks on its box and label only.
    const QRect box = m_report->Place("7035");
    const QRect indicator(box.left(), box.top(), 16, box.height());
    EXPECT_TRUE(FindColour(counting, indicator, m_text, 60).isEmpty()) << "the box starts clear";
    ASSERT_TRUE(m_x.Click(indicator.center().x(), indicator.center().y()));
    ASSERT_TRUE(ClickCentre("3"));  // Stop
    QImage shot = m_x.ScreenshotWhen([&](const QImage& s) { return TextWidth(s, "7033") < longText - 40; }, 5s);
    Save(shot, "retry_stopped");
    EXPECT_LT(TextWidth(shot, "7033"), longText - 40) << "the seconds left the button";
    EXPECT_FALSE(FindColour(shot, indicator, m_text, 60).isEmpty()) << "the box's tick";
    // Stopped, the dialog waits: nothing ends it for two seconds.
    EXPECT_EQ(m_report->WaitForLineStarting("result", 2s), "");
    ASSERT_TRUE(ClickCentre("7033"));
    EXPECT_EQ(m_report->WaitForLineStarting("result", 5s), "result 100010 repeat 1");
    ExpectEnds();
}

// Skip and Esc both skip while the countdown runs.
TEST_F(NetWindows, RetryDialogSkippedByButtonAndEscape) {
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Esc" : "Skip");
        ASSERT_NO_FATAL_FAILURE(Show({"retry", "30"}));
        ASSERT_FALSE(m_report->WaitForLineStarting("retry-text Повторить автоматически через", 5s).empty());
        if (byKey) {
            // Keys go to the window under the pointer (no window manager gives the focus).
            const QRect message = m_report->Place("7039");
            ASSERT_TRUE(m_x.MoveMouse(message.center().x(), message.center().y()));
            ASSERT_TRUE(m_x.Key("Escape"));
        } else {
            ASSERT_TRUE(ClickCentre("2"));
        }
        EXPECT_EQ(m_report->WaitForLineStarting("result", 5s), "result 2 repeat 0");
        ExpectEnds();
    }
}

// The bar moves while the caller pumps events, and stays live at half while the caller's request stalls;
// Abort and Esc break that request (183) and reach the caller, which then closes the window.
TEST_F(NetWindows, ProgressBarMovesAndItsAbortBreaksTheCall) {
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Esc" : "Abort");
        ASSERT_NO_FATAL_FAILURE(Show({"progress"}));
        const int width = m_report->Place("7017").width();
        const QImage first = m_x.ScreenshotWhen([&](const QImage& s) { return Filled(s) >= 10; }, 10s);
        ASSERT_GE(Filled(first), 10) << "the bar never moved";
        const QImage later = m_x.ScreenshotWhen([&](const QImage& s) { return Filled(s) >= Filled(first) + 20; }, 5s);
        EXPECT_GE(Filled(later), Filled(first) + 20) << "the bar stopped";
        // Half way the request stalls; the window still follows the caller's last figure and its caption.
        // The caption and the bar change in the same tick of the window.
        EXPECT_NE(m_x.WaitForWindow("^Загрузка отчёта - 50 %$", 10s), 0ul) << "the caption";
        const QImage half = m_x.Screenshot();
        if (!byKey) Save(half, "progress_half");
        EXPECT_GT(Filled(half), width * 4 / 10);
        EXPECT_LT(Filled(half), width * 6 / 10);
        // Stalled, the bar stays where it is through more than two of the window's ticks.
        std::this_thread::sleep_for(1200ms);
        EXPECT_EQ(Filled(m_x.Screenshot()), Filled(half));
        EXPECT_TRUE(m_report->LinesStarting("call").empty()) << "the stalled request ended by itself";
        if (byKey) {
            const QRect bar = m_report->Place("7017");
            ASSERT_TRUE(m_x.MoveMouse(bar.center().x(), bar.center().y()));
            ASSERT_TRUE(m_x.Key("Escape"));
        } else {
            ASSERT_TRUE(ClickCentre("7016"));
        }
        EXPECT_EQ(m_report->WaitForLineStarting("aborted", 5s), "aborted 50");
        EXPECT_EQ(m_report->WaitForLineStarting("call", 5s), "call 0 error 183");
        ExpectEnds();
    }
}

// A request that gets no answer: the transport client opens its wait window after a short delay, and
// the window's button breaks the call (183) and the window goes.
TEST_F(NetWindows, WaitWindowBreaksAStalledCall) {
    ASSERT_NO_FATAL_FAILURE(Show({"wait"}));
    const QImage shot = m_x.ScreenshotWhen([&](const QImage& s) { return TextWidth(s, "2") > 20; }, 5s);
    Save(shot, "transport_wait");
    EXPECT_GT(TextWidth(shot, "2"), 20) << "the button's text";
    const QRect window = m_report->Place("window");
    EXPECT_FALSE(FindColour(shot, window, m_text, 60).isEmpty()) << "the wait text";
    EXPECT_TRUE(m_report->LinesStarting("call").empty()) << "the stalled request ended by itself";
    ASSERT_TRUE(ClickCentre("2"));
    EXPECT_EQ(m_report->WaitForLineStarting("call", 5s), "call 0 error 183");
    EXPECT_EQ(m_report->WaitForLineStarting("wait-window", 5s), "wait-window closed");
    // The screen where the window was is the empty root again.
    const QImage after = m_x.ScreenshotWhen([&](const QImage& s) { return RegionIs(s, window, qRgb(0, 0, 0)); }, 5s);
    EXPECT_TRUE(RegionIs(after, window, qRgb(0, 0, 0))) << "the wait window stayed";
    ExpectEnds();
}

}  // namespace
