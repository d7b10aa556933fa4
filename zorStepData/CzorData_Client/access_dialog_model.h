#pragma once
// The rules of the access dialog and of its user picker, without widgets: what rows they show, how
// the default access is offered, and what change, delete, add, the switch and OK do to the set.
// A view draws from these and forwards the user's actions.
#include <string>
#include <vector>

#include "zorStepData/CzorData_Client/access.h"

class CzorNetStepData;

// A user's name as the dialogs show it: "name (Last F. M.)", empty for anything but a user.
std::string zorAccessUserDisplayName(CzorNetStepData& store, CzorInstance* agent);

class CAccessDialogModel {
public:
    struct Row {
        CzorInstance* agent;
        zorAccessList* list;
        std::string name, modeText;
        int image;  // 0 group, 1 user, 4 the current user's group, 5 the current user
    };
    CAccessDialogModel(CzorNetStepData& store, zorUsers& users, bool viewOnly, bool patternMode);

    const std::vector<Row>& Rows() const { return m_Rows; }
    // 0..3 a mode, 4 "Не изменять" (offered only when `OfferKeep`).
    int DefaultIndex() const { return m_nDefaultIndex; }
    bool OfferKeep() const { return m_bOfferKeep; }
    bool SwitchOn() const { return m_bSwitch; }
    // Entries disagree on the flag: the switch is drawn partly checked.
    bool MixedFlags() const { return m_bMixedFlags; }
    bool RemovalFlag() const { return m_bRemoval; }
    bool ViewOnly() const { return m_bViewOnly; }
    std::string Caption() const;
    bool CanAdd() const { return m_bSwitch && !m_bViewOnly; }
    bool CanEdit(int row) const { return CanAdd() && row >= 0 && row < static_cast<int>(m_Rows.size()); }

    // The row's list gets `mode` in all entries; false (with the box) when no row is given.
    bool Change(int row, zorAccessModeType mode);
    bool Delete(int row);
    // The picker's choice: groups, then users, shown with `mode`.
    void Add(const std::vector<CzorInstance*>& groups, const std::vector<CzorInstance*>& users, zorAccessModeType mode);
    void SetSwitch(bool on);
    void SetDefaultIndex(int index);
    // Writes the default access into the set; the caller closes the dialog.
    void Ok();

private:
    void ApplyDefaultSettings();
    void Refill();
    CzorNetStepData& m_Store;
    zorUsers& m_Users;
    bool m_bViewOnly, m_bPattern;
    std::vector<zorAccessList*> m_Groups, m_UsersShown;
    std::vector<Row> m_Rows;
    int m_nDefaultIndex = 4;
    bool m_bOfferKeep = false, m_bSwitch = false, m_bMixedFlags = false, m_bRemoval = false;
};

// The picker's tree: groups (not the reserved one) by name, each with its users by display name.
struct CAccessPickerNode {
    CzorInstance* group;
    std::string name;
    std::vector<std::pair<CzorInstance*, std::string>> users;
};
std::vector<CAccessPickerNode> zorAccessPickerTree(CzorNetStepData& store);
// The checked items as the picker hands them over: each agent once.
void zorAccessPickerSelection(const std::vector<CzorInstance*>& checkedGroups,
                              const std::vector<CzorInstance*>& checkedUsers, std::vector<CzorInstance*>& groups,
                              std::vector<CzorInstance*>& users);
