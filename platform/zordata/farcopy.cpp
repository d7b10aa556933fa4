// Copying instances with everything they reach into another store (report merge).
#include <algorithm>
#include <unordered_map>

#include "platform/zordata/stepdatafile.h"
#include "platform/zordata/store_internal.h"

namespace {
struct EntityMap {
    CzorEntity* target = nullptr;
    std::vector<int> slot;  // target slot of each source slot
};
}  // namespace

bool CzorStepData::zorFarCopyInstances(CzorTAggr<CzorInstance>& instances, CzorStepDataWithFile& target, bool bReturnCopies) {
    if (!HasDictionary() || !target.HasDictionary() || !zor::EqualsNoCase(m_DictName, target.GetDictName())) {
        SetLastErrorEx(zorErrOtherDictionary, false, target.GetDictName().c_str(), 0);
        return false;
    }
    // The closure, numbered through the scratch mark (0: not taken).
    for (CzorInstance* i : m_Instances) i->m_nMark = 0;
    std::vector<CzorInstance*> closure;
    auto take = [&](CzorInstance* i) {
        if (i && !i->IsDeleted() && i->m_nMark == 0) {
            closure.push_back(i);
            i->m_nMark = static_cast<uint32_t>(closure.size());
        }
    };
    for (CzorInstance* i : instances) take(i);
    for (size_t k = 0; k < closure.size(); ++k) {
        CzorInstance* i = closure[k];
        for (int s = 0; s < i->m_nSlots; ++s) {
            const CzorValue& v = i->Slots()[s].m_Value;
            if (v.GetType() == zorINSTANCE) take(v.GetInstance());
            else if (const CzorAggr* list = v.GetAggr())
                for (const CzorValue& item : *list) take(item.GetInstance());
        }
    }
    // Every entity and attribute must exist in the target with the same kind of value.
    std::unordered_map<const CzorEntity*, EntityMap> maps;
    for (CzorInstance* i : closure) {
        CzorEntity* e = i->m_pEntity;
        if (maps.count(e)) continue;
        EntityMap m;
        m.target = target.GetEntityBN(e->GetName());
        if (!m.target) {
            SetLastErrorEx(zorErrOtherDictionary, false, ("нет сущности " + e->GetName()).c_str(), 0);
            return false;
        }
        for (CzorAttr* a : e->GetAllAttrs()) {
            CzorAttr* t = m.target->FindAttr(a->GetName().c_str());
            if (!t || t->GetType() != a->GetType() ||
                (a->GetDomain() && !zor::EqualsNoCase(a->GetDomain()->GetName(), t->GetDomain()->GetName()))) {
                SetLastErrorEx(zorErrOtherDictionary, false, ("нет атрибута " + e->GetName() + "." + a->GetName()).c_str(), 0);
                return false;
            }
            m.slot.push_back(t->GetIndex());
        }
        maps.emplace(e, std::move(m));
    }
    // Copies are made in the source's creation order, so extents keep their order.
    std::vector<CzorInstance*> bySeq(closure);
    std::sort(bySeq.begin(), bySeq.end(), [](const CzorInstance* a, const CzorInstance* b) { return a->m_nSeq < b->m_nSeq; });
    std::vector<CzorInstance*> copy(closure.size() + 1, nullptr);
    for (CzorInstance* i : bySeq) copy[i->m_nMark] = target.CreateInstance(maps[i->m_pEntity].target);
    auto mapped = [&](const CzorInstance* i) -> CzorInstance* {
        return (i && !i->IsDeleted()) ? copy[i->m_nMark] : nullptr;
    };
    for (CzorInstance* i : closure) {
        CzorInstance* c = copy[i->m_nMark];
        const EntityMap& m = maps[i->m_pEntity];
        for (int s = 0; s < i->m_nSlots; ++s) {
            const CzorValue& v = i->Slots()[s].m_Value;
            CzorInstance::CzorValueDefinition& dst = c->Slots()[m.slot[static_cast<size_t>(s)]];
            if (v.GetType() == zorINSTANCE) {
                dst.m_Value.Set(mapped(v.GetInstance()));
            } else if (const CzorAggr* list = v.GetAggr()) {
                auto* out = new CzorAggr(list->GetType());
                out->Reserve(list->GetSize());
                for (const CzorValue& item : *list) {
                    if (item.GetType() != zorINSTANCE) out->Add(item);
                    else if (CzorInstance* t = mapped(item.GetInstance())) out->Add(t);
                }
                zorStoreAccess::TakeAggr(dst.m_Value, out);
            } else {
                dst.m_Value.Set(v);
            }
            if (!dst.m_Value.IsEmpty()) dst.SetChanged(true);
        }
    }
    if (bReturnCopies) {
        CzorTAggr<CzorInstance> result(instances.GetSize() < 1 ? 8 : instances.GetSize(), instances.IsUnique(), false);
        for (CzorInstance* i : instances)
            if (CzorInstance* c = mapped(i)) result.Add(c);
        const bool owning = instances.IsOwning();
        instances = std::move(result);
        instances.SetOwning(owning);
    }
    ClearLastError();
    return true;
}
