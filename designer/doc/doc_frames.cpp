// The document's views and child frames: which frame shows which sheet, making and closing frames.
#include <algorithm>
#include <filesystem>

#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QObject>
#include <QTreeWidget>

#include "designer/doc/doc_internal.h"
#include "designer/doc/placeholder_view.h"
#include "designer/doc/quillmark_doc.h"
#include "designer/frame/child_frame.h"
#include "designer/frame/main_frame.h"
#include "designer/navigator/navigator_items.h"
#include "platform/text/utf8.h"
#include "report/model/report_sheet.h"

namespace quillmark {

namespace {

CQuillmarkDoc::ViewFactory& Factory() {
    static CQuillmarkDoc::ViewFactory factory;
    return factory;
}

CChildFrame* FrameOfWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (auto* frame = dynamic_cast<const CChildFrame*>(w)) return const_cast<CChildFrame*>(frame);
    return nullptr;
}

}  // namespace

std::vector<SaveFileType> SaveFileTypes(const std::string& currentPath) {
    std::vector<SaveFileType> types = {{"Файлы отчетов (*.zorrep)", "zorrep"}, {"Файлы шаблонов (*.zordot)", "zordot"}};
    // A template is saved as a template unless the user picks the other type.
    const std::filesystem::path path(currentPath);
    if (zor::EqualsNoCase(path.extension().string(), ".zordot")) std::swap(types[0], types[1]);
    return types;
}

std::string RunSaveDialog(CMainFrame* frame, const std::string& currentPath) {
    const std::vector<SaveFileType> types = SaveFileTypes(currentPath);
    QStringList filters;
    for (const SaveFileType& type : types) filters << QString::fromUtf8(type.filter);
    QFileDialog dialog(frame, QString::fromUtf8("Сохранить отчет как..."), QString::fromStdString(currentPath),
                       filters.join(";;"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromUtf8(types.front().extension));
    // A name typed without an extension takes the one of the type chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, types](const QString& filter) {
        for (const SaveFileType& type : types)
            if (filter == QString::fromUtf8(type.filter)) dialog.setDefaultSuffix(QString::fromUtf8(type.extension));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

void CQuillmarkDoc::SetViewFactory(ViewFactory factory) { Factory() = std::move(factory); }

void CQuillmarkDoc::AddView(IDocView* view) {
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

void CQuillmarkDoc::RemoveView(IDocView* view) {
    std::erase(m_views, view);
    m_viewWidgets.erase(view);
}

IDocView* CQuillmarkDoc::ViewOfWidget(const QWidget* widget) const {
    for (const auto& [view, w] : m_viewWidgets)
        if (w == widget) return view;
    return nullptr;
}

void CQuillmarkDoc::DisconnectViews() { m_guard.reset(); }

void CQuillmarkDoc::UpdateAllViews() {
    for (IDocView* view : std::vector<IDocView*>(m_views)) view->OnUpdate();
}

IDocView* CQuillmarkDoc::MakeView(CChildFrame** frameOut) {
    *frameOut = nullptr;
    if (!m_frame) return nullptr;
    IDocView* view = Factory() ? Factory()(*this, nullptr) : nullptr;
    if (!view) view = new CPlaceholderView(*this, nullptr);
    CChildFrame* frame = m_frame->AddChildFrame(view->Widget(), m_title);
    AddView(view);
    if (!m_guard) m_guard = std::make_unique<QObject>();
    // A frame the user closes takes its map entries with it.
    QObject::connect(frame, &QObject::destroyed, m_guard.get(), [this, frame] { ForgetFrame(frame); });
    *frameOut = frame;
    return view;
}

void CQuillmarkDoc::CloseFrame(CChildFrame* frame) {
    if (!frame) return;
    ForgetFrame(frame);
    for (IDocView* view : std::vector<IDocView*>(m_views))
        if (FrameOfWidget(m_viewWidgets[view]) == frame) RemoveView(view);
    frame->close();
}

void CQuillmarkDoc::ResetViews() {
    if (m_pTree) m_pTree->setUpdatesEnabled(false);
    if (!m_views.empty()) {
        m_views.front()->SetSheet(nullptr);
        std::vector<CChildFrame*> surplus;
        for (size_t i = 1; i < m_views.size(); ++i)
            if (CChildFrame* frame = FrameOfWidget(m_viewWidgets[m_views[i]])) surplus.push_back(frame);
        for (CChildFrame* frame : surplus) CloseFrame(frame);
    }
    ClearFrameMaps();
    m_sheetItems.clear();
    m_contentsItems.clear();
    if (m_pTree) m_pTree->setUpdatesEnabled(true);
}

void CQuillmarkDoc::ShowSheet(CReportSheet* sheet) {
    if (!sheet || !m_frame || m_destroying) return;
    ShowSheetFrame(sheet);
    // The navigator and the page pane follow the sheet shown.
    SelectSheetItem(sheet);
    ShowPageText();
}

void CQuillmarkDoc::ShowSheetFrame(CReportSheet* sheet) {
    if (CChildFrame* frame = GetSheetFrame(sheet)) {
        m_frame->MdiArea()->setActiveSubWindow(frame);
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
        m_frame->MdiArea()->setActiveSubWindow(frame);
        return;
    }
    CChildFrame* frame = nullptr;
    IDocView* view = MakeView(&frame);
    if (!view || !frame) return;
    m_sheetToFrame[sheet] = frame;
    m_frameToSheet[frame] = sheet;
    view->SetSheet(sheet);
    view->OnInitialUpdate();
    m_frame->MdiArea()->setActiveSubWindow(frame);
}

CReportSheet* CQuillmarkDoc::GetFrameSheet(const QWidget* view) { return GetFrameSheet(FrameOfWidget(view)); }

CReportSheet* CQuillmarkDoc::GetFrameSheet(CChildFrame* frame) {
    if (!frame) return nullptr;
    auto it = m_frameToSheet.find(frame);
    if (it == m_frameToSheet.end()) {
        m_frameToSheet.emplace(frame, nullptr);
        return nullptr;
    }
    return it->second;
}

CChildFrame* CQuillmarkDoc::GetSheetFrame(CReportSheet* sheet) const {
    auto it = m_sheetToFrame.find(sheet);
    return it == m_sheetToFrame.end() ? nullptr : it->second;
}

CReportSheet* CQuillmarkDoc::ActiveSheet() const {
    if (m_frame) {
        if (auto* frame = dynamic_cast<CChildFrame*>(m_frame->MdiArea()->currentSubWindow())) {
            auto it = m_frameToSheet.find(frame);
            if (it != m_frameToSheet.end() && it->second) return it->second;
            for (IDocView* view : m_views)
                if (FrameOfWidget(m_viewWidgets.at(view)) == frame && view->GetSheet()) return view->GetSheet();
        }
    }
    for (IDocView* view : m_views)
        if (view->GetSheet()) return view->GetSheet();
    return nullptr;
}

void CQuillmarkDoc::ForgetFrame(CChildFrame* frame) {
    std::erase_if(m_sheetToFrame, [frame](const auto& entry) { return entry.second == frame || !entry.second; });
    std::erase_if(m_frameToSheet, [frame](const auto& entry) { return entry.first == frame || !entry.first; });
}

void CQuillmarkDoc::ClearFrameMaps() {
    m_sheetToFrame.clear();
    m_frameToSheet.clear();
}

void CQuillmarkDoc::BindViewsToSheets(const std::vector<CReportSheet*>& sheets) {
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

}  // namespace quillmark
