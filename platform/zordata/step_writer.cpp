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
#include "platform/zordata/store_internal.h"

namespace zor_detail {

namespace {

const char kHex[] = "0123456789ABCDEF";

// The text on its way to the sink: a plain array written through a cursor, as a file of a million lines
// is mostly numbers and short words, each too short to be worth a call.
class OutBuf {
public:
    explicit OutBuf(size_t capacity) : m_data(new char[capacity]), m_cap(capacity) {}
    size_t size() const { return m_len; }
    bool empty() const { return m_len == 0; }
    const char* data() const { return m_data.get(); }
    void clear() { m_len = 0; }
    void resize(size_t n) { if (n < m_len) m_len = n; }  // shrinks only
    // Room for n more characters; the returned cursor is moved on by Commit.
    char* Room(size_t n) {
        if (m_len + n > m_cap) Grow(m_len + n);
        return m_data.get() + m_len;
    }
    void Commit(char* end) { m_len = static_cast<size_t>(end - m_data.get()); }
    void push_back(char c) { *Room(1) = c; ++m_len; }
    void append(const char* p, size_t n) {
        char* o = Room(n);
        if (n <= 16) {
            for (size_t i = 0; i < n; ++i) o[i] = p[i];
        } else {
            std::memcpy(o, p, n);
        }
        m_len += n;
    }
    void append(std::string_view s) { append(s.data(), s.size()); }
    void append(const std::string& s) { append(s.data(), s.size()); }
    void append(const char* s) { append(s, std::strlen(s)); }

private:
    void Grow(size_t need) {
        size_t cap = std::max(need, m_cap * 2);
        std::unique_ptr<char[]> data(new char[cap]);
        std::memcpy(data.get(), m_data.get(), m_len);
        m_data = std::move(data);
        m_cap = cap;
    }
    std::unique_ptr<char[]> m_data;
    size_t m_cap;
    size_t m_len = 0;
};

// Fills a bounded buffer and hands each full block to the sink, so that a report of any size costs one
// block of memory on its way to the file.
class Writer {
public:
    explicit Writer(const StepSink& sink) : m_sink(sink), m_out(kBlock + kBlock / 4) {}

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

    // Instance numbers and small values make up most of a file: written digit by digit, back to front.
    void Int(long long v) {
        char* o = m_out.Room(24);
        unsigned long long u = static_cast<unsigned long long>(v);
        if (v < 0) {
            *o++ = '-';
            u = 0 - u;
        }
        char digits[20];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u);
        while (n) *o++ = digits[--n];
        m_out.Commit(o);
    }

    // Reals always carry a point ("1.", "2.5", "1.E+20") and read back to the same double.
    bool Real(double v) {
        if (!std::isfinite(v)) return false;
        char buf[40];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        std::string_view s(buf, static_cast<size_t>(r.ptr - buf));
        const size_t e = s.find('e');
        std::string_view mant = s.substr(0, e);
        m_out.append(mant);
        if (mant.find('.') == std::string_view::npos) m_out.push_back('.');
        if (e != std::string_view::npos) {
            m_out.push_back('E');
            m_out.append(s.substr(e + 1));
        }
        return true;
    }

    void Text(const char* s) { Text(std::string_view(s)); }
    // A character below a space, the quote, the backslash and DEL are escaped; UTF-8 passes as it is.
    void Text(std::string_view s) {
        char* o = m_out.Room(4 * s.size() + 2);  // "\X\hh" is the longest form of one byte
        *o++ = '\'';
        for (const char ch : s) {
            const unsigned char c = static_cast<unsigned char>(ch);
            if (c >= 0x20 && c != '\'' && c != '\\' && c != 0x7F) {
                *o++ = ch;
            } else if (c == '\'') {
                *o++ = '\'';
                *o++ = '\'';
            } else if (c == '\\') {
                *o++ = '\\';
                *o++ = '\\';
            } else {
                *o++ = '\\';
                *o++ = 'X';
                *o++ = '\\';
                *o++ = kHex[c >> 4];
                *o++ = kHex[c & 15];
            }
        }
        *o++ = '\'';
        m_out.Commit(o);
    }

    void Binary(const CzorDataBuf& b) { Binary(b.GetBuffer(), b.GetSize()); }
    void Binary(const unsigned char* p, size_t n) {
        char* o = m_out.Room(2 * n + 3);
        *o++ = '"';
        *o++ = '0';
        for (size_t i = 0; i < n; ++i) {
            *o++ = kHex[p[i] >> 4];
            *o++ = kHex[p[i] & 15];
        }
        *o++ = '"';
        m_out.Commit(o);
    }

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
    void Number(uint32_t mark) {
        m_out.push_back('#');
        Int(mark);
    }

    // The records of a packed batch, its places numbered by marks (0: a deleted kept instance, which has
    // no line and leaves no reference behind).
    void Packed(const PackedRun& run, const std::vector<uint32_t>& marks, const CzorStepData& store) {
        RunDecoder in(run, store);
        for (uint32_t place = 0; place < run.count && !in.AtEnd(); ++place) {
            const CzorEntity* e = in.Begin();
            if (!e) return;
            const bool shown = marks[place] != 0;
            const size_t at = m_out.size();
            if (shown) {
                Number(marks[place]);
                m_out.push_back('=');
                m_out.append(e->GetUpperName());
                m_out.push_back('(');
            }
            for (int k = 0; k < e->GetAttrCount(); ++k) {
                if (k) m_out.push_back(',');
                PackedValue(in.Value(k), place, marks);
            }
            if (!shown) { m_out.resize(at); continue; }
            m_out.append(");\n");
            if (!Drain()) return;
        }
    }

    void PackedRef(RecordReader& in, unsigned char tag, uint32_t place, const std::vector<uint32_t>& marks,
                   bool inList, bool& first) {
        uint32_t mark = 0;
        if (tag == RecordReader::kRefIn) {
            const int64_t target = static_cast<int64_t>(place) + in.SignedVarint();
            mark = target >= 0 && static_cast<uint64_t>(target) < marks.size() ? marks[static_cast<size_t>(target)] : 0;
        } else if (tag == RecordReader::kRefOut) {
            const CzorInstance* i = in.Pointer();
            mark = i && !i->IsDeleted() ? zorStoreAccess::Mark(const_cast<CzorInstance*>(i)) : 0;
        }
        if (inList) {
            if (!mark) return;  // as with a live list: a deleted instance leaves no entry behind
            if (!first) m_out.push_back(',');
            first = false;
        }
        if (mark) Number(mark);
        else m_out.push_back('$');
    }

    void PackedValue(RecordReader& in, uint32_t place, const std::vector<uint32_t>& marks) {
        const unsigned char tag = in.Byte();
        bool first = true;
        switch (tag) {
        case RecordReader::kInt: Int(in.SignedVarint()); break;
        case RecordReader::kReal: Real(in.Real()); break;
        case RecordReader::kText: Text(in.Bytes()); break;
        case RecordReader::kFalse: m_out.append(".F."); break;
        case RecordReader::kTrue: m_out.append(".T."); break;
        case RecordReader::kBinary: {
            const std::string_view b = in.Bytes();
            Binary(reinterpret_cast<const unsigned char*>(b.data()), b.size());
            break;
        }
        case RecordReader::kRefIn:
        case RecordReader::kRefOut: PackedRef(in, tag, place, marks, false, first); break;
        case RecordReader::kList: {
            m_out.push_back('(');
            for (uint64_t n = in.Varint(); n > 0 && !in.AtEnd(); --n) PackedRef(in, in.Byte(), place, marks, true, first);
            m_out.push_back(')');
            break;
        }
        default: m_out.push_back('$'); break;
        }
    }

    OutBuf& Out() { return m_out; }

private:
    const StepSink& m_sink;
    OutBuf m_out;
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
            const bool isKept = k < run.keptAt.size() && run.keptAt[k] == place;
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
        for (size_t k = 0; k < run->kept.size(); ++k) zorStoreAccess::Mark(run->kept[k]) = marks[run->keptAt[k]];
        for (uint32_t m : marks) n = std::max(n, m);
    }

    Writer w(sink);
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
            w.Packed(*run, marks, store);
            if (!w.Drain()) return false;
            continue;
        }
        CzorEntity* e = inst->GetEntity();
        out.push_back('#');
        w.Int(zorStoreAccess::Mark(inst));
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
