#include "platform/transport/wire.h"

namespace zor::net {

void StoreI32(unsigned char* p, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}

int32_t LoadI32(const unsigned char* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void WireWriter::I32(int32_t v) {
    unsigned char b[4];
    StoreI32(b, v);
    m_out.insert(m_out.end(), b, b + 4);
}

void WireWriter::Bytes(const void* data, size_t size) {
    if (size) m_out.insert(m_out.end(), static_cast<const unsigned char*>(data),
                           static_cast<const unsigned char*>(data) + size);
}

void WireWriter::Field(const void* data, size_t size) {
    I32(static_cast<int32_t>(size));
    Bytes(data, size);
}

bool WireReader::I32(int32_t& v) {
    if (Remaining() < 4) return false;
    v = LoadI32(m_p + m_pos);
    m_pos += 4;
    return true;
}

bool WireReader::U8(uint8_t& v) {
    if (Remaining() < 1) return false;
    v = m_p[m_pos++];
    return true;
}

bool WireReader::Bytes(size_t n, const unsigned char*& p) {
    if (Remaining() < n) return false;
    p = m_p + m_pos;
    m_pos += n;
    return true;
}

bool WireReader::Field(const unsigned char*& p, int32_t& length, size_t max) {
    const size_t start = m_pos;
    int32_t n = 0;
    if (!I32(n) || n < 0 || static_cast<size_t>(n) > max || !Bytes(static_cast<size_t>(n), p)) {
        m_pos = start;
        return false;
    }
    length = n;
    return true;
}

bool ReadFields(std::string_view signature, WireReader& r, WireField* out) {
    WireReader from = r;
    for (size_t i = 0, f = 0; i < signature.size(); ++i, ++f) {
        WireField& field = out[f];
        field = {};
        bool ok = false;
        if (signature[i] == 'l' && i + 1 < signature.size() && signature[i + 1] == 'b') {
            ++i;
            int32_t n = 0;
            ok = from.Field(field.data, n);
            field.size = static_cast<size_t>(n);
        } else if (signature[i] == 'l') {
            ok = from.I32(field.value);
        } else {
            ok = from.Bytes(kFixedFieldSize, field.data);
            field.size = kFixedFieldSize;
        }
        if (!ok) return false;
    }
    r = from;
    return true;
}

bool FieldsFit(std::string_view signature, const WireField* fields, size_t count) {
    if (FieldCount(signature) != count) return false;
    for (size_t i = 0, f = 0; i < signature.size(); ++i, ++f) {
        const bool counted = signature[i] == 'l' && i + 1 < signature.size() && signature[i + 1] == 'b';
        if (counted) {
            ++i;
            if (fields[f].size > static_cast<size_t>(INT32_MAX) || (fields[f].size && !fields[f].data)) return false;
        } else if (signature[i] == 'b' && (fields[f].size != kFixedFieldSize || !fields[f].data)) {
            return false;
        }
    }
    return true;
}

bool ReadRequestHeader(WireReader& r, RequestHeader& h) {
    int32_t n = 0;
    const unsigned char* sig = nullptr;
    if (!r.I32(h.version) || !r.I32(h.command) || !r.I32(n) || n < 0 || n > 256) return false;
    if (!r.Bytes(static_cast<size_t>(n), sig)) return false;
    h.signature.assign(reinterpret_cast<const char*>(sig), static_cast<size_t>(n));
    if (h.version == 2) {
        uint8_t trailer = 0;
        if (!r.U8(trailer)) return false;
    }
    return true;
}

}  // namespace zor::net
