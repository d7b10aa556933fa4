// The exchange files' integers and instance numbers, at every change of length (in digits and in bits) and
// at the ends of range, read as the standard library writes them.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/zordata/step_format.h"

namespace {

TEST(StepFormat, IntegersAtEveryLength) {
    std::vector<long long> values = {0, LLONG_MAX, LLONG_MIN, LLONG_MIN + 1};
    // Every change of bit length too, which the digits are counted from.
    for (int bits = 1; bits < 63; ++bits) {
        values.push_back((1LL << bits) - 1);
        values.push_back(1LL << bits);
    }
    for (unsigned long long ten = 1; ten <= 1000000000000000000ULL; ten *= 10) {
        for (const long long v : {static_cast<long long>(ten) - 1, static_cast<long long>(ten),
                                  static_cast<long long>(ten) + 1}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    for (const long long v : values) {
        zor_detail::OutBuf out(4);
        zor_detail::step_format::Int(out, v);
        EXPECT_EQ(std::string(out.data(), out.size()), std::to_string(v));
        if (v >= 0) {
            out.clear();
            zor_detail::step_format::Number(out, static_cast<unsigned long long>(v));
            EXPECT_EQ(std::string(out.data(), out.size()), "#" + std::to_string(v));
        }
    }
    for (const unsigned long long v :
         {ULLONG_MAX, 1ULL << 63, (1ULL << 63) - 1, 10000000000000000000ULL, 9999999999999999999ULL}) {
        zor_detail::OutBuf out(4);
        zor_detail::step_format::Number(out, v);
        EXPECT_EQ(std::string(out.data(), out.size()), "#" + std::to_string(v));
    }
}

}  // namespace
