// The networked store under load: 8 clients for 30 s against our server on 127.0.0.1, loading
// instances by id (batches of 100) and by extent (20,000 points) and moving blobs up to 3 MiB.
//
//   bench_net [clients] [seconds] [points] [max blob bytes]
//
// Reports instances loaded per second, MB/s each way through blobs, load latency (p50, p99) and
// the peak resident memory, with the memory at a quarter of the run to show whether it stays flat.
#include <cstdio>
#include <cstdlib>

#include "platform/tests/test_support.h"
#include "zorStepData/CzorData_Client/tests/net_load_run.h"

int main(int argc, char** argv) {
    const int clients = argc > 1 ? std::atoi(argv[1]) : 8;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
    const int points = argc > 3 ? std::atoi(argv[3]) : 20000;
    const long maxBlob = argc > 4 ? std::atol(argv[4]) : 3L * 1024 * 1024;
    zor::test::LoadServer server(points);
    if (!server.Error().empty()) {
        std::fprintf(stderr, "bench_net: %s\n", server.Error().c_str());
        return 1;
    }
    // A quarter-length run first: its peak memory against the whole run's shows growth.
    const auto warm = zor::test::RunLoad(clients, seconds / 4, points, maxBlob);
    const auto r = zor::test::RunLoad(clients, seconds, points, maxBlob);
    const double mb = 1024.0 * 1024.0;
    std::printf("clients %d, %.1f s, %d points, blobs up to %ld bytes\n", clients, r.seconds, points, maxBlob);
    std::printf("instances loaded: %lld (%.0f/s) in %lld loads\n", r.instances, r.instances / r.seconds, r.loads);
    std::printf("blobs: %lld, up %.1f MB/s, down %.1f MB/s\n", r.blobs, r.bytesUp / mb / r.seconds,
                r.bytesDown / mb / r.seconds);
    std::printf("load latency: p50 %.2f ms, p99 %.2f ms\n", r.latencyP50Ms, r.latencyP99Ms);
    std::printf("peak memory: %.1f MB after the quarter run, %.1f MB after the full run\n", warm.peakRssKb / 1024.0,
                r.peakRssKb / 1024.0);
    std::printf("failures %lld, wrong values %lld%s%s\n", r.failures + warm.failures, r.wrong + warm.wrong,
                r.firstError.empty() ? "" : ", first error: ", r.firstError.c_str());
    return r.failures + r.wrong + warm.failures + warm.wrong ? 1 : 0;
}
