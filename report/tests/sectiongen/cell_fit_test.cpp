// A cell's text is taken as one line without breaking only where breaking would give the same line, with
// character widths that are whole units and widths that are not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/generation/cell_fit.h"
#include "report/model/text_value.h"
#include "report/tests/model/model_fixture.h"

namespace {

struct Case {
    const char* name;
    std::string text;
    int width;
    bool clearly;  // with ten units a character
};

TEST(CellFit, OneLineOnlyWhereBreakingAgrees) {
    const Case cases[] = {
        {"short text", "Гайка М6", 200, true},
        {"half a unit a character to spare", "abcde", 53, true},
        {"exact fit is left to the breaking", "abcde", 50, false},
        {"too long", "Болт М6х20 ГОСТ 7798-70", 100, false},
        {"line feed inside", "ab\ncd", 1000, false},
        {"carriage return", "ab\r", 1000, false},
        {"blank in front", " ab", 1000, false},
        {"blank behind", "ab ", 1000, false},
        {"empty", "", 1000, false},
        {"no width", "a", -1, false},
        {"ill-formed bytes", std::string("a\xff\xfe") + "b", 1000, true},
        {"beyond Cyrillic", "日本語", 1000, true},
    };
    // The second measurer's characters are 10.4 units wide and round to 10: a sum of rounded widths
    // would call "abcde" (52 units) fitting in 50.
    for (const double charWidth : {10.0, 10.4}) {
        CFixedMetrics metrics = model_test::TenUnitMetrics();
        metrics.charWidth *= charWidth / 10.0;
        CFixedTextMeasurer measurer(metrics);
        CScopedTextMeasurer scoped(measurer);
        CDC dc;
        CFont font;
        const LOGFONT lf = model_test::TenUnitFont();
        font.CreatePointFontIndirect(&lf, &dc);
        dc.SelectObject(&font);
        CCharWidths widths;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(charWidth));
            const bool clearly = widths.ClearlyFits(dc, c.text, c.width);
            if (charWidth == 10.0) {
                EXPECT_EQ(clearly, c.clearly);
            }
            if (!clearly) continue;
            std::vector<std::string> lines;
            EXPECT_EQ(CTextValue::BreakString(&lines, c.width, &dc, c.text), 1);
            EXPECT_EQ(lines, std::vector<std::string>{c.text});
        }
    }
}

}  // namespace
