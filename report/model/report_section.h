#pragma once
// Table sections. A section is one data-driven block of a table: the levels one data-source row yields,
// the conditions a row must meet, the grouping columns with their title and closing lines, extra sort
// columns and a title line. A table element owns its sections in a CSectionArray.
//
// Stored as a zor_report_section instance. operator= shares the store instances of the section it copies
// (so that a backup restores them); a copy that is to be written as a new section calls ZerroInsts, after
// which it holds no store instance at all and writing or deleting it never touches its source.
//
// The flat record (part of a table's memory record) holds the name, the title and the levels only.
#include <functional>
#include <string>
#include <vector>

#include "platform/win/ptrarray.h"
#include "report/model/condition.h"
#include "report/model/data_source.h"
#include "report/model/gen_flags.h"
#include "report/model/group_col.h"
#include "report/model/owned_array.h"
#include "report/model/section_level.h"
#include "report/model/text_value.h"

class CFolivox;
class CHeaderColumn;
class CReportElement;
class CReportSheet;
class CTableContent;
class CzorInstance;
class CRecordReader;
class CRecordWriter;

// Flags of CReportSection::GenSection, AddRow and AddTitle: a type for each, the bits those operations
// have always had.
enum class SectionGen : unsigned {
    kNone = 0,
    kLastSection = 1,  // the last section of its table
};
enum class RowGen : unsigned {
    kNone = 0,
    kTrial = 2,       // only try whether it fits
    kClosing = 8,     // the grouping column's closing lines (else its title lines)
    kLastLines = 16,  // nothing of the section follows these lines, so none is kept with them
};
enum class TitleGen : unsigned {
    kNone = 0,
    kTitleText = 1,  // the title line (else a filler block)
    kTrial = 2,      // only try whether it fits
};
template <> struct EnableFlags<SectionGen> : std::true_type {};
template <> struct EnableFlags<RowGen> : std::true_type {};
template <> struct EnableFlags<TitleGen> : std::true_type {};

// What AddRow and AddTitle did, as the integers of CReportSection's operations.
enum class AddResult : int {
    kDone = 0,             // written (or a trial fits)
    kNotHere = -1,         // does not fit here, nothing written (AddTitle: or nothing to write)
    kNoRoomFurther = -2,   // a row that went on found no continuation or no room there (or no element)
    kNotATable = 1,        // the element is neither a table nor a continuation
};

class CReportSection {
public:
    explicit CReportSection(CFolivox* manager);
    virtual ~CReportSection();
    CReportSection(const CReportSection&) = delete;
    // Copies the name, the title, the instance (shared), show empty lines, deep copies of the levels,
    // conditions and grouping columns, and the sort list; the title column becomes the copied column at the
    // same place. The manager and the contents node stay.
    CReportSection& operator=(const CReportSection& other);

    // --- Store --------------------------------------------------------------------------------------------
    // Sets the manager, makes the zor_report_section instance and writes the name and the title; 0.
    int CreateSection(CFolivox* manager);
    // true writes the section and all its parts (making missing instances); false reads it (nothing
    // without an instance).
    void Update(bool write);
    // Removes the section from the store: its instance, its levels (their objects too), its title, its
    // conditions (their objects too) and its grouping columns' instances and parts.
    void DeleteSection();
    // Deletes the parts' instances (conditions, levels, grouping columns); the section's own instance and
    // its title are the caller's.
    void Delete();
    // Forgets every store instance the section holds (its own, the title's, the levels' and columns', the
    // conditions', the grouping columns' with their levels, columns and conditions), so that the next write
    // makes new ones.
    void ZerroInsts();

    // --- Record ---------------------------------------------------------------------------------------------
    int GetMemSize() const;
    void CopyToMem(CRecordWriter& out) const;
    // Replaces name, title and levels with the record's; false on a short or bad record, the section then
    // unchanged.
    bool LoadDataFromMem(CRecordReader& in);

    // --- Rows -------------------------------------------------------------------------------------------------
    // The output lines the section yields for the manager's data source: 3 (or 1 without empty lines) for
    // the title, then per row that meets the conditions one per opened group that has title lines and one
    // for the detail line.
    int GetRows() const;
    // The count GetRows gives for a section that yields no row: 3 with show empty lines, else 1.
    int GetEmptyRows() const { return m_nShowEmptyLines > 0 ? 3 : 1; }
    // The sort keys of generation: the data-source index of each grouping column's column, then of each
    // sort column. A column that is missing or not in the data source is reported ("Не корректный шаблон")
    // and gives false.
    bool GetSortColumns(const CDataSource& source, CColumnIndexArray& columns) const;

    // --- Generation (section_generation*.cpp) -------------------------------------------------------------
    // Writes the section into element (a table or one of its continuations) from the position given by the
    // line count and the vertical offset (0 at the element's upper edge, falling by each line's height),
    // going on in the table's continuations on further sheets; the rows are taken in the order of the
    // grouping and sort columns (a sorted copy: the data source keeps its order). kLastSection: the
    // table's last section, which rules the rest of its element. The element generation ended in, or null
    // (after its message) on failure.
    CReportElement* GenSection(CReportElement* element, int& lineCount, int& offset, SectionGen flags);
    // The lines of one row of source (the manager's for null) into *current: the section's levels (no
    // group), or the grouping column's title lines, or its closing lines (kClosing). kTrial: only try.
    // 0 written (or it would fit); -1 it does not fit here (nothing written); -2 a row that went on in a
    // continuation found none or no room there, or no current pointer; 1 not a table or continuation.
    // *current becomes the continuation the row went on in.
    int AddRow(CDataSource* source, CReportElement** current, int row, int& lineCount, int& offset,
               CGroupCol* group, RowGen flags);
    // One block of the section's levels with empty cells (kNone), or the title line (kTitleText: the
    // title in the title column's cell); with kTrial it only tries, moving the offset when the block
    // fits. 0 done (a cell was added); -1 it does not fit, no levels, or no cell added; 1 not a table or
    // continuation.
    int AddTitle(CReportElement* element, int& lineCount, int& offset, TitleGen flags);
    // The table's continuation on the sheet after sheet: the next page of the report when it holds one,
    // else a new page cloned from the manager's generation sheet. The table's page number goes up and its
    // current sheet (and the current contents node's sheets) take the page. Null after the message
    // "Не могу создать страницу." or "Не корректный шаблон!".
    CReportElement* GetNextSheet(CReportSheet* sheet, CReportElement* element);

    // --- Group aggregates ---------------------------------------------------------------------------------
    // Appends the rows of row's group to rows (the row, then the run of earlier rows with the same key that
    // meet the conditions). False when group is not one of the section's, a key column is missing or not
    // in the data source, or row lies outside.
    bool GetRowsInGroup(const CDataSource& source, const CGroupCol* group, int row, CTableRowArray& rows) const;
    // Over the rows of the group: the sum of the column's numbers (reals, integers and number texts), their
    // average over the group's row count, and the row count. 0 without a group, rows or column.
    double GetSummInGroup(const CDataSource& source, int row, const CGroupCol* group, const CHeaderColumn* column) const;
    double GetAverangeInGroup(const CDataSource& source, int row, const CGroupCol* group, const CHeaderColumn* column) const;
    double GetCountInGroup(const CDataSource& source, int row, const CGroupCol* group, const CHeaderColumn* column) const;

    // --- Fields -------------------------------------------------------------------------------------------
    CFolivox* GetManager() const { return m_pManager; }
    void SetManager(CFolivox* manager) { m_pManager = manager; }
    CzorInstance* GetInstance() const { return m_pInstance; }
    void SetInstance(CzorInstance* instance) { m_pInstance = instance; }
    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    CTextValue& GetTitle() { return m_Title; }
    const CTextValue& GetTitle() const { return m_Title; }
    // A column of one of the section's own levels, or null.
    CColumn* GetTitleColumn() const { return m_pTitleColumn; }
    void SetTitleColumn(CColumn* column) { m_pTitleColumn = column; }
    int GetShowEmptyLines() const { return m_nShowEmptyLines; }
    void SetShowEmptyLines(int value) { m_nShowEmptyLines = value; }
    CSectionLevelArray& GetLevels() { return m_Levels; }
    const CSectionLevelArray& GetLevels() const { return m_Levels; }
    CConditionArray& GetConditions() { return m_Conditions; }
    const CConditionArray& GetConditions() const { return m_Conditions; }
    CGroupColArray& GetGroups() { return m_Groups; }
    const CGroupColArray& GetGroups() const { return m_Groups; }
    // Header columns of the manager; entries may be null (a column not found when read).
    CTypedPtrArray<CHeaderColumn>& GetSorts() { return m_Sorts; }
    const CTypedPtrArray<CHeaderColumn>& GetSorts() const { return m_Sorts; }
    // The table-of-contents node generation is filling, or null.
    CTableContent* GetContentNode() const { return m_pContentNode; }
    void SetContentNode(CTableContent* node) { m_pContentNode = node; }

private:
    // The title column when it is one of the levels' columns (a stale pointer is never followed), else null.
    CColumn* ValidTitleColumn() const;

    CTableContent* m_pContentNode = nullptr;
    CConditionArray m_Conditions;
    CGroupColArray m_Groups;
    CTypedPtrArray<CHeaderColumn> m_Sorts;
    CSectionLevelArray m_Levels;
    CzorInstance* m_pInstance = nullptr;
    CFolivox* m_pManager = nullptr;
    CTextValue m_Title;
    std::string m_Name;
    CColumn* m_pTitleColumn = nullptr;
    int m_nShowEmptyLines = 1;
};

// The rows of the group of order[row]: that row, then the earlier rows of order, nearest first, that meets
// (given their position) accepts, as long as their texts in keyColumns are the row's. Nothing for a row
// outside order. Serves GetRowsInGroup over the data source's rows and generation over a section's sorted
// copy of them.
void CollectGroupRows(const CTableRowArray& order, int row, const std::vector<int>& keyColumns,
                      const std::function<bool(int)>& meets, CTableRowArray& rows);

// A table's sections in order; owns them (Add refuses null with -1, GetAt gives null outside, RemoveAt
// and RemoveAll delete, nothing happens outside).
class CSectionArray : public COwnedPtrArray<CReportSection> {
public:
    // Swaps the section with the one offset places further on (-1 one up, +1 one down) when that place
    // lies inside; nothing for null or a section not held.
    void Replace(const CReportSection* section, int offset);
    // Swaps the sections at two places when both lie inside.
    void Replace(int first, int second);
};
