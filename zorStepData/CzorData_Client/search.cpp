// Searches by attribute values and uniqueness tests: in memory, and on the server (commands 36, 37).
#include <cstring>
#include <unordered_set>

#include "platform/zordata/maps.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

constexpr char kFindSignature[] = "zor_TestFindBuf V 0.103";
static_assert(sizeof kFindSignature == 24);

void CollectCriterionRefs(const CzorValue& v, std::vector<CzorInstance*>& out) {
    if (v.GetType() == zorINSTANCE) out.push_back(v.GetInstance());
    else if (const CzorAggr* a = v.GetAggr())
        for (const CzorValue& item : *a)
            if (item.GetType() == zorINSTANCE) out.push_back(item.GetInstance());
}

}  // namespace

int CzorNetStepData::FindInstancesWithAttrValuesInLocalCache(CzorEntity* ent, CzorInstance* except, int n,
                                                             CzorAttrValue* values, CzorTAggr<CzorInstance>& found,
                                                             bool pattern, bool caseSensitive, bool firstOnly,
                                                             zorStringBindMode mode) {
    if (!ent || n < 1 || !values) return -1;
    found.RemoveAll();
    CzorTAggr<CzorInstance> extent(8, false, false);
    GetEntityExtent(ent, extent);
    std::unordered_set<const CzorInstance*> listed;
    for (CzorInstance* inst : extent) {
        if (inst == except || !inst->GetEntity() || inst->GetState() > 2) continue;
        if (m_Session.Connected() && inst->GetId() != 0) continue;
        bool all = true;
        for (int k = 0; k < n && all; ++k) {
            CzorAttr* attr = values[k].m_pAttr;
            CzorInstance::CzorValueDefinition* slot = attr ? GetAttrValue(inst, attr) : nullptr;
            const CzorValue* have = slot ? PurgeDeleted(slot) : nullptr;
            all = zorCriterionMatches(attr, have, values[k].m_Value, pattern, caseSensitive, mode);
        }
        if (!all) continue;
        if (firstOnly) return 1;
        if (listed.insert(inst).second) found.Add(inst);
    }
    return found.GetSize();
}

bool CzorNetStepData::FeelTestFindBuf(CzorDataBuf& buf, CzorEntity* ent, CzorInstance* except, int n,
                                      CzorAttrValue* values, bool pattern, bool caseSensitive,
                                      zorStringBindMode mode) {
    if (!ent || n < 1 || !values) return false;
    std::vector<CzorInstance*> refs, order;
    for (int k = 0; k < n; ++k) CollectCriterionRefs(values[k].m_Value, refs);
    CzorMap map;
    std::unordered_set<const CzorInstance*> seen;
    for (CzorInstance* r : refs) {
        // The server knows only saved instances: an unsaved one cannot be searched for there.
        if (!r || r->IsDeleted() || r->GetId() == 0) return false;
        if (seen.insert(r).second) {
            map.Add(reinterpret_cast<long>(r), static_cast<long>(order.size()));
            order.push_back(r);
        }
    }
    map.SortIn();
    CzorDataBuf out;
    out.Add(kFindSignature, sizeof kFindSignature);
    out.Add(static_cast<int32_t>(ent->GetId()));
    out.Add(static_cast<int32_t>(except ? except->GetId() : 0));
    out.Add(static_cast<int32_t>(n));
    out.Add(static_cast<int32_t>(order.size()));
    for (CzorInstance* r : order) out.Add(static_cast<int32_t>(r->GetId()));
    for (int k = 0; k < n; ++k) {
        out.Add(static_cast<int32_t>(values[k].m_pAttr ? values[k].m_pAttr->GetId() : 0));
        if (!zorAppendBufValue(out, values[k].m_Value, &map, zorBufText::Cp1251)) return false;
    }
    out.Add(static_cast<int32_t>(pattern ? 1 : 0));
    out.Add(static_cast<int32_t>(caseSensitive ? 1 : 0));
    out.Add(static_cast<int32_t>(mode));
    buf = std::move(out);
    return true;
}

int CzorNetStepData::NET_FindInstancesWithAttrValues(CzorEntity* ent, int n, CzorAttrValue* values,
                                                     CzorTAggr<CzorInstance>& found, bool pattern, bool caseSensitive,
                                                     const char* waitText, zorStringBindMode mode) {
    if (!ent || n < 1 || !values) return -1;
    found.RemoveAll();
    FindInstancesWithAttrValuesInLocalCache(ent, nullptr, n, values, found, pattern, caseSensitive, false, mode);
    if (!m_Session.Connected()) return found.GetSize();
    CzorDataBuf body;
    // No instance on the server can hold a reference to one that is not saved yet.
    if (!FeelTestFindBuf(body, ent, nullptr, n, values, pattern, caseSensitive, mode)) return found.GetSize();
    CzorDataBuf reply;
    if (!RunRequest(waitText, [&](int& status) { return GetTransport()->RequestFindInstances(status, body, reply); }))
        return -1;
    GetTransport()->ClearInternalData();
    CzorTAggr<CzorInstance> merged(8, false, false);
    if (!ApploadFromDataBuf(reply, &merged, zorBufText::Cp1251)) {
        SetZORError(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
        return -1;
    }
    std::unordered_set<const CzorInstance*> listed(found.begin(), found.end());
    for (CzorInstance* inst : merged)
        if (inst->GetEntity() && IsKindOf(inst, ent) && listed.insert(inst).second) found.Add(inst);
    return found.GetSize();
}

bool CzorNetStepData::NET_TestUniqueAttrValues(CzorEntity* ent, CzorInstance* inst, int n, CzorAttrValue* values,
                                               bool pattern, const char* waitText) {
    CzorDataBuf body;
    if (!GetTransport() || !m_Session.Connected()) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    if (!FeelTestFindBuf(body, ent, inst, n, values, pattern, true, zorBindContains)) {
        SetZORError(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    bool taken = false;
    const bool ok = RunRequest(waitText, [&](int& status) {
        const bool called = GetTransport()->RequestTestUniqueAttrValues(status, body);
        if (status != ZOR_SOCK_OPERATION_IN_PROGRESS) GetTransport()->ClearInternalData();
        // Another instance holds the values: the normal answer, not a failure to report.
        if (called && status == kzorStatusNotUnique) {
            taken = true;
            status = 0;
        }
        return called;
    });
    if (taken) {
        m_nLastStatus = kzorStatusNotUnique;
        return false;
    }
    return ok;
}

bool CzorNetStepData::TestUniqueAttrValues(CzorEntity* ent, CzorInstance* inst, int n, CzorAttrValue* values,
                                           const char* waitText) {
    if (!ent || n < 1 || !values) return false;
    CzorTAggr<CzorInstance> found(8, false, false);
    if (FindInstancesWithAttrValuesInLocalCache(ent, inst, n, values, found, false, false, true, zorBindContains) > 0)
        return false;
    return NET_TestUniqueAttrValues(ent, inst, n, values, false, waitText);
}

bool CzorNetStepData::TestUniqueAttrValuesBN(const char* entity, CzorInstance* inst, int n, CzorAttrValue* values,
                                             const char* waitText) {
    return TestUniqueAttrValues(entity ? GetEntityBN(entity) : nullptr, inst, n, values, waitText);
}
