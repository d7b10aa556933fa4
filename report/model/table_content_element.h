#pragma once
// CTableContentElement (kind 7): where generation writes the report's table of contents. In a template it
// shows as a framed box with the word "Содержание"; it keeps the contents' title text and font, the width
// of the page-number area and the heading levels (CTableContentTitle).
//
// Stored as zor_table_content_element (table_content_title, width, title, font and the common element
// attributes). Its memory record is the base element record written as kind 1, so a copied contents
// element pastes as a plain text rectangle.
#include <memory>
#include <string>

#include "report/model/report_element.h"
#include "report/model/table_content.h"

class CTableContentElement : public CReportElement {
public:
    explicit CTableContentElement(CFolivox* manager);
    ~CTableContentElement() override;

    // The base record with the kind field 1; the element stays kind 7.
    void CopyToMem(CRecordWriter& out) override;
    // The base drawing, then while a template is edited the word "Содержание" in the rectangle. 1.
    int Draw(CDC* dc, double zoom, int reportMode, unsigned flags) override;
    // Deletes the title font's, the heading levels' (with their fonts) and the title's instances, then
    // the base element's dependent instances. The element's own instance stays.
    void Delete() override;
    // A new contents element with this one's rectangle, name, kind, fixed flag, line width, text value,
    // title, title font, page-number width and copies of the heading levels; no store instances.
    CReportElement* CreateClon() override;
    // write: the title levels, width, title and title font, then the common attributes. read (only with an
    // instance): the common attributes, then a fresh title read from the store, width, title and font.
    void Update(bool write) override;

    // --- Generation (report/generation/content_generation.cpp) ----------------------------------------------
    // Lays the report's table of contents out on the element's sheet (the element is on the contents sheet
    // of a generated report): the title lines, then one row per node of the manager's contents tree (indent
    // cell, title lines, page reference to the node's first sheet), going on in clones of the sheet
    // inserted after it when the element is full: clones of the contents sheet set beforehand with
    // SetContentSheet (the sheet as the template made it, before any table on it was filled), else of the
    // sheet as it stands. Text is measured with the font it is drawn with. True
    // when every node found its place; then the contents page itself joins the tree (when the title is not
    // empty). False, after its message, when there is no node or a row can't be placed: the sheets it
    // inserted are then taken out of the report again.
    bool GenContent();
    // Lays out one node and then its children, one level deeper, from the used height of *current (the
    // element being filled: this one or a clone on a later sheet, replaced when the rows move on). indent
    // is the indent so far, in tenths of a millimetre. False, after its message, when a row can't be placed.
    bool AddRow(CTableContent* node, CTableContentElement** current, int& used, int indent, int level);

    CTableContentTitle& GetContentTitle() { return *m_pContentTitle; }
    const CTableContentTitle& GetContentTitle() const { return *m_pContentTitle; }
    // Width of the page-number area, millimetres (default 30.0).
    double GetPageNumberWidth() const { return m_dWidth; }
    void SetPageNumberWidth(double width) { m_dWidth = width; }
    // The contents' heading (default "Содержание"); empty: no heading lines.
    const std::string& GetTitle() const { return m_Title; }
    void SetTitle(const std::string& title) { m_Title = title; }
    const LOGFONT& GetTitleFont() const { return m_TitleFont; }
    void SetTitleFont(const LOGFONT& font) { m_TitleFont = font; }
    // The sheet generation lays further contents pages out from, or null. The caller of GenContent keeps
    // the one it sets; GenContent leaves none set.
    CReportSheet* GetContentSheet() const { return m_pContentSheet; }
    void SetContentSheet(CReportSheet* sheet) { m_pContentSheet = sheet; }

private:
    CReportSheet* m_pContentSheet = nullptr;
    std::unique_ptr<CTableContentTitle> m_pContentTitle;
    double m_dWidth = 30.0;
    std::string m_Title = "Содержание";
    LOGFONT m_TitleFont;
};
