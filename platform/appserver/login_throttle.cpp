#include "platform/appserver/login_throttle.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zor::appserver {

void LoginThrottle::Expire(std::deque<double>& times, double now) {
    while (!times.empty() && now - times.front() >= kWindow) times.pop_front();
}

double LoginThrottle::DelayFor(Table& table, const std::string& key, double now) {
    const auto it = table.find(key);
    if (it == table.end()) return 0;
    Expire(it->second.refusals, now);
    const int over = static_cast<int>(it->second.refusals.size()) - kFree;
    if (over < 0) return 0;
    // Past 2^5 the cap holds anyway; the exponent stays small.
    return std::min(kMaxDelay, kFirstDelay * std::ldexp(1.0, std::min(over, 6)));
}

LoginThrottle::Entry& LoginThrottle::Touch(Table& table, const std::string& key, double now) {
    if (table.size() >= kMaxKeys && !table.count(key)) {
        // Many distinct names (a guesser's, mostly): drop what is quiet, then the oldest.
        for (auto it = table.begin(); it != table.end();) {
            if (now - it->second.last >= kWindow) it = table.erase(it);
            else ++it;
        }
        if (table.size() >= kMaxKeys) {
            // Still full: the older half goes at once, so a flood costs each refusal little.
            std::vector<double> times;
            times.reserve(table.size());
            for (const auto& [k, v] : table) times.push_back(v.last);
            std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2), times.end());
            const double median = times[times.size() / 2];
            for (auto it = table.begin(); it != table.end() && table.size() > kMaxKeys / 2;) {
                if (it->second.last <= median) it = table.erase(it);
                else ++it;
            }
        }
    }
    Entry& e = table[key];
    e.last = now;
    return e;
}

double LoginThrottle::Delay(const std::string& user, const std::string& address, double now) {
    std::lock_guard lock(m_mutex);
    return std::max(DelayFor(m_users, user, now), DelayFor(m_addresses, address, now));
}

bool LoginThrottle::Refused(const std::string& user, const std::string& address, double now) {
    std::lock_guard lock(m_mutex);
    for (Entry* e : {&Touch(m_users, user, now), &Touch(m_addresses, address, now)}) {
        Expire(e->refusals, now);
        // The delay is capped long before this many; an entry keeps the newest and never grows.
        if (e->refusals.size() >= 64) e->refusals.pop_front();
        e->refusals.push_back(now);
    }
    Entry& a = m_addresses[address];
    Expire(a.logged, now);
    if (static_cast<int>(a.logged.size()) >= kLoggedPerMinute) return false;
    a.logged.push_back(now);
    return true;
}

}  // namespace zor::appserver
