// Damaged templates kept as files in damaged/: one instance listed twice where the reader follows a list
// (an element on two sheets or twice on one, a section, level, column, grouping column or condition twice).
// Each once crashed generation (a table freed by both its sheets) or doubled what it lists; each is now read
// as if it named the instance once, and gives the report of the sound template.
#include <filesystem>

#include <gmock/gmock.h>

#include "report/tests/generation/generation_fixture.h"

namespace generation_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kDamaged = QM_SOURCE_DIR "/report/tests/generation/damaged/";

// Three names, one row the section's condition drops.
const char* const kData = "Имя,Кол\nа,1\nб,0\nв,2\nг,3\n";

class DamagedTemplateTest : public GenerationTest {};

TEST_F(DamagedTemplateTest, EachGivesTheReportOfTheSoundTemplate) {
    // The sound template: a title text and a table of two lines a page on Лист1, the table's continuation
    // on Лист2 (room for the rest); one section grouped by Имя (a title line each), without the rows whose Кол is 0.
    const char* const files[] = {
        "table_on_two_sheets.zordot",  "table_twice_on_one_sheet.zordot", "text_on_two_sheets.zordot",
        "continuation_twice.zordot",   "section_twice_in_table.zordot",   "level_twice_in_section.zordot",
        "column_twice_in_level.zordot", "group_twice_in_section.zordot",  "condition_twice.zordot",
    };
    WriteFile("data.csv", kData);
    for (const char* file : files) {
        SCOPED_TRACE(file);
        messages.Clear();
        const std::string report = Path(std::string(file) + ".zorrep");
        ASSERT_TRUE(Generate(kDamaged + file, Path("data.csv"), Path("none.par"), report));
        EXPECT_THAT(Messages(), IsEmpty());
        const ReportView view = ReadReport(report);
        ASSERT_TRUE(view.loaded);
        EXPECT_TRUE(view.integrity.Clean()) << view.integrity.Describe();
        EXPECT_EQ(view.CountKind(kElemTable) + view.CountKind(kElemTableMap), 0);
        ASSERT_EQ(view.pages.size(), 2u);
        EXPECT_THAT(view.Texts(0), ElementsAre("Заголовок", "а", "а", "1"));
        EXPECT_THAT(view.Texts(1), ElementsAre("в", "в", "2", "г", "г", "3"));
    }
}

}  // namespace
}  // namespace generation_test
