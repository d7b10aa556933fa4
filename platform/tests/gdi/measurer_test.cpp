#include <cmath>
#include <thread>

#include <QFontInfo>
#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/gdi/fixed_text_measurer.h"
#include "platform/gdi/qt_text_measurer.h"
#include "platform/tests/gdi/image_probe.h"

using namespace gdi_test;

namespace {

LOGFONT PointFont(int tenthsOfPoint, const char* face = "Arial", int weight = FW_NORMAL) {
    LOGFONT lf;
    lf.lfHeight = tenthsOfPoint;
    lf.lfWeight = weight;
    lf.SetFaceName(face);
    return lf;
}

}  // namespace

TEST(FixedTextMeasurer, EveryCharacterIsTheSameFractionOfTheEm) {
    const CFixedTextMeasurer m;
    struct Case { int height; std::string text; double width; };
    const Case cases[] = {
        {360, "", 0.0},
        {360, "abcd", 254.0},
        {360, "Привет", 381.0},             // six characters in twelve bytes
        {360, "a\xff" "b", 190.5},          // an ill-formed byte is one character
        {720, "ab", 254.0},
        {-720, "ab", 254.0},                // the sign of a height is not a size
        {0, "abc", 0.0},
        {80, "x", 0.5 * 80 * 254.0 / 720.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(m.TextWidth(PointFont(c.height), c.text), c.width) << c.text << " at " << c.height;

    const CFontMetricsF fm = m.FontMetrics(PointFont(720));
    EXPECT_DOUBLE_EQ(fm.ascent, 203.2);
    EXPECT_DOUBLE_EQ(fm.descent, 50.8);
    EXPECT_DOUBLE_EQ(fm.internalLeading, 0.0);
    EXPECT_EQ(m.GetTextExtent(PointFont(720), "abc"), CSize(381, 254));

    const CFixedTextMeasurer tall(CFixedMetrics{0.25, 1.0, 0.5, 0.1});
    const TEXTMETRIC tm = tall.GetTextMetrics(PointFont(720));
    EXPECT_EQ(tm.tmAscent, 254);
    EXPECT_EQ(tm.tmDescent, 127);
    EXPECT_EQ(tm.tmHeight, 381);
    EXPECT_EQ(tm.tmInternalLeading, 127);
    EXPECT_EQ(tm.tmExternalLeading, 25);
    EXPECT_EQ(tm.tmAveCharWidth, 64);
}

TEST(FixedTextMeasurer, PrefixWidthsMatchTheWidthOfEachPrefix) {
    const CFixedTextMeasurer m;
    std::vector<double> widths;
    m.PrefixWidths(PointFont(100), "Ёж ok", widths);
    ASSERT_EQ(widths.size(), 5u);
    EXPECT_EQ(widths[1], m.TextWidth(PointFont(100), "Ёж"));
    EXPECT_EQ(widths[4], m.TextWidth(PointFont(100), "Ёж ok"));
    m.PrefixWidths(PointFont(100), "", widths);
    EXPECT_TRUE(widths.empty());
}

TEST(TextMeasurerScope, OverridesNestAndComeBack) {
    CTextMeasurer* const original = &CurrentTextMeasurer();
    EXPECT_EQ(original, &CQtTextMeasurer::Instance());
    CFixedTextMeasurer a, b;
    {
        CScopedTextMeasurer sa(a);
        EXPECT_EQ(&CurrentTextMeasurer(), &a);
        {
            CScopedTextMeasurer sb(b);
            EXPECT_EQ(&CurrentTextMeasurer(), &b);
        }
        EXPECT_EQ(&CurrentTextMeasurer(), &a);
    }
    EXPECT_EQ(&CurrentTextMeasurer(), original);
}

TEST(QtTextMeasurer, TemplateFacesResolveToMetricCompatibleFaces) {
    EXPECT_EQ(QFontInfo(MakeQtFont(PointFont(100, "Arial"))).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(MakeQtFont(PointFont(100, "Times New Roman"))).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(MakeQtFont(PointFont(100, "Courier New"))).family(), "Liberation Mono");
    EXPECT_EQ(QFontInfo(MakeQtFont(PointFont(100, ""))).family(), "Liberation Sans");

    // Widths in ems of the well-known advances of these faces.
    const CQtTextMeasurer& m = CQtTextMeasurer::Instance();
    const double em = PointFontEmHeight(PointFont(720));
    struct Case { const char* face; const char* text; double ems; };
    const Case cases[] = {
        {"Arial", "Hello", 0.722 + 0.556 + 0.222 + 0.222 + 0.556},
        {"Courier New", "Жизнь 12", 8 * 0.6},
        {"Times New Roman", "iii", 3 * 0.278},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(m.TextWidth(PointFont(720, c.face), c.text) / em, c.ems, c.ems * 0.01) << c.face;
    const CFontMetricsF fm = m.FontMetrics(PointFont(720, "Arial"));
    EXPECT_NEAR(fm.ascent / em, 0.905, 0.01);
    EXPECT_NEAR(fm.descent / em, 0.212, 0.01);
    EXPECT_NEAR(fm.internalLeading / em, 0.117, 0.01);
}

TEST(QtTextMeasurer, MeasuresAreStableLinearAndIndependentOfTheDevice) {
    const CQtTextMeasurer& m = CQtTextMeasurer::Instance();
    const std::string text = "Итого по разделу: 1 234,56 руб.";
    const double w10 = m.TextWidth(PointFont(100), text);
    EXPECT_EQ(m.TextWidth(PointFont(100), text), w10);  // the same again, from the cache
    CQtTextMeasurer fresh;
    EXPECT_EQ(fresh.TextWidth(PointFont(100), text), w10);  // and from a cold one
    EXPECT_NEAR(m.TextWidth(PointFont(200), text), 2 * w10, 1e-9 * w10);
    EXPECT_GT(m.TextWidth(PointFont(100, "Arial", FW_BOLD), text), w10);

    std::vector<double> prefixes;
    m.PrefixWidths(PointFont(100), text, prefixes);
    ASSERT_EQ(prefixes.size(), 31u);
    EXPECT_EQ(prefixes.back(), w10);
    EXPECT_EQ(prefixes[4], m.TextWidth(PointFont(100), "Итого"));

    // Contexts of any resolution report the same logical extent.
    CFont font;
    const LOGFONT lf = PointFont(100);
    font.CreatePointFontIndirect(&lf);
    const CSize expected = m.GetTextExtent(lf, text);
    EXPECT_EQ(expected.cx, RoundToUnit(w10));
    for (double dpi : {72.0, 96.0, 144.0, 300.0, 1200.0}) {
        QImage image = BlankImage(10, 10, dpi);
        CDC dc(&image);
        dc.SelectObject(&font);
        EXPECT_EQ(dc.GetTextExtent(text), expected) << dpi;
    }
    CDC measuring;
    measuring.SelectObject(&font);
    EXPECT_EQ(measuring.GetTextExtent(text), expected);
}

TEST(QtTextMeasurer, ThreadsMeasureTheSameAsTheMainThread) {
    const CQtTextMeasurer& m = CQtTextMeasurer::Instance();
    const std::string text = "Параллельное измерение строк";
    const double expected = m.TextWidth(PointFont(90, "Times New Roman"), text);
    std::vector<double> results(4, 0.0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) results[t] = m.TextWidth(PointFont(90, "Times New Roman"), text);
        });
    for (auto& t : threads) t.join();
    for (double r : results) EXPECT_EQ(r, expected);
}
