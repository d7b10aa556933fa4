#pragma once
// The dictionary records of a store: entities and their attributes, read from the
// EXPRESS dictionary file. They belong to the store that loaded them; handles stay
// valid while the store keeps that dictionary.
#include <string>
#include <vector>

#include "platform/zordata/taggr.h"
#include "platform/zordata/value.h"

class CzorInstance;

class CzorAttr {
public:
    explicit CzorAttr(const char* name, CzorEntity* entity = nullptr);
    explicit CzorAttr(const std::string& name, CzorEntity* entity = nullptr);
    CzorAttr(const CzorAttr&) = default;
    CzorAttr& operator=(const CzorAttr&) = default;

    // Dictionary-wide number, 1.. in declaration order (0 for an attribute of no store).
    int GetId() const { return m_nId; }
    // The entity that declares the attribute.
    CzorEntity* GetEntity() const { return m_pEntity; }
    const std::string& GetName() const { return m_Name; }
    // zorINSTANCE, zorAGGREGATE, zorINTEGER, zorREAL, zorSTRING, zorBOOLEAN or zorBINARY.
    int GetType() const { return m_Type; }
    // For zorINSTANCE and zorAGGREGATE: the entity referred to (instances of it or of its
    // subtypes are accepted); else null.
    CzorEntity* GetDomain() const { return m_pDomain; }
    // For zorAGGREGATE: the type of the items (zorINSTANCE in the report schema).
    int GetItemType() const { return m_ItemType; }
    bool IsOptional() const { return m_bOptional; }
    // Position of the attribute's value slot in an instance (inherited attributes first).
    int GetIndex() const { return m_nIndex; }

private:
    friend class CzorStepData;
    friend class CzorDictionaryReader;
    int m_nId = 0;
    CzorEntity* m_pEntity = nullptr;
    std::string m_Name;
    int m_Type = zorNOTYPE;
    int m_ItemType = zorNOTYPE;
    CzorEntity* m_pDomain = nullptr;
    std::string m_DomainName;  // while the dictionary is read
    int m_nIndex = -1;
    bool m_bOptional = true;
};

class CzorEntity {
public:
    CzorEntity(const CzorEntity&) = delete;
    CzorEntity& operator=(const CzorEntity&) = delete;
    ~CzorEntity();

    // Dictionary-wide number, 1.. in declaration order.
    int GetId() const { return m_nId; }
    // The name as the dictionary declares it.
    const std::string& GetName() const { return m_Name; }
    // The name in capitals, as exchange files write it.
    const std::string& GetUpperName() const { return m_UpperName; }
    // The direct supertype (null for a root entity).
    CzorEntity* GetSupertype() const { return m_Supertypes.GetAt(0); }
    const CzorTAggr<CzorEntity>& GetSupertypes() const { return m_Supertypes; }
    // The direct subtypes, in declaration order.
    const CzorTAggr<CzorEntity>& GetSubtypes() const { return m_Subtypes; }
    // Every entity below this one, each once (subtypes before their own subtypes). Each entity keeps only
    // its direct subtypes and its own attributes, so a dictionary costs memory in proportion to what it
    // declares; the inherited lists are put together on demand.
    void GetAllSubtypes(std::vector<CzorEntity*>& out) const;
    // Supertypes above this one (0 for a root entity).
    int GetDepth() const { return m_nDepth; }
    // The attributes this entity declares.
    const CzorTAggr<CzorAttr>& GetOwnAttrs() const { return m_OwnAttrs; }
    // All attributes with the inherited ones first: the order of the value slots of its instances.
    void GetAllAttrs(std::vector<CzorAttr*>& out) const;
    std::vector<CzorAttr*> GetAllAttrs() const;
    int GetAttrCount() const { return m_nInherited + m_OwnAttrs.GetSize(); }
    // The attribute of value slot k, or null outside 0 .. GetAttrCount() - 1.
    CzorAttr* GetAttrAt(int k) const;
    // Attribute of this entity or of a supertype by name (letter case ignored), or null.
    CzorAttr* FindAttr(const char* name) const;
    // This entity is kind or a subtype of kind.
    bool IsKindOf(const CzorEntity* kind) const;

private:
    friend class CzorStepData;
    friend class CzorDictionaryReader;
    friend struct zorStoreAccess;
    CzorEntity(int id, const std::string& name);

    int m_nId;
    std::string m_Name;
    std::string m_UpperName;
    CzorTAggr<CzorEntity> m_Supertypes;
    CzorTAggr<CzorEntity> m_Subtypes;
    CzorTAggr<CzorAttr> m_OwnAttrs;
    int m_nInherited = 0;  // attributes of all supertypes: the first value slot of the own ones
    int m_nDepth = 0;
    // The instances of exactly this entity in creation order; deleted ones are dropped
    // lazily (m_nDeleted counts those still listed).
    CzorTAggr<CzorInstance> m_Extent;
    int m_nDeleted = 0;
    std::string m_SupertypeName;  // while the dictionary is read
};
