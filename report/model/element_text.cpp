// Text of an element: what is shown (own text, a parameter, a page field), at which size, and where its
// lines go inside the rectangle.
#include <ctime>

#include <fmt/printf.h>

#include "platform/gdi/dc.h"
#include "platform/text/utf8.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"

namespace {

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y", &local);
    return text;
}

}  // namespace

std::string CReportElement::DisplayText(int reportMode, bool* grey) const {
    if (grey) *grey = false;
    switch (m_TextValue.GetType()) {
    case kTextOwn: return m_TextValue.GetOwnText();
    case kTextParam: break;
    default: return {};
    }
    // A link whose parameter is missing shows nothing; the value itself stays as it is.
    const CReportParam* param = m_TextValue.GetParam();
    if (!param) return {};
    switch (param->GetType()) {
    case kParamPageNumber:
    case kParamLocalPageNumber:
        return m_pSheet ? zor::TrimLeft(m_pSheet->GetName(), "Лист") : std::string();
    case kParamPageCount:
    case kParamLocalPageCount:
        return fmt::sprintf("%d", m_pManager ? m_pManager->GetSheetCount() : 0);
    case kParamCurrentDate:
    case kParamReportDate:
        return Today();
    default:
        if (reportMode != 0) return param->GetText();
        if (grey) *grey = true;
        return param->GetName();
    }
}

void CReportElement::DrawTextA(CDC* dc, double zoom, int reportMode) {
    if (!dc || m_TextValue.GetType() == kTextNone) return;
    CRect r;
    GetRect(r, zoom, dc->IsPrinting() ? 1 : 0);
    const COLORREF oldColor = dc->SetTextColor(dc->GetSysColor(COLOR_WINDOWTEXT));
    bool grey = false;
    const std::string text = zor::Trim(DisplayText(reportMode, &grey), " ");
    if (grey) dc->SetTextColor(dc->GetSysColor(COLOR_GRAYTEXT));
    if (text.empty()) {
        dc->SetTextColor(oldColor);
        return;
    }
    const bool vertical = m_TextValue.GetOrientation() == 1;
    LOGFONT lf = m_TextValue.GetFont();
    lf.lfEscapement = vertical ? -900 : 0;
    lf.lfQuality = 0;
    lf.lfHeight = ZoomTrunc(lf.lfHeight * zoom + 0.0001);
    CFont font;
    font.CreatePointFontIndirect(&lf, dc);
    CFont* oldFont = dc->SelectObject(&font);

    const int margin = ZoomTrunc(5 * zoom);
    r.DeflateRect(margin, margin);
    bool draw = true;
    if (!m_TextValue.GetFitText()) {
        r.DeflateRect(margin, margin);
    } else {
        lf.lfHeight = FitFontHeight(dc, lf, text, r, vertical);
        draw = lf.lfHeight >= 1;
        font.DeleteObject();
        font.CreatePointFontIndirect(&lf, dc);
        dc->SelectObject(&font);
    }
    if (draw && lf.lfHeight != 0) ReportDrawText(dc, r, text, static_cast<unsigned>(m_TextValue.GetAlign()), zoom);
    dc->SetTextColor(oldColor);
    if (oldFont) dc->SelectObject(oldFont);
}

int CReportElement::FitFontHeight(CDC* dc, const LOGFONT& font, const std::string& text, const CRect& r,
                                  bool vertical) {
    if (!dc) return 0;
    LOGFONT lf = font;
    CFont trial;
    trial.CreatePointFontIndirect(&lf, dc);
    CFont* previous = dc->SelectObject(&trial);
    bool fits = false;
    do {
        const CSize extent = dc->GetTextExtent(text);
        fits = vertical ? (r.Height() >= extent.cx && r.Width() >= extent.cy)
                        : (r.Width() >= extent.cx && r.Height() >= extent.cy);
        lf.lfHeight -= 1;
        if (lf.lfHeight < 1) {
            lf.lfHeight = 0;
            break;
        }
        trial.DeleteObject();
        trial.CreatePointFontIndirect(&lf, dc);
        dc->SelectObject(&trial);
    } while (!fits);
    if (previous) dc->SelectObject(previous);
    return lf.lfHeight;
}

void CReportElement::ConvertLOMETRICtoTEXT(const CDC* dc, CRect& rect) {
    if (dc) dc->LPtoDP(&rect);
}

void CReportElement::ReportDrawText(CDC* dc, CRect r, const std::string& source, unsigned flags, double zoom) {
    if (!dc) return;
    const int oldBkMode = dc->SetBkMode(TRANSPARENT);
    r.NormalizeRect();
    CRect clip = r;
    const int overhang = ZoomTrunc(9 * zoom);
    clip.InflateRect(overhang, overhang);
    std::string text = source;
    std::erase(text, '\r');

    CRect device = clip;
    ConvertLOMETRICtoTEXT(dc, device);
    device.NormalizeRect();
    CRgn previous;
    const bool hadClip = dc->GetClipRgn(&previous) == 1;
    CRgn region, own;
    own.CreateRectRgnIndirect(&device);
    if (hadClip)
        region.CombineRgn(&own, &previous, RGN_AND);
    else
        region.CombineRgn(&own, &own, RGN_COPY);
    dc->SelectClipRgn(&region);

    const bool vertical = m_TextValue.GetOrientation() == 1;
    const bool wrap = m_TextValue.GetWordWrap() != 0;
    std::vector<std::string> lines;
    if (!vertical) {
        if (wrap)
            CTextValue::BreakString(&lines, r.Width(), dc, text);
        else
            lines.push_back(text);
    } else {
        if (!wrap || m_TextValue.GetFitText())
            lines.push_back(text);
        else
            CTextValue::BreakString(&lines, r.Height(), dc, text);
    }

    if (!lines.empty()) {
        TEXTMETRIC tm;
        dc->GetTextMetrics(&tm);
        const int lineHeight = tm.tmAscent + tm.tmDescent;
        const int leading = tm.tmExternalLeading;
        const int count = static_cast<int>(lines.size());
        const int block = count * lineHeight + (count - 1) * leading;
        if (!vertical) {
            int y = (flags & kAlignTop)       ? r.bottom
                    : (flags & kAlignBottom)  ? r.top + block
                    : (flags & kAlignVCenter) ? (r.top + r.bottom) / 2 + block / 2
                                              : r.bottom;
            for (const std::string& line : lines) {
                const int w = dc->GetTextExtent(line).cx;
                const int x = (flags & kAlignRight)     ? r.right - w
                              : (flags & kAlignLeft)    ? r.left
                              : (flags & kAlignHCenter) ? (r.right - r.left) / 2 + r.left - w / 2
                                                        : r.left;
                dc->TextOut(x, y, line);
                y -= lineHeight + leading;
            }
        } else {
            int x = (flags & kAlignRight)     ? r.right - block - 1
                    : (flags & kAlignLeft)    ? r.left + 1
                    : (flags & kAlignHCenter) ? (r.left + r.right) / 2 - block / 2
                                              : r.left + 1;
            for (const std::string& line : lines) {
                const int w = dc->GetTextExtent(line).cx;
                const int y = (flags & kAlignTop)       ? r.bottom - w
                              : (flags & kAlignBottom)  ? r.top + 1
                              : (flags & kAlignVCenter) ? (r.bottom - r.top) / 2 + r.top - w / 2
                                                        : r.top + 1;
                dc->TextOut(x, y, line);
                x += lineHeight + leading;
            }
        }
    }
    dc->SelectClipRgn(hadClip ? &previous : nullptr);
    dc->SetBkMode(oldBkMode);
}
