// Reading and changing access rights on the server (commands 33 and 34) and the checks before a change.
#include <algorithm>

#include "platform/transport/net_errors.h"
#include "platform/ui/messages.h"
#include "platform/zordata/dictionary.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

namespace {

constexpr const char* kRpcCaption = "Служба RPC Tessaline";
constexpr unsigned kTaskModal = 0x2000;

constexpr const char* kTemporaryText =
    "В списке элементов  на установку доступа  есть временные\n"
    "элементы данных. Для этих элементов невозможно выполнить\n"
    "         сохраненных в базе и установку прав доступа.";
constexpr const char* kUnsavedText =
    "В списке элементов на установку доступа есть элементы данных,\n"
    "не сохраненных в базе. Необходимо или сохранить информацию,\n"
    "или прервать установку прав доступа. Сохранить информацию в базе?";
constexpr const char* kNotOwnerText =
    "У Вас не хватает прав чтобы изменить степень\nдоступа для указанных объектов\n";
constexpr const char* kViewInsteadText =
    "У Вас не хватает прав, чтобы изменить\nправа доступа указанных объектов.\nПоказать текущие права доступа?";
constexpr const char* kRemoveAllText =
    "Индивидуальные настройки доступа для всех\nпользователей к обрабатываемым объектам\nбудут удалены. Вы уверены?";

std::vector<CzorInstance*> ToVector(const CzorTAggr<CzorInstance>* insts) {
    std::vector<CzorInstance*> v;
    if (insts) v.assign(insts->begin(), insts->end());
    return v;
}

// A list for `agent` with one entry (instance, flag, mode) per instance.
zorAccessList* AddListFor(zorUsers& set, CzorInstance* agent, const std::vector<CzorInstance*>& insts, int flag,
                          zorAccessModeType mode) {
    zorAccessList* list = set.AddList(agent);
    for (CzorInstance* inst : insts) list->Add(inst, flag, mode);
    return list;
}

}  // namespace

void CzorNetStepData::RecordQuietly(int code) {
    ++m_nReportingGuard;
    SetZORError(code);
    --m_nReportingGuard;
}

bool CzorNetStepData::AccessSessionReady() {
    if (!GetTransport() || !m_Session.Connected() ||
        (!GetTransport()->IsConnected() && !GetTransport()->Reconnect(true))) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    if (!GetTransport()->IsFree()) {
        SetZORError(ZOR_SOCK_OPERATION_IN_PROGRESS);
        return false;
    }
    return true;
}

bool CzorNetStepData::NET_SetGroupeAccess(zorUsers& users, const char* waitText, int code1, int code2) {
    if (users.GetSize() == 0) {
        if (GetTransport() && m_Session.Connected()) return true;
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    CzorDataBuf body;
    if (!zorBuildAccessSetBody(users, code1, code2, body)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    bool refresh = false;
    CzorTAggr<CzorInstance> touched(8, false, false);
    for (int l = 0; l < users.GetSize(); ++l) {
        const zorAccessList* list = users[l];
        if (list->IsDefault() || (m_pCurrUser && list->m_pAgent == m_pCurrUser)) refresh = true;
        for (int e = 0; e < list->GetSize(); ++e) touched.Add(list->GetAt(e)->m_pInstance);
    }
    if (!RunRequest(waitText, [&](int& status) {
            const bool called = GetTransport()->RequestSetGroupAccess(status, body);
            if (status != ZOR_SOCK_OPERATION_IN_PROGRESS) GetTransport()->ClearInternalData();
            return called;
        }))
        return false;
    // The user's own mode on the instances may have changed: the server tells it in their state.
    return refresh ? CheckInstState(&touched) : true;
}

bool CzorNetStepData::NET_GetGroupeAccess(zorUsers& users, const char* waitText) {
    if (users.GetSize() == 0) {
        if (GetTransport() && m_Session.Connected()) return true;
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    CzorDataBuf body, reply;
    if (!zorBuildAccessGetBody(users, body)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    const bool ok = RunRequest(waitText, [&](int& status) {
        const bool called = GetTransport()->RequestGetGroupAccess(status, body, reply);
        // Never drop the data of a request that another caller has under way.
        if (status != ZOR_SOCK_OPERATION_IN_PROGRESS) GetTransport()->ClearInternalData();
        return called;
    });
    if (!ok) return false;
    if (zorReadAccessGetReply(reply, users)) return true;
    RecordQuietly(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
    return false;
}

bool CzorNetStepData::CheckSaved(CzorTAggr<CzorInstance>* insts) {
    if (!insts || insts->GetSize() == 0) return true;
    bool temporary = false, unsaved = false;
    for (CzorInstance* inst : *insts) {
        if (!inst) continue;
        if (inst->IsLocalOnly()) temporary = true;
        else if (inst->GetId() == 0) unsaved = true;
    }
    if (temporary) {
        zor::MessageSink().Show(kTemporaryText, kRpcCaption, MB_OK);
        return false;
    }
    if (!unsaved) return true;
    if (zor::MessageSink().Show(kUnsavedText, kRpcCaption, MB_YESNO | MB_ICONWARNING | kTaskModal) != IDYES)
        return false;
    NET_SaveChanges(nullptr);
    // Whatever the save answered, an instance without an id cannot be given rights.
    for (CzorInstance* inst : *insts)
        if (inst && inst->GetId() == 0) return false;
    return true;
}

bool CzorNetStepData::CheckInstState(CzorTAggr<CzorInstance>* insts) {
    if (!insts || insts->GetSize() == 0 || !m_Rights.ServerChecks()) return true;
    CzorLoadData batch(this, MakeSourceDescr(__FILE__, __LINE__, __DATE__));
    for (CzorInstance* inst : *insts) {
        if (!inst || inst->IsLocalOnly()) continue;
        if (batch.AddQuery('a', inst->GetId(), static_cast<CzorEntity*>(nullptr), nullptr, true, false) < 0)
            return false;
    }
    if (batch.GetCount() == 0) return true;
    return batch.LoadEx(true);
}

bool CzorNetStepData::CheckOwner(CzorTAggr<CzorInstance>* insts, bool* canView) {
    if (canView) *canView = true;
    if (!insts || insts->GetSize() == 0) return true;
    if (!CheckInstState(insts)) return false;
    bool allOwned = true, allVisible = true;
    for (CzorInstance* inst : *insts) {
        if (!inst) continue;
        if (inst->GetState() != 0) allOwned = false;
        if (inst->GetState() > 2) allVisible = false;
    }
    if (allOwned) return true;
    if (canView) *canView = allVisible;
    if (!canView || !allVisible) zor::MessageSink().Show(kNotOwnerText, kRpcCaption, MB_ICONWARNING | kTaskModal);
    return false;
}

bool CzorNetStepData::LoadAllUsers(CzorTAggr<CzorInstance>& agents) {
    agents.RemoveAll();
    if (m_Rights.ServerChecks()) {
        CzorLoadData batch(this, MakeSourceDescr(__FILE__, __LINE__, __DATE__));
        for (const char* name : {"zor_workgroup", "zor_user"})
            if (CzorEntity* e = GetEntityBN(name)) batch.AddQuery('e', 0, e, nullptr, true, true);
        if (batch.GetCount() == 0 || !batch.LoadEx(true)) {
            if (m_nLastStatus == 0) RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
            return false;
        }
    }
    LocalAgents(agents);
    return true;
}

void CzorNetStepData::LocalAgents(CzorTAggr<CzorInstance>& agents) {
    agents.RemoveAll();
    if (GetEntityBN("zor_access_agent")) {
        GetEntityExtentBN("zor_access_agent", agents);
        return;
    }
    // A dictionary without the common supertype: its two kinds, groups first.
    CzorTAggr<CzorInstance> kind(8, false, false);
    for (const char* name : {"zor_workgroup", "zor_user"})
        if (GetEntityBN(name) && GetEntityExtentBN(name, kind))
            for (CzorInstance* a : kind) agents.Add(a);
}

bool CzorNetStepData::NET_SetInstancesAccess(CzorTAggr<CzorInstance>* insts, const char* waitText) {
    return NET_SetInstancesAccess(insts, nullptr, static_cast<zorAccessModeType>(-1), waitText);
}

bool CzorNetStepData::NET_SetInstancesAccess(CzorTAggr<CzorInstance>* insts, CzorInstance* agent,
                                             zorAccessModeType mode, const char* waitText) {
    // The plain form has no service code to forward, so the code never skips its check.
    return NET_SetSpecialInstancesAccess(insts, agent, mode, waitText, 0, 0);
}

bool CzorNetStepData::NET_SetSpecialInstancesAccess(CzorTAggr<CzorInstance>* insts, CzorInstance* agent,
                                                    zorAccessModeType mode, const char* waitText, int code1,
                                                    int code2) {
    if (!AccessSessionReady()) return false;
    bool dialog = agent == nullptr || mode == -1;
    bool viewOnly = false;
    if (!insts || insts->GetSize() == 0) return true;
    if (!CheckSaved(insts)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    if (!IsValidAccessServiceCode(code1, code2)) {
        bool canView = false;
        if (!CheckOwner(insts, &canView)) {
            if (!canView || agent == kzorDefaultAccessAgent) {
                RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
                return false;
            }
            if (AfxMessageBox(kViewInsteadText, MB_YESNO) != IDYES) return false;
            viewOnly = true;
            dialog = true;
        }
    }
    const std::vector<CzorInstance*> list = ToVector(insts);
    if (agent == kzorDefaultAccessAgent && !dialog) {
        if (mode < zorAccessOwn || mode > zorAccessNone) {
            RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
            return false;
        }
        zorUsers set;
        AddListFor(set, nullptr, list, 0, mode);
        return NET_SetGroupeAccess(set, waitText, code1, code2);
    }
    CzorTAggr<CzorInstance> agents(8, false, false);
    if (!LoadAllUsers(agents)) return false;
    if (agent && !agents.Contains(agent)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    if (!dialog) {
        zorUsers set;
        AddListFor(set, agent, list, 1, mode);
        AddListFor(set, nullptr, list, 1, zorAccessNotSet);
        return NET_SetGroupeAccess(set, waitText, code1, code2);
    }
    const AccessDialogRunner runner = ActiveAccessDialog();
    if (!runner) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    zorUsers loaded;
    const auto start = static_cast<zorAccessModeType>(static_cast<int8_t>(mode & 0xFF));
    for (CzorInstance* a : agents) AddListFor(loaded, a, list, 1, start);
    AddListFor(loaded, nullptr, list, 1, zorAccessNotSet);
    // Unread modes must never reach the server as if the user had chosen them.
    if (!NET_GetGroupeAccess(loaded, waitText)) return false;
    zorUsers edited;
    edited.Set(loaded);
    for (;;) {
        bool removeAll = false;
        if (!runner(*this, edited, viewOnly, false, removeAll)) return false;
        if (!removeAll || zor::MessageSink().Show(kRemoveAllText, kRpcCaption, MB_YESNO | MB_ICONQUESTION | kTaskModal) == IDYES)
            break;
    }
    zorUsers changes;
    zorMakeAccessChangeSet(loaded, edited, changes);
    return NET_SetGroupeAccess(changes, waitText, code1, code2);
}

bool CzorNetStepData::NET_BecomeInstancesOwner(CzorTAggr<CzorInstance>* insts, const char* /*waitText*/) {
    if (!AccessSessionReady()) return false;
    if (!insts || insts->GetSize() == 0) return true;
    if (!CheckSaved(insts) || !CheckOwner(insts, nullptr)) return false;
    const std::vector<CzorInstance*> list = ToVector(insts);
    zorUsers set;
    AddListFor(set, nullptr, list, 1, zorAccessReadOnly);
    AddListFor(set, m_pCurrUser, list, 1, zorAccessOwn);
    return NET_SetGroupeAccess(set, nullptr, 0, 0);
}

bool CzorNetStepData::NET_CopyGroupeAccess(CzorInstance* source, CzorTAggr<CzorInstance>& targets,
                                           const char* waitText, int code1, int code2) {
    if (!AccessSessionReady()) return false;
    if (!source || source->GetId() == 0 || !source->GetEntity()) return false;
    if (targets.GetSize() == 0) return true;
    if (!CheckSaved(&targets)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    if (code1 == 0 && code2 == 0) {
        bool canView = false;
        if (!CheckOwner(&targets, &canView)) {
            RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
            return false;
        }
    }
    CzorTAggr<CzorInstance> agents(8, false, false);
    if (!LoadAllUsers(agents)) return false;
    zorUsers from;
    for (CzorInstance* a : agents) AddListFor(from, a, {source}, 1, zorAccessNotSet);
    AddListFor(from, nullptr, {source}, 1, zorAccessNotSet);
    // Copying rights that were never read would overwrite the targets' with "not set".
    if (!NET_GetGroupeAccess(from, waitText)) return false;
    zorUsers to;
    for (int l = 0; l < from.GetSize(); ++l) {
        const zorAccessEl* el = from[l]->GetAt(0);
        zorAccessList* list = to.AddList(from[l]->m_pAgent);
        for (CzorInstance* t : targets) list->Add(t, el->m_bUseIndividual, el->m_Mode);
    }
    return NET_SetGroupeAccess(to, waitText, 0, 0);
}

bool CzorNetStepData::NET_GetExtentAccess2String(CzorTAggr<CzorInstance>& insts, std::vector<std::string>& texts,
                                                 const char* waitText) {
    if (!AccessSessionReady()) return false;
    texts.clear();
    if (insts.GetSize() == 0) return true;
    if (!CheckSaved(&insts)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    const std::vector<CzorInstance*> list = ToVector(&insts);
    CzorTAggr<CzorInstance> agents(8, false, false);
    if (!LoadAllUsers(agents)) return false;
    zorUsers set;
    AddListFor(set, nullptr, list, 1, zorAccessNotSet);
    for (CzorInstance* a : agents) AddListFor(set, a, list, 1, zorAccessNotSet);
    if (!NET_GetGroupeAccess(set, waitText)) return false;
    zorAccessTexts(*this, set, list, texts);
    return true;
}

bool CzorNetStepData::NET_GetExtentAccess2String(CzorInstance* inst, std::string& text, const char* waitText) {
    if (!inst) return false;
    CzorTAggr<CzorInstance> one(1, false, false);
    one.Add(inst);
    std::vector<std::string> texts;
    if (!NET_GetExtentAccess2String(one, texts, waitText)) return false;
    text = texts.empty() ? std::string() : texts.front();
    return true;
}

CzorNetStepData::AccessDialogRunner CzorNetStepData::ActiveAccessDialog() const {
    if (m_Rights.Dialog()) return m_Rights.Dialog();
    if (!zor::net::NetUi().HasAccessDialog()) return {};
    return [](CzorNetStepData& store, zorUsers& set, bool viewOnly, bool patternMode, bool& removeAll) {
        return zor::net::NetUi().RunAccessDialog(store, set, viewOnly, patternMode, removeAll);
    };
}
