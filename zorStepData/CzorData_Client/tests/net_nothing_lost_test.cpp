// The short "nothing lost" run: 8 client processes for a few seconds while the server is killed
// and restarted and the proxy cuts connections. The long run with its figures is bench_net_save.
#include <gtest/gtest.h>

#include "zorStepData/CzorData_Client/tests/net_nothing_lost.h"

namespace {

TEST(NothingLost, EightClientsThroughKillsAndCutsLoseNothing) {
    zor::test::NothingLostOptions o;
    o.seconds = 6;
    o.seed = 20261211;
    o.maxBlob = 3L * 1024 * 1024;
    o.killMin = 1.0;
    o.killMax = 2.0;
    o.cutShare = 0.05;  // more than the long run's share, so that a short run meets some
    const auto r = zor::test::RunNothingLost(o);
    for (const auto& p : r.problems) ADD_FAILURE() << p;
    EXPECT_GE(r.restarts, 2);
    EXPECT_GT(r.ok.count("save") ? r.ok.at("save") : 0, 0);
    EXPECT_GT(r.ok.count("final_save") ? r.ok.at("final_save") : 0, 0);
    std::string figures;
    for (const auto& [k, n] : r.ok) figures += k + " " + std::to_string(n) + "  ";
    std::printf("ok: %s\nrestarts %lld, cuts %lld, connections %lld, unknown outcomes %lld\n", figures.c_str(),
                r.restarts, r.cuts, r.connections, r.unknown);
}

}  // namespace
