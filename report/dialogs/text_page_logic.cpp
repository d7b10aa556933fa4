#include "report/dialogs/text_page_logic.h"

#include <fmt/printf.h>

#include "platform/ui/messages.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"

namespace {

constexpr int kVerticalFlags[] = {kAlignTop, kAlignVCenter, kAlignBottom};
constexpr int kHorizontalFlags[] = {kAlignLeft, kAlignHCenter, kAlignRight};

// The position of the first flag of the row that is set, or `none`.
int FirstSet(int align, const int (&flags)[3], int none) {
    for (int i = 0; i < 3; ++i)
        if (align & flags[i]) return i;
    return none;
}

}  // namespace

CTextPageLogic::CTextPageLogic(CReportElement& element) : m_Element(element) {
    const CTextValue& value = element.GetTextValue();
    m_Text = value.GetText();
    m_Font = value.GetFont();
    m_bNoBorder = value.GetBorder() == 0;
    m_bVertical = value.GetOrientation() != 0;
    m_nVAlign = FirstSet(value.GetAlign(), kVerticalFlags, 0);
    m_nHAlign = FirstSet(value.GetAlign(), kHorizontalFlags, -1);
    m_bWordWrap = value.GetWordWrap() != 0;
    m_bFitText = value.GetFitText() > 0;
    m_bShowParam = value.GetType() == kTextParam;
    if (CFolivox* manager = element.GetManager()) {
        CParamArray& params = manager->GetParams();
        for (int i = 0; i < params.GetSize(); ++i) {
            if (params.GetAt(i) == value.GetParam()) m_nParam = i;
            m_Params.push_back(params.GetAt(i));
        }
    }
}

std::string CTextPageLogic::FontSizeText() const { return fmt::sprintf("%d", m_Font.lfHeight / 10); }

bool CTextPageLogic::Apply() {
    CReportParam* param = m_nParam >= 0 && m_nParam < int(m_Params.size()) ? m_Params[m_nParam] : nullptr;
    if (m_bShowParam && !param) {
        AfxMessageBox("Не выбран параметр для отображения", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CTextValue& value = m_Element.GetTextValue();
    if (m_bShowParam) {
        param->Update(true);
        value.SetText(param);
    } else {
        value.SetText(m_Text);
    }
    value.SetFont(m_Font);
    int align = 0;
    if (m_nVAlign >= 0 && m_nVAlign < 3) align |= kVerticalFlags[m_nVAlign];
    if (m_nHAlign >= 0 && m_nHAlign < 3) align |= kHorizontalFlags[m_nHAlign];
    value.SetAlign(align);
    value.SetBorder(m_bNoBorder ? 0 : 1);
    value.SetOrientation(m_bVertical ? 1 : 0);
    value.SetWordWrap(m_bWordWrap ? 1 : 0);
    value.SetFitText(m_bFitText ? 1 : 0);
    m_Element.UpdateData();
    return true;
}
