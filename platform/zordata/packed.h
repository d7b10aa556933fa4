#pragma once
// Packed instances (inner to the store): instances a writer made only to have them saved, kept as compact
// records in their places of the creation order until the file is written (see CzorStepData::PackSince).
//
// A run's records follow each other in place order. A record is its entity's id, one bit per attribute
// (set: the value is the one the entity's previous record in the run holds, so that a page of cells
// costs little more than the texts that differ), then the values whose bit is clear, each a tag and its
// payload. A reference into the run is kept as the distance from the record's own place, so that
// records that refer alike are alike.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/zordata/value.h"

class CzorInstance;
class CzorEntity;
class CzorStepData;

namespace zor_detail {

struct PackedRun {
    uint32_t firstSeq = 0;
    uint32_t count = 0;
    uint32_t liveKept = 0;
    std::unique_ptr<unsigned char[]> bytes;
    size_t size = 0;
    std::vector<CzorInstance*> kept;  // in place order
    std::vector<uint32_t> keptAt;     // their places in the run
    uint32_t firstMark = 0;           // the file writer's number of the first place (0: not yet numbered)
};

class PackedRuns {
public:
    // In the order of their places (firstSeq).
    std::vector<PackedRun> runs;
    std::string scratch;  // the records of the run being packed

    // The run that holds this place of the creation order, or null.
    PackedRun* Find(uint32_t seq);
};

// Reads values.
class RecordReader {
public:
    RecordReader() = default;
    RecordReader(const unsigned char* p, size_t size) : m_p(p), m_end(p + size) {}
    bool AtEnd() const { return m_p >= m_end; }
    const unsigned char* Position() const { return m_p; }
    void Seek(const unsigned char* p) { m_p = p ? p : m_end; }  // null: at the end

    enum Tag : unsigned char {
        kEmpty, kInt, kReal, kText, kFalse, kTrue, kBinary, kRefIn, kRefOut, kList,
    };
    uint64_t Varint();
    int64_t SignedVarint();
    unsigned char Byte() { return m_p < m_end ? *m_p++ : static_cast<unsigned char>(kEmpty); }
    double Real();
    std::string_view Bytes();  // a length and as many bytes
    CzorInstance* Pointer();

private:
    const unsigned char* m_p = nullptr;
    const unsigned char* m_end = nullptr;
};

// Writes the records of one run into out (emptied first). The run's instances are alive while it is
// written, so that a value is compared with the entity's previous record as it stands in the store and
// is spelt out only when it differs.
class RunEncoder {
public:
    RunEncoder(std::string& out, uint32_t firstSeq, int entities);
    // The record of the instance at place (its sequence number less firstSeq). False (out as it was) for a
    // value a file cannot hold (a single character, a real that is not finite).
    bool Add(const CzorInstance* inst, uint32_t place);

private:
    bool Value(const CzorValue& v, uint32_t place);
    void Ref(const CzorInstance* inst, uint32_t place);
    // The two values would be spelt alike, each at its own place.
    bool Same(const CzorValue& a, uint32_t aPlace, const CzorValue& b, uint32_t bPlace) const;
    bool SameRef(const CzorInstance* a, uint32_t aPlace, const CzorInstance* b, uint32_t bPlace) const;
    std::string& m_out;
    uint32_t m_firstSeq;
    // Per entity id, its previous record's instance and place.
    std::vector<std::pair<const CzorInstance*, uint32_t>> m_prev;
};

// Reads the records of one run in order: Begin gives the next record's entity, then Value(k) for
// k = 0, 1, ... in order gives a reader standing at value k, from which exactly one value is read.
class RunDecoder {
public:
    RunDecoder(const PackedRun& run, const CzorStepData& store);
    bool AtEnd() const { return m_in.AtEnd(); }
    // Null for a record of no entity of the store's dictionary (the run is not read further).
    const CzorEntity* Begin();
    RecordReader& Value(int k);

private:
    const CzorStepData& m_store;
    RecordReader m_in, m_side;
    const unsigned char* m_bits = nullptr;
    std::vector<const unsigned char*>* m_pPrev = nullptr;
    std::vector<std::vector<const unsigned char*>> m_prev;
    std::vector<const CzorEntity*> m_entities;  // by id, as met
};

}  // namespace zor_detail
