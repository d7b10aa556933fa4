#pragma once
// The position page of the element property dialog apart from its widgets. Fields are millimetres with
// decimals; the elements keep tenths of a millimetre with y upward from the page's top edge, so
//   X = origin x / 10, Y = -(origin y + height) / 10 (the top edge's distance below the page's top),
//   width = width / 10, height = height / 10, line width = line width / 10,
// and applying multiplies by 10 and truncates toward zero, origin y := -height - trunc(Y * 10).
#include <string>
#include <vector>

class CReportElement;

class CPositionPageLogic {
public:
    // primary: the element whose line width and fixed flag are shown (the first one when null).
    CPositionPageLogic(std::vector<CReportElement*> elements, CReportElement* primary, int reportMode);

    // While a report is shown the four position and size fields are read-only and nothing is applied.
    bool ReadOnly() const { return m_nReportMode > 0; }
    // False, after a message, when a filled field is not a number or the line width lies outside 0 to 10:
    // the dialog stays open and no element has changed.
    bool Apply();

    // Field texts: X, Y, width, height, line width; with several elements the first four start empty.
    std::string m_X, m_Y, m_Width, m_Height, m_LineWidth;
    bool m_bFixed = false;

private:
    std::vector<CReportElement*> m_Elements;
    int m_nReportMode;
    std::string m_OpenLineWidth;
    bool m_bOpenFixed = false;
};

// A length in millimetres as the fields show it: the shortest decimal text ("10", "12.5", "-0.3").
std::string MillimetreText(double mm);
