// The small program of the transport windows' real-window test. The argument chooses the window:
//   retry <seconds>  the retry dialog 7021 through the program's network UI, counting down from <seconds>;
//                    each text its Retry button shows is written as "retry-text <text>", and at the end
//                    "result <code> repeat <0|1>".
//   progress         the progress window 7012 fed by a caller that stays in a loop pumping events, as a
//                    socket call does; 1 % every 100 ms. An abort is written as "aborted <percent>"; the
//                    caller then closes the window. "finished" when it reached 100 % unaborted.
//   wait             the transport wait window, pumped the same way until it is broken ("broken").
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

#include "testkit/test_look.h"
#include "zorStepData/CzorData_Client/retry_dialog_view.h"
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

int RunProgress() {
    CDlgWaitProgress progress;
    progress.m_text = "Загрузка отчёта";
    progress.m_onAbort = [&] { Say("aborted " + std::to_string(progress.State().Percent())); };
    progress.Start();
    QTimer::singleShot(300, progress.Window(), [&] { ReportWindow(*progress.Window()); });
    PumpFor(1s);  // the test learns the window's places before the bar starts to move
    int percent = 0;
    auto next = std::chrono::steady_clock::now();
    const bool ended = PumpUntil([&] {
        if (std::chrono::steady_clock::now() >= next) {
            next += 100ms;
            if (progress.SetPercent(percent)) return true;  // aborted
            if (percent == 100) return true;
            ++percent;
        }
        return false;
    }, 30s);
    if (ended && !progress.State().Aborted()) Say("finished");
    // The caller closes the window; it goes at its next tick.
    progress.Close();
    PumpUntil([&] { return progress.Window() == nullptr; }, 5s);
    return progress.Window() == nullptr ? 0 : 3;
}

int RunWait() {
    zor::net::QtTransportWaitUi ui;
    const long handle = ui.Start("Ожидание ответа сервера...");
    if (!handle || !ui.Window(handle)) return 3;
    QTimer::singleShot(300, ui.Window(handle), [&] { ReportWindow(*ui.Window(handle)); });
    if (PumpUntil([&] { return ui.IsBroken(handle); }, 30s)) Say("broken");
    ui.End(handle, true);
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
