// What an element's text shows and at which size fit text draws it (fixed metrics, no painting).
#include <regex>

#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

class ElementTextTest : public ModelTest {};

TEST_F(ElementTextTest, PageFieldsAndParametersShowWhatTheModeAsks) {
    for (int i = 0; i < 12; ++i) NewSheet();
    CReportSheet* sheet = Manager().GetSheet(11);
    ASSERT_EQ(sheet->GetName(), "Лист12");
    CReportElement* e = NewRect(sheet, {0, 0}, {100, 100});
    struct Case {
        int type;
        const char* text;
        int reportMode;
        std::string shown;
        bool grey;
    } cases[] = {
        {kParamPageNumber, "", 0, "12", false},
        {kParamLocalPageNumber, "", 1, "12", false},
        {kParamPageCount, "", 0, "12", false},
        {kParamLocalPageCount, "", 1, "12", false},
        {kParamText, "ООО", 0, "Имя", true},
        {kParamText, "ООО", 1, "ООО", false},
        {kParamDate, "01.01.2001", 2, "01.01.2001", false},
    };
    for (const Case& c : cases) {
        auto* p = new CReportParam(&Manager());
        p->SetName("Имя");
        p->SetParam(c.text, c.type);
        Manager().GetParams().Add(p);
        e->GetTextValue().SetText(p);
        bool grey = !c.grey;
        EXPECT_EQ(e->DisplayText(c.reportMode, &grey), c.shown) << c.type;
        EXPECT_EQ(grey, c.grey) << c.type;
    }
    for (int type : {kParamCurrentDate, kParamReportDate}) {
        auto* p = new CReportParam(&Manager());
        p->SetParam("", type);
        Manager().GetParams().Add(p);
        e->GetTextValue().SetText(p);
        EXPECT_TRUE(std::regex_match(e->DisplayText(1), std::regex(R"(\d\d\.\d\d\.\d{4})"))) << type;
    }
    // A sheet named otherwise shows its name as it is.
    sheet->SetName("Приложение");
    auto* number = new CReportParam(&Manager());
    number->SetParam("", kParamPageNumber);
    e->GetTextValue().SetText(number);
    EXPECT_EQ(e->DisplayText(1), "Приложение");
    delete number;
}

TEST_F(ElementTextTest, ALinkWithoutParameterShowsNothingAndStaysALink) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {0, -100}, {100, 100});
    e->GetTextValue().SetText("own");
    e->GetTextValue().SetText(static_cast<CReportParam*>(nullptr));
    EXPECT_EQ(e->DisplayText(0), "");
    CDC dc;
    EXPECT_EQ(e->Draw(&dc, 1.0, 0, kDrawText | kDrawSelection), 1);
    EXPECT_EQ(e->GetTextValue().GetType(), kTextParam);
    EXPECT_EQ(e->GetTextValue().GetOwnText(), "own");
    CReportElement none(&Manager());
    EXPECT_EQ(none.DisplayText(0), "");
    EXPECT_EQ(none.Draw(nullptr, 1.0, 0, 5), 0);
    EXPECT_EQ(none.Draw(&dc, 0.0, 0, 5), 0);
}

TEST_F(ElementTextTest, FitTextShrinksToOneStepBelowTheFirstSizeThatFits) {
    CDC dc;
    const LOGFONT font = TenUnitFont();  // 5 characters: 5 · height / 72 units wide
    struct Case {
        CRect r;
        bool vertical;
        int expected;
    } cases[] = {
        {{0, 0, 50, 300}, false, 719},   // fits at once: still one step down
        {{0, 0, 40, 300}, false, 582},   // 583 is the first height whose width rounds to 40
        {{0, 0, 300, 40}, true, 582},    // turned: the height takes the length
        {{0, 0, 300, 40}, false, 114},   // 115 is the first whose cell (ascent and descent rounded) is 40
        {{0, 0, 0, 300}, false, 6},      // at 7 the text measures under half a unit
        {{0, 0, 1, 1}, false, 4},        // and at 5 its cell is one unit high
        {{0, 0, 100, -1}, false, 0},     // nothing ever fits: nothing is drawn
    };
    for (const Case& c : cases)
        EXPECT_EQ(CReportElement::FitFontHeight(&dc, font, "abcde", c.r, c.vertical), c.expected)
            << c.r.right << "x" << c.r.bottom;
    EXPECT_EQ(CReportElement::FitFontHeight(nullptr, font, "abcde", CRect(0, 0, 50, 50), false), 0);
}

}  // namespace
}  // namespace model_test
