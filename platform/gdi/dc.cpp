#include "platform/gdi/dc.h"

#include "platform/gdi/screen_colors.h"

#include <cmath>

#include <QGuiApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPalette>

#include "platform/gdi/dc_impl.h"
#include "platform/gdi/emf_writer.h"

namespace {

int RoundPixel(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

// --- Construction ---------------------------------------------------------------------------------------

void CDC::Impl::TakeDevice(QPaintDevice* device) {
    if (!device) return;
    if (device->logicalDpiX() > 0) dpiX = device->logicalDpiX();
    if (device->logicalDpiY() > 0) dpiY = device->logicalDpiY();
    width = device->width();
    height = device->height();
    depth = device->depth();
    screen = device->devType() == QInternal::Widget;
}

CDC::CDC() : m_impl(std::make_unique<Impl>()) {
    CGdiObject* pen = GetStockObject(BLACK_PEN);
    CGdiObject* brush = GetStockObject(WHITE_BRUSH);
    CGdiObject* font = GetStockObject(ANSI_VAR_FONT);
    SelectObject(pen);
    SelectObject(brush);
    SelectObject(font);
}

CDC::CDC(QPaintDevice* device) : CDC() {
    if (!device) return;
    m_impl->TakeDevice(device);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device)) return;
    m_impl->ownPainter = std::move(painter);
    m_impl->painter = m_impl->ownPainter.get();
    m_impl->painter->setRenderHint(QPainter::Antialiasing, false);
    m_impl->painter->setRenderHint(QPainter::TextAntialiasing, true);
    m_impl->painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
}

CDC::CDC(QPainter* painter) : CDC() {
    if (!painter || !painter->isActive()) return;
    m_impl->TakeDevice(painter->device());
    m_impl->painter = painter;
    m_impl->externalPainter = true;
    painter->save();
    if (painter->hasClipping()) m_impl->baseClip = painter->clipRegion();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
}

CDC::CDC(CEmfRecorder* recorder) : CDC() {
    if (!recorder) return;
    m_impl->recorder = recorder;
    m_impl->dpiX = m_impl->dpiY = CEmfRecorder::kDotsPerInch;
    m_impl->width = recorder->DeviceWidth();
    m_impl->height = recorder->DeviceHeight();
    m_impl->depth = 24;
}

CDC::~CDC() {
    if (!m_impl->painter) return;
    if (m_impl->externalPainter)
        m_impl->painter->restore();
    else
        m_impl->painter->end();
}

// --- Mapping --------------------------------------------------------------------------------------------

CPoint CDC::Impl::ToDevicePoint(int x, int y) const {
    const QPointF p = ToDevice(x, y);
    return CPoint(RoundPixel(p.x()), RoundPixel(p.y()));
}

CPoint CDC::Impl::ToLogicalPoint(int x, int y) const {
    const double lx = (x - state.viewportOrg.x) / ScaleX() + state.windowOrg.x;
    const double ly = (y - state.viewportOrg.y) / (SignY() * ScaleY()) + state.windowOrg.y;
    return CPoint(RoundPixel(lx), RoundPixel(ly));
}

CRect CDC::Impl::ToDeviceRect(int left, int top, int right, int bottom) const {
    CRect r(ToDevicePoint(left, top), ToDevicePoint(right, bottom));
    r.NormalizeRect();
    return r;
}

int CDC::SetMapMode(int mode) {
    if (mode != MM_TEXT && mode != MM_LOMETRIC) return 0;
    const int previous = m_impl->state.mapMode;
    m_impl->state.mapMode = mode;
    return previous;
}

int CDC::GetMapMode() const { return m_impl->state.mapMode; }

CPoint CDC::SetWindowOrg(int x, int y) {
    const CPoint previous = m_impl->state.windowOrg;
    m_impl->state.windowOrg = CPoint(x, y);
    return previous;
}

CPoint CDC::GetWindowOrg() const { return m_impl->state.windowOrg; }

CPoint CDC::SetViewportOrg(int x, int y) {
    const CPoint previous = m_impl->state.viewportOrg;
    m_impl->state.viewportOrg = CPoint(x, y);
    return previous;
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) {
    const CPoint previous = m_impl->state.viewportOrg;
    m_impl->state.viewportOrg.Offset(dx, dy);
    return previous;
}

CPoint CDC::GetViewportOrg() const { return m_impl->state.viewportOrg; }

void CDC::LPtoDP(POINT* points, int count) const {
    if (!points) return;
    for (int i = 0; i < count; ++i) points[i] = m_impl->ToDevicePoint(points[i].x, points[i].y);
}

void CDC::LPtoDP(RECT* rect) const {
    if (!rect) return;
    const CPoint a = m_impl->ToDevicePoint(rect->left, rect->top);
    const CPoint b = m_impl->ToDevicePoint(rect->right, rect->bottom);
    *rect = CRect(a, b);
}

void CDC::LPtoDP(SIZE* size) const {
    if (!size) return;
    size->cx = RoundPixel(size->cx * m_impl->ScaleX());
    size->cy = RoundPixel(size->cy * m_impl->ScaleY());
}

void CDC::DPtoLP(POINT* points, int count) const {
    if (!points) return;
    for (int i = 0; i < count; ++i) points[i] = m_impl->ToLogicalPoint(points[i].x, points[i].y);
}

void CDC::DPtoLP(RECT* rect) const {
    if (!rect) return;
    const CPoint a = m_impl->ToLogicalPoint(rect->left, rect->top);
    const CPoint b = m_impl->ToLogicalPoint(rect->right, rect->bottom);
    *rect = CRect(a, b);
}

void CDC::DPtoLP(SIZE* size) const {
    if (!size) return;
    size->cx = RoundPixel(size->cx / m_impl->ScaleX());
    size->cy = RoundPixel(size->cy / m_impl->ScaleY());
}

int CDC::GetDeviceCaps(int index) const {
    const Impl& d = *m_impl;
    switch (index) {
        case HORZSIZE: return RoundPixel(d.width * 25.4 / d.dpiX);
        case VERTSIZE: return RoundPixel(d.height * 25.4 / d.dpiY);
        case HORZRES: return d.width;
        case VERTRES: return d.height;
        case BITSPIXEL: return d.depth;
        case LOGPIXELSX: return RoundPixel(d.dpiX);
        case LOGPIXELSY: return RoundPixel(d.dpiY);
        case PHYSICALWIDTH: return d.physicalWidth >= 0 ? d.physicalWidth : d.width;
        case PHYSICALHEIGHT: return d.physicalHeight >= 0 ? d.physicalHeight : d.height;
        case PHYSICALOFFSETX: return d.physicalOffsetX;
        case PHYSICALOFFSETY: return d.physicalOffsetY;
        default: return 0;
    }
}

void CDC::SetPhysicalPage(int width, int height, int offsetX, int offsetY) {
    m_impl->physicalWidth = width;
    m_impl->physicalHeight = height;
    m_impl->physicalOffsetX = offsetX;
    m_impl->physicalOffsetY = offsetY;
}

// --- Objects --------------------------------------------------------------------------------------------

CPen* CDC::SelectObject(CPen* pen) {
    LOGPEN value;
    if (!pen || !pen->GetLogPen(&value)) return nullptr;
    CPen* previous = m_impl->state.penObject;
    m_impl->state.pen = value;
    m_impl->state.penObject = pen;
    return previous;
}

CBrush* CDC::SelectObject(CBrush* brush) {
    LOGBRUSH value;
    if (!brush || !brush->GetLogBrush(&value)) return nullptr;
    CBrush* previous = m_impl->state.brushObject;
    m_impl->state.brush = value;
    m_impl->state.brushObject = brush;
    return previous;
}

CFont* CDC::SelectObject(CFont* font) {
    LOGFONT value;
    if (!font || !font->GetLogFont(&value)) return nullptr;
    CFont* previous = m_impl->state.fontObject;
    m_impl->state.font = value;
    m_impl->state.fontObject = font;
    return previous;
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    if (auto* pen = dynamic_cast<CPen*>(object)) return SelectObject(pen);
    if (auto* brush = dynamic_cast<CBrush*>(object)) return SelectObject(brush);
    if (auto* font = dynamic_cast<CFont*>(object)) return SelectObject(font);
    return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
    return SelectObject(GetStockObject(index));
}

// --- Colours and modes ----------------------------------------------------------------------------------

COLORREF CDC::SetTextColor(COLORREF color) {
    const COLORREF previous = m_impl->state.textColor;
    m_impl->state.textColor = color;
    return previous;
}

COLORREF CDC::GetTextColor() const { return m_impl->state.textColor; }

COLORREF CDC::SetBkColor(COLORREF color) {
    const COLORREF previous = m_impl->state.bkColor;
    m_impl->state.bkColor = color;
    return previous;
}

COLORREF CDC::GetBkColor() const { return m_impl->state.bkColor; }

int CDC::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    const int previous = m_impl->state.bkMode;
    m_impl->state.bkMode = mode;
    return previous;
}

int CDC::GetBkMode() const { return m_impl->state.bkMode; }

int CDC::SetROP2(int mode) {
    if (mode != R2_COPYPEN && mode != R2_XORPEN && mode != R2_NOTXORPEN) return 0;
    const int previous = m_impl->state.rop2;
    m_impl->state.rop2 = mode;
    return previous;
}

int CDC::GetROP2() const { return m_impl->state.rop2; }

COLORREF CDC::GetSysColor(int index) const {
    if (!m_impl->screen || m_printing) return ::GetSysColor(index);
    return GetScreenSysColor(index);
}

// --- Clipping and saved states --------------------------------------------------------------------------

void CDC::Impl::ApplyClip() {
    if (!painter) return;
    if (state.clip) {
        const CRect& c = *state.clip;
        QRegion r(QRect(c.left, c.top, c.Width(), c.Height()));
        if (baseClip) r = r.intersected(*baseClip);
        // An empty region must still clip everything away.
        if (r.isEmpty())
            painter->setClipRect(QRect(0, 0, 0, 0));
        else
            painter->setClipRegion(r);
    } else if (baseClip) {
        painter->setClipRegion(*baseClip);
    } else {
        painter->setClipping(false);
    }
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom) {
    CRect r = m_impl->ToDeviceRect(left, top, right, bottom);
    if (m_impl->state.clip) r.IntersectRect(r, *m_impl->state.clip);
    if (r.IsRectEmpty()) r.SetRectEmpty();
    m_impl->state.clip = r;
    m_impl->ApplyClip();
    return r.IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::IntersectClipRect(const RECT* rect) {
    if (!rect) return RGN_ERROR;
    return IntersectClipRect(*rect);
}

int CDC::SelectClipRgn(const CRgn* region) { return SelectClipRgn(region, RGN_COPY); }

int CDC::SelectClipRgn(const CRgn* region, int mode) {
    if (!region) {
        if (mode != RGN_COPY) return RGN_ERROR;
        m_impl->state.clip.reset();
        m_impl->ApplyClip();
        return SIMPLEREGION;
    }
    CRect r;
    if (region->GetRgnBox(&r) == RGN_ERROR) return RGN_ERROR;
    if (mode == RGN_AND) {
        if (m_impl->state.clip) r.IntersectRect(r, *m_impl->state.clip);
    } else if (mode != RGN_COPY) {
        return RGN_ERROR;
    }
    if (r.IsRectEmpty()) r.SetRectEmpty();
    m_impl->state.clip = r;
    m_impl->ApplyClip();
    return r.IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::GetClipRgn(CRgn* region) const {
    if (!region) return -1;
    if (!m_impl->state.clip) return 0;
    region->CreateRectRgnIndirect(&*m_impl->state.clip);
    return 1;
}

int CDC::GetClipBox(RECT* rect) const {
    const CRect device = m_impl->state.clip ? *m_impl->state.clip : CRect(0, 0, m_impl->width, m_impl->height);
    CRect logical(m_impl->ToLogicalPoint(device.left, device.top), m_impl->ToLogicalPoint(device.right, device.bottom));
    logical.NormalizeRect();
    if (rect) *rect = logical;
    return device.IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::SaveDC() {
    m_impl->saved.push_back(m_impl->state);
    return static_cast<int>(m_impl->saved.size());
}

bool CDC::RestoreDC(int saved) {
    const int depth = static_cast<int>(m_impl->saved.size());
    const int index = saved < 0 ? depth + saved : saved - 1;
    if (saved == 0 || index < 0 || index >= depth) return false;
    m_impl->state = m_impl->saved[static_cast<size_t>(index)];
    m_impl->saved.resize(static_cast<size_t>(index));
    m_impl->ApplyClip();
    return true;
}
