// The access-rights model and the wire bodies of the rights requests.
#include "zorStepData/CzorData_Client/access.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/zordata/dictionary.h"
#include "platform/zordata/instance.h"
#include "platform/zordata/stepdata.h"

namespace {

constexpr char kSetSignature[] = "Access bufer set v0.3";
constexpr char kGetSignature[] = "Access bufer get v0.1";
static_assert(sizeof kSetSignature == 22 && sizeof kGetSignature == 22);

int InstId(const CzorInstance* i) { return i ? i->GetId() : 0; }
int EntId(const CzorInstance* i) { return (i && i->GetEntity()) ? i->GetEntity()->GetId() : 0; }

bool AllHaveInstances(const zorUsers& users) {
    for (int l = 0; l < users.GetSize(); ++l)
        for (int e = 0; e < users[l]->GetSize(); ++e)
            if (!users[l]->GetAt(e)->m_pInstance) return false;
    return true;
}

}  // namespace

bool zorAccessEl::compare(const zorAccessEl* other) const {
    return other && m_Mode == other->m_Mode && m_pInstance == other->m_pInstance &&
           m_bUseIndividual == other->m_bUseIndividual;
}

zorAccessList::~zorAccessList() { Clear(); }

void zorAccessList::Clear() {
    for (zorAccessEl* el : m_Items) delete el;
    m_Items.clear();
}

zorAccessEl* zorAccessList::Find(CzorInstance* instance, bool) const {
    for (zorAccessEl* el : m_Items)
        if (el->m_pInstance == instance) return el;
    return nullptr;
}

void zorAccessList::Set(const zorAccessList* other) {
    if (!other || other == this) return;
    Clear();
    m_pAgent = other->m_pAgent;
    for (const zorAccessEl* el : other->m_Items) m_Items.push_back(new zorAccessEl(*el));
}

bool zorAccessList::IsSetAccess() const {
    return std::any_of(m_Items.begin(), m_Items.end(), [](const zorAccessEl* el) { return el->m_Mode != zorAccessNotSet; });
}

std::string zorAccessList::GetText() const {
    std::vector<zorAccessModeType> modes;
    for (const zorAccessEl* el : m_Items)
        if (std::find(modes.begin(), modes.end(), el->m_Mode) == modes.end()) modes.push_back(el->m_Mode);
    std::string text;
    for (zorAccessModeType m : modes) {
        std::string name;
        GetNameAccess(m, name, true, false);
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text.empty() ? "Не определен" : text;
}

int zorAccessList::AgentId() const { return InstId(m_pAgent); }

zorUsers::~zorUsers() { Clear(); }

void zorUsers::Clear() {
    for (zorAccessList* l : m_Lists) delete l;
    m_Lists.clear();
}

zorAccessList* zorUsers::Find(CzorInstance* agent) {
    for (zorAccessList* l : m_Lists)
        if (l->m_pAgent == agent) return l;
    if (!m_bCreateMissing) return nullptr;
    zorAccessList* l = AddList(agent);
    l->Add(nullptr, 0, zorAccessNotSet);
    return l;
}

void zorUsers::Set(const zorUsers& other) {
    if (&other == this) return;
    Clear();
    for (const zorAccessList* l : other.m_Lists) {
        auto* copy = new zorAccessList;
        copy->Set(l);
        m_Lists.push_back(copy);
    }
}

void zorUsers::Sort() {
    std::stable_sort(m_Lists.begin(), m_Lists.end(),
                     [](const zorAccessList* a, const zorAccessList* b) { return a->AgentId() < b->AgentId(); });
}

zorAccessList* zorUsers::Detach(zorAccessList* list) {
    auto it = std::find(m_Lists.begin(), m_Lists.end(), list);
    if (it == m_Lists.end()) return nullptr;
    m_Lists.erase(it);
    return list;
}

int zorUsers::EntryCount() const {
    int n = 0;
    for (const zorAccessList* l : m_Lists) n += l->GetSize();
    return n;
}

bool zorBuildAccessSetBody(const zorUsers& users, int code1, int code2, CzorDataBuf& out) {
    if (!AllHaveInstances(users)) return false;
    CzorDataBuf b;
    b.Add(kSetSignature, sizeof kSetSignature);
    b.Add(static_cast<int32_t>(code1));
    b.Add(static_cast<int32_t>(code2));
    b.Add(static_cast<int32_t>(users.EntryCount()));
    b.Add(static_cast<int32_t>(users.GetSize()));
    for (int l = 0; l < users.GetSize(); ++l) {
        const zorAccessList* list = users[l];
        const int agent = list->AgentId();
        b.Add(static_cast<int32_t>(agent));
        b.Add(static_cast<int32_t>(list->GetSize()));
        for (int e = 0; e < list->GetSize(); ++e) {
            const zorAccessEl* el = list->GetAt(e);
            b.Add(static_cast<int32_t>(InstId(el->m_pInstance)));
            b.Add(static_cast<int32_t>(EntId(el->m_pInstance)));
            b.Add(el->ModeByte());
            if (agent == 0) b.Add(static_cast<int32_t>(el->m_bUseIndividual));
        }
    }
    out = std::move(b);
    return true;
}

bool zorBuildAccessGetBody(const zorUsers& users, CzorDataBuf& out) {
    if (!AllHaveInstances(users)) return false;
    CzorDataBuf b;
    b.Add(kGetSignature, sizeof kGetSignature);
    b.Add(static_cast<int32_t>(users.GetSize()));
    for (int l = 0; l < users.GetSize(); ++l) {
        const zorAccessList* list = users[l];
        b.Add(static_cast<int32_t>(list->AgentId()));
        b.Add(static_cast<int32_t>(list->GetSize()));
        for (int e = 0; e < list->GetSize(); ++e) {
            const zorAccessEl* el = list->GetAt(e);
            b.Add(static_cast<int32_t>(InstId(el->m_pInstance)));
            b.Add(static_cast<int32_t>(EntId(el->m_pInstance)));
            b.Add(static_cast<int8_t>(zorAccessNotSet));
            b.Add(static_cast<int32_t>(0));
        }
    }
    out = std::move(b);
    return true;
}

bool zorReadAccessGetReply(CzorDataBuf& reply, zorUsers& users) {
    reply.Begin();
    char sig[sizeof kGetSignature];
    if (!reply.Read(sig, sizeof sig) || std::memcmp(sig, kGetSignature, sizeof sig) != 0) return false;
    int32_t count = 0;
    if (!reply.Read(count) || count != users.GetSize()) return false;
    for (int l = 0; l < users.GetSize(); ++l) {
        zorAccessList* list = users[l];
        int32_t agent = 0, entries = 0;
        if (!reply.Read(agent) || (!list->IsDefault() && agent != list->AgentId())) return false;
        if (!reply.Read(entries) || entries != list->GetSize()) return false;
        for (int e = 0; e < list->GetSize(); ++e) {
            zorAccessEl* el = list->GetAt(e);
            int32_t id = 0, ent = 0, flag = 0;
            int8_t mode = 0;
            if (!reply.Read(id) || id != InstId(el->m_pInstance)) return false;
            if (!reply.Read(ent) || ent != EntId(el->m_pInstance)) return false;
            // Mode and flag land together: an entry cut between them is not half-updated.
            if (!reply.Read(mode) || !reply.Read(flag)) return false;
            el->SetModeByte(static_cast<uint8_t>(mode));
            el->m_bUseIndividual = flag;
        }
    }
    return true;
}

void zorMakeAccessChangeSet(const zorUsers& loaded, const zorUsers& edited, zorUsers& changes) {
    changes.Clear();
    for (int k = 0; k < edited.GetSize(); ++k) {
        const zorAccessList* now = edited[k];
        if (!now->m_bModified) continue;
        const zorAccessList* before = loaded[k];
        auto* diff = new zorAccessList(now->m_pAgent);
        for (int j = 0; j < now->GetSize(); ++j) {
            const zorAccessEl* el = now->GetAt(j);
            if (!before || !el->compare(before->GetAt(j))) diff->Add(new zorAccessEl(*el));
        }
        if (diff->GetSize() > 0) changes.Add(diff);
        else delete diff;
    }
}

void zorAccessTexts(CzorStepData& store, const zorUsers& users, const std::vector<CzorInstance*>& insts,
                    std::vector<std::string>& texts) {
    texts.assign(insts.size(), std::string());
    std::map<const CzorInstance*, size_t> position;
    for (size_t i = 0; i < insts.size(); ++i) position.emplace(insts[i], i);
    for (int l = 0; l < users.GetSize(); ++l) {
        const zorAccessList* list = users[l];
        std::string agentName;
        const bool named = !list->IsDefault() && list->AgentId() >= kzorAccessFirstNamedAgent;
        if (named) store.GetAttrBN(list->m_pAgent, "name", agentName);
        for (int e = 0; e < list->GetSize(); ++e) {
            const zorAccessEl* el = list->GetAt(e);
            auto at = position.find(el->m_pInstance);
            if (at == position.end()) continue;
            std::string word;
            const auto mode = static_cast<zorAccessModeType>(el->ModeByte());
            if (list->IsDefault()) {
                GetNameAccess(mode, word, false, true);
                texts[at->second] += word + ",";
            } else if (named && mode != zorAccessNotSet) {
                GetNameAccess(mode, word, false, true);
                texts[at->second] += agentName + ":" + word + ",";
            }
        }
    }
}
