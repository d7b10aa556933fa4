// The server program under connections that never log in.
//
//   bench_server_limits [seconds per flood]
//
// 1. 16, then 256 connections each announce a 64 MiB frame and send it slowly, reconnecting when the
//    server closes them, while a legitimate client logs in and asks; printed: the server's peak
//    memory (VmHWM) and the legitimate client's login and request times.
// 2. 1,000 connections that connect and stay silent, then a new client: with a cap above 1,000
//    (every idle connection held) and with the default cap of 256 (the idle ones beyond it refused
//    at accept; the new client is answered once the idle ones' time to log in is up). Printed:
//    how long the new client waited for its answer.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/tests/test_support.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/transport/framing.h"
#include "platform/transport/wire.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::vector<unsigned char>& b) {
    for (size_t sent = 0; sent < b.size();) {
        const ssize_t n = ::send(fd, b.data() + sent, b.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// One request and its reply's status; -1 when none comes within the time.
int Ask(int fd, uint32_t seq, const std::vector<unsigned char>& message, int timeoutMs = 5000) {
    std::vector<unsigned char> frame;
    zor::net::EncodeFrame(zor::net::FrameKind::Request, seq, message.data(), message.size(), frame);
    if (!SendAll(fd, frame)) return -1;
    zor::net::FrameDecoder decoder;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        zor::net::Frame f;
        const auto r = decoder.Next(f);
        if (r == zor::net::DecodeResult::Frame) {
            if (f.payload.size() < 16) return -1;
            const int32_t sig = zor::net::LoadI32(f.payload.data() + 8);
            return f.payload.size() >= 16 + static_cast<size_t>(sig) ? zor::net::LoadI32(f.payload.data() + 12 + sig) : -1;
        }
        if (r != zor::net::DecodeResult::NeedMore) return -1;
        const int left = static_cast<int>(Ms(until - Clock::now()));
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, left) <= 0) return -1;
        unsigned char buf[65536];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return -1;
        decoder.Feed(buf, static_cast<size_t>(n));
    }
}

long PeakKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

struct Legit {
    double loginMs = -1, worstMs = -1, medianMs = -1;
    bool ok = false;
};

// A legitimate client: logs in, then asks twenty echoes; the times of the login and the requests.
Legit LegitimateClient(int port) {
    Legit out;
    const Clock::time_point t0 = Clock::now();
    const int fd = Connect(port);
    if (fd < 0) return out;
    const int st = Ask(fd, 1, zor::test::RequestMessage(2, zor::net::kCmdLogin, "lb", zor::test::LoginPayload("user", "pw", "main")));
    out.loginMs = Ms(Clock::now() - t0);
    std::vector<double> times;
    bool ok = st == 0;
    for (uint32_t i = 0; i < 20 && ok; ++i) {
        const Clock::time_point t = Clock::now();
        ok = Ask(fd, 2 + i, zor::test::RequestMessage(2, zor::net::kCmdTest, "lb", zor::test::Field({1, 2, 3}))) == 0;
        times.push_back(Ms(Clock::now() - t));
    }
    ::close(fd);
    if (!ok || times.empty()) return out;
    std::sort(times.begin(), times.end());
    out.ok = true;
    out.worstMs = times.back();
    out.medianMs = times[times.size() / 2];
    return out;
}

void Flood(int connections, double seconds) {
    zor::test::ScopedTempDir dir;
    zor::test::MakeDatabase(dir.Path());
    zor::test::ServerProcess server(dir.Path());
    std::atomic<bool> stop{false};
    std::atomic<long long> opened{0}, closedByServer{0};
    std::vector<std::thread> attackers;
    for (int i = 0; i < connections; ++i) {
        attackers.emplace_back([&] {
            std::vector<unsigned char> head;
            zor::net::EncodeFrame(zor::net::FrameKind::Request, 1, nullptr, 0, head);
            zor::net::StoreI32(head.data() + 12, 64 << 20);
            const std::vector<unsigned char> slice(1024, 0x41);
            while (!stop) {
                const int fd = Connect(server.Port());
                if (fd < 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    continue;
                }
                ++opened;
                bool alive = SendAll(fd, head);
                // Slowly: a kilobyte every 20 ms until the server has had enough.
                while (alive && !stop) {
                    alive = SendAll(fd, slice);
                    pollfd p{fd, POLLIN, 0};
                    if (::poll(&p, 1, 20) > 0) {
                        unsigned char b[256];
                        if (::recv(fd, b, sizeof b, 0) <= 0) alive = false;
                    }
                }
                if (!alive) ++closedByServer;
                ::close(fd);
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 2));
    const Legit legit = LegitimateClient(server.Port());
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 2));
    const long peak = PeakKb(server.Pid());
    stop = true;
    for (auto& t : attackers) t.join();
    std::printf("%4d slow 64 MiB frames: server peak %.1f MB; connections %lld (closed by the server %lld); "
                "legitimate login %.1f ms, requests median %.2f ms, worst %.2f ms%s\n",
                connections, peak / 1024.0, opened.load(), closedByServer.load(), legit.loginMs, legit.medianMs,
                legit.worstMs, legit.ok ? "" : " (NOT ANSWERED)");
}

void Idle(int connections, int cap) {
    zor::test::ScopedTempDir dir;
    zor::test::MakeDatabase(dir.Path());
    std::vector<std::string> extra;
    if (cap) extra.push_back("-max-connections=" + std::to_string(cap));
    zor::test::ServerProcess server(dir.Path(), 0, {}, extra);
    std::vector<int> idle;
    const Clock::time_point c0 = Clock::now();
    for (int i = 0; i < connections; ++i) {
        const int fd = Connect(server.Port());
        if (fd >= 0) idle.push_back(fd);
    }
    const double connecting = Ms(Clock::now() - c0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the server has accepted them all
    // The ones the server kept (the others it closed at once).
    int kept = 0;
    for (int fd : idle) {
        unsigned char b;
        const ssize_t n = ::recv(fd, &b, 1, MSG_DONTWAIT);
        kept += n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    // The new client tries until it is answered, for at most 20 s.
    const Clock::time_point t0 = Clock::now();
    bool answered = false;
    int tries = 0;
    while (!answered && Clock::now() - t0 < std::chrono::seconds(20)) {
        ++tries;
        const int fd = Connect(server.Port());
        if (fd >= 0) {
            answered = Ask(fd, 1, zor::test::RequestMessage(2, zor::net::kCmdLogin, "lb", zor::test::LoginPayload("user", "pw", "main")), 1000) == 0;
            ::close(fd);
        }
        if (!answered) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const double waited = Ms(Clock::now() - t0);
    const long peak = PeakKb(server.Pid());
    for (int fd : idle) ::close(fd);
    std::printf("%4d idle connections (%zu made in %.0f ms, %d kept by the server), cap %s: new client %s after %.0f ms "
                "(%d tries); server peak %.1f MB\n",
                connections, idle.size(), connecting, kept, cap ? std::to_string(cap).c_str() : "256 (default)",
                answered ? "answered" : "NOT ANSWERED", waited, tries, peak / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 6;
    // Each side of each connection is a descriptor in this process.
    rlimit r{};
    if (::getrlimit(RLIMIT_NOFILE, &r) == 0) {
        r.rlim_cur = std::min<rlim_t>(r.rlim_max, 8192);
        ::setrlimit(RLIMIT_NOFILE, &r);
    }
    for (int n : {16, 256}) Flood(n, seconds);
    Idle(1000, 1100);
    Idle(1000, 0);
    return 0;
}
