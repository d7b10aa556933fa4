// A section edited through every dialog the section dialog reaches, then cancelled or confirmed, saved and
// read back: the file holds no orphan instance and no reference to a deleted one, and a cancelled edit
// saves byte for byte what was there.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/base/file_io.h"
#include "platform/ui/messages.h"
#include "report/dialogs/condition_logic.h"
#include "report/dialogs/field_setup_logic.h"
#include "report/dialogs/group_sort_logic.h"
#include "report/dialogs/section_dialog_logic.h"
#include "report/tests/generation/report_integrity.h"
#include "report/tests/generation/template_builder.h"
#include "report/tests/model/model_fixture.h"

namespace {

using generation_test::CheckReportText;
using generation_test::TemplateBuilder;

std::string ReadText(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(zor::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

// The file from its DATA section on: the header names the file and the time of saving.
std::string DataOf(const std::string& file) {
    const size_t at = file.find("\nDATA;\n");
    return at == std::string::npos ? file : file.substr(at);
}

class SectionDialogRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(builder.Ready());
        dir = std::filesystem::temp_directory_path() /
              ("qm_section_rt_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        CReportSheet* sheet = builder.AddSheet();
        table = builder.AddTable(sheet, CPoint(100, -100), CSize(1800, 1200));
        CHeaderColumn* dept = builder.Column("Отдел");
        CHeaderColumn* sum = builder.Column("Сумма");
        CHeaderColumn* city = builder.Column("Город");
        section = new CReportSection(&builder.Manager());
        section->SetName("Сотрудники");
        section->GetTitle().SetText("Список");
        CSectionLevel* main = builder.Level(80, {TemplateBuilder::FieldColumn(dept, 500), TemplateBuilder::FieldColumn(sum, 300),
                                                 TemplateBuilder::FieldColumn(city, 300)});
        main->m_Name = "Основной";
        CSectionLevel* extra = builder.Level(60, {TemplateBuilder::TextColumn("Итого", 500)});
        extra->m_Name = "Итог";
        section->GetLevels().Add(main);
        section->GetLevels().Add(extra);
        section->SetTitleColumn(main->m_Columns.GetAt(0));
        section->GetConditions().Add(TemplateBuilder::Condition(sum, 2, 10));
        section->GetConditions().Add(TemplateBuilder::Condition(dept, 1, "Склад"));
        for (CHeaderColumn* column : {dept, city}) {
            auto* group = new CGroupCol(&builder.Manager());
            group->m_pColumn = column;
            group->m_Name = column->GetName();
            CSectionLevel* title = builder.Level(50, {TemplateBuilder::FieldColumn(column, 400)});
            title->m_Name = "Заголовок";
            group->m_Rows.Add(title);
            CSectionLevel* closing = builder.Level(50, {TemplateBuilder::FieldColumn(sum, 400, 1)});
            closing->m_Name = "Подитог";
            group->m_LastRows.Add(closing);
            group->m_Conditions.Add(TemplateBuilder::Condition(sum, 0, 5));
            section->GetGroups().Add(group);
        }
        table->GetSections().Add(section);
        ASSERT_TRUE(builder.Save(Path("original.zordot")));
        original = ReadText(Path("original.zordot"));
        const auto report = CheckReportText(original);
        ASSERT_TRUE(report.Clean()) << report.Describe();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }

    // Removes a level, a column, a condition and a grouping column, adds a column, empties the other grouping
    // column's title lines and conditions, and picks another title column, each through its dialog's logic.
    void EditThroughSubDialogs() {
        {
            CFieldsDlgLogic fields(FieldsMode::kSectionLevels, section, nullptr);
            ASSERT_EQ(fields.DeleteLevel(1), 0);
            ASSERT_TRUE(fields.DeleteColumn(0, 1));
            ASSERT_EQ(fields.NewColumn(0,
                                       [](ColumnDlgValues& v) {
                                           v.name = "Новое";
                                           return true;
                                       }),
                      2);
            fields.Ok(0, 0);
        }
        sink.QueueAnswer(IDYES);
        ASSERT_TRUE(CConditionsDlgLogic(section->GetConditions()).Delete(0));
        {
            CGroupSortDlgLogic groups(section);
            ASSERT_TRUE(groups.RemoveGroup(0));
            std::vector<std::unique_ptr<CGroupCol>> removed;
            groups.Ok(removed);
            ASSERT_EQ(removed.size(), 1u);
        }
        CGroupCol* kept = section->GetGroups().GetAt(0);
        ASSERT_NE(kept, nullptr);
        {
            CFieldsDlgLogic titles(FieldsMode::kGroupTitles, nullptr, kept);
            ASSERT_EQ(titles.DeleteLevel(0), -1);
            titles.Ok(-1, -1);
        }
        sink.QueueAnswer(IDYES);
        ASSERT_TRUE(CConditionsDlgLogic(kept->m_Conditions).Delete(0));
        {
            CFieldsDlgLogic choose(FieldsMode::kChooseColumn, section, nullptr);
            choose.Ok(0, 1);
            ASSERT_NE(choose.Chosen(), nullptr);
            dialog->SetTitleColumn(choose.Chosen());
        }
        dialog->m_Name = "Отделы";
    }

    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    TemplateBuilder builder;
    std::filesystem::path dir;
    CTableElement* table = nullptr;
    CReportSection* section = nullptr;
    std::string original;
    std::unique_ptr<CSectionDlgLogic> dialog;
};

TEST_F(SectionDialogRoundTrip, CancelRestoresTheSectionAndSavesTheSameBytes) {
    dialog = std::make_unique<CSectionDlgLogic>(section);
    EditThroughSubDialogs();
    dialog->Cancel();
    dialog.reset();
    ASSERT_EQ(table->GetSections().GetAt(0), section);
    EXPECT_EQ(section->GetLevels().GetSize(), 2);
    EXPECT_EQ(section->GetConditions().GetSize(), 2);
    EXPECT_EQ(section->GetGroups().GetSize(), 2);
    ASSERT_NE(section->GetTitleColumn(), nullptr);
    EXPECT_EQ(section->GetTitleColumn(), section->GetLevels().GetColumn(0, 0));
    ASSERT_TRUE(builder.Save(Path("cancelled.zordot")));
    const std::string cancelled = ReadText(Path("cancelled.zordot"));
    const auto report = CheckReportText(cancelled);
    EXPECT_TRUE(report.Clean()) << report.Describe();
    EXPECT_EQ(DataOf(cancelled), DataOf(original));
}

TEST_F(SectionDialogRoundTrip, ConfirmedEditsLeaveNoOrphanAndReadBack) {
    dialog = std::make_unique<CSectionDlgLogic>(section);
    EditThroughSubDialogs();
    dialog->Ok();
    dialog.reset();
    EXPECT_TRUE(sink.Texts().empty() || sink.Texts().back() != "Не задано поле для отображения заголовка секции.");
    ASSERT_TRUE(builder.Save(Path("confirmed.zordot")));
    const std::string confirmed = ReadText(Path("confirmed.zordot"));
    const auto report = CheckReportText(confirmed);
    EXPECT_TRUE(report.Clean()) << report.Describe();

    model_test::AttachedModel model;
    ASSERT_TRUE(model.loaded);
    ASSERT_TRUE(model.store.LoadFromFile(Path("confirmed.zordot").c_str()));
    const CReportSchema& s = model.manager.Schema();
    CzorTAggr<CzorInstance> sheets;
    model.store.GetAttr(FirstOfExtent(model.store, s.e_zor_report), s.zor_report_sheets, sheets);
    model_test::ReadSheets(model.manager, sheets);
    ASSERT_EQ(model.manager.GetTables().GetSize(), 1);
    auto* read = dynamic_cast<CTableElement*>(model.manager.GetTables().GetAt(0));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->GetSections().GetSize(), 1);
    const CReportSection* back = read->GetSections().GetAt(0);
    EXPECT_EQ(back->GetName(), "Отделы");
    ASSERT_EQ(back->GetLevels().GetSize(), 1);
    std::vector<std::string> names;
    for (const CColumn* column : back->GetLevels().GetAt(0)->m_Columns) names.push_back(column->m_Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Отдел", "Город", "Новое"}));
    ASSERT_NE(back->GetTitleColumn(), nullptr);
    EXPECT_EQ(back->GetTitleColumn()->m_Name, "Город");
    EXPECT_EQ(back->GetConditions().GetSize(), 1);
    ASSERT_EQ(back->GetGroups().GetSize(), 1);
    EXPECT_EQ(back->GetGroups().GetAt(0)->m_Rows.GetSize(), 0);
    EXPECT_EQ(back->GetGroups().GetAt(0)->m_LastRows.GetSize(), 1);
    EXPECT_EQ(back->GetGroups().GetAt(0)->m_Conditions.GetSize(), 0);
}

}  // namespace
