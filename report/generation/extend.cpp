// Computed columns: formula and attribute-path columns appended to a loaded data source.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/ui/outcome.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/value.h"
#include "report/generation/formula.h"
#include "report/model/data_source.h"
#include "report/model/value_text.h"

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

// Readies, one path step at a time, every value that the per-row walks (GetAttrEx) of the path
// from these instances will read, so that a networked store fetches each step for all rows in one
// batch instead of one request per row and step. The walks still give the cells; this only makes
// their reads find the values at hand.
void PrepareAttrPath(CzorStepData* store, std::vector<CzorInstance*> current, std::string_view path) {
    const std::vector<std::string_view> names = SplitAttrPath(path);
    for (size_t step = 0; step < names.size() && !current.empty(); ++step) {
        const bool last = step + 1 == names.size();
        const std::string name(names[step]);
        // Instances of several entities may stand at one step: one batch per attribute.
        std::unordered_map<CzorEntity*, CzorAttr*> attrOf;
        std::vector<CzorAttr*> attrs;
        std::unordered_map<CzorAttr*, std::vector<CzorInstance*>> byAttr;
        for (CzorInstance* inst : current) {
            CzorEntity* entity = inst->GetEntity();
            if (!entity) continue;
            auto found = attrOf.find(entity);
            if (found == attrOf.end()) found = attrOf.emplace(entity, store->GetAttrDefinition(entity, name)).first;
            CzorAttr* attr = found->second;
            if (!attr) continue;
            if (last && attr->GetType() != zorINTEGER && attr->GetType() != zorREAL && attr->GetType() != zorSTRING)
                continue;  // the walk formats nothing else and reads nothing
            auto& list = byAttr[attr];
            if (list.empty()) attrs.push_back(attr);
            list.push_back(inst);
        }
        std::vector<CzorInstance*> next;
        std::unordered_set<CzorInstance*> seen;
        for (CzorAttr* attr : attrs) {
            const auto& list = byAttr[attr];
            store->PrepareAttrReads(list.data(), static_cast<int>(list.size()), attr);
            if (last) continue;
            for (CzorInstance* inst : list) {
                CzorInstance* to = nullptr;
                if (store->GetAttr(inst, attr, to) && to && seen.insert(to).second) next.push_back(to);
            }
        }
        current = std::move(next);
    }
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
            if (parsed) {
                std::vector<CzorInstance*> starts;
                std::unordered_set<CzorInstance*> seen;
                for (CTableRow* row : m_Rows) {
                    const CzorValue* cell = row->GetColumn(source);
                    CzorInstance* instance = cell ? cell->GetInstance() : nullptr;
                    if (instance && (entity.empty() || store->IsKindOf(instance, kind)) && seen.insert(instance).second)
                        starts.push_back(instance);
                }
                PrepareAttrPath(store, std::move(starts), attr);
            }
            for (size_t r = 0; r < m_Rows.size(); ++r) {
                CTableRow* row = m_Rows[r];
                auto* value = new CzorValue;
                const CzorValue* cell = row->GetColumn(source);
                if (CzorInstance* instance = cell ? cell->GetInstance() : nullptr) {
                    if (!parsed) {
                        delete value;
                        zor::Note({"Не верно задан атрибут или ентити!"});
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
                zor::Note({"Не верно задана функция!"});
                FillEmpty(m_Rows, r);
                return false;
            }
            m_Rows[r]->AddColumn(result);
        }
    }
    return true;
}
