#pragma once
// The sorting rules of the sortable lists, apart from any widget: the per-column direction bits,
// the combined (Ctrl+click) list of columns, the numeric and date marks of columns, the sort keys
// and their compare functions, and the text of the saved column widths.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

// What a column's cells sort as.
enum class ColumnKind : int { Text = 0, Number = 1, Date = 2 };

// One sort of the rows by one column.
struct SortStep {
    int column;
    bool ascending;
    bool setsArrow;  // the header shows this column's arrow afterwards
};

class CSortOrder {
public:
    static constexpr int kCombinedMax = 64;

    CSortOrder() { EmptyArray(); }

    // Bit (column mod 32): set means the next sort of the column is ascending. Columns n and
    // n + 32 share their bit.
    bool GetItemSortState(int column) const;
    // Flips the bit when `state` differs from it.
    void SetItemSortState(int column, bool state);

    int GetNumCombinedSortedColumns() const;
    bool NotInCombinedSortedColumnList(int column) const { return FindItemInCombedSortedList(column) < 0; }
    int FindItemInCombedSortedList(int column) const;
    // Moves the column to the last used place; the others keep their order.
    void MoveItemInCombinedSortedListToEnd(int column);
    void EmptyArray();
    const std::array<int, kCombinedMax>& Combined() const { return m_combined; }

    // A click on a column header: the sorts to run, in order, with the bits and the combined list
    // updated. A plain click sorts that column alone (and clears every arrow); a combined click
    // adds the column to the combined list (or moves it to the end) and re-sorts the list from
    // its last column back to its first, so that the first column ends as the main key. When all
    // 64 places are taken, a new column pushes out the one that joined first.
    std::vector<SortStep> Click(int column, bool combined);

private:
    uint32_t m_states = 0;
    std::array<int, kCombinedMax> m_combined;
};

// The numeric and date marks of columns (repeats allowed; no renumbering when columns go).
class CColumnKinds {
public:
    void SetColumnNumeric(int column) { m_numeric.push_back(column); }
    void SetColumnDate(int column) { m_date.push_back(column); }
    // 1 numeric, else 2 date, else 0: a column marked both sorts as numbers.
    int IsColumnNumeric(int column) const;
    ColumnKind Kind(int column) const { return static_cast<ColumnKind>(IsColumnNumeric(column)); }
    void UnsetColumnNumeric(int column);
    int FindNumericColumnIndex(int column) const;
    // The first mark of the column in both arrays goes.
    void ColumnDeleted(int column);
    void Clear() { m_numeric.clear(); m_date.clear(); }

private:
    std::vector<int> m_numeric, m_date;
};

// A cell's sort key of its column's kind.
struct SortKey {
    std::string text;
    double number = 0;
    int64_t date = 0;  // seconds from 1 January 1 (proleptic Gregorian)
};
SortKey MakeSortKey(ColumnKind kind, std::string_view cellText);
// Negative puts a first. Texts ignore case in Latin and Cyrillic; numbers and dates follow the
// original compare functions, including their answers on equal values.
int CompareSortKeys(ColumnKind kind, bool ascending, const SortKey& a, const SortKey& b);

// Case-insensitive order of texts as the Cyrillic code page orders them: A-Z and А-Я, Ё and the
// other Cyrillic capitals fold onto their small letters; characters the code page lacks come
// after all of its own, by code point.
int CompareTextNoCase(std::string_view a, std::string_view b);

// Russian date forms: "31.12.2024", "31/12/24", "31-12-2024", optionally followed by "23:59" or
// "23:59:58", a time alone, and "31 декабря 2024" (month names in either case, "г." allowed).
// False when the text is none of them or names no real day.
bool ParseRussianDate(std::string_view text, int64_t* seconds);
// Seconds of a day at midnight.
int64_t DateSeconds(int year, int month, int day);
// Where a cell that is no date sorts: 1 January 9000, after every real date when ascending.
inline int64_t UnparsedDate() { return DateSeconds(9000, 1, 1); }

// The saved widths: "%d," per column.
std::string FormatColumnWidths(const std::vector<int>& widths);
// The n-th comma-separated field as a number; 0 when missing or not a number.
int ReadColumnWidth(std::string_view text, int column);
// The width of an automatically sized column: the larger of content and heading, 20 to 600.
int AutoColumnWidth(int contentWidth, int headingWidth);
constexpr int kMinSavedWidth = 20;

}  // namespace zor
