#include "designer/tests/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

extern char** environ;

namespace quillmark_test {

namespace {

std::vector<std::string> ChildEnvironment(const ProgramRun& run) {
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t eq = entry.find('=');
        if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : run.env) {
        if (value)
            vars[name] = *value;
        else
            vars.erase(name);
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
    return out;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (std::string& t : texts) out.push_back(t.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

ProgramResult RunProgram(const ProgramRun& run) {
    ProgramResult result;
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        result.error = std::strerror(errno);
        return result;
    }
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        result.error = std::strerror(errno);
        close(outPipe[0]);
        close(outPipe[1]);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    if (!run.cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, run.cwd.c_str());

    std::vector<std::string> argv = {run.program};
    argv.insert(argv.end(), run.args.begin(), run.args.end());
    std::vector<std::string> envp = ChildEnvironment(run);
    std::vector<char*> argvPtr = Pointers(argv), envpPtr = Pointers(envp);

    pid_t pid = -1;
    const int rc = posix_spawn(&pid, run.program.c_str(), &actions, nullptr, argvPtr.data(), envpPtr.data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (rc != 0) {
        result.error = std::strerror(rc);
        close(outPipe[0]);
        close(errPipe[0]);
        return result;
    }
    result.started = true;

    const auto deadline = std::chrono::steady_clock::now() + run.timeout;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        const int n = poll(fds, 2, static_cast<int>(left.count()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            const ssize_t got = read(fds[i].fd, buf, sizeof buf);
            if (got > 0) {
                sinks[i]->append(buf, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (pollfd& f : fds)
        if (f.fd >= 0) close(f.fd);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

}  // namespace quillmark_test
