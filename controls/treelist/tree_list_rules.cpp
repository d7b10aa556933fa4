#include "controls/treelist/tree_list_rules.h"

#include <algorithm>
#include <cctype>

#include "controls/dialogs/sort_order.h"
#include "platform/text/numbers.h"

namespace zor {

namespace {

int Append(std::vector<int>& list, int column) {
    list.push_back(column);
    return static_cast<int>(list.size()) - 1;
}

bool Contains(const std::vector<int>& list, int column) {
    return std::find(list.begin(), list.end(), column) != list.end();
}

// Reads exactly `count` digits at `pos`.
bool Digits(std::string_view text, std::size_t& pos, int count, int* value) {
    if (pos + count > text.size()) return false;
    int v = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    pos += count;
    *value = v;
    return true;
}

int DaysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool ParseIsoDate(std::string_view text, long long* seconds) {
    std::size_t pos = 0;
    int y, m, d, hh = 0, mm = 0, ss = 0;
    if (!Digits(text, pos, 4, &y) || pos >= text.size() || text[pos++] != '-' || !Digits(text, pos, 2, &m) ||
        pos >= text.size() || text[pos++] != '-' || !Digits(text, pos, 2, &d))
        return false;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysIn(y, m)) return false;
    if (pos < text.size()) {
        if (text[pos] != ' ' && text[pos] != 'T') return false;
        ++pos;
        if (!Digits(text, pos, 2, &hh) || pos >= text.size() || text[pos++] != ':' || !Digits(text, pos, 2, &mm))
            return false;
        if (pos < text.size() && (text[pos++] != ':' || !Digits(text, pos, 2, &ss))) return false;
        if (pos != text.size() || hh > 23 || mm > 59 || ss > 59) return false;
    }
    *seconds = DateSeconds(y, m, d) + hh * 3600LL + mm * 60LL + ss;
    return true;
}

template <typename T>
int Sign(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int CTreeListColumnMarks::SetColumnDate(int column) { return Append(m_dates, column); }
int CTreeListColumnMarks::SetColumnNum(int column) { return Append(m_numbers, column); }

int CTreeListColumnMarks::GetColType(int column) const {
    if (Contains(m_dates, column)) return kColDate;
    if (Contains(m_numbers, column)) return kColNumber;
    return kColText;
}

bool ParseTreeListDate(std::string_view text, long long* seconds) {
    int64_t value = 0;
    if (ParseRussianDate(text, &value)) {
        *seconds = value;
        return true;
    }
    return ParseIsoDate(text, seconds);
}

int CompareTreeListCells(int colType, bool ascending, bool sortAll, bool bothWithoutParent, std::string_view a,
                         std::string_view b) {
    if (bothWithoutParent && !sortAll) return 0;
    int result = 0;
    if (colType == kColNumber) {
        result = Sign(TextToReal(a), TextToReal(b));
    } else if (colType == kColDate) {
        long long da = UnparsedDate(), db = UnparsedDate();
        if (!ParseTreeListDate(a, &da)) da = UnparsedDate();
        if (!ParseTreeListDate(b, &db)) db = UnparsedDate();
        result = Sign(da, db);
    } else {
        const int c = CompareTextNoCase(a, b);
        result = c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return ascending ? result : -result;
}

std::string GetNextLine(std::string& text) {
    const auto cr = text.find('\r');
    if (cr == std::string::npos) return {};
    std::string line = text.substr(0, cr);
    text.erase(0, std::min(text.size(), cr + 2));
    return line;
}

bool AutofitWidths(std::vector<int>& widths, int except, int target) {
    long long sum = 0;
    for (int i = 0; i < static_cast<int>(widths.size()); ++i)
        if (i != except) sum += widths[i];
    if (sum == 0 || sum == target) return false;
    bool changed = false;
    for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
        if (i == except) continue;
        const int scaled = static_cast<int>(static_cast<long long>(widths[i]) * target / sum);
        changed = changed || scaled != widths[i];
        widths[i] = scaled;
    }
    return changed;
}

int StretchWidth(int total, int width) { return width <= 0 ? total : width * (total / width + 1); }

bool SortAscendingAfterClick(int columnImage) { return columnImage != 0; }

int HScrollPosition(HScroll request, int position, int thumb, int page, int limit) {
    int next = position;
    switch (request) {
    case HScroll::LineLeft: next = position < 7 ? 0 : position - 6; break;
    case HScroll::LineRight: next = position + 6; break;
    case HScroll::PageLeft: next = position - page; break;
    case HScroll::PageRight: next = position + page; break;
    case HScroll::Left: next = 0; break;
    case HScroll::Right: next = limit - 1; break;
    // The thumb snaps to the 6-pixel steps the line buttons make.
    case HScroll::Thumb: next = thumb <= 0 ? 0 : StretchWidth(thumb, 6); break;
    }
    return std::clamp(next, 0, std::max(0, limit - 1));
}

}  // namespace zor
