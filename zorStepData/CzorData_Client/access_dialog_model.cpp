#include "zorStepData/CzorData_Client/access_dialog_model.h"

#include <algorithm>

#include "platform/text/case_fold.h"
#include "platform/ui/messages.h"
#include "platform/zordata/dictionary.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

std::string Name(CzorNetStepData& store, CzorInstance* inst) {
    std::string s;
    if (inst) store.GetAttrBN(inst, "name", s);
    return s;
}

bool LessNoCase(const std::string& a, const std::string& b) { return zor::FoldCase(a) < zor::FoldCase(b); }

std::string Initial(const std::string& s) {
    if (s.empty()) return {};
    // One UTF-8 character.
    size_t n = 1;
    while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
    return s.substr(0, n);
}

}  // namespace

std::string zorAccessUserDisplayName(CzorNetStepData& store, CzorInstance* agent) {
    if (!agent || !store.IsKindOfBN(agent, "zor_user")) return {};
    std::string text = Name(store, agent) + " (";
    CzorInstance* person = nullptr;
    if (store.GetAttrDefinition(agent->GetEntity(), "personality")) store.GetAttrBN(agent, "personality", person);
    if (person && store.IsKindOfBN(person, "person_and_organization")) {
        CzorInstance* inner = nullptr;
        store.GetAttrBN(person, "the_person", inner);
        person = inner;
    }
    if (person) {
        std::string last, first;
        store.GetAttrBN(person, "last_name", last);
        store.GetAttrBN(person, "first_name", first);
        text += last;
        if (!first.empty()) text += " " + Initial(first) + ".";
        CzorAggr middle;
        std::string m;
        if (store.GetAttrBN(person, "middle_names", middle) && middle.GetSize() > 0 && middle.GetByIndex(0)->Get(m) && !m.empty())
            text += " " + Initial(m) + ".";
    }
    return text + ")";
}

CAccessDialogModel::CAccessDialogModel(CzorNetStepData& store, zorUsers& users, bool viewOnly, bool patternMode)
    : m_Store(store), m_Users(users), m_bViewOnly(viewOnly), m_bPattern(patternMode) {
    m_bOfferKeep = patternMode;
    const auto collect = [&](const char* entity, int reserved, std::vector<zorAccessList*>& shown) {
        CzorTAggr<CzorInstance> extent(8, false, false);
        store.GetEntityExtentBN(entity, extent);
        for (CzorInstance* a : extent) {
            if (a->GetId() == reserved) continue;
            zorAccessList* l = users.Find(a);
            if (l && l->IsSetAccess()) {
                shown.push_back(l);
                if (patternMode) m_bSwitch = true;
            }
        }
    };
    collect("zor_workgroup", kzorAccessReservedGroup, m_Groups);
    collect("zor_user", kzorAccessReservedUser, m_UsersShown);
    Refill();
    if (zorAccessList* d = users.Find(nullptr)) {
        const zorAccessEl* first = d->GetAt(0);
        m_nDefaultIndex = first ? first->ModeByte() : 4;
        const int flag = first ? first->m_bUseIndividual : 0;
        bool modesDiffer = false;
        for (int e = 0; e < d->GetSize(); ++e) {
            const zorAccessEl* el = d->GetAt(e);
            if (el->ModeByte() != m_nDefaultIndex) modesDiffer = true;
            if (!patternMode && el->m_bUseIndividual != flag) m_bMixedFlags = true;
            if (el->m_bUseIndividual) m_bRemoval = true;
        }
        if (modesDiffer || m_nDefaultIndex < 0 || m_nDefaultIndex > 3) {
            m_bOfferKeep = true;
            m_nDefaultIndex = 4;
        }
        if (!patternMode) m_bSwitch = m_bMixedFlags || flag != 0;
    }
}

std::string CAccessDialogModel::Caption() const { return m_bViewOnly ? "Просмотр прав доступа" : std::string(); }

void CAccessDialogModel::Refill() {
    m_Rows.clear();
    const CzorInstance* me = m_Store.GetCurrUser();
    std::vector<Row> groups, users;
    for (zorAccessList* l : m_Groups) {
        const int id = l->AgentId();
        groups.push_back({l->m_pAgent, l, Name(m_Store, l->m_pAgent), l->GetText(),
                          id == kzorAccessCurrentGroupPlaceholder ? 4 : 0});
    }
    for (zorAccessList* l : m_UsersShown) {
        const int id = l->AgentId();
        users.push_back({l->m_pAgent, l, zorAccessUserDisplayName(m_Store, l->m_pAgent), l->GetText(),
                         (id == kzorAccessCurrentUserPlaceholder || l->m_pAgent == me) ? 5 : 1});
    }
    const auto byName = [](const Row& a, const Row& b) { return LessNoCase(a.name, b.name); };
    std::stable_sort(groups.begin(), groups.end(), byName);
    std::stable_sort(users.begin(), users.end(), byName);
    m_Rows = std::move(groups);
    m_Rows.insert(m_Rows.end(), users.begin(), users.end());
}

bool CAccessDialogModel::Change(int row, zorAccessModeType mode) {
    if (row < 0 || row >= static_cast<int>(m_Rows.size())) {
        AfxMessageBox("Выберите элемент для изменения");
        return false;
    }
    zorAccessList* l = m_Rows[static_cast<size_t>(row)].list;
    for (int e = 0; e < l->GetSize(); ++e) l->GetAt(e)->m_Mode = mode;
    l->m_bModified = true;
    Refill();
    return true;
}

bool CAccessDialogModel::Delete(int row) {
    if (row < 0 || row >= static_cast<int>(m_Rows.size())) {
        AfxMessageBox("Выберите элемент для удаления");
        return false;
    }
    zorAccessList* l = m_Rows[static_cast<size_t>(row)].list;
    for (auto* v : {&m_Groups, &m_UsersShown}) v->erase(std::remove(v->begin(), v->end(), l), v->end());
    for (int e = 0; e < l->GetSize(); ++e) l->GetAt(e)->m_Mode = zorAccessNotSet;
    l->m_bModified = true;
    Refill();
    return true;
}

void CAccessDialogModel::Add(const std::vector<CzorInstance*>& groups, const std::vector<CzorInstance*>& users,
                             zorAccessModeType mode) {
    const auto add = [&](CzorInstance* a, std::vector<zorAccessList*>& shown) {
        zorAccessList* l = m_Users.Find(a);
        if (!l) return;
        if (std::find(shown.begin(), shown.end(), l) == shown.end()) shown.push_back(l);
        for (int e = 0; e < l->GetSize(); ++e) l->GetAt(e)->m_Mode = mode;
        l->m_bModified = true;
    };
    for (CzorInstance* g : groups) add(g, m_Groups);
    for (CzorInstance* u : users) add(u, m_UsersShown);
    Refill();
}

void CAccessDialogModel::ApplyDefaultSettings() {
    if (m_bMixedFlags) {
        m_bMixedFlags = false;
        m_bSwitch = true;
    }
    if (zorAccessList* d = m_Users.Find(nullptr)) {
        d->m_bModified = true;
        for (int e = 0; e < d->GetSize(); ++e) d->GetAt(e)->m_bUseIndividual = m_bSwitch ? 1 : 0;
    }
}

void CAccessDialogModel::SetSwitch(bool on) {
    m_bSwitch = on;
    ApplyDefaultSettings();
}

void CAccessDialogModel::SetDefaultIndex(int index) {
    if (index < 0 || index > (m_bOfferKeep ? 4 : 3)) return;
    m_nDefaultIndex = index;
    ApplyDefaultSettings();
}

void CAccessDialogModel::Ok() {
    if (m_bSwitch) m_bRemoval = false;
    if (!m_bSwitch)
        for (int l = 0; l < m_Users.GetSize(); ++l)
            if (!m_Users[l]->IsDefault())
                for (int e = 0; e < m_Users[l]->GetSize(); ++e) m_Users[l]->GetAt(e)->m_Mode = zorAccessNotSet;
    if (zorAccessList* d = m_Users.Find(nullptr))
        for (int e = 0; e < d->GetSize(); ++e) {
            d->GetAt(e)->SetModeByte(static_cast<uint8_t>(m_nDefaultIndex));
            d->GetAt(e)->m_bUseIndividual = m_bSwitch ? 1 : 0;
        }
}

std::vector<CAccessPickerNode> zorAccessPickerTree(CzorNetStepData& store) {
    std::vector<CAccessPickerNode> tree;
    CzorTAggr<CzorInstance> groups(8, false, false), users(8, false, false);
    store.GetEntityExtentBN("zor_workgroup", groups);
    store.GetEntityExtentBN("zor_user", users);
    for (CzorInstance* g : groups)
        if (g->GetId() != kzorAccessReservedGroup) tree.push_back({g, Name(store, g), {}});
    std::stable_sort(tree.begin(), tree.end(), [](const auto& a, const auto& b) { return LessNoCase(a.name, b.name); });
    for (CzorInstance* u : users) {
        if (u->GetId() == kzorAccessReservedUser) continue;
        CzorTAggr<CzorInstance> mine(8, false, false);
        if (!store.GetAttrDefinition(u->GetEntity(), "groups") || !store.GetAttrBN(u, "groups", mine)) continue;
        for (CzorInstance* g : mine) {
            auto node = std::find_if(tree.begin(), tree.end(), [&](const auto& n) { return n.group == g; });
            if (node != tree.end()) node->users.emplace_back(u, zorAccessUserDisplayName(store, u));
        }
    }
    for (auto& n : tree)
        std::stable_sort(n.users.begin(), n.users.end(),
                         [](const auto& a, const auto& b) { return LessNoCase(a.second, b.second); });
    return tree;
}

void zorAccessPickerSelection(const std::vector<CzorInstance*>& checkedGroups,
                              const std::vector<CzorInstance*>& checkedUsers, std::vector<CzorInstance*>& groups,
                              std::vector<CzorInstance*>& users) {
    groups.clear();
    users.clear();
    for (CzorInstance* g : checkedGroups)
        if (g && g->GetId() != kzorAccessReservedGroup && std::find(groups.begin(), groups.end(), g) == groups.end())
            groups.push_back(g);
    for (CzorInstance* u : checkedUsers)
        if (u && u->GetId() != kzorAccessReservedUser && std::find(users.begin(), users.end(), u) == users.end())
            users.push_back(u);
}
