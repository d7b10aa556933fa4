#include "report/tests/generation/golden_rows.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace generation_test {
namespace {

void AddContents(const ContentsNode& node, const std::string& indent, std::vector<std::string>& rows) {
    std::ostringstream row;
    row << "contents " << indent << "\"" << node.title << "\" pages";
    for (int page : node.pages) row << " " << page;
    rows.push_back(row.str());
    for (const ContentsNode& child : node.children) AddContents(child, indent + "  ", rows);
}

// Characters, not bytes: the rows hold Russian text, and columns must line up on the screen.
size_t Width(const std::string& text) {
    return size_t(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::vector<std::string> ReportRows(const ReportView& report) {
    std::vector<std::string> rows;
    if (!report.loaded) return {"not a report that opens"};
    for (size_t i = 0; i < report.sheetNames.size(); ++i)
        rows.push_back("sheet " + std::to_string(i + 1) + " \"" + report.sheetNames[i] + "\"");
    for (size_t page = 0; page < report.pages.size(); ++page)
        for (const ElementView& e : report.pages[page]) {
            std::ostringstream row;
            row << "page " << page + 1 << " kind " << e.kind << " at " << e.origin.x << "," << e.origin.y << " size "
                << e.size.cx << "x" << e.size.cy << " line " << e.lineWidth << " align " << e.align << " font "
                << e.font.lfFaceName << "/" << e.font.lfHeight << "/" << e.font.lfWeight << " italic "
                << int(e.font.lfItalic) << " underline " << int(e.font.lfUnderline) << " param " << e.paramType
                << " target " << e.target << " \"" << e.text << "\"";
            rows.push_back(row.str());
        }
    for (const auto& [name, param] : report.params)
        rows.push_back("param \"" + name + "\" type " + std::to_string(param.type) + " = \"" + param.value + "\"");
    for (const ContentsNode& node : report.contents) AddContents(node, "", rows);
    return rows;
}

std::vector<std::string> ReadRows(const std::string& path) {
    std::vector<std::string> rows;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) rows.push_back(line);
    return rows;
}

std::string SideBySide(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    if (e == expected.end() && a == actual.end()) return {};
    const size_t first = size_t(e - expected.begin());
    constexpr size_t kBefore = 2, kShown = 12;
    const size_t from = first > kBefore ? first - kBefore : 0;
    const size_t to = std::min(std::max(expected.size(), actual.size()), first + kShown);
    auto at = [](const std::vector<std::string>& rows, size_t i) {
        return i < rows.size() ? rows[i] : std::string("(none)");
    };
    size_t width = Width("expected");
    for (size_t i = from; i < to; ++i) width = std::max(width, Width(at(expected, i)));
    std::ostringstream out;
    out << "expected " << expected.size() << " rows, got " << actual.size() << "; the first that differs is row "
        << first + 1 << ":\n";
    auto line = [&](const std::string& mark, const std::string& left, const std::string& right) {
        out << mark << "  " << left << std::string(width - Width(left), ' ') << " | " << right << "\n";
    };
    line("      ", "expected", "actual");
    for (size_t i = from; i < to; ++i) {
        std::ostringstream number;
        number << (at(expected, i) == at(actual, i) ? "  " : "> ") << i + 1;
        std::string mark = number.str();
        mark.resize(std::max<size_t>(mark.size(), 6), ' ');
        line(mark, at(expected, i), at(actual, i));
    }
    return out.str();
}

}  // namespace generation_test
