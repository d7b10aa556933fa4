#include "platform/zordata/value.h"

#include <cstring>
#include <new>

#include "platform/zordata/aggr.h"
#include "platform/zordata/databuf.h"

namespace {
char* CopyText(const char* text, size_t len) {
    char* s = new char[len + 1];
    if (len) std::memcpy(s, text, len);
    s[len] = '\0';
    return s;
}
}  // namespace

CzorValue::CzorValue(const CzorValue& other) : CzorValue() { Set(other); }

// A text that lives in a store's arena is copied rather than taken, so that it never
// outlives the store in a value of its own.
CzorValue::CzorValue(CzorValue&& other) noexcept : m_Type(other.m_Type), m_Flags(0) {
    m_u.raw = other.m_u.raw;
    if (other.m_Flags & kArenaText) {
        m_u.raw = 0;
        m_Type = zorNOTYPE;
        Set(other);
        return;
    }
    other.ResetPayload();
}

CzorValue& CzorValue::operator=(CzorValue&& other) noexcept {
    if (this == &other) return *this;
    if (other.m_Flags & kArenaText) {
        Set(other);
        return *this;
    }
    Clear();
    m_Type = other.m_Type;
    m_u.raw = other.m_u.raw;
    other.ResetPayload();
    return *this;
}

void CzorValue::FreeOwned() {
    switch (m_Type) {
    case zorSTRING:
        if (!(m_Flags & kArenaText)) delete[] m_u.str;
        break;
    case zorBINARY: delete m_u.buf; break;
    case zorAGGREGATE: delete m_u.aggr; break;
    default: break;
    }
}

void CzorValue::Set(int v) { Clear(); m_Type = zorINTEGER; m_u.i = v; }
void CzorValue::Set(double v) { Clear(); m_Type = zorREAL; m_u.r = v; }
void CzorValue::Set(bool v) { Clear(); m_Type = zorBOOLEAN; m_u.b = v; }
void CzorValue::Set(char v) { Clear(); m_Type = zorCHARACTER; m_u.c = v; }

void CzorValue::Set(CzorInstance* inst) {
    Clear();
    if (inst) { m_Type = zorINSTANCE; m_u.inst = inst; }
}

void CzorValue::Set(const char* text) {
    if (!text) { Clear(); return; }
    SetText(text, std::strlen(text));
}

void CzorValue::Set(const std::string& text) { SetText(text.data(), text.size()); }

void CzorValue::SetText(const char* text, size_t len) {
    char* s = CopyText(text, len);  // before Clear: text may be this value's own
    Clear();
    m_Type = zorSTRING;
    m_u.str = s;
}

void CzorValue::Set(const CzorDataBuf& bytes) {
    auto* b = new CzorDataBuf(bytes);
    b->Begin();
    Clear();
    m_Type = zorBINARY;
    m_u.buf = b;
}

void CzorValue::SetBinary(const void* data, size_t size) {
    auto* b = new CzorDataBuf;
    if (size) b->Add(data, size);
    Clear();
    m_Type = zorBINARY;
    m_u.buf = b;
}

void CzorValue::Set(const CzorAggr& list) {
    auto* a = new CzorAggr(list);
    Clear();
    m_Type = zorAGGREGATE;
    m_u.aggr = a;
}

void CzorValue::Set(const CzorValue& other) {
    if (this == &other) return;
    switch (other.m_Type) {
    case zorSTRING: SetText(other.m_u.str, std::strlen(other.m_u.str)); break;
    case zorBINARY: Set(*other.m_u.buf); break;
    case zorAGGREGATE: Set(*other.m_u.aggr); break;
    default:
        Clear();
        m_Type = other.m_Type;
        m_u.raw = other.m_u.raw;
        break;
    }
}

bool CzorValue::Get(int& v) const {
    v = 0;
    if (m_Type != zorINTEGER) return false;
    v = m_u.i;
    return true;
}

bool CzorValue::Get(double& v) const {
    v = 0.0;
    if (m_Type != zorREAL) return false;
    v = m_u.r;
    return true;
}

bool CzorValue::Get(std::string& v) const {
    v.clear();
    if (m_Type != zorSTRING) return false;
    v = m_u.str;
    return true;
}

bool CzorValue::Get(CzorInstance*& v) const {
    v = nullptr;
    if (m_Type != zorINSTANCE) return false;
    v = m_u.inst;
    return true;
}

bool CzorValue::Get(bool& v) const {
    v = false;
    if (m_Type != zorBOOLEAN) return false;
    v = m_u.b;
    return true;
}

bool CzorValue::Get(char& v) const {
    v = '\0';
    if (m_Type != zorCHARACTER) return false;
    v = m_u.c;
    return true;
}

bool CzorValue::Get(CzorDataBuf** buf) const {
    if (!buf) return false;
    *buf = nullptr;
    if (m_Type != zorBINARY) return false;
    *buf = m_u.buf;
    return true;
}

bool CzorValue::IsEqu(const CzorValue& other) const {
    if (m_Type != other.m_Type) return false;
    switch (m_Type) {
    case zorNOTYPE: return true;
    case zorINSTANCE: return m_u.inst == other.m_u.inst;
    case zorINTEGER: return m_u.i == other.m_u.i;
    case zorREAL: return m_u.r == other.m_u.r;
    case zorSTRING: return std::strcmp(m_u.str, other.m_u.str) == 0;
    case zorBOOLEAN: return m_u.b == other.m_u.b;
    case zorCHARACTER: return m_u.c == other.m_u.c;
    case zorBINARY: return m_u.buf->IsEqu(*other.m_u.buf);
    case zorAGGREGATE: return m_u.aggr->IsEqu(*other.m_u.aggr);
    default: return m_u.raw == other.m_u.raw;
    }
}
