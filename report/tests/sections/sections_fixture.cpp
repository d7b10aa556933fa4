#include "report/tests/sections/sections_fixture.h"

#include <fmt/format.h>

#include "platform/zordata/zordata.h"

namespace sections_test {

CHeaderColumn* SectionTest::AddColumn(const std::string& name, int type, bool result) {
    CHeader* header = result ? Manager().GetResultSelectHeader() : Manager().GetSelectHeader();
    return header->GetColumn(header->AddColumn(name, type));
}

CHeaderColumn* SectionTest::Column(const std::string& name) {
    for (CHeader* header : {Manager().GetSelectHeader(), Manager().GetResultSelectHeader()}) {
        const int index = header->Find(name);
        if (index >= 0) return header->GetColumn(index);
    }
    return nullptr;
}

void SectionTest::SetRows(CDataSource& source, const std::vector<std::string>& names, const std::vector<Row>& rows) {
    source.RemoveAll();
    auto* header = new CHeader;
    for (const std::string& name : names) header->AddColumn(name, zorSTRING);
    delete source.SetHeader(header);
    for (const Row& cells : rows) {
        auto* row = new CTableRow;
        for (const Cell& cell : cells) {
            if (const int* i = std::get_if<int>(&cell)) row->AddColumn(*i);
            else if (const double* d = std::get_if<double>(&cell)) row->AddColumn(*d);
            else if (const std::string* s = std::get_if<std::string>(&cell)) row->AddColumn(std::string_view(*s));
            else row->AddEmpty(1);
        }
        EXPECT_GE(source.AddRow(row), 0);
    }
}

void SectionTest::SetRows(const std::vector<std::string>& names, const std::vector<Row>& rows) {
    SetRows(Manager().GetDataSource(), names, rows);
}

void SectionTest::WriteHeaders() {
    const CReportSchema& s = S();
    struct Pair { CHeader* header; CzorEntity* entity; CzorAttr* attr; };
    for (const Pair& p : {Pair{Manager().GetSelectHeader(), s.e_zor_select, s.zor_select_column},
                          Pair{Manager().GetResultSelectHeader(), s.e_zor_result_select, s.zor_result_select_column}}) {
        p.header->Update(&Manager(), true);
        CzorTAggr<CzorInstance> columns;
        p.header->GetExtent(columns);
        CzorTAggr<CzorInstance> owners;
        Store().GetEntityExtent(p.entity, owners);
        CzorInstance* owner = owners.GetSize() ? owners.GetAt(0) : Store().CreateInstance(p.entity, false, true);
        Store().PutAttr(owner, p.attr, columns);
    }
}

void ReadHeaders(CFolivox& manager) {
    CzorStepDataWithFile* store = manager.GetStore();
    const CReportSchema& s = manager.Schema();
    struct Pair { CHeader* header; CzorEntity* entity; CzorAttr* attr; };
    for (const Pair& p : {Pair{manager.GetSelectHeader(), s.e_zor_select, s.zor_select_column},
                          Pair{manager.GetResultSelectHeader(), s.e_zor_result_select, s.zor_result_select_column}}) {
        CzorTAggr<CzorInstance> owners, columns;
        store->GetEntityExtent(p.entity, owners);
        if (!owners.GetSize() || !store->GetAttr(owners.GetAt(0), p.attr, columns)) continue;
        for (CzorInstance* instance : columns) {
            auto* column = new CHeaderColumn;
            column->m_pInstance = instance;
            p.header->AddColumn(column);
        }
        p.header->Update(&manager, false);
    }
}

CColumn* SectionTest::NewColumn(const std::string& name, int width, const char* source, int kind) {
    auto* column = new CColumn;
    column->m_Name = name;
    column->m_nWidth = width;
    column->m_nType = kind;
    if (source) column->m_pColumn = Column(source);
    return column;
}

CSectionLevel* SectionTest::NewLevel(const std::string& name, int height, int flags, std::vector<CColumn*> columns) {
    auto* level = new CSectionLevel(&Manager());
    level->m_Name = name;
    level->m_nHeight = height;
    level->m_nFlag = flags;
    for (CColumn* column : columns) level->m_Columns.Add(column);
    return level;
}

CCondition* SectionTest::NewCondition(const char* column, int comparison, int link, Cell constant) {
    auto* condition = new CCondition;
    condition->m_pColumn = column ? Column(column) : nullptr;
    if (const int* i = std::get_if<int>(&constant)) condition->Set(comparison, *i);
    else if (const double* d = std::get_if<double>(&constant)) condition->Set(comparison, *d);
    else if (const std::string* t = std::get_if<std::string>(&constant)) condition->Set(comparison, *t);
    else condition->m_nType = comparison;
    condition->m_nLink = link;
    return condition;
}

CGroupCol* SectionTest::NewGroup(const char* column) {
    auto* group = new CGroupCol(&Manager());
    group->m_pColumn = column ? Column(column) : nullptr;
    return group;
}

CReportSection* SectionTest::BuildFullSection() {
    for (auto [name, type] : std::vector<std::pair<const char*, int>>{
             {"Отдел", zorSTRING}, {"Город", zorSTRING}, {"Сумма", zorREAL}, {"Количество", zorINTEGER}})
        if (!Column(name)) AddColumn(name, type);
    if (!Column("Дата")) AddColumn("Дата", zorSTRING, true);

    auto* section = new CReportSection(&Manager());
    section->SetName("Продажи по отделам");
    CTextValue& title = section->GetTitle();
    title.SetText("Итоги «за год»");
    LOGFONT font;
    font.lfHeight = 140;
    font.lfWeight = 700;
    font.lfItalic = 0;
    font.lfCharSet = 204;
    font.SetFaceName("Times New Roman");
    title.SetFont(font);
    title.SetAlign(kAlignTop | kAlignLeft);
    title.SetBorder(2);
    section->SetShowEmptyLines(0);

    // Cell columns of every kind, with every field away from its default somewhere.
    CColumn* field = NewColumn("Отдел", 400, "Отдел", kColumnField);
    field->m_nAlign = kAlignLeft | kAlignTop;
    field->m_nIndex = 1;
    CColumn* sum = NewColumn("Сумма", 250, "Сумма", kColumnSum);
    sum->m_nBorder = 0;
    sum->m_nIndex = 2;
    CColumn* average = NewColumn("Среднее", 250, "Сумма", kColumnAverage);
    average->m_nFitText = 1;
    average->m_nRowsCount = 3;
    CColumn* count = NewColumn("Строк", 150, nullptr, kColumnCount);
    count->m_nAlign = kAlignRight | kAlignBottom;
    CColumn* text = NewColumn("Валюта", 100, nullptr, kColumnText);
    text->m_TextConst = "руб.";
    CColumn* levelName = NewColumn("Уровень", 300);
    levelName->m_nLevel = 1;
    levelName->m_nBorder = 3;
    section->GetLevels().Add(NewLevel("Строка", 60, kLevelHideEmpty, {field, sum, average, count, text, levelName}));
    section->GetLevels().Add(NewLevel("Примечание", 0, kLevelKeepTogether,
                                      {NewColumn("Город", 500, "Город"), NewColumn("Дата", 300, "Дата")}));
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 4));

    section->GetConditions().Add(NewCondition("Сумма", kCondGreater, kCondAnd, 10.5));
    section->GetConditions().Add(NewCondition("Отдел", kCondEqual, kCondOr, std::string("Склад")));
    section->GetConditions().Add(NewCondition("Количество", kCondNotEqual, kCondAnd, 0));

    CGroupCol* outer = NewGroup("Отдел");
    outer->m_Name = "Отдел";
    outer->m_nShowFirstRow = 1;
    outer->m_Font.lfHeight = 100;
    outer->m_Font.lfWeight = 700;
    outer->m_Font.SetFaceName("Courier New");
    outer->m_Rows.Add(NewLevel("Заголовок отдела", 70, 0, {NewColumn("Отдел", 800, "Отдел")}));
    outer->m_LastRows.Add(NewLevel("Итого по отделу", 70, kLevelHideEmpty,
                                   {NewColumn("Итого", 500, nullptr, kColumnText), NewColumn("Сумма", 300, "Сумма", kColumnSum)}));
    outer->m_Conditions.Add(NewCondition("Количество", kCondGreater, kCondAnd, 0));
    section->GetGroups().Add(outer);

    CGroupCol* inner = NewGroup("Город");
    inner->m_Name = "Город";
    inner->m_Rows.Add(NewLevel("Заголовок города", 50, 0, {NewColumn("Город", 800, "Город")}));
    inner->m_LastRows.Add(NewLevel("Строк в городе", 50, 0, {NewColumn("Строк", 800, nullptr, kColumnCount)}));
    inner->m_LastRows.Add(NewLevel("Среднее по городу", 50, 0, {NewColumn("Среднее", 800, "Сумма", kColumnAverage)}));
    inner->m_Conditions.Add(NewCondition("Город", kCondNotEqual, kCondAnd, std::string("")));
    inner->m_Conditions.Add(NewCondition("Отдел", kCondEqual, kCondOr, std::string("Склад")));
    section->GetGroups().Add(inner);

    section->GetSorts().Add(Column("Дата"));
    section->GetSorts().Add(Column("Количество"));
    return section;
}

// --- Describe ------------------------------------------------------------------------------------------------

namespace {

std::string FontText(const LOGFONT& f) {
    // The fields a zor_font keeps.
    return fmt::format("font({} {} {} {} {} {} '{}')", f.lfHeight, f.lfWeight, f.lfItalic, f.lfCharSet, f.lfUnderline,
                       f.lfStrikeOut, f.FaceName());
}

std::string ColumnText(const CColumn& c, View view) {
    std::string text = fmt::format("  column '{}' const '{}' width {} level {} align {} border {} fit {} kind {} rows {}",
                                   c.m_Name, c.m_TextConst, c.m_nWidth, c.m_nLevel, c.m_nAlign, c.m_nBorder, c.m_nFitText,
                                   c.m_nType, c.m_nRowsCount);
    if (view == View::kStore) text += fmt::format(" source '{}'", c.m_pColumn ? c.m_pColumn->GetName() : "-");
    else text += fmt::format(" index {}", c.m_nIndex);
    return text + "\n";
}

std::string LevelsText(const char* label, const CSectionLevelArray& levels, View view) {
    std::string text;
    for (const CSectionLevel* level : levels) text += std::string(label) + " " + Describe(*level, view);
    return text;
}

std::string ConditionsText(const char* label, const CConditionArray& conditions) {
    std::string text;
    for (const CCondition* c : conditions)
        text += fmt::format("{} condition '{}' cmp {} link {} type {} text '{}'\n", label,
                            c->m_pColumn ? c->m_pColumn->GetName() : "-", c->m_nType, c->m_nLink, c->m_nValueType,
                            c->GetText());
    return text;
}

}  // namespace

std::string Describe(const CSectionLevel& level, View view) {
    std::string text = fmt::format("level '{}' height {} flags {}\n", level.m_Name, level.m_nHeight, level.m_nFlag);
    for (const CColumn* column : level.m_Columns) text += ColumnText(*column, view);
    return text;
}

std::string Describe(const CReportSection& section, View view) {
    const CTextValue& t = section.GetTitle();
    std::string text = fmt::format("section '{}'\ntitle '{}' align {} border {} orient {} fit {} {}\n", section.GetName(),
                                   t.GetText(), t.GetAlign(), t.GetBorder(), t.GetOrientation(), t.GetFitText(),
                                   FontText(t.GetFont()));
    text += LevelsText("detail", section.GetLevels(), view);
    if (view == View::kRecord) return text;
    int level = -1, index = -1;
    if (section.GetLevels().Locate(section.GetTitleColumn(), level, index))
        text += fmt::format("title column {}:{}\n", level, index);
    else
        text += fmt::format("title column {}\n", section.GetTitleColumn() ? "stale" : "none");
    text += fmt::format("show empty lines {}\n", section.GetShowEmptyLines());
    text += ConditionsText("section", section.GetConditions());
    for (const CGroupCol* g : section.GetGroups()) {
        text += fmt::format("group '{}' on '{}' first row {} {}\n", g->m_Name, g->m_pColumn ? g->m_pColumn->GetName() : "-",
                            g->m_nShowFirstRow, FontText(g->m_Font));
        text += LevelsText(" title", g->m_Rows, view);
        text += LevelsText(" closing", g->m_LastRows, view);
        text += ConditionsText(" group", g->m_Conditions);
    }
    for (const CHeaderColumn* c : section.GetSorts()) text += fmt::format("sort '{}'\n", c ? c->GetName() : "-");
    return text;
}

// --- Instances -----------------------------------------------------------------------------------------------

namespace {

void AddLevels(std::set<CzorInstance*>& out, const CSectionLevelArray& levels) {
    for (const CSectionLevel* level : levels) {
        out.insert(level->m_pInstance);
        for (const CColumn* column : level->m_Columns) out.insert(column->m_pInstance);
    }
}

void AddConditions(std::set<CzorInstance*>& out, const CConditionArray& conditions) {
    for (const CCondition* condition : conditions) out.insert(condition->m_pInstance);
}

}  // namespace

std::set<CzorInstance*> InstancesOf(CFolivox& manager, const CReportSection& section) {
    std::set<CzorInstance*> out;
    out.insert(section.GetInstance());
    out.insert(section.GetTitle().GetInstance());
    out.insert(section.GetTitle().GetFontInstance());
    AddLevels(out, section.GetLevels());
    AddConditions(out, section.GetConditions());
    for (const CGroupCol* group : section.GetGroups()) {
        out.insert(group->m_pInstance);
        CzorInstance* font = nullptr;
        if (group->m_pInstance) manager.GetStore()->GetAttr(group->m_pInstance, manager.Schema().zor_group_col_font, font);
        out.insert(font);
        AddLevels(out, group->m_Rows);
        AddLevels(out, group->m_LastRows);
        AddConditions(out, group->m_Conditions);
    }
    out.erase(nullptr);
    return out;
}

}  // namespace sections_test
