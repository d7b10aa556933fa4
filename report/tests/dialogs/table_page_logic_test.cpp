// The table page's section buttons and the table choice, on a template with a store: each change is made at
// once and turns the dialog's Cancel off, copies get store instances of their own, a deleted section leaves
// nothing in the saved file, and the table choice offers the tables of sheets that are not loaded.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/file_io.h"
#include "platform/ui/messages.h"
#include "report/dialogs/table_choice.h"
#include "report/dialogs/table_page_logic.h"
#include "report/tests/generation/report_integrity.h"
#include "report/tests/generation/template_builder.h"

namespace {

using generation_test::TemplateBuilder;
using Names = std::vector<std::string>;

class TablePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(builder.Ready());
        sheet = builder.AddSheet();
        table = builder.AddTable(sheet, CPoint(100, -100), CSize(1800, 1200));
        table->SetName("Таблица");
        for (const char* name : {"Первая", "Вторая", "Третья"}) {
            auto* section = new CReportSection(&builder.Manager());
            section->SetName(name);
            CSectionLevel* level = builder.Level(80, {TemplateBuilder::FieldColumn(builder.Column("Отдел"), 500)});
            level->m_Name = "Основной";
            section->GetLevels().Add(level);
            section->GetConditions().Add(TemplateBuilder::Condition(builder.Column("Отдел"), 0, "Склад"));
            table->GetSections().Add(section);
        }
        path = (std::filesystem::temp_directory_path() /
                ("qm_table_page_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".zordot"))
                   .string();
        ASSERT_TRUE(builder.Save(path));
    }
    void TearDown() override { std::filesystem::remove(path); }
    // The section dialog ending with OK after renaming the section, or with Cancel.
    static SectionRunner Answer(const char* name, int* runs = nullptr) {
        return [=](CReportSection* section) {
            if (runs) ++*runs;
            if (!name) return false;
            section->SetName(name);
            return true;
        };
    }
    generation_test::IntegrityReport Saved() {
        EXPECT_TRUE(builder.Save(path));
        std::string text;
        EXPECT_TRUE(zor::ReadWholeFile(path, text));
        return generation_test::CheckReportText(text);
    }

    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    TemplateBuilder builder;
    CReportSheet* sheet = nullptr;
    CTableElement* table = nullptr;
    std::string path;
};

TEST_F(TablePageTest, EveryChangeTurnsCancelOffAndNothingElseDoes) {
    const struct {
        const char* name;
        std::function<int(CTablePageLogic&)> act;
        int row;  // the row selected afterwards, -1 for no change
        Names sections;
    } cases[] = {
        {"create", [](CTablePageLogic& p) { return p.Create(Answer("Новая")); }, 3,
         {"Первая", "Вторая", "Третья", "Новая"}},
        {"create cancelled", [](CTablePageLogic& p) { return p.Create(Answer(nullptr)); }, -1,
         {"Первая", "Вторая", "Третья"}},
        {"copy", [](CTablePageLogic& p) { return p.Copy(1, Answer("Копия")); }, 3,
         {"Первая", "Вторая", "Третья", "Копия"}},
        {"copy cancelled", [](CTablePageLogic& p) { return p.Copy(1, Answer(nullptr)); }, -1,
         {"Первая", "Вторая", "Третья"}},
        {"properties", [](CTablePageLogic& p) { return p.Edit(0, Answer("Иная")); }, 0, {"Иная", "Вторая", "Третья"}},
        {"properties cancelled", [](CTablePageLogic& p) { return p.Edit(0, Answer(nullptr)); }, -1,
         {"Первая", "Вторая", "Третья"}},
        {"up", [](CTablePageLogic& p) { return p.Move(2, -1); }, 1, {"Первая", "Третья", "Вторая"}},
        {"down", [](CTablePageLogic& p) { return p.Move(0, +1); }, 1, {"Вторая", "Первая", "Третья"}},
        {"first up", [](CTablePageLogic& p) { return p.Move(0, -1); }, -1, {"Первая", "Вторая", "Третья"}},
        {"last down", [](CTablePageLogic& p) { return p.Move(2, +1); }, -1, {"Первая", "Вторая", "Третья"}},
        {"no row", [](CTablePageLogic& p) { return p.Edit(-1, Answer("x")); }, -1, {"Первая", "Вторая", "Третья"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case on the table as it was.
        std::vector<std::string> before;
        CSectionArray saved;
        for (CReportSection* s : table->GetSections()) {
            auto* copy = new CReportSection(s->GetManager());
            *copy = *s;
            saved.Add(copy);
        }
        CTablePageLogic page(table, 0);
        EXPECT_EQ(c.act(page), c.row);
        EXPECT_EQ(page.SectionNames(), c.sections);
        EXPECT_EQ(page.SectionsChanged(), c.row >= 0);
        table->GetSections().RemoveAll();
        for (CReportSection* s : saved) table->GetSections().Add(s);
        saved.Clear();
    }
}

TEST_F(TablePageTest, ACopyHasStoreInstancesOfItsOwn) {
    CTablePageLogic page(table, 0);
    ASSERT_EQ(page.Copy(0, Answer("Копия")), 3);
    const CReportSection* source = table->GetSections().GetAt(0);
    const CReportSection* copy = table->GetSections().GetAt(3);
    EXPECT_EQ(copy->GetInstance(), nullptr);
    EXPECT_EQ(copy->GetLevels().GetAt(0)->m_pInstance, nullptr);
    EXPECT_EQ(copy->GetConditions().GetAt(0)->m_pInstance, nullptr);
    EXPECT_EQ(source->GetName(), "Первая");
    const auto report = Saved();
    EXPECT_TRUE(report.Clean()) << report.Describe();
    EXPECT_NE(copy->GetInstance(), nullptr);
    EXPECT_NE(copy->GetInstance(), source->GetInstance());
    EXPECT_NE(copy->GetLevels().GetAt(0)->m_pInstance, source->GetLevels().GetAt(0)->m_pInstance);
}

TEST_F(TablePageTest, DeletingAsksFirstAndLeavesNothingBehind) {
    CTablePageLogic page(table, 0);
    sink.QueueAnswer(IDNO);
    EXPECT_EQ(page.Delete(1), -1);
    EXPECT_FALSE(page.SectionsChanged());
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "Вы действительно желаете удалить выбранную секцию?");
    EXPECT_EQ(sink.Messages()[0].type, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    sink.QueueAnswer(IDYES);
    EXPECT_EQ(page.Delete(2), 1);
    EXPECT_TRUE(page.SectionsChanged());
    EXPECT_EQ(page.SectionNames(), (Names{"Первая", "Вторая"}));
    const auto report = Saved();
    EXPECT_TRUE(report.Clean()) << report.Describe();
}

TEST_F(TablePageTest, ApplyNeedsANameAndAReportKeepsTheSections) {
    CTablePageLogic page(table, 0);
    page.m_Name.clear();
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(sink.Texts(), (Names{"Не задано имя таблицы."}));
    page.m_Name = "Список";
    page.m_Font.lfHeight = 140;
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(table->GetName(), "Список");
    EXPECT_EQ(table->GetRowFont().lfHeight, 140);

    CTablePageLogic report(table, 1);
    EXPECT_TRUE(report.ReadOnly());
    int runs = 0;
    EXPECT_EQ(report.Create(Answer("x", &runs)), -1);
    EXPECT_EQ(report.Edit(0, Answer("x", &runs)), -1);
    EXPECT_EQ(report.Delete(0), -1);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(report.SectionNames().size(), 3u);
}

TEST_F(TablePageTest, AContinuationEditsItsTable) {
    CTableMapElement* map = builder.AddContinuation(builder.AddSheet(), table, CPoint(100, -100), CSize(1800, 600));
    CTablePageLogic page(map, 0);
    EXPECT_EQ(page.Table(), table);
    EXPECT_EQ(page.m_Name, "Таблица");
    EXPECT_EQ(page.SectionNames().size(), 3u);
}

TEST_F(TablePageTest, TheTableChoiceOffersTheTablesOfEverySheet) {
    CReportSheet* second = builder.AddSheet();
    CTableElement* other = builder.AddTable(second, CPoint(100, -100), CSize(900, 600));
    other->SetName("Вторая таблица");
    builder.AddText(second, CPoint(100, -800), CSize(500, 100), "текст");
    CTableElement* third = builder.AddTable(second, CPoint(100, -900), CSize(900, 600));
    third->SetName("Третья таблица");
    ASSERT_TRUE(builder.Save(path));
    second->FreeElements();  // a sheet not loaded now
    ASSERT_FALSE(second->IsLoaded());

    CSelectTableDlgLogic choice(&builder.Manager());
    ASSERT_TRUE(choice.CanOpen());
    EXPECT_EQ(choice.SheetNames().size(), 2u);
    EXPECT_EQ(choice.Tables(0), (std::vector<CTableElement*>{table}));
    EXPECT_EQ(choice.Tables(1), (std::vector<CTableElement*>{other, third}));
    EXPECT_TRUE(choice.Tables(2).empty());
    EXPECT_FALSE(choice.Ok(1, -1));
    EXPECT_EQ(sink.Texts(), (Names{"Не выбрана таблица."}));
    ASSERT_TRUE(choice.Ok(1, 1));
    EXPECT_EQ(choice.Chosen(), third);
    EXPECT_FALSE(CSelectTableDlgLogic(nullptr).CanOpen());
}

}  // namespace
