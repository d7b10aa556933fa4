#include "platform/text/case_fold.h"

#include "platform/text/utf8.h"

namespace zor {

char32_t FoldCaseChar(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;   // À to Þ, not ×
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;              // Ѐ to Џ
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;              // А to Я
    // The extended Cyrillic letters come in capital and small pairs.
    if (((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) && c % 2 == 0)
        return c + 1;
    if (c >= 0x4C1 && c <= 0x4CE && c % 2 == 1) return c + 1;
    if (c == 0x4C0) return 0x4CF;
    return c;
}

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t size = 1;
        const char32_t c = Utf8DecodeAt(text, pos, &size);
        if (c == kNotAChar || size == 0) {
            out += text[pos];
            size = 1;
        } else {
            AppendUtf8(out, FoldCaseChar(c));
        }
        pos += size;
    }
    return out;
}

bool EqualsFolded(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

}  // namespace zor
