#pragma once
// The designer's commands: every menu and toolbar command with its id, menu text, status-bar prompt and
// tool tip, and the rule that says whether it is enabled and checked in a given state of the program.
// The same table places commands in the context menu of selected elements, with the rule they follow there.
// Plain data and pure functions, so that the rules are tested without a window.
#include <span>
#include <string>
#include <vector>

namespace quillmark {

// What the rules look at. The frame fills it from the active document, view, bars and clipboard.
struct CommandState {
    bool hasDocument = false;
    bool editMode = false;       // the document is in edit mode (else it is only viewed)
    bool hasSavedPath = false;   // the document has a file of its own
    bool mailClient = false;     // a mail program can be handed a file
    int activeTool = 0;          // the command id of the view's tool, 0 for the selection arrow
    int selectionCount = 0;
    bool clipboardHasElements = false;
    bool editRight = true;       // the report user may edit (asked without a message)
    bool readOnly = false;       // the file is only looked at
    bool usersRight = true;      // the logged-in report user may set up users (no user logged in: true)
    bool sheetItemSelected = false;  // the navigator's current item is a sheet
    bool showPicture = false;    // pictures are drawn as thumbnails
    bool pasteArmed = false;     // the next click pastes the clipboard's elements
    // The selection's format as its first elements show it: the checks of the format commands.
    bool bold = false, italic = false, underline = false, fixed = false;
    int textAlign = 0;           // the alignment bits of the first selected text rectangle
    int orientation = -1;        // its orientation, -1 without a text rectangle
    int sheetCount = 0;
    int currentSheet = -1;       // 0-based, -1 with no sheet shown
    bool xpMenuStyle = false;
    // Visibility of the bars and the menu style, shown as checks on their commands.
    bool mainBar = true, formatBar = true, elementBar = true, alignBar = true, viewBar = true, pageBar = true;
    bool navigatorBar = true, statusBar = true;
};

// Selection: a selection and the edit right. Align: two selected, edit mode and the edit right.
// ElementMenu: a command of the elements' context menus only, enabled there by its ElementMenuPlace.
enum class CommandGroup { Always, Bar, Document, Edit, Tool, Selection, Align, Pages, Pending, ElementMenu };

// Where a command sits in the context menu of the selected elements (the report library's element menus
// hold the same commands) and its rule there: any command of that menu needs a selection on the shown
// sheet, one that changes the sheet also edit mode, whatever rule the command follows in the main menu.
struct ElementMenuPlace {
    int order = 0;                      // 0: not in the menu; entries by order, a separator between tens
    bool changesSheet = false;
    const char* checkedText = nullptr;  // the entry's text while the command is checked
};

struct CommandInfo {
    int id;
    const char* menuText;
    // The string of the same id: the status-bar prompt, then after "\n" the tool tip.
    const char* prompt;
    CommandGroup group;
    ElementMenuPlace elementMenu = {};
};

// An entry of a context menu: a command (0: a separator), its text, whether it can be chosen.
struct ContextMenuItem {
    int command = 0;
    std::string text;
    bool enabled = true;
};

struct CommandStatus {
    bool enabled = false;
    bool checked = false;
    bool operator==(const CommandStatus&) const = default;
};

// Every command of the program, in menu order.
std::span<const CommandInfo> AllCommands();
// The command with this id, or nullptr.
const CommandInfo* FindCommand(int id);
// Whether the command shows a check (a bar shown, a tool chosen, a format the selection has).
bool CommandCheckable(int id);
// The status-bar text and the tool tip of a command (the prompt split at "\n").
std::string CommandStatusText(const CommandInfo& info);
std::string CommandToolTip(const CommandInfo& info);
// The label of a toolbar button: the menu text up to its tab (what follows is the key), without '&' marks.
std::string CommandLabel(const CommandInfo& info);
// Whether the command is enabled and checked in this state; an unknown id is disabled.
CommandStatus EvaluateCommand(int id, const CommandState& state);
// The rule of a command in the element menus (checked: the entry shows its checked text); a command that is
// not in them is disabled.
CommandStatus EvaluateElementMenuCommand(int id, const CommandState& state);
bool InElementMenu(int id);
// The context menu of several selected elements: the table's commands that have a place in it, in order.
std::vector<ContextMenuItem> ElementMenuItems(const CommandState& state);

// Command ids the frame and application handle themselves.
enum CommandId : int {
    ID_FILE_NEW = 57600, ID_FILE_OPEN = 57601, ID_FILE_CLOSE = 57602, ID_FILE_SAVE = 57603, ID_FILE_SAVE_AS = 57604,
    ID_FILE_PAGE_SETUP = 57605, ID_FILE_PRINT_SETUP = 57606, ID_FILE_PRINT = 57607, ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_SEND_MAIL = 57612, ID_FILE_MRU_FILE1 = 57616, ID_EDIT_COPY = 57634, ID_EDIT_PASTE = 57637,
    ID_WINDOW_CASCADE = 57650, ID_WINDOW_TILE = 57651, ID_APP_ABOUT = 57664, ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392, ID_VIEW_STATUS_BAR = 59393,
    ID_BAR_MAIN = 32826, ID_BAR_ELEMENTS = 32827, ID_BAR_VIEW = 32828, ID_BAR_ALIGN = 32829,
    ID_BAR_FORMAT = 32863, ID_BAR_PAGES = 32897, ID_BAR_NAVIGATOR = 32789, ID_MENU_XP_STYLE = 32877,
    ID_NEW_SHEET = 32771, ID_TOOL_LINE = 32784, ID_TOOL_TEXT = 32785, ID_TOOL_RECT = 32786, ID_TOOL_TABLE = 32787,
    ID_PROPERTIES = 32788, ID_VIEW_FIT = 32820, ID_TOOL_ZOOM = 32821, ID_TOOL_MOVE_SHEET = 32823, ID_VIEW_1TO1 = 32824,
    ID_TOOL_ZOOM_RECT = 32873, ID_PAGE_FIRST = 32893, ID_PAGE_LAST = 32894, ID_PAGE_PREV = 32895,
    ID_PAGE_NEXT = 32896, ID_EDIT_MODE = 32908, ID_SELECT_ALL = 32879, ID_TOOL_PICTURE = 32903,
    ID_DATA_SOURCE = 32842, ID_ADDIN_SETTINGS = 32869, ID_USERS = 32909, ID_WORK_SETTINGS = 32878,
    ID_EXPORT_PAGE = 32898, ID_COPY_PAGE_IMAGE = 32899, ID_EXPORT_ALL = 32900,
    // The editor's commands on the selection.
    ID_ALIGN_LEFT = 32808, ID_ALIGN_RIGHT = 32809, ID_ALIGN_TOP = 32810, ID_ALIGN_BOTTOM = 32811,
    ID_ALIGN_WIDTH = 32814, ID_ALIGN_HEIGHT = 32815, ID_ALIGN_SIZE = 32816, ID_ALIGN_MM = 32872,
    ID_TEXT_LEFT = 32851, ID_TEXT_CENTER = 32852, ID_TEXT_RIGHT = 32853,
    ID_TEXT_BOLD = 32857, ID_TEXT_ITALIC = 32858, ID_TEXT_UNDERLINE = 32859, ID_TEXT_FONT = 32860,
    ID_TEXT_HORIZONTAL = 32861, ID_TEXT_VERTICAL = 32862, ID_EDIT_TEXT = 32870, ID_FIX_ELEMENTS = 32904,
    ID_DUPLICATE_SHEET = 32866, ID_THUMBNAILS = 32905, ID_PRINT_DIRECT = 32864,
    ID_TOOL_CONTINUATION = 32840, ID_TOOL_CONTENTS = 32914,
    // The element menus' own commands (the report library's menu 130). Its page-field commands, which
    // reuse 32784 and 32785, are carried out by the library and never reach the program's table.
    ID_ELEMENT_ALIGN = 32773, ID_ELEMENT_FIX = 32775, ID_ELEMENT_DELETE = 32837, ID_ELEMENT_PROPERTIES = 32839,
};

}  // namespace quillmark
