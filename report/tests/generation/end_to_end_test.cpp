// A report from a template, a data file and a parameter file, with fixed metrics and a fixed date,
// checked page by page; and the failures of such a run.
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <gmock/gmock.h>

#include "platform/settings/profile.h"
#include "report/tests/generation/end_to_end.h"

namespace generation_test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class EndToEndTest : public GenerationTest {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteEndToEndTemplate(Path("t.zordot"), &error)) << error;
        WriteFile("data.csv", EndToEndData());
        WriteFile("data.par", EndToEndParameters());
    }
    bool Run(const std::string& data = "data.csv", const std::string& report = "r.zorrep") {
        return Generate(Path("t.zordot"), Path(data), Path("data.par"), Path(report));
    }
};

TEST_F(EndToEndTest, EveryPageHoldsWhatTheTemplateAndTheDataSay) {
    ASSERT_TRUE(Run());
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("r.zorrep"));
    ASSERT_NO_FATAL_FAILURE(ExpectReportInvariants(report));
    // The contents page, the table's page, the template's continuation page and one cloned from it.
    ASSERT_THAT(report.sheetNames, ElementsAre("Лист1", "Лист2", "Лист3", "Лист4"));

    // Every element of every page, in order: texts as shown, "▭" for the frames in place of the table and
    // its continuations, "→n" for page references, "☰" for the contents element.
    const std::vector<std::vector<std::string>> expected = {
        {"☰", "Содержание", "", "Продажи", "→2", "", "Город Москва", "→2", "", "Город Тверь", "→3"},
        {"ООО «Ромашка»=Тверь", "", "2", "4", kFixedDateText,
         "", "", "",                         // filler line
         "", "Продажи", "",                  // the section's title in the product column
         "", "", "",                         // filler line
         "Москва",                           // the group's title line
         "Д-2", "Ручка \"синяя\"", "20",
         "Д-3", "Папка", "",                 // a row without its last fields
         "", "", "",                         // the closing line would be left without the next line: it moves
         "▭"},
        {"3", "4", "▭",
         "Итого", "2", "20",                 // Москва: two rows, the cancelled one left out
         "Тверь",
         "Д-1", "Степлер", "5",
         "Д-4", "Блокнот", "12.50",
         "Д-10", "Бумага, А4", "100"},       // natural order: Д-10 after Д-4
        {"4", "4", "▭",
         "Итого", "3", "118",                // 5 + 12.5 + 100
         "", "", "", "", "", "", "", "", "", "", "", ""},
    };
    for (size_t page = 0; page < expected.size(); ++page) {
        SCOPED_TRACE(report.sheetNames[page]);
        std::vector<std::string> shown;
        for (const ElementView& e : report.pages[page]) {
            if (e.kind == kElemTableContent)
                shown.push_back("☰");
            else if (e.kind == kElemPageReference)
                shown.push_back("→" + std::to_string(e.target));
            else if (e.kind == kElemRect && e.lineWidth == 2 && e.textType == kTextNone)
                shown.push_back("▭");
            else
                shown.push_back(e.text);
        }
        EXPECT_THAT(shown, ElementsAreArray(expected[page]));
    }

    // Cells sit in the table's rectangle from its upper edge down, one line of 100 after another; the frames
    // keep the rectangles of the table and the continuation.
    const auto& table = report.pages[1];
    EXPECT_EQ(table[5].origin, CPoint(100, -400));
    EXPECT_EQ(table[9].origin, CPoint(400, -500));
    EXPECT_EQ(table[9].size, CSize(900, 100));
    EXPECT_EQ(table[14].origin, CPoint(100, -700));
    EXPECT_EQ(table[14].size, CSize(1800, 100));
    EXPECT_EQ(table.back().origin, CPoint(100, -1000));
    EXPECT_EQ(table.back().size, CSize(1800, 700));
    EXPECT_EQ(report.pages[2][2].origin, CPoint(100, -900));
    EXPECT_EQ(report.pages[2][2].size, CSize(1800, 500));
    EXPECT_EQ(report.pages[2][3].origin, CPoint(100, -500));
    EXPECT_EQ(report.pages[3][3].origin, CPoint(100, -500));

    // The page field across merged reports stays linked; the report's own became text.
    EXPECT_EQ(table[1].paramType, kParamPageNumber);
    for (size_t i : {2u, 3u, 4u}) EXPECT_EQ(table[i].textType, kTextOwn);
    EXPECT_EQ(table[0].paramType, kParamText);

    // The contents tree: the section, its groups with every page their lines reached, and the contents
    // page itself.
    ASSERT_EQ(report.contents.size(), 2u);
    const ContentsNode& sales = report.contents[0];
    EXPECT_EQ(sales.title, "Продажи");
    EXPECT_THAT(sales.pages, ElementsAre(2));
    ASSERT_EQ(sales.children.size(), 2u);
    EXPECT_EQ(sales.children[0].title, "Город Москва");
    EXPECT_THAT(sales.children[0].pages, ElementsAre(2, 3));
    EXPECT_EQ(sales.children[1].title, "Город Тверь");
    EXPECT_THAT(sales.children[1].pages, ElementsAre(3, 4));
    EXPECT_EQ(report.contents[1].title, "Содержание");
    EXPECT_THAT(report.contents[1].pages, ElementsAre(1));

    // The parameters: the run-time value, and the page fields as they were declared.
    EXPECT_EQ(report.params.size(), 5u);
    EXPECT_EQ(report.params.at("Заказчик").type, kParamText);
    EXPECT_EQ(report.params.at(PageFieldParamName(kParamReportDate)).type, kParamReportDate);
    EXPECT_EQ(report.params.count("Неизвестный"), 0u);
}

// Each failure says why; none leaves a half-written report or a temporary file.
TEST_F(EndToEndTest, FailuresSayWhyAndLeaveNoHalfWrittenReport) {
    {
        TemplateBuilder formula;
        formula.AddSheet();
        formula.Computed("Итог=\"текст без конца");
        std::string error;
        ASSERT_TRUE(formula.Save(Path("formula.zordot"), &error)) << error;
    }
    std::string data = EndToEndData();
    const std::string number = "\"Номер\"";
    data.replace(data.find(number), number.size(), "\"Шифр\"");
    WriteFile("nosort.csv", data);
    std::filesystem::create_directory(Path("out"));

    const struct {
        const char* name;
        std::string templ, data, report;
        bool result;
        std::vector<std::string> messages;
        const char* after;  // the report file afterwards; null: none
    } cases[] = {
        {"a bad formula", "formula.zordot", "data.csv", "out/r.zorrep", false, {"Не верно задана функция!"},
         "an earlier report\n"},
        {"no report path", "t.zordot", "data.csv", "", false, {"Не указан файл отчета!"}, "an earlier report\n"},
        {"a missing template", "missing.zordot", "data.csv", "out/r.zorrep", false,
         {"Ошибка загрузки данных " + Path("missing.zordot") + " (23)\n" + CzorStepData::GetErrorDescription(23)},
         "an earlier report\n"},
        // The table that can't be sorted leaves with its pages; the contents, with no entry, too: the report
        // is a complete report without pages.
        {"a sort column missing from the data", "t.zordot", "nosort.csv", "out/r.zorrep", true,
         {"Не корректный шаблон"}, ""},
        {"an unwritable output folder", "t.zordot", "data.csv", "out/missing/r.zorrep", false,
         {"Ошибка при сохранении отчета!\n" + Path("out/missing/r.zorrep") + ": " +
          CzorStepData::GetErrorDescription(zorErrFileWrite) + ": Не удалось создать временный файл в папке \"" +
          Path("out/missing") + "\": " + std::strerror(ENOENT)},
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        WriteFile("out/r.zorrep", "an earlier report\n");
        const std::string report = c.report.empty() ? std::string() : Path(c.report);
        EXPECT_EQ(Generate(Path(c.templ), Path(c.data), Path("data.par"), report), c.result);
        EXPECT_EQ(Messages(), c.messages);
        const std::string written = c.report.empty() ? Path("out/r.zorrep") : report;
        if (c.after) {
            EXPECT_EQ(zor::test::Slurp(written), c.after);
        } else {
            EXPECT_FALSE(std::filesystem::exists(written));
        }
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(Path("out")))
            files.push_back(entry.path().filename().string());
        EXPECT_THAT(files, ElementsAre("r.zorrep"));
    }
}

// The copy of the data source named by "FileDS" holds every row (the cancelled one too) in the order the
// report used them: by city, then by number in natural order; not in the file's order.
TEST_F(EndToEndTest, TheDataSourceCopyHoldsTheRowsInTheOrderTheReportUsedThem) {
    ASSERT_TRUE(WriteProfileString("", "FileDS", Path("copy.csv")));
    const bool generated = Run();
    WriteProfileString("", "FileDS", "");
    ASSERT_TRUE(generated);
    CDataSource copy;
    ASSERT_TRUE(copy.LoadFromFile(Path("copy.csv")));
    std::vector<std::string> numbers;
    for (int r = 0; r < copy.GetRowCount(); ++r) numbers.push_back(copy.GetRow(r)->GetAsString(0));
    EXPECT_THAT(numbers, ElementsAre("Д-2", "Д-3", "Д-11", "Д-1", "Д-4", "Д-10"));
}

}  // namespace
}  // namespace generation_test
