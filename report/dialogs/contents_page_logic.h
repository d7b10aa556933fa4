#pragma once
// The contents page of the element property dialog apart from its widgets: a working copy of a contents
// element's heading levels, its title, title font and page-number width, and the in-place indent editor
// over the level list. The element changes only when the page applies.
#include <memory>
#include <string>

#include "platform/win/gdi_types.h"
#include "report/model/table_content.h"

class CTableContentElement;

// A font as the page shows it: "<face> (<points> пт)".
std::string ContentsFontText(const LOGFONT& font);

class CContentsPageLogic {
public:
    explicit CContentsPageLogic(CTableContentElement& element);

    const CTableContentTitle& Levels() const { return *m_pLevels; }
    // The three cells of a level's row: "Уровень <n>", the indent in millimetres, the font.
    std::string LevelName(int index) const;
    std::string IndentText(int index) const;
    std::string FontText(int index) const;

    void AddLevel() { m_pLevels->AddLevel(); }
    void DelLevel(int index) { m_pLevels->DelLevel(index); }
    void SetLevelFont(int index, const LOGFONT& font);

    // The in-place indent editor: opened on a row with the cell's text; Commit gives true (and the
    // editor closes) when the text is empty (indent 0) or a number, false (the editor stays open) for
    // anything else; Cancel closes it without applying.
    void BeginIndentEdit(int index);
    bool CommitIndentEdit(const std::string& text);
    void CancelIndentEdit() { m_nEditing = -1; }
    int EditingLevel() const { return m_nEditing; }

    // False after the range message when the page-number width is not a number; otherwise the element's
    // levels are replaced by the working copy's (stored as new instances at the element's next write) and
    // title, title font and page-number width are copied into it.
    bool Apply();

    std::string m_Title;
    std::string m_PageNumberWidth;  // millimetres
    LOGFONT m_TitleFont;

private:
    CTableContentElement& m_Element;
    std::unique_ptr<CTableContentTitle> m_pLevels;
    int m_nEditing = -1;
};
