// Line breaking of element texts. Each step measures only as many leading characters as it needs (the
// widths of all prefixes in one measurement, in windows that double until one fails to fit), so a long
// text costs about its length in measurements rather than its length times the line length.
#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/text/utf8.h"
#include "report/model/text_value.h"

namespace {

std::string_view TrimLeftByte(std::string_view s, char c) {
    size_t i = 0;
    while (i < s.size() && s[i] == c) ++i;
    return s.substr(i);
}

std::string_view TrimRightByte(std::string_view s, char c) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == c) --n;
    return s.substr(0, n);
}

// Line feeds, then spaces, from the left; line feeds, then spaces, from the right.
std::string_view TrimLine(std::string_view s) {
    s = TrimLeftByte(TrimLeftByte(s, '\n'), ' ');
    return TrimRightByte(TrimRightByte(s, '\n'), ' ');
}

std::string_view LeftChars(std::string_view s, int count) { return s.substr(0, zor::Utf8Offset(s, count)); }

// Whether the `count` characters before character index p are `word`.
bool WordBefore(std::string_view s, int p, std::string_view word, int count) {
    if (p < count) return false;
    const size_t from = zor::Utf8Offset(s, p - count);
    const size_t to = zor::Utf8Offset(s, p);
    return s.substr(from, to - from) == word;
}

// Number of leading characters of rest whose extent is at most width.
int FittingChars(const CDC& dc, std::string_view rest, int width, int hint) {
    int window = std::max(64, 2 * hint);
    for (;;) {
        const size_t bytes = zor::Utf8Offset(rest, window);
        int fit = 0;
        dc.GetTextExtentExPoint(rest.substr(0, bytes), width, &fit, nullptr, nullptr);
        if (fit < window || bytes >= rest.size()) return fit;
        window *= 2;
    }
}

// Where to cut s (not the whole rest, or holding a line feed): the index of the last character kept.
int CutIndex(std::string_view s, int n) {
    if (n >= 1) return n;
    const int last = zor::Utf8Length(s) - 1;
    const int q = zor::Utf8ReverseFind(s, "\\");
    if (q >= 0) return q > 0 ? q : last;
    const int p = zor::Utf8ReverseFind(s, " ");
    if (p > 0) {
        // A standard's designation stays with its number: the line ends before the abbreviation.
        int e = p;
        if (WordBefore(s, p, "ГОСТ", 4))
            e = p - 5;
        else if (WordBefore(s, p, "ОСТ", 3))
            e = p - 4;
        else if (WordBefore(s, p, "ТУ", 2))
            e = p - 3;
        if (e == 0) e = p;
        if (e >= 0) return e;
    }
    for (std::string_view mark : {",", ":", ";", "-", "."}) {
        const int i = zor::Utf8ReverseFind(s, mark);
        if (i >= 0) return i > 0 ? i : last;
    }
    return last;
}

}  // namespace

int CTextValue::BreakString(std::vector<std::string>* lines, int width, const CDC* dc, std::string_view text) {
    if (width < 0 || !lines || !dc) return -1;
    lines->clear();
    std::string buffer(text);
    buffer.erase(std::remove(buffer.begin(), buffer.end(), '\r'), buffer.end());
    std::string_view rest = buffer;
    int lastLine = 0;
    while (!rest.empty()) {
        rest = TrimLine(rest);
        const int fit = rest.empty() ? 0 : FittingChars(*dc, rest, width, lastLine);
        if (!rest.empty() && fit == 0) return -1;  // not even one character fits
        const std::string_view s = LeftChars(rest, fit);
        const int n = zor::Utf8Find(s, "\n");
        if (s.size() == rest.size() && n < 1) {
            if (!s.empty()) lines->emplace_back(s);
            break;
        }
        const int e = CutIndex(s, n);
        const std::string_view head = LeftChars(s, e + 1);
        const std::string_view line = TrimLine(head);
        if (!line.empty()) lines->emplace_back(line);
        rest = rest.substr(head.size());
        lastLine = e + 1;
    }
    return static_cast<int>(lines->size());
}
