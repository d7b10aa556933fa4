// Merging a list of reports into a target: progress steps, page fields made once, skipped sources, and a
// list that stops at a source it can't load.
#include <gmock/gmock.h>

#include "report/generation/generate_report.h"
#include "report/model/report_param.h"
#include "report/tests/merge/merge_fixture.h"

namespace merge_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Steps = std::vector<std::pair<int, int>>;

void RecordStep(int step, int count, void* context) { static_cast<Steps*>(context)->emplace_back(step, count); }

ReportPlan Source(const std::string& tag) {
    ReportPlan r;
    r.params = StandardParams("1", tag);
    r.sheets = {{tag, Text::Linked(kPageNumber), Text::Linked(kPageCount), Text::Linked(kTitle)}};
    r.contents = {{tag, {0}, {}}};
    return r;
}

ReportPlan TargetWithoutPageFields() {
    ReportPlan r;
    r.params = {{"Заголовок", kParamText, "Сводка"}};
    r.sheets = {{Text::Linked(0)}};
    return r;
}

class UnificationListTest : public MergeTest {};

TEST_F(UnificationListTest, EverySourceIsAppendedInTurnWithAStepAfterEach) {
    ASSERT_TRUE(WriteReportFile(Path("t.zorrep"), TargetWithoutPageFields()));
    std::vector<std::string> sources;
    for (const char* tag : {"первый", "второй", "третий"}) {
        sources.push_back(Path(std::string(tag) + ".zorrep"));
        ASSERT_TRUE(WriteReportFile(sources.back(), Source(tag)));
    }
    Steps steps;

    ASSERT_TRUE(UnificationArrayReports(Path("t.zorrep"), &sources, RecordStep, &steps));

    EXPECT_THAT(steps, ElementsAre(std::pair(0, 4), std::pair(1, 4), std::pair(2, 4), std::pair(3, 4), std::pair(4, 4)));
    const ReportSummary r = ReadReportFile(Path("t.zorrep"));
    EXPECT_THAT(r.sheetNames, ElementsAre("Лист1", "Лист2", "Лист3", "Лист4"));
    EXPECT_THAT(r.texts, ElementsAre(ElementsAre("@Заголовок#0"),
                                     ElementsAre("первый", "@Номер страницы#4", "@Количество страниц#5", "первый"),
                                     ElementsAre("второй", "@Номер страницы#4", "@Количество страниц#5", "второй"),
                                     ElementsAre("третий", "@Номер страницы#4", "@Количество страниц#5", "третий")));
    // Each page field once over the whole list.
    ASSERT_EQ(r.params.size(), 4u);
    EXPECT_EQ(r.params[1].name, "Номер страницы");
    EXPECT_EQ(r.params[2].name, "Количество страниц");
    EXPECT_EQ(r.params[3].name, "Текущая дата");
    ASSERT_EQ(r.contents.size(), 3u);
    EXPECT_THAT(r.contents[2].sheets, ElementsAre(3));
    EXPECT_EQ(r.danglingLinks, 0);
    EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(UnificationListTest, SourceWithoutReportRootIsSkippedAndStepped) {
    ASSERT_TRUE(WriteReportFile(Path("t.zorrep"), TargetWithoutPageFields()));
    ASSERT_TRUE(zor::WriteFileAtomically(Path("empty.zorrep"), ""));
    ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), Source("б")));
    const std::vector<std::string> sources = {Path("empty.zorrep"), Path("b.zorrep")};
    Steps steps;

    ASSERT_TRUE(UnificationArrayReports(Path("t.zorrep"), &sources, RecordStep, &steps));

    EXPECT_EQ(steps.size(), 4u);
    EXPECT_THAT(ReadReportFile(Path("t.zorrep")).sheetNames, ElementsAre("Лист1", "Лист2"));
}

TEST_F(UnificationListTest, SourceThatFailsToLoadEndsTheRunWithNothingWritten) {
    ASSERT_TRUE(WriteReportFile(Path("t.zorrep"), TargetWithoutPageFields()));
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), Source("а")));
    ASSERT_TRUE(WriteReportFile(Path("c.zorrep"), Source("в")));
    const std::string before = zor::test::Slurp(Path("t.zorrep"));
    const std::vector<std::string> sources = {Path("a.zorrep"), Path("нет.zorrep"), Path("c.zorrep")};
    Steps steps;

    EXPECT_FALSE(UnificationArrayReports(Path("t.zorrep"), &sources, RecordStep, &steps));

    EXPECT_EQ(zor::test::Slurp(Path("t.zorrep")), before);
    EXPECT_EQ(steps.size(), 3u);  // the start, the target and the first source
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_THAT(messages.Texts()[0], HasSubstr("Ошибка загрузки данных " + Path("нет.zorrep") + " (23)"));
}

TEST_F(UnificationListTest, TargetWithoutReportRootIsRefused) {
    ASSERT_TRUE(zor::WriteFileAtomically(Path("t.zorrep"), ""));
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), Source("а")));
    const std::vector<std::string> sources = {Path("a.zorrep")};
    Steps steps;

    EXPECT_FALSE(UnificationArrayReports(Path("t.zorrep"), &sources, RecordStep, &steps));

    EXPECT_EQ(zor::test::Slurp(Path("t.zorrep")), "");
    EXPECT_THAT(steps, ElementsAre(std::pair(0, 2)));
}

TEST_F(UnificationListTest, NoListIsRefused) {
    ASSERT_TRUE(WriteReportFile(Path("t.zorrep"), TargetWithoutPageFields()));
    const std::string before = zor::test::Slurp(Path("t.zorrep"));
    EXPECT_FALSE(UnificationArrayReports(Path("t.zorrep"), nullptr));
    EXPECT_EQ(zor::test::Slurp(Path("t.zorrep")), before);
}

TEST_F(UnificationListTest, WorksWithoutAProgressCallback) {
    ASSERT_TRUE(WriteReportFile(Path("t.zorrep"), TargetWithoutPageFields()));
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), Source("а")));
    const std::vector<std::string> sources = {Path("a.zorrep"), Path("a.zorrep")};

    ASSERT_TRUE(UnificationArrayReports(Path("t.zorrep"), &sources));

    EXPECT_THAT(ReadReportFile(Path("t.zorrep")).sheetNames, ElementsAre("Лист1", "Лист2", "Лист3"));
}

}  // namespace
}  // namespace merge_test
