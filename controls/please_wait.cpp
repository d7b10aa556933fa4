#include "controls/please_wait.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include <QApplication>
#include <QMainWindow>
#include <QThread>

extern char** environ;

namespace {

constexpr const char* kHelperName = "zorwaitdlg";

struct RunningWindow {
    long handle = 0;
    pid_t pid = -1;      // -1 when nothing was shown
    int pipeFd = -1;     // our end of the helper's standard input
};

std::mutex g_mutex;
long g_lastHandle = 0;
std::optional<RunningWindow> g_running;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

bool HasDisplay() {
    if (const char* qpa = std::getenv("QT_QPA_PLATFORM")) {
        const std::string_view platform(qpa);
        if (platform.starts_with("offscreen") || platform.starts_with("minimal")) return false;
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return false;
    }
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

// Beside the running program first, then beside this library (and in the bin folder next to
// the library's folder, as in the build tree and an installation).
std::string FindHelper() {
    namespace fs = std::filesystem;
    std::vector<fs::path> folders;
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) folders.push_back(program.parent_path());
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&zorStartWaitDlg), &info) && info.dli_fname) {
        const fs::path library = fs::weakly_canonical(fs::path(info.dli_fname), ec);
        if (!ec) {
            folders.push_back(library.parent_path());
            folders.push_back(library.parent_path().parent_path() / "bin");
        }
    }
    for (const fs::path& folder : folders) {
        const fs::path candidate = folder / kHelperName;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

// Starts the helper with its standard input on a new pipe; fills pid and our end of the pipe.
bool StartHelper(const std::string& helper, const char* text, RunningWindow& window) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    // The helper starts with default signal handling whatever the caller has set up.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string textArg = text ? text : "";
    char* argv[] = {const_cast<char*>(helper.c_str()), textArg.data(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, helper.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (rc != 0) {
        close(fds[1]);
        return false;
    }
    window.pid = pid;
    window.pipeFd = fds[1];
    return true;
}

// The helper exits on its own once its pipe closes; someone must still collect its exit status,
// and the caller does not wait.
void ReapLater(pid_t pid) {
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

void BringMainWindowToFront() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && qobject_cast<QMainWindow*>(widget)) {
            widget->raise();
            widget->activateWindow();
            return;
        }
    }
}

}  // namespace

long zorStartWaitDlg(const char* text) {
    std::lock_guard lock(g_mutex);
    if (g_running) return 0;
    RunningWindow window;
    window.handle = ++g_lastHandle;
    if (HasDisplay()) {
        const std::string helper = FindHelper();
        if (!helper.empty()) StartHelper(helper, text, window);
    }
    g_running = window;
    return window.handle;
}

void zorEndWaitDlg(long handle) {
    if (handle == 0) return;
    {
        std::lock_guard lock(g_mutex);
        if (!g_running || g_running->handle != handle) return;
        if (g_running->pipeFd >= 0) close(g_running->pipeFd);
        if (g_running->pid > 0) ReapLater(g_running->pid);
        g_running.reset();
    }
    BringMainWindowToFront();
}
