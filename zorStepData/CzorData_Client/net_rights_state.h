#pragma once
// The rights side of the networked store: the access dialog it runs, whether its own checks ask
// the server, and the placeholder agents of access patterns ("the current user", "his group"),
// made by the first of nested uses and deleted by the last.
#include <functional>
#include <utility>

class CzorInstance;
class CzorNetStepData;
class zorUsers;

class CzorNetRightsState {
public:
    // The access dialog, run on the edited set: true for OK; `removeAll` tells that the individual
    // access of all users is to be removed.
    using DialogRunner =
        std::function<bool(CzorNetStepData& store, zorUsers& set, bool viewOnly, bool patternMode, bool& removeAll)>;
    const DialogRunner& Dialog() const { return m_Dialog; }
    void SetDialog(DialogRunner runner) { m_Dialog = std::move(runner); }

    bool ServerChecks() const { return m_bServerChecks; }
    void SetServerChecks(bool on) { m_bServerChecks = on; }

    // Patterns read the users and groups from the server unless a caller already did.
    bool PatternLoadsAgents() const { return m_bPatternLoadsAgents; }
    void SetPatternLoadsAgents(bool on) { m_bPatternLoadsAgents = on; }

    // No use holds the placeholders: the next use makes them and Holds them.
    bool PlaceholdersFree() const { return m_nPatternUses == 0; }
    void Hold(CzorInstance* user, CzorInstance* group) {
        m_pPatternUser = user;
        m_pPatternGroup = group;
    }
    void AddUse() { ++m_nPatternUses; }
    // Ends one use: true when it was the last and the placeholders are to go (then Hold(nullptr, nullptr)).
    bool EndUse() { return m_nPatternUses > 0 && --m_nPatternUses == 0; }
    CzorInstance* PatternUser() const { return m_pPatternUser; }
    CzorInstance* PatternGroup() const { return m_pPatternGroup; }

private:
    DialogRunner m_Dialog;
    bool m_bServerChecks = true;
    bool m_bPatternLoadsAgents = true;
    int m_nPatternUses = 0;
    CzorInstance* m_pPatternUser = nullptr;
    CzorInstance* m_pPatternGroup = nullptr;
};
