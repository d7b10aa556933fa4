#pragma once
// A query load run against our server on 127.0.0.1: clients on their own threads, each with its own
// store and session, preparing and running a mix of queries over the points of MakeLoadDatabase
// (x = id, y = id % 7) for a given time, every result checked against what it must hold.
// Shared by the short ctest and by bench/bench_query.
#include "zorStepData/CzorData_Client/tests/net_load_run.h"

namespace zor::test {

struct QueryRunResult {
    long long queries = 0;
    long long instances = 0;  // instances returned
    long long failures = 0;
    long long wrong = 0;      // results that differ from what the query must select
    double seconds = 0;
    double latencyP50Ms = 0, latencyP99Ms = 0;
    long peakRssKb = 0;
    std::string firstError;
};

inline QueryRunResult RunQueries(int clients, double seconds, int points) {
    QueryRunResult total;
    std::atomic<bool> stop{false};
    std::vector<QueryRunResult> per(static_cast<size_t>(clients));
    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            QueryRunResult& r = per[static_cast<size_t>(c)];
            auto& lat = latencies[static_cast<size_t>(c)];
            CzorNetStepData store;
            store.SetHideMode(true);
            store.GetTransport()->SetInactivityTimeout(30000);
            if (!store.NET_Connect("user", "pw", "load")) {
                ++r.failures;
                r.firstError = store.GetLastErrorDescription();
                return;
            }
            std::mt19937 rng(static_cast<unsigned>(c) * 7919u + 3u);
            const auto id = [&] { return 4001 + static_cast<int>(rng() % static_cast<unsigned>(points)); };
            // How many points have y == k.
            const auto withY = [&](int k) {
                int n = 0;
                for (int i = 4001; i < 4001 + points; ++i) n += i % 7 == k;
                return n;
            };
            for (long round = 0; !stop; ++round) {
                std::string text;
                long long expected = 0;
                switch (round % 4) {
                case 0: {
                    const int k = static_cast<int>(rng() % 7);
                    text = "select a from a{zor_point .y = " + std::to_string(k) + "} end_select";
                    expected = withY(k);
                    break;
                }
                case 1: {
                    const int from = id(), to = std::min(from + 100, 4001 + points);
                    text = "select a from a{zor_point (.x >= " + std::to_string(from) + " and .x < " + std::to_string(to) +
                           ")} end_select";
                    expected = to - from;
                    break;
                }
                case 2:
                    text = "select a or b from a{zor_point .y = 1} b{zor_point .y = 2} end_select";
                    expected = withY(1) + withY(2);
                    break;
                default: {
                    const int a = id(), b = id();
                    text = "select l from l{#" + std::to_string(a) + ", #" + std::to_string(b) + "} end_select";
                    expected = a == b ? 1 : 2;
                    break;
                }
                }
                const auto t0 = std::chrono::steady_clock::now();
                store.ClearData();
                std::string error;
                CzorTAggr<CzorInstance> result(64, false, false);
                if (!store.NET_QueryEditParse(text, false, &error) || !store.NET_QueryExecute(result)) {
                    ++r.failures;
                    if (r.firstError.empty()) r.firstError = error.empty() ? store.GetLastErrorDescription() : error;
                    continue;
                }
                lat.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
                ++r.queries;
                r.instances += result.GetSize();
                if (result.GetSize() != expected) ++r.wrong;
            }
            store.NET_Disconnect();
        });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (auto& t : threads) t.join();
    total.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::vector<double> all;
    for (size_t c = 0; c < per.size(); ++c) {
        total.queries += per[c].queries;
        total.instances += per[c].instances;
        total.failures += per[c].failures;
        total.wrong += per[c].wrong;
        if (total.firstError.empty()) total.firstError = per[c].firstError;
        all.insert(all.end(), latencies[c].begin(), latencies[c].end());
    }
    std::sort(all.begin(), all.end());
    if (!all.empty()) {
        total.latencyP50Ms = all[all.size() / 2];
        total.latencyP99Ms = all[std::min(all.size() - 1, all.size() * 99 / 100)];
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    total.peakRssKb = usage.ru_maxrss;
    return total;
}

}  // namespace zor::test
