// The position page without widgets: millimetre fields over tenths of a millimetre.
#include <gtest/gtest.h>

#include "platform/ui/messages.h"
#include "report/dialogs/position_logic.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"

namespace {

struct Box {
    int x, y, cx, cy, lineWidth, fixed;
};

class PositionPageTest : public ::testing::Test {
protected:
    CReportElement* Make(const Box& b, int kind = kElemRect) {
        elements.push_back(std::make_unique<CReportElement>(&manager));
        CReportElement* e = elements.back().get();
        e->SetKind(kind);
        e->SetOrigin(CPoint(b.x, b.y));
        e->SetSize(CSize(b.cx, b.cy));
        e->SetLineWidth(b.lineWidth);
        e->SetFixed(b.fixed);
        return e;
    }
    static Box BoxOf(const CReportElement* e) {
        return {e->GetOrigin().x, e->GetOrigin().y, e->GetSize().cx, e->GetSize().cy, e->GetLineWidth(), e->GetFixed()};
    }
    static void ExpectBox(const CReportElement* e, const Box& b) {
        const Box got = BoxOf(e);
        EXPECT_EQ(got.x, b.x);
        EXPECT_EQ(got.y, b.y);
        EXPECT_EQ(got.cx, b.cx);
        EXPECT_EQ(got.cy, b.cy);
        EXPECT_EQ(got.lineWidth, b.lineWidth);
        EXPECT_EQ(got.fixed, b.fixed);
    }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
    std::vector<std::unique_ptr<CReportElement>> elements;
};

TEST_F(PositionPageTest, OneElementOpensInMillimetresAndWritesBackTruncated) {
    CReportElement* e = Make({100, -500, 300, 200, 5, 0});
    CPositionPageLogic page({e}, e, 0);
    EXPECT_EQ(page.m_X, "10");
    EXPECT_EQ(page.m_Y, "30");
    EXPECT_EQ(page.m_Width, "30");
    EXPECT_EQ(page.m_Height, "20");
    EXPECT_EQ(page.m_LineWidth, "0.5");
    EXPECT_FALSE(page.m_bFixed);
    EXPECT_FALSE(page.ReadOnly());

    // Unchanged fields give the element back as it was.
    ASSERT_TRUE(page.Apply());
    ExpectBox(e, {100, -500, 300, 200, 5, 0});

    struct Case {
        const char *x, *y, *width, *height, *lineWidth;
        bool fixed;
        Box expected;
    };
    const Case cases[] = {
        {"12.34", "40.06", "50.19", "25.55", "1.27", true, {123, -655, 501, 255, 12, 1}},
        {"-1.05", "0", "0", "0.01", "0", false, {-10, 0, 0, 0, 0, 0}},
        {"0", "-2.57", "-3.3", "-1.99", "10", false, {0, 44, -33, -19, 100, 0}},
    };
    for (const Case& c : cases) {
        page.m_X = c.x;
        page.m_Y = c.y;
        page.m_Width = c.width;
        page.m_Height = c.height;
        page.m_LineWidth = c.lineWidth;
        page.m_bFixed = c.fixed;
        ASSERT_TRUE(page.Apply()) << c.x;
        ExpectBox(e, c.expected);
    }
    EXPECT_TRUE(sink.Texts().empty());
}

TEST_F(PositionPageTest, BadFieldsKeepTheDialogOpenAndChangeNothing) {
    CReportElement* e = Make({100, -500, 300, 200, 5, 0});
    struct Case {
        const char* field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"x", "abc", "Введите число."},     {"y", "", "Введите число."},
        {"cx", "1,5", "Введите число."},    {"lw", "10.5", "Введите число от 0 до 10."},
        {"lw", "-0.1", "Введите число от 0 до 10."}, {"lw", "", "Введите число от 0 до 10."},
    };
    for (const Case& c : cases) {
        sink.Clear();
        CPositionPageLogic page({e}, e, 0);
        page.m_Height = "99";
        std::string* field = std::string(c.field) == "x"    ? &page.m_X
                             : std::string(c.field) == "y"  ? &page.m_Y
                             : std::string(c.field) == "cx" ? &page.m_Width
                                                            : &page.m_LineWidth;
        *field = c.text;
        EXPECT_FALSE(page.Apply()) << c.field << " " << c.text;
        EXPECT_EQ(sink.Texts(), std::vector<std::string>{c.message}) << c.field << " " << c.text;
        ExpectBox(e, {100, -500, 300, 200, 5, 0});
    }
}

TEST_F(PositionPageTest, SeveralElementsChangeOnlyWhatWasFilledOrChanged) {
    CReportElement* line = Make({0, -100, 500, -300, 3, 1}, kElemLine);
    CReportElement* text = Make({100, -500, 300, 200, 7, 0});
    CPositionPageLogic page({line, text}, text, 0);
    for (const std::string* f : {&page.m_X, &page.m_Y, &page.m_Width, &page.m_Height}) EXPECT_EQ(*f, "");
    EXPECT_EQ(page.m_LineWidth, "0.7");

    // Nothing filled, nothing changed: every element keeps its own line width and fixed flag.
    ASSERT_TRUE(page.Apply());
    ExpectBox(line, {0, -100, 500, -300, 3, 1});
    ExpectBox(text, {100, -500, 300, 200, 7, 0});

    // Y with a new height: the upper edge of each lies at Y, from its new height.
    page.m_Y = "10";
    page.m_Height = "5";
    ASSERT_TRUE(page.Apply());
    ExpectBox(line, {0, -150, 500, 50, 3, 1});
    ExpectBox(text, {100, -150, 300, 50, 7, 0});

    // Y alone: each element's own height.
    CPositionPageLogic moved({line, text}, text, 0);
    moved.m_X = "2";
    moved.m_Y = "20";
    moved.m_LineWidth = "0.2";
    moved.m_bFixed = true;
    text->SetSize(CSize(300, 100));
    ASSERT_TRUE(moved.Apply());
    ExpectBox(line, {20, -250, 500, 50, 2, 1});
    ExpectBox(text, {20, -300, 300, 100, 2, 1});
    EXPECT_TRUE(sink.Texts().empty());
}

TEST_F(PositionPageTest, AReportLeavesEveryElementAsItWas) {
    CReportElement* e = Make({100, -500, 300, 200, 5, 0});
    CPositionPageLogic page({e}, e, 1);
    EXPECT_TRUE(page.ReadOnly());
    EXPECT_EQ(page.m_X, "10");
    page.m_X = "50";
    page.m_LineWidth = "nonsense";
    page.m_bFixed = true;
    EXPECT_TRUE(page.Apply());
    ExpectBox(e, {100, -500, 300, 200, 5, 0});
    EXPECT_TRUE(sink.Texts().empty());
}

}  // namespace
