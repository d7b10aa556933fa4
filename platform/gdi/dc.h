#pragma once
// The device context through which the model draws and measures.
//
// Logical coordinates (MM_LOMETRIC, the mode of a new context): tenths of a millimetre, x to the right,
// y upward, so a page whose top edge is at y = 0 lies at y <= 0. A logical point (x, y) lands on the device
// at ((x - windowOrg.x) · dpiX / 254 + viewportOrg.x, -(y - windowOrg.y) · dpiY / 254 + viewportOrg.y),
// rounded to the nearest pixel; dpi is the device's logical resolution. MM_TEXT makes a logical unit one
// device pixel with y downward. The context applies no zoom: the model scales its own coordinates.
//
// A context paints on a QPaintDevice (QImage for tests and export, a widget, a printer) or on a painter
// that the owner already holds, or has no device at all and then only measures (the measuring context of
// a batch run): drawing on it does nothing and it reports 96 dpi.
//
// Text is measured through the current text measurer (text_measurer.h), never through the device, so a
// measure is the same on every context in the same mode: in MM_LOMETRIC it is the measurer's own value
// rounded to whole tenths of a millimetre.
//
// Shapes follow the usual rules of such contexts after the corners are mapped and normalised on the device:
// the right and bottom device edges are outside a filled rectangle. Drawing is aliased; text is smoothed.
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/sys_colors.h"
#include "platform/gdi/text_measurer.h"
#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

class CEmfRecorder;
class QImage;
class QPaintDevice;
class QPainter;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;

// Background modes of text.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Mix modes of pens (SetROP2). The XOR modes work on raster devices (images, widgets); elsewhere they
// draw as R2_COPYPEN.
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_COPYPEN = 13;

// GetDeviceCaps indexes.
constexpr int HORZSIZE = 4;          // width in millimetres
constexpr int VERTSIZE = 6;          // height in millimetres
constexpr int HORZRES = 8;           // width in pixels
constexpr int VERTRES = 10;          // height in pixels
constexpr int BITSPIXEL = 12;        // colour depth
constexpr int LOGPIXELSX = 88;       // pixels per inch
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;   // whole paper in pixels (SetPhysicalPage; else the device's size)
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112; // printable area's offset on the paper in pixels (else 0)
constexpr int PHYSICALOFFSETY = 113;

class CDC {
public:
    // A measuring context: no device.
    CDC();
    // Paints with a painter of its own on the device for the context's lifetime. A device that cannot be
    // painted (a null image) gives a context that draws nothing.
    explicit CDC(QPaintDevice* device);
    // Paints with the owner's active painter, in the painter's coordinates; the painter's state is restored
    // when the context ends. The painter must outlive the context.
    explicit CDC(QPainter* painter);
    // Records into an enhanced metafile (emf_writer.h) instead of painting: 254 dpi, the metafile's extent.
    // The recorder must outlive the context.
    explicit CDC(CEmfRecorder* recorder);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Whether the owner draws for paper: set by the owner (printing and preview), read by the model.
    bool IsPrinting() const { return m_printing; }
    void SetPrinting(bool printing) { m_printing = printing; }

    // --- Mapping ---------------------------------------------------------------------------------------
    // Returns the previous mode; an unsupported mode changes nothing and gives 0.
    int SetMapMode(int mode);
    int GetMapMode() const;
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT point) { return SetWindowOrg(point.x, point.y); }
    CPoint GetWindowOrg() const;
    CPoint SetViewportOrg(int x, int y);  // device units
    CPoint SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
    CPoint OffsetViewportOrg(int dx, int dy);
    CPoint GetViewportOrg() const;
    void LPtoDP(POINT* points, int count = 1) const;
    void LPtoDP(RECT* rect) const;  // both corners, not normalised
    void LPtoDP(SIZE* size) const;  // lengths: a positive height stays positive
    void DPtoLP(POINT* points, int count = 1) const;
    void DPtoLP(RECT* rect) const;
    void DPtoLP(SIZE* size) const;
    int GetDeviceCaps(int index) const;
    // Paper size and printable offset in device pixels, for a printer's context.
    void SetPhysicalPage(int width, int height, int offsetX, int offsetY);

    // --- Objects ----------------------------------------------------------------------------------------
    // Each returns the object selected before (the context's own default at first), or null, changing
    // nothing, for a null object or one not created.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CGdiObject* SelectObject(CGdiObject* object);  // a pen, brush or font; a region is SelectClipRgn's
    // WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN, ANSI_VAR_FONT; returns the
    // object of that kind selected before, or null for another index. A new context has BLACK_PEN (one
    // device pixel), WHITE_BRUSH and ANSI_VAR_FONT selected.
    CGdiObject* SelectStockObject(int index);

    // --- Colours and modes (each setter returns the previous value) ------------------------------------------
    COLORREF SetTextColor(COLORREF color);  // default black
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);    // default white
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);                // TRANSPARENT or OPAQUE (default); another value gives 0
    int GetBkMode() const;
    int SetROP2(int mode);                  // R2_COPYPEN (default), R2_XORPEN, R2_NOTXORPEN; another gives 0
    int GetROP2() const;
    // The fixed table of sys_colors.h, except on a context that paints a window on the screen (and is not
    // printing), which takes the colour from the application's palette.
    COLORREF GetSysColor(int index) const;

    // --- Lines and rectangles ---------------------------------------------------------------------------
    CPoint MoveTo(int x, int y);  // returns the previous current position
    CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
    bool LineTo(int x, int y);    // with the current pen, from the current position, which moves there
    bool LineTo(POINT point) { return LineTo(point.x, point.y); }
    CPoint GetCurrentPosition() const;
    // Filled with the current brush and outlined with the current pen.
    bool Rectangle(int left, int top, int right, int bottom);
    bool Rectangle(const RECT& rect) { return Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    bool Rectangle(const RECT* rect);
    // Filled with the brush, no outline.
    void FillRect(const RECT& rect, CBrush* brush);
    void FillRect(const RECT* rect, CBrush* brush);
    void FillSolidRect(const RECT& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    // A border drawn with the brush inside the rectangle, one logical unit but at least one pixel wide.
    void FrameRect(const RECT& rect, CBrush* brush);
    void FrameRect(const RECT* rect, CBrush* brush);

    // --- Text ---------------------------------------------------------------------------------------------
    // (x, y) is the upper-left corner of the text's cell: the baseline lies the font's ascent below it.
    // A font with escapement 0 draws horizontally; any other escapement draws the text vertically, reading
    // from bottom to top (turned a quarter counter-clockwise about (x, y)), so the cell then runs upward
    // from (x, y) along the text and to the right of x across it. Text colour from SetTextColor; the cell
    // is first filled with the background colour in OPAQUE mode. A font of size 0 draws nothing.
    // Control characters are not drawn and take no room.
    bool TextOut(int x, int y, std::string_view text);
    // Width along the baseline and the cell height, in logical units, whatever the escapement.
    CSize GetTextExtent(std::string_view text) const;
    CSize GetOutputTextExtent(std::string_view text) const { return GetTextExtent(text); }
    // With fit: the number of leading characters whose extent is at most maxExtent. With partialExtents:
    // the extent of every prefix, one entry per character. With size: GetTextExtent of the whole text.
    // Each entry equals GetTextExtent(prefix).cx. Any of the three may be null.
    bool GetTextExtentExPoint(std::string_view text, int maxExtent, int* fit, std::vector<int>* partialExtents,
                              CSize* size) const;
    // Metrics of the selected font in logical units.
    bool GetTextMetrics(TEXTMETRIC* metrics) const;

    // --- Clipping (the clip is a device rectangle; none at first) -----------------------------------------
    // Narrows the clip to a logical rectangle; returns NULLREGION or SIMPLEREGION.
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const RECT& rect) { return IntersectClipRect(rect.left, rect.top, rect.right, rect.bottom); }
    int IntersectClipRect(const RECT* rect);
    // A null region removes the clip (RGN_COPY); otherwise the clip becomes the region (RGN_COPY) or the
    // intersection of the two (RGN_AND; with no clip, the region). Returns NULLREGION, SIMPLEREGION or RGN_ERROR.
    int SelectClipRgn(const CRgn* region);
    int SelectClipRgn(const CRgn* region, int mode);
    // 1 and a copy of the clip when there is one, 0 when there is none, -1 for a null region.
    int GetClipRgn(CRgn* region) const;
    // The logical rectangle visible through the clip (the whole device when there is none), normalised.
    int GetClipBox(RECT* rect) const;
    // SaveDC keeps mapping, origins, selected objects, colours, modes, clip and current position and
    // returns the new depth (1 for the first); RestoreDC(n) returns to the state saved as depth n, and
    // RestoreDC(-k) to the k-th most recent. False, changing nothing, when there is no such state.
    int SaveDC();
    bool RestoreDC(int saved);

    // --- Images -------------------------------------------------------------------------------------------
    // Stretches the whole image into the logical rectangle whose corners are (x, y) and (x + width,
    // y + height): (x, y) is one corner and the signs of width and height say where the others lie, so in
    // MM_LOMETRIC a positive height reaches upward from y. Whatever the signs, the image is drawn upright
    // and unmirrored (its first row along the upper edge on the device), by nearest pixel, not smoothed.
    // An empty image or rectangle draws nothing.
    void DrawImage(int x, int y, int width, int height, const QImage& image);

private:
    friend class CEmfRecorder;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    bool m_printing = false;
};
