#include "controls/text/rich_edit.h"

#include <QTextCursor>

#include "controls/tests/gui_fixture.h"

namespace {

using namespace zor;

class RichEditTest : public GuiFixture {
protected:
    void Select(int from, int to) {
        QTextCursor c = edit.textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        edit.setTextCursor(c);
    }
    CzorRichEditCtrl edit;
};

TEST(RichEditSizes, ScriptTable) {
    struct Case { int points, drawn; };
    const Case cases[] = {{12, 10}, {10, 8}, {8, 5}, {6, 4}, {5, 5}, {4, 4}, {13, 13}, {144, 54}};
    for (const auto& c : cases)
        EXPECT_EQ(ScriptDrawnPoints(c.points), c.drawn) << c.points;
    EXPECT_EQ(RaiseOffsetTwips(10), 133);
    EXPECT_EQ(LowerOffsetTwips(10), -66);
}

TEST_F(RichEditTest, EmptyControlGivesTheFrameOnly) {
    EXPECT_EQ(edit.GetRTF(), "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl}{\\colortbl ;}\n}");
    edit.setPlainText("text");
    EXPECT_TRUE(edit.SetRTF(""));
    EXPECT_EQ(edit.toPlainText(), "");
    EXPECT_FALSE(edit.SetRTF("not rtf"));
}

TEST_F(RichEditTest, RaiseAndLower) {
    edit.setPlainText("x2");
    Select(0, 2);
    edit.SetFontSize(12);
    Select(1, 2);
    edit.SetSuperscribe();
    EXPECT_TRUE(edit.SelectionIsSuperscribe());
    EXPECT_EQ(edit.SelectionOffsetTwips(), 133);
    EXPECT_EQ(edit.GetSelectionFontSize(), 12);
    EXPECT_NE(edit.GetRTF().find("{\\f0\\fs20\\up13 2}"), std::string::npos) << edit.GetRTF();
    edit.SetSuperscribe();  // raising again restores
    EXPECT_FALSE(edit.SelectionIsSuperscribe());
    EXPECT_EQ(edit.GetSelectionFontSize(), 12);
    EXPECT_EQ(edit.GetRTF(), "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}{\\colortbl ;}\n"
                             "\\pard\\ql {\\f0\\fs24 x2}}");
    edit.SetSubscribe();
    EXPECT_TRUE(edit.SelectionIsSubscribe());
    EXPECT_EQ(edit.SelectionOffsetTwips(), -66);
    edit.SetSubscribe();
    EXPECT_FALSE(edit.SelectionIsSubscribe());
}

TEST_F(RichEditTest, TogglesOnPlainBoldAndMixedSelections) {
    edit.setPlainText("abcd");
    Select(0, 2);
    edit.SetSelectionBold();
    EXPECT_TRUE(edit.SelectionIsBold());
    const std::string bold = edit.GetRTF();
    edit.SetSelectionBold(true);  // already bold: nothing changes
    EXPECT_EQ(edit.GetRTF(), bold);
    edit.SetSelectionBold();  // consistent: inverted
    EXPECT_FALSE(edit.SelectionIsBold());
    Select(0, 2);
    edit.SetSelectionItalic();
    Select(1, 3);  // mixed: set
    edit.SetSelectionItalic();
    Select(0, 3);
    EXPECT_TRUE(edit.SelectionIsItalic());
    edit.SetSelectionUnderlined();
    edit.SetSelectionStrikeouted();
    EXPECT_TRUE(edit.SelectionIsUnderlined());
    EXPECT_TRUE(edit.SelectionIsStrikeouted());
    Select(2, 4);
    edit.SetSelectionStrikeouted(false);
    Select(0, 4);
    EXPECT_FALSE(edit.SelectionIsStrikeouted());
}

TEST_F(RichEditTest, BulletsAlignmentAndColour) {
    edit.setPlainText("one\ntwo");
    Select(0, 0);
    edit.SetParagraphBulleted();
    EXPECT_TRUE(edit.ParagraphIsBulleted());
    EXPECT_EQ(edit.GetParagraphFormat().offsetTwips, 4);
    edit.SetParagraphCenter();
    EXPECT_TRUE(edit.ParagraphIsCentered());
    Select(4, 4);
    EXPECT_FALSE(edit.ParagraphIsBulleted());
    EXPECT_TRUE(edit.ParagraphIsLeft());
    edit.SetParagraphRight();
    EXPECT_TRUE(edit.ParagraphIsRight());
    Select(0, 0);
    edit.SetParagraphBulleted();
    EXPECT_FALSE(edit.ParagraphIsBulleted());
    EXPECT_EQ(edit.GetParagraphFormat().offsetTwips, 0);
    Select(0, 3);
    edit.SetSelectionTextColor(RGB(1, 2, 3));
    EXPECT_EQ(edit.SetSelectionTextColor(RGB(4, 5, 6)), RGB(1, 2, 3));
}

TEST_F(RichEditTest, RtfRoundTripsThroughTheControl) {
    edit.setPlainText("Жирный raised\nпункт\nright");
    Select(0, 6);
    edit.SetSelectionBold();
    Select(7, 13);
    edit.SetSuperscribe();
    Select(14, 14);
    edit.SetParagraphBulleted();
    Select(20, 20);
    edit.SetParagraphRight();
    const std::string rtf = edit.GetRTF();
    CzorRichEditCtrl other;
    ASSERT_TRUE(other.SetRTF(rtf));
    EXPECT_EQ(other.toPlainText(), edit.toPlainText());
    const std::string again = other.GetRTF();
    CzorRichEditCtrl third;
    ASSERT_TRUE(third.SetRTF(again));
    EXPECT_EQ(third.GetRTF(), again);  // the second trip gives the same bytes
    EXPECT_NE(again.find("{\\*\\pn\\pnlvlblt"), std::string::npos);
    EXPECT_NE(again.find("\\qr"), std::string::npos);
    EXPECT_NE(again.find("\\b \\'c6"), std::string::npos) << again;

    Select(7, 13);  // the selection alone, and streamed in over a selection
    const std::string part = edit.GetRTF(SF_RTF | SFF_SELECTION);
    EXPECT_EQ(ReadRtf(part).doc.paragraphs.size(), 1u);
    Select(0, 6);
    ASSERT_TRUE(edit.SetRTF(part, SF_RTF | SFF_SELECTION));
    EXPECT_TRUE(edit.toPlainText().startsWith("raised raised"));
    EXPECT_EQ(edit.GetRTF(SF_TEXT).substr(0, 13), "raised raised");
}

TEST_F(RichEditTest, SystemFontsAreScalable) {
    std::vector<std::string> faces{"kept"};
    edit.GetSystemFonts(faces);
    EXPECT_EQ(faces.front(), "kept");
}

}  // namespace

namespace {

// The format query keeps in its mask only what was asked for and holds over the whole selection.
TEST_F(RichEditTest, GetCharFormatReportsWhatTheSelectionAgreesOn) {
    edit.setPlainText("abcd");
    Select(0, 4);
    edit.SetFontSize(14);
    Select(0, 2);
    edit.SetSelectionBold(true);
    Select(0, 1);
    edit.SetSelectionTextColor(RGB(200, 0, 0));
    Select(3, 4);
    edit.SetSuperscribe();  // 14 points drawn two table entries smaller (11), raised

    struct Case { int from, to; uint32_t mask, gotMask, effects; int height, offset; };
    const uint32_t styles = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    const Case cases[] = {
        {0, 1, CFM_ALL, CFM_ALL, CFE_BOLD, 280, 0},                            // one red bold character
        {0, 2, CFM_ALL, CFM_ALL & ~CFM_COLOR, CFE_BOLD, 280, 0},               // the colour differs
        {1, 3, CFM_BOLD | CFM_SIZE, CFM_SIZE, CFE_BOLD, 280, 0},               // bold differs; first is bold
        {2, 3, CFM_ALL, CFM_ALL, CFE_AUTOCOLOR, 280, 0},                       // plain, automatic colour
        {0, 4, styles | CFM_SIZE | CFM_OFFSET, CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT, CFE_BOLD, 280, 0},
        {3, 4, CFM_SIZE | CFM_OFFSET, CFM_SIZE | CFM_OFFSET, 0, 220, 146},     // raised: drawn smaller
        {0, 1, CFM_FACE, CFM_FACE, 0, 0, 0},                                   // nothing else is filled
        {0, 4, 0, 0, 0, 0, 0},
        {2, 2, CFM_ALL, CFM_ALL, CFE_BOLD | CFE_AUTOCOLOR, 280, 0},            // the caret's: of the "b" before it
    };
    for (const Case& c : cases) {
        Select(c.from, c.to);
        const RichCharFormat f = edit.GetCharFormat(c.mask);
        EXPECT_EQ(f.dwMask, c.gotMask) << c.from << "-" << c.to << " mask " << std::hex << c.mask;
        EXPECT_EQ(f.dwEffects, c.effects) << c.from << "-" << c.to;
        EXPECT_EQ(f.yHeight, c.height) << c.from << "-" << c.to;
        EXPECT_EQ(f.yOffset, c.offset) << c.from << "-" << c.to;
    }
    Select(0, 2);
    const RichCharFormat f = edit.GetCharFormat();
    EXPECT_EQ(f.crTextColor, RGB(200, 0, 0));
    EXPECT_EQ(f.szFaceName, "Arial");
    EXPECT_EQ(f.bCharSet, kRtfCharsetCyrillic);
}

TEST_F(RichEditTest, FontNameSizeAndCharsetReachTheRtf) {
    edit.setPlainText("ab");
    Select(0, 1);
    edit.SetFontName("Liberation Serif");
    edit.SetFontSize(14);
    edit.SetSelectionCharSet(0);
    EXPECT_EQ(edit.GetSelectionFontName(), "Liberation Serif");
    EXPECT_EQ(edit.GetSelectionFontSize(), 14);
    const std::string rtf = edit.GetRTF();
    EXPECT_NE(rtf.find("{\\f0\\fcharset0 Liberation Serif;}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\f0\\fs28 a}"), std::string::npos) << rtf;
}

}  // namespace

namespace {

TEST_F(RichEditTest, FontAndColourDialogsApplyTheChoiceAndTellTheParent) {
    edit.setPlainText("ab");
    Select(0, 2);
    std::vector<int> told;
    QObject::connect(&edit, &CzorRichEditCtrl::fontChosen, [&](int id) { told.push_back(id); });
    auto previousFont = CzorRichEditCtrl::SetFontChooser([](QFont&, QWidget*) { return false; });
    EXPECT_FALSE(edit.SelectFont());  // cancelled: nothing applied, nobody told
    EXPECT_TRUE(told.empty());
    CzorRichEditCtrl::SetFontChooser([](QFont& f, QWidget*) {
        f = QFont("Liberation Mono", 200);  // beyond the dialog's sizes
        f.setBold(true);
        f.setUnderline(true);
        return true;
    });
    EXPECT_TRUE(edit.SelectFont());
    EXPECT_EQ(told, std::vector<int>{kRichEditFontChosenId});
    EXPECT_EQ(edit.GetSelectionFontName(), "Liberation Mono");
    EXPECT_EQ(edit.GetSelectionFontSize(), 144);
    EXPECT_TRUE(edit.SelectionIsBold());
    EXPECT_TRUE(edit.SelectionIsUnderlined());
    EXPECT_FALSE(edit.SelectionIsItalic());
    CzorRichEditCtrl::SetFontChooser(previousFont);

    auto previousColor = CzorRichEditCtrl::SetColorChooser([](QColor& c, QWidget*) { c = QColor(10, 20, 30); return true; });
    edit.SelectColor();
    EXPECT_EQ(edit.SetSelectionTextColor(RGB(0, 0, 0)), RGB(10, 20, 30));
    CzorRichEditCtrl::SetColorChooser(previousColor);
}

}  // namespace
