#pragma once
// CMainFrame: the designer's main window. An MDI area for the report windows (CChildFrame), the menu,
// six toolbars in two rows, the status bar with its position and page panes, and the navigator bar on
// the left. Placement and bar state come from the profile when the frame is made and go back to it when
// it closes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>

#include "controls/menu/zor_menu.h"
#include "designer/frame/command_registry.h"
#include "designer/frame/recent_files.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace quillmark {

class CNavigatorBar;
class CChildFrame;

class CMainFrame : public QMainWindow {
public:
    CMainFrame();
    ~CMainFrame() override;

    CCommandRegistry& Commands() { return *m_commands; }
    CNavigatorBar* Navigator() const { return m_navigator; }
    QMdiArea* MdiArea() const { return m_mdi; }
    CRecentFileList& RecentFiles() { return m_recent; }

    // The position pane's text (the selected element's place, written by the view).
    void SetPositionText(const std::string& text);
    QString PositionText() const;
    // The page pane: "Страница current из count".
    void SetPageText(int current, int count);
    QString PageText() const;

    // Adds a report window holding the widget; it opens maximised unless the profile's "ChildFrame"/"mode" is 0.
    CChildFrame* AddChildFrame(QWidget* view, const std::string& title);
    // No frame: closes every child frame. With a frame and removeOnly: forgets that frame. With a frame and
    // not removeOnly: closes every other frame.
    void CloseChildFrames(CChildFrame* except = nullptr, bool removeOnly = false);
    const std::vector<CChildFrame*>& ChildFrames() const { return m_children; }

    // Where the frame's commands and state come from: the application fills these.
    std::function<CommandState()> documentState;  // the document part of the command state
    std::function<bool()> closeAllDocuments;       // false: the user kept a document open (close refused)
    std::function<void(const std::string&)> openRecentFile;

    // The menu of the list of recent files rebuilt after a change of the list.
    void RebuildRecentMenu();
    // Shows the frame as the profile's "MainFrame"/"Screen_mode" says.
    void ShowAsProfileSays();
    // The toolbar of a show/hide command id, nullptr for another id.
    QToolBar* ToolBar(int commandId) const;
    // The "Окно" menu's list of open report windows, as (text, checked for the active one), in the order of
    // their commands from kFirstWindowCommand.
    std::vector<std::pair<std::string, bool>> WindowMenuEntries() const;
    static constexpr int kFirstWindowCommand = 0xFF00;
    static constexpr int kMaxWindowEntries = 9;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBars();
    void CreateStatusBar();
    // Menu 129 while a report is open, else 128; a change of the two loads the other.
    void InstallMenu(bool forDocument);
    void OnMenuCommand(int id);
    // The status bar shows the prompt of the menu item under the mouse.
    void ShowPromptsOf(QMenu* popup);
    void ApplyMenuStates(const CommandState& state);
    // The open report windows after "Каскадом" and "Мозаикой", remade when they change.
    void RebuildWindowMenu();
    void ConnectFrameCommands();
    void RestorePlacement();
    void SavePlacement();
    CommandState CurrentState() const;

    CCommandRegistry* m_commands = nullptr;
    QMdiArea* m_mdi = nullptr;
    CNavigatorBar* m_navigator = nullptr;
    QLabel* m_positionPane = nullptr;
    QLabel* m_pagePane = nullptr;
    std::vector<std::unique_ptr<CzorMenu>> m_menus;  // every menu this frame has shown; the first draws
    HMENU m_menuHandle = nullptr;                    // the menu of the bar shown now
    bool m_menuForDocument = false;
    CzorMenu* m_recentPopup = nullptr;
    CzorMenu* m_windowPopup = nullptr;
    std::vector<std::pair<std::string, bool>> m_windowEntries;  // what the "Окно" menu lists now
    std::vector<std::pair<int, QToolBar*>> m_toolBars;
    std::vector<CChildFrame*> m_children;
    CRecentFileList m_recent;
    bool m_closing = false;

    friend class CChildFrame;
};

}  // namespace quillmark
