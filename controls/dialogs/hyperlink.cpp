#include "controls/dialogs/hyperlink.h"

#include <optional>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>

#include "controls/dialogs/widget_colors.h"
#include "platform/gdi/sys_colors.h"
#include "platform/ui/messages.h"

COLORREF CzorHyperLink::g_crLinkColor = RGB(0, 0, 255);
COLORREF CzorHyperLink::g_crActiveColor = RGB(0, 128, 128);
COLORREF CzorHyperLink::g_crVisitedColor = RGB(128, 0, 128);
COLORREF CzorHyperLink::g_crHoverColor = RGB(255, 0, 0);

namespace {

std::optional<QCursor>& LinkCursor() {
    static std::optional<QCursor> cursor;
    return cursor;
}

zor::LinkLauncher& Launcher() {
    static zor::LinkLauncher launcher = zor::DesktopLinkLauncher();
    return launcher;
}

}  // namespace

CzorHyperLink::CzorHyperLink(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

CzorHyperLink::CzorHyperLink(const QString& text, const std::string& url, QWidget* parent) : CzorHyperLink(parent) {
    setText(text);
    m_url = url;
    PreSubclassWindow();
}

void CzorHyperLink::PreSubclassWindow() {
    std::string text = QLabel::text().toStdString();
    zor::DefaultUrlAndText(m_url, text);
    QLabel::setText(QString::fromStdString(text));
    ApplyFont(font());
    AdjustWindow();
    if (!(m_style & StyleNoHandCursor)) setCursor(GetLinkCursor());
    setToolTip(QString::fromStdString(m_url));
    Refresh();
}

void CzorHyperLink::ApplyFont(QFont f) {
    f.setUnderline((m_style & StyleUnderline) != 0);
    QLabel::setFont(f);
}

void CzorHyperLink::SetURL(const std::string& url) {
    m_url = url;
    AdjustWindow();
    setToolTip(QString::fromStdString(m_url));
}

void CzorHyperLink::SetWindowText(const QString& text) {
    QLabel::setText(text);
    AdjustWindow();
}

void CzorHyperLink::SetFont(const QFont& f) {
    ApplyFont(f);
    AdjustWindow();
}

void CzorHyperLink::SwitchUnderline() { ApplyFont(font()); }

bool CzorHyperLink::ModifyLinkStyle(uint32_t remove, uint32_t add, bool apply) {
    if (!zor::ModifyLinkStyle(m_style, remove, add)) return false;
    if (apply) {
        if ((remove | add) & StyleUnderline) SwitchUnderline();
        if (add & StyleAutoSize) AdjustWindow();
        if (remove & StyleUseHover) Refresh();
    }
    return true;
}

void CzorHyperLink::SetVisited(bool visited) {
    m_visited = visited;
    Refresh();
}

COLORREF CzorHyperLink::TextColor() const {
    HYPERLINKCOLORS colors;
    GetColors(colors);
    return zor::LinkTextColor(m_style, m_over, m_active, m_visited, colors);
}

void CzorHyperLink::Refresh() {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, zor::ToQColor(TextColor()));
    setPalette(pal);
    update();
}

void CzorHyperLink::SetColors(COLORREF link, COLORREF active, COLORREF visited, COLORREF hover) {
    g_crLinkColor = link;
    g_crActiveColor = active;
    g_crVisitedColor = visited;
    g_crHoverColor = hover == static_cast<COLORREF>(-1) ? GetSysColor(COLOR_HIGHLIGHT) : hover;
}

void CzorHyperLink::SetColors(const HYPERLINKCOLORS& c) {
    g_crLinkColor = c.crLink;
    g_crActiveColor = c.crActive;
    g_crVisitedColor = c.crVisited;
    g_crHoverColor = c.crHover;
}

void CzorHyperLink::GetColors(HYPERLINKCOLORS& c) {
    c = {g_crLinkColor, g_crActiveColor, g_crVisitedColor, g_crHoverColor};
}

void CzorHyperLink::SetLinkCursor(const QCursor* cursor) {
    if (cursor) LinkCursor() = *cursor;
    else LinkCursor().reset();
}

QCursor CzorHyperLink::GetLinkCursor() { return LinkCursor().value_or(QCursor(Qt::PointingHandCursor)); }

void CzorHyperLink::SetLauncher(const zor::LinkLauncher& launcher) {
    Launcher() = launcher.open || launcher.htmlHandlerCommand || launcher.start ? launcher : zor::DesktopLinkLauncher();
}

int CzorHyperLink::GotoURL(const std::string& url, int) { return zor::GotoUrl(url, Launcher()); }

void CzorHyperLink::ReportError(int code) { AfxMessageBox(zor::LinkErrorText(code), MB_OK | MB_ICONEXCLAMATION); }

void CzorHyperLink::FollowLink() {
    const int result = GotoURL(m_url, 1);
    if (result <= 32) {
        QApplication::beep();
        ReportError(result);
        return;
    }
    SetVisited(true);
}

void CzorHyperLink::AdjustWindow() {
    if (!(m_style & StyleAutoSize)) return;
    const QFontMetrics metrics(font());
    const QSize text = metrics.size(Qt::TextSingleLine, QLabel::text());
    const Qt::Alignment a = alignment();
    const zor::FitAlign h = (a & Qt::AlignHCenter) ? zor::FitAlign::Centre
                          : (a & Qt::AlignRight)   ? zor::FitAlign::Right
                                                   : zor::FitAlign::Left;
    const int pad = 2 * (QLabel::margin() + frameWidth());
    const QRect g = geometry();
    const CRect fitted = zor::FitToText(CRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height()),
                                        CSize(text.width() + pad, text.height() + pad), h,
                                        (a & Qt::AlignVCenter) != 0);
    setGeometry(fitted.left, fitted.top, fitted.Width(), fitted.Height());
}

void CzorHyperLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (!m_over) {
        m_over = true;
        Refresh();
    }
}

void CzorHyperLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (m_over) {
        m_over = false;
        Refresh();
    }
}

void CzorHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
    if (m_style & StyleGetFocusOnClick) setFocus(Qt::MouseFocusReason);
    if (m_style & StyleDownClick) FollowLink();
    m_active = true;
    Refresh();
}

void CzorHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QLabel::mouseReleaseEvent(event);
    if (m_active && !(m_style & StyleDownClick)) FollowLink();
}

void CzorHyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) FollowLink();
    else QLabel::keyPressEvent(event);
}

void CzorHyperLink::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    m_active = true;
    Refresh();
}

void CzorHyperLink::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    m_over = false;
    m_active = false;
    Refresh();
}
