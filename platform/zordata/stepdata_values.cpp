// Reading and writing attribute values.
#include <cmath>

#include "platform/zordata/databuf.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/store_internal.h"

using Slot = CzorInstance::CzorValueDefinition;

bool CzorStepData::CheckSlot(CzorInstance* inst, CzorAttr* attr) const {
    if (!inst || inst->IsDeleted()) {
        const_cast<CzorStepData*>(this)->SetLastError(zorErrNoInstance);
        return false;
    }
    if (!attr || attr->GetIndex() < 0 || attr->GetIndex() >= inst->m_nSlots || !inst->m_pEntity->IsKindOf(attr->GetEntity())) {
        const_cast<CzorStepData*>(this)->SetLastError(zorErrNoAttr);
        return false;
    }
    return true;
}

Slot* CzorStepData::GetAttrValue(CzorInstance* inst, CzorAttr* attr, bool /*bCreate*/) {
    if (!inst || inst->IsDeleted() || !attr || attr->GetIndex() < 0 || attr->GetIndex() >= inst->m_nSlots ||
        !inst->m_pEntity->IsKindOf(attr->GetEntity()))
        return nullptr;
    return inst->Slots() + attr->GetIndex();
}

CzorValue* CzorStepData::PurgeDeleted(Slot* slot) {
    CzorValue& v = slot->m_Value;
    if (!m_nTombstones) return &v;
    if (v.m_Type == zorINSTANCE) {
        if (v.m_u.inst->IsDeleted()) {
            v.Clear();
            slot->SetChanged(true);
        }
    } else if (v.m_Type == zorAGGREGATE) {
        auto& items = v.m_u.aggr->m_Items;
        size_t w = 0;
        for (size_t r = 0; r < items.size(); ++r) {
            const bool gone = items[r].m_Type == zorINSTANCE && items[r].m_u.inst->IsDeleted();
            if (gone) continue;
            if (w != r) items[w] = std::move(items[r]);
            ++w;
        }
        if (w != items.size()) {
            items.resize(w);
            slot->SetChanged(true);
        }
    }
    return &v;
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, CzorValue** value) {
    if (!value) return false;
    *value = nullptr;
    if (!CheckSlot(inst, attr)) return false;
    CzorValue* v = PurgeDeleted(inst->Slots() + attr->GetIndex());
    if (v->IsEmpty()) {
        SetLastError(zorErrNoValue);
        return false;
    }
    ClearLastError();
    *value = v;
    return true;
}

CzorValue* CzorStepData::ReadOfType(CzorInstance* inst, CzorAttr* attr, int type) {
    CzorValue* v = nullptr;
    if (!GetAttr(inst, attr, &v)) return nullptr;
    if (v->GetType() != type) {
        SetLastError(zorErrTypeMismatch);
        return nullptr;
    }
    return v;
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, int& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorINTEGER);
    return v && v->Get(out);
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, double& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorREAL);
    return v && v->Get(out);
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, std::string& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorSTRING);
    return v && v->Get(out);
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, bool& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorBOOLEAN);
    return v && v->Get(out);
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, CzorInstance*& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorINSTANCE);
    return v && v->Get(out);
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, CzorTAggr<CzorInstance>& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorAGGREGATE);
    if (!v) return false;
    const CzorAggr* list = v->GetAggr();
    out.RemoveAll();
    if (out.GetCapacity() < list->GetSize()) out.SetSize(list->GetSize());
    for (const CzorValue& item : *list)
        if (CzorInstance* i = item.GetInstance()) out.Add(i);
    return true;
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, CzorAggr& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorAGGREGATE);
    if (!v) return false;
    out = *v->GetAggr();
    return true;
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, CzorValue& out) {
    CzorValue* v = nullptr;
    if (!GetAttr(inst, attr, &v)) return false;
    out.Set(*v);
    return true;
}

bool CzorStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, CzorDataBuf& out) {
    const CzorValue* v = ReadOfType(inst, attr, zorBINARY);
    if (!v) return false;
    out = *v->GetBuffer();
    out.Begin();
    return true;
}

// ---- Writing

bool CzorStepData::FitsAttr(CzorAttr* attr, const CzorValue& value) const {
    auto fitsInstance = [&](const CzorValue& v) {
        const CzorInstance* i = v.GetInstance();
        return i && !i->IsDeleted() && i->m_pEntity->IsKindOf(attr->GetDomain());
    };
    switch (value.GetType()) {
    case zorNOTYPE: return true;
    case zorINSTANCE: return attr->GetType() == zorINSTANCE && fitsInstance(value);
    case zorREAL: return attr->GetType() == zorREAL && std::isfinite(value.GetReal());
    case zorAGGREGATE:
        if (attr->GetType() != zorAGGREGATE) return false;
        for (const CzorValue& item : *value.GetAggr())
            if (!fitsInstance(item)) return false;
        return true;
    default: return attr->GetType() == value.GetType();
    }
}

Slot* CzorStepData::WritableSlot(CzorInstance* inst, CzorAttr* attr) {
    if (!CheckSlot(inst, attr)) return nullptr;
    return inst->Slots() + attr->GetIndex();
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorValue& value) {
    Slot* slot = WritableSlot(inst, attr);
    if (!slot) return false;
    if (!FitsAttr(attr, value)) {
        SetLastError(zorErrTypeMismatch);
        return false;
    }
    slot->m_Value.Set(value);
    if (value.GetType() == zorAGGREGATE) slot->m_Value.m_u.aggr->SetType(zorINSTANCE);
    slot->SetChanged(true);
    ClearLastError();
    return true;
}

bool CzorStepData::ClearAttr(CzorInstance* inst, CzorAttr* attr) {
    Slot* slot = WritableSlot(inst, attr);
    if (!slot) return false;
    slot->m_Value.Clear();
    slot->SetChanged(true);
    ClearLastError();
    return true;
}

namespace {
// Writes a plain value of the attribute's exact type straight into the slot.
template <class T>
bool PutPlain(CzorStepData& store, Slot* slot, CzorAttr* attr, int type, T value) {
    if (!slot) return false;
    if (attr->GetType() != type) {
        store.SetLastError(zorErrTypeMismatch);
        return false;
    }
    slot->m_Value.Set(value);
    slot->SetChanged(true);
    store.ClearLastError();
    return true;
}
}  // namespace

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, const char* value) {
    if (!value) {
        if (attr && attr->GetType() != zorSTRING) { SetLastError(zorErrTypeMismatch); return false; }
        return ClearAttr(inst, attr);
    }
    return PutPlain(*this, WritableSlot(inst, attr), attr, zorSTRING, value);
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, const std::string& value) {
    return PutPlain<const std::string&>(*this, WritableSlot(inst, attr), attr, zorSTRING, value);
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, int value) {
    return PutPlain(*this, WritableSlot(inst, attr), attr, zorINTEGER, value);
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, double value) {
    if (!std::isfinite(value)) {
        SetLastError(zorErrTypeMismatch);
        return false;
    }
    return PutPlain(*this, WritableSlot(inst, attr), attr, zorREAL, value);
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, bool value) {
    return PutPlain(*this, WritableSlot(inst, attr), attr, zorBOOLEAN, value);
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, CzorInstance* value) {
    if (!value) {
        if (attr && attr->GetType() != zorINSTANCE) { SetLastError(zorErrTypeMismatch); return false; }
        return ClearAttr(inst, attr);
    }
    Slot* slot = WritableSlot(inst, attr);
    if (!slot) return false;
    if (attr->GetType() != zorINSTANCE || value->IsDeleted() || !value->m_pEntity->IsKindOf(attr->GetDomain())) {
        SetLastError(value->IsDeleted() ? zorErrNoInstance : zorErrTypeMismatch);
        return false;
    }
    slot->m_Value.Set(value);
    slot->SetChanged(true);
    ClearLastError();
    return true;
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, std::nullptr_t) { return ClearAttr(inst, attr); }

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorTAggr<CzorInstance>& value) {
    Slot* slot = WritableSlot(inst, attr);
    if (!slot) return false;
    if (attr->GetType() != zorAGGREGATE) {
        SetLastError(zorErrTypeMismatch);
        return false;
    }
    for (CzorInstance* i : value)
        if (!i || i->IsDeleted() || !i->m_pEntity->IsKindOf(attr->GetDomain())) {
            SetLastError(zorErrTypeMismatch);
            return false;
        }
    auto* list = new CzorAggr(zorINSTANCE);
    list->Reserve(value.GetSize());
    for (CzorInstance* i : value) list->Add(i);
    zorStoreAccess::TakeAggr(slot->m_Value, list);
    slot->SetChanged(true);
    ClearLastError();
    return true;
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorAggr& value) {
    CzorValue v;
    v.Set(value);
    return PutAttr(inst, attr, v);
}

bool CzorStepData::PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorDataBuf& value) {
    Slot* slot = WritableSlot(inst, attr);
    if (!slot) return false;
    if (attr->GetType() != zorBINARY) {
        SetLastError(zorErrTypeMismatch);
        return false;
    }
    slot->m_Value.Set(value);
    slot->SetChanged(true);
    ClearLastError();
    return true;
}

// ---- By attribute name

CzorAttr* CzorStepData::AttrOf(CzorInstance* inst, const char* name) {
    if (!inst || inst->IsDeleted()) {
        SetLastError(zorErrNoInstance);
        return nullptr;
    }
    CzorAttr* attr = inst->m_pEntity->FindAttr(name);
    if (!attr) SetLastError(zorErrNoAttr);
    return attr;
}

#define ZOR_BN_FORMS(T)                                                                          \
    bool CzorStepData::GetAttrBN(CzorInstance* inst, const char* attr, T& out) {                 \
        CzorAttr* a = AttrOf(inst, attr);                                                        \
        return a && GetAttr(inst, a, out);                                                       \
    }
ZOR_BN_FORMS(int)
ZOR_BN_FORMS(double)
ZOR_BN_FORMS(std::string)
ZOR_BN_FORMS(bool)
ZOR_BN_FORMS(CzorInstance*)
ZOR_BN_FORMS(CzorTAggr<CzorInstance>)
ZOR_BN_FORMS(CzorAggr)
ZOR_BN_FORMS(CzorValue)
ZOR_BN_FORMS(CzorDataBuf)
#undef ZOR_BN_FORMS

#define ZOR_PUT_BN(T)                                                                            \
    bool CzorStepData::PutAttrBN(CzorInstance* inst, const char* attr, T value) {                \
        CzorAttr* a = AttrOf(inst, attr);                                                        \
        return a && PutAttr(inst, a, value);                                                     \
    }
ZOR_PUT_BN(const char*)
ZOR_PUT_BN(const std::string&)
ZOR_PUT_BN(int)
ZOR_PUT_BN(double)
ZOR_PUT_BN(bool)
ZOR_PUT_BN(CzorInstance*)
ZOR_PUT_BN(std::nullptr_t)
ZOR_PUT_BN(const CzorTAggr<CzorInstance>&)
ZOR_PUT_BN(const CzorAggr&)
ZOR_PUT_BN(const CzorDataBuf&)
ZOR_PUT_BN(const CzorValue&)
#undef ZOR_PUT_BN
