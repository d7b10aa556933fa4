#include "platform/appserver/save.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/appserver/access.h"
#include "platform/appserver/blobs.h"
#include "platform/appserver/database.h"
#include "platform/appserver/passwords.h"
#include "platform/appserver/query_plan.h"
#include "platform/base/ole_date.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/store_internal.h"

namespace zor::appserver {
namespace {

static_assert(sizeof kSaveReplySignature == 22);

// The byte ranges of the values a stored row holds, in order; `tail` is where reading stopped.
struct RowValues {
    std::vector<std::pair<size_t, size_t>> ranges;
    size_t tail = 0;
};
RowValues SplitRow(const std::vector<unsigned char>& row, RefStandIns& standIns) {
    RowValues out;
    CzorDataBuf buf;
    buf.SetExternalData(row.data(), row.size());
    while (buf.GetRemaining() > 0) {
        const size_t from = buf.GetCurPos();
        CzorValue v;
        if (!zorReadBufValue(buf, v, [&](int32_t id) { return standIns.For(id); })) break;
        out.ranges.emplace_back(from, buf.GetCurPos());
    }
    out.tail = buf.GetCurPos();
    return out;
}

// The value without its references to `gone`; true when any was taken out.
bool DropRefs(CzorValue& v, const std::unordered_set<int32_t>& gone) {
    if (const CzorInstance* i = v.GetInstance()) {
        if (!gone.count(i->GetId())) return false;
        v.Clear();
        return true;
    }
    const CzorAggr* a = v.GetAggr();
    if (!a) return false;
    bool dropped = false;
    CzorAggr kept(a->GetType());
    for (const CzorValue& item : *a) {
        CzorValue copy(item);
        if (copy.GetInstance() && gone.count(copy.GetInstance()->GetId())) {
            dropped = true;
            continue;
        }
        dropped = DropRefs(copy, gone) || dropped;
        kept.Add(copy);
    }
    if (dropped) v.Set(kept);
    return dropped;
}

// Every stored reference to a deleted instance goes with it.
bool ClearReferences(ServerDatabase& db, RefStandIns& standIns, const std::unordered_set<int32_t>& gone) {
    // A reference is written as its type code and the id: rows without those bytes are not read.
    std::vector<std::array<unsigned char, 5>> patterns;
    for (int32_t id : gone) {
        std::array<unsigned char, 5> p{static_cast<unsigned char>(zorINSTANCE)};
        zor::net::StoreI32(p.data() + 1, id);
        patterns.push_back(p);
    }
    std::vector<InstanceRow> changed;
    const bool read = ForEachReferrerRow(db, gone, [&](const InstanceRow& row) {
        const bool may = std::any_of(patterns.begin(), patterns.end(), [&](const std::array<unsigned char, 5>& p) {
            return std::search(row.data.begin(), row.data.end(), p.begin(), p.end()) != row.data.end();
        });
        if (!may) return true;
        CzorDataBuf in;
        in.SetExternalData(row.data.data(), row.data.size());
        CzorDataBuf out;
        bool dropped = false;
        while (in.GetRemaining() > 0) {
            CzorValue v;
            const size_t from = in.GetCurPos();
            if (!zorReadBufValue(in, v, [&](int32_t id) { return standIns.For(id); })) {
                out.Add(row.data.data() + from, row.data.size() - from);
                break;
            }
            dropped = DropRefs(v, gone) || dropped;
            if (!zorAppendBufValue(out, v)) return false;
        }
        if (dropped) changed.push_back({row.id, row.entity, std::vector<unsigned char>(out.GetBuffer(), out.GetBuffer() + out.GetSize())});
        return true;
    });
    if (!read) return false;
    for (const InstanceRow& row : changed)
        if (!db.WriteInstanceRow(row.id, row.entity, row.data)) return false;
    return true;
}

// The texts of a value that may name blobs (the server's names: "blob_" and letters, digits, '_').
void BlobNames(const CzorValue& v, std::set<std::string>& out) {
    if (const char* s = v.GetString()) {
        if (std::strncmp(s, "blob_", 5) == 0 && BlobTransfer::ValidName(s)) out.insert(s);
    } else if (const CzorAggr* a = v.GetAggr()) {
        for (const CzorValue& item : *a) BlobNames(item, out);
    }
}
std::set<std::string> BlobNamesOfRow(const std::vector<unsigned char>& row, RefStandIns& standIns) {
    std::set<std::string> out;
    CzorDataBuf buf;
    buf.SetExternalData(row.data(), row.size());
    while (buf.GetRemaining() > 0) {
        CzorValue v;
        if (!zorReadBufValue(buf, v, [&](int32_t id) { return standIns.For(id); })) break;
        BlobNames(v, out);
    }
    return out;
}

int32_t StatusOfParse(int storeError) {
    switch (storeError) {
    case zorErrBufDictionary: return ZOR_NET_SRV_ZORAPIERR_INCOMPATIBLEDICT;
    case zorErrNoAttr: return ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ATTR_ID;
    case zorErrBadEntity: return ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID;
    case zorErrBufSignature: return ZOR_NET_SRV_MISSED_BUF_FORMAT;
    default: return ZOR_NET_SRV_ZORAPIERR_BADDATA;
    }
}

struct Header {
    zorStepBufHeader h;
    CzorEntity* entity = nullptr;
    CzorInstance* inst = nullptr;  // the scratch instance holding its block's values
};

}  // namespace

CzorInstance* RefStandIns::For(int32_t id) {
    auto it = m_byId.find(id);
    if (it != m_byId.end()) return it->second;
    CzorEntity* any = m_store.GetEntities().GetSize() ? m_store.GetEntities().GetAt(0) : nullptr;
    CzorInstance* inst = any ? m_store.CreateInstance(any) : nullptr;
    if (inst) inst->SetId(id);
    m_byId.emplace(id, inst);
    return inst;
}

int32_t ApplySave(ServerDatabase& db, CzorStepData& scratch, const unsigned char* data, size_t size,
                  const uint64_t* token, std::vector<unsigned char>& reply, AccessView& access) {
    const int32_t userId = access.User();
    reply.clear();
    scratch.ClearData();
    CzorDataBuf buf;
    buf.SetExternalData(data, size);
    char sig[kzorStepDataSignatureSize];
    std::string name;
    int32_t number = 0, n = 0;
    if (!buf.Read(sig, sizeof sig) || std::memcmp(sig, kzorStepDataSignature, sizeof sig) != 0 || !buf.Read(name) ||
        !buf.Read(number) || !buf.Read(n))
        return ZOR_NET_SRV_MISSED_BUF_FORMAT;
    if (zor_detail::ToLower(zor::Cp1251ToUtf8(name)) != zor_detail::ToLower(scratch.GetDictName()) ||
        (number != 0 && number != scratch.GetDictNumber()))
        return ZOR_NET_SRV_ZORAPIERR_INCOMPATIBLEDICT;
    if (n < 0 || static_cast<size_t>(n) > buf.GetRemaining() / kzorStepHeaderSize) return ZOR_NET_SRV_MISSED_BUF_FORMAT;
    std::vector<Header> headers(static_cast<size_t>(n));
    std::unordered_set<int32_t> ids;
    for (Header& x : headers) {
        buf.Read(x.h.id);
        buf.Read(x.h.entity);
        buf.Read(x.h.state);
        if (x.h.id < 0 || (x.h.id > 0 && !ids.insert(x.h.id).second)) return ZOR_NET_SRV_MISSED_BUF_FORMAT;
        if (x.h.entity != 0 && !(x.entity = scratch.GetEntityById(x.h.entity)))
            return ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID;
    }
    // The blocks, read and checked whole by the store's own reader before anything is written.
    CzorTAggr<CzorInstance> merged;
    if (!scratch.ApploadFromDataBuf(buf, &merged, zorBufText::Cp1251)) {
        const int32_t status = StatusOfParse(scratch.GetLastError());
        scratch.ClearData();
        return status;
    }
    // The merged list has one instance per header with an entity, in header order (ids are unique).
    int next = 0;
    for (Header& x : headers) {
        if (!x.entity) continue;
        if (next >= merged.GetSize()) {
            scratch.ClearData();
            return ZOR_NET_SRV_MISSED_BUF_FORMAT;
        }
        x.inst = merged.GetAt(next++);
    }

    int32_t status = 0;
    RefStandIns standIns(scratch);
    const char* dbFile = db.Handle() ? sqlite3_db_filename(db.Handle(), "main") : nullptr;
    const std::string blobFolder = dbFile && *dbFile ? BlobTransfer::FolderOf(dbFile) : std::string();
    const double now = zor::TimeToOleDate(std::time(nullptr));
    const bool applied = db.EnsureSaveSchema() && db.InSharedTransaction([&] {
        status = 0;
        if (token) {
            if (auto recorded = db.FindSaveReply(*token)) {
                // Answered once the transaction that found it is synced: the reply may be that of
                // a save committed with it.
                reply = std::move(*recorded);
                return true;
            }
        }
        std::vector<std::vector<unsigned char>> oldRows(headers.size());
        std::unordered_set<int32_t> gone;
        std::set<std::string> dropped;  // blobs that rows named before this save and no longer do
        int32_t fresh = 0;
        for (size_t i = 0; i < headers.size(); ++i) {
            const Header& x = headers[i];
            if (x.h.id == 0) {
                // Users and groups are made by administrators only.
                if (x.entity && !access.Administrator() && AccessView::AgentEntity(x.entity)) {
                    status = ZOR_NET_SRV_ACCESS_DENY;
                    return false;
                }
                fresh += x.entity ? 1 : 0;
                continue;
            }
            if (!x.entity) {
                if (db.GetInstance(x.h.id) && access.Mode(x.h.id) != kModeOwn) {
                    status = ZOR_NET_SRV_ACCESS_DENY;
                    return false;
                }
                gone.insert(x.h.id);
                continue;
            }
            std::string entity;
            auto row = db.GetInstance(x.h.id, &entity);
            if (!row) {
                status = ZOR_NET_SRV_ZORAPIERR_BADINSTANCE;
                return false;
            }
            if (zor_detail::ToLower(entity) != zor_detail::ToLower(x.entity->GetName())) {
                status = ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID;
                return false;
            }
            oldRows[i] = std::move(*row);
        }
        int32_t newId = fresh ? db.TakeInstanceIds(fresh) : 0;
        if (fresh && !newId) {
            status = ZOR_NET_SRV_ERROR_PROCESSED;
            return false;
        }
        for (Header& x : headers)
            if (x.h.id == 0 && x.inst) x.inst->SetId(newId++);
        for (size_t i = 0; i < headers.size(); ++i) {
            const Header& x = headers[i];
            if (!x.inst) continue;
            const auto attrs = x.entity->GetAllAttrs();
            bool any = x.h.id == 0;
            for (CzorAttr* a : attrs) {
                const CzorInstance::CzorValueDefinition* slot = scratch.GetAttrValue(x.inst, a);
                any = any || (slot && slot->IsLoaded());
            }
            if (!any) continue;  // only named: its row stays as it is
            if (x.h.id != 0 && access.Mode(x.h.id) > kModeReadWrite) {
                status = ZOR_NET_SRV_ACCESS_DENY;
                return false;
            }
            // A password given for a user is kept apart in its hashed form; the row never holds it.
            if (AccessView::AgentEntity(x.entity))
                if (CzorAttr* pa = scratch.GetAttrDefinition(x.entity, "password"))
                    if (CzorInstance::CzorValueDefinition* slot = scratch.GetAttrValue(x.inst, pa); slot && slot->IsLoaded()) {
                        std::string given;
                        if (slot->GetValue().Get(given) && !db.PutPassword(x.inst->GetId(), LoginPassword(given))) {
                            status = ZOR_NET_SRV_ERROR_PROCESSED;
                            return false;
                        }
                        slot->GetValue().Clear();
                    }
            if (!(x.h.id == 0 ? RecordCreated(db, x.inst->GetId(), userId, now)
                              : RecordUpdated(db, x.inst->GetId(), userId, now))) {
                status = ZOR_NET_SRV_ERROR_PROCESSED;
                return false;
            }
            const RowValues old = SplitRow(oldRows[i], standIns);
            CzorDataBuf row;
            for (size_t k = 0; k < attrs.size(); ++k) {
                const CzorInstance::CzorValueDefinition* slot = scratch.GetAttrValue(x.inst, attrs[k]);
                if (slot && slot->IsLoaded()) {
                    if (!zorAppendBufValue(row, slot->GetValue())) {
                        status = ZOR_NET_SRV_ZORAPIERR_BADDATA;
                        return false;
                    }
                } else if (k < old.ranges.size()) {
                    row.Add(oldRows[i].data() + old.ranges[k].first, old.ranges[k].second - old.ranges[k].first);
                } else {
                    zorAppendBufValue(row, CzorValue());
                }
            }
            // What the row holds beyond the entity's attributes (a user's group) stays.
            const size_t beyond = attrs.size() < old.ranges.size() ? old.ranges[attrs.size()].first : old.tail;
            if (beyond < oldRows[i].size()) row.Add(oldRows[i].data() + beyond, oldRows[i].size() - beyond);
            std::vector<unsigned char> written(row.GetBuffer(), row.GetBuffer() + row.GetSize());
            // A blob the row no longer names passes to the saving user, who could change the row
            // and so the blob: he may delete it now (the client does, after the save).
            const std::set<std::string> named = BlobNamesOfRow(written, standIns);
            const std::set<std::string> before = oldRows[i].empty() ? std::set<std::string>{} : BlobNamesOfRow(oldRows[i], standIns);
            for (const std::string& name : before)
                if (!named.count(name)) dropped.insert(name);
            // Naming a blob lets whoever reads the row open it: only a blob the saver may open
            // himself can be named anew (his own new one, or one an instance he reads names).
            for (const std::string& name : named)
                if (!before.count(name) && !blobFolder.empty() && BlobTransfer::Exists(blobFolder, name) && access.MayReadBlob(name) != 0) {
                    status = ZOR_NET_SRV_ACCESS_DENY;
                    return false;
                }
            if (!db.WriteInstanceRow(x.inst->GetId(), x.entity->GetName(), written)) {
                status = ZOR_NET_SRV_ERROR_PROCESSED;
                return false;
            }
        }
        for (int32_t id : gone)
            if (auto row = db.GetInstance(id))
                for (const std::string& name : BlobNamesOfRow(*row, standIns)) dropped.insert(name);
        for (int32_t id : gone)
            // The rights of a deleted instance stay: they decide who may see it in the deleted list.
            if (!db.DeleteInstanceRow(id, userId)) {
                status = ZOR_NET_SRV_ERROR_PROCESSED;
                return false;
            }
        if (!gone.empty() && !ClearReferences(db, standIns, gone)) {
            status = ZOR_NET_SRV_ERROR_PROCESSED;
            return false;
        }
        for (const std::string& name : dropped)
            if (!RecordBlobOwner(db, name, userId)) {
                status = ZOR_NET_SRV_ERROR_PROCESSED;
                return false;
            }
        reply.assign(kSaveReplySignature, kSaveReplySignature + sizeof kSaveReplySignature);
        for (const Header& x : headers) {
            unsigned char rec[6];
            zor::net::StoreI32(rec, x.inst ? x.inst->GetId() : x.h.id);
            rec[4] = static_cast<unsigned char>(static_cast<uint16_t>(x.h.entity) & 0xff);
            rec[5] = static_cast<unsigned char>(static_cast<uint16_t>(x.h.entity) >> 8);
            reply.insert(reply.end(), rec, rec + sizeof rec);
        }
        if (token && !db.RecordSaveReply(*token, reply)) {
            status = ZOR_NET_SRV_ERROR_PROCESSED;
            return false;
        }
        return true;
    });
    scratch.ClearData();
    if (!applied) {
        reply.clear();
        return status ? status : ZOR_NET_SRV_ERROR_PROCESSED;
    }
    return 0;
}

}  // namespace zor::appserver
