#pragma once
// CTransportSocketClient: the networked store's connection to our application server. It owns one
// socket client, frames every request in a versioned header, checks every reply, runs the common
// request procedure with the server-driven retry offer, and reconnects with a silent re-login.
//
// Reply bodies that a request function "hands out" are copied into the caller's buffer
// (CzorDataBuf::SetExternalData copies): the socket client's reply is dropped before the function
// returns, so a nested request run from the event pump can never replace a body still in use.
// ClearInternalData stays valid and harmless for callers that call it afterwards.
//
// Texts on the wire are code page 1251, converted here: a text the code page cannot carry is
// refused with 171 before anything is sent.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/transport/net_errors.h"
#include "platform/transport/socket_client.h"
#include "platform/transport/wire.h"
#include "platform/zordata/databuf.h"

// The error record raised inside a connect and caught in the same operation.
struct SzorErrorDescription {
    int code = 0;
    std::string file;
    int line = 0;
    std::string extra;
};

// The socket client class the transport client makes.
class CTransportSocket : public CzorSocketClient {
public:
    ~CTransportSocket() override = default;
};

// The login block: three zero-terminated code page 1251 texts and four int32.
struct LoginBlock {
    unsigned char bytes[zor::net::kLoginBlockSize] = {};
    // Sets user, scrambled password and database (UTF-8, converted). False (171): a text the code
    // page cannot carry, or one that does not fit its 4096 bytes with the terminator.
    bool SetTexts(const std::string& user, const std::string& scrambledPassword, const std::string& database);
    int32_t Get(size_t offset) const { return zor::net::LoadI32(bytes + offset); }
    void Set(size_t offset, int32_t v) { zor::net::StoreI32(bytes + offset, v); }
};

// How the local server is started and waited for; tests replace both.
struct LocalServerStarter {
    // Starts argv detached (no shell); the new process id, or -errno.
    std::function<long(const std::vector<std::string>& argv)> spawn;
    std::function<void(int ms)> sleep;
    int attempts = 500;
    int intervalMs = 300;
};
long SpawnDetached(const std::vector<std::string>& argv);

// Reads a reply's status and, in version 2, its options, retry offer and message; false when the
// reply ends before them.
bool ReadReplyStatus(CzorDataBuf& buf, int version, int& status, uint8_t& offer);

class CTransportSocketClient {
public:
    CTransportSocketClient();
    ~CTransportSocketClient();
    CTransportSocketClient(const CTransportSocketClient&) = delete;
    CTransportSocketClient& operator=(const CTransportSocketClient&) = delete;

    // Framing of one request and one reply.
    bool BuildRequestHeader(CzorDataBuf& buf, int command, const std::string& signature);
    int CheckReplyHeader(CzorDataBuf& buf, int command, const std::string& signature);
    bool Call(CzorDataBuf& buf, CzorDataBuf* extra, bool flag1, bool flag2);
    int GetLastTkvError() const;
    int GetLastError() const { return m_lastError; }
    int GetProtocolVersion() const { return m_version; }

    // Connection (connect, reconnect, local start).
    bool IsFree() const;
    bool IsConnected() const;
    bool Connect(const std::string& host, int port);
    // False only for an empty host or port 0; other failures throw SzorErrorDescription.
    bool ConnectWithServerStart(const std::string& host, int port, const std::string& serverPath, bool endFlag);
    static void ConnectionLostHandler(void* client);
    void OnConnectionLost();
    void DropSocket();
    bool Reconnect(bool ask);
    void ClearInternalData();
    void SetWaitDlgText(const char* text);
    void SetBreak(bool on);
    void SetManageMode(int mode);
    void SetHideMode(bool hide);
    bool GetHideMode() const { return m_hide; }
    std::string GetDescriptionLastError() const;
    void DetachSocket();
    void AttachSocket();
    // The socket handle DetachSocket kept, 0 when none is kept.
    int DetachedSocket() const { return m_detached; }
    static int GetOwnIPv4Address();
    CzorSocketClient* SocketClient() const { return m_socket.get(); }
    bool ServerStopped() const { return m_serverStopped; }

    // Settings of the socket clients this client makes (tests shorten them).
    void SetConnectTimeout(int ms) { m_connectTimeoutMs = ms; }
    // No reply for this long ends a call (0: wait for ever, the interactive program's choice; hide
    // mode and batch runs get kHiddenInactivityMs unless told otherwise).
    void SetInactivityTimeout(int ms) {
        m_inactivityTimeoutMs = ms;
        m_inactivityExplicit = true;
        if (m_socket) m_socket->SetInactivityTimeout(ms);
    }
    static constexpr int kHiddenInactivityMs = 120000;
    void SetPumpHook(std::function<void()> hook) { m_pump = std::move(hook); if (m_socket) m_socket->SetPumpHook(m_pump); }
    LocalServerStarter& Starter() { return m_starter; }

    // Request functions, one per command.
    bool RequestBaseList(int& status, CzorDataBuf& reply);
    bool RequestEndBlobWrite(int& status);
    bool RequestEndBlobRead(int& status);
    bool RequestReadBlobPortion(int& status, int& count, void* dest, int& last);
    bool RequestWriteBlobPortion(int& status, int count, const void* data, int last);
    bool RequestOpenBlob(int& status, int& serverNameLength, void* serverName, int clientNameLength,
                         const void* clientName, int* portionSize, int* totalSize);
    bool RequestLogin(int& status, int& blockLength, LoginBlock* block, bool* canFindInBlob);
    bool RequestLoadDelInst(int& status, CzorDataBuf& reply);
    bool RequestServerDateTime(int& status, void* dateTime);
    bool RequestActiveUserList(int& status, CzorDataBuf& reply);
    bool RequestSaveChanges(int& status, CzorDataBuf& body, CzorDataBuf& reply);
    bool RequestQueryExecute(int& status, CzorDataBuf& body, CzorDataBuf& reply);
    bool RequestSetGroupAccess(int& status, CzorDataBuf& body);
    bool RequestGetGroupAccess(int& status, CzorDataBuf& body, CzorDataBuf& reply);
    bool RequestDictionary(int& status, int& length1, void* data1, int& length2, void* data2);
    bool RequestTestUniqueAttrValues(int& status, CzorDataBuf& body);
    bool RequestFindInstances(int& status, CzorDataBuf& body, CzorDataBuf& reply);
    bool RequestOperateOracleIndex(int& status, int attributeId, int flag);
    bool RequestTest(int& status, CzorDataBuf& body, CzorDataBuf& reply);
    bool RequestInstUserDataTimeInfo(int& status, CzorDataBuf& body, CzorDataBuf& reply);
    bool RequestDisconnect(int& status);
    bool RequestUsersLog(int& status, CzorDataBuf& reply);
    bool RequestLoad(int& status, CzorDataBuf& body, CzorDataBuf& reply);
    bool RequestWriteLog(int& status, CzorDataBuf& body);
    // The keep-alive: an empty command 31, one attempt without the retry offer.
    bool RequestKeepAlive(int& status);

    // Every attempt of the requests sent until ClearRequestToken carries this token in its frame, so
    // that the server knows a portion it has already applied (a save whose reply was lost).
    void SetRequestToken(uint64_t token) { m_token = token; m_hasToken = true; }
    void ClearRequestToken() { m_hasToken = false; }

    // Capacities the caller gives for command 35 (the server must stay within them).
    void SetDictionaryCapacity(int first, int second) { m_dictCap1 = first; m_dictCap2 = second; }

    // The common request procedure for a command of the table (commands.h), with its signatures,
    // call flags and attempts. `payload` writes the request's fields after the header; `read`
    // takes the reply's fields on status 0 (false: the reply was short or its lengths lied, giving
    // 172). A single attempt (the table's, or `single`) returns true whatever the status (the
    // caller judges it).
    bool RunRequest(const zor::net::CommandShape& shape, int& status, const std::function<void(CzorDataBuf&)>& payload,
                    const std::function<bool(CzorDataBuf&)>& read, bool single = false);
    // The request procedure with the fields the command's signatures name: `request` goes out as
    // its request signature says (171 before anything is sent when the fields do not fit it), and
    // `take` gets the reply's fields once all of them have been read and checked against the
    // reply's length (false: the caller cannot take them, giving 172).
    bool Exchange(zor::net::Command command, int& status, std::span<const zor::net::WireField> request,
                  const std::function<bool(const zor::net::WireField*)>& take, bool single = false);
    bool Exchange(zor::net::Command command, int& status, std::initializer_list<zor::net::WireField> request,
                  const std::function<bool(const zor::net::WireField*)>& take, bool single = false) {
        return Exchange(command, status, std::span(request.begin(), request.size()), take, single);
    }

private:
    void CheckIdleLoss();
    [[noreturn]] void Fail(int code, int line, const std::string& extra = {});
    // A command whose request is one body field (or none) and whose reply body, when it has one,
    // is handed out in `reply`.
    bool BodyRequest(zor::net::Command command, int& status, CzorDataBuf* body, CzorDataBuf* reply,
                     bool single = false);

    LoginBlock m_login;
    int m_retryCount = 30;
    int m_autoRetrySeconds = 10;
    std::string m_host;
    int m_port = 0;
    bool m_serverStopped = false;
    std::string m_serverPath;
    int m_version = 2;
    std::unique_ptr<CTransportSocket> m_socket;
    int m_lastError = 0;
    int m_savedTkvError = 0;
    int m_savedSocketError = 0;
    bool m_hide = false;
    int m_detached = 0;
    bool m_inReconnect = false;

    int m_connectTimeoutMs = 5000;
    int m_inactivityTimeoutMs = 0;
    bool m_inactivityExplicit = false;
    std::function<void()> m_pump;
    LocalServerStarter m_starter;
    int m_dictCap1 = 4096, m_dictCap2 = 32768;
    uint8_t m_retryOffer = 0;
    uint64_t m_token = 0;
    bool m_hasToken = false;
};
