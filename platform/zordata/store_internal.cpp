#include "platform/zordata/store_internal.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace zor_detail {

std::string ToLower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiLower(c);
    return r;
}

std::string ToUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiUpper(c);
    return r;
}

void* MapHugeBlocks(size_t size) {
    size = (size + kHugeBlock - 1) & ~(kHugeBlock - 1);
    // Over-map by one block and trim, so that the blocks start on a 2 MiB boundary.
    void* raw = ::mmap(nullptr, size + kHugeBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugeBlock - 1) & ~uintptr_t(kHugeBlock - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const uintptr_t end = start + size + kHugeBlock;
    if (end > aligned + size) ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    // Advice only: a kernel without huge pages maps 4 KiB pages all the same.
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void UnmapHugeBlocks(void* p, size_t size) {
    if (p) ::munmap(p, (size + kHugeBlock - 1) & ~(kHugeBlock - 1));
}

void Arena::NewChunk(size_t need) {
    if (m_spare.p && m_spare.size >= need) {
        m_chunks.push_back(m_spare);
        m_pCur = m_spare.p;
        m_left = m_spare.size;
        m_spare = {};
        return;
    }
    size_t size = m_chunkSize;
    if (need > size) size = need;
    unsigned char* p = nullptr;
    bool mapped = false;
    if (m_reserved >= kHugeBlock) {
        size = (size + kHugeBlock - 1) & ~(kHugeBlock - 1);
        p = static_cast<unsigned char*>(MapHugeBlocks(size));
        mapped = p != nullptr;
    }
    if (!p) p = static_cast<unsigned char*>(std::malloc(size));
    if (!p) throw std::bad_alloc();
    m_chunks.push_back({p, size, mapped});
    m_pCur = p;
    m_left = size;
    m_reserved += size;
    if (m_chunkSize < kHugeBlock) m_chunkSize *= 2;
}

char* Arena::CopyText(const char* text, size_t len) {
    char* s = static_cast<char*>(Alloc(len + 1));
    if (len) std::memcpy(s, text, len);
    s[len] = '\0';
    return s;
}

void Arena::FreeChunk(const Chunk& c) {
    if (!c.p) return;
    if (c.mapped) UnmapHugeBlocks(c.p, c.size);
    else std::free(c.p);
}

Arena::Mark Arena::GetMark() const {
    Mark m;
    m.chunks = m_chunks.size();
    m.used = m_chunks.empty() ? 0 : m_chunks.back().size - m_left;
    m.epoch = m_epoch;
    return m;
}

bool Arena::CanRelease(const Mark& mark) const {
    if (mark.epoch != m_epoch || mark.chunks > m_chunks.size()) return false;
    if (mark.chunks == 0) return mark.used == 0;
    if (mark.used > m_chunks[mark.chunks - 1].size) return false;
    return mark.chunks < m_chunks.size() || mark.used <= m_chunks.back().size - m_left;
}

bool Arena::Release(const Mark& mark) {
    if (!CanRelease(mark)) return false;
    while (m_chunks.size() > mark.chunks) {
        const Chunk c = m_chunks.back();
        m_chunks.pop_back();
        // The first chunk after the mark is where the next allocations would go again: kept, the others
        // go back to the system.
        if (m_chunks.size() == mark.chunks) {
            if (m_spare.p) { m_reserved -= m_spare.size; FreeChunk(m_spare); }
            m_spare = c;
        } else {
            m_reserved -= c.size;
            FreeChunk(c);
        }
    }
    if (m_chunks.empty()) {
        m_pCur = nullptr;
        m_left = 0;
        return true;
    }
    const Chunk& last = m_chunks.back();
    m_pCur = last.p + mark.used;
    m_left = last.size - mark.used;
    return true;
}

void Arena::Clear() {
    for (const Chunk& c : m_chunks) FreeChunk(c);
    FreeChunk(m_spare);
    m_spare = {};
    ++m_epoch;
    m_chunks.clear();
    m_pCur = nullptr;
    m_left = 0;
    m_reserved = 0;
    m_chunkSize = 64 * 1024;
}

uint64_t NameTable::Hash(std::string_view name) {
    uint64_t h = 1469598103934665603ULL;
    for (char c : name) {
        h ^= static_cast<unsigned char>(AsciiLower(c));
        h *= 1099511628211ULL;
    }
    return h;
}

void NameTable::Add(CzorEntity* entity) {
    if ((m_count + 1) * 2 > m_slots.size()) {
        std::vector<std::pair<uint64_t, CzorEntity*>> old;
        old.swap(m_slots);
        m_slots.assign(old.empty() ? 64 : old.size() * 2, {0, nullptr});
        m_count = 0;
        for (auto& s : old)
            if (s.second) Add(s.second);
    }
    const uint64_t h = Hash(entity->GetName());
    const size_t mask = m_slots.size() - 1;
    size_t i = h & mask;
    while (m_slots[i].second) i = (i + 1) & mask;
    m_slots[i] = {h, entity};
    ++m_count;
}

CzorEntity* NameTable::Find(std::string_view name) const {
    if (m_slots.empty()) return nullptr;
    const uint64_t h = Hash(name);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = h & mask; m_slots[i].second; i = (i + 1) & mask)
        if (m_slots[i].first == h && zor::EqualsNoCase(m_slots[i].second->GetName(), name)) return m_slots[i].second;
    return nullptr;
}

}  // namespace zor_detail
