#pragma once
// IDocObserver: what the document tells the windows that show it. The document is a model: it says what
// changed, in the order it changes, and asks a few questions of whoever shows it; it never holds a window.
// The program's frame (report windows, status bar, recent files) and the navigator (its tree of sheets,
// parameters and contents) observe it; a document with no observer works alone (batch runs, tests).
//
// Every notification has an empty default, so an observer answers only what it shows.
#include <string>
#include <vector>

class QWidget;
class CReportSheet;
class CReportParam;

namespace quillmark {

class CQuillmarkDoc;

class IDocObserver {
public:
    virtual ~IDocObserver() = default;

    // --- The observer's own life -----------------------------------------------------------------------------
    // The document took the observer (it is made with it, or AddObserver); it stays until Detached.
    virtual void Attached(CQuillmarkDoc& /*doc*/) {}
    // The document goes or let the observer go: nothing of it may be used afterwards.
    virtual void Detached(CQuillmarkDoc& /*doc*/) {}

    // --- Questions the document asks ---------------------------------------------------------------------------
    // True when the observer shows sheets in windows: only then does showing a sheet do anything.
    virtual bool ShowsSheets() const { return false; }
    // True while some window shows the report.
    virtual bool HasViews() const { return false; }
    // The sheet of the active report window (else of the first window showing one), or null.
    virtual CReportSheet* ActiveSheet() const { return nullptr; }
    // The sheet of the navigator's current sheet item, or null.
    virtual CReportSheet* SelectedSheet() const { return nullptr; }
    // The window the document's dialogs (login, save as) belong to, or null.
    virtual QWidget* DialogParent() const { return nullptr; }

    // --- Status -------------------------------------------------------------------------------------------------
    // A step of a long operation: the status bar shows it and the position pane empties.
    virtual void StatusText(const std::string& /*text*/) {}
    // The long operation is over: the status bar's message goes.
    virtual void StatusCleared() {}
    // Loading the report's sheets: started, index of count read, ended.
    virtual void LoadStarted() {}
    virtual void LoadProgress(int /*index*/, int /*count*/) {}
    virtual void LoadEnded() {}
    // The document was opened from or saved to this file (the list of recent files takes it).
    virtual void FileNamed(const std::string& /*path*/) {}
    // The shown page is current (1-based) of count.
    virtual void PageChanged(int /*current*/, int /*count*/) {}

    // --- Sheets, parameters and contents --------------------------------------------------------------------------
    // Every item of the report goes from the navigator (the model is emptied or read again).
    virtual void ItemsCleared() {}
    // The sheets are about to be shown afresh: the windows let go of theirs (surplus report windows close)
    // and the navigator drops its sheet and contents items.
    virtual void SheetsReset() {}
    // An item per sheet, in this order (not sorted yet).
    virtual void SheetsListed(const std::vector<CReportSheet*>& /*sheets*/) {}
    // An item per parameter, in this order.
    virtual void ParamsListed(const std::vector<CReportParam*>& /*params*/) {}
    // The report's table of contents in place of the sheets (view mode).
    virtual void ContentsListed() {}
    // The report windows take these sheets, one each in order; windows beyond them close.
    virtual void SheetsBound(const std::vector<CReportSheet*>& /*sheets*/) {}
    // The navigator's items are put in their order.
    virtual void OrderChanged() {}
    // Names of sheets or parameters changed: the items' labels follow.
    virtual void LabelsChanged() {}
    virtual void SheetAdded(CReportSheet* /*sheet*/) {}
    virtual void ParamAdded(CReportParam* /*param*/) {}
    // The sheet is about to leave the report: no window may show it any more.
    virtual void SheetClosing(CReportSheet* /*sheet*/) {}
    // The sheet left the report (the pointer only names it: it may be deleted).
    virtual void SheetRemoved(CReportSheet* /*sheet*/) {}
    // The parameter leaves the report (the pointer only names it).
    virtual void ParamRemoved(CReportParam* /*param*/) {}
    // The sheet is to be shown: its window brought up (made when there is none) and its item selected.
    virtual void SheetShown(CReportSheet* /*sheet*/) {}
    // The document changed: every view redraws.
    virtual void Changed() {}
    // The document closes: the views let go of its sheets and its report windows close.
    virtual void Closing() {}
};

}  // namespace quillmark
