// The small program of the transport windows' real-window test. The argument chooses the window:
//   retry <seconds>  the retry dialog 7021 through the program's network UI, counting down from <seconds>;
//                    each text its Retry button shows is written as "retry-text <text>", and at the end
//                    "result <code> repeat <0|1>".
//   progress         the progress window 7012 fed by a caller that pumps events, 1 % every 50 ms, up to
//                    half; there its request to a peer that never answers stalls until the window's abort
//                    breaks it ("call 0 error <code>"). The abort is written as "aborted <percent>"; the
//                    caller then closes the window.
//   wait             a request to that peer: the transport client opens its wait window after a short
//                    delay, and the window's button breaks the call ("call 0 error <code>").
// Once a window shows, the places of its controls ("<id> x y width height") and "ready"; "done" at the end.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/transport/wire.h"
#include "testkit/test_look.h"
#include "zorStepData/CzorData_Client/retry_dialog_view.h"
#include "zorStepData/CzorData_Client/transport_client.h"
#include "zorStepData/CzorData_Client/transport_wait_view.h"
#include "zorStepData/CzorData_Client/wait_progress.h"

namespace {

using namespace std::chrono_literals;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Every control with an id, the window itself as "window", then "ready".
void ReportWindow(QWidget& window) {
    auto report = [](const QWidget* w, const std::string& id) {
        const QPoint at = w->mapToGlobal(QPoint(0, 0));
        std::printf("%s %d %d %d %d\n", id.c_str(), at.x(), at.y(), w->width(), w->height());
    };
    report(&window, "window");
    for (const QWidget* w : window.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && w->objectName().at(0).isDigit()) report(w, w->objectName().toStdString());
    Say("ready");
}

// The caller's side of a long call: events are handled only through the pump, until `done` holds or
// the time is up.
template <class Done>
bool PumpUntil(Done done, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        zor::net::PumpEvents();
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

void PumpFor(std::chrono::seconds time) { PumpUntil([] { return false; }, time); }

int RunRetry(int seconds) {
    CDlgTransportError logic;
    logic.m_message = "Сервер не отвечает. Соединение с сервером потеряно.";
    logic.m_countdown = seconds;
    // The dialog is modal: a watcher reports it once it shows and follows its Retry button.
    QTimer watch;
    QString shown;
    bool reported = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "7021" || !w->isVisible()) continue;
            auto* retry = w->findChild<QPushButton*>("7033");
            if (retry && retry->text() != shown) {
                shown = retry->text();
                Say("retry-text " + shown.toStdString());
            }
            if (!reported) {
                reported = true;
                QTimer::singleShot(300, w, [w] { ReportWindow(*w); });
            }
        }
    });
    watch.start(50);
    zor::net::QtNetUi ui;
    const int result = ui.RunRetryDialog(logic);
    Say("result " + std::to_string(result) + " repeat " + std::to_string(logic.m_repeatAuto));
    return 0;
}

// A peer that takes connections and never answers: every call to it waits until it is broken.
class SilentPeer {
public:
    SilentPeer() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(m_fd, 4) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        m_port = ntohs(a.sin_port);
    }
    ~SilentPeer() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A transport client connected to a silent peer, its calls pumping the program's events. False when it
// could not connect.
bool ConnectSilent(CTransportSocketClient& transport, const SilentPeer& peer) {
    transport.SetPumpHook(&zor::net::PumpEvents);
    return peer.Port() && transport.Connect("127.0.0.1", peer.Port());
}

// One request of the server's date; it stalls on the silent peer. Writes how it ended.
void StalledCall(CTransportSocketClient& transport) {
    CzorDataBuf request;
    transport.BuildRequestHeader(request, zor::net::kCmdServerDateTime, "");
    const bool ok = transport.Call(request, nullptr, true, true);
    Say("call " + std::to_string(ok) + " error " + std::to_string(transport.GetLastError()));
}

int RunProgress() {
    SilentPeer peer;
    CTransportSocketClient transport;
    if (!ConnectSilent(transport, peer)) return 3;
    transport.SetManageMode(0);  // the progress window is the caller's own: no wait window of the client's
    CDlgWaitProgress progress;
    progress.m_text = "Загрузка отчёта";
    progress.m_pTransport = &transport;
    progress.m_onAbort = [&] { Say("aborted " + std::to_string(progress.State().Percent())); };
    progress.Start();
    QTimer::singleShot(300, progress.Window(), [&] { ReportWindow(*progress.Window()); });
    PumpFor(1s);  // the test learns the window's places before the bar starts to move
    // Portions go through, 1 % every 50 ms, up to half; the next one stalls until it is aborted.
    int percent = 0;
    auto next = std::chrono::steady_clock::now();
    const bool aborted = PumpUntil([&] {
        if (std::chrono::steady_clock::now() < next) return false;
        next += 50ms;
        if (progress.SetPercent(percent)) return true;
        if (percent == 50) StalledCall(transport);
        return progress.SetPercent(++percent);
    }, 30s);
    if (!aborted) Say("not aborted");
    // The caller closes the window; it goes at its next tick.
    progress.Close();
    PumpUntil([&] { return progress.Window() == nullptr; }, 5s);
    return progress.Window() == nullptr ? 0 : 3;
}

int RunWait() {
    SilentPeer peer;
    CTransportSocketClient transport;
    if (!ConnectSilent(transport, peer)) return 3;
    transport.SetWaitDlgText("Ожидание ответа сервера...");
    zor::net::QtTransportWaitUi ui;
    SetTransportWaitUi(&ui);
    // The client opens the window itself once the call has waited a while: report it when it shows.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->findChild<QPushButton*>("2")) {
                watch.stop();
                QTimer::singleShot(300, w, [w] { ReportWindow(*w); });
            }
    });
    watch.start(50);
    StalledCall(transport);
    SetTransportWaitUi(nullptr);
    Say(transport.SocketClient() && transport.SocketClient()->IsActiveWaitDlg() ? "wait-window open" : "wait-window closed");
    PumpFor(1s);  // lets the window go before the program ends
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peltrane_window retry <seconds> | progress | wait\n");
        return 2;
    }
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    int status = 2;
    if (!std::strcmp(argv[1], "retry") && argc > 2) status = RunRetry(std::atoi(argv[2]));
    else if (!std::strcmp(argv[1], "progress")) status = RunProgress();
    else if (!std::strcmp(argv[1], "wait")) status = RunWait();
    Say("done");
    return status;
}
