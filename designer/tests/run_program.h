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

ProgramResult RunProgram(const ProgramRun& run);

}  // namespace quillmark_test
