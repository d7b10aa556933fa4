#include "report/dialogs/field_setup_logic.h"

#include <fmt/printf.h>

#include "platform/ui/messages.h"
#include "report/dialogs/section_dialog_logic.h"
#include "report/model/data_source.h"
#include "report/model/group_col.h"
#include "report/model/report_section.h"

namespace {

constexpr int kNewColumnWidth = 500;
constexpr int kNewLevelHeight = 100;  // what the level dialog offers when the caller sets nothing

void NotUnique(const char* text) { AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION); }

}  // namespace

CFieldsDlgLogic::CFieldsDlgLogic(FieldsMode mode, CReportSection* section, CGroupCol* group)
    : m_Mode(mode), m_pSection(section), m_pGroup(group) {
    switch (mode) {
    case FieldsMode::kSectionLevels:
    case FieldsMode::kChooseColumn:
        if (section) m_pEdited = &section->GetLevels();
        m_pGroup = nullptr;
        break;
    case FieldsMode::kGroupTitles:
        if (group) m_pEdited = &group->m_Rows;
        m_pSection = nullptr;
        break;
    case FieldsMode::kGroupClosings:
        if (group) m_pEdited = &group->m_LastRows;
        m_pSection = nullptr;
        break;
    }
    if (!m_pEdited) return;
    if (Choosing()) {
        m_pLevels = m_pEdited;
        m_pTitle = LiveTitleColumn(*m_pSection);
        return;
    }
    m_Copy = *m_pEdited;
    m_pLevels = &m_Copy;
    int level = 0, index = 0;
    if (m_pSection && m_pEdited->Locate(m_pSection->GetTitleColumn(), level, index))
        m_pTitle = m_Copy.GetColumn(level, index);
}

CFieldsDlgLogic::~CFieldsDlgLogic() = default;  // the working copy deletes its levels, never their instances

CFolivox* CFieldsDlgLogic::Manager() const {
    if (m_pSection) return m_pSection->GetManager();
    return m_pGroup ? m_pGroup->m_pManager : nullptr;
}

std::vector<std::string> CFieldsDlgLogic::LevelNames() const {
    std::vector<std::string> names;
    if (!m_pLevels) return names;
    for (const CSectionLevel* level : *m_pLevels) names.push_back(level->m_Name);
    return names;
}

std::vector<CFieldsDlgLogic::ColumnRow> CFieldsDlgLogic::ColumnRows(int level) const {
    std::vector<ColumnRow> rows;
    const CSectionLevel* l = m_pLevels ? Level(level) : nullptr;
    if (!l) return rows;
    int number = 0;
    for (const CColumn* column : l->m_Columns) {
        ColumnRow row;
        row.position = std::to_string(++number);
        row.name = column->m_Name;
        row.width = fmt::sprintf("%.1f", column->m_nWidth / 10.0);
        if (column->m_nLevel == 1)
            row.source = "Уровень";
        else if (column->m_pColumn)
            row.source = column->m_pColumn->GetName();
        rows.push_back(row);
    }
    return rows;
}

CColumn* CFieldsDlgLogic::ColumnAt(int level, int row) const {
    return m_pLevels ? m_pLevels->GetColumn(level, row) : nullptr;
}

// --- Levels ----------------------------------------------------------------------------------------------------

int CFieldsDlgLogic::NewLevel(const LevelRunner& run) {
    if (!m_pLevels) return -1;
    std::string name;
    int height = kNewLevelHeight, flags = 0;
    if (!run(name, height, flags)) return -1;
    if (m_pLevels->Find(name) >= 0) {
        NotUnique("Имя уровня не уникально!");
        return -1;
    }
    auto* level = new CSectionLevel(Manager());
    level->m_Name = name;
    level->m_nHeight = height;
    level->m_nFlag = flags & (kLevelHideEmpty | kLevelKeepTogether);
    return m_pLevels->Add(level);
}

int CFieldsDlgLogic::CopyLevel(int index, const LevelRunner& run) {
    const CSectionLevel* source = m_pLevels ? Level(index) : nullptr;
    if (!source) return -1;
    std::string name = source->m_Name;
    int height = source->m_nHeight, flags = source->m_nFlag;
    if (!run(name, height, flags)) return -1;
    if (m_pLevels->Find(name) >= 0) {
        NotUnique("Имя уровня не уникально!");
        return -1;
    }
    auto* level = new CSectionLevel(Manager());
    level->m_Name = name;
    level->m_nHeight = height;
    level->m_nFlag = flags & (kLevelHideEmpty | kLevelKeepTogether);
    // The layout is copied; what the cells show starts afresh (field values, no constant text).
    for (const CColumn* from : source->m_Columns) {
        auto* column = new CColumn();
        column->m_Name = from->m_Name;
        column->m_nWidth = from->m_nWidth;
        column->m_nIndex = from->m_nIndex;
        column->m_nLevel = from->m_nLevel;
        column->m_nAlign = from->m_nAlign;
        column->m_nBorder = from->m_nBorder;
        column->m_nFitText = from->m_nFitText;
        column->m_pColumn = from->m_pColumn;
        level->m_Columns.Add(column);
    }
    return m_pLevels->Add(level);
}

bool CFieldsDlgLogic::EditLevel(int index, const LevelRunner& run) {
    CSectionLevel* level = m_pLevels ? Level(index) : nullptr;
    if (!level) return false;
    std::string name = level->m_Name;
    int height = level->m_nHeight, flags = level->m_nFlag;
    if (!run(name, height, flags)) return false;
    const int other = m_pLevels->Find(name);
    if (other >= 0 && other != index) {
        NotUnique("Имя уровня не уникально!");
        return false;
    }
    level->m_Name = name;
    level->m_nHeight = height;
    level->m_nFlag = flags & (kLevelHideEmpty | kLevelKeepTogether);
    return true;
}

int CFieldsDlgLogic::DeleteLevel(int index) {
    CSectionLevel* level = m_pLevels ? Level(index) : nullptr;
    if (!level) return -1;
    if (m_pTitle && level->m_Columns.Find(m_pTitle) >= 0) {
        m_pTitle = nullptr;
        if (Choosing()) m_pSection->SetTitleColumn(nullptr);
    }
    m_pLevels->RemoveAt(index);
    return index > 0 ? index - 1 : (m_pLevels->GetSize() > 0 ? 0 : -1);
}

// --- Columns ---------------------------------------------------------------------------------------------------

ColumnDlgValues CFieldsDlgLogic::DialogValues(const char* caption) const {
    ColumnDlgValues values;
    values.caption = caption;
    values.layout = m_pGroup ? kColumnLayoutFull : kColumnLayoutSection;
    values.manager = Manager();
    return values;
}

bool CFieldsDlgLogic::NameTaken(const CSectionLevel& level, const std::string& name, const CColumn* except) const {
    const int found = level.m_Columns.Find(name);
    return found >= 0 && level.m_Columns.GetAt(found) != except;
}

void CFieldsDlgLogic::Renumber(CSectionLevel& level) const {
    int number = 0;
    for (CColumn* column : level.m_Columns) column->m_nIndex = ++number;
}

int CFieldsDlgLogic::AddAskedColumn(CSectionLevel& level, ColumnDlgValues& values, const ColumnRunner& run) {
    if (!run(values)) return -1;
    if (NameTaken(level, values.name, nullptr)) {
        NotUnique("Имя не уникально!");
        return -1;
    }
    auto* column = new CColumn();
    values.To(*column);
    column->m_nIndex = level.m_Columns.GetSize() + 1;
    return level.m_Columns.Add(column);
}

int CFieldsDlgLogic::NewColumn(int index, const ColumnRunner& run) {
    CSectionLevel* level = m_pLevels ? Level(index) : nullptr;
    if (!level) return -1;
    ColumnDlgValues values = DialogValues("Поле");
    values.width = kNewColumnWidth;
    return AddAskedColumn(*level, values, run);
}

int CFieldsDlgLogic::CopyColumn(int index, int row, const ColumnRunner& run) {
    CSectionLevel* level = m_pLevels ? Level(index) : nullptr;
    const CColumn* source = level ? level->m_Columns.GetAt(row) : nullptr;
    if (!source) return -1;
    ColumnDlgValues values = DialogValues("Поле");
    values.From(*source);
    values.name.clear();
    values.column = nullptr;
    return AddAskedColumn(*level, values, run);
}

bool CFieldsDlgLogic::EditColumn(int index, int row, const ColumnRunner& run) {
    CSectionLevel* level = m_pLevels ? Level(index) : nullptr;
    CColumn* column = level ? level->m_Columns.GetAt(row) : nullptr;
    if (!column) return false;
    ColumnDlgValues values = DialogValues("Свойства");
    values.From(*column);
    if (!run(values)) return false;
    if (NameTaken(*level, values.name, column)) {
        NotUnique("Имя уровня не уникально!");
        return false;
    }
    values.To(*column);
    return true;
}

bool CFieldsDlgLogic::DeleteColumn(int index, int row) {
    CSectionLevel* level = m_pLevels ? Level(index) : nullptr;
    CColumn* column = level ? level->m_Columns.GetAt(row) : nullptr;
    if (!column) return false;
    if (column == m_pTitle) {
        m_pTitle = nullptr;
        if (Choosing()) m_pSection->SetTitleColumn(nullptr);
    }
    level->m_Columns.RemoveAt(row);
    return true;
}

int CFieldsDlgLogic::MoveColumn(int index, int row, int step) {
    CSectionLevel* level = m_pLevels ? Level(index) : nullptr;
    if (!level) return row;
    const int target = row + step;
    CColumn* column = level->m_Columns.GetAt(row);
    if (!column || target < 0 || target >= level->m_Columns.GetSize()) return row;
    level->m_Columns.Move(column, target);
    Renumber(*level);
    return target;
}

// --- OK ----------------------------------------------------------------------------------------------------------

void CFieldsDlgLogic::Ok(int level, int row) {
    if (!m_pEdited || m_bDone) return;
    m_bDone = true;
    if (Choosing()) {
        m_pChosen = ColumnAt(level, row);
        return;
    }
    m_pEdited->RemoveAll();
    for (CSectionLevel* l : m_Copy) m_pEdited->Add(l);
    m_Copy.Clear();
    if (m_pSection) {
        // The title column stays while it is still one of the levels' columns: OK with nothing changed keeps it.
        int l = 0, i = 0;
        m_pSection->SetTitleColumn(m_pEdited->Locate(m_pTitle, l, i) ? m_pTitle : nullptr);
    }
}
