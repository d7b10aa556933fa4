// Column formulas: the language, its results and its errors, with and without a row.
#include <gtest/gtest.h>

#include "datasource_fixture.h"
#include "report/generation/formula.h"

namespace {

using dstest::Texts;

class Formula : public ::testing::Test {
protected:
    void SetUp() override {
        dstest::Fill(ds, {"Фамилия", "Имя", "Пусто", "Код", "A", "B", "C", "D", "E", "F", "G"},
                     {{"Иванов", "Иван", "", "abc", "2.25", "3", "abc", "1", "2", "", " 1.5 "}});
    }
    const CTableRow* Row() const { return ds.GetRow(0); }

    CDataSource ds;
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
};

struct Case {
    const char* expr;
    bool ok;
    const char* result;  // what is appended, up to an error
    const char* message = nullptr;
};

const char* const kUnknown = "Неизвестная функция!";


template <size_t N>
void RunTable(const Case (&cases)[N], const CTableRow* row, const CDataSource& ds, zor::RecordingMessageSink& messages) {
    for (const Case& c : cases) {
        messages.Clear();
        std::string result;
        EXPECT_EQ(CDataSource::ParseFunction(c.expr, result, row, ds.GetHeader()), c.ok) << c.expr;
        EXPECT_EQ(result, c.result) << c.expr;
        EXPECT_EQ(messages.Texts(), c.message ? Texts{c.message} : Texts{}) << c.expr;
    }
}

TEST_F(Formula, ResultsAndErrorsWithARow) {
    const Case cases[] = {
        // Literals and columns
        {"Фамилия + \" \" + Имя", true, "Иванов Иван"},
        {"Фамилия+\" \"+Имя", true, "Иванов Иван"},
        {"  Фамилия  +\" \"+  Имя  ", true, "Иванов Иван"},
        {"\"a\\nb\"", true, "a\nb"},
        {"\"a\"\"b\"", true, "a\"b"},
        {"\"\"\"\"", true, "\""},
        {"\"\"", true, ""},
        {"\"a\" \"b\"", true, "ab"},  // no "+" needed after a literal
        {"", true, ""},
        {" + + ", true, ""},
        {"\"abc", false, ""},
        {"\"x\" + \"abc", false, "x"},
        {"Нет", false, ""},
        {"Фамилия + Нет", false, "Иванов"},
        {"Фамилия Имя", false, ""},       // one name with a blank inside
        {"фамилия", false, ""},           // names are exact
        {"Пусто + \"|\"", true, "|"},
        // "!": the branch when the cell is empty
        {"!(Пусто, \"пусто\")", true, "пусто"},
        {"!(Имя, \"пусто\")", true, ""},
        {"!( Пусто ,Имя)", true, "Иван"},
        {"!(Имя, Нет)", true, ""},         // a branch not taken is not read
        {"!(Пусто, Нет)", false, ""},
        {"!Пусто", false, ""},
        {"!(Пусто \"x\")", false, ""},
        {"!(Пусто, \"x\"", false, ""},
        {"!(Нет, \"x\")", false, ""},
        {"!(Пусто, \")\")", false, ""},    // the ")" in the literal ends the form
        // "?": the branch when the test holds
        {"?(Код = \"ABC\", \"да\")", true, "да"},
        {"?(Код=\"abc\",\"да\")", true, "да"},
        {"?(Код = \"abd\", \"да\")", true, ""},
        {"?(Код, \"есть\")", true, "есть"},
        {"?(Пусто, \"есть\")", true, ""},
        {"?(Код = \"\", \"x\")", true, "x"},
        {"?(Пусто = \"\", \"x\")", true, ""},
        {"?(Код != \"\", \"x\")", true, ""},
        {"?(Пусто != \"\", \"x\")", true, "x"},
        {"?(Код != \"abd\", \"x\")", true, "x"},
        {"?(Код != \"ABC\", \"x\")", true, ""},
        {"?(Код = \"ab\"\"c\", \"x\")", true, ""},
        {"?(Код,!(Пусто,\"x\"))", false, ""},   // "!" right after the comma reads as the test
        {"?(Код, !(Пусто,\"x\"))", true, "x"},  // a blank avoids that
        {"?(Код,=\"abc\",\"x\")", true, "x"},
        {"?(Код \"x\")", false, ""},
        {"?(Код = x, \"y\")", false, ""},
        {"?(Код ! \"x\", \"y\")", false, ""},
        {"?(Код = \"abc\" \"y\")", false, ""},
        {"?(Код = \"abc, \"y\")", false, ""},
        {"?Код", false, ""},
        {"?(Нет, \"y\")", false, ""},
        {"?(Код = \"x\", \"y\") + \"z\"", true, "z"},
        {"!(Пусто, ?(Имя, Имя + \"!\"))", true, "Иван!"},
        // "%": aggregates
        {"%SUMM(A, B, C)", true, "5"},
        {"%AVERAGE(D, E, F)", true, "1"},
        {"%AVERAGE(A,B)", true, "3"},
        {"%SUMM(G)", true, "2"},  // blanks around a number are accepted; 1.5 goes to the even 2
        {"%SUMM(A, , B,)", true, "5"},
        {"%SUMM()", true, "0"},
        {"%AVERAGE()", true, "0"},  // the mean of nothing is 0, never "nan"
        {"%SUMM(A, B) + \"ok\"", true, "5ok"},
        {"\"<\" %SUMM(D)", true, "<1"},
        {"%SUMM(A, Нет)", false, ""},
        {"%SUMM(A", false, ""},
        {"%SUMM", false, ""},
        {"%", false, ""},
        {"% SUMM(A)", false, "", kUnknown},
        {"%summ(A)", false, "", kUnknown},
        {"%MAX(Нет)", false, "", kUnknown},
        {"\"a\" + %MAX(A) + \"b\"", false, "a", kUnknown},
        {"!(Имя, %MAX(A))", true, ""},  // never reached: no message
    };
    RunTable(cases, Row(), ds, messages);
}

TEST_F(Formula, CheckWithoutRowWalksEveryBranch) {
    const Case cases[] = {
        {"Фамилия + \" \" + Имя", true, " "},
        {"!(Имя, \"x\")", true, "x"},
        {"?(Код = \"нет\", \"x\")", true, "x"},
        {"?(Код != \"abc\", \"x\")", true, "x"},
        {"%SUMM(A, B)", true, "0"},
        {"%AVERAGE(A, B)", true, "0"},
        {"Нет", false, ""},
        {"!(Имя, Нет)", false, ""},
        {"?(Код, \"a\" + Нет)", false, "a"},
        {"!(Имя, %FOO(A))", false, "", kUnknown},
    };
    RunTable(cases, nullptr, ds, messages);
}

TEST_F(Formula, AppendsToTheGivenResultAndNeedsAHeader) {
    std::string result = "pre:";
    EXPECT_TRUE(ds.ParseFunction("Имя", result, Row()));
    EXPECT_EQ(result, "pre:Иван");
    EXPECT_FALSE(CDataSource::ParseFunction("\"x\"", result, Row(), nullptr));
    EXPECT_EQ(result, "pre:Иван");
    CDataSource bare;
    EXPECT_FALSE(bare.ParseFunction("\"x\"", result, nullptr));
}

TEST_F(Formula, NumbersOfRealAndIntegerCells) {
    CDataSource numbers;
    dstest::Fill(numbers, {"R", "I", "S"}, {});
    numbers.AddRow();
    numbers.SetAt(0, 0, 2.75);
    numbers.SetAt(0, 1, 4);
    numbers.SetAt(0, 2, "1e1");
    const Case cases[] = {
        {"%SUMM(R, I, S)", true, "17"},  // 16.75
        {"%AVERAGE(R, I)", true, "3"},   // 3.375
        {"R + \"/\" + I", true, "2.75/4"},
        {"?(I = \"4\", \"four\")", true, "four"},
        {"!(R, \"x\")", true, ""},
    };
    RunTable(cases, numbers.GetRow(0), numbers, messages);
}

// A number past the range of a double, or a word a C library reads as one, counts as no number (0); a sum
// that overflows shows nothing: never "inf" or "nan".
TEST_F(Formula, NumbersAreFinite) {
    CDataSource numbers;
    dstest::Fill(numbers, {"Big", "Inf", "Nan", "Two", "Max"}, {{"1e400", "inf", "nan", "2", "1.7e308"}});
    const Case cases[] = {
        {"%SUMM(Big, Two)", true, "2"},
        {"%SUMM(Inf, Nan, Two)", true, "2"},
        {"%AVERAGE(Big, Two)", true, "1"},
        {"%SUMM(Max, Max)", true, ""},
        {"%AVERAGE(Max, Max, Two)", true, ""},
        {"%SUMM(Max, Max) + \"!\"", true, "!"},
    };
    RunTable(cases, numbers.GetRow(0), numbers, messages);
}

TEST_F(Formula, NumbersIgnoreACommaDecimalLocale) {
    dstest::ScopedLocale locale("ru_RU.UTF-8");
    ASSERT_TRUE(locale.ok()) << "ru_RU.UTF-8 is missing: tools/setup.sh generates it";
    CDataSource numbers;
    dstest::Fill(numbers, {"P", "C", "R"}, {{"2.75", "1,5", ""}});
    numbers.SetAt(0, 2, 0.75);
    const Case cases[] = {
        {"%SUMM(P, C)", true, "3"},  // "1,5" is no number: 0
        {"%SUMM(P, R)", true, "4"},
        {"%AVERAGE(P, R)", true, "2"},
        {"R", true, "0.75"},
    };
    RunTable(cases, numbers.GetRow(0), numbers, messages);
}

TEST_F(Formula, NestingDeeperThanTheLimitFailsCleanly) {
    auto nested = [](int depth, const std::string& inner) {
        std::string e;
        for (int i = 0; i < depth; ++i) e += "!(Пусто, ";
        e += inner;
        for (int i = 0; i < depth; ++i) e += ")";
        return e;
    };
    std::string result;
    EXPECT_TRUE(ds.ParseFunction(nested(150, "\"x\""), result, Row()));
    EXPECT_EQ(result, "x");
    for (const int depth : {datasource::CFormula::kMaxDepth + 1, 20000}) {
        result.clear();
        EXPECT_FALSE(ds.ParseFunction(nested(depth, "\"x\""), result, Row())) << depth;
        EXPECT_EQ(result, "");
        result.clear();
        EXPECT_FALSE(ds.ParseFunction(nested(depth, "\"x\""), result, nullptr)) << depth;
    }
    // A deep branch that is not taken is never read, as before.
    result.clear();
    EXPECT_TRUE(ds.ParseFunction("!(Имя, " + nested(20000, "\"x\"") + ")", result, Row()));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(Formula, CompiledOnceGivesTheSameTextForEveryRow) {
    CDataSource many;
    dstest::Fill(many, {"K", "V"}, {{"a", "1"}, {"", "2"}, {"b", ""}, {"A", "3"}});
    const datasource::CFormula formula("?(K = \"a\", \"[\" + V + \"]\") + !(V, \"-\") + %SUMM(V)", many.GetHeader());
    const char* want[] = {"[1]1", "2", "-0", "[3]3"};
    for (int r = 0; r < many.GetRowCount(); ++r) {
        std::string result;
        ASSERT_TRUE(formula.Evaluate(many.GetRow(r), result));
        EXPECT_EQ(result, want[r]);
        std::string again;
        ASSERT_TRUE(CDataSource::ParseFunction("?(K = \"a\", \"[\" + V + \"]\") + !(V, \"-\") + %SUMM(V)", again,
                                               many.GetRow(r), many.GetHeader()));
        EXPECT_EQ(again, result);
    }
}

TEST(AttrPathText, Split) {
    struct Case { const char* path; bool ok; const char* entity; const char* attr; const char* rest; };
    const Case cases[] = {
        {"", true, "", "", ""},
        {".Материал.Наименование", true, "", ".Материал.Наименование", ".Материал.Наименование"},
        {"name", true, "", "name", "name"},
        {"!(bolt, thread)", true, "bolt", "thread", ""},
        {"!( bolt ,  material.name )tail", true, "bolt", "material.name", "tail"},
        {"!(a,b,c)", true, "a", "b,c", ""},
        {"!bolt.thread", false, "", "", "!bolt.thread"},
        {"!(bolt thread)", false, "", "", "!(bolt thread)"},
        {"!(bolt, thread", false, "", "", "!(bolt, thread"},
        {"!", false, "", "", "!"},
    };
    for (const Case& c : cases) {
        std::string path = c.path, entity = "stale", attr = "stale";
        EXPECT_EQ(CDataSource::ParseAttr(path, entity, attr), c.ok) << c.path;
        EXPECT_EQ(entity, c.entity) << c.path;
        EXPECT_EQ(attr, c.attr) << c.path;
        EXPECT_EQ(path, c.rest) << c.path;
    }
}

}  // namespace
