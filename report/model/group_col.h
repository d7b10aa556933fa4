#pragma once
// Grouping columns: a section's sorted rows split into groups by the value of one data-source column.
// Each group has title lines when it opens and closing lines (subtotals) when it closes, each with its own
// levels, a font and conditions, and a table-of-contents entry named by a column formula.
//
// Stored as zor_group_col instances with a zor_font instance. A copy shares the store instance and the
// column; its levels and conditions are deep copies.
#include <string>

#include "platform/win/gdi_types.h"
#include "platform/zordata/taggr.h"
#include "report/model/condition.h"
#include "report/model/owned_array.h"
#include "report/model/section_level.h"

class CFolivox;
class CHeaderColumn;
class CzorInstance;

// The font of a new grouping column: 120 high, Cyrillic, "Arial", everything else 0.
LOGFONT DefaultGroupFont();

class CGroupCol {
public:
    explicit CGroupCol(CFolivox* manager) : m_pManager(manager) {}
    virtual ~CGroupCol() = default;
    CGroupCol(const CGroupCol&) = delete;
    // Copies the flag, the font, the instance (shared), the manager, the column, deep copies of both level
    // lists and of the conditions, and the name.
    CGroupCol& operator=(const CGroupCol& other);

    // true writes (zor_group_col and its zor_font made when missing; no column reference without a
    // column); false reads (false without an instance). False without a manager or store.
    bool Update(bool write);
    // Deletes the instance and its font instance from the store, then the conditions' and both level
    // lists' instances, and empties those lists.
    void Delete();
    // Forgets the instances of the grouping column, its levels, their columns and its conditions, so that
    // the next write makes new ones (a new font instance too).
    void ForgetInstances();

    int m_nShowFirstRow = 0;             // 1: the row opening a group gives only its title lines
    LOGFONT m_Font = DefaultGroupFont();
    CFolivox* m_pManager = nullptr;
    CzorInstance* m_pInstance = nullptr;
    CHeaderColumn* m_pColumn = nullptr;  // the grouped column, not owned
    CSectionLevelArray m_Rows;           // title-line levels
    CSectionLevelArray m_LastRows;       // closing-line levels
    CConditionArray m_Conditions;
    std::string m_Name;                  // column formula titling the group's contents entry
};

// A section's grouping columns, outermost first; owns them (Add, GetAt, Find, RemoveAt, RemoveAll, Clear).
class CGroupColArray : public COwnedPtrArray<CGroupCol> {
public:
    CGroupColArray() = default;
    // Deletes its grouping columns and appends copies of the other's.
    CGroupColArray& operator=(const CGroupColArray& other);

    void GetExtent(CzorTAggr<CzorInstance>& list) const;
    // Moves all of other's grouping columns, in order, to the end of this list; other is left empty.
    void Append(CGroupColArray& other);
    // Takes the grouping column at from out and inserts it at to: false when either lies outside the list.
    bool Move(int from, int to);
};
