// The element base: geometry, hit-testing, moving, rounding, ordering, cloning and the store transfer.
#include "report/model/report_element.h"

#include <cmath>

#include "platform/gdi/dc.h"
#include "platform/settings/default_settings.h"
#include "report/model/element_defaults.h"
#include "platform/zordata/zordata.h"
#include "report/model/element_dialogs.h"
#include "report/model/element_factory.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/store_instances.h"

int ZoomTrunc(double value) {
    return static_cast<int>(value >= 0 ? value + 0.000001 : value - 0.000001);
}

namespace {

// Half away from zero, then the usual truncation.
int RoundAway(double value) { return ZoomTrunc(value >= 0 ? value + 0.5 : value - 0.5); }

// The drag rule of a rectangle: which sides a mode moves.
struct SideMask {
    bool left, top, right, bottom;
};

SideMask RectSides(int mode) {
    switch (mode) {
    case kDragLeftTop: return {true, true, false, false};
    case kDragRightTop: return {false, true, true, false};
    case kDragTop: return {false, true, false, false};
    case kDragBottom: return {false, false, false, true};
    case kDragLeft: return {true, false, false, false};
    case kDragRight: return {false, false, true, false};
    case kDragLeftBottom: return {true, false, false, true};
    case kDragRightBottom: return {false, false, true, true};
    case kDragMove: return {true, true, true, true};
    case kDragNewRect:
    case kDragNewFrame: return {false, false, true, true};
    default: return {false, false, false, false};
    }
}

SideMask LineSides(int mode) {
    switch (mode) {
    case kDragLeft: return {true, true, false, false};    // start point
    case kDragRight:
    case kDragNewLine: return {false, false, true, true};  // end point
    case kDragMove: return {true, true, true, true};
    default: return {false, false, false, false};
    }
}

}  // namespace

CReportElement::CReportElement(CFolivox* manager)
    : m_nLineWidth(CHeldElementDefaults::LineWidth()), m_pManager(manager),
      m_nFixed(CHeldElementDefaults::CreateFixed()) {}

CReportElement& CReportElement::operator=(const CReportElement& other) {
    if (this == &other) return *this;
    m_nLineWidth = other.m_nLineWidth;
    m_nKind = other.m_nKind;
    m_nSelected = other.m_nSelected;
    m_nOwnColor = other.m_nOwnColor;
    m_Color = other.m_Color;
    m_x = other.m_x;
    m_y = other.m_y;
    m_cx = other.m_cx;
    m_cy = other.m_cy;
    m_pInstance = other.m_pInstance;
    m_Name = other.m_Name;
    m_HandleSize = other.m_HandleSize;
    m_pSheet = other.m_pSheet;
    m_pManager = other.m_pManager;
    m_TextValue = other.m_TextValue;
    m_nFixed = other.m_nFixed;
    return *this;
}

// --- Geometry ----------------------------------------------------------------------------------------------

void CReportElement::GetRect(CRect& out, double zoom, int sheetCoordinates) const {
    CPoint origin(m_x, m_y);
    if (!sheetCoordinates && m_pSheet) m_pSheet->PtSheetToLog(origin);
    out.left = ZoomTrunc(origin.x * zoom);
    out.top = ZoomTrunc(origin.y * zoom);
    out.right = out.left + ZoomTrunc(m_cx * zoom);
    out.bottom = out.top + ZoomTrunc(m_cy * zoom);
}

void CReportElement::SetRect(CRect rect, double zoom) {
    if (zoom == 0) return;
    const int left = ZoomTrunc(rect.left / zoom);
    const int top = ZoomTrunc(rect.top / zoom);
    const int right = ZoomTrunc(rect.right / zoom);
    const int bottom = ZoomTrunc(rect.bottom / zoom);
    m_x = left;
    m_y = top;
    m_cx = right - left;
    m_cy = bottom - top;
}

std::vector<CPoint> CReportElement::HandlePoints(double zoom) const {
    std::vector<CPoint> points;
    GetSelPts(points, nullptr, zoom);
    return points;
}

int CReportElement::GetSelPts(std::vector<CPoint>& points, const CDC* dc, double zoom) const {
    CRect r;
    if (dc && dc->IsPrinting()) {
        // Paper has no view offset and takes the origin as stored.
        r.left = m_x;
        r.top = m_y;
        r.right = r.left + ZoomTrunc(m_cx * zoom);
        r.bottom = r.top + ZoomTrunc(m_cy * zoom);
    } else {
        GetRect(r, zoom, 0);
    }
    const int midX = r.left + (r.right - r.left) / 2;
    const int midY = r.top + (r.bottom - r.top) / 2;
    if (m_nKind == kElemLine) {
        points.insert(points.end(), {CPoint(r.left, r.top), CPoint(midX, midY), CPoint(r.right, r.bottom)});
    } else {
        points.insert(points.end(), {CPoint(r.left, r.top), CPoint(midX, r.top), CPoint(r.right, r.top),
                                     CPoint(r.right, midY), CPoint(r.right, r.bottom), CPoint(midX, r.bottom),
                                     CPoint(r.left, r.bottom), CPoint(r.left, midY)});
    }
    return 1;
}

CRect CReportElement::GetSelPtRect(CPoint point) {
    CRect r(point.x, point.y, point.x + 20, point.y + 20);
    r.OffsetRect(-10, -10);
    return r;
}

int CReportElement::GetDragMode(CPoint point, int&, double zoom) const {
    CRect r;
    GetRect(r, zoom, 0);
    const std::vector<CPoint> handles = HandlePoints(zoom);
    if (m_nKind != kElemLine) {
        static constexpr int kHandleModes[8] = {kDragLeftTop,  kDragTop,    kDragRightTop,    kDragRight,
                                                kDragRightBottom, kDragBottom, kDragLeftBottom, kDragLeft};
        if (m_nSelected) {
            for (size_t i = 0; i < handles.size() && i < 8; ++i)
                if (GetSelPtRect(handles[i]).PtInRect(point)) return m_nFixed ? kDragFixed : kHandleModes[i];
        }
        if (r.PtInRect(point)) return m_nFixed ? kDragFixed : kDragMove;
        return kDragNone;
    }
    static constexpr int kLineModes[3] = {kDragLeft, kDragMove, kDragRight};
    for (size_t i = 0; i < handles.size() && i < 3; ++i)
        if (GetSelPtRect(handles[i]).PtInRect(point)) return m_nFixed ? kDragFixed : kLineModes[i];
    CRect box = r;
    box.NormalizeRect();
    box.InflateRect(10, 10);
    if (!box.PtInRect(point)) return kDragNone;
    if (m_nFixed) return kDragFixed;
    // Distance from the point to the line through both ends; a line of no length is a point.
    const double ax = point.x - r.left, ay = point.y - r.top;
    const double bx = point.x - r.right, by = point.y - r.bottom;
    const double a = ax * ax + ay * ay;
    const double b = bx * bx + by * by;
    const double length = zoom * std::sqrt(static_cast<double>(m_cx) * m_cx + static_cast<double>(m_cy) * m_cy);
    double d;
    if (length > 0) {
        const double t = (a - b + length * length) / (2 * length);
        d = std::sqrt(std::max(0.0, a - t * t));
    } else {
        d = std::sqrt(a);
    }
    return d <= 20 ? kDragMove : kDragNone;
}

int CReportElement::Move(CSize delta, int mode, double zoom) {
    if (zoom == 0) return mode;
    CRect r;
    GetRect(r, 1.0, 1);
    const int dx = RoundAway(delta.cx / zoom);
    const int dy = RoundAway(delta.cy / zoom);
    const SideMask m = m_nKind == kElemLine ? LineSides(mode) : RectSides(mode);
    if (m.left) r.left += dx;
    if (m.right) r.right += dx;
    if (m.top) r.top += dy;
    if (m.bottom) r.bottom += dy;
    SetRect(r, 1.0);
    return mode;
}

namespace {

enum class Edge { Left, Top, Right, Bottom };

// The element's rectangle at zoom with one edge widened to a band of half on both sides, normalised.
CRect EdgeBand(const CReportElement& element, double zoom, Edge edge, int half) {
    CRect r;
    element.GetRect(r, zoom, 0);
    CRect band = r;
    switch (edge) {
    case Edge::Left: band.left = r.left - half; band.right = r.left + half; break;
    case Edge::Top: band.top = r.top - half; band.bottom = r.top + half; break;
    case Edge::Right: band.left = r.right - half; band.right = r.right + half; break;
    case Edge::Bottom: band.top = r.bottom - half; band.bottom = r.bottom + half; break;
    }
    band.NormalizeRect();
    return band;
}

}  // namespace

CRect CReportElement::GetLeftRect(int half, double zoom) const { return EdgeBand(*this, zoom, Edge::Left, half); }
CRect CReportElement::GetTopRect(int half, double zoom) const { return EdgeBand(*this, zoom, Edge::Top, half); }
CRect CReportElement::GetRightRect(int half, double zoom) const { return EdgeBand(*this, zoom, Edge::Right, half); }
CRect CReportElement::GetBottomRect(int half, double zoom) const { return EdgeBand(*this, zoom, Edge::Bottom, half); }

int CReportElement::GetRange(CRect& out) const {
    out.SetRectEmpty();
    if (!m_pSheet) return 1;
    const CPoint origin = m_pSheet->GetOrgPt();
    const CSize size = m_pSheet->GetSize();
    out.SetRect(origin.x, origin.y, origin.x + size.cx, origin.y + size.cy);
    return 1;
}

void CReportElement::Align() {
    auto toMillimetre = [](int value, double shift) { return ZoomTrunc(value * 0.1 + shift) * 10; };
    m_x = toMillimetre(m_x, 0.5);
    m_y = toMillimetre(m_y, -0.5);
    m_cx = toMillimetre(m_cx, m_cx >= 1 ? 0.5 : -0.5);
    m_cy = toMillimetre(m_cy, m_cy >= 1 ? 0.5 : -0.5);
}

// --- Commands ---------------------------------------------------------------------------------------------

bool CReportElement::ElemProper(int reportMode) {
    IElementDialogs* dialogs = ElementDialogs();
    return dialogs && dialogs->ElemProper(*this, reportMode);
}

int CReportElement::ShowContextMenu(CPoint point, QWidget* window, int reportMode) {
    IElementDialogs* dialogs = ElementDialogs();
    return dialogs ? dialogs->ShowContextMenu(*this, point, window, reportMode) : 0;
}

int CReportElement::ExecuteCmd(unsigned id) {
    if (id == 0) return 0;
    if (id != ID_ELEM_TO_FRONT && id != ID_ELEM_TO_BACK) return static_cast<int>(id);
    if (!m_pSheet) return 0;
    CTypedPtrArray<CReportElement>& list = m_pSheet->GetElements();
    const int index = list.Find(this);
    if (index < 0) return 0;
    list.RemoveAt(index);
    if (id == ID_ELEM_TO_FRONT)
        list.Add(this);
    else
        list.InsertAt(0, this);
    return 0;
}

// --- Cloning and the store ----------------------------------------------------------------------------------

CReportElement* CReportElement::CreateClon() {
    auto* clone = new CReportElement(m_pManager);
    CopyBaseTo(*clone);
    clone->m_nKind = m_nKind;  // a line or a text rectangle
    clone->m_TextValue = m_TextValue;
    return clone;
}

void CReportElement::CopyBaseTo(CReportElement& copy) const {
    copy.m_x = m_x;
    copy.m_y = m_y;
    copy.m_cx = m_cx;
    copy.m_cy = m_cy;
    copy.m_Name = m_Name;
    copy.m_nLineWidth = m_nLineWidth;
    copy.m_nFixed = m_nFixed;
}

void CReportElement::UpdateData() { m_TextValue.UpdateData(m_pManager); }

void CReportElement::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, ElementEntityOfKind(m_pManager->Schema(), m_nKind));
        WriteCommon();
    } else if (m_pInstance) {
        ReadCommon();
    }
}

void CReportElement::WriteCommon() {
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    m_TextValue.UpdateData(m_pManager);
    store->PutAttr(m_pInstance, s.zor_report_sheet_element_text_value, m_TextValue.GetInstance());
    WritePlacement();
}

void CReportElement::WritePlacement() {
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    store->PutAttr(m_pInstance, s.zor_report_sheet_element_name, m_Name);
    store->PutAttr(m_pInstance, s.zor_report_sheet_element_line_width, m_nLineWidth);
    store->PutAttr(m_pInstance, s.zor_report_sheet_element_fixed, m_nFixed);
    m_pManager->PutPoint(m_pInstance, s.zor_report_sheet_element_org_pt, CPoint(m_x, m_y));
    m_pManager->PutPoint(m_pInstance, s.zor_report_sheet_element_size, CPoint(m_cx, m_cy));
}

void CReportElement::ReadCommon() {
    CzorInstance* value = nullptr;
    m_pManager->GetStore()->GetAttr(m_pInstance, m_pManager->Schema().zor_report_sheet_element_text_value, value);
    m_TextValue.CreateFromInst(value, m_pManager);
    ReadPlacement();
}

void CReportElement::ReadPlacement() {
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    store->GetAttr(m_pInstance, s.zor_report_sheet_element_name, m_Name);
    store->GetAttr(m_pInstance, s.zor_report_sheet_element_line_width, m_nLineWidth);
    store->GetAttr(m_pInstance, s.zor_report_sheet_element_fixed, m_nFixed);
    CPoint origin, size;
    m_pManager->GetPoint(m_pInstance, s.zor_report_sheet_element_org_pt, origin);
    m_pManager->GetPoint(m_pInstance, s.zor_report_sheet_element_size, size);
    m_x = origin.x;
    m_y = origin.y;
    m_cx = size.x;
    m_cy = size.y;
}

void CReportElement::Delete() {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (m_pInstance) {
        for (CzorAttr* attr : {s.zor_report_sheet_element_org_pt, s.zor_report_sheet_element_size}) {
            CzorInstance* point = nullptr;
            if (store->GetAttr(m_pInstance, attr, point) && point) store->DeleteInstance(point, true, false);
        }
    }
    m_TextValue.Delete(m_pManager);
}
