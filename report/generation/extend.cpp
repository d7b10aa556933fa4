// Computed columns: formula and attribute-path columns appended to a loaded data source.
#include <algorithm>
#include <string>

#include "platform/ui/messages.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/value.h"
#include "report/generation/data_source.h"
#include "report/generation/formula.h"
#include "report/generation/value_text.h"

namespace {

// Where an attribute-path column's source column ends: the first "." or "!"; npos for neither.
size_t SourceEnd(const std::string& text) { return std::min(text.find('.'), text.find('!')); }

bool Adds(const CHeaderColumn& column, const CzorStepData* store) {
    if (column.m_nColType == kAttrPathColumn) return store && SourceEnd(column.m_Name) != std::string::npos;
    if (column.m_nColType == kFormulaColumn) return column.m_Name.find('=') != std::string::npos;
    return false;
}

// Rows from `first` on that did not get the new column's cell get an empty one, so that every row
// keeps one cell per column even when computing a column stops half-way.
void FillEmpty(CTableRowArray& rows, size_t first) {
    for (size_t i = first; i < rows.size(); ++i) rows[i]->AddColumn(new CzorValue);
}

}  // namespace

bool CDataSource::Extend(const CHeader* computed, CzorStepData* store) {
    if (!computed) return true;
    if (!m_pHeader) {
        m_pHeader = new CHeader;
        m_nColumns = 0;
    }
    const int count = computed->GetSize();
    int adding = 0;
    for (int k = 0; k < count; ++k) adding += Adds(*computed->GetColumn(k), store) ? 1 : 0;
    if (adding == 0) return true;
    // Each row grows once, not once per column.
    for (CTableRow* row : m_Rows) row->Reserve(row->GetSize() + adding);

    for (int k = 0; k < count; ++k) {
        const CHeaderColumn& column = *computed->GetColumn(k);
        if (!Adds(column, store)) continue;
        const std::string text = column.m_Name;

        if (column.m_nColType == kAttrPathColumn) {
            const size_t p = SourceEnd(text);
            const int source = m_pHeader->Find(std::string_view(text).substr(0, p));
            m_pHeader->AddColumn(text, zorNOTYPE);
            ++m_nColumns;
            std::string path = text.substr(p), entity, attr;
            const bool parsed = ParseAttr(path, entity, attr);
            CzorEntity* kind = parsed && !entity.empty() ? store->GetEntityBN(entity) : nullptr;
            for (size_t r = 0; r < m_Rows.size(); ++r) {
                CTableRow* row = m_Rows[r];
                auto* value = new CzorValue;
                const CzorValue* cell = row->GetColumn(source);
                if (CzorInstance* instance = cell ? cell->GetInstance() : nullptr) {
                    if (!parsed) {
                        delete value;
                        AfxMessageBox("Не верно задан атрибут или ентити!", MB_OK);
                        FillEmpty(m_Rows, r);
                        return false;
                    }
                    if (!entity.empty() && !store->IsKindOf(instance, kind)) value->Set("");
                    else value->Set(GetAttrEx(instance, attr.c_str(), store));
                }
                row->AddColumn(value);
            }
            continue;
        }

        // Formula column: its name is in the header before its rows are computed, so a formula
        // that names itself reads its own, still missing, cell as empty.
        m_pHeader->AddColumn(column.GetName(), zorSTRING);
        ++m_nColumns;
        const datasource::CFormula formula(std::string_view(text).substr(text.find('=') + 1), m_pHeader);
        std::string result;
        for (size_t r = 0; r < m_Rows.size(); ++r) {
            result.clear();
            if (!formula.Evaluate(m_Rows[r], result)) {
                AfxMessageBox("Не верно задана функция!", MB_OK);
                FillEmpty(m_Rows, r);
                return false;
            }
            m_Rows[r]->AddColumn(result);
        }
    }
    return true;
}
