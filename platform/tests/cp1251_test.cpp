#include "platform/text/cp1251.h"
#include "platform/text/utf8.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

using namespace zor;

namespace {

// The C library's own converter, as an independent reference. Empty when it refuses the input.
std::string Iconv(const char* from, const char* to, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return {};
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

TEST(Cp1251, EveryByteMatchesTheReferenceAndComesBack) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = Cp1251ToUtf8(byte);
        if (b == 0x98) {
            // Undefined in the code page (the reference refuses it): kept as U+0098.
            EXPECT_EQ(Iconv("CP1251", "UTF-8", byte), "");
            EXPECT_EQ(utf8, "\xC2\x98");
        } else {
            EXPECT_EQ(utf8, Iconv("CP1251", "UTF-8", byte)) << "byte " << b;
        }
        EXPECT_EQ(Utf8Length(utf8), 1) << "byte " << b;
        std::string back;
        size_t bad = 12345;
        EXPECT_TRUE(Utf8ToCp1251(utf8, back, &bad)) << "byte " << b;
        EXPECT_EQ(back, byte) << "byte " << b;
        EXPECT_EQ(bad, 12345u) << "untouched on success";
        EXPECT_EQ(UnicodeToCp1251(Cp1251ToUnicode(static_cast<unsigned char>(b))), b);
    }
}

TEST(Cp1251, EveryCharacterOfTheCodePageGoesBackToItsByte) {
    // The other direction, checked over the whole Basic Multilingual Plane: a character has a byte exactly
    // when the reference converter gives one (U+0098 being ours).
    int mapped = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const int ours = UnicodeToCp1251(c);
        if (c == 0x98) {
            EXPECT_EQ(ours, 0x98);
            ++mapped;
            continue;
        }
        std::string utf8;
        AppendUtf8(utf8, c);
        const std::string ref = Iconv("UTF-8", "CP1251", utf8);
        if (ref.size() == 1) {
            EXPECT_EQ(ours, static_cast<unsigned char>(ref[0])) << "U+" << std::hex << static_cast<unsigned>(c);
            ++mapped;
        } else {
            EXPECT_EQ(ours, -1) << "U+" << std::hex << static_cast<unsigned>(c);
        }
    }
    EXPECT_EQ(mapped, 255);  // every byte but 0, which the loop skips
    EXPECT_EQ(UnicodeToCp1251(0), 0);
}

TEST(Cp1251, TextRoundTripAndUnmappableCharacters) {
    struct Case { std::string utf8; bool ok; std::string cp1251; size_t firstBad; };
    const Case cases[] = {
        {"Квиллмарк", true, "\xCA\xE2\xE8\xEB\xEB\xEC\xE0\xF0\xEA", 0},
        {"Ёё №5 — «€»", true, "\xA8\xB8 \xB9" "5 \x97 \xAB\x88\xBB", 0},
        {"", true, "", 0},
        {"a漢b", false, "a?b", 1},                          // a character with no byte
        {"x\xF0\x9F\x98\x80y", false, "x?y", 1},            // one '?' for the whole character
        {"ok\xFF", false, "ok?", 2},                        // a byte that is not UTF-8
        {"é", false, "?", 0},                               // Latin-1 letters are not in the code page
    };
    for (const auto& c : cases) {
        std::string out;
        size_t bad = 999;
        EXPECT_EQ(Utf8ToCp1251(c.utf8, out, &bad), c.ok) << c.utf8;
        EXPECT_EQ(out, c.cp1251) << c.utf8;
        if (c.ok) {
            EXPECT_EQ(Cp1251ToUtf8(out), c.utf8);
        } else {
            EXPECT_EQ(bad, c.firstBad) << c.utf8;
        }
    }
    // Any byte string survives the trip through UTF-8.
    std::string all;
    for (int b = 255; b >= 0; --b) all += static_cast<char>(b);
    std::string back;
    EXPECT_TRUE(Utf8ToCp1251(Cp1251ToUtf8(all), back));
    EXPECT_EQ(back, all);
}
