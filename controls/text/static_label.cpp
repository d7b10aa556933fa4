#include "controls/text/static_label.h"

#include <cmath>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include "controls/desktop_opener.h"
#include "controls/text/text_rotator.h"
#include "platform/gdi/sys_colors.h"

namespace zor {

unsigned ApplyStaticAlignment(unsigned stored, unsigned value) {
    if (value & kHorzAlignMask) {
        unsigned h = 0;
        if (value & AlignRight) h = AlignRight;
        if (value & AlignCenter) h = AlignCenter;
        if (value & AlignLeft) h = AlignLeft;
        stored = h;
    }
    if (value & AlignBottom) stored |= AlignBottom;
    else if (value & AlignVCenter) stored |= AlignVCenter;
    else if (value & AlignTop) stored |= AlignTop;
    return stored;
}

COLORREF FlashBackColor(COLORREF back, bool isDefault, bool offPhase) {
    if (!offPhase)
        return back;
    return isDefault ? back >> 1 : GetSysColor(COLOR_BTNFACE);
}

int PixelSizeOfLogHeight(int32_t lfHeight, int defaultPixels, double emPerCell) {
    if (lfHeight == 0)
        return defaultPixels;
    if (lfHeight < 0)
        return -lfHeight;
    return std::max(1, static_cast<int>(std::lround(lfHeight * emPerCell)));
}

}  // namespace zor

namespace {

using namespace zor;

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

CzorStatic::BitmapLoader& Loader() {
    static CzorStatic::BitmapLoader loader;
    return loader;
}

}  // namespace

void CzorStatic::SetBitmapLoader(BitmapLoader loader) { Loader() = std::move(loader); }

CzorStatic::CzorStatic(QWidget* parent)
    : QLabel(parent), m_back(GetSysColor(COLOR_BTNFACE)), m_textBack(GetSysColor(COLOR_BTNFACE)),
      m_textColor(GetSysColor(COLOR_WINDOWTEXT)), m_highlightColor(GetSysColor(COLOR_HIGHLIGHT)),
      m_savedTextColor(m_textColor) {
    const QFont gui = QApplication::font();
    m_logFont.SetFaceName(gui.family().toStdString());
    m_logFont.lfHeight = -QFontInfo(gui).pixelSize();
    m_logFont.lfWeight = 400;
    MakeFont();
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(50);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CzorStatic::OnHover);
    connect(&m_textTimer, &QTimer::timeout, this, &CzorStatic::OnTextFlashTick);
    connect(&m_backTimer, &QTimer::timeout, this, &CzorStatic::OnBackFlashTick);
    setMouseTracking(true);
    // A host's text is shown as it stands, never read as markup.
    setTextFormat(Qt::PlainText);
}

CzorStatic& CzorStatic::Redraw() {
    update();
    return *this;
}

void CzorStatic::MakeFont() {
    QFont f(QString::fromUtf8(m_logFont.FaceName().data(), static_cast<qsizetype>(m_logFont.FaceName().size())));
    const QFontMetricsF probe([&] { QFont p = f; p.setPixelSize(100); return p; }());
    const double emPerCell = probe.height() > 0 ? 100.0 / probe.height() : 1.0;
    f.setPixelSize(PixelSizeOfLogHeight(m_logFont.lfHeight, QFontInfo(QApplication::font()).pixelSize(), emPerCell));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(m_logFont.lfWeight ? m_logFont.lfWeight : 400, 1, 1000)));
    f.setItalic(m_logFont.lfItalic != 0);
    f.setUnderline(m_logFont.lfUnderline != 0);
    setFont(f);
}

CzorStatic& CzorStatic::SetText(const char* text) {
    m_text = text ? text : "";
    QLabel::setText(QString::fromStdString(m_text));
    return Redraw();
}

CzorStatic& CzorStatic::SetTextColor(COLORREF c) { m_textColor = c; m_defaultText = false; return Redraw(); }
CzorStatic& CzorStatic::SetDefaultTextColor() { m_textColor = GetSysColor(COLOR_WINDOWTEXT); m_defaultText = true; return Redraw(); }
CzorStatic& CzorStatic::SetTextBackColor(COLORREF c) { m_textBack = c; m_defaultTextBack = false; return Redraw(); }
CzorStatic& CzorStatic::SetDefaultTextBackColor() { m_textBack = GetSysColor(COLOR_BTNFACE); m_defaultTextBack = true; return Redraw(); }
CzorStatic& CzorStatic::SetBkColor(COLORREF c) { m_back = c; m_defaultBack = false; return Redraw(); }
CzorStatic& CzorStatic::SetDefaultBkColor() { m_back = GetSysColor(COLOR_BTNFACE); m_defaultBack = true; return Redraw(); }
CzorStatic& CzorStatic::SetHighLightColor(COLORREF c) { m_highlightColor = c; return Redraw(); }
CzorStatic& CzorStatic::SetFontBold(int on) { m_logFont.lfWeight = on ? 700 : 400; MakeFont(); return Redraw(); }
CzorStatic& CzorStatic::SetFontItalic(int on) { m_logFont.lfItalic = on ? 1 : 0; MakeFont(); return Redraw(); }
CzorStatic& CzorStatic::SetFontName(const char* face) { m_logFont.SetFaceName(face ? face : ""); MakeFont(); return Redraw(); }
CzorStatic& CzorStatic::SetFontSize(int height) { m_logFont.lfHeight = height; MakeFont(); return Redraw(); }
CzorStatic& CzorStatic::SetFontUnderline(int on) { m_logFont.lfUnderline = on ? 1 : 0; MakeFont(); return Redraw(); }

CzorStatic& CzorStatic::SetAlignment(unsigned align) {
    m_align = ApplyStaticAlignment(m_align, align);
    const unsigned h = GetHorzAlignment();
    const unsigned v = GetVertAlignment();
    setAlignment((h == AlignRight ? Qt::AlignRight : h == AlignCenter ? Qt::AlignHCenter : Qt::AlignLeft) |
                 (v == AlignBottom ? Qt::AlignBottom : v == AlignVCenter ? Qt::AlignVCenter : Qt::AlignTop));
    return Redraw();
}

unsigned CzorStatic::GetHorzAlignment() const {
    return m_align & AlignLeft ? AlignLeft : m_align & AlignCenter ? AlignCenter : m_align & AlignRight ? AlignRight : 0;
}
unsigned CzorStatic::GetVertAlignment() const {
    return m_align & AlignTop ? AlignTop : m_align & AlignVCenter ? AlignVCenter : m_align & AlignBottom ? AlignBottom : 0;
}
unsigned CzorStatic::GetHorzAlignmentIndex() const {
    const unsigned h = GetHorzAlignment();
    return h == AlignCenter ? 1 : h == AlignRight ? 2 : 0;
}
unsigned CzorStatic::GetVertAlignmentIndex() const {
    const unsigned v = GetVertAlignment();
    return v == AlignVCenter ? 1 : v == AlignBottom ? 2 : 0;
}

CzorStatic& CzorStatic::SetAngle(unsigned angle) { m_angle = angle; return Redraw(); }
CzorStatic& CzorStatic::SetVerticalText(int on) { m_vertical = on; return Redraw(); }
CzorStatic& CzorStatic::SetUpperCase(int on) { m_upper = on; if (on) m_lower = 0; return Redraw(); }
CzorStatic& CzorStatic::SetLowerCase(int on) { m_lower = on; if (on) m_upper = 0; return Redraw(); }
CzorStatic& CzorStatic::UseBevelLine(int on) { m_bevel = on; return Redraw(); }

void CzorStatic::ApplyFrame() {
    setFrameStyle(m_sunken ? QFrame::Panel | QFrame::Sunken : m_border ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    setLineWidth(1);
}

CzorStatic& CzorStatic::SetBorder(int on) { m_border = on != 0; ApplyFrame(); return Redraw(); }
CzorStatic& CzorStatic::SetSunken(int on) { m_sunken = on != 0; ApplyFrame(); return Redraw(); }
CzorStatic& CzorStatic::SetDisabled(int on) { setEnabled(!on); return Redraw(); }

CzorStatic& CzorStatic::SetBackImage(unsigned bitmapId) {
    if (bitmapId == static_cast<unsigned>(-1))
        m_image = QPixmap();
    else
        m_image = Loader() ? Loader()(bitmapId) : QPixmap();
    return Redraw();
}

CzorStatic& CzorStatic::SetBackImage(const QPixmap& image) { m_image = image; return Redraw(); }

CzorStatic& CzorStatic::StretchBitmap(int on) {
    m_stretch = on;
    if (!m_image.isNull())
        update();
    return *this;
}

CzorStatic& CzorStatic::SetLink(int on) { m_link = on; return *this; }
CzorStatic& CzorStatic::SetLinkCursor(const QCursor& cursor) { setCursor(cursor); return *this; }

CzorStatic& CzorStatic::UseHighLighting(int on) {
    m_highlight = on;
    if (!on && m_hovering) {
        m_hovering = false;
        SetTextColor(m_savedTextColor);
    }
    return *this;
}

CzorStatic& CzorStatic::FlashText(int on, unsigned ms) {
    if (m_textTimer.isActive()) {
        QLabel::setText(QString::fromStdString(m_text));
        m_textTimer.stop();
        m_textOff = false;
    }
    if (on)
        m_textTimer.start(static_cast<int>(ms));
    else
        update();
    return *this;
}

CzorStatic& CzorStatic::FlashBackground(int on, unsigned ms) {
    if (m_backTimer.isActive()) {
        m_backTimer.stop();
        m_backOff = false;
    }
    if (on)
        m_backTimer.start(static_cast<int>(ms));
    else
        update();
    return *this;
}

void CzorStatic::ForceNoOwnerDraw(int on) {
    m_noOwnerDraw = on;
    update();
}

void CzorStatic::OnTextFlashTick() {
    m_textOff = !m_textOff;
    QLabel::setText(m_textOff ? QString() : QString::fromStdString(m_text));
    if (!m_textOff || (!m_defaultBack && m_back != GetSysColor(COLOR_BTNFACE)))
        update();
}

void CzorStatic::OnBackFlashTick() {
    m_backOff = !m_backOff;
    update();
}

void CzorStatic::OnHover() {
    if (!m_highlight || m_hovering)
        return;
    m_hovering = true;
    m_savedTextColor = m_textColor;
    update();
}

void CzorStatic::enterEvent(QEnterEvent* e) {
    QLabel::enterEvent(e);
    m_hoverTimer.start();
}

void CzorStatic::leaveEvent(QEvent* e) {
    QLabel::leaveEvent(e);
    m_hoverTimer.stop();
    if (m_hovering) {
        m_hovering = false;
        m_textColor = m_savedTextColor;
        update();
    }
}

void CzorStatic::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (m_link && e->button() == Qt::LeftButton)
        OpenThroughDesktop(m_text);
}

QString CzorStatic::DisplayText() const {
    QString text = QString::fromStdString(m_text);
    if (m_vertical) {
        QString lines;
        for (const QChar c : text) {
            if (!lines.isEmpty())
                lines += '\n';
            lines += c;
        }
        text = lines;
    }
    if (m_upper)
        text = text.toUpper();
    else if (m_lower)
        text = text.toLower();
    return text;
}

void CzorStatic::paintEvent(QPaintEvent* e) {
    if (m_noOwnerDraw) {
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, ToQColor(GetTextColor()));
        pal.setColor(QPalette::Window, ToQColor(CurrentBackColor()));
        if (pal != palette())
            setPalette(pal);  // changes only when the colours did, so painting does not ask to paint again
        setAutoFillBackground(true);
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    const QRect area = contentsRect();
    p.fillRect(rect(), ToQColor(CurrentBackColor()));
    if (!m_image.isNull()) {
        if (m_stretch)
            p.drawPixmap(area, m_image);
        else
            p.drawPixmap(area.center() - QPoint(m_image.width() / 2, m_image.height() / 2), m_image);
    }
    const QString text = DisplayText();
    p.setFont(font());
    const unsigned h = GetHorzAlignment(), v = GetVertAlignment();
    if (!m_image.isNull() && m_angle == 0 && (!text.contains('\n') || v == AlignTop)) {
        // Straight onto the image, so the image shows between the letters.
        p.setPen(ToQColor(GetTextColor()));
        const int flags = (h == AlignRight ? Qt::AlignRight : h == AlignCenter ? Qt::AlignHCenter : Qt::AlignLeft) |
                          (v == AlignBottom ? Qt::AlignBottom : v == AlignVCenter ? Qt::AlignVCenter : Qt::AlignTop);
        p.drawText(area, flags, text);
        QFrame::drawFrame(&p);
        return;
    }
    CzorTextRotator rotator(&p, text.toUtf8().constData(), h == AlignRight ? 2 : h == AlignCenter ? 1 : 0,
                            v == AlignBottom ? 2 : v == AlignVCenter ? 1 : 0);
    rotator.SetTextColor(GetTextColor());
    rotator.SetDisabledText(!isEnabled());
    rotator.DrawBevelLine(m_bevel != 0);
    rotator.SetBackgroundColor(m_defaultTextBack ? CurrentBackColor() : m_textBack);
    if (rotator.RotateText(m_angle))
        rotator.BitBltText(CRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1));
    QFrame::drawFrame(&p);
}
