#pragma once
// What the condition dialogs do, apart from their widgets: the check of a condition's constant, the one
// condition being edited and the list of a section's or group's conditions. Everything changes the
// conditions in memory only; their owner writes them to the store.
#include <functional>
#include <string>
#include <vector>

class CCondition;
class CConditionArray;
class CHeaderColumn;

// Value types of a condition's constant.
enum : int { kCondValueInt = 3, kCondValueReal = 4, kCondValueString = 5 };

enum class ConditionValueCheck { Ok, Empty, BadNumber };
// The constant's text checked for its value type: an integer must read back unchanged as a decimal
// integer (so "012", "+5", "5.0" and "1e3" are refused), a real must be a number; a string may be anything.
ConditionValueCheck CheckConditionValue(int valueType, const std::string& text);

// The comparison names by comparison code, the value type names by value type minus 3, the link names
// ("И", "ИЛИ") by link index.
const std::vector<std::string>& ConditionComparisonNames();
const std::vector<std::string>& ConditionValueTypeNames();
const std::vector<std::string>& ConditionLinkNames();

// The data-source column choice: false for Cancel; true for OK with the chosen column (null for none).
using ColumnChooser = std::function<bool(CHeaderColumn*& column)>;

class CConditionDlgLogic {
public:
    // The fields of the condition, or those of a new one (null).
    explicit CConditionDlgLogic(const CCondition* condition);

    // OK with the fields as they stand. False keeps the dialog open: without a column silently, after a
    // message when the constant is wrong. On success the condition (a new one made only then, when
    // condition is null) takes the comparison, the constant, the column and the link.
    bool Apply(CCondition*& condition) const;

    // Runs the choice until it gives a column (OK without one shows a message and opens it again) or is
    // cancelled; true when a column was chosen.
    bool ChooseColumn(const ColumnChooser& chooser);
    std::string ColumnText() const;

    CHeaderColumn* m_pColumn = nullptr;
    int m_nComparison = 0;
    int m_nValueType = kCondValueString;
    std::string m_Value;
    int m_nLinkIndex = 0;  // 0 "И", 1 "ИЛИ"
};

// The conditions-list dialog: one row per condition, new, delete after the question, row texts.
class CConditionsDlgLogic {
public:
    explicit CConditionsDlgLogic(CConditionArray& conditions) : m_Conditions(conditions) {}

    struct Row { std::string column, comparison, value; };
    std::vector<Row> Rows() const;
    // Appends the condition the condition dialog made; the list owns it.
    void Append(CCondition* condition);
    // The question, then unless the answer is No the condition is removed from the list and deleted
    // (its store instance stays for the owner to settle). False when nothing was removed.
    bool Delete(int index);

private:
    CConditionArray& m_Conditions;
};
