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
#include "platform/zordata/store_internal.h"

namespace zor_detail {

namespace {

const char kHex[] = "0123456789ABCDEF";

// Fills a bounded buffer and hands each full block to the sink, so that a report of any size costs one
// block of memory on its way to the file.
class Writer {
public:
    explicit Writer(const StepSink& sink) : m_sink(sink) { m_out.reserve(kBlock + kBlock / 4); }

    static constexpr size_t kBlock = 1 << 20;

    // Passes the buffer on once it holds a block; false once the sink has refused one.
    bool Drain(bool all = false) {
        if (m_failed) return false;
        if (m_out.size() >= kBlock || (all && !m_out.empty())) {
            if (!m_sink(m_out)) m_failed = true;
            m_out.clear();
        }
        return !m_failed;
    }

    void Int(long long v) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        m_out.append(buf, static_cast<size_t>(r.ptr - buf));
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

    void Text(const char* s) {
        m_out.push_back('\'');
        const char* run = s;
        for (const char* p = s;; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c >= 0x20 && c != '\'' && c != '\\' && c != 0x7F) continue;
            m_out.append(run, static_cast<size_t>(p - run));
            if (c == 0) break;
            if (c == '\'') m_out.append("''");
            else if (c == '\\') m_out.append("\\\\");
            else {
                m_out.append("\\X\\");
                m_out.push_back(kHex[c >> 4]);
                m_out.push_back(kHex[c & 15]);
            }
            run = p + 1;
        }
        m_out.push_back('\'');
    }

    void Binary(const CzorDataBuf& b) {
        m_out.append("\"0");
        const unsigned char* p = b.GetBuffer();
        const size_t n = b.GetSize();
        const size_t at = m_out.size();
        m_out.resize(at + 2 * n);
        char* o = m_out.data() + at;
        for (size_t i = 0; i < n; ++i) {
            o[2 * i] = kHex[p[i] >> 4];
            o[2 * i + 1] = kHex[p[i] & 15];
        }
        m_out.push_back('"');
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
        m_out.push_back('#');
        Int(zorStoreAccess::Mark(const_cast<CzorInstance*>(i)));
    }

    std::string& Out() { return m_out; }

private:
    const StepSink& m_sink;
    std::string m_out;
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
    uint32_t n = 0;
    for (CzorInstance* i : order) zorStoreAccess::Mark(i) = i->IsDeleted() ? 0 : ++n;

    Writer w(sink);
    std::string& out = w.Out();
    // The third edition's level "3;1": strings hold UTF-8 as it is, so files stay readable and diffable.
    out.append("ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'3;1');\nFILE_NAME(");
    w.Text(name.c_str());
    out.push_back(',');
    w.Text(TimeStamp(zor::Now()).c_str());
    out.append(",(''),(''),'','','');\nFILE_SCHEMA((");
    w.Text(ToUpper(store.GetDictName()).c_str());
    out.append("));\nENDSEC;\nDATA;\n");
    for (CzorInstance* inst : order) {
        if (inst->IsDeleted()) continue;
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
