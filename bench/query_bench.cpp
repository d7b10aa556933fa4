// Queries under load: 8 clients for 30 s against our server on 127.0.0.1, each preparing and
// running a mix of queries (a condition on y, a range of x, an "or" of two extents, a list of two
// instances that the parser loads) over a database of points.
//
//   bench_query [clients] [seconds] [points]
//
// Reports queries per second, instances returned per second, latency (p50, p99) of preparing and
// running one query, and the peak resident memory.
#include <cstdio>
#include <cstdlib>

#include "platform/tests/test_support.h"
#include "zorStepData/CzorData_Client/tests/net_query_run.h"

int main(int argc, char** argv) {
    const int clients = argc > 1 ? std::atoi(argv[1]) : 8;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
    const int points = argc > 3 ? std::atoi(argv[3]) : 2000;
    zor::test::LoadServer server(points);
    if (!server.Error().empty()) {
        std::fprintf(stderr, "bench_query: %s\n", server.Error().c_str());
        return 1;
    }
    const auto r = zor::test::RunQueries(clients, seconds, points);
    std::printf("clients %d, %.1f s, %d points\n", clients, r.seconds, points);
    std::printf("queries: %lld (%.1f/s), instances returned: %lld (%.0f/s)\n", r.queries, r.queries / r.seconds,
                r.instances, r.instances / r.seconds);
    std::printf("query latency: p50 %.2f ms, p99 %.2f ms\n", r.latencyP50Ms, r.latencyP99Ms);
    std::printf("peak memory: %.1f MB\n", r.peakRssKb / 1024.0);
    std::printf("failures %lld, wrong results %lld%s%s\n", r.failures, r.wrong,
                r.firstError.empty() ? "" : ", first error: ", r.firstError.c_str());
    return r.failures + r.wrong ? 1 : 0;
}
