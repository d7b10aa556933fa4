#pragma once
// The dialog that customises a CzorToolBar: the offered buttons not on the bar and the bar's own, with add,
// remove, up, down, reset and close. Opening it begins the bar's customisation and closing it ends it, so
// the hidden buttons are shown only while it is open and the layout is saved when it closes.
#include <QDialog>
#include <QPointer>

class CzorToolBar;
class QListWidget;
class QPushButton;

class CzorToolBarCustomizeDialog : public QDialog {
    Q_OBJECT
public:
    CzorToolBarCustomizeDialog(CzorToolBar* bar, QWidget* parent = nullptr);
    ~CzorToolBarCustomizeDialog() override;

    QListWidget* Offered() const { return m_offered; }
    QListWidget* Current() const { return m_current; }

    // The buttons' steps, also for the keyboard-free driving of tests.
    void Add();
    void Remove();
    void MoveUp();
    void MoveDown();
    void ResetBar();

    void done(int result) override;

private:
    void Fill();

    QPointer<CzorToolBar> m_bar;
    QListWidget* m_offered;
    QListWidget* m_current;
    bool m_ended = false;
};
