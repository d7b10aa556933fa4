#pragma once

// The tree-list's rules that need no widget: column kinds, the order of rows, and the line
// splitting its hosts use on multi-line texts.

#include <string>
#include <string_view>
#include <vector>

namespace zor {

// Sort kinds of a tree-list column, as GetColType reports them.
enum TreeListColType : int { kColText = 0, kColDate = 1, kColNumber = 2 };

class CTreeListColumnMarks {
public:
    // Each returns the column's position in its list.
    int SetColumnDate(int column);
    int SetColumnNum(int column);
    // A column in both lists sorts as a date.
    int GetColType(int column) const;

private:
    std::vector<int> m_dates, m_numbers;
};

// Reads "31.12.2024" (with an optional "23:59" or "23:59:58") and the other day-first forms,
// and ISO "2024-12-31" (with an optional time after a blank or "T"). False for anything else.
bool ParseTreeListDate(std::string_view text, long long* seconds);

// -1, 0 or 1 for two cells of one column; inverted when descending. With `sortAll` false, two
// rows that both lack a parent link are equal, so sorting leaves their order.
int CompareTreeListCells(int colType, bool ascending, bool sortAll, bool bothWithoutParent, std::string_view a,
                         std::string_view b);

// The text before the first carriage return, removed from `text` together with that return and
// the character after it; without a return, empty and `text` unchanged.
std::string GetNextLine(std::string& text);

// The header's widths scaled so that all columns but `except` (-1: none) fill `target`. Widths
// that already fill it, or that add up to 0, are left as they are. True when a width changed.
bool AutofitWidths(std::vector<int>& widths, int except, int target);

// The header's width beyond the last column: `width` times (total / width + 1), so that the empty
// area of the header always runs past the columns. `width` <= 0 gives `total`.
int StretchWidth(int total, int width);

// A click on a column title sorts ascending unless the column shows the ascending arrow (image 0).
bool SortAscendingAfterClick(int columnImage);

// Horizontal scrolling of the view's bar: the new position for a scroll request, within 0 and
// limit - 1.
enum class HScroll { LineLeft, LineRight, PageLeft, PageRight, Left, Right, Thumb };
int HScrollPosition(HScroll request, int position, int thumb, int page, int limit);

}  // namespace zor
