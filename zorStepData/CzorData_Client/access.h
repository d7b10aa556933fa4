#pragma once
// Access rights of the networked store's instances as the client reads, edits and sends them: one
// entry per instance, the entries of one agent (a user or a group, or the default access), and
// the set of agents. The effective right of the logged-in user is never computed here: the server
// sends it as each instance's state.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/zordata/access_names.h"
#include "platform/zordata/databuf.h"

class CzorInstance;

// Agents with reserved identifiers.
enum : int {
    kzorAccessCurrentUserPlaceholder = 1,
    kzorAccessCurrentGroupPlaceholder = 2,
    kzorAccessReservedGroup = 3901,
    kzorAccessReservedUser = 3902,
    kzorAccessFirstNamedAgent = 3999,  // agents below it are not named in rights texts
};

// The agent argument that asks to set the default access itself.
inline CzorInstance* const kzorDefaultAccessAgent = reinterpret_cast<CzorInstance*>(-1);

class zorAccessEl {
public:
    zorAccessEl() = default;
    zorAccessEl(CzorInstance* inst, int useIndividual, zorAccessModeType mode)
        : m_pInstance(inst), m_bUseIndividual(useIndividual), m_Mode(mode) {}
    void Set(const zorAccessEl* other) { if (other) *this = *other; }
    bool compare(const zorAccessEl* other) const;
    // The mode as it travels: its low byte, read back as a signed byte.
    int8_t ModeByte() const { return static_cast<int8_t>(m_Mode & 0xFF); }
    void SetModeByte(uint8_t b) {
        m_Mode = static_cast<zorAccessModeType>((static_cast<uint32_t>(m_Mode) & ~0xFFu) | b);
    }

    CzorInstance* m_pInstance = nullptr;  // not owned
    int32_t m_bUseIndividual = 0;
    zorAccessModeType m_Mode = zorAccessNotSet;
};

// The entries of one agent; owns them.
class zorAccessList {
public:
    zorAccessList() = default;
    explicit zorAccessList(CzorInstance* agent) : m_pAgent(agent) {}
    virtual ~zorAccessList();
    zorAccessList(const zorAccessList&) = delete;
    zorAccessList& operator=(const zorAccessList&) = delete;

    void Clear();
    // The first entry about that instance, or null.
    zorAccessEl* Find(CzorInstance* instance, bool = false) const;
    // A copy of the other's agent and entries; the modified mark is not copied.
    void Set(const zorAccessList* other);
    bool IsSetAccess() const;
    // The distinct modes in order of first appearance, readable, joined by ", ".
    std::string GetText() const;

    int GetSize() const { return static_cast<int>(m_Items.size()); }
    zorAccessEl* GetAt(int i) const { return (i >= 0 && i < GetSize()) ? m_Items[static_cast<size_t>(i)] : nullptr; }
    zorAccessEl* operator[](int i) const { return GetAt(i); }
    // Takes ownership of the entry.
    int Add(zorAccessEl* el) { m_Items.push_back(el); return GetSize() - 1; }
    zorAccessEl* Add(CzorInstance* inst, int useIndividual, zorAccessModeType mode) {
        auto* el = new zorAccessEl(inst, useIndividual, mode);
        m_Items.push_back(el);
        return el;
    }
    // The agent's identifier; 0 for the default list.
    int AgentId() const;
    bool IsDefault() const { return m_pAgent == nullptr; }

    CzorInstance* m_pAgent = nullptr;  // not owned; null for the default list
    bool m_bModified = false;

private:
    std::vector<zorAccessEl*> m_Items;
};

// The set of agents; owns its lists.
class zorUsers {
public:
    zorUsers() = default;
    ~zorUsers();
    zorUsers(const zorUsers&) = delete;
    zorUsers& operator=(const zorUsers&) = delete;

    void Clear();
    // The first list of that agent (null: the default list); with create-missing on a new list with
    // one unset entry is appended when there is none.
    zorAccessList* Find(CzorInstance* agent);
    void Set(const zorUsers& other);
    // Stable by agent identifier; the default list counts as 0.
    void Sort();

    int GetSize() const { return static_cast<int>(m_Lists.size()); }
    zorAccessList* GetAt(int i) const { return (i >= 0 && i < GetSize()) ? m_Lists[static_cast<size_t>(i)] : nullptr; }
    zorAccessList* operator[](int i) const { return GetAt(i); }
    int Add(zorAccessList* list) { m_Lists.push_back(list); return GetSize() - 1; }
    zorAccessList* AddList(CzorInstance* agent) { auto* l = new zorAccessList(agent); m_Lists.push_back(l); return l; }
    // Takes the list out of the set (the caller owns it); null when absent.
    zorAccessList* Detach(zorAccessList* list);
    // The total number of entries.
    int EntryCount() const;

    bool m_bCreateMissing = false;

private:
    std::vector<zorAccessList*> m_Lists;
};

// ---- Wire bodies of the rights requests (commands 33 and 34)
// The set request; false (nothing written) when an entry has no instance.
bool zorBuildAccessSetBody(const zorUsers& users, int code1, int code2, CzorDataBuf& out);
// The get request; false when an entry has no instance.
bool zorBuildAccessGetBody(const zorUsers& users, CzorDataBuf& out);
// Reads the get reply into the set's entries. False at the first field that differs from the
// request or is cut; the entries read before it keep their new values.
bool zorReadAccessGetReply(CzorDataBuf& reply, zorUsers& users);

// The changes of the access dialog: per list marked modified in `edited`, the entries that differ
// from the same entry of the same list in `loaded`; lists without a change are left out.
void zorMakeAccessChangeSet(const zorUsers& loaded, const zorUsers& edited, zorUsers& changes);

// The rights text of each instance from a filled set: the default mode's word always, then each
// named agent (identifier 3999 and up) with a mode. `names` gives an agent's "name".
class CzorStepData;
void zorAccessTexts(CzorStepData& store, const zorUsers& users, const std::vector<CzorInstance*>& insts,
                    std::vector<std::string>& texts);
