#include "controls/dialogs/sort_order.h"

#include <algorithm>
#include <cstring>

#include <fmt/printf.h>

#include "platform/text/case_fold.h"
#include "platform/text/cp1251.h"
#include "platform/text/numbers.h"
#include "platform/text/utf8.h"

namespace zor {

namespace {

uint32_t Bit(int column) { return 1u << (((column % 32) + 32) % 32); }

}  // namespace

bool CSortOrder::GetItemSortState(int column) const { return (m_states & Bit(column)) != 0; }

void CSortOrder::SetItemSortState(int column, bool state) {
    if (state != GetItemSortState(column)) m_states ^= Bit(column);
}

int CSortOrder::GetNumCombinedSortedColumns() const {
    for (int i = 0; i < kCombinedMax; ++i)
        if (m_combined[i] == -1) return i;
    return kCombinedMax;
}

int CSortOrder::FindItemInCombedSortedList(int column) const {
    const int n = GetNumCombinedSortedColumns();
    for (int i = 0; i < n; ++i)
        if (m_combined[i] == column) return i;
    return -1;
}

void CSortOrder::MoveItemInCombinedSortedListToEnd(int column) {
    const int at = FindItemInCombedSortedList(column);
    if (at < 0) return;
    const int n = GetNumCombinedSortedColumns();
    std::rotate(m_combined.begin() + at, m_combined.begin() + at + 1, m_combined.begin() + n);
}

void CSortOrder::EmptyArray() { m_combined.fill(-1); }

std::vector<SortStep> CSortOrder::Click(int column, bool combined) {
    std::vector<SortStep> steps;
    if (!combined) {
        EmptyArray();
        m_combined[0] = column;
        steps.push_back({column, GetItemSortState(column), true});
        m_states ^= Bit(column);
        return steps;
    }
    if (NotInCombinedSortedColumnList(column)) {
        int n = GetNumCombinedSortedColumns();
        if (n == kCombinedMax) {
            std::rotate(m_combined.begin(), m_combined.begin() + 1, m_combined.end());
            n = kCombinedMax - 1;
        }
        m_combined[n] = column;
    } else {
        MoveItemInCombinedSortedListToEnd(column);
    }
    const int n = GetNumCombinedSortedColumns();
    for (int i = n - 1; i >= 0; --i) {
        const int c = m_combined[i];
        if (i == n - 1) {
            steps.push_back({c, GetItemSortState(c), true});
            m_states ^= Bit(c);
        } else {
            // Again in the direction it was last sorted in.
            steps.push_back({c, !GetItemSortState(c), false});
        }
    }
    return steps;
}

int CColumnKinds::IsColumnNumeric(int column) const {
    if (std::find(m_numeric.begin(), m_numeric.end(), column) != m_numeric.end()) return 1;
    if (std::find(m_date.begin(), m_date.end(), column) != m_date.end()) return 2;
    return 0;
}

int CColumnKinds::FindNumericColumnIndex(int column) const {
    const auto it = std::find(m_numeric.begin(), m_numeric.end(), column);
    return it == m_numeric.end() ? -1 : static_cast<int>(it - m_numeric.begin());
}

void CColumnKinds::UnsetColumnNumeric(int column) {
    const auto it = std::find(m_numeric.begin(), m_numeric.end(), column);
    if (it != m_numeric.end()) m_numeric.erase(it);
}

void CColumnKinds::ColumnDeleted(int column) {
    UnsetColumnNumeric(column);
    const auto it = std::find(m_date.begin(), m_date.end(), column);
    if (it != m_date.end()) m_date.erase(it);
}

// --- Keys and comparisons ----------------------------------------------------------------------

namespace {

// The code page's order for its own characters, after them every other one.
uint32_t OrderOf(char32_t c) {
    const int byte = UnicodeToCp1251(c);
    return byte >= 0 ? static_cast<uint32_t>(byte) : 0x100u + static_cast<uint32_t>(c);
}

}  // namespace

int CompareTextNoCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        size_t na = 0, nb = 0;
        const char32_t ca = Utf8DecodeAt(a, i, &na), cb = Utf8DecodeAt(b, j, &nb);
        // An ill-formed byte orders as the byte itself.
        const uint32_t ka = ca == kNotAChar ? static_cast<unsigned char>(a[i]) : OrderOf(FoldCaseChar(ca));
        const uint32_t kb = cb == kNotAChar ? static_cast<unsigned char>(b[j]) : OrderOf(FoldCaseChar(cb));
        if (ka != kb) return ka < kb ? -1 : 1;
        i += na;
        j += nb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

SortKey MakeSortKey(ColumnKind kind, std::string_view cellText) {
    SortKey key;
    switch (kind) {
    case ColumnKind::Text: key.text = std::string(cellText); break;
    case ColumnKind::Number: key.number = TextToReal(cellText); break;
    case ColumnKind::Date:
        if (!ParseRussianDate(cellText, &key.date)) key.date = UnparsedDate();
        break;
    }
    return key;
}

int CompareSortKeys(ColumnKind kind, bool ascending, const SortKey& a, const SortKey& b) {
    switch (kind) {
    case ColumnKind::Text: return ascending ? CompareTextNoCase(a.text, b.text) : CompareTextNoCase(b.text, a.text);
    case ColumnKind::Number:
        if (a.number == b.number) return 0;
        if (ascending) return a.number > b.number ? 1 : -1;
        return a.number >= b.number ? -1 : 1;
    case ColumnKind::Date:
        if (a.date == b.date) return 0;
        if (ascending) return a.date > b.date ? 1 : -1;
        return a.date < b.date ? 1 : -1;
    }
    return 0;
}

// --- Dates -------------------------------------------------------------------------------------

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 1 January 1 to the date (proleptic Gregorian), the usual civil-days formula.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = y / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 306;  // day 0 is 1 March of year 0; 1 January 1 is day 306
}

struct Cursor {
    std::string_view s;
    size_t pos = 0;
    void SkipBlanks() { while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos; }
    bool AtEnd() const { return pos >= s.size(); }
    // 1 to `maxDigits` digits.
    bool Number(int* value, int maxDigits, int* digits = nullptr) {
        int n = 0, v = 0;
        while (pos < s.size() && IsDigit(s[pos]) && n < maxDigits) v = v * 10 + (s[pos++] - '0'), ++n;
        if (n == 0 || (pos < s.size() && IsDigit(s[pos]))) return false;
        *value = v;
        if (digits) *digits = n;
        return true;
    }
    bool Char(char c) {
        if (pos < s.size() && s[pos] == c) return ++pos, true;
        return false;
    }
};

// Month names, genitive and nominative, in small letters (compared with case folded).
int MonthByName(std::string_view word) {
    static const char* const names[12][2] = {
        {"января", "январь"}, {"февраля", "февраль"}, {"марта", "март"},     {"апреля", "апрель"},
        {"мая", "май"},       {"июня", "июнь"},       {"июля", "июль"},       {"августа", "август"},
        {"сентября", "сентябрь"}, {"октября", "октябрь"}, {"ноября", "ноябрь"}, {"декабря", "декабрь"},
    };
    for (int m = 0; m < 12; ++m)
        for (const char* name : names[m])
            if (CompareTextNoCase(word, name) == 0) return m + 1;
    return 0;
}

bool ParseTime(Cursor& c, int* h, int* mi, int* sec) {
    *sec = 0;
    if (!c.Number(h, 2) || !c.Char(':') || !c.Number(mi, 2)) return false;
    if (c.Char(':') && !c.Number(sec, 2)) return false;
    return *h < 24 && *mi < 60 && *sec < 60;
}

int FullYear(int year, int digits) {
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

}  // namespace

int64_t DateSeconds(int year, int month, int day) { return DaysFromCivil(year, month, day) * 86400; }

bool ParseRussianDate(std::string_view text, int64_t* seconds) {
    Cursor c{text};
    c.SkipBlanks();
    int d = 0, m = 0, y = 0, h = 0, mi = 0, sec = 0, yDigits = 0;
    const size_t start = c.pos;
    bool haveDate = false;
    if (c.Number(&d, 2)) {
        if (c.pos < text.size() && (text[c.pos] == '.' || text[c.pos] == '/' || text[c.pos] == '-')) {
            const char sep = text[c.pos++];
            if (!c.Number(&m, 2) || !c.Char(sep) || !c.Number(&y, 4, &yDigits)) return false;
            haveDate = true;
        } else if (c.pos < text.size() && text[c.pos] == ' ') {
            c.SkipBlanks();
            const size_t wordStart = c.pos;
            while (c.pos < text.size() && text[c.pos] != ' ') ++c.pos;
            m = MonthByName(text.substr(wordStart, c.pos - wordStart));
            c.SkipBlanks();
            if (m == 0 || !c.Number(&y, 4, &yDigits)) return false;
            c.SkipBlanks();
            if (!c.AtEnd() && text.substr(c.pos, 2) == "г") {  // "г" or "г."
                c.pos += std::strlen("г");
                c.Char('.');
            }
            haveDate = true;
        }
    }
    if (!haveDate) c.pos = start;  // perhaps a time alone
    if (haveDate) {
        y = FullYear(y, yDigits);
        if (m < 1 || m > 12 || y < 100 || y > 9999 || d < 1 || d > DaysInMonth(y, m)) return false;
        c.SkipBlanks();
        if (!c.AtEnd() && !ParseTime(c, &h, &mi, &sec)) return false;
    } else {
        // The day a time alone stands on: 30 December 1899, day 0 of the original's dates.
        if (!ParseTime(c, &h, &mi, &sec)) return false;
        y = 1899, m = 12, d = 30;
    }
    c.SkipBlanks();
    if (!c.AtEnd()) return false;
    *seconds = DateSeconds(y, m, d) + h * 3600 + mi * 60 + sec;
    return true;
}

// --- Widths ------------------------------------------------------------------------------------

std::string FormatColumnWidths(const std::vector<int>& widths) {
    std::string text;
    for (int w : widths) text += fmt::sprintf("%d,", w);
    return text;
}

int ReadColumnWidth(std::string_view text, int column) {
    if (column < 0) return 0;
    size_t start = 0;
    for (int i = 0; i < column; ++i) {
        const size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) return 0;
        start = comma + 1;
    }
    const size_t end = text.find(',', start);
    return TextToInt(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

int AutoColumnWidth(int contentWidth, int headingWidth) {
    return std::clamp(std::max(contentWidth, headingWidth), kMinSavedWidth, 600);
}

}  // namespace zor
