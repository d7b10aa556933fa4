// The report manager: binding, points and rectangles, the element factory, sheet cloning, the waiting
// lists and the table-of-contents roots.
#include <fmt/printf.h>

#include "report/model/data_source.h"
#include "report/model/element_factory.h"
#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

class ManagerTest : public ModelTest {};

TEST_F(ManagerTest, AttachBindsByNameAndANullStoreChangesNothing) {
    EXPECT_EQ(Manager().GetStore(), &Store());
    EXPECT_EQ(Manager().GetDictPath(), QM_DICT_DIR);
    EXPECT_NE(S().e_zor_report_sheet, nullptr);
    EXPECT_NE(S().zor_report_sheet_element_org_pt, nullptr);
    EXPECT_NE(S().zor_value_fit_text, nullptr);
    Manager().Attach(nullptr, "/elsewhere");
    EXPECT_EQ(Manager().GetStore(), &Store());
    EXPECT_EQ(Manager().GetDictPath(), QM_DICT_DIR);
    Manager().Detach();
    EXPECT_EQ(Manager().GetStore(), nullptr);
    EXPECT_EQ(S().e_zor_report_sheet, nullptr);
}

TEST_F(ManagerTest, PointsAndRectangles) {
    CzorInstance* owner = Store().CreateInstance(S().e_zor_report_rect);
    CzorAttr* org = S().zor_report_sheet_element_org_pt;
    CPoint p(5, 5);
    EXPECT_EQ(Manager().GetPoint(owner, org, p), 0);
    EXPECT_EQ(p, CPoint(0, 0));
    EXPECT_EQ(Manager().PutPoint(owner, org, CPoint(12, -34)), 1);
    EXPECT_EQ(Manager().GetPoint(owner, org, p), 1);
    EXPECT_EQ(p, CPoint(12, -34));
    CzorInstance* point = nullptr;
    Store().GetAttr(owner, org, point);
    EXPECT_EQ(Manager().PutPoint(owner, org, CSize(7, 8)), 1);  // the same zor_point is rewritten
    CzorInstance* again = nullptr;
    Store().GetAttr(owner, org, again);
    EXPECT_EQ(again, point);
    CSize size;
    EXPECT_EQ(Manager().GetPoint(owner, org, size), 1);
    EXPECT_EQ(size, CSize(7, 8));
    // An absent coordinate reads as 0.
    Store().ClearAttr(point, S().zor_point_y);
    EXPECT_EQ(Manager().GetPoint(owner, org, p), 1);
    EXPECT_EQ(p, CPoint(7, 0));
    EXPECT_EQ(Manager().PutPoint(nullptr, org, p), 0);

    CzorInstance* report = Store().CreateInstance(S().e_zor_report);
    CzorAttr* area = S().zor_report_print_area;
    CRect r(1, 2, 3, 4);
    EXPECT_FALSE(Manager().GetRect(report, area, r));
    EXPECT_EQ(r, CRect(1, 2, 3, 4));
    EXPECT_EQ(Manager().GetRect(report, area), CRect(0, 0, 0, 0));
    EXPECT_TRUE(Manager().SetRect(report, area, CRect(-10, 20, 30, -40)));
    EXPECT_TRUE(Manager().GetRect(report, area, r));
    EXPECT_EQ(r, CRect(-10, 20, 30, -40));
    EXPECT_EQ(Manager().GetRect(report, area), CRect(-10, 20, 30, -40));
    int top = 0;
    CzorInstance* rect = nullptr;
    Store().GetAttr(report, area, rect);
    Store().GetAttr(rect, S().zor_rect_top, top);
    EXPECT_EQ(top, 20);
    EXPECT_FALSE(Manager().SetRect(nullptr, area, r));
    EXPECT_FALSE(Manager().SetRect(report, nullptr, r));
}

TEST_F(ManagerTest, FactoryMakesElementsByEntity) {
    CReportSheet* sheet = NewSheet();
    CzorInstance* line = Store().CreateInstance(S().e_zor_report_line);
    CzorInstance* rect = Store().CreateInstance(S().e_zor_report_rect);
    CzorInstance* other = Store().CreateInstance(S().e_zor_report_sheet_element);
    CzorInstance* table = Store().CreateInstance(S().e_zor_report_table);
    EXPECT_EQ(Manager().CreateElemObj(nullptr, sheet), nullptr);
    CReportElement* l = Manager().CreateElemObj(line, sheet);
    CReportElement* r = Manager().CreateElemObj(rect, sheet);
    CReportElement* o = Manager().CreateElemObj(other, sheet);
    ASSERT_TRUE(l && r && o);
    EXPECT_EQ(l->GetKind(), kElemLine);
    EXPECT_EQ(r->GetKind(), kElemRect);
    EXPECT_EQ(o->GetKind(), kElemRect);
    EXPECT_EQ(l->GetInstance(), line);
    EXPECT_EQ(l->GetSheet(), sheet);
    EXPECT_EQ(sheet->GetElementCount(), 3);
    // A table made twice for the same instance is one object, cached once.
    CReportElement* t1 = Manager().CreateElemObj(table, sheet);
    CReportElement* t2 = Manager().CreateElemObj(table, sheet);
    ASSERT_NE(t1, nullptr);
    EXPECT_EQ(t1, t2);
    EXPECT_EQ(t1->GetKind(), kElemTable);
    EXPECT_EQ(Manager().GetTables().GetSize(), 1);
    EXPECT_EQ(Manager().FindTable(table), t1);
    EXPECT_EQ(Manager().FindTable(rect), nullptr);
    EXPECT_EQ(Manager().FindTable(nullptr), nullptr);
    EXPECT_EQ(sheet->GetElementCount(), 4);
}

TEST_F(ManagerTest, CloneSheetAppendsInsertsAndNames) {
    for (int i = 0; i < 3; ++i) {
        CReportSheet* s = NewSheet();
        NewRect(s, {10 * i, -10}, {100, 50}, fmt::sprintf("на листе %d", i + 1));
        NewLine(s, {0, 0}, {100, -100});
    }
    CReportSheet* source = Manager().GetSheet(0);
    CReportSheet* appended = Manager().CloneSheet(source, -1);
    ASSERT_NE(appended, nullptr);
    EXPECT_EQ(Manager().GetSheetCount(), 4);
    EXPECT_EQ(Manager().GetSheet(3), appended);
    EXPECT_EQ(appended->GetName(), "Лист4");
    EXPECT_FALSE(appended->IsLoaded());
    ASSERT_NE(appended->GetInstance(), nullptr);

    CReportSheet* inserted = Manager().CloneSheet(source, 1);
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(Manager().GetSheet(1), inserted);
    for (int i = 0; i < Manager().GetSheetCount(); ++i)
        EXPECT_EQ(Manager().GetSheet(i)->GetName(), fmt::sprintf("Лист%d", i + 1));

    // The clone's elements are new instances with the source's content.
    inserted->LoadElementsFromFile();
    ASSERT_EQ(inserted->GetElementCount(), 2);
    EXPECT_EQ(inserted->GetElement(0)->GetTextValue().GetText(), "на листе 1");
    EXPECT_EQ(inserted->GetElement(1)->GetKind(), kElemLine);
    EXPECT_NE(inserted->GetElement(0)->GetInstance(), source->GetElement(0)->GetInstance());

    EXPECT_EQ(Manager().CloneSheet(source, Manager().GetSheetCount() + 1), nullptr);
    EXPECT_EQ(Manager().CloneSheet(nullptr, -1), nullptr);
    EXPECT_EQ(Manager().GetSheetCount(), 5);
    CReportSheet* last = Manager().CloneSheet(source, Manager().GetSheetCount());  // at the end is fine
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->GetName(), "Лист6");
}

TEST_F(ManagerTest, GenerationCloneStaysOutOfTheListAndTakesItsInstancesAlong) {
    CReportSheet* source = NewSheet();
    NewRect(source, {0, -100}, {100, 100}, "шаблон");
    source->Update(true);
    const int before = Store().GetInstanceCount();
    CReportSheet* scratch = Manager().CloneSheet(source, -2);
    ASSERT_NE(scratch, nullptr);
    EXPECT_EQ(Manager().FindSheetInd(scratch), -1);
    EXPECT_EQ(Manager().GetSheetCount(), 1);
    EXPECT_TRUE(scratch->IsLoaded());
    EXPECT_TRUE(scratch->IsTemporary());
    EXPECT_EQ(scratch->GetName(), "");
    ASSERT_EQ(scratch->GetElementCount(), 1);
    EXPECT_EQ(scratch->GetElement(0)->GetTextValue().GetText(), "шаблон");
    EXPECT_GT(Store().GetInstanceCount(), before);
    const int scratchInstances = Store().GetInstanceCount() - before;
    // Pages cloned from it are real pages.
    CReportSheet* page = Manager().CloneSheet(scratch, -1);
    ASSERT_NE(page, nullptr);
    const int withPage = Store().GetInstanceCount();
    delete scratch;
    EXPECT_EQ(Store().GetInstanceCount(), withPage - scratchInstances);
    CzorTAggr<CzorInstance> sheets;
    Store().GetEntityExtent(S().e_zor_report_sheet, sheets);
    int live = 0;
    for (CzorInstance* s : sheets) live += s->IsDeleted() ? 0 : 1;
    EXPECT_EQ(live, 2);  // the source and the page
    page->LoadElementsFromFile();
    EXPECT_EQ(page->GetElement(0)->GetTextValue().GetText(), "шаблон");
}

TEST_F(ManagerTest, WaitingListsNeverOutliveTheirElements) {
    CReportSheet* sheet = NewSheet();
    CReportElement* map = NewRect(sheet, {0, 0}, {10, 10});
    CReportElement* ref = NewRect(sheet, {0, 0}, {10, 10});
    Manager().GetPendingContinuations().Add(map);
    Manager().GetUnresolvedReferences().Add(ref);
    sheet->FreeElements();
    EXPECT_EQ(Manager().GetPendingContinuations().GetSize(), 0);
    EXPECT_EQ(Manager().GetUnresolvedReferences().GetSize(), 0);

    sheet->LoadElementsFromFile();
    Manager().GetPendingContinuations().Add(sheet->GetElement(0));
    sheet->DeleteElement(sheet->GetElement(0), false);
    EXPECT_EQ(Manager().GetPendingContinuations().GetSize(), 0);

    Manager().GetUnresolvedReferences().Add(sheet->GetElement(0));
    Manager().RemoveAllSheets();
    EXPECT_EQ(Manager().GetUnresolvedReferences().GetSize(), 0);

    CReportSheet* other = NewSheet();
    Manager().GetPendingContinuations().Add(NewRect(other, {0, 0}, {1, 1}));
    EXPECT_TRUE(Manager().Init());
    EXPECT_EQ(Manager().GetPendingContinuations().GetSize(), 0);
    EXPECT_EQ(Manager().GetSheetCount(), 0);

    CReportSheet* third = NewSheet();
    Manager().GetUnresolvedReferences().Add(NewRect(third, {0, 0}, {1, 1}));
    Manager().Detach();
    EXPECT_EQ(Manager().GetUnresolvedReferences().GetSize(), 0);
}

TEST_F(ManagerTest, RemoveAllSheetsAlsoFreesTablesOfUnloadedSheets) {
    CReportSheet* sheet = NewSheet();
    CzorInstance* table = Store().CreateInstance(S().e_zor_report_table);
    CzorTAggr<CzorInstance> elems;
    elems.Add(table);
    sheet->FreeElements();  // written and unloaded
    Store().PutAttr(sheet->GetInstance(), S().zor_report_sheet_elems, elems);
    sheet->LoadElementsFromFile();  // the table is made and cached
    ASSERT_EQ(Manager().GetTables().GetSize(), 1);
    CReportElement* cached = Manager().GetTables().GetAt(0);
    sheet->FreeElements();
    EXPECT_EQ(Manager().GetTables().GetSize(), 1);  // kept while the sheet is unloaded
    sheet->LoadElementsFromFile();
    EXPECT_EQ(sheet->GetElement(0), cached);  // and the same object comes back
    sheet->FreeElements();
    Manager().RemoveAllSheets();
    EXPECT_EQ(Manager().GetTables().GetSize(), 0);
}

TEST_F(ManagerTest, TableOfContentsRoots) {
    CzorTAggr<CzorInstance> roots;
    EXPECT_TRUE(Manager().FindTableContentRoots(roots));
    EXPECT_EQ(roots.GetSize(), 0);
    EXPECT_TRUE(Manager().LoadTableContents());
    EXPECT_EQ(Manager().GetTableContents().GetSize(), 0);

    auto node = [&] { return Store().CreateInstance(S().e_zor_table_content); };
    CzorInstance* a = node();
    CzorInstance* a1 = node();
    CzorInstance* a2 = node();
    CzorInstance* a11 = node();
    CzorInstance* b = node();
    CzorTAggr<CzorInstance> ac, a1c;
    ac.Add(a1);
    ac.Add(a2);
    a1c.Add(a11);
    Store().PutAttr(a, S().zor_table_content_childs, ac);
    Store().PutAttr(a1, S().zor_table_content_childs, a1c);
    EXPECT_TRUE(Manager().FindTableContentRoots(roots));
    ASSERT_EQ(roots.GetSize(), 2);
    EXPECT_EQ(roots.GetAt(0), a);
    EXPECT_EQ(roots.GetAt(1), b);

    Manager().Detach();
    EXPECT_FALSE(Manager().FindTableContentRoots(roots));
    EXPECT_FALSE(Manager().LoadTableContents());
}

TEST_F(ManagerTest, FindColumnByInstPrefersTheSelectHeader) {
    CzorInstance* shared = Store().CreateInstance(S().e_zor_col);
    CzorInstance* onlyResult = Store().CreateInstance(S().e_zor_col);
    auto* selectColumn = new CHeaderColumn(kPlainColumn, "A", 5);
    selectColumn->m_pInstance = shared;
    Manager().GetSelectHeader()->AddColumn(selectColumn);
    auto* resultShared = new CHeaderColumn(kPlainColumn, "B", 5);
    resultShared->m_pInstance = shared;
    auto* resultColumn = new CHeaderColumn(kFormulaColumn, "C=A", 5);
    resultColumn->m_pInstance = onlyResult;
    Manager().GetResultSelectHeader()->AddColumn(resultShared);
    Manager().GetResultSelectHeader()->AddColumn(resultColumn);
    EXPECT_EQ(Manager().FindColumnByInst(shared), selectColumn);
    EXPECT_EQ(Manager().FindColumnByInst(onlyResult), resultColumn);
    EXPECT_EQ(Manager().FindColumnByInst(nullptr), nullptr);
    EXPECT_EQ(Manager().FindColumnByInst(Store().CreateInstance(S().e_zor_col)), nullptr);
    EXPECT_TRUE(Manager().Init());
    EXPECT_EQ(Manager().GetSelectHeader()->GetSize(), 0);
    EXPECT_EQ(Manager().GetResultSelectHeader()->GetSize(), 0);
}

TEST_F(ManagerTest, UpdateSheetsNamesByPosition) {
    for (int i = 0; i < 12; ++i) NewSheet()->SetName("x");
    Manager().UpdateSheets();
    EXPECT_EQ(Manager().GetSheet(0)->GetName(), "Лист1");
    EXPECT_EQ(Manager().GetSheet(11)->GetName(), "Лист12");
    EXPECT_EQ(Manager().FindSheetInd(Manager().GetSheet(5)), 5);
    EXPECT_EQ(Manager().FindSheetInd(nullptr), -1);
    CReportSheet loose(&Manager());
    EXPECT_EQ(Manager().FindSheetInd(&loose), -1);
    EXPECT_EQ(Manager().AddSheet(Manager().GetSheet(0)), -1);
}

}  // namespace
}  // namespace model_test
