#include <cstdint>
#include <cstring>

#include "platform/zordata/taggr.h"

namespace zor_detail {

namespace {
inline uint32_t HashPtr(const void* p) {
    uint64_t x = reinterpret_cast<uintptr_t>(p);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return static_cast<uint32_t>(x);
}
}  // namespace

PtrSet::PtrSet(int expected) {
    uint32_t cap = 32;
    while (cap < static_cast<uint32_t>(expected) * 2 + 2) cap <<= 1;
    m_slots = new const void*[cap];
    std::memset(m_slots, 0, sizeof(const void*) * cap);
    m_mask = cap - 1;
}

PtrSet::~PtrSet() { delete[] m_slots; }

bool PtrSet::Contains(const void* p) const {
    if (!p) return m_hasNull;
    for (uint32_t i = HashPtr(p) & m_mask;; i = (i + 1) & m_mask) {
        if (m_slots[i] == p) return true;
        if (!m_slots[i]) return false;
    }
}

bool PtrSet::Insert(const void* p) {
    if (!p) {
        const bool had = m_hasNull;
        m_hasNull = true;
        return !had;
    }
    if ((m_used + 1) * 2 > m_mask + 1) Grow();
    for (uint32_t i = HashPtr(p) & m_mask;; i = (i + 1) & m_mask) {
        if (m_slots[i] == p) return false;
        if (!m_slots[i]) {
            m_slots[i] = p;
            ++m_used;
            return true;
        }
    }
}

void PtrSet::Grow() {
    const void** old = m_slots;
    const uint32_t oldCap = m_mask + 1;
    const uint32_t cap = oldCap * 2;
    m_slots = new const void*[cap];
    std::memset(m_slots, 0, sizeof(const void*) * cap);
    m_mask = cap - 1;
    m_used = 0;
    for (uint32_t i = 0; i < oldCap; ++i) {
        if (!old[i]) continue;
        uint32_t j = HashPtr(old[i]) & m_mask;
        while (m_slots[j]) j = (j + 1) & m_mask;
        m_slots[j] = old[i];
        ++m_used;
    }
    delete[] old;
}

}  // namespace zor_detail
