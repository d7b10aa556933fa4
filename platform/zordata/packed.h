#pragma once
// Packed instances (inner to the store): instances a writer made only to have them saved, kept until the
// file is written as the very text they would be written as, in a temporary file of their own (see
// CzorStepData::PackSince), so that a report of any size costs little memory while it is made.
//
// A run's records follow each other in place order. A record is its length (4 bytes, little-endian, not
// counting themselves) and its text from the '=' after the instance's own number on, in pieces: each a
// length (4 bytes) and as many characters, then a hole, until the hole kEnd. A record alike to one before
// it in the run is its length field alone, kRepeated set in it and the distance back to the other's
// length field in the rest (its references name the records at the same distances). The numbers that a file gives
// instances only once it is written fill the holes: a reference into the run is kept as the distance from
// the record's own place, one out of it as the instance's address.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/zordata/step_format.h"
#include "platform/zordata/value.h"

class CzorInstance;
class CzorEntity;
class CzorStepData;
class zorRecordSpeller;

namespace zor_detail {

struct PackedRun {
    uint32_t firstSeq = 0;
    uint32_t count = 0;
    uint32_t liveKept = 0;
    uint64_t offset = 0;  // where the records stand in the spool
    size_t size = 0;
    std::vector<CzorInstance*> kept;  // in place order, each numbered firstSeq and its place (KeptAt)
    // Packed as one (CzorStepData::PackBatchSince): one bit a place, set for each instance its one kept
    // instance stands for. Empty otherwise.
    std::vector<uint64_t> batch;
    uint32_t firstMark = 0;           // the file writer's number of the first place (0: not yet numbered)
    // Set: the records are this writer's own bytes, which it spells out (StoreSpelledBatch).
    std::shared_ptr<const zorRecordSpeller> speller;
};

// A temporary file that only grows, gone with its descriptor (nothing is left behind by a crash). What is
// appended gathers in memory up to kTail bytes and goes to the file in one write: batches are small, and
// the file system would otherwise clear and fill the same page once for each.
class Spool {
public:
    static constexpr size_t kTail = 1 << 20;

    Spool() = default;
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;
    // False (nothing kept) when the file cannot be made or written; what was kept before stays readable.
    bool Append(const char* p, size_t n, uint64_t& offset);
    // Fills out (reused) with the n bytes at offset (as appended, at once); false with error set when they
    // cannot be read.
    bool Read(uint64_t offset, size_t n, std::unique_ptr<char[]>& out, size_t& capacity, std::string& error) const;

private:
    // Writes n bytes at the file's end; false when they are not all written.
    bool WriteOut(const char* p, size_t n);

    int m_fd = -1;
    bool m_failed = false;   // once the file could not be made or written, no other attempt
    uint64_t m_size = 0;     // all that was appended
    uint64_t m_written = 0;  // of it, in the file; the rest is m_tail
    std::string m_tail;
};

// The place in its run of the run's k-th kept instance.
uint32_t KeptAt(const PackedRun& run, size_t k);

class PackedRuns;

// The run for which inst stands as one, or null.
const PackedRun* BatchOf(PackedRuns* runs, const CzorInstance* inst);

// Calls f with the number of each instance a run packed as one stands for, in their order (the numbers
// of its places are consecutive from firstMark: nothing of it can be deleted alone).
template <class F>
void ForEachOfBatch(const PackedRun& run, F f) {
    for (size_t w = 0; w < run.batch.size(); ++w)
        for (uint64_t bits = run.batch[w]; bits; bits &= bits - 1)
            f(run.firstMark + static_cast<uint32_t>(w * 64 + static_cast<size_t>(__builtin_ctzll(bits))));
}

class PackedRuns {
public:
    PackedRuns() : scratch(1 << 16) {}
    // In the order of their places (firstSeq).
    std::vector<PackedRun> runs;
    OutBuf scratch;  // the records of the run being packed
    Spool spool;

    // The run that holds this place of the creation order, or null.
    PackedRun* Find(uint32_t seq);
};

enum class Hole : unsigned char { kEnd, kRefIn, kRefOut, kList };

constexpr uint32_t kRepeated = 0x80000000u;

// The most a varint takes, and a hole's tag with it.
constexpr size_t kVarint = 10;
constexpr size_t kRefHole = 1 + (kVarint > sizeof(void*) ? kVarint : sizeof(void*));

inline void PutLength(char* at, size_t n) {
    const auto v = static_cast<uint32_t>(n);
    at[0] = static_cast<char>(v & 0xFF);
    at[1] = static_cast<char>((v >> 8) & 0xFF);
    at[2] = static_cast<char>((v >> 16) & 0xFF);
    at[3] = static_cast<char>(v >> 24);
}

inline char* PutVarint(char* o, uint64_t v) {
    while (v >= 0x80) {
        *o++ = static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    *o++ = static_cast<char>(v);
    return o;
}

// A reference into the run, as the distance from the referring record's place to the referred one's.
inline char* PutRefIn(char* o, int64_t distance) {
    *o++ = static_cast<char>(Hole::kRefIn);
    return PutVarint(o, (static_cast<uint64_t>(distance) << 1) ^ static_cast<uint64_t>(distance >> 63));
}

// Writes the records of one run into out (emptied first).
class RunEncoder {
public:
    RunEncoder(OutBuf& out, uint32_t firstSeq);
    // The record of the instance at place (its sequence number less firstSeq). False (out as it was) for a
    // value a file cannot hold (a single character, a real that is not finite).
    bool Add(const CzorInstance* inst, uint32_t place);

private:
    char* Ref(char* o, const CzorInstance* inst, uint32_t place) const;
    OutBuf& m_out;
    uint32_t m_firstSeq;
};

// Writes the text of a run's records, holes filled by marks (0: an instance with no line, a deleted kept
// one, whose references leave no trace); a list naming a run packed as one names all it stands for. False
// for records that do not read back.
bool WriteRunText(const char* p, size_t size, uint32_t count, const std::vector<uint32_t>& marks, PackedRuns* runs,
                  OutBuf& out);

}  // namespace zor_detail
