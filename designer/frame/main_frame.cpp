#include "designer/frame/main_frame.h"

#include <limits>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <fmt/printf.h>

#include "controls/menu/menu_handles.h"
#include "controls/menu/zor_menu.h"
#include "designer/frame/menu_bitmaps.h"
#include "designer/frame/about_box.h"
#include "designer/frame/child_frame.h"
#include "designer/frame/frame_placement.h"
#include "designer/frame/navigator_bar.h"
#include "platform/settings/profile.h"

namespace quillmark {
namespace {

constexpr const char* kFrameSection = "MainFrame";

struct ToolBarLayout {
    int resourceId;
    int showCommand;
    const char* title;
    std::vector<int> buttons;  // 0: a separator
};

// In docking order: the first three make the top row, the other three the second.
const std::vector<ToolBarLayout>& ToolBarLayouts() {
    static const std::vector<ToolBarLayout> layouts = {
        {128, ID_BAR_MAIN, "Главная", {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_APP_ABOUT}},
        {137, ID_BAR_ELEMENTS, "Панель элементов",
         {ID_TOOL_LINE, ID_TOOL_TEXT, ID_TOOL_RECT, ID_TOOL_TABLE, ID_TOOL_CONTINUATION, ID_TOOL_PICTURE,
          ID_TOOL_CONTENTS, 0, ID_NEW_SHEET, ID_DUPLICATE_SHEET}},
        {152, ID_BAR_VIEW, "Панель просмотра",
         {ID_TOOL_ZOOM, ID_TOOL_ZOOM_RECT, ID_TOOL_MOVE_SHEET, ID_VIEW_FIT, ID_VIEW_1TO1, ID_THUMBNAILS, 0, ID_EDIT_MODE}},
        {168, ID_BAR_FORMAT, "Панель форматирования",
         {ID_PROPERTIES, 0, ID_TEXT_BOLD, ID_TEXT_ITALIC, ID_TEXT_UNDERLINE, 0, ID_TEXT_LEFT, ID_TEXT_CENTER,
          ID_TEXT_RIGHT, 0, ID_TEXT_HORIZONTAL, ID_TEXT_VERTICAL, 0, ID_TEXT_FONT, ID_EDIT_TEXT}},
        {150, ID_BAR_ALIGN, "Панель выравнивания",
         {ID_ALIGN_LEFT, ID_ALIGN_RIGHT, ID_ALIGN_TOP, ID_ALIGN_BOTTOM, 0, ID_ALIGN_WIDTH, ID_ALIGN_HEIGHT,
          ID_ALIGN_SIZE, 0, ID_ALIGN_MM, ID_FIX_ELEMENTS, 0, ID_SELECT_ALL}},
        {184, ID_BAR_PAGES, "Панель страниц", {ID_PAGE_FIRST, ID_PAGE_PREV, ID_PAGE_NEXT, ID_PAGE_LAST}},
    };
    return layouts;
}

}  // namespace

CMainFrame::CMainFrame() {
    setObjectName("128");
    setWindowTitle(QString::fromUtf8("Квиллмарк"));
    m_commands = new CCommandRegistry(this);
    m_commands->SetStateSource([this] { return CurrentState(); });
    m_commands->afterRefresh = [this](const CommandState& state) { ApplyMenuStates(state); };

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName("mdi");
    setCentralWidget(m_mdi);

    CreateToolBars();
    // Every command's key works in the whole window, on a toolbar or not.
    for (const CommandInfo& info : AllCommands()) addAction(m_commands->Action(info.id));
    CreateStatusBar();
    m_navigator = new CNavigatorBar(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_navigator);
    CzorMenu::LoadXpMode();
    ConnectFrameCommands();
    RestorePlacement();

    m_recent.Load();
    RebuildRecentMenu();

    const auto refresh = [this] { m_commands->Refresh(); };
    connect(m_mdi, &QMdiArea::subWindowActivated, this, refresh);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, refresh);
    connect(m_navigator, &QDockWidget::visibilityChanged, this, refresh);
    m_commands->Refresh();
}

CMainFrame::~CMainFrame() {
    // The base class hides the bars as it goes, and their signals must no longer reach this frame.
    for (const auto& entry : m_toolBars) entry.second->disconnect(this);
    m_navigator->disconnect(this);
    m_mdi->disconnect(this);
    QApplication::clipboard()->disconnect(this);
    m_commands->SetStateSource({});
    m_commands->afterRefresh = {};
    // Child frames unlist themselves as they go; the frame's list must not be touched after this point.
    for (CChildFrame* child : m_children) child->m_frame = nullptr;
    m_children.clear();
}

void CMainFrame::CreateToolBars() {
    for (const ToolBarLayout& layout : ToolBarLayouts()) {
        if (layout.resourceId == 168) addToolBarBreak();
        auto* bar = new QToolBar(QString::fromUtf8(layout.title), this);
        bar->setObjectName(QString::number(layout.resourceId));
        bar->setIconSize(QSize(20, 20));
        for (int id : layout.buttons) {
            if (id == 0) bar->addSeparator();
            else bar->addAction(m_commands->Action(id));
        }
        addToolBar(Qt::TopToolBarArea, bar);
        connect(bar, &QToolBar::visibilityChanged, this, [this] { m_commands->Refresh(); });
        m_toolBars.emplace_back(layout.showCommand, bar);
    }
}

void CMainFrame::CreateStatusBar() {
    m_positionPane = new QLabel(this);
    m_positionPane->setObjectName("59142");
    m_positionPane->setToolTip(QString::fromUtf8("Положение текущего выделенного элемента"));
    m_positionPane->setMinimumWidth(250);
    m_positionPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_positionPane->setContentsMargins(2, 1, 2, 1);
    m_pagePane = new QLabel(QString::fromUtf8("Стараница 1 из 1"), this);
    m_pagePane->setObjectName("61498");
    statusBar()->addPermanentWidget(m_positionPane);
    statusBar()->addPermanentWidget(m_pagePane);
}

void CMainFrame::InstallMenu(bool forDocument) {
    RegisterProgramBitmaps();
    CzorMenu::SetIconSize(20, 20);
    CzorMenu::SetXPBitmap3D(FALSE);
    auto menu = std::make_unique<CzorMenu>();
    if (!menu->LoadMenu(forDocument ? 129 : 128)) return;
    menu->LoadToolbars(kMenuToolbars, int(std::size(kMenuToolbars)));
    CzorMenu* file = menu->GetSubCzorMenu("&Файл");
    m_recentPopup = file ? file->GetSubCzorMenu("Последние файлы") : nullptr;
    m_windowPopup = menu->GetSubCzorMenu("&Окно");
    m_windowEntries.clear();
    m_menuHandle = menu->GetSafeHmenu();
    m_menuForDocument = forDocument;
    menu->AttachToFrame(this, [this](UINT command) { OnMenuCommand(int(command)); });
    for (QMenu* popup : menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) ShowPromptsOf(popup);
    // The window keeps the menu that was installed on it first; that one draws every later menu bar too.
    if (m_menus.empty()) menu->Install(this);
    m_menus.push_back(std::move(menu));
    RebuildRecentMenu();
}

// The menu's items are remade each time their popup opens, so the prompt is looked up as the mouse moves.
void CMainFrame::ShowPromptsOf(QMenu* popup) {
    connect(popup, &QMenu::hovered, this, [this](QAction* item) {
        const CommandInfo* info = item->menu() ? nullptr : FindCommand(int(item->data().toUInt()));
        if (info) statusBar()->showMessage(QString::fromUtf8(CommandStatusText(*info)));
        else statusBar()->clearMessage();
    });
    connect(popup, &QMenu::aboutToHide, statusBar(), &QStatusBar::clearMessage);
    connect(popup, &QMenu::aboutToShow, this, [this, popup] {
        for (QMenu* sub : popup->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
            if (!sub->property("prompts").toBool()) {
                sub->setProperty("prompts", true);
                ShowPromptsOf(sub);
            }
    });
}

void CMainFrame::OnMenuCommand(int id) {
    const int window = id - kFirstWindowCommand;
    if (window >= 0 && window < kMaxWindowEntries) {
        if (window < static_cast<int>(m_children.size())) {
            CChildFrame* child = m_children[size_t(window)];
            m_mdi->setActiveSubWindow(child);
            if (child->isMinimized()) child->showNormal();
        }
        return;
    }
    const int recent = id - ID_FILE_MRU_FILE1;
    if (recent >= 0 && recent < CRecentFileList::kSize) {
        if (recent < static_cast<int>(m_recent.Files().size()) && openRecentFile) openRecentFile(m_recent.Files()[size_t(recent)]);
        return;
    }
    m_commands->Execute(id);
}

void CMainFrame::ApplyMenuStates(const CommandState& state) {
    // The panes speak of the document: with none open they say nothing.
    if (m_menuForDocument && !state.hasDocument) {
        m_positionPane->clear();
        m_pagePane->clear();
    }
    if (state.hasDocument != m_menuForDocument || !m_menuHandle) InstallMenu(state.hasDocument);
    if (!m_menuHandle) return;
    RebuildWindowMenu();
    for (const CommandInfo& info : AllCommands()) {
        const QAction* action = m_commands->Action(info.id);
        ::EnableMenuItem(m_menuHandle, UINT(info.id), MF_BYCOMMAND | (action->isEnabled() ? MF_ENABLED : MF_GRAYED));
        ::CheckMenuItem(m_menuHandle, UINT(info.id), MF_BYCOMMAND | (action->isChecked() ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CMainFrame::ConnectFrameCommands() {
    for (const auto& [command, bar] : m_toolBars) {
        QToolBar* toolBar = bar;
        m_commands->SetHandler(command, [toolBar] { toolBar->setVisible(!toolBar->isVisible()); });
    }
    m_commands->SetHandler(ID_BAR_NAVIGATOR, [this] { m_navigator->setVisible(!m_navigator->isVisible()); });
    m_commands->SetHandler(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
    m_commands->SetHandler(ID_MENU_XP_STYLE, [] {
        CzorMenu::SetMenuDrawMode(static_cast<int>(CzorMenu::GetMenuDrawMode()) <= 0 ? 1 : 0);
    });
    m_commands->SetHandler(ID_WINDOW_CASCADE, [this] { m_mdi->cascadeSubWindows(); });
    m_commands->SetHandler(ID_WINDOW_TILE, [this] { m_mdi->tileSubWindows(); });
    m_commands->SetHandler(ID_APP_EXIT, [this] { close(); });
    m_commands->SetHandler(ID_APP_ABOUT, [this] { ShowAboutBox(this); });
}

QToolBar* CMainFrame::ToolBar(int commandId) const {
    for (const auto& [command, bar] : m_toolBars)
        if (command == commandId) return bar;
    return nullptr;
}

CommandState CMainFrame::CurrentState() const {
    CommandState state = documentState ? documentState() : CommandState{};
    state.mainBar = ToolBar(ID_BAR_MAIN)->isVisibleTo(this);
    state.formatBar = ToolBar(ID_BAR_FORMAT)->isVisibleTo(this);
    state.elementBar = ToolBar(ID_BAR_ELEMENTS)->isVisibleTo(this);
    state.alignBar = ToolBar(ID_BAR_ALIGN)->isVisibleTo(this);
    state.viewBar = ToolBar(ID_BAR_VIEW)->isVisibleTo(this);
    state.pageBar = ToolBar(ID_BAR_PAGES)->isVisibleTo(this);
    state.navigatorBar = m_navigator->isVisibleTo(this);
    state.statusBar = statusBar()->isVisibleTo(this);
    state.xpMenuStyle = CzorMenu::GetMenuDrawMode() != 0;
    return state;
}

void CMainFrame::SetPositionText(const std::string& text) { m_positionPane->setText(QString::fromUtf8(text)); }
QString CMainFrame::PositionText() const { return m_positionPane->text(); }

void CMainFrame::SetPageText(int current, int count) {
    m_pagePane->setText(QString::fromStdString(fmt::sprintf("Страница %d из %d", current, count)));
}
QString CMainFrame::PageText() const { return m_pagePane->text(); }

CChildFrame* CMainFrame::AddChildFrame(QWidget* view, const std::string& title) {
    auto* child = new CChildFrame(this);
    child->setWidget(view);
    child->setWindowTitle(QString::fromUtf8(title));
    m_mdi->addSubWindow(child);
    if (GetProfileInt("ChildFrame", "mode", 1) != 0) child->showMaximized();
    else child->show();
    m_commands->Refresh();
    return child;
}

void CMainFrame::CloseChildFrames(CChildFrame* except, bool removeOnly) {
    if (except && removeOnly) {
        std::erase(m_children, except);
        except->m_frame = nullptr;
        return;
    }
    // Closing a frame changes the list, so work on a copy.
    const std::vector<CChildFrame*> frames = m_children;
    for (CChildFrame* child : frames) {
        if (child == except) continue;
        std::erase(m_children, child);
        child->m_frame = nullptr;
        m_mdi->removeSubWindow(child);
        child->deleteLater();
    }
}

std::vector<std::pair<std::string, bool>> CMainFrame::WindowMenuEntries() const {
    std::vector<std::pair<std::string, bool>> entries;
    const QMdiSubWindow* active = m_mdi->activeSubWindow();
    for (size_t i = 0; i < m_children.size() && int(i) < kMaxWindowEntries; ++i) {
        std::string title = m_children[i]->windowTitle().toStdString();
        // A '&' of the title is drawn, not taken as the item's key.
        for (size_t at = 0; (at = title.find('&', at)) != std::string::npos; at += 2) title.insert(at, 1, '&');
        entries.emplace_back(fmt::sprintf("&%d %s", int(i) + 1, title), m_children[i] == active);
    }
    return entries;
}

void CMainFrame::RebuildWindowMenu() {
    if (!m_windowPopup) return;
    std::vector<std::pair<std::string, bool>> entries = WindowMenuEntries();
    if (entries == m_windowEntries) return;
    // "Каскадом" and "Мозаикой" stay; the list after them is remade.
    while (m_windowPopup->GetMenuItemCount() > 2) m_windowPopup->DeleteMenu(2, MF_BYPOSITION);
    if (!entries.empty()) m_windowPopup->AppendODMenuA("", MF_OWNERDRAW | MF_SEPARATOR, 0);
    for (size_t i = 0; i < entries.size(); ++i)
        m_windowPopup->AppendODMenuA(entries[i].first.c_str(), MF_OWNERDRAW | (entries[i].second ? MF_CHECKED : 0),
                                     UINT(kFirstWindowCommand + int(i)));
    m_windowEntries = std::move(entries);
}

void CMainFrame::RebuildRecentMenu() {
    if (!m_recentPopup) return;
    while (m_recentPopup->GetMenuItemCount() > 0) m_recentPopup->DeleteMenu(0, MF_BYPOSITION);
    const std::vector<std::string>& files = m_recent.Files();
    if (files.empty()) {
        m_recentPopup->AppendODMenuA("Список документов", MF_OWNERDRAW | MF_GRAYED, ID_FILE_MRU_FILE1);
        return;
    }
    for (size_t i = 0; i < files.size(); ++i)
        m_recentPopup->AppendODMenuA(CRecentFileList::MenuText(int(i), files[i]).c_str(), MF_OWNERDRAW,
                                     UINT(ID_FILE_MRU_FILE1 + int(i)));
}

void CMainFrame::RestorePlacement() {
    // A key never written reads as kUnset: with none of the four saved, this is a first start.
    constexpr int kUnset = std::numeric_limits<int>::min();
    const int x = GetProfileInt(kFrameSection, "Screen_X", kUnset);
    const int y = GetProfileInt(kFrameSection, "Screen_Y", kUnset);
    const int cx = GetProfileInt(kFrameSection, "Screen_CX", kUnset);
    const int cy = GetProfileInt(kFrameSection, "Screen_CY", kUnset);
    if (x == kUnset && y == kUnset && cx == kUnset && cy == kUnset) {
        // A 600 x 400 window would fold the toolbars away on a first start.
        const QScreen* screen = QGuiApplication::primaryScreen();
        setGeometry(FirstStartPlacement(screen ? screen->availableGeometry() : QRect()));
    } else {
        const auto saved = [](int value, int otherwise) { return value == kUnset ? otherwise : value; };
        setGeometry(saved(x, 50), saved(y, 50), std::max(saved(cx, 600), 100), std::max(saved(cy, 400), 100));
    }
    const std::string state = GetProfileString("ToolBars", "State");
    if (!state.empty()) restoreState(QByteArray::fromBase64(QByteArray::fromStdString(state)));
}

void CMainFrame::SavePlacement() {
    WriteProfileString("ToolBars", "State", saveState().toBase64().toStdString());
    WriteProfileInt(kFrameSection, "Screen_mode", isMaximized() ? 1 : 0);
    // The restored rectangle, so a maximised frame comes back maximised with this rectangle behind it.
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    WriteProfileInt(kFrameSection, "Screen_X", normal.x());
    WriteProfileInt(kFrameSection, "Screen_Y", normal.y());
    WriteProfileInt(kFrameSection, "Screen_CX", normal.width());
    WriteProfileInt(kFrameSection, "Screen_CY", normal.height());
    CzorMenu::SaveXpMode();
}

void CMainFrame::ShowAsProfileSays() {
    if (GetProfileInt(kFrameSection, "Screen_mode", 0) == 1) showMaximized();
    else show();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        QMainWindow::closeEvent(event);
        return;
    }
    if (QMdiSubWindow* active = m_mdi->activeSubWindow())
        WriteProfileInt("ChildFrame", "mode", active->isMaximized() ? 1 : 0);
    SavePlacement();
    if (closeAllDocuments && !closeAllDocuments()) {
        event->ignore();
        return;
    }
    m_closing = true;
    CloseChildFrames();
    QMainWindow::closeEvent(event);
}

}  // namespace quillmark
