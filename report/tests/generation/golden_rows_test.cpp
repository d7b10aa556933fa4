// The side-by-side view a failing golden test prints: nothing for alike rows, else the first row that
// differs marked, the rows missing on one side shown as such, and the columns lined up in characters.
#include <gmock/gmock.h>

#include <sstream>

#include "report/tests/generation/golden_rows.h"

namespace generation_test {
namespace {

using ::testing::HasSubstr;

TEST(GoldenRows, SideBySideShowsTheFirstRowThatDiffers) {
    const std::vector<std::string> kept = {"page 1 \"А\"", "page 1 \"Б\"", "page 2 \"В\"", "page 2 \"Г\""};
    struct Case {
        const char* what;
        std::vector<std::string> actual;
        std::vector<std::string> shown;  // what the view must hold; none when it is empty
    } cases[] = {
        {"alike", kept, {}},
        {"a changed row",
         {"page 1 \"А\"", "page 1 \"Б\"", "page 2 \"Ж\"", "page 2 \"Г\""},
         {"the first that differs is row 3", "> 3", "page 2 \"В\"", "page 2 \"Ж\""}},
        {"a row more",
         {"page 1 \"А\"", "page 1 \"Б\"", "page 2 \"В\"", "page 2 \"Г\"", "page 3 \"Д\""},
         {"expected 4 rows, got 5", "row 5", "(none)", "page 3 \"Д\""}},
        {"a row less", {"page 1 \"А\"", "page 1 \"Б\"", "page 2 \"В\""}, {"got 3", "row 4", "page 2 \"Г\"", "(none)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string view = SideBySide(kept, c.actual);
        if (c.shown.empty()) {
            EXPECT_EQ(view, "");
        }
        for (const std::string& part : c.shown) EXPECT_THAT(view, HasSubstr(part));
    }
}

// Cyrillic letters take two bytes: padding by bytes would push the second column apart row by row.
TEST(GoldenRows, ColumnsLineUpInCharacters) {
    const std::string view = SideBySide({"Деталь №1", "x", "Узел"}, {"Деталь №1", "y", "Узел"});
    std::istringstream lines(view);
    std::string line;
    std::getline(lines, line);  // the counts
    size_t bar = std::string::npos;
    for (int n = 0; std::getline(lines, line); ++n) {
        const std::string before = line.substr(0, line.find(" | "));
        size_t characters = 0;
        for (char c : before) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (n == 0) bar = characters;
        EXPECT_EQ(characters, bar) << line;
    }
    EXPECT_NE(bar, std::string::npos);
}

}  // namespace
}  // namespace generation_test
