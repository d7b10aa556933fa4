#pragma once
// The text page of the element property dialog apart from its widgets: one text element's own text or
// the parameter it shows, its alignment, font and flags. Nothing reaches the element before Apply.
#include <string>
#include <vector>

#include "platform/win/gdi_types.h"

class CReportElement;
class CReportParam;

class CTextPageLogic {
public:
    explicit CTextPageLogic(CReportElement& element);

    // The manager's parameters in its order (the drop-down list's items).
    const std::vector<CReportParam*>& Params() const { return m_Params; }
    // Font size in points and face name as the page shows them.
    std::string FontSizeText() const;
    std::string FaceText() const { return m_Font.lfFaceName; }

    // False after "Не выбран параметр для отображения" when the parameter option has no parameter chosen;
    // the element is then unchanged.
    bool Apply();

    bool m_bShowParam = false;  // "Отображать параметр:" chosen instead of "Отображать текст"
    std::string m_Text;
    int m_nParam = -1;          // index into Params(), -1 for none
    int m_nVAlign = 0;          // 0 "Сверху", 1 "По центру", 2 "Снизу"
    int m_nHAlign = -1;         // 0 "Слева", 1 "По центру", 2 "Справа", -1 none
    LOGFONT m_Font;
    bool m_bNoBorder = false;
    bool m_bVertical = false;
    bool m_bWordWrap = false;
    bool m_bFitText = false;

private:
    CReportElement& m_Element;
    std::vector<CReportParam*> m_Params;
};
