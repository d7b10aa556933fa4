// Column formulas: compiling, evaluating, and the attribute-path splitter.
#include "report/generation/formula.h"

#include <algorithm>

#include "platform/text/utf8.h"
#include "platform/ui/outcome.h"
#include "platform/zordata/value.h"
#include "report/model/cell_number.h"
#include "report/model/data_source.h"

namespace datasource {

struct CFormula::Node {
    enum Kind {
        kText,             // append text
        kCell,             // append the cell of column
        kIfEmpty,          // "!": branch when the cell is empty
        kTest,             // "?": branch when the test holds
        kSum,              // "%SUMM"
        kAverage,          // "%AVERAGE"
        kFail,             // a fault of the text
        kUnknownFunction,  // an aggregate of another name: message, then fail
    };
    Kind kind = kFail;
    int column = -1;
    bool negate = false;       // kTest: "!="
    std::string text;          // kText: the text; kTest: the value compared with
    std::vector<int> columns;  // kSum, kAverage
    std::unique_ptr<Program> branch;
};

namespace {

using Node = CFormula::Node;
using Program = CFormula::Program;
constexpr size_t npos = std::string_view::npos;

bool IsBlank(char c) { return c == ' '; }

// In s (the text after an opening quote): the closing quote, the first quote that ends s or is not
// followed by another (a doubled quote is passed over); npos when there is none.
size_t ClosingQuote(std::string_view s) {
    for (size_t j = 0; j < s.size(); ++j) {
        if (s[j] != '"') continue;
        if (j + 1 == s.size() || s[j + 1] != '"') return j;
        ++j;
    }
    return npos;
}

// Every occurrence of `what`, left to right, replaced by `with`.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
    std::string out;
    out.reserve(text.size());
    for (size_t q = text.find(what); q != npos; q = text.find(what)) {
        out.append(text.substr(0, q));
        out.append(with);
        text.remove_prefix(q + what.size());
    }
    out.append(text);
    return out;
}

// The text of a literal: backslash-n pairs become line feeds, then doubled quotes one quote.
std::string LiteralText(std::string_view raw) { return ReplaceAll(ReplaceAll(raw, "\\n", "\n"), "\"\"", "\""); }

// s begins with "(": the position of its matching ")", counting every parenthesis (quotes are not
// special); npos when it never closes.
size_t MatchingParen(std::string_view s) {
    int depth = 0;
    for (size_t j = 0; j < s.size(); ++j) {
        if (s[j] == '(') ++depth;
        else if (s[j] == ')' && --depth == 0) return j;
    }
    return npos;
}

void AddFail(Program& program) { program.emplace_back().kind = Node::kFail; }

std::unique_ptr<Program> Compile(std::string_view expr, const CHeader& header, int depth);

std::unique_ptr<Program> CompileBranch(std::string_view expr, const CHeader& header, int depth) {
    if (depth >= CFormula::kMaxDepth) {
        auto program = std::make_unique<Program>();
        AddFail(*program);
        return program;
    }
    return Compile(expr, header, depth + 1);
}

// Reads "(" column "," at the front of s for "!" and "?". On success inner is the text between
// the parentheses and s continues after ")".
bool TakeParenthesized(std::string_view& s, std::string_view& inner) {
    if (s.empty() || s.front() != '(') return false;
    const size_t close = MatchingParen(s);
    if (close == npos) return false;
    inner = s.substr(1, close - 1);
    s.remove_prefix(close + 1);
    return true;
}

// The program of expr; compiling stops at the first fault, which becomes a failing step.
std::unique_ptr<Program> Compile(std::string_view s, const CHeader& header, int depth) {
    auto program = std::make_unique<Program>();
    Program& out = *program;
    while (!s.empty()) {
        const char c = s.front();
        if (IsBlank(c) || c == '+') {
            s.remove_prefix(1);
            continue;
        }
        if (c == '"') {
            s.remove_prefix(1);
            const size_t close = ClosingQuote(s);
            if (close == npos) { AddFail(out); return program; }
            Node& n = out.emplace_back();
            n.kind = Node::kText;
            n.text = LiteralText(s.substr(0, close));
            s.remove_prefix(close + 1);
            continue;
        }
        if (c == '!') {
            s.remove_prefix(1);
            std::string_view inner;
            if (!TakeParenthesized(s, inner)) { AddFail(out); return program; }
            const size_t comma = inner.find(',');
            if (comma == npos) { AddFail(out); return program; }
            const int column = header.Find(zor::Trim(inner.substr(0, comma)));
            if (column < 0) { AddFail(out); return program; }
            Node& n = out.emplace_back();
            n.kind = Node::kIfEmpty;
            n.column = column;
            n.branch = CompileBranch(inner.substr(comma + 1), header, depth);
            continue;
        }
        if (c == '?') {
            s.remove_prefix(1);
            std::string_view inner;
            if (!TakeParenthesized(s, inner)) { AddFail(out); return program; }
            const size_t comma = inner.find(',');
            if (comma == npos) { AddFail(out); return program; }
            const size_t stop = std::min({comma, inner.find('='), inner.find('!')});
            const int column = header.Find(zor::Trim(inner.substr(0, stop)));
            if (column < 0) { AddFail(out); return program; }
            std::string_view rest = inner[stop] == ',' ? inner.substr(stop + 1) : inner.substr(stop);
            bool negate = false;
            std::string value;
            if (!rest.empty() && rest.front() == '!') {
                rest.remove_prefix(1);
                if (rest.empty() || rest.front() != '=') { AddFail(out); return program; }
                negate = true;
            }
            if (!rest.empty() && rest.front() == '=') {
                rest.remove_prefix(1);
                while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
                if (rest.empty() || rest.front() != '"') { AddFail(out); return program; }
                rest.remove_prefix(1);
                const size_t close = ClosingQuote(rest);
                if (close == npos) { AddFail(out); return program; }
                value = LiteralText(rest.substr(0, close));
                rest.remove_prefix(close + 1);
                const size_t next = rest.find(',');
                if (next == npos) { AddFail(out); return program; }
                rest.remove_prefix(next + 1);
            }
            Node& n = out.emplace_back();
            n.kind = Node::kTest;
            n.column = column;
            n.negate = negate;
            n.text = std::move(value);
            n.branch = CompileBranch(rest, header, depth);
            continue;
        }
        if (c == '%') {
            s.remove_prefix(1);
            if (s.empty()) { AddFail(out); return program; }
            const size_t open = s.find('(');
            if (open == npos) { AddFail(out); return program; }
            const std::string_view name = s.substr(0, open);
            const size_t close = MatchingParen(s.substr(open));
            if (close == npos) { AddFail(out); return program; }
            std::string_view args = s.substr(open + 1, close - 1);
            s.remove_prefix(open + close + 1);
            Node n;
            if (name == "SUMM") n.kind = Node::kSum;
            else if (name == "AVERAGE") n.kind = Node::kAverage;
            else {
                out.emplace_back().kind = Node::kUnknownFunction;
                return program;
            }
            for (;;) {
                const size_t comma = args.find(',');
                const std::string piece = zor::Trim(args.substr(0, comma));
                if (!piece.empty()) {
                    const int column = header.Find(piece);
                    if (column < 0) { AddFail(out); return program; }
                    n.columns.push_back(column);
                }
                if (comma == npos) break;
                args.remove_prefix(comma + 1);
            }
            out.push_back(std::move(n));
            continue;
        }
        // A column name, up to the next "+".
        const size_t plus = s.find('+');
        const int column = header.Find(zor::Trim(s.substr(0, plus)));
        if (column < 0) { AddFail(out); return program; }
        Node& n = out.emplace_back();
        n.kind = Node::kCell;
        n.column = column;
        s = plus == npos ? std::string_view() : s.substr(plus);
    }
    return program;
}

bool CellIsEmpty(const CTableRow& row, int column) {
    const CzorValue* v = row.GetColumn(column);
    if (!v) return true;
    switch (v->GetType()) {
    case zorSTRING: return *v->GetString() == '\0';
    case zorINTEGER:
    case zorREAL: return false;
    default: return true;
    }
}

// The number a cell counts as in an aggregate: its text when that is a real number, else 0.
double CellNumber(const CTableRow& row, int column, std::string& scratch) {
    scratch.clear();
    row.AppendAsString(column, scratch);
    double number = 0.0;
    return TextNumber(scratch, number) ? number : 0.0;
}

bool TestHolds(const Node& n, const CTableRow& row) {
    std::string cell;
    row.AppendAsString(n.column, cell);
    if (n.text.empty()) return n.negate ? cell.empty() : !cell.empty();
    const bool equal = zor::EqualsNoCase(cell, n.text);
    return n.negate ? !equal : equal;
}

bool Run(const Program& program, const CTableRow* row, std::string& result) {
    for (const Node& n : program) {
        switch (n.kind) {
        case Node::kText: result += n.text; break;
        case Node::kCell:
            if (row) row->AppendAsString(n.column, result);
            break;
        case Node::kIfEmpty:
            if ((!row || CellIsEmpty(*row, n.column)) && !Run(*n.branch, row, result)) return false;
            break;
        case Node::kTest:
            if ((!row || TestHolds(n, *row)) && !Run(*n.branch, row, result)) return false;
            break;
        case Node::kSum:
        case Node::kAverage: {
            double sum = 0.0;
            if (row) {
                std::string scratch;
                for (int column : n.columns) sum += CellNumber(*row, column, scratch);
            }
            // The mean of no columns is 0.
            if (n.kind == Node::kAverage && !n.columns.empty()) sum /= static_cast<double>(n.columns.size());
            result += TotalText(sum);
            break;
        }
        case Node::kUnknownFunction: zor::Note({"Неизвестная функция!"}); return false;
        case Node::kFail: return false;
        }
    }
    return true;
}

}  // namespace

CFormula::CFormula(std::string_view expr, const CHeader* header) {
    if (header) m_pProgram = Compile(expr, *header, 0);
}

CFormula::~CFormula() = default;

bool CFormula::Evaluate(const CTableRow* row, std::string& result) const {
    return m_pProgram && Run(*m_pProgram, row, result);
}

}  // namespace datasource

bool CDataSource::ParseFunction(std::string_view expr, std::string& result, const CTableRow* row, const CHeader* header) {
    return datasource::CFormula(expr, header).Evaluate(row, result);
}

bool CDataSource::ParseFunction(std::string_view expr, std::string& result, const CTableRow* row) const {
    return ParseFunction(expr, result, row, m_pHeader);
}

bool CDataSource::ParseAttr(std::string& path, std::string& entity, std::string& attr) {
    entity.clear();
    attr.clear();
    if (path.empty()) return true;
    if (path.front() != '!') {
        attr = path;
        return true;
    }
    const std::string_view rest = std::string_view(path).substr(1);
    if (rest.empty() || rest.front() != '(') return false;
    const size_t close = rest.find(')');
    if (close == std::string_view::npos) return false;
    const std::string_view inner = rest.substr(1, close - 1);
    const size_t comma = inner.find(',');
    if (comma == std::string_view::npos) return false;
    entity = zor::Trim(inner.substr(0, comma));
    attr = zor::Trim(inner.substr(comma + 1));
    path = std::string(rest.substr(close + 1));
    return true;
}
