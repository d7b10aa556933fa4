#pragma once
// Column formulas, compiled once and evaluated per row.
//
// The language: parts scanned left to right, each adding text to the result.
//   "text"                      the text ("" stands for ", \n for a line feed)
//   column                      the row's cell in that column (runs to the next "+")
//   !(column, expression)       the expression when the cell is empty (or there is no row)
//   ?(column, expression)       the expression when the cell is not empty
//   ?(column = "v", expression) the expression when the cell equals v (A-Z case ignored; an
//                               empty v: when the cell is not empty)
//   ?(column != "v", expression) the expression when the cell differs from v (an empty v: when
//                               the cell is empty)
//   %SUMM(a, b, ...)  %AVERAGE(a, b, ...)  the sum or mean of the columns' numbers, no decimals
// Blanks and "+" between parts are skipped. Without a row every branch is taken, so a check
// without data walks the whole expression.
//
// Compiling never fails: a fault becomes a failing step at the place where reading the text
// would find it, and a branch is checked only when it is taken. So an evaluation adds the same
// text and fails at the same row as reading the text anew for every row would.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CHeader;
class CTableRow;

namespace datasource {

class CFormula {
public:
    // Branches nested deeper than this fail like any other fault of the text.
    static constexpr int kMaxDepth = 200;

    // Column names are looked up in header now (it must stay unchanged while the formula is
    // used); a null header makes every evaluation fail.
    CFormula(std::string_view expr, const CHeader* header);
    ~CFormula();
    CFormula(const CFormula&) = delete;
    CFormula& operator=(const CFormula&) = delete;

    // Appends the formula's text for row (null: the check without data) to result. False on a
    // fault of the formula, with result holding what was added before it; an aggregate other than
    // SUMM and AVERAGE shows "Неизвестная функция!" when it is reached.
    bool Evaluate(const CTableRow* row, std::string& result) const;

    struct Node;
    using Program = std::vector<Node>;

private:
    std::unique_ptr<Program> m_pProgram;
};

}  // namespace datasource
