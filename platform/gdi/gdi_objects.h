#pragma once
// Pens, brushes, fonts and clip regions as the drawing code makes them and selects them into a CDC.
// They hold plain values (no Qt), so the stock objects live for the whole process. A device context keeps
// a copy of what is selected, so an object destroyed while selected does no harm; the pointer that
// SelectObject hands back is the one that was passed in, to be selected again while it is alive.
#include <cstdint>
#include <string_view>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

class CDC;

// Pen styles. Only the style proper (PS_STYLE_MASK) changes the drawing: every pen is geometric, its width
// in logical units but never under one device pixel, with round joins; solid pens have round caps and
// dashed or dotted ones flat caps, so that their pattern stays visible. The cap, join and type bits are
// accepted and ignored.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;  // drawn as PS_SOLID
constexpr int PS_STYLE_MASK = 0x0000000F;
constexpr int PS_ENDCAP_ROUND = 0x00000000;
constexpr int PS_ENDCAP_SQUARE = 0x00000100;
constexpr int PS_ENDCAP_FLAT = 0x00000200;
constexpr int PS_JOIN_ROUND = 0x00000000;
constexpr int PS_JOIN_BEVEL = 0x00001000;
constexpr int PS_JOIN_MITER = 0x00002000;
constexpr int PS_COSMETIC = 0x00000000;
constexpr int PS_GEOMETRIC = 0x00010000;

// Brush styles: solid and hollow only.
constexpr uint32_t BS_SOLID = 0;
constexpr uint32_t BS_NULL = 1;
constexpr uint32_t BS_HOLLOW = BS_NULL;

struct LOGBRUSH {
    uint32_t lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    intptr_t lbHatch = 0;  // unused
};
struct LOGPEN {
    uint32_t lopnStyle = PS_SOLID;
    POINT lopnWidth{};  // x is the width in logical units
    COLORREF lopnColor = 0;
};

// Stock objects (CDC::SelectStockObject).
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int ANSI_VAR_FONT = 12;  // proportional: "Arial", 8 points; also the font of a new context

// Region results and combine modes.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int RGN_AND = 1;
constexpr int RGN_COPY = 5;

class CGdiObject {
public:
    virtual ~CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // Whether the object holds a pen, brush, font or region (a default-constructed one holds none).
    bool IsCreated() const { return m_created; }
    // Back to holding nothing; false when it held nothing. Stock objects cannot be deleted or remade.
    bool DeleteObject();

protected:
    CGdiObject() = default;
    bool m_created = false;
    bool m_stock = false;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    // The geometric form: colour from the brush (a hollow brush makes a null pen).
    CPen(int style, int width, const LOGBRUSH* brush) { CreatePen(style, width, brush); }
    // A literal colour such as 0 is a colour, not a brush.
    CPen(int style, int width, int color) { CreatePen(style, width, static_cast<COLORREF>(color)); }

    bool CreatePen(int style, int width, COLORREF color);
    bool CreatePen(int style, int width, const LOGBRUSH* brush);
    bool CreatePen(int style, int width, int color) { return CreatePen(style, width, static_cast<COLORREF>(color)); }
    bool GetLogPen(LOGPEN* pen) const;

private:
    LOGPEN m_pen;
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }

    bool CreateSolidBrush(COLORREF color);
    bool CreateBrushIndirect(const LOGBRUSH* brush);
    bool GetLogBrush(LOGBRUSH* brush) const;

private:
    LOGBRUSH m_brush;
};

// A font is always a point font: its lfHeight holds the size in tenths of a point, a physical size that
// every context turns into its own units through its resolution (CDC::GetTextMetrics, TextOut).
class CFont : public CGdiObject {
public:
    CFont() = default;

    // Takes the record as it is, with |lfHeight| as the size in tenths of a point. The context argument is
    // accepted for the callers' sake: a point size means the same on every context.
    bool CreatePointFontIndirect(const LOGFONT* font, const CDC* dc = nullptr);
    // Size in tenths of a point, the face name (at most 31 bytes are kept), regular weight, upright.
    bool CreatePointFont(int tenthsOfPoint, std::string_view faceName, const CDC* dc = nullptr);
    // The record as created (lfHeight in tenths of a point, not below 0).
    bool GetLogFont(LOGFONT* font) const;

private:
    LOGFONT m_font;
};

// A rectangle in device units, for clipping (CDC::SelectClipRgn). Regions here are always rectangles.
class CRgn : public CGdiObject {
public:
    CRgn() = default;

    bool CreateRectRgn(int left, int top, int right, int bottom);
    bool CreateRectRgnIndirect(const RECT* rect);
    // this := a AND b (RGN_AND) or a (RGN_COPY); returns NULLREGION, SIMPLEREGION or RGN_ERROR
    // (an argument not created, or another mode).
    int CombineRgn(const CRgn* a, const CRgn* b, int mode);
    // Normalised bounding rectangle; NULLREGION when empty, SIMPLEREGION otherwise, RGN_ERROR when not created.
    int GetRgnBox(RECT* rect) const;

private:
    CRect m_rect;  // normalised
};

// The process's stock object of that index (see the constants above), or null for another index.
CGdiObject* GetStockObject(int index);
