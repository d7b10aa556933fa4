#include "controls/text/static_label.h"

#include <QImage>

#include "controls/desktop_opener.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"
#include "platform/gdi/sys_colors.h"

namespace {

using namespace zor;

TEST(StaticRules, Alignment) {
    struct Case { unsigned stored, value, expected; };
    const Case cases[] = {
        {9, 7, 1},                  // left wins, no vertical flag added
        {9, 6, 2},                  // centre before right
        {9, 4, 4},
        {9, 4 | 32, 4 | 32},
        {9, 2 | 16 | 8, 2 | 16},    // centre before top
        {9, 1 | 8 | 32, 1 | 32},    // bottom before the rest
        {2 | 8, 32, 2 | 8 | 32},    // no horizontal flag: stored flags kept, vertical added
        {2 | 8, 0, 2 | 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplyStaticAlignment(c.stored, c.value), c.expected) << c.stored << " " << c.value;
}

TEST(StaticRules, BoldIsABitTest) {
    struct Case { int weight, bold; };
    for (const Case c : {Case{400, 0}, Case{700, 1}, Case{800, 0}, Case{900, 0}, Case{1023, 1}, Case{0, 0}})
        EXPECT_EQ(FontBoldOfWeight(c.weight), c.bold) << c.weight;
}

TEST(StaticRules, FlashColoursAndFontHeights) {
    EXPECT_EQ(FlashBackColor(RGB(10, 20, 30), false, false), RGB(10, 20, 30));
    EXPECT_EQ(FlashBackColor(RGB(10, 20, 30), false, true), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(FlashBackColor(0x00C0C0C0, true, true), 0x00606060u);
    EXPECT_EQ(PixelSizeOfLogHeight(-13, 11, 0.8), 13);
    EXPECT_EQ(PixelSizeOfLogHeight(20, 11, 0.8), 16);
    EXPECT_EQ(PixelSizeOfLogHeight(0, 11, 0.8), 11);
}

class StaticTest : public GuiFixture {
protected:
    CzorStatic label;
};

TEST_F(StaticTest, SettersChainAndGettersReadBack) {
    CzorStatic& same = label.SetText("Текст").SetTextColor(RGB(1, 2, 3)).SetBkColor(RGB(4, 5, 6))
                           .SetTextBackColor(RGB(7, 8, 9)).SetHighLightColor(RGB(9, 9, 9)).SetFontName("Liberation Serif")
                           .SetFontSize(-15).SetFontItalic(1).SetFontUnderline(1).SetFontBold(1).SetAngle(90)
                           .SetVerticalText(1).SetUpperCase(1).UseBevelLine(1).SetLink(1).StretchBitmap(1);
    EXPECT_EQ(&same, &label);
    EXPECT_EQ(label.GetText(), "Текст");
    EXPECT_EQ(label.GetTextColor(), RGB(1, 2, 3));
    EXPECT_EQ(label.GetBkColor(), RGB(4, 5, 6));
    EXPECT_EQ(label.GetTextBackColor(), RGB(7, 8, 9));
    EXPECT_EQ(label.GetHighLightColor(), RGB(9, 9, 9));
    EXPECT_FALSE(label.IsDefaultTextColor() || label.IsDefaultBkColor() || label.IsDefaultTextBackColor());
    EXPECT_EQ(label.GetFontName(), "Liberation Serif");
    EXPECT_EQ(label.GetFontSize(), -15);
    EXPECT_EQ(label.font().pixelSize(), 15);
    EXPECT_EQ(label.GetFontItalic(), 1);
    EXPECT_EQ(label.GetFontUnderline(), 1);
    EXPECT_EQ(label.GetFontBold(), 1);
    EXPECT_EQ(label.GetAngle(), 90u);
    EXPECT_EQ(label.GetVerticalText(), 1);
    EXPECT_EQ(label.IsUpperCase(), 1);
    label.SetLowerCase(1);
    EXPECT_EQ(label.IsUpperCase(), 0);
    EXPECT_EQ(label.IsLowerCase(), 1);
    EXPECT_EQ(label.GetBevelLine(), 1);
    EXPECT_EQ(label.GetLink(), 1);
    EXPECT_EQ(label.IsBitmapStretched(), 1);
    EXPECT_EQ(label.IsToolTipUsed(), 0);
    label.SetDefaultTextColor().SetDefaultBkColor().SetDefaultTextBackColor();
    EXPECT_TRUE(label.IsDefaultTextColor() && label.IsDefaultBkColor() && label.IsDefaultTextBackColor());
    EXPECT_EQ(label.GetBkColor(), GetSysColor(COLOR_BTNFACE));
}

TEST_F(StaticTest, AlignmentFramesAndDisabling) {
    EXPECT_EQ(label.GetAlignment(), 9u);
    label.SetAlignment(7);
    EXPECT_EQ(label.GetHorzAlignment(), 1u);
    label.SetAlignment(4 | 16);
    EXPECT_EQ(label.GetHorzAlignmentIndex(), 2u);
    EXPECT_EQ(label.GetVertAlignmentIndex(), 1u);
    EXPECT_EQ(label.alignment(), Qt::AlignRight | Qt::AlignVCenter);
    for (int on : {1, 0}) {
        label.SetSunken(on);
        EXPECT_EQ(label.GetSunken() != 0, on != 0);
        label.SetBorder(on);
        EXPECT_EQ(label.GetBorder() != 0, on != 0);
        label.SetDisabled(on);
        EXPECT_EQ(label.IsDisabled() != 0, on != 0);
    }
}

TEST_F(StaticTest, BackImageFromAPixmapOrTheHostsLoader) {
    QPixmap image(8, 8);
    image.fill(Qt::red);
    label.SetBackImage(image);
    EXPECT_TRUE(label.HasBackImage());
    label.SetBackImage(static_cast<unsigned>(-1));
    EXPECT_FALSE(label.HasBackImage());
    CzorStatic::SetBitmapLoader([&](unsigned id) { return id == 7 ? image : QPixmap(); });
    label.SetBackImage(7u);
    EXPECT_TRUE(label.HasBackImage());
    label.SetBackImage(8u);
    EXPECT_FALSE(label.HasBackImage());
    CzorStatic::SetBitmapLoader({});
}

TEST_F(StaticTest, FlashingPhasesKeepTheStoredText) {
    label.SetText("blink").SetBkColor(RGB(0, 0, 255));
    label.FlashText(1, 500);
    label.OnTextFlashTick();
    EXPECT_EQ(label.ShownText(), "");
    EXPECT_EQ(label.GetText(), "blink");
    label.OnTextFlashTick();
    EXPECT_EQ(label.ShownText(), "blink");
    label.OnTextFlashTick();
    label.FlashText(0, 0);  // stopping restores the text
    EXPECT_EQ(label.ShownText(), "blink");

    label.FlashBackground(1, 500);
    EXPECT_EQ(label.CurrentBackColor(), RGB(0, 0, 255));
    label.OnBackFlashTick();
    EXPECT_EQ(label.CurrentBackColor(), GetSysColor(COLOR_BTNFACE));
    label.OnBackFlashTick();
    EXPECT_EQ(label.CurrentBackColor(), RGB(0, 0, 255));
    label.OnBackFlashTick();
    label.FlashBackground(0, 0);
    EXPECT_FALSE(label.BackFlashOff());
}

TEST_F(StaticTest, HoverHighlightsAndLinkOpensTheText) {
    label.SetText("https://example.org/").SetTextColor(RGB(1, 1, 1)).SetHighLightColor(RGB(2, 2, 2));
    label.OnHover();  // without highlighting nothing changes
    EXPECT_EQ(label.GetTextColor(), RGB(1, 1, 1));
    label.UseHighLighting(1);
    label.OnHover();
    EXPECT_EQ(label.GetTextColor(), RGB(2, 2, 2));
    label.UseHighLighting(0);
    EXPECT_EQ(label.GetTextColor(), RGB(1, 1, 1));

    std::vector<std::string> opened;
    const UrlOpener previous = SetUrlOpener([&](const std::string& t) { opened.push_back(t); return true; });
    label.resize(100, 20);
    SendClick(&label, QPoint(5, 5));
    EXPECT_TRUE(opened.empty());
    label.SetLink(1);
    SendClick(&label, QPoint(5, 5));
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/"});
    SetUrlOpener(previous);
}

TEST_F(StaticTest, PaintsEveryMode) {
    label.resize(120, 120);
    QPixmap image(10, 10);
    image.fill(Qt::green);
    label.SetText("Ab\ncd").SetBkColor(RGB(255, 255, 0));
    for (unsigned angle : {0u, 90u, 180u, 270u})
        for (int vertical : {0, 1}) {
            label.SetAngle(angle).SetVerticalText(vertical).UseBevelLine(1).SetBackImage(angle == 0 ? image : QPixmap());
            const QImage shot = label.grab().toImage();
            EXPECT_EQ(shot.pixelColor(1, 1), QColor(255, 255, 0)) << angle << vertical;
        }
    label.SetText("<b>x</b>").ForceNoOwnerDraw(1);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);  // the host's text is never markup
    EXPECT_FALSE(label.grab().isNull());
}

}  // namespace
