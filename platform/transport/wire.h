#pragma once
// Little-endian fields of the protocol messages, written and read with every read checked: a
// message from the network is never trusted to be as long as its fields claim.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/transport/commands.h"

namespace zor::net {

// The login block and its fields.
constexpr size_t kLoginBlockSize = 12304;
constexpr size_t kLoginTextSize = 4096;
constexpr size_t kLoginUserOffset = 0, kLoginPasswordOffset = 4096, kLoginDatabaseOffset = 8192;
constexpr size_t kLoginAddressOffset = 12288, kLoginReserved1Offset = 12292, kLoginUserIdOffset = 12296,
                 kLoginReserved2Offset = 12300;

class WireWriter {
public:
    void I32(int32_t v);
    void U8(uint8_t v) { m_out.push_back(v); }
    void Bytes(const void* data, size_t size);
    // An int32 length and the bytes.
    void Field(const void* data, size_t size);
    void Text(std::string_view s) { Bytes(s.data(), s.size()); }
    std::vector<unsigned char>& Out() { return m_out; }
    const std::vector<unsigned char>& Out() const { return m_out; }

private:
    std::vector<unsigned char> m_out;
};

class WireReader {
public:
    WireReader(const void* data, size_t size) : m_p(static_cast<const unsigned char*>(data)), m_size(size) {}
    bool I32(int32_t& v);
    bool U8(uint8_t& v);
    // A view of the next n bytes (false when fewer are left).
    bool Bytes(size_t n, const unsigned char*& p);
    // An int32 length (0 .. max, never negative) and a view of that many bytes.
    bool Field(const unsigned char*& p, int32_t& length, size_t max = SIZE_MAX);
    size_t Remaining() const { return m_size - m_pos; }
    size_t Pos() const { return m_pos; }

private:
    const unsigned char* m_p;
    size_t m_size;
    size_t m_pos = 0;
};

void StoreI32(unsigned char* p, int32_t v);
int32_t LoadI32(const unsigned char* p);

// One field of a body as its type signature names it (commands.h): an int32 ("l"), a counted byte
// field ("lb") or the fixed bytes of a bare "b". Byte fields are views into a message or into the
// caller's data.
struct WireField {
    int32_t value = 0;
    const unsigned char* data = nullptr;
    size_t size = 0;
    static WireField Int(int32_t v) { return {v, nullptr, 0}; }
    static WireField Of(const void* p, size_t n) { return {0, static_cast<const unsigned char*>(p), n}; }
};
// The bytes of a bare "b": a date-time value.
constexpr size_t kFixedFieldSize = 8;

// Reads the fields `signature` names into out[0 .. FieldCount). False, with the reader where it
// was, when the body ends before them or a count is negative; bytes after them are left unread.
bool ReadFields(std::string_view signature, WireReader& r, WireField* out);
// Writes `fields` as `signature` names them, handing the bytes to `put` in order. False, with
// nothing written, when the fields do not fit the signature (their number, a fixed field's size, a
// count above the int32 range).
template <class Put>
bool WriteFields(std::string_view signature, const WireField* fields, size_t count, Put&& put);

// A request header as the server sees it.
struct RequestHeader {
    int32_t version = 0;
    int32_t command = 0;
    std::string signature;
};
// Reads version, command, signature and, in version 2, the trailer byte. False when the message
// is shorter than its header claims or the signature length is negative or absurd.
bool ReadRequestHeader(WireReader& r, RequestHeader& h);

bool FieldsFit(std::string_view signature, const WireField* fields, size_t count);

template <class Put>
bool WriteFields(std::string_view signature, const WireField* fields, size_t count, Put&& put) {
    if (!FieldsFit(signature, fields, count)) return false;
    for (size_t i = 0, f = 0; i < signature.size(); ++i, ++f) {
        const WireField& field = fields[f];
        if (signature[i] == 'l' && i + 1 < signature.size() && signature[i + 1] == 'b') {
            ++i;
            unsigned char n[4];
            StoreI32(n, static_cast<int32_t>(field.size));
            put(n, sizeof n);
            if (field.size) put(field.data, field.size);
        } else if (signature[i] == 'l') {
            unsigned char v[4];
            StoreI32(v, field.value);
            put(v, sizeof v);
        } else {
            put(field.data, kFixedFieldSize);
        }
    }
    return true;
}

}  // namespace zor::net
