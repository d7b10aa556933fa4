// "Nothing lost" at length: client processes saving, loading, searching and moving blobs up to
// 3 MiB while the server program is killed and restarted every few seconds and the proxy cuts
// about one connection in a hundred; then a fresh client checks everything.
//
//   bench_net_save [clients] [seconds] [seed]
//
// Prints operations per second by kind, the restarts survived, the unknown outcomes that later
// saves resolved, and every problem found (exit status 1 when there is one).
#include <cstdio>
#include <cstdlib>

#include "zorStepData/CzorData_Client/tests/net_nothing_lost.h"

int main(int argc, char** argv) {
    zor::test::NothingLostOptions o;
    o.clients = argc > 1 ? std::atoi(argv[1]) : 8;
    o.seconds = argc > 2 ? std::atof(argv[2]) : 60;
    o.seed = argc > 3 ? static_cast<uint32_t>(std::atol(argv[3])) : 1;
    o.killMin = 2;
    o.killMax = 5;
    const auto r = zor::test::RunNothingLost(o);
    std::printf("clients %d, %.1f s (with the final saves and checks), seed %u\n", o.clients, r.seconds, o.seed);
    for (const auto& [kind, n] : r.ok) {
        const long long bad = r.failed.count(kind) ? r.failed.at(kind) : 0;
        std::printf("  %-11s %7lld ok (%.1f/s), %lld failed\n", kind.c_str(), n, n / o.seconds, bad);
    }
    std::printf("server restarts survived: %lld; connections %lld, cut %lld; unknown outcomes %lld\n", r.restarts,
                r.connections, r.cuts, r.unknown);
    std::printf("blob part files a killed server left: %lld\n", r.serverParts);
    for (const auto& p : r.problems) std::printf("PROBLEM: %s\n", p.c_str());
    std::printf(r.problems.empty() ? "nothing lost\n" : "%zu problems\n", r.problems.size());
    return r.problems.empty() ? 0 : 1;
}
