#include "platform/base/file_io.h"
#include "platform/settings/default_settings.h"
#include "platform/settings/organisation.h"
#include "platform/settings/profile.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <filesystem>

using namespace zor;
namespace fs = std::filesystem;

namespace {

// Each test gets its own configuration folder, so the user's real profile is never read or written.
class Profile : public ::testing::Test {
protected:
    test::ScopedTempDir m_config;
    test::ScopedEnv m_xdg{"XDG_CONFIG_HOME", m_config.Path()};
    std::string File() const { return m_config / "Veldcourt/Квиллмарк.ini"; }
};

TEST_F(Profile, IsTheFileQtKeepsForTheOrganisationAndApplication) {
    EXPECT_EQ(ProfilePath(), File());
    const QSettings qt(QSettings::IniFormat, QSettings::UserScope, "Veldcourt", "Квиллмарк");
    EXPECT_EQ(qt.fileName().toStdString(), File());
}

TEST_F(Profile, DefaultSettingsHaveTheirDefaultsWhenNothingIsStored) {
    EXPECT_EQ(DefaultLineWidth(), 1);
    EXPECT_EQ(DefaultCreateFixed(), 0);
    EXPECT_EQ(DefaultStickSize(), 5);
    EXPECT_EQ(DefaultPictureDrawMode(), 0);
    EXPECT_EQ(GetProfileString("DefaultSettings", "LastUser"), "");
    EXPECT_FALSE(fs::exists(File())) << "reading makes no file";
}

TEST_F(Profile, StoredValuesAreReadBack) {
    ASSERT_TRUE(WriteProfileInt(kDefaultSettings, kLineWidthKey, 3));
    ASSERT_TRUE(WriteProfileInt(kDefaultSettings, kCreateFixedKey, 1));
    ASSERT_TRUE(WriteProfileInt(kDefaultSettings, kStickSizeKey, -2));
    ASSERT_TRUE(WriteProfileInt(kDefaultSettings, kPictureDrawModeKey, 3));
    EXPECT_EQ(DefaultLineWidth(), 3);
    EXPECT_EQ(DefaultCreateFixed(), 1);
    EXPECT_EQ(DefaultStickSize(), -2);
    EXPECT_EQ(DefaultPictureDrawMode(), 3);

    for (const std::string value : {"Иванов И.И.", "a,b, c", "C:\\path\\", "", "  blanks  ", "\"q\""}) {
        ASSERT_TRUE(WriteProfileString("DefaultSettings", "LastUser", value));
        EXPECT_EQ(GetProfileString("DefaultSettings", "LastUser", "-"), value);
    }
    EXPECT_EQ(GetProfileInt("MainFrame", "Screen_X", 50), 50) << "other values keep their defaults";

    std::string text;
    ASSERT_TRUE(ReadWholeFile(File(), text));
    EXPECT_NE(text.find("[DefaultSettings]"), std::string::npos) << text;
    EXPECT_NE(text.find("LineWidth=3"), std::string::npos) << text;
}

TEST_F(Profile, HandWrittenValuesThatAreNoNumbersGiveTheDefault) {
    fs::create_directories(m_config / "Veldcourt");
    ASSERT_TRUE(WriteFileAtomically(File(), "[DefaultSettings]\nLineWidth=abc\nStickSize= 12mm\nCreateFixed=\n"));
    EXPECT_EQ(DefaultLineWidth(), 1);
    EXPECT_EQ(DefaultStickSize(), 12);
    EXPECT_EQ(DefaultCreateFixed(), 0);
}

TEST_F(Profile, EveryCallFollowsTheConfigurationFolder) {
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "StickSize", 9));
    EXPECT_EQ(DefaultStickSize(), 9);
    test::ScopedTempDir other;
    {
        test::ScopedEnv moved("XDG_CONFIG_HOME", other.Path());
        EXPECT_EQ(DefaultStickSize(), 5);
        ASSERT_TRUE(WriteProfileInt("DefaultSettings", "StickSize", 7));
        EXPECT_TRUE(fs::exists(other / "Veldcourt/Квиллмарк.ini"));
    }
    EXPECT_EQ(DefaultStickSize(), 9);
}

TEST_F(Profile, WritingWhereNoFolderCanBeMadeFails) {
    ASSERT_TRUE(WriteFileAtomically(m_config / "plain-file", "x"));
    test::ScopedEnv blocked("XDG_CONFIG_HOME", m_config / "plain-file");
    EXPECT_FALSE(WriteProfileInt("DefaultSettings", "LineWidth", 4));
    EXPECT_EQ(DefaultLineWidth(), 1);
}

TEST_F(Profile, AChangeMadeOnDiskByAnotherProgramIsSeenAtTheNextRead) {
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "LineWidth", 3));
    EXPECT_EQ(DefaultLineWidth(), 3);
    // The settings dialog of another running program writes the file behind our back.
    ASSERT_TRUE(WriteFileAtomically(File(), "[DefaultSettings]\nLineWidth=7\nStickSize=12\n"));
    EXPECT_EQ(DefaultLineWidth(), 7);
    EXPECT_EQ(DefaultStickSize(), 12);
    fs::remove(File());
    EXPECT_EQ(DefaultLineWidth(), 1);
}

// The organisation's file is shared by every program of Veldcourt: a change another one makes is seen at
// the next call even when it keeps the file's size and its modification time (a rewrite within the same
// clock tick looks exactly like that).
TEST_F(Profile, OrganisationValuesFollowARewriteThatKeepsSizeAndTime) {
    const std::string file = OrganisationSettingsPath();
    ASSERT_EQ(file, m_config / "Veldcourt.ini");
    struct Case {
        const char* before;
        const char* after;
        const char* write;  // an entry written by this program after the rewrite, or null
        const char* entry;
        int expected;
    } cases[] = {
        {"[General]\nXP_Menu=0\n", "[General]\nXP_Menu=1\n", nullptr, "XP_Menu", 1},
        {"[General]\nXP_Tree=1\n", "[General]\nXP_Tree=0\n", nullptr, "XP_Tree", 0},
        // Our own write keeps what the other program wrote to another entry.
        {"[General]\nA=1\nB=0\n", "[General]\nA=1\nB=5\n", "A", "B", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        ASSERT_TRUE(WriteFileAtomically(file, c.before));
        const auto stamp = fs::last_write_time(file);
        int value = -1;
        ASSERT_TRUE(GetOrganisationInt(c.entry, value));
        ASSERT_TRUE(WriteFileAtomically(file, c.after));
        fs::last_write_time(file, stamp);
        if (c.write) {
            ASSERT_TRUE(WriteOrganisationInt(c.write, 2));
        }
        value = -1;
        ASSERT_TRUE(GetOrganisationInt(c.entry, value));
        EXPECT_EQ(value, c.expected);
    }
}

}  // namespace
