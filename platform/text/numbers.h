#pragma once
// Number text that is the same whatever the user's locale says: "%f" always gives a point.
// Formatting has printf semantics (fmt::sprintf, which ignores the locale; use it directly for other
// formats); parsing reads what the C library's atoi and atof read in the "C" locale, except that a
// number is always finite.
#include <string>
#include <string_view>

namespace zor {

// An ASCII decimal digit, whatever the locale says.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "%d".
std::string IntToText(long long value);
// "%.<decimals>f": RealToText(2.5) is "2.500000", RealToText(2.5, 1) is "2.5", RealToText(2.5, 0) is "2".
std::string RealToText(double value, int decimals = 6);

// Like atoi: leading blanks, an optional sign, decimal digits; reading stops at the first other byte.
// No digits gives 0. A value beyond int is clamped to INT_MIN or INT_MAX. `used`, when given, receives
// the bytes read (0 when no number was found), so a caller can tell "0" from "abc" and "12abc" from "12".
int TextToInt(std::string_view text, size_t* used = nullptr);
// Like atof in the "C" locale: leading blanks, an optional sign, digits with an optional point and
// fraction, an optional exponent ("e" or "E", optional sign, digits). A comma never counts as a point.
// Too small a value gives 0 with its sign. The result is always finite: a value too large for a double
// ("1e400"), "inf", "nan" and hexadecimal forms are no number and read as 0 with nothing used.
double TextToReal(std::string_view text, size_t* used = nullptr);

}  // namespace zor
