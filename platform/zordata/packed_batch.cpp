#include "platform/zordata/packed_batch.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/zordata/packed.h"
#include "platform/zordata/stepdata.h"

// The records are those the packing of instances writes (RunEncoder::Add): "=NAME(values);\n" in pieces,
// each reference a hole between two.

namespace {

// A batch's number, unique to it among every writer's batches.
uint64_t NewBatchId() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

}  // namespace

zorBatchWriter::zorBatchWriter(CzorStepData& store) : m_store(store), m_out(1 << 16), m_batchId(NewBatchId()) {}

uint32_t zorBatchWriter::Begin(CzorEntity* entity, bool kept) {
    if (m_open) End();
    const uint32_t place = Count();
    m_entities.push_back(entity);
    if (!entity) {
        m_failed = true;
        return place;
    }
    if (kept) m_kept.push_back(place);
    const std::string& name = entity->GetUpperName();
    m_recordAt = m_out.size();
    m_pieceAt = m_recordAt + 4;
    char* o = m_out.Room(8 + name.size() + 2) + 8;
    *o++ = '=';
    std::memcpy(o, name.data(), name.size());
    o += name.size();
    *o++ = '(';
    m_out.Commit(o);
    m_values = 0;
    m_nearest = m_farthest = 0;
    m_slots = static_cast<uint32_t>(entity->GetAttrCount());
    m_open = true;
    return place;
}

void zorBatchWriter::Text(std::string_view text) {
    Comma();
    if (const size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    zor_detail::step_format::Text(m_out, text);
}

void zorBatchWriter::Ref(uint32_t place) {
    using namespace zor_detail;
    Comma();
    if (place >= m_refTop) m_refTop = place + 1;
    const int64_t distance = static_cast<int64_t>(place) - static_cast<int64_t>(Count() - 1);
    m_nearest = std::min(m_nearest, distance);
    m_farthest = std::max(m_farthest, distance);
    char* o = m_out.Room(kRefHole + 4);
    PutLength(m_out.data() + m_pieceAt, m_out.size() - m_pieceAt - 4);
    o = PutRefIn(o, distance);
    m_out.Commit(o);
    m_pieceAt = m_out.size();
    m_out.Commit(m_out.Room(4) + 4);
}

void zorBatchWriter::End() {
    using namespace zor_detail;
    if (!m_open) return;
    m_open = false;
    if (static_cast<uint32_t>(m_values) != m_slots) m_failed = true;
    char* o = m_out.Room(4);
    std::memcpy(o, ");\n", 3);
    m_out.Commit(o + 3);
    PutLength(m_out.data() + m_pieceAt, m_out.size() - m_pieceAt - 4);
    m_out.push_back(static_cast<char>(Hole::kEnd));
    PutLength(m_out.data() + m_recordAt, m_out.size() - m_recordAt - 4);
}

void zorBatchWriter::CopyLast(Record& record) const {
    record.bytes.assign(m_out.data() + m_recordAt, m_out.size() - m_recordAt);
    record.entity = m_entities.empty() ? nullptr : m_entities.back();
    record.nearest = m_nearest;
    record.farthest = m_farthest;
    record.batch = m_batchId;
    record.at = m_recordAt;
}

uint32_t zorBatchWriter::Repeat(Record& record, bool kept) {
    if (m_open) End();
    const uint32_t place = Count();
    m_entities.push_back(record.entity);
    if (!record.entity || record.bytes.empty() || static_cast<int64_t>(place) + record.nearest < 0) m_failed = true;
    if (kept) m_kept.push_back(place);
    if (record.farthest > 0 && place + static_cast<uint64_t>(record.farthest) >= m_refTop)
        m_refTop = static_cast<uint32_t>(place + static_cast<uint64_t>(record.farthest) + 1);
    const size_t back = m_out.size() - record.at;
    if (record.batch == m_batchId && back < zor_detail::kRepeated) {
        zor_detail::PutLength(m_out.Room(4), back | zor_detail::kRepeated);
        m_out.Commit(m_out.Room(4) + 4);
        m_recordAt = record.at;  // what CopyLast takes
    } else {
        m_recordAt = m_out.size();
        m_out.append(record.bytes.data(), record.bytes.size());
        record.batch = m_batchId;
        record.at = m_recordAt;
    }
    m_nearest = record.nearest;
    m_farthest = record.farthest;
    return place;
}

void zorBatchWriter::Clear() {
    m_out.clear();
    m_entities.clear();
    m_kept.clear();
    m_refTop = 0;
    m_open = m_failed = false;
    m_batchId = NewBatchId();
}

CzorInstance* zorBatchWriter::Commit() {
    End();
    CzorInstance* one = nullptr;
    if (!m_failed && !m_kept.empty() && m_refTop <= Count())
        one = m_store.StoreBatch(m_out.data(), m_out.size(), Count(), m_kept, m_entities[m_kept.front()]);
    Clear();
    return one;
}
