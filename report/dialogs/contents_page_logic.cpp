#include "report/dialogs/contents_page_logic.h"

#include <fmt/printf.h>

#include <optional>

#include "platform/ui/messages.h"
#include "report/dialogs/number_field.h"
#include "report/dialogs/position_logic.h"
#include "report/model/table_content_element.h"

std::string ContentsFontText(const LOGFONT& font) {
    return fmt::sprintf("%s (%d пт)", font.lfFaceName, font.lfHeight / 10);
}

CContentsPageLogic::CContentsPageLogic(CTableContentElement& element)
    : m_Element(element), m_pLevels(std::make_unique<CTableContentTitle>(element.GetManager())) {
    const CTableContentTitle& levels = element.GetContentTitle();
    for (int i = 0; i < levels.GetLevelCount(); ++i) {
        CTableContentTitleLevel* copy = m_pLevels->AddLevel();
        copy->SetIndent(levels.GetLevel(i)->GetIndent());
        copy->SetFont(levels.GetLevel(i)->GetFont());
    }
    m_Title = element.GetTitle();
    m_TitleFont = element.GetTitleFont();
    m_PageNumberWidth = MillimetreText(element.GetPageNumberWidth());
}

std::string CContentsPageLogic::LevelName(int index) const { return fmt::sprintf("Уровень %d", index + 1); }

std::string CContentsPageLogic::IndentText(int index) const {
    const CTableContentTitleLevel* level = m_pLevels->GetLevel(index);
    return level ? fmt::sprintf("%.1f", level->GetIndent()) : std::string();
}

std::string CContentsPageLogic::FontText(int index) const {
    const CTableContentTitleLevel* level = m_pLevels->GetLevel(index);
    return level ? ContentsFontText(level->GetFont()) : std::string();
}

void CContentsPageLogic::SetLevelFont(int index, const LOGFONT& font) {
    if (CTableContentTitleLevel* level = m_pLevels->GetLevel(index)) level->SetFont(font);
}

void CContentsPageLogic::BeginIndentEdit(int index) {
    m_nEditing = index >= 0 && index < m_pLevels->GetLevelCount() ? index : -1;
}

bool CContentsPageLogic::CommitIndentEdit(const std::string& text) {
    CTableContentTitleLevel* level = m_nEditing >= 0 ? m_pLevels->GetLevel(m_nEditing) : nullptr;
    if (!level) return true;
    std::optional<double> indent;
    if (!ReadNumberField(text, indent)) return false;
    level->SetIndent(indent.value_or(0.0));
    m_nEditing = -1;
    return true;
}

bool CContentsPageLogic::Apply() {
    std::optional<double> width;
    if (!ReadNumberField(m_PageNumberWidth, width)) {
        AfxMessageBox("Введите число.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The old levels' instances go now; the element's next write stores the new levels afresh.
    CTableContentTitle& target = m_Element.GetContentTitle();
    target.Delete();
    while (target.GetLevelCount() > 0) target.DelLevel(target.GetLevelCount() - 1);
    for (int i = 0; i < m_pLevels->GetLevelCount(); ++i) {
        CTableContentTitleLevel* level = target.AddLevel();
        level->SetIndent(m_pLevels->GetLevel(i)->GetIndent());
        level->SetFont(m_pLevels->GetLevel(i)->GetFont());
    }
    m_Element.SetPageNumberWidth(width.value_or(0.0));
    m_Element.SetTitle(m_Title);
    m_Element.SetTitleFont(m_TitleFont);
    return true;
}
