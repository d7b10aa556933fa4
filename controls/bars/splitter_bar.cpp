#include "controls/bars/splitter_bar.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/dialogs/widget_colors.h"
#include "platform/gdi/screen_colors.h"

namespace {

CRect ToCRect(const QRect& r) { return CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }
QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// The drag rectangle: a grey checkerboard, the nearest Qt has to a halftone frame.
class DragOverlay : public QWidget {
public:
    explicit DragOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QBrush(Qt::darkGray, Qt::Dense4Pattern));
    }
};

}  // namespace

CzorSplitterBar::~CzorSplitterBar() { delete m_dragOverlay; }

bool CzorSplitterBar::Create(const QRect& rect, QWidget* parent, int id, bool horizontal) {
    if (!parent) return false;
    m_rules.horizontal = horizontal;
    setParent(parent);
    setObjectName(QString::number(id));
    setGeometry(rect);
    setCursor(horizontal ? Qt::SplitVCursor : Qt::SplitHCursor);
    raise();
    m_dragStart = ToCRect(geometry());
    m_limits = m_rules.ClientLimits(ToCRect(parent->rect()));
    show();
    return true;
}

void CzorSplitterBar::SetPanes(QWidget* first, QWidget* second) {
    m_first = first;
    m_second = second;
    if (!first || !second) return;
    setGeometry(ToQRect(m_rules.PlaceOnPane(ToCRect(first->geometry()))));
    MovePanes();
    m_limits = m_rules.PaneLimits(ToCRect(first->geometry()), ToCRect(second->geometry()));
}

void CzorSplitterBar::MovePanes() {
    if (!m_first || !m_second) return;
    CRect first = ToCRect(m_first->geometry()), second = ToCRect(m_second->geometry());
    m_rules.FitPanes(ToCRect(geometry()), first, second);
    m_first->setGeometry(ToQRect(first));
    m_second->setGeometry(ToQRect(second));
    m_first->update();
    m_second->update();
    if (parentWidget()) parentWidget()->update();
}

void CzorSplitterBar::SetSizes(const QRect& first, const QRect& second) {
    m_dragStart = zor::StripBetween(ToCRect(first), ToCRect(second));
    m_lastDrag = ToCRect(first);
    update();
}

bool CzorSplitterBar::IsCursorOverSplitter(const QPoint& screenPoint) const {
    return rect().contains(mapFromGlobal(screenPoint));
}

QRect CzorSplitterBar::LastDragRect() const { return ToQRect(m_lastDrag); }

void CzorSplitterBar::DrawDraggingBar(const QPoint& point, bool dragging) {
    QWidget* parent = parentWidget();
    if (!parent) return;
    if (!m_dragOverlay) m_dragOverlay = new DragOverlay(parent);
    if (!dragging) {
        m_dragOverlay->hide();
        return;
    }
    m_lastDrag = m_rules.DragRect(m_dragStart, CPoint(point.x(), point.y()));
    m_dragOverlay->setGeometry(ToQRect(m_lastDrag));
    m_dragOverlay->raise();
    m_dragOverlay->show();
}

void CzorSplitterBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, zor::ToQColor(GetScreenSysColor(COLOR_BTNFACE)));
    p.setPen(zor::ToQColor(GetScreenSysColor(COLOR_BTNHIGHLIGHT)));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(zor::ToQColor(GetScreenSysColor(COLOR_BTNSHADOW)));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void CzorSplitterBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    grabMouse();
    m_dragging = true;
    m_dragStart = ToCRect(geometry());
    DrawDraggingBar(mapToParent(e->position().toPoint()));
}

void CzorSplitterBar::mouseMoveEvent(QMouseEvent* e) {
    if (m_dragging && (e->buttons() & Qt::LeftButton)) DrawDraggingBar(mapToParent(e->position().toPoint()));
    QWidget::mouseMoveEvent(e);
}

void CzorSplitterBar::mouseReleaseEvent(QMouseEvent* e) {
    if (m_dragging && e->button() == Qt::LeftButton) {
        const QPoint at = mapToParent(e->position().toPoint());
        DrawDraggingBar(at, false);
        const int pos = m_rules.horizontal ? at.y() : at.x();
        setGeometry(ToQRect(m_rules.Drop(ToCRect(geometry()), pos, m_limits)));
        update();
        releaseMouse();
        m_dragging = false;
        MovePanes();
        emit message(kMovedId, 0, 0);
        emit command(kMovedId);
    }
    QWidget::mouseReleaseEvent(e);
}
