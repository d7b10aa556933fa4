#pragma once
// Clients on 127.0.0.1 mixing rights reads and sets (the store's rights operations) with loads
// and saves against one server of ours for a while; counts what each kind did and what went wrong.
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/appserver/database.h"
#include "platform/base/scramble.h"
#include "platform/tests/transport/server_fixture.h"
#include "zorStepData/CzorData_Client/access.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

namespace zor::test {

struct RightsLoadResult {
    std::map<std::string, long long> ok, failed;
    std::vector<std::string> problems;
    double seconds = 0;
};

// The users "u0".."u<n-1>" (password "pw") in an ordinary group, a connections file naming the
// server, then one thread per client until the time is up.
inline RightsLoadResult RunRightsLoad(int clients, double seconds) {
    RightsLoadResult out;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scopedSink{&sink};
    ScriptedUi ui;
    zor::net::INetUi* oldUi = zor::net::SetNetUi(&ui);
    ScopedTempDir config;
    ::setenv("ZOR_TRANSPORT_INI", (config.Path() + "/ZorTransport.ini").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    InProcessServer server;
    {
        std::ofstream ini(config.Path() + "/ZorTransport.ini");
        ini << "[ConnectionsList]\n0=test=127.0.0.1:" << server.Port() << "/main\n";
    }
    {
        zor::appserver::ServerDatabase db;
        db.Open(server.Dir() + "/main" + zor::appserver::kDatabaseSuffix);
        // No group: only their own modes and the defaults count.
        for (int i = 0; i < clients; ++i) db.SetUser("u" + std::to_string(i), "pw", false);
    }
    std::mutex mutex;
    const auto note = [&](const std::string& kind, bool good, const std::string& problem = {}) {
        std::lock_guard lock(mutex);
        ++(good ? out.ok : out.failed)[kind];
        if (!good && !problem.empty() && out.problems.size() < 20) out.problems.push_back(kind + ": " + problem);
    };
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            auto store = std::make_unique<CzorNetStepData>();
            store->SetNetErrorMessageMode(false);
            store->GetTransport()->SetInactivityTimeout(10000);
            if (!store->NET_Connect(("u" + std::to_string(c)).c_str(), "pw", "test")) {
                note("login", false, store->GetLastErrorDescription());
                return;
            }
            const int32_t point = store->GetEntityBN("zor_point")->GetId();
            std::vector<int32_t> mine;
            for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
                CzorInstance* p = store->CreateInstanceBN("zor_point");
                store->PutAttrBN(p, "x", round);
                const bool saved = store->NET_SaveChanges(nullptr);
                note("save", saved, store->GetLastErrorDescription());
                if (saved) mine.push_back(p->GetId());
                if (mine.empty()) continue;
                CzorInstance* target = store->GetInstById(mine[static_cast<size_t>(round) % mine.size()]);
                if (!target) {
                    note("rights set", false, store->GetLastErrorDescription());
                    continue;
                }
                // Rights set: the default read-only or no access, in turn.
                const zorAccessModeType mode = round % 2 ? zorAccessReadOnly : zorAccessNone;
                zorUsers set;
                set.AddList(nullptr)->Add(target, 1, mode);
                note("rights set", store->NET_SetGroupeAccess(set, nullptr), store->GetLastErrorDescription());
                // Rights read.
                zorUsers read;
                zorAccessEl* got = read.AddList(nullptr)->Add(target, 0, zorAccessNotSet);
                const bool getOk = store->NET_GetGroupeAccess(read, nullptr);
                note("rights read", getOk && got->m_Mode == mode && got->m_bUseIndividual == 1,
                     getOk ? "mode " + std::to_string(got->m_Mode) : store->GetLastErrorDescription());
                // A load of the whole extent.
                zor_NET_LoadQuery q;
                q._type = 'e';
                q._ent_id = point;
                store->ClearData();
                CzorTAggr<CzorInstance> loaded(8, false, false);
                note("load", store->NET_Load(&q, 1, &loaded, nullptr, nullptr, {}), store->GetLastErrorDescription());
            }
        });
    for (auto& t : threads) t.join();
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::unsetenv("ZOR_TRANSPORT_INI");
    ::unsetenv("XDG_CONFIG_HOME");
    zor::net::SetNetUi(oldUi);
    return out;
}

}  // namespace zor::test
