// GenTable and GetNextSheet: rows across the report's own continuation sheets and pages cloned from the
// generation sheet, the pages that generation inserts or appends, the page number, the current sheet, and
// the failures that end a table.
#include "report/tests/sectiongen/sectiongen_fixture.h"

namespace sectiongen_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<Row> NumberedRows(int count) {
    std::vector<Row> rows;
    for (int i = 1; i <= count; ++i) rows.push_back({"r" + std::to_string(i), std::to_string(i)});
    return rows;
}

class GenTableTest : public SectionGenTest {
protected:
    // Name and Qty in a level 50 high: four lines in a table 200 high.
    CReportSection* NameQtySection(CTableElement* table) {
        return AddSection(table, {NewColumn("Name", 300, "Name"), NewColumn("Qty", 200, "Qty")});
    }
    // Such a table on a new sheet, its upper edge 10 mm below the page's, set to fill that sheet.
    CTableElement* NewTable(int left = 0) {
        CReportSheet* sheet = NewSheet();
        CTableElement* table = AddTable(sheet, left, -100, 500, 200);
        NameQtySection(table);
        table->SetCurrentSheet(sheet);
        return table;
    }
};

TEST_F(GenTableTest, RowsGoOnInTheReportsContinuationSheetThenInPagesClonedFromTheGenerationSheet) {
    SetRows({"Name", "Qty"}, NumberedRows(9));
    CTableElement* table = NewTable(100);
    CReportSheet* first = table->GetSheet();
    CReportSheet* second = NewSheet();
    AddContinuation(second, table, 200, -300, 500, 150);
    UseGenerationSheet(second);

    CReportSheet* last = table->GenTable();

    ASSERT_EQ(Manager().GetSheetCount(), 3);
    CReportSheet* third = Manager().GetSheet(2);
    EXPECT_EQ(last, third);
    EXPECT_EQ(table->GetCurrentSheet(), third);
    EXPECT_THAT(SheetNames(), ElementsAre("Лист1", "Лист2", "Лист3"));
    // Лист1 gives page number 1; two moves on make it 3.
    EXPECT_EQ(table->GetPageNumber(), 3);
    EXPECT_THAT(Lines(first), ElementsAre("0: r1|1", "50: r2|2", "100: r3|3", "150: r4|4"));
    EXPECT_THAT(Lines(second), ElementsAre("0: r5|5", "50: r6|6", "100: r7|7"));
    // The last section rules what is left of the last continuation.
    EXPECT_THAT(Lines(third), ElementsAre("0: r8|8", "50: r9|9", "100: |"));
    // The cloned page holds a continuation of the table where the pattern had it.
    const CReportElement* clone = third->GetElement(0);
    ASSERT_EQ(clone->GetKind(), kElemTableMap);
    EXPECT_EQ(static_cast<const CTableMapElement*>(clone)->GetTable(), table);
    EXPECT_EQ(clone->GetOrigin(), CPoint(200, -450));
    EXPECT_THAT(Cells(third), ::testing::Contains("200,-350 300x50 'r8'"));
    EXPECT_THAT(Cells(third), ::testing::Contains("500,-350 200x50 '8'"));
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

TEST_F(GenTableTest, PagesClonedFromTheTablesOwnSheetCarryItsOtherElements) {
    SetRows({"Name", "Qty"}, NumberedRows(10));
    CReportSheet* first = NewSheet();
    AddText(first, "Шапка", CPoint(100, -90), CSize(500, 80));
    CTableElement* table = AddTable(first, 100, -100, 500, 200);
    NameQtySection(table);
    UseGenerationSheet(first);
    table->SetCurrentSheet(first);

    ASSERT_NE(table->GenTable(), nullptr);

    ASSERT_EQ(Manager().GetSheetCount(), 3);
    EXPECT_THAT(Lines(Manager().GetSheet(1)), ElementsAre("0: r5|5", "50: r6|6", "100: r7|7", "150: r8|8"));
    EXPECT_THAT(Lines(Manager().GetSheet(2)), ElementsAre("0: r9|9", "50: r10|10", "100: |", "150: |"));
    for (int i = 1; i < 3; ++i) {
        const CReportSheet* page = Manager().GetSheet(i);
        EXPECT_EQ(page->GetElement(0)->GetTextValue().GetText(), "Шапка") << i;
        EXPECT_EQ(page->GetElement(1)->GetKind(), kElemTableMap) << i;
    }
}

TEST_F(GenTableTest, APageOfTheTableIsInsertedBeforeAPageThatBelongsToSomethingElse) {
    SetRows({"Name", "Qty"}, NumberedRows(6));
    CTableElement* table = NewTable(100);
    CReportSheet* first = table->GetSheet();
    CReportSheet* other = NewSheet();
    AddText(other, "Другое", CPoint(0, -200), CSize(100, 100));
    UseGenerationSheet(first);

    CReportSheet* last = table->GenTable();

    ASSERT_EQ(Manager().GetSheetCount(), 3);
    EXPECT_EQ(Manager().GetSheet(2), other);
    EXPECT_EQ(last, Manager().GetSheet(1));
    EXPECT_EQ(Manager().FindSheetInd(last), 1);
    EXPECT_THAT(SheetNames(), ElementsAre("Лист1", "Лист2", "Лист3"));
    EXPECT_THAT(Lines(last), ElementsAre("0: r5|5", "50: r6|6", "100: |", "150: |"));
    EXPECT_THAT(Lines(other), IsEmpty());
}

TEST_F(GenTableTest, ThePageNumberStartsFromTheSheetsName) {
    SetRows({"Name", "Qty"}, NumberedRows(1));
    for (auto [name, number] : std::vector<std::pair<std::string, int>>{
             {"Лист7", 7}, {"Лист", 0}, {"тсиЛ12", 12}, {"Page3", 0}, {"Лист 5", 5}}) {
        CReportSheet* sheet = NewSheet();
        sheet->SetName(name);
        CTableElement* table = AddTable(sheet, 0, -100, 500, 200);
        NameQtySection(table);
        table->SetCurrentSheet(sheet);
        ASSERT_EQ(table->GenTable(), sheet) << name;
        EXPECT_EQ(table->GetPageNumber(), number) << name;
    }
}

TEST_F(GenTableTest, ATableWhoseSectionsAreAllEmptyGeneratesNothing) {
    SetRows({"Name", "Qty"}, NumberedRows(3));
    CTableElement* table = NewTable();
    CReportSheet* sheet = table->GetSheet();
    CReportSection* section = table->GetSections().GetAt(0);
    section->GetConditions().Add(NewCondition("Name", kCondEqual, kCondAnd, std::string("nobody")));

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(Lines(sheet), IsEmpty());
    EXPECT_THAT(MessageTexts(), IsEmpty());
    EXPECT_EQ(Manager().GetTableContents().GetSize(), 0);
}

TEST_F(GenTableTest, AnEmptyLastSectionStillRulesTheRestOfTheTable) {
    SetRows({"Name", "Qty"}, NumberedRows(2));
    CTableElement* table = NewTable();
    CReportSheet* sheet = table->GetSheet();
    CReportSection* empty = AddSection(table, {NewColumn("a", 100, "Name"), NewColumn("b", 100, "Qty")}, 30);
    empty->GetTitle().SetText("Никогда");
    empty->SetTitleColumn(empty->GetLevels().GetColumn(0, 0));
    empty->GetConditions().Add(NewCondition("Qty", kCondGreater, kCondAnd, 100));

    ASSERT_EQ(table->GenTable(), sheet);
    // Its title is not written, and its own level (30 high) rules the 100 left: three lines.
    EXPECT_THAT(Lines(sheet), ElementsAre("0: r1|1", "50: r2|2", "100: |", "130: |", "160: |"));
    EXPECT_EQ(Manager().GetTableContents().GetSize(), 0);
}

TEST_F(GenTableTest, NoNextPageAndNoGenerationSheetEndsTheTableWithItsMessages) {
    SetRows({"Name", "Qty"}, NumberedRows(5));
    CTableElement* table = NewTable();
    CReportSheet* sheet = table->GetSheet();

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(MessageTexts(), ElementsAre("Не могу создать страницу.", "Ошибка при генерации отчета!"));
    EXPECT_EQ(Manager().GetSheetCount(), 1);
    // What was written before stays for the caller to remove with the sheet.
    EXPECT_THAT(Lines(sheet), ElementsAre("0: r1|1", "50: r2|2", "100: r3|3", "150: r4|4"));
}

TEST_F(GenTableTest, ARowHigherThanTheContinuationIsReported) {
    SetRows({"Name", "Qty"}, NumberedRows(5));
    CTableElement* table = NewTable();
    CReportSheet* second = NewSheet();
    AddContinuation(second, table, 0, -100, 500, 40);
    UseGenerationSheet(second);

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(MessageTexts(), ElementsAre("В таблицу не помещается ни одна строка!"));
}

TEST_F(GenTableTest, AGenerationSheetWithoutAContinuationIsAnInvalidTemplate) {
    SetRows({"Name", "Qty"}, NumberedRows(5));
    CTableElement* table = NewTable();
    CReportSheet* plain = NewSheet();
    AddText(plain, "Без таблицы", CPoint(0, -100), CSize(100, 100));
    UseGenerationSheet(plain);

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(MessageTexts(), ElementsAre("Не корректный шаблон!", "Ошибка при генерации отчета!"));
}

TEST_F(GenTableTest, ASortColumnMissingFromTheDataSourceIsAnInvalidTemplate) {
    SetRows({"Name", "Qty"}, NumberedRows(3));
    CTableElement* table = NewTable();
    CReportSheet* sheet = table->GetSheet();
    CReportSection* section = table->GetSections().GetAt(0);
    section->GetSorts().Add(Column("Note"));  // in the headers, not in the data file

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(MessageTexts(), ElementsAre("Не корректный шаблон"));
    EXPECT_THAT(Lines(sheet), IsEmpty());
}

// Levels of height 0 take the table's row height times 10; when that is 0 too, a filler block would take
// no room and ruling the table would never end: the template is refused before anything is written.
TEST_F(GenTableTest, LevelsWithoutHeightTakeTheRowHeightAndATemplateWithNoHeightAtAllIsRefused) {
    SetRows({"Name", "Qty"}, NumberedRows(2));
    CTableElement* table = NewTable();
    CReportSheet* sheet = table->GetSheet();
    CReportSection* section = table->GetSections().GetAt(0);
    section->GetLevels().GetAt(0)->m_nHeight = 0;
    table->SetRowHeight(0);

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(MessageTexts(), ElementsAre("Не корректный шаблон"));
    EXPECT_THAT(Lines(sheet), IsEmpty());

    messages.Clear();
    table->SetRowHeight(8);
    ASSERT_EQ(table->GenTable(), sheet);
    EXPECT_EQ(section->GetLevels().GetAt(0)->m_nHeight, 80);  // kept
    EXPECT_THAT(Lines(sheet), ElementsAre("0: r1|1", "80: r2|2"));
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

TEST_F(GenTableTest, GetNextSheetMovesTheTableOnAndRecordsThePageInTheCurrentContentsNode) {
    CReportSheet* sheet = NewSheet();
    CTableElement* table = AddTable(sheet, 0, -100, 500, 200);
    CReportSection* section = NameQtySection(table);
    UseGenerationSheet(sheet);
    table->SetPageNumber(4);
    CTableContent node(&Manager());
    section->SetContentNode(&node);

    CReportElement* next = section->GetNextSheet(sheet, table);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetKind(), kElemTableMap);
    EXPECT_EQ(next->GetSheet(), Manager().GetSheet(1));
    EXPECT_EQ(table->GetPageNumber(), 5);
    EXPECT_EQ(table->GetCurrentSheet(), Manager().GetSheet(1));
    EXPECT_EQ(node.GetSheets().GetSize(), 1);
    EXPECT_EQ(node.GetSheets().GetAt(0), Manager().GetSheet(1));

    // From the continuation on: its table moves on.
    CReportElement* after = section->GetNextSheet(next->GetSheet(), next);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->GetSheet(), Manager().GetSheet(2));
    EXPECT_EQ(table->GetPageNumber(), 6);
    section->SetContentNode(nullptr);

    // Anything else has no table to move on.
    CReportElement* text = AddText(sheet, "x", CPoint(0, 0), CSize(10, 10));
    EXPECT_EQ(section->GetNextSheet(sheet, text), nullptr);
}

}  // namespace
}  // namespace sectiongen_test
