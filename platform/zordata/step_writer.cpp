// Writing a store as an ISO 10303-21 exchange structure.
#include "platform/zordata/step_io.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <span>

#include "platform/zordata/clock.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/packed.h"
#include "platform/zordata/packed_batch.h"
#include "platform/zordata/store_internal.h"

namespace zor_detail {

namespace {

// Fills a bounded buffer and hands each full block to the sink, so that a report of any size costs one
// block of memory on its way to the file.
class Writer {
public:
    Writer(const StepSink& sink, PackedRuns* runs) : m_sink(sink), m_out(kBlock + kBlock / 4), m_runs(runs) {}

    static constexpr size_t kBlock = 1 << 20;

    // Passes the buffer on once it holds a block; false once the sink has refused one.
    bool Drain(bool all = false) {
        if (m_failed) return false;
        if (m_out.size() >= kBlock || (all && !m_out.empty())) {
            if (!m_sink(std::string_view(m_out.data(), m_out.size()))) m_failed = true;
            m_out.clear();
        }
        return !m_failed;
    }

    void Int(long long v) { step_format::Int(m_out, v); }
    bool Real(double v) { return step_format::Real(m_out, v); }
    void Text(std::string_view s) { step_format::Text(m_out, s); }
    void Binary(const CzorDataBuf& b) { step_format::Binary(m_out, b.GetBuffer(), b.GetSize()); }

    // False for a value that cannot be written (a real that is not finite).
    bool Value(const CzorValue& v) {
        switch (v.GetType()) {
        case zorNOTYPE: m_out.push_back('$'); return true;
        case zorINTEGER: Int(v.GetInt()); return true;
        case zorREAL: return Real(v.GetReal());
        case zorSTRING: Text(v.GetString()); return true;
        case zorBOOLEAN: { bool b = false; v.Get(b); m_out.append(b ? ".T." : ".F."); return true; }
        case zorBINARY: Binary(*v.GetBuffer()); return true;
        case zorINSTANCE: Ref(v.GetInstance()); return true;
        case zorAGGREGATE: {
            m_out.push_back('(');
            bool first = true;
            for (const CzorValue& item : *v.GetAggr()) {
                const CzorInstance* i = item.GetInstance();
                if (!i || i->IsDeleted()) continue;  // a deleted instance leaves no entry behind
                if (const PackedRun* batch = i->IsPacked() ? BatchOf(m_runs, i) : nullptr) {
                    ForEachOfBatch(*batch, [&](uint32_t mark) {
                        if (!first) m_out.push_back(',');
                        first = false;
                        Number(mark);
                    });
                    continue;
                }
                if (!first) m_out.push_back(',');
                first = false;
                Ref(i);
            }
            m_out.push_back(')');
            return true;
        }
        default: return false;
        }
    }

    void Ref(const CzorInstance* i) {
        if (!i || i->IsDeleted()) { m_out.push_back('$'); return; }
        Number(zorStoreAccess::Mark(const_cast<CzorInstance*>(i)));
    }
    void Number(uint32_t mark) { step_format::Number(m_out, mark); }

    // The records of a packed batch, its places numbered by marks (0: a deleted kept instance, which has
    // no line and leaves no reference behind).
    bool Packed(const PackedRun& run, const std::vector<uint32_t>& marks, const Spool& spool, std::string& error) {
        if (!spool.Read(run.offset, run.size, m_records, m_recordsCap, error)) return false;
        if (run.speller) {
            if (run.speller->Spell(std::string_view(m_records.get(), run.size), run.count, marks, m_out)) return true;
            error = "упакованные записи повреждены";
            return false;
        }
        if (!WriteRunText(m_records.get(), run.size, run.count, marks, m_runs, m_out)) {
            error = "упакованные записи повреждены";
            return false;
        }
        return true;
    }

    OutBuf& Out() { return m_out; }

private:
    const StepSink& m_sink;
    OutBuf m_out;
    PackedRuns* m_runs;  // null: none
    std::unique_ptr<char[]> m_records;  // a packed batch read back
    size_t m_recordsCap = 0;
    bool m_failed = false;
};

// ISO 8601 local time, as the standard's examples write it: 2024-03-05T12:00:00.
std::string TimeStamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char buf[32];
    const size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return std::string(buf, n);
}

}  // namespace

bool WriteStepFile(CzorStepData& store, const std::string& name, const StepSink& sink, std::string& error) {
    error.clear();
    // Files keep creation order; a list that someone reordered is written in that order anyway.
    const CzorTAggr<CzorInstance>& all = store.GetInstances();
    auto bySeq = [](const CzorInstance* a, const CzorInstance* b) { return a->GetSequence() < b->GetSequence(); };
    std::vector<CzorInstance*> sorted;
    if (!std::is_sorted(all.begin(), all.end(), bySeq)) {
        sorted.assign(all.begin(), all.end());
        std::stable_sort(sorted.begin(), sorted.end(), bySeq);
    }
    const std::span<CzorInstance* const> order =
        sorted.empty() ? std::span<CzorInstance* const>(all.begin(), all.end()) : std::span<CzorInstance* const>(sorted);
    // A packed batch is numbered, and written, where its first live kept instance comes.
    PackedRuns* packed = zorStoreAccess::Packed(store);
    std::vector<uint32_t> marks;
    const auto placeMarks = [&marks](const PackedRun& run) {
        marks.assign(run.count, 0);
        uint32_t next = run.firstMark;
        for (uint32_t place = 0, k = 0; place < run.count; ++place) {
            const bool isKept = k < run.kept.size() && KeptAt(run, k) == place;
            if (isKept && run.kept[k++]->IsDeleted()) continue;
            marks[place] = next++;
        }
    };
    if (packed)
        for (PackedRun& run : packed->runs) run.firstMark = 0;
    // Both walks meet the runs in their order.
    const auto runOf = [packed](const CzorInstance* i, size_t& at) -> PackedRun* {
        if (!packed) return nullptr;
        auto& runs = packed->runs;
        const uint64_t seq = i->GetSequence();
        while (at < runs.size() && uint64_t(runs[at].firstSeq) + runs[at].count <= seq) ++at;
        return at < runs.size() && runs[at].firstSeq <= seq ? &runs[at] : nullptr;
    };
    uint32_t n = 0;
    size_t at = 0;
    for (CzorInstance* i : order) {
        if (i->IsDeleted() || !i->IsPacked()) {
            zorStoreAccess::Mark(i) = i->IsDeleted() ? 0 : ++n;
            continue;
        }
        PackedRun* run = runOf(i, at);
        if (!run) {  // cannot happen: a kept instance outlives its batch only deleted
            zorStoreAccess::Mark(i) = 0;
            continue;
        }
        if (run->firstMark) continue;
        run->firstMark = n + 1;
        placeMarks(*run);
        for (size_t k = 0; k < run->kept.size(); ++k) zorStoreAccess::Mark(run->kept[k]) = marks[KeptAt(*run, k)];
        for (uint32_t m : marks) n = std::max(n, m);
    }

    Writer w(sink, packed);
    OutBuf& out = w.Out();
    // The third edition's level "3;1": strings hold UTF-8 as it is, so files stay readable and diffable.
    out.append("ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'3;1');\nFILE_NAME(");
    w.Text(name.c_str());
    out.push_back(',');
    w.Text(TimeStamp(zor::Now()).c_str());
    out.append(",(''),(''),'','','');\nFILE_SCHEMA((");
    w.Text(ToUpper(store.GetDictName()).c_str());
    out.append("));\nENDSEC;\nDATA;\n");
    const PackedRun* lastWritten = nullptr;
    at = 0;
    for (CzorInstance* inst : order) {
        if (inst->IsDeleted()) continue;
        if (inst->IsPacked()) {
            const PackedRun* run = runOf(inst, at);
            if (!run || run == lastWritten) continue;
            lastWritten = run;
            placeMarks(*run);
            if (!w.Packed(*run, marks, packed->spool, error) || !w.Drain()) return false;
            continue;
        }
        CzorEntity* e = inst->GetEntity();
        w.Number(zorStoreAccess::Mark(inst));
        out.push_back('=');
        out.append(e->GetUpperName());
        out.push_back('(');
        const int count = inst->GetValueCount();
        auto* slots = zorStoreAccess::Slots(inst);
        for (int k = 0; k < count; ++k) {
            if (k) out.push_back(',');
            if (!w.Value(slots[k].m_Value)) {
                error = "#" + std::to_string(zorStoreAccess::Mark(inst)) + " " + e->GetUpperName() + "." +
                        e->GetAttrAt(k)->GetName() + ": значение нельзя записать";
                return false;
            }
        }
        out.append(");\n");
        if (!w.Drain()) return false;
    }
    out.append("ENDSEC;\nEND-ISO-10303-21;\n");
    return w.Drain(true);
}

}  // namespace zor_detail
