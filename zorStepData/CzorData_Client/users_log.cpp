// Active users (29), the users' log (42) and instance history (40).
#include "zorStepData/CzorData_Client/users_log.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "zorStepData/CzorData_Client/inst_properties.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/transport_client.h"

namespace {

constexpr char kUsersLogSignature[] = "zor_UserLogInfoData V 0.101";
constexpr char kHistoryQuery[] = "zor_LoadInstUserDataTimeInfoQuery V 0.100";
constexpr char kHistoryData[] = "zor_LoadInstUserDataTimeInfoData V 0.101";
static_assert(sizeof kUsersLogSignature == 28 && sizeof kHistoryQuery == 42 && sizeof kHistoryData == 41);
constexpr const char* kSource = "users_log.cpp";
// The smallest record of the users' log: id, two empty texts, two dates, the last value.
constexpr size_t kMinLogRecord = 4 + 4 + 4 + 8 + 8 + 4;
constexpr size_t kHistoryRecord = 28;

// A text of the reply: its length must fit what is left.
bool ReadText(CzorDataBuf& buf, std::string& out) {
    int32_t n = 0;
    if (!buf.Read(n) || n < 0 || static_cast<size_t>(n) > buf.GetRemaining()) return false;
    std::string raw(static_cast<size_t>(n), '\0');
    if (n && !buf.Read(raw.data(), static_cast<size_t>(n))) return false;
    // A text ends where its first zero stands, as the sender's C string did.
    raw.resize(std::strlen(raw.c_str()));
    out = zor::Cp1251ToUtf8(raw);
    return true;
}

// Drops the transport client's reply data when the operation ends, whatever the path.
struct ReplyRelease {
    CTransportSocketClient* t;
    ~ReplyRelease() {
        if (t) t->ClearInternalData();
    }
};

}  // namespace

int zorReadUsersLogReply(CzorDataBuf& reply, std::vector<std::unique_ptr<SUserLogInfo>>& records) {
    records.clear();
    reply.Begin();
    char sig[sizeof kUsersLogSignature];
    if (!reply.Read(sig, sizeof sig) || std::memcmp(sig, kUsersLogSignature, sizeof sig) != 0) return zorErrBufSignature;
    int32_t count = 0;
    if (!reply.Read(count) || count < 0 || static_cast<size_t>(count) > reply.GetRemaining() / kMinLogRecord)
        return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
    for (int32_t i = 0; i < count; ++i) {
        auto rec = std::make_unique<SUserLogInfo>();
        if (!reply.Read(rec->userId) || !ReadText(reply, rec->secondText) || !ReadText(reply, rec->firstText) ||
            !reply.Read(&rec->firstValue, 8) || !reply.Read(&rec->secondValue, 8) || !reply.Read(rec->lastValue)) {
            records.clear();
            return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
        }
        records.push_back(std::move(rec));
    }
    if (reply.GetRemaining() != 0) {
        records.clear();
        return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
    }
    return 0;
}

int zorReadInstHistoryReply(CzorDataBuf& reply, CzorTAggr<SInstInfo>& records,
                            const std::function<CzorInstance*(int32_t)>& agent) {
    reply.Begin();
    char sig[sizeof kHistoryData];
    int32_t count = 0;
    if (!reply.Read(sig, sizeof sig) || std::memcmp(sig, kHistoryData, sizeof sig) != 0 || !reply.Read(count) ||
        count != records.GetSize())
        return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
    bool have = false;
    int32_t id = 0;
    for (int i = 0; i < records.GetSize(); ++i) {
        SInstInfo* rec = records.GetAt(i);
        if (!rec || !rec->instance) return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
        if (!have) {
            if (reply.GetRemaining() == 0) break;
            if (!reply.Read(id)) return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
            have = true;
        }
        if (id == rec->instance->GetId()) {
            // The rest of the record must be there whole before any of it is taken.
            int32_t creator = 0, updater = 0;
            double created = 0, updated = 0;
            if (reply.GetRemaining() < kHistoryRecord - 4 || !reply.Read(creator) || !reply.Read(&created, 8) ||
                !reply.Read(updater) || !reply.Read(&updated, 8))
                return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
            rec->creator = creator ? agent(creator) : nullptr;
            rec->created = created;
            rec->updater = updater ? agent(updater) : nullptr;
            rec->updated = updated;
            have = false;
        } else if (rec->instance->GetEntity()) {
            return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
        }
    }
    return 0;
}

bool CzorNetStepData::NET_GetActiveUserList(CzorTAggr<CzorInstance>& users, const char* waitText) {
    // The list names store instances: it never frees them, whether it owns its items or not.
    users.RemoveAll();
    CzorDataBuf reply;
    const bool ok =
        RunRequest(waitText, [&](int& status) { return GetTransport()->RequestActiveUserList(status, reply); });
    ReplyRelease release{GetTransport()};
    if (!ok) return false;
    reply.Begin();
    if (!ApploadFromDataBuf(reply, &users, zorBufText::Cp1251)) {
        users.RemoveAll();
        m_nLastStatus = GetLastError();
        return false;
    }
    IndexInstances();
    return true;
}

bool CzorNetStepData::NET_QueryUsersLog(CzorTAggr<SUserLogInfo>& log, const char* waitText) {
    if (log.IsOwning()) log.DeleteItems();
    log.RemoveAll();
    CzorDataBuf reply;
    const bool ok = RunRequest(waitText, [&](int& status) { return GetTransport()->RequestUsersLog(status, reply); });
    ReplyRelease release{GetTransport()};
    if (!ok) return false;
    const auto fail = [&](int code) {
        log.DeleteItems();
        SetLastErrorEx(code, false, kSource);
        m_nLastStatus = code;
        return false;
    };
    std::vector<std::unique_ptr<SUserLogInfo>> read;
    if (const int code = zorReadUsersLogReply(reply, read)) return fail(code);
    std::set<int32_t> missing;
    for (auto& rec : read) {
        if (rec->userId) {
            rec->user = FindLoadedById(rec->userId);
            if (!rec->user) missing.insert(rec->userId);
        }
        if (!rec->user && !rec->userId) continue;
        if (log.IsUnique() && std::any_of(log.begin(), log.end(), [&](SUserLogInfo* r) {
                return r->userId == rec->userId && r->firstText == rec->firstText && r->secondText == rec->secondText &&
                       r->firstValue == rec->firstValue && r->secondValue == rec->secondValue &&
                       r->lastValue == rec->lastValue;
            }))
            continue;
        log.Add(rec.release());
    }
    if (!missing.empty()) {
        CzorLoadData batch(this, MakeSourceDescr(kSource, __LINE__, __DATE__));
        for (int32_t id : missing) batch.AddQuery('a', id, nullptr, static_cast<CzorAttr*>(nullptr), true, false);
        batch.LoadEx(true, nullptr, nullptr, false);
        for (SUserLogInfo* rec : log)
            if (!rec->user && !(rec->user = FindLoadedById(rec->userId))) return fail(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
    }
    IndexInstances();
    return true;
}

bool CzorNetStepData::NET_LoadInstUserDataTimeInfo(CzorTAggr<SInstInfo>& records, const char* waitText) {
    if (!BeginRequest(nullptr, true, true)) return false;
    // The access agents with their names, so that ids can be shown as users.
    CzorLoadData agents(this, MakeSourceDescr(kSource, __LINE__, __DATE__));
    int at = agents.AddQuery('e', 0, "zor_access_agent", nullptr, true, false);
    // A dictionary without agents of their own names its users.
    if (at < 0) at = agents.AddQuery('e', 0, "zor_user", nullptr, true, false) < 0 ? -1 : -2;
    if (at == -2) {
        if (!agents.LoadEx(true, nullptr, nullptr, false)) return false;
    } else if (at >= 0) {
        agents.AddQuery('d', at, "zor_access_agent", "name", true, false);
        agents.AddQuery('d', at, "zor_access_agent", "description", true, false);
        agents.AddQuery('d', at, "zor_user", "groups", true, false);
        agents.AddQuery('d', at, "zor_user", "personality", true, false);
        if (!agents.LoadEx(true, nullptr, nullptr, false)) return false;
    }
    CzorDataBuf body;
    body.Add(kHistoryQuery, sizeof kHistoryQuery);
    body.Add(static_cast<int32_t>(records.GetSize()));
    for (int i = 0; i < records.GetSize(); ++i) {
        SInstInfo* rec = records.GetAt(i);
        if (!rec || !rec->instance) {
            SetZORError(ZOR_NET_CLI_MISSED_DATA);
            return false;
        }
        CzorEntity* e = rec->instance->GetEntity();
        body.Add(static_cast<int32_t>(rec->instance->GetId()));
        body.Add(static_cast<int16_t>(e ? e->GetId() & 0xffff : 0));
        body.Add(static_cast<int8_t>((rec->instance->IsDeleted() ? 1 : 0) | (rec->instance->IsLocalOnly() ? 2 : 0)));
    }
    CzorDataBuf reply;
    const bool ok = RunRequest(waitText, [&](int& status) {
        return GetTransport()->RequestInstUserDataTimeInfo(status, body, reply);
    });
    ReplyRelease release{GetTransport()};
    if (!ok) return false;
    if (zorReadInstHistoryReply(reply, records, [&](int32_t id) { return FindLoadedById(id); })) {
        SetZORError(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
        return false;
    }
    return true;
}

bool CzorNetStepData::NET_ViewInstUserDataTimeInfo(CzorTAggr<CzorInstance>& insts, const std::vector<std::string>* comments,
                                                   const char* waitText) {
    if (!GetTransport() || !IsConnected() || insts.IsEmpty()) return false;
    CzorTAggr<SInstInfo> records(insts.GetSize(), false, true);
    for (CzorInstance* inst : insts)
        if (inst) {
            auto* rec = new SInstInfo;
            rec->instance = inst;
            records.Add(rec);
        }
    if (records.IsEmpty()) return false;
    if (NET_LoadInstUserDataTimeInfo(records, waitText)) RunInstPropertiesDialog(records, comments, this);
    return true;
}
