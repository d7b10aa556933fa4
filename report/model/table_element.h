#pragma once
// CTableElement (kind 3): the element that holds a report table: a rectangle on a sheet with a row height,
// a row font and an ordered list of sections (CReportSection) that generation fills from the data source.
// The manager keeps every table in its table cache (CFolivox::GetTables, FindTable), so continuations and
// generation find a table by its store instance, and a table stays alive there while its sheet's other
// elements are freed and reloaded.
//
// Stored as zor_report_table (sections, row_height, row_font and the common element attributes; no text
// value). Its memory record is the base record, then the row height, the row font, the section count and
// the sections' records. A table's clone is a continuation of it, never a second table.
#include "platform/gdi/gdi_objects.h"
#include "report/model/element_dialogs.h"
#include "report/model/report_element.h"
#include "report/model/report_section.h"

class CTableElement : public CReportElement {
public:
    explicit CTableElement(CFolivox* manager);
    // Deletes the sections; leaves the manager's lists.
    ~CTableElement() override;

    // Record: false on a short or bad record (no section is replaced then).
    bool LoadDataFromMem(CRecordReader& in) override;
    void CopyToMem(CRecordWriter& out) override;
    int GetMemSize() override;
    // Outline, and while a template is edited four corner boxes. 0 without a context or at zoom 0, else 1.
    int Draw(CDC* dc, double zoom, int reportMode, unsigned flags) override;
    // Deletes the table's dependent instances: the row font, every section with all its parts, the points
    // and any text value. Its own instance stays until its sheet is next written without it.
    void Delete() override;
    // A new continuation (CTableMapElement) of this table: same origin and size, line width and fixed
    // flag, named "Продолжение " and the table's name.
    CReportElement* CreateClon() override;
    // write: the table with its row font and every section; read: replaces the sections with the stored
    // ones (nothing without an instance).
    void Update(bool write) override;

    // The section dialog on a new section, through the registered dialogs; false without them.
    bool AddSection() {
        IElementDialogs* dialogs = ElementDialogs();
        return dialogs && dialogs->AddSection(*this);
    }

    // The sum of the sections' GetRows.
    int GetRows() const;
    // Generation: fills the table from the manager's data source, section after section, going on in its
    // continuations on further sheets as needed. The last sheet the table reached (its current sheet), or
    // null when every section is empty or generation failed (after its message).
    CReportSheet* GenTable();

    CSectionArray& GetSections() { return m_Sections; }
    const CSectionArray& GetSections() const { return m_Sections; }
    int GetRowHeight() const { return m_nRowHeight; }
    void SetRowHeight(int height) { m_nRowHeight = height; }
    const LOGFONT& GetRowFont() const { return m_RowFont; }
    void SetRowFont(const LOGFONT& font) { m_RowFont = font; }
    // Generation's state: the number of the sheet being filled and that sheet.
    int GetPageNumber() const { return m_nPageNumber; }
    void SetPageNumber(int number) { m_nPageNumber = number; }
    CReportSheet* GetCurrentSheet() const { return m_pCurrentSheet; }
    void SetCurrentSheet(CReportSheet* sheet) { m_pCurrentSheet = sheet; }

private:
    int m_nPageNumber = -1;
    int m_nRowHeight = 10;
    CSectionArray m_Sections;
    LOGFONT m_RowFont;
    CReportSheet* m_pCurrentSheet = nullptr;
};

// What a table and its continuation share in drawing: the rectangle at the zoom, a pen of the element's
// line width (or, while a template is edited, a light grey one for a frame of width 0) and a brush in
// the element's own colour or the window colours, selected for the object's lifetime, and the outline
// drawn when the line width is positive or a template is edited.
class CTableFrameDrawing {
public:
    CTableFrameDrawing(const CReportElement& element, CDC* dc, double zoom, int reportMode);
    ~CTableFrameDrawing();
    CTableFrameDrawing(const CTableFrameDrawing&) = delete;
    CTableFrameDrawing& operator=(const CTableFrameDrawing&) = delete;

    const CRect& Rect() const { return m_Rect; }
    // The side of a corner box along a side of the rectangle of that length: 50 units (less below zoom 1)
    // when the side is at least 200 long, else a quarter of it.
    static int BoxExtent(int length, double zoom);

private:
    CDC* m_pDC;
    CRect m_Rect;
    CPen m_Pen;
    CBrush m_Brush;
    CPen* m_pOldPen = nullptr;
    CBrush* m_pOldBrush = nullptr;
};
