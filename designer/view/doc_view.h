#pragma once
// The editor view over the program's document: what the view asks of the document answered by
// CQuillmarkDoc and the windows that show it (the main frame and the navigator), and the factory through
// which those windows make their editor views.
#include <memory>

#include "designer/edit/element_commands.h"
#include "designer/view/view_document.h"

class QWidget;

namespace quillmark {

class CDocWindows;
class CMainFrame;
class CQuillmarkView;

class CDocumentForView : public CViewDocument {
public:
    // The windows' document; the windows outlive the view.
    explicit CDocumentForView(CDocWindows& windows);

    int Mode() const override { return m_doc.m_mode; }
    int Tool() const override { return m_doc.Tool(); }
    void SetTool(int tool) override { m_doc.SetTool(tool); }
    double CommonScale() const override { return m_doc.m_commonScale; }
    void SetCommonScale(double zoom) override { m_doc.m_commonScale = zoom; }
    bool UseCommonScale() const override;
    bool ShowPicture() const override { return m_doc.m_showPicture != 0; }
    CSize PageSize() const override { return m_doc.m_pageSize; }
    bool IsReadOnly() const override { return m_doc.m_readOnly; }
    bool HasRight(int right, bool show) override { return m_doc.HasRight(right, show); }
    void SetChanged() override { m_doc.SetChanged(); }
    // With a logged-in report user the caption names him: "path - [user]".
    std::string PathName() const override { return m_doc.CurrentUser() ? m_doc.GetTitle() : m_doc.GetPathName(); }
    int SheetCount() const override;
    void ShowSheet(CReportSheet* sheet) override { m_doc.ShowSheet(sheet); }
    void SheetActivated(CReportSheet* sheet, int pageNumber) override;
    void OpenFile(const std::string& path) override;
    CReportParam* DroppedParam(const std::string& record) override;
    void SetPositionText(const std::string& text) override;
    void RefreshCommands() override;
    bool EditProperties(CReportSheet* sheet) override;
    bool PasteAt(CReportSheet* sheet, CPoint click, double zoom, CBoundArray& frames) override;
    void CopySelection(CReportSheet* sheet) override;
    // "Текст": the report library's one-line dialog.
    void EditText(CReportSheet* sheet) override;
    void SelectAll(CReportSheet* sheet) override;
    void RefreshNavigatorLabels() override { m_doc.RebuildNavigator(true); }
    // The first update after a start with the preview switch opens the print preview.
    void ViewUpdated() override;
    bool CommandEnabled(int command) override;
    void RunCommand(int command) override;

private:
    // What the editor commands need of the document, on that sheet.
    EditorContext Context(CReportSheet* sheet);

    CDocWindows& m_windows;
    CQuillmarkDoc& m_doc;
};

// An editor view over the windows' document, owning what it asks the document through.
CQuillmarkView* MakeEditorView(CDocWindows& windows, QWidget* parent = nullptr);
// From now on the documents' report windows hold editor views.
void InstallEditorViews();
// The program's frame with editor views: the factory installed and the view commands connected. With
// preview, the first report view updated opens the print preview (the command line's "preview").
void ConnectEditorViews(CMainFrame& frame, bool preview = false);

}  // namespace quillmark
