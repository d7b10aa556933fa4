#pragma once
// The level dialog (template 8001, caption "Уровень": name 1055, height 8007, flags 8011 and 8012) and
// the group-parameters dialog (template 8003, caption "Настройка параметров группы").
#include <QDialog>
#include <functional>

#include "report/dialogs/level_logic.h"

class QCheckBox;
class QLineEdit;

class CLevelDlg : public QDialog {
    Q_OBJECT
public:
    CLevelDlg(const std::string& name, int height, int flags, QWidget* parent = nullptr);
    // What the caller takes back after OK.
    std::string Name() const { return m_Logic.m_Name; }
    int Height() const { return m_Logic.Height(); }
    int Flags() const { return m_Logic.Flags(); }

private:
    bool OnOK();

    CLevelDlgLogic m_Logic;
    QLineEdit* m_pName;
    QLineEdit* m_pHeight;
    QCheckBox* m_pHideEmpty;
    QCheckBox* m_pKeepTogether;
};

class CGroupParamsDlg : public QDialog {
    Q_OBJECT
public:
    // font: the grouping column's own (a double click), null for a new grouping column.
    CGroupParamsDlg(CGroupCol* group, const LOGFONT* font, QWidget* parent = nullptr);
    int exec() override;
    // The font chosen, which the caller copies into the grouping column after OK.
    const LOGFONT& Font() const { return m_Logic.m_Font; }
    // The sub-dialogs of buttons 8018 (title lines), 8021 (closing lines) and 8020 (conditions); unless
    // replaced, the field set-up dialog on either list of levels and the conditions-list dialog.
    void SetSubDialogs(std::function<void(CGroupCol*)> titleLines, std::function<void(CGroupCol*)> closingLines,
                       std::function<void(CGroupCol*)> conditions);

private:
    bool OnOK();
    void ShowFont();

    CGroupCol* m_pGroup;
    CGroupParamsDlgLogic m_Logic;
    std::function<void(CGroupCol*)> m_SubDialogs[3];
    QLineEdit* m_pFace;
    QLineEdit* m_pSize;
    QLineEdit* m_pName;
    QCheckBox* m_pShowFirstRow;
};
