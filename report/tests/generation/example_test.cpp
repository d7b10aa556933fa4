// The example of examples/: the committed files are what the code makes, and they give a whole report.
#include <gmock/gmock.h>

#include <map>

#include "report/tests/generation/example_template.h"
#include "report/tests/generation/generation_fixture.h"

namespace generation_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kExamples = QM_SOURCE_DIR "/examples/";

class ExampleTest : public GenerationTest {};

TEST_F(ExampleTest, CommittedFilesAreWhatTheCodeMakes) {
    std::string error;
    ASSERT_TRUE(WriteExampleTemplate(Path("sales.zordot"), &error)) << error;
    EXPECT_EQ(zor::test::Slurp(kExamples + "sales.zordot"), zor::test::Slurp(Path("sales.zordot")))
        << "remake the example files: quillmark_example files examples";
    EXPECT_EQ(zor::test::Slurp(kExamples + "sales.csv"), ExampleData());
    EXPECT_EQ(zor::test::Slurp(kExamples + "sales.par"), ExampleParameters());
}

TEST_F(ExampleTest, TheExampleGivesAWholeReport) {
    ASSERT_TRUE(Generate(kExamples + "sales.zordot", kExamples + "sales.csv", kExamples + "sales.par",
                         Path("sales.zorrep")));
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("sales.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
    EXPECT_EQ(report.CountKind(kElemTable) + report.CountKind(kElemTableMap), 0);
    ASSERT_GE(report.pages.size(), 4u);
    EXPECT_EQ(report.params.at("Организация").value, "ООО «Северный ветер»");

    // Every sale but the cancelled ones (every 17th number) shows once; the region totals add up to them:
    // the number of sales, the quantities under "Кол-во" and the money under "Сумма, руб.".
    CDataSource data;
    ASSERT_TRUE(data.LoadFromFile(kExamples + "sales.csv"));
    std::map<std::string, long> expected;
    long total = 0, pieces = 0;
    for (int r = 0; r < data.GetRowCount(); ++r) {
        if (data.GetRow(r)->GetAsString(9) == "отменён") continue;
        expected[data.GetRow(r)->GetAsString(0)] = std::stol(data.GetRow(r)->GetAsString(8));
        total += std::stol(data.GetRow(r)->GetAsString(8));
        pieces += std::stol(data.GetRow(r)->GetAsString(6));
    }
    EXPECT_EQ(expected.size(), 300u - 300 / 17);
    std::map<std::string, long> shown;
    long totals = 0, piecesShown = 0, salesShown = 0;
    int closings = 0;
    for (size_t page = 1; page < report.pages.size(); ++page) {
        const auto& elements = report.pages[page];
        // The column headings of the page: the quantity's and the money's left edges.
        int quantityLeft = -1, moneyLeft = -1;
        for (const ElementView& e : elements) {
            if (e.text == "Кол-во") quantityLeft = e.origin.x;
            if (e.text == "Сумма, руб.") moneyLeft = e.origin.x;
        }
        for (size_t i = 0; i + 5 < elements.size(); ++i) {
            if (elements[i].text.rfind("Д-", 0) == 0) {
                EXPECT_EQ(shown.count(elements[i].text), 0u) << elements[i].text;
                shown[elements[i].text] = std::stol(elements[i + 5].text);
            }
            if (elements[i].text == "Итого по региону:") {
                ++closings;
                ASSERT_GE(i, 2u);
                EXPECT_EQ(elements[i - 2].text, "Продаж:");
                salesShown += std::stol(elements[i - 1].text);
                EXPECT_EQ(elements[i + 1].origin.x, quantityLeft);
                piecesShown += std::stol(elements[i + 1].text);
                EXPECT_EQ(elements[i + 2].origin.x, moneyLeft);
                totals += std::stol(elements[i + 2].text);
            }
        }
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(closings, 4);
    EXPECT_EQ(salesShown, static_cast<long>(expected.size()));
    EXPECT_EQ(piecesShown, pieces);
    EXPECT_EQ(totals, total);

    // The contents: the section, four regions, their cities, and the contents page itself.
    ASSERT_EQ(report.contents.size(), 2u);
    const ContentsNode& sales = report.contents[0];
    EXPECT_EQ(sales.title, "Продажи по регионам");
    std::vector<std::string> regions;
    for (const ContentsNode& region : sales.children) regions.push_back(region.title);
    EXPECT_THAT(regions, ElementsAre("Регион Поволжье", "Регион Северо-Запад", "Регион Урал", "Регион Центр"));
    EXPECT_EQ(sales.children[3].children.size(), 3u);
    EXPECT_EQ(report.contents[1].title, "Содержание");
}

}  // namespace
}  // namespace generation_test
