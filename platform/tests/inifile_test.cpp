#include "platform/base/file_io.h"
#include "platform/base/inifile.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace zor;
using zor::test::Slurp;
namespace fs = std::filesystem;

TEST(IniFile, AwkwardValuesComeBackByteForByte) {
    struct Case { std::string section, key, value; };
    const Case cases[] = {
        {"Paths", "Dictionary", "C:\\Zor\\dict\\"},
        {"ConnectionsList", "0", "a=b:7239/c/d"},
        {"ConnectionsList", "1", "Главная=сервер:7239/база"},
        {"Options", "commas", "1,2,,3, 4"},
        {"Options", "cp1251", "\xCF\xF0\xE8\xE2\xE5\xF2"},            // not UTF-8
        {"Options", "raw bytes", std::string("\x80\xFF\x01\0tail", 8)},
        {"Options", "blanks", "  padded\t "},
        {"Options", "quoted", "\"quoted\""},
        {"Options", "empty quotes", "\"\""},
        {"Options", "one quote", "\""},
        {"Options", "inner quotes", "say \"hi\" now"},
        {"Options", "semicolon", "; not a comment"},
        {"Options", "hash", "#1"},
        {"Options", "bracket", "[Paths]"},
        {"Options", "equals", "=="},
        {"Options", "empty", ""},
        {"Options", "long", std::string(5000, 'x')},
        {"Раздел", "Ключ", "Значение"},
    };
    IniFile ini;
    for (const auto& c : cases) ASSERT_TRUE(ini.SetString(c.section, c.key, c.value)) << c.key;

    test::ScopedTempDir dir;
    std::string error;
    ASSERT_TRUE(ini.Save(dir / "ZorTransport.ini", &error)) << error;
    IniFile back;
    ASSERT_TRUE(back.Load(dir / "ZorTransport.ini", &error)) << error;
    for (const auto& c : cases) {
        auto v = back.Get(c.section, c.key);
        ASSERT_TRUE(v.has_value()) << c.key;
        EXPECT_EQ(*v, c.value) << c.key;
    }
    EXPECT_EQ(back.Text(), ini.Text());
}

TEST(IniFile, HandWrittenFileKeepsItsCommentsAndLineEnds) {
    const std::string text =
        "\xEF\xBB\xBF; settings\r\n"
        "\r\n"
        "[Paths]\r\n"
        "# the folder\r\n"
        "  Dictionary =  /srv/dict/  \r\n"
        "not an entry\r\n"
        "\r\n"
        "[ConnectionsList]\r\n"
        "0=a=b:7239/c\r\n"
        "5=x=y:1/z/u\r\n";
    IniFile ini;
    ini.Parse(text);
    EXPECT_EQ(ini.GetString("paths", "DICTIONARY"), "/srv/dict/");
    EXPECT_EQ(ini.GetString("ConnectionsList", "0"), "a=b:7239/c");
    EXPECT_EQ(ini.GetString("ConnectionsList", "3", "none"), "none");
    EXPECT_FALSE(ini.Get("Paths", "not an entry").has_value());
    EXPECT_EQ(ini.Text(), text) << "an unchanged file is written back as it was";

    ASSERT_TRUE(ini.SetString("ConnectionsList", "5", "q=w:2/e"));
    ASSERT_TRUE(ini.SetString("Paths", "Logs", "/var/log/zor"));
    ASSERT_TRUE(ini.SetString("LocalServer", "ServerPath", "/opt/zor/server"));
    EXPECT_EQ(ini.Text(),
              "\xEF\xBB\xBF; settings\r\n"
              "\r\n"
              "[Paths]\r\n"
              "# the folder\r\n"
              "  Dictionary =  /srv/dict/  \r\n"
              "Logs=/var/log/zor\r\n"
              "not an entry\r\n"
              "\r\n"
              "[ConnectionsList]\r\n"
              "0=a=b:7239/c\r\n"
              "5=q=w:2/e\r\n"
              "[LocalServer]\r\n"
              "ServerPath=/opt/zor/server\r\n");
}

TEST(IniFile, LookupRulesAndDeletion) {
    IniFile ini;
    ini.Parse("top=ignored\n[A]\nk=first\nK=second\n[b]\nx=1\n[a]\nk=third\nonly=here\n");
    EXPECT_FALSE(ini.Get("", "top").has_value()) << "entries before the first section belong to none";
    EXPECT_EQ(ini.GetString("a", "k"), "first");
    EXPECT_EQ(ini.GetString("A", "only"), "here") << "a repeated section is one section";
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ(ini.KeyNames("A"), (std::vector<std::string>{"k", "only"}));
    EXPECT_EQ(ini.GetString("Б", "x", "-"), "-");

    EXPECT_TRUE(ini.DeleteKey("a", "K"));
    EXPECT_FALSE(ini.Get("A", "k").has_value()) << "every copy of the key goes";
    EXPECT_FALSE(ini.DeleteKey("A", "k"));
    EXPECT_TRUE(ini.DeleteSection("B"));
    EXPECT_FALSE(ini.Get("b", "x").has_value());
    EXPECT_EQ(ini.Text(), "top=ignored\n[A]\n[a]\nonly=here\n");
}

TEST(IniFile, RefusesWhatCannotBeWrittenAsOneLine) {
    struct Case { std::string section, key, value; };
    const Case cases[] = {
        {"", "k", "v"},       {" A", "k", "v"},     {"A]", "k", "v"},     {"A\nB", "k", "v"},
        {"A", "", "v"},       {"A", "k=", "v"},     {"A", ";k", "v"},     {"A", "#k", "v"},
        {"A", "[k", "v"},     {"A", "k ", "v"},     {"A", "k\r", "v"},    {"A", "k", "line\nbreak"},
        {"A", "k", "cr\r"},
    };
    IniFile ini;
    ini.Parse("[A]\nk=old\n");
    for (const auto& c : cases) EXPECT_FALSE(ini.SetString(c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(ini.Text(), "[A]\nk=old\n");
}

TEST(IniFile, ToleratesOddInput) {
    IniFile ini;
    ini.Parse("[Open\nk=v\n[]\n=novalue\nkey-only\n[Last]\nend=yes");
    EXPECT_EQ(ini.GetString("Open", "k"), "v") << "a header without ']' still names its section";
    EXPECT_EQ(ini.GetString("Last", "end"), "yes") << "the last line needs no line end";
    EXPECT_EQ(ini.Text(), "[Open\nk=v\n[]\n=novalue\nkey-only\n[Last]\nend=yes\n");
    ini.Parse("");
    EXPECT_EQ(ini.Text(), "");
    EXPECT_TRUE(ini.SetString("S", "k", "v"));
    EXPECT_EQ(ini.Text(), "[S]\nk=v\n");
}

// Stray carriage returns before a line end: what is written once reads back to the same text, and a change
// does not turn the file's LF lines into CR LF lines.
TEST(IniFile, StrayCarriageReturnsDoNotChangeTheLineEnds) {
    struct Case { const char* text; const char* written; } cases[] = {
        {"$P]i$P]i\r\r", "$P]i$P]i\n"},
        {"[A]\nk=v\r\r\n", "[A]\nk=v\n"},
        {"[A]\r\r\nk=v\r\n", "[A]\r\nk=v\r\n"},
        {"[A]\r\nk=v\r\r\r\n", "[A]\r\nk=v\r\n"},
        {"a\rb\n", "a\rb\n"},
    };
    for (const Case& c : cases) {
        IniFile ini;
        ini.Parse(c.text);
        EXPECT_EQ(ini.Text(), c.written) << c.text;
        ASSERT_TRUE(ini.SetString("Paths", "Dictionary", "/d"));
        const std::string changed = ini.Text();
        IniFile again;
        again.Parse(changed);
        EXPECT_EQ(again.Text(), changed) << c.text;
    }
}

TEST(IniFile, LoadOfAMissingFileFailsWithAReason) {
    test::ScopedTempDir dir;
    IniFile ini;
    std::string error;
    EXPECT_FALSE(ini.Load(dir / "absent.ini", &error));
    EXPECT_NE(error.find("absent.ini"), std::string::npos) << error;
    EXPECT_TRUE(ini.SectionNames().empty());
    EXPECT_FALSE(ini.Load(dir.Path(), &error)) << "a folder is not a file";
}

TEST(AtomicWrite, ReplacesTheFileAndLeavesNothingBehind) {
    test::ScopedTempDir dir;
    const std::string path = dir / "settings.ini";
    ASSERT_TRUE(WriteFileAtomically(path, "old\n"));
    ::chmod(path.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "new\n", &error)) << error;
    EXPECT_EQ(Slurp(path), "new\n");
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replaced file keeps its permissions";
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir.Path())) entries += e.exists();
    EXPECT_EQ(entries, 1) << "no temporary file is left";
}

TEST(AtomicWrite, FollowsASymbolicLink) {
    test::ScopedTempDir dir;
    ASSERT_TRUE(WriteFileAtomically(dir / "real.ini", "old"));
    fs::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_TRUE(WriteFileAtomically(dir / "link.ini", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(Slurp(dir / "real.ini"), "new");
}

TEST(AtomicWrite, AFailedWriteKeepsTheOldFile) {
    test::ScopedTempDir dir;
    const std::string path = dir / "settings.ini";
    ASSERT_TRUE(WriteFileAtomically(path, "old content\n"));

    // Let no file grow past 16 bytes, so that writing the new content fails half way (this works as root too).
    struct rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool ok = WriteFileAtomically(path, std::string(1000, 'n'), &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_NE(error.find("settings.ini"), std::string::npos) << error;
    EXPECT_EQ(Slurp(path), "old content\n");
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir.Path())) entries += e.exists();
    EXPECT_EQ(entries, 1) << "the temporary file is removed";

    EXPECT_FALSE(WriteFileAtomically(dir / "no/such/folder/x.ini", "x", &error));
}

TEST(AtomicWrite, AStreamReplacesTheFileOnlyWhenCommitted) {
    test::ScopedTempDir dir;
    const std::string path = dir / "picture.bin";
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    ::chmod(path.c_str(), 0604);
    auto entries = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir.Path())) n += e.exists();
        return n;
    };
    {
        AtomicFileWriter abandoned;
        ASSERT_TRUE(abandoned.Open(path));
        EXPECT_TRUE(abandoned.Write("half"));
    }
    EXPECT_EQ(Slurp(path), "old");
    EXPECT_EQ(entries(), 1) << "an abandoned writer leaves no temporary file";

    // A library that writes by name gets the temporary file with the stream closed.
    AtomicFileWriter out;
    ASSERT_TRUE(out.Open(path));
    ASSERT_TRUE(out.CloseStream());
    { std::ofstream(out.TempPath(), std::ios::binary) << "new"; }
    EXPECT_EQ(Slurp(path), "old");
    std::string error;
    ASSERT_TRUE(out.Commit(&error)) << error;
    EXPECT_EQ(Slurp(path), "new");
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(entries(), 1);
    EXPECT_FALSE(out.Commit(&error)) << "a writer commits once";
    EXPECT_EQ(Slurp(path), "new");
}

TEST(FileFailureLine, NamesTheFileOnce) {
    const struct {
        std::string reason, line;
    } cases[] = {
        {"Permission denied", "/r/a.zorrep: Permission denied"},
        {"Файл доступен только для чтения: /r/a.zorrep", "/r/a.zorrep: Файл доступен только для чтения"},
        // Another file named at the end (the folder) is part of the reason.
        {"Ошибка записи файла: /r", "/r/a.zorrep: Ошибка записи файла: /r"},
        {": /r/a.zorrep", "/r/a.zorrep"},
        {"Ошибка записи файла: /r/a.zorrep: это папка", "/r/a.zorrep: Ошибка записи файла: это папка"},
        // Only the path as a whole part: a longer name that begins with it stays.
        {"Ошибка записи файла: /r/a.zorrep.tmp: нет места", "/r/a.zorrep: Ошибка записи файла: /r/a.zorrep.tmp: нет места"},
        {"", "/r/a.zorrep"},
    };
    for (const auto& c : cases) EXPECT_EQ(FileFailureLine("/r/a.zorrep", c.reason), c.line) << c.reason;
}
