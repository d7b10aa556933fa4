// Loading instances and values from the server: load batches, command 43, the list of loaded
// instances, the fetch by id and the fetching GetAttr.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "platform/text/cp1251.h"
#include "platform/zordata/stepbuf.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {
constexpr char kLoadSigV1[] = "Load query bufer v0.1";
constexpr char kLoadSigV2[] = "Load query bufer v0.2";
}  // namespace

void zor_NET_LoadQuery::Encode(unsigned char out[24]) const {
    std::memset(out, 0, 24);
    zor::net::StoreI32(out, _pos);
    out[4] = static_cast<unsigned char>(_type);
    zor::net::StoreI32(out + 8, _inst_or_id);
    zor::net::StoreI32(out + 12, _ent_id);
    zor::net::StoreI32(out + 16, _attr_id);
    out[20] = _flag_a ? 1 : 0;
    out[21] = _flag_b ? 1 : 0;
}

// ---- CzorLoadData

CzorLoadData::CzorLoadData(CzorNetStepData* store) : m_pStore(store) {}
CzorLoadData::CzorLoadData(CzorNetStepData* store, std::string source) : m_pStore(store), m_Source(std::move(source)) {}

// A copy shares the records: its list holds the same pointers without owning them.
CzorLoadData::CzorLoadData(const CzorLoadData& other)
    : m_pStore(other.m_pStore), m_Queries(other.m_Queries), m_pTarget(other.m_pTarget), m_Source(other.m_Source) {}

CzorLoadData& CzorLoadData::operator=(const CzorLoadData& other) {
    if (this != &other) {
        m_pStore = other.m_pStore;
        m_Queries = other.m_Queries;
        m_pTarget = other.m_pTarget;
        m_Source = other.m_Source;
    }
    return *this;
}

CzorLoadData::~CzorLoadData() = default;

bool CzorLoadData::ClearQuery() {
    if (!m_pStore) return false;
    // A copy shares the records of the batch it came from and leaves them to it.
    if (m_Queries.IsOwning()) m_Queries.DeleteItems();
    m_Queries.RemoveAll();
    return true;
}

int CzorLoadData::Refuse(int line, const std::string& text) {
    if (!text.empty() && std::getenv("QM_STORE_TRACE"))
        std::fprintf(stderr, "\n!!!!!!!!!!!!!!! Error in CzorLoadData::AddQuery \n%s(%i) : {}%s\n\n", "zorNetStepData", line,
                     text.c_str());
    return -1;
}

int CzorLoadData::AddQuery(char type, long id, long entId, long attrId, bool fa, bool fb) {
    if (!m_pStore || id == -1) return Refuse(__LINE__, {});
    if (type == 'a' && id == 0) return Refuse(__LINE__, " (_type=='a')&&(_inst_or_id==0) !!!");
    if (!std::strchr("abdeir", type) || type == 0) {
        char t[64];
        std::snprintf(t, sizeof t, " _type '%c' not defined !!!", type);
        return Refuse(__LINE__, t);
    }
    if (type == 'b' && id == 0) return Refuse(__LINE__, " (_type=='b')&&(_inst_or_id==0) !!!");
    if (type == 'i' && id == 0) return Refuse(__LINE__, " (_type=='i')&&(_inst_or_id==0) !!!");
    if (entId != 0 && !m_pStore->GetEntityById(static_cast<int>(entId)))
        return Refuse(__LINE__, " Entity with id " + std::to_string(entId) + " not defined !!!");
    if (attrId != 0 && !m_pStore->GetAttrById(static_cast<int>(attrId)))
        return Refuse(__LINE__, " Attr with id " + std::to_string(attrId) + " not defined !!!");
    auto* q = new zor_NET_LoadQuery;
    q->_pos = m_Queries.GetSize();
    q->_type = type;
    q->_inst_or_id = static_cast<int32_t>(id);
    q->_ent_id = static_cast<int32_t>(entId);
    q->_attr_id = static_cast<int32_t>(attrId);
    q->_flag_a = fa;
    q->_flag_b = fb;
    m_Queries.Add(q);
    return q->_pos;
}

int CzorLoadData::AddQuery(char type, long id, CzorEntity* ent, CzorAttr* attr, bool fa, bool fb) {
    if (id == -1 || (!ent && !attr && id == 0)) return Refuse(__LINE__, {});
    return AddQuery(type, id, static_cast<long>(CzorNetStepData::GetEntId(ent)),
                    static_cast<long>(CzorNetStepData::GetAttrId(attr)), fa, fb);
}

int CzorLoadData::AddQuery(char type, long id, const char* entity, const char* attr, bool fa, bool fb) {
    if (!m_pStore) return Refuse(__LINE__, {});
    CzorEntity* e = m_pStore->GetEntityBN(entity);
    CzorAttr* a = e && attr ? m_pStore->GetAttrDefinition(e, attr) : nullptr;
    if (!e || !a) return Refuse(__LINE__, {});
    return AddQuery(type, id, e, a, fa, fb);
}

int CzorLoadData::AddQuery(int pos, char type, long id, CzorEntity* ent, CzorAttr* attr, bool fa, bool fb) {
    if (pos < 0) return Refuse(__LINE__, {});
    for (int i = 0; i < m_Queries.GetSize(); ++i)
        if (m_Queries.GetAt(i)->_pos == pos && m_Queries.GetAt(i)->_type != type) return Refuse(__LINE__, {});
    if (AddQuery(type, id, ent, attr, fa, fb) < 0) return -1;
    m_Queries.GetAt(m_Queries.GetSize() - 1)->_pos = pos;
    return pos;
}

int CzorLoadData::AddQuery(int pos, CzorInstance* inst, bool b) {
    if (!inst || inst->GetId() == 0 || !inst->GetEntity() || pos < 0) return Refuse(__LINE__, {});
    return AddQuery(pos, 'a', inst->GetId(), inst->GetEntity(), nullptr, true, b);
}

int CzorLoadData::AddQuery(CzorInstance* inst, bool b) { return AddQuery(m_Queries.GetSize(), inst, b); }

bool CzorLoadData::LoadEx(bool clearAfter, CzorTAggr<CzorInstance>* loaded, const char* waitText, bool quiet) {
    if (!m_pStore || m_Queries.GetSize() == 0) return false;
    std::vector<zor_NET_LoadQuery> records(static_cast<size_t>(m_Queries.GetSize()));
    for (int i = 0; i < m_Queries.GetSize(); ++i)
        if (const zor_NET_LoadQuery* q = m_Queries.GetAt(i)) records[static_cast<size_t>(i)] = *q;
    const bool mode = m_pStore->GetNetErrorMessageMode();
    if (quiet) m_pStore->SetNetErrorMessageMode(false);
    const bool ok = m_pStore->NET_Load(records.data(), static_cast<long>(records.size()), loaded, m_pTarget, waitText,
                                       m_Source);
    if (clearAfter) ClearQuery();
    m_pStore->SetNetErrorMessageMode(mode);
    return ok;
}

// ---- CzorNetStepData

bool CzorNetStepData::NET_Load(const zor_NET_LoadQuery* queries, long count, CzorTAggr<CzorInstance>* loaded,
                               CzorNetStepData* target, const char* waitText, const std::string& source) {
    if (!GetTransport() || !m_Session.Connected()) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    if (!queries || count <= 0) {
        SetZORError(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    CzorDataBuf body;
    if (source.empty()) {
        body.Add(kLoadSigV1, sizeof kLoadSigV1);
    } else {
        std::string cp;
        zor::Utf8ToCp1251(source, cp);  // a description that the code page cannot carry goes with '?'
        body.Add(kLoadSigV2, sizeof kLoadSigV2);
        body.Add(cp);
    }
    body.Add(static_cast<int32_t>(count));
    for (long i = 0; i < count; ++i) {
        unsigned char rec[24];
        queries[i].Encode(rec);
        body.Add(rec, sizeof rec);
    }
    CzorDataBuf reply;
    // With the error boxes off the lost link is not offered back here.
    if (!RunRequest(waitText, [&](int& status) { return GetTransport()->RequestLoad(status, body, reply); }, true,
                    m_bNetErrorMessageMode))
        return false;
    GetTransport()->ClearInternalData();
    CzorNetStepData* into = target ? target : this;
    if (!into->ApploadFromDataBuf(reply, nullptr, zorBufText::Cp1251)) {
        // The merge refused the reply (signature, dictionary, a malformed part): nothing was merged.
        m_nLastStatus = into->GetLastError();
        if (into != this) SetLastErrorDescription(into->GetLastErrorDescription());
        return false;
    }
    if (loaded && !into->MakeExtFromDbuf(reply, *loaded)) {
        m_nLastStatus = into->GetLastError();
        return false;
    }
    return true;
}

bool CzorNetStepData::NET_LoadDelInst(CzorTAggr<CzorInstance>& deleted, const char* waitText) {
    CzorDataBuf reply;
    if (!RunRequest(waitText, [&](int& status) { return GetTransport()->RequestLoadDelInst(status, reply); }))
        return false;
    GetTransport()->ClearInternalData();
    // The whole reply is checked before anything of it is merged.
    if (!ApploadFromDataBuf(reply, nullptr, zorBufText::Cp1251)) {
        m_nLastStatus = GetLastError();
        return false;
    }
    std::vector<int32_t> withValues;
    if (!MakeExtFromDbuf(reply, deleted) || !zorStepBufBlockIds(*this, reply, withValues, zorBufText::Cp1251)) {
        m_nLastStatus = GetLastError() ? GetLastError() : zorErrBadEntity;
        deleted.RemoveAll();
        return false;
    }
    // Listed are the deleted instances, which come with their values; the live instances their
    // values refer to come named only: merged, not listed.
    const std::unordered_set<int32_t> listed(withValues.begin(), withValues.end());
    std::vector<CzorInstance*> kept;
    for (CzorInstance* inst : deleted) {
        if (!inst->GetEntity()) {
            SetLastError(zorErrBadEntity);
            m_nLastStatus = zorErrBadEntity;
            deleted.RemoveAll();
            return false;
        }
        if (listed.count(inst->GetId())) kept.push_back(inst);
    }
    deleted.RemoveAll();
    for (CzorInstance* inst : kept) deleted.Add(inst);
    return true;
}

bool CzorNetStepData::MakeExtFromDbuf(CzorDataBuf& buf, CzorTAggr<CzorInstance>& ext) {
    ext.RemoveAll();
    buf.Begin();
    char sig[kzorStepDataSignatureSize];
    if (!buf.Read(sig, sizeof sig) || std::memcmp(sig, kzorStepDataSignature, sizeof sig) != 0) {
        SetLastError(zorErrBufSignature);
        return false;
    }
    std::string name;
    int32_t number = 0, n = 0;
    if (!buf.Read(name) || zor::Cp1251ToUtf8(name) != GetDictName()) {
        SetLastError(zorErrBufDictionary);
        return false;
    }
    if (!buf.Read(number) || !buf.Read(n) || n < 0 || static_cast<size_t>(n) > buf.GetRemaining() / kzorStepHeaderSize) {
        SetLastError(zorErrBadEntity);
        return false;
    }
    for (int32_t i = 0; i < n; ++i) {
        int32_t id = 0;
        int16_t entId = 0;
        int8_t state = 0;
        if (!buf.Read(id) || !buf.Read(entId) || !buf.Read(state)) {
            SetLastError(zorErrBadEntity);
            return false;
        }
        if (id == 0 || entId == 0) continue;
        CzorEntity* e = GetEntityById(entId);
        if (!e) {
            SetLastError(zorErrBadEntity);
            continue;
        }
        CzorInstance* inst = FindLoadedById(id);
        if (!inst) {
            // The new instance gets the header's state, not the current user.
            const bool ro = IsReadOnly();
            SetReadOnly(false);
            inst = CreateInstance(e, false, true);
            SetReadOnly(ro);
            inst->SetId(id);
            inst->SetState(state);
            for (int s = 0; s < inst->GetValueCount(); ++s) inst->GetValueDefinition(s)->SetLoaded(false);
        }
        ext.Add(inst);
    }
    return true;
}

CzorInstance* CzorNetStepData::GetInstById(int id) {
    if (CzorInstance* inst = FindLoadedById(id)) return inst;
    // Ids up to 3900 are the server's own and never instances.
    if (id <= 3900) return nullptr;
    CzorLoadData batch(this, "GetInstById");
    if (batch.AddQuery('a', id, nullptr, static_cast<CzorAttr*>(nullptr), true, false) < 0) return nullptr;
    CzorTAggr<CzorInstance> list;
    if (!batch.LoadEx(true, &list, nullptr, false)) return nullptr;
    return list.GetSize() > 0 ? list.GetAt(0) : nullptr;
}

bool CzorNetStepData::GetAttr(CzorInstance* inst, CzorAttr* attr, CzorValue** value) {
    if (value) *value = nullptr;
    if (!inst || !inst->GetEntity()) {
        SetLastError(zorErrNoInstance);
        return false;
    }
    if (!attr) {
        SetLastError(zorErrNoAttr);
        return false;
    }
    if (inst->GetState() > 2) {
        SetLastError(zorErrAccess);
        return false;
    }
    if (CzorStepData::GetAttr(inst, attr, value)) return true;
    CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, attr, false);
    // Fetched once: an unset value that came from the server is not asked for again.
    if (!slot || slot->IsLoaded() || !m_bAutoDownload || inst->IsLocalOnly() || !m_Session.Connected() ||
        inst->GetId() == 0) {
        SetLastError(zorErrNoValue);
        return false;
    }
    zor_NET_LoadQuery q;
    q._type = 'i';
    q._inst_or_id = inst->GetId();
    q._attr_id = attr->GetId();
    if (!NET_Load(&q, 1, nullptr, nullptr, nullptr, {})) {
        SetLastError(zorErrNoValue);
        return false;
    }
    // A reply without this value still settles it: the server has none.
    slot->SetLoaded(true);
    if (CzorStepData::GetAttr(inst, attr, value)) return true;
    SetLastError(zorErrNoValue);
    return false;
}
