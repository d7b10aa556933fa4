// Data files as users' programs write them: the report they give is the report of the same data written
// plainly.
#include <cctype>
#include <filesystem>

#include <gmock/gmock.h>

#include "report/tests/generation/end_to_end.h"

namespace generation_test {
namespace {

using ::testing::IsEmpty;

class DataFileTest : public GenerationTest {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteEndToEndTemplate(Path("t.zordot"), &error)) << error;
        WriteFile("data.par", EndToEndParameters());
    }
    // The report made from the data, in a folder of its own so that every report has the same file name.
    std::string Report(const std::string& name, const std::string& data) {
        WriteFile(name + ".csv", data);
        std::filesystem::create_directory(Path(name));
        const std::string report = Path(name + "/r.zorrep");
        EXPECT_TRUE(Generate(Path("t.zordot"), Path(name + ".csv"), Path("data.par"), report)) << name;
        return zor::test::Slurp(report);
    }
};

TEST_F(DataFileTest, AByteOrderMarkChangesNothing) {
    const std::string plain = Report("plain", EndToEndData());
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(Report("bom", "\xEF\xBB\xBF" + EndToEndData()), plain);
    EXPECT_THAT(Messages(), IsEmpty());
}

// Numbers past the range of a double, and the words a C library reads as numbers, are no numbers: the
// totals of their group count them as 0, and a sum that overflows shows nothing rather than "inf".
TEST_F(DataFileTest, NoTotalShowsInfinityOrNotANumber) {
    const std::string data = "\"Номер\",\"Город\",\"Товар\",\"Сумма\",\"Статус\"\n"
                             "\"Д-1\",\"Тверь\",\"Бумага\",\"1e400\",\"ok\"\n"
                             "\"Д-2\",\"Тверь\",\"Ручка\",\"inf\",\"ok\"\n"
                             "\"Д-3\",\"Тверь\",\"Папка\",\"-nan\",\"ok\"\n"
                             "\"Д-4\",\"Тверь\",\"Степлер\",\"5\",\"ok\"\n"
                             "\"Д-5\",\"Москва\",\"Маркер\",\"1.7e308\",\"ok\"\n"
                             "\"Д-6\",\"Москва\",\"Блокнот\",\"1.7e308\",\"ok\"\n";
    Report("huge", data);
    const ReportView report = ReadReport(Path("huge/r.zorrep"));
    ASSERT_TRUE(report.loaded);
    bool sawFive = false;
    for (size_t page = 0; page < report.pages.size(); ++page) {
        for (const std::string& text : report.Texts(static_cast<int>(page))) {
            if (text == "inf" || text == "-nan") continue;  // the data's own cells, shown as they are
            std::string lower = text;
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(lower.find("inf"), std::string::npos) << text;
            EXPECT_EQ(lower.find("nan"), std::string::npos) << text;
            if (text == "5") sawFive = true;
        }
    }
    EXPECT_TRUE(sawFive);  // Тверь's total: the four rows, of which only "5" is a number
}

}  // namespace
}  // namespace generation_test
