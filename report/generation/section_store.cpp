#include "report/generation/section_store.h"

#include "platform/zordata/zordata.h"
#include "report/generation/data_source.h"
#include "report/model/folivox.h"

CzorInstance* HeaderColumnInstance(CFolivox* manager, CHeaderColumn* column) {
    if (!column || !manager || !manager->GetStore()) return nullptr;
    if (!column->m_pInstance || column->m_pInstance->IsDeleted())
        column->m_pInstance = manager->GetStore()->CreateInstance(manager->Schema().e_zor_col, false, true);
    return column->m_pInstance;
}

CzorInstance* LiveOrNewInstance(CFolivox* manager, CzorInstance* instance, CzorEntity* entity) {
    if (!manager || !manager->GetStore()) return nullptr;
    if (instance && !instance->IsDeleted()) return instance;
    return manager->GetStore()->CreateInstance(entity, false, true);
}

void DeleteStoreInstance(CFolivox* manager, CzorInstance* instance) {
    if (!instance || instance->IsDeleted() || !manager || !manager->GetStore()) return;
    manager->GetStore()->DeleteInstance(instance, true, false);
}

void AddUniqueInstance(CzorTAggr<CzorInstance>& list, CzorInstance* instance) {
    if (instance && list.Find(instance) < 0) list.Add(instance);
}
