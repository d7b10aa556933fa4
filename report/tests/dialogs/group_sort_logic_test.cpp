// The grouping-and-sorting fields dialog without widgets: the transfer lists and what OK and Cancel do.
#include <gtest/gtest.h>

#include "report/dialogs/group_sort_logic.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"
#include "report/model/report_section.h"

namespace {

using Names = std::vector<std::string>;

class GroupSortDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        CHeader* file = manager.GetSelectHeader();
        file->AddColumn("Отдел", 5);
        file->AddColumn("Объект", 1);  // instance values: never listed
        file->AddColumn("Сумма", 5);
        file->AddColumn("Дата", 5);
        manager.GetResultSelectHeader()->AddColumn("Налог", 4);
        section.SetManager(&manager);
        existing = new CGroupCol(&manager);
        existing->m_pColumn = file->GetColumn(0);
        section.GetGroups().Add(existing);
        section.GetSorts().Add(file->GetColumn(3));
    }
    // OK in the group-parameters dialog with a font of that height; Cancel when height is 0.
    static GroupParamsRunner Answer(int height, int* runs = nullptr) {
        return [height, runs](CGroupCol*, LOGFONT& font) {
            if (runs) ++*runs;
            if (height == 0) return false;
            font.lfHeight = height;
            return true;
        };
    }
    CFolivox manager;
    CReportSection section{&manager};
    CGroupCol* existing = nullptr;
};

TEST_F(GroupSortDlgTest, ListsLeaveOutUsedAndInstanceColumns) {
    CGroupSortDlgLogic logic(&section);
    EXPECT_EQ(logic.SourceNames(), (Names{"Сумма", "Налог"}));
    EXPECT_EQ(logic.GroupNames(), (Names{"Отдел"}));
    EXPECT_EQ(logic.SortNames(), (Names{"Дата"}));
    EXPECT_FALSE(CGroupSortDlgLogic(nullptr).CanOpen());
}

TEST_F(GroupSortDlgTest, ANewGroupingColumnInAndOutAgainLeavesTheSectionUnchanged) {
    std::vector<std::unique_ptr<CGroupCol>> removed;
    {
        CGroupSortDlgLogic logic(&section);
        int runs = 0;
        EXPECT_EQ(logic.AddGroup(0, Answer(0, &runs)), -1);  // Cancel in the group parameters
        EXPECT_EQ(logic.SourceNames(), (Names{"Сумма", "Налог"}));
        EXPECT_EQ(logic.AddGroup(0, Answer(140, &runs)), 1);
        EXPECT_EQ(runs, 2);
        EXPECT_EQ(logic.GroupNames(), (Names{"Отдел", "Сумма"}));
        EXPECT_TRUE(logic.RemoveGroup(1));
        EXPECT_EQ(logic.SourceNames(), (Names{"Налог", "Сумма"}));
        logic.Ok(removed);
    }
    EXPECT_TRUE(removed.empty());
    ASSERT_EQ(section.GetGroups().GetSize(), 1);
    EXPECT_EQ(section.GetGroups().GetAt(0), existing);
}

TEST_F(GroupSortDlgTest, CancelDeletesTheNewOnesAndKeepsTheSection) {
    {
        CGroupSortDlgLogic logic(&section);
        ASSERT_EQ(logic.AddGroup(1, Answer(100)), 1);
        EXPECT_TRUE(logic.RemoveGroup(0));
        EXPECT_EQ(logic.AddSort(0), 1);
        logic.Cancel();
    }
    ASSERT_EQ(section.GetGroups().GetSize(), 1);
    EXPECT_EQ(section.GetGroups().GetAt(0), existing);
    ASSERT_EQ(section.GetSorts().GetSize(), 1);
    EXPECT_EQ(section.GetSorts().GetAt(0)->GetName(), "Дата");
    // Closing without OK or Cancel deletes the new ones as well (the sanitizer build sees a leak).
    CGroupSortDlgLogic abandoned(&section);
    EXPECT_EQ(abandoned.AddGroup(0, Answer(100)), 1);
}

TEST_F(GroupSortDlgTest, OkTakesTheOrderTheFontsAndHandsBackTheRemovedOnes) {
    CGroupSortDlgLogic logic(&section);
    ASSERT_EQ(logic.AddGroup(1, Answer(160)), 1);  // "Налог"
    EXPECT_EQ(logic.MoveGroup(1, -1), 0);
    EXPECT_EQ(logic.MoveGroup(0, -1), 0);  // already at the top
    EXPECT_EQ(logic.MoveGroup(1, +1), 1);  // already at the bottom
    EXPECT_FALSE(logic.EditGroup(1, Answer(0)));
    EXPECT_EQ(existing->m_Font.lfHeight, DefaultGroupFont().lfHeight);
    EXPECT_TRUE(logic.EditGroup(1, Answer(90)));
    EXPECT_EQ(existing->m_Font.lfHeight, 90);
    EXPECT_EQ(logic.AddSort(0), 1);  // "Сумма"
    EXPECT_EQ(logic.MoveSort(1, -1), 0);
    EXPECT_EQ(logic.SortNames(), (Names{"Сумма", "Дата"}));
    EXPECT_TRUE(logic.RemoveGroup(1));  // the section's own: noted, not deleted
    EXPECT_FALSE(logic.RemoveGroup(5));
    EXPECT_EQ(logic.GroupNames(), (Names{"Налог"}));

    std::vector<std::unique_ptr<CGroupCol>> removed;
    logic.Ok(removed);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].get(), existing);
    ASSERT_EQ(section.GetGroups().GetSize(), 1);
    EXPECT_EQ(section.GetGroups().GetAt(0)->m_pColumn->GetName(), "Налог");
    EXPECT_EQ(section.GetGroups().GetAt(0)->m_Font.lfHeight, 160);
    ASSERT_EQ(section.GetSorts().GetSize(), 2);
    EXPECT_EQ(section.GetSorts().GetAt(0)->GetName(), "Сумма");
    EXPECT_EQ(section.GetSorts().GetAt(1)->GetName(), "Дата");
}

}  // namespace
