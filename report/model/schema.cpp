#include "report/model/schema.h"

#include "platform/zordata/zordata.h"

void CReportSchema::Bind(CzorStepData& store) {
    // Each attribute is looked up on the entity of its own row, so inherited attributes resolve too.
#define QM_SCHEMA_E(e) e_##e = store.GetEntityBN(#e);
#define QM_SCHEMA_A(e, a) e##_##a = store.GetAttrDefinition(e_##e, #a);
    QM_REPORT_SCHEMA(QM_SCHEMA_E, QM_SCHEMA_A)
#undef QM_SCHEMA_E
#undef QM_SCHEMA_A
}

CzorInstance* FirstOfExtent(CzorStepData& store, CzorEntity* entity) {
    CzorTAggr<CzorInstance> extent;
    store.GetEntityExtent(entity, extent);
    return extent.GetAt(0);
}
