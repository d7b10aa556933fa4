#pragma once
// CDocWindows: the main frame's side of the open document. It observes the document and shows it: a report
// window (CChildFrame) per sheet shown, each holding a view made by the view factory, which window shows
// which sheet, and the recent files; the status bar (CDocStatus) and the navigator tree of the frame's
// navigator bar (CDocNavigator) follow the document through it, each told in turn.
//
// It outlives the documents it shows: each one attaches it when made and lets it go when it closes.
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "designer/doc/quillmark_doc.h"
#include "designer/frame/doc_status.h"
#include "designer/navigator/doc_navigator.h"

class QObject;
class QWidget;

namespace quillmark {

class CChildFrame;
class CDocWindows;
class CMainFrame;

class CDocWindows : public IDocObserver {
public:
    explicit CDocWindows(CMainFrame& frame);
    // A document still attached lets the windows go.
    ~CDocWindows() override;
    CDocWindows(const CDocWindows&) = delete;
    CDocWindows& operator=(const CDocWindows&) = delete;

    // Makes the view of a new report window; the program sets it (a placeholder until the view lands).
    using ViewFactory = std::function<IDocView*(CDocWindows& windows)>;
    static void SetViewFactory(ViewFactory factory);

    CMainFrame& Frame() const { return m_frame; }
    // The document shown, or null.
    CQuillmarkDoc* Document() const { return m_doc; }
    CDocNavigator& Navigator() { return m_navigator; }
    const std::vector<IDocView*>& Views() const { return m_views; }
    // The sheet of the view's report window, or null.
    CReportSheet* GetFrameSheet(const QWidget* view);
    // The window showing the sheet, or null.
    CChildFrame* GetSheetFrame(CReportSheet* sheet) const;

    // IDocObserver
    void Attached(CQuillmarkDoc& doc) override;
    void Detached(CQuillmarkDoc& doc) override;
    bool ShowsSheets() const override { return true; }
    bool HasViews() const override { return !m_views.empty(); }
    CReportSheet* ActiveSheet() const override;
    CReportSheet* SelectedSheet() const override { return m_navigator.SelectedSheet(); }
    QWidget* DialogParent() const override;
    void StatusText(const std::string& text) override { m_status.StatusText(text); }
    void StatusCleared() override { m_status.StatusCleared(); }
    void LoadStarted() override { m_status.LoadStarted(); }
    void LoadProgress(int index, int count) override { m_status.LoadProgress(index, count); }
    void LoadEnded() override { m_status.LoadEnded(); }
    void FileNamed(const std::string& path) override;
    void PageChanged(int current, int count) override { m_status.PageChanged(current, count); }
    void ItemsCleared() override { m_navigator.ItemsCleared(); }
    void SheetsReset() override;
    void SheetsListed(const std::vector<CReportSheet*>& sheets) override { m_navigator.SheetsListed(sheets); }
    void ParamsListed(const std::vector<CReportParam*>& params) override { m_navigator.ParamsListed(params); }
    void ContentsListed() override { m_navigator.ContentsListed(); }
    void SheetsBound(const std::vector<CReportSheet*>& sheets) override;
    void OrderChanged() override { m_navigator.OrderChanged(); }
    void LabelsChanged() override { m_navigator.LabelsChanged(); }
    void SheetAdded(CReportSheet* sheet) override { m_navigator.SheetAdded(sheet); }
    void ParamAdded(CReportParam* param) override { m_navigator.ParamAdded(param); }
    void SheetClosing(CReportSheet* sheet) override;
    void SheetRemoved(CReportSheet* sheet) override { m_navigator.SheetRemoved(sheet); }
    void ParamRemoved(CReportParam* param) override { m_navigator.ParamRemoved(param); }
    void SheetShown(CReportSheet* sheet) override;
    void Changed() override;
    void Closing() override;

private:
    void AddView(IDocView* view);
    void RemoveView(IDocView* view);
    // The view whose widget this is (compared by address only: the widget may be going).
    IDocView* ViewOfWidget(const QWidget* widget) const;
    IDocView* MakeView(CChildFrame** frameOut);
    void ShowSheetFrame(CReportSheet* sheet);
    void CloseFrame(CChildFrame* frame);
    // A report window closes: every map entry naming it (or no window) goes.
    void ForgetFrame(CChildFrame* frame);
    void ClearFrameMaps();

    CMainFrame& m_frame;
    CQuillmarkDoc* m_doc = nullptr;
    CDocStatus m_status;
    CDocNavigator m_navigator;
    std::unordered_map<CReportSheet*, CChildFrame*> m_sheetToFrame;
    std::unordered_map<CChildFrame*, CReportSheet*> m_frameToSheet;
    std::vector<IDocView*> m_views;
    std::unordered_map<IDocView*, QWidget*> m_viewWidgets;
    // The context of the connections to views and frames: they end with it.
    std::unique_ptr<QObject> m_guard;
};

}  // namespace quillmark
