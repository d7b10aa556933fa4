#include "platform/zordata/query_lexer.h"

#include <cstring>

namespace {
constexpr std::string_view kStatementWords[] = {"select", "from", "end_select"};
constexpr std::string_view kRelationWords[] = {"=", "<", ">", ">=", "<=", "!=", "like", "in", "not_in"};
constexpr std::string_view kLogicWords[] = {"and", "or"};

template <size_t N>
bool In(const std::string_view (&table)[N], std::string_view word) {
    for (std::string_view w : table)
        if (w == word) return true;
    return false;
}
}  // namespace

void CzorQLLexer::Reset(std::string_view text) {
    m_Text.assign(text.data(), text.size());
    m_State = State{};
}

bool CzorQLLexer::IsDelimiter(unsigned char c) {
    return c != 0 && std::strchr("\t\n\r !()*,-/:;<=>^{}.", c) != nullptr;
}

bool CzorQLLexer::IsDelimiterAt(size_t pos) const {
    if (pos >= m_Text.size()) return false;
    const auto c = static_cast<unsigned char>(m_Text[pos]);
    if (c != '.') return IsDelimiter(c);
    if (pos == 0 || pos + 1 >= m_Text.size()) return true;
    return !(IsDigit(static_cast<unsigned char>(m_Text[pos - 1])) && IsDigit(static_cast<unsigned char>(m_Text[pos + 1])));
}

bool CzorQLLexer::IsNumber(std::string_view word) {
    if (word.empty()) return false;
    for (char c : word)
        if (!IsDigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool CzorQLLexer::IsStatementWord(std::string_view word) { return In(kStatementWords, word); }
bool CzorQLLexer::IsRelationWord(std::string_view word) { return In(kRelationWords, word); }
bool CzorQLLexer::IsLogicWord(std::string_view word) { return In(kLogicWords, word); }

bool CzorQLLexer::IsReservedWord(std::string_view word) {
    return IsStatementWord(word) || IsRelationWord(word) || IsLogicWord(word) ||
           (!word.empty() && IsDelimiter(static_cast<unsigned char>(word[0])));
}

std::string CzorQLLexer::Lower(std::string_view word) {
    std::string out(word);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) ch = static_cast<char>(c + 0x20);
        else if (c == 0xA8) ch = static_cast<char>(0xB8);  // Ё
    }
    return out;
}

void CzorQLLexer::Advance(unsigned char c) {
    ++m_State.pos;
    if (c == '\n') {
        ++m_State.line;
        m_State.column = 1;
    } else {
        ++m_State.column;
    }
}

CzorQLLexer::Result CzorQLLexer::Next(std::string& token) {
    token.clear();
    if (m_Text.empty()) return Result::BadEnd;
    const size_t size = m_Text.size();
    const auto at = [&](size_t i) { return i < size ? static_cast<unsigned char>(m_Text[i]) : 0; };
    if (m_State.pos >= size) return Result::End;
    for (;;) {
        const unsigned char c = at(m_State.pos);
        if (c == '\t' || c == '\r' || c == ' ' || c == '\n') {
            Advance(c);
            continue;
        }
        if (c == 0) return Result::BadEnd;  // blanks up to the end, or a zero byte
        if (c == '/' && at(m_State.pos + 1) == '/') {
            Advance('/');
            Advance('/');
            while (m_State.pos < size) {
                const unsigned char b = at(m_State.pos);
                if (b == 0) break;
                Advance(b);
                if (b == '\r' || b == '\n') break;
            }
        } else if (c == '/' && at(m_State.pos + 1) == '*') {
            Advance('/');
            Advance('*');
            bool closed = false;
            while (m_State.pos < size && !closed) {
                const unsigned char b = at(m_State.pos);
                closed = b == '*' && at(m_State.pos + 1) == '/';
                Advance(b);
                if (closed) Advance('/');
            }
        } else {
            break;
        }
        if (m_State.pos >= size || at(m_State.pos) == 0) return Result::End;
    }
    const unsigned char c = at(m_State.pos);
    if (IsDelimiterAt(m_State.pos)) {
        token.push_back(static_cast<char>(c));
        Advance(c);
        const unsigned char n = at(m_State.pos);
        if (((c == '<' || c == '>' || c == '!') && n == '=') || (c == '-' && n == '>')) {
            token.push_back(static_cast<char>(n));
            Advance(n);
        }
    } else if (c == '"' || c == '\'') {
        token.push_back(static_cast<char>(c));
        Advance(c);
        while (m_State.pos < size) {
            const unsigned char b = at(m_State.pos);
            if (b == 0) break;
            token.push_back(static_cast<char>(b));
            Advance(b);
            if (b == c && (c == '\'' || m_Text[m_State.pos - 2] != '\\')) break;
        }
    } else {
        while (m_State.pos < size) {
            const unsigned char b = at(m_State.pos);
            if (b == 0 || b == ' ' || IsDelimiterAt(m_State.pos)) break;
            token.push_back(static_cast<char>(b));
            Advance(b);
        }
        token = Lower(token);
    }
    return Result::Token;
}
