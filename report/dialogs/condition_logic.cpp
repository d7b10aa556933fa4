#include "report/dialogs/condition_logic.h"

#include "platform/text/numbers.h"
#include "platform/ui/messages.h"
#include "platform/zordata/stepmgr.h"
#include "report/model/condition.h"
#include "report/model/data_source.h"

namespace {

constexpr const char* kEmptyValue = "Значение не должно быть пустым!";
constexpr const char* kBadNumber = "Неправильный формат числа";

// The text read as a decimal integer and written back must give the text itself; a value out of the
// integer's range reads back as something else and is refused the same way.
bool ReadsBackAsInteger(const std::string& text) { return zor::IntToText(zor::TextToInt(text)) == text; }

}  // namespace

ConditionValueCheck CheckConditionValue(int valueType, const std::string& text) {
    if (valueType == kCondValueString) return ConditionValueCheck::Ok;
    if (text.empty()) return ConditionValueCheck::Empty;
    if (!zorIsRealOrEmpty(text)) return ConditionValueCheck::BadNumber;
    if (valueType == kCondValueInt && !ReadsBackAsInteger(text)) return ConditionValueCheck::BadNumber;
    return ConditionValueCheck::Ok;
}

const std::vector<std::string>& ConditionComparisonNames() {
    static const std::vector<std::string> names = {"Равно", "Не равно", "Больше", "Меньше"};
    return names;
}

const std::vector<std::string>& ConditionValueTypeNames() {
    static const std::vector<std::string> names = {"Целое число", "Вещественное число", "Строка"};
    return names;
}

const std::vector<std::string>& ConditionLinkNames() {
    static const std::vector<std::string> names = {"И", "ИЛИ"};
    return names;
}

CConditionDlgLogic::CConditionDlgLogic(const CCondition* condition) {
    if (!condition) return;
    m_pColumn = condition->m_pColumn;
    m_nComparison = condition->m_nType;
    m_nValueType = condition->m_nValueType;
    m_Value = condition->GetText();
    m_nLinkIndex = (condition->m_nLink & kCondOr) ? 1 : 0;
}

bool CConditionDlgLogic::ChooseColumn(const ColumnChooser& chooser) {
    if (!chooser) return false;
    for (;;) {
        CHeaderColumn* column = m_pColumn;
        if (!chooser(column)) return false;
        if (column) {
            m_pColumn = column;
            return true;
        }
        AfxMessageBox("Необхрдимо выбрать поле источника данных.");
    }
}

std::string CConditionDlgLogic::ColumnText() const { return m_pColumn ? m_pColumn->m_Name : std::string(); }

bool CConditionDlgLogic::Apply(CCondition*& condition) const {
    if (!m_pColumn) return false;
    switch (CheckConditionValue(m_nValueType, m_Value)) {
    case ConditionValueCheck::Empty: AfxMessageBox(kEmptyValue); return false;
    case ConditionValueCheck::BadNumber: AfxMessageBox(kBadNumber); return false;
    case ConditionValueCheck::Ok: break;
    }
    // Made only now, so that a refused value leaves no half-made condition behind.
    if (!condition) condition = new CCondition();
    if (m_nValueType == kCondValueInt) {
        condition->Set(m_nComparison, zor::TextToInt(m_Value));
    } else if (m_nValueType == kCondValueReal) {
        condition->Set(m_nComparison, zor::TextToReal(m_Value));
    } else {
        condition->Set(m_nComparison, m_Value);
    }
    condition->m_pColumn = m_pColumn;
    condition->m_nLink = m_nLinkIndex == 1 ? kCondOr : kCondAnd;
    return true;
}

std::vector<CConditionsDlgLogic::Row> CConditionsDlgLogic::Rows() const {
    std::vector<Row> rows;
    const auto& comparisons = ConditionComparisonNames();
    for (int i = 0; i < m_Conditions.GetSize(); ++i) {
        const CCondition* c = m_Conditions.GetAt(i);
        Row row;
        if (c->m_pColumn) row.column = c->m_pColumn->m_Name;
        if (c->m_nType >= 0 && c->m_nType < static_cast<int>(comparisons.size())) row.comparison = comparisons[c->m_nType];
        row.value = c->GetText();
        rows.push_back(std::move(row));
    }
    return rows;
}

void CConditionsDlgLogic::Append(CCondition* condition) { m_Conditions.Add(condition); }

bool CConditionsDlgLogic::Delete(int index) {
    if (index < 0 || index >= m_Conditions.GetSize()) return false;
    if (AfxMessageBox("Вы действительно желаете удалить выбранное условие?",
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDNO)
        return false;
    m_Conditions.RemoveAt(index);
    return true;
}
