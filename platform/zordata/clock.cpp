#include "platform/zordata/clock.h"

#include <chrono>
#include <mutex>

namespace zor {

namespace {
std::mutex g_mutex;
std::function<std::time_t()> g_clock;
}  // namespace

std::time_t Now() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_clock) return g_clock();
    }
    return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
}

std::function<std::time_t()> SetClock(std::function<std::time_t()> clock) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::swap(clock, g_clock);
    return clock;
}

}  // namespace zor
