#include "designer/frame/doc_host.h"

#include <QApplication>
#include <QClipboard>
#include <QTreeWidget>

#include "designer/addins/addin_dialogs.h"
#include "designer/edit/element_clipboard.h"
#include "designer/edit/element_commands.h"
#include "designer/datasource/data_source_dialog.h"
#include "designer/frame/main_frame.h"
#include "designer/users/users_dialog.h"
#include "platform/base/transport_ini.h"
#include "designer/frame/navigator_bar.h"
#include "designer/navigator/navigator_items.h"
#include "designer/navigator/navigator_view.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/text_value.h"

namespace quillmark {

namespace {

constexpr struct {
    int tool;
    int command;
} kTools[] = {
    {kToolLine, ID_TOOL_LINE},       {kToolText, ID_TOOL_TEXT},         {kToolNoFrame, ID_TOOL_RECT},
    {kToolTable, ID_TOOL_TABLE},     {kToolZoom, ID_TOOL_ZOOM},         {kToolMoveSheet, ID_TOOL_MOVE_SHEET},
    {kToolZoomRect, ID_TOOL_ZOOM_RECT}, {kToolPicture, ID_TOOL_PICTURE},
    {kToolContinuation, ID_TOOL_CONTINUATION}, {kToolContents, ID_TOOL_CONTENTS},
};

}  // namespace

int ToolCommandId(int tool) {
    for (const auto& t : kTools)
        if (t.tool == tool) return t.command;
    return 0;
}

CDocumentHost::CDocumentHost(CMainFrame* frame) : m_frame(frame), m_windows(std::make_unique<CDocWindows>(*frame)) {
    if (CNavigatorBar* bar = m_frame->Navigator()) {
        m_navigator = new CNavigatorView(bar->Tree(), bar);
        // The bar opens files dropped on the tree as it does those dropped on itself.
        m_navigator->dropFiles = [bar](const QMimeData& data) { bar->HandleDrop(data); };
    }
    m_frame->documentState = [this] { return State(); };
    // Asking the clipboard may wait on the program that owns it: it is asked once per change only.
    m_clipboardHasElements = ClipboardHasElements();
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, m_guard.get(), [this] {
        m_clipboardHasElements = ClipboardHasElements();
        Refresh();
    });
    // "Дублировать страницу" follows the navigator's current item.
    if (m_frame->Navigator())
        QObject::connect(m_frame->Navigator()->Tree(), &QTreeWidget::currentItemChanged, m_guard.get(),
                         [this] { Refresh(); });
    RegisterCommands();
}

CDocumentHost::~CDocumentHost() {
    m_guard.reset();
    m_frame->documentState = {};
    if (m_navigator) m_navigator->SetNavigator(nullptr);
    m_doc.reset();
}

void CDocumentHost::Refresh() { m_frame->Commands().Refresh(); }

void CDocumentHost::Adopt(std::unique_ptr<CQuillmarkDoc> doc) {
    m_doc = std::move(doc);
    if (m_navigator) m_navigator->SetNavigator(&m_windows->Navigator());
    Refresh();
}

bool CDocumentHost::CloseAll() {
    if (m_doc) {
        if (!m_doc->AskSaveChanges()) return false;
        // The answer has been given: the document goes without asking again.
        m_doc->SetChanged(false);
        if (m_navigator) m_navigator->SetNavigator(nullptr);
        m_doc.reset();
    }
    m_frame->CloseChildFrames();
    Refresh();
    return true;
}

bool CDocumentHost::Open(const std::string& path) {
    return Start([&](CQuillmarkDoc& doc) { return doc.OnOpenDocument(path); });
}

bool CDocumentHost::New() {
    return Start([](CQuillmarkDoc& doc) { return doc.OnNewDocument(); });
}

bool CDocumentHost::Start(const std::function<bool(CQuillmarkDoc&)>& begin) {
    if (!CloseAll()) return false;
    auto doc = std::make_unique<CQuillmarkDoc>(m_windows.get());
    doc->SetBatchRun(m_batch);
    if (!begin(*doc)) {
        doc->SetChanged(false);
        doc.reset();
        m_frame->CloseChildFrames();
        Refresh();
        return false;
    }
    Adopt(std::move(doc));
    return true;
}

CommandState CDocumentHost::State() const {
    CommandState state;
    state.mailClient = CQuillmarkDoc::MailClientAvailable();
    if (!m_doc) return state;
    state.hasDocument = true;
    state.editMode = m_doc->EditAllowed();
    state.hasSavedPath = !m_doc->GetPathName().empty();
    state.activeTool = m_doc->Tool() == kToolProperties ? ID_PROPERTIES : ToolCommandId(m_doc->Tool());
    state.readOnly = m_doc->m_readOnly;
    CReportSheet* sheet = m_doc->ActiveSheet();
    state.sheetCount = m_doc->Manager().GetSheetCount();
    state.currentSheet = m_doc->SheetIndex(sheet);
    state.selectionCount = sheet ? sheet->GetSelection().GetSize() : 0;
    state.editRight = m_doc->HasRight(kRightEdit, false);
    state.usersRight = m_doc->HasRight(kRightUsers, false);
    state.pasteArmed = m_doc->Tool() == kToolPaste;
    state.showPicture = m_doc->m_showPicture != 0;
    const CNavigatorItem* current = m_windows->Navigator().CurrentItem();
    state.sheetItemSelected = current && current->Kind() == kItemSheet;
    state.clipboardHasElements = m_clipboardHasElements;
    EditorContext context;
    context.sheet = sheet;
    context.mode = m_doc->m_mode;
    const CElementCommands selection(context);
    state.bold = selection.IsBold();
    state.italic = selection.IsItalic();
    state.underline = selection.IsUnderline();
    state.fixed = selection.IsFixed();
    for (int bit : {kAlignLeft, kAlignHCenter, kAlignRight})
        if (selection.HasTextAlign(bit)) state.textAlign |= bit;
    state.orientation = selection.HasOrientation(0) ? 0 : selection.HasOrientation(1) ? 1 : -1;
    return state;
}

void CDocumentHost::RegisterCommands() {
    CCommandRegistry& commands = m_frame->Commands();
    const auto withDoc = [this](auto work) {
        return [this, work] {
            if (m_doc) work(*m_doc);
            Refresh();
        };
    };
    commands.SetHandler(ID_FILE_NEW, [this] { New(); });
    commands.SetHandler(ID_FILE_CLOSE, [this] { CloseAll(); });
    commands.SetHandler(ID_FILE_SAVE, withDoc([](CQuillmarkDoc& d) { d.OnFileSave(); }));
    commands.SetHandler(ID_FILE_SAVE_AS, withDoc([](CQuillmarkDoc& d) { d.OnFileSaveAs(); }));
    commands.SetHandler(ID_FILE_SEND_MAIL, withDoc([](CQuillmarkDoc& d) { d.SendMail(); }));
    commands.SetHandler(ID_NEW_SHEET, withDoc([](CQuillmarkDoc& d) {
                            if (d.EditAllowed()) d.AddSheet();
                        }));
    commands.SetHandler(ID_EDIT_MODE, withDoc([](CQuillmarkDoc& d) { d.ToggleEditMode(); }));
    commands.SetHandler(ID_DUPLICATE_SHEET, withDoc([](CQuillmarkDoc& d) { d.DuplicateSheet(); }));
    commands.SetHandler(ID_THUMBNAILS, withDoc([](CQuillmarkDoc& d) { d.ToggleShowPicture(); }));
    commands.SetHandler(ID_USERS, withDoc([this](CQuillmarkDoc& d) {
        if (!d.HasRight(kRightUsers, true)) return;
        CUsersDlg dialog(&d.Manager(), m_frame);
        if (dialog.exec() == QDialog::Accepted && dialog.Logic().ChangedStore()) d.SetChanged();
    }));
    commands.SetHandler(ID_DATA_SOURCE, withDoc([this](CQuillmarkDoc& d) {
        if (!d.HasRight(kRightEdit, true)) return;
        CDataSourceDlg dialog(&d.Manager(), m_addins, m_frame);
        if (dialog.exec() == QDialog::Accepted && dialog.Changed()) {
            d.SetChanged();
            d.RebuildNavigator(false);
        }
    }));
    RegisterOutputCommands();
    commands.SetHandler(ID_ADDIN_SETTINGS, [this] {
        CAddinSettingsDlg dialog(zor::DictionaryDir(), m_frame);
        if (dialog.exec() == QDialog::Accepted && m_addins) m_addins->LoadAddins(zor::DictionaryDir());
    });
    commands.SetHandler(ID_PAGE_FIRST, withDoc([](CQuillmarkDoc& d) { d.ShowFirstSheet(); }));
    commands.SetHandler(ID_PAGE_LAST, withDoc([](CQuillmarkDoc& d) { d.ShowLastSheet(); }));
    commands.SetHandler(ID_PAGE_NEXT, withDoc([](CQuillmarkDoc& d) { d.ShowNextSheet(); }));
    commands.SetHandler(ID_PAGE_PREV, withDoc([](CQuillmarkDoc& d) { d.ShowPrevSheet(); }));
    for (const auto& t : kTools) {
        const int tool = t.tool;
        commands.SetHandler(t.command, withDoc([tool](CQuillmarkDoc& d) { d.SetTool(tool); }));
    }
}

}  // namespace quillmark
