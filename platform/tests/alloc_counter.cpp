#include "platform/tests/alloc_counter.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};
std::atomic<size_t> g_count{0};
std::atomic<size_t> g_limit{SIZE_MAX};  // live bytes past which allocations fail
std::atomic<size_t> g_refused{0};

// Each block carries its size in front, so that delete knows what it frees.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t size) {
    if (size > g_limit.load() || g_live.load() > g_limit.load() - size) {
        g_refused.fetch_add(1);
        return nullptr;
    }
    void* raw = std::malloc(size + kHeader);
    if (!raw) return nullptr;
    *static_cast<size_t*>(raw) = size;
    const size_t live = g_live.fetch_add(size) + size;
    size_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    g_count.fetch_add(1);
    return static_cast<char*>(raw) + kHeader;
}

void Release(void* p) {
    if (!p) return;
    void* raw = static_cast<char*>(p) - kHeader;
    g_live.fetch_sub(*static_cast<size_t*>(raw));
    std::free(raw);
}

}  // namespace

void* operator new(size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace zor::test {

AllocationWatch::AllocationWatch() : m_startLive(g_live.load()), m_startCount(g_count.load()) { g_peak.store(m_startLive); }

size_t AllocationWatch::PeakBytes() const {
    const size_t peak = g_peak.load();
    return peak > m_startLive ? peak - m_startLive : 0;
}

size_t AllocationWatch::Allocations() const { return g_count.load() - m_startCount; }

}  // namespace zor::test

namespace zor::test {

ScopedAllocationLimit::ScopedAllocationLimit(size_t bytes) {
    g_refused.store(0);
    const size_t live = g_live.load();
    g_limit.store(bytes > SIZE_MAX - live ? SIZE_MAX : live + bytes);
}

ScopedAllocationLimit::~ScopedAllocationLimit() { g_limit.store(SIZE_MAX); }

size_t ScopedAllocationLimit::Refused() const { return g_refused.load(); }

}  // namespace zor::test
