#include "controls/dialogs/button_look.h"

#include "platform/gdi/sys_colors.h"
#include "platform/text/utf8.h"

namespace zor {

CButtonLook::CButtonLook() { SetDefaultColors(); }

void CButtonLook::Subclass(unsigned style) {
    m_type = style & BS_TYPEMASK;
    m_checkBox = (style & 2) != 0;
    if (m_type == BS_DEFPUSHBUTTON) {
        m_default = true;
        m_type = BS_PUSHBUTTON;
    }
}

void CButtonLook::ChangeStyle(unsigned style) {
    const unsigned type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) m_default = type == BS_DEFPUSHBUTTON;
}

uint32_t CButtonLook::SetAlign(uint8_t align) {
    if (align > kAlignImageRight) return kButtonBadAlign;
    m_align = align;
    return kButtonOk;
}

uint32_t CButtonLook::SetCheck(int check) {
    if (m_checkBox) m_check = check != 0 ? 1 : 0;
    return kButtonOk;
}

uint32_t CButtonLook::SetDefaultColors() {
    for (size_t i = 0; i < m_colors.size(); ++i) m_colors[i] = ::GetSysColor(i % 2 == 0 ? COLOR_BTNFACE : COLOR_BTNTEXT);
    return kButtonOk;
}

uint32_t CButtonLook::SetColor(uint8_t index, COLORREF color) {
    if (index >= m_colors.size()) return kButtonBadColorIndex;
    m_colors[index] = color;
    return kButtonOk;
}

uint32_t CButtonLook::GetColor(uint8_t index, COLORREF* color) const {
    if (index >= m_colors.size()) return kButtonBadColorIndex;
    if (color) *color = m_colors[index];
    return kButtonOk;
}

uint32_t CButtonLook::SetURL(std::string_view url) {
    m_url = Utf8Left(url, kButtonUrlMax);
    return kButtonOk;
}

HoverChange CButtonLook::OnMouseMove(bool leftHeld, bool overButton, bool haveActiveWindow) {
    if (!m_flat) return HoverChange::None;
    if (leftHeld && !m_hover) return HoverChange::None;
    if (overButton && (m_alwaysTrack || haveActiveWindow)) {
        if (m_hover) return HoverChange::None;
        m_hover = true;
        return HoverChange::Start;
    }
    return EndHover();
}

HoverChange CButtonLook::EndHover() {
    if (!m_flat || !m_hover) return HoverChange::None;
    m_hover = false;
    return HoverChange::End;
}

bool CButtonLook::IsPressed(const ButtonPaintState& s) const {
    if (m_checkBox) return s.selected || m_check != 0;
    return s.selected || s.menuShowing;
}

ButtonBorder CButtonLook::Border(const ButtonPaintState& s) const {
    if (IsPressed(s)) {
        if (!m_flat) return ButtonBorder::ShadowFrame;
        return m_drawBorder ? ButtonBorder::FlatSunken : ButtonBorder::None;
    }
    if (!m_flat) return ButtonBorder::Classic;
    return m_hover && m_drawBorder ? ButtonBorder::FlatRaised : ButtonBorder::None;
}

COLORREF CButtonLook::Background(const ButtonPaintState& s) const {
    if (m_hover || IsPressed(s)) return m_colors[kColorBkIn];
    return s.focused ? m_colors[kColorBkFocus] : m_colors[kColorBkOut];
}

COLORREF CButtonLook::TextColor(const ButtonPaintState& s) const {
    return m_hover || IsPressed(s) ? m_colors[kColorFgIn] : m_colors[kColorFgOut];
}

int CButtonLook::ImageIndex(const ButtonPaintState& s, bool haveOutImage) const {
    const bool in = m_checkBox ? IsPressed(s) : (m_hover || IsPressed(s));
    return in || !haveOutImage ? 0 : 1;
}

ButtonPlacement CButtonLook::Place(const CRect& item, const CSize& image, bool hasCaption,
                                   const ButtonPaintState& s) const {
    ButtonPlacement p{item, item};
    CRect& img = p.image;
    CRect& cap = p.caption;
    const int w = image.cx, h = image.cy;
    auto centreX = [&] { img.left += (img.Width() - w) / 2; };
    auto centreY = [&] { img.top += (img.Height() - h) / 2; };
    switch (m_align) {
    case kAlignImageLeft:
        if (hasCaption) {
            img.left += 3;
            cap.left += w + 3;
        } else {
            centreX();
        }
        centreY();
        break;
    case kAlignImageAbove:
        centreX();
        if (hasCaption) {
            img.top = 3;
            cap.top += h;
        } else {
            centreY();
        }
        break;
    default:
        if (hasCaption) {
            const int oldLeft = cap.left, oldRight = cap.right;
            cap.left = 3;
            cap.right = oldRight - oldLeft - w - 3;
            img.left = item.Width() - w - 3;
            centreY();
        } else {
            centreX();
        }
        break;
    }
    if (ShiftsWhenPressed(s)) img.OffsetRect(1, 1);
    img.right = img.left + w;
    img.bottom = img.top + h;
    return p;
}

}  // namespace zor
