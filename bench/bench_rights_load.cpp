// Clients mixing rights reads and sets with loads and saves against one server of ours.
//
//   bench_rights_load [clients] [seconds]
//
// Prints operations per second by kind and every problem (exit status 1 when there is one).
#include <cstdio>
#include <cstdlib>

#include "zorStepData/CzorData_Client/tests/rights_load_run.h"

int main(int argc, char** argv) {
    const int clients = argc > 1 ? std::atoi(argv[1]) : 8;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 30;
    const auto r = zor::test::RunRightsLoad(clients, seconds);
    std::printf("clients %d, %.1f s\n", clients, r.seconds);
    for (const auto& [kind, n] : r.ok) {
        const long long bad = r.failed.count(kind) ? r.failed.at(kind) : 0;
        std::printf("  %-12s %7lld ok (%.1f/s), %lld failed\n", kind.c_str(), n, n / r.seconds, bad);
    }
    for (const auto& p : r.problems) std::printf("PROBLEM: %s\n", p.c_str());
    return r.problems.empty() && r.failed.empty() ? 0 : 1;
}
