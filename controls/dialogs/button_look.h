#pragma once
// What the owner-drawn button shows in each state, kept apart from the widget: the six colours,
// the status codes of its setters, the pressed and hover rules, which border it draws and where
// its image and caption go. The widget (button.h) only paints what this says.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

// Button types of the low style bits.
enum : unsigned { BS_PUSHBUTTON = 0, BS_DEFPUSHBUTTON = 1, BS_CHECKBOX = 2, BS_AUTOCHECKBOX = 3, BS_TYPEMASK = 0x1F };

namespace zor {

// Results of the button's setters.
enum ButtonStatus : uint32_t {
    kButtonOk = 0,
    kButtonBadImage = 1,     // a resource or image cannot be read
    kButtonMaskFailed = 2,   // a transparency mask cannot be made
    kButtonBadColorIndex = 3,
    kButtonBadAlign = 4,
};

// Colour slots: background and text while hovered or pressed, otherwise, and while focused.
enum ButtonColorIndex : uint8_t {
    kColorBkIn = 0, kColorFgIn = 1, kColorBkOut = 2, kColorFgOut = 3, kColorBkFocus = 4, kColorFgFocus = 5,
};

// Where the image stands against the caption.
enum ButtonAlign : uint8_t { kAlignImageLeft = 0, kAlignImageAbove = 1, kAlignImageRight = 2 };

// The border a paint draws.
enum class ButtonBorder {
    None,
    ShadowFrame,  // classic look pressed: a one-pixel frame in the shadow colour
    Classic,      // classic look at rest: the four lines
    FlatSunken,   // flat look pressed (OnDrawBorder)
    FlatRaised,   // flat look hovered (OnDrawBorder)
};

enum class HoverChange { None, Start, End };

// The state of one paint.
struct ButtonPaintState {
    bool selected = false;  // the mouse holds it down
    bool focused = false;
    bool disabled = false;
    bool menuShowing = false;
};

struct ButtonPlacement {
    CRect image;
    CRect caption;
};

// The longest link target a button keeps, in characters.
constexpr int kButtonUrlMax = 260;

class CButtonLook {
public:
    CButtonLook();

    // A button is taken over with its style: the low five bits are its type, the bit of value 2
    // makes it a check box, and a default push button is recorded as a push button that is the default.
    void Subclass(unsigned style);
    // A later style change: a push-button type makes the default flag follow it.
    void ChangeStyle(unsigned style);

    uint32_t SetFlat(bool flat) { m_flat = flat; return kButtonOk; }
    bool IsFlat() const { return m_flat; }
    uint32_t SetAlign(uint8_t align);
    uint8_t GetAlign() const { return m_align; }
    // Only a check box has a check state.
    uint32_t SetCheck(int check);
    int GetCheck() const { return m_check; }
    void Toggle() { if (m_checkBox) m_check = m_check ? 0 : 1; }
    bool IsCheckBox() const { return m_checkBox; }
    bool GetDefault() const { return m_default; }
    unsigned ButtonType() const { return m_type; }
    uint32_t SetDefaultColors();
    uint32_t SetColor(uint8_t index, COLORREF color);
    uint32_t GetColor(uint8_t index, COLORREF* color) const;
    uint32_t SetAlwaysTrack(bool on) { m_alwaysTrack = on; return kButtonOk; }
    bool AlwaysTrack() const { return m_alwaysTrack; }
    uint32_t DrawBorder(bool on) { m_drawBorder = on; return kButtonOk; }
    uint32_t DrawFlatFocus(bool on) { m_drawFlatFocus = on; return kButtonOk; }
    // Keeps at most kButtonUrlMax characters, never part of one.
    uint32_t SetURL(std::string_view url);
    const std::string& GetURL() const { return m_url; }

    bool IsHovered() const { return m_hover; }
    // A mouse move: nothing in the classic look, nor while the left button drags onto it; hover
    // needs the cursor over the button and a reference window (the button itself with always
    // track, else the program's active window).
    HoverChange OnMouseMove(bool leftHeld, bool overButton, bool haveActiveWindow);
    // Leaving, losing the focus, cancel, deactivation and disabling end hover (flat look only).
    HoverChange EndHover();

    bool IsPressed(const ButtonPaintState& s) const;
    // Outer black frame of the classic look on a focused or default button.
    bool DrawsOuterFrame(const ButtonPaintState& s) const { return !m_flat && (s.focused || m_default); }
    ButtonBorder Border(const ButtonPaintState& s) const;
    COLORREF Background(const ButtonPaintState& s) const;
    // Colour 1 while hovered or pressed, else colour 3: the focus colour 5 is kept but never painted.
    COLORREF TextColor(const ButtonPaintState& s) const;
    bool DrawsFocus(const ButtonPaintState& s) const { return s.focused && (!m_flat || m_drawFlatFocus); }
    // Which image of the pair: 0 the "in" image (hovered or pressed, or when there is no second).
    int ImageIndex(const ButtonPaintState& s, bool haveOutImage) const;
    // Where an image of that size and the caption go within the item rectangle.
    ButtonPlacement Place(const CRect& item, const CSize& image, bool hasCaption, const ButtonPaintState& s) const;
    // The caption moves by (1, 1) while a push button is pressed.
    bool ShiftsWhenPressed(const ButtonPaintState& s) const { return IsPressed(s) && !m_checkBox; }

private:
    bool m_flat = true;
    bool m_hover = false;
    bool m_default = false;
    bool m_checkBox = false;
    uint8_t m_align = kAlignImageLeft;
    bool m_drawBorder = true;
    bool m_drawFlatFocus = false;
    std::array<COLORREF, 6> m_colors{};
    bool m_alwaysTrack = false;
    int m_check = 0;
    unsigned m_type = BS_TYPEMASK;
    std::string m_url;
};

}  // namespace zor
