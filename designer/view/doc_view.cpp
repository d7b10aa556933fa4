#include "designer/view/doc_view.h"

#include <unistd.h>

#include <QAction>
#include <QTimer>

#include "designer/edit/element_clipboard.h"
#include "designer/frame/doc_windows.h"
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

CDocumentForView::CDocumentForView(CDocWindows& windows) : m_windows(windows), m_doc(*windows.Document()) {}

bool CDocumentForView::UseCommonScale() const {
    return m_doc.m_mode == kDocView ? m_doc.m_useOneScaleInReport != 0 : m_doc.m_useOneScaleInDot != 0;
}

int CDocumentForView::SheetCount() const { return m_doc.Manager().GetSheetCount(); }

void CDocumentForView::SheetActivated(CReportSheet* sheet, int pageNumber) {
    m_windows.Navigator().SelectSheetItem(sheet);
    m_windows.Frame().SetPageText(pageNumber, SheetCount());
}

void CDocumentForView::OpenFile(const std::string& path) {
    CMainFrame& frame = m_windows.Frame();
    if (frame.Navigator() && frame.Navigator()->openDroppedFile) frame.Navigator()->openDroppedFile(path);
}

CReportParam* CDocumentForView::DroppedParam(const std::string& record) {
    qint64 processId = 0;
    long long id = 0;
    if (!ParseSheetDragRecord(QByteArray(record.data(), static_cast<qsizetype>(record.size())), processId, id) ||
        processId != ::getpid())
        return nullptr;
    CNavigatorItem* item = m_windows.Navigator().FindItem(id);
    if (!item || item->Kind() != kItemParam) return nullptr;
    return static_cast<CParamItem*>(item)->Param();
}

void CDocumentForView::SetPositionText(const std::string& text) {
    m_windows.Frame().SetPositionText(text);
}

void CDocumentForView::RefreshCommands() {
    m_windows.Frame().Commands().Refresh();
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

CQuillmarkView* MakeEditorView(CDocWindows& windows, QWidget* parent) {
    auto document = std::make_unique<CDocumentForView>(windows);
    auto* view = new CQuillmarkView(*document, parent);
    view->TakeDocument(std::move(document));
    return view;
}

void InstallEditorViews() {
    CDocWindows::SetViewFactory([](CDocWindows& windows) -> IDocView* { return MakeEditorView(windows); });
}

bool CDocumentForView::CommandEnabled(int command) {
    const QAction* action = m_windows.Frame().Commands().Action(command);
    return action && action->isEnabled();
}

void CDocumentForView::RunCommand(int command) {
    m_windows.Frame().Commands().Execute(command);
}

void CDocumentForView::ViewUpdated() {
    CMainFrame* frame = &m_windows.Frame();
    if (!TakePreviewRequest(g_previewRequest)) return;
    // Not inside the update: the document may still be opening, and the frame is shown after that.
    QTimer::singleShot(0, frame, [frame] { frame->Commands().Execute(ID_FILE_PRINT_PREVIEW); });
}

void ConnectEditorViews(CMainFrame& frame, bool preview) {
    g_previewRequest = preview ? 1 : 0;
    InstallEditorViews();
    ConnectViewCommands(frame);
}

}  // namespace quillmark
