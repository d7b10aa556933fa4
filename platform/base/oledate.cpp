#include "platform/base/oledate.h"

#include <cmath>

namespace zor {
namespace {

// Days from 30 December 1899 to 1 January 1970.
constexpr double kEpochDays = 25569.0;

// Days since 1 January 1970 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

}  // namespace

double TimeToOleDate(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    const long long days = DaysFromCivil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                                         static_cast<unsigned>(tm.tm_mday));
    const double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec;
    return static_cast<double>(days) + kEpochDays + secs / 86400.0;
}

std::time_t OleDateToTime(double date) {
    const double whole = std::floor(date);
    const long long secs = std::llround((date - whole) * 86400.0);
    std::tm tm{};
    tm.tm_year = 70;
    tm.tm_mon = 0;
    tm.tm_mday = 1 + static_cast<int>(static_cast<long long>(whole) - static_cast<long long>(kEpochDays));
    tm.tm_sec = static_cast<int>(secs);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace zor
