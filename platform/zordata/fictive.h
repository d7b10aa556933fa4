#pragma once
// CzorFictiveStepData: a store object that holds no data of its own. Its entity, attribute and
// instance lists borrow what another store owns (a snapshot of that store's lists when it is made),
// so copies are cheap and destroying one frees nothing but its lists. Handles stay valid while the
// store it was taken from keeps them.
#include <string>

#include "platform/zordata/dictionary.h"
#include "platform/zordata/errors.h"
#include "platform/zordata/instance.h"
#include "platform/zordata/taggr.h"

class CzorStepData;

class CzorFictiveStepData : public CzorMessageModes {
public:
    // Empty lists and the defaults of a new store.
    CzorFictiveStepData();
    // The dictionary and instances of the store as they are now.
    explicit CzorFictiveStepData(const CzorStepData& store);
    // Copies every field; the lists of the copy borrow the same items.
    CzorFictiveStepData(const CzorFictiveStepData&) = default;
    CzorFictiveStepData& operator=(const CzorFictiveStepData&) = default;
    virtual ~CzorFictiveStepData();

    const std::string& GetDictName() const { return m_DictName; }
    const CzorTAggr<CzorEntity>& GetEntities() const { return m_Entities; }
    const CzorTAggr<CzorAttr>& GetAttrs() const { return m_Attrs; }
    const CzorTAggr<CzorInstance>& GetInstances() const { return m_Instances; }
    // Letter case ignored; null when absent.
    CzorEntity* GetEntityBN(const char* name) const;

    int GetLastError() const { return m_nLastError; }
    const char* GetLastErrorDescription() const { return m_LastErrorDesc.c_str(); }
    bool IsReadOnly() const { return m_bReadOnly; }

private:
    std::string m_DictName;
    CzorTAggr<CzorEntity> m_Entities{8, true, false};
    CzorTAggr<CzorAttr> m_Attrs{8, true, false};
    CzorTAggr<CzorInstance> m_Instances{8, true, false};
    bool m_bReadOnly = false;
    int m_nLastError = 0;
    std::string m_LastErrorDesc;
};
