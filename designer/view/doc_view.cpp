#include "designer/view/doc_view.h"

#include <unistd.h>

#include <QAction>
#include <QTimer>

#include "designer/edit/element_clipboard.h"
#include "designer/frame/main_frame.h"
#include "designer/frame/navigator_bar.h"
#include "designer/navigator/navigator_items.h"
#include "designer/navigator/navigator_view.h"
#include "designer/print/print_preview.h"
#include "designer/view/quillmark_view.h"
#include "designer/view/view_frame.h"
#include "report/dialogs/show_dialogs.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark {

namespace {

// The command line's preview switch, taken by the first view update.
int g_previewRequest = 0;

}  // namespace

bool CDocumentForView::UseCommonScale() const {
    return m_doc.m_mode == kDocView ? m_doc.m_useOneScaleInReport != 0 : m_doc.m_useOneScaleInDot != 0;
}

int CDocumentForView::SheetCount() const { return m_doc.Manager().GetSheetCount(); }

void CDocumentForView::SheetActivated(CReportSheet* sheet, int pageNumber) {
    m_doc.SelectSheetItem(sheet);
    if (CMainFrame* frame = m_doc.Frame()) frame->SetPageText(pageNumber, SheetCount());
}

void CDocumentForView::OpenFile(const std::string& path) {
    CMainFrame* frame = m_doc.Frame();
    if (frame && frame->Navigator() && frame->Navigator()->openDroppedFile) frame->Navigator()->openDroppedFile(path);
}

CReportParam* CDocumentForView::DroppedParam(const std::string& record) {
    qint64 processId = 0;
    long long id = 0;
    if (!ParseSheetDragRecord(QByteArray(record.data(), static_cast<qsizetype>(record.size())), processId, id) ||
        processId != ::getpid())
        return nullptr;
    CNavigatorItem* item = m_doc.FindItem(id);
    if (!item || item->Kind() != kItemParam) return nullptr;
    return static_cast<CParamItem*>(item)->Param();
}

void CDocumentForView::SetPositionText(const std::string& text) {
    if (CMainFrame* frame = m_doc.Frame()) frame->SetPositionText(text);
}

void CDocumentForView::RefreshCommands() {
    if (CMainFrame* frame = m_doc.Frame()) frame->Commands().Refresh();
}

bool CDocumentForView::EditProperties(CReportSheet* sheet) {
    if (!sheet || sheet->GetSelection().IsEmpty()) return false;
    return sheet->GetSelection().GetAt(0)->ElemProper(m_doc.m_mode);
}

EditorContext CDocumentForView::Context(CReportSheet* sheet) {
    EditorContext context;
    context.sheet = sheet;
    context.mode = m_doc.m_mode;
    context.hasRight = [this](int right, bool show) { return m_doc.HasRight(right, show); };
    context.changed = [this] { m_doc.SetChanged(); };
    return context;
}

bool CDocumentForView::PasteAt(CReportSheet* sheet, CPoint click, double zoom, CBoundArray& frames) {
    EditorContext context = Context(sheet);
    context.changed = {};  // the editor marks the change itself
    return PasteElementsFromClipboard(context, click, zoom, frames);
}

void CDocumentForView::CopySelection(CReportSheet* sheet) { CopyElementsToClipboard(Context(sheet)); }

void CDocumentForView::EditText(CReportSheet* sheet) {
    CElementCommands commands(Context(sheet));
    commands.EditText([](const char* title, std::string& text, int mode) {
        return ShowSimplDialog(title, &text, mode);
    });
}

void CDocumentForView::SelectAll(CReportSheet* sheet) { CElementCommands(Context(sheet)).SelectAll(); }

CQuillmarkView* MakeEditorView(CQuillmarkDoc& doc, QWidget* parent) {
    auto document = std::make_unique<CDocumentForView>(doc);
    auto* view = new CQuillmarkView(*document, parent);
    view->TakeDocument(std::move(document));
    return view;
}

void InstallEditorViews() {
    CQuillmarkDoc::SetViewFactory([](CQuillmarkDoc& doc, QWidget* parent) -> IDocView* {
        return MakeEditorView(doc, parent);
    });
}

bool CDocumentForView::CommandEnabled(int command) {
    CMainFrame* frame = m_doc.Frame();
    if (!frame) return false;
    const QAction* action = frame->Commands().Action(command);
    return action && action->isEnabled();
}

void CDocumentForView::RunCommand(int command) {
    if (CMainFrame* frame = m_doc.Frame()) frame->Commands().Execute(command);
}

void CDocumentForView::ViewUpdated() {
    CMainFrame* frame = m_doc.Frame();
    if (!frame || !TakePreviewRequest(g_previewRequest)) return;
    // Not inside the update: the document may still be opening, and the frame is shown after that.
    QTimer::singleShot(0, frame, [frame] { frame->Commands().Execute(ID_FILE_PRINT_PREVIEW); });
}

void ConnectEditorViews(CMainFrame& frame, bool preview) {
    g_previewRequest = preview ? 1 : 0;
    InstallEditorViews();
    ConnectViewCommands(frame);
}

}  // namespace quillmark
