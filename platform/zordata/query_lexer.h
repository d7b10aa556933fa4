#pragma once
// The tokenizer of the store's query language. It reads the code page 1251 bytes of a query
// (the editor converts its text at its boundary) and cuts them into tokens:
//   - a word: a run of bytes that are no delimiter, lower-cased (ASCII and Cyrillic letters);
//   - a quoted string: from a quote to the next quote of the same kind (a double quote behind a
//     backslash does not end a double-quoted string), quotes and case kept, nothing unescaped;
//     a string that reaches the end of the text ends there;
//   - an operator: one delimiter byte, or "<=", ">=", "!=", "->".
// Delimiters: tab, LF, CR, space and ! ( ) * , - / : ; < = > ^ { }. A "." is one too, unless it
// stands between two decimal digits ("12.5" is one word, "ext.attr" three tokens).
// Blanks and comments ("//" to the end of the line, "/*" to the first "*/" that does not share
// the opening "*") are skipped. Lines count from 1 at every LF, also inside comments and strings;
// columns count bytes from 1, and a token's column is the one just behind it.
#include <string>
#include <string_view>

class CzorQLLexer {
public:
    enum class Result {
        Token,     // a token was read
        End,       // the text ended right at the call or inside a comment (the token is empty)
        BadEnd,    // blanks ran to the end of the text, or the text is empty
    };
    // Where the lexer stands; a copy taken before a token brings it back exactly.
    struct State {
        size_t pos = 0;
        int line = 1;
        int column = 1;
    };

    // Starts over on a new text (line 1, column 1, position 0). The text is copied.
    void Reset(std::string_view text);
    Result Next(std::string& token);
    const State& GetState() const { return m_State; }
    void SetState(const State& s) { m_State = s; }
    const std::string& GetText() const { return m_Text; }

    // The delimiter rule for the byte at index pos of the text (the "." needs its neighbours).
    bool IsDelimiterAt(size_t pos) const;

    static bool IsDelimiter(unsigned char c);  // without the "." exception
    static bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
    // At least one character, and all decimal digits.
    static bool IsNumber(std::string_view word);
    static bool IsStatementWord(std::string_view word);
    static bool IsRelationWord(std::string_view word);
    static bool IsLogicWord(std::string_view word);
    // A statement, relation or logic word, or a word whose first byte is a delimiter.
    static bool IsReservedWord(std::string_view word);
    // The word in lower case (ASCII and the Cyrillic letters of code page 1251).
    static std::string Lower(std::string_view word);

private:
    void Advance(unsigned char c);  // one byte passed over: position, line and column
    std::string m_Text;
    State m_State;
};
