#pragma once
// Little-endian fields of the protocol messages, written and read with every read checked: a
// message from the network is never trusted to be as long as its fields claim.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zor::net {

// The protocol's command codes.
enum Command : int32_t {
    kCmdBaseList = 12, kCmdEndBlobWrite = 20, kCmdEndBlobRead = 21, kCmdReadBlobPortion = 22,
    kCmdWriteBlobPortion = 23, kCmdOpenBlob = 24, kCmdLogin = 25, kCmdLoadDelInst = 27, kCmdServerDateTime = 28,
    kCmdActiveUserList = 29, kCmdSaveChanges = 31, kCmdQueryExecute = 32, kCmdSetGroupAccess = 33,
    kCmdGetGroupAccess = 34, kCmdDictionary = 35, kCmdTestUniqueAttrValues = 36, kCmdFindInstances = 37,
    kCmdOperateOracleIndex = 38, kCmdTest = 39, kCmdInstUserDataTimeInfo = 40, kCmdDisconnect = 41,
    kCmdUsersLog = 42, kCmdLoad = 43, kCmdWriteLog = 44,
};

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

// A request header as the server sees it.
struct RequestHeader {
    int32_t version = 0;
    int32_t command = 0;
    std::string signature;
};
// Reads version, command, signature and, in version 2, the trailer byte. False when the message
// is shorter than its header claims or the signature length is negative or absurd.
bool ReadRequestHeader(WireReader& r, RequestHeader& h);

}  // namespace zor::net
