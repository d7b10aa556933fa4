// The start line in "report.log": how the command line is written, and how the file grows.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "designer/start_log.h"
#include "platform/base/config_paths.h"
#include "platform/tests/test_support.h"

namespace {

using quillmark::AppendStartLog;
using quillmark::CommandLineText;
using quillmark::StartLogFolder;

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
    ASSERT_TRUE(AppendStartLog(folder, dir / "state", "quillmark -gen"));
    ASSERT_TRUE(AppendStartLog(folder, dir / "state", "quillmark -unification a b"));
    EXPECT_EQ(zor::test::Slurp(dir / "report.log"), "quillmark -gen\nquillmark -unification a b\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "state"));
}

TEST(StartLog, AnExistingLogKeepsItsContent) {
    zor::test::ScopedTempDir dir;
    ASSERT_TRUE(zor::WriteFileAtomically(dir / "report.log", "earlier line\n"));
    ASSERT_TRUE(AppendStartLog(dir.Path() + "/", dir / "state", "quillmark"));
    EXPECT_EQ(zor::test::Slurp(dir / "report.log"), "earlier line\nquillmark\n");
}

// A missing dictionary folder is not made for the log; the line goes to the state folder.
TEST(StartLog, AMissingFolderIsNotMade) {
    zor::test::ScopedTempDir dir;
    EXPECT_TRUE(AppendStartLog(dir.Path() + "/absent/", dir / "state", "quillmark"));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
    EXPECT_EQ(zor::test::Slurp(dir / "state/report.log"), "quillmark\n");
}

// Where the line lands, for each kind of dictionary folder. The state folder and the folders above it
// are made when missing, for their owner alone.
struct FolderCase {
    const char* name;
    void (*prepare)(const std::string& dict);  // the dictionary folder exists, writable, before this
    bool chosen;        // StartLogFolder names the dictionary folder
    bool inDictionary;  // the line lands there
};

TEST(StartLog, LogStaysInTheDictionaryFolderOnlyWhenItIsTheUsersAndWritable) {
    const FolderCase cases[] = {
        {"the user's writable folder", [](const std::string&) {}, true, true},
        {"a read-only folder", [](const std::string& dict) { ::chmod(dict.c_str(), 0555); }, false, false},
        {"a folder of another user",
         [](const std::string& dict) {
             // Only the superuser can give a folder away; anyone else sees the read-only row above.
             if (::geteuid() == 0) {
                 ASSERT_EQ(::chown(dict.c_str(), 65534, 65534), 0);
             } else {
                 ::chmod(dict.c_str(), 0555);
             }
         },
         false, false},
        {"a log file that may not be written",
         [](const std::string& dict) { std::filesystem::create_directory(dict + "/report.log"); }, true,
         false},
        {"a file instead of a folder",
         [](const std::string& dict) {
             std::filesystem::remove(dict);
             ASSERT_TRUE(zor::WriteFileAtomically(dict, "not a folder\n"));
         },
         false, false},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        zor::test::ScopedTempDir dir;
        const std::string dict = dir / "dict";
        const std::string state = dir / "state/deeper/Veldcourt";
        std::filesystem::create_directory(dict);
        ASSERT_NO_FATAL_FAILURE(c.prepare(dict));
        EXPECT_EQ(StartLogFolder(dict + "/", state), c.chosen ? dict + "/" : state + "/");
        EXPECT_TRUE(AppendStartLog(dict + "/", state, "quillmark -gen"));
        if (c.inDictionary) {
            EXPECT_EQ(zor::test::Slurp(dict + "/report.log"), "quillmark -gen\n");
            EXPECT_FALSE(std::filesystem::exists(dir / "state"));
        } else {
            EXPECT_EQ(zor::test::Slurp(state + "/report.log"), "quillmark -gen\n");
            struct stat st {};
            ASSERT_EQ(::stat((dir / "state").c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
        }
        ::chmod(dict.c_str(), 0755);
    }
}

// A log that can be written nowhere loses its line and nothing else.
TEST(StartLog, NoWritableFolderLogsNothing) {
    zor::test::ScopedTempDir dir;
    ASSERT_TRUE(zor::WriteFileAtomically(dir / "file", "a file, not a folder\n"));
    EXPECT_FALSE(AppendStartLog(dir.Path() + "/absent/", dir / "file/Veldcourt", "quillmark"));
    EXPECT_FALSE(AppendStartLog(dir.Path() + "/absent/", "", "quillmark"));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
    EXPECT_EQ(zor::test::Slurp(dir / "file"), "a file, not a folder\n");
}

struct StateDirCase {
    std::optional<std::string> xdg, home;
    std::string dir;
};

TEST(StartLog, StateFolderFollowsTheXdgRules) {
    const StateDirCase cases[] = {
        {"/x/state", "/home/u", "/x/state/Veldcourt"},
        {"/x/state/", "/home/u", "/x/state/Veldcourt"},
        {"relative/state", "/home/u", "/home/u/.local/state/Veldcourt"},  // relative values are ignored
        {"", "/home/u/", "/home/u/.local/state/Veldcourt"},
        {std::nullopt, "/home/u", "/home/u/.local/state/Veldcourt"},
    };
    for (const StateDirCase& c : cases) {
        SCOPED_TRACE(c.xdg.value_or("(unset)"));
        zor::test::ScopedEnv xdg("XDG_STATE_HOME", c.xdg);
        zor::test::ScopedEnv home("HOME", c.home);
        EXPECT_EQ(zor::UserStateDir(), c.dir);
    }
}

}  // namespace
