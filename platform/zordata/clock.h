#pragma once
// The clock that dates what the program writes (the time stamp of a store file, the date of a report):
// the system clock, unless a caller puts another in force, as tests do to make files they compare fixed.
#include <ctime>
#include <functional>

namespace zor {

std::time_t Now();
// Puts the clock in force (an empty one means the system clock) and returns the one it replaces.
std::function<std::time_t()> SetClock(std::function<std::time_t()> clock);

// Puts a clock in force for its lifetime, then the one before it again.
class ScopedClock {
public:
    explicit ScopedClock(std::function<std::time_t()> clock) : m_previous(SetClock(std::move(clock))) {}
    ~ScopedClock() { SetClock(std::move(m_previous)); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    std::function<std::time_t()> m_previous;
};

}  // namespace zor
