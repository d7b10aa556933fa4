// The guessing limits on their own, with the clock in the test's hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/appserver/login_throttle.h"

using zor::appserver::LoginThrottle;

namespace {

struct Refusal {
    double at;
    std::string user, address;
};

}  // namespace

// Each row: refusals, then the delay a login for (user, address) meets at a time. Past five
// refusals a minute the next login waits a second, and each further refusal doubles it.
TEST(LoginThrottle, DelaysByNameAndByAddress) {
    const auto repeat = [](int n, double from, double step, const std::string& user, const std::string& addr) {
        std::vector<Refusal> out;
        const auto nth = [](const std::string& s, int i) { return s.back() == '*' ? s + std::to_string(i) : s; };
        for (int i = 0; i < n; ++i) out.push_back({from + i * step, nth(user, i), nth(addr, i)});
        return out;
    };
    struct Row {
        const char* name;
        std::vector<Refusal> refusals;
        double at;
        std::string user, address;
        double delay;
    };
    const std::vector<Row> rows = {
        {"four are free", repeat(4, 0, 1, "ann", "a1"), 10, "ann", "a1", 0},
        {"after five: a second", repeat(5, 0, 1, "ann", "a1"), 5.5, "ann", "a1", 1},
        {"doubling", repeat(6, 0, 1, "ann", "a1"), 10, "ann", "a1", 2},
        {"doubling again", repeat(8, 0, 1, "ann", "a1"), 10, "ann", "a1", 8},
        {"capped at 30 s", repeat(40, 0, 1, "ann", "a1"), 40, "ann", "a1", 30},
        {"by name from any address", repeat(7, 0, 1, "ann", "a*"), 10, "ann", "other", 4},
        {"by address for any name", repeat(7, 0, 1, "*", "a1"), 10, "bob", "a1", 4},
        {"another name elsewhere is free", repeat(7, 0, 1, "ann", "a1"), 10, "bob", "a2", 0},
        {"a minute later all is forgotten", repeat(40, 0, 0.1, "ann", "a1"), 64.1, "ann", "a1", 0},
        {"only the last minute counts", repeat(10, 0, 10, "ann", "a1"), 95, "ann", "a1", 2},
    };
    for (const Row& row : rows) {
        LoginThrottle t;
        for (const Refusal& r : row.refusals) t.Refused(r.user, r.address, r.at);
        EXPECT_DOUBLE_EQ(t.Delay(row.user, row.address, row.at), row.delay) << row.name;
    }
}

// Refusals reach the users' log a few times a minute per address, however many names are tried,
// and the tables stay bounded under a flood of names.
TEST(LoginThrottle, BoundsTheLogAndItsTables) {
    LoginThrottle t;
    int logged = 0;
    for (int i = 0; i < 1000; ++i) logged += t.Refused("name" + std::to_string(i), "a1", i * 0.01);
    EXPECT_EQ(logged, LoginThrottle::kLoggedPerMinute);
    EXPECT_TRUE(t.Refused("x", "a2", 10)) << "another address has its own share";
    EXPECT_TRUE(t.Refused("x", "a1", 61)) << "a minute later the address may be logged again";
    for (int i = 0; i < 3 * static_cast<int>(LoginThrottle::kMaxKeys); ++i)
        t.Refused("flood" + std::to_string(i), "a" + std::to_string(i), 100);
    // The newest names are still counted; the flood did not crowd out a guesser caught just now.
    for (int i = 0; i < 7; ++i) t.Refused("ann", "b", 101);
    EXPECT_DOUBLE_EQ(t.Delay("ann", "c", 101), 4);
}
