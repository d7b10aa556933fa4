#include "controls/text/text_rotator.h"

#include <QPainter>

#include "controls/tests/gui_fixture.h"
#include "platform/gdi/sys_colors.h"

namespace {

using namespace zor;

constexpr QRgb kFill = 0xFF000000;

// A 3 × 2 text rectangle in a 3 × 3 square whose pixels are numbered 1..6 row by row.
QImage Numbered() {
    QImage img(3, 3, QImage::Format_RGB32);
    img.fill(kFill);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            img.setPixel(x, y, 0xFF000000 | static_cast<QRgb>(1 + x + 3 * y));
    return img;
}

std::vector<int> Rows(const QImage& img) {
    std::vector<int> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            out.push_back(static_cast<int>(img.pixel(x, y) & 0xFFFFFF));
    return out;
}

TEST(TurnText, PixelMapsAreExact) {
    struct Case { int angle; std::vector<int> rows; };
    const Case cases[] = {
        {0, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
        {90, {4, 1, 0, 5, 2, 0, 6, 3, 0}},   // (x, y) -> (height - 1 - y, x)
        {180, {6, 5, 4, 3, 2, 1, 0, 0, 0}},  // (x, y) -> (width - 1 - x, height - 1 - y)
        {270, {3, 6, 0, 2, 5, 0, 1, 4, 0}},  // (x, y) -> (y, width - 1 - x)
        {45, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(TurnText(Numbered(), 3, 2, c.angle, kFill)), c.rows) << c.angle;
}

class TextRotatorTest : public GuiFixture {
protected:
    TextRotatorTest() : target(200, 100, QImage::Format_RGB32), painter(&target) {
        target.fill(Qt::white);
        painter.setFont(QFont("Liberation Sans", 10));
    }
    QImage target;
    QPainter painter;
};

TEST_F(TextRotatorTest, NothingBeforeTheFirstRotation) {
    CzorTextRotator r(&painter, "text", 0, 0);
    EXPECT_EQ(r.GetRotatedDC(), nullptr);
    EXPECT_EQ(r.BitBltText(0, 0), 0);
    EXPECT_EQ(r.BitBltText(CRect(0, 0, 50, 50)), 0);
    EXPECT_TRUE(r.GetRotatedRect().IsRectEmpty());
    CzorTextRotator empty(&painter, "\n\n", 0, 0);
    EXPECT_EQ(empty.RotateText(90), 0);
    EXPECT_EQ(empty.GetRotatedDC(), nullptr);
}

TEST_F(TextRotatorTest, SizesAndLines) {
    CzorTextRotator r(&painter, "Wide text", 0, 0);
    ASSERT_NE(r.RotateText(0), 0);
    const CRect flat = r.GetRotatedRect();
    for (unsigned angle : {90u, 270u}) {
        ASSERT_NE(r.RotateText(angle), 0);
        EXPECT_EQ(r.GetRotatedRect().Width(), flat.Height()) << angle;
        EXPECT_EQ(r.GetRotatedRect().Height(), flat.Width()) << angle;  // as tall as the text is wide
    }
    ASSERT_NE(r.RotateText(180), 0);
    EXPECT_EQ(r.GetRotatedRect(), flat);

    CzorTextRotator twoBreaks(&painter, "a\n\nb", 0, 0), oneBreak(&painter, "a\nb", 0, 0), one(&painter, "a", 0, 0);
    ASSERT_NE(twoBreaks.RotateText(0), 0);
    ASSERT_NE(oneBreak.RotateText(0), 0);
    ASSERT_NE(one.RotateText(0), 0);
    EXPECT_EQ(twoBreaks.GetRotatedRect().Height(), 2 * one.GetRotatedRect().Height());
    EXPECT_EQ(*twoBreaks.GetRotatedDC(), *oneBreak.GetRotatedDC());

    CzorTextRotator copy = twoBreaks;  // shares the image; both stay valid
    twoBreaks.RotateText(90);
    EXPECT_EQ(*copy.GetRotatedDC(), *oneBreak.GetRotatedDC());
}

// Where the text lands in a 200 × 100 target and where the etched lines run.
TEST_F(TextRotatorTest, PlacementAndBevelLines) {
    const QRgb shadow = QColor(GetRValue(GetSysColor(COLOR_3DSHADOW)), GetGValue(GetSysColor(COLOR_3DSHADOW)),
                               GetBValue(GetSysColor(COLOR_3DSHADOW))).rgb();
    struct Case { unsigned angle, horz, vert; bool left, right, above, below; };
    const Case cases[] = {
        {0, 0, 0, false, true, false, false}, {0, 1, 1, true, true, false, false}, {0, 2, 2, true, false, false, false},
        {90, 0, 0, false, false, false, true}, {270, 1, 1, false, false, true, true}, {90, 2, 2, false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.angle << " " << c.horz << " " << c.vert);
        target.fill(Qt::white);
        CzorTextRotator r(&painter, "Ab", c.horz, c.vert);
        r.SetBackgroundColor(RGB(255, 255, 0));
        r.DrawBevelLine(true);
        ASSERT_NE(r.RotateText(c.angle), 0);
        ASSERT_NE(r.BitBltText(CRect(0, 0, 200, 100)), 0);
        const int w = r.GetRotatedRect().Width(), h = r.GetRotatedRect().Height();
        const int x = c.horz == 2 ? 200 - w : c.horz == 1 ? (200 - w) / 2 : 0;
        const int y = c.vert == 2 ? 100 - h : c.vert == 1 ? (100 - h) / 2 : 0;
        EXPECT_EQ(target.pixel(x, y), QColor(255, 255, 0).rgb());  // the text's background at its corner
        const int midY = y + h / 2, midX = x + w / 2;
        if (c.angle == 0) {
            EXPECT_EQ(target.pixel(194, midY) == shadow, c.right);
            EXPECT_EQ(target.pixel(6, midY) == shadow, c.left);
            EXPECT_NE(target.pixel(195, midY), shadow);  // stops 6 pixels from the edge
        } else {
            EXPECT_EQ(target.pixel(midX, 94) == shadow, c.below);
            EXPECT_EQ(target.pixel(midX, 6) == shadow, c.above);
        }
    }
}

TEST_F(TextRotatorTest, DisabledTextIsEmbossed) {
    CzorTextRotator r(&painter, "Ab", 0, 0);
    r.SetDisabledText(true);
    ASSERT_NE(r.RotateText(0), 0);
    const QImage& img = *r.GetRotatedDC();
    const QRgb light = QColor(GetRValue(GetSysColor(COLOR_3DHILIGHT)), GetGValue(GetSysColor(COLOR_3DHILIGHT)),
                              GetBValue(GetSysColor(COLOR_3DHILIGHT))).rgb();
    bool sawLight = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            sawLight |= img.pixel(x, y) == light;
    EXPECT_TRUE(sawLight);
}

}  // namespace
