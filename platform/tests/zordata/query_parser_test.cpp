// The query-language parser: trees of valid queries, every error with its position.
#include <gtest/gtest.h>

#include "platform/tests/zordata/query_fixture.h"
#include "platform/tests/zordata/query_print.h"

using zor::test::PrintQL;
using zor::test::QueryTest;

namespace {
std::string Q(const std::string& from, const std::string& select = "a") {
    return "select " + select + " from " + from + " end_select";
}
}  // namespace

TEST_F(QueryTest, ValidQueriesGiveTheirTrees) {
    struct Row {
        std::string text;
        const char* tree;
    } rows[] = {
        {"select Ext from Ext {product .id = '12345'} end_select", "ext | ext=product{.id 5 \"12345\"}"},
        {"SELECT A FROM A {PERSON .NAME = 'Иван'} END_SELECT", "a | a=person{.name 5 \"Иван\"}"},
        {"select a from a{person} end_select trailing words are not read", "a | a=person{}"},
        // Precedence: "and" groups to the left, "or" to the right.
        {Q("a{person} b{person} c{person}", "a and b and c"), "and(and(a,b),c) | a=person{} | b=person{} | c=person{}"},
        {Q("a{person} b{person} c{person}", "a or b or c"), "or(a,or(b,c)) | a=person{} | b=person{} | c=person{}"},
        {Q("a{person} b{person} c{person}", "a and b or c"), "or(and(a,b),c) | a=person{} | b=person{} | c=person{}"},
        {Q("a{person} b{person} c{person}", "a or b and c"), "or(a,and(b,c)) | a=person{} | b=person{} | c=person{}"},
        {Q("a{person} b{person} c{person}", "(a or b) and c"), "and(or(a,b),c) | a=person{} | b=person{} | c=person{}"},
        // Conditions.
        {Q("a{person (.age > 30 and .name like 'Ан')}"), "a | a=person{and(.age 2 30,.name 9 \"Ан\")}"},
        {Q("a{person (.age < 1 or .age = 2 and .age = 3)}"), "a | a=person{or(.age 1 1,and(.age 5 2,.age 5 3))}"},
        {Q("a{person ((.age = 1 or .age = 2) and .active = TRUE)}"),
         "a | a=person{and(or(.age 5 1,.age 5 2),.active 5 true)}"},
        {Q("a{person (.boss->employee and .age = 1)}"), "a | a=person{and(.boss->employee,.age 5 1)}"},
        {Q("a{person .boss->employee .salary >= 2.5}"), "a | a=person{.boss->employee .salary 4 2.500}"},
        {Q("a{person .home->place (.city like_left 'Мо' or .zip != 5)}"),
         "a | a=person{.home->place or(.city 13 \"Мо\",.zip 6 5)}"},
        // Navigation and output paths.
        {Q("a{person}.boss->employee"), "a | a=person{}.boss->employee"},
        {Q("a{person}.friends"), "a | a=person{}.friends"},
        {Q("a{person}", "a.home->place.city"), "a.home->place.city | a=person{}"},
        {Q("a{person}", "a.boss"), "a.boss | a=person{}"},
        // Instance lists (a trailing comma, duplicates kept once) and set expressions.
        {Q("a{#4001, #4002,}"), "a | a=[#4001,#4002]"},
        {Q("a{#4001,#4001}"), "a | a=[#4001]"},
        {Q("a{person} b{employee} c{#a and #b.boss}", "c"), "c | a=person{} | b=employee{} | c={and(a,b.boss)}"},
        {Q("a{person} b{employee} c{#a or (#b and #a)}", "c"), "c | a=person{} | b=employee{} | c={or(a,and(b,a))}"},
        // Values of every type.
        {Q("a{person .height < - 2.5}"), "a | a=person{.height 1 -2.500}"},
        {Q("a{person .age > -3}"), "a | a=person{.age 2 -3}"},
        {Q("a{person .height = 1e3}"), "a | a=person{.height 5 1000.000}"},
        {Q("a{person .active != false}"), "a | a=person{.active 6 false}"},
        {Q("a{person .boss = #4002}"), "a | a=person{.boss 5 #4002}"},
        {Q("a{person .boss = #0}"), "a | a=person{.boss 5 -}"},
        {Q("a{person .boss > #17}"), "a | a=person{.boss 2 17}"},
        {Q("b{employee} a{person .boss in #b}"), "a | b=employee{} | a=person{.boss 7 @b}"},
        {Q("b{employee} a{person .# not in #b}"), "a | b=employee{} | a=person{.# 8 @b}"},
        {Q("a{person .# = #4001}"), "a | a=person{.# 5 #4001}"},
        {Q("a{person .friends like #4002}"), "a | a=person{.friends 9 #4002}"},
        {Q("a{product .id = @BLOB_CONSIST('x')}"), "a | a=product{.id 5 blob:\"x\"}"},
        {Q("a{product .id like @blob_consist(\"x\", 'y')}"), "a | a=product{.id 9 blob:[\"x\",\"y\"]}"},
        {Q("a{product .id = \"a'b\"}"), "a | a=product{.id 5 \"a'b\"}"},
        {Q("a{product .id = 'a\"b'}"), "a | a=product{.id 5 \"a\"b\"}"},
        // Comments and line breaks anywhere.
        {"select a // the output\r\nfrom /* one extent */ a{person}\nend_select", "a | a=person{}"},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(Parse(r.text)) << r.text << "\n  error " << parser.GetErrorCode() << " " << parser.GetErrorText()
                                   << " at " << parser.m_nErrLine << ":" << parser.m_nErrColumn;
        EXPECT_EQ(PrintQL(parser), r.tree) << r.text;
        EXPECT_TRUE(parser.m_bValid);
    }
}

TEST_F(QueryTest, EveryRelation) {
    struct Row {
        const char* relation;
        const char* attr;
        const char* value;
        int code;
    } rows[] = {
        {"<", "age", "1", 1},           {">", "age", "1", 2},          {"<=", "age", "1", 3},
        {">=", "age", "1", 4},          {"=", "age", "1", 5},          {"!=", "age", "1", 6},
        {"in", "name", "'x'", 7},       {"not_in", "age", "1", 8},     {"not in", "age", "1", 8},
        {"like", "name", "'x'", 9},     {"not like", "name", "'x'", 10}, {"not exist", "age", "0", 12},
        {"like_left", "name", "'x'", 13}, {"like_right", "name", "'x'", 14},
        {"not like_left", "name", "'x'", 15}, {"NOT LIKE_RIGHT", "name", "'x'", 16},
    };
    for (const Row& r : rows) {
        const std::string text = Q(std::string("a{person .") + r.attr + " " + r.relation + " " + r.value + "}");
        ASSERT_TRUE(Parse(text)) << text << " error " << parser.GetErrorCode();
        auto* ext = static_cast<CzorQLQuery::CzorQLExtent*>(parser.m_Extents.GetAt(0));
        auto* el = static_cast<CzorQLQuery::CzorQLPathElement*>(ext->m_pCondition);
        ASSERT_NE(el->m_pRelation, nullptr);
        EXPECT_EQ(el->m_pRelation->m_nRelation, r.code) << text;
    }
}

TEST_F(QueryTest, ErrorsWithTheirPositions) {
    struct Row {
        std::string text;
        int code, line, column;
    } rows[] = {
        {"", 101, 1, 1},
        {"select ", 101, 1, 8},
        {"select a", 101, 1, 9},
        {"select a from a{person}", 101, 1, 24},
        {"selec a", 102, 1, 6},
        {"select from a{person} end_select", 103, 1, 12},
        {"select a and from", 103, 1, 18},
        {"select (a)) from a{person} end_select", 105, 1, 12},
        {"select a where", 107, 1, 15},
        {"select a.( from", 108, 1, 11},
        {"select a.boss-> from", 109, 1, 21},
        {"select a.boss->nosuch from", 111, 1, 22},
        {"select (a from", 114, 1, 15},
        {Q("a{person (.age = 1}"), 114, 1, 34},
        {Q("b{person} a{#b)}"), 115, 1, 30},
        {Q("from{person}"), 117, 1, 19},
        {Q("#a{person}"), 118, 1, 17},
        {Q("1a{person}"), 118, 1, 17},
        {Q("a{#4001}.boss"), 119, 1, 24},
        {Q("a{person} a{#4001}"), 120, 1, 26},
        {Q("b{person}"), 121, 1, 9},
        {Q("a{person .boss in #a}"), 121, 1, 35},
        {Q("a{#zz}"), 121, 1, 20},
        {Q("a{person .boss in #later} later{person}"), 121, 1, 39},
        {Q("a person"), 122, 1, 23},
        {Q("a{product .id = @blob_consist 'x'}"), 122, 1, 48},
        {Q("a{person .age = 1 and .age = 2}"), 123, 1, 36},
        {Q("a{product .id = @blob_consist('x' 'y')}"), 123, 1, 52},
        {Q("a{person (.age not = 1)}"), 125, 1, 35},
        {Q("a{person .age ~ 1}"), 125, 1, 30},
        {Q("a{person (.age = 1 .age = 2)}"), 126, 1, 35},
        {Q("a{person .age = }"), 127, 1, 32},
        {Q("a{#4001, x}"), 128, 1, 25},
        {Q("a{person .friends like 4001}"), 128, 1, 42},
        {Q("a{person .boss = 4001}"), 129, 1, 36},
        {Q("a{person .age = #1}"), 130, 1, 33},
        {Q("a{person .boss = #}"), 130, 1, 33},
        {Q("a{person .age = 'x'}"), 131, 1, 34},
        {Q("a{person .name = abc}"), 132, 1, 35},
        {Q("a{product .id = @blob_consist('')}"), 132, 1, 47},
        {Q("a{person .age = 12abc}"), 133, 1, 36},
        {Q("a{person .age = 1.5}"), 133, 1, 34},
        {Q("a{person .age = 99999999999}"), 133, 1, 42},
        {Q("a{person .height = 1.5x}"), 134, 1, 38},
        {Q("a{person .height = 1e400}"), 134, 1, 39},
        {Q("a{person .active = yes}"), 135, 1, 37},
        {Q("a{#0}"), 136, 1, 19},
        {Q("a{#999}"), 136, 1, 21},
        {Q("a{person .boss = #999}"), 136, 1, 36},
        {Q("a{person .friends like #999}"), 136, 1, 42},
        {Q("a{person .age in 5}"), 140, 1, 33},
        {Q("b{person} a{person .boss < #b}"), 140, 1, 44},
        {Q("a{person .active < true}"), 140, 1, 38},
        {Q("a{product .id < @blob_consist('x')}"), 140, 1, 44},
        {Q("a{person .friends = #4001}"), 140, 1, 40},
        {Q("a{person .photo = 1}"), 141, 1, 34},
        {Q("a{person (.boss->place)}"), 113, 1, 37},
        {Q("a{person .# -> person}"), 152, 1, 29},
        {Q("a{person} c{#a.boss}"), 152, 1, 30},
        {Q("a{person}.age"), 153, 1, 28},
        {Q("a{#4001 #4002}"), 154, 1, 28},
        {Q("a{person .nosuch = 1}"), 112, 1, 31},
        {Q("a{person x}"), 104, 1, 25},
        {Q("a{person ()}"), 104, 1, 26},
        {Q("a{nosuch}"), 111, 1, 23},
        {Q("a{person} c{(#a)}"), 111, 1, 28},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(Parse(r.text)) << r.text;
        std::string message;
        int line = 0, column = 0;
        parser.GetErrorInfo(message, line, column);
        EXPECT_EQ(parser.GetErrorCode(), r.code) << r.text << " : " << message;
        EXPECT_EQ(line, r.line) << r.text;
        EXPECT_EQ(column, r.column) << r.text;
        EXPECT_EQ(message, CzorQLQueryParser::ErrorText(r.code)) << r.text;
        EXPECT_FALSE(parser.m_bValid);
    }
}

TEST_F(QueryTest, ResolutionErrorsCarryTheNodesOwnToken) {
    struct Row {
        std::string text;
        int code, line, column, pos, len;
    } rows[] = {
        // 112 on the output path: the attribute's own token, though the text was read to its end.
        {"select a.nosuch\nfrom a{person} end_select", 112, 1, 16, 15, 6},
        {"select a.boss->place from a{person} end_select", 113, 1, 14, 13, 4},
        {"select x from a{person} end_select", 121, 1, 9, 8, 1},
        {"select a.x from a{#4001} end_select", 150, 1, 11, 10, 1},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(Parse(r.text)) << r.text;
        std::string message;
        int line = 0, column = 0, pos = 0, len = 0;
        parser.GetErrorInfo(message, line, column, &pos, &len);
        EXPECT_EQ(parser.GetErrorCode(), r.code) << r.text;
        EXPECT_EQ(line, r.line) << r.text;
        EXPECT_EQ(column, r.column) << r.text;
        EXPECT_EQ(pos, r.pos) << r.text;
        EXPECT_EQ(len, r.len) << r.text;
    }
}

TEST_F(QueryTest, PositionsAfterStepBackAndLineFeedsInStrings) {
    struct Row {
        std::string text;
        int code, line, column, len;
    } rows[] = {
        // "and" behind "->entity" is read again; the column comes back with the line.
        {"select a from a{person (.boss->employee\n  and .age = x)} end_select", 133, 2, 15, 1},
        {"select a from a{person (.boss->employee\n  or .age = x)} end_select", 133, 2, 14, 1},
        // A line feed inside a string counts.
        {"select a from a{person (.name = 'a\nb' and .age = x)} end_select", 133, 2, 16, 1},
        // A three-character token at the start of line 2: column 4.
        {"select a\nfoo", 107, 2, 4, 3},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(Parse(r.text)) << r.text;
        std::string message;
        int line = 0, column = 0, pos = 0, len = 0;
        parser.GetErrorInfo(message, line, column, &pos, &len);
        EXPECT_EQ(parser.GetErrorCode(), r.code) << r.text;
        EXPECT_EQ(line, r.line) << r.text;
        EXPECT_EQ(column, r.column) << r.text;
        EXPECT_EQ(len, r.len) << r.text;
        // The offset and length select exactly the offending token.
        std::string cp;
        ASSERT_TRUE(zor::Utf8ToCp1251(r.text, cp));
        ASSERT_GE(pos - len, 0);
        EXPECT_EQ(cp.substr(static_cast<size_t>(pos - len), static_cast<size_t>(len)),
                  r.code == 107 ? "foo" : "x") << r.text;
    }
}

TEST_F(QueryTest, ASecondParseLeavesNothingOfTheFirst) {
    ASSERT_TRUE(Parse(Q("a{person} b{#4001}", "a or b")));
    ASSERT_EQ(parser.m_Extents.GetSize(), 2);
    EXPECT_FALSE(Parse(Q("a{person .age = x}")));
    EXPECT_FALSE(parser.m_bValid);
    ASSERT_TRUE(Parse(Q("a{employee}")));
    EXPECT_EQ(PrintQL(parser), "a | a=employee{}");
    EXPECT_EQ(parser.m_Extents.GetSize(), 1);
    EXPECT_EQ(parser.GetErrorCode(), 0);
    EXPECT_EQ(parser.GetErrorText(), "");
    // The same text on a fresh parser gives the same tree.
    CzorQLQueryParser fresh(&store, &lookup);
    ASSERT_TRUE(fresh.ParseSelectStatement("select a from a{employee} end_select"));
    EXPECT_EQ(PrintQL(fresh), PrintQL(parser));
}

TEST_F(QueryTest, SetFromOlderMovesTheTreeAlone) {
    CzorQLQuery prepared(&store);
    {
        CzorQLQueryParser editor(&store, &lookup);
        ASSERT_TRUE(editor.ParseSelectStatement("select a from a{person .age = 3} end_select"));
        prepared.SetFromOlder(editor);
        EXPECT_EQ(editor.m_Extents.GetSize(), 0);
        EXPECT_EQ(editor.m_pRoot, nullptr);
    }  // the editor's parser is gone; the prepared query must still hold its whole tree
    EXPECT_TRUE(prepared.m_bValid);
    EXPECT_EQ(PrintQL(prepared), "a | a=person{.age 5 3}");
}
