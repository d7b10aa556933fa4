#include "platform/zordata/databuf.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "platform/text/cp1251.h"
#include "platform/zordata/aggr.h"
#include "platform/zordata/instance.h"
#include "platform/zordata/maps.h"
#include "platform/zordata/value.h"

static_assert(sizeof(double) == 8, "reals are 8 bytes on the wire");

namespace {
// The encoding is little-endian whatever the machine.
template <class T>
void PutLE(unsigned char* p, T v) {
    using U = std::make_unsigned_t<T>;
    U u;
    std::memcpy(&u, &v, sizeof u);
    for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}
template <class T>
T GetLE(const unsigned char* p) {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>(u | (static_cast<U>(p[i]) << (8 * i)));
    T v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}
constexpr int kMaxNesting = 8;
}  // namespace

CzorDataBuf::CzorDataBuf(const CzorDataBuf& other) {
    if (other.m_nSize) Add(other.m_pData, other.m_nSize);
    m_nPos = other.m_nPos;
}

CzorDataBuf::CzorDataBuf(CzorDataBuf&& other) noexcept
    : m_pData(other.m_pData), m_nSize(other.m_nSize), m_nCapacity(other.m_nCapacity), m_nPos(other.m_nPos) {
    other.m_pData = nullptr;
    other.m_nSize = other.m_nCapacity = other.m_nPos = 0;
}

CzorDataBuf& CzorDataBuf::operator=(const CzorDataBuf& other) {
    if (this != &other) {
        Clear();
        if (other.m_nSize) Add(other.m_pData, other.m_nSize);
        m_nPos = other.m_nPos;
    }
    return *this;
}

CzorDataBuf& CzorDataBuf::operator=(CzorDataBuf&& other) noexcept {
    if (this != &other) {
        std::free(m_pData);
        m_pData = other.m_pData;
        m_nSize = other.m_nSize;
        m_nCapacity = other.m_nCapacity;
        m_nPos = other.m_nPos;
        other.m_pData = nullptr;
        other.m_nSize = other.m_nCapacity = other.m_nPos = 0;
    }
    return *this;
}

CzorDataBuf::~CzorDataBuf() { std::free(m_pData); }

void CzorDataBuf::Grow(size_t need) {
    if (need <= m_nCapacity) return;
    size_t cap = m_nCapacity ? m_nCapacity : 64;
    while (cap < need) cap = cap * 2;
    auto* p = static_cast<unsigned char*>(std::realloc(m_pData, cap));
    if (!p) throw std::bad_alloc();
    m_pData = p;
    m_nCapacity = cap;
}

void CzorDataBuf::Reserve(size_t size) { Grow(size); }

void CzorDataBuf::Add(const void* data, size_t size) {
    if (!size) return;
    Grow(m_nSize + size);
    std::memcpy(m_pData + m_nSize, data, size);
    m_nSize += size;
}

void CzorDataBuf::Add(int32_t v) { Grow(m_nSize + 4); PutLE(m_pData + m_nSize, v); m_nSize += 4; }
void CzorDataBuf::Add(int16_t v) { Grow(m_nSize + 2); PutLE(m_pData + m_nSize, v); m_nSize += 2; }
void CzorDataBuf::Add(int8_t v) { Grow(m_nSize + 1); m_pData[m_nSize++] = static_cast<unsigned char>(v); }
void CzorDataBuf::Add(char v) { Grow(m_nSize + 1); m_pData[m_nSize++] = static_cast<unsigned char>(v); }
void CzorDataBuf::Add(bool v) { Grow(m_nSize + 1); m_pData[m_nSize++] = v ? 1 : 0; }
void CzorDataBuf::Add(double v) { Grow(m_nSize + 8); PutLE(m_pData + m_nSize, std::bit_cast<int64_t>(v)); m_nSize += 8; }

void CzorDataBuf::Add(const char* text) {
    const size_t len = text ? std::strlen(text) : 0;
    Add(static_cast<int32_t>(len + 1));
    Add(text ? text : "", len);
    Add('\0');
}

void CzorDataBuf::Add(const std::string& text) {
    Add(static_cast<int32_t>(text.size() + 1));
    Add(text.data(), text.size());
    Add('\0');
}

bool CzorDataBuf::Read(void* data, size_t size) {
    if (size > GetRemaining()) return false;
    if (size) std::memcpy(data, m_pData + m_nPos, size);
    m_nPos += size;
    return true;
}

bool CzorDataBuf::Read(int32_t& v) {
    if (GetRemaining() < 4) return false;
    v = GetLE<int32_t>(m_pData + m_nPos);
    m_nPos += 4;
    return true;
}

bool CzorDataBuf::Read(int16_t& v) {
    if (GetRemaining() < 2) return false;
    v = GetLE<int16_t>(m_pData + m_nPos);
    m_nPos += 2;
    return true;
}

bool CzorDataBuf::Read(int8_t& v) {
    if (GetRemaining() < 1) return false;
    v = static_cast<int8_t>(m_pData[m_nPos++]);
    return true;
}

bool CzorDataBuf::Read(char& v) {
    if (GetRemaining() < 1) return false;
    v = static_cast<char>(m_pData[m_nPos++]);
    return true;
}

bool CzorDataBuf::Read(bool& v) {
    if (GetRemaining() < 1 || m_pData[m_nPos] > 1) return false;
    v = m_pData[m_nPos++] != 0;
    return true;
}

bool CzorDataBuf::Read(double& v) {
    if (GetRemaining() < 8) return false;
    v = std::bit_cast<double>(GetLE<int64_t>(m_pData + m_nPos));
    m_nPos += 8;
    return true;
}

bool CzorDataBuf::Read(std::string& text) {
    const size_t start = m_nPos;
    int32_t len = 0;
    if (!Read(len)) return false;
    if (len < 1 || static_cast<size_t>(len) > GetRemaining() || m_pData[m_nPos + static_cast<size_t>(len) - 1] != 0) {
        m_nPos = start;
        return false;
    }
    text.assign(reinterpret_cast<const char*>(m_pData + m_nPos), static_cast<size_t>(len) - 1);
    m_nPos += static_cast<size_t>(len);
    return true;
}

bool CzorDataBuf::Skip(size_t n) {
    if (n > GetRemaining()) return false;
    m_nPos += n;
    return true;
}

void CzorDataBuf::SetExternalData(const void* data, size_t size) {
    Clear();
    if (data && size) Add(data, size);
}

bool CzorDataBuf::SetSize(size_t size) {
    if (size > m_nSize) {
        Grow(size);
        std::memset(m_pData + m_nSize, 0, size - m_nSize);
    }
    m_nSize = size;
    if (m_nPos > m_nSize) m_nPos = m_nSize;
    return true;
}

bool CzorDataBuf::IsEqu(const CzorDataBuf& other) const {
    return m_nSize == other.m_nSize && (m_nSize == 0 || std::memcmp(m_pData, other.m_pData, m_nSize) == 0);
}

// ---- Values

namespace {

bool AppendValue(CzorDataBuf& buf, const CzorValue& v, const CzorMap* map, zorBufText text, int depth) {
    if (depth > kMaxNesting) return false;
    buf.Add(static_cast<int8_t>(v.GetType()));
    switch (v.GetType()) {
    case zorNOTYPE: return true;
    case zorINSTANCE: {
        long index = 0;
        if (map) {
            if (!map->QGetByIn(reinterpret_cast<long>(v.GetInstance()), index)) return false;
        } else {
            index = v.GetInstance()->GetId();
        }
        buf.Add(static_cast<int32_t>(index));
        return true;
    }
    case zorAGGREGATE: {
        const CzorAggr* a = v.GetAggr();
        buf.Add(static_cast<int32_t>(a->GetSize()));
        for (const CzorValue& item : *a)
            if (!AppendValue(buf, item, map, text, depth + 1)) return false;
        return true;
    }
    case zorINTEGER: buf.Add(static_cast<int32_t>(v.GetInt())); return true;
    case zorREAL: buf.Add(v.GetReal()); return true;
    case zorSTRING:
        if (text == zorBufText::Cp1251) {
            std::string cp;
            if (!zor::Utf8ToCp1251(v.GetString(), cp)) return false;
            buf.Add(cp);
        } else {
            buf.Add(v.GetString());
        }
        return true;
    case zorBOOLEAN: { bool b = false; v.Get(b); buf.Add(static_cast<int8_t>(b ? 1 : 0)); return true; }
    case zorCHARACTER: { char c = 0; v.Get(c); buf.Add(c); return true; }
    case zorBINARY: {
        const CzorDataBuf* b = v.GetBuffer();
        if (b->GetSize() > 0x7fffffffu) return false;
        buf.Add(static_cast<int32_t>(b->GetSize()));
        buf.Add(b->GetBuffer(), b->GetSize());
        return true;
    }
    default: return false;
    }
}

bool ReadValue(CzorDataBuf& buf, CzorValue& v, const std::function<CzorInstance*(int32_t)>& resolve, zorBufText text,
               int depth, const std::function<bool(int32_t)>* leaveOut = nullptr, bool* leftOut = nullptr) {
    v.Clear();
    if (depth > kMaxNesting) return false;
    int8_t type = 0;
    if (!buf.Read(type)) return false;
    switch (type) {
    case zorNOTYPE: return true;
    case zorINSTANCE: {
        int32_t ref = 0;
        if (!buf.Read(ref) || !resolve) return false;
        if (leaveOut && *leaveOut && (*leaveOut)(ref)) {
            if (leftOut) *leftOut = true;
            return true;
        }
        CzorInstance* inst = resolve(ref);
        if (!inst) return false;
        v.Set(inst);
        return true;
    }
    case zorAGGREGATE: {
        int32_t n = 0;
        if (!buf.Read(n) || n < 0 || static_cast<size_t>(n) > buf.GetRemaining()) return false;  // an item takes a byte at least
        CzorAggr list;
        list.Reserve(n);
        CzorValue item;
        for (int32_t i = 0; i < n; ++i) {
            bool left = false;
            if (!ReadValue(buf, item, resolve, text, depth + 1, leaveOut, &left)) return false;
            if (left) {
                // A list of nothing but left-out members is still a list of instances.
                if (list.GetSize() == 0) list.SetType(zorINSTANCE);
                continue;
            }
            if (list.GetSize() == 0) list.SetType(item.GetType());
            list.Add(item);
        }
        v.Set(list);
        return true;
    }
    case zorINTEGER: { int32_t i = 0; if (!buf.Read(i)) return false; v.Set(static_cast<int>(i)); return true; }
    case zorREAL: { double r = 0; if (!buf.Read(r)) return false; v.Set(r); return true; }
    case zorSTRING: {
        std::string s;
        if (!buf.Read(s)) return false;
        v.Set(text == zorBufText::Cp1251 ? zor::Cp1251ToUtf8(s) : s);
        return true;
    }
    case zorBOOLEAN: { bool b = false; if (!buf.Read(b)) return false; v.Set(b); return true; }
    case zorCHARACTER: { char c = 0; if (!buf.Read(c)) return false; v.Set(c); return true; }
    case zorBINARY: {
        int32_t n = 0;
        if (!buf.Read(n) || n < 0 || static_cast<size_t>(n) > buf.GetRemaining()) return false;
        v.SetBinary(buf.GetCurBuffer(), static_cast<size_t>(n));
        buf.Skip(static_cast<size_t>(n));
        return true;
    }
    default: return false;
    }
}

}  // namespace

bool zorAppendBufValue(CzorDataBuf& buf, const CzorValue& value, const CzorMap* map, zorBufText text) {
    const size_t size = buf.GetSize();
    if (AppendValue(buf, value, map, text, 0)) return true;
    buf.SetSize(size);
    return false;
}

bool zorReadBufValue(CzorDataBuf& buf, CzorValue& value, const std::function<CzorInstance*(int32_t)>& resolve,
                     zorBufText text) {
    const size_t pos = buf.GetCurPos();
    if (ReadValue(buf, value, resolve, text, 0)) return true;
    value.Clear();
    buf.Begin();
    buf.Skip(pos);
    return false;
}

bool zorReadBufValueLeavingOut(CzorDataBuf& buf, CzorValue& value, const std::function<CzorInstance*(int32_t)>& resolve,
                               const std::function<bool(int32_t)>& leaveOut, zorBufText text) {
    const size_t pos = buf.GetCurPos();
    if (ReadValue(buf, value, resolve, text, 0, &leaveOut)) return true;
    value.Clear();
    buf.Begin();
    buf.Skip(pos);
    return false;
}
