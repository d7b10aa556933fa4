#include "report/dialogs/column_dialog_logic.h"

#include <cmath>
#include <optional>

#include "platform/settings/default_settings.h"
#include "platform/ui/messages.h"
#include "report/dialogs/number_field.h"
#include "report/dialogs/position_logic.h"
#include "report/model/data_source.h"
#include "report/model/section_level.h"

namespace {

constexpr int kMaxTextRows = 10;

int Tenths(double mm) { return static_cast<int>(mm * 10.0); }

bool ReadMillimetres(const std::string& text, int& tenths) {
    std::optional<double> value;
    if (!ReadNumberField(text, value) || !value) {
        AfxMessageBox("Введите число.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    tenths = Tenths(*value);
    return true;
}

}  // namespace

ColumnDlgValues::ColumnDlgValues() : border(zor::DefaultLineWidth()) {}

void ColumnDlgValues::From(const CColumn& c) {
    name = c.m_Name;
    width = c.m_nWidth;
    border = c.m_nBorder;
    fitText = c.m_nFitText;
    column = c.m_pColumn;
    level = c.m_nLevel;
    align = c.m_nAlign;
    kind = c.m_nType;
    constText = c.m_TextConst;
    rows = c.m_nRowsCount;
}

void ColumnDlgValues::To(CColumn& c) const {
    c.m_nLevel = level;
    c.m_Name = name;
    c.m_nWidth = width;
    c.m_pColumn = column;
    c.m_nAlign = align;
    c.m_nBorder = border;
    c.m_nFitText = fitText;
    c.m_nType = kind;
    c.m_nRowsCount = rows;
    c.m_TextConst = kind == kColumnText ? constText : std::string();
}

const std::vector<std::string>& ColumnKindNames() {
    static const std::vector<std::string> names{"Значение поля", "Сумма в грумме", "Среднее в группе",
                                                "Количество строк в группе"};
    return names;
}

int VerticalPosition(int align) { return (align & 1) ? 0 : (align & 4) ? 2 : 1; }
int HorizontalPosition(int align) { return (align & 8) ? 0 : (align & 32) ? 2 : 1; }

int AlignFromPositions(int vertical, int horizontal) {
    int align = 0;
    if (vertical >= 0 && vertical <= 2) align |= 1 << vertical;
    if (horizontal >= 0 && horizontal <= 2) align |= 8 << horizontal;
    return align;
}

CColumnDlgLogic::CColumnDlgLogic(ColumnDlgValues& values) : m_pColumn(values.column), m_Values(values) {
    m_Name = values.name;
    m_Width = MillimetreText(values.width / 10.0);
    m_Border = MillimetreText(values.border / 10.0);
    m_Rows = std::to_string(values.rows);
    m_bLevel = values.level != 0;
    m_bFitText = values.fitText != 0;
    m_nVertical = VerticalPosition(values.align);
    m_nHorizontal = HorizontalPosition(values.align);
    const int kinds = static_cast<int>(ColumnKindNames().size());
    m_nKind = values.kind >= 0 && values.kind < kinds ? values.kind : -1;
    m_KindText = m_nKind >= 0 ? ColumnKindNames()[m_nKind] : values.constText;
}

std::string CColumnDlgLogic::FieldText() const {
    if (m_bLevel) return "Отображать уровень";
    return m_pColumn ? m_pColumn->GetName() : std::string();
}

void CColumnDlgLogic::TakeColumn(CHeaderColumn* column) {
    m_pColumn = column;
    // The blank row stands for no column: a name typed before is kept rather than wiped.
    if (column) m_Name = column->GetName();
}

bool CColumnDlgLogic::Apply() {
    int width = m_Values.width, border = m_Values.border, rows = m_Values.rows;
    // The name prompt shows the name alone: the hidden fields keep what they were given.
    if (m_Values.layout != kColumnLayoutName) {
        if (!ReadMillimetres(m_Width, width) || !ReadMillimetres(m_Border, border)) return false;
        double count = 0;
        if (!ReadNumberInRange(m_Rows, 1, kMaxTextRows, count)) return false;
        rows = static_cast<int>(count);
        if (rows != count) {
            AfxMessageBox("Введите целое число от 1 до 10.", MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    if (m_Name.empty() && !m_Values.allowEmptyName) return false;
    m_Values.name = m_Name;
    m_Values.width = width;
    m_Values.border = border;
    m_Values.rows = rows;
    m_Values.level = m_bLevel ? 1 : 0;
    m_Values.fitText = m_bFitText ? 1 : 0;
    m_Values.column = m_pColumn;
    m_Values.align = AlignFromPositions(m_nVertical, m_nHorizontal);
    if (m_nKind < 0) {
        m_Values.kind = kColumnText;
        m_Values.constText = m_KindText;
    } else {
        m_Values.kind = m_nKind;
    }
    return true;
}
