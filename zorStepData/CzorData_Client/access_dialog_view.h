#pragma once
// The windows of the access dialog (4005) and of its user-and-group picker (7008) over their rules
// (access_dialog_model.h), built in code with each control's object name its control id, and the
// runner that plugs them into the store's rights operations.
#include <memory>
#include <vector>

#include <QImage>

#include "controls/dialogs/resizable_dialog.h"
#include "zorStepData/CzorData_Client/access_dialog_model.h"

class CImageList;
class CSortListCtrl;
class CzorButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QTreeWidget;

// Bitmap 4006 of Peltrane: six images of 20 x 20 on magenta, a group, a user, two blanks, the
// current user's group and the current user.
enum : int { kzorAccessAgentsBitmap = 4006 };
QImage zorAccessAgentsBitmap();
// The images cut from it, made once.
const CImageList& zorAccessAgentImages();

class CDlgSelectUser : public CzorResizableDialog {
public:
    explicit CDlgSelectUser(QWidget* parent = nullptr);
    // False when the store's dictionary lacks the agents' entities or attributes.
    bool Init(CzorNetStepData* store);
    const std::vector<CzorInstance*>& SelectedGroups() const { return m_SelGroups; }
    const std::vector<CzorInstance*>& SelectedUsers() const { return m_SelUsers; }
    zorAccessModeType ChosenMode() const { return m_Mode; }
    // The add button: takes the checked items and closes with OK.
    void OnAdd();

protected:
    bool OnInitDialog() override;

private:
    void FillTree();
    CzorNetStepData* m_pStore = nullptr;
    QTreeWidget* m_pTree = nullptr;
    QComboBox* m_pMode = nullptr;
    std::vector<CzorInstance*> m_SelGroups, m_SelUsers;
    zorAccessModeType m_Mode = zorAccessReadOnly;
};

class CDlgSetInstAccess : public CzorResizableDialog {
public:
    CDlgSetInstAccess(CzorNetStepData& store, zorUsers& users, bool viewOnly, bool patternMode,
                      QWidget* parent = nullptr);
    ~CDlgSetInstAccess() override;
    CAccessDialogModel& Model() { return m_Model; }
    // After OK: the caller asks whether the individual access of all users is to be removed.
    bool RemovalFlag() const { return m_Model.RemovalFlag(); }

    void OnChange();
    void OnDelete();
    void OnAdd();
    // The context menu "UserAccessMenu" at a point of the screen, its command carried out.
    void ShowContextMenu(const QPoint& global);
    // The row shown for an agent, -1 when it has none.
    int RowOf(const CzorInstance* agent) const;
    void SelectRow(int row);
    // OK: ends in-place editing and writes the default access into the set; refused in view-only.
    void accept() override;

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillList();
    void UpdateControls();
    void EndEditing();
    int CurrentModelRow() const;
    void OnSwitch();
    void OnDefaultChanged(int index);

    CzorNetStepData& m_Store;
    CAccessDialogModel m_Model;
    std::unique_ptr<CDlgSelectUser> m_pPicker;
    CSortListCtrl* m_pList = nullptr;
    QComboBox* m_pInPlace = nullptr;
    QComboBox* m_pDefault = nullptr;
    QCheckBox* m_pSwitch = nullptr;
    QLabel* m_pLabel = nullptr;
    CzorButton *m_pOk = nullptr, *m_pCancel = nullptr, *m_pAdd = nullptr, *m_pDelete = nullptr, *m_pChange = nullptr;
    bool m_bEditing = false;
    zorAccessList* m_pCurrent = nullptr;
};

// Runs the access dialog on the set: true for OK, `removeAll` its removal flag.
bool zorRunAccessDialogWindow(CzorNetStepData& store, zorUsers& set, bool viewOnly, bool patternMode,
                              bool& removeAll);
// Makes the store's rights operations use these windows.
void zorUseAccessDialogWindows(CzorNetStepData& store);
