#include "platform/zordata/fictive.h"

#include "platform/zordata/stepdata.h"
#include "platform/text/utf8.h"

CzorFictiveStepData::CzorFictiveStepData() = default;

CzorFictiveStepData::CzorFictiveStepData(const CzorStepData& store)
    : CzorMessageModes(store), m_DictName(store.GetDictName()), m_Entities(store.GetEntities()), m_Attrs(store.GetAttrs()),
      m_Instances(store.GetInstances()), m_bReadOnly(store.IsReadOnly()) {
    // Borrowed, whatever the source's lists do with their items.
    m_Entities.SetOwning(false);
    m_Attrs.SetOwning(false);
    m_Instances.SetOwning(false);
}

CzorFictiveStepData::~CzorFictiveStepData() = default;

CzorEntity* CzorFictiveStepData::GetEntityBN(const char* name) const {
    if (!name) return nullptr;
    for (CzorEntity* e : m_Entities)
        if (zor::EqualsNoCase(e->GetName(), name)) return e;
    return nullptr;
}
