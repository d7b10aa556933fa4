// The condition dialogs without widgets: the constant's check, OK, the column choice and the list.
#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/messages.h"
#include "report/dialogs/condition_logic.h"
#include "report/model/condition.h"
#include "report/model/data_source.h"

namespace {

constexpr const char* kEmpty = "Значение не должно быть пустым!";
constexpr const char* kBad = "Неправильный формат числа";

TEST(ConditionValueTest, ChecksByValueType) {
    struct Case {
        int type;
        const char* text;
        ConditionValueCheck expected;
    };
    const Case cases[] = {
        {kCondValueInt, "12", ConditionValueCheck::Ok},
        {kCondValueInt, "-7", ConditionValueCheck::Ok},
        {kCondValueInt, "0", ConditionValueCheck::Ok},
        {kCondValueInt, "2147483647", ConditionValueCheck::Ok},
        {kCondValueInt, "012", ConditionValueCheck::BadNumber},
        {kCondValueInt, "+5", ConditionValueCheck::BadNumber},
        {kCondValueInt, "5.0", ConditionValueCheck::BadNumber},
        {kCondValueInt, "1e3", ConditionValueCheck::BadNumber},
        {kCondValueInt, " 12", ConditionValueCheck::BadNumber},
        {kCondValueInt, "2147483648", ConditionValueCheck::BadNumber},  // beyond int: reads back otherwise
        {kCondValueInt, "abc", ConditionValueCheck::BadNumber},
        {kCondValueInt, "", ConditionValueCheck::Empty},
        {kCondValueReal, "", ConditionValueCheck::Empty},
        {kCondValueReal, "5.0", ConditionValueCheck::Ok},
        {kCondValueReal, "1e3", ConditionValueCheck::Ok},
        {kCondValueReal, "-.5", ConditionValueCheck::Ok},
        {kCondValueReal, "5,0", ConditionValueCheck::BadNumber},
        {kCondValueReal, "nan", ConditionValueCheck::BadNumber},
        {kCondValueReal, "   ", ConditionValueCheck::BadNumber},
        {kCondValueString, "", ConditionValueCheck::Ok},
        {kCondValueString, "012", ConditionValueCheck::Ok},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckConditionValue(c.type, c.text), c.expected) << c.type << " '" << c.text << "'";
}

class ConditionDlgTest : public ::testing::Test {
protected:
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CHeaderColumn column{kPlainColumn, "Сумма", 3};
    CHeaderColumn other{kPlainColumn, "Имя", 5};
};

TEST_F(ConditionDlgTest, OkWithoutColumnDoesNothingAndSaysNothing) {
    CConditionDlgLogic logic(nullptr);
    logic.m_Value = "12";
    CCondition* made = nullptr;
    EXPECT_FALSE(logic.Apply(made));
    EXPECT_EQ(made, nullptr);
    EXPECT_TRUE(sink.Texts().empty());
}

TEST_F(ConditionDlgTest, ARefusedValueMakesNoConditionAndKeepsAnExistingOne) {
    struct Case {
        int type;
        const char* text;
        const char* message;
    };
    const Case cases[] = {{kCondValueInt, "", kEmpty}, {kCondValueInt, "012", kBad}, {kCondValueReal, "x", kBad}};
    CCondition existing;
    existing.Set(kCondLess, 4);
    existing.m_pColumn = &other;
    for (const Case& c : cases) {
        sink.Clear();
        CConditionDlgLogic logic(nullptr);
        logic.m_pColumn = &column;
        logic.m_nValueType = c.type;
        logic.m_Value = c.text;
        CCondition* made = nullptr;
        EXPECT_FALSE(logic.Apply(made)) << c.text;
        EXPECT_EQ(made, nullptr) << c.text;
        EXPECT_EQ(sink.Texts(), std::vector<std::string>{c.message}) << c.text;
        CCondition* kept = &existing;
        EXPECT_FALSE(logic.Apply(kept));
        EXPECT_EQ(existing.m_nValueType, kCondValueInt);
        EXPECT_EQ(existing.m_nIntValue, 4);
        EXPECT_EQ(existing.m_pColumn, &other);
    }
}

TEST_F(ConditionDlgTest, OkSetsComparisonConstantColumnAndLink) {
    CConditionDlgLogic logic(nullptr);
    logic.m_pColumn = &column;
    logic.m_nComparison = kCondGreater;
    logic.m_nValueType = kCondValueInt;
    logic.m_Value = "12";
    logic.m_nLinkIndex = 1;
    CCondition* made = nullptr;
    ASSERT_TRUE(logic.Apply(made));
    std::unique_ptr<CCondition> owned(made);
    EXPECT_EQ(made->m_nType, kCondGreater);
    EXPECT_EQ(made->m_nValueType, kCondValueInt);
    EXPECT_EQ(made->m_nIntValue, 12);
    EXPECT_EQ(made->m_pColumn, &column);
    EXPECT_EQ(made->m_nLink, kCondOr);

    // Opening on it shows what was set; a real and an empty string go through.
    CConditionDlgLogic reopened(made);
    EXPECT_EQ(reopened.ColumnText(), "Сумма");
    EXPECT_EQ(reopened.m_nComparison, kCondGreater);
    EXPECT_EQ(reopened.m_Value, "12");
    EXPECT_EQ(reopened.m_nLinkIndex, 1);
    reopened.m_nValueType = kCondValueReal;
    reopened.m_Value = "2.5";
    reopened.m_nLinkIndex = 0;
    ASSERT_TRUE(reopened.Apply(made));
    EXPECT_EQ(made->m_nValueType, kCondValueReal);
    EXPECT_DOUBLE_EQ(made->m_dRealValue, 2.5);
    EXPECT_EQ(made->m_nLink, kCondAnd);
    reopened.m_nValueType = kCondValueString;
    reopened.m_Value = "";
    ASSERT_TRUE(reopened.Apply(made));
    EXPECT_EQ(made->m_nValueType, kCondValueString);
    EXPECT_EQ(made->m_StrValue, "");
    EXPECT_EQ(owned.get(), made);
    EXPECT_TRUE(sink.Texts().empty());
}

TEST_F(ConditionDlgTest, ColumnChoiceAsksAgainUntilAColumnOrCancel) {
    CConditionDlgLogic logic(nullptr);
    int runs = 0;
    // OK without a column, then OK with one.
    EXPECT_TRUE(logic.ChooseColumn([&](CHeaderColumn*& chosen) {
        chosen = ++runs == 1 ? nullptr : &column;
        return true;
    }));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(logic.m_pColumn, &column);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Необхрдимо выбрать поле источника данных."});
    // The current column is offered; Cancel keeps it.
    EXPECT_FALSE(logic.ChooseColumn([&](CHeaderColumn*& chosen) {
        EXPECT_EQ(chosen, &column);
        chosen = &other;
        return false;
    }));
    EXPECT_EQ(logic.m_pColumn, &column);
}

TEST_F(ConditionDlgTest, ListRowsAndDeleteAfterTheQuestion) {
    CConditionArray conditions;
    CConditionsDlgLogic list(conditions);
    auto* first = new CCondition();
    first->Set(kCondNotEqual, std::string("abc"));
    first->m_pColumn = &other;
    list.Append(first);
    auto* second = new CCondition();
    second->Set(kCondLess, 7);
    list.Append(second);
    const auto rows = list.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].column, "Имя");
    EXPECT_EQ(rows[0].comparison, "Не равно");
    EXPECT_EQ(rows[0].value, "abc");
    EXPECT_EQ(rows[1].column, "");
    EXPECT_EQ(rows[1].comparison, "Меньше");
    EXPECT_EQ(rows[1].value, "7");

    sink.QueueAnswer(IDNO);
    EXPECT_FALSE(list.Delete(0));
    EXPECT_EQ(conditions.GetSize(), 2);
    const auto asked = sink.Messages();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Вы действительно желаете удалить выбранное условие?");
    EXPECT_EQ(asked[0].type, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    sink.QueueAnswer(IDYES);
    EXPECT_TRUE(list.Delete(0));
    ASSERT_EQ(conditions.GetSize(), 1);
    EXPECT_EQ(conditions.GetAt(0), second);
    EXPECT_FALSE(list.Delete(5));
}

}  // namespace
