#include "platform/text/cp1251.h"

#include "platform/text/utf8.h"


namespace zor {

namespace {

// Bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

}  // namespace

char32_t Cp1251ToUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
    return kHigh[byte - 0x80];
}

int UnicodeToCp1251(char32_t code) {
    if (code < 0x80) return static_cast<int>(code);
    if (code >= 0x0410 && code <= 0x044F) return static_cast<int>(0xC0 + (code - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == code) return 0x80 + i;
    return -1;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char c : cp1251) AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool Utf8ToCp1251(std::string_view utf8, std::string& out, size_t* firstBad) {
    out.clear();
    out.reserve(utf8.size());
    bool ok = true;
    for (size_t i = 0; i < utf8.size();) {
        size_t n = 0;
        const char32_t code = Utf8DecodeAt(utf8, i, &n);
        const int byte = code == kNotAChar ? -1 : UnicodeToCp1251(code);
        if (byte < 0) {
            if (ok && firstBad) *firstBad = i;
            ok = false;
            out += '?';
        } else {
            out += static_cast<char>(byte);
        }
        i += n;
    }
    return ok;
}

}  // namespace zor
