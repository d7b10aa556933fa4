// A section with every part written to a store, saved, loaded into a new store and read back equal; the
// same through its memory record; and read against headers that lost some of its columns.
#include "report/tests/sections/sections_fixture.h"

#include <memory>

#include "platform/tests/test_support.h"
#include "platform/zordata/clock.h"
#include "platform/zordata/zordata.h"
#include "report/model/mem_record.h"
#include "report/tests/model/record_bytes.h"

namespace sections_test {
namespace {

using SectionRoundTripTest = SectionTest;

// The section read from a saved file by a new manager, after its headers (with columns removed by name).
std::string ReadBack(const std::string& path, const std::vector<std::string>& dropColumns = {},
                     std::unique_ptr<CReportSection>* keep = nullptr, model_test::AttachedModel** keepModel = nullptr) {
    auto* model = new model_test::AttachedModel;
    EXPECT_TRUE(model->store.LoadFromFile(path.c_str())) << model->store.GetLastErrorDescription();
    ReadHeaders(model->manager);
    for (const std::string& name : dropColumns)
        for (CHeader* header : {model->manager.GetSelectHeader(), model->manager.GetResultSelectHeader()})
            if (header->Find(name) >= 0) header->RemoveAt(header->Find(name));
    CzorTAggr<CzorInstance> sections;
    model->store.GetEntityExtent(model->manager.Schema().e_zor_report_section, sections);
    EXPECT_EQ(sections.GetSize(), 1);
    auto section = std::make_unique<CReportSection>(&model->manager);
    section->SetInstance(sections.GetAt(0));
    section->Update(false);
    const std::string text = Describe(*section);
    if (keep && keepModel) {
        *keep = std::move(section);
        *keepModel = model;
    } else {
        section.reset();
        delete model;
    }
    return text;
}

TEST_F(SectionRoundTripTest, EveryPartThroughASavedFile) {
    zor::ScopedClock clock([] { return std::time_t(1709640000); });  // both saves carry one time stamp
    std::unique_ptr<CReportSection> section(BuildFullSection());
    WriteHeaders();
    section->Update(true);
    const std::string description = Describe(*section);
    // The description really holds every part.
    for (const char* part : {"kind 1", "kind 2", "kind 3", "kind 4", "const 'руб.'", "level 1", "link 32", "link 16",
                             "group 'Отдел' on 'Отдел' first row 1", "group 'Город' on 'Город'", " closing level",
                             " title level", " group condition", "sort 'Дата'", "sort 'Количество'", "title column 0:4",
                             "show empty lines 0", "source 'Дата'", "rows 3", "fit 1", "'Courier New'", "'Times New Roman'"})
        EXPECT_NE(description.find(part), std::string::npos) << part;

    zor::test::ScopedTempDir dir;
    const std::string path = dir / "section.zordot";
    ASSERT_TRUE(Store().SaveToFile(path.c_str())) << Store().GetLastErrorDescription();
    EXPECT_EQ(ReadBack(path), description);

    // Written again with no change: the same instances, the same file.
    const int live = Store().GetInstanceCount();
    section->Update(true);
    EXPECT_EQ(Store().GetInstanceCount(), live);
    const std::string first = zor::test::Slurp(path);
    ASSERT_TRUE(Store().SaveToFile(path.c_str()));
    EXPECT_EQ(zor::test::Slurp(path), first);
}

TEST_F(SectionRoundTripTest, ColumnsMissingFromTheHeaders) {
    std::unique_ptr<CReportSection> section(BuildFullSection());
    WriteHeaders();
    section->Update(true);
    zor::test::ScopedTempDir dir;
    const std::string path = dir / "section.zordot";
    ASSERT_TRUE(Store().SaveToFile(path.c_str()));

    std::unique_ptr<CReportSection> back;
    model_test::AttachedModel* model = nullptr;
    const std::string text = ReadBack(path, {"Город", "Дата"}, &back, &model);
    std::unique_ptr<model_test::AttachedModel> owner(model);
    EXPECT_NE(text.find("group 'Город' on '-'"), std::string::npos);
    EXPECT_NE(text.find("sort '-'"), std::string::npos);
    EXPECT_NE(text.find("column 'Дата' const '' width 300 level 0 align 12 border 1 fit 0 kind 0 rows 1 source '-'"),
              std::string::npos);

    // Generation is told the template is wrong instead of following a missing column.
    SetRows(model->manager.GetDataSource(), {"Отдел", "Город", "Сумма", "Количество", "Дата"},
            {{std::string("A"), std::string("x"), 1.0, 1, std::string("1")}});
    CColumnIndexArray columns;
    EXPECT_FALSE(back->GetSortColumns(model->manager.GetDataSource(), columns));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Не корректный шаблон"});
    CTableRowArray rows;
    EXPECT_FALSE(back->GetRowsInGroup(model->manager.GetDataSource(), back->GetGroups().GetAt(1), 0, rows));
    EXPECT_TRUE(back->GetRowsInGroup(model->manager.GetDataSource(), back->GetGroups().GetAt(0), 0, rows));

    // Written back, the missing columns are no references (a missing sort column is left out) and nothing
    // else changes.
    std::string expected = Describe(*back);
    expected.erase(expected.find("sort '-'\n"), 9);
    back->Update(true);
    CzorInstance* column = nullptr;
    EXPECT_FALSE(model->store.GetAttr(back->GetGroups().GetAt(1)->m_pInstance, model->manager.Schema().zor_group_col_column, column));
    CzorTAggr<CzorInstance> sorts;
    EXPECT_TRUE(model->store.GetAttr(back->GetInstance(), model->manager.Schema().zor_report_section_sorts, sorts));
    EXPECT_EQ(sorts.GetSize(), 1);
    CReportSection reread(&model->manager);
    reread.SetInstance(back->GetInstance());
    reread.Update(false);
    EXPECT_EQ(Describe(reread), expected);
}

TEST_F(SectionRoundTripTest, EveryCarriedPartThroughTheMemoryRecord) {
    std::unique_ptr<CReportSection> section(BuildFullSection());
    const std::vector<uint8_t> bytes = model_test::Record(*section);
    EXPECT_EQ(static_cast<int>(bytes.size()), section->GetMemSize());
    int expected = 8 + static_cast<int>(section->GetName().size()) + section->GetTitle().GetMemSize();
    for (const CSectionLevel* level : section->GetLevels()) {
        int size = 16 + static_cast<int>(level->m_Name.size());
        for (const CColumn* column : level->m_Columns)
            size += 40 + static_cast<int>(column->m_Name.size() + column->m_TextConst.size());
        EXPECT_EQ(level->GetMemSize(), size);
        expected += size;
    }
    EXPECT_EQ(section->GetMemSize(), expected);

    CReportSection pasted(&Manager());
    CRecordReader in(bytes);
    ASSERT_TRUE(pasted.LoadDataFromMem(in));
    EXPECT_EQ(in.Position(), bytes.size());
    EXPECT_EQ(Describe(pasted, View::kRecord), Describe(*section, View::kRecord));
    // The record carries no store instance, data-source column, condition, group, sort or title column.
    EXPECT_TRUE(InstancesOf(Manager(), pasted).empty());
    EXPECT_EQ(pasted.GetLevels().GetColumn(0, 0)->m_pColumn, nullptr);
    EXPECT_EQ(pasted.GetConditions().GetSize(), 0);
    EXPECT_EQ(pasted.GetGroups().GetSize(), 0);
    EXPECT_EQ(pasted.GetSorts().GetSize(), 0);
    EXPECT_EQ(pasted.GetTitleColumn(), nullptr);
    EXPECT_EQ(pasted.GetShowEmptyLines(), 1);
    EXPECT_EQ(pasted.GetLevels().GetAt(0)->m_pManager, &Manager());

    // Pasted and written, it reads back as what was pasted.
    pasted.Update(true);
    CReportSection back(&Manager());
    back.SetInstance(pasted.GetInstance());
    back.Update(false);
    EXPECT_EQ(Describe(back), Describe(pasted));
}

}  // namespace
}  // namespace sections_test
