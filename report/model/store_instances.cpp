#include "report/model/store_instances.h"

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
