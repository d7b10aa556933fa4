#pragma once
// The one moment tests date their files and reports with, so that what they write compares byte for byte:
// 5 March 2024 at noon, local time.
#include <ctime>

namespace zor::test {

inline std::time_t FixedNoon() {
    std::tm noon{};
    noon.tm_year = 2024 - 1900;
    noon.tm_mon = 2;
    noon.tm_mday = 5;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    return std::mktime(&noon);
}

}  // namespace zor::test
