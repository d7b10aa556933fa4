#pragma once

// What the tree-list view writes when it saves its rows: the file name it proposes, the kind of
// file the chosen name asks for, and the separated-values text.

#include <string>

#include "controls/html/html_rows.h"

namespace zor {

// The name proposed in the save dialog: ':', '*' and '/' cannot stand in a file name and become
// blanks.
std::string ProposedExportName(std::string name);

enum class ListDocKind { Text, Csv, Html };
// Decided by the extension of the chosen name, in any case: "html"/"htm", "csv", else plain text.
ListDocKind ListDocKindOf(const std::string& path);

// The rows as separated values, every text in double quotes (inner quotes as they are), lines
// ended by CR LF: the heading (when given) and a blank line, the column titles and a blank line,
// then every visible row, all of them or only the selected ones. Rows under collapsed rows are
// not visible and never written.
std::string ListDocText(const IHtmlRows& rows, bool all, const std::string& heading, char separator);

}  // namespace zor
