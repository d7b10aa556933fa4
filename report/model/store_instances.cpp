#include "report/model/store_instances.h"

#include <unordered_set>

#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"

bool IsLive(const CzorInstance* instance) { return instance && !instance->IsDeleted(); }

CzorInstance* LiveOrNewInstance(CFolivox* manager, CzorInstance* instance, CzorEntity* entity) {
    if (!manager || !manager->GetStore()) return nullptr;
    if (IsLive(instance)) return instance;
    return manager->GetStore()->CreateInstance(entity, false, true);
}

void DeleteStoreInstance(CFolivox* manager, CzorInstance* instance) {
    if (!IsLive(instance) || !manager || !manager->GetStore()) return;
    manager->GetStore()->DeleteInstance(instance, true, false);
}

void DropRepeats(CzorTAggr<CzorInstance>& list) {
    std::unordered_set<const CzorInstance*> seen;
    for (int i = 0; i < list.GetSize();) {
        if (seen.insert(list.GetAt(i)).second)
            ++i;
        else
            list.RemoveAt(i);
    }
}
