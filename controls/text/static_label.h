#pragma once
// A label that paints itself: its own colours and font, alignment, text turned by a right angle or
// written one character per line, upper or lower case, an etched line beside the text, a back image,
// flashing text or background, highlighting under the mouse, and a link mode that opens its text with
// the desktop's handler. Every setter but ForceNoOwnerDraw returns the label for chaining. The text
// other code reads and writes is always the stored text; the label's own display changes bypass it.
//
// The back image is a QPixmap from the host, or comes from a loader the host installs for bitmap
// identifiers, since the label draws from the host's resources, not from this library's.
#include <functional>
#include <string>

#include <QCursor>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include "platform/win/gdi_types.h"

namespace zor {

inline constexpr unsigned AlignLeft = 1, AlignCenter = 2, AlignRight = 4;
inline constexpr unsigned AlignTop = 8, AlignVCenter = 16, AlignBottom = 32;
constexpr unsigned kHorzAlignMask = AlignLeft | AlignCenter | AlignRight;

// The stored flags after SetAlignment(value): one horizontal flag (left before centre before right)
// replacing all flags, then one vertical flag (bottom before centre before top) added. Without a
// horizontal flag the stored flags stay and only the vertical one is added.
unsigned ApplyStaticAlignment(unsigned stored, unsigned value);
// Nonzero exactly when the weight holds every bit of 700.
inline int FontBoldOfWeight(int32_t weight) { return (weight & 700) == 700; }
// The background of the flashing phase: in the off phase the button face for a custom background,
// and the colour's value shifted right by one bit for the default one.
COLORREF FlashBackColor(COLORREF back, bool isDefault, bool offPhase);
// Pixels for a LOGFONT height at the widget's resolution: a negative height is the character height,
// a positive one the cell height (scaled by the font's em to cell ratio), 0 the default size.
int PixelSizeOfLogHeight(int32_t lfHeight, int defaultPixels, double emPerCell);

}  // namespace zor

class CzorStatic : public QLabel {
    Q_OBJECT
public:
    using BitmapLoader = std::function<QPixmap(unsigned id)>;
    // The host's bitmaps for SetBackImage(id); none installed gives no image.
    static void SetBitmapLoader(BitmapLoader loader);

    explicit CzorStatic(QWidget* parent = nullptr);

    CzorStatic& SetText(const char* text);
    CzorStatic& SetTextColor(COLORREF c);
    CzorStatic& SetDefaultTextColor();
    CzorStatic& SetTextBackColor(COLORREF c);
    CzorStatic& SetDefaultTextBackColor();
    CzorStatic& SetBkColor(COLORREF c);
    CzorStatic& SetDefaultBkColor();
    CzorStatic& SetHighLightColor(COLORREF c);
    CzorStatic& SetFontBold(int on);
    CzorStatic& SetFontItalic(int on);
    CzorStatic& SetFontName(const char* face);
    CzorStatic& SetFontSize(int height);
    CzorStatic& SetFontUnderline(int on);
    CzorStatic& SetAlignment(unsigned align);
    CzorStatic& SetAngle(unsigned angle);
    CzorStatic& SetVerticalText(int on);
    CzorStatic& SetUpperCase(int on);
    CzorStatic& SetLowerCase(int on);
    CzorStatic& UseBevelLine(int on);
    CzorStatic& SetBorder(int on);
    CzorStatic& SetSunken(int on);
    CzorStatic& SetDisabled(int on);
    CzorStatic& SetBackImage(unsigned bitmapId);  // (unsigned)-1 removes the image
    CzorStatic& SetBackImage(const QPixmap& image);
    CzorStatic& StretchBitmap(int on);
    CzorStatic& SetLink(int on);
    CzorStatic& SetLinkCursor(const QCursor& cursor);
    CzorStatic& UseHighLighting(int on);
    CzorStatic& FlashText(int on, unsigned ms);
    CzorStatic& FlashBackground(int on, unsigned ms);
    void ForceNoOwnerDraw(int on);

    std::string GetText() const { return m_text; }
    COLORREF GetBkColor() const { return m_back; }
    COLORREF GetTextBackColor() const { return m_textBack; }
    COLORREF GetTextColor() const { return m_hovering && m_highlight ? m_highlightColor : m_textColor; }
    COLORREF GetHighLightColor() const { return m_highlightColor; }
    bool IsDefaultBkColor() const { return m_defaultBack; }
    bool IsDefaultTextBackColor() const { return m_defaultTextBack; }
    bool IsDefaultTextColor() const { return m_defaultText; }
    int GetFontSize() const { return m_logFont.lfHeight; }
    int GetFontItalic() const { return m_logFont.lfItalic; }
    int GetFontUnderline() const { return m_logFont.lfUnderline; }
    std::string GetFontName() const { return std::string(m_logFont.FaceName()); }
    int GetFontBold() const { return zor::FontBoldOfWeight(m_logFont.lfWeight); }
    const LOGFONT& GetLogFont() const { return m_logFont; }
    unsigned GetAlignment() const { return m_align; }
    unsigned GetHorzAlignment() const;
    unsigned GetVertAlignment() const;
    unsigned GetHorzAlignmentIndex() const;
    unsigned GetVertAlignmentIndex() const;
    unsigned GetAngle() const { return m_angle; }
    int GetVerticalText() const { return m_vertical; }
    int IsLowerCase() const { return m_lower; }
    int IsUpperCase() const { return m_upper; }
    int GetBevelLine() const { return m_bevel; }
    int GetLink() const { return m_link; }
    int IsBitmapStretched() const { return m_stretch; }
    int GetBorder() const { return m_border; }
    int GetSunken() const { return m_sunken; }
    int IsDisabled() const { return !isEnabled(); }
    int IsToolTipUsed() const { return 0; }
    bool HasBackImage() const { return !m_image.isNull(); }
    // The text the label shows now (empty in the text flash's off phase).
    QString ShownText() const { return QLabel::text(); }
    bool BackFlashOff() const { return m_backOff; }
    // The background painted now.
    COLORREF CurrentBackColor() const { return zor::FlashBackColor(m_back, m_defaultBack, m_backOff); }

public slots:
    // The ticks of the text and background flash timers.
    void OnTextFlashTick();
    void OnBackFlashTick();
    // The mouse has rested on the label for the hover time.
    void OnHover();

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    CzorStatic& Redraw();
    void MakeFont();
    void ApplyFrame();
    QString DisplayText() const;

    COLORREF m_back, m_textBack, m_textColor, m_highlightColor, m_savedTextColor;
    bool m_defaultBack = true, m_defaultTextBack = true, m_defaultText = true;
    LOGFONT m_logFont;
    unsigned m_align = zor::AlignLeft | zor::AlignTop;
    unsigned m_angle = 0;
    int m_vertical = 0, m_lower = 0, m_upper = 0, m_bevel = 0, m_link = 0, m_highlight = 0, m_stretch = 0;
    int m_noOwnerDraw = 0, m_border = 0, m_sunken = 0;
    QPixmap m_image;
    std::string m_text;
    QTimer m_textTimer, m_backTimer, m_hoverTimer;
    bool m_textOff = false, m_backOff = false, m_hovering = false;
};
