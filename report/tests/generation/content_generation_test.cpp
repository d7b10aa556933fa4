// The table of contents laid out from a contents tree: rows, indents, page references, moving on to
// clones of the contents sheet, failures that take back the sheets they added, and text measured with the
// fonts it is drawn with.
#include <gmock/gmock.h>

#include "report/generation/generate_report_sheets.h"
#include "report/model/page_reference_element.h"
#include "report/model/report_param.h"
#include "report/model/table_content.h"
#include "report/model/table_content_element.h"
#include "report/tests/generation/generation_fixture.h"

namespace generation_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// With half an em per character: a 12-point line is 42 high (34 + 8), a 16-point one 56 (45 + 11); rows
// are twice as high.
constexpr int kRow = 84;
constexpr int kTitleLine = 112;

class ContentGenerationTest : public model_test::ModelBase {
protected:
    void SetUp() override {
        ModelBase::SetUp();
        contentsSheet = NewSheet();
        first = NewSheet();
        second = NewSheet();
        contents = new CTableContentElement(&Manager());
        contents->SetOrigin(CPoint(100, -2800));
        contents->SetSize(CSize(1900, 2600));
        contentsSheet->Add(contents);
        model_test::WriteReport(Manager());
    }
    CTableContent* Node(const std::string& title, std::vector<CReportSheet*> sheets, CTableContent* parent = nullptr) {
        auto* node = new CTableContent(&Manager());
        node->SetTitle(title);
        for (CReportSheet* sheet : sheets) node->AddSheet(sheet);
        if (parent)
            parent->AddChild(node);
        else
            Manager().GetTableContents().Add(node);
        return node;
    }
    // The elements generation added to a sheet (every element but its contents elements).
    static std::vector<CReportElement*> Added(CReportSheet* sheet) {
        std::vector<CReportElement*> out;
        for (CReportElement* e : sheet->GetElements())
            if (e->GetKind() != kElemTableContent) out.push_back(e);
        return out;
    }
    static CReportSheet* TargetOf(CReportElement* e) {
        auto* reference = dynamic_cast<CPageReferenceElement*>(e);
        return reference ? reference->GetTarget() : nullptr;
    }
    // Expects one row of the three cells at y with that indent, text and page.
    void ExpectRow(const std::vector<CReportElement*>& cells, size_t at, int y, int indent, const std::string& text,
                   CReportSheet* target, int rowHeight = kRow) {
        SCOPED_TRACE(text);
        ASSERT_LT(at + 2, cells.size());
        CReportElement* gap = cells[at];
        CReportElement* title = cells[at + 1];
        CReportElement* page = cells[at + 2];
        EXPECT_EQ(gap->GetKind(), kElemRect);
        EXPECT_EQ(gap->GetOrigin(), CPoint(100, y));
        EXPECT_EQ(gap->GetSize(), CSize(indent, rowHeight));
        EXPECT_EQ(gap->GetTextValue().GetText(), "");
        EXPECT_EQ(gap->GetTextValue().GetAlign(), kAlignLeft | kAlignVCenter);
        EXPECT_EQ(title->GetKind(), kElemRect);
        EXPECT_EQ(title->GetOrigin(), CPoint(100 + indent, y));
        EXPECT_EQ(title->GetSize(), CSize(2000 - 300 - 100 - indent, rowHeight));
        EXPECT_EQ(title->GetTextValue().GetText(), text);
        EXPECT_EQ(title->GetTextValue().GetAlign(), kAlignLeft | kAlignVCenter);
        EXPECT_EQ(page->GetKind(), kElemPageReference);
        EXPECT_EQ(page->GetOrigin(), CPoint(1700, y));
        EXPECT_EQ(page->GetSize(), CSize(300, rowHeight));
        EXPECT_EQ(page->GetTextValue().GetAlign(), kAlignRight | kAlignVCenter);
        EXPECT_EQ(TargetOf(page), target);
        for (CReportElement* e : {gap, title, page}) EXPECT_EQ(e->GetLineWidth(), 0);
    }
    // Writes the report and checks that the store holds no instance that nothing reaches.
    void ExpectCleanStore() {
        model_test::WriteReport(Manager());
        Manager().Update(true);
        const std::string path = files / "report.zorrep";
        ASSERT_TRUE(Store().SaveToFile(path.c_str()));
        const IntegrityReport integrity = CheckReportFile(path);
        EXPECT_TRUE(integrity.Clean()) << integrity.Describe();
    }
    void ClearNodes() {
        for (CTableContent* node : Manager().GetTableContents()) delete node;
        Manager().GetTableContents().RemoveAll();
    }
    int LiveSheetInstances() {
        CzorTAggr<CzorInstance> sheets;
        Store().GetEntityExtent(S().e_zor_report_sheet, sheets);
        return sheets.GetSize();
    }

    CFixedTextMeasurer measurer;
    CScopedTextMeasurer scopedMeasurer{measurer};
    zor::test::ScopedTempDir files;
    CReportSheet* contentsSheet = nullptr;
    CReportSheet* first = nullptr;
    CReportSheet* second = nullptr;
    CTableContentElement* contents = nullptr;
};

TEST_F(ContentGenerationTest, RowsIndentsAndPageReferencesOfTheTree) {
    CTableContent* a = Node("Раздел первый", {first});
    Node("Группа", {second, first}, a);
    CTableContent* b = Node("", {});
    Node("Вложенная", {second}, b);
    ASSERT_TRUE(contents->GenContent());
    EXPECT_THAT(messages.Texts(), IsEmpty());

    const std::vector<CReportElement*> cells = Added(contentsSheet);
    ASSERT_EQ(cells.size(), 1u + 3 * 3);
    CReportElement* heading = cells[0];
    EXPECT_EQ(heading->GetOrigin(), CPoint(100, -200 - kTitleLine));
    EXPECT_EQ(heading->GetSize(), CSize(1900, kTitleLine));
    EXPECT_EQ(heading->GetTextValue().GetText(), "Содержание");
    EXPECT_EQ(heading->GetTextValue().GetAlign(), kAlignDefault);
    EXPECT_EQ(heading->GetTextValue().GetFont().lfHeight, 160);
    EXPECT_EQ(heading->GetLineWidth(), 0);
    int y = -200 - kTitleLine - kRow;
    ExpectRow(cells, 1, y, 50, "Раздел первый", first);
    ExpectRow(cells, 4, y - kRow, 100, "Группа", second);
    // The node without a title gives no row; its child goes one level deeper all the same.
    ExpectRow(cells, 7, y - 2 * kRow, 100, "Вложенная", second);
    EXPECT_EQ(cells[8]->GetTextValue().GetFont().lfHeight, 120);
    EXPECT_EQ(contents->GetContentTitle().GetLevelCount(), 2);

    // The contents page itself joins the tree.
    ASSERT_EQ(Manager().GetTableContents().GetSize(), 3);
    const CTableContent* self = Manager().GetTableContents().GetAt(2);
    EXPECT_EQ(self->GetTitle(), "Содержание");
    EXPECT_THAT(std::vector<CReportSheet*>(self->GetSheets().begin(), self->GetSheets().end()),
                ElementsAre(contentsSheet));
    EXPECT_EQ(Manager().GetSheetCount(), 3);
    EXPECT_EQ(contents->GetContentSheet(), nullptr);
    ExpectCleanStore();
}

TEST_F(ContentGenerationTest, LevelsWithoutIndentAndTitlesOfSeveralLines) {
    contents->SetTitle("");
    contents->GetContentTitle().AddLevel()->SetIndent(0.0);
    CTableContent* top = Node("Без отступа", {first});
    Node("Первая строка\nВторая строка\nТретья строка", {second}, top);
    ASSERT_TRUE(contents->GenContent());
    const std::vector<CReportElement*> cells = Added(contentsSheet);
    // The level with indent 0 gives no row; the child's title gives three rows, one page reference target.
    ASSERT_EQ(cells.size(), 9u);
    ExpectRow(cells, 0, -200 - kRow, 50, "Первая строка", second);
    ExpectRow(cells, 3, -200 - 2 * kRow, 50, "Вторая строка", nullptr);
    ExpectRow(cells, 6, -200 - 3 * kRow, 50, "Третья строка", nullptr);
    // Without a title the contents page is not an entry of its own.
    EXPECT_EQ(Manager().GetTableContents().GetSize(), 1);
}

// Two one-line rows need 84 each and room for twice that: the second stays at a height of exactly 252
// and moves to a new sheet, right after the contents sheet, at one tenth of a millimetre less.
struct RoomCase {
    int height;
    bool moves;
};

class ContentRoomTest : public ContentGenerationTest, public ::testing::WithParamInterface<RoomCase> {};

TEST_P(ContentRoomTest, ARowMovesOnOnlyWhenItNeedsMoreThanIsLeft) {
    const int height = GetParam().height;
    contents->SetTitle("");
    contents->SetOrigin(CPoint(100, -200 - height));
    contents->SetSize(CSize(1900, height));
    Node("Первый", {first});
    Node("Второй", {second});
    ASSERT_TRUE(contents->GenContent());
    EXPECT_THAT(messages.Texts(), IsEmpty());
    if (!GetParam().moves) {
        EXPECT_EQ(Manager().GetSheetCount(), 3);
        const std::vector<CReportElement*> cells = Added(contentsSheet);
        ASSERT_EQ(cells.size(), 6u);
        ExpectRow(cells, 0, -200 - kRow, 50, "Первый", first);
        ExpectRow(cells, 3, -200 - 2 * kRow, 50, "Второй", second);
        return;
    }
    ASSERT_EQ(Manager().GetSheetCount(), 4);
    CReportSheet* clone = Manager().GetSheet(1);
    EXPECT_EQ(Manager().GetSheet(2), first);
    EXPECT_EQ(clone->GetName(), "Лист2");
    EXPECT_EQ(first->GetName(), "Лист3");
    ExpectRow(Added(contentsSheet), 0, -200 - kRow, 50, "Первый", first);
    const std::vector<CReportElement*> moved = Added(clone);
    ASSERT_EQ(moved.size(), 3u);
    ExpectRow(moved, 0, -200 - kRow, 50, "Второй", second);
    ExpectCleanStore();
}

INSTANTIATE_TEST_SUITE_P(Heights, ContentRoomTest, ::testing::Values(RoomCase{252, false}, RoomCase{251, true}));

TEST_F(ContentGenerationTest, EachOverflowInsertsItsSheetAfterThePreviousOne) {
    contents->SetTitle("");
    contents->SetOrigin(CPoint(100, -368));
    contents->SetSize(CSize(1900, 168));
    Node("Первый", {first});
    Node("Второй", {second});
    Node("Третий", {first});
    ASSERT_TRUE(contents->GenContent());
    ASSERT_EQ(Manager().GetSheetCount(), 5);
    EXPECT_EQ(Manager().GetSheet(0), contentsSheet);
    EXPECT_EQ(Manager().GetSheet(3), first);
    EXPECT_EQ(Manager().GetSheet(4), second);
    ExpectRow(Added(Manager().GetSheet(1)), 0, -200 - kRow, 50, "Второй", second);
    ExpectRow(Added(Manager().GetSheet(2)), 0, -200 - kRow, 50, "Третий", first);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Manager().GetSheet(i)->GetName(), "Лист" + std::to_string(i + 1));
    ExpectCleanStore();
}

// A failure shows its message and takes back every sheet it inserted, leaving nothing of them in the store.
TEST_F(ContentGenerationTest, AFailedLayoutTakesItsSheetsBack) {
    const std::string tooLow = "Не корректный шаблон. В элемент содержания не помещается ни одна строка.";
    const struct {
        const char* name;
        int height;
        std::vector<std::string> titles;
        std::vector<std::string> messages;
    } cases[] = {
        {"no room for one row anywhere", 100, {"Первый"}, {tooLow}},
        {"after a sheet that worked", 168, {"Первый", "Второй", "Три\nстроки\nзаголовка"}, {tooLow}},
        {"no entry at all", 2600, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        ClearNodes();
        contents->SetTitle("");
        contents->SetOrigin(CPoint(100, -200 - c.height));
        contents->SetSize(CSize(1900, c.height));
        for (const std::string& title : c.titles) Node(title, {first});
        EXPECT_FALSE(contents->GenContent());
        EXPECT_EQ(messages.Texts(), c.messages);
        ASSERT_EQ(Manager().GetSheetCount(), 3);
        EXPECT_EQ(Manager().GetSheet(1), first);
        EXPECT_EQ(first->GetName(), "Лист2");
        EXPECT_EQ(LiveSheetInstances(), 3);
        EXPECT_EQ(contents->GetContentSheet(), nullptr);
        ExpectCleanStore();
        // Rows laid out before the failure stay on the contents sheet, which the caller then removes.
        for (CReportElement* e : Added(contentsSheet)) DiscardElement(e);
    }
}

// Rows and the heading are measured in the fonts they are drawn with: a 36-point line is 254 high
// (102 + 25, twice that for a row). A title is broken to the cell it is drawn in: the element's 1900 less
// the first level's indent of 50 and the page numbers' width, less 30; at 36 points 28 characters fit in
// 1820 and 23 in 1520.
TEST_F(ContentGenerationTest, TextIsMeasuredInTheFontItIsDrawnWithAndBrokenToItsCell) {
    const struct {
        double numberWidth;  // millimetres
        const char* first;
        const char* second;
    } cases[] = {
        {0.0, "Итоги по всем филиалам и", "отделам"},
        {30.0, "Итоги по всем филиалам", "и отделам"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.numberWidth);
        ClearNodes();
        for (CReportElement* e : Added(contentsSheet)) DiscardElement(e);
        LOGFONT big = DefaultTextFont();
        big.lfHeight = 360;
        contents->SetTitleFont(big);
        contents->SetPageNumberWidth(c.numberWidth);
        if (contents->GetContentTitle().GetLevelCount() == 0) contents->GetContentTitle().AddLevel()->SetFont(big);
        Node("Итоги по всем филиалам и отделам", {first});
        ASSERT_TRUE(contents->GenContent());
        const std::vector<CReportElement*> cells = Added(contentsSheet);
        ASSERT_EQ(cells.size(), 1u + 2 * 3);
        EXPECT_EQ(cells[0]->GetSize(), CSize(1900, 254));
        EXPECT_EQ(cells[0]->GetTextValue().GetFont().lfHeight, 360);
        EXPECT_EQ(cells[1]->GetOrigin(), CPoint(100, -200 - 254 - 254));
        EXPECT_EQ(cells[1]->GetSize(), CSize(50, 254));
        const int cellWidth = 1900 - 50 - static_cast<int>(c.numberWidth * 10);
        EXPECT_EQ(cells[2]->GetSize(), CSize(cellWidth, 254));
        EXPECT_EQ(cells[2]->GetTextValue().GetText(), c.first);
        EXPECT_EQ(cells[5]->GetTextValue().GetText(), c.second);
        EXPECT_EQ(cells[5]->GetTextValue().GetFont().lfHeight, 360);
    }
}

}  // namespace
}  // namespace generation_test
