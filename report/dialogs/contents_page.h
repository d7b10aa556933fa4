#pragma once
// The contents page of the element property dialog (template 211), a thin view over CContentsPageLogic.
// The level list grows with the page; an indent is edited in place by a CPropEdit laid over its cell.
#include <QLineEdit>
#include <QWidget>

#include <functional>

#include "report/dialogs/contents_page_logic.h"

class QTreeWidget;
class QTreeWidgetItem;

// An edit that hands its text back when it loses the focus: Enter commits, Escape cancels, and neither
// reaches the dialog (which would close on them) while the edit is open.
class CPropEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CPropEdit(QWidget* parent = nullptr);
    std::function<void()> onCommit;
    std::function<void()> onCancel;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class CContentsPage : public QWidget {
    Q_OBJECT
public:
    CContentsPage(CTableContentElement& element, QWidget* parent = nullptr);
    bool Apply();

    // Opens the in-place editor on a level's indent cell (a double click on it does the same).
    void EditIndent(int row);
    CPropEdit* IndentEditor() const { return m_pEditor; }

private:
    void FillList();
    void OnDoubleClick(QTreeWidgetItem* item, int column);
    void CommitIndent();
    void CancelIndent();

    CContentsPageLogic m_Logic;
    QTreeWidget* m_pList;
    CPropEdit* m_pEditor;
    QLineEdit* m_pTitle;
    QLineEdit* m_pTitleFont;
    QLineEdit* m_pWidth;
    bool m_bCommitting = false;
};
