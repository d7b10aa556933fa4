// Sheets: the element list, selection, hit lists, frames, snapping, deleting and loading.
#include <optional>

#include "platform/settings/profile.h"
#include "platform/ui/outcome.h"
#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

class SheetTest : public ModelTest {};

// A continuation of a given table, as the continuation kind reports it.
class FakeContinuation : public CReportElement {
public:
    FakeContinuation(CFolivox* manager, CReportElement* table) : CReportElement(manager), m_table(table) {
        SetKind(kElemTableMap);
    }
    CReportElement* ContinuedTable() const override { return m_table; }

private:
    CReportElement* m_table;
};

TEST_F(SheetTest, AddNeverDuplicates) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {0, 0}, {10, 10});
    EXPECT_EQ(sheet->Add(e), 0);
    EXPECT_EQ(sheet->Add(nullptr), -1);
    EXPECT_EQ(sheet->GetElementCount(), 1);
    EXPECT_EQ(e->GetSheet(), sheet);
    EXPECT_EQ(CReportSheet::FindElement(&sheet->GetElements(), e), 0);
    EXPECT_EQ(CReportSheet::FindElement(nullptr, e), -1);
    EXPECT_EQ(CReportSheet::FindElement(&sheet->GetElements(), nullptr), -1);
    EXPECT_EQ(sheet->CreateReportElem({0, 0}, {1, 1}, 2), nullptr);
    EXPECT_EQ(sheet->CreateReportElem({0, 0}, {1, 1}, 42), nullptr);
}

// The sheet places and removes its own elements: Insert at a place in drawing order, Remove taking the
// object off (and out of the selection) while its stored element stays for whoever else lists it.
TEST_F(SheetTest, InsertAndRemove) {
    CReportSheet* sheet = NewSheet();
    CReportElement* a = NewRect(sheet, {0, 0}, {10, 10}, "a");
    auto* b = new CReportElement(&Manager());
    auto* c = new CReportElement(&Manager());
    EXPECT_EQ(sheet->Insert(0, b), 0);
    EXPECT_EQ(b->GetSheet(), sheet);
    EXPECT_EQ(sheet->Insert(7, c), 2);  // outside: appended
    EXPECT_EQ(sheet->Insert(0, a), 1);  // held already
    EXPECT_EQ(sheet->Insert(0, nullptr), -1);
    EXPECT_EQ(sheet->GetElement(0), b);
    EXPECT_EQ(sheet->GetElement(1), a);
    EXPECT_EQ(sheet->GetElement(2), c);

    a->Update(true);
    CzorInstance* stored = a->GetInstance();
    sheet->Select(a, 1);
    sheet->Remove(a);
    sheet->Remove(nullptr);
    EXPECT_EQ(sheet->GetElementCount(), 2);
    EXPECT_TRUE(sheet->GetSelection().IsEmpty());
    ASSERT_NE(stored, nullptr);
    EXPECT_FALSE(stored->IsDeleted());
}

TEST_F(SheetTest, SelectionModes) {
    CReportSheet* sheet = NewSheet();
    CReportElement* a = NewRect(sheet, {0, 0}, {10, 10});
    CReportElement* b = NewRect(sheet, {0, 0}, {10, 10});
    EXPECT_EQ(sheet->Select(nullptr, 1), -1);
    EXPECT_EQ(sheet->Select(a, 1), 1);
    EXPECT_EQ(sheet->Select(a, 1), 1);
    EXPECT_EQ(sheet->GetSelection().GetSize(), 1);
    EXPECT_EQ(sheet->Select(b, 2), 1);
    EXPECT_EQ(sheet->Select(b, 2), 0);
    EXPECT_EQ(b->GetSelected(), 0);
    EXPECT_EQ(sheet->GetSelection().GetSize(), 1);
    EXPECT_EQ(sheet->Select(b, 0), 0);
    EXPECT_EQ(sheet->Select(a, 0), 0);
    EXPECT_EQ(sheet->GetSelection().GetSize(), 0);
    EXPECT_EQ(sheet->Select(a, 5), 5);
    EXPECT_EQ(sheet->Select(a, 7), 7);  // another mode on a selected element changes its value only
    EXPECT_EQ(sheet->GetSelection().GetSize(), 1);
    // An element whose selected field disagrees with the list is still never listed twice.
    a->SetSelected(0);
    EXPECT_EQ(sheet->Select(a, 1), 0);
    EXPECT_EQ(sheet->GetSelection().GetSize(), 1);
    EXPECT_TRUE(sheet->UnselectAll());
    EXPECT_FALSE(sheet->UnselectAll());
    EXPECT_EQ(a->GetSelected(), 0);
}

TEST_F(SheetTest, UnselectAllEndsWhateverTheElementsSay) {
    CReportSheet* sheet = NewSheet();
    for (int i = 0; i < 5; ++i) sheet->Select(NewRect(sheet, {0, 0}, {10, 10}), 1);
    for (CReportElement* e : sheet->GetElements()) e->SetSelected(0);  // out of step with the list
    EXPECT_TRUE(sheet->UnselectAll());
    EXPECT_TRUE(sheet->GetSelection().IsEmpty());
}

TEST_F(SheetTest, TestElemListsTheFrontMostFirst) {
    CReportSheet* sheet = NewSheet();
    CReportElement* back = NewRect(sheet, {0, -100}, {100, 100});
    CReportElement* front = NewRect(sheet, {50, -100}, {100, 100});
    NewRect(sheet, {500, -100}, {100, 100});
    std::vector<CReportElement*> hits;
    sheet->TestElem(CPoint(75, -50), hits, 1.0);
    EXPECT_EQ(hits, (std::vector<CReportElement*>{front, back}));
}

TEST_F(SheetTest, SelectByFrameTakesOnlyWhatLiesWhollyInside) {
    CReportSheet* sheet = NewSheet();
    CReportElement* inside = NewRect(sheet, {10, -90}, {80, 80});
    CReportElement* edge = NewRect(sheet, {1, -99}, {98, 98});   // widened by 1: exactly the frame
    CReportElement* out = NewRect(sheet, {0, -100}, {100, 100});  // widened by 1: one unit outside
    CReportElement* line = NewLine(sheet, {80, -20}, {-60, -60});
    EXPECT_EQ(sheet->SelectByFrame(CPoint(100, 0), CSize(-100, -100), 1.0), 1);
    EXPECT_EQ(inside->GetSelected(), 1);
    EXPECT_EQ(edge->GetSelected(), 1);
    EXPECT_EQ(out->GetSelected(), 0);
    EXPECT_EQ(line->GetSelected(), 1);
    sheet->UnselectAll();
    EXPECT_EQ(sheet->SelectByFrame(CPoint(1000, 0), CSize(10, -10), 1.0), 0);
}

TEST_F(SheetTest, SnappingToTheEdgesOfOtherElements) {
    CReportSheet* sheet = NewSheet();
    CReportElement* anchor = NewRect(sheet, {1000, -1000}, {500, 300});  // (1000,-1000)-(1500,-700)
    CReportElement* moving = NewRect(sheet, {0, 0}, {100, 100});
    struct Case {
        CRect r;
        bool snaps;
        unsigned side;
        CPoint shift;
    } cases[] = {
        {{1100, -730, 1200, -630}, true, kSnapBottom, {0, -30}},   // top corners near the bottom edge
        {{1100, -1140, 1200, -1030}, true, kSnapTop, {0, -30}},    // bottom corners near the top edge
        {{880, -900, 960, -800}, true, kSnapLeft, {-40, 0}},       // right corners near the left edge
        {{1549, -900, 1600, -800}, true, kSnapRight, {49, 0}},     // left corners near the right edge
        {{1550, -900, 1600, -800}, false, 0, {0, 0}},              // 50 away: outside the band
        {{2000, -2000, 2100, -1900}, false, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        CPoint shift(99, 99);
        unsigned side = 12345;
        CReportElement* hit = sheet->TestMoveRect(moving, c.r, shift, side, 1.0);
        EXPECT_EQ(hit, c.snaps ? anchor : nullptr) << c.r.left << "," << c.r.top;
        EXPECT_EQ(shift, c.shift) << c.r.left << "," << c.r.top;
        EXPECT_EQ(side, c.snaps ? c.side : 12345u);
    }
    // The moving element never snaps to itself.
    CPoint shift;
    unsigned side = 0;
    EXPECT_EQ(sheet->TestMoveRect(anchor, CRect(1100, -730, 1200, -630), shift, side, 1.0), nullptr);
    // A larger stick size reaches further.
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "StickSize", 10));
    EXPECT_EQ(sheet->TestMoveRect(moving, CRect(1550, -900, 1600, -800), shift, side, 1.0), anchor);
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "StickSize", 5));
}

TEST_F(SheetTest, DeleteAsksAndTakesTheInstancesAlong) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {0, 0}, {10, 10}, "x");
    sheet->Update(true);
    CzorInstance* value = e->GetTextValue().GetInstance();
    messages.QueueAnswer(IDNO);
    sheet->DeleteElement(e, true);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], "Вы действительно желаете удалить выделенный элемент?");
    EXPECT_EQ(messages.Messages()[0].type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(sheet->GetElementCount(), 1);
    EXPECT_FALSE(value->IsDeleted());
    sheet->Select(e, 1);
    messages.QueueAnswer(IDYES);
    sheet->DeleteElement(e, true);
    EXPECT_EQ(sheet->GetElementCount(), 0);
    EXPECT_TRUE(sheet->GetSelection().IsEmpty());
    EXPECT_TRUE(value->IsDeleted());
    sheet->DeleteElement(nullptr, true);
    EXPECT_EQ(messages.Texts().size(), 2u);
}

TEST_F(SheetTest, DeletingATableTakesItsContinuations) {
    CReportSheet* first = NewSheet();
    CReportSheet* second = NewSheet();
    CReportSheet* third = NewSheet();
    NewRect(third, {0, 0}, {5, 5});
    third->UnselectAll();
    third->FreeElements();  // an unloaded sheet is searched and left unloaded
    CReportElement* table = first->CreateReportElem({0, 0}, {100, 100}, kElemRect);
    table->SetKind(kElemTable);
    first->Add(table);
    ASSERT_EQ(Manager().GetTables().GetSize(), 1);
    auto* c1 = new FakeContinuation(&Manager(), table);
    auto* c2 = new FakeContinuation(&Manager(), table);
    auto* unrelated = new FakeContinuation(&Manager(), nullptr);
    second->Add(c1);
    second->Add(unrelated);
    first->Add(c2);

    messages.QueueAnswer(IDYES);
    messages.QueueAnswer(IDNO);
    first->DeleteElement(table, true);
    EXPECT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[1], "Таблица имеет продолжение на другис листах. Удалить таблицу и все ее продолжения?");
    EXPECT_EQ(first->GetElementCount(), 2);  // refused: nothing deleted
    EXPECT_EQ(second->GetElementCount(), 2);
    EXPECT_TRUE(third->IsLoaded());  // loaded for the search, and left so
    third->UnselectAll();
    third->FreeElements();

    messages.QueueAnswer(IDYES);
    messages.QueueAnswer(IDYES);
    first->DeleteElement(table, true);
    EXPECT_EQ(first->GetElementCount(), 0);
    EXPECT_EQ(second->GetElementCount(), 1);
    EXPECT_EQ(second->GetElement(0), unrelated);
    EXPECT_EQ(Manager().GetTables().GetSize(), 0);
    EXPECT_FALSE(third->IsLoaded());
    EXPECT_TRUE(second->IsLoaded());
}

// The caller answers the questions: a fixed answer asks no box, a no leaves the table and its continuation,
// and no confirm at all deletes without a question.
TEST_F(SheetTest, DeleteAsksTheCallersConfirm) {
    const struct {
        const char* name;
        std::optional<bool> answer;
        std::vector<std::string> questions;
        int left;
    } cases[] = {
        {"no", false, {"Вы действительно желаете удалить выделенный элемент?"}, 2},
        {"yes",
         true,
         {"Вы действительно желаете удалить выделенный элемент?",
          "Таблица имеет продолжение на другис листах. Удалить таблицу и все ее продолжения?"},
         0},
        {"not asked", std::nullopt, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CReportSheet* first = NewSheet();
        CReportSheet* second = NewSheet();
        CReportElement* table = first->CreateReportElem({0, 0}, {100, 100}, kElemRect);
        table->SetKind(kElemTable);
        first->Add(table);
        second->Add(new FakeContinuation(&Manager(), table));
        zor::FixedConfirm fixed(c.answer.value_or(false));
        first->DeleteElement(table, c.answer ? &fixed : nullptr);
        EXPECT_EQ(fixed.Questions(), c.questions);
        EXPECT_EQ(first->GetElementCount() + second->GetElementCount(), c.left);
        EXPECT_TRUE(messages.Texts().empty());
    }
}

TEST_F(SheetTest, FreeAndLoadGiveBackTheSameElementsInOrder) {
    CReportSheet* sheet = NewSheet();
    NewRect(sheet, {0, -10}, {10, 10}, "a");
    NewLine(sheet, {0, 0}, {30, -40});
    NewRect(sheet, {20, -10}, {10, 10}, "c");
    sheet->Select(sheet->GetElement(1), 1);
    sheet->FreeElements();
    EXPECT_FALSE(sheet->IsLoaded());
    EXPECT_EQ(sheet->GetElementCount(), 0);
    EXPECT_TRUE(sheet->GetSelection().IsEmpty());  // no freed element stays selected
    EXPECT_TRUE(sheet->LoadElementsFromFile());
    EXPECT_TRUE(sheet->IsLoaded());
    ASSERT_EQ(sheet->GetElementCount(), 3);
    EXPECT_EQ(sheet->GetElement(0)->GetTextValue().GetText(), "a");
    EXPECT_EQ(sheet->GetElement(1)->GetKind(), kElemLine);
    EXPECT_EQ(sheet->GetElement(1)->GetSize(), CSize(30, -40));
    EXPECT_EQ(sheet->GetElement(2)->GetTextValue().GetText(), "c");
    EXPECT_TRUE(sheet->LoadElementsFromFile());  // already loaded: nothing changes
    EXPECT_EQ(sheet->GetElementCount(), 3);
}

TEST_F(SheetTest, WritingAnUnloadedSheetKeepsItsElements) {
    CReportSheet* sheet = NewSheet();
    NewRect(sheet, {0, -10}, {10, 10}, "a");
    sheet->FreeElements();
    sheet->SetName("Другое имя");
    sheet->Update(true);  // as a save writes every sheet
    sheet->LoadElementsFromFile();
    ASSERT_EQ(sheet->GetElementCount(), 1);
    EXPECT_EQ(sheet->GetElement(0)->GetTextValue().GetText(), "a");
}

TEST_F(SheetTest, ReadingWithoutInstanceTouchesNothing) {
    CReportSheet sheet(&Manager());
    auto* e = new CReportElement(&Manager());
    e->SetOrigin(CPoint(3, 4));
    sheet.Add(e);
    sheet.SetSize(CSize(11, 12));
    sheet.Update(false);
    EXPECT_EQ(e->GetOrigin(), CPoint(3, 4));
    EXPECT_EQ(sheet.GetSize(), CSize(11, 12));
    EXPECT_EQ(sheet.Draw(nullptr, 1.0), 0);
}

TEST_F(SheetTest, SheetStoreShapeAndGeometry) {
    CReportSheet* sheet = NewSheet();
    sheet->SetType(3);
    NewRect(sheet, {0, 0}, {1, 1});
    sheet->Update(true);
    CzorInstance* instance = sheet->GetInstance();
    ASSERT_NE(instance, nullptr);
    std::string name;
    int type = 0;
    EXPECT_TRUE(Store().GetAttr(instance, S().zor_report_sheet_element_name, name));
    EXPECT_EQ(name, "Лист1");
    EXPECT_TRUE(Store().GetAttr(instance, S().zor_report_sheet_type, type));
    EXPECT_EQ(type, 3);
    CSize size;
    EXPECT_EQ(Manager().GetPoint(instance, S().zor_report_sheet_element_size, size), 1);
    EXPECT_EQ(size, CSize(2100, 2970));

    CReportSheet reread(&Manager());
    reread.SetInstance(instance);
    reread.Update(false);
    EXPECT_EQ(reread.GetSize(), CSize(2100, 2970));
    EXPECT_EQ(reread.GetType(), 3);
    EXPECT_EQ(reread.GetName(), "");  // names come from positions

    sheet->SetOrgPt(CPoint(10, 20));
    EXPECT_EQ(sheet->SetOrgPt(CPoint(30, 40)), CPoint(10, 20));
    EXPECT_EQ(sheet->GetOrgPt(), CPoint(30, -40));
    EXPECT_EQ(sheet->GetRect(0.5), CRect(15, 20, 1065, 1505));
    sheet->SetRect(CRect(1, 2, 101, 202));
    EXPECT_EQ(sheet->GetSize(), CSize(100, 200));
}

}  // namespace
}  // namespace model_test
