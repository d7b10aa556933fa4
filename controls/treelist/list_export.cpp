#include "controls/treelist/list_export.h"

#include <algorithm>
#include <filesystem>

namespace zor {

std::string ProposedExportName(std::string name) {
    std::replace_if(name.begin(), name.end(), [](char c) { return c == ':' || c == '*' || c == '/'; }, ' ');
    return name;
}

ListDocKind ListDocKindOf(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (ext == "html" || ext == "htm") return ListDocKind::Html;
    return ext == "csv" ? ListDocKind::Csv : ListDocKind::Text;
}

std::string ListDocText(const IHtmlRows& rows, bool all, const std::string& heading, char separator) {
    constexpr const char* kEol = "\r\n";
    std::string text;
    if (!heading.empty()) text += heading + kEol + kEol;
    const int columns = rows.ColumnCount();
    auto line = [&](auto cell) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) text += separator;
            text += '"' + cell(c) + '"';
        }
    };
    line([&](int c) { return rows.ColumnTitle(c); });
    text += std::string(kEol) + kEol;
    for (HtmlRowId row : rows.VisibleRows()) {
        if (!all && !rows.IsSelected(row)) continue;
        line([&](int c) { return rows.CellText(row, c); });
        text += kEol;
    }
    return text;
}

}  // namespace zor
