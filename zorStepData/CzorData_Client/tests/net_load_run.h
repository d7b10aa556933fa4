#pragma once
// A load run against our server on 127.0.0.1: clients on their own threads, each with its own
// store and session, loading instances by id and by extent and moving blobs, for a given time.
// Shared by the short ctest and by bench/bench_net.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/appserver/database.h"
#include "platform/appserver/server.h"
#include "platform/base/file_io.h"
#include "platform/base/scramble.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace zor::test {

struct LoadRunResult {
    long long instances = 0;      // instances that arrived in load replies
    long long loads = 0;          // load requests (batches)
    long long bytesUp = 0, bytesDown = 0;
    long long blobs = 0;
    long long failures = 0;       // operations that returned false
    long long wrong = 0;          // loaded values or blob bytes that differ from what was stored
    double seconds = 0;
    double latencyP50Ms = 0, latencyP99Ms = 0;
    long peakRssKb = 0;
    std::string firstError;
};

// Makes database "main" in dataDir with `points` zor_point instances (ids from 4001, x = id,
// y = id % 7) and the user "user"/"pw".
inline bool MakeLoadDatabase(const std::string& dataDir, int points) {
    const std::string path = dataDir + "/main" + zor::appserver::kDatabaseSuffix;
    if (!zor::appserver::ServerDatabase::Create(path)) return false;
    zor::appserver::ServerDatabase db;
    if (!db.Open(path)) return false;
    if (!db.SetUser("user", "pw", false, true)) return false;
    std::vector<zor::appserver::InstanceRow> rows;
    for (int i = 0; i < points; ++i) {
        CzorDataBuf b;
        CzorValue x, y;
        x.Set(4001 + i);
        y.Set((4001 + i) % 7);
        zorAppendBufValue(b, x);
        zorAppendBufValue(b, y);
        rows.push_back({4001 + i, "zor_point", std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize())});
    }
    return db.PutInstances(rows);
}

// Points the transport settings (ZOR_TRANSPORT_INI) and the user's folder (XDG_CONFIG_HOME) into
// `configDir`, with the connection "load" to the server on `port`.
inline bool SetUpLoadConnection(const std::string& configDir, int port) {
    ::setenv("ZOR_TRANSPORT_INI", (configDir + "/ZorTransport.ini").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    return zor::WriteFileAtomically(configDir + "/ZorTransport.ini",
                                    "[ConnectionsList]\n0=load=127.0.0.1:" + std::to_string(port) + "/main\n");
}

// A server over a fresh database of `points` points, and the connection "load" to it, each in a
// temporary folder of its own; Error() says what failed, empty when the server runs.
class LoadServer {
public:
    explicit LoadServer(int points) {
        if (!MakeLoadDatabase(m_data.Path(), points)) {
            m_error = "the database cannot be made";
            return;
        }
        zor::appserver::ServerOptions o;
        o.dataDir = m_data.Path();
        o.port = 0;
        o.dictionary = std::string(QM_DICT_DIR) + "/quillmark.dict";
        m_server = std::make_unique<zor::appserver::AppServer>(o);
        if (!m_server->Start() || !SetUpLoadConnection(m_config.Path(), m_server->Port()))
            m_error = "the server cannot start";
    }
    const std::string& Error() const { return m_error; }
    zor::appserver::AppServer& Server() { return *m_server; }

private:
    ScopedTempDir m_data, m_config;
    std::unique_ptr<zor::appserver::AppServer> m_server;
    std::string m_error;
};

// Runs `clients` clients for `seconds` against the server of the connection "load". Each round: one batch of 100
// instances by id, one extent of zor_point (every `extentEvery` rounds), one blob of up to
// `maxBlob` bytes written and read back.
inline LoadRunResult RunLoad(int clients, double seconds, int points, long maxBlob, int extentEvery = 8) {
    LoadRunResult total;
    std::atomic<bool> stop{false};
    std::vector<LoadRunResult> per(static_cast<size_t>(clients));
    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            LoadRunResult& r = per[static_cast<size_t>(c)];
            auto& lat = latencies[static_cast<size_t>(c)];
            CzorNetStepData store;
            store.SetHideMode(true);
            store.GetTransport()->SetInactivityTimeout(30000);
            if (!store.NET_Connect("user", "pw", "load")) {
                ++r.failures;
                r.firstError = store.GetLastErrorDescription();
                return;
            }
            CzorEntity* point = store.GetEntityBN("zor_point");
            CzorAttr* ax = store.GetAttrDefinition(point, "x");
            CzorInstance* holder = store.CreateInstanceBN("zor_table_content");
            holder->SetId(99999);
            CzorAttr* title = store.GetAttrDefinition(holder->GetEntity(), "title");
            std::mt19937 rng(static_cast<unsigned>(c) * 7919u + 1u);
            std::vector<unsigned char> blob, back;
            for (long round = 0; !stop; ++round) {
                const auto t0 = std::chrono::steady_clock::now();
                CzorLoadData batch(&store);
                for (int k = 0; k < 100; ++k) batch.AddQuery('a', 4001 + static_cast<long>(rng() % static_cast<unsigned>(points)), 0L, 0L, true, false);
                if (round % extentEvery == 0) batch.AddQuery('e', 0, point, nullptr, true, false);
                CzorTAggr<CzorInstance> loaded(8, false, false);
                store.ClearData();
                if (!batch.LoadEx(true, &loaded)) {
                    ++r.failures;
                    if (r.firstError.empty()) r.firstError = store.GetLastErrorDescription();
                    continue;
                }
                lat.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
                ++r.loads;
                r.instances += loaded.GetSize();
                for (CzorInstance* inst : loaded) {
                    int x = 0;
                    if (!store.GetAttr(inst, ax, x) || x != inst->GetId()) ++r.wrong;
                }
                if (maxBlob > 0) {
                    holder = store.CreateInstanceBN("zor_table_content");
                    holder->SetId(99999);
                    const long size = static_cast<long>(rng() % static_cast<unsigned>(maxBlob + 1));
                    blob.resize(static_cast<size_t>(size));
                    for (auto& b : blob) b = static_cast<unsigned char>(rng());
                    long checksum = 0;
                    if (!store.NET_SaveFileFromMemory(holder, title, blob.data(), size, checksum, nullptr)) {
                        ++r.failures;
                        if (r.firstError.empty()) r.firstError = std::string("save: ") + store.GetLastErrorDescription();
                        continue;
                    }
                    back.assign(static_cast<size_t>(size) + 1, 0);
                    long got = static_cast<long>(back.size());
                    if (!store.NET_LoadBlob2Memory(holder, title, back.data(), got, nullptr)) {
                        ++r.failures;
                        if (r.firstError.empty()) r.firstError = std::string("load: ") + store.GetLastErrorDescription();
                        continue;
                    }
                    if (got != size || std::memcmp(back.data(), blob.data(), blob.size()) != 0) ++r.wrong;
                    store.NET_DeleteBlob(holder, title, nullptr);
                    r.bytesUp += size;
                    r.bytesDown += size;
                    ++r.blobs;
                }
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
        const auto& r = per[c];
        total.instances += r.instances;
        total.loads += r.loads;
        total.bytesUp += r.bytesUp;
        total.bytesDown += r.bytesDown;
        total.blobs += r.blobs;
        total.failures += r.failures;
        total.wrong += r.wrong;
        if (total.firstError.empty()) total.firstError = r.firstError;
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
