#include "platform/appserver/passwords.h"

#include <sodium.h>

#include <condition_variable>
#include <mutex>

#include "platform/appserver/work_slots.h"
#include "platform/base/scramble.h"

namespace zor::appserver {
namespace {

// About 20 ms and 19 MiB per hash on a current core: slow enough to make guessing from a stolen
// file expensive, cheap enough for a login and for many sessions logging in at once.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u << 20;

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Each hash takes its memory for a moment; a crowd of logins (or of guesses) at once takes turns
// instead of taking the memory of all of them together.
class HashTurns {
public:
    void Take() {
        std::unique_lock lock(m_mutex);
        m_free.wait(lock, [&] { return m_running < kAtOnce; });
        ++m_running;
    }
    void Give() {
        {
            std::lock_guard lock(m_mutex);
            --m_running;
        }
        m_free.notify_one();
    }

private:
    static constexpr int kAtOnce = 4;
    std::mutex m_mutex;
    std::condition_variable m_free;
    int m_running = 0;
};

// A hash is worked on outside the requests' slots (work_slots.h): hashes take their own turns,
// and a crowd of logins must not hold the slots of everyone else's requests meanwhile.
struct Turn {
    SlotGivenUp outside;
    Turn() { Turns().Take(); }
    ~Turn() { Turns().Give(); }
    static HashTurns& Turns() {
        static HashTurns turns;
        return turns;
    }
};

}  // namespace

std::string CanonicalPassword(const std::string& password) {
    size_t n = password.size();
    while (n && (password[n - 1] == ' ' || password[n - 1] == '\t' || password[n - 1] == '\r' || password[n - 1] == '\n' ||
                 password[n - 1] == '\v' || password[n - 1] == '\f'))
        --n;
    return password.substr(0, n);
}

std::string LoginPassword(const std::string& wireText) {
    std::string plain;
    zor::UnscrambleText(wireText.c_str(), plain);
    return CanonicalPassword(plain);
}

std::string HashPassword(const std::string& password) {
    if (!SodiumReady()) return {};
    const std::string p = CanonicalPassword(password);
    char out[crypto_pwhash_STRBYTES];
    Turn turn;
    if (crypto_pwhash_str_alg(out, p.data(), p.size(), kOpsLimit, kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return {};
    return out;
}

bool CheckPassword(const std::string& hash, const std::string& password) {
    if (!SodiumReady() || hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
    const std::string p = CanonicalPassword(password);
    Turn turn;
    return crypto_pwhash_str_verify(hash.c_str(), p.data(), p.size()) == 0;
}

}  // namespace zor::appserver
