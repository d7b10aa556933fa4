// The networked store: fields, modes, the request rule and the recording of failures.
#include "zorStepData/CzorData_Client/net_step_data.h"

#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"

namespace {
constexpr const char* kErrorCaption = "Сообщение об ошибке Tessaline";
constexpr unsigned kTaskModal = 0x2000;
}  // namespace

CzorNetStepData::CzorNetStepData() {
    SetErrorMessageMode(true);
}

CzorNetStepData::~CzorNetStepData() {
    NET_Disconnect();
    zor::net::KeepAlive::Instance().ForgetSession(this);
}

int CzorNetStepData::GetAttrIdBN(CzorEntity* entity, const char* name) const {
    return GetAttrId(name ? GetAttrDefinition(entity, name) : nullptr);
}

int CzorNetStepData::GetEntIdBN(const char* name) const { return GetEntId(GetEntityBN(name)); }

void CzorNetStepData::SetHideMode(bool hide) {
    m_bNetErrorMessageMode = !hide;
    SetErrorMessageMode(!hide);
    m_bHideMode = hide;
    if (GetTransport()) GetTransport()->SetHideMode(hide);
}

void CzorNetStepData::Detach() {
    if (GetTransport()) GetTransport()->DetachSocket();
}

void CzorNetStepData::Attach() {
    if (GetTransport()) GetTransport()->AttachSocket();
}

// Every failure keeps its status and text, even one raised while an earlier box is open: the
// guard only keeps a second box from opening inside the first.
void CzorNetStepData::SetZORError(int code, const std::string& detail) {
    m_nLastStatus = code;
    std::string text;
    if (code == ZOR_NET_CLI_NET_ERROR && GetTransport())
        text = "Ошибка сетевого механизма:\n" + GetTransport()->GetDescriptionLastError();
    else
        text = ZOR_NET_ERROR2char(code, detail);
    SetLastErrorDescription(text);
    if (m_nReportingGuard) return;
    bool box = m_bNetErrorMessageMode && code != 0 && code != ZOR_SOCK_OPERATION_IN_PROGRESS;
    if (code == ZOR_NET_CLI_NET_ERROR) box = box && GetTransport() && GetTransport()->GetLastTkvError() != 0;
    if (!box) return;
    ++m_nReportingGuard;
    zor::MessageSink().Show(text, kErrorCaption, MB_ICONWARNING | kTaskModal);
    --m_nReportingGuard;
}

bool CzorNetStepData::BeginRequest(const char* waitText, bool checks, bool reconnect) {
    if (!GetTransport() || (checks && !m_Session.Connected())) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    if (checks) {
        if (!GetTransport()->IsConnected() && !(reconnect && GetTransport()->Reconnect(true))) {
            SetZORError(ZOR_NET_CLI_NOT_CONNECT);
            return false;
        }
        if (!GetTransport()->IsFree()) {
            SetZORError(ZOR_SOCK_OPERATION_IN_PROGRESS);
            return false;
        }
    }
    if (!m_bManageMode) GetTransport()->SetManageMode(0);
    m_nLastStatus = 0;
    zor::net::KeepAlive::Instance().Restart(0);
    if (waitText) GetTransport()->SetWaitDlgText(waitText);
    return true;
}

bool CzorNetStepData::EndRequest(bool called, int status) {
    if (called && status == 0) return true;
    if (status == 0)
        status = GetTransport()->GetLastError() ? GetTransport()->GetLastError() : ZOR_NET_CLI_ERROR_PROCESSED;
    SetZORError(status);
    if (status == ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY) SetReadOnly(true);
    return false;
}

void CzorNetStepData::MakeCurrentUser(int id) {
    m_pCurrUser = nullptr;
    CzorEntity* user = GetEntityBN("zor_user");
    if (!user) return;
    const bool ro = IsReadOnly();
    SetReadOnly(false);
    m_pCurrUser = CreateInstance(user, false, true);
    SetReadOnly(ro);
    m_pCurrUser->SetId(id);
    for (int s = 0; s < m_pCurrUser->GetValueCount(); ++s) m_pCurrUser->GetValueDefinition(s)->SetLoaded(false);
    if (ro) m_pCurrUser->SetState(2);
    m_Index.Note(id, m_pCurrUser);
}

void CzorNetStepData::ClearData() {
    const int userId = m_pCurrUser ? m_pCurrUser->GetId() : 0;
    const bool hadUser = m_pCurrUser != nullptr && GetEntityBN("zor_user") != nullptr;
    const int code = GetLastError();
    const std::string text = GetLastErrorDescription();
    // The prepared query refers to instances that are about to go.
    m_Queries.Forget();
    CzorStepData::ClearData();
    ForgetSaveState();
    m_Index.Clear();
    if (code) SetLastError(code);
    SetLastErrorDescription(text);
    m_pCurrUser = nullptr;
    if (hadUser) MakeCurrentUser(userId);
}

void CzorNetStepData::IndexInstances() { m_Index.CatchUp(GetInstances()); }

CzorInstance* CzorNetStepData::FindLoadedById(int id) { return m_Index.Find(id, GetInstances()); }
