// The request function of every command: what it sends, what it reads back and where that goes.
#include <cstring>

#include "zorStepData/CzorData_Client/transport_client.h"

using namespace zor::net;

namespace {

// A byte field of the reply into the caller's buffer of `capacity` bytes; false when it is longer
// (a negative capacity takes nothing, not even an empty field) or the caller gave no buffer for
// bytes that came.
bool FitsBuffer(const WireField& f, const void* dest, int capacity) {
    return capacity >= 0 && f.size <= static_cast<size_t>(capacity) && (!f.size || dest);
}
void CopyField(const WireField& f, void* dest) {
    if (f.size) std::memcpy(dest, f.data, f.size);
}
WireField BodyOf(const CzorDataBuf& body) { return WireField::Of(body.GetBuffer(), body.GetSize()); }

}  // namespace

bool CTransportSocketClient::Exchange(Command command, int& status, std::span<const WireField> request,
                                      const std::function<bool(const WireField*)>& take, bool single) {
    const CommandShape& shape = ShapeOf(command);
    if (!FieldsFit(shape.request, request.data(), request.size())) {
        status = ZOR_NET_CLI_MISSED_DATA;
        return false;
    }
    return RunRequest(
        shape, status,
        [&](CzorDataBuf& buf) {
            WriteFields(shape.request, request.data(), request.size(), [&](const void* p, size_t n) { buf.Add(p, n); });
        },
        [&](CzorDataBuf& buf) {
            // Nothing reaches the caller until every field of the reply has been read.
            WireField got[kMaxFields];
            WireReader r(buf.GetCurBuffer(), buf.GetRemaining());
            if (!ReadFields(shape.reply, r, got)) return false;
            buf.Skip(r.Pos());
            return !take || take(got);
        },
        single);
}

// Commands that send a body (or none) and may hand one out.
bool CTransportSocketClient::BodyRequest(Command command, int& status, CzorDataBuf* body, CzorDataBuf* reply,
                                         bool single) {
    const WireField sent = body ? BodyOf(*body) : WireField{};
    return Exchange(command, status, std::span(&sent, body ? 1 : 0), [&](const WireField* got) {
        if (reply) reply->SetExternalData(got[0].data, got[0].size);
        return true;
    }, single);
}

bool CTransportSocketClient::RequestBaseList(int& status, CzorDataBuf& reply) {
    return BodyRequest(kCmdBaseList, status, nullptr, &reply);
}
bool CTransportSocketClient::RequestEndBlobWrite(int& status) { return BodyRequest(kCmdEndBlobWrite, status, nullptr, nullptr); }
bool CTransportSocketClient::RequestEndBlobRead(int& status) { return BodyRequest(kCmdEndBlobRead, status, nullptr, nullptr); }

bool CTransportSocketClient::RequestReadBlobPortion(int& status, int& count, void* dest, int& last) {
    const int capacity = count;
    return Exchange(kCmdReadBlobPortion, status, {WireField::Int(capacity)}, [&](const WireField* got) {
        if (!FitsBuffer(got[0], dest, capacity)) return false;
        CopyField(got[0], dest);
        count = static_cast<int>(got[0].size);
        last = got[1].value;
        return true;
    });
}

bool CTransportSocketClient::RequestWriteBlobPortion(int& status, int count, const void* data, int last) {
    if (count < 0 || (count && !data)) {
        status = ZOR_NET_CLI_MISSED_DATA;
        return false;
    }
    return Exchange(kCmdWriteBlobPortion, status,
                    {WireField::Of(data, static_cast<size_t>(count)), WireField::Int(last)}, nullptr);
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
    return Exchange(kCmdOpenBlob, status,
                    {WireField::Of(serverName, static_cast<size_t>(serverNameLength)),
                     WireField::Of(clientName, static_cast<size_t>(clientNameLength)),
                     WireField::Int(portionSize ? *portionSize : 0), WireField::Int(totalSize ? *totalSize : 0)},
                    [&](const WireField* got) {
                        if (!FitsBuffer(got[0], serverName, capacity)) return false;
                        CopyField(got[0], serverName);
                        serverNameLength = static_cast<int>(got[0].size);
                        if (totalSize) *totalSize = got[1].value;
                        return true;
                    });
}

bool CTransportSocketClient::RequestLoadDelInst(int& status, CzorDataBuf& reply) {
    return BodyRequest(kCmdLoadDelInst, status, nullptr, &reply);
}

bool CTransportSocketClient::RequestServerDateTime(int& status, void* dateTime) {
    return Exchange(kCmdServerDateTime, status, {}, [&](const WireField* got) {
        if (dateTime) std::memcpy(dateTime, got[0].data, kFixedFieldSize);
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
    return Exchange(kCmdDictionary, status, {}, [&](const WireField* got) {
        if (!FitsBuffer(got[0], data1, data1 ? m_dictCap1 : 0) || !FitsBuffer(got[1], data2, data2 ? m_dictCap2 : 0))
            return false;
        CopyField(got[0], data1);
        CopyField(got[1], data2);
        length1 = static_cast<int>(got[0].size);
        length2 = static_cast<int>(got[1].size);
        return true;
    });
}

bool CTransportSocketClient::RequestTestUniqueAttrValues(int& status, CzorDataBuf& body) {
    return BodyRequest(kCmdTestUniqueAttrValues, status, &body, nullptr);
}
bool CTransportSocketClient::RequestFindInstances(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdFindInstances, status, &body, &reply);
}

bool CTransportSocketClient::RequestOperateOracleIndex(int& status, int attributeId, int flag) {
    return Exchange(kCmdOperateOracleIndex, status, {WireField::Int(attributeId), WireField::Int(flag)}, nullptr);
}

bool CTransportSocketClient::RequestTest(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    // A single attempt that hands out the body whatever the status.
    return BodyRequest(kCmdTest, status, &body, &reply);
}
bool CTransportSocketClient::RequestInstUserDataTimeInfo(int& status, CzorDataBuf& body, CzorDataBuf& reply) {
    return BodyRequest(kCmdInstUserDataTimeInfo, status, &body, &reply);
}
bool CTransportSocketClient::RequestDisconnect(int& status) {
    return BodyRequest(kCmdDisconnect, status, nullptr, nullptr);
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
    return BodyRequest(kCmdSaveChanges, status, &empty, &reply, true);
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
    const CommandShape& shape = ShapeOf(kCmdLogin);
    const WireField sent = WireField::Of(m_login.bytes, static_cast<size_t>(blockLength));
    for (;;) {
        CzorDataBuf buf;
        BuildRequestHeader(buf, kCmdLogin, shape.request);
        if (m_version == 2) buf.Add(static_cast<int8_t>(0));
        WriteFields(shape.request, &sent, 1, [&](const void* p, size_t n) { buf.Add(p, n); });
        if (!Call(buf, nullptr, shape.waitWindow, shape.reconnect)) {
            status = m_lastError;
            return false;
        }
        status = CheckReplyHeader(buf, kCmdLogin, shape.reply);
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
