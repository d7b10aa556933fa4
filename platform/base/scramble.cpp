#include "platform/base/scramble.h"

#include <cstring>

namespace zor {
namespace {

// Used with its terminating zero: 40 bytes.
constexpr char kKey[] = "Tamsel4brovik'UnderPlo;Gask8WembyRq2Fz7";
constexpr size_t kKeyLen = sizeof(kKey);
static_assert(kKeyLen == 40);
constexpr unsigned char kSeed = 0x6C;

}  // namespace

void ScrambleText(const char* text, std::string& out) {
    out.clear();
    if (!text) return;
    const size_t n = std::strlen(text);
    const size_t total = kKeyLen * (n / kKeyLen + 1);
    out.reserve(1 + 2 * total);
    out += '^';
    unsigned char c = kSeed;
    for (size_t p = 0; p < total; ++p) {
        const unsigned char plain = p < n ? static_cast<unsigned char>(text[p]) : ' ';
        c = static_cast<unsigned char>(c ^ plain ^ static_cast<unsigned char>(kKey[p % kKeyLen]));
        out += static_cast<char>('A' + (c & 15));
        out += static_cast<char>('A' + (c >> 4));
    }
}

void UnscrambleText(const char* text, std::string& out) {
    out.clear();
    if (!text) return;
    if (text[0] != '^') {
        out = text;
        return;
    }
    unsigned char c = kSeed;
    size_t i = 0;
    for (const char* p = text + 1; p[0] && p[1]; p += 2) {
        const auto x = static_cast<unsigned char>((p[0] - 'A') | ((p[1] - 'A') << 4));
        out += static_cast<char>(x ^ static_cast<unsigned char>(kKey[i]) ^ c);
        c = x;
        i = (i + 1) % kKeyLen;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\r' || out.back() == '\n' ||
                            out.back() == '\v' || out.back() == '\f'))
        out.pop_back();
}

}  // namespace zor
