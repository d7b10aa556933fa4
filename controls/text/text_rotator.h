#pragma once
// Multi-line text drawn into an image, turned by a right angle and copied into a target painter. The
// turned image is an implicitly shared QImage, so a copied or assigned rotator shares it safely: each
// image is freed once, by whichever owner lets go of it last.
#include <string>

#include <QImage>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

class QPainter;

namespace zor {

// The turn of the text rectangle (width × height, from the top left of `src`) by 90, 180 or 270 degrees:
// 90 maps (x, y) to (height − 1 − y, x), 180 to (width − 1 − x, height − 1 − y), 270 to (y, width − 1 − x);
// any other angle copies it unturned. The result is `src`'s size, filled with `fill` outside the text.
QImage TurnText(const QImage& src, int width, int height, int angle, QRgb fill);

}  // namespace zor

class CzorTextRotator {
public:
    // Alignments: horizontal 0 left, 1 centre, 2 right; vertical 0 top, 1 centre, 2 bottom. The text is
    // drawn with the target's font.
    CzorTextRotator(QPainter* target, const char* text, unsigned horzAlign, unsigned vertAlign);
    virtual ~CzorTextRotator() = default;
    CzorTextRotator(const CzorTextRotator&) = default;
    CzorTextRotator& operator=(const CzorTextRotator&) = default;

    // Lines cut at "\n" (empty ones dropped) drawn into a square image and turned; false when there is
    // nothing to draw into.
    int RotateText(unsigned angle);
    // The whole rotated rectangle at (x, y) of the target; 0 before a rotation.
    int BitBltText(int x, int y);
    // Aligned in `target` and cut to it, with etched lines beside the text when asked.
    int BitBltText(const CRect& target);

    // Null before the first successful rotation.
    const QImage* GetRotatedDC() const { return m_rotated.isNull() ? nullptr : &m_rotated; }
    CRect GetRotatedRect() const { return m_rect; }
    void GetRotatedRect(RECT* r) const {
        if (r)
            *r = m_rect;
    }
    unsigned GetAngle() const { return m_angle; }

    void SetText(const char* text) { m_text = text ? text : ""; }
    void SetTextColor(COLORREF c) { m_textColor = c; }
    void SetBackgroundColor(COLORREF c) { m_backColor = c; }
    void SetHorzAlignment(unsigned a) { m_horz = a; }
    void SetVertAlignment(unsigned a) { m_vert = a; }
    void SetDisabledText(bool on) { m_disabled = on; }
    void DrawBevelLine(bool on) { m_bevel = on; }

private:
    void EtchedLine(int x1, int y1, int x2, int y2);

    QPainter* m_target;
    std::string m_text;
    unsigned m_horz, m_vert;
    COLORREF m_textColor;
    COLORREF m_backColor;
    bool m_disabled = false;
    bool m_bevel = false;
    unsigned m_angle = 0;
    QImage m_rotated;
    CRect m_rect{0, 0, 0, 0};
};
