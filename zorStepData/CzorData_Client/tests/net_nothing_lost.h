#pragma once
// "Nothing lost": client processes save, load, search and move blobs through a proxy that cuts
// connections, while the server program is killed (SIGKILL) and restarted on the same data; then a
// fresh client checks the server against what every client says it intended and confirmed.
// Shared by the short ctest and by bench/bench_net_save.
//
// Each client owns its instances (columns with a unique name, conditions referring to its
// columns, blob holders), so the intended state is known: it is the client's model, which follows
// every change the client makes. The client answers Yes to reconnecting and Skip to retries, keeps
// a journal of every operation (ok, failure with status and text, or unknown), ends with saves
// until everything is confirmed, and writes its final state.
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/appserver/proxy.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/net_ui.h"
#include "zorStepData/CzorData_Client/retry_dialog.h"
#include "zorStepData/CzorData_Client/tests/net_load_run.h"

namespace zor::test {

struct NothingLostOptions {
    int clients = 8;
    double seconds = 5;
    uint32_t seed = 1;
    long maxBlob = 3L * 1024 * 1024;
    double killMin = 1.0, killMax = 2.5;  // seconds between server kills
    double cutShare = 0.01;               // share of connections the proxy cuts
    double capSeconds = 90;               // a client still running this long after the end failed
};

struct NothingLostResult {
    std::map<std::string, long long> ok, failed;  // operations by kind
    long long unknown = 0, restarts = 0, cuts = 0, connections = 0;
    double seconds = 0;
    std::vector<std::string> problems;  // empty: nothing lost
    long long serverParts = 0;          // blob part files a killed server left (cleaned when old)
};

namespace nothing_lost {

inline uint64_t Hash(const unsigned char* p, size_t n) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

inline int CountFds() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d)) ++n;
        ::closedir(d);
    }
    return n;
}

inline std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = '|';
    return s;
}

// Yes to reconnecting (with a pause between attempts while the server is down, and an end to
// them), Skip to retries, nothing shown.
struct HarnessUi : zor::net::INetUi {
    int retries = 0;
    int RunRetryDialog(CDlgTransportError&) override { return CDlgTransportError::kSkip; }
    bool Ask(const std::string& text, const std::string&) override {
        if (text.rfind("При попытке восстановления", 0) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return ++retries < 150;
        }
        retries = 0;
        return true;
    }
    void Tell(const std::string&, const std::string&, unsigned) override {}
};
struct QuietSink : zor::IMessageSink {
    int Show(const std::string&, const std::string&, unsigned) override { return IDOK; }
};

struct Own {
    enum Kind { Col, Cond, Holder } kind;
    Own(Kind k, CzorInstance* i) : kind(k), inst(i) {}
    CzorInstance* inst;
    std::string name;  // column name, condition value
    int type = 0;      // column type
    CzorInstance* ref = nullptr;  // a condition's column
    uint64_t hash = 0;            // a holder's blob
    long size = 0;
    std::string blob;  // its server name
    bool deleted = false;
};

// One client process's run; returns its exit status.
inline int RunClient(int index, const NothingLostOptions& o, const std::string& dir, double seconds) {
    QuietSink sink;
    zor::ScopedMessageSink scoped(&sink);
    HarnessUi ui;
    zor::net::SetNetUi(&ui);
    std::ofstream journal(dir + "/journal-" + std::to_string(index) + ".txt");
    std::mt19937 rng(o.seed * 1000u + static_cast<unsigned>(index));
    std::map<std::string, long long> ok, failed;
    long long unknown = 0;
    const int fdStart = CountFds();
    auto store = std::make_unique<CzorNetStepData>();
    store->SetNetErrorMessageMode(false);
    store->GetTransport()->SetInactivityTimeout(15000);
    store->GetTransport()->SetConnectTimeout(2000);
    bool connected = false;
    for (int i = 0; i < 100 && !connected; ++i) {
        connected = store->NET_Connect("user", "pw", "load");
        if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!connected) {
        journal << "fatal connect " << store->GetLastZorError() << "\n";
        return 2;
    }
    const auto journalOp = [&](const char* kind, bool success, bool unsure = false) {
        if (success) {
            ++ok[kind];
            journal << "op " << kind << " ok\n";
            return;
        }
        ++failed[kind];
        if (unsure) ++unknown;
        journal << "op " << kind << (unsure ? " unknown " : " fail ") << store->GetLastZorError() << " "
                << OneLine(store->GetLastErrorDescription()) << "\n";
    };
    std::vector<Own> own;
    int serial = 0;
    const auto newCol = [&] {
        Own c{Own::Col, store->CreateInstanceBN("zor_col")};
        c.name = "k" + std::to_string(index) + "-" + std::to_string(serial++) + " Ёлка №" + std::to_string(rng() % 1000);
        c.type = static_cast<int>(rng() % 100000);
        store->PutAttrBN(c.inst, "name", c.name);
        store->PutAttrBN(c.inst, "type", c.type);
        own.push_back(c);
    };
    const auto live = [&](Own::Kind k) {
        std::vector<size_t> out;
        for (size_t i = 0; i < own.size(); ++i)
            if (own[i].kind == k && !own[i].deleted) out.push_back(i);
        return out;
    };
    for (int h = 0; h < 2; ++h) own.push_back({Own::Holder, store->CreateInstanceBN("zor_table_content")});
    newCol();
    std::vector<unsigned char> blob, back;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const unsigned op = rng() % 100;
        if (op < 35) {  // changes, then a save
            const unsigned n = 1 + rng() % 3;
            for (unsigned k = 0; k < n; ++k) newCol();
            auto cols = live(Own::Col);
            Own& changed = own[cols[rng() % cols.size()]];
            changed.type = static_cast<int>(rng() % 100000);
            store->PutAttrBN(changed.inst, "type", changed.type);
            Own cond{Own::Cond, store->CreateInstanceBN("zor_condition")};
            cond.ref = own[cols[rng() % cols.size()]].inst;
            cond.name = "усл " + std::to_string(serial++);
            store->PutAttrBN(cond.inst, "column", cond.ref);
            store->PutAttrBN(cond.inst, "value", cond.name);
            own.push_back(cond);
            if (rng() % 3 == 0) {  // a deletion: a condition, or a column with the references to it
                const bool col = rng() % 2 == 0 && cols.size() > 2;
                auto from = col ? cols : live(Own::Cond);
                Own& gone = own[from[rng() % from.size()]];
                gone.deleted = store->DeleteInstance(gone.inst);
                for (Own& x : own)
                    if (gone.deleted && x.kind == Own::Cond && !x.deleted && x.ref == gone.inst) {
                        x.ref = nullptr;
                        CzorInstance* cleared = nullptr;
                        store->GetAttrBN(x.inst, "column", cleared);  // the reference now reads (and saves) as absent
                    }
            }
            const bool saved = store->NET_SaveChanges(nullptr);
            journalOp("save", saved, !saved && store->HasUnconfirmedPortion());
        } else if (op < 60) {  // loads of own saved instances, compared with the model
            CzorLoadData batch(store.get());
            std::vector<Own*> asked;
            for (Own& x : own)
                if (!x.deleted && x.inst->GetId() != 0 && asked.size() < 30 && rng() % 2) {
                    batch.AddQuery('a', x.inst->GetId(), 0L, 0L, true, false);
                    asked.push_back(&x);
                }
            if (asked.empty()) continue;
            CzorTAggr<CzorInstance> loaded(8, false, false);
            const bool got = batch.LoadEx(true, &loaded);
            journalOp("load", got);
            if (!got) continue;
            for (Own* x : asked) {
                const auto same = [&](const char* attr, const CzorValue& want) {
                    CzorInstance::CzorValueDefinition* slot =
                        store->GetAttrValue(x->inst, store->GetAttrDefinition(x->inst->GetEntity(), attr));
                    if (!slot || slot->IsChanged()) return true;
                    return slot->GetValue().IsEmpty() ? want.IsEmpty() : slot->GetValue().IsEqu(want);
                };
                CzorValue a, b;
                bool good = true;
                if (x->kind == Own::Col) {
                    a.Set(x->name);
                    b.Set(x->type);
                    good = same("name", a) && same("type", b);
                } else if (x->kind == Own::Cond) {
                    a.Set(x->ref);
                    b.Set(x->name);
                    good = same("column", a) && same("value", b);
                }
                if (!good) journal << "wrong load " << x->inst->GetId() << "\n";
            }
        } else if (op < 80) {  // a search for one of its columns by its unique name
            // While a portion's outcome is unknown, its new columns may be on the server without ids here.
            if (store->HasUnconfirmedPortion()) continue;
            auto cols = live(Own::Col);
            Own& c = own[cols[rng() % cols.size()]];
            CzorAttrValue crit(store->GetAttrDefinition(store->GetEntityBN("zor_col"), "name"));
            crit.m_Value.Set(c.name);
            CzorTAggr<CzorInstance> found(8, false, false);
            const int n = store->NET_FindInstancesWithAttrValues(store->GetEntityBN("zor_col"), 1, &crit, found, false,
                                                                 true, nullptr, zorBindContains);
            journalOp("search", n >= 0);
            if (n >= 0 && (n != 1 || found.GetAt(0) != c.inst)) journal << "wrong search " << c.name << " " << n << "\n";
        } else {  // a blob written to a holder and read back
            auto holders = live(Own::Holder);
            Own& h = own[holders[rng() % holders.size()]];
            if (h.inst->GetId() == 0) continue;  // a blob goes on a saved instance
            CzorAttr* title = store->GetAttrDefinition(h.inst->GetEntity(), "title");
            const long size = static_cast<long>(rng() % static_cast<unsigned>(o.maxBlob + 1));
            blob.resize(static_cast<size_t>(size));
            for (auto& byte : blob) byte = static_cast<unsigned char>(rng());
            long checksum = 0;
            const bool wrote = store->NET_SaveFileFromMemory(h.inst, title, blob.data(), size, checksum, nullptr);
            journalOp("blob_write", wrote);
            if (!wrote) continue;
            h.hash = Hash(blob.data(), blob.size());
            h.size = size;
            store->GetAttr(h.inst, title, h.blob);
            back.assign(static_cast<size_t>(size) + 1, 0);
            long got = static_cast<long>(back.size());
            const bool read = store->NET_LoadBlob2Memory(h.inst, title, back.data(), got, nullptr);
            journalOp("blob_read", read);
            if (read && (got != size || Hash(back.data(), static_cast<size_t>(got)) != h.hash))
                journal << "wrong blob " << h.inst->GetId() << "\n";
        }
    }
    // The end: saves until the server has confirmed everything.
    bool final = false;
    for (int i = 0; i < 100 && !final; ++i) {
        final = store->NET_SaveChanges(nullptr) && !store->CheckModified();
        journalOp("final_save", final, !final && store->HasUnconfirmedPortion());
        if (!final) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    for (const Own& x : own) {
        const int id = x.inst->GetId();
        if (x.deleted) {
            if (id) journal << "gone " << id << "\n";
        } else if (x.kind == Own::Col) {
            journal << "col " << id << " " << x.type << " " << x.name << "\n";
        } else if (x.kind == Own::Cond) {
            journal << "cond " << id << " " << (x.ref ? x.ref->GetId() : 0) << " " << x.name << "\n";
        } else {
            journal << "holder " << id << " " << x.size << " " << x.hash << " " << x.blob << "\n";
        }
    }
    for (const auto& [k, n] : ok) journal << "count ok " << k << " " << n << "\n";
    for (const auto& [k, n] : failed) journal << "count failed " << k << " " << n << "\n";
    journal << "count unknown " << unknown << "\n";
    store->NET_Disconnect();
    store.reset();
    journal << "fds " << fdStart << " " << CountFds() << "\n";
    journal << (final ? "end ok\n" : "end unsaved\n");
    journal.flush();
    return final ? 0 : 3;
}

}  // namespace nothing_lost

inline NothingLostResult RunNothingLost(const NothingLostOptions& o) {
    using namespace nothing_lost;
    NothingLostResult r;
    ScopedTempDir base;
    const std::string data = base.Path() + "/data";
    ::mkdir(data.c_str(), 0700);
    if (!MakeLoadDatabase(data, 0)) {
        r.problems.push_back("the database cannot be made");
        return r;
    }
    // Clients first, while this process has one thread: each waits for the proxy's port.
    std::vector<pid_t> pids;
    std::vector<int> pipes;
    for (int c = 0; c < o.clients; ++c) {
        int fd[2];
        if (::pipe(fd) != 0) break;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fd[1]);
            int port = 0;
            if (::read(fd[0], &port, sizeof port) != sizeof port || port == 0) ::_exit(4);
            const std::string cfg = base.Path() + "/cfg" + std::to_string(c);
            ::mkdir(cfg.c_str(), 0700);
            if (!SetUpLoadConnection(cfg, port)) ::_exit(5);
            ::_exit(RunClient(c, o, base.Path(), o.seconds));
        }
        ::close(fd[0]);
        pids.push_back(pid);
        pipes.push_back(fd[1]);
    }
    const auto start = std::chrono::steady_clock::now();
    auto server = std::make_unique<ServerProcess>(data);
    const int port = server->Port();
    {
        zor::appserver::LoopbackProxy proxy(port);
        for (int fd : pipes) {
            const int p = proxy.Port();
            (void)!::write(fd, &p, sizeof p);
            ::close(fd);
        }
        std::mt19937 rng(o.seed);
        std::uniform_real_distribution<double> gap(o.killMin, o.killMax);
        const auto since = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
        double nextKill = gap(rng);
        int seen = 0;
        while (since() < o.seconds) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            // About one connection in a hundred is cut somewhere in its stream.
            for (; seen < proxy.Connections(); ++seen)
                if (std::uniform_real_distribution<double>(0, 1)(rng) < o.cutShare) {
                    zor::appserver::ProxyPlan plan;
                    plan.connections = 1;
                    (rng() % 2 ? plan.toClient : plan.toServer).cutAt = 500 + rng() % 400000;
                    proxy.SetPlan(plan);
                    ++r.cuts;
                }
            if (since() >= nextKill && since() < o.seconds) {
                server->Kill(SIGKILL);
                server->Start(port);
                if (server->Port() != port) r.problems.push_back("the server did not come back on its port");
                ++r.restarts;
                nextKill = since() + gap(rng);
            }
        }
        // The clients end within the cap; a client that does not is killed and reported.
        for (size_t c = 0; c < pids.size(); ++c) {
            int st = -1;
            while (::waitpid(pids[c], &st, WNOHANG) == 0) {
                if (since() > o.seconds + o.capSeconds) {
                    ::kill(pids[c], SIGKILL);
                    ::waitpid(pids[c], &st, 0);
                    r.problems.push_back("client " + std::to_string(c) + " did not end within the cap");
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (!WIFEXITED(st) || WEXITSTATUS(st) != 0)
                r.problems.push_back("client " + std::to_string(c) + " ended with status " + std::to_string(st));
        }
        r.connections = proxy.Connections();
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // The journals.
    struct Want { std::string kind; int id; long a; uint64_t b; std::string text; };
    std::vector<Want> wants;
    std::set<int> gone;
    for (int c = 0; c < o.clients; ++c) {
        std::ifstream in(base.Path() + "/journal-" + std::to_string(c) + ".txt");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            std::string kind;
            s >> kind;
            if (kind == "op") {
                std::string what, result;
                int status = 0;
                s >> what >> result;
                if (result == "ok") continue;
                s >> status;
                std::string text;
                std::getline(s, text);
                if (result == "unknown") ++r.unknown;
                if (status == 0 || text.size() < 2)
                    r.problems.push_back("client " + std::to_string(c) + ": a failure without status or text: " + line);
            } else if (kind == "wrong" || kind == "fatal") {
                r.problems.push_back("client " + std::to_string(c) + ": " + line);
            } else if (kind == "count") {
                std::string which, what;
                long long n = 0;
                s >> which >> what >> n;
                if (which != "unknown") (which == "ok" ? r.ok : r.failed)[what] += n;
            } else if (kind == "fds") {
                int before = 0, after = 0;
                s >> before >> after;
                if (after > before) r.problems.push_back("client " + std::to_string(c) + " leaked descriptors: " + line);
            } else if (kind == "gone") {
                int id = 0;
                s >> id;
                gone.insert(id);
            } else if (kind == "col" || kind == "cond" || kind == "holder") {
                Want w{kind, 0, 0, 0, {}};
                s >> w.id >> w.a;
                if (kind == "holder") s >> w.b;
                std::getline(s, w.text);
                if (!w.text.empty() && w.text[0] == ' ') w.text.erase(0, 1);
                if (w.id == 0) r.problems.push_back("client " + std::to_string(c) + ": an instance never saved: " + line);
                wants.push_back(w);
            }
        }
    }

    // A fresh client, straight to the server.
    const std::string cfg = base.Path() + "/verify";
    ::mkdir(cfg.c_str(), 0700);
    SetUpLoadConnection(cfg, port);
    {
        QuietSink sink;
        zor::ScopedMessageSink scoped(&sink);
        CzorNetStepData s;
        s.SetHideMode(true);
        s.GetTransport()->SetInactivityTimeout(30000);
        if (!s.NET_Connect("user", "pw", "load")) {
            r.problems.push_back(std::string("the checking client cannot connect: ") + s.GetLastErrorDescription());
        } else {
            s.SetAutoDownloadMode(true);
            std::map<int, CzorInstance*> onServer;
            std::map<std::string, int> names;
            for (const char* e : {"zor_col", "zor_condition", "zor_table_content"}) {
                CzorLoadData batch(&s);
                batch.AddQuery('e', 0, s.GetEntityBN(e), nullptr, true, false);
                CzorTAggr<CzorInstance> loaded(8, false, false);
                // A load fails when a stored reference does not resolve.
                if (!batch.LoadEx(true, &loaded))
                    r.problems.push_back(std::string("extent of ") + e + ": " + std::string(s.GetLastErrorDescription()));
                for (CzorInstance* i : loaded) {
                    if (!s.IsKindOf(i, s.GetEntityBN(e))) continue;  // an instance a value refers to
                    auto [at, added] = onServer.emplace(i->GetId(), i);
                    if (!added && at->second != i) r.problems.push_back("id twice: " + std::to_string(i->GetId()));
                    if (!added) continue;
                    std::string n;
                    if (std::string(e) == "zor_col" && s.GetAttrBN(i, "name", n)) ++names[n];
                }
            }
            std::set<int> wanted;
            for (const Want& w : wants) {
                wanted.insert(w.id);
                auto it = onServer.find(w.id);
                if (it == onServer.end()) {
                    r.problems.push_back("missing on the server: " + w.kind + " " + std::to_string(w.id));
                    continue;
                }
                CzorInstance* i = it->second;
                std::string text;
                int n = -1;
                CzorInstance* ref = nullptr;
                long size = -1;
                if (w.kind == "col") {
                    s.GetAttrBN(i, "name", text);
                    s.GetAttrBN(i, "type", n);
                    if (text != w.text || n != w.a) r.problems.push_back("column differs: " + std::to_string(w.id));
                    if (names[w.text] != 1) r.problems.push_back("name held " + std::to_string(names[w.text]) + " times: " + w.text);
                } else if (w.kind == "cond") {
                    s.GetAttrBN(i, "value", text);
                    s.GetAttrBN(i, "column", ref);
                    if (text != w.text || (ref ? ref->GetId() : 0) != w.a)
                        r.problems.push_back("condition differs: " + std::to_string(w.id));
                } else if (!w.text.empty()) {
                    s.GetAttrBN(i, "title", text);
                    std::vector<unsigned char> bytes(static_cast<size_t>(w.a) + 1);
                    size = static_cast<long>(bytes.size());
                    if (text != w.text || !s.NET_LoadFileFromSrv2Memory(text.c_str(), bytes.data(), size, nullptr) ||
                        size != w.a || Hash(bytes.data(), static_cast<size_t>(size)) != w.b)
                        r.problems.push_back("blob differs: holder " + std::to_string(w.id));
                }
            }
            for (int id : gone)
                if (onServer.count(id)) r.problems.push_back("deleted but still there: " + std::to_string(id));
            // Nothing the clients did not intend: no instance created twice, none left behind.
            for (const auto& [id, inst] : onServer)
                if (!wanted.count(id)) r.problems.push_back("an instance no client intended: " + std::to_string(id));
            s.NET_Disconnect();
        }
    }
    const int st = server->Kill(SIGTERM);
    if (::kill(server->Pid() > 0 ? server->Pid() : 999999, 0) == 0 || st == -1)
        r.problems.push_back("the server process did not end");
    if (DIR* d = ::opendir((data + "/main" + zor::appserver::kDatabaseSuffix + ".blobs").c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name).find(".part") != std::string::npos) ++r.serverParts;
        ::closedir(d);
    }
    for (int c = 0; c < o.clients; ++c)
        if (DIR* d = ::opendir((base.Path() + "/cfg" + std::to_string(c)).c_str())) {
            while (dirent* e = ::readdir(d))
                if (std::string(e->d_name).find(".tmp") != std::string::npos)
                    r.problems.push_back("a temporary file left: " + std::string(e->d_name));
            ::closedir(d);
        }
    return r;
}

}  // namespace zor::test
