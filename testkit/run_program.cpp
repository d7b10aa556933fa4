#include "testkit/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

extern char** environ;

namespace quillmark_test {

namespace {

// The environment of this process changed as the run says.
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

// Starts the program with stdin from /dev/null and stdout and stderr on the descriptors; 0 or an errno.
int Spawn(const ProgramRun& run, int out, int err, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    if (!run.cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, run.cwd.c_str());
    std::vector<std::string> argv = {run.program};
    argv.insert(argv.end(), run.args.begin(), run.args.end());
    std::vector<std::string> envp = ChildEnvironment(run);
    std::vector<char*> argvPtr = Pointers(argv), envpPtr = Pointers(envp);
    const int rc = posix_spawn(&pid, run.program.c_str(), &actions, nullptr, argvPtr.data(), envpPtr.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc;
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

    pid_t pid = -1;
    const int rc = Spawn(run, outPipe[1], errPipe[1], pid);
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

namespace {

std::string ReadAll(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        while (size_t n = std::fread(buf, 1, sizeof buf, f)) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

}  // namespace

RunningProgram::~RunningProgram() {
    if (m_pid > 0 && !m_status) Wait(std::chrono::milliseconds(0));
    for (const std::string& f : {m_out, m_err})
        if (!f.empty()) std::remove(f.c_str());
}

bool RunningProgram::Start(const ProgramRun& run, std::string& error) {
    if (m_pid > 0) {
        error = "already started";
        return false;
    }
    char outName[] = "/tmp/qm-program-out-XXXXXX";
    char errName[] = "/tmp/qm-program-err-XXXXXX";
    const int outFd = mkstemp(outName), errFd = mkstemp(errName);
    if (outFd < 0 || errFd < 0) {
        error = std::strerror(errno);
        if (outFd >= 0) close(outFd);
        if (errFd >= 0) close(errFd);
        return false;
    }
    m_out = outName;
    m_err = errName;
    pid_t pid = -1;
    const int rc = Spawn(run, outFd, errFd, pid);
    close(outFd);
    close(errFd);
    if (rc != 0) {
        error = std::strerror(rc);
        return false;
    }
    m_pid = pid;
    return true;
}

std::string RunningProgram::OutputSoFar() const { return m_out.empty() ? std::string() : ReadAll(m_out); }

bool RunningProgram::Running() {
    if (m_pid <= 0 || m_status) return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_status = status;
        return false;
    }
    return true;
}

ProgramResult RunningProgram::Wait(std::chrono::milliseconds limit) {
    ProgramResult result;
    result.started = m_pid > 0;
    if (m_pid <= 0) return result;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Running() && std::chrono::steady_clock::now() < deadline) usleep(20000);
    if (!m_status) {
        result.timedOut = true;
        kill(m_pid, SIGKILL);
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_status = status;
    }
    if (WIFEXITED(*m_status)) result.exitStatus = WEXITSTATUS(*m_status);
    if (WIFSIGNALED(*m_status)) result.signal = WTERMSIG(*m_status);
    result.out = ReadAll(m_out);
    result.err = ReadAll(m_err);
    return result;
}

}  // namespace quillmark_test
