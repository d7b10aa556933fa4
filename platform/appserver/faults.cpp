#include "platform/appserver/faults.h"

#include <charconv>
#include <sstream>

namespace zor::appserver {

void FaultPlan::Add(const FaultRule& rule) {
    std::lock_guard lock(m_mutex);
    m_rules.push_back(rule);
}

void FaultPlan::Clear() {
    std::lock_guard lock(m_mutex);
    m_rules.clear();
    m_seen.assign(m_seen.size(), 0);
    m_v1Only = false;
}

void FaultPlan::Seed(uint32_t seed) {
    std::lock_guard lock(m_mutex);
    m_rng.seed(seed);
}

void FaultPlan::SetVersion1Only(bool on) {
    std::lock_guard lock(m_mutex);
    m_v1Only = on;
}

bool FaultPlan::Version1Only() {
    std::lock_guard lock(m_mutex);
    return m_v1Only;
}

bool FaultPlan::Pick(int32_t command, FaultRule& rule) {
    std::lock_guard lock(m_mutex);
    const int seen = (command >= 0 && command < 64) ? ++m_seen[static_cast<size_t>(command)] : 0;
    for (auto& r : m_rules) {
        if (r.times == 0 || (r.command && r.command != command)) continue;
        if (r.occurrence && r.occurrence != seen) continue;
        if (!r.occurrence && r.probability > 0 && std::uniform_real_distribution<double>(0, 1)(m_rng) >= r.probability)
            continue;
        if (r.times > 0) --r.times;
        rule = r;
        return true;
    }
    return false;
}

bool FaultPlan::Parse(const std::string& text) {
    static const struct { const char* name; FaultAction action; } kNames[] = {
        {"status", FaultAction::Status}, {"errorform", FaultAction::ErrorForm}, {"delay", FaultAction::Delay},
        {"stall", FaultAction::Stall}, {"closeafter", FaultAction::CloseAfter}, {"reset", FaultAction::Reset},
        {"stopping", FaultAction::StoppingNotice}, {"version", FaultAction::CorruptVersion},
        {"command", FaultAction::CorruptCommand}, {"signature", FaultAction::CorruptSignature},
        {"beyond", FaultAction::LengthBeyond}, {"negative", FaultAction::LengthNegative},
        {"countabove", FaultAction::CountAbove}, {"hugeframe", FaultAction::HugeFrame}, {"cut", FaultAction::CutPayload},
        {"nomemory", FaultAction::OutOfMemory},
    };
    std::stringstream all(text);
    std::string item;
    while (std::getline(all, item, ',')) {
        if (item == "v1only") {
            SetVersion1Only(true);
            continue;
        }
        std::vector<std::string> f;
        std::stringstream parts(item);
        std::string p;
        while (std::getline(parts, p, ':')) f.push_back(p);
        if (f.size() < 3) return false;
        FaultRule r;
        auto num = [](const std::string& s, int& v) {
            return std::from_chars(s.data(), s.data() + s.size(), v).ec == std::errc{};
        };
        int cmd = 0, occ = 0, value = 0;
        if (!num(f[0], cmd) || !num(f[1], occ)) return false;
        bool known = false;
        for (const auto& n : kNames)
            if (f[2] == n.name) { r.action = n.action; known = true; }
        if (!known) return false;
        if (f.size() > 3 && !num(f[3], value)) return false;
        r.command = cmd;
        r.occurrence = occ;
        r.value = value;
        r.offer = f.size() > 4 && f[4] == "offer";
        Add(r);
    }
    return true;
}

}  // namespace zor::appserver
