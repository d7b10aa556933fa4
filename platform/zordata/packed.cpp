// Packing the latest instances into their text with holes for their numbers (CzorStepData::PackSince),
// and writing that text out.
#include "platform/zordata/packed.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/zordata/databuf.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/store_internal.h"

namespace zor_detail {

namespace {

// Reads what a run's records hold; a read past the end leaves it at the end, failed.
class Reader {
public:
    Reader(const char* p, size_t size)
        : m_start(reinterpret_cast<const unsigned char*>(p)), m_p(m_start), m_end(m_p + size) {}
    bool Failed() const { return m_failed; }
    size_t Offset() const { return static_cast<size_t>(m_p - m_start); }
    bool Has(size_t n) {
        if (static_cast<size_t>(m_end - m_p) >= n) return true;
        m_p = m_end;
        m_failed = true;
        return false;
    }
    uint32_t Length() {
        if (!Has(4)) return 0;
        const uint32_t v = uint32_t(m_p[0]) | uint32_t(m_p[1]) << 8 | uint32_t(m_p[2]) << 16 | uint32_t(m_p[3]) << 24;
        m_p += 4;
        return v;
    }
    unsigned char Byte() { return Has(1) ? *m_p++ : 0; }
    uint64_t Varint() {
        uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (!Has(1)) return 0;
            const unsigned char b = *m_p++;
            v |= static_cast<uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) break;
        }
        return v;
    }
    int64_t SignedVarint() {
        const uint64_t z = Varint();
        return static_cast<int64_t>(z >> 1) ^ -static_cast<int64_t>(z & 1);
    }
    const CzorInstance* Pointer() {
        const CzorInstance* i = nullptr;
        if (!Has(sizeof i)) return nullptr;
        std::memcpy(&i, m_p, sizeof i);
        m_p += sizeof i;
        return i;
    }
    std::string_view Bytes(size_t n) {
        if (!Has(n)) return {};
        std::string_view s(reinterpret_cast<const char*>(m_p), n);
        m_p += n;
        return s;
    }
    void Skip(size_t n) { if (Has(n)) m_p += n; }

private:
    const unsigned char* m_start;
    const unsigned char* m_p;
    const unsigned char* m_end;
    bool m_failed = false;
};

}  // namespace

uint32_t KeptAt(const PackedRun& run, size_t k) { return run.kept[k]->GetSequence() - run.firstSeq; }

const PackedRun* BatchOf(PackedRuns* runs, const CzorInstance* inst) {
    if (!runs || !inst || !inst->IsPacked() || inst->IsDeleted()) return nullptr;
    const PackedRun* run = runs->Find(inst->GetSequence());
    return run && !run->batch.empty() && run->kept.size() == 1 && run->kept[0] == inst ? run : nullptr;
}

PackedRun* PackedRuns::Find(uint32_t seq) {
    auto it = std::upper_bound(runs.begin(), runs.end(), seq,
                               [](uint32_t s, const PackedRun& r) { return s < r.firstSeq; });
    if (it == runs.begin()) return nullptr;
    --it;
    return seq - it->firstSeq < it->count ? &*it : nullptr;
}

// --- The spool ------------------------------------------------------------------------------------------

Spool::~Spool() {
    if (m_fd >= 0) ::close(m_fd);
}

bool Spool::Append(const char* p, size_t n, uint64_t& offset) {
    if (m_failed) return false;
    if (m_fd < 0) {
        const char* dir = std::getenv("TMPDIR");
        std::string folder = dir && *dir ? dir : "/tmp";
        m_fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (m_fd < 0) {  // a file system without unnamed files: a named one, unlinked at once
            std::string name = folder + "/zorpackXXXXXX";
            m_fd = ::mkostemp(name.data(), O_CLOEXEC);
            if (m_fd >= 0) ::unlink(name.c_str());
        }
        if (m_fd < 0) {
            m_failed = true;
            return false;
        }
    }
    if (m_tail.capacity() < kTail) m_tail.reserve(kTail);
    // The tail holds whole batches only, so that each is read from one place.
    if (m_tail.size() + n > kTail) {
        if (!m_tail.empty()) {
            if (!WriteOut(m_tail.data(), m_tail.size())) {
                m_failed = true;  // the tail stays what it is: the batches in it are still read from it
                return false;
            }
            m_tail.clear();
        }
        if (n > kTail) {
            if (!WriteOut(p, n)) return false;
            offset = m_size;
            m_size += n;
            return true;
        }
    }
    offset = m_size;
    m_tail.append(p, n);
    m_size += n;
    return true;
}

bool Spool::WriteOut(const char* p, size_t n) {
    for (size_t done = 0; done < n;) {
        const ssize_t w = ::pwrite(m_fd, p + done, n - done, static_cast<off_t>(m_written + done));
        if (w < 0 && errno == EINTR) continue;
        // Whatever part was written is simply written over by the next.
        if (w <= 0) return false;
        done += static_cast<size_t>(w);
    }
    m_written += n;
    return true;
}

bool Spool::Read(uint64_t offset, size_t n, std::unique_ptr<char[]>& out, size_t& capacity,
                 std::string& error) const {
    if (capacity < n) {
        out.reset(new char[n]);
        capacity = n;
    }
    if (offset >= m_written) {
        if (offset + n > m_size) {
            error = "упакованные записи не прочитаны из временного файла: файл короче ожидаемого";
            return false;
        }
        if (n) std::memcpy(out.get(), m_tail.data() + (offset - m_written), n);
        return true;
    }
    for (size_t done = 0; done < n;) {
        const ssize_t r = m_fd < 0 ? -1 : ::pread(m_fd, out.get() + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            error = std::string("упакованные записи не прочитаны из временного файла: ") +
                    (r < 0 ? std::strerror(errno) : "файл короче ожидаемого");
            return false;
        }
        done += static_cast<size_t>(r);
    }
    return true;
}

// --- Records ------------------------------------------------------------------------------------------------

RunEncoder::RunEncoder(OutBuf& out, uint32_t firstSeq) : m_out(out), m_firstSeq(firstSeq) { m_out.clear(); }

namespace {

// The most a value's text and holes may take; 0 for a value a file cannot hold.
size_t Bound(const CzorValue& v) {
    switch (v.GetType()) {
    case zorNOTYPE: return 1;
    case zorINTEGER: return 21;
    case zorREAL: return std::isfinite(v.GetReal()) ? 40 : 0;
    case zorSTRING: return 4 * std::strlen(v.GetString()) + 2;
    case zorBOOLEAN: return 3;
    case zorBINARY: return 2 * v.GetBuffer()->GetSize() + 3;
    case zorINSTANCE: return kRefHole + 4;
    case zorAGGREGATE: return 1 + kVarint + kRefHole * v.GetAggr()->GetSize() + 4;
    default: return 0;
    }
}

}  // namespace

char* RunEncoder::Ref(char* o, const CzorInstance* inst, uint32_t place) const {
    if (inst->GetSequence() >= m_firstSeq)
        return PutRefIn(o, static_cast<int64_t>(inst->GetSequence() - m_firstSeq) - place);
    *o++ = static_cast<char>(Hole::kRefOut);
    std::memcpy(o, &inst, sizeof inst);
    return o + sizeof inst;
}

bool RunEncoder::Add(const CzorInstance* inst, uint32_t place) {
    const std::string& name = inst->GetEntity()->GetUpperName();
    const int count = inst->GetValueCount();
    const auto* slots = zorStoreAccess::Slots(inst);
    // Record and piece lengths, "=NAME(", the commas, ");\n" and the end.
    size_t bound = 4 + 4 + name.size() + 2 + static_cast<size_t>(count) + 3 + 1;
    for (int k = 0; k < count; ++k) {
        const size_t b = Bound(slots[k].m_Value);
        if (!b) return false;
        bound += b;
    }
    char* const record = m_out.Room(bound);
    char* piece = record + 4;
    char* o = piece + 4;
    const auto endPiece = [&] { PutLength(piece, static_cast<size_t>(o - piece) - 4); };
    *o++ = '=';
    std::memcpy(o, name.data(), name.size());
    o += name.size();
    *o++ = '(';
    for (int k = 0; k < count; ++k) {
        if (k) *o++ = ',';
        const CzorValue& v = slots[k].m_Value;
        switch (v.GetType()) {
        case zorNOTYPE: *o++ = '$'; break;
        case zorINTEGER: o = step_format::PutInt(o, v.GetInt()); break;
        case zorREAL: o = step_format::PutReal(o, v.GetReal()); break;
        case zorSTRING: o = step_format::PutText(o, v.GetString()); break;
        case zorBOOLEAN: {
            bool b = false;
            v.Get(b);
            std::memcpy(o, b ? ".T." : ".F.", 3);
            o += 3;
            break;
        }
        case zorBINARY: {
            const CzorDataBuf* b = v.GetBuffer();
            o = step_format::PutBinary(o, b->GetBuffer(), b->GetSize());
            break;
        }
        case zorINSTANCE:
            endPiece();
            o = Ref(o, v.GetInstance(), place);
            piece = o;
            o += 4;
            break;
        case zorAGGREGATE: {
            // A file lists only the instances of a list; which of them still stand is known when it is
            // written.
            size_t n = 0;
            for (const CzorValue& item : *v.GetAggr()) n += item.GetInstance() ? 1 : 0;
            endPiece();
            *o++ = static_cast<char>(Hole::kList);
            o = PutVarint(o, n);
            for (const CzorValue& item : *v.GetAggr())
                if (const CzorInstance* i = item.GetInstance()) o = Ref(o, i, place);
            piece = o;
            o += 4;
            break;
        }
        default: break;  // refused by Bound
        }
    }
    std::memcpy(o, ");\n", 3);
    o += 3;
    endPiece();
    *o++ = static_cast<char>(Hole::kEnd);
    PutLength(record, static_cast<size_t>(o - record) - 4);
    m_out.Commit(o);
    return true;
}

bool WriteRunText(const char* p, size_t size, uint32_t count, const std::vector<uint32_t>& marks, PackedRuns* runs,
                  OutBuf& out) {
    Reader in(p, size);
    const auto markOf = [&marks](Reader& rec, unsigned char hole, uint32_t place) -> uint32_t {
        if (hole == static_cast<unsigned char>(Hole::kRefIn)) {
            const int64_t target = static_cast<int64_t>(place) + rec.SignedVarint();
            return target >= 0 && static_cast<uint64_t>(target) < marks.size() ? marks[static_cast<size_t>(target)] : 0;
        }
        if (hole == static_cast<unsigned char>(Hole::kRefOut)) {
            const CzorInstance* i = rec.Pointer();
            return i && !i->IsDeleted() ? zorStoreAccess::Mark(const_cast<CzorInstance*>(i)) : 0;
        }
        rec.Skip(~size_t{0});  // not a reference: the record is damaged
        return 0;
    };
    for (uint32_t place = 0; place < count; ++place) {
        const size_t at = in.Offset();
        const uint32_t length = in.Length();
        std::string_view body;
        if (length & kRepeated) {
            // The body of the whole record that far back, which itself repeats none.
            const size_t back = length & ~kRepeated;
            if (back == 0 || back > at) return false;
            Reader earlier(p + (at - back), size - (at - back));
            const uint32_t n = earlier.Length();
            if (n & kRepeated) return false;
            body = earlier.Bytes(n);
            if (earlier.Failed()) return false;
        } else {
            body = in.Bytes(length);
        }
        if (in.Failed()) return false;
        if (place >= marks.size() || !marks[place]) continue;
        // Every piece is copied as it is and every hole of at least two bytes becomes at most ",#" and ten
        // digits.
        Reader rec(body.data(), body.size());
        char* o = out.Room(21 + 6 * body.size());
        o = step_format::PutNumber(o, marks[place]);
        for (;;) {
            const std::string_view piece = rec.Bytes(rec.Length());
            std::memcpy(o, piece.data(), piece.size());
            o += piece.size();
            const unsigned char hole = rec.Byte();
            if (rec.Failed() || hole == static_cast<unsigned char>(Hole::kEnd)) break;
            if (hole == static_cast<unsigned char>(Hole::kList)) {
                *o++ = '(';
                bool first = true;
                for (uint64_t n = rec.Varint(); n > 0 && !rec.Failed(); --n) {
                    const unsigned char item = rec.Byte();
                    if (item == static_cast<unsigned char>(Hole::kRefOut)) {
                        const CzorInstance* i = rec.Pointer();
                        if (const PackedRun* batch = BatchOf(runs, i)) {
                            out.Commit(o);
                            ForEachOfBatch(*batch, [&](uint32_t mark) {
                                if (!first) out.push_back(',');
                                first = false;
                                step_format::Number(out, mark);
                            });
                            o = out.Room(21 + 6 * body.size());
                            continue;
                        }
                        if (i && !i->IsDeleted()) {
                            if (!first) *o++ = ',';
                            first = false;
                            o = step_format::PutNumber(o, zorStoreAccess::Mark(const_cast<CzorInstance*>(i)));
                        }
                        continue;
                    }
                    // As with a live list: a deleted instance leaves no entry behind.
                    if (const uint32_t mark = markOf(rec, item, place)) {
                        if (!first) *o++ = ',';
                        first = false;
                        o = step_format::PutNumber(o, mark);
                    }
                }
                *o++ = ')';
                continue;
            }
            if (const uint32_t mark = markOf(rec, hole, place)) o = step_format::PutNumber(o, mark);
            else *o++ = '$';
        }
        out.Commit(o);
        if (rec.Failed()) return false;
    }
    return true;
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
    return Pack(mark, keep, droppable, false) != nullptr;
}

CzorInstance* CzorStepData::PackBatchSince(const zorPackMark& mark, const std::vector<CzorInstance*>& keep,
                                           const std::vector<CzorEntity*>& droppable) {
    std::vector<CzorInstance*> kept(keep);
    return Pack(mark, kept, droppable, true);
}

CzorInstance* CzorStepData::Pack(const zorPackMark& mark, std::vector<CzorInstance*>& keep,
                                 const std::vector<CzorEntity*>& droppable, bool asOne) {
    const int total = m_Instances.GetSize();
    if (mark.count < 0 || mark.count > total) return nullptr;
    const uint32_t n = static_cast<uint32_t>(total - mark.count);
    if (n == 0 || keep.empty()) return nullptr;
    const zor_detail::Arena::Mark arena{mark.arenaChunks, mark.arenaUsed, mark.arenaEpoch};
    if (!m_pArena->CanRelease(arena)) return nullptr;
    // Everything since the mark, in creation order, and nothing of it deleted, packed or moved.
    CzorInstance* const* made = m_Instances.begin() + mark.count;
    for (uint32_t i = 0; i < n; ++i)
        if (made[i]->IsDeleted() || made[i]->IsPacked() || made[i]->m_nSeq != mark.seq + i) return nullptr;
    std::vector<uint32_t> keptAt;
    keptAt.reserve(keep.size());
    for (CzorInstance* k : keep) {
        if (!k || k->m_nSeq < mark.seq || k->m_nSeq - mark.seq >= n || made[k->m_nSeq - mark.seq] != k) return nullptr;
        keptAt.push_back(k->m_nSeq - mark.seq);
    }
    std::vector<uint32_t> order(keptAt);
    std::sort(order.begin(), order.end());
    if (std::adjacent_find(order.begin(), order.end()) != order.end()) return nullptr;
    for (uint32_t i = 0, k = 0; i < n; ++i) {
        if (k < order.size() && order[k] == i) { ++k; continue; }
        if (std::find(droppable.begin(), droppable.end(), made[i]->m_pEntity) == droppable.end()) return nullptr;
    }
    if (!m_pPacked) m_pPacked = std::make_unique<zor_detail::PackedRuns>();
    zor_detail::OutBuf& bytes = m_pPacked->scratch;
    zor_detail::RunEncoder encoder(bytes, mark.seq);
    for (uint32_t i = 0; i < n; ++i)
        if (!encoder.Add(made[i], i)) return nullptr;

    PackedRun run;
    run.firstSeq = mark.seq;
    run.count = n;
    run.size = bytes.size();
    if (!m_pPacked->spool.Append(bytes.data(), bytes.size(), run.offset)) return nullptr;
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

    // The kept ones come back as instances without values, in their places; as one, the first stands for
    // them all.
    const size_t standing = asOne ? 1 : order.size();
    if (asOne) {
        run.batch.assign((n + 63) / 64, 0);
        for (const uint32_t place : order) run.batch[place / 64] |= uint64_t{1} << (place % 64);
    }
    run.kept.reserve(standing);
    for (size_t k = 0; k < standing; ++k) {
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
    run.liveKept = static_cast<uint32_t>(standing);
    CzorInstance* const first = run.kept.front();
    if (!asOne)
        for (size_t k = 0; k < keep.size(); ++k)
            keep[k] = run.kept[static_cast<size_t>(std::lower_bound(order.begin(), order.end(), keptAt[k]) - order.begin())];
    m_pPacked->runs.push_back(std::move(run));
    return first;
}

CzorInstance* CzorStepData::StoreSpelledBatch(std::string_view bytes, uint32_t count, const std::vector<uint32_t>& kept,
                                              CzorEntity* entity, std::shared_ptr<const zorRecordSpeller> speller) {
    if (!speller || !std::is_sorted(kept.begin(), kept.end()) || (!kept.empty() && kept.back() >= count))
        return nullptr;
    return StoreBatch(bytes.data(), bytes.size(), count, kept, entity, std::move(speller));
}

CzorInstance* CzorStepData::StoreBatch(const char* records, size_t size, uint32_t count,
                                       const std::vector<uint32_t>& kept, CzorEntity* entity,
                                       std::shared_ptr<const zorRecordSpeller> speller) {
    if (count == 0 || kept.empty() || !entity) return nullptr;
    if (!m_pPacked) m_pPacked = std::make_unique<zor_detail::PackedRuns>();
    PackedRun run;
    if (!m_pPacked->spool.Append(records, size, run.offset)) return nullptr;
    // The places the instances would have taken: none is left below the next one made.
    run.firstSeq = m_nNextSeq;
    run.count = count;
    run.size = size;
    run.speller = std::move(speller);
    m_nNextSeq += count;
    run.batch.assign((count + 63) / 64, 0);
    for (const uint32_t place : kept) run.batch[place / 64] |= uint64_t{1} << (place % 64);
    void* mem = m_pArena->Alloc(sizeof(CzorInstance));
    auto* inst = new (mem) CzorInstance();
    inst->m_pEntity = entity;
    inst->m_nSeq = run.firstSeq + kept.front();
    inst->m_Flags = CzorInstance::kPacked;
    m_Instances.Append(inst);
    entity->m_Extent.Append(inst);
    ++m_nLive;
    run.kept.push_back(inst);
    run.liveKept = 1;
    m_pPacked->runs.push_back(std::move(run));
    return inst;
}

void CzorStepData::ForgetPacked(CzorInstance* kept) {
    PackedRun* run = m_pPacked ? m_pPacked->Find(kept->m_nSeq) : nullptr;
    if (!run || --run->liveKept) return;
    // Nothing stands for the run any more: no other instance can reach its records.
    m_pPacked->runs.erase(m_pPacked->runs.begin() + (run - m_pPacked->runs.data()));
}
