#include "report/dialogs/position_logic.h"

#include <fmt/printf.h>

#include <optional>

#include "platform/ui/messages.h"
#include "report/dialogs/number_field.h"
#include "report/model/report_element.h"

namespace {

constexpr double kMaxLineWidth = 10.0;

int Tenths(double mm) { return static_cast<int>(mm * 10.0); }

}  // namespace

std::string MillimetreText(double mm) { return fmt::sprintf("%.10g", mm); }

CPositionPageLogic::CPositionPageLogic(std::vector<CReportElement*> elements, CReportElement* primary,
                                       int reportMode)
    : m_Elements(std::move(elements)), m_nReportMode(reportMode) {
    if (!primary && !m_Elements.empty()) primary = m_Elements.front();
    if (primary) {
        m_LineWidth = MillimetreText(primary->GetLineWidth() * 0.1);
        m_bFixed = primary->GetFixed() != 0;
    }
    m_OpenLineWidth = m_LineWidth;
    m_bOpenFixed = m_bFixed;
    if (m_Elements.size() != 1) return;
    const CReportElement* e = m_Elements.front();
    const CPoint origin = e->GetOrigin();
    const CSize size = e->GetSize();
    m_X = MillimetreText(origin.x / 10.0);
    m_Y = MillimetreText(-(origin.y + size.cy) / 10.0);
    m_Width = MillimetreText(size.cx / 10.0);
    m_Height = MillimetreText(size.cy / 10.0);
}

bool CPositionPageLogic::Apply() {
    if (ReadOnly()) return true;
    const bool single = m_Elements.size() == 1;
    std::optional<double> x, y, width, height;
    double lineWidth = 0.0;
    for (auto [text, out] : {std::pair{&m_X, &x}, {&m_Y, &y}, {&m_Width, &width}, {&m_Height, &height}}) {
        // One element shows every value, so an emptied field is as wrong as a letter.
        if (!ReadNumberField(*text, *out) || (single && !out->has_value())) {
            AfxMessageBox("Введите число.", MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    // With several elements the line width and the fixed box belong to the primary element: they go to
    // every element only when the user changed them, so each element otherwise keeps its own.
    const bool applyLineWidth = single || m_LineWidth != m_OpenLineWidth;
    const bool applyFixed = single || m_bFixed != m_bOpenFixed;
    if (applyLineWidth) {
        if (!ReadNumberInRange(m_LineWidth, 0.0, kMaxLineWidth, lineWidth)) return false;
    }
    for (CReportElement* e : m_Elements) {
        CSize size = e->GetSize();
        if (width) size.cx = Tenths(*width);
        if (height) size.cy = Tenths(*height);
        e->SetSize(size);
        CPoint origin = e->GetOrigin();
        if (x) origin.x = Tenths(*x);
        if (y) origin.y = -size.cy - Tenths(*y);
        e->SetOrigin(origin);
        if (applyLineWidth) e->SetLineWidth(Tenths(lineWidth));
        if (applyFixed) e->SetFixed(m_bFixed ? 1 : 0);
    }
    return true;
}
