// Packing the latest instances into compact records (CzorStepData::PackSince) and reading them back.
#include "platform/zordata/packed.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/zordata/databuf.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/store_internal.h"

namespace zor_detail {

namespace {

void PutVarint(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

uint64_t ZigZag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }

void PutBytes(std::string& out, const void* p, size_t n) {
    PutVarint(out, n);
    out.append(static_cast<const char*>(p), n);
}

size_t BitBytes(int attrs) { return static_cast<size_t>(attrs + 7) / 8; }


}  // namespace

PackedRun* PackedRuns::Find(uint32_t seq) {
    auto it = std::upper_bound(runs.begin(), runs.end(), seq,
                               [](uint32_t s, const PackedRun& r) { return s < r.firstSeq; });
    if (it == runs.begin()) return nullptr;
    --it;
    return seq - it->firstSeq < it->count ? &*it : nullptr;
}

RunEncoder::RunEncoder(std::string& out, uint32_t firstSeq, int entities)
    : m_out(out), m_firstSeq(firstSeq), m_prev(static_cast<size_t>(entities) + 1, {nullptr, 0}) {
    m_out.clear();
}

bool RunEncoder::SameRef(const CzorInstance* a, uint32_t aPlace, const CzorInstance* b, uint32_t bPlace) const {
    const bool aIn = a->GetSequence() >= m_firstSeq, bIn = b->GetSequence() >= m_firstSeq;
    if (aIn != bIn) return false;
    if (!aIn) return a == b;
    return static_cast<int64_t>(a->GetSequence()) - aPlace == static_cast<int64_t>(b->GetSequence()) - bPlace;
}

bool RunEncoder::Same(const CzorValue& a, uint32_t aPlace, const CzorValue& b, uint32_t bPlace) const {
    if (a.GetType() != b.GetType()) return false;
    switch (a.GetType()) {
    case zorNOTYPE: return true;
    case zorINTEGER: return a.GetInt() == b.GetInt();
    case zorREAL: {
        const double x = a.GetReal(), y = b.GetReal();
        return std::memcmp(&x, &y, sizeof x) == 0;  // as spelt: 0. and -0. differ
    }
    case zorSTRING: return std::strcmp(a.GetString(), b.GetString()) == 0;
    case zorBOOLEAN: {
        bool x = false, y = false;
        a.Get(x);
        b.Get(y);
        return x == y;
    }
    case zorINSTANCE: return SameRef(a.GetInstance(), aPlace, b.GetInstance(), bPlace);
    default: return false;  // bytes and lists are rare among many alike records: spelt out
    }
}

void RunEncoder::Ref(const CzorInstance* inst, uint32_t place) {
    if (inst->GetSequence() >= m_firstSeq) {
        m_out.push_back(static_cast<char>(RecordReader::kRefIn));
        PutVarint(m_out, ZigZag(static_cast<int64_t>(inst->GetSequence() - m_firstSeq) - place));
    } else {
        m_out.push_back(static_cast<char>(RecordReader::kRefOut));
        m_out.append(reinterpret_cast<const char*>(&inst), sizeof inst);
    }
}

bool RunEncoder::Value(const CzorValue& v, uint32_t place) {
    switch (v.GetType()) {
    case zorNOTYPE: m_out.push_back(static_cast<char>(RecordReader::kEmpty)); return true;
    case zorINTEGER:
        m_out.push_back(static_cast<char>(RecordReader::kInt));
        PutVarint(m_out, ZigZag(v.GetInt()));
        return true;
    case zorREAL: {
        const double r = v.GetReal();
        if (!std::isfinite(r)) return false;
        m_out.push_back(static_cast<char>(RecordReader::kReal));
        m_out.append(reinterpret_cast<const char*>(&r), sizeof r);
        return true;
    }
    case zorSTRING: {
        const char* text = v.GetString();
        m_out.push_back(static_cast<char>(RecordReader::kText));
        PutBytes(m_out, text, std::strlen(text));
        return true;
    }
    case zorBOOLEAN: {
        bool b = false;
        v.Get(b);
        m_out.push_back(static_cast<char>(b ? RecordReader::kTrue : RecordReader::kFalse));
        return true;
    }
    case zorBINARY: {
        const CzorDataBuf* b = v.GetBuffer();
        m_out.push_back(static_cast<char>(RecordReader::kBinary));
        PutBytes(m_out, b->GetBuffer(), b->GetSize());
        return true;
    }
    case zorINSTANCE: Ref(v.GetInstance(), place); return true;
    case zorAGGREGATE: {
        // A file lists only the instances of a list; nothing else of it is kept.
        size_t n = 0;
        for (const CzorValue& item : *v.GetAggr()) n += item.GetInstance() ? 1 : 0;
        m_out.push_back(static_cast<char>(RecordReader::kList));
        PutVarint(m_out, n);
        for (const CzorValue& item : *v.GetAggr())
            if (const CzorInstance* i = item.GetInstance()) Ref(i, place);
        return true;
    }
    default: return false;
    }
}

bool RunEncoder::Add(const CzorInstance* inst, uint32_t place) {
    const size_t at = m_out.size();
    const CzorEntity* e = inst->GetEntity();
    const int count = inst->GetValueCount();
    PutVarint(m_out, static_cast<uint64_t>(e->GetId()));
    const size_t bits = m_out.size();
    m_out.append(BitBytes(count), '\0');
    auto& [prev, prevPlace] = m_prev[static_cast<size_t>(e->GetId())];
    const auto* slots = zorStoreAccess::Slots(inst);
    const auto* prevSlots = prev ? zorStoreAccess::Slots(prev) : nullptr;
    for (int k = 0; k < count; ++k) {
        if (prevSlots && Same(slots[k].m_Value, place, prevSlots[k].m_Value, prevPlace)) {
            m_out[bits + static_cast<size_t>(k) / 8] |= static_cast<char>(1 << (k % 8));
            continue;
        }
        if (!Value(slots[k].m_Value, place)) {
            m_out.resize(at);
            return false;
        }
    }
    prev = inst;
    prevPlace = place;
    return true;
}

RunDecoder::RunDecoder(const PackedRun& run, const CzorStepData& store)
    : m_store(store), m_in(run.bytes.get(), run.size), m_side(run.bytes.get(), run.size),
      m_prev(static_cast<size_t>(store.GetEntities().GetSize()) + 1),
      m_entities(m_prev.size(), nullptr) {}

const CzorEntity* RunDecoder::Begin() {
    const uint64_t id = m_in.Varint();
    const CzorEntity* e = nullptr;
    if (id < m_entities.size()) {
        if (!m_entities[id]) m_entities[id] = m_store.GetEntityById(static_cast<int>(id));
        e = m_entities[id];
    }
    if (!e) {
        m_in.Seek(nullptr);
        return nullptr;
    }
    m_bits = m_in.Position();
    m_in.Seek(m_bits + BitBytes(e->GetAttrCount()));
    m_pPrev = &m_prev[id];
    if (m_pPrev->empty()) m_pPrev->resize(static_cast<size_t>(e->GetAttrCount()));
    return e;
}

RecordReader& RunDecoder::Value(int k) {
    const unsigned char*& prev = (*m_pPrev)[static_cast<size_t>(k)];
    if (m_bits[k / 8] & (1 << (k % 8))) {
        m_side.Seek(prev);
        return m_side;
    }
    prev = m_in.Position();
    return m_in;
}

uint64_t RecordReader::Varint() {
    uint64_t v = 0;
    for (int shift = 0; m_p < m_end && shift < 64; shift += 7) {
        const unsigned char b = *m_p++;
        v |= static_cast<uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) break;
    }
    return v;
}

int64_t RecordReader::SignedVarint() {
    const uint64_t z = Varint();
    return static_cast<int64_t>(z >> 1) ^ -static_cast<int64_t>(z & 1);
}

double RecordReader::Real() {
    double r = 0;
    if (m_end - m_p < static_cast<ptrdiff_t>(sizeof r)) { m_p = m_end; return r; }
    std::memcpy(&r, m_p, sizeof r);
    m_p += sizeof r;
    return r;
}

std::string_view RecordReader::Bytes() {
    size_t n = static_cast<size_t>(Varint());
    if (n > static_cast<size_t>(m_end - m_p)) n = static_cast<size_t>(m_end - m_p);
    std::string_view s(reinterpret_cast<const char*>(m_p), n);
    m_p += n;
    return s;
}

CzorInstance* RecordReader::Pointer() {
    CzorInstance* p = nullptr;
    if (m_end - m_p < static_cast<ptrdiff_t>(sizeof p)) { m_p = m_end; return p; }
    std::memcpy(&p, m_p, sizeof p);
    m_p += sizeof p;
    return p;
}

}  // namespace zor_detail

using zor_detail::PackedRun;

zorPackMark CzorStepData::GetPackMark() const {
    zorPackMark mark;
    mark.count = m_Instances.GetSize();
    mark.seq = m_nNextSeq;
    const zor_detail::Arena::Mark a = m_pArena->GetMark();
    mark.arenaChunks = a.chunks;
    mark.arenaUsed = a.used;
    mark.arenaEpoch = a.epoch;
    return mark;
}

bool CzorStepData::PackSince(const zorPackMark& mark, std::vector<CzorInstance*>& keep,
                             const std::vector<CzorEntity*>& droppable) {
    const int total = m_Instances.GetSize();
    if (mark.count < 0 || mark.count > total) return false;
    const uint32_t n = static_cast<uint32_t>(total - mark.count);
    if (n == 0 || keep.empty()) return false;
    const zor_detail::Arena::Mark arena{mark.arenaChunks, mark.arenaUsed, mark.arenaEpoch};
    if (!m_pArena->CanRelease(arena)) return false;
    // Everything since the mark, in creation order, and nothing of it deleted, packed or moved.
    CzorInstance* const* made = m_Instances.begin() + mark.count;
    for (uint32_t i = 0; i < n; ++i)
        if (made[i]->IsDeleted() || made[i]->IsPacked() || made[i]->m_nSeq != mark.seq + i) return false;
    std::vector<uint32_t> keptAt;
    keptAt.reserve(keep.size());
    for (CzorInstance* k : keep) {
        if (!k || k->m_nSeq < mark.seq || k->m_nSeq - mark.seq >= n || made[k->m_nSeq - mark.seq] != k) return false;
        keptAt.push_back(k->m_nSeq - mark.seq);
    }
    std::vector<uint32_t> order(keptAt);
    std::sort(order.begin(), order.end());
    if (std::adjacent_find(order.begin(), order.end()) != order.end()) return false;
    for (uint32_t i = 0, k = 0; i < n; ++i) {
        if (k < order.size() && order[k] == i) { ++k; continue; }
        if (std::find(droppable.begin(), droppable.end(), made[i]->m_pEntity) == droppable.end()) return false;
    }
    if (!m_pPacked) m_pPacked = std::make_unique<zor_detail::PackedRuns>();
    std::string& bytes = m_pPacked->scratch;
    zor_detail::RunEncoder encoder(bytes, mark.seq, m_Entities.GetSize());
    for (uint32_t i = 0; i < n; ++i)
        if (!encoder.Add(made[i], i)) return false;

    PackedRun run;
    run.firstSeq = mark.seq;
    run.count = n;
    run.size = bytes.size();
    run.bytes.reset(new unsigned char[bytes.size()]);
    std::memcpy(run.bytes.get(), bytes.data(), bytes.size());
    std::vector<CzorEntity*> keptEntity(order.size());
    for (size_t k = 0; k < order.size(); ++k) keptEntity[k] = made[order[k]]->m_pEntity;

    // The instances go: their values, their places in the lists, their memory.
    std::vector<CzorEntity*> entities;
    for (uint32_t i = 0; i < n; ++i) {
        CzorInstance* inst = made[i];
        auto* slots = inst->Slots();
        for (int s = 0; s < inst->m_nSlots; ++s) zorStoreAccess::Destroy(slots[s]);
        if (std::find(entities.begin(), entities.end(), inst->m_pEntity) == entities.end())
            entities.push_back(inst->m_pEntity);
    }
    for (CzorEntity* e : entities) {
        CzorTAggr<CzorInstance>& ext = e->m_Extent;
        while (ext.m_nCount > 0 && ext.m_pItems[ext.m_nCount - 1]->m_nSeq >= mark.seq) --ext.m_nCount;
        ext.DropIndex();
    }
    m_Instances.m_nCount = mark.count;
    m_Instances.DropIndex();
    m_nLive -= static_cast<int>(n);
    m_pArena->Release(arena);

    // The kept ones come back as instances without values, in their places.
    run.kept.reserve(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        void* mem = m_pArena->Alloc(sizeof(CzorInstance));
        auto* inst = new (mem) CzorInstance();
        inst->m_pEntity = keptEntity[k];
        inst->m_nSeq = mark.seq + order[k];
        inst->m_Flags = CzorInstance::kPacked;
        m_Instances.Append(inst);
        inst->m_pEntity->m_Extent.Append(inst);
        ++m_nLive;
        run.kept.push_back(inst);
    }
    run.keptAt = order;
    run.liveKept = static_cast<uint32_t>(order.size());
    for (size_t k = 0; k < keep.size(); ++k)
        keep[k] = run.kept[static_cast<size_t>(std::lower_bound(order.begin(), order.end(), keptAt[k]) - order.begin())];
    m_pPacked->runs.push_back(std::move(run));
    return true;
}

void CzorStepData::ForgetPacked(CzorInstance* kept) {
    PackedRun* run = m_pPacked ? m_pPacked->Find(kept->m_nSeq) : nullptr;
    if (!run || --run->liveKept) return;
    // Nothing stands for the run any more: no other instance can reach its records.
    m_pPacked->runs.erase(m_pPacked->runs.begin() + (run - m_pPacked->runs.data()));
}
