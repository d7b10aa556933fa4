#pragma once
// What slows down password guessing, shared by every session of a server.
//
// A user name or an address with more than `kFree` refused logins in the last minute makes every
// further login for that name or from that address wait before its password is checked: one second
// after the sixth refusal, doubling with each refusal up to 30 s. Waiting before the check, not only
// before a refusal, means a guesser learns nothing by giving up early. Refused logins are written to
// the users' log at most `kLoggedPerMinute` times a minute per address, so guessing cannot grow a
// database by more than a few kilobytes a minute.
//
// The tables are bounded: old entries go after a minute, and past `kMaxKeys` names or addresses the
// oldest go first. Times are seconds on a steady clock, given by the caller (tests pass their own).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zor::appserver {

class LoginThrottle {
public:
    static constexpr int kFree = 5;
    static constexpr double kWindow = 60;
    static constexpr double kFirstDelay = 1;
    static constexpr double kMaxDelay = 30;
    static constexpr int kLoggedPerMinute = 10;
    static constexpr size_t kMaxKeys = 4096;

    // Seconds a login for that name from that address waits before its check.
    double Delay(const std::string& user, const std::string& address, double now);
    // Counts a refusal; true when it may be written to the users' log.
    bool Refused(const std::string& user, const std::string& address, double now);

    static double Now() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

private:
    struct Entry {
        std::deque<double> refusals;  // within the window, oldest first
        std::deque<double> logged;
        double last = 0;
    };
    using Table = std::unordered_map<std::string, Entry>;
    static double DelayFor(Table& table, const std::string& key, double now);
    static Entry& Touch(Table& table, const std::string& key, double now);
    static void Expire(std::deque<double>& times, double now);

    std::mutex m_mutex;
    Table m_users;
    Table m_addresses;
};

}  // namespace zor::appserver
