#pragma once
// The OLE automation date: days since 1899-12-30 00:00 as a double, the fraction being the time of day.
// Before that midnight the whole part counts back while the fraction still counts forward from the
// day's midnight: -1.25 is 1899-12-29 06:00, not 1899-12-28 18:00. Times here are UTC.
#include <cstdint>
#include <ctime>

namespace zor {

// The OLE date of a count of seconds since 1970-01-01 00:00 UTC.
double OleDateFromUnixTime(int64_t seconds);
// The seconds since 1970-01-01 00:00 UTC of an OLE date, rounded to the nearest second. False, leaving
// `seconds` alone, for a value that is not a number or lies outside the years 100 to 9999 that OLE dates cover.
bool UnixTimeFromOleDate(double date, int64_t& seconds);

}  // namespace zor

// The date and time value of callers that pass an OLE date around.
struct COleDateTime {
    double m_dt = 0;  // the OLE date

    COleDateTime() = default;
    explicit COleDateTime(double date) : m_dt(date) {}
    // A calendar date and time of day (UTC); an impossible date gives 0 (1899-12-30 00:00).
    COleDateTime(int year, int month, int day, int hour, int minute, int second);
};

namespace zor {

// The same dates read as the local wall clock, as the server stamps its log: the OLE date of a moment,
// and the moment of an OLE date (dates before 1970 allowed; a date outside the OLE range gives -1).
double TimeToOleDate(std::time_t t);
std::time_t OleDateToTime(double date);

}  // namespace zor
