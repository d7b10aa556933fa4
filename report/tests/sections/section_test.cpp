// Sections: rows they yield, the section list, copies that get instances of their own, deletion and the
// sort keys of generation.
#include "report/tests/sections/sections_fixture.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "platform/zordata/zordata.h"

namespace sections_test {
namespace {

using ReportSectionTest = SectionTest;

TEST_F(ReportSectionTest, NewSection) {
    CReportSection section(&Manager());
    EXPECT_EQ(section.GetShowEmptyLines(), 1);
    EXPECT_EQ(section.GetManager(), &Manager());
    EXPECT_EQ(section.GetInstance(), nullptr);
    EXPECT_EQ(section.GetTitleColumn(), nullptr);
    EXPECT_EQ(section.GetContentNode(), nullptr);
    EXPECT_TRUE(section.GetName().empty());
    // Reading without an instance changes nothing.
    section.SetName("Имя");
    section.Update(false);
    EXPECT_EQ(section.GetName(), "Имя");

    section.GetTitle().SetText("Заголовок");
    EXPECT_EQ(section.CreateSection(&Manager()), 0);
    ASSERT_NE(section.GetInstance(), nullptr);
    std::string name;
    EXPECT_TRUE(Store().GetAttr(section.GetInstance(), S().zor_report_section_name, name));
    EXPECT_EQ(name, "Имя");
    CzorInstance* title = nullptr;
    EXPECT_TRUE(Store().GetAttr(section.GetInstance(), S().zor_report_section_title, title));
    EXPECT_EQ(title, section.GetTitle().GetInstance());
}

TEST_F(ReportSectionTest, RowsTheSectionYields) {
    AddColumn("Флаг", zorINTEGER);
    struct GroupSpec { bool title; bool condition; };
    struct Case {
        const char* what;
        bool rows;
        int showEmpty;
        bool sectionCondition;
        std::vector<GroupSpec> groups;
        int expected;
    } cases[] = {
        {"no rows, empty lines", false, 1, false, {}, 3},
        {"no rows, no empty lines", false, 0, false, {}, 1},
        {"detail lines", true, 1, false, {}, 6},
        {"rows failing the section's conditions", true, 0, true, {}, 3},
        {"a group with title lines", true, 1, false, {{true, false}}, 9},
        {"a group without title lines", true, 1, false, {{false, false}}, 6},
        {"a group's conditions leave a row out", true, 1, false, {{true, true}}, 7},
        {"an inner group's conditions stop the row after the outer title", true, 1, false, {{true, false}, {true, true}}, 10},
        {"both kinds of conditions", true, 0, true, {{false, true}}, 3},
    };
    for (const Case& c : cases) {
        // Flags 1, 0, 1: the conditions are "Флаг == 1".
        SetRows({"Флаг"}, c.rows ? std::vector<Row>{{1}, {0}, {1}} : std::vector<Row>{});
        CReportSection section(&Manager());
        section.SetShowEmptyLines(c.showEmpty);
        if (c.sectionCondition) section.GetConditions().Add(NewCondition("Флаг", kCondEqual, kCondAnd, 1));
        for (const GroupSpec& g : c.groups) {
            CGroupCol* group = NewGroup("Флаг");
            if (g.title) group->m_Rows.Add(NewLevel("Заголовок", 50, 0, {}));
            if (g.condition) group->m_Conditions.Add(NewCondition("Флаг", kCondEqual, kCondAnd, 1));
            section.GetGroups().Add(group);
        }
        EXPECT_EQ(section.GetRows(), c.expected) << c.what;
        EXPECT_EQ(section.GetEmptyRows(), c.showEmpty ? 3 : 1) << c.what;
    }
    CReportSection orphan(nullptr);
    EXPECT_EQ(orphan.GetRows(), 3);
}

TEST(SectionArray, AddRemoveAndReplace) {
    auto order = [](const CSectionArray& list) {
        std::string out;
        for (const CReportSection* s : list) out += s->GetName();
        return out;
    };
    CSectionArray list;
    EXPECT_EQ(list.Add(nullptr), -1);
    EXPECT_EQ(list.GetSize(), 0);
    for (const char* name : {"a", "b", "c"}) {
        auto* s = new CReportSection(nullptr);
        s->SetName(name);
        list.Add(s);
    }
    EXPECT_EQ(list.GetAt(3), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    CReportSection stranger(nullptr);
    struct Case { int index; int offset; const char* order; } cases[] = {
        {0, -1, "abc"},   // the first one up
        {2, +1, "abc"},   // the last one down
        {1, -1, "bac"},
        {1, +1, "bca"},
        {0, +2, "acb"},
        {2, +5, "acb"},
        {-1, +1, "acb"},  // a section not in the list
    };
    for (const Case& c : cases) {
        list.Replace(c.index >= 0 ? list.GetAt(c.index) : &stranger, c.offset);
        EXPECT_EQ(order(list), c.order) << c.index << " " << c.offset;
    }
    list.Replace(nullptr, 1);
    list.Replace(0, 3);
    list.Replace(-1, 0);
    EXPECT_EQ(order(list), "acb");
    list.Replace(0, 2);
    EXPECT_EQ(order(list), "bca");
    list.RemoveAt(3);
    list.RemoveAt(-1);
    list.RemoveAt(1);
    EXPECT_EQ(order(list), "ba");
    EXPECT_EQ(list.Find(list.GetAt(1)), 1);
    list.RemoveAll();
    EXPECT_EQ(list.GetSize(), 0);
}

// Two ways to a section that holds the instances of another: assigned from it, or read from its instance
// (the title's instances shared too).
class SectionCopyTest : public SectionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SectionCopyTest, CopyForANewSectionHoldsNoSharedInstance) {
    std::unique_ptr<CReportSection> original(BuildFullSection());
    WriteHeaders();
    original->Update(true);
    const std::string description = Describe(*original);
    const std::set<CzorInstance*> originals = InstancesOf(Manager(), *original);
    const int live = Store().GetInstanceCount();

    auto copy = std::make_unique<CReportSection>(&Manager());
    if (GetParam()) {
        *copy = *original;
        // The title column is the copy's own column at the same place.
        EXPECT_NE(copy->GetTitleColumn(), original->GetTitleColumn());
        EXPECT_EQ(copy->GetTitleColumn(), copy->GetLevels().GetColumn(0, 4));
    } else {
        copy->SetInstance(original->GetInstance());
        copy->Update(false);
        EXPECT_EQ(InstancesOf(Manager(), *copy), originals);
    }
    EXPECT_EQ(Describe(*copy), description);

    copy->ZerroInsts();
    EXPECT_TRUE(InstancesOf(Manager(), *copy).empty());
    copy->Update(true);
    const std::set<CzorInstance*> copies = InstancesOf(Manager(), *copy);
    EXPECT_EQ(copies.size(), originals.size());
    for (CzorInstance* instance : copies) EXPECT_EQ(originals.count(instance), 0u);

    // Editing and writing the copy leaves the original as it was in the store.
    copy->SetName("Копия");
    copy->GetTitle().SetText("Другой заголовок");
    copy->GetLevels().GetAt(0)->m_Name = "Другая строка";
    copy->GetLevels().GetColumn(0, 0)->m_nWidth = 1;
    copy->GetGroups().GetAt(0)->m_Font.lfHeight = 300;
    copy->GetGroups().GetAt(0)->m_LastRows.GetAt(0)->m_nHeight = 5;
    copy->GetGroups().GetAt(1)->m_Rows.GetColumn(0, 0)->m_Name = "Другой город";
    copy->GetGroups().GetAt(1)->m_Conditions.GetAt(0)->Set(kCondLess, std::string("я"));
    copy->GetConditions().GetAt(0)->m_nLink = kCondOr;
    copy->Update(true);
    auto reread = [&] {
        CReportSection back(&Manager());
        back.SetInstance(original->GetInstance());
        back.Update(false);
        return Describe(back);
    };
    EXPECT_EQ(reread(), description);

    // Deleting the copy deletes what it made, and only that.
    const std::set<CzorInstance*> made = InstancesOf(Manager(), *copy);
    copy->DeleteSection();
    for (CzorInstance* instance : originals) EXPECT_FALSE(instance->IsDeleted());
    for (CzorInstance* instance : made) EXPECT_TRUE(instance->IsDeleted());
    EXPECT_EQ(Store().GetInstanceCount(), live);
    EXPECT_EQ(reread(), description);
}

INSTANTIATE_TEST_SUITE_P(Copies, SectionCopyTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Assigned" : "ReadFromStore"; });

TEST_F(ReportSectionTest, BackupRestoresTheSectionAndItsInstances) {
    std::unique_ptr<CReportSection> section(BuildFullSection());
    WriteHeaders();
    section->Update(true);
    const std::string description = Describe(*section);
    const std::set<CzorInstance*> instances = InstancesOf(Manager(), *section);
    const int live = Store().GetInstanceCount();

    // What the section dialog does: a backup, edits in memory, Cancel.
    CReportSection backup(&Manager());
    backup = *section;
    EXPECT_EQ(backup.GetInstance(), section->GetInstance());
    section->GetLevels().RemoveAt(0);
    section->SetTitleColumn(nullptr);
    section->GetConditions().RemoveAll();
    section->GetGroups().RemoveAt(1);
    section->GetSorts().RemoveAll();
    *section = backup;
    EXPECT_EQ(Describe(*section), description);
    section->Update(true);
    EXPECT_EQ(Store().GetInstanceCount(), live);
    EXPECT_EQ(InstancesOf(Manager(), *section), instances);
}

TEST_F(ReportSectionTest, DeletingTheSectionLeavesNothingBehind) {
    std::unique_ptr<CReportSection> section(BuildFullSection());
    WriteHeaders();
    const int headersOnly = Store().GetInstanceCount();
    section->Update(true);
    const std::set<CzorInstance*> instances = InstancesOf(Manager(), *section);
    section->DeleteSection();
    for (CzorInstance* instance : instances) EXPECT_TRUE(instance->IsDeleted());
    EXPECT_EQ(Store().GetInstanceCount(), headersOnly);
    EXPECT_EQ(section->GetInstance(), nullptr);
    EXPECT_EQ(section->GetTitleColumn(), nullptr);
    EXPECT_EQ(section->GetLevels().GetSize(), 0);
    EXPECT_EQ(section->GetConditions().GetSize(), 0);
    // Written again, it is a new section.
    section->Update(true);
    EXPECT_NE(section->GetInstance(), nullptr);
    EXPECT_FALSE(section->GetInstance()->IsDeleted());
}

TEST_F(ReportSectionTest, DeletingThePartsLeavesTheSectionAndTitle) {
    std::unique_ptr<CReportSection> section(BuildFullSection());
    WriteHeaders();
    section->Update(true);
    CzorInstance* own = section->GetInstance();
    CzorInstance* title = section->GetTitle().GetInstance();
    std::set<CzorInstance*> parts = InstancesOf(Manager(), *section);
    parts.erase(own);
    parts.erase(title);
    parts.erase(section->GetTitle().GetFontInstance());
    section->Delete();
    for (CzorInstance* instance : parts) EXPECT_TRUE(instance->IsDeleted());
    EXPECT_FALSE(own->IsDeleted());
    EXPECT_FALSE(title->IsDeleted());
    EXPECT_EQ(section->GetLevels().GetSize(), 2);  // the objects stay
}

TEST_F(ReportSectionTest, SortKeysOfGeneration) {
    std::unique_ptr<CReportSection> section(BuildFullSection());
    SetRows({"Дата", "Количество", "Город", "Сумма", "Отдел"}, {});
    CColumnIndexArray columns;
    ASSERT_TRUE(section->GetSortColumns(Manager().GetDataSource(), columns));
    EXPECT_EQ(columns, (CColumnIndexArray{4, 2, 0, 1}));
    EXPECT_TRUE(messages.Texts().empty());

    struct Case { const char* what; std::function<void(CReportSection&)> spoil; } cases[] = {
        {"a sort column not found when read", [](CReportSection& s) { s.GetSorts().SetAt(0, nullptr); }},
        {"a grouping column not found when read", [](CReportSection& s) { s.GetGroups().GetAt(1)->m_pColumn = nullptr; }},
        {"a column the data source lacks", [this](CReportSection& s) { s.GetSorts().Add(AddColumn("Склад", zorSTRING)); }},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CReportSection> spoilt(BuildFullSection());
        c.spoil(*spoilt);
        messages.Clear();
        columns = {7};
        EXPECT_FALSE(spoilt->GetSortColumns(Manager().GetDataSource(), columns)) << c.what;
        EXPECT_TRUE(columns.empty()) << c.what;
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Не корректный шаблон"}) << c.what;
    }
}

}  // namespace
}  // namespace sections_test
