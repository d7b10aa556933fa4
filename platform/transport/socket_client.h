#pragma once
// CzorSocketClient: one request and its reply per blocking call to our application server, over a
// POSIX TCP socket with the stream framing of framing.h.
//
// Call waits in short poll slices. Between slices it runs the pump hook (the program processes
// its window events there, so windows stay live), and SetBreak from any thread wakes it at once
// through an eventfd. A broken or timed-out call leaves the connection open: every request carries
// a sequence number and replies to older numbers are thrown away when they come in, so the next
// request (for example the one that abandons a transfer) gets its own reply.
//
// The two call flags:
//  - showWait: the call may show the transport wait window (after a short delay, unless hide mode
//    or manage mode 0). The keep-alive's renewal passes false so that it never flashes a window.
//  - handleLoss: when the connection is lost during this call, the connection-lost handler is due
//    once the call has returned (TakeConnectionLost). The login passes false, so that a failed
//    login never re-enters the reconnection that may be running it.
// The handler is never run inside Call: its owner may delete this object, which must not happen
// under a call's feet.
//
// Manage mode 0 means the caller shows its own windows: no wait window of this client's.
// The renew function is kept for the keep-alive, which calls it through CallRenewFunction; Call
// itself never calls it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/transport/framing.h"
#include "platform/transport/net_errors.h"

class CzorSocketClient {
public:
    using ConnectionLostFn = void (*)(void*);
    using RenewFn = unsigned (*)(void*);

    CzorSocketClient();
    virtual ~CzorSocketClient();
    CzorSocketClient(const CzorSocketClient&) = delete;
    CzorSocketClient& operator=(const CzorSocketClient&) = delete;

    // Connects within the connect timeout. False: GetLastTkvError gives 12 (no answer, refused or
    // timed out) or 13 (the host cannot be resolved).
    bool Connect(const std::string& host, int port);
    // Sends length bytes at bytes (and extraLength bytes at extra) and waits for the reply. True:
    // bytes and length refer to the reply, held here until ClearInternalData or the next call.
    // False: GetLastTkvError gives 6 (break), 8 (inactivity timeout), 9 (framing violated by the
    // server; the connection is closed), 11 (connection lost), 14 (a call is under way) or 5, 7, 10.
    bool Call(unsigned char*& bytes, int& length, const unsigned char* extra, int extraLength, bool showWait,
              bool handleLoss);

    // Connected and no end of stream seen (looks at the socket without blocking).
    bool IsConnected();
    bool IsOperated() const { return m_operated; }
    // Any thread: the call under way ends as a user break.
    void SetBreak(bool on);
    void SetManageMode(int mode) { m_manageMode = mode; }
    int GetManageMode() const { return m_manageMode; }
    void SetRenewFunction(RenewFn fn, void* arg) { m_renew = fn; m_renewArg = arg; }
    unsigned CallRenewFunction() { return m_renew ? m_renew(m_renewArg) : 0; }
    void SetWaitDlgText(const char* text) { m_waitText = text ? text : ""; }
    const std::string& GetWaitDlgText() const { return m_waitText; }
    bool IsActiveWaitDlg() const { return m_waitHandle != 0; }
    static bool GetHostName(std::string& name);
    void ClearInternalData();

    int GetLastTkvError() const { return m_tkvError; }
    int GetLastWsaError() const { return m_sysError; }
    std::string GetDescriptionLastError() const;

    // Timeouts in milliseconds; an inactivity timeout of 0 waits for ever (the interactive program).
    void SetConnectTimeout(int ms) { m_connectTimeoutMs = ms; }
    void SetInactivityTimeout(int ms) { m_inactivityTimeoutMs = ms; }
    int GetInactivityTimeout() const { return m_inactivityTimeoutMs; }
    // Delay before the wait window appears.
    void SetWaitDelay(int ms) { m_waitDelayMs = ms; }
    void SetMaxFrame(uint32_t bytes) { m_maxFrame = bytes; }
    // Runs between poll slices of a call (the program processes events here).
    void SetPumpHook(std::function<void()> hook) { m_pump = std::move(hook); }
    // Tags the next request with a token (the peer may use it to recognise a repeated request).
    void SetRequestToken(uint64_t token) { m_token = token; m_hasToken = true; }

    // True once after a call with handleLoss lost the connection (or an idle loss was seen by
    // IsConnected): the owner runs its connection-lost handler then.
    bool TakeConnectionLost();
    void RunConnectionLostHandler() { if (m_pConnectionLost) m_pConnectionLost(m_pConnectionLostArg); }

    // The socket handle, kept open and recorded while another thread uses the connection.
    int Detach();
    bool Attach(int handle);
    int GetSocketHandle() const { return m_fd; }

    // Set by the owner (the transport client) and read back by it.
    ConnectionLostFn m_pConnectionLost = nullptr;
    void* m_pConnectionLostArg = nullptr;
    bool m_bServerStopped = false;
    bool m_bHide = false;
    bool m_bDeleteWhenDone = false;

private:
    void Close();
    void Lost(int sysError);
    // Reads what the socket has; handles notices; false when the stream ended or broke.
    bool Receive();
    bool TakeReply(uint32_t seq);

    int m_fd = -1;
    int m_breakFd = -1;
    std::atomic<bool> m_break{false};
    bool m_operated = false;
    bool m_lostPending = false;
    bool m_detached = false;
    int m_tkvError = 0;
    int m_sysError = 0;
    int m_manageMode = 1;
    int m_connectTimeoutMs = 5000;
    int m_inactivityTimeoutMs = 0;
    int m_waitDelayMs = 400;
    long m_waitHandle = 0;
    uint32_t m_maxFrame = zor::net::kDefaultMaxFrame;
    uint32_t m_seq = 0;
    uint64_t m_token = 0;
    bool m_hasToken = false;
    std::string m_waitText;
    RenewFn m_renew = nullptr;
    void* m_renewArg = nullptr;
    std::function<void()> m_pump;
    zor::net::FrameDecoder m_decoder;
    std::vector<unsigned char> m_reply;
    bool m_haveReply = false;
    bool m_replyIn = false;
};

// Text of a transport error code and system error (the socket error's own text when there is one).
void GetDescriptionTransportError(int code, int socketError, std::string& text);

// The transport wait window, behind a replaceable interface: none until the program installs one.
class ITransportWaitUi {
public:
    virtual ~ITransportWaitUi() = default;
    virtual long Start(const std::string& text) = 0;  // a handle, 0 when none was opened
    virtual void SetText(long handle, const std::string& text) = 0;
    virtual bool IsBroken(long handle) = 0;           // the user asked to stop
    virtual void End(long handle, bool flag) = 0;     // flag: the window was the owner's last use
};
ITransportWaitUi* SetTransportWaitUi(ITransportWaitUi* ui);
long StartTransportWaitDlg(const char* text);
void SetTransportWaitDlgText(long handle, const char* text);
bool IsBreakTransportWaitDlg(long handle);
void EndTransportWaitDlg(long handle, bool flag);
