#include "zorStepData/CzorData_Client/transport_client.h"

#include <cstring>

#include <fmt/format.h>

#include "platform/text/cp1251.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"
#include "zorStepData/CzorData_Client/net_ui.h"
#include "zorStepData/CzorData_Client/retry_dialog.h"

bool ReadReplyStatus(CzorDataBuf& buf, int version, int& status, uint8_t& offer) {
    int32_t st = 0;
    if (!buf.Read(st)) return false;
    status = st;
    if (version != 2) return true;
    int8_t options = 0, m = 0;
    if (!buf.Read(options)) return false;
    if (options != 0) {
        int8_t o = 0;
        if (!buf.Read(o)) return false;
        offer = static_cast<uint8_t>(o);
    }
    if (!buf.Read(m)) return false;
    return buf.Skip(static_cast<uint8_t>(m));  // the message is read and not shown
}

bool LoginBlock::SetTexts(const std::string& user, const std::string& scrambledPassword, const std::string& database) {
    const std::string* texts[] = {&user, &scrambledPassword, &database};
    const size_t offsets[] = {zor::net::kLoginUserOffset, zor::net::kLoginPasswordOffset, zor::net::kLoginDatabaseOffset};
    std::string cp[3];
    for (int i = 0; i < 3; ++i)
        if (!zor::Utf8ToCp1251(*texts[i], cp[i]) || cp[i].size() >= zor::net::kLoginTextSize) return false;
    for (int i = 0; i < 3; ++i) {
        std::memset(bytes + offsets[i], 0, zor::net::kLoginTextSize);
        std::memcpy(bytes + offsets[i], cp[i].data(), cp[i].size());
    }
    return true;
}

CTransportSocketClient::CTransportSocketClient() { m_starter.spawn = SpawnDetached; }

CTransportSocketClient::~CTransportSocketClient() { DropSocket(); }

bool CTransportSocketClient::BuildRequestHeader(CzorDataBuf& buf, int command, const std::string& signature) {
    buf.Clear();
    buf.Add(static_cast<int32_t>(m_version));
    buf.Add(static_cast<int32_t>(command));
    buf.Add(static_cast<int32_t>(signature.size()));
    if (!signature.empty()) buf.Add(signature.data(), signature.size());
    return true;
}

int CTransportSocketClient::CheckReplyHeader(CzorDataBuf& buf, int command, const std::string& signature) {
    int32_t version = 0, x = 0;
    buf.Read(version);
    if (version != m_version && version != 1) return ZOR_SOCK_MISSED_VERSION;
    buf.Read(x);
    if (x == 0) {
        int32_t one = 0, cmd = 0, code = 0;
        buf.Read(one);
        if (one != 1) return ZOR_SOCK_MISSED_COMMAND;
        buf.Read(cmd);
        if (cmd != command) return ZOR_SOCK_MISSED_FUNCTION;
        // An error form that says 0, or is cut before its code, is no success.
        if (!buf.Read(code) || code == 0) return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
        return code;
    }
    if (x != command) return ZOR_SOCK_MISSED_FUNCTION;
    int32_t n = 0;
    if (!buf.Read(n)) return ZOR_SOCK_MISSED_FUNCTION;
    if (n == 0) return signature.empty() ? 0 : ZOR_SOCK_MISSED_FUNCTION;
    if (n < 0 || static_cast<size_t>(n) > buf.GetRemaining()) return ZOR_SOCK_MISSED_FUNCTION;
    std::string got(reinterpret_cast<const char*>(buf.GetCurBuffer()), static_cast<size_t>(n));
    buf.Skip(static_cast<size_t>(n));
    return got == signature ? 0 : ZOR_SOCK_MISSED_FUNCTION;
}

int CTransportSocketClient::GetLastTkvError() const { return m_socket ? m_socket->GetLastTkvError() : m_savedTkvError; }

bool CTransportSocketClient::Call(CzorDataBuf& buf, CzorDataBuf* extra, bool flag1, bool flag2) {
    if (!m_socket) return false;
    CzorSocketClient* used = m_socket.get();
    unsigned char* bytes = buf.GetBuffer();
    int length = static_cast<int>(buf.GetSize());
    if (m_hasToken) used->SetRequestToken(m_token);
    const bool ok = used->Call(bytes, length, extra ? extra->GetBuffer() : nullptr,
                               extra ? static_cast<int>(extra->GetSize()) : 0, flag1, flag2);
    if (ok) {
        buf.SetExternalData(bytes, static_cast<size_t>(length));
        used->ClearInternalData();
        m_lastError = 0;
        return true;
    }
    const int tkv = used->GetLastTkvError();
    m_lastError = tkv == TKV_BREAK ? ZOR_NET_CLI_BREAK : ZOR_NET_CLI_NET_ERROR;
    if (tkv == TKV_BUSY) {
        m_lastError = ZOR_SOCK_OPERATION_IN_PROGRESS;
        return false;
    }
    used->ClearInternalData();
    // The handler runs only now that the socket client's call is over: it may drop that client.
    if (flag2 && used->TakeConnectionLost()) {
        OnConnectionLost();
        m_lastError = ZOR_SOCK_CONNECT_FAULT;
    }
    return false;
}

void CTransportSocketClient::CheckIdleLoss() {
    if (m_socket && !m_socket->IsOperated() && !m_socket->IsConnected() && m_socket->TakeConnectionLost())
        OnConnectionLost();
}

bool CTransportSocketClient::RunRequest(const zor::net::CommandShape& shape, int& status,
                                        const std::function<void(CzorDataBuf&)>& payload,
                                        const std::function<bool(CzorDataBuf&)>& read, bool single) {
    const bool repeat = shape.attempts == zor::net::Attempts::Repeat && !single;
    int counter = m_retryCount;
    std::string countText;
    CDlgTransportError dlg;
    dlg.m_countdown = m_autoRetrySeconds;
    m_retryOffer = 0;
    if (!m_inReconnect) CheckIdleLoss();
    if (!IsConnected()) {
        if (m_socket && m_socket->IsOperated()) status = ZOR_SOCK_OPERATION_IN_PROGRESS;
        else if (GetLastTkvError() == TKV_CONNECTION_LOST || GetLastTkvError() == TKV_PROTOCOL) status = ZOR_NET_CLI_NET_ERROR;
        else status = ZOR_NET_SRV_NOT_CONNECT;
        return false;
    }
    for (;;) {
        CzorDataBuf buf;
        BuildRequestHeader(buf, shape.code, shape.request);
        if (m_version == 2) buf.Add(static_cast<int8_t>(0));
        if (payload) payload(buf);
        if (!Call(buf, nullptr, shape.waitWindow, shape.reconnect)) {
            status = m_lastError;
            return false;
        }
        status = CheckReplyHeader(buf, shape.code, shape.reply);
        if (status != 0) return false;
        if (!ReadReplyStatus(buf, m_version, status, m_retryOffer)) {
            status = ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
            return false;
        }
        if (!repeat) {
            // A failed status may come without a body: the status is the answer then.
            if (read && !read(buf) && status == 0) {
                status = ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
                return false;
            }
            return true;
        }
        if (status == 0) {
            if (read && !read(buf)) {
                status = ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
                return false;
            }
            return true;
        }
        ++counter;
        if (counter < m_retryCount && dlg.m_repeatAuto) {
            countText = fmt::format("\r\nОперация выполнена неудачно {} раз подряд!", m_retryCount);
            continue;
        }
        // Hide mode silences the client's own messages, not this question: the server offered a repetition,
        // and only the user may decline it. Where nobody can answer (a batch run), the network UI declines
        // at once.
        if (m_retryOffer != 1) return false;
        dlg.m_message = ZOR_NET_ERROR2char(status, "") + "\r\n" + countText + "\r\nПовторить операцию?";
        if (zor::net::NetUi().RunRetryDialog(dlg) != CDlgTransportError::kRetry) return false;
        counter = 0;
    }
}

void CTransportSocketClient::ClearInternalData() {
    if (m_socket) m_socket->ClearInternalData();
}
void CTransportSocketClient::SetWaitDlgText(const char* text) {
    if (m_socket) m_socket->SetWaitDlgText(text);
}
void CTransportSocketClient::SetBreak(bool on) {
    if (m_socket) m_socket->SetBreak(on);
}
void CTransportSocketClient::SetManageMode(int mode) {
    if (m_socket) m_socket->SetManageMode(mode);
}
void CTransportSocketClient::SetHideMode(bool hide) {
    m_hide = hide;
    // Nobody can break a hidden call: it must end by itself.
    if (!m_inactivityExplicit) m_inactivityTimeoutMs = hide ? kHiddenInactivityMs : 0;
    if (m_socket) {
        m_socket->m_bHide = hide;
        m_socket->SetInactivityTimeout(m_inactivityTimeoutMs);
    }
}

std::string CTransportSocketClient::GetDescriptionLastError() const {
    if (m_socket) return m_socket->GetDescriptionLastError();
    std::string text;
    GetDescriptionTransportError(m_savedTkvError, m_savedSocketError, text);
    return text;
}
