// The networked store: fields, modes, the request rule and the recording of failures.
#include "zorStepData/CzorData_Client/net_step_data.h"

#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"

namespace {
constexpr const char* kErrorCaption = "Сообщение об ошибке Tessaline";
constexpr unsigned kTaskModal = 0x2000;
}  // namespace

CzorNetStepData::CzorNetStepData() : m_pTransport(std::make_unique<CTransportSocketClient>()) {
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
    if (m_pTransport) m_pTransport->SetHideMode(hide);
}

void CzorNetStepData::Detach() {
    if (m_pTransport) m_pTransport->DetachSocket();
}

void CzorNetStepData::Attach() {
    if (m_pTransport) m_pTransport->AttachSocket();
}

// Every failure keeps its status and text, even one raised while an earlier box is open: the
// guard only keeps a second box from opening inside the first.
void CzorNetStepData::SetZORError(int code, const std::string& detail) {
    m_nLastStatus = code;
    std::string text;
    if (code == ZOR_NET_CLI_NET_ERROR && m_pTransport)
        text = "Ошибка сетевого механизма:\n" + m_pTransport->GetDescriptionLastError();
    else
        text = ZOR_NET_ERROR2char(code, detail);
    SetLastErrorDescription(text);
    if (m_nReportingGuard) return;
    bool box = m_bNetErrorMessageMode && code != 0 && code != ZOR_SOCK_OPERATION_IN_PROGRESS;
    if (code == ZOR_NET_CLI_NET_ERROR) box = box && m_pTransport && m_pTransport->GetLastTkvError() != 0;
    if (!box) return;
    ++m_nReportingGuard;
    zor::MessageSink().Show(text, kErrorCaption, MB_ICONWARNING | kTaskModal);
    --m_nReportingGuard;
}

bool CzorNetStepData::BeginRequest(const char* waitText, bool checks, bool reconnect) {
    if (!m_pTransport || (checks && !m_bConnected)) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    if (checks) {
        if (!m_pTransport->IsConnected() && !(reconnect && m_pTransport->Reconnect(true))) {
            SetZORError(ZOR_NET_CLI_NOT_CONNECT);
            return false;
        }
        if (!m_pTransport->IsFree()) {
            SetZORError(ZOR_SOCK_OPERATION_IN_PROGRESS);
            return false;
        }
    }
    if (!m_bManageMode) m_pTransport->SetManageMode(0);
    m_nLastStatus = 0;
    zor::net::KeepAlive::Instance().Restart(0);
    if (waitText) m_pTransport->SetWaitDlgText(waitText);
    return true;
}

bool CzorNetStepData::EndRequest(bool called, int status) {
    if (called && status == 0) return true;
    if (status == 0) status = m_pTransport->GetLastError() ? m_pTransport->GetLastError() : ZOR_NET_CLI_ERROR_PROCESSED;
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
    m_ById[id] = m_pCurrUser;
}

void CzorNetStepData::ClearData() {
    const int userId = m_pCurrUser ? m_pCurrUser->GetId() : 0;
    const bool hadUser = m_pCurrUser != nullptr && GetEntityBN("zor_user") != nullptr;
    const int code = GetLastError();
    const std::string text = GetLastErrorDescription();
    // The prepared query refers to instances that are about to go.
    m_pPreparedQuery.reset();
    CzorStepData::ClearData();
    ForgetSaveState();
    m_ById.clear();
    m_nIndexed = 0;
    if (code) SetLastError(code);
    SetLastErrorDescription(text);
    m_pCurrUser = nullptr;
    if (hadUser) MakeCurrentUser(userId);
}

void CzorNetStepData::IndexInstances() {
    const auto& all = GetInstances();
    if (m_nIndexed < 0 || m_nIndexed > all.GetSize()) {
        m_ById.clear();
        m_nIndexed = 0;
    }
    for (; m_nIndexed < all.GetSize(); ++m_nIndexed) {
        CzorInstance* inst = all.GetAt(m_nIndexed);
        if (inst->GetId() > 0 && !inst->IsDeleted()) m_ById[inst->GetId()] = inst;
    }
}

CzorInstance* CzorNetStepData::FindLoadedById(int id) {
    if (id <= 0) return nullptr;
    IndexInstances();
    auto it = m_ById.find(id);
    if (it != m_ById.end() && !it->second->IsDeleted() && it->second->GetId() == id) return it->second;
    // An id given after the instance was indexed, or a stale entry: look through them all.
    const auto& all = GetInstances();
    for (int i = 0; i < all.GetSize(); ++i) {
        CzorInstance* inst = all.GetAt(i);
        if (inst->GetId() == id && !inst->IsDeleted()) {
            m_ById[id] = inst;
            return inst;
        }
    }
    if (it != m_ById.end()) m_ById.erase(it);
    return nullptr;
}
