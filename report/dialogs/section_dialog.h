#pragma once
// The section dialog (template 146, caption "Секция"): name 1018, title text 1022, title column 1026 with
// its choice 1025, font 1023, field set-up 1024, conditions 1027, show empty lines 8000.
#include <QDialog>
#include <functional>

#include "report/dialogs/section_dialog_logic.h"

class CTableElement;
class QCheckBox;
class QLineEdit;
struct LOGFONT;

class CSectionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSectionDlg(CReportSection* section, QWidget* parent = nullptr);
    // Without a section the dialog ends at once with 0.
    int exec() override;

    // The sub-dialogs its buttons open, replaceable: field set-up (1024), the title-column choice (1025:
    // true for OK with the column chosen), the conditions list (1027).
    void SetSubDialogs(std::function<void(CReportSection*)> fields,
                       std::function<bool(CReportSection*, CColumn*&)> chooseColumn,
                       std::function<void(CReportSection*)> conditions);

private:
    bool OnOK();

    CSectionDlgLogic m_Logic;
    std::function<void(CReportSection*)> m_Fields;
    std::function<bool(CReportSection*, CColumn*&)> m_ChooseColumn;
    std::function<void(CReportSection*)> m_Conditions;
    QLineEdit* m_pName;
    QLineEdit* m_pTitle;
    QLineEdit* m_pTitleColumn;
    QCheckBox* m_pShowEmptyLines;
};

// The font chooser of the report dialogs on a font record whose height is tenths of a point; true after
// OK, the record then holding the chosen face and size.
bool ChooseReportFont(QWidget* parent, LOGFONT& font);

// A new section of the table's manager edited in the section dialog; after OK the table holds it at the
// end of its sections. The section itself when added, else null (Cancel deletes it).
CReportSection* AddTableSection(CTableElement& table, QWidget* parent = nullptr);
