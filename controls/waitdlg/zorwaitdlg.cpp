// zorwaitdlg: shows the please-wait window for the process that started it.
//
//   zorwaitdlg <text>
//
// Its standard input is a pipe from the caller. The window closes on the first timer tick after
// that pipe becomes readable or closed: the caller closes it to end the wait, and the system
// closes it when the caller dies, so the window never outlives the program it belongs to.
#include <cerrno>

#include <poll.h>
#include <unistd.h>

#include <QApplication>

#include "controls/waitdlg/please_wait_dlg.h"

namespace {

bool CallerIsDone() {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&fd, 1, 0);  // data, end of file, an error or an invalid descriptor
    return ready > 0 || (ready < 0 && errno != EINTR);
}

}  // namespace

int main(int argc, char** argv) {
    // The text is ours; Qt sees no arguments, so a text starting with '-' is never an option.
    const QByteArray text = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (CallerIsDone()) return 0;
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    CPleaseWaitDlg dialog(QString::fromUtf8(text), CallerIsDone);
    dialog.exec();
    return 0;
}
