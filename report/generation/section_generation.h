#pragma once
// The engine behind CTableElement::GenTable and the generation operations of CReportSection: one section
// written into its table (and the table's continuations on further sheets) as plain text rectangles and
// picture elements, line by line.
//
// A CSectionGenerator works for one section over one row order. Everything it would otherwise look up by
// name (the data-source column of every cell, condition, grouping column and sort key, and the grouping
// columns' title formulas) is looked up once when it is made, never per row or cell. Its rows are an array
// of the data source's rows: the section's own stably sorted copy during Generate (the data source's rows
// themselves keep their order, so sections never disturb one another), or the data source's own order for
// a single AddRow or AddTitle from outside. A row number always means a position in that array.
//
// Geometry of the element being filled: its rectangle at zoom 1, normalised; cells are placed from its
// left edge and from its bottom value (the upper edge on the page) downward. The vertical offset starts
// at 0 and falls by each line's height; a line fits while the offset stays at or above minus the
// rectangle's height. Where a block's lines go is CPageFit's rule (page_fit.h): the generator measures the
// block, asks the rule for a break plan, and writes the cells where the plan puts them.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/dc.h"
#include "report/generation/cell_fit.h"
#include "report/generation/page_fit.h"
#include "report/model/data_source.h"
#include "report/model/report_section.h"

class CColumn;
class CCondition;
class CFolivox;
class CGroupCol;
class CReportElement;
class CReportSection;
class CReportSheet;
class CSectionLevel;
class CSectionLevelArray;
class CTableContent;
class CTableElement;

// The table that a table (kind 3) or continuation (kind 5) element fills; null for any other element.
CTableElement* TableOfElement(const CReportElement* element);

// The table's continuation on the sheet after sheet (see CReportSection::GetNextSheet). node, when given,
// records the sheet.
CReportElement* NextTableElement(CFolivox* manager, CReportSheet* sheet, CReportElement* element,
                                 CTableContent* node);

class CSectionGenerator {
public:
    // Binds the section to the data source; the rows are the data source's own, in their order.
    CSectionGenerator(CReportSection& section, CDataSource& source);
    ~CSectionGenerator();
    CSectionGenerator(const CSectionGenerator&) = delete;
    CSectionGenerator& operator=(const CSectionGenerator&) = delete;

    // GenSection: sorts the generator's copy of the rows and writes the section into element from the
    // position given. The element generation ended in, or null (after its message) on failure.
    CReportElement* Generate(CReportElement* element, int& lineCount, int& offset, SectionGen flags);
    // The lines of one row (see CReportSection::AddRow); row is a position in the generator's rows.
    AddResult AddRow(CReportElement** current, int row, int& lineCount, int& offset, const CGroupCol* group,
                     RowGen flags);
    // A filler block or the title line (see CReportSection::AddTitle).
    AddResult AddTitle(CReportElement* element, int& lineCount, int& offset, TitleGen flags);
    // Rules the rest of the element with filler blocks.
    void FillRest(CReportElement* element, int& lineCount, int& offset);
    // Whether no row gives a line of the section (what CReportSection::GetRows tells by its empty value).
    bool IsEmpty() const;
    // Whether the section's own levels make a block of positive height in the table (a level of height 0
    // takes, and keeps, the table's row height times 10). A block of no height would rule an element
    // without end, so a section without one is refused.
    bool HasBlockHeight(const CTableElement& table) const;

private:
    struct Bound;
    struct MeasuredLevel;
    class FollowingLines;
    using Measured = std::vector<MeasuredLevel>;
    using BoundConditions = std::vector<std::pair<const CCondition*, int>>;

    const CTableRow* RowAt(int row) const;
    int RowCount() const { return static_cast<int>(m_pOrder->size()); }
    bool Meets(const BoundConditions& conditions, const CTableRow* row) const;
    // The section's and every grouping column's conditions.
    bool MeetsAll(const CTableRow* row) const;
    // The row's value of the grouping column as text, and the group's contents title for the row.
    std::string GroupValue(int group, const CTableRow* row) const;
    std::string GroupTitle(int group, const CTableRow* row) const;
    // The data-source columns of a level's columns (-1: none, or not in the data source).
    const std::vector<int>& LevelColumns(const CSectionLevel& level);
    // The rows of row's group: the row, then the earlier rows of the same key that meet every condition.
    const CTableRowArray& GroupRows(int row, int group);
    std::string CellText(const CColumn& column, int sourceColumn, const CSectionLevel& level, int row, int group,
                         bool& nonEmpty, const CzorValue*& picture);
    // Breaks a cell's text into cell lines: runs of rowsCount broken lines joined by line feeds.
    void BreakCell(const std::string& text, int width, int rowsCount, bool fit, const LOGFONT& font,
                   std::vector<std::string>& out);
    void MeasureRow(const CSectionLevelArray& levels, const CTableElement& table, const LOGFONT& font, int row,
                    int group, Measured& out);
    // The title block's levels: empty cells but for the title in its column when title is given.
    void MeasureTitle(const CTableElement& table, const std::string* title, bool hideEmpty, Measured& out);
    // What the fitting rule needs of a measured block, in out.
    static const std::vector<FitLevel>& FitLevels(const Measured& measured, std::vector<FitLevel>& out);
    // Writes the lines of the measured block (m_Block, fitted as m_BlockFit) from the offset down into
    // element, whose frame is rect, as the plan says: the lines it moves on go into the table's
    // continuation, which element becomes, as far as the rule finds room there (kNoRoomFurther when there is
    // no continuation or no room in it). A title block (kNotHere when no cell could be added) never moves on.
    AddResult EmitLines(const Measured& measured, const BreakPlan& plan, CReportElement*& element, CRect rect,
                        int& lineCount, int& offset, const LOGFONT& font, bool titleBlock);
    static int LevelHeight(CSectionLevel& level, const CTableElement& table);
    CReportElement* AddTextCell(CReportSheet* sheet, CPoint origin, CSize size, const std::string& text,
                                const LOGFONT& font, int align, int fit, int border);
    void AddPictureCell(CReportSheet* sheet, CPoint origin, CSize size, const CzorValue& value);

    // Generate's steps; each false ends generation (its message told, zor::Note).
    enum class RowCall { kClosingAtBreak, kGroupTitle, kDetail, kClosingAtEnd };
    bool EmitTitleBlock(CReportElement*& element, int& lineCount, int& offset);
    bool EmitRow(RowCall call, CReportElement*& element, int row, int& lineCount, int& offset,
                 const CGroupCol* group, RowGen flags);
    bool CloseGroups(RowCall call, CReportElement*& element, int from, int& lineCount, int& offset);
    bool OpenGroup(CReportElement*& element, int group, int row, int& lineCount, int& offset);

    CReportSection& m_Section;
    CDataSource& m_Source;
    CFolivox* m_pManager;
    const CTableRowArray* m_pOrder;
    CTableRowArray m_Sorted;
    std::unique_ptr<Bound> m_pBound;
    CDC m_DC;
    CFont m_Font;
    bool m_bFontSelected = false;
    LOGFONT m_SelectedFont;
    CCharWidths m_Widths;  // of the selected font

    // Generate's state: per grouping column whether a group is open and the text of its value; the last
    // row taken into the open groups; the contents nodes of the section and of each open group.
    std::vector<bool> m_Open;
    std::vector<std::string> m_LastValues;
    std::vector<CTableContent*> m_GroupNodes;
    CTableContent* m_pOwnNode = nullptr;
    int m_nLastGroupRow = -1;

    // GroupRows' last answer.
    int m_nGroupRowsRow = -1;
    int m_nGroupRowsGroup = -1;
    CTableRowArray m_GroupRows;

    // The block being placed, and the one after it that the rule asks for (kept to reuse their buffers).
    Measured m_Block;
    std::vector<FitLevel> m_BlockFit;
    Measured m_Following;
    std::vector<FitLevel> m_FollowingFit;
    std::vector<std::string> m_Broken;
    // Cells are copies of one element made once: making an element reads the profile.
    std::unique_ptr<CReportElement> m_pTextCell;
};
