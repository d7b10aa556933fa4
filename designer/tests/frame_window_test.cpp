// The main frame made offscreen: its bars in two rows, the panes, child frames, the registry wiring and
// what the frame keeps in the profile.
#include <filesystem>
#include <functional>
#include <fstream>

#include <QAction>
#include <QMimeData>
#include <QUrl>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "designer/frame/child_frame.h"
#include "designer/frame/file_drop.h"
#include "designer/frame/frame_placement.h"
#include "designer/frame/main_frame.h"
#include "designer/frame/navigator_bar.h"
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
