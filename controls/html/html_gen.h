#pragma once

// Writes HTML reports: from a template filled slot by slot, or as whole tables of rows.
// Output is UTF-8 with CR LF line ends; every file is replaced atomically, so a failed call
// leaves the previous file as it was.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "controls/html/html_rows.h"

namespace zor {

using COLORREF = std::uint32_t;  // 0x00BBGGRR

class CHtmlGen {
public:
    // Table flags.
    enum : unsigned char {
        kCreate = 1, kAppend = 2, kWholeTree = 4, kVisible = 8, kSelected = 16
    };

    CHtmlGen(unsigned char titleSlots = 17, unsigned char rowSlots = 9, std::string dotName = "table.htm",
             std::string fileName = "report.htm", char separator = ';');

    bool SetFileName(const std::string& name) { m_strFileName = name; return true; }
    void SetDotName(const std::string& name) { m_strDotName = name; }

    // Each returns 0, -1 when the template cannot be read, -2 when the output cannot be written.
    int CreateTitle(const std::string& values);
    int AddRow(const std::string& values, COLORREF color);
    int AddParam(const std::string& value, const std::string& fcolor, const std::string& bcolor);
    int CreatePS(const std::string& values);

    static int CreateEmptyTitle(const std::string& file);
    static int CreateEmptyPS(const std::string& file);
    // A plain list: kCreate or kAppend, kSelected for the first selected row only.
    static bool GenerateByListCtrl(const IHtmlRows* list, const std::string& file, unsigned char flags,
                                   const std::vector<unsigned>* skipColumns);
    // A tree-list: kCreate or kAppend, and one of kWholeTree, kVisible, kSelected.
    static bool GenerateByTreeList(const IHtmlRows* tree, const std::string& file, unsigned char flags,
                                   const std::vector<unsigned>* skipColumns);
    // The same table as text, for callers that write the whole page at once; false for the
    // flag pairs GenerateByTreeList refuses.
    static bool TreeListTable(const IHtmlRows* tree, unsigned char flags, const std::vector<unsigned>* skipColumns,
                              std::string* html);
    // What CreateEmptyTitle and CreateEmptyPS write.
    static std::string EmptyTitleText();
    static std::string EmptyPSText();
    // Appends every line left in the file to `text`, each ended by "\n" whatever it ended with. 0.
    static int ReadHtmlToString(std::string* text, std::istream& file);
    static std::string GetBody(std::string* text);
    static int WriteStrToFile(const std::string& text, const std::string& file, unsigned char flags);

    // The next value of a list, removed from it with its separator.
    static std::string GetNextString(std::string& list, char separator);

private:
    struct Template;
    int Open(Template& tpl, std::string& out, bool create) const;
    int Finish(const std::string& out) const;
    static bool AddAllRows(const IHtmlRows& tree, std::string& html, HtmlRowId parent,
                           const std::vector<int>& columns);

    unsigned char m_nTitleSlots, m_nRowSlots;
    char m_chSeparator;
    std::string m_strFileName, m_strDotName;
    std::size_t m_nRowPos = 0, m_nParamPos = 0;
};

}  // namespace zor
