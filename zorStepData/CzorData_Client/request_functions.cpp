// The request function of every command: what it sends, what it reads back and where that goes.
#include <cstring>

#include "zorStepData/CzorData_Client/transport_client.h"

using namespace zor::net;

namespace {

void AddField(CzorDataBuf& buf, const void* data, int length) {
    buf.Add(static_cast<int32_t>(length));
    if (length > 0) buf.Add(data, static_cast<size_t>(length));
}

// Reads an int32 count and a view of that many bytes; a count that is negative, above the
// capacity of the caller's buffer or beyond the reply fails. Nothing reaches the caller's buffers
// until every field of the reply has been read (CopyCounted).
struct Counted {
    int count = 0;
    const unsigned char* bytes = nullptr;
};
bool ReadCounted(CzorDataBuf& buf, Counted& out, const void* dest, int capacity) {
    int32_t n = 0;
    if (!buf.Read(n) || n < 0 || n > capacity || static_cast<size_t>(n) > buf.GetRemaining() || (n && !dest)) return false;
    out.count = n;
    out.bytes = buf.GetCurBuffer();
    return buf.Skip(static_cast<size_t>(n));
}
void CopyCounted(const Counted& c, void* dest) {
    if (c.count) std::memcpy(dest, c.bytes, static_cast<size_t>(c.count));
}

}  // namespace

// Commands that send a body (or none) and may hand one out.
bool CTransportSocketClient::BodyRequest(int command, int& status, CzorDataBuf* body, CzorDataBuf* reply, bool repeat) {
    Shape shape{command, body ? "lb" : "", reply ? "lb" : ""};
    shape.flag1 = command != kCmdSaveChanges;
    shape.repeat = repeat;
    return RunRequest(
        shape, status,
        [&](CzorDataBuf& buf) {
            if (body) AddField(buf, body->GetBuffer(), static_cast<int>(body->GetSize()));
        },
        [&](CzorDataBuf& buf) { return !reply || ReadReplyBody(buf, *reply); });
}

bool CTransportSocketClient::RequestBaseList(int& status, CzorDataBuf& reply) {
    return BodyRequest(kCmdBaseList, status, nullptr, &reply);
}
bool CTransportSocketClient::RequestEndBlobWrite(int& status) { return BodyRequest(kCmdEndBlobWrite, status, nullptr, nullptr); }
bool CTransportSocketClient::RequestEndBlobRead(int& status) { return BodyRequest(kCmdEndBlobRead, status, nullptr, nullptr); }

bool CTransportSocketClient::RequestReadBlobPortion(int& status, int& count, void* dest, int& last) {
    const int capacity = count;
    return RunRequest(
        {kCmdReadBlobPortion, "l", "lbl"}, status, [&](CzorDataBuf& buf) { buf.Add(static_cast<int32_t>(capacity)); },
        [&](CzorDataBuf& buf) {
            Counted got;
            int32_t l = 0;
            if (!ReadCounted(buf, got, dest, capacity) || !buf.Read(l)) return false;
            CopyCounted(got, dest);
            count = got.count;
            last = l;
            return true;
        });
}

bool CTransportSocketClient::RequestWriteBlobPortion(int& status, int count, const void* data, int last) {
    if (count < 0 || (count && !data)) {
        status = ZOR_NET_CLI_MISSED_DATA;
        return false;
    }
    return RunRequest({kCmdWriteBlobPortion, "lbl", ""}, status,
                      [&](CzorDataBuf& buf) {
                          AddField(buf, data, count);
                          buf.Add(static_cast<int32_t>(last));
                      },
                      nullptr);
}

bool CTransportSocketClient::RequestOpenBlob(int& status, int& serverNameLength, void* serverName, int clientNameLength,
                                             const void* clientName, int* portionSize, int* totalSize) {
    if (serverNameLength < 0 || clientNameLength < 0 || (clientNameLength && !clientName) ||
        (serverNameLength && !serverName)) {
        status = ZOR_NET_CLI_MISSED_DATA;
        return false;
    }
    // The server's name comes back into the same buffer: its length sent is its capacity.
    const int capacity = serverNameLength;
    return RunRequest(
        {kCmdOpenBlob, "lblbll", "lbl"}, status,
        [&](CzorDataBuf& buf) {
            AddField(buf, serverName, serverNameLength);
            AddField(buf, clientName, clientNameLength);
            buf.Add(static_cast<int32_t>(portionSize ? *portionSize : 0));
            buf.Add(static_cast<int32_t>(totalSize ? *totalSize : 0));
        },
        [&](CzorDataBuf& buf) {
            Counted got;
            int32_t total = 0;
            if (!ReadCounted(buf, got, serverName, capacity) || !buf.Read(total)) return false;
            CopyCounted(got, serverName);
            serverNameLength = got.count;
            if (totalSize) *totalSize = total;
            return true;
        });
}

bool CTransportSocketClient::RequestLoadDelInst(int& status, CzorDataBuf& reply) {
    return BodyRequest(kCmdLoadDelInst, status, nullptr, &reply);
}

bool CTransportSocketClient::RequestServerDateTime(int& status, void* dateTime) {
    return RunRequest({kCmdServerDateTime, "", "b"}, status, nullptr, [&](CzorDataBuf& buf) {
        unsigned char d[8];
        if (!buf.Read(d, sizeof d)) return false;
        if (dateTime) std::memcpy(dateTime, d, sizeof d);
        return true;
    });
}

bool CTransportSocketClient::RequestActiveUserList(int& status, CzorDataBuf& reply) {
    return BodyRequest(kCmdActiveUserList, status, nullptr, &reply);
}
bool CTransportSocketClient::RequestSaveChanges(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdSaveChanges, status, &body, &reply);
}
bool CTransportSocketClient::RequestQueryExecute(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdQueryExecute, status, &body, &reply);
}
bool CTransportSocketClient::RequestSetGroupAccess(int& status, CzorDataBuf& body) {
    return BodyRequest(kCmdSetGroupAccess, status, &body, nullptr);
}
bool CTransportSocketClient::RequestGetGroupAccess(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdGetGroupAccess, status, &body, &reply);
}

bool CTransportSocketClient::RequestDictionary(int& status, int& length1, void* data1, int& length2, void* data2) {
    return RunRequest({kCmdDictionary, "", "lblb"}, status, nullptr, [&](CzorDataBuf& buf) {
        Counted a, b;
        if (!ReadCounted(buf, a, data1, data1 ? m_dictCap1 : 0) || !ReadCounted(buf, b, data2, data2 ? m_dictCap2 : 0))
            return false;
        CopyCounted(a, data1);
        CopyCounted(b, data2);
        length1 = a.count;
        length2 = b.count;
        return true;
    });
}

bool CTransportSocketClient::RequestTestUniqueAttrValues(int& status, CzorDataBuf& body) {
    return BodyRequest(kCmdTestUniqueAttrValues, status, &body, nullptr, false);
}
bool CTransportSocketClient::RequestFindInstances(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdFindInstances, status, &body, &reply);
}

bool CTransportSocketClient::RequestOperateOracleIndex(int& status, int attributeId, int flag) {
    Shape shape{kCmdOperateOracleIndex, "ll", ""};
    shape.repeat = false;
    return RunRequest(
        shape, status,
        [&](CzorDataBuf& buf) {
            buf.Add(static_cast<int32_t>(attributeId));
            buf.Add(static_cast<int32_t>(flag));
        },
        nullptr);
}

bool CTransportSocketClient::RequestTest(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    // A single attempt that hands out the body whatever the status.
    return BodyRequest(kCmdTest, status, &body, &reply, false);
}
bool CTransportSocketClient::RequestInstUserDataTimeInfo(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdInstUserDataTimeInfo, status, &body, &reply);
}
bool CTransportSocketClient::RequestDisconnect(int& status) {
    return BodyRequest(kCmdDisconnect, status, nullptr, nullptr, false);
}
bool CTransportSocketClient::RequestUsersLog(int& status, CzorDataBuf& reply) {
    return BodyRequest(kCmdUsersLog, status, nullptr, &reply);
}
bool CTransportSocketClient::RequestLoad(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdLoad, status, &body, &reply);
}
bool CTransportSocketClient::RequestWriteLog(int& status, CzorDataBuf& body) {
    return BodyRequest(kCmdWriteLog, status, &body, nullptr);
}
bool CTransportSocketClient::RequestKeepAlive(int& status) {
    CzorDataBuf empty, reply;
    return BodyRequest(kCmdSaveChanges, status, &empty, &reply, false);
}

bool CTransportSocketClient::RequestLogin(int& status, int& blockLength, LoginBlock* block, bool* canFindInBlob) {
    if (blockLength == 0) blockLength = static_cast<int>(kLoginBlockSize);
    if (blockLength < 0 || static_cast<size_t>(blockLength) > kLoginBlockSize) {
        status = ZOR_NET_CLI_MISSED_DATA;
        return false;
    }
    if (block) {
        // Texts, the address and the last field come from the caller; the two fields the server
        // fills keep what its last reply said.
        std::memcpy(m_login.bytes, block->bytes, 3 * kLoginTextSize);
        m_login.Set(kLoginAddressOffset, block->Get(kLoginAddressOffset));
        m_login.Set(kLoginReserved2Offset, block->Get(kLoginReserved2Offset));
    }
    if (m_inReconnect == false) CheckIdleLoss();
    if (!IsConnected()) {
        status = m_socket && m_socket->IsOperated() ? ZOR_SOCK_OPERATION_IN_PROGRESS : ZOR_NET_SRV_NOT_CONNECT;
        return false;
    }
    for (;;) {
        CzorDataBuf buf;
        BuildRequestHeader(buf, kCmdLogin, "lb");
        if (m_version == 2) buf.Add(static_cast<int8_t>(0));
        AddField(buf, m_login.bytes, blockLength);
        if (!Call(buf, nullptr, true, false)) {
            status = m_lastError;
            return false;
        }
        status = CheckReplyHeader(buf, kCmdLogin, "lb");
        // Only the server's own word that it does not know this version makes the client fall
        // back; a garbled version field is a bad reply, not a reason to downgrade for good.
        if (status == ZOR_SOCK_MISSED_VERSION && m_version == 2 && buf.GetSize() >= 20) {
            int32_t x = 0, one = 0, cmd = 0;
            std::memcpy(&x, buf.GetBuffer() + 4, 4);
            std::memcpy(&one, buf.GetBuffer() + 8, 4);
            std::memcpy(&cmd, buf.GetBuffer() + 12, 4);
            int32_t v = 0;
            std::memcpy(&v, buf.GetBuffer(), 4);
            if ((v == 1 || v == 2) && x == 0 && one == 1 && cmd == kCmdLogin) {
                m_version = 1;
                continue;
            }
        }
        if (status != 0) return false;
        int st = 0;
        int32_t length = 0;
        if (!ReadReplyStatus(buf, m_version, st, m_retryOffer)) {
            status = ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
            return false;
        }
        if (!buf.Read(length) || length < 0 || static_cast<size_t>(length) > buf.GetRemaining() ||
            static_cast<size_t>(length) < kLoginBlockSize) {
            // A refusal without the block is still a refusal; a success needs the whole block.
            status = st != 0 ? st : ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
            return st != 0;
        }
        const unsigned char* got = buf.GetCurBuffer();
        m_login.Set(kLoginReserved1Offset, LoadI32(got + kLoginReserved1Offset));
        m_login.Set(kLoginUserIdOffset, LoadI32(got + kLoginUserIdOffset));
        if (block) std::memcpy(block->bytes, got, kLoginBlockSize);
        blockLength = static_cast<int>(kLoginBlockSize);
        buf.Skip(kLoginBlockSize);
        if (static_cast<size_t>(length) > kLoginBlockSize) {
            int32_t n = 0, v = 0;
            if (buf.Read(n) && n == 4 && buf.Read(v) && canFindInBlob) *canFindInBlob = v == 1;
        }
        status = st;
        return true;
    }
}
