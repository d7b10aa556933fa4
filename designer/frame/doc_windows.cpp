// The document's report windows in the main frame: which window shows which sheet, making and closing
// windows, and what the status bar and the page pane say while the document works.
#include "designer/frame/doc_windows.h"

#include <algorithm>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QObject>
#include <QTreeWidget>

#include "designer/frame/child_frame.h"
#include "designer/frame/main_frame.h"
#include "designer/frame/navigator_bar.h"
#include "designer/frame/placeholder_view.h"
#include "report/model/report_sheet.h"

namespace quillmark {

namespace {

CDocWindows::ViewFactory& Factory() {
    static CDocWindows::ViewFactory factory;
    return factory;
}

CChildFrame* FrameOfWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (auto* frame = dynamic_cast<const CChildFrame*>(w)) return const_cast<CChildFrame*>(frame);
    return nullptr;
}

QTreeWidget* NavigatorTree(CMainFrame& frame) { return frame.Navigator() ? frame.Navigator()->Tree() : nullptr; }

}  // namespace

void CDocWindows::SetViewFactory(ViewFactory factory) { Factory() = std::move(factory); }

CDocWindows::CDocWindows(CMainFrame& frame) : m_frame(frame), m_status(frame), m_navigator(NavigatorTree(frame)) {}

CDocWindows::~CDocWindows() {
    if (m_doc) m_doc->RemoveObserver(this);
    m_guard.reset();
}

void CDocWindows::Attached(CQuillmarkDoc& doc) {
    m_doc = &doc;
    m_navigator.Attached(doc);
}

void CDocWindows::Detached(CQuillmarkDoc& doc) {
    if (m_doc != &doc) return;
    // Let go without the document's goodbye: its windows must not outlive it.
    if (!m_views.empty() || !m_frameToSheet.empty()) Closing();
    m_navigator.Detached(doc);
    m_doc = nullptr;
}

QWidget* CDocWindows::DialogParent() const { return &m_frame; }

// --- Recent files -------------------------------------------------------------------------------------------

void CDocWindows::FileNamed(const std::string& path) {
    m_frame.RecentFiles().Add(path);
    m_frame.RebuildRecentMenu();
}

// --- Views ------------------------------------------------------------------------------------------------------

void CDocWindows::AddView(IDocView* view) {
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end()) return;
    m_views.push_back(view);
    QWidget* widget = view->Widget();
    m_viewWidgets[view] = widget;
    if (!m_guard) m_guard = std::make_unique<QObject>();
    if (widget)
        QObject::connect(widget, &QObject::destroyed, m_guard.get(), [this, widget] {
            if (IDocView* gone = ViewOfWidget(widget)) RemoveView(gone);
        });
}

void CDocWindows::RemoveView(IDocView* view) {
    std::erase(m_views, view);
    m_viewWidgets.erase(view);
}

IDocView* CDocWindows::ViewOfWidget(const QWidget* widget) const {
    for (const auto& [view, w] : m_viewWidgets)
        if (w == widget) return view;
    return nullptr;
}

void CDocWindows::Changed() {
    for (IDocView* view : std::vector<IDocView*>(m_views)) view->OnUpdate();
}

IDocView* CDocWindows::MakeView(CChildFrame** frameOut) {
    *frameOut = nullptr;
    if (!m_doc) return nullptr;
    IDocView* view = Factory() ? Factory()(*this) : nullptr;
    if (!view) view = new CPlaceholderView(*this, nullptr);
    CChildFrame* frame = m_frame.AddChildFrame(view->Widget(), m_doc->GetTitle());
    AddView(view);
    if (!m_guard) m_guard = std::make_unique<QObject>();
    // A frame the user closes takes its map entries with it.
    QObject::connect(frame, &QObject::destroyed, m_guard.get(), [this, frame] { ForgetFrame(frame); });
    *frameOut = frame;
    return view;
}

void CDocWindows::CloseFrame(CChildFrame* frame) {
    if (!frame) return;
    ForgetFrame(frame);
    for (IDocView* view : std::vector<IDocView*>(m_views))
        if (FrameOfWidget(m_viewWidgets[view]) == frame) RemoveView(view);
    frame->close();
}

// --- Sheets in windows --------------------------------------------------------------------------------------------

void CDocWindows::SheetsReset() {
    if (QTreeWidget* tree = m_navigator.Tree()) tree->setUpdatesEnabled(false);
    if (!m_views.empty()) {
        m_views.front()->SetSheet(nullptr);
        std::vector<CChildFrame*> surplus;
        for (size_t i = 1; i < m_views.size(); ++i)
            if (CChildFrame* frame = FrameOfWidget(m_viewWidgets[m_views[i]])) surplus.push_back(frame);
        for (CChildFrame* frame : surplus) CloseFrame(frame);
    }
    ClearFrameMaps();
    // The navigator's sheet and contents items go too; it turns the tree's updates on again.
    m_navigator.SheetsReset();
}

void CDocWindows::SheetShown(CReportSheet* sheet) {
    ShowSheetFrame(sheet);
    m_navigator.SheetShown(sheet);
}

void CDocWindows::ShowSheetFrame(CReportSheet* sheet) {
    if (CChildFrame* frame = GetSheetFrame(sheet)) {
        m_frame.MdiArea()->setActiveSubWindow(frame);
        return;
    }
    sheet->LoadElementsFromFile();
    // The first view that shows no sheet takes it (a new document's or one the reset left empty).
    for (IDocView* view : m_views) {
        CChildFrame* frame = FrameOfWidget(m_viewWidgets[view]);
        if (!frame || view->GetSheet() || m_frameToSheet.count(frame)) continue;
        m_sheetToFrame[sheet] = frame;
        m_frameToSheet[frame] = sheet;
        view->SetSheet(sheet);
        view->OnInitialUpdate();
        m_frame.MdiArea()->setActiveSubWindow(frame);
        return;
    }
    CChildFrame* frame = nullptr;
    IDocView* view = MakeView(&frame);
    if (!view || !frame) return;
    m_sheetToFrame[sheet] = frame;
    m_frameToSheet[frame] = sheet;
    view->SetSheet(sheet);
    view->OnInitialUpdate();
    m_frame.MdiArea()->setActiveSubWindow(frame);
}

void CDocWindows::SheetClosing(CReportSheet* sheet) {
    CChildFrame* frame = GetSheetFrame(sheet);
    // The view that shows the sheet forgets it before the sheet goes.
    for (IDocView* view : m_views)
        if (view->GetSheet() == sheet) view->SetSheet(nullptr);
    if (frame) CloseFrame(frame);
    m_sheetToFrame.erase(sheet);
}

void CDocWindows::SheetsBound(const std::vector<CReportSheet*>& sheets) {
    ClearFrameMaps();
    const std::vector<IDocView*> views = m_views;
    for (size_t i = 0; i < views.size(); ++i) {
        CChildFrame* frame = FrameOfWidget(m_viewWidgets[views[i]]);
        if (i < sheets.size()) {
            if (frame) {
                m_sheetToFrame[sheets[i]] = frame;
                m_frameToSheet[frame] = sheets[i];
            }
            sheets[i]->LoadElementsFromFile();
            views[i]->SetSheet(sheets[i]);
        } else {
            views[i]->SetSheet(nullptr);
            RemoveView(views[i]);
            if (frame) frame->close();
        }
    }
}

void CDocWindows::Closing() {
    // The views outlive the document only as closing windows: they must not call back into it.
    for (IDocView* view : std::vector<IDocView*>(m_views)) view->SetSheet(nullptr);
    m_guard.reset();
    m_frame.CloseChildFrames();
    m_views.clear();
    m_viewWidgets.clear();
    ClearFrameMaps();
    m_status.LoadEnded();
}

// --- Which window shows which sheet ---------------------------------------------------------------------------

CReportSheet* CDocWindows::GetFrameSheet(const QWidget* view) {
    CChildFrame* frame = FrameOfWidget(view);
    if (!frame) return nullptr;
    auto it = m_frameToSheet.find(frame);
    if (it == m_frameToSheet.end()) {
        m_frameToSheet.emplace(frame, nullptr);
        return nullptr;
    }
    return it->second;
}

CChildFrame* CDocWindows::GetSheetFrame(CReportSheet* sheet) const {
    auto it = m_sheetToFrame.find(sheet);
    return it == m_sheetToFrame.end() ? nullptr : it->second;
}

CReportSheet* CDocWindows::ActiveSheet() const {
    if (auto* frame = dynamic_cast<CChildFrame*>(m_frame.MdiArea()->currentSubWindow())) {
        auto it = m_frameToSheet.find(frame);
        if (it != m_frameToSheet.end() && it->second) return it->second;
        for (IDocView* view : m_views)
            if (FrameOfWidget(m_viewWidgets.at(view)) == frame && view->GetSheet()) return view->GetSheet();
    }
    for (IDocView* view : m_views)
        if (view->GetSheet()) return view->GetSheet();
    return nullptr;
}

void CDocWindows::ForgetFrame(CChildFrame* frame) {
    std::erase_if(m_sheetToFrame, [frame](const auto& entry) { return entry.second == frame || !entry.second; });
    std::erase_if(m_frameToSheet, [frame](const auto& entry) { return entry.first == frame || !entry.first; });
}

void CDocWindows::ClearFrameMaps() {
    m_sheetToFrame.clear();
    m_frameToSheet.clear();
}

}  // namespace quillmark
