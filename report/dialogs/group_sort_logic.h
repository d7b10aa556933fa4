#pragma once
// The grouping-and-sorting fields dialog apart from its widgets: three lists (the data-source columns not
// yet used, the grouping columns outermost first, the sort columns) and the moves between them. The
// section changes only on OK.
//
// A grouping column taken out of the section is handed to the caller with its store instances intact:
// the caller (the section dialog) deletes them only when it ends with OK itself, so that its Cancel can
// still bring the section back whole.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/gdi_types.h"

class CGroupCol;
class CHeaderColumn;
class CReportSection;

// The group-parameters dialog on a grouping column with a font; true for OK (the font then holds the
// chosen one).
using GroupParamsRunner = std::function<bool(CGroupCol* group, LOGFONT& font)>;

class CGroupSortDlgLogic {
public:
    explicit CGroupSortDlgLogic(CReportSection* section);
    // Deletes the new grouping columns unless OK took them.
    ~CGroupSortDlgLogic();
    CGroupSortDlgLogic(const CGroupSortDlgLogic&) = delete;
    CGroupSortDlgLogic& operator=(const CGroupSortDlgLogic&) = delete;

    bool CanOpen() const { return m_pSection != nullptr; }

    // The names the three lists show.
    std::vector<std::string> SourceNames() const;
    std::vector<std::string> GroupNames() const;
    std::vector<std::string> SortNames() const;

    // ">" for grouping: a new grouping column for the data-source column, kept when the group-parameters
    // dialog ends with OK; its index in the grouping list, or -1.
    int AddGroup(int sourceIndex, const GroupParamsRunner& run);
    // "<" for grouping: the column goes back to the data-source list.
    bool RemoveGroup(int groupIndex);
    // A double click: the group-parameters dialog on the grouping column with its own font.
    bool EditGroup(int groupIndex, const GroupParamsRunner& run);
    int AddSort(int sourceIndex);
    bool RemoveSort(int sortIndex);
    // "Up" (-1) and "D" (+1); the new index, or the same one at the top or the bottom.
    int MoveGroup(int groupIndex, int step);
    int MoveSort(int sortIndex, int step);

    // OK: the section takes the sort list and the grouping list in their order; the grouping columns
    // removed go to `removed` (no longer the section's, their store instances kept).
    void Ok(std::vector<std::unique_ptr<CGroupCol>>& removed);
    // Cancel: the new grouping columns are deleted, the section stays as it was.
    void Cancel();

private:
    struct Group {
        CGroupCol* group;
        bool isNew;
    };
    CReportSection* m_pSection;
    std::vector<CHeaderColumn*> m_Source;
    std::vector<Group> m_Groups;
    std::vector<CHeaderColumn*> m_Sorts;
    std::vector<CGroupCol*> m_New;      // made here, owned until OK
    std::vector<CGroupCol*> m_Removed;  // the section's, noted for removal
};
