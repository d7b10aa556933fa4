#include "platform/zordata/query_wire.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/text/cp1251.h"
#include "platform/zordata/query.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/stepdata.h"

namespace {

constexpr int32_t kMaxNesting = 256;
constexpr int32_t kMaxNodes = 1 << 20;
constexpr size_t kMinExtentBytes = 5 + 4 * 7 + 1 + 4;  // an empty name and no instances
constexpr size_t kMinNodeBytes = 1 + 4 * 2 + 2;

bool AddText(CzorDataBuf& buf, const std::string& utf8, zorBufText text) {
    if (text == zorBufText::Utf8) {
        buf.Add(utf8);
        return true;
    }
    std::string cp;
    if (!zor::Utf8ToCp1251(utf8, cp)) return false;
    buf.Add(cp);
    return true;
}

bool ReadText(CzorDataBuf& buf, std::string& out, zorBufText text) {
    std::string raw;
    if (!buf.Read(raw)) return false;
    out = text == zorBufText::Utf8 ? raw : zor::Cp1251ToUtf8(raw);
    return true;
}

// One record as read, before any node is built.
struct Rec {
    int8_t kind = 0;
    int32_t line = 0, column = 0;
    std::string name;
    int32_t entity = 0, navEntity = 0, navAttr = 0, attr = 0;
    int32_t a = -1, b = -1;  // extent: condition, set; group: left, right; path: next, relation; field: extent, path
    int8_t flags = 0, op = 0, operandKind = 0;
    int32_t extentRef = -1;  // relation of kind 2
    std::vector<int32_t> ids;
    CzorValue value;
};

}  // namespace

bool CzorQLQuery::SaveToDataBuf(CzorDataBuf& buf) const {
    if (!m_bValid || !m_pRoot) return false;
    const zorBufText text = zorBufText::Cp1251;
    std::unordered_map<const CzorQLObject*, int32_t> index;
    int32_t next = 0;
    for (const CzorQLObject* e : m_Extents) index.emplace(e, next++);
    for (const CzorQLObject* n : m_Nodes) index.emplace(n, next++);
    bool ok = true;
    const auto ref = [&](const CzorQLObject* p) -> int32_t {
        if (!p) return -1;
        auto it = index.find(p);
        if (it == index.end()) {
            ok = false;
            return -1;
        }
        return it->second;
    };
    CzorDataBuf out;
    out.Add(kzorQueryTreeSignature, kzorQueryTreeSignatureSize);
    out.Add(static_cast<int32_t>(m_pStore ? zorDictionaryNumber(*m_pStore) : 0));
    out.Add(static_cast<int32_t>(m_Extents.GetSize()));
    out.Add(static_cast<int32_t>(m_Nodes.GetSize()));
    out.Add(ref(m_pRoot));
    for (const CzorQLObject* o : m_Extents) {
        const auto* e = static_cast<const CzorQLExtent*>(o);
        ok = AddText(out, e->m_Name, text) && ok;
        out.Add(static_cast<int32_t>(e->m_nLine));
        out.Add(static_cast<int32_t>(e->m_nColumn));
        out.Add(static_cast<int32_t>(e->m_pEntity ? e->m_pEntity->GetId() : 0));
        out.Add(static_cast<int32_t>(e->m_pNavEntity ? e->m_pNavEntity->GetId() : 0));
        out.Add(static_cast<int32_t>(e->m_pNavAttr ? e->m_pNavAttr->GetId() : 0));
        out.Add(ref(e->m_pCondition));
        out.Add(ref(e->m_pSetExpr));
        out.Add(static_cast<int8_t>((e->m_bUsed ? 1 : 0) | (e->m_bDefined ? 2 : 0)));
        out.Add(static_cast<int32_t>(e->m_Instances.GetSize()));
        for (const CzorInstance* inst : e->m_Instances) out.Add(static_cast<int32_t>(inst ? inst->GetId() : 0));
    }
    for (const CzorQLObject* n : m_Nodes) {
        out.Add(static_cast<int8_t>(n->GetKind()));
        out.Add(static_cast<int32_t>(n->m_nLine));
        out.Add(static_cast<int32_t>(n->m_nColumn));
        switch (n->GetKind()) {
        case kGroupOp: {
            const auto* g = static_cast<const CzorQLGroupOp*>(n);
            out.Add(static_cast<int8_t>(g->m_nOperation));
            out.Add(ref(g->m_pLeft));
            out.Add(ref(g->m_pRight));
            break;
        }
        case kLogOp: {
            const auto* l = static_cast<const CzorQLLogOp*>(n);
            out.Add(static_cast<int8_t>(l->m_nRelation));
            out.Add(static_cast<int8_t>(l->m_nOperandKind));
            if (l->m_nOperandKind == 2) {
                out.Add(ref(l->m_pExtent));
            } else {
                CzorValue empty;
                ok = zorAppendBufValue(out, l->m_pValue ? *l->m_pValue : empty, nullptr, text) && ok;
            }
            break;
        }
        case kPathElement: {
            const auto* p = static_cast<const CzorQLPathElement*>(n);
            ok = AddText(out, p->m_Name, text) && ok;
            out.Add(static_cast<int32_t>(p->m_pAttr ? p->m_pAttr->GetId() : 0));
            out.Add(static_cast<int32_t>(p->m_pEntity ? p->m_pEntity->GetId() : 0));
            out.Add(ref(p->m_pNext));
            out.Add(ref(p->m_pRelation));
            break;
        }
        case kField: {
            const auto* f = static_cast<const CzorQLField*>(n);
            ok = AddText(out, f->m_Name, text) && ok;
            out.Add(ref(f->m_pExtent));
            out.Add(ref(f->m_pPath));
            break;
        }
        default: ok = false;
        }
    }
    if (!ok) return false;
    buf.Add(out.GetBuffer(), out.GetSize());
    return true;
}

bool zorReadQueryTree(CzorDataBuf& buf, CzorQLQuery& query, const std::function<CzorInstance*(int32_t)>& resolve,
                      std::string* error, zorBufText text) {
    query.Clear();
    const auto fail = [&](const char* why) {
        if (error) *error = why;
        query.Clear();
        return false;
    };
    CzorStepData* store = query.m_pStore;
    if (!store) return fail("no store");
    char sig[kzorQueryTreeSignatureSize];
    if (!buf.Read(sig, sizeof sig) || std::memcmp(sig, kzorQueryTreeSignature, sizeof sig) != 0)
        return fail("signature");
    int32_t dict = 0, nExt = 0, nNodes = 0, root = -1;
    if (!buf.Read(dict) || !buf.Read(nExt) || !buf.Read(nNodes) || !buf.Read(root)) return fail("short header");
    if (dict != 0 && dict != zorDictionaryNumber(*store)) return fail("dictionary");
    if (nExt < 0 || nNodes < 0 || nExt > kMaxNodes || nNodes > kMaxNodes ||
        static_cast<size_t>(nExt) * kMinExtentBytes + static_cast<size_t>(nNodes) * kMinNodeBytes > buf.GetRemaining())
        return fail("counts");
    const int32_t total = nExt + nNodes;
    const auto inRange = [&](int32_t r) { return r >= -1 && r < total; };
    std::vector<Rec> recs(static_cast<size_t>(total));
    for (int32_t i = 0; i < nExt; ++i) {
        Rec& r = recs[static_cast<size_t>(i)];
        r.kind = CzorQLQuery::kExtent;
        int32_t k = 0;
        if (!ReadText(buf, r.name, text) || !buf.Read(r.line) || !buf.Read(r.column) || !buf.Read(r.entity) ||
            !buf.Read(r.navEntity) || !buf.Read(r.navAttr) || !buf.Read(r.a) || !buf.Read(r.b) || !buf.Read(r.flags) ||
            !buf.Read(k))
            return fail("short extent");
        if (k < 0 || static_cast<size_t>(k) > buf.GetRemaining() / 4) return fail("instance count");
        r.ids.resize(static_cast<size_t>(k));
        for (int32_t& id : r.ids) buf.Read(id);
    }
    for (int32_t i = nExt; i < total; ++i) {
        Rec& r = recs[static_cast<size_t>(i)];
        if (!buf.Read(r.kind) || !buf.Read(r.line) || !buf.Read(r.column)) return fail("short node");
        switch (r.kind) {
        case CzorQLQuery::kGroupOp:
            if (!buf.Read(r.op) || !buf.Read(r.a) || !buf.Read(r.b)) return fail("short group");
            if (r.op != 1 && r.op != 2) return fail("operation");
            break;
        case CzorQLQuery::kLogOp:
            if (!buf.Read(r.op) || !buf.Read(r.operandKind)) return fail("short relation");
            if (r.op < 1 || r.op > 16 || r.op == 11) return fail("relation code");
            if (r.operandKind == 2) {
                if (!buf.Read(r.extentRef)) return fail("short relation");
            } else if (r.operandKind == 1 || r.operandKind == 3) {
                if (!zorReadBufValue(buf, r.value, resolve, text)) return fail("value");
            } else {
                return fail("operand kind");
            }
            break;
        case CzorQLQuery::kPathElement:
            if (!ReadText(buf, r.name, text) || !buf.Read(r.attr) || !buf.Read(r.entity) || !buf.Read(r.a) ||
                !buf.Read(r.b))
                return fail("short path");
            break;
        case CzorQLQuery::kField:
            if (!ReadText(buf, r.name, text) || !buf.Read(r.a) || !buf.Read(r.b)) return fail("short field");
            break;
        default: return fail("node kind");
        }
    }
    if (buf.GetRemaining() != 0) return fail("bytes left over");

    // References: in range, of the right kind, and every node but an extent referred to once.
    const auto kindOf = [&](int32_t r) { return r < 0 || r >= total ? 0 : recs[static_cast<size_t>(r)].kind; };
    std::vector<int> referrers(static_cast<size_t>(total), 0);
    const auto check = [&](int32_t r, std::initializer_list<int> kinds, bool optional) {
        if (!inRange(r)) return false;
        if (r < 0) return optional;
        bool fits = false;
        for (int k : kinds) fits = fits || kindOf(r) == k;
        if (fits && kindOf(r) != CzorQLQuery::kExtent) ++referrers[static_cast<size_t>(r)];
        return fits;
    };
    using Q = CzorQLQuery;
    if (!check(root, {Q::kGroupOp, Q::kField}, false)) return fail("root");
    for (int32_t i = 0; i < total; ++i) {
        const Rec& r = recs[static_cast<size_t>(i)];
        bool ok = true;
        switch (r.kind) {
        case Q::kExtent:
            ok = check(r.a, {Q::kGroupOp, Q::kPathElement}, true) && check(r.b, {Q::kGroupOp, Q::kField}, true);
            break;
        case Q::kGroupOp: {
            // Both operands of one family: a condition (groups and paths) or a set (groups and fields).
            const bool cond = kindOf(r.a) == Q::kPathElement || kindOf(r.b) == Q::kPathElement;
            const int leaf = cond ? Q::kPathElement : Q::kField;
            ok = check(r.a, {Q::kGroupOp, leaf}, false) && check(r.b, {Q::kGroupOp, leaf}, false);
            break;
        }
        case Q::kLogOp: ok = r.operandKind != 2 || check(r.extentRef, {Q::kExtent}, false); break;
        case Q::kPathElement:
            ok = check(r.a, {Q::kGroupOp, Q::kPathElement}, true) && check(r.b, {Q::kLogOp}, true);
            break;
        case Q::kField:
            ok = check(r.a, {Q::kExtent}, true) && check(r.b, {Q::kPathElement}, true);
            break;
        }
        if (!ok) return fail("reference");
    }
    for (int32_t i = nExt; i < total; ++i)
        if (referrers[static_cast<size_t>(i)] > 1) return fail("shared node");

    // No cycles (through extents), and no nesting deeper than the executor walks. The depth is the
    // number of nodes on the longest chain of references, counted after the children: a walk that
    // met the deep end first from another start must not hide it.
    const auto edges = [&](int32_t i, std::vector<int32_t>& out) {
        const Rec& r = recs[static_cast<size_t>(i)];
        out.clear();
        if (r.kind == Q::kLogOp) {
            if (r.operandKind == 2) out.push_back(r.extentRef);
        } else {
            out.push_back(r.a);
            out.push_back(r.b);
        }
    };
    std::vector<int8_t> color(static_cast<size_t>(total), 0);  // 0 new, 1 on the path, 2 done
    std::vector<int32_t> depth(static_cast<size_t>(total), 0);
    std::vector<int32_t> children;
    std::vector<std::pair<int32_t, std::vector<int32_t>>> stack;
    for (int32_t start = 0; start < total; ++start) {
        if (color[static_cast<size_t>(start)]) continue;
        stack.clear();
        stack.push_back({start, {}});
        edges(start, stack.back().second);
        color[static_cast<size_t>(start)] = 1;
        while (!stack.empty()) {
            auto& top = stack.back();
            if (top.second.empty()) {
                int32_t below = 0;
                edges(top.first, children);
                for (int32_t c : children)
                    if (c >= 0) below = std::max(below, depth[static_cast<size_t>(c)]);
                if (below + 1 > kMaxNesting) return fail("nesting");
                depth[static_cast<size_t>(top.first)] = below + 1;
                color[static_cast<size_t>(top.first)] = 2;
                stack.pop_back();
                continue;
            }
            const int32_t to = top.second.back();
            top.second.pop_back();
            if (to < 0) continue;
            if (color[static_cast<size_t>(to)] == 1) return fail("cycle");
            if (color[static_cast<size_t>(to)] == 2) continue;
            if (static_cast<int32_t>(stack.size()) >= kMaxNesting) return fail("nesting");
            color[static_cast<size_t>(to)] = 1;
            stack.push_back({to, {}});
            edges(to, stack.back().second);
        }
    }

    // Dictionary ids and instances.
    const auto entity = [&](int32_t id, CzorEntity*& out) {
        out = id ? store->GetEntityById(id) : nullptr;
        return id == 0 || out != nullptr;
    };
    const auto attr = [&](int32_t id, CzorAttr*& out) {
        out = id ? store->GetAttrById(id) : nullptr;
        return id == 0 || out != nullptr;
    };
    std::vector<Q::CzorQLObject*> built(static_cast<size_t>(total), nullptr);
    for (int32_t i = 0; i < total; ++i) {
        const Rec& r = recs[static_cast<size_t>(i)];
        Q::CzorQLObject* n = nullptr;
        switch (r.kind) {
        case Q::kExtent: n = new Q::CzorQLExtent(&query); break;
        case Q::kGroupOp: n = new Q::CzorQLGroupOp(&query); break;
        case Q::kLogOp: n = new Q::CzorQLLogOp(&query); break;
        case Q::kPathElement: n = new Q::CzorQLPathElement(&query); break;
        case Q::kField: n = new Q::CzorQLField(&query); break;
        }
        n->m_nLine = r.line;
        n->m_nColumn = r.column;
        built[static_cast<size_t>(i)] = n;
    }
    const auto at = [&](int32_t ref) { return ref < 0 ? nullptr : built[static_cast<size_t>(ref)]; };
    for (int32_t i = 0; i < total; ++i) {
        Rec& r = recs[static_cast<size_t>(i)];
        switch (r.kind) {
        case Q::kExtent: {
            auto* e = static_cast<Q::CzorQLExtent*>(built[static_cast<size_t>(i)]);
            e->m_Name = r.name;
            if (!entity(r.entity, e->m_pEntity) || !entity(r.navEntity, e->m_pNavEntity) || !attr(r.navAttr, e->m_pNavAttr))
                return fail("dictionary id");
            e->m_pCondition = at(r.a);
            e->m_pSetExpr = at(r.b);
            e->m_bUsed = (r.flags & 1) != 0;
            e->m_bDefined = (r.flags & 2) != 0;
            for (int32_t id : r.ids) {
                CzorInstance* inst = resolve ? resolve(id) : nullptr;
                if (!inst) return fail("instance");
                if (!e->m_Instances.Contains(inst)) e->m_Instances.Add(inst);
            }
            break;
        }
        case Q::kGroupOp: {
            auto* g = static_cast<Q::CzorQLGroupOp*>(built[static_cast<size_t>(i)]);
            g->m_nOperation = r.op;
            g->m_pLeft = at(r.a);
            g->m_pRight = at(r.b);
            break;
        }
        case Q::kLogOp: {
            auto* l = static_cast<Q::CzorQLLogOp*>(built[static_cast<size_t>(i)]);
            l->m_nRelation = r.op;
            l->m_nOperandKind = r.operandKind;
            if (r.operandKind == 2) l->m_pExtent = static_cast<Q::CzorQLExtent*>(at(r.extentRef));
            else l->m_pValue = new CzorValue(std::move(r.value));
            break;
        }
        case Q::kPathElement: {
            auto* p = static_cast<Q::CzorQLPathElement*>(built[static_cast<size_t>(i)]);
            p->m_Name = r.name;
            if (!attr(r.attr, p->m_pAttr) || !entity(r.entity, p->m_pEntity)) return fail("dictionary id");
            p->m_pNext = at(r.a);
            p->m_pRelation = static_cast<Q::CzorQLLogOp*>(at(r.b));
            break;
        }
        case Q::kField: {
            auto* f = static_cast<Q::CzorQLField*>(built[static_cast<size_t>(i)]);
            f->m_Name = r.name;
            f->m_pExtent = static_cast<Q::CzorQLExtent*>(at(r.a));
            f->m_pPath = static_cast<Q::CzorQLPathElement*>(at(r.b));
            break;
        }
        }
    }
    query.m_pRoot = at(root);
    query.m_bValid = true;
    return true;
}
