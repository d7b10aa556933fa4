#include "platform/base/ole_date.h"

#include <cmath>

namespace zor {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 1899-12-30 to 1970-01-01.
constexpr int64_t kUnixEpochOleDay = 25569;
// 0100-01-01 and 9999-12-31 23:59:59 as OLE dates: the range OLE dates are defined for.
constexpr double kFirstOleDate = -657434.0;
constexpr double kLastOleDate = 2958465.99999;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

double OleDateFromUnixTime(int64_t seconds) {
    // Floor division, so that the time of day is never negative.
    int64_t days = seconds / kSecondsPerDay;
    int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    days += kUnixEpochOleDay;
    const double fraction = static_cast<double>(rest) / kSecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

bool UnixTimeFromOleDate(double date, int64_t& seconds) {
    if (!std::isfinite(date) || date < kFirstOleDate || date > kLastOleDate) return false;
    const double whole = std::trunc(date);
    const double fraction = std::fabs(date - whole);
    int64_t days = static_cast<int64_t>(whole);
    int64_t secondOfDay = std::llround(fraction * kSecondsPerDay);
    seconds = (days - kUnixEpochOleDay) * kSecondsPerDay + secondOfDay;
    return true;
}

}  // namespace zor

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) {
    static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return;
    const int monthDays = kDaysInMonth[month - 1] + (month == 2 && zor::IsLeap(year) ? 1 : 0);
    if (day > monthDays) return;
    const int64_t days = zor::DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    m_dt = zor::OleDateFromUnixTime(days * zor::kSecondsPerDay + hour * 3600 + minute * 60 + second);
}

namespace zor {

double TimeToOleDate(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return OleDateFromUnixTime(static_cast<int64_t>(t) + tm.tm_gmtoff);
}

std::time_t OleDateToTime(double date) {
    int64_t wall = 0;
    if (!UnixTimeFromOleDate(date, wall)) return static_cast<std::time_t>(-1);
    // The wall-clock fields of the date, handed to mktime so that the local zone and its summer time apply.
    const std::time_t as_utc = static_cast<std::time_t>(wall);
    std::tm tm{};
    ::gmtime_r(&as_utc, &tm);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace zor
