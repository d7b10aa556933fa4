#pragma once
// Counts what the program allocates through operator new, so that a test can bound the memory an input
// costs without timing anything. Linking alloc_counter.cpp into a test replaces the global operator new
// and delete of that test program.
#include <cstddef>

namespace zor::test {

// From construction on: the largest number of bytes live at once above what was live then, and the
// number of allocations made.
class AllocationWatch {
public:
    AllocationWatch();
    size_t PeakBytes() const;
    size_t Allocations() const;

private:
    size_t m_startLive;
    size_t m_startCount;
};

// While it lives, an allocation that would raise the live bytes more than `bytes` above what was live at
// its construction fails as if memory had run out (operator new throws std::bad_alloc).
class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(size_t bytes);
    ~ScopedAllocationLimit();
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;
    // Allocations refused so far.
    size_t Refused() const;
};

}  // namespace zor::test
