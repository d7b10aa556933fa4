#pragma once
// Grouping columns: a section's sorted rows split into groups by the value of one data-source column.
// Each group has title lines when it opens and closing lines (subtotals) when it closes, each with its own
// levels, a font and conditions, and a table-of-contents entry named by a column formula.
//
// Stored as zor_group_col instances with a zor_font instance. A copy shares the store instance and the
// column; its levels and conditions are deep copies.
#include <string>

#include "platform/win/gdi_types.h"
#include "platform/win/ptrarray.h"
#include "platform/zordata/taggr.h"
#include "report/generation/condition.h"
#include "report/generation/section_level.h"

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

// A section's grouping columns, outermost first; owns them.
class CGroupColArray {
public:
    CGroupColArray() = default;
    ~CGroupColArray() { RemoveAll(); }
    CGroupColArray(const CGroupColArray&) = delete;
    // Deletes its grouping columns and appends copies of the other's.
    CGroupColArray& operator=(const CGroupColArray& other);

    // Appends a non-null grouping column (then owned); its index, or -1 for null.
    int Add(CGroupCol* group);
    CGroupCol* GetAt(int index) const { return m_Items.GetAt(index); }
    int GetSize() const { return m_Items.GetSize(); }
    int Find(const CGroupCol* group) const { return m_Items.Find(group); }
    // Deletes the grouping column at a valid index; nothing outside.
    void RemoveAt(int index);
    void RemoveAll();
    // Forgets every grouping column without deleting it.
    void Clear() { m_Items.RemoveAll(); }

    void GetExtent(CzorTAggr<CzorInstance>& list) const;
    // Moves all of other's grouping columns, in order, to the end of this list; other is left empty.
    void Append(CGroupColArray& other);
    // Takes the grouping column at from out and inserts it at to: false when either lies outside the list.
    bool Move(int from, int to);

    auto begin() const { return m_Items.begin(); }
    auto end() const { return m_Items.end(); }

private:
    CTypedPtrArray<CGroupCol> m_Items;
};
