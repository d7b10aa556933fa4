// Tables, continuations, contents elements and page references in the store: a whole template through a
// file and back, the two ways sheets are read, and what reading, writing, cloning and deleting leave.
#include <fmt/printf.h>

#include "report/tests/tables/tables_fixture.h"

namespace tables_test {
namespace {

class TableStoreTest : public TablesTest {
protected:
    // Sheet 1: a table of two sections. Sheet 2: its continuation.
    void PlaceTableAndContinuation() {
        tableSheet = NewSheet();
        table = BuildTable(Manager());
        tableSheet->Add(table);
        mapSheet = NewSheet();
        continuation = static_cast<CTableMapElement*>(table->CreateClon());
        mapSheet->Add(continuation);
    }
    // Sheet 1: the table. Sheet 2: its continuation. Sheet 3: a contents element and a page reference to
    // sheet 1. A contents tree whose nodes list sheets 1 and 2.
    void BuildTemplate() {
        PlaceTableAndContinuation();
        continuation->SetOrigin(CPoint(100, -2800));
        continuation->SetSize(CSize(1800, 2600));
        CReportSheet* contentsSheet = NewSheet();
        contents = static_cast<CTableContentElement*>(
            NewElement(contentsSheet, kElemTableContent, CPoint(100, -2000), CSize(1900, 1800)));
        contents->SetName("Содержание отчёта");
        contents->SetTitle("Оглавление");
        contents->SetTitleFont(Font(180, FW_BOLD, 0, "Times New Roman"));
        contents->SetPageNumberWidth(22.5);
        CTableContentTitleLevel* first = contents->GetContentTitle().AddLevel();
        first->SetIndent(0.0);
        first->SetFont(Font(140, FW_BOLD, 0, "Arial"));
        CTableContentTitleLevel* second = contents->GetContentTitle().AddLevel();
        second->SetIndent(7.5);
        second->SetFont(Font(100, FW_NORMAL, 255, "Courier New"));
        reference = static_cast<CPageReferenceElement*>(
            NewElement(contentsSheet, kElemPageReference, CPoint(100, -150), CSize(300, 80)));
        reference->SetTarget(tableSheet);
        reference->GetTextValue().SetText("Лист1");

        auto* root = new CTableContent(&Manager());
        root->SetTitle("Заказы");
        root->AddSheet(tableSheet);
        root->AddSheet(mapSheet);
        auto* child = new CTableContent(&Manager());
        child->SetTitle("Раздел 1");
        child->AddSheet(mapSheet);
        root->AddChild(child);
        Manager().GetTableContents().Add(root);
    }

    CReportSheet* tableSheet = nullptr;
    CReportSheet* mapSheet = nullptr;
    CTableElement* table = nullptr;
    CTableMapElement* continuation = nullptr;
    CTableContentElement* contents = nullptr;
    CPageReferenceElement* reference = nullptr;
};

TEST_F(TableStoreTest, TemplateOfATableAndWhatPointsAtItComesBackThroughAFile) {
    BuildTemplate();
    // Sheets not shown reach the store when they are freed.
    Manager().GetSheet(1)->FreeElements();
    continuation = nullptr;
    std::unique_ptr<Model> fresh = SaveAndReload();
    CFolivox& m = fresh->manager;
    ASSERT_EQ(m.GetSheetCount(), 3);

    // The table, equal field by field, and the only one in the cache.
    CReportSheet* readTableSheet = m.GetSheet(0);
    ASSERT_EQ(readTableSheet->GetElementCount(), 1);
    auto* readTable = dynamic_cast<CTableElement*>(readTableSheet->GetElement(0));
    ASSERT_NE(readTable, nullptr);
    ExpectSameTable(*table, *readTable);
    EXPECT_EQ(readTable->GetFixed(), 1);
    ASSERT_EQ(m.GetTables().GetSize(), 1);
    EXPECT_EQ(m.FindTable(readTable->GetInstance()), readTable);

    // The continuation on the second sheet is bound to it.
    CReportSheet* readMapSheet = m.GetSheet(1);
    ASSERT_EQ(readMapSheet->GetElementCount(), 1);
    auto* readMap = dynamic_cast<CTableMapElement*>(readMapSheet->GetElement(0));
    ASSERT_NE(readMap, nullptr);
    EXPECT_EQ(readMap->GetTable(), readTable);
    EXPECT_EQ(readMap->ContinuedTable(), readTable);
    EXPECT_EQ(readMap->GetName(), "Продолжение Таблица заказов");
    EXPECT_EQ(readMap->GetOrigin(), CPoint(100, -2800));
    EXPECT_EQ(readMap->GetSize(), CSize(1800, 2600));
    EXPECT_EQ(readMap->GetLineWidth(), 3);
    EXPECT_TRUE(m.GetPendingContinuations().IsEmpty());

    // The contents element with its heading levels, and the page reference bound to the table's sheet.
    CReportSheet* contentsSheet = m.GetSheet(2);
    ASSERT_EQ(contentsSheet->GetElementCount(), 2);
    auto* readContents = dynamic_cast<CTableContentElement*>(contentsSheet->GetElement(0));
    ASSERT_NE(readContents, nullptr);
    EXPECT_EQ(readContents->GetName(), "Содержание отчёта");
    EXPECT_EQ(readContents->GetTitle(), "Оглавление");
    ExpectSameFont(readContents->GetTitleFont(), contents->GetTitleFont(), "title font");
    EXPECT_DOUBLE_EQ(readContents->GetPageNumberWidth(), 22.5);
    EXPECT_EQ(readContents->GetOrigin(), CPoint(100, -2000));
    ASSERT_EQ(readContents->GetContentTitle().GetLevelCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const CTableContentTitleLevel* want = contents->GetContentTitle().GetLevel(i);
        const CTableContentTitleLevel* got = readContents->GetContentTitle().GetLevel(i);
        EXPECT_DOUBLE_EQ(got->GetIndent(), want->GetIndent()) << i;
        ExpectSameFont(got->GetFont(), want->GetFont(), fmt::sprintf("level %d", i));
    }
    auto* readReference = dynamic_cast<CPageReferenceElement*>(contentsSheet->GetElement(1));
    ASSERT_NE(readReference, nullptr);
    EXPECT_EQ(readReference->GetTarget(), readTableSheet);
    EXPECT_TRUE(m.GetUnresolvedReferences().IsEmpty());

    // The contents tree, bound to the new sheets.
    ASSERT_EQ(m.GetTableContents().GetSize(), 1);
    const CTableContent* root = m.GetTableContents().GetAt(0);
    EXPECT_EQ(root->GetTitle(), "Заказы");
    ASSERT_EQ(root->GetSheets().GetSize(), 2);
    EXPECT_EQ(root->GetSheets().GetAt(0), readTableSheet);
    EXPECT_EQ(root->GetSheets().GetAt(1), readMapSheet);
    ASSERT_EQ(root->GetChildren().GetSize(), 1);
    EXPECT_EQ(root->GetChildren().GetAt(0)->GetTitle(), "Раздел 1");
    ASSERT_EQ(root->GetChildren().GetAt(0)->GetSheets().GetSize(), 1);
    EXPECT_EQ(root->GetChildren().GetAt(0)->GetSheets().GetAt(0), readMapSheet);
}

TEST_F(TableStoreTest, ReadSheetBySheetAContinuationWaitsForItsTableUntilBound) {
    // The continuation's sheet comes before the table's, so it is read first.
    mapSheet = NewSheet();
    tableSheet = NewSheet();
    table = BuildTable(Manager());
    tableSheet->Add(table);
    mapSheet->Add(table->CreateClon());
    // A continuation that names no table, and a page reference to the later sheet.
    NewElement(mapSheet, kElemTableMap, {0, -900}, {500, 400});
    reference = static_cast<CPageReferenceElement*>(NewElement(mapSheet, kElemPageReference, {0, -100}, {100, 50}));
    reference->SetTarget(tableSheet);

    std::unique_ptr<Model> fresh = SaveAndReload(ReadOrder::OneByOne);
    CFolivox& m = fresh->manager;
    CReportSheet* readMapSheet = m.GetSheet(0);
    ASSERT_EQ(readMapSheet->GetElementCount(), 3);
    auto* waiting = dynamic_cast<CTableMapElement*>(readMapSheet->GetElement(0));
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(waiting->GetTable(), nullptr);
    // Read twice (loaded, then the sheet read), listed once each.
    ASSERT_EQ(m.GetPendingContinuations().GetSize(), 2);
    EXPECT_EQ(m.GetPendingContinuations().GetAt(0), waiting);
    auto* readReference = dynamic_cast<CPageReferenceElement*>(readMapSheet->GetElement(2));
    ASSERT_NE(readReference, nullptr);
    EXPECT_EQ(readReference->GetTarget(), nullptr);
    ASSERT_EQ(m.GetUnresolvedReferences().GetSize(), 1);

    CTableMapElement::BindPending(&m);
    EXPECT_TRUE(m.GetPendingContinuations().IsEmpty());
    auto* readTable = dynamic_cast<CTableElement*>(m.GetSheet(1)->GetElement(0));
    ASSERT_NE(readTable, nullptr);
    EXPECT_EQ(waiting->GetTable(), readTable);
    // The one that names no table has left its sheet.
    ASSERT_EQ(readMapSheet->GetElementCount(), 2);
    EXPECT_EQ(readMapSheet->GetElement(0), waiting);
    EXPECT_EQ(readMapSheet->GetElement(1), readReference);

    EXPECT_EQ(CPageReferenceElement::ResolvePending(&m), 1);
    EXPECT_EQ(readReference->GetTarget(), m.GetSheet(1));
    EXPECT_TRUE(m.GetUnresolvedReferences().IsEmpty());
}

TEST_F(TableStoreTest, AReferenceReadBeforeItsSheetKeepsItsLinkWhenWritten) {
    CReportSheet* first = NewSheet();
    CReportSheet* second = NewSheet();
    reference = static_cast<CPageReferenceElement*>(NewElement(first, kElemPageReference, {0, -100}, {100, 50}));
    reference->SetTarget(second);
    std::unique_ptr<Model> fresh = SaveAndReload(ReadOrder::OneByOne);
    CFolivox& m = fresh->manager;
    auto* read = dynamic_cast<CPageReferenceElement*>(m.GetSheet(0)->GetElement(0));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetTarget(), nullptr);
    // Written while unresolved: the stored sheet stays named.
    read->Update(true);
    CzorInstance* stored = nullptr;
    fresh->store.GetAttr(read->GetInstance(), m.Schema().zor_reference_element_element, stored);
    EXPECT_EQ(stored, m.GetSheet(1)->GetInstance());
    read->Update(false);
    EXPECT_EQ(read->GetTarget(), m.GetSheet(1));
    EXPECT_TRUE(m.GetUnresolvedReferences().IsEmpty());
}

TEST_F(TableStoreTest, ReadingAContinuationLeavesItsTableAsItIsInMemory) {
    PlaceTableAndContinuation();
    continuation->Update(true);  // the table is written first
    ASSERT_NE(table->GetInstance(), nullptr);
    CzorInstance* src = nullptr;
    Store().GetAttr(continuation->GetInstance(), S().zor_report_map_src, src);
    EXPECT_EQ(src, table->GetInstance());

    // Unsaved edits of the table.
    table->SetRowHeight(77);
    CReportSection* kept = table->GetSections().GetAt(0);
    kept->SetName("Переименован");
    table->GetSections().Add(new CReportSection(&Manager()));
    continuation->Update(false);
    EXPECT_EQ(continuation->GetTable(), table);
    EXPECT_EQ(table->GetRowHeight(), 77);
    ASSERT_EQ(table->GetSections().GetSize(), 3);
    EXPECT_EQ(table->GetSections().GetAt(0), kept);
    EXPECT_EQ(kept->GetName(), "Переименован");
}

TEST_F(TableStoreTest, AContinuationWithoutATableKeepsItsStoredReference) {
    PlaceTableAndContinuation();
    continuation->Update(true);
    continuation->SetTable(nullptr);
    continuation->SetName("Без таблицы");
    continuation->Update(true);
    CzorInstance* src = nullptr;
    Store().GetAttr(continuation->GetInstance(), S().zor_report_map_src, src);
    EXPECT_EQ(src, table->GetInstance());
    std::string name;
    Store().GetAttr(continuation->GetInstance(), S().zor_report_sheet_element_name, name);
    EXPECT_EQ(name, "Без таблицы");
    // Read back it finds its table again.
    continuation->Update(false);
    EXPECT_EQ(continuation->GetTable(), table);
}

TEST_F(TableStoreTest, WaitingListsNeverHoldFreedElements) {
    CReportSheet* sheet = NewSheet();
    CReportElement* map = NewElement(sheet, kElemTableMap, {0, -500}, {500, 400});
    CReportElement* ref = NewElement(sheet, kElemPageReference, {0, -100}, {100, 50});
    sheet->Update(true);
    for (int i = 0; i < 3; ++i) {
        map->Update(false);
        ref->Update(false);
    }
    ASSERT_EQ(Manager().GetPendingContinuations().GetSize(), 1);
    ASSERT_EQ(Manager().GetUnresolvedReferences().GetSize(), 1);
    // Freed with their sheet.
    sheet->FreeElements();
    EXPECT_TRUE(Manager().GetPendingContinuations().IsEmpty());
    EXPECT_TRUE(Manager().GetUnresolvedReferences().IsEmpty());
    // Reloaded, listed again; deleted directly, gone from the lists too.
    sheet->LoadElementsFromFile();
    ASSERT_EQ(Manager().GetPendingContinuations().GetSize(), 1);
    ASSERT_EQ(Manager().GetUnresolvedReferences().GetSize(), 1);
    std::vector<CReportElement*> elements(sheet->GetElements().begin(), sheet->GetElements().end());
    sheet->GetElements().RemoveAll();
    for (CReportElement* e : elements) delete e;
    EXPECT_TRUE(Manager().GetPendingContinuations().IsEmpty());
    EXPECT_TRUE(Manager().GetUnresolvedReferences().IsEmpty());
    // Choosing a table takes a waiting continuation off the list.
    CReportElement* again = NewElement(sheet, kElemTableMap, {0, -500}, {500, 400});
    again->Update(true);
    again->Update(false);
    ASSERT_EQ(Manager().GetPendingContinuations().GetSize(), 1);
    CTableElement* chosen = static_cast<CTableElement*>(NewElement(NewSheet(), kElemTable, {0, -900}, {800, 800}));
    EXPECT_FALSE(static_cast<CTableMapElement*>(again)->SelectTable(nullptr));
    EXPECT_EQ(again->GetName(), "Продолжение таблицы");
    EXPECT_TRUE(static_cast<CTableMapElement*>(again)->SelectTable(chosen));
    EXPECT_EQ(again->GetName(), "Продолжение таблицы Таблица");
    EXPECT_TRUE(Manager().GetPendingContinuations().IsEmpty());
}

TEST_F(TableStoreTest, DeletingATableTakesItsContinuationsAndLeavesNoPartsInTheStore) {
    PlaceTableAndContinuation();
    WriteTemplate(Manager());
    mapSheet->FreeElements();
    ASSERT_GT(CountOf(S().e_zor_report_section), 0);
    ASSERT_GT(CountOf(S().e_zor_level), 0);

    tableSheet->DeleteElement(table, false);
    EXPECT_TRUE(Manager().GetTables().IsEmpty());
    EXPECT_EQ(tableSheet->GetElementCount(), 0);
    EXPECT_FALSE(mapSheet->IsLoaded());
    mapSheet->LoadElementsFromFile();
    EXPECT_EQ(mapSheet->GetElementCount(), 0);
    for (CzorEntity* entity : {S().e_zor_report_section, S().e_zor_level, S().e_zor_column, S().e_zor_condition,
                               S().e_zor_group_col, S().e_zor_font, S().e_zor_value})
        EXPECT_EQ(CountOf(entity), 0) << entity->GetName();
    // The points left are the two sheets' sizes.
    EXPECT_EQ(CountOf(S().e_zor_point), 2);
}

TEST_F(TableStoreTest, ATablesCloneIsAContinuationAndClonedSheetsHoldNoTable) {
    CReportSheet* sheet = NewSheet();
    table = BuildTable(Manager());
    sheet->Add(table);
    std::unique_ptr<CReportElement> clone(table->CreateClon());
    auto* map = dynamic_cast<CTableMapElement*>(clone.get());
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->GetKind(), kElemTableMap);
    EXPECT_EQ(map->GetTable(), table);
    EXPECT_EQ(map->GetName(), "Продолжение Таблица заказов");
    EXPECT_EQ(map->GetOrigin(), table->GetOrigin());
    EXPECT_EQ(map->GetSize(), table->GetSize());
    EXPECT_EQ(map->GetLineWidth(), 3);
    EXPECT_EQ(map->GetFixed(), 1);
    EXPECT_EQ(map->GetInstance(), nullptr);
    // A continuation's clone continues the same table.
    std::unique_ptr<CReportElement> again(map->CreateClon());
    EXPECT_EQ(static_cast<CTableMapElement*>(again.get())->GetTable(), table);
    EXPECT_EQ(again->GetName(), map->GetName());

    CReportSheet* cloned = Manager().CloneSheet(sheet, -1);
    ASSERT_NE(cloned, nullptr);
    EXPECT_EQ(Manager().GetTables().GetSize(), 1);
    cloned->LoadElementsFromFile();
    ASSERT_EQ(cloned->GetElementCount(), 1);
    auto* loaded = dynamic_cast<CTableMapElement*>(cloned->GetElement(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetTable(), table);
}

TEST_F(TableStoreTest, AContinuationNeverFollowsATableThatLeftTheCache) {
    PlaceTableAndContinuation();
    // The table's sheet goes (its table with it) while the continuation stays.
    Manager().GetSheets().Remove(tableSheet);
    delete tableSheet;
    EXPECT_EQ(continuation->GetTable(), nullptr);
    EXPECT_EQ(continuation->ContinuedTable(), nullptr);
    continuation->Update(true);  // no table to write
}

TEST_F(TableStoreTest, ANewTableAndItsReadWithoutInstance) {
    CTableElement fresh(&Manager());
    EXPECT_EQ(fresh.GetKind(), kElemTable);
    EXPECT_EQ(fresh.GetName(), "Таблица");
    EXPECT_EQ(fresh.GetRowHeight(), 10);
    EXPECT_EQ(fresh.GetPageNumber(), -1);
    EXPECT_EQ(fresh.GetCurrentSheet(), nullptr);
    EXPECT_EQ(fresh.GetRowFont().lfHeight, 120);
    EXPECT_EQ(fresh.GetRowFont().lfItalic, 255);
    EXPECT_EQ(fresh.GetRowFont().lfCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(fresh.GetRowFont().FaceName(), "Arial");
    EXPECT_EQ(fresh.GetRows(), 0);
    // A table with sections but no instance keeps them on a read.
    CTableElement unsaved(&Manager());
    unsaved.GetSections().Add(new CReportSection(&Manager()));
    unsaved.Update(false);
    EXPECT_EQ(unsaved.GetSections().GetSize(), 1);
    // Two empty sections of a table with no data: 3 + 1 title lines.
    unsaved.GetSections().Add(new CReportSection(&Manager()));
    unsaved.GetSections().GetAt(1)->SetShowEmptyLines(0);
    EXPECT_EQ(unsaved.GetRows(), 4);
}

// --- Contents elements -----------------------------------------------------------------------------------------

TEST_F(TableStoreTest, AContentsElementsCloneKeepsEverythingButItsInstances) {
    CReportSheet* sheet = NewSheet();
    contents = static_cast<CTableContentElement*>(NewElement(sheet, kElemTableContent, {50, -900}, {800, 700}));
    EXPECT_EQ(contents->GetTitle(), "Содержание");
    EXPECT_DOUBLE_EQ(contents->GetPageNumberWidth(), 30.0);
    EXPECT_EQ(contents->GetTitleFont().lfHeight, 160);
    EXPECT_EQ(contents->GetContentTitle().GetLevelCount(), 0);
    contents->SetTitle("Оглавление");
    contents->SetPageNumberWidth(12.0);
    contents->SetTitleFont(Font(200, FW_BOLD, 0, "Times New Roman"));
    contents->SetLineWidth(4);
    contents->SetFixed(1);
    contents->GetTextValue().SetBorder(0);
    contents->GetContentTitle().AddLevel()->SetIndent(3.0);
    contents->GetContentTitle().AddLevel()->SetFont(Font(90, FW_NORMAL, 0, "Courier New"));
    contents->Update(true);

    std::unique_ptr<CReportElement> clone(contents->CreateClon());
    auto* copy = dynamic_cast<CTableContentElement*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetKind(), kElemTableContent);
    EXPECT_EQ(copy->GetOrigin(), CPoint(50, -900));
    EXPECT_EQ(copy->GetSize(), CSize(800, 700));
    EXPECT_EQ(copy->GetLineWidth(), 4);
    EXPECT_EQ(copy->GetFixed(), 1);
    EXPECT_EQ(copy->GetTitle(), "Оглавление");
    EXPECT_DOUBLE_EQ(copy->GetPageNumberWidth(), 12.0);
    ExpectSameFont(copy->GetTitleFont(), contents->GetTitleFont(), "title font");
    EXPECT_EQ(copy->GetTextValue().GetBorder(), 0);
    ASSERT_EQ(copy->GetContentTitle().GetLevelCount(), 2);
    EXPECT_DOUBLE_EQ(copy->GetContentTitle().GetLevel(0)->GetIndent(), 3.0);
    ExpectSameFont(copy->GetContentTitle().GetLevel(1)->GetFont(), Font(90, FW_NORMAL, 0, "Courier New"), "level");
    EXPECT_EQ(copy->GetInstance(), nullptr);
    EXPECT_EQ(copy->GetContentTitle().GetInstance(), nullptr);
    EXPECT_EQ(copy->GetContentTitle().GetLevel(0)->GetInstance(), nullptr);
}

TEST_F(TableStoreTest, AContentsElementIsReadIntoAFreshTitleAndDeletedWithItsLevels) {
    CReportSheet* sheet = NewSheet();
    contents = static_cast<CTableContentElement*>(NewElement(sheet, kElemTableContent, {50, -900}, {800, 700}));
    // A new element stores an empty list of levels.
    contents->Update(true);
    CzorInstance* title = nullptr;
    Store().GetAttr(contents->GetInstance(), S().zor_table_content_element_table_content_title, title);
    ASSERT_TRUE(Alive(title));
    CzorTAggr<CzorInstance> levels;
    EXPECT_TRUE(Store().GetAttr(title, S().zor_table_content_title_levels, levels));
    EXPECT_EQ(levels.GetSize(), 0);

    contents->GetContentTitle().AddLevel();
    contents->GetContentTitle().AddLevel()->SetIndent(2.5);
    contents->Update(true);
    // Levels added in memory since are dropped: a read replaces the whole title.
    contents->GetContentTitle().AddLevel();
    CTableContentTitle* before = &contents->GetContentTitle();
    contents->Update(false);
    EXPECT_NE(&contents->GetContentTitle(), before);
    ASSERT_EQ(contents->GetContentTitle().GetLevelCount(), 2);
    EXPECT_DOUBLE_EQ(contents->GetContentTitle().GetLevel(1)->GetIndent(), 2.5);

    const int fonts = CountOf(S().e_zor_font);
    EXPECT_EQ(CountOf(S().e_zor_table_content_title_level), 2);
    sheet->DeleteElement(contents, false);
    EXPECT_EQ(CountOf(S().e_zor_table_content_title_level), 0);
    EXPECT_EQ(CountOf(S().e_zor_table_content_title), 0);
    // The title font, two level fonts and the text value's font.
    EXPECT_EQ(CountOf(S().e_zor_font), fonts - 4);
    EXPECT_EQ(CountOf(S().e_zor_point), 0);
}

TEST_F(TableStoreTest, ATemporaryCopyOfTheContentsSheetLeavesNothingBehind) {
    // Generation lays contents pages out from a copy of the contents sheet that is not a page (index -2).
    CReportSheet* sheet = NewSheet();
    contents = static_cast<CTableContentElement*>(NewElement(sheet, kElemTableContent, {50, -900}, {800, 700}));
    contents->GetContentTitle().AddLevel();
    contents->GetContentTitle().AddLevel();
    WriteTemplate(Manager());
    const int titles = CountOf(S().e_zor_table_content_title);
    const int levels = CountOf(S().e_zor_table_content_title_level);
    const int fonts = CountOf(S().e_zor_font);
    CReportSheet* pattern = Manager().CloneSheet(sheet, -2);
    ASSERT_NE(pattern, nullptr);
    ASSERT_EQ(pattern->GetElementCount(), 1);
    auto* copy = dynamic_cast<CTableContentElement*>(pattern->GetElement(0));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetContentTitle().GetLevelCount(), 2);
    EXPECT_EQ(CountOf(S().e_zor_table_content_title), titles + 1);
    delete pattern;
    EXPECT_EQ(CountOf(S().e_zor_table_content_title), titles);
    EXPECT_EQ(CountOf(S().e_zor_table_content_title_level), levels);
    EXPECT_EQ(CountOf(S().e_zor_font), fonts);
}

TEST_F(TableStoreTest, ContentsTitleLevelsAreAddedAndRemovedByIndexOrObject) {
    CTableContentTitle title(&Manager());
    CTableContentTitleLevel* a = title.AddLevel();
    CTableContentTitleLevel* b = title.AddLevel();
    CTableContentTitleLevel* c = title.AddLevel();
    EXPECT_DOUBLE_EQ(a->GetIndent(), 5.0);
    EXPECT_EQ(a->GetFont().lfHeight, 120);
    EXPECT_EQ(a->GetFont().lfItalic, 255);
    title.DelLevel(-1);
    title.DelLevel(3);
    CTableContentTitleLevel stranger(&Manager());
    title.DelLevel(&stranger);
    EXPECT_EQ(title.GetLevelCount(), 3);
    title.DelLevel(1);
    ASSERT_EQ(title.GetLevelCount(), 2);
    EXPECT_EQ(title.GetLevel(0), a);
    EXPECT_EQ(title.GetLevel(1), c);
    title.DelLevel(a);
    ASSERT_EQ(title.GetLevelCount(), 1);
    EXPECT_EQ(title.GetLevel(0), c);
    (void)b;
    // Delete removes the store instances and keeps the objects.
    title.Update(true);
    CzorInstance* level = c->GetInstance();
    ASSERT_TRUE(Alive(level));
    title.Delete();
    EXPECT_FALSE(Alive(level));
    EXPECT_EQ(title.GetLevelCount(), 1);
    EXPECT_EQ(c->GetInstance(), nullptr);
    EXPECT_EQ(CountOf(S().e_zor_font), 0);
}

// --- Page references ---------------------------------------------------------------------------------------------

TEST_F(TableStoreTest, APageReferenceShowsItsSheetsNameOrNumber) {
    CReportSheet* sheet = NewSheet();
    CReportSheet* target = NewSheet();
    reference = static_cast<CPageReferenceElement*>(NewElement(sheet, kElemPageReference, {0, -100}, {100, 50}));
    reference->GetTextValue().SetText("свой текст");
    EXPECT_EQ(reference->TargetText(0), "свой текст");
    reference->SetTarget(target);
    const struct {
        const char* name;
        std::string inTemplate;
        std::string inReport;
    } cases[] = {
        {"Лист3", "Лист3", "3"},
        {"Лист12", "Лист12", "12"},
        {"стиЛ7", "стиЛ7", "7"},  // leading letters of the set, in any order
        {"Приложение 2", "Приложение 2", "Приложение 2"},
        {"Листок", "Листок", "ок"},
    };
    for (const auto& c : cases) {
        target->SetName(c.name);
        EXPECT_EQ(reference->TargetText(0), c.inTemplate) << c.name;
        EXPECT_EQ(reference->TargetText(-1), c.inTemplate) << c.name;
        EXPECT_EQ(reference->TargetText(1), c.inReport) << c.name;
    }
}

TEST_F(TableStoreTest, APageReferenceToADeletedSheetReadsWithoutTargetAndKeepsItsText) {
    CReportSheet* sheet = NewSheet();
    CReportSheet* target = NewSheet();
    reference = static_cast<CPageReferenceElement*>(NewElement(sheet, kElemPageReference, {0, -100}, {100, 50}));
    reference->SetTarget(target);
    reference->GetTextValue().SetText("Лист2");
    WriteTemplate(Manager());
    Store().DeleteInstance(target->GetInstance(), true, false);
    reference->Update(false);
    EXPECT_EQ(reference->GetTarget(), nullptr);
    EXPECT_EQ(reference->GetTextValue().GetText(), "Лист2");
    ASSERT_EQ(Manager().GetUnresolvedReferences().GetSize(), 1);
}

TEST_F(TableStoreTest, APageReferencesCloneKeepsItsTargetAndText) {
    CReportSheet* sheet = NewSheet();
    CReportSheet* target = NewSheet();
    reference = static_cast<CPageReferenceElement*>(NewElement(sheet, kElemPageReference, {10, -100}, {100, 50}));
    reference->SetTarget(target);
    reference->GetTextValue().SetText("x");
    reference->GetTextValue().SetAlign(kAlignRight | kAlignVCenter);
    reference->SetName("Ссылка");
    std::unique_ptr<CReportElement> clone(reference->CreateClon());
    auto* copy = dynamic_cast<CPageReferenceElement*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetTarget(), target);
    EXPECT_EQ(copy->GetKind(), kElemPageReference);
    EXPECT_EQ(copy->GetName(), "Ссылка");
    EXPECT_EQ(copy->GetOrigin(), CPoint(10, -100));
    EXPECT_EQ(copy->GetTextValue().GetText(), "x");
    EXPECT_EQ(copy->GetTextValue().GetAlign(), kAlignRight | kAlignVCenter);
    // A target not stored yet is stored with the reference.
    reference->Update(true);
    ASSERT_NE(target->GetInstance(), nullptr);
    CzorInstance* stored = nullptr;
    Store().GetAttr(reference->GetInstance(), S().zor_reference_element_element, stored);
    EXPECT_EQ(stored, target->GetInstance());
    // Written with no target: the reference is cleared.
    reference->SetTarget(nullptr);
    reference->Update(true);
    stored = nullptr;
    Store().GetAttr(reference->GetInstance(), S().zor_reference_element_element, stored);
    EXPECT_EQ(stored, nullptr);
}

}  // namespace
}  // namespace tables_test
