#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/base/ole_date.h"
#include "platform/base/scramble.h"

namespace {

std::string FromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

}  // namespace

TEST(Scrambler, MatchesTheVectorFile) {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/platform/tests/data/scramble_vectors.txt");
    ASSERT_TRUE(in);
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos);
        const std::string plain = FromHex(line.substr(0, tab)), want = line.substr(tab + 1);
        std::string got;
        zor::ScrambleText(plain.c_str(), got);
        EXPECT_EQ(got, want) << line.substr(0, tab);
        EXPECT_EQ(got.size(), 1 + 80 * (plain.size() / 40 + 1));
        std::string back;
        zor::UnscrambleText(got.c_str(), back);
        std::string trimmed = plain;
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        EXPECT_EQ(back, trimmed);
        ++count;
    }
    EXPECT_GE(count, 8);
}

TEST(Scrambler, EdgeCases) {
    std::string out = "x";
    zor::ScrambleText(nullptr, out);
    EXPECT_EQ(out, "");
    zor::ScrambleText("", out);
    EXPECT_EQ(out.size(), 81u);
    zor::ScrambleText(std::string(39, 'a').c_str(), out);
    EXPECT_EQ(out.size(), 81u);
    zor::ScrambleText(std::string(40, 'a').c_str(), out);
    EXPECT_EQ(out.size(), 161u);
    zor::UnscrambleText("plain password", out);
    EXPECT_EQ(out, "plain password");  // stored without '^': compared as it stands
    zor::UnscrambleText(nullptr, out);
    EXPECT_EQ(out, "");
    // Text not made by the scrambler: bytes, no error, no read past the end.
    zor::UnscrambleText("^zz!", out);
    EXPECT_EQ(out.size(), 1u);
    zor::UnscrambleText("^ABC", out);
    EXPECT_EQ(out.size(), 1u);
}

TEST(OleDate, KnownDatesAndRoundTrip) {
    std::tm tm{};
    tm.tm_year = 100;  // 1 January 2000, 12:00 local time
    tm.tm_mon = 0;
    tm.tm_mday = 1;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    EXPECT_DOUBLE_EQ(zor::TimeToOleDate(t), 36526.5);
    EXPECT_EQ(zor::OleDateToTime(36526.5), t);
    tm = {};
    tm.tm_year = -1;  // 30 December 1899 is day 0
    tm.tm_mon = 11;
    tm.tm_mday = 30;
    tm.tm_isdst = -1;
    EXPECT_DOUBLE_EQ(zor::TimeToOleDate(std::mktime(&tm)), 0.0);
}
