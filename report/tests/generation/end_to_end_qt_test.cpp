// The same road with the program's measurer (real font metrics, no window): the reports load and keep
// every invariant, and texts this short break and paginate as with fixed metrics.
#include <gmock/gmock.h>

#include "report/tests/generation/end_to_end.h"
#include "report/tests/generation/example_template.h"

namespace generation_test {
namespace {

using ::testing::IsEmpty;

std::vector<std::vector<std::string>> TextsOf(const ReportView& report) {
    std::vector<std::vector<std::string>> out;
    for (size_t page = 0; page < report.pages.size(); ++page) out.push_back(report.Texts(static_cast<int>(page)));
    return out;
}

class EndToEndQtTest : public GenerationBase {};

TEST_F(EndToEndQtTest, TheReportKeepsEveryInvariantAndTheFixedMetricsPages) {
    std::string error;
    ASSERT_TRUE(WriteEndToEndTemplate(Path("t.zordot"), &error)) << error;
    WriteFile("data.csv", EndToEndData());
    WriteFile("data.par", EndToEndParameters());
    ASSERT_TRUE(Generate(Path("t.zordot"), Path("data.csv"), Path("data.par"), Path("qt.zorrep")));
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("qt.zorrep"));
    ASSERT_NO_FATAL_FAILURE(ExpectReportInvariants(report));
    {
        CFixedTextMeasurer fixed;
        CScopedTextMeasurer scoped(fixed);
        ASSERT_TRUE(Generate(Path("t.zordot"), Path("data.csv"), Path("data.par"), Path("fixed.zorrep")));
    }
    const ReportView reference = ReadReport(Path("fixed.zorrep"));
    EXPECT_EQ(report.sheetNames, reference.sheetNames);
    EXPECT_EQ(TextsOf(report), TextsOf(reference));
    ASSERT_EQ(report.contents.size(), reference.contents.size());
    for (size_t i = 0; i < report.contents.size(); ++i) {
        EXPECT_EQ(report.contents[i].title, reference.contents[i].title);
        EXPECT_EQ(report.contents[i].pages, reference.contents[i].pages);
    }
}

// What `make run` makes: the example of examples/ with the program's measurer.
TEST_F(EndToEndQtTest, TheExampleReportIsWhole) {
    const std::string examples = QM_SOURCE_DIR "/examples/";
    ASSERT_TRUE(Generate(examples + "sales.zordot", examples + "sales.csv", examples + "sales.par",
                         Path("sales.zorrep")));
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("sales.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
    EXPECT_GE(report.pages.size(), 4u);
    EXPECT_EQ(report.CountKind(kElemTable) + report.CountKind(kElemTableMap), 0);
    for (size_t i = 0; i < report.sheetNames.size(); ++i) EXPECT_EQ(report.sheetNames[i], "Лист" + std::to_string(i + 1));
}

}  // namespace
}  // namespace generation_test
