#include "controls/dialogs/button.h"

#include <initializer_list>

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "controls/desktop_opener.h"
#include "controls/menu/menu_popup.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/module_resources.h"
#include "controls/dialogs/widget_colors.h"
#include "platform/gdi/sys_colors.h"

namespace {

using zor::ToQColor;

// A line through the points as the classic drawing calls draw it: each segment includes its
// first point and stops one short of its last. Segments are horizontal or vertical.
void ClassicPolyline(QPainter& p, std::initializer_list<QPoint> points, const QColor& colour) {
    const QPoint* prev = nullptr;
    for (const QPoint& pt : points) {
        if (prev) {
            const int dx = (pt.x() > prev->x()) - (pt.x() < prev->x());
            const int dy = (pt.y() > prev->y()) - (pt.y() < prev->y());
            for (QPoint q = *prev; q != pt; q += QPoint(dx, dy)) p.fillRect(QRect(q, QSize(1, 1)), colour);
        }
        prev = &pt;
    }
}

void FrameRect(QPainter& p, const CRect& r, const QColor& colour) {
    if (r.IsRectEmpty()) return;
    p.fillRect(QRect(r.left, r.top, r.Width(), 1), colour);
    p.fillRect(QRect(r.left, r.bottom - 1, r.Width(), 1), colour);
    p.fillRect(QRect(r.left, r.top, 1, r.Height()), colour);
    p.fillRect(QRect(r.right - 1, r.top, 1, r.Height()), colour);
}

// A three-dimensional rectangle: top and left in one colour, bottom and right in the other.
void Draw3dRect(QPainter& p, const CRect& r, const QColor& topLeft, const QColor& bottomRight) {
    if (r.IsRectEmpty()) return;
    p.fillRect(QRect(r.left, r.top, r.Width() - 1, 1), topLeft);
    p.fillRect(QRect(r.left, r.top, 1, r.Height() - 1), topLeft);
    p.fillRect(QRect(r.left, r.bottom - 1, r.Width(), 1), bottomRight);
    p.fillRect(QRect(r.right - 1, r.top, 1, r.Height()), bottomRight);
}

QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

CSize IconSize(const QIcon& icon) {
    QSize largest;
    for (const QSize& s : icon.availableSizes())
        if (s.width() * s.height() > largest.width() * largest.height()) largest = s;
    return CSize(largest.width(), largest.height());
}

}  // namespace

CzorButton::CzorButton(QWidget* parent) : QPushButton(parent) {
    setMouseTracking(true);
    setAutoDefault(false);
    connect(this, &QAbstractButton::clicked, this, &CzorButton::OnClicked);
}

CzorButton::~CzorButton() { DropMenu(); }

void CzorButton::DropMenu() {
    // The popups show the loaded menu's items: they go first.
    delete m_menu.data();
    m_menu = nullptr;
    m_menuResource.reset();
}

void CzorButton::Subclass(unsigned style) {
    m_look.Subclass(style);
    setDefault(m_look.GetDefault());
    update();
}

void CzorButton::SetButtonStyle(unsigned style) {
    m_look.ChangeStyle(style);
    setDefault(m_look.GetDefault());
    update();
}

void CzorButton::FreeImages() {
    m_images[0] = Image();
    m_images[1] = Image();
    m_imageCount = 0;
}

uint32_t CzorButton::SetIcon(const QIcon& in, const QIcon& out) {
    FreeImages();
    if (in.isNull()) {
        update();
        return zor::kButtonOk;
    }
    const QIcon* icons[2] = {&in, &out};
    for (int i = 0; i < 2; ++i) {
        if (i == 1 && out.isNull()) break;
        const CSize size = IconSize(*icons[i]);
        if (size.cx <= 0 || size.cy <= 0) {
            FreeImages();
            return zor::kButtonBadImage;
        }
        m_images[i].icon = *icons[i];
        m_images[i].pixmap = icons[i]->pixmap(QSize(size.cx, size.cy));
        m_images[i].size = size;
        m_imageCount = i + 1;
    }
    update();
    return zor::kButtonOk;
}

uint32_t CzorButton::SetBitmaps(const QPixmap& in, COLORREF transparentIn, const QPixmap& out, COLORREF transparentOut) {
    FreeImages();
    const QPixmap* bitmaps[2] = {&in, &out};
    const COLORREF keys[2] = {transparentIn, transparentOut};
    for (int i = 0; i < 2; ++i) {
        if (i == 1 && out.isNull()) break;
        if (bitmaps[i]->isNull()) {
            FreeImages();
            return zor::kButtonBadImage;
        }
        QPixmap pixmap = *bitmaps[i];
        const QBitmap mask = pixmap.createMaskFromColor(ToQColor(keys[i]), Qt::MaskInColor);
        if (mask.isNull()) {
            FreeImages();
            return zor::kButtonMaskFailed;
        }
        pixmap.setMask(mask);
        m_images[i].pixmap = pixmap;
        m_images[i].size = CSize(pixmap.width(), pixmap.height());
        m_imageCount = i + 1;
    }
    update();
    return zor::kButtonOk;
}

namespace {

// A bitmap resource with the colour of its transparent pixels; null when no module has the number.
QPixmap BitmapResource(int id) {
    const QImage image = id > 0 ? zor::FindBitmapResource(id) : QImage();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace

uint32_t CzorButton::SetIcon(int idIn, int idOut) {
    if (idIn == 0) return SetIcon(QIcon());
    const QPixmap in = BitmapResource(idIn), out = idOut ? BitmapResource(idOut) : QPixmap();
    if (in.isNull() || (idOut && out.isNull())) {
        FreeImages();
        update();
        return zor::kButtonBadImage;
    }
    const COLORREF grey = RGB(0xC0, 0xC0, 0xC0);
    auto icon = [&](QPixmap pixmap) {
        pixmap.setMask(pixmap.createMaskFromColor(ToQColor(grey), Qt::MaskInColor));
        return QIcon(pixmap);
    };
    return SetIcon(icon(in), idOut ? icon(out) : QIcon());
}

uint32_t CzorButton::SetBitmaps(int idIn, COLORREF transparentIn, int idOut, COLORREF transparentOut) {
    const QPixmap in = BitmapResource(idIn), out = idOut ? BitmapResource(idOut) : QPixmap();
    if (idOut && out.isNull()) {
        FreeImages();
        update();
        return zor::kButtonBadImage;
    }
    return SetBitmaps(in, transparentIn, out, transparentOut);
}

uint32_t CzorButton::SetFlat(bool flat, bool repaint) {
    m_look.SetFlat(flat);
    Repaint(repaint);
    return zor::kButtonOk;
}

uint32_t CzorButton::SetAlign(uint8_t align, bool repaint) {
    const uint32_t status = m_look.SetAlign(align);
    if (status == zor::kButtonOk) Repaint(repaint);
    return status;
}

uint32_t CzorButton::SetCheck(int check, bool repaint) {
    m_look.SetCheck(check);
    Repaint(repaint);
    return zor::kButtonOk;
}

uint32_t CzorButton::SetDefaultColors(bool repaint) {
    m_look.SetDefaultColors();
    Repaint(repaint);
    return zor::kButtonOk;
}

uint32_t CzorButton::SetColor(uint8_t index, COLORREF color, bool repaint) {
    const uint32_t status = m_look.SetColor(index, color);
    if (status == zor::kButtonOk) Repaint(repaint);
    return status;
}

uint32_t CzorButton::SetBtnCursor(const QCursor* cursor, bool repaint) {
    unsetCursor();
    if (!cursor) return zor::kButtonOk;
    if (cursor->shape() == Qt::BitmapCursor && cursor->pixmap().isNull() && cursor->bitmap().isNull())
        return zor::kButtonBadImage;
    setCursor(*cursor);
    Repaint(repaint);
    return zor::kButtonOk;
}

uint32_t CzorButton::DrawBorder(bool on, bool repaint) {
    m_look.DrawBorder(on);
    Repaint(repaint);
    return zor::kButtonOk;
}

uint32_t CzorButton::DrawFlatFocus(bool on, bool repaint) {
    m_look.DrawFlatFocus(on);
    Repaint(repaint);
    return zor::kButtonOk;
}

void CzorButton::SetTooltipText(const char* text, bool activate) {
    if (!text) return;
    m_tooltip = QString::fromUtf8(text);
    ActivateTooltip(activate);
}

void CzorButton::SetTooltipText(int id, bool activate) {
    std::string text;
    if (zor::FindStringResource(id, text) && !text.empty()) SetTooltipText(text.c_str(), activate);
}

void CzorButton::ActivateTooltip(bool activate) { setToolTip(activate ? m_tooltip : QString()); }

uint32_t CzorButton::DrawTransparent(bool on, bool repaint) {
    m_transparent = on;
    // The parent's own painting shows through where the button paints no background.
    if (on && parentWidget()) parentWidget()->update();
    Repaint(repaint);
    return zor::kButtonOk;
}

uint32_t CzorButton::SetURL(const char* url) { return m_look.SetURL(url ? url : ""); }

uint32_t CzorButton::SetMenu(QMenu* menu, QWidget* owner, bool repaint) {
    DropMenu();
    m_menu = menu;
    m_menuOwner = nullptr;
    if (!menu) return zor::kButtonOk;
    bool hasPopup = false;
    for (QAction* action : menu->actions()) hasPopup = hasPopup || action->menu();
    if (!hasPopup) {
        DropMenu();
        return zor::kButtonBadImage;
    }
    m_menuOwner = owner;
    Repaint(repaint);
    return zor::kButtonOk;
}

uint32_t CzorButton::SetMenu(unsigned menuId, QWidget* owner, bool repaint) {
    DropMenu();
    m_menuOwner = nullptr;
    if (menuId == 0) return zor::kButtonOk;
    auto loaded = std::make_unique<CzorMenu>();
    if (menuId > 0xFFFF || !loaded->LoadMenu(int(menuId))) return zor::kButtonBadImage;
    auto* popup = new CzorPopup(loaded->m_hMenu, owner, nullptr);
    popup->Rebuild();
    m_menuResource = std::move(loaded);
    m_menu = popup;
    m_menuOwner = owner;
    Repaint(repaint);
    return zor::kButtonOk;
}

void CzorButton::OnClicked() {
    if (m_look.IsCheckBox()) {
        m_look.Toggle();
        update();
    } else if (m_menu) {
        ShowDropMenu();
    } else if (!m_look.GetURL().empty()) {
        zor::OpenThroughDesktop(m_look.GetURL());
    }
}

void CzorButton::ShowDropMenu() {
    QMenu* popup = nullptr;
    for (QAction* action : m_menu->actions())
        if ((popup = action->menu())) break;
    if (!popup) return;
    m_menuShowing = true;
    repaint();
    const QPoint at = mapToGlobal(QPoint(0, height()));
    // A command of the menu may close the dialog and delete this button.
    const QPointer<CzorButton> alive(this);
    // A menu loaded from a resource has no actions of the caller's: its commands go to the owner's handler.
    QMetaObject::Connection toOwner;
    if (m_menuResource)
        toOwner = connect(popup, &QMenu::triggered, this, [owner = m_menuOwner](QAction* action) {
            if (const unsigned command = CommandOfAction(action); command && owner) CzorMenu::SendCommand(owner, command);
        });
    if (m_tracker) m_tracker(popup, at, m_menuOwner);
    else popup->exec(at);
    if (!alive) return;
    disconnect(toOwner);
    m_menuShowing = false;
    update();
}

zor::ButtonPaintState CzorButton::PaintState() const {
    zor::ButtonPaintState s;
    s.selected = isDown();
    s.focused = hasFocus();
    s.disabled = !isEnabled();
    s.menuShowing = m_menuShowing;
    return s;
}

uint32_t CzorButton::OnDrawBackground(QPainter& painter, const CRect& rect) {
    painter.fillRect(ToQRect(rect), ToQColor(m_look.Background(PaintState())));
    return 0;
}

uint32_t CzorButton::OnDrawBorder(QPainter& painter, const CRect& rect) {
    const QColor shadow = ToQColor(zor::ScreenSysColor(painter, COLOR_BTNSHADOW));
    const QColor light = ToQColor(zor::ScreenSysColor(painter, COLOR_BTNHIGHLIGHT));
    if (m_look.IsPressed(PaintState())) Draw3dRect(painter, rect, shadow, light);
    else Draw3dRect(painter, rect, light, shadow);
    return 0;
}

void CzorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const zor::ButtonPaintState s = PaintState();
    auto sys = [&p](int index) { return ToQColor(zor::ScreenSysColor(p, index)); };
    const CRect item(0, 0, width(), height());
    CRect r = item;

    if (m_look.DrawsOuterFrame(s)) {
        FrameRect(p, r, Qt::black);
        r.DeflateRect(1, 1);
    }
    if (!m_transparent) OnDrawBackground(p, r);

    switch (m_look.Border(s)) {
    case zor::ButtonBorder::ShadowFrame: FrameRect(p, r, sys(COLOR_BTNSHADOW)); break;
    case zor::ButtonBorder::FlatSunken:
    case zor::ButtonBorder::FlatRaised: OnDrawBorder(p, r); break;
    case zor::ButtonBorder::Classic: {
        const int l = r.left, t = r.top, rt = r.right, b = r.bottom;
        ClassicPolyline(p, {{l, b - 1}, {l, t}, {rt, t}}, sys(COLOR_BTNHIGHLIGHT));
        ClassicPolyline(p, {{l + 1, b - 1}, {l + 1, t + 1}, {rt, t + 1}}, sys(COLOR_3DLIGHT));
        ClassicPolyline(p, {{l, b - 1}, {rt - 1, b - 1}, {rt - 1, t - 1}}, sys(COLOR_3DDKSHADOW));
        ClassicPolyline(p, {{l + 1, b - 2}, {rt - 2, b - 2}, {rt - 2, t}}, sys(COLOR_BTNSHADOW));
        break;
    }
    case zor::ButtonBorder::None: break;
    }

    const QString caption = text();
    CRect captionRect = item;
    if (m_imageCount > 0) {
        const Image& image = m_images[m_look.ImageIndex(s, m_imageCount > 1)];
        const zor::ButtonPlacement place = m_look.Place(item, image.size, !caption.isEmpty(), s);
        captionRect = place.caption;
        const QPoint at(place.image.left + 1, place.image.top);
        if (!image.icon.isNull() && s.disabled)
            p.drawPixmap(at, image.icon.pixmap(QSize(image.size.cx, image.size.cy), QIcon::Disabled));
        else
            p.drawPixmap(at, image.pixmap);
    }

    if (!caption.isEmpty()) {
        if (m_look.ShiftsWhenPressed(s)) captionRect.OffsetRect(1, 1);
        const QRect area = ToQRect(captionRect);
        const int flags = Qt::TextWordWrap | Qt::AlignHCenter;
        const QRect measured = p.fontMetrics().boundingRect(area, flags, caption);
        QRect centred(area.left() + (area.width() - measured.width()) / 2,
                      area.top() + (area.height() - measured.height()) / 2, measured.width(), measured.height());
        if (s.disabled) {
            p.setPen(sys(COLOR_BTNHIGHLIGHT));
            p.drawText(centred.translated(1, 1), flags, caption);
            p.setPen(sys(COLOR_BTNSHADOW));
            p.drawText(centred, flags, caption);
        } else {
            p.setPen(ToQColor(m_look.TextColor(s)));
            p.drawText(centred, flags, caption);
        }
    }

    if (m_look.DrawsFocus(s)) {
        CRect focus = r;
        focus.DeflateRect(3, 3);
        QPen pen(sys(COLOR_BTNTEXT), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(focus.left, focus.top, focus.Width() - 1, focus.Height() - 1));
    }
}

void CzorButton::ApplyHover(zor::HoverChange change) {
    if (change != zor::HoverChange::None) update();
}

void CzorButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    const bool over = rect().contains(event->position().toPoint());
    ApplyHover(m_look.OnMouseMove((event->buttons() & Qt::LeftButton) != 0, over, QApplication::activeWindow() != nullptr));
}

void CzorButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    ApplyHover(m_look.EndHover());
}

void CzorButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    ApplyHover(m_look.EndHover());
}

void CzorButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // Qt moves the focus on when it can; with no other tab stop the parent takes it.
        if (hasFocus() && parentWidget()) parentWidget()->setFocus();
        ApplyHover(m_look.EndHover());
    } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        ApplyHover(m_look.EndHover());
    }
}
