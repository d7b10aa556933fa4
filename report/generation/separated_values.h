#pragma once
// The field rules of the separated-values data file, shared by the file reader, the writer and
// CDataSource::GetNextWord.
#include <cstddef>
#include <string>
#include <string_view>

namespace datasource {

// Position of the separator that ends the first field of line, or npos when the field runs to
// the end. Double quotes open and close quoted stretches in which a separator is text; a doubled
// quote is one quote character and leaves the stretch as it is.
size_t FieldEnd(std::string_view line, char separator);

// The text of a raw field: in a quoted file the enclosing quotes are dropped (a leading one, then
// a trailing one); in both kinds every doubled quote becomes one. Returns a view of raw when
// nothing changes, else of the text appended to scratch (which must have room reserved for it so
// that earlier views stay valid).
std::string_view FieldText(std::string_view raw, bool quoted, std::string& scratch);

// Appends the field as the file writes it: in double quotes, with every double quote doubled.
void AppendQuoted(std::string& out, std::string_view text);

}  // namespace datasource
