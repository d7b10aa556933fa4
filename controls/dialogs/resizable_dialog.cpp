#include "controls/dialogs/resizable_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QResizeEvent>
#include <QSizeGrip>
#include <QStyle>

#include "platform/settings/profile.h"

namespace {

CRect ToCRect(const QRect& r) { return CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }
CSize ClientSize(const QWidget* w) { return CSize(w->width(), w->height()); }

}  // namespace

CzorResizableDialog::CzorResizableDialog(QWidget* parent) : QDialog(parent) { Construct(); }

CzorResizableDialog::CzorResizableDialog(unsigned templateId, QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(templateId));
    Construct();
}

CzorResizableDialog::~CzorResizableDialog() {
    // A dialog deleted while open still keeps its placement.
    if (m_initialized) Teardown();
}

void CzorResizableDialog::Construct() {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_gripSize = CSize(extent, extent);
    m_gripWidget = new QSizeGrip(this);
    m_gripWidget->hide();
}

bool CzorResizableDialog::Expand(HTREEITEM, unsigned) { return true; }
bool CzorResizableDialog::Expand(unsigned) { return true; }
bool CzorResizableDialog::Expanded(HTREEITEM, unsigned) { return true; }
void CzorResizableDialog::RefreshAllItems() {}
void CzorResizableDialog::Sort(int) {}
void CzorResizableDialog::RefreshItem(HTREEITEM) {}
void CzorResizableDialog::UpdateUserData() {}

bool CzorResizableDialog::OnInitDialog() {
    UpdateGripPos();
    // Whatever was set before, the dialog cannot get smaller than it opens.
    m_minTrack = ClientSize(this);
    m_useMinTrack = true;
    m_initialized = true;
    ApplyLimits();
    return true;
}

void CzorResizableDialog::setVisible(bool visible) {
    // Before the window appears, at the size it was built with, as a dialog initialises.
    if (visible && !m_initialized) OnInitDialog();
    QDialog::setVisible(visible);
    if (visible) ApplyMaximizedRect();
}

void CzorResizableDialog::ApplyMaximizedRect() {
    if (m_initialized && m_useMaxRect && (windowState() & Qt::WindowMaximized))
        setGeometry(m_maxRect.left, m_maxRect.top, m_maxRect.Width(), m_maxRect.Height());
}

void CzorResizableDialog::AddAnchor(QWidget* control, CSize topLeft, CSize bottomRight) {
    if (!control) return;
    // Text labels redraw after every pass: their text is aligned within their own width.
    const bool repaint = qobject_cast<QLabel*>(control) != nullptr;
    m_layout.Add(control, ToCRect(control->geometry()), ClientSize(this), topLeft, bottomRight, repaint);
}

void CzorResizableDialog::AddAnchor(unsigned controlId, CSize topLeft, CSize bottomRight) {
    AddAnchor(findChild<QWidget*>(QString::number(controlId)), topLeft, bottomRight);
}

bool CzorResizableDialog::ModifyAnchor(QWidget* control) {
    return control && m_layout.Modify(control, ToCRect(control->geometry()), ClientSize(this));
}

void CzorResizableDialog::ArrangeLayout() {
    UpdateGripPos();
    const auto moves = m_layout.Arrange(ClientSize(this), [](const void* c) {
        return ToCRect(static_cast<const QWidget*>(c)->geometry());
    });
    for (const auto& m : moves) {
        auto* w = const_cast<QWidget*>(static_cast<const QWidget*>(m.control));
        w->setGeometry(m.rect.left, m.rect.top, m.rect.Width(), m.rect.Height());
    }
    for (const auto& info : m_layout.Records())
        if (info.repaint) const_cast<QWidget*>(static_cast<const QWidget*>(info.control))->update();
}

void CzorResizableDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!m_initialized) return;
    ArrangeLayout();
    UpdateUserData();
}

void CzorResizableDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (isVisible()) ApplyMaximizedRect();
    UpdateGripPos();
}

void CzorResizableDialog::UpdateGripPos() {
    m_grip = zor::GripRect(ClientSize(this), m_gripSize);
    m_gripWidget->setGeometry(m_grip.left, m_grip.top, m_grip.Width(), m_grip.Height());
    // A maximised dialog draws no grip (QSizeGrip also hides itself then).
    m_gripWidget->setVisible(m_initialized && m_showGrip && !(windowState() & Qt::WindowMaximized));
    m_gripWidget->raise();
}

bool CzorResizableDialog::HitTestGrip(const CPoint& point) const { return zor::HitsGrip(m_showGrip, m_grip, point); }

void CzorResizableDialog::ShowSizeGrip(bool show) {
    if (show == m_showGrip) return;
    m_showGrip = show;
    UpdateGripPos();
}

void CzorResizableDialog::ApplyLimits() {
    if (!m_initialized) return;
    setMinimumSize(m_useMinTrack ? QSize(m_minTrack.cx, m_minTrack.cy) : QSize(0, 0));
    setMaximumSize(m_useMaxTrack ? QSize(m_maxTrack.cx, m_maxTrack.cy) : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void CzorResizableDialog::SetMinTrackSize(const CSize& size) {
    m_useMinTrack = true;
    m_minTrack = size;
    ApplyLimits();
}
void CzorResizableDialog::ResetMinTrackSize() {
    m_useMinTrack = false;
    ApplyLimits();
}
void CzorResizableDialog::SetMaxTrackSize(const CSize& size) {
    m_useMaxTrack = true;
    m_maxTrack = size;
    ApplyLimits();
}
void CzorResizableDialog::ResetMaxTrackSize() {
    m_useMaxTrack = false;
    ApplyLimits();
}
void CzorResizableDialog::SetMaximizedRect(const CRect& rect) {
    m_useMaxRect = true;
    m_maxRect = rect;
}
void CzorResizableDialog::ResetMaximizedRect() { m_useMaxRect = false; }

void CzorResizableDialog::EnableSaveRestore(const std::string& section, const std::string& entry) {
    m_section = section;
    m_entry = entry;
    m_saveRestore = true;
    LoadWindowRect();
}

void CzorResizableDialog::SaveWindowRect() {
    zor::WindowPlacement p;
    // The normal rectangle is the client area on the screen: what Qt can put back exactly.
    const QRect normal = (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) ? normalGeometry() : geometry();
    p.normal = ToCRect(normal.isValid() ? normal : geometry());
    p.showCmd = (windowState() & Qt::WindowMaximized) ? zor::SW_SHOWMAXIMIZED
              : (windowState() & Qt::WindowMinimized) ? zor::SW_SHOWMINIMIZED
                                                      : zor::SW_SHOWNORMAL;
    WriteProfileString(m_section, m_entry, zor::FormatPlacement(p));
}

void CzorResizableDialog::LoadWindowRect() {
    const std::string text = GetProfileString(m_section, m_entry);
    if (text.empty()) return;
    const auto p = zor::ParsePlacement(text);
    if (!p) return;
    setGeometry(p->normal.left, p->normal.top, p->normal.Width(), p->normal.Height());
    if (p->showCmd == zor::SW_SHOWMAXIMIZED) setWindowState(windowState() | Qt::WindowMaximized);
    else if (p->showCmd == zor::SW_SHOWMINIMIZED) setWindowState(windowState() | Qt::WindowMinimized);
}

void CzorResizableDialog::Teardown() {
    if (m_saveRestore) SaveWindowRect();
    m_layout.Clear();
    m_initialized = false;
}

void CzorResizableDialog::done(int result) {
    if (m_initialized) Teardown();
    QDialog::done(result);
}
