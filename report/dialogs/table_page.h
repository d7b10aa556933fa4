#pragma once
// The table page of the element property dialog (template 149, tab "Таблица"): name 1038, row font size
// 1042 and face 1040 with "..." 1023, the section list 1088 and its buttons 1049 (create), 1046 (copy),
// 1045 (delete), 1044 (properties), 1048 (up), 1047 (down).
#include <QWidget>
#include <vector>

#include "report/dialogs/table_page_logic.h"

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

class CTablePage : public QWidget {
    Q_OBJECT
public:
    CTablePage(CReportElement* element, int reportMode, QWidget* parent = nullptr);
    bool Apply();
    // Replaces the section dialog the buttons open.
    void SetSectionRunner(SectionRunner run) { m_Run = std::move(run); }
    const CTablePageLogic& Logic() const { return m_Logic; }

private:
    int CurrentRow() const;
    void Changed(int select);

    CTablePageLogic m_Logic;
    SectionRunner m_Run;
    QLineEdit* m_pName;
    QLineEdit* m_pSize;
    QLineEdit* m_pFace;
    QTreeWidget* m_pSections;
};

// Adds the table page as the dialog's second tab when the selection is one table or one continuation of
// a table, and makes it current. The page's apply step (true when there is no page).
std::function<bool()> AddTablePage(QTabWidget* tabs, const std::vector<CReportElement*>& selection, int reportMode);
