#pragma once
// What a program of a real-window test writes about itself, read line by line: a marker line once a window
// shows (or something else happened), and before it the places of its controls on the screen
// ("<id> x y width height") and numbers ("<key> n"). Every wait is bounded.
#include <chrono>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <QRect>

#include "testkit/run_program.h"

namespace quillmark_test {

class ProgramReport {
public:
    explicit ProgramReport(RunningProgram& program) : m_program(program) {}

    // Waits up to `limit` for the line `marker` after what was read before; the lines up to it become
    // the places and numbers. False when the limit passes or the program ends first.
    bool WaitFor(const std::string& marker, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const std::string out = m_program.OutputSoFar();
            const size_t at = FindLine(out, marker);
            if (at != std::string::npos) {
                Parse(out.substr(m_read, at - m_read));
                m_read = at + marker.size() + 1;
                return true;
            }
            if (!m_program.Running() || std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    // Where the output stands now (after its last whole line): a wait from here sees only what comes later.
    size_t Mark() const {
        const size_t eol = m_program.OutputSoFar().rfind('\n');
        return eol == std::string::npos ? 0 : eol + 1;
    }
    // Waits up to `limit` for a line from `from` on that `matches`; every whole line written by then gives
    // its places and numbers. The line, or "" when the limit passes or the program ends first.
    template <class Matches>
    std::string WaitForLineFrom(size_t from, Matches matches, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const bool running = m_program.Running();
            const std::string out = m_program.OutputSoFar();
            for (size_t at = from, eol; at < out.size() && (eol = out.find('\n', at)) != std::string::npos;
                 at = eol + 1) {
                if (!matches(std::string_view(out).substr(at, eol - at))) continue;
                TakeUpTo(out, out.rfind('\n') + 1);
                return out.substr(at, eol - at);
            }
            if (!running || std::chrono::steady_clock::now() >= end) return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // Takes the places and numbers of every whole line written so far: a program that says again where its
    // controls are has the last word.
    void TakeAll() {
        const std::string out = m_program.OutputSoFar();
        TakeUpTo(out, out.rfind('\n') + 1);
    }
    // The lines so far that start with `prefix` (e.g. the messages a program reported).
    std::vector<std::string> LinesStarting(const std::string& prefix) const {
        std::vector<std::string> found;
        std::istringstream in(m_program.OutputSoFar());
        for (std::string line; std::getline(in, line);)
            if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
        return found;
    }
    // Waits up to `limit` for a line starting with `prefix` and returns it; "" when none came.
    std::string WaitForLineStarting(const std::string& prefix, std::chrono::milliseconds limit) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const bool running = m_program.Running();
            const std::vector<std::string> lines = LinesStarting(prefix);
            if (!lines.empty()) return lines.front();
            if (!running || std::chrono::steady_clock::now() >= end) return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    // The place reported for the id; empty when none was.
    QRect Place(const std::string& id) const {
        const auto it = m_values.find(id);
        if (it == m_values.end() || it->second.size() < 4) return {};
        return QRect(it->second[0], it->second[1], it->second[2], it->second[3]);
    }
    int Number(const std::string& key) const {
        const auto it = m_values.find(key);
        return it == m_values.end() || it->second.empty() ? 0 : it->second[0];
    }

private:
    size_t FindLine(const std::string& out, const std::string& line) const {
        for (size_t at = m_read; (at = out.find(line + "\n", at)) != std::string::npos; ++at)
            if (at == 0 || out[at - 1] == '\n') return at;
        return std::string::npos;
    }
    void TakeUpTo(const std::string& out, size_t end) {
        if (end <= m_parsed || end > out.size()) return;
        Parse(out.substr(m_parsed, end - m_parsed));
        m_parsed = end;
    }
    void Parse(const std::string& lines) {
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string key;
            words >> key;
            std::vector<int> numbers;
            for (int n; words >> n;) numbers.push_back(n);
            if (!numbers.empty()) m_values[key] = numbers;
        }
    }

    RunningProgram& m_program;
    size_t m_read = 0;
    size_t m_parsed = 0;  // how much of the output TakeAll and WaitForLineFrom have taken places from
    std::map<std::string, std::vector<int>> m_values;
};

}  // namespace quillmark_test
