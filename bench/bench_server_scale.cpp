// Our application server against databases of 10,000 to 1,000,000 instances of the query-language
// dictionary (people, employees, places, products; texts, integers, reals, booleans, references
// and lists of them). Each database is built directly through the server's database layer.
//
//   bench_server_scale [-sizes=10000,100000,1000000] [-scan] [-load=<size>] [-clients=8,64,256] [-writers=<size>]
//                      [-seconds=<n>] [-dir=<folder>]
//
// For each size, median and p99 of: a query matching 10 instances, an 'r' load of one instance's
// referrers, a search by a text value, and a save that deletes one referred-to instance. With
// -scan the same requests also run the way the server answered before its indexes (every row
// read; skipped above 100,000 instances, where one such request takes seconds). With -load, the
// database of that size under 8, 64 and 256 clients on 127.0.0.1, one request in ten writing:
// p50 and p99 of reads and of writes, after in-process writers only (1, 8, 64; also alone with
// -writers); -clients= names the numbers of clients and leaves the in-process writers out; -sizes= with no
// size leaves the single-client figures out. Databases are kept in -dir (default /tmp/qm_server_scale)
// and reused.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/load.h"
#include "platform/appserver/query_exec.h"
#include "platform/appserver/save.h"
#include "platform/appserver/search.h"
#include "platform/appserver/server.h"
#include "platform/base/scramble.h"
#include "platform/text/cp1251.h"
#include "platform/transport/socket_client.h"
#include "platform/transport/wire.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/zordata.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;
const std::string kDict = QM_SOURCE_DIR "/platform/tests/data/query.dict";
constexpr int32_t kFirstId = 10000;

// Ten people share each name; each person is the boss of about ten others.
struct Shape {
    int size = 0;
    int places = 0, products = 0, people = 0;
    int32_t FirstPerson() const { return kFirstId + places; }
    std::string Name(int k) const { return "Имя" + std::to_string(k % std::max(1, people / 10)); }
};

Shape ShapeOf(int size) {
    Shape s;
    s.size = size;
    s.places = std::max(1, size / 50);
    s.products = std::max(1, size / 100);
    s.people = size - s.places - s.products;
    return s;
}

bool Build(const std::string& path, const Shape& s) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (!zor::appserver::ServerDatabase::Create(path)) return false;
    zor::appserver::ServerDatabase db;
    if (!db.Open(path)) return false;
    // An ordinary user: every answer passes his gate, as most users' do.
    if (!db.SetUser("user", "pw", false)) return false;
    CzorStepData store;
    store.SetErorPrintMode(false);
    if (!store.LoadDictionaryFromFile(kDict.c_str())) return false;
    CzorEntity* place = store.GetEntityBN("place");
    CzorEntity* person = store.GetEntityBN("person");
    CzorEntity* employee = store.GetEntityBN("employee");
    CzorEntity* product = store.GetEntityBN("product");
    std::mt19937 rng(36);
    const char* cities[] = {"Москва", "Минск", "Омск", "Тверь", "Казань"};
    std::vector<zor::appserver::InstanceRow> rows;
    const auto flush = [&] {
        const bool ok = db.PutInstances(rows);
        rows.clear();
        return ok;
    };
    // Rows are written as the store writes values: each attribute in order, references by id.
    const auto put = [&](int32_t id, CzorEntity* e, const std::function<void(std::vector<CzorValue>&)>& fill) {
        const auto attrs = e->GetAllAttrs();
        std::vector<CzorValue> values(attrs.size());
        fill(values);
        CzorDataBuf b;
        for (const CzorValue& v : values) zorAppendBufValue(b, v);
        rows.push_back({id, e->GetName(), Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize())});
        return rows.size() < 50000 || flush();
    };
    // Stand-ins give references their ids.
    std::vector<CzorInstance*> refs;
    const auto ref = [&](int32_t id) {
        CzorInstance* i = store.CreateInstance(person);
        i->SetId(id);
        refs.push_back(i);
        return i;
    };
    const auto at = [&](CzorEntity* e, const char* name) {
        const auto attrs = e->GetAllAttrs();
        return static_cast<size_t>(std::find(attrs.begin(), attrs.end(), store.GetAttrDefinition(e, name)) - attrs.begin());
    };
    for (int i = 0; i < s.places; ++i)
        if (!put(kFirstId + i, place, [&](std::vector<CzorValue>& v) {
                v[at(place, "city")].Set(cities[rng() % 5]);
                v[at(place, "zip")].Set(static_cast<int>(rng() % 100000));
            }))
            return false;
    for (int k = 0; k < s.people; ++k) {
        CzorEntity* e = k % 3 == 0 ? employee : person;
        const bool ok = put(s.FirstPerson() + k, e, [&](std::vector<CzorValue>& v) {
            v[at(e, "name")].Set(s.Name(k));
            v[at(e, "age")].Set(static_cast<int>(rng() % 80));
            v[at(e, "height")].Set(1.0 + (rng() % 100) / 100.0);
            v[at(e, "active")].Set(rng() % 2 == 0);
            if (k >= 10) v[at(e, "boss")].Set(ref(s.FirstPerson() + k / 10));
            v[at(e, "home")].Set(ref(kFirstId + static_cast<int32_t>(rng() % s.places)));
            CzorAggr friends(zorINSTANCE);
            for (unsigned n = rng() % 3; n > 0; --n) {
                CzorValue f;
                f.Set(ref(s.FirstPerson() + static_cast<int32_t>(rng() % s.people)));
                friends.Add(f);
            }
            if (friends.GetSize()) v[at(e, "friends")].Set(friends);
            if (e == employee) v[at(e, "salary")].Set(100.0 * (rng() % 50));
        });
        if (!ok) return false;
        if (refs.size() > 10000) {
            store.ClearData();
            refs.clear();
        }
    }
    const int32_t firstProduct = s.FirstPerson() + s.people;
    for (int i = 0; i < s.products; ++i)
        if (!put(firstProduct + i, product, [&](std::vector<CzorValue>& v) {
                v[at(product, "id")].Set("P" + std::to_string(i));
                v[at(product, "maker")].Set(ref(s.FirstPerson() + static_cast<int32_t>(rng() % s.people)));
            }))
            return false;
    if (!flush()) return false;
    // The user made every instance, as if through his saves: he owns them, so his saves may delete
    // them, and each has the rights row a save leaves.
    const auto user = db.FindUser("user");
    if (!user || !zor::appserver::EnsureAccessSchema(db)) return false;
    const std::string owned =
        "INSERT INTO access_inst(id, mode, individual) SELECT id, 1, 1 FROM instances WHERE entity IN"
        " ('place', 'person', 'employee', 'product');"
        "INSERT INTO access_agent(inst, agent, mode) SELECT id, " + std::to_string(user->id) +
        ", 0 FROM access_inst WHERE individual = 1;";
    return sqlite3_exec(db.Handle(), owned.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string Ensure(const std::string& dir, const Shape& s) {
    const std::string path = dir + "/scale_owned" + std::to_string(s.size) + zor::appserver::kDatabaseSuffix;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return path;
    const auto t0 = Clock::now();
    std::printf("building %d instances... ", s.size);
    std::fflush(stdout);
    if (!Build(path, s)) {
        std::printf("failed\n");
        return {};
    }
    std::printf("%.1f s\n", std::chrono::duration<double>(Clock::now() - t0).count());
    return path;
}

struct Stats {
    double p50 = 0, p99 = 0;
    size_t n = 0;
};

Stats StatsOf(std::vector<double> ms) {
    Stats s;
    s.n = ms.size();
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    s.p50 = ms[ms.size() / 2];
    s.p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    return s;
}

Bytes QueryTree(CzorStepData& store, const std::string& utf8) {
    std::string cp;
    zor::Utf8ToCp1251(utf8, cp);
    CzorQLQueryParser parser(&store);
    if (!parser.ParseSelectStatement(cp)) return {};
    CzorDataBuf body;
    parser.SaveToDataBuf(body);
    return Bytes(body.GetBuffer(), body.GetBuffer() + body.GetSize());
}

Bytes FindBody(CzorStepData& store, const std::string& name) {
    CzorEntity* person = store.GetEntityBN("person");
    CzorDataBuf b;
    b.Add("zor_TestFindBuf V 0.103", 24);
    b.Add(static_cast<int32_t>(person->GetId()));
    b.Add(int32_t{0});
    b.Add(int32_t{1});
    b.Add(int32_t{0});
    b.Add(static_cast<int32_t>(store.GetAttrDefinition(person, "name")->GetId()));
    CzorValue v;
    v.Set(name);
    zorAppendBufValue(b, v, nullptr, zorBufText::Cp1251);
    b.Add(int32_t{0});
    b.Add(int32_t{0});
    b.Add(int32_t{0});
    return Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize());
}

Bytes LoadBody(int32_t target) {
    zor::net::WireWriter w;
    w.Bytes("Load query bufer v0.1", 22);
    w.I32(1);
    w.I32(0);
    w.Bytes("r\0\0\0", 4);
    w.I32(target);
    w.I32(0);
    w.I32(0);
    w.Bytes("\1\0\0\0", 4);
    return w.Out();
}

Bytes DeletionBody(int32_t id) {
    CzorDataBuf b;
    b.Add(kzorStepDataSignature, kzorStepDataSignatureSize);
    b.Add(std::string("qltest"));
    b.Add(int32_t{0});
    b.Add(int32_t{1});
    b.Add(id);
    b.Add(int16_t{0});
    b.Add(int8_t{0});
    return Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize());
}

// A save that changes one person's age.
Bytes UpdateBody(CzorStepData& store, int32_t id, bool employee, int age) {
    CzorInstance* p = store.CreateInstanceBN(employee ? "employee" : "person");
    p->SetId(id);
    store.PutAttrBN(p, "age", age);
    zorStepBufWriteOptions o;
    o.text = zorBufText::Cp1251;
    o.values = zorStepBufValues::Changed;
    CzorDataBuf b;
    zorWriteStepDataBuf(store, b, {p}, o);
    store.ClearData();
    return Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize());
}

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

void Print(const char* what, const Stats& s) {
    std::printf("  %-34s p50 %8.3f ms   p99 %8.3f ms   (%zu)\n", what, s.p50, s.p99, s.n);
}

// The gate of the bench's user, as his session holds it.
zor::appserver::AccessView UserView(zor::appserver::ServerDatabase& db) {
    const auto user = db.FindUser("user");
    return zor::appserver::AccessView(db, user ? user->id : 0, user ? user->group : 0);
}

// Indexed (as the server answers now) or every row read (as it answered before).
void Direct(const std::string& path, const Shape& s, bool scan, int rounds) {
    zor::appserver::ServerDatabase db;
    if (!db.Open(path)) return;
    zor::appserver::AccessView view = UserView(db);
    CzorStepData scratch, client;
    scratch.SetErorPrintMode(false);
    client.SetErorPrintMode(false);
    scratch.LoadDictionaryFromFile(kDict.c_str());
    client.LoadDictionaryFromFile(kDict.c_str());
    // The server answers as before its indexes while their mark is set aside.
    if (scan) sqlite3_exec(db.Handle(), "UPDATE meta SET key = 'index_version_aside' WHERE key = 'index_version'", nullptr, nullptr, nullptr);
    std::mt19937 rng(static_cast<uint32_t>(s.size));
    std::vector<double> query, refs, search, deletion;
    size_t matched = 0;
    for (int i = 0; i < rounds; ++i) {
        const int k = static_cast<int>(rng() % static_cast<uint32_t>(s.people));
        const Bytes tree = QueryTree(client, "select a from a{person .name = '" + s.Name(k) + "'} end_select");
        Bytes reply;
        auto t = Clock::now();
        view.Forget();
        if (scan) zor::appserver::AnswerQueryReadingAll(db, scratch, tree.data(), tree.size(), reply, view);
        else zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), reply, view);
        query.push_back(Ms(t));
        matched += reply.size();
        std::vector<zor::appserver::LoadQuery> load(1);
        load[0].type = 'r';
        // A boss still there (earlier runs deleted some).
        for (int tries = 0; tries < 50 && !db.GetInstance(load[0].id); ++tries)
            load[0].id = s.FirstPerson() + static_cast<int32_t>(rng() % static_cast<uint32_t>(s.people / 10));
        t = Clock::now();
        view.Forget();
        zor::appserver::AnswerLoad(db, scratch, load, reply, view);
        refs.push_back(Ms(t));
        const Bytes find = FindBody(client, s.Name(k));
        t = Clock::now();
        view.Forget();
        zor::appserver::AnswerFind(db, scratch, find.data(), find.size(), false, reply, view);
        search.push_back(Ms(t));
        // People below a tenth are bosses of ten; each round deletes one still there.
        int32_t victim = 0;
        for (int tries = 0; tries < 50 && !victim; ++tries) {
            const int32_t id = s.FirstPerson() + static_cast<int32_t>(rng() % static_cast<uint32_t>(s.people / 10));
            if (db.GetInstance(id)) victim = id;
        }
        const Bytes gone = DeletionBody(victim);
        t = Clock::now();
        view.Forget();
        zor::appserver::ApplySave(db, scratch, gone.data(), gone.size(), nullptr, reply, view);
        deletion.push_back(Ms(t));
    }
    if (scan) sqlite3_exec(db.Handle(), "UPDATE meta SET key = 'index_version' WHERE key = 'index_version_aside'", nullptr, nullptr, nullptr);
    std::printf("%d instances, %s:\n", s.size, scan ? "every row read (before)" : "indexed");
    Print("query matching 10 instances", StatsOf(query));
    Print("'r' load of one's referrers", StatsOf(refs));
    Print("search by a text value", StatsOf(search));
    Print("save deleting a referred instance", StatsOf(deletion));
}

// Writers only, in-process, each with its own connection: how many saves the shared syncs carry.
void Writers(const std::string& path, const Shape& s, double seconds) {
    for (int writers : {1, 8, 64}) {
        std::atomic<bool> go{true};
        std::atomic<long> saves{0}, failed{0};
        std::mutex mutex;
        std::vector<double> all;
        std::vector<std::thread> threads;
        for (int w = 0; w < writers; ++w)
            threads.emplace_back([&, w] {
                zor::appserver::ServerDatabase db;
                CzorStepData scratch, store;
                scratch.SetErorPrintMode(false);
                store.SetErorPrintMode(false);
                if (!db.Open(path) || !scratch.LoadDictionaryFromFile(kDict.c_str()) || !store.LoadDictionaryFromFile(kDict.c_str())) return;
                zor::appserver::AccessView view = UserView(db);
                std::mt19937 rng(static_cast<uint32_t>(w + 7));
                std::vector<double> ms;
                while (go) {
                    const int k = static_cast<int>(rng() % static_cast<uint32_t>(s.people));
                    const Bytes body = UpdateBody(store, s.FirstPerson() + k, k % 3 == 0, static_cast<int>(rng() % 80));
                    Bytes reply;
                    const auto t = Clock::now();
                    view.Forget();
                    const int32_t st = zor::appserver::ApplySave(db, scratch, body.data(), body.size(), nullptr, reply, view);
                    ms.push_back(Ms(t));
                    ++(st == 0 ? saves : failed);
                }
                std::lock_guard lock(mutex);
                all.insert(all.end(), ms.begin(), ms.end());
            });
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        go = false;
        for (auto& t : threads) t.join();
        std::printf("%d instances, %d writers in-process: %.0f saves/s (%ld failed)\n", s.size, writers, saves / seconds, failed.load());
        Print("save changing one value", StatsOf(all));
    }
}

Bytes Message(int command, const Bytes& payload) {
    zor::net::WireWriter w;
    w.I32(2);
    w.I32(command);
    w.Field("lb", 2);
    w.U8(0);
    zor::net::WireWriter f;
    f.Field(payload.data(), payload.size());
    w.Bytes(f.Out().data(), f.Out().size());
    return w.Out();
}

Bytes Login() {
    std::vector<unsigned char> block(zor::net::kLoginBlockSize, 0);
    std::string scrambled;
    zor::ScrambleText("pw", scrambled);
    const std::string user = "user", db = "main";
    std::copy(user.begin(), user.end(), block.begin() + zor::net::kLoginUserOffset);
    std::copy(scrambled.begin(), scrambled.end(), block.begin() + zor::net::kLoginPasswordOffset);
    std::copy(db.begin(), db.end(), block.begin() + zor::net::kLoginDatabaseOffset);
    return Message(zor::net::kCmdLogin, block);
}

int32_t Status(const Bytes& reply) { return reply.size() >= 18 ? zor::net::LoadI32(reply.data() + 14) : -1; }

bool Ask(CzorSocketClient& c, Bytes msg, Bytes& reply) {
    unsigned char* p = msg.data();
    int n = static_cast<int>(msg.size());
    if (!c.Call(p, n, nullptr, 0, false, true)) return false;
    reply.assign(p, p + n);
    return true;
}

void UnderLoad(const std::string& path, const Shape& s, double seconds, const std::vector<int>& counts) {
    const std::string dir = std::filesystem::path(path).parent_path().string() + "/load";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir, ec);
    zor::appserver::ServerDatabase src;
    if (!src.Open(path)) return;
    const std::string copy = dir + "/main" + zor::appserver::kDatabaseSuffix;
    sqlite3_exec(src.Handle(), ("VACUUM INTO '" + copy + "'").c_str(), nullptr, nullptr, nullptr);
    for (int clients : counts) {
        zor::appserver::ServerOptions o;
        o.dataDir = dir;
        o.port = 0;
        o.dictionary = kDict;
        zor::appserver::AppServer server(o);
        std::string error;
        if (!server.Start(&error)) {
            std::printf("cannot start the server: %s\n", error.c_str());
            return;
        }
        std::mutex mutex;
        std::vector<double> reads, writes;
        std::atomic<long> failures{0};
        std::string firstFailure;
        std::atomic<bool> go{true};
        // Requests are timed once every client has logged in (or failed to): a crowd's logins, each
        // paying a slow password hash, are not what this measures.
        std::atomic<int> settled{0};
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                CzorStepData store;
                store.SetErorPrintMode(false);
                store.LoadDictionaryFromFile(kDict.c_str());
                CzorSocketClient client;
                client.SetInactivityTimeout(30000);
                Bytes reply;
                const bool in = client.Connect("127.0.0.1", server.Port()) && Ask(client, Login(), reply) && Status(reply) == 0;
                ++settled;
                if (!in) {
                    ++failures;
                    std::lock_guard lock(mutex);
                    if (firstFailure.empty()) firstFailure = "login status " + std::to_string(Status(reply));
                    return;
                }
                while (go && settled < clients) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::mt19937 rng(static_cast<uint32_t>(c + 1));
                std::vector<double> r, w;
                for (long i = 0; go; ++i) {
                    const int k = static_cast<int>(rng() % static_cast<uint32_t>(s.people));
                    const int32_t id = s.FirstPerson() + k;
                    Bytes msg;
                    const bool writing = rng() % 10 == 0;
                    if (writing) msg = Message(zor::net::kCmdSaveChanges, UpdateBody(store, id, k % 3 == 0, static_cast<int>(rng() % 80)));
                    else if (i % 3 == 0) msg = Message(zor::net::kCmdQueryExecute, QueryTree(store, "select a from a{person .name = '" + s.Name(k) + "'} end_select"));
                    else if (i % 3 == 1) msg = Message(zor::net::kCmdLoad, LoadBody(s.FirstPerson() + k / 10));
                    else msg = Message(zor::net::kCmdFindInstances, FindBody(store, s.Name(k)));
                    const auto t = Clock::now();
                    const bool ok = Ask(client, msg, reply) && Status(reply) == 0;
                    (writing ? w : r).push_back(Ms(t));
                    if (!ok) {
                        ++failures;
                        std::lock_guard lock(mutex);
                        if (firstFailure.empty())
                            firstFailure = std::string(writing ? "save" : i % 3 == 0 ? "query" : i % 3 == 1 ? "load" : "search") +
                                           " status " + std::to_string(Status(reply));
                    }
                }
                std::lock_guard lock(mutex);
                reads.insert(reads.end(), r.begin(), r.end());
                writes.insert(writes.end(), w.begin(), w.end());
            });
        }
        for (auto until = Clock::now() + std::chrono::seconds(60); settled < clients && Clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        go = false;
        for (auto& t : threads) t.join();
        server.Stop(false);
        std::printf("%d instances, %d clients, one request in ten writing, %.0f s: %.0f requests/s, %ld failures%s%s\n", s.size,
                    clients, seconds, static_cast<double>(reads.size() + writes.size()) / seconds, failures.load(),
                    firstFailure.empty() ? "" : ", the first: ", firstFailure.c_str());
        Print("reads", StatsOf(reads));
        Print("writes", StatsOf(writes));
        std::fflush(stdout);
    }
}

// "a,b,c" as numbers.
std::vector<int> Numbers(const char* p) {
    std::vector<int> out;
    while (*p) {
        out.push_back(std::atoi(p));
        while (*p && *p != ',') ++p;
        if (*p) ++p;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {10000, 100000, 1000000};
    bool scan = false;
    int load = 0, writersOnly = 0;
    std::vector<int> clients = {8, 64, 256};
    bool onlyLoad = false;
    double seconds = 10;
    std::string dir = "/tmp/qm_server_scale";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("-sizes=", 0) == 0) {
            sizes = Numbers(a.c_str() + 7);
        } else if (a.rfind("-clients=", 0) == 0) {
            clients = Numbers(a.c_str() + 9);
            onlyLoad = true;
        } else if (a == "-scan") {
            scan = true;
        } else if (a.rfind("-writers=", 0) == 0) {
            writersOnly = std::atoi(a.c_str() + 9);
        } else if (a.rfind("-load=", 0) == 0) {
            load = std::atoi(a.c_str() + 6);
        } else if (a.rfind("-seconds=", 0) == 0) {
            seconds = std::atof(a.c_str() + 9);
        } else if (a.rfind("-dir=", 0) == 0) {
            dir = a.substr(5);
        } else {
            std::fprintf(stderr, "usage: bench_server_scale [-sizes=a,b,...] [-scan] [-load=<size>] [-clients=a,b,...]"
                                 " [-writers=<size>] [-seconds=<n>] [-dir=<folder>]\n");
            return 2;
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (int size : sizes) {
        const Shape s = ShapeOf(size);
        const std::string path = Ensure(dir, s);
        if (path.empty()) return 1;
        if (scan && size <= 100000) Direct(path, s, true, size <= 10000 ? 50 : 10);
        Direct(path, s, false, 200);
        std::fflush(stdout);
    }
    if (writersOnly) {
        const Shape s = ShapeOf(writersOnly);
        const std::string path = Ensure(dir, s);
        if (path.empty()) return 1;
        Writers(path, s, seconds);
    }
    if (load) {
        const Shape s = ShapeOf(load);
        const std::string path = Ensure(dir, s);
        if (path.empty()) return 1;
        if (!onlyLoad) Writers(path, s, std::min(seconds, 5.0));
        UnderLoad(path, s, seconds, clients);
    }
    std::printf("peak memory: %.1f MB\n", bench::PeakKB() / 1024.0);
    return 0;
}
