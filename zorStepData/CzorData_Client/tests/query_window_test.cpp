// The query dialogs in real windows on a test X server: the editor showing a syntax error with its
// token selected, and the dictionary picker, both closed with real clicks; screenshots are kept in
// the build's screenshots folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <QPalette>

#include "platform/gdi/screen_colors.h"
#include "zorStepData/CzorData_Client/tests/window_program_fixture.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/peltrane_query_window";

class QueryWindows : public WindowProgramTest {
protected:
    QueryWindows() : WindowProgramTest(kProgram) {}
    void SetUp() override {
        WindowProgramTest::SetUp();
        const QPalette palette = FixedSchemePalette();
        m_text = palette.color(QPalette::Text).rgb();
        m_highlight = palette.color(QPalette::Highlight).rgb();
    }

    QRgb m_text = 0, m_highlight = 0;
};

TEST_F(QueryWindows, EditorShowsTheSyntaxErrorSelected) {
    ASSERT_NO_FATAL_FAILURE(Show({"editor"}));
    const QRect text = m_report->Place("4019");
    const QRect errors = m_report->Place("4020");
    ASSERT_FALSE(text.isEmpty());
    // The offending token "1.5" is selected: a small highlighted patch on the second line of the text.
    const auto selected = [&](const QImage& s) { return !FindColour(s, text.adjusted(2, 2, -2, -2), m_highlight, 30).isEmpty(); };
    const QImage shot = m_x.ScreenshotWhen(selected, 5s);
    Save(shot, "query_editor_error");
    const QRect patch = FindColour(shot, text.adjusted(2, 2, -2, -2), m_highlight, 30);
    ASSERT_FALSE(patch.isEmpty()) << "no selection in the query text";
    EXPECT_LT(patch.width(), text.width() / 4) << "more than the offending token is selected";
    EXPECT_GT(patch.top(), text.top() + 8) << "the selection is not on the second line";
    EXPECT_FALSE(FindColour(shot, errors.adjusted(2, 2, -2, -2), m_text, 60).isEmpty()) << "no error message";
    ASSERT_TRUE(ClickCentre("2"));
    ExpectEnds("result 0");
}

TEST_F(QueryWindows, PickerReturnsTheChosenAttribute) {
    ASSERT_NO_FATAL_FAILURE(Show({"picker"}));
    Save(m_x.Screenshot(), "query_dictionary_picker");
    ASSERT_TRUE(ClickCentre("7043"));
    ExpectEnds("chosen 7043 x");
}

}  // namespace
