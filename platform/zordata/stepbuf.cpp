#include "platform/zordata/stepbuf.h"

#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "platform/text/cp1251.h"
#include "platform/zordata/maps.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/store_internal.h"

namespace {

// Instances a block's values refer to, in the order first met.
void CollectRefs(const CzorValue& v, std::vector<CzorInstance*>& out) {
    if (CzorInstance* i = v.GetInstance()) {
        out.push_back(i);
    } else if (const CzorAggr* a = v.GetAggr()) {
        for (const CzorValue& item : *a) CollectRefs(item, out);
    }
}

bool WriteName(CzorDataBuf& buf, const std::string& name, zorBufText text) {
    if (text == zorBufText::Utf8) {
        buf.Add(name);
        return true;
    }
    std::string cp;
    if (!zor::Utf8ToCp1251(name, cp)) return false;
    buf.Add(cp);
    return true;
}

// The slots a block carries for the instance under the options.
template <class F>
void ForEachSlot(CzorInstance* inst, const zorStepBufWriteOptions& o, F&& f) {
    CzorEntity* e = inst->GetEntity();
    const int n = e->GetAttrCount();
    for (int k = 0; k < n; ++k) {
        CzorAttr* attr = e->GetAttrAt(k);
        CzorInstance::CzorValueDefinition* slot = inst->GetValueDefinition(attr ? attr->GetIndex() : -1);
        if (!slot) continue;
        if (o.wanted && !o.wanted(inst, attr)) continue;
        if (o.values == zorStepBufValues::Set && slot->GetValue().IsEmpty()) {
            continue;
        } else if (o.values == zorStepBufValues::Changed && !slot->IsChanged()) {
            continue;
        }
        f(attr, slot->GetValue());
    }
}

}  // namespace

bool zorWriteStepDataBuf(const CzorStepData& store, CzorDataBuf& buf, const std::vector<CzorInstance*>& instances,
                         const zorStepBufWriteOptions& options, std::vector<CzorInstance*>* headersOut) {
    const size_t start = buf.GetSize();
    // Headers: the instances themselves, then every live instance their values reach.
    std::vector<CzorInstance*> headers(instances);
    CzorMap map;
    map.Reserve(static_cast<int>(headers.size()));
    std::unordered_map<const CzorInstance*, int32_t> index;
    for (CzorInstance* inst : instances)
        if (!index.count(inst)) index.emplace(inst, static_cast<int32_t>(index.size()));
    if (index.size() != instances.size()) return false;  // an instance listed twice
    for (CzorInstance* inst : instances) {
        if (!inst || inst->IsDeleted() || !inst->GetEntity()) continue;
        std::vector<CzorInstance*> refs;
        ForEachSlot(inst, options, [&](CzorAttr*, const CzorValue& v) { CollectRefs(v, refs); });
        for (CzorInstance* r : refs) {
            if (r->IsDeleted() || !r->GetEntity() || index.count(r)) continue;
            index.emplace(r, static_cast<int32_t>(headers.size()));
            headers.push_back(r);
        }
    }
    for (const auto& [inst, i] : index) map.Add(reinterpret_cast<long>(inst), i);
    map.SortIn();

    buf.Add(kzorStepDataSignature, kzorStepDataSignatureSize);
    if (!WriteName(buf, store.GetDictName(), options.text)) {
        buf.SetSize(start);
        return false;
    }
    buf.Add(static_cast<int32_t>(store.GetDictNumber()));
    buf.Add(static_cast<int32_t>(headers.size()));
    for (CzorInstance* inst : headers) {
        const bool live = inst && !inst->IsDeleted() && inst->GetEntity();
        buf.Add(static_cast<int32_t>(inst ? inst->GetId() : 0));
        buf.Add(static_cast<int16_t>(live ? inst->GetEntity()->GetId() : 0));
        buf.Add(static_cast<int8_t>(inst ? inst->GetState() : 0));
    }
    for (size_t h = 0; h < instances.size(); ++h) {
        CzorInstance* inst = instances[h];
        if (!inst || inst->IsDeleted() || !inst->GetEntity()) continue;
        buf.Add(static_cast<int32_t>(h));
        const size_t countAt = buf.GetSize();
        buf.Add(static_cast<int32_t>(0));
        int32_t k = 0;
        bool ok = true;
        ForEachSlot(inst, options, [&](CzorAttr* attr, const CzorValue& v) {
            if (!ok) return;
            buf.Add(static_cast<int16_t>(attr->GetId()));
            // References to deleted instances read as absent: write what a read would see.
            if (v.GetType() == zorINSTANCE && v.GetInstance()->IsDeleted()) {
                ok = zorAppendBufValue(buf, CzorValue(), &map, options.text);
            } else if (const CzorAggr* a = v.GetAggr()) {
                CzorAggr live(a->GetType());
                for (const CzorValue& item : *a)
                    if (!(item.GetType() == zorINSTANCE && item.GetInstance()->IsDeleted())) live.Add(item);
                CzorValue lv;
                lv.Set(live);
                ok = zorAppendBufValue(buf, lv, &map, options.text);
            } else {
                ok = zorAppendBufValue(buf, v, &map, options.text);
            }
            ++k;
        });
        if (!ok) {
            buf.SetSize(start);
            return false;
        }
        unsigned char le[4];
        for (int b = 0; b < 4; ++b) le[b] = static_cast<unsigned char>(static_cast<uint32_t>(k) >> (8 * b));
        std::memcpy(buf.GetBuffer() + countAt, le, 4);
    }
    if (headersOut) *headersOut = std::move(headers);
    return true;
}

namespace {

// Stand-ins for header indexes while a buffer is checked: never dereferenced, turned into real
// instances only when the whole buffer has been accepted.
struct RefTokens {
    std::vector<char> bytes;
    CzorInstance* Token(int32_t i) { return reinterpret_cast<CzorInstance*>(bytes.data() + i); }
    int32_t Index(const CzorInstance* p) const {
        return static_cast<int32_t>(reinterpret_cast<const char*>(p) - bytes.data());
    }
};

bool FitsItem(const CzorValue& v, int type, const CzorEntity* domain, const std::vector<CzorEntity*>& headerEntity,
              const RefTokens& tokens) {
    if (v.GetType() != type) return false;
    if (type == zorINSTANCE) {
        const CzorEntity* e = headerEntity[static_cast<size_t>(tokens.Index(v.GetInstance()))];
        return domain && e->IsKindOf(domain);
    }
    if (type == zorREAL) return std::isfinite(v.GetReal());
    return true;
}

bool FitsAttr(const CzorAttr* attr, const CzorValue& v, const std::vector<CzorEntity*>& headerEntity,
              const RefTokens& tokens) {
    if (v.IsEmpty()) return true;
    if (attr->GetType() != zorAGGREGATE) return FitsItem(v, attr->GetType(), attr->GetDomain(), headerEntity, tokens);
    const CzorAggr* a = v.GetAggr();
    if (!a) return false;
    const int itemType = attr->GetItemType() != zorNOTYPE ? attr->GetItemType() : zorINSTANCE;
    for (const CzorValue& item : *a)
        if (!FitsItem(item, itemType, attr->GetDomain(), headerEntity, tokens)) return false;
    return true;
}

void Remap(CzorValue& v, const RefTokens& tokens, const std::vector<CzorInstance*>& real) {
    if (v.GetType() == zorINSTANCE) {
        zorStoreAccess::SetInstance(v, real[static_cast<size_t>(tokens.Index(v.GetInstance()))]);
    } else if (CzorAggr* a = v.GetAggr()) {
        for (CzorValue& item : zorStoreAccess::Items(*a)) Remap(item, tokens, real);
    }
}

struct Parsed {
    struct Block {
        int32_t header = 0;
        std::vector<std::pair<int16_t, CzorValue>> values;  // references are RefTokens
    };
    std::vector<zorStepBufHeader> headers;
    std::vector<Block> blocks;
    RefTokens tokens;
    std::vector<CzorEntity*> entities;  // per header
};

bool Parse(const CzorStepData& store, CzorDataBuf& buf, Parsed& out, int& error, zorBufText text) {
    buf.Begin();
    char sig[kzorStepDataSignatureSize];
    if (!buf.Read(sig, sizeof sig) || std::memcmp(sig, kzorStepDataSignature, sizeof sig) != 0) {
        error = zorErrBufSignature;
        return false;
    }
    std::string name;
    if (!buf.Read(name)) {
        error = zorErrBufSignature;
        return false;
    }
    if (text == zorBufText::Cp1251) name = zor::Cp1251ToUtf8(name);
    int32_t number = 0, n = 0;
    if (!buf.Read(number) || !buf.Read(n)) {
        error = zorErrBufSignature;
        return false;
    }
    if (!store.HasDictionary() || zor_detail::ToLower(name) != zor_detail::ToLower(store.GetDictName()) ||
        (number && store.GetDictNumber() && number != store.GetDictNumber())) {
        error = zorErrBufDictionary;
        return false;
    }
    // The count is checked against what the bytes can hold before anything is allocated.
    if (n < 0 || static_cast<size_t>(n) > buf.GetRemaining() / kzorStepHeaderSize) {
        error = zorErrBadEntity;
        return false;
    }
    out.headers.resize(static_cast<size_t>(n));
    out.entities.assign(static_cast<size_t>(n), nullptr);
    out.tokens.bytes.assign(static_cast<size_t>(n) + 1, 0);
    for (int32_t i = 0; i < n; ++i) {
        zorStepBufHeader& h = out.headers[static_cast<size_t>(i)];
        buf.Read(h.id);
        buf.Read(h.entity);
        buf.Read(h.state);
        if (h.entity != 0) {
            CzorEntity* e = store.GetEntityById(h.entity);
            if (!e || h.id < 0) {
                error = zorErrBadEntity;
                return false;
            }
            out.entities[static_cast<size_t>(i)] = e;
        }
    }
    const auto resolve = [&](int32_t ref) -> CzorInstance* {
        if (ref < 0 || ref >= n || !out.entities[static_cast<size_t>(ref)]) return nullptr;
        return out.tokens.Token(ref);
    };
    std::vector<char> seen(static_cast<size_t>(n), 0);
    while (buf.GetRemaining() > 0) {
        int32_t h = 0, k = 0;
        if (!buf.Read(h) || !buf.Read(k) || h < 0 || h >= n || !out.entities[static_cast<size_t>(h)] ||
            seen[static_cast<size_t>(h)] || k < 0 || static_cast<size_t>(k) > buf.GetRemaining() / 3) {
            error = zorErrBadEntity;
            return false;
        }
        seen[static_cast<size_t>(h)] = 1;
        CzorEntity* e = out.entities[static_cast<size_t>(h)];
        Parsed::Block block;
        block.header = h;
        block.values.reserve(static_cast<size_t>(k));
        for (int32_t j = 0; j < k; ++j) {
            int16_t attrId = 0;
            CzorValue v;
            if (!buf.Read(attrId)) {
                error = zorErrBadEntity;
                return false;
            }
            CzorAttr* attr = store.GetAttrById(attrId);
            if (!attr || !e->IsKindOf(attr->GetEntity())) {
                error = zorErrNoAttr;
                return false;
            }
            if (!zorReadBufValue(buf, v, resolve, text) || !FitsAttr(attr, v, out.entities, out.tokens)) {
                error = zorErrTypeMismatch;
                return false;
            }
            block.values.emplace_back(attrId, std::move(v));
        }
        out.blocks.push_back(std::move(block));
    }
    return true;
}

}  // namespace

bool zorStepBufBlockIds(const CzorStepData& store, CzorDataBuf& buf, std::vector<int32_t>& ids, zorBufText text,
                        int* error) {
    ids.clear();
    Parsed p;
    int err = 0;
    try {
        if (!Parse(store, buf, p, err, text)) {
            if (error) *error = err;
            return false;
        }
    } catch (const std::bad_alloc&) {
        if (error) *error = zorErrNoMemory;
        return false;
    }
    for (const auto& block : p.blocks) ids.push_back(p.headers[static_cast<size_t>(block.header)].id);
    return true;
}

bool CzorStepData::ApploadFromDataBuf(CzorDataBuf& buf, CzorTAggr<CzorInstance>* list, zorBufText text) {
    Parsed p;
    int err = 0;
    try {
        if (!Parse(*this, buf, p, err, text)) {
            SetLastErrorEx(err, true, "zor_step_data", 0);
            return false;
        }
        // Existing instances by id; one of another entity than its header says refuses the buffer.
        std::unordered_map<int32_t, CzorInstance*> wanted;
        for (const auto& h : p.headers)
            if (h.id > 0 && h.entity) wanted.emplace(h.id, nullptr);
        for (int i = 0; i < m_Instances.GetSize() && !wanted.empty(); ++i) {
            CzorInstance* inst = m_Instances.GetAt(i);
            if (inst->IsDeleted()) continue;
            auto it = wanted.find(inst->GetId());
            if (it != wanted.end()) it->second = inst;
        }
        for (size_t i = 0; i < p.headers.size(); ++i) {
            const auto& h = p.headers[i];
            if (h.id <= 0 || !h.entity) continue;
            CzorInstance* have = wanted[h.id];
            if (have && have->GetEntity() != p.entities[i]) {
                SetLastErrorEx(zorErrBadEntity, true, "zor_step_data", 0);
                return false;
            }
        }
        // Accepted: from here on nothing can fail but memory.
        std::vector<CzorInstance*> real(p.headers.size(), nullptr);
        for (size_t i = 0; i < p.headers.size(); ++i) {
            const auto& h = p.headers[i];
            if (!h.entity) continue;
            CzorInstance* inst = h.id > 0 ? wanted[h.id] : nullptr;
            if (!inst) {
                inst = NewInstance(p.entities[i]);
                inst->SetId(h.id);
                for (int s = 0; s < inst->GetValueCount(); ++s) inst->GetValueDefinition(s)->SetLoaded(false);
                if (h.id > 0) wanted[h.id] = inst;
            }
            inst->SetState(h.state);
            real[i] = inst;
        }
        for (auto& block : p.blocks) {
            CzorInstance* inst = real[static_cast<size_t>(block.header)];
            for (auto& [attrId, v] : block.values) {
                CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, GetAttrById(attrId), true);
                if (!slot) continue;
                Remap(v, p.tokens, real);
                if (!slot->IsChanged()) {
                    slot->GetValue() = std::move(v);
                    slot->SetChanged(false);
                    if (const CzorAggr* a = slot->GetValue().GetAggr()) slot->SetList(new CzorAggr(*a));
                    else slot->SetList(nullptr);
                } else if (const CzorAggr* a = v.GetAggr()) {
                    // A list changed here keeps the change; the server's list is what it changed from.
                    slot->SetList(new CzorAggr(*a));
                }
                slot->SetLoaded(true);
            }
        }
        if (list) {
            list->RemoveAll();
            std::unordered_set<const CzorInstance*> listed;
            for (CzorInstance* inst : real)
                if (inst && listed.insert(inst).second) list->Append(inst);
        }
        ClearLastError();
        return true;
    } catch (const std::bad_alloc&) {
        SetLastErrorEx(zorErrNoMemory, true, "zor_step_data", 0);
        return false;
    }
}

int32_t zorDictionaryNumber(const CzorStepData& store) {
    // FNV-1a over the declarations that the buffers' ids and types depend on.
    uint32_t h = 2166136261u;
    const auto mix = [&](const void* p, size_t n) {
        for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<const unsigned char*>(p)[i]) * 16777619u;
    };
    const auto mixInt = [&](int32_t v) { mix(&v, sizeof v); };
    const auto mixText = [&](const std::string& s) {
        const std::string lower = zor_detail::ToLower(s);
        mix(lower.data(), lower.size() + 1);
    };
    mixText(store.GetDictName());
    for (int i = 0; i < store.GetEntities().GetSize(); ++i) {
        const CzorEntity* e = store.GetEntities().GetAt(i);
        mixInt(e->GetId());
        mixText(e->GetName());
        mixInt(e->GetSupertype() ? e->GetSupertype()->GetId() : 0);
    }
    for (int i = 0; i < store.GetAttrs().GetSize(); ++i) {
        const CzorAttr* a = store.GetAttrs().GetAt(i);
        mixInt(a->GetId());
        mixText(a->GetName());
        mixInt(a->GetType());
        mixInt(a->GetItemType());
        mixInt(a->GetEntity() ? a->GetEntity()->GetId() : 0);
        mixInt(a->GetDomain() ? a->GetDomain()->GetId() : 0);
    }
    const int32_t n = static_cast<int32_t>(h & 0x7fffffffu);
    return n ? n : 1;
}
