#include "controls/dialogs/title_tip.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "controls/dialogs/widget_colors.h"
#include "platform/gdi/sys_colors.h"

CzorTitleTip::CzorTitleTip(zor::CClickRelay::Clock clock)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), m_clicks(std::move(clock)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

bool CzorTitleTip::Create(QWidget* parent) {
    m_owner = parent;
    return parent != nullptr;
}

QFont CzorTitleTip::TipFont() const {
    if (m_ownFont || !m_owner) return m_ownFont ? m_font : QApplication::font();
    return m_owner->font();
}

void CzorTitleTip::Show(const CRect& cell, const QString& text) {
    m_text = text;
    m_cell = cell.Size();
    const QFont font = TipFont();
    setFont(font);
    const QFontMetrics metrics(font);
    const CSize extent(metrics.horizontalAdvance(text), metrics.height());
    const auto place = zor::TitleTipRect(cell, extent, m_offsetX, m_offsetY);
    // A tip left over another cell would show a stale text.
    if (!place) return Hide();
    const QRect target(place->left, place->top, place->Width(), place->Height());
    if (geometry() != target) setGeometry(target);
    show();
    update();
    m_shown = *place;
}

void CzorTitleTip::Hide() {
    if (isVisible()) hide();
    m_shown = CRect();
}

void CzorTitleTip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    auto sys = [&p](int index) { return zor::ToQColor(zor::ScreenSysColor(p, index)); };
    p.fillRect(rect(), sys(COLOR_INFOBK));
    p.setFont(TipFont());
    p.setPen(sys(COLOR_INFOTEXT));
    p.drawText(QRect(m_offsetX, m_offsetY, width() - m_offsetX, height() - m_offsetY),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_text);
    p.setPen(sys(COLOR_MENUTEXT));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CzorTitleTip::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (zor::LeavesCell(CPoint(p.x(), p.y()), m_cell)) Hide();
}

void CzorTitleTip::leaveEvent(QEvent*) { Hide(); }

void CzorTitleTip::PassOn(QMouseEvent* event, QEvent::Type type) {
    if (!m_owner) return;
    const QPointF global = event->globalPosition();
    const QPointF local = m_owner->mapFromGlobal(global);
    QApplication::postEvent(m_owner, new QMouseEvent(type, local, global, event->button(), event->buttons(),
                                                     event->modifiers()));
}

void CzorTitleTip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    QEvent::Type type = QEvent::MouseButtonPress;
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_clicks.PressIsDoubleClick(CPoint(p.x(), p.y())))
        type = QEvent::MouseButtonDblClick;
    PassOn(event, type);
}

void CzorTitleTip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        PassOn(event, QEvent::MouseButtonRelease);
}

// The tip counts double clicks itself, by its own clock: the window system's second press is a press.
void CzorTitleTip::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }
