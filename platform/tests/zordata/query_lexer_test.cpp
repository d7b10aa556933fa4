// The query-language tokenizer: tokens with the line and column just behind each.
#include <gtest/gtest.h>

#include <string>

#include "platform/zordata/query_lexer.h"

namespace {

// Every token as "token@line:column", then "END" or "101" for how the text ended.
std::string Lex(const std::string& text) {
    CzorQLLexer lex;
    lex.Reset(text);
    std::string out, tok;
    for (int guard = 0; guard < 100; ++guard) {
        const auto r = lex.Next(tok);
        const auto& s = lex.GetState();
        if (r == CzorQLLexer::Result::Token) {
            out += tok + "@" + std::to_string(s.line) + ":" + std::to_string(s.column) + " ";
            continue;
        }
        return out + (r == CzorQLLexer::Result::End ? "END" : "101");
    }
    return out + "LOOP";
}

}  // namespace

TEST(QueryLexer, TokensLinesAndColumns) {
    struct Row {
        const char* text;
        const char* tokens;
    } rows[] = {
        {"SELECT A", "select@1:7 a@1:9 END"},
        {"select a", "select@1:7 a@1:9 END"},
        {"a.b", "a@1:2 .@1:3 b@1:4 END"},
        {"1.5", "1.5@1:4 END"},
        {"x1.5", "x1.5@1:5 END"},
        {".5", ".@1:2 5@1:3 END"},
        {"a.5", "a@1:2 .@1:3 5@1:4 END"},
        {"5.x", "5@1:2 .@1:3 x@1:4 END"},
        {"a->b", "a@1:2 ->@1:4 b@1:5 END"},
        {"a - > b", "a@1:2 -@1:4 >@1:6 b@1:8 END"},
        {"<=", "<=@1:3 END"},
        {">= != <>", ">=@1:3 !=@1:6 <@1:8 >@1:9 END"},
        {"= =", "=@1:2 =@1:4 END"},
        {"==", "=@1:2 =@1:3 END"},
        {"!x", "!@1:2 x@1:3 END"},
        {"'AbC'", "'AbC'@1:6 END"},
        {"\"a\\\"b\" x", "\"a\\\"b\"@1:7 x@1:9 END"},
        {"'it\\'s", "'it\\'@1:6 s@1:7 END"},
        {"'open", "'open@1:6 END"},
        {"\"two\nlines\" x", "\"two\nlines\"@2:7 x@2:9 END"},
        {"select ", "select@1:7 101"},
        {"select", "select@1:7 END"},
        {"", "101"},
        {"  \n ", "101"},
        {"a\nbcd", "a@1:2 bcd@2:4 END"},
        {"a\r\nb", "a@1:2 b@2:2 END"},
        {"/**/x", "x@1:6 END"},
        {"/*/ x */y", "y@1:10 END"},
        {"/*\n*/x", "x@2:4 END"},
        {"/* a\nb */ c", "c@2:7 END"},
        {"a /* open", "a@1:2 END"},
        {"a // note", "a@1:2 END"},
        {"// note\nb", "b@2:2 END"},
        {"a / b", "a@1:2 /@1:4 b@1:6 END"},
        {"#12,#3}", "#12@1:4 ,@1:5 #3@1:7 }@1:8 END"},
        {"@BLOB_Consist('x')", "@blob_consist@1:14 (@1:15 'x'@1:18 )@1:19 END"},
        {"\xC0\xE1\xE2.x", "\xE0\xE1\xE2@1:4 .@1:5 x@1:6 END"},
        {"a{b:c;d^e*f}", "a@1:2 {@1:3 b@1:4 :@1:5 c@1:6 ;@1:7 d@1:8 ^@1:9 e@1:10 *@1:11 f@1:12 }@1:13 END"},
        {"a_b$c[d]&e|f+g%h?i\\j", "a_b$c[d]&e|f+g%h?i\\j@1:21 END"},
    };
    for (const Row& r : rows) EXPECT_EQ(Lex(r.text), r.tokens) << "text: " << r.text;
    // A zero byte inside the text ends it like blanks running to the end.
    EXPECT_EQ(Lex(std::string("a \0b", 4)), "a@1:2 101");
}

TEST(QueryLexer, WordTables) {
    for (const char* w : {"select", "from", "end_select", "=", "<", ">", ">=", "<=", "!=", "like", "in", "not_in",
                          "and", "or", "(", "->", "}", "."})
        EXPECT_TRUE(CzorQLLexer::IsReservedWord(w)) << w;
    for (const char* w : {"", "not", "like_left", "exist", "#1", "x", "@blob_consist", "true"})
        EXPECT_FALSE(CzorQLLexer::IsReservedWord(w)) << w;
    EXPECT_TRUE(CzorQLLexer::IsNumber("007"));
    for (const char* w : {"", "1a", "-1", "1.5"}) EXPECT_FALSE(CzorQLLexer::IsNumber(w)) << w;
}

TEST(QueryLexer, StateRestoresExactly) {
    CzorQLLexer lex;
    lex.Reset("a ->\n  b and");
    std::string t;
    lex.Next(t);
    lex.Next(t);
    const CzorQLLexer::State before = lex.GetState();
    lex.Next(t);
    EXPECT_EQ(t, "b");
    lex.Next(t);
    lex.SetState(before);
    lex.Next(t);
    EXPECT_EQ(t, "b");
    EXPECT_EQ(lex.GetState().line, 2);
    EXPECT_EQ(lex.GetState().column, 4);
}
