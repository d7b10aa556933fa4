#pragma once
// Inner pieces of the store shared by its source files (not for callers).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/utf8.h"
#include "platform/zordata/stepdata.h"

namespace zor_detail {

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);

// Memory in whole 2 MiB blocks aligned for the kernel's huge pages and advised for them, so that a large
// store is faulted in 2 MiB at a time rather than 4 KiB; where the kernel gives no such mapping, from
// malloc. size is rounded up to whole blocks.
void* MapHugeBlocks(size_t size);
void UnmapHugeBlocks(void* p, size_t size);  // what MapHugeBlocks gave (not the malloc fallback)
inline constexpr size_t kHugeBlock = size_t(2) << 20;

// Chunked bump allocator: instances and loaded texts live here until ClearData. A small store takes
// small chunks from malloc; once it has grown past one huge block, its chunks are huge blocks.
class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena() { Clear(); }
    void* Alloc(size_t size) {
        size = (size + 7) & ~size_t(7);
        if (size > m_left) NewChunk(size);
        void* p = m_pCur;
        m_pCur += size;
        m_left -= size;
        return p;
    }
    char* CopyText(const char* text, size_t len);
    void Clear();
    size_t BytesReserved() const { return m_reserved; }

    // Where the next allocation goes. Release gives back everything allocated since, so that a writer
    // that only needed its objects for a moment reuses their memory; a mark from before a Clear, or one
    // the arena has already been released below, is refused (false, nothing changes).
    struct Mark {
        size_t chunks = 0;  // chunks in use
        size_t used = 0;    // bytes used of the last of them
        uint64_t epoch = 0;
    };
    Mark GetMark() const;
    bool CanRelease(const Mark& mark) const;
    bool Release(const Mark& mark);

private:
    void NewChunk(size_t need);
    struct Chunk {
        unsigned char* p;
        size_t size;
        bool mapped;  // huge blocks (munmap) or malloc
    };
    static void FreeChunk(const Chunk& c);
    std::vector<Chunk> m_chunks;
    unsigned char* m_pCur = nullptr;
    size_t m_left = 0;
    size_t m_chunkSize = 64 * 1024;
    size_t m_reserved = 0;
    uint64_t m_epoch = 0;  // counts Clears, so that older marks are known
    Chunk m_spare{};       // the newest chunk a Release emptied, kept for the next NewChunk
};

// Entity look-up by name, letter case ignored.
class NameTable {
public:
    void Clear() { m_slots.clear(); m_count = 0; }
    void Add(CzorEntity* entity);
    CzorEntity* Find(std::string_view name) const;

private:
    static uint64_t Hash(std::string_view name);
    std::vector<std::pair<uint64_t, CzorEntity*>> m_slots;
    size_t m_count = 0;
};

}  // namespace zor_detail

// The store's own access to the inner fields of its classes (reader, writer, copier).
struct zorStoreAccess {
    using Slot = CzorInstance::CzorValueDefinition;
    static Slot* Slots(CzorInstance* inst) { return inst->Slots(); }
    static const Slot* Slots(const CzorInstance* inst) { return inst->Slots(); }
    static uint32_t& Mark(CzorInstance* inst) { return inst->m_nMark; }
    static CzorValue& Value(Slot& slot) { return slot.m_Value; }
    // Ends the slot's life; most slots own nothing, and a store that drops many at once saves the calls.
    static void Destroy(Slot& slot) {
        CzorValue& v = slot.m_Value;
        if (v.m_Flags & CzorValue::kHasList) slot.~Slot();
        else v.Clear();
    }
    // Puts a text that lives in the store's arena into a value (not freed by Clear).
    static void SetArenaText(CzorValue& v, char* text) {
        v.Clear();
        v.m_Type = zorSTRING;
        v.m_Flags |= CzorValue::kArenaText;
        v.m_u.str = text;
    }
    // Raw payload access used while a file's references are resolved.
    static void SetPending(CzorValue& v, uint64_t number) {
        v.Clear();
        v.m_Type = kPendingRef;
        v.m_u.raw = number;
    }
    static bool IsPending(const CzorValue& v) { return v.m_Type == kPendingRef; }
    static uint64_t PendingNumber(const CzorValue& v) { return v.m_u.raw; }
    static void SetInstance(CzorValue& v, CzorInstance* inst) { v.m_Type = zorINSTANCE; v.m_u.inst = inst; }
    static void TakeAggr(CzorValue& v, CzorAggr* list) {
        v.Clear();
        v.m_Type = zorAGGREGATE;
        v.m_u.aggr = list;
    }
    static std::vector<CzorValue>& Items(CzorAggr& a) { return a.m_Items; }
    static CzorTAggr<CzorInstance>& Extent(CzorEntity* e) { return e->m_Extent; }
    static zor_detail::Arena& ArenaOf(CzorStepData& s) { return *s.m_pArena; }
    static zor_detail::PackedRuns* Packed(CzorStepData& s) { return s.m_pPacked.get(); }
    static CzorInstance* NewInstance(CzorStepData& s, CzorEntity* e) { return s.NewInstance(e); }
    static void SetReadOnly(CzorStepData& s, bool ro) { s.m_bReadOnly = ro; }
    static void ClearDictionary(CzorStepData& s) { s.ClearDictionary(); }
    static CzorEntity* FindEntity(const CzorStepData& s, std::string_view name) { return s.m_pNames->Find(name); }
    // Makes room for n more instances in the store's list (the capacity costs address
    // space only until used).
    static void ReserveInstances(CzorStepData& s, size_t n) {
        const size_t want = static_cast<size_t>(s.m_Instances.GetSize()) + n;
        if (want > static_cast<size_t>(s.m_Instances.GetCapacity()) && want < 0x7fffffff)
            s.m_Instances.SetSize(static_cast<int>(want));
    }
    static bool HasTombstones(const CzorStepData& s) { return s.m_nTombstones != 0; }
    static constexpr int kPendingRef = 101;  // a "#n" not yet resolved (only inside the reader)
};

// Reads a dictionary written in the EXPRESS subset of the store:
//   SCHEMA name; ENTITY name [ABSTRACT] [SUPERTYPE OF (...)] [SUBTYPE OF (one)];
//   attribute : [OPTIONAL] INTEGER | REAL | STRING | BOOLEAN | BINARY | entity
//             | LIST [n:m|?] OF [UNIQUE] entity; END_ENTITY; END_SCHEMA;
// Attribute names may be words that EXPRESS reserves (type, value, fixed).
class CzorDictionaryReader {
public:
    struct Result {
        std::string name;
        std::vector<std::unique_ptr<CzorEntity>> entities;
        std::vector<std::unique_ptr<CzorAttr>> attrs;
    };
    // False with a message naming the line when the text is not a valid dictionary.
    static bool Read(std::string_view text, Result& out, std::string& error);

private:
    class Parser;
};
