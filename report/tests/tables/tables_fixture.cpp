#include "report/tests/tables/tables_fixture.h"

#include <fmt/printf.h>

#include "report/tests/model/template_lists.h"

namespace tables_test {

// --- Writing and reading a template ------------------------------------------------------------------------

void WriteTemplate(CFolivox& manager) {
    CzorStepDataWithFile& store = *manager.GetStore();
    const CReportSchema& s = manager.Schema();
    model_test::WriteHeader(manager, manager.GetSelectHeader(), s.e_zor_select, s.zor_select_column);
    const CzorTAggr<CzorInstance> sheets = model_test::WriteSheets(manager);
    manager.Update(true);
    CzorInstance* root = model_test::ReportRoot(manager);
    store.PutAttr(root, s.zor_report_sheets, sheets);
    store.PutAttr(root, s.zor_report_mode, 0);
}

void ReadTemplate(CFolivox& manager, ReadOrder order) {
    CzorStepDataWithFile& store = *manager.GetStore();
    const CReportSchema& s = manager.Schema();
    if (CzorInstance* select = FirstOfExtent(store, s.e_zor_select)) {
        CzorTAggr<CzorInstance> columns;
        store.GetAttr(select, s.zor_select_column, columns);
        for (CzorInstance* instance : columns) {
            auto* column = new CHeaderColumn;
            column->m_pInstance = instance;
            manager.GetSelectHeader()->AddColumn(column);
        }
        manager.GetSelectHeader()->Update(&manager, false);
    }
    CzorInstance* root = FirstOfExtent(store, s.e_zor_report);
    ASSERT_NE(root, nullptr);
    CzorTAggr<CzorInstance> sheets;
    store.GetAttr(root, s.zor_report_sheets, sheets);
    if (order == ReadOrder::AllThenLoad) {
        model_test::ReadSheets(manager, sheets);
    } else {
        int number = 0;
        for (CzorInstance* instance : sheets) {
            auto* sheet = new CReportSheet(&manager);
            sheet->SetInstance(instance);
            manager.AddSheet(sheet);
            sheet->SetName(fmt::sprintf("Лист%d", ++number));
            sheet->LoadElementsFromFile();
            sheet->Update(false);
        }
    }
    manager.LoadTableContents();
}

// --- A table of two sections ----------------------------------------------------------------------------------

namespace {

CHeaderColumn* Column(CFolivox& manager, const char* name, int type) {
    CHeader* header = manager.GetSelectHeader();
    int index = header->Find(name);
    if (index < 0) index = header->AddColumn(name, type);
    return header->GetColumn(index);
}

CColumn* NewColumn(CFolivox& manager, int kind, int variant, int n) {
    auto* c = new CColumn;
    c->m_Name = fmt::sprintf("Колонка %d.%d", variant, n);
    c->m_nType = kind;
    c->m_nWidth = 300 + 10 * n + variant;
    c->m_nIndex = n;
    c->m_nLevel = n % 2;
    c->m_nAlign = (n % 3 == 0 ? kAlignLeft : n % 3 == 1 ? kAlignHCenter : kAlignRight) | kAlignVCenter;
    c->m_nBorder = n % 3;
    c->m_nFitText = (n + variant) % 2;
    c->m_nRowsCount = 1 + n % 3;
    switch (kind) {
    case kColumnField: c->m_pColumn = Column(manager, n % 2 ? "Имя" : "Код", n % 2 ? 5 : 3); break;
    case kColumnSum:
    case kColumnAverage: c->m_pColumn = Column(manager, "Сумма", 4); break;
    case kColumnCount: c->m_pColumn = Column(manager, "Код", 3); break;
    default: c->m_TextConst = fmt::sprintf("Итого по разделу %d", variant); break;
    }
    return c;
}

CSectionLevel* NewLevel(CFolivox& manager, const std::string& name, int variant, int columns) {
    auto* level = new CSectionLevel(&manager);
    level->m_Name = name;
    level->m_nHeight = 60 + 10 * variant + columns;
    level->m_nFlag = (variant + columns) % 4;
    const int kinds[] = {kColumnField, kColumnField, kColumnSum, kColumnAverage, kColumnCount, kColumnText};
    for (int i = 0; i < columns; ++i) level->m_Columns.Add(NewColumn(manager, kinds[i % 6], variant, i));
    return level;
}

CCondition* NewCondition(CHeaderColumn* column, int link) {
    auto* c = new CCondition;
    c->m_pColumn = column;
    c->m_nLink = link;
    return c;
}

}  // namespace

CReportSection* BuildSection(CFolivox& manager, int variant) {
    auto* section = new CReportSection(&manager);
    section->SetName(fmt::sprintf("Раздел %d", variant));
    section->GetTitle().SetText(fmt::sprintf("Заголовок раздела %d", variant));
    section->GetTitle().SetFont(Font(100 + variant, FW_BOLD, 0, variant ? "Times New Roman" : "Arial"));
    section->GetTitle().SetAlign(kAlignLeft | kAlignTop);
    section->SetShowEmptyLines(variant % 2);
    section->GetLevels().Add(NewLevel(manager, fmt::sprintf("Строка %d", variant), variant, 6));
    section->GetLevels().Add(NewLevel(manager, fmt::sprintf("Подстрока %d", variant), variant, 3));
    section->SetTitleColumn(section->GetLevels().GetColumn(1, 2));

    CCondition* code = NewCondition(Column(manager, "Код", 3), 0);
    code->Set(kCondGreater, 10 + variant);
    CCondition* sum = NewCondition(Column(manager, "Сумма", 4), kCondOr);
    sum->Set(kCondLess, 12.5 + variant);
    CCondition* name = NewCondition(Column(manager, "Имя", 5), kCondAnd);
    name->Set(kCondNotEqual, std::string("Пусто"));
    section->GetConditions().Add(code);
    section->GetConditions().Add(sum);
    section->GetConditions().Add(name);

    const char* groupColumns[] = {"Регион", "Город"};
    for (int g = 0; g < 2; ++g) {
        auto* group = new CGroupCol(&manager);
        group->m_pColumn = Column(manager, groupColumns[g], 5);
        group->m_nShowFirstRow = g;
        group->m_Font = Font(110 + g, g ? FW_NORMAL : FW_BOLD, g ? 255 : 0, "Courier New");
        group->m_Name = fmt::sprintf("%s=[%s]", groupColumns[g], groupColumns[g]);
        group->m_Rows.Add(NewLevel(manager, fmt::sprintf("Заголовок группы %d", g), variant + g, 2));
        group->m_LastRows.Add(NewLevel(manager, fmt::sprintf("Итог группы %d", g), variant + g, 4));
        group->m_LastRows.Add(NewLevel(manager, fmt::sprintf("Итог группы %d, вторая", g), variant + g, 1));
        CCondition* c = NewCondition(group->m_pColumn, 0);
        c->Set(kCondNotEqual, std::string(g ? "" : "Нет"));
        group->m_Conditions.Add(c);
        if (g == 1) {
            CCondition* more = NewCondition(Column(manager, "Код", 3), kCondAnd);
            more->Set(kCondEqual, 7);
            group->m_Conditions.Add(more);
        }
        section->GetGroups().Add(group);
    }
    section->GetSorts().Add(Column(manager, "Сумма", 4));
    section->GetSorts().Add(Column(manager, "Имя", 5));
    return section;
}

CTableElement* BuildTable(CFolivox& manager) {
    auto* table = new CTableElement(&manager);
    table->SetOrigin(CPoint(100, -2500));
    table->SetSize(CSize(1800, 2200));
    table->SetLineWidth(3);
    table->SetFixed(1);
    table->SetName("Таблица заказов");
    table->SetRowHeight(45);
    table->SetRowFont(Font(95, FW_BOLD, 0, "Times New Roman"));
    table->GetSections().Add(BuildSection(manager, 0));
    table->GetSections().Add(BuildSection(manager, 1));
    return table;
}

// --- Comparisons ---------------------------------------------------------------------------------------------------

void ExpectSameFont(const LOGFONT& a, const LOGFONT& b, const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(a.lfHeight, b.lfHeight);
    EXPECT_EQ(a.lfWeight, b.lfWeight);
    EXPECT_EQ(a.lfItalic, b.lfItalic);
    EXPECT_EQ(a.lfUnderline, b.lfUnderline);
    EXPECT_EQ(a.lfStrikeOut, b.lfStrikeOut);
    EXPECT_EQ(a.lfCharSet, b.lfCharSet);
    EXPECT_EQ(a.FaceName(), b.FaceName());
}

namespace {

std::string ColumnName(const CHeaderColumn* c) { return c ? c->GetName() : "(none)"; }

// Every stored field of the levels and their columns (a column's position number lives in memory and
// records only).
void ExpectSameLevels(const CSectionLevelArray& a, const CSectionLevelArray& b, const std::string& where) {
    ASSERT_EQ(a.GetSize(), b.GetSize()) << where;
    for (int i = 0; i < a.GetSize(); ++i) {
        const CSectionLevel& x = *a.GetAt(i);
        const CSectionLevel& y = *b.GetAt(i);
        const std::string here = fmt::sprintf("%s level %d", where, i);
        EXPECT_EQ(x.m_Name, y.m_Name) << here;
        EXPECT_EQ(x.m_nHeight, y.m_nHeight) << here;
        EXPECT_EQ(x.m_nFlag, y.m_nFlag) << here;
        ASSERT_EQ(x.m_Columns.GetSize(), y.m_Columns.GetSize()) << here;
        for (int j = 0; j < x.m_Columns.GetSize(); ++j) {
            const CColumn& c = *x.m_Columns.GetAt(j);
            const CColumn& d = *y.m_Columns.GetAt(j);
            const std::string col = fmt::sprintf("%s column %d", here, j);
            EXPECT_EQ(c.m_Name, d.m_Name) << col;
            EXPECT_EQ(c.m_TextConst, d.m_TextConst) << col;
            EXPECT_EQ(c.m_nWidth, d.m_nWidth) << col;
            EXPECT_EQ(c.m_nLevel, d.m_nLevel) << col;
            EXPECT_EQ(c.m_nAlign, d.m_nAlign) << col;
            EXPECT_EQ(c.m_nBorder, d.m_nBorder) << col;
            EXPECT_EQ(c.m_nFitText, d.m_nFitText) << col;
            EXPECT_EQ(c.m_nType, d.m_nType) << col;
            EXPECT_EQ(c.m_nRowsCount, d.m_nRowsCount) << col;
            EXPECT_EQ(ColumnName(c.m_pColumn), ColumnName(d.m_pColumn)) << col;
        }
    }
}

void ExpectSameConditions(const CConditionArray& a, const CConditionArray& b, const std::string& where) {
    ASSERT_EQ(a.GetSize(), b.GetSize()) << where;
    for (int i = 0; i < a.GetSize(); ++i) {
        const CCondition& x = *a.GetAt(i);
        const CCondition& y = *b.GetAt(i);
        const std::string here = fmt::sprintf("%s condition %d", where, i);
        EXPECT_EQ(x.m_nType, y.m_nType) << here;
        EXPECT_EQ(x.m_nValueType, y.m_nValueType) << here;
        EXPECT_EQ(x.GetText(), y.GetText()) << here;
        EXPECT_EQ(x.m_nIntValue, y.m_nIntValue) << here;
        EXPECT_DOUBLE_EQ(x.m_dRealValue, y.m_dRealValue) << here;
        EXPECT_EQ(x.m_StrValue, y.m_StrValue) << here;
        if (i > 0) {
            EXPECT_EQ(x.m_nLink, y.m_nLink) << here;
        }
        EXPECT_EQ(ColumnName(x.m_pColumn), ColumnName(y.m_pColumn)) << here;
    }
}

}  // namespace

void ExpectSameSection(const CReportSection& a, const CReportSection& b, const std::string& where) {
    EXPECT_EQ(a.GetName(), b.GetName()) << where;
    EXPECT_EQ(a.GetTitle().GetText(), b.GetTitle().GetText()) << where;
    EXPECT_EQ(a.GetTitle().GetAlign(), b.GetTitle().GetAlign()) << where;
    ExpectSameFont(a.GetTitle().GetFont(), b.GetTitle().GetFont(), where + " title");
    EXPECT_EQ(a.GetShowEmptyLines(), b.GetShowEmptyLines()) << where;
    ExpectSameLevels(a.GetLevels(), b.GetLevels(), where);
    int al = -1, ai = -1, bl = -1, bi = -1;
    EXPECT_EQ(a.GetLevels().Locate(a.GetTitleColumn(), al, ai), b.GetLevels().Locate(b.GetTitleColumn(), bl, bi))
        << where;
    EXPECT_EQ(al, bl) << where << " title column level";
    EXPECT_EQ(ai, bi) << where << " title column index";
    ExpectSameConditions(a.GetConditions(), b.GetConditions(), where);
    ASSERT_EQ(a.GetGroups().GetSize(), b.GetGroups().GetSize()) << where;
    for (int g = 0; g < a.GetGroups().GetSize(); ++g) {
        const CGroupCol& x = *a.GetGroups().GetAt(g);
        const CGroupCol& y = *b.GetGroups().GetAt(g);
        const std::string here = fmt::sprintf("%s group %d", where, g);
        EXPECT_EQ(x.m_nShowFirstRow, y.m_nShowFirstRow) << here;
        ExpectSameFont(x.m_Font, y.m_Font, here);
        EXPECT_EQ(ColumnName(x.m_pColumn), ColumnName(y.m_pColumn)) << here;
        EXPECT_EQ(x.m_Name, y.m_Name) << here;
        ExpectSameLevels(x.m_Rows, y.m_Rows, here + " title lines");
        ExpectSameLevels(x.m_LastRows, y.m_LastRows, here + " closing lines");
        ExpectSameConditions(x.m_Conditions, y.m_Conditions, here);
    }
    ASSERT_EQ(a.GetSorts().GetSize(), b.GetSorts().GetSize()) << where;
    for (int i = 0; i < a.GetSorts().GetSize(); ++i)
        EXPECT_EQ(ColumnName(a.GetSorts().GetAt(i)), ColumnName(b.GetSorts().GetAt(i))) << where << " sort " << i;
}

void ExpectSameTable(const CTableElement& a, const CTableElement& b) {
    EXPECT_EQ(a.GetKind(), b.GetKind());
    EXPECT_EQ(a.GetOrigin(), b.GetOrigin());
    EXPECT_EQ(a.GetSize(), b.GetSize());
    EXPECT_EQ(a.GetLineWidth(), b.GetLineWidth());
    EXPECT_EQ(a.GetName(), b.GetName());
    EXPECT_EQ(a.GetRowHeight(), b.GetRowHeight());
    ExpectSameFont(a.GetRowFont(), b.GetRowFont(), "row font");
    ASSERT_EQ(a.GetSections().GetSize(), b.GetSections().GetSize());
    for (int i = 0; i < a.GetSections().GetSize(); ++i)
        ExpectSameSection(*a.GetSections().GetAt(i), *b.GetSections().GetAt(i), fmt::sprintf("section %d", i));
}

// --- The fixture ----------------------------------------------------------------------------------------------------

CReportElement* TablesTest::NewElement(CReportSheet* sheet, int kind, CPoint origin, CSize size) {
    CReportElement* e = sheet->CreateReportElem(origin, size, kind);
    sheet->Add(e);
    return e;
}

std::unique_ptr<Model> TablesTest::SaveAndReload(ReadOrder order) {
    WriteTemplate(Manager());
    const std::string path = dir / "template.zordot";
    EXPECT_TRUE(Store().SaveToFile(path.c_str())) << Store().GetLastErrorDescription();
    auto fresh = std::make_unique<Model>();
    EXPECT_TRUE(fresh->loaded);
    EXPECT_TRUE(fresh->store.LoadFromFile(path.c_str())) << fresh->store.GetLastErrorDescription();
    ReadTemplate(fresh->manager, order);
    return fresh;
}

int TablesTest::CountOf(CzorEntity* entity) {
    CzorTAggr<CzorInstance> all;
    Store().GetEntityExtent(entity, all);
    int n = 0;
    for (CzorInstance* i : all)
        if (Alive(i)) ++n;
    return n;
}

}  // namespace tables_test
