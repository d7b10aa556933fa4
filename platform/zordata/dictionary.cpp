#include "platform/zordata/dictionary.h"

#include "platform/zordata/store_internal.h"

CzorAttr::CzorAttr(const char* name, CzorEntity* entity) : m_pEntity(entity), m_Name(name ? name : "") {}
CzorAttr::CzorAttr(const std::string& name, CzorEntity* entity) : m_pEntity(entity), m_Name(name) {}

CzorEntity::CzorEntity(int id, const std::string& name)
    : m_nId(id), m_Name(name), m_UpperName(zor_detail::ToUpper(name)),
      m_Supertypes(8, true, false), m_Subtypes(8, true, false), m_OwnAttrs(8, true, false),
      m_Extent(8, false, false) {}

CzorEntity::~CzorEntity() = default;

CzorAttr* CzorEntity::FindAttr(const char* name) const {
    if (!name) return nullptr;
    const std::string_view n(name);
    for (const CzorEntity* e = this; e; e = e->GetSupertype())
        for (CzorAttr* a : e->m_OwnAttrs)
            if (zor::EqualsNoCase(a->GetName(), n)) return a;
    return nullptr;
}

CzorAttr* CzorEntity::GetAttrAt(int k) const {
    if (k < 0) return nullptr;
    for (const CzorEntity* e = this; e; e = e->GetSupertype())
        if (k >= e->m_nInherited) return e->m_OwnAttrs.GetAt(k - e->m_nInherited);
    return nullptr;
}

void CzorEntity::GetAllAttrs(std::vector<CzorAttr*>& out) const {
    out.resize(static_cast<size_t>(GetAttrCount()));
    for (const CzorEntity* e = this; e; e = e->GetSupertype()) {
        size_t k = static_cast<size_t>(e->m_nInherited);
        for (CzorAttr* a : e->m_OwnAttrs) out[k++] = a;
    }
}

std::vector<CzorAttr*> CzorEntity::GetAllAttrs() const {
    std::vector<CzorAttr*> out;
    GetAllAttrs(out);
    return out;
}

void CzorEntity::GetAllSubtypes(std::vector<CzorEntity*>& out) const {
    out.clear();
    // Breadth first over the direct subtype lists: no recursion, whatever the depth.
    for (CzorEntity* sub : m_Subtypes) out.push_back(sub);
    for (size_t i = 0; i < out.size(); ++i)
        for (CzorEntity* sub : out[i]->m_Subtypes) out.push_back(sub);
}

bool CzorEntity::IsKindOf(const CzorEntity* kind) const {
    if (!kind) return false;
    for (const CzorEntity* e = this; e; e = e->GetSupertype())
        if (e == kind) return true;
    return false;
}
