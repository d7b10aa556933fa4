#include "platform/text/utf8.h"

#include <gtest/gtest.h>

using namespace zor;

namespace {
// "Привет, мир" with a three-byte and a four-byte character: П р и в е т , ␠ м и р € 😀
const std::string kMixed = "Привет, мир€\xF0\x9F\x98\x80";
}  // namespace

TEST(Utf8, LengthCountsCharactersAndEachIllFormedByte) {
    struct Case { std::string text; int length; };
    const Case cases[] = {
        {"", 0},
        {"abc", 3},
        {"Квиллмарк", 9},
        {kMixed, 13},
        {"\xCF\xF0\xE8", 3},               // code page 1251 bytes: not UTF-8, one character each
        {"a\xD0", 2},                      // cut two-byte sequence
        {"\xE2\x82", 2},                   // cut three-byte sequence
        {"\xC0\xAF", 2},                   // overlong form of '/'
        {"\xED\xA0\x80", 3},               // a surrogate is not a character
        {"\xF4\x90\x80\x80", 4},           // past U+10FFFF
        {std::string("a\0b", 3), 3},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8Length(c.text), c.length) << c.text;
}

TEST(Utf8, LeftMidRightNeverSplitACharacter) {
    struct Case { const char* what; std::string got, want; };
    const Case cases[] = {
        {"Left 3", Utf8Left(kMixed, 3), "При"},
        {"Left 0", Utf8Left(kMixed, 0), ""},
        {"Left -1", Utf8Left(kMixed, -1), ""},
        {"Left past end", Utf8Left(kMixed, 100), kMixed},
        {"Right 2", Utf8Right(kMixed, 2), "€\xF0\x9F\x98\x80"},
        {"Right 0", Utf8Right(kMixed, 0), ""},
        {"Right past end", Utf8Right(kMixed, 99), kMixed},
        {"Mid 8", Utf8Mid(kMixed, 8), "мир€\xF0\x9F\x98\x80"},
        {"Mid 8,3", Utf8Mid(kMixed, 8, 3), "мир"},
        {"Mid -2,3", Utf8Mid(kMixed, -2, 3), "При"},
        {"Mid past end", Utf8Mid(kMixed, 20, 3), ""},
        {"Mid count past end", Utf8Mid(kMixed, 11, 10), "€\xF0\x9F\x98\x80"},
        {"Mid negative count", Utf8Mid(kMixed, 1, -1), ""},
        {"Mid over 1251 bytes", Utf8Mid("\xCF\xF0\xE8", 1, 1), "\xF0"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Utf8, FindCountsCharactersAndNeverMatchesInsideOne) {
    struct Case { std::string text, what; int start; int at; };
    const Case cases[] = {
        {kMixed, "мир", 0, 8},
        {kMixed, ",", 0, 6},
        {kMixed, "П", 1, -1},
        {kMixed, "р", 0, 1},
        {kMixed, "р", 2, 10},
        {kMixed, "\xF0\x9F\x98\x80", 0, 12},
        {kMixed, "x", 0, -1},
        {kMixed, "", 3, 3},
        {kMixed, "", 13, 13},
        {kMixed, "", 14, -1},
        {kMixed, "При", -5, 0},
        {"", "a", 0, -1},
        // A lone tail byte is a character of its own, but the same byte inside "р" (D1 80) or "П" (D0 9F) is not.
        {"р€\x80", "\x80", 0, 2},
        {"\xD0\x9F\x9F", "\x9F", 0, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8Find(c.text, c.what, c.start), c.at) << c.text << " / " << c.what;
    EXPECT_EQ(Utf8ReverseFind("а/б/в", "/"), 3);
    EXPECT_EQ(Utf8ReverseFind("абв", "/"), -1);
    EXPECT_EQ(Utf8ReverseFind("ааа", "аа"), 1);
}

TEST(Utf8, OffsetIsTheByteOfACharacter) {
    EXPECT_EQ(Utf8Offset(kMixed, 0), 0u);
    EXPECT_EQ(Utf8Offset(kMixed, 2), 4u);
    EXPECT_EQ(Utf8Offset(kMixed, 12), kMixed.size() - 4);
    EXPECT_EQ(Utf8Offset(kMixed, 50), kMixed.size());
}

TEST(Utf8, TrimBySetOfCharacters) {
    struct Case { const char* what; std::string got, want; };
    const Case cases[] = {
        {"blanks", Trim(" \t\r\nтекст \n"), "текст"},
        {"left blanks", TrimLeft("  а б  "), "а б  "},
        {"right blanks", TrimRight("  а б  "), "  а б"},
        {"all blanks", Trim(" \t "), ""},
        {"cyrillic set", Trim("ааботаа", "а"), "бот"},
        // 'р' is D1 80 and 'с' is D1 81: a set holding 'р' must not eat the first byte of 'с'.
        {"shared lead byte", TrimLeft("рсa", "р"), "сa"},
        {"set of several", TrimRight("x.,;,", ".,;"), "x"},
        {"empty set", Trim(" a ", ""), " a "},
        {"ill-formed byte kept", Trim("\xFF" " a", " "), "\xFF a"},
        {"ill-formed byte in set", Trim("\xFF" "a\xFF", "\xFF"), "a"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Utf8, CaseFoldingCoversAsciiLettersOnly) {
    struct Case { std::string a, b; int sign; };
    const Case cases[] = {
        {"GEN", "gen", 0},
        {"Gen_View", "gen_view", 0},
        {"abc", "abd", -1},
        {"abc", "ab", 1},
        {"", "", 0},
        {"[", "{", -1},                // '[' 0x5B sits between 'Z' and 'a' and is not folded
        {"Квиллмарк", "квиллмарк", -1}, // Cyrillic is compared as it is (К is D0 9A, к is D0 BA)
        {"\xFF", "a", 1},              // bytes compare unsigned
    };
    for (const auto& c : cases) {
        const int r = CompareNoCase(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
        EXPECT_EQ(EqualsNoCase(c.a, c.b), c.sign == 0) << c.a << " vs " << c.b;
    }
}

TEST(Utf8, DecodeAndAppendAreInverse) {
    for (char32_t c : {U'\0', U'a', U'\x7F', U'\x80', U'я', U'€', U'\xFFFF', U'\x1F600', U'\x10FFFF'}) {
        std::string s;
        AppendUtf8(s, c);
        size_t n = 0;
        EXPECT_EQ(Utf8DecodeAt(s, 0, &n), c);
        EXPECT_EQ(n, s.size());
    }
    std::string s;
    AppendUtf8(s, 0xD800);
    AppendUtf8(s, 0x110000);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(Utf8DecodeAt("\xFF", 0), kNotAChar);
}
