#include "designer/view/quillmark_view.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <fmt/printf.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include "designer/frame/file_drop.h"
#include "designer/view/sheet_menu.h"
#include "designer/navigator/navigator_view.h"
#include "platform/gdi/dc.h"
#include "platform/ui/messages.h"
#include "report/dialogs/element_menu.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark {
namespace {

ViewKeys KeysOf(Qt::KeyboardModifiers modifiers) {
    return ViewKeys{(modifiers & Qt::ControlModifier) != 0, (modifiers & Qt::AltModifier) != 0};
}

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// An element's rectangle (normalised, widened by 1) meets the visible area.
bool Meets(CRect r, const CRect& area) {
    r.NormalizeRect();
    r.InflateRect(1, 1);
    return r.left < area.right && r.right > area.left && r.top < area.bottom && r.bottom > area.top;
}

}  // namespace

CQuillmarkView::CQuillmarkView(CViewDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_editor(document) {
    setObjectName("quillmark_view");
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

// The sheet's elements stay loaded when the view goes: the document writes every sheet on saving, loaded
// or not, and may already have let the sheet go when a closed window's view is deleted.
CQuillmarkView::~CQuillmarkView() = default;

// --- Binding and updates -----------------------------------------------------------------------------------

void CQuillmarkView::SetSheet(CReportSheet* sheet) {
    m_editor.SetSheet(sheet);
    if (sheet) {
        // The view maps the window onto the page itself, so the sheet's origin stays at the page corner.
        sheet->SetOrgPt(CPoint(0, 0));
        sheet->SetSize(m_document.PageSize());
    }
    viewport()->update();
}

void CQuillmarkView::OnInitialUpdate(CReportSheet* sheet) {
    SetSheet(sheet);
    if (sheet && !sheet->IsLoaded()) sheet->LoadElementsFromFile();
    UpdateScrollBars();
    OnUpdate();
}

void CQuillmarkView::DetachSheet() {
    m_editor.SetSheet(nullptr);
    viewport()->update();
}

void CQuillmarkView::OnUpdate() {
    CReportSheet* sheet = m_editor.Sheet();
    if (!sheet) {
        viewport()->update();
        return;
    }
    UpdateCaption();
    if (!sheet->IsLoaded()) sheet->LoadElementsFromFile();
    UpdateScrollBars();
    viewport()->update();
    m_document.ViewUpdated();
}

void CQuillmarkView::OnActivateView() {
    if (CReportSheet* sheet = m_editor.Sheet()) m_document.SheetActivated(sheet, SheetNumber(sheet->GetName()));
}

void CQuillmarkView::UpdateCaption() {
    CReportSheet* sheet = m_editor.Sheet();
    if (!sheet) return;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) {
            const std::string caption = frame->isMaximized()
                                            ? fmt::sprintf("%s : %s", m_document.PathName(), sheet->GetName())
                                            : sheet->GetName();
            frame->setWindowTitle(QString::fromStdString(caption));
            return;
        }
    }
}

// --- Geometry ------------------------------------------------------------------------------------------------

double CQuillmarkView::PixelsPerUnitX() const { return viewport()->logicalDpiX() / 254.0; }

double CQuillmarkView::PixelsPerUnitY() const { return viewport()->logicalDpiY() / 254.0; }

CSize CQuillmarkView::ClientLogical() const {
    return CSize(static_cast<int>(viewport()->width() / PixelsPerUnitX()),
                 static_cast<int>(viewport()->height() / PixelsPerUnitY()));
}

PagePlacement CQuillmarkView::Placement() const {
    return PlacePage(ClientLogical(), m_document.PageSize(), m_editor.Zoom());
}

CPoint CQuillmarkView::ToPage(QPoint pixel) const {
    const double kx = PixelsPerUnitX(), ky = PixelsPerUnitY();
    const PagePlacement p = Placement();
    const int x = static_cast<int>(std::lround((pixel.x() + horizontalScrollBar()->value()) / kx)) - p.left;
    const int y = p.distance - static_cast<int>(std::lround((pixel.y() + verticalScrollBar()->value()) / ky));
    return CPoint(x, y);
}

QPoint CQuillmarkView::ToPixel(CPoint page) const {
    const double kx = PixelsPerUnitX(), ky = PixelsPerUnitY();
    const PagePlacement p = Placement();
    return QPoint(static_cast<int>(std::lround((page.x + p.left) * kx)) - horizontalScrollBar()->value(),
                  static_cast<int>(std::lround((p.distance - page.y) * ky)) - verticalScrollBar()->value());
}

void CQuillmarkView::UpdateScrollBars() {
    const double kx = PixelsPerUnitX(), ky = PixelsPerUnitY();
    const PagePlacement p = Placement();
    const int width = static_cast<int>(std::ceil(p.extent.cx * kx));
    const int height = static_cast<int>(std::ceil(p.extent.cy * ky));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
}

// --- Drawing ---------------------------------------------------------------------------------------------------

void CQuillmarkView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    CDC dc(&painter);
    painter.fillRect(viewport()->rect(), ToQColor(dc.GetSysColor(COLOR_APPWORKSPACE)));
    CReportSheet* sheet = m_editor.Sheet();
    if (!sheet) return;
    // The zoom may have changed elsewhere (the common scale of another view).
    UpdateScrollBars();
    sheet->SetOrgPt(CPoint(0, 0));
    const double zoom = m_editor.Zoom();
    const PagePlacement placement = Placement();
    dc.SetMapMode(MM_LOMETRIC);
    dc.SetWindowOrg(-placement.left, placement.distance);
    dc.SetViewportOrg(-horizontalScrollBar()->value(), -verticalScrollBar()->value());

    const CSize page = m_document.PageSize();
    {
        CPen pen(PS_SOLID, 1, dc.GetSysColor(COLOR_WINDOWTEXT));
        CBrush brush(dc.GetSysColor(COLOR_WINDOW));
        CPen* oldPen = dc.SelectObject(&pen);
        CBrush* oldBrush = dc.SelectObject(&brush);
        dc.Rectangle(0, 0, static_cast<int>(zoom * page.cx), -static_cast<int>(zoom * page.cy));
        dc.SelectObject(oldPen);
        dc.SelectObject(oldBrush);
    }

    CRect visible(ToPage(QPoint(0, 0)), ToPage(QPoint(viewport()->width(), viewport()->height())));
    visible.NormalizeRect();
    const unsigned flags = m_document.ShowPicture() ? (kDrawSelection | kDrawPictures | kDrawText)
                                                    : (kDrawSelection | kDrawText);
    for (CReportElement* element : sheet->GetElements()) {
        CRect r;
        element->GetRect(r, zoom, 0);
        if (Meets(r, visible)) element->Draw(&dc, zoom, m_document.Mode(), flags);
    }
    for (CBoundRect* frame : m_editor.Frames()) frame->Draw(&dc, zoom);
    m_editor.SetBothZooms(zoom);
}

void CQuillmarkView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    UpdateCaption();
}

void CQuillmarkView::scrollContentsBy(int, int) { viewport()->update(); }

// --- Mouse ---------------------------------------------------------------------------------------------------------

void CQuillmarkView::Apply(const ViewOutcome& outcome) {
    if (outcome.properties) ShowProperties();
    if (outcome.zoomTo) ZoomToRect(*outcome.zoomTo);
    if (outcome.redraw) viewport()->update();
}

void CQuillmarkView::SetCursorCode(int code) { viewport()->setCursor(CursorForCode(code)); }

void CQuillmarkView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (!m_editor.Sheet()) return;
    m_lastPoint = pos;
    switch (event->button()) {
    case Qt::LeftButton:
        Apply(m_editor.LButtonDown(ToPage(pos), KeysOf(event->modifiers())));
        m_document.RefreshCommands();
        break;
    case Qt::MiddleButton:
        m_middleDown = true;
        SetCursorCode(10);
        break;
    case Qt::RightButton:
        RightButton(pos);
        break;
    default:
        break;
    }
}

void CQuillmarkView::Pan(QPoint delta) {
    const PagePlacement p = Placement();
    // Only along a direction in which the page does not fit the window.
    if (p.left == kPageMargin) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + delta.x());
    if (p.distance == kPageMargin) verticalScrollBar()->setValue(verticalScrollBar()->value() + delta.y());
}

void CQuillmarkView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (!m_editor.Sheet()) return;
    const bool left = (event->buttons() & Qt::LeftButton) != 0;
    const int tool = m_document.Tool();
    if (m_middleDown || (tool == kToolMoveSheet && left)) {
        SetCursorCode(10);
        Pan(m_lastPoint - pos);
    } else if (tool == kToolZoom && left) {
        m_editor.SetBothZooms(ZoomToolStep(m_editor.Zoom(), pos.y() - m_lastPoint.y()));
        UpdateScrollBars();
        viewport()->update();
    } else {
        Apply(m_editor.MouseMove(ToPage(pos), left, KeysOf(event->modifiers())));
        SetCursorCode(m_editor.CursorCode());
    }
    m_lastPoint = pos;
}

void CQuillmarkView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::MiddleButton) {
        m_middleDown = false;
        SetCursorCode(0);
        return;
    }
    if (event->button() != Qt::LeftButton || !m_editor.Sheet()) return;
    if (m_swallowRelease) {
        m_swallowRelease = false;
        return;
    }
    Apply(m_editor.LButtonUp(ToPage(pos), KeysOf(event->modifiers())));
    m_document.RefreshCommands();
}

void CQuillmarkView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The second press of a double click: the release that follows must not walk the selection on.
    m_swallowRelease = true;
    Apply(m_editor.DoubleClick(ToPage(event->position().toPoint())));
}

void CQuillmarkView::wheelEvent(QWheelEvent* event) {
    if (m_middleDown) return;
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    ZoomKeepingPosition(WheelZoom(m_editor.Zoom(), delta));
    event->accept();
}

void CQuillmarkView::ZoomKeepingPosition(double zoom) {
    QScrollBar* bars[] = {horizontalScrollBar(), verticalScrollBar()};
    int oldMax[2], oldValue[2];
    for (int i = 0; i < 2; ++i) {
        oldMax[i] = bars[i]->maximum();
        oldValue[i] = bars[i]->value();
    }
    m_editor.SetBothZooms(zoom);
    UpdateScrollBars();
    for (int i = 0; i < 2; ++i) {
        const int newMax = bars[i]->maximum();
        const int value = oldValue[i] == 0 || oldMax[i] == 0
                              ? (newMax - oldMax[i]) / 2
                              : static_cast<int>(static_cast<long long>(oldValue[i]) * newMax / oldMax[i]);
        bars[i]->setValue(value);
    }
    viewport()->update();
}

// --- Zoom commands ------------------------------------------------------------------------------------------

void CQuillmarkView::FitPage() {
    m_editor.SetBothZooms(FitZoom(ClientLogical(), m_document.PageSize()));
    UpdateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void CQuillmarkView::ZoomOneToOne() {
    m_editor.SetZoom(1.0);
    UpdateScrollBars();
    viewport()->update();
}

void CQuillmarkView::ZoomToRect(const CRect& rect) {
    const CSize client = ClientLogical();
    const std::optional<double> zoom = ZoomForRect(client, rect);
    if (!zoom) return;
    m_editor.SetBothZooms(*zoom);
    UpdateScrollBars();
    CRect r = rect;
    r.NormalizeRect();
    // The rectangle's upper left corner (its left edge, its upper edge: the larger y) comes to the window's.
    const PagePlacement p = Placement();
    horizontalScrollBar()->setValue(static_cast<int>((p.left + r.left * *zoom) * PixelsPerUnitX()));
    verticalScrollBar()->setValue(static_cast<int>((p.distance - r.bottom * *zoom) * PixelsPerUnitY()));
    viewport()->update();
}

// --- Commands ----------------------------------------------------------------------------------------------------

void CQuillmarkView::ShowProperties() {
    CReportSheet* sheet = m_editor.Sheet();
    if (!sheet || !m_document.HasRight(kRightEdit, true)) return;
    m_document.SetTool(kToolProperties);
    // With nothing selected the tool stays: the next click chooses what to show.
    if (sheet->GetSelection().IsEmpty()) return;
    if (m_document.EditProperties(sheet)) {
        sheet->Update(true);
        m_document.RefreshNavigatorLabels();
        m_document.SetChanged();
        viewport()->update();
    }
    m_document.SetTool(kToolSelect);
}

CElementCommands CQuillmarkView::ElementCommands() {
    EditorContext context;
    context.sheet = m_editor.Sheet();
    context.mode = m_document.Mode();
    context.hasRight = [this](int right, bool show) { return m_document.HasRight(right, show); };
    context.changed = [this] {
        m_document.SetChanged();
        viewport()->update();
        m_document.RefreshCommands();
    };
    context.redraw = [this] {
        viewport()->update();
        m_document.RefreshCommands();
    };
    return CElementCommands(std::move(context));
}

void CQuillmarkView::CopySelection() {
    if (CReportSheet* sheet = m_editor.Sheet()) m_document.CopySelection(sheet);
    m_document.RefreshCommands();
}

void CQuillmarkView::ArmPaste() {
    // Pasting changes the sheet: a file that is only looked at takes nothing.
    if (!m_editor.Sheet() || m_document.Mode() != 0 || m_document.IsReadOnly() ||
        !m_document.HasRight(kRightEdit, true))
        return;
    m_editor.CancelOperation();
    m_document.SetTool(kToolPaste);
    m_document.RefreshCommands();
}

void CQuillmarkView::SelectAll() {
    if (CReportSheet* sheet = m_editor.Sheet()) m_document.SelectAll(sheet);
    viewport()->update();
    m_document.RefreshCommands();
}

void CQuillmarkView::EditText() {
    if (CReportSheet* sheet = m_editor.Sheet()) m_document.EditText(sheet);
    viewport()->update();
    m_document.RefreshCommands();
}

void CQuillmarkView::DeleteSelection() {
    if (m_editor.DeleteSelection()) {
        viewport()->update();
        m_document.RefreshCommands();
    }
}

void CQuillmarkView::keyPressEvent(QKeyEvent* event) {
    CReportSheet* sheet = m_editor.Sheet();
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & Qt::AltModifier)
            ShowProperties();
        else if (sheet)
            EditText();
        return;
    case Qt::Key_Escape:
        m_editor.CancelOperation();
        m_document.SetTool(kToolSelect);
        m_document.RefreshCommands();
        viewport()->update();
        return;
    case Qt::Key_Delete:
        DeleteSelection();
        return;
    case Qt::Key_Control:
        return;
    case Qt::Key_A:
        if (ctrl && sheet) {
            SelectAll();
            return;
        }
        break;
    case Qt::Key_T:
        if (ctrl && sheet) {
            EditText();
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// --- Context menus ------------------------------------------------------------------------------------------

int CQuillmarkView::ChooseFromMenu(const std::vector<MenuEntry>& entries, QPoint pixel) {
    if (m_chooser) return m_chooser(entries, pixel);
    QMenu menu(this);
    for (const MenuEntry& entry : entries) {
        if (entry.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(entry.text));
        action->setData(entry.command);
        action->setEnabled(entry.enabled);
    }
    QAction* chosen = menu.exec(viewport()->mapToGlobal(pixel));
    return chosen ? chosen->data().toInt() : 0;
}

int CQuillmarkView::ChooseFromSheetMenu(QPoint pixel) {
    // The rules are applied once, to the state the right click has left.
    m_document.RefreshCommands();
    const auto enabled = [this](int command) { return m_document.CommandEnabled(command); };
    if (!m_chooser) return RunSheetMenu(viewport()->mapToGlobal(pixel), viewport(), enabled);
    std::vector<MenuEntry> entries;
    for (const SheetMenuItem& item : SheetMenuItems())
        entries.push_back({item.command, item.text, item.command == 0 || enabled(item.command)});
    return m_chooser(entries, pixel);
}

CommandState CQuillmarkView::ElementMenuState() const {
    CommandState state;
    CReportSheet* sheet = m_editor.Sheet();
    state.hasDocument = true;
    state.sheetCount = 1;
    state.currentSheet = sheet ? 0 : -1;
    state.readOnly = m_document.IsReadOnly();
    state.editRight = m_document.HasRight(kRightEdit, false);
    // As the program's state has it: a file that is only looked at is not edited.
    state.editMode = m_document.Mode() == 0 && !state.readOnly && state.editRight;
    state.selectionCount = sheet ? sheet->GetSelection().GetSize() : 0;
    state.fixed = state.selectionCount > 0 && sheet->GetSelection().GetAt(0)->GetFixed() > 0;
    return state;
}

void CQuillmarkView::RightButton(QPoint pixel) {
    SetCursorCode(0);
    CReportSheet* sheet = m_editor.Sheet();
    if (!sheet) return;
    const CPoint point = ToPage(pixel);
    const std::vector<CReportElement*> hits = m_editor.RightClickSelect(point);
    // A read-only file is looked at, not changed.
    const bool editMode = m_document.Mode() == 0 && !m_document.IsReadOnly();
    viewport()->update();
    if (hits.empty()) {
        if (!editMode) return;
        const int choice = ChooseFromSheetMenu(pixel);
        sheet->UnselectAll();
        m_document.SetTool(kToolSelect);
        // Pasting, selecting all and the zooms are this view's; the tools and a new sheet run in the program.
        if (choice != 0 && !RunViewCommand(*this, choice)) m_document.RunCommand(choice);
        m_document.RefreshCommands();
        viewport()->update();
        return;
    }
    const auto& selection = sheet->GetSelection();
    const CommandState state = ElementMenuState();
    int choice = 0;
    if (selection.GetSize() == 1) {
        // The element's own menu: what the library does alone (page fields, order, sections) it does; the
        // program's commands in it are greyed by the program's rules and come back here to run.
        ElementMenuHost host;
        host.handles = [](unsigned command) { return InElementMenu(int(command)); };
        host.enabled = [&state](unsigned command) { return EvaluateElementMenuCommand(int(command), state).enabled; };
        choice = ShowElementMenu(*selection.GetAt(0), CPoint(pixel.x(), pixel.y()), viewport(), m_document.Mode(), &host);
    } else {
        choice = ChooseFromMenu(ElementMenuItems(state), pixel);
    }
    m_document.SetTool(kToolSelect);
    if (choice != 0 && EvaluateElementMenuCommand(choice, state).enabled) RunViewCommand(*this, choice);
    m_document.RefreshCommands();
    viewport()->update();
}

void CQuillmarkView::contextMenuEvent(QContextMenuEvent* event) {
    // The right button's press has shown the menu already.
    event->accept();
}

// --- Drops -------------------------------------------------------------------------------------------------------

void CQuillmarkView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() || event->mimeData()->hasFormat(kSheetDragFormat)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CQuillmarkView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls() || event->mimeData()->hasFormat(kSheetDragFormat)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CQuillmarkView::dropEvent(QDropEvent* event) {
    if (!m_editor.Sheet()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    HandleDrop(*event->mimeData(), event->position().toPoint());
}

void CQuillmarkView::HandleDrop(const QMimeData& mime, QPoint pixel) {
    const QMimeData* data = &mime;
    if (!m_editor.Sheet()) return;
    if (data->hasUrls()) {
        std::string toOpen;
        for (const QUrl& url : data->urls()) {
            if (!url.isLocalFile()) continue;
            const std::string path = url.toLocalFile().toStdString();
            switch (ClassifyDroppedFile(path)) {
            case DroppedFile::Missing: AfxMessageBox("File not found"); break;
            case DroppedFile::Report:
            case DroppedFile::Template: toOpen = path; break;
            case DroppedFile::Other: break;
            }
        }
        // An open replaces the document and its views, this one too: it waits until the drop is handled.
        if (!toOpen.empty()) {
            CViewDocument* document = &m_document;
            QTimer::singleShot(0, this, [view = QPointer<CQuillmarkView>(this), document, toOpen] {
                if (view) document->OpenFile(toOpen);
            });
        }
        return;
    }
    if (data->hasFormat(kSheetDragFormat)) {
        const QByteArray record = data->data(kSheetDragFormat);
        CReportParam* param = m_document.DroppedParam(std::string(record.constData(), record.size()));
        if (param && m_editor.DropParam(ToPage(pixel), param)) viewport()->update();
    }
}

// --- The view's commands ---------------------------------------------------------------------------------------

// The element menus come from the report library's resources: the table names their commands by the same ids.
static_assert(int(ID_ELEMENT_FIX) == int(::ID_ELEM_FIX) && int(ID_ELEMENT_ALIGN) == int(::ID_ELEM_ALIGN) &&
              int(ID_ELEMENT_DELETE) == int(::ID_ELEM_DELETE) && int(ID_ELEMENT_PROPERTIES) == int(::ID_ELEM_PROPERTIES) &&
              int(ID_EDIT_COPY) == int(::ID_EDIT_COPY_CMD) && int(ID_EDIT_PASTE) == int(::ID_EDIT_PASTE_CMD));

namespace {

struct ViewCommand {
    int id;
    void (*run)(CQuillmarkView&);
};

// The element menus' fixing, rounding, deleting and properties are the same work as the main menu's.
constexpr ViewCommand kViewCommands[] = {
    {ID_VIEW_FIT, [](CQuillmarkView& v) { v.FitPage(); }},
    {ID_VIEW_1TO1, [](CQuillmarkView& v) { v.ZoomOneToOne(); }},
    {ID_PROPERTIES, [](CQuillmarkView& v) { v.ShowProperties(); }},
    {ID_ELEMENT_PROPERTIES, [](CQuillmarkView& v) { v.ShowProperties(); }},
    {ID_ELEMENT_DELETE, [](CQuillmarkView& v) { v.DeleteSelection(); }},
    {ID_EDIT_COPY, [](CQuillmarkView& v) { v.CopySelection(); }},
    {ID_EDIT_PASTE, [](CQuillmarkView& v) { v.ArmPaste(); }},
    {ID_SELECT_ALL, [](CQuillmarkView& v) { v.SelectAll(); }},
    {ID_EDIT_TEXT, [](CQuillmarkView& v) { v.EditText(); }},
    {ID_ALIGN_LEFT, [](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Left); }},
    {ID_ALIGN_RIGHT, [](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Right); }},
    {ID_ALIGN_TOP, [](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Top); }},
    {ID_ALIGN_BOTTOM, [](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Bottom); }},
    {ID_ALIGN_WIDTH, [](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Width); }},
    {ID_ALIGN_HEIGHT, [](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Height); }},
    {ID_ALIGN_SIZE, [](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::WidthAndHeight); }},
    {ID_ALIGN_MM, [](CQuillmarkView& v) { v.ElementCommands().RoundToMillimetres(); }},
    {ID_ELEMENT_ALIGN, [](CQuillmarkView& v) { v.ElementCommands().RoundToMillimetres(); }},
    {ID_FIX_ELEMENTS, [](CQuillmarkView& v) { v.ElementCommands().ToggleFixed(); }},
    {ID_ELEMENT_FIX, [](CQuillmarkView& v) { v.ElementCommands().ToggleFixed(); }},
    {ID_TEXT_BOLD, [](CQuillmarkView& v) { v.ElementCommands().ToggleBold(); }},
    {ID_TEXT_ITALIC, [](CQuillmarkView& v) { v.ElementCommands().ToggleItalic(); }},
    {ID_TEXT_UNDERLINE, [](CQuillmarkView& v) { v.ElementCommands().ToggleUnderline(); }},
    {ID_TEXT_LEFT, [](CQuillmarkView& v) { v.ElementCommands().SetTextAlign(kAlignLeft); }},
    {ID_TEXT_CENTER, [](CQuillmarkView& v) { v.ElementCommands().SetTextAlign(kAlignHCenter); }},
    {ID_TEXT_RIGHT, [](CQuillmarkView& v) { v.ElementCommands().SetTextAlign(kAlignRight); }},
    {ID_TEXT_HORIZONTAL, [](CQuillmarkView& v) { v.ElementCommands().SetOrientation(0); }},
    {ID_TEXT_VERTICAL, [](CQuillmarkView& v) { v.ElementCommands().SetOrientation(1); }},
    {ID_TEXT_FONT, [](CQuillmarkView& v) { v.ElementCommands().ChooseFont(&v); }},
};

constexpr auto kViewCommandIds = [] {
    std::array<int, std::size(kViewCommands)> ids{};
    for (size_t i = 0; i < ids.size(); ++i) ids[i] = kViewCommands[i].id;
    return ids;
}();

}  // namespace

std::span<const int> ViewCommandIds() { return kViewCommandIds; }

bool RunViewCommand(CQuillmarkView& view, int id) {
    for (const ViewCommand& command : kViewCommands)
        if (command.id == id) {
            command.run(view);
            return true;
        }
    return false;
}

}  // namespace quillmark
