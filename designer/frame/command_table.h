#pragma once
// The designer's commands: every menu and toolbar command with its id, menu text, status-bar prompt and
// tool tip, and the rule that says whether it is enabled and checked in a given state of the program.
// Plain data and one pure function, so that the rules are tested without a window.
#include <span>
#include <string>

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
    int sheetCount = 0;
    int currentSheet = -1;       // 0-based, -1 with no sheet shown
    bool xpMenuStyle = false;
    // Visibility of the bars and the menu style, shown as checks on their commands.
    bool mainBar = true, formatBar = true, elementBar = true, alignBar = true, viewBar = true, pageBar = true;
    bool navigatorBar = true, statusBar = true;
};

enum class CommandGroup { Always, Bar, Document, Edit, Tool, Selection, Pages, Pending };

struct CommandInfo {
    int id;
    const char* menuText;
    // The string of the same id: the status-bar prompt, then after "\n" the tool tip.
    const char* prompt;
    CommandGroup group;
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
// The status-bar text and the tool tip of a command (the prompt split at "\n").
std::string CommandStatusText(const CommandInfo& info);
std::string CommandToolTip(const CommandInfo& info);
// Whether the command is enabled and checked in this state; an unknown id is disabled.
CommandStatus EvaluateCommand(int id, const CommandState& state);

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
};

}  // namespace quillmark
