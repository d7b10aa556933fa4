// The designer's command rules (which command is enabled and checked in which state), the recent-file
// list and the About box's version line.
#include <fstream>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "designer/frame/about_box.h"
#include "designer/frame/about_version.h"
#include "designer/frame/command_table.h"
#include "designer/frame/recent_files.h"
#include "platform/tests/test_support.h"

namespace quillmark {
namespace {

using ::testing::ElementsAre;

CommandState NoDocument() { return {}; }

// A report in edit mode showing the second of three sheets, nothing selected.
CommandState Editing() {
    CommandState s;
    s.hasDocument = true;
    s.editMode = true;
    s.sheetCount = 3;
    s.currentSheet = 1;
    return s;
}

CommandState With(CommandState s, void (*change)(CommandState&)) {
    change(s);
    return s;
}

struct RuleCase {
    const char* what;
    CommandState state;
    int id;
    CommandStatus expected;
};

TEST(CommandRules, EnableAndCheckFollowTheState) {
    const CommandState viewing = With(Editing(), [](CommandState& s) { s.editMode = false; });
    const CommandState first = With(Editing(), [](CommandState& s) { s.currentSheet = 0; });
    const CommandState last = With(Editing(), [](CommandState& s) { s.currentSheet = 2; });
    const CommandState noSheet = With(Editing(), [](CommandState& s) { s.sheetCount = 0; s.currentSheet = -1; });
    const CommandState textTool = With(Editing(), [](CommandState& s) { s.activeTool = ID_TOOL_TEXT; });
    const CommandState zoomViewing = With(viewing, [](CommandState& s) { s.activeTool = ID_TOOL_ZOOM; });
    const CommandState selected = With(viewing, [](CommandState& s) { s.selectionCount = 2; });
    const CommandState clip = With(Editing(), [](CommandState& s) { s.clipboardHasElements = true; });
    const CommandState clipViewing = With(clip, [](CommandState& s) { s.editMode = false; });
    const CommandState saved = With(Editing(), [](CommandState& s) { s.hasSavedPath = true; });
    const CommandState mailable = With(saved, [](CommandState& s) { s.mailClient = true; });
    const CommandState barsHidden = With(NoDocument(), [](CommandState& s) { s.formatBar = false; s.navigatorBar = false; });
    const CommandState one = With(Editing(), [](CommandState& s) { s.selectionCount = 1; });
    const CommandState two = With(Editing(), [](CommandState& s) { s.selectionCount = 2; });
    const CommandState twoViewing = With(two, [](CommandState& s) { s.editMode = false; });
    const CommandState noEditRight = With(two, [](CommandState& s) { s.editRight = false; s.editMode = false; });
    const CommandState boldLeft = With(one, [](CommandState& s) {
        s.bold = true;
        s.textAlign = 0x08 | 0x01;  // a vertical bit beside it
        s.orientation = 1;
        s.fixed = true;
    });
    const CommandState sheetItem = With(Editing(), [](CommandState& s) { s.sheetItemSelected = true; });
    const CommandState armed = With(clip, [](CommandState& s) { s.pasteArmed = true; });
    // A file that failed the write-back test: the document's edit rule is off with it.
    const CommandState readOnly = With(Editing(), [](CommandState& s) { s.readOnly = true; s.editMode = false; });
    const CommandState noUsersRight = With(Editing(), [](CommandState& s) { s.usersRight = false; });
    const CommandState continuing = With(Editing(), [](CommandState& s) { s.activeTool = ID_TOOL_CONTINUATION; });
    const CommandStatus on{true, false}, off{false, false}, onChecked{true, true};

    const RuleCase cases[] = {
        {"new without a document", NoDocument(), ID_FILE_NEW, on},
        {"open without a document", NoDocument(), ID_FILE_OPEN, on},
        {"about", NoDocument(), ID_APP_ABOUT, on},
        {"save needs a document", NoDocument(), ID_FILE_SAVE, off},
        {"save with a document", viewing, ID_FILE_SAVE, on},
        {"edit mode unchecked while viewing", viewing, ID_EDIT_MODE, on},
        {"edit mode checked while editing", Editing(), ID_EDIT_MODE, onChecked},
        {"edit mode without a document", NoDocument(), ID_EDIT_MODE, off},
        {"new sheet in edit mode", Editing(), ID_NEW_SHEET, on},
        {"new sheet while viewing", viewing, ID_NEW_SHEET, off},
        {"drawing tool while viewing", viewing, ID_TOOL_TEXT, off},
        {"drawing tool with no sheet shown", noSheet, ID_TOOL_LINE, off},
        {"active drawing tool is checked", textTool, ID_TOOL_TEXT, onChecked},
        {"another drawing tool is not", textTool, ID_TOOL_RECT, on},
        {"zoom tool while viewing", zoomViewing, ID_TOOL_ZOOM, onChecked},
        {"move sheet while viewing", viewing, ID_TOOL_MOVE_SHEET, on},
        {"fit with no sheet shown", noSheet, ID_VIEW_FIT, off},
        {"previous page on the first", first, ID_PAGE_PREV, off},
        {"first page on the first", first, ID_PAGE_FIRST, off},
        {"next page on the first", first, ID_PAGE_NEXT, on},
        {"next page on the last", last, ID_PAGE_NEXT, off},
        {"last page on the last", last, ID_PAGE_LAST, off},
        {"previous page on the last", last, ID_PAGE_PREV, on},
        {"pages with no sheet", noSheet, ID_PAGE_NEXT, off},
        {"copy with nothing selected", Editing(), ID_EDIT_COPY, off},
        {"copy of a selection while viewing", selected, ID_EDIT_COPY, on},
        {"paste with an empty clipboard", Editing(), ID_EDIT_PASTE, off},
        {"paste of elements in edit mode", clip, ID_EDIT_PASTE, on},
        {"paste while viewing", clipViewing, ID_EDIT_PASTE, off},
        {"mail of a document never saved", Editing(), ID_FILE_SEND_MAIL, off},
        {"mail with no mail program", saved, ID_FILE_SEND_MAIL, off},
        {"mail of a saved document", mailable, ID_FILE_SEND_MAIL, on},
        {"a bar shown is checked", NoDocument(), ID_BAR_MAIN, onChecked},
        {"a bar hidden is unchecked", barsHidden, ID_BAR_FORMAT, on},
        {"the navigator hidden", barsHidden, ID_BAR_NAVIGATOR, on},
        {"printer set-up with no report open", NoDocument(), ID_FILE_PRINT_SETUP, on},
        {"printer set-up with a report open", Editing(), ID_FILE_PRINT_SETUP, on},
        {"properties while viewing", selected, ID_PROPERTIES, on},
        {"properties of a read-only file", With(selected, [](CommandState& s) { s.readOnly = true; }), ID_PROPERTIES, off},
        {"properties without the edit right", noEditRight, ID_PROPERTIES, off},
        {"properties waiting for a click", With(one, [](CommandState& s) { s.activeTool = ID_PROPERTIES; }), ID_PROPERTIES,
         onChecked},
        {"print preview with a document", Editing(), ID_FILE_PRINT_PREVIEW, on},
        {"users set up from any mode", viewing, ID_USERS, on},
        {"data source only in edit mode", viewing, ID_DATA_SOURCE, off},
        {"unknown command", Editing(), 12345, off},
        {"align with one selected", one, ID_ALIGN_LEFT, off},
        {"align with two selected", two, ID_ALIGN_TOP, on},
        {"align while viewing", twoViewing, ID_ALIGN_SIZE, off},
        {"align without the edit right", noEditRight, ID_ALIGN_LEFT, off},
        {"round to millimetres with one selected", one, ID_ALIGN_MM, on},
        {"round to millimetres while viewing", twoViewing, ID_ALIGN_MM, on},
        {"format without a selection", Editing(), ID_TEXT_BOLD, off},
        {"format without the edit right", noEditRight, ID_TEXT_ITALIC, off},
        {"bold checked from the first text rectangle", boldLeft, ID_TEXT_BOLD, onChecked},
        {"italic unchecked", boldLeft, ID_TEXT_ITALIC, on},
        {"left text checked", boldLeft, ID_TEXT_LEFT, onChecked},
        {"centred text unchecked", boldLeft, ID_TEXT_CENTER, on},
        {"vertical checked", boldLeft, ID_TEXT_VERTICAL, onChecked},
        {"horizontal unchecked", boldLeft, ID_TEXT_HORIZONTAL, on},
        {"fixed checked", boldLeft, ID_FIX_ELEMENTS, onChecked},
        {"font with a selection", one, ID_TEXT_FONT, on},
        {"copy without the edit right", noEditRight, ID_EDIT_COPY, off},
        {"paste armed is checked", armed, ID_EDIT_PASTE, onChecked},
        {"select all while viewing", viewing, ID_SELECT_ALL, on},
        {"select all with no sheet", noSheet, ID_SELECT_ALL, off},
        {"duplicate with no sheet item current", Editing(), ID_DUPLICATE_SHEET, off},
        {"duplicate of a current sheet item", sheetItem, ID_DUPLICATE_SHEET, on},
        {"duplicate while viewing", With(sheetItem, [](CommandState& s) { s.editMode = false; }), ID_DUPLICATE_SHEET, off},
        {"thumbnails shown", With(viewing, [](CommandState& s) { s.showPicture = true; }), ID_THUMBNAILS, onChecked},
        {"thumbnails without a document", NoDocument(), ID_THUMBNAILS, off},
        {"save of a read-only file", readOnly, ID_FILE_SAVE, off},
        {"save as of a read-only file", readOnly, ID_FILE_SAVE_AS, on},
        {"users of a read-only file", readOnly, ID_USERS, off},
        {"users by a user without right 8", noUsersRight, ID_USERS, off},
        {"users without a document", NoDocument(), ID_USERS, off},
        {"table continuation in edit mode", Editing(), ID_TOOL_CONTINUATION, on},
        {"table continuation while viewing", viewing, ID_TOOL_CONTINUATION, off},
        {"table continuation of a read-only file", readOnly, ID_TOOL_CONTINUATION, off},
        {"table continuation chosen is checked", continuing, ID_TOOL_CONTINUATION, onChecked},
        {"contents beside a chosen continuation", continuing, ID_TOOL_CONTENTS, on},
        {"contents in edit mode", Editing(), ID_TOOL_CONTENTS, on},
        {"contents while viewing", viewing, ID_TOOL_CONTENTS, off},
        {"contents with no sheet shown", noSheet, ID_TOOL_CONTENTS, off},
    };
    for (const RuleCase& c : cases) {
        const CommandStatus got = EvaluateCommand(c.id, c.state);
        EXPECT_EQ(got, c.expected) << c.what << ": enabled " << got.enabled << ", checked " << got.checked;
    }
}

// Every command has an id of its own and both a status text and a tool tip, which the registry shows.
TEST(CommandRules, EveryCommandHasOneEntryWithPromptAndTip) {
    std::set<int> ids;
    for (const CommandInfo& info : AllCommands()) {
        EXPECT_TRUE(ids.insert(info.id).second) << "twice: " << info.id;
        EXPECT_FALSE(CommandStatusText(info).empty()) << info.id;
        EXPECT_FALSE(CommandToolTip(info).empty()) << info.id;
    }
    EXPECT_EQ(CommandStatusText(*FindCommand(ID_FILE_OPEN)), "Открыть существующий отчет или шаблон");
    EXPECT_EQ(CommandToolTip(*FindCommand(ID_FILE_OPEN)), "Открыть");
}

// The context menu of several selected elements is made of the table's rows that have a place in it: their
// order, the separators between places of different tens, their texts and their rule there.
TEST(CommandRules, ElementMenuComesFromTheTable) {
    const CommandState editing = With(Editing(), [](CommandState& s) { s.selectionCount = 2; });
    const auto texts = [](const std::vector<ContextMenuItem>& items) {
        std::vector<std::string> out;
        for (const ContextMenuItem& item : items) out.push_back(item.command ? item.text : "-");
        return out;
    };
    const auto commands = [](const std::vector<ContextMenuItem>& items) {
        std::vector<int> out;
        for (const ContextMenuItem& item : items) out.push_back(item.command);
        return out;
    };
    EXPECT_THAT(commands(ElementMenuItems(editing)),
                ElementsAre(ID_ELEMENT_FIX, ID_ELEMENT_ALIGN, 0, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_ELEMENT_DELETE, 0,
                            ID_ELEMENT_PROPERTIES));
    EXPECT_THAT(texts(ElementMenuItems(editing)), ElementsAre("Зафиксировать", "Выровнять", "-", "Копировать", "Вставить",
                                                              "-", "Удалить", "-", "Свойства..."));

    struct MenuCase {
        const char* what;
        CommandState state;
        bool changersEnabled, othersEnabled;
        const char* fixText;
    };
    const MenuCase cases[] = {
        {"edit mode", editing, true, true, "Зафиксировать"},
        {"the first selected fixed", With(editing, [](CommandState& s) { s.fixed = true; }), true, true, "Расфиксировать"},
        {"viewing", With(editing, [](CommandState& s) { s.editMode = false; }), false, true, "Зафиксировать"},
        {"viewing, the first fixed", With(editing, [](CommandState& s) { s.editMode = false; s.fixed = true; }), false, true,
         "Расфиксировать"},
        {"no selection", Editing(), false, false, "Зафиксировать"},
        {"no sheet shown", With(editing, [](CommandState& s) { s.currentSheet = -1; }), false, false, "Зафиксировать"},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const ContextMenuItem& item : ElementMenuItems(c.state)) {
            if (!item.command) continue;
            const bool changer = item.command != ID_EDIT_COPY && item.command != ID_ELEMENT_PROPERTIES;
            EXPECT_EQ(item.enabled, changer ? c.changersEnabled : c.othersEnabled) << item.text;
        }
        EXPECT_EQ(ElementMenuItems(c.state).front().text, c.fixText);
    }
}

// The element menus' fixing and rounding are commands of the registry like any other: the rule the registry
// applies to them (EvaluateCommand) is the menus' rule, whatever the state.
TEST(CommandRules, ElementMenuCommandsFollowOneRule) {
    const CommandState two = With(Editing(), [](CommandState& s) { s.selectionCount = 2; });
    const CommandState states[] = {
        NoDocument(),
        Editing(),
        two,
        With(two, [](CommandState& s) { s.editMode = false; }),
        With(two, [](CommandState& s) { s.fixed = true; }),
        With(two, [](CommandState& s) { s.editRight = false; s.editMode = false; }),
        With(two, [](CommandState& s) { s.readOnly = true; s.editMode = false; }),
    };
    for (int id : {ID_ELEMENT_FIX, ID_ELEMENT_ALIGN, ID_ELEMENT_DELETE, ID_ELEMENT_PROPERTIES})
        for (const CommandState& state : states)
            EXPECT_EQ(EvaluateCommand(id, state).enabled, EvaluateElementMenuCommand(id, state).enabled) << id;
    // The main menu's copy and paste keep their own rule; in the element menu only the mode greys them.
    EXPECT_FALSE(EvaluateCommand(ID_EDIT_PASTE, two).enabled) << "the clipboard is empty";
    EXPECT_TRUE(EvaluateElementMenuCommand(ID_EDIT_PASTE, two).enabled);
    EXPECT_FALSE(EvaluateElementMenuCommand(ID_FILE_SAVE, two).enabled) << "not in the element menu";
}

// A toolbar button shows the menu text without the key after the tab and without the letter marks.
TEST(CommandRules, ToolbarLabelIsTheMenuTextUpToItsTab) {
    const struct {
        int id;
        const char* label;
    } cases[] = {
        {ID_SELECT_ALL, "Выделить все"},
        {ID_FILE_NEW, "Новый"},
        {ID_APP_EXIT, "Выход"},
        {ID_EDIT_TEXT, "Редактировать текст"},
        {ID_TOOL_CONTINUATION, "Продолжение таблицы"},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandLabel(*FindCommand(c.id)), c.label) << c.id;
    for (const CommandInfo& info : AllCommands()) {
        const std::string label = CommandLabel(info);
        EXPECT_EQ(label.find('\t'), std::string::npos) << info.id;
        EXPECT_FALSE(label.empty()) << info.id;
    }
}

class RecentFiles : public ::testing::Test {
protected:
    zor::test::ScopedTempDir m_dir;
    zor::test::ScopedEnv m_config{"XDG_CONFIG_HOME", m_dir.Path()};
    std::string P(const std::string& name) const { return m_dir.Path() + "/" + name; }
};

TEST_F(RecentFiles, NewestFirstWithoutDuplicatesAndAtMostNine) {
    CRecentFileList list;
    for (int i = 1; i <= 11; ++i) list.Add(P("r" + std::to_string(i) + ".zorrep"));
    ASSERT_EQ(list.Files().size(), 9u);
    EXPECT_EQ(list.Files().front(), P("r11.zorrep"));
    EXPECT_EQ(list.Files().back(), P("r3.zorrep"));

    // The same file under another spelling moves to the top instead of appearing twice.
    list.Add(m_dir.Path() + "/./sub/../r5.zorrep");
    EXPECT_EQ(list.Files().front(), P("r5.zorrep"));
    EXPECT_EQ(std::count(list.Files().begin(), list.Files().end(), P("r5.zorrep")), 1);
    EXPECT_EQ(list.Files().size(), 9u);

    list.Remove(P("r11.zorrep"));
    list.Add("");
    EXPECT_EQ(list.Files().size(), 8u);
}

TEST_F(RecentFiles, SurviveARestartAndShrinkingClearsOldEntries) {
    CRecentFileList list;
    for (const char* name : {"a.zordot", "b.zorrep", "c.zorrep"}) list.Add(P(name));
    ASSERT_TRUE(list.Save());
    list.Remove(P("b.zorrep"));
    ASSERT_TRUE(list.Save());

    CRecentFileList again;
    again.Load();
    EXPECT_THAT(again.Files(), ElementsAre(P("c.zorrep"), P("a.zordot")));
}

TEST(RecentFileMenu, ShowsNumberAndFileNameWithAmpersandsKept) {
    EXPECT_EQ(CRecentFileList::MenuText(0, "/home/u/отчет.zorrep"), "&1 отчет.zorrep");
    EXPECT_EQ(CRecentFileList::MenuText(8, "/x/a&b.zordot"), "&9 a&&b.zordot");
}

TEST(AboutVersion, TextAfterTheKeyOnItsFirstLine) {
    const struct {
        const char* text;
        const char* version;
    } cases[] = {
        {"Tessalinever=2.4.1\n", "2.4.1"},
        {"Tessalinever=2.4.1", "2.4.1"},
        {"Tessalinever=2.4.1\r\n", "2.4.1"},
        {"[Version]\r\nTessalinever=3.0 build 7\r\nTessalinever=4\r\n", "3.0 build 7"},
        // Not at the start of its line: still only what follows the key.
        {"  ; Tessalinever=5.1\n", "5.1"},
        {"Tessalinever=\n", ""},
        {"tessalinever=1.0\n", "?"},
        {"version=1.0\n", "?"},
        {"", "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseTessalineVersion(c.text), c.version) << c.text;
}

TEST(AboutVersion, ReadFromTheDictionaryFolderOrUnknown) {
    zor::test::ScopedTempDir dir;
    const std::string folder = dir.Path() + "/";
    EXPECT_EQ(ReadTessalineVersion(folder), "?");
    std::ofstream(folder + "Tessaline.ver") << "Tessalinever=7.2\n";
    EXPECT_EQ(ReadTessalineVersion(folder), "7.2");
    EXPECT_EQ(AboutVersionLine(ReadTessalineVersion(folder)), "Квиллмарк   вер.7.2");
    EXPECT_EQ(AboutVersionLine("?"), "Квиллмарк   вер.?");
}

// The version file wins where there is one; without it (or its line) the program's own version stands.
TEST(AboutVersion, TheBuildsVersionStandsInForAMissingFile) {
    zor::test::ScopedTempDir dir;
    const std::string folder = dir.Path() + "/";
    const std::string program = ProgramVersion();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.find_first_not_of("0123456789."), std::string::npos) << program;
    EXPECT_EQ(AboutBoxVersion(folder, program), program);
    EXPECT_EQ(AboutBoxVersion(folder, ""), "?");
    std::ofstream(folder + "Tessaline.ver") << "version=1\n";
    EXPECT_EQ(AboutBoxVersion(folder, program), program);
    std::ofstream(folder + "Tessaline.ver") << "Tessalinever=7.2\n";
    EXPECT_EQ(AboutBoxVersion(folder, program), "7.2");
}

// The box itself, offscreen: its version line names the build's version (the dictionary folder has no
// version file). The box is closed from its own event loop; if it never shows, the last try closes
// whatever dialog is up, so the test cannot hang.
TEST(AboutVersion, TheBoxShowsTheProgramsVersion) {
    EnsureGuiApplication();
    std::string shown;
    int tries = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box && box->objectName() == "100") {
            if (auto* line = box->findChild<QLabel*>("version")) shown = line->text().toStdString();
            box->close();
        } else if (++tries > 500) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
        }
    });
    poll.start(10);
    ShowAboutBox(nullptr);
    EXPECT_EQ(shown, "Квиллмарк   вер." + ProgramVersion());
}

}  // namespace
}  // namespace quillmark
