#pragma once
// The data source: the table a report is filled from. Rows of typed values (CTableRow) under a
// header of named columns (CHeader of CHeaderColumn). It is read from and written to a
// separated-values file, extended with formula and attribute-path columns, sorted by several keys
// in natural order, and walked row by row by section generation.
//
// Ownership: a header owns its columns, a row owns its cells, a data source owns its header and
// its rows. Texts are UTF-8 and are copied byte for byte between files and cells.
//
// Cell storage: a row keeps the cells it makes itself in one block together with their texts
// (CTableRow::AddStrings, the loading path), and while those cells stay as they were made the row
// needs no array of pointers to them: a row read from a file costs its object, one block of a
// value per field and the field texts, two allocations, not two allocations per cell. Values that a caller hands
// over (AddColumn(CzorValue*), SetAt) keep their identity: the row stores the very pointer. A cell
// pointer stays valid until its cell is removed or replaced, or the row is deleted. A block cell's
// text belongs to its row: copy a cell's value (CzorValue copies are deep), never move it out.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/zordata/taggr.h"
#include "platform/zordata/value.h"

class CFolivox;
class CzorInstance;
class CzorStepData;
struct CReportSchema;

class CHeader;
class CTableRow;

// An ordered array of rows, as the sorts and the group aggregates pass them around. The pointers
// are not owned by the array.
using CTableRowArray = std::vector<CTableRow*>;
// Column indexes of a multi-key sort, first key first.
using CColumnIndexArray = std::vector<int>;

// Kinds of column (CHeaderColumn::m_nColType).
enum : int {
    kPlainColumn = 0,     // read from the file, added by a caller, or appended by Extend
    kAttrPathColumn = 1,  // "source.attr.attr" or "source!(entity, attr.attr)"
    kFormulaColumn = 2,   // "name=expression"
};

// One column's description, storable in the object store as a `zor_col` instance.
class CHeaderColumn {
public:
    CHeaderColumn() = default;
    CHeaderColumn(int colType, std::string text, int type) : m_nColType(colType), m_Name(std::move(text)), m_nType(type) {}
    // Copies all four fields (the copy shares the store instance).
    CHeaderColumn(const CHeaderColumn& other) = default;
    // Copies kind, text and type; the instance is set to null so that the copy gets its own
    // store instance when it is next written.
    CHeaderColumn& operator=(const CHeaderColumn& other);
    CHeaderColumn& operator=(const CHeaderColumn* other);

    // The column's name: for a formula column whose text holds "=", the text before the first
    // "="; otherwise the whole text.
    std::string GetName() const;
    // The expression of a formula column (the text after the first "="); otherwise "".
    std::string GetFunct() const;
    // The value type as text: "zorINSTANCE", "zorINTEGER", "zorREAL", "zorSTRING", "zorBINARY",
    // or "zorNOTYPE" for any other type.
    std::string GetType() const;

    // Deletes the column's store instance (the object stays, its instance becomes null).
    void Delete(CFolivox* manager);
    void Delete(CzorStepData* store);

    int m_nColType = kPlainColumn;       // kPlainColumn, kAttrPathColumn or kFormulaColumn
    std::string m_Name;                  // the column's whole text (see GetName)
    int m_nType = 0;                     // zorValueType of its values
    CzorInstance* m_pInstance = nullptr; // its `zor_col` instance, or null until written
};

// The ordered list of a data source's columns. It never holds a null column.
class CHeader {
public:
    CHeader() = default;
    virtual ~CHeader();
    CHeader(const CHeader&) = delete;
    CHeader& operator=(const CHeader&) = delete;

    // Appends a new plain column; returns its index.
    int AddColumn(std::string_view name, int type);
    // Appends the column, which the header then owns; returns its index (-1 for null: refused,
    // not taken).
    int AddColumn(CHeaderColumn* column);
    // Index -1 appends (returns the new index); an index from 0 to the size inserts there and
    // shifts the later columns up (returns index). Null, an index past the end or below -1 is
    // refused: -1, and the column is not taken.
    int InsertColumn(int index, CHeaderColumn* column);

    CHeaderColumn* GetColumn(int index) const;  // null outside 0 .. size-1
    int GetSize() const { return static_cast<int>(m_Columns.size()); }
    int GetColumnType(int index) const;         // the column's value type, 0 outside

    // Index of the first column whose GetName() equals name byte for byte, -1 if none.
    int Find(std::string_view name) const;
    // Index of that very column object, -1 if absent.
    int Find(const CHeaderColumn* column) const;
    // Index of the first column stored as that instance, -1 if none (and for null).
    int Find(const CzorInstance* instance) const;

    // Deletes and removes the column (nothing outside the range).
    void RemoveAt(int index);
    // Deletes every column.
    void RemoveAll();
    // Forgets every column without deleting it (for a header that borrows another's columns).
    void Clear() { m_Columns.clear(); }

    // Deletes every column's store instance, then RemoveAll.
    void Delete(CFolivox* manager);
    void Delete(CzorStepData* store);

    // Empties the list, then appends each column's instance in column order (a column without an
    // instance adds a null entry); a unique list skips an instance it already holds.
    void GetExtent(CzorTAggr<CzorInstance>& list) const;

    // true: writes each column to its `zor_col` instance (created when missing): "type", "name",
    // "col_type". false: reads them back into the columns that have an instance; an attribute
    // without a value leaves the field as it was. Nothing happens without a store.
    void Update(CFolivox* manager, bool toStore);
    void Update(CzorStepData* store, const CReportSchema& schema, bool toStore);

private:
    std::vector<CHeaderColumn*> m_Columns;
};

// One row of values, one cell per column.
class CTableRow {
public:
    CTableRow() = default;
    virtual ~CTableRow();
    CTableRow(const CTableRow&) = delete;
    CTableRow& operator=(const CTableRow&) = delete;

    // Appends the given value, which the row then owns (null is refused: -1). Returns its index.
    int AddColumn(CzorValue* value);
    // Appends a new string value (type 5) holding the text.
    int AddColumn(std::string_view text);
    // Appends a new real value (type 4).
    int AddColumn(double value);
    // Appends a new integer value (type 3).
    int AddColumn(int value);
    // Appends a new instance value (type 1), or an empty value for null.
    int AddColumn(CzorInstance* instance);
    // Appends `count` string values at once, their texts kept in one block with the row; returns
    // the index of the first (the row's size when count is 0).
    int AddStrings(const std::string_view* texts, int count);
    // Appends `count` empty values at once; returns the index of the first.
    int AddEmpty(int count);
    // Appends `count` empty texts that cost no memory: the fields a data file's line leaves out. Each
    // reads as the one shared empty text, which is never changed in place (SetAt replaces it); returns
    // the index of the first.
    int AddMissing(int count);
    // Makes room for `count` cells in all without growing again.
    void Reserve(int count);

    // Index -1 appends; 0 .. size inserts there. Null, or an index past the end or below -1, is
    // refused (-1, not taken): a row never holds a null cell.
    int InsertColumn(int index, CzorValue* value);

    CzorValue* GetColumn(int index) const {
        if (index < 0 || index >= m_nCells) return nullptr;
        if (index < m_nGapAt) return StoredCell(index);
        if (index < m_nGapAt + m_nGap) return MissingCell();
        return StoredCell(index - m_nGap);
    }
    int GetSize() const { return m_nCells; }
    int GetColumnType(int index) const;  // the value's type code, 0 outside
    // The cell's text form (GetAsString of the value), "" outside.
    std::string GetAsString(int index) const;
    // Appends the cell's text form to out (nothing outside): the same text, without a temporary.
    void AppendAsString(int index, std::string& out) const;
    // Index of that very value, -1 if absent.
    int Find(const CzorValue* value) const;

    // Puts the value into the slot, releasing the value it replaces; the row owns it. False (and
    // the value not taken) outside the range or for null.
    bool SetAt(int index, CzorValue* value);

    // Clears, deletes and removes the value (nothing outside the range).
    void RemoveAt(int index);
    // The same for every value.
    void RemoveAll();

private:
    static CzorValue* MissingCell();
    int Stored() const { return m_nCells - m_nGap; }
    // Stored cell k: from the pointer array once the row has one, else the block's value k.
    CzorValue* StoredCell(int k) const { return m_pCells ? m_pCells[k] : m_pBlockValues + k; }
    void FillGap();
    bool IsInBlock(const CzorValue* value) const;
    void Release(CzorValue* value);
    void Grow(int minCapacity);
    int AddBlock(const std::string_view* texts, int count);
    void FreeBlock();

    // The cells in order, without the missing ones. A row read from a file has no pointer array
    // (null): its cells are the block's values in order, which saves a pointer a cell; the array is
    // made the first time the cells change. Cells m_nGapAt .. m_nGapAt + m_nGap - 1 are missing:
    // stored cell k stands at index k before the gap and at k + m_nGap after it.
    CzorValue** m_pCells = nullptr;
    CzorValue* m_pBlockValues = nullptr;  // the block: [values][texts], made by AddStrings/AddEmpty
    int m_nCells = 0;     // cells the row shows, missing ones included
    int m_nCapacity = 0;  // of m_pCells (0 while it is null)
    int m_nGapAt = 0;
    int m_nGap = 0;
    int m_nBlockValues = 0;
};

// The table.
class CDataSource {
public:
    // No rows, the given header (may be null, then owned), separator ','.
    explicit CDataSource(CHeader* header = nullptr);
    ~CDataSource();
    CDataSource(const CDataSource&) = delete;
    CDataSource& operator=(const CDataSource&) = delete;

    // The counts; always true.
    bool GetSize(int& rows, int& columns) const;
    int GetRowCount() const { return static_cast<int>(m_Rows.size()); }
    int GetColumnCount() const { return m_nColumns; }

    // Installs the header (null refused: returns null and changes nothing), sets the column count
    // to its size and returns the previous header, which the caller then owns.
    CHeader* SetHeader(CHeader* header);
    CHeader* GetHeader() const { return m_pHeader; }

    // Appends the row, which the data source then owns; its size must equal the column count,
    // else the message "Не верно сформирована строка!" and -1 (the row is not taken).
    int AddRow(CTableRow* row);
    // Appends a row of column-count empty values; returns its index.
    int AddRow();
    // Appends an unnamed plain column of integers (type 3) to the header (made when missing) and
    // an integer cell 0 to every row; returns the number of rows.
    int AddColumn();
    // Removes cell `index` from every row that has it and lowers the column count by one; the
    // header is the caller's to mend. False, changing nothing, outside 0 .. column count-1.
    bool DeleteColumn(int index);
    // Deletes the row; false outside the range.
    bool DeleteRow(int index);
    // Deletes all rows and the header; both counts 0.
    void RemoveAll();
    // Deletes all rows and sets both counts to 0; the header stays.
    void Clear();

    // Makes a new value and puts it into the cell (CTableRow::SetAt); false, with nothing kept,
    // when the row or the column is outside the table. The CzorValue* form takes that value.
    bool SetAt(int row, int column, CzorValue* value);
    bool SetAt(int row, int column, CzorInstance* value);
    bool SetAt(int row, int column, const char* value);
    bool SetAt(int row, int column, int value);
    bool SetAt(int row, int column, double value);
    // The same through the header's Find(columnName); false for a name not in the header.
    bool SetAt(int row, const char* columnName, CzorValue* value);
    bool SetAt(int row, const char* columnName, CzorInstance* value);
    bool SetAt(int row, const char* columnName, const char* value);
    bool SetAt(int row, const char* columnName, int value);
    bool SetAt(int row, const char* columnName, double value);

    // The cell, null outside the table.
    CzorValue* GetAt(int row, int column) const;
    // The cell of the header column named like column->GetName(); null without a header or a
    // column, or outside the table.
    CzorValue* GetAt(int row, const CHeaderColumn* column) const;
    CTableRow* GetRow(int index) const;
    int FindRow(const CTableRow* row) const;
    CTableRowArray& GetRows() { return m_Rows; }
    const CTableRowArray& GetRows() const { return m_Rows; }
    // The header's column, null without a header or outside.
    CHeaderColumn* GetColumn(int index) const;
    // The header's Find(column->GetName()); -2 without a header, -1 for null.
    int GetColumnInd(const CHeaderColumn* column) const;

    // When text ends in ASCII digits: rest = text without that final digit run, true. Otherwise
    // false and rest unchanged.
    static bool GetStringPart(std::string_view text, std::string& rest);

    char GetSeparator() const { return m_cSeparator; }

    // ---- Separated-values file (separated_values.cpp)
    // Replaces the whole content with the file; true when a header line was found. On false, reason
    // (when given) says why: the system's error text, or that the file has no header line.
    bool LoadFromFile(const std::string& path, std::string* reason = nullptr);
    // Writes the data source (atomically), its rows in their order or, when given, in the order of
    // rows (rows of this data source); false without a header (silently) or when the file cannot be
    // written (the message "Не могу создать файл <path>").
    bool SaveToFile(const std::string& path, const CTableRowArray* rows = nullptr) const;
    // Takes the first field off the front of line (line keeps the rest after the separator);
    // false when line was already empty (word is then "").
    bool GetNextWord(std::string& line, std::string& word, bool quoted) const;

    // ---- Formulas and computed columns (formula.cpp, extend.cpp)
    // Evaluates expr for row (may be null: the syntax check, every branch taken) against header,
    // appending to result; false on any error, with result holding what was added before it.
    static bool ParseFunction(std::string_view expr, std::string& result, const CTableRow* row, const CHeader* header);
    // The same against the data source's own header.
    bool ParseFunction(std::string_view expr, std::string& result, const CTableRow* row) const;
    // Splits the path part of an attribute-path column: "!(entity, attr)" gives entity and attr
    // (path keeps the text after ")"); any other path is attr whole.
    static bool ParseAttr(std::string& path, std::string& entity, std::string& attr);
    // Appends the computed columns (formula columns always, attribute-path columns only with a
    // store) to the data source. False at the first failing row, after its message; the columns
    // appended until then stay.
    bool Extend(const CHeader* computed, CzorStepData* store);

    // ---- Sorting (row_sort.cpp)
    // 1 when a sorts after b, -1 before, 0 equal for sorting: numbers by value, texts in natural
    // order, values of different (or other) types, and null, equal.
    static int Compare(const CzorValue* a, const CzorValue* b);
    // Sorts rows ascending by their cell in the column (stable). Nothing for null rows, a
    // negative column or fewer than two rows.
    void Sort(int column, CTableRowArray* rows);
    // Sorts by several columns in priority order; null rows means the data source's own.
    void Sort(const CColumnIndexArray* columns, CTableRowArray* rows);
    // Sorts the own rows by the header column of that name / that very column object.
    void Sort(std::string_view name);
    void Sort(const CHeaderColumn* column);

private:
    void DeleteRows();
    template <class T> bool SetValue(int row, int column, const T& value);
    template <class T> bool SetValueByName(int row, const char* columnName, const T& value);

    CHeader* m_pHeader = nullptr;
    CTableRowArray m_Rows;
    int m_nColumns = 0;
    char m_cSeparator = ',';
};
