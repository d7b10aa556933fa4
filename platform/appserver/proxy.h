#pragma once
// A loopback proxy for tests: it forwards 127.0.0.1:Port() to a target port and can, per
// direction and per connection, cut the connection, pause or throttle once a byte count is passed.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace zor::appserver {

struct ProxyDirection {
    int64_t cutAt = -1;     // close both sides once this many bytes went this way (-1: never)
    int64_t delayAt = -1;   // pause once this many bytes went this way ...
    int delayMs = 0;        // ... for this long
    int64_t bytesPerSecond = 0;  // throttle (0: as fast as it goes)
};

struct ProxyPlan {
    ProxyDirection toServer, toClient;
    int connections = -1;  // how many connections get the plan (-1: all); later ones pass untouched
};

class LoopbackProxy {
public:
    explicit LoopbackProxy(int targetPort);
    ~LoopbackProxy();
    LoopbackProxy(const LoopbackProxy&) = delete;
    LoopbackProxy& operator=(const LoopbackProxy&) = delete;
    int Port() const { return m_port; }
    void SetPlan(const ProxyPlan& plan);
    int Connections() const { return m_count; }

private:
    void Run();
    void Pump(int client, ProxyPlan plan);
    int m_target;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_count{0};
    std::mutex m_mutex;
    ProxyPlan m_plan;
    std::thread m_thread;
};

}  // namespace zor::appserver
