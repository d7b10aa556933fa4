// The store: dictionary, instances, extents.
#include "platform/zordata/stepdata.h"
#include "platform/zordata/stepbuf.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/base/file_io.h"
#include "platform/text/utf8.h"
#include "platform/zordata/packed.h"
#include "platform/zordata/store_internal.h"

using zor_detail::Arena;
using zor_detail::NameTable;


CzorStepData::CzorStepData() : m_pNames(std::make_unique<NameTable>()), m_pArena(std::make_unique<Arena>()) {}

CzorStepData::~CzorStepData() { ClearDictionary(); }

// ---- Dictionary

bool CzorStepData::LoadDictionary(const char* path) {
    if (!path || !*path) {
        SetLastErrorEx(zorErrDictRead, true, "", 0);
        return false;
    }
    return LoadDictionaryFromFile((std::string(path) + ".dict").c_str());
}

bool CzorStepData::LoadDictionaryFromFile(const char* file) {
    if (!file) {
        SetLastErrorEx(zorErrDictRead, true, "", 0);
        return false;
    }
    bool replacing = false;
    try {
        std::string text;
        if (!zor::ReadWholeFile(file, text)) {
            SetLastErrorEx(zorErrDictRead, true, file, 0);
            return false;
        }
        CzorDictionaryReader::Result dict;
        std::string error;
        if (!CzorDictionaryReader::Read(text, dict, error)) {
            SetLastErrorEx(zorErrDictSyntax, true, (std::string(file) + ": " + error).c_str(), 0);
            return false;
        }
        ClearLastError();
        if (HasDictionary() && zor::EqualsNoCase(m_DictName, dict.name)) return true;  // same dictionary: keep all
        replacing = true;
        ClearDictionary();
        m_DictName = dict.name;
        m_DictFile = file;
        m_OwnedEntities.reserve(dict.entities.size());
        m_OwnedAttrs.reserve(dict.attrs.size());
        for (auto& e : dict.entities) {
            m_OwnedEntities.push_back(std::move(e));
            m_Entities.Append(m_OwnedEntities.back().get());
            m_pNames->Add(m_OwnedEntities.back().get());
        }
        for (auto& a : dict.attrs) {
            m_OwnedAttrs.push_back(std::move(a));
            m_Attrs.Append(m_OwnedAttrs.back().get());
        }
        m_nDictNumber = zorDictionaryNumber(*this);
        return true;
    } catch (const std::bad_alloc&) {
        // Out of memory is a failed load like any other: the store keeps the dictionary it had, or none
        // when it was already being replaced.
        if (replacing) ClearDictionary();
        SetLastErrorEx(zorErrNoMemory, true, file, 0);
        return false;
    }
}

void CzorStepData::ClearDictionary() {
    FreeInstances();
    m_Entities.RemoveAll();
    m_Attrs.RemoveAll();
    m_pNames->Clear();
    m_OwnedAttrs.clear();
    m_OwnedEntities.clear();
    m_DictName.clear();
    m_DictFile.clear();
    m_nDictNumber = 0;
}

CzorEntity* CzorStepData::GetEntityBN(const char* name) const {
    if (!name) return nullptr;
    return m_pNames->Find(name);
}

CzorEntity* CzorStepData::GetEntityById(int id) const {
    if (id < 1) return nullptr;  // ids come off the wire: INT_MIN - 1 must never be computed
    CzorEntity* e = m_Entities.GetAt(id - 1);  // ids are positions + 1
    return (e && e->GetId() == id) ? e : nullptr;
}

CzorAttr* CzorStepData::GetAttrDefinition(CzorEntity* entity, const char* name) const {
    if (!entity || !name) return nullptr;
    return entity->FindAttr(name);
}

CzorAttr* CzorStepData::GetAttrById(int id) const {
    if (id < 1) return nullptr;
    CzorAttr* a = m_Attrs.GetAt(id - 1);
    return (a && a->GetId() == id) ? a : nullptr;
}

// ---- Instances

CzorInstance* CzorStepData::NewInstance(CzorEntity* entity) {
    const int n = entity->GetAttrCount();
    void* mem = m_pArena->Alloc(sizeof(CzorInstance) + sizeof(CzorInstance::CzorValueDefinition) * static_cast<size_t>(n));
    auto* inst = new (mem) CzorInstance();
    inst->m_pEntity = entity;
    inst->m_nSlots = static_cast<uint16_t>(n);
    inst->m_nSeq = m_nNextSeq++;
    auto* slots = inst->Slots();
    for (int i = 0; i < n; ++i) new (slots + i) CzorInstance::CzorValueDefinition();
    m_Instances.Append(inst);
    entity->m_Extent.Append(inst);
    ++m_nLive;
    return inst;
}

void CzorStepData::MoveToEnd(const std::vector<CzorInstance*>& instances) {
    // The moved ones are told apart by their new numbers, which no other instance has reached.
    const uint32_t first = m_nNextSeq;
    std::vector<CzorEntity*> entities;
    const auto note = [&](const CzorInstance* inst) {
        if (inst->m_pEntity && std::find(entities.begin(), entities.end(), inst->m_pEntity) == entities.end())
            entities.push_back(inst->m_pEntity);
    };
    // In their new order: one instance, or a packed batch's kept instances (a batch holds a great many,
    // which are not copied out one by one; its list keeps its place in memory while the batches are
    // sorted).
    struct Moved {
        CzorInstance* const* from;
        size_t count;
    };
    std::vector<Moved> moved;
    size_t movedCount = 0;
    // Batches are found by their old places until every instance has moved.
    std::vector<std::pair<zor_detail::PackedRun*, uint32_t>> runsMoved;
    for (size_t j = 0; j < instances.size(); ++j) {
        CzorInstance* inst = instances[j];
        if (!inst || inst->IsDeleted() || inst->m_nSeq >= first) continue;
        zor_detail::PackedRun* run = inst->IsPacked() && m_pPacked ? m_pPacked->Find(inst->m_nSeq) : nullptr;
        if (!run) {
            inst->m_nSeq = m_nNextSeq++;
            note(inst);
            if (!moved.empty() && moved.back().from + moved.back().count == &instances[j]) ++moved.back().count;
            else moved.push_back({&instances[j], 1});
            ++movedCount;
            continue;
        }
        // A packed batch moves whole, its kept instances (deleted ones too) keeping their places in it.
        runsMoved.emplace_back(run, m_nNextSeq);
        for (size_t k = 0; k < run->kept.size(); ++k) {
            run->kept[k]->m_nSeq = m_nNextSeq + zor_detail::KeptAt(*run, k);
            note(run->kept[k]);
        }
        moved.push_back({run->kept.data(), run->kept.size()});
        movedCount += run->kept.size();
        m_nNextSeq += run->count;
    }
    if (movedCount == 0) return;
    for (const auto& [run, firstSeq] : runsMoved) run->firstSeq = firstSeq;
    if (!runsMoved.empty())
        std::stable_sort(m_pPacked->runs.begin(), m_pPacked->runs.end(),
                         [](const zor_detail::PackedRun& a, const zor_detail::PackedRun& b) { return a.firstSeq < b.firstSeq; });
    // In place: the others close up in their order, the moved ones follow in their new order.
    const auto toEnd = [&](CzorTAggr<CzorInstance>& list, const CzorEntity* only) {
        int w = 0;
        for (int r = 0; r < list.m_nCount; ++r)
            if (list.m_pItems[r]->m_nSeq < first) list.m_pItems[w++] = list.m_pItems[r];
        for (const Moved& m : moved)
            for (size_t i = 0; i < m.count; ++i)
                if (!only || m.from[i]->m_pEntity == only) list.m_pItems[w++] = m.from[i];
        // An extent lets go of the tombstones of a moved batch (their entity is gone).
        if (w != list.m_nCount) {
            list.m_nCount = w;
            list.DropIndex();
        }
    };
    toEnd(m_Instances, nullptr);
    for (CzorEntity* entity : entities) toEnd(entity->m_Extent, entity);
}

CzorInstance* CzorStepData::CreateInstance(CzorEntity* entity, bool bLocalOnly, bool /*bInitValues*/) {
    if (!entity) {
        SetLastError(zorErrNoEntity);
        return nullptr;
    }
    CzorInstance* inst = NewInstance(entity);
    inst->SetLocalOnly(bLocalOnly);
    return inst;
}

CzorInstance* CzorStepData::CreateInstanceBN(const char* entity, bool bLocalOnly, bool bInitValues) {
    return CreateInstance(GetEntityBN(entity), bLocalOnly, bInitValues);
}

bool CzorStepData::DeleteInstance(CzorInstance* inst, bool /*bClearRefs*/, bool bForce) {
    if (!inst || inst->IsDeleted()) {
        SetLastError(zorErrNoInstance);
        return false;
    }
    if (!bForce && (inst->GetState() == 2 || inst->GetState() == 3)) {
        SetLastError(zorErrAccess);
        return false;
    }
    CzorEntity* entity = inst->m_pEntity;
    auto* slots = inst->Slots();
    for (int i = 0; i < inst->m_nSlots; ++i) slots[i].~CzorValueDefinition();
    inst->m_nSlots = 0;
    inst->m_pEntity = nullptr;
    inst->m_Flags |= CzorInstance::kDeleted;
    ++entity->m_nDeleted;
    --m_nLive;
    ++m_nTombstones;
    if (inst->IsPacked()) ForgetPacked(inst);
    return true;
}

void CzorStepData::FreeInstances() {
    for (CzorInstance* inst : m_Instances) {
        auto* slots = inst->Slots();
        for (int i = 0; i < inst->m_nSlots; ++i) slots[i].~CzorValueDefinition();
    }
    m_Instances.RemoveAll();
    for (CzorEntity* e : m_Entities) {
        e->m_Extent.RemoveAll();
        e->m_nDeleted = 0;
    }
    m_pArena->Clear();
    m_pPacked.reset();
    m_nLive = 0;
    m_nTombstones = 0;
    m_nNextSeq = 1;
}

void CzorStepData::ClearData() { FreeInstances(); }

bool CzorStepData::GetEntityExtent(CzorEntity* entity, CzorTAggr<CzorInstance>& list) {
    if (!entity) {
        SetLastError(zorErrNoEntity);
        return false;
    }
    list.RemoveAll();
    auto compact = [](CzorEntity* e) {
        if (!e->m_nDeleted) return;
        CzorTAggr<CzorInstance>& ext = e->m_Extent;
        int w = 0;
        for (int r = 0; r < ext.m_nCount; ++r)
            if (!ext.m_pItems[r]->IsDeleted()) ext.m_pItems[w++] = ext.m_pItems[r];
        ext.m_nCount = w;
        e->m_nDeleted = 0;
    };
    compact(entity);
    std::vector<CzorEntity*> subtypes;
    entity->GetAllSubtypes(subtypes);
    int parts = entity->m_Extent.GetSize() ? 1 : 0;
    size_t total = static_cast<size_t>(entity->m_Extent.GetSize());
    for (CzorEntity* sub : subtypes) {
        compact(sub);
        if (sub->m_Extent.GetSize()) { ++parts; total += static_cast<size_t>(sub->m_Extent.GetSize()); }
    }
    if (list.GetCapacity() < static_cast<int>(total)) list.SetSize(static_cast<int>(total));
    for (CzorInstance* i : entity->m_Extent) list.Append(i);
    if (parts <= 1) {
        for (CzorEntity* sub : subtypes)
            for (CzorInstance* i : sub->m_Extent) list.Append(i);
        return true;
    }
    // Each entity's extent is in creation order; merging them keeps that order.
    for (CzorEntity* sub : subtypes) {
        if (!sub->m_Extent.GetSize()) continue;
        const int mid = list.GetSize();
        for (CzorInstance* i : sub->m_Extent) list.Append(i);
        std::inplace_merge(list.m_pItems, list.m_pItems + mid, list.m_pItems + list.m_nCount,
                           [](const CzorInstance* a, const CzorInstance* b) { return a->m_nSeq < b->m_nSeq; });
    }
    if (list.m_pIndex) list.DropIndex();
    return true;
}

bool CzorStepData::GetEntityExtentBN(const char* entity, CzorTAggr<CzorInstance>& list) {
    return GetEntityExtent(GetEntityBN(entity), list);
}

bool CzorStepData::IsKindOf(const CzorInstance* inst, const CzorEntity* entity) const {
    if (!inst || !entity || inst->IsDeleted()) return false;
    return inst->m_pEntity->IsKindOf(entity);
}

bool CzorStepData::IsKindOfBN(const CzorInstance* inst, const char* entity) const {
    return IsKindOf(inst, GetEntityBN(entity));
}

bool CzorStepData::TestUniqueAttrValuesBN(const char* entity, CzorInstance* except, int n, CzorAttrValue* values) {
    return TestUniqueAttrValues(GetEntityBN(entity), except, n, values);
}

bool CzorStepData::PrepareAttrReads(CzorInstance* const*, int, CzorAttr*) { return true; }

bool CzorStepData::TestUniqueAttrValues(CzorEntity* entity, CzorInstance* except, int n, CzorAttrValue* values) {
    if (!entity || n < 0 || (n > 0 && !values)) return false;
    for (int k = 0; k < n; ++k)
        if (!values[k].m_pAttr || !values[k].m_pAttr->GetEntity() ||
            !entity->IsKindOf(values[k].m_pAttr->GetEntity()))
            return false;
    CzorTAggr<CzorInstance> ext;
    GetEntityExtent(entity, ext);
    for (CzorInstance* inst : ext) {
        if (inst == except) continue;
        bool all = true;
        for (int k = 0; k < n && all; ++k) {
            CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, values[k].m_pAttr);
            const CzorValue* v = slot ? PurgeDeleted(slot) : nullptr;
            all = v ? v->IsEqu(values[k].m_Value) : values[k].m_Value.IsEmpty();
        }
        if (all) return false;
    }
    return true;
}
