#pragma once
// How the exchange files spell values (inner to the store): the file writer and the packing of batches
// share it, so that a packed record is the very text the instance would have been written as.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace zor_detail {

// The text on its way to its sink: a plain array written through a cursor, as a file of a million lines
// is mostly numbers and short words, each too short to be worth a call.
class OutBuf {
public:
    explicit OutBuf(size_t capacity) : m_data(new char[capacity]), m_cap(capacity) {}
    size_t size() const { return m_len; }
    bool empty() const { return m_len == 0; }
    const char* data() const { return m_data.get(); }
    char* data() { return m_data.get(); }
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

namespace step_format {

inline constexpr char kHex[] = "0123456789ABCDEF";

// Instance numbers and small values make up most of a file: counted first (from the bit length, then one
// comparison), then written two digits at a time from the back, straight into place.
inline char* Unsigned(char* o, unsigned long long u) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    static constexpr auto kPowers = [] {
        std::array<unsigned long long, 20> p{};
        p[0] = 1;
        for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
        return p;
    }();
    // 1233 / 4096 is log10(2) to within what 64 bits can show: u has t digits below 10^t, t + 1 from it on.
    const unsigned long long one = u | 1;
    const unsigned t = (static_cast<unsigned>(64 - __builtin_clzll(one)) * 1233) >> 12;
    const size_t n = t + 1 - (one < kPowers[t] ? 1 : 0);
    char* const end = o + n;
    char* d = end;
    while (u >= 100) {
        const unsigned pair = static_cast<unsigned>(u % 100) * 2;
        u /= 100;
        *--d = kPairs[pair + 1];
        *--d = kPairs[pair];
    }
    if (u >= 10) {
        const unsigned pair = static_cast<unsigned>(u) * 2;
        *--d = kPairs[pair + 1];
        *--d = kPairs[pair];
    } else {
        *--d = static_cast<char>('0' + u);
    }
    return end;
}

// The cursor forms write at o, which has room for what they may write (noted with each), and return the
// end: a record's room is made once, so that nothing between its values reloads the buffer's state.

// At most 21 characters.
inline char* PutInt(char* o, long long v) {
    unsigned long long u = static_cast<unsigned long long>(v);
    if (v < 0) {
        *o++ = '-';
        u = 0 - u;
    }
    return Unsigned(o, u);
}

// At most 21 characters.
inline char* PutNumber(char* o, unsigned long long mark) {
    *o++ = '#';
    return Unsigned(o, mark);
}

// Reals always carry a point ("1.", "2.5", "1.E+20") and read back to the same double. A finite value
// only, in at most 40 characters.
inline char* PutReal(char* o, double v) {
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string_view s(buf, static_cast<size_t>(r.ptr - buf));
    const size_t e = s.find('e');
    std::string_view mant = s.substr(0, e);
    std::memcpy(o, mant.data(), mant.size());
    o += mant.size();
    if (mant.find('.') == std::string_view::npos) *o++ = '.';
    if (e != std::string_view::npos) {
        *o++ = 'E';
        std::string_view exp = s.substr(e + 1);
        std::memcpy(o, exp.data(), exp.size());
        o += exp.size();
    }
    return o;
}

// A character below a space, the quote, the backslash and DEL are escaped; UTF-8 passes as it is. At
// most 4 characters a byte and 2 ("\X\hh" is the longest form of one byte).
inline char* PutText(char* o, std::string_view s) {
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
    return o;
}

// At most 2 characters a byte and 3.
inline char* PutBinary(char* o, const unsigned char* p, size_t n) {
    *o++ = '"';
    *o++ = '0';
    for (size_t i = 0; i < n; ++i) {
        *o++ = kHex[p[i] >> 4];
        *o++ = kHex[p[i] & 15];
    }
    *o++ = '"';
    return o;
}

inline void Int(OutBuf& out, long long v) { out.Commit(PutInt(out.Room(21), v)); }
inline void Number(OutBuf& out, unsigned long long mark) { out.Commit(PutNumber(out.Room(21), mark)); }
// False for a real that is not finite, which a file cannot hold.
inline bool Real(OutBuf& out, double v) {
    if (!std::isfinite(v)) return false;
    out.Commit(PutReal(out.Room(40), v));
    return true;
}
inline void Text(OutBuf& out, std::string_view s) { out.Commit(PutText(out.Room(4 * s.size() + 2), s)); }
inline void Binary(OutBuf& out, const unsigned char* p, size_t n) { out.Commit(PutBinary(out.Room(2 * n + 3), p, n)); }

}  // namespace step_format

}  // namespace zor_detail
