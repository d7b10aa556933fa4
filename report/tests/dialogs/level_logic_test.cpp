// The level dialog and the group-parameters dialog without widgets.
#include <gtest/gtest.h>

#include "platform/ui/messages.h"
#include "report/dialogs/level_logic.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"

namespace {

class LevelDlgTest : public ::testing::Test {
protected:
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

TEST_F(LevelDlgTest, OpensInMillimetresWithItsFlags) {
    CLevelDlgLogic logic("Итог", 85, kLevelKeepTogether);
    EXPECT_EQ(logic.m_Name, "Итог");
    EXPECT_EQ(logic.m_Height, "8.5");
    EXPECT_FALSE(logic.m_bHideEmpty);
    EXPECT_TRUE(logic.m_bKeepTogether);
}

TEST_F(LevelDlgTest, OkChecksRangeNameAndHeight) {
    struct Case {
        const char* name;
        const char* height;
        const char* message;  // null: accepted
        int tenths;
    };
    const Case cases[] = {
        {"Строка", "12.37", nullptr, 123},
        {"Строка", "100", nullptr, 1000},
        {"Строка", "0.1", nullptr, 1},
        {"", "10", "Не задано наименование уровня.", 0},
        {"Строка", "0", "Высота строки не может быть менбше или равна 0.", 0},
        {"Строка", "0.05", "Высота строки не может быть менбше или равна 0.", 0},
        {"Строка", "-1", "Введите число от 0 до 100.", 0},
        {"Строка", "100.5", "Введите число от 0 до 100.", 0},
        {"Строка", "abc", "Введите число от 0 до 100.", 0},
        {"Строка", "", "Введите число от 0 до 100.", 0},
    };
    for (const Case& c : cases) {
        sink.Clear();
        CLevelDlgLogic logic("x", 80, 0);
        logic.m_Name = c.name;
        logic.m_Height = c.height;
        logic.m_bHideEmpty = true;
        const bool ok = logic.Apply();
        EXPECT_EQ(ok, c.message == nullptr) << c.name << " " << c.height;
        if (c.message) {
            EXPECT_EQ(sink.Texts(), std::vector<std::string>{c.message}) << c.height;
            EXPECT_EQ(logic.Height(), 80);
        } else {
            EXPECT_TRUE(sink.Texts().empty());
            EXPECT_EQ(logic.Height(), c.tenths) << c.height;
            EXPECT_EQ(logic.Flags(), kLevelHideEmpty);
        }
    }
}

class GroupParamsDlgTest : public LevelDlgTest {
protected:
    void SetUp() override {
        manager.GetSelectHeader()->AddColumn("Сумма", 5);
        manager.GetResultSelectHeader()->AddColumn("Налог", 5);
        group.m_pColumn = manager.GetSelectHeader()->GetColumn(0);
    }
    CFolivox manager;
    CGroupCol group{&manager};
};

TEST_F(GroupParamsDlgTest, OpensWithTheDefaultOrTheGivenFont) {
    CGroupParamsDlgLogic fresh(&group, nullptr);
    EXPECT_EQ(fresh.m_Font.lfHeight, 120);
    EXPECT_STREQ(fresh.m_Font.lfFaceName, "Arial");
    EXPECT_EQ(fresh.ColumnName(), "Сумма");
    LOGFONT own;
    own.lfHeight = 140;
    own.SetFaceName("Times");
    CGroupParamsDlgLogic opened(&group, &own);
    EXPECT_EQ(opened.m_Font.lfHeight, 140);
    EXPECT_FALSE(CGroupParamsDlgLogic(nullptr, nullptr).CanOpen());
}

TEST_F(GroupParamsDlgTest, TheNameIsAFormulaOverBothHeadersTogether) {
    struct Case {
        const char* name;
        bool accepted;
    };
    const Case cases[] = {
        {"Сумма", true},
        {"Налог", true},
        {"Сумма + \" / \" + Налог", true},  // file and computed columns mixed
        {"\"Итого\"", true},
        {"Нет такого", false},
        {"?(Сумма, ", false},
    };
    for (const Case& c : cases) {
        sink.Clear();
        group.m_Name = "было";
        group.m_nShowFirstRow = 0;
        CGroupParamsDlgLogic logic(&group, nullptr);
        logic.m_Name = c.name;
        logic.m_bShowFirstRow = true;
        EXPECT_EQ(logic.Apply(), c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_EQ(group.m_Name, c.name);
            EXPECT_EQ(group.m_nShowFirstRow, 1);
            EXPECT_TRUE(sink.Texts().empty());
        } else {
            EXPECT_EQ(group.m_Name, "было");
            EXPECT_EQ(group.m_nShowFirstRow, 0);
            const auto messages = sink.Messages();
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, "Неверно задана функция!");
            EXPECT_EQ(messages[0].type, unsigned(MB_OK | MB_ICONSTOP));
        }
    }
    // The borrowed columns are still the headers' own.
    EXPECT_EQ(manager.GetSelectHeader()->GetSize(), 1);
    EXPECT_EQ(manager.GetResultSelectHeader()->GetColumn(0)->GetName(), "Налог");
}

}  // namespace
