#pragma once
// Dates in the OLE automation form: a double counting days since 30 December 1899 at midnight,
// the fraction being the time of day, in local time.
#include <ctime>

namespace zor {

double TimeToOleDate(std::time_t t);
// Whole seconds, local time; dates before 1970 are allowed.
std::time_t OleDateToTime(double date);

}  // namespace zor
