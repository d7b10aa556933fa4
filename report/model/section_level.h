#pragma once
// Levels and their columns: the row layouts of a table section. A level is a named band of a given
// height divided into columns; a column says what its cell shows (a data-source field, a group sum,
// average or row count, or a constant text) and how (alignment, frame, fitting, text rows).
//
// Stored as zor_level and zor_column instances. Copies (operator=) share the store instances of what they
// copy, so that a copy made to be restored later (a dialog's Cancel) gives the original its instances
// back; a copy that is to be written as new forgets them first (ForgetInstances).
//
// Ownership: a level owns its columns, a level array its levels. A column's data-source column belongs to
// the manager's headers.
#include <string>

#include "platform/zordata/taggr.h"
#include "report/model/owned_array.h"

class CFolivox;
class CHeaderColumn;
class CzorInstance;
class CRecordReader;
class CRecordWriter;

// What a column's cell shows (CColumn::m_nType).
enum : int {
    kColumnField = 0,    // the row's value of the data-source column
    kColumnSum = 1,      // the sum of the data-source column over the group
    kColumnAverage = 2,  // the average of the data-source column over the group
    kColumnCount = 3,    // the number of rows in the group
    kColumnText = 4,     // the constant text
};

// Level flags (CSectionLevel::m_nFlag).
enum : int {
    kLevelHideEmpty = 1,     // an empty line of the level is left out
    kLevelKeepTogether = 2,  // a line needing several text lines moves whole to the next table
};

// Smallest records, for the bounds checks of counts.
constexpr int kColumnRecordMinSize = 40;
constexpr int kLevelRecordMinSize = 16;

class CColumn {
public:
    CColumn() = default;
    virtual ~CColumn() = default;
    // Copies every field, the store instance and the data-source column included.
    CColumn(const CColumn&) = default;
    CColumn& operator=(const CColumn&) = default;

    // true writes the column (creating its zor_column instance, and the data-source column's zor_col
    // instance when it has none); false reads it (nothing without an instance). False without a manager or
    // store, or when reading without an instance.
    bool Update(CFolivox* manager, bool write);
    // Deletes the column's instance from the store and forgets it.
    void Delete(CFolivox* manager);

    // Record: level flag, width, index, frame, fit text, alignment, kind, text rows, name, constant text.
    int GetMemSize() const;
    void CopyToMem(CRecordWriter& out) const;
    // False on a short or bad record, the column then unchanged. A text-rows count below 1 reads as 1.
    bool LoadDataFromMem(CRecordReader& in);

    std::string m_Name;
    std::string m_TextConst;            // shown by a column of kind kColumnText
    int m_nWidth = 500;                 // tenths of a millimetre
    int m_nIndex = -1;                  // position number kept for the field set-up list
    int m_nLevel = 0;                   // 1: the cell shows the level's name
    int m_nAlign = 12;                  // CTextValue alignment flags of the cell
    int m_nBorder = 1;                  // the cell's frame line width
    int m_nFitText = 0;                 // not 0: one line fitted into the cell
    int m_nType = kColumnField;         // kColumnField .. kColumnText
    int m_nRowsCount = 1;               // text lines in one cell line, at least 1
    CHeaderColumn* m_pColumn = nullptr; // the data-source column, or null
    CzorInstance* m_pInstance = nullptr;
};

// A level's columns, left to right; owns them (Add, InsertAt, GetAt, RemoveAt, RemoveAll, Clear).
class CColumnArray : public COwnedPtrArray<CColumn> {
public:
    CColumnArray() = default;
    // Deletes its columns and appends copies of the other's (each copy sharing instance and data-source
    // column).
    CColumnArray& operator=(const CColumnArray& other);

    using COwnedPtrArray<CColumn>::Find;
    // The first column with that instance, or -1 (also for null).
    int Find(const CzorInstance* instance) const;
    // The first column whose name equals text byte for byte, or -1.
    int Find(const std::string& text) const;

    void Update(CFolivox* manager, bool write);
    // Empties list and fills it with the columns' instances in order, without duplicates.
    void GetExtent(CzorTAggr<CzorInstance>& list) const;
    // Deletes every column's instance (the objects stay).
    void Delete(CFolivox* manager);
    // Every column's instance is forgotten (nothing deleted from the store).
    void ForgetInstances();

    int GetMemSize() const;
    void CopyToMem(CRecordWriter& out) const;
    // Reads one record into each column held.
    bool LoadDataFromMem(CRecordReader& in);

    // Moves the column to position target (0 .. count - 1): -1 when the column is not held or the target
    // lies outside, else 0.
    int Move(CColumn* column, int target);
};

class CSectionLevel {
public:
    explicit CSectionLevel(CFolivox* manager) : m_pManager(manager) {}
    virtual ~CSectionLevel() = default;
    CSectionLevel(const CSectionLevel&) = delete;
    // Copies the manager, the instance (shared), the name, deep copies of the columns (each sharing its
    // instance and data-source column), the height and the flags.
    CSectionLevel& operator=(const CSectionLevel& other);

    // true writes (creating the zor_level instance); false reads, false without an instance. False
    // without a manager or store.
    bool Update(bool write);
    // Deletes the level's and its columns' instances from the store and forgets them; the objects stay.
    void Delete();
    // The level's and its columns' instances are forgotten (nothing deleted from the store).
    void ForgetInstances();
    // Levels make no clones.
    CSectionLevel* CreateClon() { return nullptr; }

    // Record: height, flags, name, column count, the columns.
    int GetMemSize() const;
    void CopyToMem(CRecordWriter& out) const;
    // Replaces name, height, flags and columns with the record's; false on a short or bad record, the level
    // then unchanged.
    bool LoadDataFromMem(CRecordReader& in);

    CFolivox* m_pManager = nullptr;
    CzorInstance* m_pInstance = nullptr;
    std::string m_Name;
    CColumnArray m_Columns;
    int m_nHeight = 80;  // tenths of a millimetre; 0: the table's row height times 10
    int m_nFlag = 0;     // kLevelHideEmpty | kLevelKeepTogether
};

// A list of levels, top to bottom; owns them (Add, GetAt, RemoveAt and RemoveAll delete a level with its
// columns, Clear forgets them).
class CSectionLevelArray : public COwnedPtrArray<CSectionLevel> {
public:
    CSectionLevelArray() = default;
    // Deletes its levels and appends deep copies of the other's, made with the manager of the other's first
    // level.
    CSectionLevelArray& operator=(const CSectionLevelArray& other);

    using COwnedPtrArray<CSectionLevel>::Find;
    // The first level whose name equals text byte for byte, or -1.
    int Find(const std::string& text) const;
    // Where a column stands: true with its level and column index when one of the levels holds that very
    // column (compared by address only, so a stale pointer is safe to ask about).
    bool Locate(const CColumn* column, int& level, int& index) const;
    // The column at a level and column index, or null.
    CColumn* GetColumn(int level, int index) const;
    // The first column of the levels, in order, stored as instance; null for null or when none is.
    CColumn* GetTitleColumn(CzorInstance* instance) const;

    void Update(bool write);
    // Appends one new level of manager per (non-null) instance of list, each read from its instance.
    void AddFromInstances(CFolivox* manager, const CzorTAggr<CzorInstance>& list);
    // Empties list and fills it with the levels' instances in order, without duplicates.
    void GetExtent(CzorTAggr<CzorInstance>& list) const;
    // Every level deletes its instances, then the levels are deleted and the array emptied.
    void Delete();
    // Every level's and column's instance is forgotten (nothing deleted from the store).
    void ForgetInstances();

    int GetMemSize() const;
    void CopyToMem(CRecordWriter& out) const;
    // Reads one record into each level held (the caller made as many as the record holds).
    bool LoadDataFromMem(CRecordReader& in);
};
