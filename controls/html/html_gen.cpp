#include "controls/html/html_gen.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <istream>

#include "platform/base/file_io.h"

namespace zor {

namespace {

constexpr const char* kEol = "\r\n";

bool Has(const std::string& line, const char* what) { return line.find(what) != std::string::npos; }

bool ReplaceFirst(std::string& line, const std::string& what, const std::string& by) {
    const auto at = line.find(what);
    if (at == std::string::npos) return false;
    line.replace(at, what.size(), by);
    return true;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& by) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + by.size()))
        text.replace(at, what.size(), by);
}

std::string CellOrSpace(const std::string& text) { return text.empty() || text == " " ? "&nbsp" : text; }

// Fills the line's first slot with the list's next value; a line without a slot takes none.
bool FillSlot(std::string& line, std::string& list, char separator, bool blankAsSpace) {
    const auto at = line.find("##");
    if (at == std::string::npos) return false;
    std::string value = CHtmlGen::GetNextString(list, separator);
    line.replace(at, 2, blankAsSpace ? CellOrSpace(value) : value);
    return true;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Adds `text` to a file through an atomic replace: create starts afresh, otherwise the file must
// exist unless `createMissing`.
bool AppendToFile(const std::string& path, const std::string& text, bool create, bool createMissing) {
    std::string bytes;
    if (!create) {
        if (Exists(path)) {
            if (!ReadWholeFile(path, bytes)) return false;
        } else if (!createMissing) {
            return false;
        }
    }
    bytes += text;
    return WriteFileAtomically(path, bytes);
}

std::vector<int> WrittenColumns(const IHtmlRows& rows, const std::vector<unsigned>* skip) {
    std::vector<int> columns;
    for (int c = 0; c < rows.ColumnCount(); ++c)
        if (!skip || std::find(skip->begin(), skip->end(), static_cast<unsigned>(c)) == skip->end())
            columns.push_back(c);
    return columns;
}

std::string TableHead(const IHtmlRows& rows, const std::vector<int>& columns) {
    std::string html =
        "<table border=\"1\"  style=\"font-size: 9pt;\" cellspacing=\"1\" cellpadding=\"3\" cellspacing=\"0\" "
        "cellpadding=\"3\" style='border-collapse:collapse' color=0 bordercolorlight=\"#000000\" "
        "bordercolordark=\"#000000\" bordercolor=\"#000000\" width=100%>";
    html += kEol;
    html += "<tr>";
    long long total = 0;
    for (int c : columns) total += std::max(0, rows.ColumnWidth(c));
    for (int c : columns) {
        // Zero widths all round would divide by zero; every column then gets no share.
        const long long percent = total > 0 ? std::max(0, rows.ColumnWidth(c)) * 100LL / total : 0;
        html += "<td width=\"" + std::to_string(percent) + "%\"><center><b>" + rows.ColumnTitle(c) +
                "</b></center></td>" + kEol;
    }
    html += std::string("</tr>") + kEol;
    return html;
}

void AddRowCells(const IHtmlRows& rows, std::string& html, HtmlRowId row, const std::vector<int>& columns) {
    for (int c : columns) html += "<td>" + CellOrSpace(rows.CellText(row, c)) + "</td>" + kEol;
}

void AddFlatRow(const IHtmlRows& rows, std::string& html, HtmlRowId row, const std::vector<int>& columns) {
    html += std::string("<tr>") + kEol;
    AddRowCells(rows, html, row, columns);
    html += std::string("</tr>") + kEol;
}

bool WriteTable(const std::string& file, unsigned char flags, const std::string& html) {
    return AppendToFile(file, html, (flags & CHtmlGen::kCreate) != 0, (flags & CHtmlGen::kAppend) != 0);
}

}  // namespace

// A template read whole, walked line by line with byte positions that later calls return to.
struct CHtmlGen::Template {
    std::string bytes;
    std::size_t pos = 0;

    bool Next(std::string& line) {
        if (pos >= bytes.size()) return false;
        auto end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        line.assign(bytes, pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pos = std::min(bytes.size(), end + 1);
        return true;
    }
};

CHtmlGen::CHtmlGen(unsigned char titleSlots, unsigned char rowSlots, std::string dotName, std::string fileName,
                   char separator)
    : m_nTitleSlots(titleSlots), m_nRowSlots(rowSlots), m_chSeparator(separator),
      m_strFileName(std::move(fileName)), m_strDotName(std::move(dotName)) {}

std::string CHtmlGen::GetNextString(std::string& list, char separator) {
    const auto at = list.find(separator);
    std::string value;
    if (at == std::string::npos) {
        value.swap(list);
    } else {
        value = list.substr(0, at);
        list.erase(0, at + 1);
    }
    return value;
}

int CHtmlGen::Open(Template& tpl, std::string& out, bool create) const {
    if (!ReadWholeFile(m_strDotName, tpl.bytes)) return -1;
    if (create) return 0;
    if (!Exists(m_strFileName) || !ReadWholeFile(m_strFileName, out)) return -2;
    return 0;
}

int CHtmlGen::Finish(const std::string& out) const { return WriteFileAtomically(m_strFileName, out) ? 0 : -2; }

int CHtmlGen::CreateTitle(const std::string& values) {
    Template tpl;
    std::string out;
    if (int rc = Open(tpl, out, true)) return rc;
    std::string list = values, line;
    int filled = 0;
    bool everySlot = false;
    while (filled < m_nTitleSlots && tpl.Next(line)) {
        if (Has(line, "sec=0")) {
            if (FillSlot(line, list, m_chSeparator, false)) ++filled;
        } else {
            if (Has(line, "sec=1")) everySlot = true;
            if (everySlot && FillSlot(line, list, m_chSeparator, false)) ++filled;
        }
        out += line + kEol;
    }
    m_nRowPos = m_nParamPos = tpl.pos;
    while (tpl.Next(line) && !Has(line, "sec=2")) {
        out += line + kEol;
        m_nRowPos = m_nParamPos = tpl.pos;
    }
    return Finish(out);
}

int CHtmlGen::AddRow(const std::string& values, COLORREF color) {
    Template tpl;
    std::string out;
    if (int rc = Open(tpl, out, false)) return rc;
    tpl.pos = m_nRowPos;
    std::string list = values, line;
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    int filled = 0;
    while (filled < m_nRowSlots && tpl.Next(line)) {
        ReplaceFirst(line, "#000000", std::string("#") + rgb);
        if (FillSlot(line, list, m_chSeparator, true)) ++filled;
        out += line + kEol;
    }
    if (tpl.Next(line) && Has(line, "</tr>")) out += line + kEol;
    return Finish(out);
}

int CHtmlGen::AddParam(const std::string& value, const std::string& fcolor, const std::string& bcolor) {
    Template tpl;
    std::string out;
    if (int rc = Open(tpl, out, false)) return rc;
    tpl.pos = m_nParamPos;
    std::string line;
    while (tpl.Next(line)) {
        const auto slot = line.find("##");
        if (slot != std::string::npos) {
            // Colours go into the template's text only, never into the value.
            std::string head = line.substr(0, slot), tail = line.substr(slot + 2);
            for (std::string* part : {&head, &tail}) {
                ReplaceAll(*part, "bcolor", bcolor);
                ReplaceAll(*part, "fcolor", fcolor);
            }
            out += head + value + tail + kEol;
            break;
        }
        out += line + kEol;
        if (Has(line, "</tr>")) break;
    }
    m_nParamPos = tpl.pos;
    return Finish(out);
}

int CHtmlGen::CreatePS(const std::string& values) {
    Template tpl;
    std::string out;
    if (int rc = Open(tpl, out, false)) return rc;
    tpl.pos = m_nRowPos;
    std::string list = values, line;
    bool closing = false;
    while (tpl.Next(line)) {
        closing = closing || Has(line, "sec=3");
        if (!closing) continue;
        FillSlot(line, list, m_chSeparator, false);
        out += line + kEol;
    }
    return Finish(out);
}

std::string CHtmlGen::EmptyTitleText() {
    std::string head;
    for (const char* line : {"<HEADER>", "<TITLE>", "</TITLE>", "</HEADER>",
                             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">", "<BODY>"})
        head += std::string(line) + kEol;
    return head;
}

std::string CHtmlGen::EmptyPSText() { return std::string("</BODY>") + kEol; }

int CHtmlGen::CreateEmptyTitle(const std::string& file) { return WriteFileAtomically(file, EmptyTitleText()) ? 0 : -2; }

int CHtmlGen::CreateEmptyPS(const std::string& file) { return AppendToFile(file, EmptyPSText(), false, false) ? 0 : -2; }

bool CHtmlGen::GenerateByListCtrl(const IHtmlRows* list, const std::string& file, unsigned char flags,
                                  const std::vector<unsigned>* skipColumns) {
    if (!list || ((flags & kCreate) && (flags & kAppend))) return false;
    const auto columns = WrittenColumns(*list, skipColumns);
    std::string html = TableHead(*list, columns);
    auto rows = list->Children(0);
    if (flags & kSelected) {
        const auto first = std::find_if(rows.begin(), rows.end(), [&](HtmlRowId r) { return list->IsSelected(r); });
        if (first != rows.end()) rows = {*first};
    }
    for (HtmlRowId row : rows) AddFlatRow(*list, html, row, columns);
    html += std::string("</table>") + kEol;
    return WriteTable(file, flags, html);
}

bool CHtmlGen::AddAllRows(const IHtmlRows& tree, std::string& html, HtmlRowId parent,
                          const std::vector<int>& columns) {
    const auto children = tree.Children(parent);
    for (HtmlRowId child : children) {
        if (tree.IsFictive(child)) continue;
        html += std::string("<tr>") + kEol;
        AddRowCells(tree, html, child, columns);
        AddAllRows(tree, html, child, columns);
        html += std::string("</tr>") + kEol;
    }
    return !children.empty();
}

bool CHtmlGen::TreeListTable(const IHtmlRows* tree, unsigned char flags, const std::vector<unsigned>* skipColumns,
                             std::string* html) {
    if (!tree || !html || ((flags & kCreate) && (flags & kAppend)) || ((flags & kWholeTree) && (flags & kVisible)))
        return false;
    const auto columns = WrittenColumns(*tree, skipColumns);
    *html = TableHead(*tree, columns);
    if (flags & (kVisible | kSelected)) {
        for (HtmlRowId row : tree->VisibleRows())
            if ((flags & kVisible) || tree->IsSelected(row)) AddFlatRow(*tree, *html, row, columns);
    } else if (flags & kWholeTree) {
        AddAllRows(*tree, *html, 0, columns);
    }
    *html += std::string("</table>") + kEol;
    return true;
}

bool CHtmlGen::GenerateByTreeList(const IHtmlRows* tree, const std::string& file, unsigned char flags,
                                  const std::vector<unsigned>* skipColumns) {
    std::string html;
    return TreeListTable(tree, flags, skipColumns, &html) && WriteTable(file, flags, html);
}

int CHtmlGen::ReadHtmlToString(std::string* text, std::istream& file) {
    std::string line;
    while (std::getline(file, line)) {
        // A page written on another system keeps its CR before the LF; the string gets plain line ends.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (text) *text += line + "\n";
    }
    return 0;
}

std::string CHtmlGen::GetBody(std::string* text) {
    if (!text) return {};
    for (char& c : *text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const auto p = text->find("<body>");
    if (p == std::string::npos) return {};
    const auto q = text->find("</body>", p);
    if (q == std::string::npos) return {};
    // The body starts on the line after its tag and ends where the closing tag begins.
    std::size_t start = p + 6;
    if (text->compare(start, 2, "\r\n") == 0) start += 2;
    else if (start < q && (*text)[start] == '\n') start += 1;
    return text->substr(start, q - start);
}

int CHtmlGen::WriteStrToFile(const std::string& text, const std::string& file, unsigned char flags) {
    if ((flags & kCreate) && (flags & kAppend)) return -2;
    if (flags & kCreate) return WriteFileAtomically(file, text) ? 0 : -2;
    if (!Exists(file)) return -2;
    if (flags & kAppend) return AppendToFile(file, text, false, false) ? 0 : -2;
    // Neither bit: the text takes the place of the file's start, the rest stays.
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) return -2;
    bytes.replace(0, std::min(bytes.size(), text.size()), text);
    return WriteFileAtomically(file, bytes) ? 0 : -2;
}

}  // namespace zor
