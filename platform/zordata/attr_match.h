#pragma once
// How a search criterion matches an attribute value, the same in the networked store's local
// search and in our application server's search (commands 36 and 37).
#include <string>
#include <string_view>

class CzorAttr;
class CzorValue;

// How a string criterion matches when pattern matching is asked for; any other value lets every
// string match.
enum zorStringBindMode : int { zorBindBegin = 0, zorBindContains = 1, zorBindEnd = 2 };

// The status with which the server says that other instances hold the values (not a failure).
constexpr int kzorStatusNotUnique = 114;

// Upper case for every letter code page 1251 holds (Latin, Russian, Ukrainian, Belarusian, Serbian
// and Macedonian Cyrillic); other characters stay as they are.
std::string zorUpper1251(std::string_view utf8);

// `have` is the instance's value (null or empty: it holds none) of attribute `attr` (null: the
// criterion names no attribute). Strings: the criterion must hold a string and the instance one
// too; equal, or with `pattern` as the bind mode says; without `caseSensitive` compared in upper
// case. Other values: equal values, or no value where the criterion is empty.
bool zorCriterionMatches(const CzorAttr* attr, const CzorValue* have, const CzorValue& want, bool pattern,
                         bool caseSensitive, int mode);
