#include "platform/zordata/instance.h"

#include <mutex>
#include <unordered_map>

static_assert(sizeof(CzorInstance::CzorValueDefinition) == 16, "a slot is one value, nothing more");

namespace {

// The list copies of all slots that hold one, by slot address. Slots never move (they live in
// their instance), and a slot that holds a list carries the kHasList mark, so slots without one
// never look here.
struct SlotLists {
    std::mutex lock;
    std::unordered_map<const void*, CzorAggr*> lists;
};

SlotLists& Lists() {
    static SlotLists* lists = new SlotLists;  // never destroyed: stores may outlive other statics
    return *lists;
}

}  // namespace

CzorInstance::CzorValueDefinition::CzorValueDefinition(const CzorValueDefinition& other) : m_Value(other.m_Value) {
    SetChanged(other.IsChanged());
    const CzorAggr* list = other.GetList();
    SetList(list ? new CzorAggr(*list) : nullptr);
}

CzorInstance::CzorValueDefinition& CzorInstance::CzorValueDefinition::operator=(const CzorValueDefinition& other) {
    if (this != &other) {
        m_Value.Set(other.m_Value);
        SetChanged(other.IsChanged());
        const CzorAggr* list = other.GetList();
        SetList(list ? new CzorAggr(*list) : nullptr);
    }
    return *this;
}

CzorInstance::CzorValueDefinition::~CzorValueDefinition() {
    SetList(nullptr);
    m_Value.Clear();
}

CzorAggr* CzorInstance::CzorValueDefinition::GetList() const {
    if (!(m_Value.m_Flags & CzorValue::kHasList)) return nullptr;
    SlotLists& table = Lists();
    std::lock_guard<std::mutex> hold(table.lock);
    const auto it = table.lists.find(this);
    return it == table.lists.end() ? nullptr : it->second;
}

void CzorInstance::CzorValueDefinition::SetList(CzorAggr* list) {
    if (!list && !(m_Value.m_Flags & CzorValue::kHasList)) return;
    CzorAggr* old = nullptr;
    {
        SlotLists& table = Lists();
        std::lock_guard<std::mutex> hold(table.lock);
        auto it = table.lists.find(this);
        if (it != table.lists.end()) {
            old = it->second;
            if (list) it->second = list;
            else table.lists.erase(it);
        } else if (list) {
            table.lists.emplace(this, list);
        }
    }
    if (old == list) return;
    delete old;
    if (list) m_Value.m_Flags |= CzorValue::kHasList;
    else m_Value.m_Flags &= static_cast<uint8_t>(~CzorValue::kHasList);
}

bool CzorInstance::IsChanged() const {
    const CzorValueDefinition* s = Slots();
    for (int i = 0; i < m_nSlots; ++i)
        if (s[i].IsChanged()) return true;
    return false;
}

void CzorInstance::ClearChanged() {
    CzorValueDefinition* s = Slots();
    for (int i = 0; i < m_nSlots; ++i) s[i].SetChanged(false);
}
