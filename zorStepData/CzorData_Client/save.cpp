// Saving the store's changes to the server in portions (command 31), and the checks a caller makes
// before it drops or restores a connection.
#include <algorithm>
#include <cstring>
#include <random>

#include "platform/text/cp1251.h"
#include "platform/transport/wire.h"
#include "platform/ui/messages.h"
#include "platform/zordata/maps.h"
#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

namespace {

constexpr char kReplySignature[] = "zor_step_data V 0.101";
constexpr size_t kReplyHeaderSize = 6;
constexpr const char* kRpcCaption = "Служба RPC Tessaline";

// Tokens unique across the processes of every client: a random start and a counter.
uint64_t NextSaveToken() {
    static std::atomic<uint64_t> next{[] {
        std::random_device rd;
        return (uint64_t(rd()) << 32 | rd()) | 1;
    }()};
    return next.fetch_add(0x9E3779B97F4A7C15ull);
}

// Ids travel as int16: a larger one would be cut into another entity's or attribute's.
bool FitsInt16(int id) { return id > 0 && id <= 32767; }

void CollectRefs(const CzorValue& v, std::vector<CzorInstance*>& out) {
    if (CzorInstance* i = v.GetInstance()) out.push_back(i);
    else if (const CzorAggr* a = v.GetAggr())
        for (const CzorValue& item : *a) CollectRefs(item, out);
}

}  // namespace

bool CzorNetStepData::BuildSavePortion(const CzorTAggr<CzorInstance>& instances, CzorSavePortion& portion) {
    portion = CzorSavePortion{};
    std::vector<CzorInstance*> headers, withValues;
    std::unordered_set<const CzorInstance*> inHeaders, inValues;
    const auto header = [&](CzorInstance* i) {
        if (inHeaders.insert(i).second) headers.push_back(i);
    };
    const auto values = [&](CzorInstance* i) {
        if (inValues.insert(i).second) withValues.push_back(i);
    };
    for (int n = 0; n < instances.GetSize(); ++n) {
        CzorInstance* inst = instances.GetAt(n);
        if (!inst) {
            SetLastError(zorErrNoInstance);
            continue;
        }
        if (inst->IsLocalOnly()) continue;
        if (!inst->GetEntity()) {
            if (inst->GetId() != 0 && !m_Saving.DeletionSaved(inst)) header(inst);
            continue;
        }
        if (inst->GetId() == 0) {
            header(inst);
            values(inst);
        }
        if (inst->GetState() <= 1 && inst->HasValues()) {
            for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
                CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, attr);
                if (!slot) continue;
                PurgeDeleted(slot);  // a reference to a deleted instance is sent as its absence
                if (!slot->IsChanged()) continue;
                header(inst);
                values(inst);
                std::vector<CzorInstance*> refs;
                CollectRefs(slot->GetValue(), refs);
                for (CzorInstance* r : refs) header(r);
            }
        }
        zor::net::PumpTimerPaint();
    }

    CzorDataBuf& buf = portion.body;
    buf.Add(kzorStepDataSignature, kzorStepDataSignatureSize);
    std::string name;
    if (!zor::Utf8ToCp1251(GetDictName(), name)) {
        SetZORError(ZOR_NET_CLI_MISSED_DATA, GetDictName());
        return false;
    }
    buf.Add(name);
    buf.Add(static_cast<int32_t>(GetDictNumber()));
    buf.Reserve(buf.GetSize() + 4 + 50 * headers.size());
    const size_t countAt = buf.GetSize();
    buf.Add(static_cast<int32_t>(0));
    CzorMap map;
    map.Reserve(static_cast<int>(headers.size()));
    for (CzorInstance* inst : headers) {
        if (inst->IsLocalOnly()) continue;
        const int ent = inst->GetEntity() ? inst->GetEntity()->GetId() : 0;
        if (inst->GetEntity() && !FitsInt16(ent)) {
            SetZORError(ZOR_NET_CLI_MISSED_DATA, inst->GetEntity()->GetName());
            return false;
        }
        map.Add(reinterpret_cast<long>(inst), static_cast<long>(portion.headers.size()));
        zorStepBufHeader h;
        h.id = inst->GetId();
        h.entity = static_cast<int16_t>(ent);
        h.state = static_cast<int8_t>(inst->GetState());
        buf.Add(h.id);
        buf.Add(h.entity);
        buf.Add(h.state);
        portion.headers.push_back(inst);
        portion.sent.push_back(h);
    }
    map.SortIn();
    const int32_t n = static_cast<int32_t>(portion.headers.size());
    std::memcpy(buf.GetBuffer() + countAt, &n, sizeof n);  // little-endian hosts only, as the codec

    for (CzorInstance* inst : withValues) {
        if (inst->IsLocalOnly() || inst->GetState() > 1 || !inst->GetEntity() || !inst->HasValues()) continue;
        long index = 0;
        if (!map.QGetByIn(reinterpret_cast<long>(inst), index)) continue;
        buf.Add(static_cast<int32_t>(index));
        const size_t kAt = buf.GetSize();
        buf.Add(static_cast<int32_t>(0));
        int32_t k = 0;
        for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
            CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, attr);
            if (!slot || !slot->IsChanged()) continue;
            if (!FitsInt16(attr->GetId())) {
                SetZORError(ZOR_NET_CLI_MISSED_DATA, attr->GetName());
                return false;
            }
            buf.Add(static_cast<int16_t>(attr->GetId()));
            // A text the code page cannot carry, or a reference to an instance kept only here.
            if (!zorAppendBufValue(buf, slot->GetValue(), &map, zorBufText::Cp1251)) {
                SetZORError(ZOR_NET_CLI_MISSED_DATA, inst->GetEntity()->GetName() + "." + attr->GetName());
                return false;
            }
            portion.written.emplace_back(inst, attr->GetIndex());
            ++k;
        }
        std::memcpy(buf.GetBuffer() + kAt, &k, sizeof k);
        zor::net::PumpTimerPaint();
    }
    return true;
}

bool CzorNetStepData::_SaveExtToDataBuf(CzorDataBuf& buf, CzorTAggr<CzorInstance>& instances,
                                        CzorTAggr<CzorInstance>& headers) {
    CzorSavePortion portion;
    headers.RemoveAll();
    if (!BuildSavePortion(instances, portion)) return false;
    buf = std::move(portion.body);
    for (CzorInstance* inst : portion.headers) headers.Add(inst);
    return true;
}

// The reply must name every header sent, in order, with the entity sent; an instance that had an
// id keeps it and new ones get distinct ids: anything else is not the reply to this portion.
bool CzorNetStepData::CheckSaveReply(const CzorSavePortion& portion, CzorDataBuf& reply) {
    const size_t n = portion.sent.size();
    if (reply.GetSize() != sizeof kReplySignature + kReplyHeaderSize * n ||
        std::memcmp(reply.GetBuffer(), kReplySignature, sizeof kReplySignature) != 0)
        return false;
    std::unordered_set<int32_t> ids;
    const unsigned char* p = reply.GetBuffer() + sizeof kReplySignature;
    for (size_t i = 0; i < n; ++i, p += kReplyHeaderSize) {
        const int32_t id = zor::net::LoadI32(p);
        const int16_t ent = static_cast<int16_t>(p[4] | p[5] << 8);
        const zorStepBufHeader& sent = portion.sent[i];
        if (ent != sent.entity || id <= 0 || (sent.id != 0 && id != sent.id) || !ids.insert(id).second) return false;
    }
    return true;
}

bool CzorNetStepData::SendSavePortion(CzorSavePortion& portion, const char* waitText, bool& unknown) {
    unknown = false;
    CzorDataBuf reply;
    bool sent = false;
    int got = 0;
    const bool ok = RunRequest(waitText, [&](int& status) {
        sent = true;
        GetTransport()->SetRequestToken(portion.token);
        const bool r = GetTransport()->RequestSaveChanges(status, portion.body, reply);
        GetTransport()->ClearRequestToken();
        got = status;
        return r;
    });
    if (!ok) {
        // A refusal by the server (its statuses are below 150) applied nothing; without a reply
        // (or with one that cannot be read) the portion may have been applied.
        unknown = sent && got >= ZOR_SOCK_MISSED_VERSION && got != ZOR_SOCK_OPERATION_IN_PROGRESS;
        return false;
    }
    GetTransport()->ClearInternalData();
    if (!CheckSaveReply(portion, reply)) {
        unknown = true;
        SetZORError(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    const unsigned char* p = reply.GetBuffer() + sizeof kReplySignature;
    for (size_t i = 0; i < portion.headers.size(); ++i, p += kReplyHeaderSize) {
        CzorInstance* inst = portion.headers[i];
        if (!inst) continue;
        if (portion.sent[i].entity == 0) {
            m_Saving.NoteDeletionSaved(inst);
            continue;
        }
        const int32_t id = zor::net::LoadI32(p);
        if (inst->GetId() != id) {
            inst->SetId(id);
            if (!inst->IsDeleted()) m_Index.Note(id, inst);
        }
    }
    return true;
}

bool CzorNetStepData::NET_SaveChanges(const char* waitText) {
    if (!GetTransport() || !m_Session.Connected()) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    if (GetTransport()->IsConnected() && !GetTransport()->IsFree()) {
        SetZORError(ZOR_SOCK_OPERATION_IN_PROGRESS);
        return false;
    }
    if (IsReadOnly()) {
        // The refusal is recorded as well as shown, so that a hidden store's caller learns why.
        m_nLastStatus = ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY;
        SetLastErrorDescription(ZOR_NET_ERROR2char(m_nLastStatus, ""));
        if (!m_bHideMode) zor::MessageSink().Show("БД доступна только для чтения. Сохранение невозможно", kRpcCaption, MB_OK);
        return false;
    }
    m_nLastStatus = 0;
    // A portion whose outcome is unknown goes first: the server either applies it now or answers
    // with what it answered then. Its marks stay (the values may have changed since); only the ids
    // it gives are taken.
    if (CzorSavePortion* unconfirmed = m_Saving.Unconfirmed()) {
        bool unknown = false;
        const bool ok = SendSavePortion(*unconfirmed, waitText, unknown);
        if (!ok && unknown) return false;
        m_Saving.DropUnconfirmed();
        if (!ok) return false;
    }
    CzorLoadData batch(this, MakeSourceDescr(__FILE__, __LINE__, __DATE__));
    if (!ActualizeChangedAggr(batch)) {
        if (!m_nLastStatus) m_nLastStatus = GetLastError() ? GetLastError() : ZOR_NET_CLI_ERROR_PROCESSED;
        return false;
    }
    batch.ClearQuery();

    const CzorTAggr<CzorInstance>& all = GetInstances();
    const int count = all.GetSize();
    const int size = m_Saving.PortionFor(count);
    m_Saving.SetPercent(0);
    for (int first = 0; first < count; first += size) {
        m_Saving.SetPercent(static_cast<int>(static_cast<int64_t>(first) * 100 / count));
        CzorTAggr<CzorInstance> slice(size, false, false);
        for (int i = first; i < std::min(count, first + size); ++i) slice.Add(all.GetAt(i));
        auto portion = std::make_unique<CzorSavePortion>();
        if (!BuildSavePortion(slice, *portion)) return false;
        if (portion->headers.empty()) continue;
        portion->token = NextSaveToken();
        bool unknown = false;
        if (!SendSavePortion(*portion, waitText, unknown)) {
            if (unknown) m_Saving.KeepUnconfirmed(std::move(portion));
            return false;
        }
        // Confirmed: the values it carried are saved as they are now (nothing ran in between).
        for (const auto& [inst, index] : portion->written) {
            CzorInstance::CzorValueDefinition* slot = inst->GetValueDefinition(index);
            if (!slot) continue;
            slot->SetChanged(false);
            if (const CzorAggr* a = slot->GetValue().GetAggr()) slot->SetList(new CzorAggr(*a));
        }
    }
    m_Saving.SetPercent(100);
    // Replaced blobs go now that the instances naming their successors are on the server.
    if (!m_Blobs.PendingDeletions().empty()) DeletePendingBlobs();
    return true;
}

bool CzorNetStepData::SetPortionSavedInst(int n) { return m_Saving.SetPortionSize(n); }

bool CzorNetStepData::CheckModified() {
    if (m_Saving.Unconfirmed()) return true;
    const CzorTAggr<CzorInstance>& all = GetInstances();
    for (int i = 0; i < all.GetSize(); ++i) {
        const CzorInstance* inst = all.GetAt(i);
        if (inst->IsLocalOnly()) continue;
        if (!inst->GetEntity()) {
            if (inst->GetId() != 0 && !m_Saving.DeletionSaved(inst)) return true;
        } else if (inst->GetId() == 0 || inst->IsChanged()) {
            return true;
        }
    }
    return false;
}

bool CzorNetStepData::TestNeedRestore() {
    if (!m_Session.Connected() || !GetTransport() || GetTransport()->IsConnected() || !CheckModified()) return false;
    if (!zor::net::NetUi().Ask("Предыдущее соединение с сервером было прервано некорректно.\nПри обрыве соединения "
                               "остались несохраненные данные.\nПопытаться восстановить предыдущее соединение?",
                               kRpcCaption))
        return false;
    if (GetTransport()->Reconnect(false)) return true;
    return !zor::net::NetUi().Ask(
        "Восстановить предыдущее соединение не удалось. При новом соединении\nнесохраненные данные будут утеряны. "
        "Для установления нового соединения\nНажмите \"Да\". Для отказа от нового соединения нажмите \"Нет\"",
        kRpcCaption);
}

void CzorNetStepData::ForgetSaveState() { m_Saving.Forget(); }
