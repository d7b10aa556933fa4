// Without a QGuiApplication Qt's fonts cannot be reached: measuring must neither crash nor stop, and
// answers with the fixed metrics (a batch tool that forgot its application still runs).
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/gdi/fixed_text_measurer.h"
#include "platform/gdi/qt_text_measurer.h"

TEST(QtTextMeasurerWithoutApplication, FallsBackToFixedMetrics) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    LOGFONT lf;
    lf.lfHeight = 360;
    lf.SetFaceName("Arial");
    const CFixedTextMeasurer fixed;
    const CQtTextMeasurer& qt = CQtTextMeasurer::Instance();
    EXPECT_EQ(qt.TextWidth(lf, "abcd"), fixed.TextWidth(lf, "abcd"));
    EXPECT_EQ(qt.GetTextExtent(lf, "abcd"), fixed.GetTextExtent(lf, "abcd"));
    std::vector<double> widths;
    qt.PrefixWidths(lf, "ab", widths);
    EXPECT_EQ(widths.size(), 2u);

    CDC dc;
    CFont font;
    font.CreatePointFontIndirect(&lf);
    dc.SelectObject(&font);
    EXPECT_EQ(dc.GetTextExtent("abcd"), CSize(254, 127));
}
