#pragma once
// The context menus of report elements: "REPORT_ELEM" (every kind but the table) and "TABLE_ITEM" (the
// table), popups 1 and 2 of this library's menu 130, owner-drawn with the pictures of toolbar 131.
// Loading and greying are apart from tracking, and the chosen command is carried out apart from both,
// so tests check each without opening a popup.
#include <functional>

#include <QImage>

#include "platform/win/geometry.h"

class CReportElement;
class CReportParam;
class CzorMenu;
class QWidget;

// Commands of the element menus (ID_ELEM_TO_FRONT and ID_ELEM_TO_BACK are the element's own).
enum : unsigned {
    ID_PAGE_NUMBER = 32841,
    ID_PAGE_COUNT = 32847,
    ID_CURRENT_DATE = 32848,
    ID_LOCAL_PAGE_NUMBER = 32784,
    ID_LOCAL_PAGE_COUNT = 32785,
    ID_REPORT_DATE = 32781,
    ID_ELEM_FIX = 32775,
    ID_ELEM_ALIGN = 32773,
    ID_ELEM_DELETE = 32837,
    ID_ELEM_PROPERTIES = 32839,
    ID_TABLE_ADD_SECTION = 32796,
    ID_EDIT_COPY_CMD = 57634,
    ID_EDIT_PASTE_CMD = 57637,
};

constexpr int kElementMenuId = 130;
constexpr int kElementMenuToolbarId = 131;

// The parameter type a page-field command shows (4 to 9), or -1 for any other command.
int PageFieldTypeOfCommand(unsigned command);

// Links the element's text to the manager's first parameter of the type, or to a new one named by
// PageFieldParamName and appended to the manager's parameters. The parameter, or null without a manager.
CReportParam* LinkPageField(CReportElement& element, int type);

// The program that shows the menu may carry out some of its commands itself, under its own rules: such a
// command is greyed or enabled as `enabled` says, and when chosen it comes back to the caller uncarried.
struct ElementMenuHost {
    std::function<bool(unsigned command)> handles;
    std::function<bool(unsigned command)> enabled;

    bool Handles(unsigned command) const { return handles && handles(command); }
};

// Menu 130 (with the pictures of toolbar 131) loaded into menu; the popup for the element's kind with the
// fixed entry's text and the greying for reportMode applied (the host's rule for the commands it handles),
// or null when the menu is missing.
CzorMenu* LoadElementMenu(CzorMenu& menu, const CReportElement& element, int reportMode,
                          const ElementMenuHost* host = nullptr);

// Carries out a chosen command (0: none). A command the host handles is returned as it is. For a table:
// adding a section, aligning or fixing, then the command handed on to ExecuteCmd, whose result is returned.
// For the other kinds: page fields, fixing and aligning are done here and give 0; every other command goes
// to ExecuteCmd (ordering), whose result is returned (copy, paste, delete and properties come back for the
// caller).
int CarryOutElementCommand(CReportElement& element, unsigned command, const ElementMenuHost* host = nullptr);

// The whole context menu at a point of the window (in its coordinates): 0 without a window.
int ShowElementMenu(CReportElement& element, CPoint point, QWidget* window, int reportMode,
                    const ElementMenuHost* host = nullptr);

// The pictures of toolbar 131 as one strip (the bitmap loader of this library's resources).
QImage FolivoxBitmap(int id);
