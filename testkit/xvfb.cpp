#include "testkit/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace quillmark_test {

std::string FindTool(const std::string& name) {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"})
        if (access((std::string(dir) + "/" + name).c_str(), X_OK) == 0) return std::string(dir) + "/" + name;
    return {};
}

bool XvfbDisplay::Start(std::string& why) {
    const std::string xvfb = FindTool("Xvfb");
    if (xvfb.empty()) {
        why = "Xvfb is not installed: no X server to show windows on";
        return false;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        why = "no pipe";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string fd = std::to_string(fds[1]);
    const std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
    const char* argv[] = {xvfb.c_str(), "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                          screen.c_str(), "-dpi", "96", "-noreset", nullptr};
    const int rc = posix_spawn(&m_pid, xvfb.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        m_pid = -1;
        why = "Xvfb did not start";
        return false;
    }
    // Xvfb writes the display number it took once it accepts connections.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        why = "Xvfb gave no display";
        return false;
    }
    m_display = ":" + number;
    return true;
}

XvfbDisplay::~XvfbDisplay() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

}  // namespace quillmark_test
