#include "report/model/section_store.h"

#include "platform/zordata/zordata.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"

CzorInstance* HeaderColumnInstance(CFolivox* manager, CHeaderColumn* column) {
    if (!column || !manager || !manager->GetStore()) return nullptr;
    column->m_pInstance = LiveOrNewInstance(manager, column->m_pInstance, manager->Schema().e_zor_col);
    return column->m_pInstance;
}

void AddUniqueInstance(CzorTAggr<CzorInstance>& list, CzorInstance* instance) {
    if (instance && list.Find(instance) < 0) list.Add(instance);
}
