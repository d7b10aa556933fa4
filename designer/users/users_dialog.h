#pragma once
// The users dialog (209, "Настройка пользователей"): who may open the report and with which rights.
// The logic works on copies of the users; the store changes only on OK.
#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "designer/users/report_user.h"

class QCheckBox;
class QLineEdit;
class QTreeWidget;

namespace quillmark {

class CUsersDlgLogic {
public:
    explicit CUsersDlgLogic(CFolivox* manager);

    // The fields, as the controls show them.
    std::string m_Name, m_Password, m_Confirm;
    bool m_bUsers = false, m_bEdit = false, m_bPrint = false, m_bView = false;
    bool m_bViewEnabled = true;

    int RowCount() const { return static_cast<int>(m_Rows.size()); }
    const CReportUser& Row(int i) const { return *m_Rows[i]; }
    // The row whose values the fields show (-1: none).
    int ShownRow() const { return m_nShown; }

    // After one of users, edit or print was ticked or cleared: any of them ticks and locks view.
    void OnRightsChanged();
    // A click on a row: its values into the fields, unless it is the row already shown.
    void SelectRow(int row);
    // False after a message, the fields kept.
    bool Add();
    bool Change(int row);
    // Asks first; false when the user said No or there is no such row.
    bool Delete(int row);
    // False: the user chose to go back to the dialog. True: the store holds the list (an empty list
    // removes the protection).
    bool OK();
    // Whether OK changed the store: the document is then marked changed.
    bool ChangedStore() const { return m_bChangedStore; }

private:
    bool Validate(int skipRow, int& mode, std::string& scrambled);
    void ClearFields();

    CFolivox* m_pManager;
    CReportUserList m_Rows;
    std::vector<const CReportUser*> m_Added;
    CReportUserList m_Deleted;
    int m_nShown = -1;
    bool m_bEdited = false;
    bool m_bChangedStore = false;
};

class CUsersDlg : public QDialog {
public:
    explicit CUsersDlg(CFolivox* manager, QWidget* parent = nullptr);
    CUsersDlgLogic& Logic() { return m_Logic; }

private:
    void ToControls();
    void FromControls();
    void FillList();
    int SelectedRow() const;

    CUsersDlgLogic m_Logic;
    QTreeWidget* m_pList;
    QLineEdit *m_pName, *m_pPassword, *m_pConfirm;
    QCheckBox *m_pUsers, *m_pEdit, *m_pPrint, *m_pView;
};

}  // namespace quillmark
