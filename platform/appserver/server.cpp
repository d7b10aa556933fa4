#include "platform/appserver/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/appserver/session.h"

namespace zor::appserver {
namespace {
constexpr int kAcceptRestMs = 200;
}  // namespace

AppServer::AppServer(ServerOptions options) : m_options(std::move(options)) {}

AppServer::~AppServer() { Stop(false); }

bool AppServer::Start(std::string* error) {
    const auto fail = [&](const char* what) {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        if (m_listenFd >= 0) ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    };
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(m_options.port));
    if (::inet_pton(AF_INET, m_options.bindAddress.c_str(), &addr.sin_addr) != 1) {
        errno = EINVAL;
        return fail("bad address");
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) return fail("socket");
    int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return fail("bind");
    // A burst of connections waits in the kernel's queue rather than in SYN retries of a second and more.
    if (::listen(m_listenFd, SOMAXCONN) != 0) return fail("listen");
    socklen_t len = sizeof addr;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_stopping = false;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void AppServer::AcceptLoop() {
    pollfd p[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    bool resting = false;
    bool shortReported = false;  // said once per shortage, not five times a second
    while (!m_stopping) {
        p[0].revents = p[1].revents = 0;
        // While descriptors are short only the wake-up is watched: the pending connection would
        // wake every poll at once and the loop would spin.
        int n = ::poll(resting ? p + 1 : p, resting ? 1 : 2, resting ? kAcceptRestMs : 500);
        if (n < 0 && errno != EINTR) break;
        Reap(false);
        if (m_stopping) break;
        if (resting) {
            resting = false;
            continue;
        }
        if (n <= 0 || !(p[0].revents & POLLIN)) continue;
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                if (!shortReported)
                    std::fprintf(stderr, "zorappserver: cannot accept (%s): pausing\n", std::strerror(errno));
                shortReported = resting = true;
            }
            continue;
        }
        shortReported = false;
        if (SessionCount() >= m_options.maxConnections) {
            ::close(fd);
            continue;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, 1 /* TCP_NODELAY */, &one, sizeof one);
        std::shared_ptr<Session> s;
        try {
            s = std::make_shared<Session>(*this, fd);  // owns fd from here on
            std::lock_guard lock(m_mutex);
            m_sessions.push_back(s);
        } catch (const std::exception& e) {
            // Memory short: this connection is dropped, the others go on.
            std::fprintf(stderr, "zorappserver: connection dropped: %s\n", e.what());
            if (!s) ::close(fd);
            continue;
        }
        if (!s->Start()) {
            std::fprintf(stderr, "zorappserver: cannot start a session thread: connection dropped\n");
            std::lock_guard lock(m_mutex);
            m_sessions.remove(s);
        }
    }
}

// Ends finished sessions (all of them when `all`).
void AppServer::Reap(bool all) {
    std::list<std::shared_ptr<Session>> done;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_sessions.begin(); it != m_sessions.end();) {
            if (all || (*it)->Done()) {
                done.push_back(*it);
                it = m_sessions.erase(it);
            } else {
                ++it;
            }
        }
    }
    done.clear();  // joins outside the lock
}

void AppServer::Stop(bool notice) {
    if (m_listenFd < 0) return;
    {
        std::lock_guard lock(m_mutex);
        for (auto& s : m_sessions) s->Stop(notice);
    }
    m_stopping = true;
    uint64_t one = 1;
    (void)!::write(m_wakeFd, &one, sizeof one);
    if (m_acceptThread.joinable()) m_acceptThread.join();
    Reap(true);
    ::close(m_listenFd);
    ::close(m_wakeFd);
    m_listenFd = m_wakeFd = -1;
}

int AppServer::SessionCount() {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_sessions.begin(), m_sessions.end(), [](auto& s) { return !s->Done(); }));
}

std::vector<int32_t> AppServer::ActiveUsers(const std::string& dbPath) {
    std::lock_guard lock(m_mutex);
    std::vector<int32_t> users;
    for (auto& s : m_sessions) {
        std::string path;
        int32_t user = 0;
        if (!s->Done() && s->ActiveUser(path, user) && path == dbPath) users.push_back(user);
    }
    return users;
}

std::vector<std::string> AppServer::DatabaseNames() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(m_options.dataDir, ec)) {
        const auto p = e.path();
        if (p.extension() == kDatabaseSuffix) names.push_back(p.stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string AppServer::DatabasePath(const std::string& name) const {
    // A database is named, never given as a path.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return {};
    return m_options.dataDir + "/" + name + kDatabaseSuffix;
}

}  // namespace zor::appserver
