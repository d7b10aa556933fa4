#pragma once
// The element property dialog (template 143, tab control 1008): tab 0 the position page over the whole
// selection, tab 1 the page of the one selected element's kind (text, table, picture, contents). The
// text, picture and contents pages edit in a shown report too; only the position and table pages read
// reportMode.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "report/dialogs/position_logic.h"

class CReportElement;
class QCheckBox;
class QLineEdit;
class QTabWidget;

// The caption by the selection: "Свойства: <kind>" for one element, "Свойства" for several.
std::string PropertyDialogCaption(const std::vector<CReportElement*>& selection);

// The position page (template 139): X 1000, Y 1001, width 1002, height 1003, line width 1090, fixed 8001.
class CPositionPage : public QWidget {
    Q_OBJECT
public:
    CPositionPage(std::vector<CReportElement*> selection, int reportMode, QWidget* parent = nullptr);
    bool Apply();

private:
    CPositionPageLogic m_Logic;
    QLineEdit* m_pFields[5];
    QCheckBox* m_pFixed;
};

// A kind page as the frame sees it: its widget and its check-and-apply step (false keeps the dialog open).
struct CKindPage {
    QWidget* widget = nullptr;
    std::function<bool()> apply;
    const char* title = "";
};

class CPropertyDlg : public QDialog {
    Q_OBJECT
public:
    CPropertyDlg(std::vector<CReportElement*> selection, int reportMode, QWidget* parent = nullptr);
    // An empty selection ends the dialog at once with 0.
    int exec() override;

    // The text, picture or contents page of the element, or none (widget null) for the other kinds; the
    // table kinds (3 and, editing the continued table, 5) get the table page (AddTablePage).
    CKindPage MakeKindPage(CReportElement& element);
    CPositionPage* PositionPage() const { return m_pPosition; }
    QWidget* KindPage() const { return m_KindPage.widget; }

private:
    bool OnOK();

    std::vector<CReportElement*> m_Selection;
    QTabWidget* m_pTabs;
    CPositionPage* m_pPosition = nullptr;
    CKindPage m_KindPage;
};
