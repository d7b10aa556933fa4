// Connecting, reconnecting with a silent re-login, and starting a local server.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <thread>

#include <fmt/format.h>

#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"
#include "zorStepData/CzorData_Client/net_ui.h"
#include "zorStepData/CzorData_Client/transport_client.h"

extern char** environ;

namespace {

constexpr const char* kCaption = "Сообщение об ошибке Tessaline";

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

// The server must outlive the client and never linger as a zombie: a short-lived intermediate
// process spawns it and exits at once, so the server is adopted by init. The intermediate sends
// the server's process id (or the spawn error) back through a pipe.
long SpawnDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) return -EINVAL;
    if (::access(argv[0].c_str(), X_OK) != 0) return -(errno ? errno : ENOENT);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return -errno;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t mid = ::fork();
    if (mid < 0) {
        const int e = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return -e;
    }
    if (mid == 0) {
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
        pid_t child = 0;
        const int rc = ::posix_spawn(&child, args[0], nullptr, &attr, args.data(), environ);
        const long out = rc == 0 ? static_cast<long>(child) : -static_cast<long>(rc);
        (void)!::write(fds[1], &out, sizeof out);
        ::_exit(0);
    }
    ::close(fds[1]);
    long result = -ECHILD;
    if (::read(fds[0], &result, sizeof result) != static_cast<ssize_t>(sizeof result)) result = -ECHILD;
    ::close(fds[0]);
    int st = 0;
    while (::waitpid(mid, &st, 0) < 0 && errno == EINTR) {}
    return result;
}

bool CTransportSocketClient::IsFree() const { return m_socket && !m_socket->IsOperated(); }

bool CTransportSocketClient::IsConnected() const { return m_socket && m_socket->IsConnected(); }

bool CTransportSocketClient::Connect(const std::string& host, int port) {
    m_socket.reset();
    m_socket = std::make_unique<CTransportSocket>();
    m_socket->m_pConnectionLost = &CTransportSocketClient::ConnectionLostHandler;
    m_socket->m_pConnectionLostArg = this;
    m_socket->m_bHide = m_hide;
    m_socket->SetConnectTimeout(m_connectTimeoutMs);
    m_socket->SetInactivityTimeout(m_inactivityTimeoutMs);
    // Without a hook of its own the program's pump keeps its windows live while a call waits.
    m_socket->SetPumpHook(m_pump ? m_pump : std::function<void()>(&zor::net::PumpTimerPaint));
    return m_socket->Connect(host, port);
}

void CTransportSocketClient::Fail(int code, int line, const std::string& extra) {
    throw SzorErrorDescription{code, "transportSocketClient", line, extra};
}

bool CTransportSocketClient::ConnectWithServerStart(const std::string& host, int port, const std::string& serverPath,
                                                    bool endFlag) {
    if (host.empty() || port == 0) {
        if (!m_hide) zor::net::NetUi().Tell("Неверные параметры для соединения с БД!", kCaption, MB_ICONERROR);
        return false;
    }
    m_host = host;
    m_port = port;
    m_serverPath = serverPath;
    const long wait = m_hide ? 0 : StartTransportWaitDlg(fmt::format("Устанавливаем соединение с сервером {}:{}", host, port).c_str());
    int code = 0;
    long started = 0;
    if (!Connect(host, port)) {
        code = ZOR_NET_CLI_NET_ERROR;
        std::string self;
        const std::string h = Lower(host);
        if (m_socket && m_socket->GetLastTkvError() == TKV_NO_ANSWER && !serverPath.empty() &&
            CzorSocketClient::GetHostName(self) && (h == Lower(self) || host == "127.0.0.1" || h == "localhost")) {
            code = 0;
            if (IsBreakTransportWaitDlg(wait)) code = ZOR_NET_CLI_BREAK;
            if (!code) {
                if (!m_hide) SetTransportWaitDlgText(wait, fmt::format("Пытаемся запустить {}:{}", serverPath, port).c_str());
                started = m_starter.spawn({serverPath, fmt::format("/p:{}", port), "/h"});
                if (started <= 0) code = ZOR_NET_CLI_FNF;
            }
            for (int i = 0; !code; ++i) {
                if (i >= m_starter.attempts) { code = ZOR_NET_CLI_NOT_CONNECT; break; }
                if (IsBreakTransportWaitDlg(wait)) { code = ZOR_NET_CLI_BREAK; break; }
                if (m_starter.sleep) m_starter.sleep(m_starter.intervalMs);
                else std::this_thread::sleep_for(std::chrono::milliseconds(m_starter.intervalMs));
                if (Connect(host, port)) break;
                if (m_socket->GetLastTkvError() == TKV_UNRESOLVED) code = ZOR_NET_CLI_NET_ERROR;
            }
        }
    }
    EndTransportWaitDlg(wait, endFlag);
    if (!code) return true;
    if (m_socket) {
        if (code == ZOR_NET_CLI_NET_ERROR) {
            m_savedTkvError = m_socket->GetLastTkvError();
            m_savedSocketError = m_socket->GetLastWsaError();
        }
        m_socket.reset();
    }
    if (code == ZOR_NET_CLI_FNF) {
        m_savedTkvError = TKV_SOCKET;
        m_savedSocketError = static_cast<int>(-started);
    }
    Fail(code, __LINE__, code == ZOR_NET_CLI_FNF ? serverPath : std::string());
}

void CTransportSocketClient::ConnectionLostHandler(void* client) {
    if (client) static_cast<CTransportSocketClient*>(client)->OnConnectionLost();
}

void CTransportSocketClient::OnConnectionLost() {
    m_serverStopped = m_socket && m_socket->m_bServerStopped;
    DropSocket();
    Reconnect(true);
}

void CTransportSocketClient::DropSocket() {
    if (!m_socket) return;
    m_savedTkvError = m_socket->GetLastTkvError();
    m_savedSocketError = m_socket->GetLastWsaError();
    // Owned uniquely and never dropped inside its own call (the handler runs after Call), so the
    // client can simply go; its wait window ends with it.
    m_socket.reset();
}

bool CTransportSocketClient::Reconnect(bool ask) {
    if (m_hide || m_inReconnect) return false;
    if (ask) {
        const char* text = m_serverStopped
            ? "Сервер был остановлен. Обратитесь к администратору для выяснения обстоятельств.\nЕсли Вы уверены что "
              "сервер работает, можно восстановить соединение.\nПопытаться восстановить соединение?"
            : "Соединение с сервером было разорвано по неизвестной причине.\nЕсли Вы уверены что сервер работает, можно "
              "восстановить соединение.\nПопытаться восстановить соединение?";
        if (!zor::net::NetUi().Ask(text, kCaption)) return false;
    }
    m_inReconnect = true;
    struct Guard { bool& flag; ~Guard() { flag = false; } } guard{m_inReconnect};
    for (;;) {
        int status = ZOR_NET_CLI_NOT_CONNECT;
        bool connected = false;
        try {
            SetWaitDlgText("Идет восстановление соединения с БД");
            connected = ConnectWithServerStart(m_host, m_port, m_serverPath, true);
        } catch (const SzorErrorDescription& e) {
            status = e.code;
        }
        if (connected) {
            int block = 0;
            // The kept block goes again; the connection counts as restored only when the server
            // accepts it.
            if (RequestLogin(status, block, nullptr, nullptr) && status == 0) {
                m_serverStopped = false;
                return true;
            }
            if (status == 0) status = ZOR_NET_CLI_NOT_CONNECT;
            DropSocket();
        }
        const std::string q = fmt::format(
            "При попытке восстановления соединения с БД возникла ошибка:\n{}\n\nПовторить попытку восстановления "
            "соединения?",
            ZOR_NET_ERROR2char(status, ""));
        if (!zor::net::NetUi().Ask(q, kCaption)) {
            zor::net::NetUi().Tell("Соединение с сервером не восстановлено", kCaption, MB_ICONWARNING);
            return false;
        }
    }
}

void CTransportSocketClient::DetachSocket() {
    if (m_detached != 0) return;
    m_detached = m_socket ? m_socket->Detach() : 0;
}

void CTransportSocketClient::AttachSocket() {
    if (m_socket && m_detached) m_socket->Attach(m_detached);
    m_detached = 0;
}

int CTransportSocketClient::GetOwnIPv4Address() {
    std::string name;
    if (!CzorSocketClient::GetHostName(name)) return 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* res = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &res) != 0 || !res) return 0;
    int32_t out = 0;
    std::memcpy(&out, &reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr, 4);
    ::freeaddrinfo(res);
    return out;
}
