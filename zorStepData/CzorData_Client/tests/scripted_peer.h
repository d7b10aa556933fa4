#pragma once
// A server stand-in on 127.0.0.1 that records every request message and answers each with what
// the test's responder returns (nullopt: no reply). One connection at a time.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/tests/transport/bytes.h"
#include "platform/transport/framing.h"

namespace zor::test {

// A listening socket on 127.0.0.1 with a free port.
inline int ListenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd, 4);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

class ScriptedPeer {
public:
    using Responder = std::function<std::optional<Bytes>(const Bytes& request)>;
    explicit ScriptedPeer(Responder responder) : m_responder(std::move(responder)) {
        m_listen = ListenOnLoopback(m_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~ScriptedPeer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    int Port() const { return m_port; }
    std::vector<Bytes> Requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    void Run() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) continue;
            Serve(fd);
            ::close(fd);
        }
    }
    void Serve(int fd) {
        zor::net::FrameDecoder d;
        unsigned char buf[65536];
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            d.Feed(buf, static_cast<size_t>(n));
            zor::net::Frame f;
            while (d.Next(f) == zor::net::DecodeResult::Frame) {
                {
                    std::lock_guard lock(m_mutex);
                    m_requests.push_back(f.payload);
                }
                auto reply = m_responder(f.payload);
                if (!reply) continue;
                Bytes out;
                zor::net::EncodeFrame(zor::net::FrameKind::Reply, f.seq, reply->data(), reply->size(), out);
                (void)!::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
            }
        }
    }

    Responder m_responder;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<Bytes> m_requests;
};

}  // namespace zor::test
