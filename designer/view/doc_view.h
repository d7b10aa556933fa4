#pragma once
// The editor view over the program's document: what the view asks of the document answered by
// CQuillmarkDoc and the main frame, and the factory through which the document makes its editor views.
#include <memory>

#include "designer/view/view_document.h"

class QWidget;

namespace quillmark {

class CMainFrame;
class CQuillmarkView;

class CDocumentForView : public CViewDocument {
public:
    explicit CDocumentForView(CQuillmarkDoc& doc) : m_doc(doc) {}

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
    // Pasting, copying and editing a text in place are the editor commands' (not in the program yet).
    void PasteAt(CReportSheet*, CPoint) override {}
    void CopySelection(CReportSheet*) override {}
    void EditText(CReportSheet*) override {}
    void SelectAll(CReportSheet* sheet) override;
    void RefreshNavigatorLabels() override { m_doc.RebuildNavigator(true); }

private:
    CQuillmarkDoc& m_doc;
};

// An editor view over the document, owning what it asks the document through.
CQuillmarkView* MakeEditorView(CQuillmarkDoc& doc, QWidget* parent = nullptr);
// From now on the document's report windows hold editor views.
void InstallEditorViews();
// The program's frame with editor views: the factory installed and the view commands connected.
void ConnectEditorViews(CMainFrame& frame);

}  // namespace quillmark
