#pragma once
// A batch written straight as the text a file will hold of it, its instances never made: for a writer that
// knows every value of a batch as it goes and keeps nothing of it but what lists name (a generated page's
// cells). Commit stores what PackBatchSince would have stored had the instances been created in the order
// of their records, given the same values and packed as one: the same records in the same places, and one
// instance without values standing for the kept ones. The saved file is the same.
//
// A record's values come one for each slot of its entity, in the entity's order (CzorEntity::GetAttrAt);
// what a slot may hold is the caller's to know, as the writer checks no attribute.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/zordata/step_format.h"

class CzorEntity;
class CzorInstance;
class CzorStepData;

// The writer of a batch kept in a form of its own (CzorStepData::StoreSpelledBatch), which it spells out as
// the file's text only when the file is written: a writer whose records are mostly the same few values
// keeps far fewer bytes than their text.
class zorRecordSpeller {
public:
    virtual ~zorRecordSpeller() = default;
    // Appends to out the text of the count records that bytes hold, the record at place p numbered marks[p]
    // (marks has count numbers): a record numbered 0 is left out, and a reference to it is unset. False
    // for bytes that do not read back.
    virtual bool Spell(std::string_view bytes, uint32_t count, const std::vector<uint32_t>& marks,
                       zor_detail::OutBuf& out) const = 0;
};

class zorBatchWriter {
public:
    explicit zorBatchWriter(CzorStepData& store);
    zorBatchWriter(const zorBatchWriter&) = delete;
    zorBatchWriter& operator=(const zorBatchWriter&) = delete;

    CzorStepData& Store() const { return m_store; }
    // The record at the next place of the batch, of entity; kept: it stays as an instance that lists may
    // name (all the batch's kept records through one). Gives its place.
    uint32_t Begin(CzorEntity* entity, bool kept);
    // The next slot's value: none, an integer, a text (held up to its first NUL, as a stored text is), a
    // reference to the record at place of this batch.
    void Unset() { Comma(); m_out.push_back('$'); }
    void Int(long long value) {
        Comma();
        m_out.Commit(zor_detail::step_format::PutInt(m_out.Room(21), value));
    }
    void Text(std::string_view text);
    void Ref(uint32_t place);
    // Closes the record begun last.
    void End();

    // A record as written, to be written again: its references name the records at the same distances.
    struct Record {
        std::string bytes;
        CzorEntity* entity = nullptr;
        int64_t nearest = 0, farthest = 0;  // the distances its references reach, back and forth
        // Where it stands whole in the batch being written (a repetition then names it in a few bytes).
        uint64_t batch = 0;
        size_t at = 0;
    };
    // The record closed last (End), into record.
    void CopyLast(Record& record) const;
    // The record again at the next place; gives its place.
    uint32_t Repeat(Record& record, bool kept);

    uint32_t Count() const { return static_cast<uint32_t>(m_entities.size()); }
    // Stores the batch and starts an empty one: the one instance standing for the kept records, or null,
    // with the store as it was, when none is kept, a record has not as many values as its entity has slots
    // or refers to no record of the batch, or the records cannot be written to the store's temporary file
    // (the caller then makes the instances after all).
    CzorInstance* Commit();
    // Starts an empty batch without storing anything.
    void Clear();

private:
    void Comma() {
        if (m_values++) m_out.push_back(',');
    }

    CzorStepData& m_store;
    zor_detail::OutBuf m_out;
    std::vector<CzorEntity*> m_entities;  // by place
    std::vector<uint32_t> m_kept;         // places, ascending
    size_t m_recordAt = 0, m_pieceAt = 0;  // where the open record and its last piece begin in m_out
    int m_values = 0;                      // of the open record
    uint32_t m_slots = 0;                  // of the open record's entity
    uint32_t m_refTop = 0;                 // one more than the highest place referred to
    int64_t m_nearest = 0, m_farthest = 0;  // of the open or last record's references
    bool m_open = false, m_failed = false;
    uint64_t m_batchId;  // the batch's own, for the records written whole in it
};
