#pragma once
// The one text form of a stored value, and dotted attribute paths read as text.
#include <string>
#include <string_view>
#include <vector>

class CzorInstance;
class CzorStepData;
class CzorValue;

// The text form of a value: a string as it is, an integer as "%d", a real as "%f" with trailing
// zeros and then a trailing point removed (2.5, 3, -0.25); any other value, or null, gives "".
// Used for data-source cells in files, formulas, comparisons and group breaks.
std::string GetAsString(const CzorValue* value);
// The same, appended to out.
void AppendAsString(const CzorValue* value, std::string& out);

// Follows a dotted path of attribute names from the instance through reference attributes and
// formats the attribute at its end: an integer "%d", a real "%f" (trailing zeros kept), a string
// its text. Leading points are ignored. "" for a null store or instance, an attribute the entity
// lacks, an attribute of another type or a broken chain; a missing number gives its formatted 0.
// A networked store is switched to fetch values it has not loaded yet (and stays so).
std::string GetAttrEx(CzorInstance* instance, const char* path, CzorStepData* store);

// The names GetAttrEx walks, in order: the reference attributes, then the attribute it formats
// (always one, maybe empty). Points before each name are passed over.
std::vector<std::string_view> SplitAttrPath(std::string_view path);
