#include "designer/datasource/data_source_logic.h"

#include <algorithm>
#include <fstream>
#include <memory>

#include "designer/addins/addins.h"
#include "platform/ui/messages.h"
#include "platform/zordata/value.h"
#include "report/generation/separated_values.h"
#include "report/model/folivox.h"
#include "report/model/report_param.h"
#include "report/model/report_section.h"
#include "report/model/table_element.h"

namespace quillmark {
namespace {

using RemovedColumns = std::vector<std::unique_ptr<CHeaderColumn>>;

bool IsRemoved(const RemovedColumns& removed, const CHeaderColumn* column) {
    return column && std::any_of(removed.begin(), removed.end(), [&](const auto& r) { return r.get() == column; });
}

int FindText(const CHeader& header, const std::string& text) {
    for (int i = 0; i < header.GetSize(); ++i)
        if (header.GetColumn(i)->m_Name == text) return i;
    return -1;
}

// The manager's columns that the dialog no longer has (by text, and by type when sameType) leave the
// manager's header, their store records deleted; the dialog's columns the manager lacks are copied in.
void BringInLine(CFolivox* manager, CHeader& target, const CHeader& wanted, bool sameType, RemovedColumns& removed) {
    std::vector<CHeaderColumn*> kept;
    for (int i = 0; i < target.GetSize(); ++i) {
        CHeaderColumn* column = target.GetColumn(i);
        const int match = FindText(wanted, column->m_Name);
        if (match < 0 || (sameType && wanted.GetColumn(match)->m_nType != column->m_nType)) {
            column->Delete(manager);
            removed.emplace_back(column);
        } else {
            kept.push_back(column);
        }
    }
    target.Clear();  // the columns now live in kept or removed
    for (CHeaderColumn* column : kept) target.AddColumn(column);
    for (int i = 0; i < wanted.GetSize(); ++i) {
        const CHeaderColumn* column = wanted.GetColumn(i);
        const int match = FindText(target, column->m_Name);
        if (match >= 0 && (!sameType || target.GetColumn(match)->m_nType == column->m_nType)) continue;
        auto* copy = new CHeaderColumn;
        *copy = *column;  // no store record: the document writes it with the header
        target.AddColumn(copy);
    }
}

void ClearLevelLinks(CSectionLevelArray& levels, const RemovedColumns& removed) {
    for (CSectionLevel* level : levels)
        for (CColumn* column : level->m_Columns)
            if (IsRemoved(removed, column->m_pColumn)) column->m_pColumn = nullptr;
}

void ClearConditionLinks(CConditionArray& conditions, const RemovedColumns& removed) {
    for (CCondition* condition : conditions)
        if (IsRemoved(removed, condition->m_pColumn)) condition->m_pColumn = nullptr;
}

// No section of any table keeps a link to a removed column.
void UnlinkSections(CFolivox* manager, const RemovedColumns& removed) {
    if (removed.empty()) return;
    for (CReportElement* element : manager->GetTables()) {
        if (!element || element->GetKind() != kElemTable) continue;
        for (CReportSection* section : static_cast<CTableElement*>(element)->GetSections()) {
            ClearLevelLinks(section->GetLevels(), removed);
            // A condition naming a removed column would point at freed memory: it loses the link too.
            ClearConditionLinks(section->GetConditions(), removed);
            CGroupColArray& groups = section->GetGroups();
            for (int i = groups.GetSize() - 1; i >= 0; --i) {
                CGroupCol* group = groups.GetAt(i);
                if (IsRemoved(removed, group->m_pColumn)) {
                    group->Delete();
                    groups.RemoveAt(i);
                    continue;
                }
                ClearLevelLinks(group->m_Rows, removed);
                ClearLevelLinks(group->m_LastRows, removed);
                ClearConditionLinks(group->m_Conditions, removed);
            }
            CTypedPtrArray<CHeaderColumn>& sorts = section->GetSorts();
            for (int i = sorts.GetSize() - 1; i >= 0; --i)
                if (IsRemoved(removed, sorts.GetAt(i))) sorts.RemoveAt(i);
        }
    }
}

bool ShowFailure(const char* text) {
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

}  // namespace

std::vector<std::string> SplitHeaderLine(const std::string& text) {
    std::string_view line(text);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string> fields;
    for (;;) {
        const size_t end = datasource::FieldEnd(line, ',');
        std::string scratch;
        scratch.reserve(line.size());
        const std::string_view raw = line.substr(0, end);
        const bool quoted = !raw.empty() && raw.front() == '"';
        fields.emplace_back(datasource::FieldText(raw, quoted, scratch));
        if (end == std::string_view::npos) break;
        line.remove_prefix(end + 1);
    }
    return fields;
}

CDataSourceDlgLogic::CDataSourceDlgLogic(CFolivox* manager) : m_pManager(manager) {
    if (!manager) return;
    CHeader* select = manager->GetSelectHeader();
    CHeader* result = manager->GetResultSelectHeader();
    if (select) select->Update(manager, false);
    // Copies without store records: nothing the dialog does touches the store before OK.
    for (const CHeader* from : {select, result}) {
        if (!from) continue;
        CHeader& to = from == select ? m_Source : m_Additional;
        for (int i = 0; i < from->GetSize(); ++i) {
            auto* copy = new CHeaderColumn;
            *copy = *from->GetColumn(i);
            to.AddColumn(copy);
        }
    }
    for (const CReportParam* param : manager->GetParams())
        if (!param->GetName().empty()) m_Params.push_back({param->GetName(), param->GetType()});
}

std::vector<CDataSourceDlgLogic::Row> CDataSourceDlgLogic::SourceRows() const {
    std::vector<Row> rows;
    for (int i = 0; i < m_Source.GetSize(); ++i)
        rows.push_back({m_Source.GetColumn(i)->m_Name, m_Source.GetColumn(i)->GetType()});
    return rows;
}

std::vector<CDataSourceDlgLogic::Row> CDataSourceDlgLogic::AdditionalRows() const {
    std::vector<Row> rows;
    for (int i = 0; i < m_Additional.GetSize(); ++i) {
        const CHeaderColumn* column = m_Additional.GetColumn(i);
        if (column->m_nColType == kFormulaColumn) {
            rows.push_back({column->GetName(), column->GetFunct()});
        } else {
            const size_t cut = column->m_Name.find_first_of(".!");
            if (cut == std::string::npos)
                rows.push_back({column->m_Name, std::string()});
            else
                rows.push_back({column->m_Name.substr(0, cut), column->m_Name.substr(cut)});
        }
    }
    return rows;
}

bool CDataSourceDlgLogic::LoadFromFile(const std::string& path) {
    m_LastFile = path;
    m_Source.RemoveAll();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        AfxMessageBox("Не могу прочесть файл " + path, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    std::string line;
    if (!std::getline(in, line)) return ShowFailure("Файл пуст!");
    for (const std::string& name : SplitHeaderLine(line)) m_Source.AddColumn(name, zorSTRING);
    return true;
}

void CDataSourceDlgLogic::LoadFromQuery(const CAddinQuery& entry) {
    m_Source.RemoveAll();
    m_Additional.RemoveAll();
    m_Params.clear();
    CzorQuery record = entry.query;
    record.m_nParam2 = reinterpret_cast<intptr_t>(&m_Source);
    CRParamsArray params;
    if (entry.function) entry.function(&record, &params, 1);
    // A query states a parameter's type in its number; anything unknown is text.
    for (const CzorRParam* param : params)
        m_Params.push_back({param->name, param->number >= kParamText && param->number <= kParamObject ? param->number
                                                                                                    : kParamText});
}

bool CDataSourceDlgLogic::AddPathField(int sourceRow, const AskTextFn& ask) {
    const CHeaderColumn* source = m_Source.GetColumn(sourceRow);
    if (!source) return ShowFailure("Поле не выбрано!");
    if (source->m_nType != zorINSTANCE) return ShowFailure("Данная возможность доступна только для полей типа zorINSTANCE!");
    std::string path;
    if (!ask || !ask("Атрибут", path)) return false;
    m_Additional.AddColumn(new CHeaderColumn(kAttrPathColumn, source->m_Name + path, zorSTRING));
    return true;
}

bool CDataSourceDlgLogic::ValidateCombined(const std::string& name, const std::string& function,
                                           const CHeaderColumn* exceptColumn) {
    if (name.empty()) return ShowFailure("Имя поля не должно быть пустым!");
    for (const CHeader* header : {&m_Source, &m_Additional}) {
        const int found = header->Find(name);
        if (found >= 0 && header->GetColumn(found) != exceptColumn) return ShowFailure("Имя поля не уникально!");
    }
    if (function.empty()) return ShowFailure("Функция не задана!");
    std::string result;
    if (!CDataSource::ParseFunction(function, result, nullptr, &m_Source)) return ShowFailure("Не верно задана функция.");
    return true;
}

bool CDataSourceDlgLogic::AddCombinedField(const CombinedFieldFn& ask) {
    std::string name, function;
    for (;;) {
        if (!ask || !ask(m_Source, name, function)) return false;
        if (ValidateCombined(name, function, nullptr)) break;
    }
    m_Additional.AddColumn(new CHeaderColumn(kFormulaColumn, name + "=" + function, zorSTRING));
    return true;
}

bool CDataSourceDlgLogic::EditAdditional(int row, const AskTextFn& ask, const CombinedFieldFn& askCombined) {
    CHeaderColumn* column = m_Additional.GetColumn(row);
    if (!column) return false;
    if (column->m_nColType == kFormulaColumn) {
        std::string name = column->GetName(), function = column->GetFunct();
        for (;;) {
            if (!askCombined || !askCombined(m_Source, name, function)) return false;
            if (ValidateCombined(name, function, column)) break;
        }
        column->m_Name = name + "=" + function;
        return true;
    }
    const size_t dot = std::min(column->m_Name.find('.'), column->m_Name.size());
    std::string path = column->m_Name.substr(dot);
    if (!ask || !ask("Атрибут", path)) return false;
    column->m_Name = column->m_Name.substr(0, dot) + path;
    return true;
}

bool CDataSourceDlgLogic::DeleteAdditional(int row) {
    if (!m_Additional.GetColumn(row)) return false;
    m_Additional.RemoveAt(row);
    return true;
}

bool CDataSourceDlgLogic::Apply() {
    if (!m_pManager) return false;
    RemovedColumns removed;
    bool changed = false;
    if (CHeader* select = m_pManager->GetSelectHeader()) {
        const int before = select->GetSize();
        BringInLine(m_pManager, *select, m_Source, true, removed);
        changed |= before != select->GetSize();
    }
    if (CHeader* result = m_pManager->GetResultSelectHeader()) {
        const int before = result->GetSize();
        BringInLine(m_pManager, *result, m_Additional, false, removed);
        changed |= before != result->GetSize();
    }
    changed |= !removed.empty();

    CParamArray& params = m_pManager->GetParams();
    std::vector<CReportParam*> goners;
    for (CReportParam* param : params) {
        const int type = param->GetType();
        if (type == kParamPageNumber || type == kParamPageCount || type == kParamCurrentDate) continue;
        const bool wanted = std::any_of(m_Params.begin(), m_Params.end(),
                                        [&](const Param& p) { return p.name == param->GetName(); });
        if (!wanted) goners.push_back(param);
    }
    for (const Param& wanted : m_Params) {
        if (params.Find(wanted.name) >= 0) continue;
        auto* param = new CReportParam(m_pManager);
        param->SetType(wanted.type);
        param->SetName(wanted.name);
        params.Add(param);
        changed = true;
    }

    UnlinkSections(m_pManager, removed);
    // Texts on every sheet, loaded or not, that showed a removed parameter become empty; the parameters
    // lose their store records too, so they never come back on reopening.
    params.DeleteParams(goners);
    changed |= !goners.empty();
    return changed;
}

}  // namespace quillmark
