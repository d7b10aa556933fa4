#include "platform/appserver/proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace zor::appserver {
namespace {

using Clock = std::chrono::steady_clock;

int ListenLoopback(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

int ConnectLoopback(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// One direction's progress under its rules.
struct Flow {
    ProxyDirection rule;
    int64_t passed = 0;
    bool delayed = false;
    Clock::time_point start = Clock::now();
    // How many of n bytes may go now; -1 to cut.
    int64_t Allowance(int64_t n) {
        if (rule.cutAt >= 0 && passed >= rule.cutAt) return -1;
        if (rule.cutAt >= 0) n = std::min(n, rule.cutAt - passed);
        if (rule.delayAt >= 0 && !delayed) {
            if (passed >= rule.delayAt) {
                delayed = true;
                const auto until = Clock::now() + std::chrono::milliseconds(rule.delayMs);
                while (Clock::now() < until) ::poll(nullptr, 0, 10);
            } else {
                n = std::min(n, rule.delayAt - passed);
            }
        }
        if (rule.bytesPerSecond > 0) {
            const double secs = std::chrono::duration<double>(Clock::now() - start).count();
            const int64_t budget = static_cast<int64_t>(secs * static_cast<double>(rule.bytesPerSecond)) + 1024 - passed;
            n = std::max<int64_t>(0, std::min(n, budget));
        }
        return n;
    }
};

}  // namespace

LoopbackProxy::LoopbackProxy(int targetPort) : m_target(targetPort) {
    m_listen = ListenLoopback(m_port);
    m_thread = std::thread([this] { Run(); });
}

LoopbackProxy::~LoopbackProxy() {
    m_stop = true;
    m_thread.join();
    if (m_listen >= 0) ::close(m_listen);
}

void LoopbackProxy::SetPlan(const ProxyPlan& plan) {
    std::lock_guard lock(m_mutex);
    m_plan = plan;
}

void LoopbackProxy::Run() {
    std::vector<std::thread> pumps;
    while (!m_stop && m_listen >= 0) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        int c = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) continue;
        ProxyPlan plan;
        {
            std::lock_guard lock(m_mutex);
            plan = m_plan;
            if (m_plan.connections > 0) --m_plan.connections;
            if (m_plan.connections == 0) m_plan = ProxyPlan{};
        }
        ++m_count;
        pumps.emplace_back([this, c, plan] { Pump(c, plan); });
    }
    for (auto& t : pumps) t.join();
}

void LoopbackProxy::Pump(int client, ProxyPlan plan) {
    int server = ConnectLoopback(m_target);
    Flow flows[2] = {{plan.toServer}, {plan.toClient}};
    const int from[2] = {client, server};
    const int to[2] = {server, client};
    std::vector<unsigned char> pending[2];
    bool done = server < 0;
    unsigned char buf[65536];
    while (!done && !m_stop) {
        pollfd p[2] = {{client, static_cast<short>(pending[0].empty() ? POLLIN : 0), 0},
                       {server, static_cast<short>(pending[1].empty() ? POLLIN : 0), 0}};
        ::poll(p, 2, 10);
        for (int d = 0; d < 2 && !done; ++d) {
            if (pending[d].empty() && (p[d].revents & (POLLIN | POLLHUP | POLLERR))) {
                ssize_t n = ::recv(from[d], buf, sizeof buf, MSG_DONTWAIT);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) { done = true; break; }
                if (n > 0) pending[d].assign(buf, buf + n);
            }
            if (pending[d].empty()) continue;
            const int64_t allow = flows[d].Allowance(static_cast<int64_t>(pending[d].size()));
            if (allow < 0) { done = true; break; }
            if (allow == 0) continue;
            ssize_t w = ::send(to[d], pending[d].data(), static_cast<size_t>(allow), MSG_NOSIGNAL);
            if (w <= 0) { done = true; break; }
            flows[d].passed += w;
            pending[d].erase(pending[d].begin(), pending[d].begin() + w);
        }
    }
    ::close(client);
    if (server >= 0) ::close(server);
}

}  // namespace zor::appserver
