#pragma once
// The loading side of the networked store: its instances in memory by id, kept up as instances
// arrive, so that merging a large reply looks ids up in constant time. Entries may go stale (an
// instance deleted or given another id since): Find checks what it finds and looks through the
// store's instances before it says no.
#include <unordered_map>

#include "platform/zordata/stepdata.h"

class CzorNetIdIndex {
public:
    // Takes in the instances added to `all` since the last call (all of them after Invalidate).
    void CatchUp(const CzorTAggr<CzorInstance>& all) {
        if (m_nIndexed < 0 || m_nIndexed > all.GetSize()) Clear();
        for (; m_nIndexed < all.GetSize(); ++m_nIndexed) {
            CzorInstance* inst = all.GetAt(m_nIndexed);
            if (inst->GetId() > 0 && !inst->IsDeleted()) m_ById[inst->GetId()] = inst;
        }
    }

    // The live instance of that id among `all`, or null.
    CzorInstance* Find(int id, const CzorTAggr<CzorInstance>& all) {
        if (id <= 0) return nullptr;
        CatchUp(all);
        auto it = m_ById.find(id);
        if (it != m_ById.end() && !it->second->IsDeleted() && it->second->GetId() == id) return it->second;
        // An id given after the instance was indexed, or a stale entry: look through them all.
        for (int i = 0; i < all.GetSize(); ++i) {
            CzorInstance* inst = all.GetAt(i);
            if (inst->GetId() == id && !inst->IsDeleted()) {
                m_ById[id] = inst;
                return inst;
            }
        }
        if (it != m_ById.end()) m_ById.erase(it);
        return nullptr;
    }

    // An instance given its id after it was indexed.
    void Note(int id, CzorInstance* inst) { m_ById[id] = inst; }
    void Forget(int id) { m_ById.erase(id); }
    // The store's instances changed other than by additions: the next look-up indexes them anew.
    void Invalidate() { m_nIndexed = -1; }
    // The store was emptied.
    void Clear() {
        m_ById.clear();
        m_nIndexed = 0;
    }

private:
    std::unordered_map<int, CzorInstance*> m_ById;
    int m_nIndexed = -1;
};
