// What a failed batch run tells its user on stderr, and where "report.log" goes: the program run from a
// shell with no display on the shipped example and on files that are missing or cannot be written.
#include "designer/tests/batch_fixture.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace quillmark_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kExample = QM_SOURCE_DIR "/examples/sales";
const std::string kUsageLine = "quillmark -gen <шаблон.zordot> -path=<данные> -outfile=<отчет.zorrep>";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The text with its one occurrence of what replaced by with (the test's own edits of the example).
std::string Replaced(std::string text, const std::string& what, const std::string& with) {
    const size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    if (at != std::string::npos) text.replace(at, what.size(), with);
    return text;
}

class BatchMessages : public BatchRun {
protected:
    // The system's error texts in the program's messages are those of the C library in English, as the test
    // itself sees them.
    ProgramResult RunInC(const std::vector<std::string>& args) { return Run(args, {{"LC_ALL", "C.UTF-8"}}); }

    std::string StateLog() const { return StateDir() + "/Veldcourt/report.log"; }
};

// Each failure: its exit status, and stderr as the lines it must begin with (the message with the
// program's caption, then the file and the reason). No report is left behind.
TEST_F(BatchMessages, FailedRunsNameTheFileAndTheReason) {
    const std::string templ = kExample + ".zordot";
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::vector<std::string> lines;
    } cases[] = {
        {"missing template",
         {"-gen", W("absent.zordot"), "-path=" + kExample, "-outfile=" + W("r.zorrep")},
         3,
         {kCaption + "Ошибка загрузки данных " + W("absent.zordot") + " (23)", "Невозможно открыть файл"}},
        {"malformed template",
         {"-gen", W("broken.zordot"), "-path=" + kExample, "-outfile=" + W("r.zorrep")},
         3,
         {kCaption + "Ошибка загрузки данных " + W("broken.zordot") + " (26)"}},
        {"template without a report",
         {"-gen", W("empty.csv"), "-path=" + kExample, "-outfile=" + W("r.zorrep")},
         3,
         {kCaption + "Не корректный шаблон.", W("empty.csv")}},
        {"template without pages",
         {"-gen", W("nopages.zordot"), "-path=" + kExample, "-outfile=" + W("r.zorrep")},
         3,
         {kCaption + "Ошибка. Шаблон не содержит ниодной страницы.", W("nopages.zordot")}},
        {"bad computed column",
         {"-gen", W("formula.zordot"), "-path=" + kExample, "-outfile=" + W("r.zorrep")},
         3,
         {kCaption + "Не верно задана функция!", W("formula.zordot")}},
        {"data file without column names",
         {"-gen", templ, "-path=" + W("empty"), "-outfile=" + W("r.zorrep")},
         2,
         {kDataSourceError, W("empty.csv") + ": в файле нет строки с названиями колонок"}},
        {"missing data file",
         {"-gen", templ, "-path=" + W("absent"), "-outfile=" + W("r.zorrep")},
         2,
         {kDataSourceError, W("absent.csv") + ": " + std::strerror(ENOENT)}},
        {"data file that is a folder",
         {"-gen", templ, "-path=" + W("folder"), "-outfile=" + W("r.zorrep")},
         2,
         {kDataSourceError, W("folder.csv") + ": " + std::strerror(EISDIR)}},
        {"report in a missing folder",
         {"-gen", templ, "-path=" + kExample, "-outfile=" + W("missing/r.zorrep")},
         3,
         {kCaption + "Ошибка при сохранении отчета!",
          W("missing/r.zorrep") + ": Ошибка записи файла: Не удалось создать временный файл в папке \"" +
              W("missing") + "\": " + std::strerror(ENOENT)}},
        {"report that is a folder",
         {"-gen", templ, "-path=" + kExample, "-outfile=" + W("folder.csv")},
         3,
         {kCaption + "Ошибка при сохранении отчета!", W("folder.csv") + ": Ошибка записи файла: это папка"}},
    };
    std::filesystem::create_directory(W("folder.csv"));
    // The templates: not one at all, an empty file (which also serves as a data file without a header
    // line), and the example without its pages or with a computed column whose text never ends.
    WriteFile(W("broken.zordot"), "ISO-10303-21;\nHEADER;\nthis is not a template\n");
    WriteFile(W("empty.csv"), "");
    const std::string example = zor::test::Slurp(kExample + ".zordot");
    WriteFile(W("nopages.zordot"), Replaced(example, "(#16,#66,#152)", "()"));
    WriteFile(W("formula.zordot"), Replaced(Replaced(example, "ZOR_RESULT_SELECT(())", "ZOR_RESULT_SELECT((#900))"),
                                            "ENDSEC;\nEND-ISO", "#900=ZOR_COL('Итог=\"без конца',5,2);\nENDSEC;\nEND-ISO"));
    const std::set<std::string> known = {"folder.csv", "broken.zordot", "empty.csv", "nopages.zordot",
                                         "formula.zordot"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramResult r = RunInC(c.args);
        EXPECT_EQ(r.exitStatus, c.status) << Describe(r);
        const std::vector<std::string> lines = Lines(r.err);
        ASSERT_GE(lines.size(), c.lines.size()) << Describe(r);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.lines.size()), c.lines);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(WorkFiles(), known);
    }
}

// A failed run leaves the earlier report as it was: a generation whose template is no template, and a
// merge into a file that is no report, each failing with the file named.
TEST_F(BatchMessages, FailedRunsLeaveTheEarlierReport) {
    WriteFile(W("r.zorrep"), "an earlier report\n");
    WriteFile(W("broken.zordot"), "ISO-10303-21;\nHEADER;\nthis is not a template\n");
    ProgramResult r = RunInC({"-gen", W("broken.zordot"), "-path=" + kExample, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 3) << Describe(r);
    std::vector<std::string> lines = Lines(r.err);
    ASSERT_GE(lines.size(), 1u) << Describe(r);
    EXPECT_EQ(lines[0], kCaption + "Ошибка загрузки данных " + W("broken.zordot") + " (26)");
    EXPECT_EQ(zor::test::Slurp(W("r.zorrep")), "an earlier report\n");

    r = RunInC({"-unification", W("r.zorrep"), "-outfile=" + W("absent.zorrep")});
    EXPECT_EQ(r.exitStatus, 4) << Describe(r);
    lines = Lines(r.err);
    ASSERT_GE(lines.size(), 1u) << Describe(r);
    EXPECT_THAT(lines[0], ::testing::StartsWith(kCaption + "Ошибка загрузки данных " + W("r.zorrep") + " ("));
    EXPECT_EQ(zor::test::Slurp(W("r.zorrep")), "an earlier report\n");
    EXPECT_EQ(WorkFiles(), (std::set<std::string>{"r.zorrep", "broken.zordot"}));
}

// A generate switch with no template after it has nothing to work on: the program says how it is called.
TEST_F(BatchMessages, GenerateWithoutATemplateShowsHowToCallTheProgram) {
    const std::vector<std::vector<std::string>> starts = {
        {"-gen"}, {"-GEN"}, {"-gen_view"}, {"-gen", "-path=" + kExample, "-outfile=" + W("r.zorrep")}};
    for (const std::vector<std::string>& args : starts) {
        SCOPED_TRACE(args.back());
        const ProgramResult r = Run(args);
        EXPECT_EQ(r.exitStatus, 1) << Describe(r);
        EXPECT_THAT(Messages(r.err), ElementsAre(kCaption + "не указан шаблон отчета.",
                                                 kCaption + "конструктор и генератор отчетов"))
            << Describe(r);
        EXPECT_THAT(r.err, HasSubstr(kUsageLine));
        EXPECT_THAT(WorkFiles(), IsEmpty());
    }
}

// The log stays in the dictionary folder while that folder is the user's and writable; a folder made
// read-only for everyone (as an installation for all users leaves it) sends it to the user's state folder.
TEST_F(BatchMessages, LogGoesToTheStateFolderWhenTheDictionaryFolderIsReadOnly) {
    const std::vector<std::string> args = {"-gen", kExample + ".zordot", "-path=" + kExample,
                                           "-outfile=" + W("r.zorrep")};
    ProgramResult r = Run(args);
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_THAT(LogLines(), ElementsAre(LogLine(args)));
    EXPECT_FALSE(Exists(StateDir()));

    ASSERT_EQ(::chmod(DictionaryDir().c_str(), 0555), 0);
    r = Run(args);
    ::chmod(DictionaryDir().c_str(), 0755);
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_THAT(LogLines(), ElementsAre(LogLine(args)));  // the dictionary folder's log as it was
    EXPECT_EQ(zor::test::Slurp(StateLog()), LogLine(args) + "\n");
}

// With neither the dictionary folder nor the state folder writable, the run does its work all the same.
TEST_F(BatchMessages, LogThatCanBeWrittenNowhereDoesNotFailTheRun) {
    WriteFile(StateDir(), "a file where the state folder would be\n");
    const std::vector<std::string> args = {"-gen", kExample + ".zordot", "-path=" + kExample,
                                           "-outfile=" + W("r.zorrep")};
    ASSERT_EQ(::chmod(DictionaryDir().c_str(), 0555), 0);
    const ProgramResult r = Run(args);
    ::chmod(DictionaryDir().c_str(), 0755);
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Exists(W("r.zorrep")));
    EXPECT_THAT(LogLines(), IsEmpty());
    EXPECT_EQ(zor::test::Slurp(StateDir()), "a file where the state folder would be\n");
}

}  // namespace
}  // namespace quillmark_test
