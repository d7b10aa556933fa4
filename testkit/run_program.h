#pragma once
// Runs a program as a child process with a chosen environment and working folder, collects what it writes,
// and kills it when it runs past a time limit.
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillmark_test {

struct ProgramRun {
    std::string program;
    std::vector<std::string> args;  // after the program name
    // Changes to this process's environment: a value sets the variable, nullopt removes it.
    std::vector<std::pair<std::string, std::optional<std::string>>> env;
    std::string cwd;                // "" keeps this process's folder
    std::chrono::milliseconds timeout{30000};
};

struct ProgramResult {
    bool started = false;   // false: the program could not be started (error says why)
    bool timedOut = false;  // killed at the time limit
    int exitStatus = -1;    // the status it ended with, -1 when it did not end normally
    int signal = 0;         // the signal that ended it, 0 when none
    std::string out;        // standard output
    std::string err;        // standard error
    std::string error;
};

// Runs the program to its end (or its time limit).
ProgramResult RunProgram(const ProgramRun& run);

// A program that runs beside the test (a window to drive, a server). Its output goes to files that are
// read when it ends. The destructor kills it if it still runs.
class RunningProgram {
public:
    RunningProgram() = default;
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // False (with the reason in `error`) when it could not be started. `run.timeout` is not used.
    bool Start(const ProgramRun& run, std::string& error);
    bool Running();
    // Waits up to `limit` for it to end by itself, then kills it; the result says which.
    ProgramResult Wait(std::chrono::milliseconds limit);
    int Pid() const { return m_pid; }
    // What it has written to stdout so far.
    std::string OutputSoFar() const;

private:
    int m_pid = -1;
    std::string m_out, m_err;  // files of its output
    std::optional<int> m_status;
};

}  // namespace quillmark_test
