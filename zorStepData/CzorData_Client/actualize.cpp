// Before a save: lists that this client changed take in what other users changed on the server
// since they were loaded, so that the save does not undo their work.
#include <vector>

#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

struct Pair {
    CzorInstance* inst;
    CzorAttr* attr;
};

// Items match as the server sees them: instances by id, other values by value.
bool Same(const CzorValue& a, const CzorValue& b, bool& bad) {
    if (a.GetType() == zorINSTANCE || b.GetType() == zorINSTANCE) {
        if (!a.GetInstance() || !b.GetInstance()) {
            bad = true;
            return false;
        }
        return a.GetInstance()->GetId() == b.GetInstance()->GetId();
    }
    return a.IsEqu(b);
}

}  // namespace

bool CzorNetStepData::ActualizeChangedAggr(CzorLoadData& batch) {
    ClearLastError();
    std::vector<Pair> pairs;
    const auto& all = GetInstances();
    for (int i = 0; i < all.GetSize(); ++i) {
        CzorInstance* inst = all.GetAt(i);
        if (inst->IsDeleted() || inst->GetId() == 0 || !inst->GetEntity() || !inst->HasValues() || inst->IsLocalOnly())
            continue;
        for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
            if (attr->GetType() != zorAGGREGATE) continue;
            CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, attr);
            if (!slot || !slot->IsChanged()) continue;
            const CzorValue& v = slot->GetValue();
            if (!v.IsEmpty() && !v.GetAggr()) {
                SetLastError(zorErrNoMemory);
                return false;
            }
            pairs.push_back({inst, attr});
        }
    }
    if (pairs.empty()) return true;
    if (!m_pAuxStore) {
        SetLastError(zorErrNoMemory);
        return false;
    }
    m_pAuxStore->ClearData();
    batch.SetTarget(m_pAuxStore.get());
    for (const Pair& p : pairs)
        if (batch.AddQuery('i', p.inst->GetId(), 0L, static_cast<long>(p.attr->GetId()), true, false) < 0) {
            SetLastError(zorErrNoMemory);
            return false;
        }
    // Without the server's lists a save would write over what others added: the save fails.
    if (!batch.LoadEx(false, nullptr, "Сравнение изменившихся массивов", false)) return false;
    for (const Pair& p : pairs) {
        CzorInstance* remote = m_pAuxStore->FindLoadedById(p.inst->GetId());
        if (!remote) continue;  // gone on the server: the save will say so
        CzorAttr* remoteAttr = m_pAuxStore->GetAttrById(p.attr->GetId());
        CzorInstance::CzorValueDefinition* rs = m_pAuxStore->GetAttrValue(remote, remoteAttr);
        CzorInstance::CzorValueDefinition* slot = GetAttrValue(p.inst, p.attr);
        std::vector<CzorValue> o, s;
        if (const CzorAggr* loaded = slot->GetList())
            for (const CzorValue& v : *loaded) o.push_back(v);
        const CzorAggr* serverList = rs ? rs->GetValue().GetAggr() : nullptr;
        if (serverList)
            for (const CzorValue& v : *serverList) s.push_back(v);
        const std::vector<CzorValue> serverAll = s;
        bool bad = false;
        for (size_t k = o.size(); k-- > 0;) {
            for (size_t j = s.size(); j-- > 0;) {
                if (Same(o[k], s[j], bad)) {
                    o.erase(o.begin() + static_cast<std::ptrdiff_t>(k));
                    s.erase(s.begin() + static_cast<std::ptrdiff_t>(j));
                    break;
                }
            }
            if (bad) break;
        }
        if (bad) {
            SetLastError(zorErrNoMemory);
            return false;
        }
        CzorAggr local(p.attr->GetItemType() != zorNOTYPE ? p.attr->GetItemType() : zorINSTANCE);
        if (const CzorAggr* l = slot->GetValue().GetAggr()) local = *l;
        // Removed on the server: out of the local list (its first equal item).
        for (const CzorValue& gone : o) {
            for (int i = 0; i < local.GetSize(); ++i) {
                bool b = false;
                if (Same(*local.GetByIndex(i), gone, b)) {
                    local.RemoveAt(i);
                    break;
                }
            }
        }
        // Added on the server: into the local list, instances as this store's own.
        for (const CzorValue& added : s) {
            if (const CzorInstance* ri = added.GetInstance()) {
                CzorInstance* mine = FindLoadedById(ri->GetId());
                if (!mine) {
                    const bool ro = IsReadOnly();
                    SetReadOnly(false);
                    mine = CreateInstanceBN(ri->GetEntity()->GetName().c_str(), false, true);
                    SetReadOnly(ro);
                    if (!mine) {
                        SetLastError(zorErrNoMemory);
                        return false;
                    }
                    mine->SetId(ri->GetId());
                    for (int k = 0; k < mine->GetValueCount(); ++k) mine->GetValueDefinition(k)->SetLoaded(false);
                }
                local.Add(mine);
            } else {
                local.Add(added);
            }
        }
        slot->GetValue().Set(local);
        slot->SetChanged(true);
        // What the server holds now is what this client's list changes from.
        CzorAggr now(local.GetType());
        for (const CzorValue& v : serverAll) {
            if (const CzorInstance* ri = v.GetInstance()) now.Add(FindLoadedById(ri->GetId()));
            else now.Add(v);
        }
        slot->SetList(new CzorAggr(now));
    }
    return true;
}
