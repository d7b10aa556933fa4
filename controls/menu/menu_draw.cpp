// CzorMenu: measuring and drawing owner-drawn items in the classic raised look and the flat XP look.
// Coordinates are the item's pixels; a rectangle's right and bottom edges are outside it.
#include <QFontMetrics>
#include <QPainter>

#include "controls/menu/menu_effects.h"
#include "controls/menu/menu_metrics.h"
#include "controls/menu/zor_menu.h"

namespace {

using zor::menu::ToRgb;

QColor Colour(COLORREF c) { return QColor(ToRgb(c)); }
COLORREF Sys(int index) { return MenuSysColor(index); }

void Fill(QPainter& p, const CRect& r, COLORREF c) {
    if (r.Width() > 0 && r.Height() > 0) p.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), Colour(c));
}

// A one-pixel frame just inside the rectangle.
void Frame(QPainter& p, const CRect& r, COLORREF c) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    Fill(p, CRect(r.left, r.top, r.right, r.top + 1), c);
    Fill(p, CRect(r.left, r.bottom - 1, r.right, r.bottom), c);
    Fill(p, CRect(r.left, r.top, r.left + 1, r.bottom), c);
    Fill(p, CRect(r.right - 1, r.top, r.right, r.bottom), c);
}

// Top-left edges in one colour, bottom-right in the other.
void Frame3D(QPainter& p, const CRect& r, COLORREF topLeft, COLORREF bottomRight) {
    Fill(p, CRect(r.left, r.top, r.right - 1, r.top + 1), topLeft);
    Fill(p, CRect(r.left, r.top, r.left + 1, r.bottom - 1), topLeft);
    Fill(p, CRect(r.right - 1, r.top, r.right, r.bottom), bottomRight);
    Fill(p, CRect(r.left, r.bottom - 1, r.right, r.bottom), bottomRight);
}

// An etched line along the top of the rectangle.
void EtchedTop(QPainter& p, const CRect& r) {
    Fill(p, CRect(r.left, r.top, r.right, r.top + 1), Sys(COLOR_BTNSHADOW));
    Fill(p, CRect(r.left, r.top + 1, r.right, r.top + 2), Sys(COLOR_BTNHIGHLIGHT));
}

void CheckMark(QPainter& p, int x, int y, COLORREF c, bool narrow) {
    static constexpr int kStart[] = {2, 3, 4, 3, 2, 1, 0};
    for (int k = 0; k < 7; ++k) Fill(p, CRect(x + k, y + kStart[k], x + k + 1, y + kStart[k] + (narrow ? 2 : 3)), c);
}

void RadioDot(QPainter& p, int x, int y, COLORREF c) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Colour(c));
    p.setBrush(Colour(c));
    p.drawEllipse(QRect(x, y, 6, 6).adjusted(0, 0, -1, -1));
    p.restore();
}

struct Pictures {
    QImage picture;   // null: no picture
    QImage faded, shadow, disabled;  // the 3-D set, when there is one
    bool set3D() const { return !faded.isNull(); }
};

// Where the item's picture comes from: its own list, else the global list.
Pictures PicturesOf(const CzorMenuData& r, bool want3D) {
    Pictures out;
    if (r.nID >= 0 && r.bitmap && r.xoffset >= 0) {
        out.picture = r.bitmap->GetImage(r.xoffset);
        if (want3D && r.xoffset == 0 && r.bitmap->GetImageCount() > 3) {
            out.faded = r.bitmap->GetImage(1);
            out.shadow = r.bitmap->GetImage(2);
            out.disabled = r.bitmap->GetImage(3);
        }
    } else if (r.global_offset >= 0) {
        out.picture = CzorMenu::m_AllImages.GetImage(r.global_offset);
        const int i = r.global_offset;
        if (want3D && CzorMenu::CanDraw3DImageList(i) && i + 3 < CzorMenu::m_AllImages.GetImageCount()) {
            out.faded = CzorMenu::m_AllImages.GetImage(i + 1);
            out.shadow = CzorMenu::m_AllImages.GetImage(i + 2);
            out.disabled = CzorMenu::m_AllImages.GetImage(i + 3);
        }
    }
    return out;
}

// The label before the first tab and the accelerator after the last, each drawn in its place.
void Text(QPainter& p, const std::u16string& text, CRect rect, int iconX, COLORREF colour) {
    const size_t first = text.find(u'\t');
    const QString label = QString::fromStdU16String(text.substr(0, first));
    p.setPen(Colour(colour));
    if (first != std::u16string::npos) {
        rect.right -= iconX;
        const size_t last = text.rfind(u'\t');
        const QString accelerator = QString::fromStdU16String(text.substr(last + 1));
        p.drawText(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                   Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, accelerator);
    }
    p.drawText(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, label);
}

}  // namespace

void CzorMenu::MeasureItem(LPMEASUREITEMSTRUCT request) {
    if (!request) return;
    const CzorMenuData* record = reinterpret_cast<const CzorMenuData*>(request->itemData);
    int gap = 4;
    if (xp_drawmode == 1) gap = 6;
    if (IsLunaMenuStyle() && xp_draw_3D_bitmaps) gap = 7;
    if (!record || (record->nFlags & MF_SEPARATOR)) {
        request->itemWidth = 0;
        request->itemHeight = 4;
        return;
    }
    // The whole text, accelerator included; a tab measures as a blank.
    std::u16string text = record->GetWideString();
    for (char16_t& c : text)
        if (c == u'\t') c = u' ';
    QString shown = QString::fromStdU16String(text);
    shown.remove(QLatin1Char('&'));
    const int textWidth = QFontMetrics(MenuFont()).horizontalAdvance(shown);
    request->itemWidth = UINT(IsLunaMenuStyle() ? textWidth + m_iconX + gap + 8 : textWidth + 2 * m_iconX + 1);
    request->itemHeight = UINT(std::max(GetSystemMetrics(SM_CYMENU), m_iconY + gap));
}

void CzorMenu::DrawItem(LPDRAWITEMSTRUCT request) {
    if (!request || !request->painter) return;
    const CzorMenuData* record = reinterpret_cast<const CzorMenuData*>(request->itemData);
    if (!record) return;
    QPainter& p = *request->painter;
    p.save();
    p.setFont(MenuFont());
    const CRect item = request->rcItem;
    bool selected = request->itemState & ODS_SELECTED;
    const bool grayed = request->itemState & (ODS_GRAYED | ODS_DISABLED);
    const bool checked = request->itemState & ODS_CHECKED;
    const bool xp = request->bitsPerPixel > 8 && GetMenuDrawMode() == 1;
    const bool separator = record->nFlags & MF_SEPARATOR;
    const Pictures pictures = PicturesOf(*record, xp && xp_draw_3D_bitmaps);
    const bool hasPicture = !pictures.picture.isNull();
    const int checkId = selected ? checkmapsshare_selected : checkmapsshare_unselected;
    const bool checkImage = checked && !hasPicture && checkmaps && checkId > 0 && checkmaps->GetImageCount() >= 2;
    const QImage checkPicture = checkImage ? checkmaps->GetImage(selected ? 1 : 0) : QImage();
    const COLORREF face = Sys(COLOR_BTNFACE), highlight = Sys(COLOR_BTNHIGHLIGHT), shadow = Sys(COLOR_BTNSHADOW);

    if (!xp) {
        const COLORREF M = Sys(COLOR_BTNFACE);  // themed: the menu takes the button face
        if (grayed && selected && !original_select_disabled) selected = false;
        if (separator) {
            Fill(p, item, M);
            CRect line = item;
            line.top += item.Height() / 2;
            EtchedTop(p, line);
            p.restore();
            return;
        }
        COLORREF textColour = Sys(COLOR_MENUTEXT);
        Fill(p, item, M);
        if (selected) {
            textColour = Sys(COLOR_HIGHLIGHTTEXT);
            CRect band = item;
            if (hasPicture || checkImage || checked) band.left += m_iconX + 5;
            Fill(p, band, Sys(COLOR_HIGHLIGHT));
        }
        const int dy = std::max(0, (item.Height() - m_iconY - 4) / 2);
        const CRect button(item.left + 1, item.top + dy + 1, item.left + m_iconX + 3, item.top + dy + m_iconY + 3);
        const CRect frame(item.left, item.top + dy, item.left + m_iconX + 4, item.top + dy + m_iconY + 4);
        const QPoint at(item.left + 2, item.top + dy + 2);
        if (checkImage) {
            Fill(p, frame, M);
            p.drawImage(at, checkPicture);
        } else if (hasPicture && grayed) {
            QImage disabled;
            if (disable_old_style) disabled = zor::menu::Embossed(pictures.picture, M, highlight, shadow, {RGB(255, 255, 255)});
            else if (hicolor_bitmaps)
                disabled = zor::menu::Disabled(zor::menu::OnFace(pictures.picture, face), face, M, shadow);
            else disabled = zor::menu::Embossed(pictures.picture, M, highlight, shadow, {face, highlight});
            p.drawImage(at, disabled);
        } else if (hasPicture && selected) {
            Fill(p, button, M);
            if (checked) Frame3D(p, frame, shadow, highlight);
            else Frame3D(p, frame, highlight, shadow);
            p.drawImage(at, pictures.picture);
        } else if (hasPicture) {
            if (checked) {
                Fill(p, button, LightenColor(M, 0.6));
                Frame3D(p, frame, shadow, highlight);
            } else {
                Fill(p, frame, M);
            }
            p.drawImage(at, pictures.picture);
        } else if (checked) {
            const CRect box(item.left + 1, item.top + dy + 2, item.left + m_iconX + 1, item.top + dy + m_iconY + 2);
            Fill(p, box, selected ? M : LightenColor(M, 0.6));
            Frame3D(p, box, shadow, highlight);
            const int x = box.left + (m_iconX - 6) / 2, y = box.top + (m_iconY - 7) / 2 + 1;
            if (request->radio) RadioDot(p, x, y, Sys(COLOR_MENUTEXT));
            else CheckMark(p, x, y, Sys(COLOR_MENUTEXT), false);
        }
        const CRect text(item.left + m_iconX + 9, item.top - 1, item.right, item.bottom - 1);
        if (!grayed) {
            Text(p, record->GetWideString(), text, m_iconX, textColour);
        } else if (selected) {
            Text(p, record->GetWideString(), text, m_iconX, M);
        } else {
            CRect moved = text;
            moved.OffsetRect(1, 1);
            Text(p, record->GetWideString(), moved, m_iconX, Sys(COLOR_BTNHIGHLIGHT));
            Text(p, record->GetWideString(), text, m_iconX, Sys(COLOR_GRAYTEXT));
        }
        p.restore();
        return;
    }

    // The flat look.
    const COLORREF K = face;  // themed: the column is the button face itself
    const COLORREF B = DarkenColor(Sys(COLOR_WINDOW), 0.02);
    const COLORREF S = Sys(COLOR_HIGHLIGHT);
    const COLORREF F = LightenColor(S, 0.7);
    const int g = xp_draw_3D_bitmaps ? 7 : 4;
    const int W = m_iconX + g;
    if (grayed && selected && !xp_select_disabled) selected = false;
    const CRect column(item.left, item.top, item.left + W, item.bottom);
    if (separator) {
        Fill(p, item, B);
        Fill(p, column, K);
        EtchedTop(p, CRect(item.left + W + g, item.top + item.Height() / 2, item.right, item.bottom));
        p.restore();
        return;
    }
    if (selected) {
        Fill(p, item, F);
        Frame(p, item, S);
    } else {
        Fill(p, item, B);
        Fill(p, column, K);
    }
    const CRect button(item.left + 1, item.top + 1, item.left + W - 2, item.bottom - 1);
    const QPoint at(item.left + std::max(0, (W - m_iconX + 1) / 2), item.top + std::max(0, (item.Height() - m_iconY + 1) / 2));
    const QPoint raised = at - QPoint(1, 1);
    if (checkImage) {
        Fill(p, button, K);
        p.drawImage(at, checkPicture);
    } else if (hasPicture && grayed) {
        if (pictures.set3D()) {
            p.drawImage(at, pictures.disabled);
        } else {
            const COLORREF behind = selected ? F : K;
            p.drawImage(at, disable_old_style
                                ? zor::menu::Embossed(pictures.picture, behind, highlight, shadow, {RGB(255, 255, 255)})
                                : zor::menu::Embossed(pictures.picture, behind, highlight, shadow, {face, highlight}));
            if (selected) Frame(p, item, S);
        }
    } else if (hasPicture && selected) {
        if (checked) {
            Fill(p, button, LightenColor(S, 0.55));
            Frame(p, button, S);
            p.drawImage(raised, pictures.picture);
        } else {
            Fill(p, button, F);
            if (pictures.set3D()) {
                p.drawImage(at + QPoint(1, 1), pictures.shadow);
                p.drawImage(raised, pictures.picture);
            } else {
                p.drawImage(at, pictures.picture);
            }
        }
    } else if (hasPicture) {
        if (checked) {
            Fill(p, button, LightenColor(S, 0.85));
            Frame(p, button, S);
            p.drawImage(raised, pictures.picture);
        } else {
            Fill(p, button, K);
            p.drawImage(at, pictures.set3D() ? pictures.faded : pictures.picture);
        }
    } else if (checked) {
        Fill(p, button, LightenColor(S, selected ? 0.55 : 0.85));
        Frame(p, button, S);
        const int x = button.left + (button.Width() < 6 ? 0 : button.Width() / 2 - 3);
        const int y = button.top + (button.Height() < 6 ? 0 : button.Height() / 2 - 3);
        if (request->radio) RadioDot(p, x, y, Sys(COLOR_MENUTEXT));
        else CheckMark(p, x, y, Sys(COLOR_MENUTEXT), true);
    }
    const CRect text(item.left + W + 8, item.top - 1, item.right, item.bottom - 1);
    Text(p, record->GetWideString(), text, m_iconX, grayed ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_MENUTEXT));
    p.restore();
}
