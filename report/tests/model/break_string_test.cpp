// Line breaking, with fixed metrics in which every character is 10 units wide.
#include <random>

#include "platform/text/utf8.h"

#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

class BreakStringTest : public ::testing::Test {
protected:
    void SetUp() override {
        const LOGFONT lf = TenUnitFont();
        font.CreatePointFontIndirect(&lf, &dc);
        dc.SelectObject(&font);
    }
    CFixedTextMeasurer measurer{TenUnitMetrics()};
    CScopedTextMeasurer scoped{measurer};
    CDC dc;
    CFont font;
};

TEST_F(BreakStringTest, TableOfCases) {
    struct Case {
        const char* name;
        std::string text;
        int width;
        int count;
        std::vector<std::string> lines;
    } cases[] = {
        {"fits on one line", "один два три", 1000, 1, {"один два три"}},
        {"breaks at the last space", "один два три", 80, 2, {"один", "два три"}},
        {"explicit line feed even when it fits", "ab\ncd", 1000, 2, {"ab", "cd"}},
        {"carriage returns never count", "ab\r\ncd\r", 1000, 2, {"ab", "cd"}},
        {"word longer than the width", "абвгдежзик", 35, 4, {"абв", "где", "жзи", "к"}},
        {"ГОСТ keeps its number", "Болт стальной ГОСТ 7798-70", 230, 2, {"Болт стальной", "ГОСТ 7798-70"}},
        {"ОСТ keeps its number", "Болт ОСТ 123456", 110, 2, {"Болт", "ОСТ 123456"}},
        {"ТУ keeps its number", "Болт ТУ 123456", 100, 2, {"Болт", "ТУ 123456"}},
        {"ГОСТ at the start cannot move", "ГОСТ 12345678", 80, 2, {"ГОСТ 123", "45678"}},
        {"backslash before space", "C:\\path\\to", 60, 3, {"C:\\", "path\\", "to"}},
        {"comma when there is no space", "a,b,cdefghij", 50, 3, {"a,b,", "cdefg", "hij"}},
        {"colon before semicolon", "ab;c:defgh", 70, 2, {"ab;c:", "defgh"}},
        {"hyphen", "abc-defghij", 70, 2, {"abc-", "defghij"}},
        {"a mark at the start does not count", ",abcdefg", 40, 2, {",abc", "defg"}},
        {"blank text gives no line", "   ", 100, 0, {}},
        {"empty text", "", 100, 0, {}},
        {"leading and trailing blanks go", "\n\n  ab  \n", 100, 1, {"ab"}},
        {"cut at the last space inside what fits", "ab cd ef", 50, 2, {"ab", "cd ef"}},
        {"exact fit", "abcde", 50, 1, {"abcde"}},
        {"one unit short", "abcde", 49, 2, {"abcd", "e"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = {"stale"};
        EXPECT_EQ(CTextValue::BreakString(&lines, c.width, &dc, c.text), c.count) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
    }
}

TEST_F(BreakStringTest, RefusesWhatCannotBreak) {
    std::vector<std::string> lines;
    EXPECT_EQ(CTextValue::BreakString(&lines, 0, &dc, "a"), -1);
    EXPECT_EQ(CTextValue::BreakString(&lines, 9, &dc, "abc"), -1);
    EXPECT_EQ(CTextValue::BreakString(&lines, -1, &dc, ""), -1);
    EXPECT_EQ(CTextValue::BreakString(nullptr, 100, &dc, "abc"), -1);
    EXPECT_EQ(CTextValue::BreakString(&lines, 100, nullptr, "abc"), -1);
    EXPECT_EQ(CTextValue::BreakString(&lines, 0, &dc, ""), 0);
    const std::string text = "abc def";
    CTextValue value;
    EXPECT_EQ(value.BreakString(&lines, 40, &dc, &text), 2);
    EXPECT_EQ(text, "abc def");
}

// The rule as it reads: drop characters from the end of the rest one at a time, measuring each time.
int ReferenceBreak(std::vector<std::string>& lines, int width, const CDC& dc, std::string text) {
    lines.clear();
    std::erase(text, '\r');
    auto trim = [](std::string s) {
        s = zor::TrimLeft(zor::TrimLeft(s, "\n"), " ");
        return zor::TrimRight(zor::TrimRight(s, "\n"), " ");
    };
    std::string rest = text;
    while (!rest.empty()) {
        rest = trim(rest);
        std::string s = rest;
        while (dc.GetTextExtent(s).cx > width) {
            s = zor::Utf8Left(s, zor::Utf8Length(s) - 1);
            if (s.empty()) return -1;
        }
        const int n = zor::Utf8Find(s, "\n");
        if (s == rest && n < 1) {
            if (!s.empty()) lines.push_back(s);
            break;
        }
        const int last = zor::Utf8Length(s) - 1;
        int e = -1;
        if (n >= 1) {
            e = n;
        } else if (zor::Utf8Find(s, "\\") >= 0) {
            const int q = zor::Utf8ReverseFind(s, "\\");
            e = q > 0 ? q : last;
        } else {
            const int p = zor::Utf8ReverseFind(s, " ");
            bool marks = p <= 0;
            if (p > 0) {
                e = p;
                if (p >= 4 && zor::Utf8Mid(s, p - 4, 4) == "ГОСТ") e = p - 5;
                else if (p >= 3 && zor::Utf8Mid(s, p - 3, 3) == "ОСТ") e = p - 4;
                else if (p >= 2 && zor::Utf8Mid(s, p - 2, 2) == "ТУ") e = p - 3;
                if (e == 0) e = p;
                if (e < 0) marks = true;
            }
            if (marks) {
                e = last;
                for (const char* mark : {",", ":", ";", "-", "."}) {
                    const int i = zor::Utf8ReverseFind(s, mark);
                    if (i >= 0) {
                        e = i > 0 ? i : last;
                        break;
                    }
                }
            }
        }
        const std::string line = trim(zor::Utf8Left(s, e + 1));
        if (!line.empty()) lines.push_back(line);
        rest = zor::Utf8Mid(rest, e + 1);
    }
    return static_cast<int>(lines.size());
}

TEST_F(BreakStringTest, AgreesWithTheCharacterByCharacterRuleOnRandomTexts) {
    const std::vector<std::string> alphabet = {"a", "b", "ж", "щ", " ", " ", ",", ":", ";", "-", ".",
                                               "\n", "\r", "\\", "Г", "О", "С", "Т", "У", "ГОСТ ", "ТУ "};
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 120);
        for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        const int width = static_cast<int>(random() % 300);
        std::vector<std::string> expected, actual;
        const int want = ReferenceBreak(expected, width, dc, text);
        EXPECT_EQ(CTextValue::BreakString(&actual, width, &dc, text), want) << text << " @" << width;
        if (want >= 0) {
            EXPECT_EQ(actual, expected) << text << " @" << width;
        }
    }
}

TEST_F(BreakStringTest, LongTextInANarrowColumnKeepsEveryCharacter) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += (i % 7 == 6) ? " " : "ж";
    std::vector<std::string> lines;
    const int count = CTextValue::BreakString(&lines, 200, &dc, text);
    ASSERT_GT(count, 0);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(dc.GetTextExtent(line).cx, 200);
        joined += line;
    }
    std::string expected = text;
    std::erase(expected, ' ');
    std::erase(joined, ' ');
    EXPECT_EQ(joined, expected);
}

}  // namespace
}  // namespace model_test
