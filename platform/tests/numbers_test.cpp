#include "platform/text/numbers.h"

#include <gtest/gtest.h>
#include <fmt/printf.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>

using namespace zor;

namespace {

// Switches the C and the C++ global locale for a scope.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : m_old(std::setlocale(LC_ALL, nullptr)), m_oldCpp() {
        m_ok = std::setlocale(LC_ALL, name) != nullptr;
        if (m_ok) {
            try {
                std::locale::global(std::locale(name));
            } catch (const std::exception&) {
                m_ok = false;
            }
        }
    }
    ~ScopedLocale() {
        std::setlocale(LC_ALL, m_old.c_str());
        std::locale::global(m_oldCpp);
    }
    bool ok() const { return m_ok; }

private:
    std::string m_old;
    std::locale m_oldCpp;
    bool m_ok = false;
};

std::string CText(const char* format, double v) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

// Both locales are made by tools/setup.sh; they write a comma where "C" writes a point.
TEST(NumberText, SameUnderCommaDecimalLocales) {
    for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8"}) {
        ScopedLocale locale(name);
        ASSERT_TRUE(locale.ok()) << name << " is missing: tools/setup.sh generates it";
        ASSERT_EQ(CText("%f", 2.5), "2,500000") << "the C library itself follows " << name;

        EXPECT_EQ(RealToText(2.5), "2.500000") << name;
        EXPECT_EQ(fmt::sprintf("%f", 2.5), "2.500000") << name;
        struct Case { std::string got, want; };
        const Case cases[] = {
            {fmt::sprintf("%d", 1234567), "1234567"},
            {fmt::sprintf("%i", -42), "-42"},
            {fmt::sprintf("%.f", 2.5), "2"},  // ties go to even, as printf does
            {fmt::sprintf("%.f", 3.5), "4"},
            {fmt::sprintf("%.1f", 0.25), "0.2"},
            {fmt::sprintf("%.1f", -1234.56), "-1234.6"},
            {fmt::sprintf("%f", 1e6), "1000000.000000"},
            {RealToText(0.125, 2), "0.12"},
            {RealToText(2.5, 0), "2"},
            {RealToText(-0.0), "-0.000000"},
            {IntToText(-2147483648LL), "-2147483648"},
            {IntToText(9000000000LL), "9000000000"},
        };
        for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << name;

        EXPECT_DOUBLE_EQ(TextToReal("2.5"), 2.5) << name;
        size_t used = 0;
        EXPECT_DOUBLE_EQ(TextToReal("2,5", &used), 2.0) << name;
        EXPECT_EQ(used, 1u);
    }
}

TEST(NumberText, FormatsAsTheCLocalePrintfDoes) {
    const double values[] = {0.0, 2.5, 0.5, 1.5, 2.675, 1.005, -3.14159, 123456789.987654321, 1e-7, 1e20, 0.045};
    for (const char* format : {"%f", "%.f", "%.1f", "%.2f", "%.10f"})
        for (double v : values) EXPECT_EQ(fmt::sprintf(format, v), CText(format, v)) << format << " " << v;
}

TEST(NumberText, ParsesWhatAtofAndAtoiRead) {
    struct Case { const char* text; double value; size_t used; };
    const Case reals[] = {
        {"2.5", 2.5, 3},
        {"  \t\n-3.25e2xyz", -325.0, 11},
        {"+.5", 0.5, 3},
        {"5.", 5.0, 2},
        {"1e", 1.0, 1},     // an exponent without digits is not read
        {"1e+", 1.0, 1},
        {"1E-2", 0.01, 4},
        {"007", 7.0, 3},
        {".", 0.0, 0},
        {"-", 0.0, 0},
        {"", 0.0, 0},
        {"abc", 0.0, 0},
        {" 12 34", 12.0, 3},
        {"1,5", 1.0, 1},
        {"0x10", 0.0, 1},   // decimal only: the "x" ends the number
        {"inf", 0.0, 0},
        {"nan", 0.0, 0},
        {"-0", -0.0, 2},
        {"\xC2\xA0" "5", 0.0, 0},  // a no-break space is not a blank
    };
    for (const auto& c : reals) {
        size_t used = 99;
        const double v = TextToReal(c.text, &used);
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(used, c.used) << c.text;
        // The C library, in the "C" locale this test runs in, reads the same decimal texts the same way.
        if (std::string(c.text).find_first_of("xin") == std::string::npos) {
            EXPECT_EQ(v, std::atof(c.text)) << c.text;
        }
    }
    // Past the range of a double there is no number: never an infinity to print.
    for (const std::string& text : std::initializer_list<std::string>{"1e400", "-1e400", " 1e400xyz", std::string(400, '9'), "-" + std::string(400, '9') + ".5"}) {
        size_t used = 99;
        EXPECT_EQ(TextToReal(text, &used), 0.0) << text;
        EXPECT_EQ(used, 0u) << text;
    }
    EXPECT_EQ(TextToReal("1.7976931348623157e308"), DBL_MAX);
    EXPECT_EQ(TextToReal("1e-400"), 0.0);
    EXPECT_EQ(TextToReal("4.9e-324"), std::atof("4.9e-324"));
    EXPECT_EQ(TextToReal(std::string(300, '9') + ".5"), std::atof((std::string(300, '9') + ".5").c_str()));
    // Text is not required to end after the number, nor to be NUL-terminated.
    EXPECT_EQ(TextToReal(std::string_view("12.75", 4)), 12.7);

    struct IntCase { const char* text; int value; size_t used; };
    const IntCase ints[] = {
        {"42", 42, 2},
        {"  -17abc", -17, 5},
        {"+8", 8, 2},
        {"12.9", 12, 2},
        {"", 0, 0},
        {"-", 0, 0},
        {"x1", 0, 0},
        {"2147483647", INT_MAX, 10},
        {"2147483648", INT_MAX, 10},
        {"-2147483648", INT_MIN, 11},
        {"-2147483649", INT_MIN, 11},
        {"99999999999999999999999", INT_MAX, 23},
    };
    for (const auto& c : ints) {
        size_t used = 99;
        EXPECT_EQ(TextToInt(c.text, &used), c.value) << c.text;
        EXPECT_EQ(used, c.used) << c.text;
    }
}
