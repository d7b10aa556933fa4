#include "platform/zordata/attr_match.h"

#include <cstdint>

#include "platform/zordata/dictionary.h"
#include "platform/zordata/value.h"

namespace {

// Code point of the UTF-8 sequence at s[i] (advancing i); a byte that starts no valid sequence
// stands for itself.
uint32_t Next(std::string_view s, size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80 || i + 1 >= s.size()) {
        ++i;
        return b;
    }
    const auto c = static_cast<unsigned char>(s[i + 1]);
    if ((b & 0xE0) == 0xC0 && (c & 0xC0) == 0x80) {
        i += 2;
        return (uint32_t(b & 0x1F) << 6) | (c & 0x3F);
    }
    ++i;
    return 0x110000 + b;  // kept as the raw byte
}

void Put(std::string& out, uint32_t cp) {
    if (cp >= 0x110000) out += static_cast<char>(cp - 0x110000);
    else if (cp < 0x80) out += static_cast<char>(cp);
    else {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

uint32_t Upper(uint32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;  // а..я
    if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;  // ѐ..џ: ё ђ ѓ є ѕ і ї ј љ њ ћ ќ ў џ
    if (cp == 0x491) return 0x490;                     // ґ
    return cp;
}

}  // namespace

std::string zorUpper1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    // Only two-byte sequences hold letters of the code page; longer ones are copied as bytes.
    for (size_t i = 0; i < utf8.size();) Put(out, Upper(Next(utf8, i)));
    return out;
}

bool zorCriterionMatches(const CzorAttr* attr, const CzorValue* have, const CzorValue& want, bool pattern,
                         bool caseSensitive, int mode) {
    if (have && have->IsEmpty()) have = nullptr;
    if (attr && attr->GetType() == zorSTRING) {
        const char* w = want.GetString();
        const char* h = have ? have->GetString() : nullptr;
        if (!w || !h) return false;
        const std::string a = caseSensitive ? std::string(h) : zorUpper1251(h);
        const std::string b = caseSensitive ? std::string(w) : zorUpper1251(w);
        if (!pattern) return a == b;
        switch (mode) {
        case zorBindBegin: return a.compare(0, b.size(), b) == 0 && a.size() >= b.size();
        case zorBindContains: return a.find(b) != std::string::npos;
        case zorBindEnd: return a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0;
        default: return true;
        }
    }
    if (have) return have->IsEqu(want);
    return want.IsEmpty();
}
