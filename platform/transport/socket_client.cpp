#include "platform/transport/socket_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fmt/format.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 50;

int MsSince(Clock::time_point t) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

ITransportWaitUi* g_waitUi = nullptr;

}  // namespace

CzorSocketClient::CzorSocketClient() : m_breakFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CzorSocketClient::~CzorSocketClient() {
    if (m_waitHandle) EndTransportWaitDlg(m_waitHandle, true);
    Close();
    if (m_breakFd >= 0) ::close(m_breakFd);
}

void CzorSocketClient::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_detached = false;
}

void CzorSocketClient::Lost(int sysError) {
    m_tkvError = TKV_CONNECTION_LOST;
    m_sysError = sysError;
    m_lostPending = true;
    Close();
}

bool CzorSocketClient::Connect(const std::string& host, int port) {
    Close();
    m_decoder.Reset();
    m_lostPending = false;
    m_bServerStopped = false;
    m_tkvError = 0;
    m_sysError = 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    const std::string service = std::to_string(port);
    if (host.empty() || port <= 0 || port > 65535 || ::getaddrinfo(host.c_str(), service.c_str(), &hints, &res) != 0 || !res) {
        m_tkvError = TKV_UNRESOLVED;
        return false;
    }
    int fd = ::socket(res->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        m_sysError = errno;
        m_tkvError = TKV_NO_ANSWER;
        ::freeaddrinfo(res);
        return false;
    }
    int rc = ::connect(fd, res->ai_addr, res->ai_addrlen);
    ::freeaddrinfo(res);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        const auto start = Clock::now();
        int err = ETIMEDOUT;
        while (MsSince(start) < m_connectTimeoutMs) {
            int n = ::poll(&p, 1, std::min(kSliceMs, std::max(1, m_connectTimeoutMs - MsSince(start))));
            if (n > 0) {
                socklen_t len = sizeof err;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
                break;
            }
            if (n < 0 && errno != EINTR) { err = errno; break; }
            if (m_pump) m_pump();
        }
        rc = err ? -1 : 0;
        if (err) errno = err;
    }
    if (rc != 0) {
        m_sysError = errno;
        m_tkvError = TKV_NO_ANSWER;
        ::close(fd);
        return false;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    m_fd = fd;
    return true;
}

bool CzorSocketClient::IsConnected() {
    if (m_fd < 0) return false;
    if (m_operated || m_detached) return true;
    // Read what waits without blocking: a stopping notice or the end of the stream shows here.
    if (!Receive()) return false;
    return m_fd >= 0;
}

void CzorSocketClient::SetBreak(bool on) {
    m_break = on;
    if (on && m_breakFd >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_breakFd, &one, sizeof one);
    }
}

bool CzorSocketClient::GetHostName(std::string& name) {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return false;
    name = buf;
    return !name.empty();
}

void CzorSocketClient::ClearInternalData() {
    m_reply.clear();
    m_reply.shrink_to_fit();
    m_haveReply = false;
}

bool CzorSocketClient::TakeConnectionLost() {
    const bool due = m_lostPending;
    m_lostPending = false;
    return due;
}

int CzorSocketClient::Detach() {
    if (m_fd < 0) return 0;
    m_detached = true;
    return m_fd;
}

bool CzorSocketClient::Attach(int handle) {
    if (handle <= 0 || handle != m_fd) return false;
    m_detached = false;
    return true;
}

// Drains the socket into the decoder. Stale replies are dropped, a stopping notice is recorded.
// A reply to the current request is kept in m_reply and m_replyIn set.
bool CzorSocketClient::Receive() {
    unsigned char chunk[65536];
    bool ended = false;
    int endError = 0;
    for (;;) {
        ssize_t n = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            // Read on until the socket is dry, so an end of stream behind the data is seen too.
            m_decoder.Feed(chunk, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        ended = true;
        endError = n == 0 ? 0 : errno;
        break;
    }
    // What came before the end still counts: a stopping notice is usually followed by the close.
    for (;;) {
        zor::net::Frame f;
        auto r = m_decoder.Next(f);
        if (r == zor::net::DecodeResult::NeedMore) break;
        if (r != zor::net::DecodeResult::Frame) {
            // The stream is out of step for good: close it and let the owner reconnect.
            Close();
            m_tkvError = TKV_PROTOCOL;
            m_sysError = 0;
            m_lostPending = true;
            return false;
        }
        if (f.kind == zor::net::FrameKind::ServerStopping) {
            m_bServerStopped = true;
            continue;
        }
        if (f.kind != zor::net::FrameKind::Reply || f.seq != m_seq || !m_operated) continue;  // stale or stray
        m_reply = std::move(f.payload);
        m_replyIn = true;
    }
    if (ended && !m_replyIn) {
        Lost(endError);
        return false;
    }
    if (ended) Close();  // the reply is in; the next call finds the connection gone
    return true;
}

bool CzorSocketClient::Call(unsigned char*& bytes, int& length, const unsigned char* extra, int extraLength,
                            bool showWait, bool handleLoss) {
    if (m_operated) {
        m_tkvError = TKV_BUSY;
        return false;
    }
    if (m_fd < 0) {
        m_tkvError = TKV_NOT_CONNECTED;
        return false;
    }
    if (length < 0 || extraLength < 0 || (length && !bytes) || (extraLength && !extra) ||
        static_cast<uint64_t>(length) + static_cast<uint64_t>(extraLength) > m_maxFrame) {
        m_tkvError = TKV_BAD_ARGUMENT;
        return false;
    }
    ClearInternalData();
    // Whatever came in since the last call (late replies, a stopping notice) is dealt with first.
    if (!Receive()) {
        if (!handleLoss) m_lostPending = false;
        return false;
    }
    m_operated = true;
    m_replyIn = false;
    m_break = false;
    uint64_t drain;
    while (m_breakFd >= 0 && ::read(m_breakFd, &drain, sizeof drain) > 0) {}

    ++m_seq;
    std::vector<unsigned char> out;
    if (m_hasToken) {
        std::vector<unsigned char> whole(bytes, bytes + length);
        whole.insert(whole.end(), extra, extra + extraLength);
        zor::net::EncodeFrame(zor::net::FrameKind::Request, m_seq, whole.data(), whole.size(), out, &m_token);
    } else {
        zor::net::EncodeFrame2(zor::net::FrameKind::Request, m_seq, bytes, static_cast<size_t>(length), extra,
                               static_cast<size_t>(extraLength), out);
    }
    m_hasToken = false;
    size_t sent = 0;
    const auto start = Clock::now();
    auto lastActivity = start;
    bool ok = false;
    pollfd p[2] = {{m_fd, 0, 0}, {m_breakFd, POLLIN, 0}};
    for (;;) {
        if (m_break) {
            m_tkvError = TKV_BREAK;
            break;
        }
        if (m_waitHandle && IsBreakTransportWaitDlg(m_waitHandle)) {
            m_tkvError = TKV_BREAK;
            break;
        }
        if (m_inactivityTimeoutMs > 0 && MsSince(lastActivity) >= m_inactivityTimeoutMs) {
            m_tkvError = TKV_TIMEOUT;
            break;
        }
        if (!m_waitHandle && showWait && m_manageMode != 0 && !m_bHide && MsSince(start) >= m_waitDelayMs)
            m_waitHandle = StartTransportWaitDlg(m_waitText.c_str());
        p[0].fd = m_fd;
        p[0].events = static_cast<short>(POLLIN | (sent < out.size() ? POLLOUT : 0));
        p[0].revents = p[1].revents = 0;
        int n = ::poll(p, m_breakFd >= 0 ? 2 : 1, kSliceMs);
        if (n < 0 && errno != EINTR) {
            m_tkvError = TKV_SOCKET;
            m_sysError = errno;
            break;
        }
        if (n > 0 && (p[0].revents & POLLOUT) && sent < out.size()) {
            ssize_t w = ::send(m_fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (w > 0) {
                sent += static_cast<size_t>(w);
                lastActivity = Clock::now();
            } else if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                Lost(errno);
                break;
            }
        }
        if (n > 0 && (p[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            const size_t before = m_decoder.Pending();
            if (!Receive()) break;
            if (m_decoder.Pending() != before || m_replyIn) lastActivity = Clock::now();
            if (m_replyIn) {
                ok = true;
                break;
            }
        }
        if (m_pump) m_pump();
    }
    if (m_waitHandle) {
        EndTransportWaitDlg(m_waitHandle, false);
        m_waitHandle = 0;
    }
    m_operated = false;
    m_replyIn = false;
    if (!handleLoss) m_lostPending = false;
    if (!ok) return false;
    m_tkvError = 0;
    m_sysError = 0;
    m_haveReply = true;
    bytes = m_reply.data();
    length = static_cast<int>(m_reply.size());
    return true;
}

std::string CzorSocketClient::GetDescriptionLastError() const {
    std::string text;
    GetDescriptionTransportError(m_tkvError, m_sysError, text);
    return text;
}

void GetDescriptionTransportError(int code, int socketError, std::string& text) {
    switch (code) {
    case TKV_OK: text = "Ошибки нет"; break;
    case TKV_NOT_CONNECTED: text = "Соединение с сервером не установлено"; break;
    case TKV_BREAK: text = "Операция прервана пользователем"; break;
    case TKV_BAD_ARGUMENT: text = "Неверная длина запроса"; break;
    case TKV_TIMEOUT: text = "Сервер не ответил за отведенное время"; break;
    case TKV_PROTOCOL: text = "Нарушен протокол обмена с сервером"; break;
    case TKV_SOCKET: text = "Ошибка механизма сокетов"; break;
    case TKV_CONNECTION_LOST: text = "Соединение с сервером разорвано"; break;
    case TKV_NO_ANSWER: text = "Сервер не отвечает"; break;
    case TKV_UNRESOLVED: text = "Не удалось найти адрес сервера"; break;
    case TKV_BUSY: text = "Выполняется другая операция"; break;
    default: text = fmt::format("Ошибка транспорта {}", code); break;
    }
    if (socketError) {
        char buf[256] = {};
        const char* s = ::strerror_r(socketError, buf, sizeof buf);
        text += fmt::format(" ({}: {})", socketError, s ? s : "");
    }
}

ITransportWaitUi* SetTransportWaitUi(ITransportWaitUi* ui) {
    ITransportWaitUi* old = g_waitUi;
    g_waitUi = ui;
    return old;
}
long StartTransportWaitDlg(const char* text) { return g_waitUi ? g_waitUi->Start(text ? text : "") : 0; }
void SetTransportWaitDlgText(long handle, const char* text) {
    if (g_waitUi && handle) g_waitUi->SetText(handle, text ? text : "");
}
bool IsBreakTransportWaitDlg(long handle) { return g_waitUi && handle && g_waitUi->IsBroken(handle); }
void EndTransportWaitDlg(long handle, bool flag) {
    if (g_waitUi && handle) g_waitUi->End(handle, flag);
}
