// Generated report files are kept byte for byte: the example of examples/ and a list over many pages with
// page fields, each against the checksum of the file as it has been written so far. Work on how the
// report is built or saved must not change a single byte of it. Beside each checksum its report is kept as
// readable rows (golden/*.rows): a failure shows the kept rows beside the new ones from the first that
// differs. A deliberate change of the file remakes the checksum and the rows (the failure prints the new
// checksum and names the file with the new rows).
#include <gmock/gmock.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "report/tests/generation/generation_fixture.h"
#include "report/tests/generation/golden_rows.h"

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

// The report's checksum and rows against the kept ones; the new rows go to a file the failure names.
void ExpectGolden(const std::string& path, const std::string& checksum, const std::string& rowsName) {
    const std::string bytes = zor::test::Slurp(path);
    const std::vector<std::string> rows = ReportRows(ReadReport(path));
    const std::string differs = SideBySide(ReadRows(QM_SOURCE_DIR "/report/tests/generation/golden/" + rowsName), rows);
    const std::string sum = Checksum(bytes);
    if (sum == checksum && differs.empty()) return;
    // In the build tree: a test's temporary folders go with it, and it may have pointed TMPDIR elsewhere.
    const std::filesystem::path folder = std::filesystem::path(QM_BIN_DIR).parent_path() / "golden";
    const std::string written = folder / rowsName;
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const bool kept = zor::WriteFileAtomically(written, text);
    ADD_FAILURE() << (sum == checksum ? "the checksum is the kept one" : "checksum " + sum + " instead of " + checksum)
                  << " (" << bytes.size() << " bytes)\n"
                  << (differs.empty() ? "the rows read alike: what differs is not in them (the order or spelling of "
                                        "records)\n"
                                      : differs)
                  << (kept ? "the new rows are in " + written : "the new rows could not be written to " + written);
}

class GoldenOutputTest : public GenerationTest {};

TEST_F(GoldenOutputTest, TheExampleReport) {
    ASSERT_TRUE(Generate(kExamples + "sales.zordot", kExamples + "sales.csv", kExamples + "sales.par",
                         Path("sales.zorrep")));
    EXPECT_THAT(Messages(), ::testing::IsEmpty());
    ExpectGolden(Path("sales.zorrep"), "f2d362f998685b28", "sales.rows");
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
    // Filled pages wait for the save in a temporary file; where none can be made they stay whole in
    // memory, and the file is the same.
    for (const bool temporaryFolder : {true, false}) {
        SCOPED_TRACE(temporaryFolder ? "with a temporary folder" : "without one");
        std::optional<zor::test::ScopedEnv> tmpdir;
        if (!temporaryFolder) tmpdir.emplace("TMPDIR", Path("no such folder"));
        ASSERT_TRUE(Generate(Path("list.zordot"), Path("list.csv"), Path("none.par"), Path("list.zorrep")));
        EXPECT_THAT(Messages(), ::testing::IsEmpty());
        const ReportView report = ReadReport(Path("list.zorrep"));
        ASSERT_GE(report.pages.size(), 10u);
        ExpectGolden(Path("list.zorrep"), "1ef5c23a3de62f67", "list.rows");
    }
}

}  // namespace
}  // namespace generation_test
