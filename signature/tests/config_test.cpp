// The configuration files of the signature systems: where they are, how they read and how they are
// changed, hostile files included; the case folding and the OLE date they rely on.
#include "platform/base/config_paths.h"
#include "signature/crypto_provider.h"
#include "signature/csp_config.h"
#include "signature/tests/sig_test_support.h"
#include "platform/text/case_fold.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using sig::CspConfig;
using sig::CspConfigFiles;
using sig::CspSystem;
using sig::test::ConfigFolders;

std::string Keys(CCryptographicProvider& p) {
    std::vector<std::string> names;
    p.GetAllKeys(names);
    std::string joined;
    for (const std::string& n : names) joined += (joined.empty() ? "" : ",") + n;
    return joined;
}

TEST(CspFiles, FoundThroughTheXdgVariables) {
    zor::test::ScopedEnv home("XDG_CONFIG_HOME", "/home/u/conf");
    struct Row { std::optional<std::string> dirs; const char* machine; };
    const Row rows[] = {
        {std::nullopt, "/etc/xdg/Veldcourt"},
        {"", "/etc/xdg/Veldcourt"},
        {"/opt/xdg/", "/opt/xdg/Veldcourt"},
        {"relative/dir:/srv/conf:/etc/xdg", "/srv/conf/Veldcourt"},
        {"::", "/etc/xdg/Veldcourt"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.dirs.value_or("(unset)"));
        zor::test::ScopedEnv dirs("XDG_CONFIG_DIRS", r.dirs);
        EXPECT_EQ(zor::MachineConfigDir(), r.machine);
        const CspConfigFiles files = CspConfigFiles::FromEnvironment();
        EXPECT_EQ(files.systemsFile, std::string(r.machine) + "/SigilonCSP.ini");
        EXPECT_EQ(files.userFile, "/home/u/conf/Veldcourt/Sigilon.ini");
    }
}

// Names that a registry key could not hold as a file section can: they are values.
TEST(CspFiles, AnyNameSurvivesWritingAndReading) {
    ConfigFolders folders;
    const CspConfig config(CspConfigFiles::FromEnvironment());
    const std::vector<CspSystem> systems = {
        {"ГОСТ / КриптоПро]", "/opt/a b/libgost.so"}, {"key=value", "/x.so"}, {"[CSP 1]", "/y.so"}, {"  ", "/z.so"}};
    std::string error;
    for (const CspSystem& s : systems) ASSERT_TRUE(config.ApplySystems({{}, s, false}, &error)) << error;
    const std::vector<CspSystem> read = config.ReadSystems();
    ASSERT_EQ(read.size(), systems.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].name, systems[i].name);
        EXPECT_EQ(read[i].libPath, systems[i].libPath);
    }
    // Matching ignores case, Cyrillic included: one system per name, and removal finds it the same way.
    ASSERT_TRUE(config.ApplySystems({{}, CspSystem{"гост / криптопро]", "/new.so"}, false}, &error)) << error;
    ASSERT_EQ(config.ReadSystems().size(), systems.size());
    EXPECT_EQ(config.ReadSystems()[0].name, "гост / криптопро]");
    EXPECT_EQ(config.ReadSystems()[0].libPath, "/new.so");
    ASSERT_TRUE(config.ApplySystems({{"KEY=VALUE"}, std::nullopt, false}, &error));
    EXPECT_EQ(config.ReadSystems().size(), systems.size() - 1);
    // A change of an existing system only: nothing is made for one that is not listed.
    const std::string before = zor::test::Slurp(folders.SystemsFile());
    ASSERT_TRUE(config.ApplySystems({{}, CspSystem{"Nobody", "/n.so"}, true}, &error));
    EXPECT_EQ(zor::test::Slurp(folders.SystemsFile()), before);
    // A line break cannot be written as a value: refused, the file as it was.
    EXPECT_FALSE(config.ApplySystems({{}, CspSystem{"two\nlines", "/n.so"}, false}, &error));
    EXPECT_EQ(zor::test::Slurp(folders.SystemsFile()), before);
}

TEST(CspFiles, DefaultIsWrittenOnlyWhereAsked) {
    ConfigFolders folders;
    const CspConfig config(CspConfigFiles::FromEnvironment());
    std::string error;
    EXPECT_TRUE(config.WriteDefault("A", false, &error));  // no file: left missing
    EXPECT_FALSE(std::filesystem::exists(folders.UserFile()));
    EXPECT_TRUE(config.WriteDefault("Б", true, &error)) << error;
    EXPECT_EQ(config.ReadDefault(), "Б");
    EXPECT_TRUE(config.WriteDefault("", false, &error));
    EXPECT_EQ(zor::test::Slurp(folders.UserFile()), "[CSP]\nDefaultCSP=\n");
}

TEST(CspFiles, WritesThatCannotBeDoneSayWhy) {
    ConfigFolders folders;
    // The machine folder lies under a plain file: it can be neither made nor written, even by root.
    const std::string blocker = folders.Path("blocker");
    ConfigFolders::Write(blocker, "x");
    const CspConfig config(CspConfigFiles{blocker + "/Veldcourt/SigilonCSP.ini", blocker + "/u/Sigilon.ini"});
    std::string error;
    EXPECT_FALSE(config.ApplySystems({{}, CspSystem{"A", "/a.so"}, false}, &error));
    EXPECT_NE(error.find(blocker + "/Veldcourt/SigilonCSP.ini"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(config.WriteDefault("A", true, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(config.ReadSystems().empty());
    EXPECT_EQ(zor::test::Slurp(blocker), "x");
}

// Damaged files read what can be read, never crash, and lose nothing when a system is added afterwards.
TEST(CspFiles, HostileFiles) {
    std::mt19937 random(20261210);
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(random() & 0xFF);
    std::string longName(1 << 18, 'x');
    const std::string cyrillicLong = [] {
        std::string s;
        for (int i = 0; i < 50000; ++i) s += "я";
        return s;
    }();
    struct Row {
        const char* what;
        std::string systems;
        std::string user;
        const char* keys;  // null: whatever the bytes give
    };
    const Row rows[] = {
        {"cut in a section header", "[CSP 1]\nName=A\nLibPath=/a.so\n[CSP 2", "[CSP]\nDefaultCSP=A\n", "A"},
        {"cut in a value", "[CSP 1]\nName=A\nLibPath=/a.so\n[CSP 2]\nName=B\nLibPath=/b.s", "", "A,B"},
        {"cut in a key", "[CSP 1]\nName=A\nLibPa", "[CSP]\nDefaultC", ""},
        {"no line ends at all", "[CSP 1]Name=A LibPath=/a.so", "", ""},
        {"CR LF line ends", "[CSP 1]\r\nName=A\r\nLibPath=/a.so\r\n", "[CSP]\r\nDefaultCSP=A\r\n", "A"},
        {"binary", binary, binary, nullptr},
        {"a zero byte in a name", std::string("[CSP 1]\nName=A\0B\nLibPath=/a.so\n", 30), "", nullptr},
        {"a very long name", "[CSP 1]\nName=" + longName + "\nLibPath=/a.so\n", "[CSP]\nDefaultCSP=" + longName + "\n",
         nullptr},
        {"a very long Cyrillic path", "[CSP 1]\nName=A\nLibPath=/" + cyrillicLong + "\n", "", "A"},
        {"a very long line of nothing", std::string(1 << 18, '['), std::string(1 << 16, '='), ""},
        {"sections without names or paths", "[CSP 1]\nLibPath=/a.so\n[CSP 2]\nName=B\n[CSP 3]\nName=\nLibPath=/c.so\n",
         "", ""},
        {"the same name in two cases", "[a]\nName=Sys\nLibPath=/a.so\n[b]\nName=SYS\nLibPath=/b.so\n", "", "Sys,SYS"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ConfigFolders folders;
        ConfigFolders::Write(folders.SystemsFile(), r.systems);
        ConfigFolders::Write(folders.UserFile(), r.user);
        {
            CCryptographicProvider p;
            if (r.keys) {
                EXPECT_EQ(Keys(p), r.keys);
            }
            EXPECT_FALSE(p.IsLibraryLoaded());
            EXPECT_EQ(p.Synchronize(), 0);
        }
        EXPECT_EQ(zor::test::Slurp(folders.SystemsFile()), r.systems);  // reading never writes
        EXPECT_EQ(zor::test::Slurp(folders.UserFile()), r.user);

        const CspConfig config(CspConfigFiles::FromEnvironment());
        std::string error;
        ASSERT_TRUE(config.ApplySystems({{}, CspSystem{"Новая", "/new.so"}, false}, &error)) << error;
        ASSERT_TRUE(config.WriteDefault("Новая", false, &error)) << error;
        const std::string after = zor::test::Slurp(folders.SystemsFile());
        // Everything that was there is still there, in its place; the new system comes after it.
        std::string kept = r.systems;
        EXPECT_EQ(after.compare(0, kept.size(), kept), 0);
        CCryptographicProvider p;
        EXPECT_NE(("," + Keys(p) + ",").find(",Новая,"), std::string::npos);
        std::string name = "DefaultCSP", def;
        int isDefault = 0;
        p.GetValue(name, def, isDefault);
        EXPECT_EQ(def, "Новая");
    }
}

TEST(CspFiles, ADirectoryInPlaceOfAFile) {
    ConfigFolders folders;
    std::filesystem::create_directories(folders.SystemsFile());
    std::filesystem::create_directories(folders.UserFile());
    CCryptographicProvider p;
    EXPECT_EQ(Keys(p), "");
    const CspConfig config(CspConfigFiles::FromEnvironment());
    std::string error;
    EXPECT_FALSE(config.ApplySystems({{}, CspSystem{"A", "/a.so"}, false}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(config.WriteDefault("A", false, &error));
    EXPECT_TRUE(std::filesystem::is_directory(folders.SystemsFile()));
}

TEST(TextFold, LettersOfAllCases) {
    struct Row { const char* a; const char* b; bool equal; };
    const Row rows[] = {
        {"Crypto", "CRYPTO", true},
        {"КриптоПро", "криптопро", true},
        {"ЁЖИК", "ёжик", true},
        {"Ґрунт Її", "ґрунт її", true},
        {"ÀÉÎÕÜ", "àéîõü", true},
        {"×", "÷", false},
        {"/Opt/Lib.SO", "/opt/lib.so", true},
        {"e", "é", false},
        {"\xFF\xD0", "\xFF\xD0", true},       // bytes that are not UTF-8 compare as they are
        {"\xD0", "\xF0", false},
        {"ß", "SS", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.a) + " / " + r.b);
        EXPECT_EQ(zor::EqualsFolded(r.a, r.b), r.equal);
    }
}

TEST(OleDate, ConversionsBothWays) {
    struct Row { int y, mo, d, h, mi, s; double ole; int64_t unix; };
    const Row rows[] = {
        {1899, 12, 30, 0, 0, 0, 0.0, -2209161600},
        {1899, 12, 29, 6, 0, 0, -1.25, -2209226400},
        {1899, 12, 30, 12, 0, 0, 0.5, -2209118400},
        {1970, 1, 1, 0, 0, 0, 25569.0, 0},
        {2000, 2, 29, 18, 0, 0, 36585.75, 951847200},
        {1800, 1, 1, 0, 0, 0, -36522.0, -5364662400},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.ole);
        EXPECT_DOUBLE_EQ(COleDateTime(r.y, r.mo, r.d, r.h, r.mi, r.s).m_dt, r.ole);
        EXPECT_DOUBLE_EQ(zor::OleDateFromUnixTime(r.unix), r.ole);
        int64_t seconds = 1;
        ASSERT_TRUE(zor::UnixTimeFromOleDate(r.ole, seconds));
        EXPECT_EQ(seconds, r.unix);
    }
    int64_t seconds = 7;
    EXPECT_FALSE(zor::UnixTimeFromOleDate(std::nan(""), seconds));
    EXPECT_FALSE(zor::UnixTimeFromOleDate(1e300, seconds));
    EXPECT_FALSE(zor::UnixTimeFromOleDate(-1e7, seconds));
    EXPECT_EQ(seconds, 7);
    EXPECT_EQ(COleDateTime(2023, 2, 29, 0, 0, 0).m_dt, 0.0);  // no such day
    EXPECT_EQ(COleDateTime(2023, 13, 1, 0, 0, 0).m_dt, 0.0);
}

}  // namespace
