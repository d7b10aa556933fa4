// AddRow and AddTitle: what a row's cells show, how texts break into cell lines, rows kept together or
// split across tables, levels left out when empty, the title block and filler lines, picture cells from
// data-buffer values, and the exact cells written.
#include "platform/zordata/zordata.h"
#include "report/generation/section_generation.h"
#include "report/model/image/image_file.h"
#include "report/model/picture_element.h"
#include "report/tests/sectiongen/sectiongen_fixture.h"

namespace sectiongen_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class GenLinesTest : public SectionGenTest {
protected:
    void SetUp() override {
        SectionGenTest::SetUp();
        sheet = NewSheet();
        table = AddTable(sheet, 0, -100, 600, 200);  // four lines of 50
        table->SetCurrentSheet(sheet);
    }
    std::vector<std::string> Texts(const CReportSheet* on) {
        std::vector<std::string> texts;
        for (const CReportElement* e : on->GetElements())
            if (e->GetKind() == kElemRect) texts.push_back(e->GetTextValue().GetText());
        return texts;
    }

    CReportSheet* sheet = nullptr;
    CTableElement* table = nullptr;
};

// Cell texts of every kind: field values as their text form (trimmed), totals in a detail line, constant
// texts, the level's name, a missing value.
TEST_F(GenLinesTest, WhatTheCellsOfADetailLineShow) {
    SetRows({"Name", "Qty", "Note"},
            {{std::string("  a b  "), 2.5, 7}, {std::monostate{}, 3.0, std::string("x")}});
    CColumn* sum = NewColumn("s", 50, "Qty", kColumnSum);
    CColumn* count = NewColumn("n", 50, nullptr, kColumnCount);
    CColumn* constant = NewColumn("c", 50, nullptr, kColumnText);
    constant->m_TextConst = "к";
    CColumn* name = NewColumn("l", 100, nullptr);
    name->m_nLevel = 1;
    CReportSection* section = AddSection(table, {NewColumn("Name", 100, "Name"), NewColumn("Qty", 100, "Qty"),
                                                 NewColumn("Note", 50, "Note"), sum, count, constant, name});
    section->GetLevels().GetAt(0)->m_Name = "ур";

    ASSERT_EQ(table->GenTable(), sheet);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: a b|2.5|7|0|0|к|ур", "50: |3|x|0|0|к|ур", "100: ||||||", "150: ||||||"));
}

// A text breaks to the column's width less 30 (ten units a character); the level takes as many lines as
// its tallest cell; fit text keeps one line; with two text rows a cell line holds two broken lines at half
// the font's height.
TEST_F(GenLinesTest, TextsBreakIntoCellLines) {
    table->SetSize(CSize(600, 500));
    table->SetOrigin(CPoint(0, -600));
    SetRows({"Name", "Qty", "Note"}, {{"один два три", "12345", "aa bb cc dd"}});
    CColumn* fitted = NewColumn("Qty", 40, "Qty");
    fitted->m_nFitText = 1;
    CColumn* twoRows = NewColumn("Note", 50, "Note");  // 20 wide at 5 units a character
    twoRows->m_nRowsCount = 2;
    AddSection(table, {NewColumn("Name", 80, "Name"), fitted, twoRows});

    ASSERT_EQ(table->GenTable(), sheet);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: один|12345|aa\nbb", "50: два||cc\ndd", "100: три||", "150: ||",
                                          "200: ||", "250: ||", "300: ||", "350: ||", "400: ||", "450: ||"));
    // The two-row cell is drawn at half the font's height.
    for (const CReportElement* e : sheet->GetElements()) {
        if (e->GetKind() == kElemRect && e->GetTextValue().GetText() == "aa\nbb") {
            EXPECT_EQ(e->GetTextValue().GetFont().lfHeight, 60);
        }
    }
}

TEST_F(GenLinesTest, ARowThatKeepsItsLinesTogetherMovesWholeToTheContinuation) {
    SetRows({"Name"}, {{"a"}, {"b"}, {"c"}, {"d1 d2 d3"}});
    CReportSection* section = AddSection(table, {NewColumn("Name", 50, "Name")});  // two characters a line
    section->GetLevels().GetAt(0)->m_nFlag = kLevelKeepTogether;
    UseGenerationSheet(sheet);

    ASSERT_NE(table->GenTable(), nullptr);
    ASSERT_EQ(Manager().GetSheetCount(), 2);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: a", "50: b", "100: c", "150: "));
    EXPECT_THAT(Lines(Manager().GetSheet(1)), ElementsAre("0: d1", "50: d2", "100: d3", "150: "));
}

TEST_F(GenLinesTest, ARowWithoutKeepTogetherGoesOnInTheContinuation) {
    SetRows({"Name"}, {{"a"}, {"b"}, {"c"}, {"d1 d2 d3"}});
    AddSection(table, {NewColumn("Name", 50, "Name")});
    UseGenerationSheet(sheet);

    ASSERT_NE(table->GenTable(), nullptr);
    ASSERT_EQ(Manager().GetSheetCount(), 2);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: a", "50: b", "100: c", "150: d1"));
    EXPECT_THAT(Lines(Manager().GetSheet(1)), ElementsAre("0: d2", "50: d3", "100: ", "150: "));
}

// A level of flag bit 0 is left out when all its cells are empty; the levels after it still show their own
// columns' texts.
TEST_F(GenLinesTest, EmptyLevelsThatHideAreLeftOut) {
    table->SetSize(CSize(600, 400));
    table->SetOrigin(CPoint(0, -500));
    SetRows({"Name", "Qty", "Note"}, {{"a", "1", ""}, {"b", "2", "n"}});
    auto* section = new CReportSection(&Manager());
    section->SetShowEmptyLines(0);
    section->GetLevels().Add(NewLevel("1", 50, 0, {NewColumn("Name", 100, "Name")}));
    section->GetLevels().Add(NewLevel("2", 40, kLevelHideEmpty, {NewColumn("Note", 100, "Note")}));
    section->GetLevels().Add(NewLevel("3", 30, 0, {NewColumn("Qty", 100, "Qty"), NewColumn("Name", 100, "Name")}));
    table->GetSections().Add(section);

    ASSERT_EQ(table->GenTable(), sheet);
    // Filler blocks hide nothing.
    EXPECT_THAT(Lines(sheet), ElementsAre("0: a", "50: 1|a", "80: b", "130: n", "170: 2|b", "200: ", "250: ",
                                          "290: |"));
}

TEST_F(GenLinesTest, TheTitleBlockWithItsEmptyLines) {
    SetRows({"Name", "Qty"}, {{"a", "1"}});
    CReportSection* section = AddSection(table, {NewColumn("Name", 200, "Name"), NewColumn("Qty", 100, "Qty")});
    section->GetTitle().SetText("Итоги");
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 1));
    section->SetShowEmptyLines(1);

    ASSERT_EQ(table->GenTable(), sheet);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: |", "50: |Итоги", "100: |", "150: a|1"));
    // Title cells take the title's font and are centred.
    for (const CReportElement* e : sheet->GetElements()) {
        if (e->GetTextValue().GetText() == "Итоги") {
            EXPECT_EQ(e->GetTextValue().GetAlign(), kAlignDefault);
            EXPECT_EQ(e->GetTextValue().GetFont().lfHeight, 120);
        }
    }
}

// The title breaks in the font its cells are drawn with (here twice the row font: five characters in 130).
TEST_F(GenLinesTest, TheTitleBreaksInItsOwnFont) {
    SetRows({"Name"}, {{"a"}});
    CReportSection* section = AddSection(table, {NewColumn("Name", 130, "Name")});
    LOGFONT big = RowFont();
    big.lfHeight = 240;
    section->GetTitle().SetFont(big);
    section->GetTitle().SetText("Итоги года");
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 0));

    ASSERT_EQ(table->GenTable(), sheet);
    EXPECT_THAT(Lines(sheet), ElementsAre("0: Итоги", "50: года", "100: a", "150: "));
}

TEST_F(GenLinesTest, ATitleBlockThatDoesNotFitMovesOnAfterThePreviousSectionsFillerLines) {
    SetRows({"Name", "Qty"}, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    AddSection(table, {NewColumn("Name", 200, "Name"), NewColumn("Qty", 100, "Qty")}, 40);
    CReportSection* second = AddSection(table, {NewColumn("Name", 300, "Name")});
    second->GetTitle().SetText("Второй");
    second->SetTitleColumn(second->GetLevels().GetColumn(0, 0));
    UseGenerationSheet(sheet);

    ASSERT_NE(table->GenTable(), nullptr);
    ASSERT_EQ(Manager().GetSheetCount(), 2);
    // 120 used; the title (50) and the line after it (50) do not fit into the 80 left: the first
    // section's own lines (40) rule them.
    EXPECT_THAT(Lines(sheet), ElementsAre("0: a|1", "40: b|2", "80: c|3", "120: |", "160: |"));
    EXPECT_THAT(Lines(Manager().GetSheet(1)), ElementsAre("0: Второй", "50: a", "100: b", "150: c"));
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

TEST_F(GenLinesTest, AFirstSectionWhoseTitleBlockDoesNotFitIsAnInvalidTemplate) {
    SetRows({"Name"}, {{"a"}});
    CReportSection* section = AddSection(table, {NewColumn("Name", 300, "Name")}, 150);
    section->GetTitle().SetText("Заголовок");
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 0));
    UseGenerationSheet(sheet);

    EXPECT_EQ(table->GenTable(), nullptr);
    EXPECT_THAT(MessageTexts(), ElementsAre("Ощибка при генерации отчета. Некоректный шаблон"));
}

TEST_F(GenLinesTest, ADataBufferValueBecomesAPictureCell) {
    CImageFile image;
    ASSERT_NE(image.Create(4, 3, 24), nullptr);
    std::vector<uint8_t> tiff;
    ASSERT_TRUE(image.SaveToMemory(tiff, IMAGE_FORMAT_TIFF));
    SetRows({"Name", "Pic"}, {{"a", ""}, {"b", ""}});
    auto* picture = new CzorValue;
    picture->SetBinary(tiff.data(), tiff.size());
    ASSERT_TRUE(Manager().GetDataSource().SetAt(0, 1, picture));
    auto* empty = new CzorValue;
    empty->SetBinary(nullptr, 0);
    ASSERT_TRUE(Manager().GetDataSource().SetAt(1, 1, empty));
    CReportSection* section = AddSection(table, {NewColumn("Name", 100, "Name"), NewColumn("Pic", 200, "Pic")});
    section->GetLevels().GetAt(0)->m_nFlag = kLevelHideEmpty;

    ASSERT_EQ(table->GenTable(), sheet);
    // An empty buffer gives a picture cell too (the placeholder), but no text: its level is left out
    // unless another cell has one.
    EXPECT_THAT(Lines(sheet), ElementsAre("0: a|[pic]", "50: b|[pic]", "100: |", "150: |"));
    std::vector<const CPictureElement*> pictures;
    for (const CReportElement* e : sheet->GetElements())
        if (e->GetKind() == kElemPicture) pictures.push_back(static_cast<const CPictureElement*>(e));
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0]->GetOrigin(), CPoint(100, -150));
    EXPECT_EQ(pictures[0]->GetSize(), CSize(200, 50));
    EXPECT_EQ(pictures[0]->GetDrawMode(), kPictureFit);
    EXPECT_EQ(pictures[0]->GetPicture()->GetWidth(), 4);
    EXPECT_EQ(pictures[0]->GetPicture()->GetHeight(), 3);
    EXPECT_EQ(pictures[1]->GetPicture()->GetWidth(), pictures[1]->GetPlaceholder()->GetWidth());
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

TEST_F(GenLinesTest, CellsArePlacedAndDressedFromTheirColumns) {
    SetRows({"Name", "Qty"}, {{"a", "1"}});
    CColumn* name = NewColumn("Name", 150, "Name");
    name->m_nAlign = kAlignLeft | kAlignTop;
    name->m_nBorder = 3;
    CColumn* qty = NewColumn("Qty", 250, "Qty");
    qty->m_nBorder = 0;
    qty->m_nFitText = 1;
    AddSection(table, {name, qty}, 70);
    table->SetOrigin(CPoint(40, -300));

    ASSERT_EQ(table->GenTable(), sheet);
    EXPECT_THAT(Cells(sheet), ElementsAre("40,-170 150x70 'a'", "190,-170 250x70 '1'", "40,-240 150x70 ''",
                                          "190,-240 250x70 ''"));
    const CReportElement* a = sheet->GetElement(1);
    EXPECT_EQ(a->GetLineWidth(), 3);
    EXPECT_EQ(a->GetTextValue().GetAlign(), kAlignLeft | kAlignTop);
    EXPECT_EQ(a->GetTextValue().GetWordWrap(), 0);
    EXPECT_EQ(a->GetTextValue().GetType(), kTextOwn);
    EXPECT_EQ(a->GetTextValue().GetFont().lfHeight, 120);
    EXPECT_EQ(a->GetInstance(), nullptr);
    const CReportElement* one = sheet->GetElement(2);
    EXPECT_EQ(one->GetLineWidth(), 0);
    EXPECT_EQ(one->GetTextValue().GetFitText(), 1);
}

// Data-source columns are found by name once, when a section's generation starts, never per cell: a header
// renamed afterwards changes nothing for the rows written.
TEST_F(GenLinesTest, ColumnsAreLookedUpByNameOnceWhenGenerationStarts) {
    SetRows({"Name", "Qty"}, {{"a", "1"}, {"b", "2"}});
    CReportSection* section = AddSection(table, {NewColumn("Name", 100, "Name"), NewColumn("Qty", 100, "Qty")});
    section->GetConditions().Add(NewCondition("Qty", kCondGreater, kCondAnd, 1));
    CSectionGenerator generator(*section, Manager().GetDataSource());
    CHeader* header = Manager().GetDataSource().GetHeader();
    header->GetColumn(0)->m_Name = "Другое";
    header->GetColumn(1)->m_Name = "Иное";

    CReportElement* current = table;
    int lines = 0, offset = 0;
    EXPECT_EQ(generator.AddRow(&current, 0, lines, offset, nullptr, RowGen::kNone), AddResult::kDone);
    EXPECT_FALSE(generator.IsEmpty());  // the condition still reads Qty: row b passes
    EXPECT_THAT(Lines(sheet), ElementsAre("0: a|1"));
}

TEST_F(GenLinesTest, TrialsChangeNothingAndBadArgumentsAreRefused) {
    SetRows({"Name"}, {{"a"}});
    CReportSection* section = AddSection(table, {NewColumn("Name", 100, "Name")});
    CReportElement* current = table;
    int lines = 2, offset = -100;
    EXPECT_EQ(section->AddRow(nullptr, &current, 0, lines, offset, nullptr, RowGen::kTrial), 0);
    EXPECT_EQ(section->AddTitle(table, lines, offset, TitleGen::kTrial), 0);
    EXPECT_EQ(offset, -150);  // a trial block moves the offset on
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(current, table);
    EXPECT_THAT(Texts(sheet), IsEmpty());

    // A row past the data source's end shows empty cells; it never reads what is not there.
    EXPECT_EQ(section->AddRow(nullptr, &current, 5, lines, offset, nullptr, RowGen::kNone), 0);
    EXPECT_THAT(Texts(sheet), ElementsAre(""));
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(offset, -200);
    EXPECT_EQ(section->AddRow(nullptr, &current, 0, lines, offset, nullptr, RowGen::kNone), -1);  // full

    EXPECT_EQ(section->AddRow(nullptr, nullptr, 0, lines, offset, nullptr, RowGen::kNone), -2);
    CReportElement* text = AddText(sheet, "t", CPoint(0, 0), CSize(10, 10));
    CReportElement* other = text;
    EXPECT_EQ(section->AddRow(nullptr, &other, 0, lines, offset, nullptr, RowGen::kNone), 1);
    EXPECT_EQ(section->AddTitle(text, lines, offset, TitleGen::kNone), 1);
    CReportSection bare(&Manager());
    EXPECT_EQ(bare.AddTitle(table, lines, offset, TitleGen::kNone), -1);
}

}  // namespace
}  // namespace sectiongen_test
