#include "platform/text/numbers.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fmt/printf.h>
#include <string>

namespace zor {

namespace {

// The blanks isspace() knows in the "C" locale.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

size_t SkipBlanks(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && IsBlank(t[i])) ++i;
    return i;
}

size_t SkipDigits(std::string_view t, size_t i) {
    while (i < t.size() && IsDigit(t[i])) ++i;
    return i;
}

}  // namespace

std::string IntToText(long long value) { return fmt::sprintf("%d", value); }

std::string RealToText(double value, int decimals) {
    return fmt::sprintf("%.*f", decimals < 0 ? 6 : decimals, value);
}

int TextToInt(std::string_view text, size_t* used) {
    size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t digits = i;
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
    }
    if (i == digits) {
        if (used) *used = 0;
        return 0;
    }
    if (used) *used = i;
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double TextToReal(std::string_view text, size_t* used) {
    if (used) *used = 0;
    size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t start = i;
    size_t end = SkipDigits(text, i);
    size_t mantissaDigits = end - start;
    if (end < text.size() && text[end] == '.') {
        const size_t fraction = end + 1;
        end = SkipDigits(text, fraction);
        mantissaDigits += end - fraction;
    }
    if (mantissaDigits == 0) return 0.0;
    // An exponent counts only when it has digits: "2e" reads as 2 and leaves the "e".
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const size_t expEnd = SkipDigits(text, e);
        if (expEnd > e) end = expEnd;
    }
    // The text is known to be a decimal number now; the "C" locale's strtod gives it its exact value,
    // HUGE_VAL past the range and 0 or a denormal below it.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const std::string number(text.substr(start, end - start));
    double value = 0.0;
    if (cLocale)
        value = strtod_l(number.c_str(), nullptr, cLocale);
    else
        std::from_chars(number.data(), number.data() + number.size(), value);
    // A value past the range of a double is no number at all: totals, conditions and formulas that
    // read it would otherwise carry "inf" into a report.
    if (!std::isfinite(value)) return 0.0;
    if (used) *used = end;
    return negative ? -value : value;
}

}  // namespace zor
