#include "platform/appserver/search.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/load.h"
#include "platform/appserver/query_plan.h"
#include "platform/appserver/request_budget.h"
#include "platform/appserver/save.h"
#include "platform/transport/net_errors.h"
#include "platform/zordata/attr_match.h"
#include "platform/zordata/stepdata.h"

namespace zor::appserver {
namespace {

constexpr char kFindSignature[] = "zor_TestFindBuf V 0.103";

struct Criterion {
    CzorAttr* attr = nullptr;
    CzorValue value;
};

}  // namespace

int32_t AnswerFind(ServerDatabase& db, CzorStepData& scratch, const unsigned char* data, size_t size, bool uniqueTest,
                   std::vector<unsigned char>& reply, AccessView& access) {
    reply.clear();
    scratch.ClearData();
    RefStandIns standIns(scratch);
    CzorDataBuf buf;
    buf.SetExternalData(data, size);
    char sig[sizeof kFindSignature];
    int32_t entId = 0, except = 0, n = 0, m = 0;
    if (!buf.Read(sig, sizeof sig) || std::memcmp(sig, kFindSignature, sizeof sig) != 0 || !buf.Read(entId) ||
        !buf.Read(except) || !buf.Read(n) || !buf.Read(m) || n < 1 || static_cast<size_t>(n) > buf.GetRemaining() / 5 ||
        m < 0 || static_cast<size_t>(m) > buf.GetRemaining() / 4)
        return ZOR_NET_SRV_MISSED_BUF_FORMAT;
    std::vector<int32_t> refs(static_cast<size_t>(m));
    for (int32_t& id : refs) buf.Read(id);
    CzorEntity* entity = scratch.GetEntityById(entId);
    if (!entity) return ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID;
    std::vector<Criterion> criteria(static_cast<size_t>(n));
    for (Criterion& c : criteria) {
        int32_t attrId = 0;
        if (!buf.Read(attrId)) return ZOR_NET_SRV_MISSED_BUF_FORMAT;
        if (attrId && !(c.attr = scratch.GetAttrById(attrId))) return ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ATTR_ID;
        const auto resolve = [&](int32_t at) -> CzorInstance* {
            return at >= 0 && at < m ? standIns.For(refs[static_cast<size_t>(at)]) : nullptr;
        };
        if (!zorReadBufValue(buf, c.value, resolve, zorBufText::Cp1251)) return ZOR_NET_SRV_ZORAPIERR_BADDATA;
    }
    int32_t pattern = 0, caseSensitive = 0, mode = 0;
    if (!buf.Read(pattern) || !buf.Read(caseSensitive) || !buf.Read(mode) || buf.GetRemaining() != 0)
        return ZOR_NET_SRV_MISSED_BUF_FORMAT;

    std::vector<CzorEntity*> kinds;
    entity->GetAllSubtypes(kinds);
    kinds.insert(kinds.begin(), entity);
    std::vector<int32_t> found;
    bool bad = false;
    std::optional<IndexTest> narrowing;
    for (const Criterion& c : criteria)
        if (!narrowing) narrowing = SearchIndexTest(c.attr, c.value, pattern != 0, mode);
    // A search matches the values as the user reads them, without references to what he may not
    // see (else a criterion naming a hidden instance would tell who refers to it); a uniqueness
    // test holds for the whole database.
    const std::function<CzorInstance*(int32_t)> standIn = [&](int32_t id) { return standIns.For(id); };
    const std::function<bool(int32_t)> leftOut = [&](int32_t id) { return !uniqueTest && !access.MayRead(id); };
    for (CzorEntity* kind : kinds) {
        const std::vector<CzorAttr*> attrs = kind->GetAllAttrs();
        const bool more = ForEachCandidateRow(db, *kind, narrowing, [&](const InstanceRow& row) {
            if (row.id == except) return true;
            CzorDataBuf in;
            in.SetExternalData(row.data.data(), row.data.size());
            std::vector<CzorValue> values(attrs.size());
            for (CzorValue& v : values)
                if (in.GetRemaining() > 0 && !zorReadBufValueLeavingOut(in, v, standIn, leftOut)) {
                    bad = true;
                    return false;
                }
            for (const Criterion& c : criteria) {
                const CzorValue* have = nullptr;
                if (c.attr) {
                    const auto at = std::find(attrs.begin(), attrs.end(), c.attr);
                    if (at != attrs.end()) have = &values[static_cast<size_t>(at - attrs.begin())];
                }
                if (!zorCriterionMatches(c.attr, have, c.value, pattern != 0, caseSensitive != 0, mode)) return true;
            }
            found.push_back(row.id);
            return !uniqueTest;
        });
        if (bad) {
            scratch.ClearData();
            return ZOR_NET_SRV_ZORAPIERR_BADDATA;
        }
        if (!more || (uniqueTest && !found.empty())) break;
    }
    if (RequestCut()) {
        scratch.ClearData();
        return RequestCutStatus();
    }
    if (uniqueTest) {
        scratch.ClearData();
        return found.empty() ? 0 : kzorStatusNotUnique;
    }
    std::vector<LoadQuery> queries;
    for (int32_t id : found) {
        LoadQuery q;
        q.pos = static_cast<int32_t>(queries.size());
        q.type = 'a';
        q.id = id;
        queries.push_back(q);
    }
    const int32_t status = AnswerLoad(db, scratch, queries, reply, access);
    scratch.ClearData();
    return status;
}

}  // namespace zor::appserver
