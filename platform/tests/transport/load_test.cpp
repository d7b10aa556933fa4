// A bounded load run: 8 client processes on one server program (login, 64 KiB and 1 MiB round
// trips, keep-alives, disconnect), then the server stopped. The test checks that nothing failed,
// that the server ended cleanly (the sanitizer build checks its leaks) and that its descriptors
// came back; the figures are printed for the record, never asserted.
// QM_LOAD_SECONDS sets the length of the run (2 s by default; 30 s for the figures).
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "platform/tests/transport/server_fixture.h"
#include "platform/transport/socket_client.h"

using namespace zor::net;
using Clock = std::chrono::steady_clock;

namespace {

struct Stats {
    long requests = 0;
    long failures = 0;
    long long bytes = 0;
    std::vector<float> latencyMs;
};

int CountFds(pid_t pid) {
    int n = 0;
    if (DIR* d = ::opendir(("/proc/" + std::to_string(pid) + "/fd").c_str())) {
        while (::readdir(d)) ++n;
        ::closedir(d);
    }
    return n;
}

long PeakKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long v = 0;
    while (in >> key) {
        if (key == "VmHWM:") { in >> v; return v; }
        in.ignore(1 << 10, '\n');
    }
    return 0;
}

bool Call(CzorSocketClient& c, std::vector<unsigned char> msg, Stats& s) {
    const auto t0 = Clock::now();
    unsigned char* p = msg.data();
    int n = static_cast<int>(msg.size());
    const bool ok = c.Call(p, n, nullptr, 0, false, true) && n >= 16;
    const int32_t sigLen = ok ? LoadI32(p + 8) : 0;
    const bool good = ok && sigLen >= 0 && static_cast<size_t>(n) >= 16u + static_cast<size_t>(sigLen) &&
                      LoadI32(p + 12 + sigLen) == 0;
    s.latencyMs.push_back(std::chrono::duration<float, std::milli>(Clock::now() - t0).count());
    ++s.requests;
    s.bytes += static_cast<long long>(msg.size()) + (ok ? n : 0);
    if (!good) ++s.failures;
    return good;
}

// One client process's loop; returns its figures through the pipe.
void ClientLoop(int port, int seconds, int id, int out) {
    Stats s;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    const auto big = zor::test::Field(std::vector<unsigned char>(1 << 20, 1));
    const auto mid = zor::test::Field(std::vector<unsigned char>(64 << 10, 2));
    while (Clock::now() < end) {
        CzorSocketClient c;
        c.SetInactivityTimeout(10000);
        if (!c.Connect("127.0.0.1", port)) { ++s.failures; break; }
        Call(c, zor::test::RequestMessage(2, kCmdLogin, "lb", zor::test::LoginPayload("user", "pw", "main")), s);
        for (int i = 0; i < 20 && Clock::now() < end; ++i) {
            Call(c, zor::test::RequestMessage(2, kCmdTest, "lb", (i + id) % 5 == 0 ? big : mid), s);
            if (i % 4 == 0) Call(c, zor::test::RequestMessage(2, kCmdSaveChanges, "lb", zor::test::Field({})), s);
        }
        Call(c, zor::test::RequestMessage(2, kCmdDisconnect, ""), s);
    }
    const long head[3] = {s.requests, s.failures, static_cast<long>(s.bytes >> 10)};
    (void)!::write(out, head, sizeof head);
    const long count = static_cast<long>(s.latencyMs.size());
    (void)!::write(out, &count, sizeof count);
    (void)!::write(out, s.latencyMs.data(), s.latencyMs.size() * sizeof(float));
}

bool ReadAll(int fd, void* p, size_t n) {
    auto* b = static_cast<char*>(p);
    while (n) {
        ssize_t r = ::read(fd, b, n);
        if (r <= 0) return false;
        b += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

}  // namespace

TEST(Load, EightClientProcessesOnOneServer) {
    const char* env = std::getenv("QM_LOAD_SECONDS");
    const int seconds = std::clamp(env ? std::atoi(env) : 2, 1, 120);
    zor::test::ScopedTempDir dir;
    zor::test::MakeDatabase(dir.Path());
    zor::test::ServerProcess server(dir.Path());
    ASSERT_NE(server.Port(), 0);
    // Let the server settle, then count its descriptors.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int fdsBefore = CountFds(server.Pid());
    std::vector<std::pair<pid_t, int>> children;
    const auto start = Clock::now();
    for (int i = 0; i < 8; ++i) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            ClientLoop(server.Port(), seconds, i, fds[1]);
            ::_exit(0);
        }
        ::close(fds[1]);
        children.push_back({pid, fds[0]});
    }
    Stats all;
    for (auto& [pid, fd] : children) {
        long head[3] = {}, count = 0;
        ASSERT_TRUE(ReadAll(fd, head, sizeof head));
        ASSERT_TRUE(ReadAll(fd, &count, sizeof count));
        std::vector<float> lat(static_cast<size_t>(count));
        ASSERT_TRUE(ReadAll(fd, lat.data(), lat.size() * sizeof(float)));
        ::close(fd);
        int st = 0;
        ::waitpid(pid, &st, 0);
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
        all.requests += head[0];
        all.failures += head[1];
        all.bytes += static_cast<long long>(head[2]) << 10;
        all.latencyMs.insert(all.latencyMs.end(), lat.begin(), lat.end());
    }
    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(all.failures, 0);
    EXPECT_GT(all.requests, 0);
    // Sessions end when their clients go: the descriptors come back.
    int fdsAfter = 0;
    for (int i = 0; i < 200; ++i) {
        fdsAfter = CountFds(server.Pid());
        if (fdsAfter <= fdsBefore) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LE(fdsAfter, fdsBefore);
    const long peak = PeakKiB(server.Pid());
    std::sort(all.latencyMs.begin(), all.latencyMs.end());
    const auto pct = [&](double q) { return all.latencyMs.empty() ? 0.f : all.latencyMs[static_cast<size_t>(q * (all.latencyMs.size() - 1))]; };
    std::printf("load: %d s, %ld requests, %.0f requests/s, %.1f MB/s, latency median %.2f ms, p99 %.2f ms, "
                "server peak %ld KiB, descriptors %d -> %d\n",
                seconds, all.requests, all.requests / secs, all.bytes / secs / 1e6, pct(0.5), pct(0.99), peak,
                fdsBefore, fdsAfter);
    const int st = server.Kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << "the server did not end cleanly: " << st;
}
