#pragma once
// Faults the server can be told to make, for tests of how the client copes: per command and
// occurrence, or with a seeded probability.
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace zor::appserver {

enum class FaultAction {
    Status,          // reply with status `value` and, when `offer`, the retry offer
    ErrorForm,       // an error-form reply with code `value`
    Delay,           // reply after `value` ms
    Stall,           // never reply (the session stays open)
    CloseAfter,      // send `value` bytes of the framed reply, then close
    Reset,           // close with a reset, no reply
    StoppingNotice,  // the stopping notice instead of a reply, then close
    CorruptVersion, CorruptCommand, CorruptSignature,
    LengthBeyond,    // the first body length points past the end of the reply
    LengthNegative,  // the first body length is -1
    CountAbove,      // command 22: n above the capacity asked for
    HugeFrame,       // a frame length above any limit
    CutPayload,      // the reply message loses its last `value` bytes (default half the payload)
    OutOfMemory,     // handling the request fails to allocate
};

struct FaultRule {
    int32_t command = 0;     // 0: any
    int occurrence = 0;      // the k-th request of this command on the server (1-based); 0: every one
    double probability = 0;  // with occurrence 0: the chance of the fault (0 means always)
    FaultAction action = FaultAction::Status;
    int32_t value = 0;
    bool offer = false;
    int times = -1;          // how often the rule may still fire (-1 unlimited)
};

class FaultPlan {
public:
    void Add(const FaultRule& rule);
    void Clear();
    void Seed(uint32_t seed);
    // Answer only version 1 (version 2 gets the error form with 150).
    void SetVersion1Only(bool on);
    bool Version1Only();
    // The rule that fires for this request, if any (counts the request).
    bool Pick(int32_t command, FaultRule& rule);
    // Parses "command:occurrence:action:value[:offer]" rules separated by ','.
    bool Parse(const std::string& text);

private:
    std::mutex m_mutex;
    std::vector<FaultRule> m_rules;
    std::vector<int> m_seen = std::vector<int>(64, 0);
    std::mt19937 m_rng{1};
    bool m_v1Only = false;
};

}  // namespace zor::appserver
