#include "platform/text/utf8.h"

#include <algorithm>

namespace zor {

namespace {

bool IsTail(unsigned char c) { return (c & 0xC0) == 0x80; }

// Well-formed sequences only (no overlong forms, no surrogates, nothing past U+10FFFF).
size_t SequenceSize(std::string_view t, size_t pos) {
    const size_t left = t.size() - pos;
    const auto b = [&](size_t i) { return static_cast<unsigned char>(t[pos + i]); };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return left >= 2 && IsTail(b(1)) ? 2 : 1;
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3 || !IsTail(b(1)) || !IsTail(b(2))) return 1;
        if (c == 0xE0 && b(1) < 0xA0) return 1;
        if (c == 0xED && b(1) > 0x9F) return 1;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4 || !IsTail(b(1)) || !IsTail(b(2)) || !IsTail(b(3))) return 1;
        if (c == 0xF0 && b(1) < 0x90) return 1;
        if (c == 0xF4 && b(1) > 0x8F) return 1;
        return 4;
    }
    return 1;
}

int Clamp0(int v) { return v < 0 ? 0 : v; }

// Whether the character at byte `pos` (of size `n`) is one of the characters of `set`.
bool InSet(std::string_view text, size_t pos, size_t n, std::string_view set) {
    const std::string_view ch = text.substr(pos, n);
    for (size_t i = 0; i < set.size();) {
        const size_t m = Utf8CharSize(set, i);
        if (set.substr(i, m) == ch) return true;
        i += m;
    }
    return false;
}

// Byte position where a trailing run of set characters starts.
size_t TrailingRunStart(std::string_view text, std::string_view set) {
    size_t keep = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8CharSize(text, i);
        if (!InSet(text, i, n, set)) keep = i + n;
        i += n;
    }
    return keep;
}

}  // namespace

size_t Utf8CharSize(std::string_view text, size_t pos) {
    return pos >= text.size() ? 0 : SequenceSize(text, pos);
}

char32_t Utf8DecodeAt(std::string_view text, size_t pos, size_t* size) {
    const size_t n = Utf8CharSize(text, pos);
    if (size) *size = n;
    if (n == 0) return kNotAChar;
    const auto b = [&](size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[pos + i])); };
    switch (n) {
    case 1: return b(0) < 0x80 ? b(0) : kNotAChar;
    case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default: return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF) return;
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int Utf8Length(std::string_view text) {
    int n = 0;
    for (size_t i = 0; i < text.size(); i += SequenceSize(text, i)) ++n;
    return n;
}

size_t Utf8Offset(std::string_view text, int index) {
    size_t i = 0;
    for (int k = 0; k < index && i < text.size(); ++k) i += SequenceSize(text, i);
    return i;
}

std::string Utf8Left(std::string_view text, int count) {
    return std::string(text.substr(0, Utf8Offset(text, Clamp0(count))));
}

std::string Utf8Right(std::string_view text, int count) {
    const int len = Utf8Length(text);
    return std::string(text.substr(Utf8Offset(text, len - std::min(Clamp0(count), len))));
}

std::string Utf8Mid(std::string_view text, int first) {
    return std::string(text.substr(Utf8Offset(text, Clamp0(first))));
}

std::string Utf8Mid(std::string_view text, int first, int count) {
    const std::string_view rest = text.substr(Utf8Offset(text, Clamp0(first)));
    return std::string(rest.substr(0, Utf8Offset(rest, Clamp0(count))));
}

int Utf8Find(std::string_view text, std::string_view what, int start) {
    start = Clamp0(start);
    int index = 0;
    size_t i = 0;
    for (; index < start && i < text.size(); ++index) i += SequenceSize(text, i);
    if (index < start) return -1;
    for (;;) {
        const size_t hit = text.find(what, i);
        if (hit == std::string_view::npos) return -1;
        while (i < hit) {
            i += SequenceSize(text, i);
            ++index;
        }
        if (i == hit) return index;
        // The match began inside a character: look again from the next character.
    }
}

int Utf8ReverseFind(std::string_view text, std::string_view what) {
    int found = -1;
    for (int from = 0;;) {
        const int at = Utf8Find(text, what, from);
        if (at < 0) return found;
        found = at;
        from = at + 1;
    }
}

std::string TrimLeft(std::string_view text, std::string_view set) {
    size_t i = 0;
    while (i < text.size()) {
        const size_t n = SequenceSize(text, i);
        if (!InSet(text, i, n, set)) break;
        i += n;
    }
    return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text, std::string_view set) {
    return std::string(text.substr(0, TrailingRunStart(text, set)));
}

std::string Trim(std::string_view text, std::string_view set) {
    return TrimLeft(TrimRight(text, set), set);
}

namespace {
unsigned char FoldAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}
}  // namespace

int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldAscii(a[i]), y = FoldAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace zor
