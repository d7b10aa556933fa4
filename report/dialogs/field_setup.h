#pragma once
// The field set-up dialog (template 147, caption "Настройка полей"): the level list 1026, the column list
// 1027, the column buttons 1032 (new), 1031 (delete), 1030 (properties), 1029 (up), 1028 (down), the
// grouping button 8016 and the context menu of both lists (32801 new, 32786 copy, 32837 delete, 32839
// properties). Resizable: the column list grows with the dialog.
#include <QDialog>

#include "report/dialogs/field_setup_logic.h"

class QMenu;
class QPushButton;
class QTreeWidget;

class CFieldsDlg : public QDialog {
    Q_OBJECT
public:
    CFieldsDlg(FieldsMode mode, CReportSection* section, CGroupCol* group, QWidget* parent = nullptr);
    // Without what its mode edits the dialog ends at once with 0.
    int exec() override;
    // After OK in the choosing mode: the chosen column, or null.
    CColumn* Chosen() const { return m_Logic.Chosen(); }
    // Replace the level and column dialogs the commands run.
    void SetRunners(LevelRunner level, ColumnRunner column);

    // The context menu of a list as it would open now: the entries with their enabled state.
    QMenu* BuildContextMenu(bool columnList);
    // The commands of the menus and buttons.
    void RunCommand(bool columnList, int command);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int CurrentLevel() const;
    int CurrentRow() const;
    void FillLevels(int select);
    void FillColumns(int select);
    void OnOK();

    CFieldsDlgLogic m_Logic;
    LevelRunner m_RunLevel;
    ColumnRunner m_RunColumn;
    QTreeWidget* m_pLevels;
    QTreeWidget* m_pColumns;
    QPushButton* m_pGroupButton;
};

// The entries of the lists' context menu.
enum : int { kCmdFieldNew = 32801, kCmdFieldCopy = 32786, kCmdFieldDelete = 32837, kCmdFieldProperties = 32839 };
