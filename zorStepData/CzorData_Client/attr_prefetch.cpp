// Fetching one attribute's values for many instances at once: what a data source's attribute-path
// column needs at each step of its path, for all its rows.
#include <algorithm>
#include <unordered_set>
#include <vector>

#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {
// One request carries at most this many value requests (24 bytes each): a path step over a data
// source of this many distinct instances still goes in one request.
constexpr size_t kMaxValuesPerRequest = 100000;
}  // namespace

bool CzorNetStepData::PrepareAttrReads(CzorInstance* const* instances, int count, CzorAttr* attr) {
    SetAutoDownloadMode(true);
    if (!instances || count <= 0 || !attr || !m_Session.Connected()) return true;
    // What the fetching GetAttr would ask for, each instance once.
    std::vector<CzorInstance*> missing;
    std::unordered_set<const CzorInstance*> seen;
    for (int i = 0; i < count; ++i) {
        CzorInstance* inst = instances[i];
        if (!inst || !inst->GetEntity() || inst->GetState() > 2 || inst->IsLocalOnly() || inst->GetId() == 0) continue;
        const CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, attr, false);
        if (!slot || slot->IsLoaded() || slot->GetValue().GetType() != zorNOTYPE) continue;
        if (seen.insert(inst).second) missing.push_back(inst);
    }
    for (size_t from = 0; from < missing.size(); from += kMaxValuesPerRequest) {
        const size_t n = std::min(kMaxValuesPerRequest, missing.size() - from);
        std::vector<zor_NET_LoadQuery> queries(n);
        for (size_t i = 0; i < n; ++i) {
            queries[i]._pos = static_cast<int32_t>(i);
            queries[i]._type = 'i';
            queries[i]._inst_or_id = missing[from + i]->GetId();
            queries[i]._attr_id = attr->GetId();
        }
        if (!NET_Load(queries.data(), static_cast<long>(n), nullptr, nullptr, nullptr, {})) return false;
        // A reply without a value settles it too: the server holds none.
        for (size_t i = 0; i < n; ++i)
            if (CzorInstance::CzorValueDefinition* slot = GetAttrValue(missing[from + i], attr, false)) slot->SetLoaded(true);
    }
    return true;
}
