#include "platform/base/config_paths.h"
#include "platform/base/file_io.h"
#include "platform/base/transport_ini.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zor;
using zor::test::Slurp;
namespace fs = std::filesystem;

namespace {

// Every test has its own configuration folder and no ZOR_TRANSPORT_INI, so the user's real files are never touched.
class TransportIni : public ::testing::Test {
protected:
    test::ScopedTempDir m_config;
    test::ScopedEnv m_xdg{"XDG_CONFIG_HOME", m_config.Path()};
    test::ScopedEnv m_ini{"ZOR_TRANSPORT_INI", std::nullopt};
    std::string UserFile() const { return m_config / "Veldcourt/ZorTransport.ini"; }
    std::string InstalledFile() const { return std::string(QM_DICT_DIR) + "/ZorTransport.ini"; }
};

TEST_F(TransportIni, InstalledDefaultGivesTheInstalledDictionaryFolder) {
    EXPECT_EQ(InstalledDictDir(), std::string(QM_DICT_DIR) + "/");
    EXPECT_EQ(TransportIniPath(), InstalledDictDir() + "ZorTransport.ini");
    ASSERT_TRUE(fs::exists(TransportIniPath())) << "dict/ZorTransport.ini is installed with the dictionary";
    EXPECT_EQ(DictionaryDir(), InstalledDictDir());
    EXPECT_EQ(TransportIniWritePath(), UserFile());
}

TEST_F(TransportIni, FirstChangeMakesTheUsersFileAndLeavesTheInstalledOneAlone) {
    const std::string installed = Slurp(InstalledFile());
    std::string error;
    ASSERT_TRUE(WriteTransportString("LocalServer", "ServerPath", "/opt/zor/appserver", &error)) << error;
    EXPECT_EQ(Slurp(InstalledFile()), installed);
    ASSERT_TRUE(fs::exists(UserFile()));
    EXPECT_EQ(TransportIniPath(), UserFile());
    EXPECT_EQ(GetTransportString("LocalServer", "ServerPath"), "/opt/zor/appserver");
    EXPECT_NE(Slurp(UserFile()).find("; Transport settings"), std::string::npos) << "made from the installed file";
    EXPECT_EQ(DictionaryDir(), InstalledDictDir()) << "an empty Dictionary still means the installed folder";

    ASSERT_TRUE(WriteTransportString("Paths", "Dictionary", "/srv/zor/dict", &error)) << error;
    EXPECT_EQ(DictionaryDir(), "/srv/zor/dict/") << "file names are appended to it directly";
    ASSERT_TRUE(WriteTransportString("Paths", "Dictionary", "/srv/Словарь/", &error)) << error;
    EXPECT_EQ(DictionaryDir(), "/srv/Словарь/");

    ASSERT_TRUE(DeleteTransportKey("LocalServer", "ServerPath", &error)) << error;
    EXPECT_EQ(GetTransportString("LocalServer", "ServerPath", "none"), "none");
    EXPECT_FALSE(WriteTransportString("Paths", "Dictionary", "two\nlines", &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(TransportIni, VariableNamesTheFileForReadingAndWriting) {
    test::ScopedTempDir other;
    test::ScopedEnv env("ZOR_TRANSPORT_INI", other / "mine.ini");
    EXPECT_EQ(TransportIniPath(), other / "mine.ini");
    EXPECT_EQ(TransportIniWritePath(), other / "mine.ini");
    EXPECT_EQ(GetTransportString("Paths", "Dictionary", "unset"), "unset") << "a missing file holds nothing";
    EXPECT_EQ(DictionaryDir(), InstalledDictDir());

    ASSERT_TRUE(WriteTransportString("ConnectionsList", "0", "Главная=127.0.0.1:7239/reports/Иванов"));
    EXPECT_EQ(Slurp(other / "mine.ini"), "[ConnectionsList]\n0=Главная=127.0.0.1:7239/reports/Иванов\n");
    EXPECT_FALSE(fs::exists(UserFile()));
}

TEST_F(TransportIni, UsersFileWinsOverTheInstalledOne) {
    fs::create_directories(m_config / "Veldcourt");
    ASSERT_TRUE(WriteFileAtomically(UserFile(), "[paths]\r\ndictionary = /data/dict\\\r\n"));
    EXPECT_EQ(TransportIniPath(), UserFile());
    EXPECT_EQ(GetTransportString("Paths", "Dictionary"), "/data/dict\\");
}

TEST_F(TransportIni, NoHomeMeansNoUserFile) {
    test::ScopedEnv xdg("XDG_CONFIG_HOME", "relative/path");  // ignored, as the XDG rules say
    test::ScopedEnv home("HOME", "/nonexistent-home");
    EXPECT_EQ(UserConfigDir(), "/nonexistent-home/.config/Veldcourt");
    EXPECT_EQ(TransportIniPath(), InstalledDictDir() + "ZorTransport.ini");
}

}  // namespace
