// The start line in "report.log": how the command line is written, and how the file grows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "designer/start_log.h"
#include "platform/tests/test_support.h"

namespace {

using quillmark::AppendStartLog;
using quillmark::CommandLineText;

struct LineCase {
    std::vector<std::string> argv;
    std::string line;
};

TEST(StartLog, CommandLineIsWrittenAsAShellWouldRunIt) {
    const LineCase cases[] = {
        {{"/usr/bin/quillmark", "-gen", "/tmp/a/t.zordot", "-path=/tmp/a/data", "-outfile=/tmp/a/r.zorrep"},
         "/usr/bin/quillmark -gen /tmp/a/t.zordot -path=/tmp/a/data -outfile=/tmp/a/r.zorrep"},
        {{"quillmark", "-path=/tmp/отчеты/данные"}, "quillmark -path=/tmp/отчеты/данные"},
        {{"quillmark", "/tmp/my report.zordot"}, "quillmark '/tmp/my report.zordot'"},
        {{"quillmark", "it's"}, "quillmark 'it'\\''s'"},
        {{"quillmark", "-outfile=$HOME/r.zorrep"}, "quillmark '-outfile=$HOME/r.zorrep'"},
        {{"quillmark", ""}, "quillmark ''"},
        {{"quillmark", "a\nb"}, "quillmark $'a\\nb'"},
        {{"quillmark", "a'\tb\\c\x01"}, "quillmark $'a\\'\\tb\\\\c\\x01'"},
        {{"quillmark"}, "quillmark"},
        {{}, ""},
    };
    for (const LineCase& c : cases) {
        const std::string line = CommandLineText(c.argv);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
}

TEST(StartLog, LinesAreAppendedToTheFileInTheDictionaryFolder) {
    zor::test::ScopedTempDir dir;
    const std::string folder = dir.Path() + "/";
    ASSERT_TRUE(AppendStartLog(folder, "quillmark -gen"));
    ASSERT_TRUE(AppendStartLog(folder, "quillmark -unification a b"));
    EXPECT_EQ(zor::test::Slurp(dir / "report.log"), "quillmark -gen\nquillmark -unification a b\n");
}

TEST(StartLog, AnExistingLogKeepsItsContent) {
    zor::test::ScopedTempDir dir;
    ASSERT_TRUE(zor::WriteFileAtomically(dir / "report.log", "earlier line\n"));
    ASSERT_TRUE(AppendStartLog(dir.Path() + "/", "quillmark"));
    EXPECT_EQ(zor::test::Slurp(dir / "report.log"), "earlier line\nquillmark\n");
}

TEST(StartLog, AMissingFolderLogsNothing) {
    zor::test::ScopedTempDir dir;
    EXPECT_FALSE(AppendStartLog(dir.Path() + "/absent/", "quillmark"));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
}

}  // namespace
