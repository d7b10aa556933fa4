#pragma once
// What the editor view needs of the open document, and nothing more: the document implements it (or an
// adapter over it does), tests give a small fake. All of it runs on the user-interface thread.
#include <string>

#include "designer/doc/quillmark_doc.h"  // the tool codes, modes and rights
#include "platform/win/geometry.h"

class CBoundArray;
class CReportElement;
class CReportParam;
class CReportSheet;

namespace quillmark {

class CViewDocument {
public:
    virtual ~CViewDocument() = default;

    // 0 edit mode (a template), 1 view mode (a report).
    virtual int Mode() const = 0;
    virtual int Tool() const = 0;
    virtual void SetTool(int tool) = 0;
    // The shared zoom, and whether it applies now (the profile's choice for the mode).
    virtual double CommonScale() const = 0;
    virtual void SetCommonScale(double zoom) = 0;
    virtual bool UseCommonScale() const = 0;
    virtual bool ShowPicture() const = 0;
    virtual CSize PageSize() const = 0;
    virtual bool IsReadOnly() const = 0;
    // The report user's right; show tells the user when it is missing.
    virtual bool HasRight(int right, bool show) = 0;
    // Something the user will want saved changed.
    virtual void SetChanged() = 0;

    virtual std::string PathName() const = 0;
    virtual int SheetCount() const = 0;
    // The sheet shown in a report window of its own (a page reference was clicked).
    virtual void ShowSheet(CReportSheet* sheet) = 0;
    // The view showing sheet became the active one: the current page number (from the sheet's name), the
    // navigator's selection and the status bar's page pane follow.
    virtual void SheetActivated(CReportSheet* sheet, int pageNumber) = 0;
    // Opens a report or template file; the view calls it only after a drop's handling has returned.
    virtual void OpenFile(const std::string& path) = 0;
    // The parameter a navigator drag record names, or null when the record is forged, stale, from another
    // process or of another item kind.
    virtual CReportParam* DroppedParam(const std::string& record) = 0;

    // Status bar panes and the command rules.
    virtual void SetPositionText(const std::string& text) = 0;
    virtual void RefreshCommands() = 0;

    // Element commands that the editor commands carry out.
    virtual bool EditProperties(CReportSheet* sheet) = 0;  // true when the dialog changed something
    // The clipboard's elements pasted on the sheet with the group's upper left corner at click (page-logical,
    // at zoom), selected, with move frames in frames; false when nothing was pasted.
    virtual bool PasteAt(CReportSheet* sheet, CPoint click, double zoom, CBoundArray& frames) = 0;
    virtual void CopySelection(CReportSheet* sheet) = 0;
    virtual void SelectAll(CReportSheet* sheet) = 0;
    virtual void EditText(CReportSheet* sheet) = 0;
    virtual void RefreshNavigatorLabels() = 0;
    // A view with a sheet has been updated (the start's preview request waits for the first one).
    virtual void ViewUpdated() {}
    // The program's commands, for the sheet's context menu: whether the command's rule enabled it at the
    // last RefreshCommands, and carrying it out as its menu item would.
    virtual bool CommandEnabled(int /*command*/) { return true; }
    virtual void RunCommand(int /*command*/) {}
};

}  // namespace quillmark
