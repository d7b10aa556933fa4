#pragma once
// The number a data-source cell stands for. Rows read from a separated-values file hold text only, so
// numeric conditions and group totals read a text that is a number as that number.
#include <string>
#include <string_view>

class CzorValue;

// A text that reads as a number once blanks are trimmed: not empty, accepted by zorIsRealOrEmpty, finite.
bool TextNumber(std::string_view text, double& number);
// A real or an integer value, or a string value that TextNumber reads. False for anything else (null too).
bool CellNumber(const CzorValue* value, double& number);
// A total (sum, mean, count) as a report shows it: "%.f". A sum that overflowed is no number and shows
// as an empty text, never as "inf" or "nan".
std::string TotalText(double value);
