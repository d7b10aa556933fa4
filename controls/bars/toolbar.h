#pragma once
// A tool bar the user can customise: a dialog of ours offers the bar's buttons to add, remove and reorder,
// the buttons' texts come from their commands' strings, and the layout is kept in the profile (section
// "Settings", the bar's name as the value name) as the commands in order, 0 for a separator.
#include <map>
#include <string>
#include <vector>

#include <QIcon>
#include <QToolBar>

namespace zor {
// A button's text from its command's string: the part after the last line feed (the short name after
// the status-bar prompt), the whole string without one; empty for a command without a string.
std::string ToolbarButtonText(const std::string* commandString);
// The same for a command, its string looked up in the resources; empty for a separator (0).
std::string ToolbarButtonText(int command);
}  // namespace zor

// One button as the customise dialog offers it; command 0 is a separator.
struct ToolbarButtonInfo {
    int command = 0;
    std::string text;
    QIcon icon;
};

class CzorToolBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr const char* kStateSection = "Settings";

    explicit CzorToolBar(QWidget* parent = nullptr);
    ~CzorToolBar() override;

    // The value name of the layout in the profile; without one nothing is saved or restored.
    void SetTBName(const char* name);
    const std::string& TBName() const { return m_name; }

    // The buttons of a toolbar resource, replacing the bar's: its images, commands and texts. False when
    // there is no such toolbar.
    bool LoadToolBar(int id);
    // A button at the end (a separator for command 0); the command's action, made once per command.
    QAction* AddButton(int command, const QIcon& icon = QIcon());
    // The action of a command known to the bar, on it or not; null for an unknown command.
    QAction* CommandAction(int command) const;
    // The bar's buttons in order, 0 for a separator, hidden ones included.
    std::vector<int> Commands() const;
    void HideButton(int command, bool hide);

    // The buttons the customise dialog offers: the bar's buttons as they are now. Call it after loading them.
    void SetToolBarInfoForCustomization();
    // The index-th offered button; false past the last one, which ends the offer.
    bool GetButtonInfo(int index, ToolbarButtonInfo& info) const;

    // The layout into the profile and back; false without a name, without a stored layout, or when the
    // profile cannot be written.
    bool SaveState();
    bool RestoreState();

    // The steps of customisation, in the order the dialog takes them. Beginning shows the hidden buttons
    // (so that they can be placed); ending saves the layout and hides them again.
    void BeginAdjust();
    void EndAdjust();
    const std::vector<int>& HiddenWhileAdjusting() const { return m_hidden; }
    // After every change: the frame lays itself out again and the commands' states are brought up to date.
    void ToolbarChange();
    // The stored layout, or the one customisation began with when none is stored.
    bool Reset();
    // Edits of the layout by position; each one is a change.
    bool InsertButton(int position, int command);
    bool DeleteButton(int position);
    bool MoveButton(int from, int to);

    // The customise dialog, modal; a double click on the bar between its buttons opens it too.
    void Customize();

signals:
    void command(int id);
    // The commands' states should be brought up to date (after a change of the layout).
    void updateCommandStates();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SetLayout(const std::vector<int>& commands);

    std::string m_name;
    std::map<int, QAction*> m_actions;  // every command the bar has had, children of the bar
    std::vector<ToolbarButtonInfo> m_custom;
    std::vector<int> m_hidden;
    std::vector<int> m_atBegin;  // the layout when customisation began
};
