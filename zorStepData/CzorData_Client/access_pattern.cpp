// Access patterns: rights described independently of any instance ("0:RO;4005:RW;1:OWN;"), with the
// current user (1) and his groups (2) as placeholders resolved when the pattern is applied.
#include <algorithm>
#include <cctype>
#include <map>

#include "platform/transport/net_errors.h"
#include "platform/ui/messages.h"
#include "platform/zordata/dictionary.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

constexpr const char* kUnknownAgentText =
    "Ошибка при разборе строки-шаблона доступа.\nНе могу найти пользователя с идентификатором %s. Прервать разбор?";

// The leading decimal number of the text (as atoi reads it); false when it has none.
bool LeadingNumber(const std::string& text, int& id) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    long long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), 1LL << 40);
    v = negative ? -v : v;
    id = static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    return true;
}

zorAccessModeType Stronger(zorAccessModeType a, zorAccessModeType b) {
    return static_cast<int8_t>(a & 0xFF) <= static_cast<int8_t>(b & 0xFF) ? a : b;
}

zorAccessModeType FirstMode(const zorAccessList* list) {
    const zorAccessEl* el = list ? list->GetAt(0) : nullptr;
    return el ? el->m_Mode : zorAccessNotSet;
}

}  // namespace

bool CzorNetStepData::TakePatternPlaceholders() {
    if (m_Rights.PlaceholdersFree()) {
        CzorInstance* user = FindLoadedById(kzorAccessCurrentUserPlaceholder);
        if (!user) user = CreateInstanceBN("zor_user", true, true);
        if (!user) return false;
        // A dictionary without groups still has patterns of users and the default access.
        CzorInstance* group = FindLoadedById(kzorAccessCurrentGroupPlaceholder);
        if (!group && GetEntityBN("zor_workgroup")) group = CreateInstanceBN("zor_workgroup", true, true);
        user->SetId(kzorAccessCurrentUserPlaceholder);
        if (CzorAttr* a = GetAttrDefinition(user->GetEntity(), "name")) PutAttr(user, a, " Текущий пользователь");
        if (group) {
            group->SetId(kzorAccessCurrentGroupPlaceholder);
            if (CzorAttr* a = GetAttrDefinition(group->GetEntity(), "name"))
                PutAttr(group, a, " Группа текущего пользователя");
        }
        if (CzorAttr* a = group ? GetAttrDefinition(user->GetEntity(), "groups") : nullptr) {
            CzorTAggr<CzorInstance> groups(1, false, false);
            groups.Add(group);
            PutAttr(user, a, groups);
        }
        m_Rights.Hold(user, group);
    }
    m_Rights.AddUse();
    return true;
}

void CzorNetStepData::GivePatternPlaceholders() {
    if (!m_Rights.EndUse()) return;
    for (CzorInstance* p : {m_Rights.PatternUser(), m_Rights.PatternGroup()}) {
        if (!p) continue;
        m_Index.Forget(p->GetId());
        DeleteInstanceForced(p);
    }
    m_Index.Invalidate();
    m_Rights.Hold(nullptr, nullptr);
}

bool CzorNetStepData::ParseAccessStringPattern(const std::string& pattern, zorUsers& users) {
    users.Clear();
    CzorTAggr<CzorInstance> agents(8, false, false);
    if (m_Rights.PatternLoadsAgents()) {
        if (!LoadAllUsers(agents)) return false;
    } else {
        LocalAgents(agents);
    }
    if (pattern.empty()) {
        for (CzorInstance* a : agents) users.AddList(a)->Add(nullptr, 0, zorAccessNotSet);
        users.AddList(nullptr)->Add(nullptr, 0, zorAccessNotSet);
        return true;
    }
    std::map<int, CzorInstance*> byId;
    for (CzorInstance* a : agents) byId.emplace(a->GetId(), a);
    bool individual = false;
    zorAccessList* lastDefault = nullptr;
    size_t pos = 0;
    while (pos < pattern.size()) {
        const size_t colon = pattern.find(':', pos);
        if (colon == std::string::npos) break;
        const std::string idText = pattern.substr(pos, colon - pos);
        pos = colon + 1;
        int id = 0;
        const bool numeric = LeadingNumber(idText, id);
        CzorInstance* agent = nullptr;
        if (!numeric || id != 0) {
            auto it = numeric ? byId.find(id) : byId.end();
            if (it == byId.end()) {
                // An id without digits names nobody: asking beats turning it into the default access.
                std::string text = kUnknownAgentText;
                text.replace(text.find("%s"), 2, numeric ? std::to_string(id) : idText);
                if (AfxMessageBox(text, MB_YESNO) == IDYES) return false;
                const size_t semi = pattern.find(';', pos);
                if (semi == std::string::npos) break;
                pos = semi + 1;
                continue;
            }
            agent = it->second;
            individual = true;
        }
        const size_t semi = pattern.find(';', pos);
        if (semi == std::string::npos) break;
        auto* list = new zorAccessList(agent);
        list->Add(nullptr, 0, zorAccessModeFromWord(pattern.substr(pos, semi - pos)));
        pos = semi + 1;
        users.Add(list);
        if (!agent) lastDefault = list;
    }
    if (individual && lastDefault)
        for (int e = 0; e < lastDefault->GetSize(); ++e) lastDefault->GetAt(e)->m_bUseIndividual = 1;
    return true;
}

bool CzorNetStepData::PrintAccessStringPattern(zorUsers& users, std::string& text, bool readable) {
    text.clear();
    CzorTAggr<CzorInstance> agents(8, false, false);
    if (m_Rights.PatternLoadsAgents() && !LoadAllUsers(agents)) return false;
    users.Sort();
    for (int l = 0; l < users.GetSize(); ++l) {
        const zorAccessList* list = users[l];
        const zorAccessEl* first = list->GetAt(0);
        if (!first || first->m_Mode == zorAccessNotSet) continue;
        std::string label;
        const int id = list->AgentId();
        if (!readable) label = std::to_string(id) + ":";
        else {
            if (list->IsDefault()) label = "По умолчанию";
            else if (id == kzorAccessCurrentUserPlaceholder) label = "Текущий пользователь";
            else if (id == kzorAccessCurrentGroupPlaceholder) label = "Группа текущего пользователя";
            else GetAttrBN(list->m_pAgent, "name", label);
            label += "::";
        }
        std::string name;
        GetNameAccess(first->m_Mode, name, readable, false);
        text += label + name + ";";
        if (readable) text += " ";
    }
    return true;
}

bool CzorNetStepData::PrepareAccessStringPattern(std::string& pattern, std::string* readableText) {
    if (!TakePatternPlaceholders()) return false;
    CzorTAggr<CzorInstance> agents(8, false, false);
    bool ok = LoadAllUsers(agents);
    m_Rights.SetPatternLoadsAgents(false);
    zorUsers set;
    set.m_bCreateMissing = true;
    ok = ok && ParseAccessStringPattern(pattern, set);
    bool removeAll = false;
    const AccessDialogRunner dialog = ActiveAccessDialog();
    if (ok && !dialog) RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
    ok = ok && dialog && dialog(*this, set, false, true, removeAll);
    // A cancelled edit leaves the pattern as it was: parsing drops what it cannot read.
    if (ok) {
        PrintAccessStringPattern(set, pattern, false);
        if (readableText) PrintAccessStringPattern(set, *readableText, true);
    }
    GivePatternPlaceholders();
    m_Rights.SetPatternLoadsAgents(true);
    return ok;
}

bool CzorNetStepData::MakeSetFromPattern(const std::vector<CzorInstance*>& insts, const std::string& pattern,
                                         zorUsers& result) {
    result.Clear();
    if (!TakePatternPlaceholders()) return false;
    CzorTAggr<CzorInstance> agents(8, false, false);
    const bool loaded = LoadAllUsers(agents);
    m_Rights.SetPatternLoadsAgents(false);
    zorUsers parsed;
    const bool ok = loaded && ParseAccessStringPattern(pattern, parsed);
    if (ok) {
        const auto addFor = [&](CzorInstance* agent, int flag, zorAccessModeType mode) {
            zorAccessList* l = result.AddList(agent);
            for (CzorInstance* i : insts) l->Add(i, flag, mode);
        };
        addFor(nullptr, 0, zorAccessNotSet);  // reset: the instances' own individual access goes
        const auto takeOut = [&](CzorInstance* agent) {
            for (int l = 0; l < parsed.GetSize(); ++l)
                if (parsed[l]->m_pAgent == agent) return parsed.Detach(parsed[l]);
            return static_cast<zorAccessList*>(nullptr);
        };
        std::unique_ptr<zorAccessList> def(takeOut(nullptr));
        CzorInstance* const userAgent = m_Rights.PatternUser();
        CzorInstance* const groupAgent = m_Rights.PatternGroup();
        std::unique_ptr<zorAccessList> userPh(userAgent ? takeOut(userAgent) : nullptr);
        std::unique_ptr<zorAccessList> groupPh(groupAgent ? takeOut(groupAgent) : nullptr);
        bool individual = false;
        zorAccessModeType userMode = zorAccessNotSet, groupMode = zorAccessNotSet;
        if (userPh) {
            if (m_pCurrUser && m_pCurrUser->GetId() != kzorAccessReservedUser) {
                individual = true;
                userMode = FirstMode(userPh.get());
            } else {
                userPh.reset();
            }
        }
        std::vector<std::pair<CzorInstance*, zorAccessModeType>> groups;
        if (groupPh) {
            CzorTAggr<CzorInstance> mine(8, false, false);
            if (m_pCurrUser) GetAttrBN(m_pCurrUser, "groups", mine);
            for (CzorInstance* g : mine)
                if (g && g->GetId() != kzorAccessReservedGroup) {
                    groups.emplace_back(g, zorAccessNotSet);
                    individual = true;
                }
            if (groups.empty()) groupPh.reset();
            else {
                std::stable_sort(groups.begin(), groups.end(),
                                 [](const auto& a, const auto& b) { return a.first->GetId() < b.first->GetId(); });
                groupMode = FirstMode(groupPh.get());
            }
        }
        for (int l = 0; l < parsed.GetSize(); ++l) {
            const zorAccessList* list = parsed[l];
            if (!list->GetAt(0)) continue;
            zorAccessModeType m = list->GetAt(0)->m_Mode;
            if (userPh && m_pCurrUser && list->m_pAgent == m_pCurrUser) {
                m = Stronger(m, userMode);
                userPh.reset();
            }
            if (groupPh) {
                auto g = std::find_if(groups.begin(), groups.end(),
                                      [&](const auto& p) { return p.first == list->m_pAgent; });
                if (g != groups.end()) {
                    m = Stronger(m, groupMode);
                    if (g->second != zorAccessNotSet) m = Stronger(m, g->second);
                    g->second = m;
                }
            }
            if (m != zorAccessNotSet) {
                individual = true;
                addFor(list->m_pAgent, 1, m);
            }
        }
        if (groupPh)
            for (const auto& g : groups)
                if (g.second == zorAccessNotSet) addFor(g.first, individual ? 1 : 0, groupMode);
        if (userPh) addFor(m_pCurrUser, individual ? 1 : 0, userMode);
        if (def || individual) addFor(nullptr, individual ? 1 : 0, FirstMode(def.get()));
    }
    GivePatternPlaceholders();
    m_Rights.SetPatternLoadsAgents(true);
    if (!ok) result.Clear();
    return ok;
}

bool CzorNetStepData::NET_SetAccessFromPattern(CzorTAggr<CzorInstance>* insts, const std::string& pattern,
                                               const char* waitText, int code1, int code2) {
    if (!AccessSessionReady()) return false;
    if (pattern.empty()) return false;
    if (!CheckSaved(insts)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    if (!IsValidAccessServiceCode(code1, code2) && !CheckOwner(insts, nullptr)) {
        RecordQuietly(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    std::vector<CzorInstance*> list;
    if (insts) list.assign(insts->begin(), insts->end());
    zorUsers set;
    if (!MakeSetFromPattern(list, pattern, set)) return false;
    return NET_SetGroupeAccess(set, waitText, code1, code2);
}
