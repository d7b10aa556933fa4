#include "platform/gdi/gdi_objects.h"

#include <cstdlib>

bool CGdiObject::DeleteObject() {
    if (!m_created || m_stock) return false;
    m_created = false;
    return true;
}

bool CPen::CreatePen(int style, int width, COLORREF color) {
    if (m_stock) return false;
    m_pen.lopnStyle = static_cast<uint32_t>(style);
    m_pen.lopnWidth = POINT{width < 0 ? 0 : width, 0};
    m_pen.lopnColor = color;
    m_created = true;
    return true;
}

bool CPen::CreatePen(int style, int width, const LOGBRUSH* brush) {
    if (!brush) return false;
    // A pen painted with a hollow brush leaves no mark.
    const int s = brush->lbStyle == BS_NULL ? PS_NULL : style;
    return CreatePen(s, width, brush->lbColor);
}

bool CPen::GetLogPen(LOGPEN* pen) const {
    if (!m_created || !pen) return false;
    *pen = m_pen;
    return true;
}

bool CBrush::CreateSolidBrush(COLORREF color) {
    if (m_stock) return false;
    m_brush = LOGBRUSH{BS_SOLID, color, 0};
    m_created = true;
    return true;
}

bool CBrush::CreateBrushIndirect(const LOGBRUSH* brush) {
    if (m_stock || !brush || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) return false;
    m_brush = *brush;
    m_created = true;
    return true;
}

bool CBrush::GetLogBrush(LOGBRUSH* brush) const {
    if (!m_created || !brush) return false;
    *brush = m_brush;
    return true;
}

bool CFont::CreatePointFontIndirect(const LOGFONT* font, const CDC*) {
    if (m_stock || !font) return false;
    m_font = *font;
    m_font.lfHeight = std::abs(font->lfHeight);
    m_font.SetFaceName(font->FaceName());  // a record whose name fills every byte gets its terminator
    m_created = true;
    return true;
}

bool CFont::CreatePointFont(int tenthsOfPoint, std::string_view faceName, const CDC* dc) {
    LOGFONT lf;
    lf.lfHeight = tenthsOfPoint;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.SetFaceName(faceName);
    return CreatePointFontIndirect(&lf, dc);
}

bool CFont::GetLogFont(LOGFONT* font) const {
    if (!m_created || !font) return false;
    *font = m_font;
    return true;
}

bool CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
    m_rect = CRect(left, top, right, bottom);
    m_rect.NormalizeRect();
    m_created = true;
    return true;
}

bool CRgn::CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) return false;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
    if (!a || !a->IsCreated()) return RGN_ERROR;
    CRect r;
    if (mode == RGN_COPY) {
        r = a->m_rect;
    } else if (mode == RGN_AND) {
        if (!b || !b->IsCreated()) return RGN_ERROR;
        r.IntersectRect(a->m_rect, b->m_rect);
    } else {
        return RGN_ERROR;
    }
    m_rect = r;
    m_created = true;
    return m_rect.IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

int CRgn::GetRgnBox(RECT* rect) const {
    if (!m_created) return RGN_ERROR;
    if (rect) *rect = m_rect;
    return m_rect.IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

namespace {

template <class T>
struct StockObject : T {
    template <class Make>
    explicit StockObject(Make make) {
        make(static_cast<T&>(*this));
        this->m_stock = true;
    }
};

}  // namespace

CGdiObject* GetStockObject(int index) {
    static StockObject<CBrush> whiteBrush([](CBrush& b) { b.CreateSolidBrush(RGB(255, 255, 255)); });
    static StockObject<CBrush> blackBrush([](CBrush& b) { b.CreateSolidBrush(RGB(0, 0, 0)); });
    static StockObject<CBrush> nullBrush([](CBrush& b) {
        const LOGBRUSH hollow{BS_NULL, 0, 0};
        b.CreateBrushIndirect(&hollow);
    });
    static StockObject<CPen> whitePen([](CPen& p) { p.CreatePen(PS_SOLID, 0, RGB(255, 255, 255)); });
    static StockObject<CPen> blackPen([](CPen& p) { p.CreatePen(PS_SOLID, 0, RGB(0, 0, 0)); });
    static StockObject<CPen> nullPen([](CPen& p) { p.CreatePen(PS_NULL, 0, RGB(0, 0, 0)); });
    static StockObject<CFont> ansiVarFont([](CFont& f) { f.CreatePointFont(80, "Arial"); });
    switch (index) {
        case WHITE_BRUSH: return &whiteBrush;
        case BLACK_BRUSH: return &blackBrush;
        case NULL_BRUSH: return &nullBrush;
        case WHITE_PEN: return &whitePen;
        case BLACK_PEN: return &blackPen;
        case NULL_PEN: return &nullPen;
        case ANSI_VAR_FONT: return &ansiVarFont;
        default: return nullptr;
    }
}
