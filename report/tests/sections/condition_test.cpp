// Conditions: one comparison by value type, lists read from left to right, the store.
#include "report/tests/sections/sections_fixture.h"

#include "platform/zordata/zordata.h"

namespace sections_test {
namespace {

CzorValue Value(const Cell& cell) {
    CzorValue v;
    if (const int* i = std::get_if<int>(&cell)) v.Set(*i);
    else if (const double* d = std::get_if<double>(&cell)) v.Set(*d);
    else if (const std::string* s = std::get_if<std::string>(&cell)) v.Set(*s);
    return v;
}

CCondition Condition(int comparison, const Cell& constant) {
    CCondition c;
    if (const int* i = std::get_if<int>(&constant)) c.Set(comparison, *i);
    else if (const double* d = std::get_if<double>(&constant)) c.Set(comparison, *d);
    else if (const std::string* s = std::get_if<std::string>(&constant)) c.Set(comparison, *s);
    else c.m_nType = comparison;
    return c;
}

TEST(Condition, ComparesOneValue) {
    struct Case {
        const char* what;
        Cell value;
        int comparison;
        Cell constant;
        bool expected;
    } cases[] = {
        {"integer equal", 5, kCondEqual, 5, true},
        {"integer greater", 5, kCondGreater, 3, true},
        {"integer less", 5, kCondLess, 3, false},
        {"integer not equal", 5, kCondNotEqual, 5, false},
        {"real less", 2.5, kCondLess, 3.0, true},
        {"real equal", 2.5, kCondEqual, 2.5, true},
        {"text greater by bytes", std::string("b"), kCondGreater, std::string("a"), true},
        {"text less by bytes", std::string("Б"), kCondLess, std::string("а"), true},
        {"text case matters", std::string("склад"), kCondEqual, std::string("СКЛАД"), false},
        {"text case matters, not equal", std::string("склад"), kCondNotEqual, std::string("СКЛАД"), true},
        {"empty text equal", std::string(""), kCondEqual, std::string(""), true},
        // Types must agree, even for "not equal".
        {"integer value, text constant", 5, kCondNotEqual, std::string("5"), false},
        {"integer value, real constant", 5, kCondEqual, 5.0, false},
        {"real value, integer constant", 5.0, kCondEqual, 5, false},
        {"no value", std::monostate{}, kCondNotEqual, 1, false},
        {"new condition", 0, kCondEqual, std::monostate{}, false},
        {"unknown comparison", 5, 7, 5, false},
        // Data read from a file is text: number texts meet numeric conditions as numbers.
        {"number text, integer equal", std::string("12"), kCondEqual, 12, true},
        {"number text, integer greater", std::string("12.7"), kCondGreater, 12, true},
        {"number text with blanks", std::string("  12.7 "), kCondGreater, 12.5, true},
        {"number text, real less", std::string("-3e2"), kCondLess, -299.0, true},
        {"number text, not equal", std::string("7"), kCondNotEqual, 7, false},
        {"text that is no number", std::string("abc"), kCondNotEqual, 0, false},
        {"empty text is no number", std::string(""), kCondEqual, 0, false},
        {"blank text is no number", std::string("   "), kCondEqual, 0, false},
        {"comma is no point", std::string("1,5"), kCondEqual, 1.5, false},
        {"beyond the reals", std::string("1e999"), kCondGreater, 0.0, false},
        {"number text, text condition", std::string("12"), kCondEqual, std::string("12.0"), false},
    };
    for (const Case& c : cases) {
        const CCondition condition = Condition(c.comparison, c.constant);
        const CzorValue value = Value(c.value);
        EXPECT_EQ(condition.Compare(&value), c.expected) << c.what;
    }
    EXPECT_FALSE(Condition(kCondEqual, 1).Compare(static_cast<const CzorValue*>(nullptr)));
    // An instance value never meets a condition.
    CzorValue instance;
    instance.Set(static_cast<CzorInstance*>(nullptr));
    EXPECT_FALSE(Condition(kCondNotEqual, 0).Compare(&instance));
    // The typed forms hold only for their own value type.
    EXPECT_TRUE(Condition(kCondEqual, 3).Compare(3));
    EXPECT_FALSE(Condition(kCondEqual, 3).Compare(3.0));
    EXPECT_FALSE(Condition(kCondEqual, std::string("3")).Compare(3));
    EXPECT_TRUE(Condition(kCondLess, std::string("b")).Compare(std::string("a")));
}

TEST(Condition, TextOfTheConstant) {
    EXPECT_EQ(Condition(kCondEqual, 12).GetText(), "12");
    EXPECT_EQ(Condition(kCondEqual, -2.5).GetText(), "-2.500000");
    EXPECT_EQ(Condition(kCondEqual, std::string("Склад 1")).GetText(), "Склад 1");
    EXPECT_EQ(Condition(kCondEqual, std::monostate{}).GetText(), "");
}

using ConditionListTest = SectionTest;

TEST_F(ConditionListTest, ListsReadLeftToRight) {
    // Row 0: t = 1, f = 0. "T" is "t == 1" (true), "F" is "f == 1" (false).
    SetRows({"t", "f"}, {{1, 0}});
    AddColumn("t", zorINTEGER);
    AddColumn("f", zorINTEGER);
    struct Case {
        const char* list;  // terms separated by blanks: T or F, each after the first preceded by "and" or "or"
        bool expected;
    } cases[] = {
        {"", true},
        {"T", true},
        {"F", false},
        {"T or F", true},
        {"F or T", true},
        {"F or F", false},
        {"T and F", false},
        {"F and T", false},
        // No precedence: (T or F) and F, not T or (F and F).
        {"T or F and F", false},
        {"F and F or T", true},
        {"F and T or T", true},
        {"T and F or T and F", false},
        {"F or F or F or T", true},
    };
    for (const Case& c : cases) {
        CConditionArray list;
        std::string words = c.list;
        int link = kCondOr;  // the first condition's link is not used
        size_t pos = 0;
        while (pos < words.size()) {
            size_t end = words.find(' ', pos);
            if (end == std::string::npos) end = words.size();
            const std::string word = words.substr(pos, end - pos);
            pos = end + 1;
            if (word == "and") link = kCondAnd;
            else if (word == "or") link = kCondOr;
            else list.Add(NewCondition(word == "T" ? "t" : "f", kCondEqual, link, 1));
        }
        EXPECT_EQ(list.Compare(&Manager(), 0), c.expected) << c.list;
        EXPECT_EQ(list.Compare(Manager().GetDataSource(), 0), c.expected) << c.list;
    }
    // A row outside the data source meets no list but the empty one.
    CConditionArray list;
    EXPECT_TRUE(list.Compare(&Manager(), 5));
    list.Add(NewCondition("t", kCondNotEqual, kCondAnd, 7));
    EXPECT_TRUE(list.Compare(&Manager(), 0));
    EXPECT_FALSE(list.Compare(&Manager(), 1));
    EXPECT_FALSE(list.Compare(&Manager(), -1));
    EXPECT_FALSE(list.Compare(nullptr, 0));
    // A condition without a column reads no value and fails.
    list.Add(NewCondition(nullptr, kCondNotEqual, kCondAnd, 7));
    EXPECT_FALSE(list.Compare(&Manager(), 0));
}

TEST_F(ConditionListTest, NumericConditionsOnFileText) {
    // What a separated-values file gives: text cells only.
    SetRows({"Сумма"}, {{std::string("12.7")}, {std::string(" 9 ")}, {std::string("нет")}});
    AddColumn("Сумма", zorSTRING);
    CConditionArray list;
    list.Add(NewCondition("Сумма", kCondGreater, kCondAnd, 10));
    EXPECT_TRUE(list.Compare(&Manager(), 0));
    EXPECT_FALSE(list.Compare(&Manager(), 1));
    EXPECT_FALSE(list.Compare(&Manager(), 2));
    list.Add(NewCondition("Сумма", kCondEqual, kCondOr, 9.0));
    EXPECT_TRUE(list.Compare(&Manager(), 1));
}

TEST_F(ConditionListTest, StoredTypeHoldsComparisonAndLink) {
    AddColumn("Отдел", zorSTRING);
    AddColumn("Город", zorSTRING, true);
    CCondition condition;
    condition.m_pColumn = Column("Отдел");
    condition.Set(kCondGreater, 7);
    condition.m_nLink = kCondOr;
    ASSERT_TRUE(condition.Update(&Manager(), true));
    int type = 0;
    ASSERT_TRUE(Store().GetAttr(condition.m_pInstance, S().zor_condition_type, type));
    EXPECT_EQ(type, 0x22);

    struct Case { int type; int valueType; const char* value; int comparison; int link; const char* text; } cases[] = {
        {0x21, 3, "12", kCondNotEqual, kCondOr, "12"},
        {0x13, 4, "2.5", kCondLess, kCondAnd, "2.500000"},
        {0x10, 5, "Склад", kCondEqual, kCondAnd, "Склад"},
        {0x02, 5, "", kCondGreater, kCondAnd, ""},
        {0x32, 3, "-4", 0x12, kCondOr, "-4"},
    };
    for (const Case& c : cases) {
        Store().PutAttr(condition.m_pInstance, S().zor_condition_type, c.type);
        Store().PutAttr(condition.m_pInstance, S().zor_condition_value_type, c.valueType);
        Store().PutAttr(condition.m_pInstance, S().zor_condition_value, std::string(c.value));
        CCondition back;
        back.m_pInstance = condition.m_pInstance;
        ASSERT_TRUE(back.Update(&Manager(), false));
        EXPECT_EQ(back.m_nType, c.comparison) << c.type;
        EXPECT_EQ(back.m_nLink, c.link) << c.type;
        EXPECT_EQ(back.m_nValueType, c.valueType) << c.type;
        EXPECT_EQ(back.GetText(), c.text) << c.type;
        EXPECT_EQ(back.m_pColumn, Column("Отдел"));
    }
    // A column of the result-select header is found too.
    condition.m_pColumn = Column("Город");
    ASSERT_TRUE(condition.Update(&Manager(), true));
    CCondition back;
    back.m_pInstance = condition.m_pInstance;
    ASSERT_TRUE(back.Update(&Manager(), false));
    EXPECT_EQ(back.m_pColumn, Column("Город"));
    CCondition none;
    EXPECT_FALSE(none.Update(&Manager(), false));
    EXPECT_FALSE(none.Update(nullptr, true));
}

TEST_F(ConditionListTest, ColumnNotFoundWritesNoReference) {
    AddColumn("Отдел", zorSTRING);
    CCondition condition;
    condition.m_pColumn = Column("Отдел");
    condition.Set(kCondEqual, std::string("Склад"));
    ASSERT_TRUE(condition.Update(&Manager(), true));
    // The template is read against headers that no longer hold the column.
    Manager().GetSelectHeader()->RemoveAll();
    CCondition back;
    back.m_pInstance = condition.m_pInstance;
    ASSERT_TRUE(back.Update(&Manager(), false));
    EXPECT_EQ(back.m_pColumn, nullptr);
    ASSERT_TRUE(back.Update(&Manager(), true));
    CzorInstance* column = nullptr;
    EXPECT_FALSE(Store().GetAttr(back.m_pInstance, S().zor_condition_column, column));
    EXPECT_EQ(column, nullptr);
    std::string value;
    Store().GetAttr(back.m_pInstance, S().zor_condition_value, value);
    EXPECT_EQ(value, "Склад");
}

TEST_F(ConditionListTest, CopiesShareAndDeletesEmpty) {
    AddColumn("Отдел", zorSTRING);
    CConditionArray list;
    EXPECT_EQ(list.Add(nullptr), -1);
    list.Add(NewCondition("Отдел", kCondEqual, kCondAnd, std::string("a")));
    list.Add(NewCondition("Отдел", kCondLess, kCondOr, std::string("b")));
    list.Update(&Manager(), true);
    CConditionArray copy;
    copy = list;
    ASSERT_EQ(copy.GetSize(), 2);
    EXPECT_NE(copy.GetAt(0), list.GetAt(0));
    EXPECT_EQ(copy.GetAt(1)->m_pInstance, list.GetAt(1)->m_pInstance);
    EXPECT_EQ(copy.GetAt(1)->m_pColumn, list.GetAt(1)->m_pColumn);
    EXPECT_EQ(copy.GetAt(1)->m_nLink, kCondOr);
    CzorTAggr<CzorInstance> extent;
    copy.GetExtent(extent);
    EXPECT_EQ(extent.GetSize(), 2);

    CzorInstance* first = list.GetAt(0)->m_pInstance;
    copy.RemoveAt(7);
    copy.RemoveAt(1);
    EXPECT_EQ(copy.GetSize(), 1);
    copy.Delete(&Manager());
    EXPECT_EQ(copy.GetSize(), 0);
    EXPECT_TRUE(first->IsDeleted());
}

}  // namespace
}  // namespace sections_test
