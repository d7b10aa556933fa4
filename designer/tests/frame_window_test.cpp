// The main frame made offscreen: its bars in two rows, the panes, child frames, the registry wiring and
// what the frame keeps in the profile.
#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>

#include <QAction>
#include <QMimeData>
#include <QUrl>
#include <QApplication>
#include <QFileDialog>
#include <QListView>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "designer/frame/child_frame.h"
#include "designer/frame/file_drop.h"
#include "designer/frame/frame_placement.h"
#include "designer/frame/main_frame.h"
#include "designer/frame/navigator_bar.h"
#include "designer/quillmark_app.h"
#include "platform/settings/profile.h"
#include "platform/ui/messages.h"
#include "platform/tests/test_support.h"

namespace quillmark {
namespace {

class FrameWindow : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }
    zor::test::ScopedTempDir m_dir;
    zor::test::ScopedEnv m_config{"XDG_CONFIG_HOME", m_dir.Path()};
    // Shows the frame over `doc`, a document open, with the commands' states taken from it.
    static void ShowWithDocument(CMainFrame& frame, CommandState& doc) {
        doc.hasDocument = true;
        frame.documentState = [&doc] { return doc; };
        frame.show();
        frame.Commands().Refresh();
    }
};

TEST_F(FrameWindow, SixToolBarsInTwoRowsAndTheNavigatorOnTheLeft) {
    CMainFrame frame;
    frame.show();
    QApplication::processEvents();
    const int rows[][3] = {{ID_BAR_MAIN, ID_BAR_ELEMENTS, ID_BAR_VIEW}, {ID_BAR_FORMAT, ID_BAR_ALIGN, ID_BAR_PAGES}};
    std::set<int> rowTops;
    for (const auto& row : rows) {
        const int top = frame.ToolBar(row[0])->geometry().top();
        rowTops.insert(top);
        for (int i = 1; i < 3; ++i) {
            QToolBar* bar = frame.ToolBar(row[i]);
            EXPECT_EQ(bar->geometry().top(), top) << row[i];
            EXPECT_GT(bar->geometry().left(), frame.ToolBar(row[i - 1])->geometry().left()) << row[i];
            EXPECT_EQ(frame.toolBarArea(bar), Qt::TopToolBarArea);
        }
    }
    EXPECT_EQ(rowTops.size(), 2u);
    EXPECT_EQ(frame.dockWidgetArea(frame.Navigator()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(frame.Navigator()->windowTitle(), QString::fromUtf8("Параметры"));
    EXPECT_EQ(frame.PageText(), QString::fromUtf8("Стараница 1 из 1"));
    frame.SetPageText(2, 7);
    EXPECT_EQ(frame.PageText(), QString::fromUtf8("Страница 2 из 7"));
}

// The menu item of a command, found by opening every popup as a click would; nullptr when it is absent.
QAction* FindMenuItem(CMainFrame& frame, int id) {
    std::function<QAction*(QMenu*)> find = [&](QMenu* menu) -> QAction* {
        emit menu->aboutToShow();
        for (QAction* action : menu->actions()) {
            if (QMenu* sub = action->menu()) {
                if (QAction* found = find(sub)) return found;
            } else if (action->data().toUInt() == unsigned(id)) {
                return action;
            }
        }
        return nullptr;
    };
    for (QAction* title : frame.menuBar()->actions())
        if (title->menu())
            if (QAction* found = find(title->menu())) return found;
    return nullptr;
}

// "absent", "disabled" or "enabled", plus " checked".
std::string MenuItemState(CMainFrame& frame, int id) {
    const QAction* item = FindMenuItem(frame, id);
    if (!item) return "absent";
    return std::string(item->isEnabled() ? "enabled" : "disabled") + (item->isChecked() ? " checked" : "");
}

// The recent files stand in the File menu as "&1 name" and open from there.
TEST_F(FrameWindow, RecentFilesInTheMenuOpenTheirFile) {
    CMainFrame frame;
    std::vector<std::string> opened;
    frame.openRecentFile = [&opened](const std::string& p) { opened.push_back(p); };
    EXPECT_EQ(MenuItemState(frame, ID_FILE_MRU_FILE1), "disabled");
    frame.RecentFiles().Add(m_dir.Path() + "/a.zorrep");
    frame.RecentFiles().Add(m_dir.Path() + "/b.zordot");
    frame.RebuildRecentMenu();
    EXPECT_EQ(MenuItemState(frame, ID_FILE_MRU_FILE1), "enabled");
    EXPECT_EQ(MenuItemState(frame, ID_FILE_MRU_FILE1 + 1), "enabled");
    EXPECT_EQ(MenuItemState(frame, ID_FILE_MRU_FILE1 + 2), "absent");
    QAction* second = FindMenuItem(frame, ID_FILE_MRU_FILE1 + 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->text().toStdString().find("a.zorrep") != std::string::npos, true) << second->text().toStdString();
    emit frame.menuBar()->triggered(second);
    EXPECT_EQ(opened, std::vector<std::string>{m_dir.Path() + "/a.zorrep"});
}

// Menus, toolbar buttons and the rules meet in one action per command; hiding a bar unchecks its command.
TEST_F(FrameWindow, RegistryDrivesActionsAndBarCommands) {
    CMainFrame frame;
    CommandState doc;
    frame.documentState = [&doc] { return doc; };
    frame.show();
    CCommandRegistry& commands = frame.Commands();
    int saves = 0;
    commands.SetHandler(ID_FILE_SAVE, [&saves] { ++saves; });
    commands.Refresh();
    QAction* save = commands.Action(ID_FILE_SAVE);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->objectName(), "57603");
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(commands.Execute(ID_FILE_SAVE));

    // Menu 128 without a report, 129 with one; the menu items follow the same rules as the actions.
    const int withoutDocument = frame.menuBar()->actions().size();
    EXPECT_EQ(MenuItemState(frame, ID_FILE_SAVE), "absent");
    EXPECT_EQ(MenuItemState(frame, ID_APP_ABOUT), "enabled");
    EXPECT_EQ(MenuItemState(frame, ID_FILE_OPEN), "disabled");  // the application gives it its handler
    doc.hasDocument = true;
    commands.Refresh();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(commands.Execute(ID_FILE_SAVE));
    EXPECT_EQ(saves, 1);
    EXPECT_GT(frame.menuBar()->actions().size(), withoutDocument);
    EXPECT_EQ(MenuItemState(frame, ID_FILE_SAVE), "enabled");
    EXPECT_EQ(MenuItemState(frame, ID_BAR_MAIN), "enabled checked");
    // A command the rules allow but nothing carries out yet stays disabled.
    EXPECT_FALSE(commands.Action(ID_FILE_SAVE_AS)->isEnabled());
    EXPECT_EQ(MenuItemState(frame, ID_FILE_SAVE_AS), "disabled");

    // The status bar shows a menu item's prompt while the mouse is on it.
    QMenu* file = frame.menuBar()->actions().front()->menu();
    ASSERT_NE(file, nullptr);
    emit file->aboutToShow();
    for (QAction* item : file->actions())
        if (item->data().toUInt() == unsigned(ID_FILE_SAVE)) emit file->hovered(item);
    EXPECT_EQ(frame.statusBar()->currentMessage(), QString::fromUtf8("Сохранить отчет"));

    QAction* format = commands.Action(ID_BAR_FORMAT);
    EXPECT_TRUE(format->isChecked());
    EXPECT_TRUE(commands.Execute(ID_BAR_FORMAT));
    EXPECT_FALSE(frame.ToolBar(ID_BAR_FORMAT)->isVisible());
    EXPECT_FALSE(format->isChecked());
    EXPECT_TRUE(commands.Execute(ID_BAR_NAVIGATOR));
    EXPECT_FALSE(frame.Navigator()->isVisible());
    EXPECT_FALSE(commands.Action(ID_BAR_NAVIGATOR)->isChecked());
}

// The popup under a menu-bar title.
QMenu* MenuOfTitle(CMainFrame& frame, const char* title) {
    for (QAction* action : frame.menuBar()->actions())
        if (action->menu() && action->text() == QString::fromUtf8(title)) return action->menu();
    return nullptr;
}

std::vector<unsigned> CommandsOf(QMenu* menu) {
    emit menu->aboutToShow();
    std::vector<unsigned> ids;
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && !action->menu()) ids.push_back(action->data().toUInt());
    return ids;
}

// "Вставка" and the elements bar carry every element tool, the table continuation and the contents too.
TEST_F(FrameWindow, InsertMenuAndElementBarHoldEveryElementTool) {
    CMainFrame frame;
    CommandState doc;
    doc.hasDocument = doc.editMode = true;
    doc.sheetCount = 1;
    doc.currentSheet = 0;
    frame.documentState = [&doc] { return doc; };
    frame.show();
    for (int id : {ID_TOOL_CONTINUATION, ID_TOOL_CONTENTS}) frame.Commands().SetHandler(id, [] {});
    frame.Commands().Refresh();
    QMenu* insert = MenuOfTitle(frame, "&Вставка");
    ASSERT_NE(insert, nullptr);
    const std::vector<unsigned> items = CommandsOf(insert);
    QToolBar* elements = frame.ToolBar(ID_BAR_ELEMENTS);
    for (int id : {ID_TOOL_LINE, ID_TOOL_TEXT, ID_TOOL_TABLE, ID_TOOL_CONTINUATION, ID_TOOL_PICTURE, ID_TOOL_CONTENTS}) {
        EXPECT_NE(std::find(items.begin(), items.end(), unsigned(id)), items.end()) << id;
        EXPECT_TRUE(elements->actions().contains(frame.Commands().Action(id))) << id;
    }
    EXPECT_EQ(MenuItemState(frame, ID_TOOL_CONTINUATION), "enabled");
    EXPECT_EQ(MenuItemState(frame, ID_TOOL_CONTENTS), "enabled");
    doc.editMode = false;
    frame.Commands().Refresh();
    EXPECT_EQ(MenuItemState(frame, ID_TOOL_CONTENTS), "disabled");
}

// A button without a picture is labelled with the menu text up to its tab, not with the key after it.
TEST_F(FrameWindow, ButtonLabelsLeaveTheKeyOut) {
    CMainFrame frame;
    frame.show();
    for (const auto& [bar, id] : {std::pair{ID_BAR_ALIGN, ID_SELECT_ALL}, std::pair{ID_BAR_FORMAT, ID_EDIT_TEXT}}) {
        auto* button = qobject_cast<QToolButton*>(frame.ToolBar(bar)->widgetForAction(frame.Commands().Action(id)));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->text().toStdString().find("Ctrl"), std::string::npos) << button->text().toStdString();
        EXPECT_FALSE(button->text().contains('\t'));
    }
    auto* selectAll = qobject_cast<QToolButton*>(
        frame.ToolBar(ID_BAR_ALIGN)->widgetForAction(frame.Commands().Action(ID_SELECT_ALL)));
    EXPECT_EQ(selectAll->text(), QString::fromUtf8("Выделить все"));
}

// "Окно" lists the open report windows, the active one checked; choosing one brings it forward.
TEST_F(FrameWindow, WindowMenuListsReportWindowsAndActivatesTheChosen) {
    CMainFrame frame;
    CommandState doc;
    ShowWithDocument(frame, doc);
    EXPECT_EQ(MenuItemState(frame, CMainFrame::kFirstWindowCommand), "absent");
    CChildFrame* a = frame.AddChildFrame(new QLabel("a"), "Лист1");
    CChildFrame* b = frame.AddChildFrame(new QLabel("b"), "Лист2 & итоги");
    frame.MdiArea()->setActiveSubWindow(a);
    frame.Commands().Refresh();
    // Each look remakes the popup's items: what one look found is read before the next.
    QAction* first = FindMenuItem(frame, CMainFrame::kFirstWindowCommand);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), QString::fromUtf8("&1 Лист1"));
    EXPECT_TRUE(first->isChecked());
    QAction* second = FindMenuItem(frame, CMainFrame::kFirstWindowCommand + 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->text(), QString::fromUtf8("&2 Лист2 && итоги"));
    EXPECT_FALSE(second->isChecked());
    emit frame.menuBar()->triggered(second);
    EXPECT_EQ(frame.MdiArea()->activeSubWindow(), b);
    EXPECT_TRUE(FindMenuItem(frame, CMainFrame::kFirstWindowCommand + 1)->isChecked());
    EXPECT_EQ(MenuItemState(frame, CMainFrame::kFirstWindowCommand + 2), "absent");

    frame.CloseChildFrames(a, false);
    frame.Commands().Refresh();
    EXPECT_EQ(MenuItemState(frame, CMainFrame::kFirstWindowCommand + 1), "absent");
}

// Once the document is closed the page and position panes no longer speak of it.
TEST_F(FrameWindow, PanesAreClearedWhenTheDocumentCloses) {
    CMainFrame frame;
    CommandState doc;
    ShowWithDocument(frame, doc);
    frame.SetPageText(1, 3);
    frame.SetPositionText("X = 12.5 Y = 30.0");
    doc.hasDocument = false;
    frame.Commands().Refresh();
    EXPECT_EQ(frame.PageText(), QString());
    EXPECT_EQ(frame.PositionText(), QString());
}

// A submenu's item shows its arrow on the right; a plain item has nothing there.
TEST_F(FrameWindow, SubmenusShowTheirArrow) {
    CMainFrame frame;
    CommandState doc;
    ShowWithDocument(frame, doc);
    const auto darkOnTheRight = [](QMenu* menu, QAction* item) {
        const QImage image = menu->grab().toImage();
        const QRect r = menu->actionGeometry(item);
        int dark = 0;
        for (int x = r.right() - 14; x < r.right() - 2; ++x)
            for (int y = r.top(); y <= r.bottom(); ++y) dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    };
    for (const auto& [title, submenu] : {std::pair{"&Файл", "Экспорт"}, std::pair{"&Файл", "Последние файлы"},
                                         std::pair{"Фор&мат", "Выравнивание элементов"}}) {
        QMenu* menu = MenuOfTitle(frame, title);
        ASSERT_NE(menu, nullptr) << title;
        emit menu->aboutToShow();
        menu->adjustSize();
        QAction* sub = nullptr;
        QAction* plain = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->menu() && action->text() == QString::fromUtf8(submenu)) sub = action;
            // Without a key: a key's text is drawn on the right too.
            if (!action->menu() && !action->isSeparator() && !action->text().contains('\t') && !plain) plain = action;
        }
        ASSERT_NE(sub, nullptr) << submenu;
        ASSERT_NE(plain, nullptr);
        EXPECT_GT(darkOnTheRight(menu, sub), 4) << submenu;
        EXPECT_EQ(darkOnTheRight(menu, plain), 0) << plain->text().toStdString();
    }
}

// The open dialog's first filter, read by the toolkit's own dialog, lists reports and templates alike.
TEST_F(FrameWindow, OpenDialogsFirstFilterListsReportsAndTemplates) {
    const std::string folder = m_dir.Path() + "/files";
    std::filesystem::create_directory(folder);
    for (const char* name : {"a.zorrep", "b.zordot", "c.txt", "d.zorrep.bak"}) std::ofstream(folder + "/" + name) << "";
    QFileDialog dialog(nullptr, QString::fromUtf8("Открыть"), QString::fromStdString(folder),
                       QString::fromUtf8(OpenFileFilters()));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_TRUE(dialog.nameFilters().front().startsWith(QString::fromUtf8("Файлы отчетов и шаблонов (")));
    auto* list = dialog.findChild<QListView*>("listView");
    ASSERT_NE(list, nullptr);
    QStringList shown;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         shown.size() < 2 && std::chrono::steady_clock::now() < end;) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        shown.clear();
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            shown << list->model()->index(row, 0, list->rootIndex()).data().toString();
    }
    shown.sort();
    EXPECT_EQ(shown, QStringList({"a.zorrep", "b.zordot"}));
}

TEST_F(FrameWindow, CloseChildFramesAllOthersOrOnlyForgetOne) {
    CMainFrame frame;
    frame.show();
    CChildFrame* a = frame.AddChildFrame(new QLabel("a"), "a");
    CChildFrame* b = frame.AddChildFrame(new QLabel("b"), "b");
    CChildFrame* c = frame.AddChildFrame(new QLabel("c"), "c");
    EXPECT_TRUE(a->isMaximized() || c->isMaximized());
    EXPECT_EQ(frame.ChildFrames(), (std::vector<CChildFrame*>{a, b, c}));

    frame.CloseChildFrames(b, true);
    EXPECT_EQ(frame.ChildFrames(), (std::vector<CChildFrame*>{a, c}));
    frame.CloseChildFrames(c, false);
    EXPECT_EQ(frame.ChildFrames(), (std::vector<CChildFrame*>{c}));
    frame.CloseChildFrames();
    EXPECT_TRUE(frame.ChildFrames().empty());
    delete b;  // forgotten by the frame, still the area's until deleted
    QApplication::processEvents();
}

TEST_F(FrameWindow, ChildFramesOpenNormalWhenTheProfileSaysSo) {
    WriteProfileInt("ChildFrame", "mode", 0);
    CMainFrame frame;
    frame.show();
    EXPECT_FALSE(frame.AddChildFrame(new QLabel("a"), "a")->isMaximized());
}

TEST_F(FrameWindow, PlacementAndBarsSurviveARestartAndARefusedCloseKeepsTheFrame) {
    {
        CMainFrame frame;
        // Nothing saved yet: most of the screen.
        EXPECT_EQ(frame.geometry(), FirstStartPlacement(QGuiApplication::primaryScreen()->availableGeometry()));
        frame.setGeometry(80, 90, 700, 500);
        frame.show();
        frame.Commands().Execute(ID_BAR_PAGES);
        bool allow = false;
        frame.closeAllDocuments = [&allow] { return allow; };
        EXPECT_FALSE(frame.close());
        EXPECT_TRUE(frame.isVisible());
        allow = true;
        EXPECT_TRUE(frame.close());
    }
    EXPECT_EQ(GetProfileInt("MainFrame", "Screen_mode", -1), 0);
    EXPECT_EQ(GetProfileInt("MainFrame", "Screen_CX", 0), 700);
    CMainFrame again;
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.size(), QSize(700, 500));
    EXPECT_FALSE(again.ToolBar(ID_BAR_PAGES)->isVisible());
    EXPECT_TRUE(again.ToolBar(ID_BAR_MAIN)->isVisible());
}

// A maximised frame comes back maximised, with the rectangle it had before behind it.
TEST_F(FrameWindow, MaximisedFrameKeepsItsRestoredRectangle) {
    WriteProfileInt("MainFrame", "Screen_X", 30);
    WriteProfileInt("MainFrame", "Screen_CX", 640);
    WriteProfileInt("MainFrame", "Screen_mode", 1);
    {
        CMainFrame frame;
        frame.ShowAsProfileSays();
        QApplication::processEvents();
        EXPECT_TRUE(frame.isMaximized());
        EXPECT_TRUE(frame.close());
    }
    EXPECT_EQ(GetProfileInt("MainFrame", "Screen_mode", -1), 1);
    EXPECT_EQ(GetProfileInt("MainFrame", "Screen_X", -1), 30);
    EXPECT_EQ(GetProfileInt("MainFrame", "Screen_CX", -1), 640);
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

TEST(FileDrop, ExtensionDecidesInAnyCaseAndMissingFilesAreSaid) {
    zor::test::ScopedTempDir dir;
    const struct {
        const char* name;
        bool create;
        DroppedFile expected;
    } cases[] = {
        {"r.zorrep", true, DroppedFile::Report},   {"R.ZORREP", true, DroppedFile::Report},
        {"t.ZorDot", true, DroppedFile::Template}, {"t.zordot.txt", true, DroppedFile::Other},
        {"zorrep", true, DroppedFile::Other},      {"gone.zorrep", false, DroppedFile::Missing},
        {"folder.zordot", false, DroppedFile::Missing},
    };
    std::filesystem::create_directory(dir.Path() + "/folder.zordot");
    for (const auto& c : cases) {
        const std::string path = dir.Path() + "/" + c.name;
        if (c.create) std::ofstream(path) << "";
        EXPECT_EQ(ClassifyDroppedFile(path), c.expected) << c.name;
    }
    EXPECT_EQ(ClassifyDroppedFile(""), DroppedFile::Missing);
}

class NavigatorDrop : public FrameWindow {
protected:
    void Drop(CNavigatorBar& bar, const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
        data.setUrls(urls);
        bar.HandleDrop(data);
    }
    zor::RecordingMessageSink m_messages;
    zor::ScopedMessageSink m_sink{&m_messages};
};

// The open waits until the drop has been handled; a missing file is said, one not ours is passed over.
TEST_F(NavigatorDrop, OpensAfterTheDropHandlerReturns) {
    CMainFrame frame;
    std::vector<std::string> opened;
    frame.show();
    frame.Navigator()->openDroppedFile = [&opened](const std::string& p) { opened.push_back(p); };
    const std::string report = m_dir.Path() + "/a.ZORREP";
    const std::string other = m_dir.Path() + "/notes.txt";
    std::ofstream(report) << "";
    std::ofstream(other) << "";

    Drop(*frame.Navigator(), {m_dir.Path() + "/gone.zordot", other, report});
    EXPECT_TRUE(opened.empty());
    QApplication::processEvents();
    EXPECT_EQ(opened, std::vector<std::string>{report});
    ASSERT_EQ(m_messages.Texts().size(), 1u);
    EXPECT_EQ(m_messages.Texts()[0], "File not found");
}

}  // namespace
}  // namespace quillmark
