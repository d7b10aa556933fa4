#include "platform/zordata/store_internal.h"

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

void Arena::NewChunk(size_t need) {
    size_t size = m_chunkSize;
    if (need > size) size = need;
    auto* p = static_cast<unsigned char*>(std::malloc(size));
    if (!p) throw std::bad_alloc();
    m_chunks.push_back(p);
    m_pCur = p;
    m_left = size;
    m_reserved += size;
    if (m_chunkSize < 4 * 1024 * 1024) m_chunkSize *= 2;
}

char* Arena::CopyText(const char* text, size_t len) {
    char* s = static_cast<char*>(Alloc(len + 1));
    if (len) std::memcpy(s, text, len);
    s[len] = '\0';
    return s;
}

void Arena::Clear() {
    for (unsigned char* p : m_chunks) std::free(p);
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
