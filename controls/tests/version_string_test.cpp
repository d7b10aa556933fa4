// Version strings: the look-ups by path, the reader's steps from the first translation to the string,
// and the version the build gave this library.
#include "controls/version_string.h"

#include <gtest/gtest.h>

namespace {

using namespace zor;

const VersionTranslation kRussianUtf8[] = {{0x0419, 65001}, {0x0409, 1252}};
const VersionStringEntry kStrings[] = {{"ProductVersion", "2.5.1"}, {"CompanyName", "Veldcourt"}, {"Comments", ""}};
const VersionResource kVersion = {kRussianUtf8, "0419fde9", kStrings};

TEST(VersionString, PathsAreLookedUpWithoutRegardToCase) {
    struct Case { const char* path; bool found; const char* value; };
    const Case cases[] = {
        {"\\StringFileInfo\\0419fde9\\ProductVersion", true, "2.5.1"},
        {"\\stringfileinfo\\0419FDE9\\productversion", true, "2.5.1"},
        {"\\StringFileInfo\\0419fde9\\Comments", true, ""},
        {"\\StringFileInfo\\0419fde9\\FileVersion", false, ""},
        {"\\StringFileInfo\\040904e4\\ProductVersion", false, ""},  // the second translation has no block
        {"\\StringFileInfo\\0419fde9", false, ""},
        {"\\StringFileInfo\\0419fde9\\ProductVersion\\", false, ""},
        {"StringFileInfo\\0419fde9\\ProductVersion", false, ""},
        {"\\StringFileInfo\\\\ProductVersion", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string value = "untouched";
        EXPECT_EQ(QueryVersionString(kVersion, c.path, value), c.found) << c.path;
        EXPECT_EQ(value, c.found ? c.value : "untouched") << c.path;
    }
    std::vector<VersionTranslation> translations;
    ASSERT_TRUE(QueryVersionTranslations(kVersion, "\\VarFileInfo\\Translation", translations));
    ASSERT_EQ(translations.size(), 2u);
    EXPECT_EQ(translations[0].language, 0x0419);
    EXPECT_EQ(translations[0].codePage, 65001);
    EXPECT_FALSE(QueryVersionTranslations(kVersion, "\\VarFileInfo", translations));
    EXPECT_FALSE(QueryVersionTranslations(kVersion, "\\StringFileInfo\\Translation", translations));
}

// The reader takes the block its first translation names; without a key, a resource or a
// translation the value is empty.
TEST(VersionString, TheFirstTranslationNamesTheBlock) {
    const VersionResource noTranslation = {{}, "0419fde9", kStrings};
    const VersionTranslation englishFirst[] = {{0x0409, 1252}, {0x0419, 65001}};
    const VersionResource otherBlockFirst = {englishFirst, "0419fde9", kStrings};
    const VersionResource noBlock = {kRussianUtf8, nullptr, kStrings};
    struct Case { const VersionResource* version; const char* key; const char* value; };
    const Case cases[] = {
        {&kVersion, "ProductVersion", "2.5.1"},  {&kVersion, "CompanyName", "Veldcourt"},
        {&kVersion, "Comments", ""},             {&kVersion, "FileVersion", ""},
        {&kVersion, nullptr, ""},                {&kVersion, "", ""},
        {&kVersion, "x\\ProductVersion", ""},    {nullptr, "ProductVersion", ""},
        {&noTranslation, "ProductVersion", ""},  {&otherBlockFirst, "ProductVersion", ""},
        {&noBlock, "ProductVersion", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VersionStringOf(c.version, c.key), c.value) << (c.key ? c.key : "(null)");
}

TEST(VersionString, TheLibraryCarriesTheBuildsVersion) {
    std::string value = "stale";
    GetVersionString(ResourceModule::Vistrel, "ProductVersion", value);
    EXPECT_EQ(value, QM_PROJECT_VERSION);
    GetVersionString(ResourceModule::Vistrel, "FileVersion", value);
    EXPECT_EQ(value, QM_PROJECT_VERSION);
    GetVersionString(ResourceModule::Vistrel, "InternalName", value);
    EXPECT_EQ(value, "vistrel");
    GetVersionString(ResourceModule::Vistrel, "ProductName", value);
    EXPECT_EQ(value, "Квиллмарк");
    GetVersionString(ResourceModule::Vistrel, nullptr, value);
    EXPECT_EQ(value, "");
    // This test links no networked-store library: that module has no version here.
    value = "stale";
    GetVersionString(ResourceModule::Peltrane, "ProductVersion", value);
    EXPECT_EQ(value, "");
}

}  // namespace
