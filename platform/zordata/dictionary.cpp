#include "platform/zordata/dictionary.h"

#include "platform/zordata/store_internal.h"

CzorAttr::CzorAttr(const char* name, CzorEntity* entity) : m_pEntity(entity), m_Name(name ? name : "") {}
CzorAttr::CzorAttr(const std::string& name, CzorEntity* entity) : m_pEntity(entity), m_Name(name) {}

CzorEntity::CzorEntity(int id, const std::string& name)
    : m_nId(id), m_Name(name), m_UpperName(zor_detail::ToUpper(name)),
      m_Supertypes(8, true, false), m_Subtypes(8, true, false), m_OwnAttrs(8, true, false),
      m_AllSupertypes(8, true, false), m_AllSubtypes(8, true, false), m_AllAttrs(8, true, false),
      m_Extent(8, false, false) {}

CzorEntity::~CzorEntity() = default;

CzorAttr* CzorEntity::FindAttr(const char* name) const {
    if (!name) return nullptr;
    const std::string_view n(name);
    for (CzorAttr* a : m_AllAttrs)
        if (zor::EqualsNoCase(a->GetName(), n)) return a;
    return nullptr;
}

bool CzorEntity::IsKindOf(const CzorEntity* kind) const {
    if (!kind) return false;
    for (const CzorEntity* e = this; e; e = e->GetSupertype())
        if (e == kind) return true;
    return false;
}
