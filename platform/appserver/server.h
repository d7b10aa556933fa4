#pragma once
// Our application server: a TCP server speaking the client's protocol over the SQLite databases
// of a data folder ("<name>.qmdb"). One session per connection, each on its own thread with a modest
// stack, at most ServerOptions::maxConnections of them; a session must log in (command 25) before
// anything but the database list.
//
// Tests run it in-process (Start on port 0 gives the port) or as the program zorappserver.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/appserver/faults.h"
#include "platform/appserver/login_throttle.h"
#include "platform/appserver/work_slots.h"

namespace zor::appserver {

constexpr int kDefaultPort = 7239;
constexpr const char* kDatabaseSuffix = ".qmdb";

struct ServerOptions {
    std::string dataDir;                   // where the databases are
    std::string bindAddress = "127.0.0.1"; // loopback unless told otherwise
    int port = kDefaultPort;               // 0: any free port (see Port())
    uint32_t maxFrame = 64u << 20;
    // Before a successful login nothing longer than a login request is read, and a connection has
    // this long to log in. A logged-in session with no request for idleTimeoutMs is closed (the
    // designer's keep-alive asks every minute). Connections beyond maxConnections are closed at once.
    uint32_t maxLoginFrame = 16u << 10;
    int loginTimeoutMs = 10'000;
    int idleTimeoutMs = 30 * 60'000;
    int maxConnections = 256;
    // The dictionary file the databases are written in (empty: the installed "quillmark.dict").
    std::string dictionary;
    // How long one request may run before it ends with a status (0: no limit).
    int requestSeconds = 60;
    // Requests worked on at once (work_slots.h; 0: one per processor).
    int workSlots = 0;
};

class Session;

class AppServer {
public:
    explicit AppServer(ServerOptions options);
    ~AppServer();  // stops without a notice
    AppServer(const AppServer&) = delete;
    AppServer& operator=(const AppServer&) = delete;

    // Listens and starts accepting. False, with the reason, when it cannot listen.
    bool Start(std::string* error = nullptr);
    int Port() const { return m_port; }
    // Ends every session (after the stopping notice when `notice`) and the listener.
    void Stop(bool notice);
    FaultPlan& Faults() { return m_faults; }
    WorkSlots& Slots() { return m_slots; }
    LoginThrottle& Throttle() { return m_throttle; }
    const ServerOptions& Options() const { return m_options; }
    int SessionCount();
    // The users logged in to that database, one per session, in the order the sessions began.
    std::vector<int32_t> ActiveUsers(const std::string& dbPath);
    // The databases in the data folder, by name.
    std::vector<std::string> DatabaseNames() const;
    std::string DatabasePath(const std::string& name) const;

private:
    void AcceptLoop();
    void Reap(bool all);

    ServerOptions m_options;
    FaultPlan m_faults;
    WorkSlots m_slots{static_cast<unsigned>(std::max(0, m_options.workSlots))};
    LoginThrottle m_throttle;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::list<std::shared_ptr<Session>> m_sessions;
};

}  // namespace zor::appserver
