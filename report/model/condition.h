#pragma once
// Conditions: one data-source column of a row compared with a constant, and lists of them joined by "and"
// and "or" links and read strictly from left to right (no precedence). A list decides whether a row
// belongs to a section or opens and fills a group.
//
// Rows read from a separated-values file hold text only, so a numeric condition (value type 3 or 4) on a
// text cell that reads as a number (blanks trimmed, not empty, accepted by zorIsRealOrEmpty) compares the
// number; any other cell of another type than the condition's never meets it.
//
// Stored as zor_condition instances. Copies share the store instance and the column.
#include <string>

#include "platform/zordata/taggr.h"
#include "report/model/owned_array.h"

class CDataSource;
class CFolivox;
class CHeaderColumn;
class CzorInstance;
class CzorValue;

// Comparisons (CCondition::m_nType).
enum : int { kCondEqual = 0, kCondNotEqual = 1, kCondGreater = 2, kCondLess = 3 };
// Links to the conditions before (CCondition::m_nLink).
enum : int { kCondAnd = 0x10, kCondOr = 0x20 };

class CCondition {
public:
    CCondition() = default;
    virtual ~CCondition() = default;
    CCondition(const CCondition&) = default;
    CCondition& operator=(const CCondition&) = default;

    // The comparison and the constant: value type 3 (integer), 4 (real) or 5 (text).
    void Set(int comparison, int value);
    void Set(int comparison, double value);
    void Set(int comparison, const std::string& value);

    // The value compared with the constant. The typed forms hold only for the matching value type.
    bool Compare(int value) const;
    bool Compare(double value) const;
    bool Compare(const std::string& value) const;
    // False for null and for a value of another type than the condition's, except that a number text
    // meets a numeric condition as its number.
    bool Compare(const CzorValue* value) const;

    // The constant as stored: the text, "%d" or "%f"; empty for any other value type.
    std::string GetText() const;

    // true writes type (comparison | link), value_type, value and column (no reference without a column,
    // the zor_col instance made when the column has none); false reads them (the column found in the
    // manager's headers, null when neither holds it). False without a manager or store, or when reading
    // without an instance.
    bool Update(CFolivox* manager, bool write);
    // Deletes the instance from the store and forgets it.
    void Delete(CFolivox* manager);

    CzorInstance* m_pInstance = nullptr;
    CHeaderColumn* m_pColumn = nullptr;  // not owned
    int m_nType = kCondEqual;            // the comparison
    int m_nValueType = 0;                // 3, 4 or 5
    std::string m_StrValue;
    int m_nIntValue = 0;
    double m_dRealValue = 0.0;
    int m_nLink = 0;                     // kCondAnd or kCondOr; the first condition's is not used
};

// Owns its conditions (Add, GetAt, Find, RemoveAt, RemoveAll).
class CConditionArray : public COwnedPtrArray<CCondition> {
public:
    CConditionArray() = default;
    // Deletes its conditions and appends copies of the other's (sharing instance and column).
    CConditionArray& operator=(const CConditionArray& other);

    void Update(CFolivox* manager, bool write);
    // Appends one new condition per (non-null) instance of list, each read from its instance.
    void AddFromInstances(CFolivox* manager, const CzorTAggr<CzorInstance>& list);
    // Whether the row of the data source meets the list: true for an empty list; otherwise left to right,
    // each condition joined to the result so far by its link. False for a row outside the data source when
    // the list is not empty.
    bool Compare(const CDataSource& source, int row) const;
    // The same on the manager's data source.
    bool Compare(CFolivox* manager, int row) const;
    void GetExtent(CzorTAggr<CzorInstance>& list) const;
    // Every condition deletes its instance, then the conditions are deleted and the list emptied.
    void Delete(CFolivox* manager);
    // Every condition's instance is forgotten (nothing deleted from the store).
    void ForgetInstances();
};
