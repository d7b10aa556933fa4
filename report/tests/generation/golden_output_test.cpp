// Generated report files are kept byte for byte: the example of examples/ and a list over many pages with
// page fields, each against the checksum of the file as it has been written so far. Work on how the
// report is built or saved must not change a single byte of it; a deliberate change of the file remakes
// the checksums (the failure prints the new one).
#include <gmock/gmock.h>

#include <cinttypes>
#include <cstdio>

#include "report/tests/generation/generation_fixture.h"

namespace generation_test {
namespace {

const std::string kExamples = QM_SOURCE_DIR "/examples/";

// FNV-1a over the bytes, as hexadecimal.
std::string Checksum(const std::string& bytes) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char text[20];
    std::snprintf(text, sizeof text, "%016" PRIx64, h);
    return text;
}

class GoldenOutputTest : public GenerationTest {};

TEST_F(GoldenOutputTest, TheExampleReport) {
    ASSERT_TRUE(Generate(kExamples + "sales.zordot", kExamples + "sales.csv", kExamples + "sales.par",
                         Path("sales.zorrep")));
    EXPECT_THAT(Messages(), ::testing::IsEmpty());
    const std::string bytes = zor::test::Slurp(Path("sales.zorrep"));
    EXPECT_EQ(Checksum(bytes), "f2d362f998685b28") << bytes.size() << " bytes";
}

// A title sheet, then a table of three columns over many sheets whose continuations carry the page number,
// the page count and the date, each resolved once every page is known.
TEST_F(GoldenOutputTest, AListOverManyPages) {
    TemplateBuilder builder;
    ASSERT_TRUE(builder.Ready());
    CReportParam* number = builder.AddParam("Страница", kParamLocalPageNumber);
    CReportParam* count = builder.AddParam("Страниц", kParamLocalPageCount);
    CReportParam* date = builder.AddParam("Дата", kParamReportDate);
    CReportSheet* title = builder.AddSheet();
    builder.AddText(title, CPoint(100, -200), CSize(1900, 100), "Перечень 'деталей' \\ узлов");
    builder.AddParamText(title, CPoint(100, -400), CSize(600, 60), count);
    CReportSheet* sheet = builder.AddSheet();
    CTableElement* table = builder.AddTable(sheet, CPoint(100, -2800), CSize(1900, 2600));
    builder.AddParamText(sheet, CPoint(100, -100), CSize(300, 60), number);
    builder.AddParamText(sheet, CPoint(500, -100), CSize(300, 60), count);
    builder.AddParamText(sheet, CPoint(900, -100), CSize(600, 60), date);
    auto* section = new CReportSection(&builder.Manager());
    section->GetLevels().Add(builder.Level(50, {TemplateBuilder::FieldColumn(builder.Column("Код"), 400),
                                                TemplateBuilder::FieldColumn(builder.Column("Имя"), 1100),
                                                TemplateBuilder::FieldColumn(builder.Column("Кол", 3), 400)}));
    table->GetSections().Add(section);
    std::string error;
    ASSERT_TRUE(builder.Save(Path("list.zordot"), &error)) << error;

    std::string data = "Код,Имя,Кол\n";
    for (int r = 0; r < 500; ++r)
        data += "А-" + std::to_string(1000 + r) + ",\"Деталь №" + std::to_string(r % 37) +
                (r % 5 == 0 ? ", длинное наименование, которое не помещается в одну строку" : "") + "\"," +
                std::to_string(r * 7 % 101) + "\n";
    WriteFile("list.csv", data);
    WriteFile("none.par", "");
    ASSERT_TRUE(Generate(Path("list.zordot"), Path("list.csv"), Path("none.par"), Path("list.zorrep")));
    EXPECT_THAT(Messages(), ::testing::IsEmpty());
    const ReportView report = ReadReport(Path("list.zorrep"));
    ASSERT_GE(report.pages.size(), 10u);
    const std::string bytes = zor::test::Slurp(Path("list.zorrep"));
    EXPECT_EQ(Checksum(bytes), "1ef5c23a3de62f67") << bytes.size() << " bytes";
}

}  // namespace
}  // namespace generation_test
