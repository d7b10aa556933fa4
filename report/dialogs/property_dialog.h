#pragma once
// The element property dialog (template 143, tab control 1008): tab 0 the position page over the whole
// selection, tab 1 the page of the one selected element's kind. The kind pages are not built yet, so
// only the kinds without a page of their own (lines, page references) and several elements open it.
#include <QDialog>
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

class CPropertyDlg : public QDialog {
    Q_OBJECT
public:
    CPropertyDlg(std::vector<CReportElement*> selection, int reportMode, QWidget* parent = nullptr);
    // An empty selection ends the dialog at once with 0.
    int exec() override;

private:
    bool OnOK();

    std::vector<CReportElement*> m_Selection;
    QTabWidget* m_pTabs;
    CPositionPage* m_pPosition = nullptr;
};

// The entry the program calls on a sheet's selection; true when the dialog ended with OK.
bool ShowElemProperties(const std::vector<CReportElement*>& selection, int reportMode);
