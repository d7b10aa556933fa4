// Section generation, row by row: binding a section to the data source, measuring the lines of a row or
// of a title block, fitting them into the element being filled and writing their cells.
#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/zordata/zordata.h"
#include "report/generation/formula.h"
#include "report/generation/section_generation.h"
#include "report/model/cell_number.h"
#include "report/model/condition.h"
#include "report/model/group_col.h"
#include "report/model/image/image_file.h"
#include "report/model/picture_element.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/section_level.h"
#include "report/model/table_element.h"
#include "report/model/table_map_element.h"
#include "report/model/value_text.h"

// What the generator looked up by name once: data-source columns of conditions, grouping columns, level
// columns, and the grouping columns' title formulas.
struct CSectionGenerator::Bound {
    BoundConditions section;
    std::vector<BoundConditions> groups;
    std::vector<int> groupColumns;
    std::vector<std::unique_ptr<datasource::CFormula>> titles;
    std::unordered_map<const CSectionLevel*, std::vector<int>> levels;
};

// One level of a row as measured: its cell lines per column, and per column the data-buffer value that
// makes the cell a picture (null for a text cell).
struct CSectionGenerator::MeasuredLevel {
    CSectionLevel* level = nullptr;
    int height = 0;
    int lines = 1;
    bool skip = false;
    std::vector<std::vector<std::string>> cells;
    std::vector<const CzorValue*> pictures;
};

CTableElement* TableOfElement(const CReportElement* element) {
    if (!element) return nullptr;
    if (element->GetKind() == kElemTable) return dynamic_cast<CTableElement*>(const_cast<CReportElement*>(element));
    if (element->GetKind() == kElemTableMap)
        if (auto* map = dynamic_cast<const CTableMapElement*>(element)) return map->GetTable();
    return nullptr;
}

namespace {

CRect FrameOf(const CReportElement* element) {
    CRect rect;
    element->GetRect(rect, 1.0, 1);
    rect.NormalizeRect();
    return rect;
}

void BindConditions(const CDataSource& source, const CConditionArray& conditions,
                    std::vector<std::pair<const CCondition*, int>>& out) {
    out.clear();
    for (const CCondition* condition : conditions)
        out.emplace_back(condition, condition->m_pColumn ? source.GetColumnInd(condition->m_pColumn) : -1);
}

std::string NumberText(double value) { return TotalText(value); }

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

CSectionGenerator::CSectionGenerator(CReportSection& section, CDataSource& source)
    : m_Section(section), m_Source(source), m_pManager(section.GetManager()), m_pOrder(&source.GetRows()),
      m_pBound(std::make_unique<Bound>()) {
    Bound& b = *m_pBound;
    BindConditions(source, section.GetConditions(), b.section);
    auto bindLevels = [&](const CSectionLevelArray& levels) {
        for (const CSectionLevel* level : levels) LevelColumns(*level);
    };
    bindLevels(section.GetLevels());
    for (const CGroupCol* group : section.GetGroups()) {
        b.groups.emplace_back();
        BindConditions(source, group->m_Conditions, b.groups.back());
        b.groupColumns.push_back(group->m_pColumn ? source.GetColumnInd(group->m_pColumn) : -1);
        b.titles.push_back(std::make_unique<datasource::CFormula>(group->m_Name, source.GetHeader()));
        bindLevels(group->m_Rows);
        bindLevels(group->m_LastRows);
    }
}

CSectionGenerator::~CSectionGenerator() = default;

const std::vector<int>& CSectionGenerator::LevelColumns(const CSectionLevel& level) {
    auto [it, added] = m_pBound->levels.try_emplace(&level);
    if (added)
        for (const CColumn* column : level.m_Columns)
            it->second.push_back(column->m_pColumn ? m_Source.GetColumnInd(column->m_pColumn) : -1);
    return it->second;
}

const CTableRow* CSectionGenerator::RowAt(int row) const {
    return row >= 0 && row < RowCount() ? (*m_pOrder)[static_cast<size_t>(row)] : nullptr;
}

// --- Conditions and groups -----------------------------------------------------------------------------------

bool CSectionGenerator::Meets(const BoundConditions& conditions, const CTableRow* row) const {
    if (conditions.empty()) return true;
    if (!row) return false;
    bool result = false;
    for (size_t i = 0; i < conditions.size(); ++i) {
        const CCondition* condition = conditions[i].first;
        const bool isOr = i > 0 && (condition->m_nLink & kCondOr);
        if (i > 0 && (isOr ? result : !result)) continue;
        result = condition->Compare(row->GetColumn(conditions[i].second));
    }
    return result;
}

std::string CSectionGenerator::GroupValue(int group, const CTableRow* row) const {
    return row ? row->GetAsString(m_pBound->groupColumns[static_cast<size_t>(group)]) : std::string();
}

std::string CSectionGenerator::GroupTitle(int group, const CTableRow* row) const {
    std::string title;
    m_pBound->titles[static_cast<size_t>(group)]->Evaluate(row, title);
    return title;
}

bool CSectionGenerator::MeetsAll(const CTableRow* row) const {
    if (!Meets(m_pBound->section, row)) return false;
    for (const BoundConditions& group : m_pBound->groups)
        if (!Meets(group, row)) return false;
    return true;
}

bool CSectionGenerator::IsEmpty() const {
    // A row gives lines when it meets every condition; any other row opens no group (see Generate).
    for (const CTableRow* row : m_Source.GetRows())
        if (MeetsAll(row)) return false;
    return true;
}

const CTableRowArray& CSectionGenerator::GroupRows(int row, int group) {
    if (row == m_nGroupRowsRow && group == m_nGroupRowsGroup) return m_GroupRows;
    m_nGroupRowsRow = row;
    m_nGroupRowsGroup = group;
    m_GroupRows.clear();
    if (!RowAt(row) || group < 0 || group >= static_cast<int>(m_pBound->groupColumns.size())) return m_GroupRows;
    const std::vector<int> keyColumns(m_pBound->groupColumns.begin(), m_pBound->groupColumns.begin() + group + 1);
    if (std::any_of(keyColumns.begin(), keyColumns.end(), [](int c) { return c < 0; })) return m_GroupRows;
    CollectGroupRows(*m_pOrder, row, keyColumns, [this](int r) { return MeetsAll(RowAt(r)); }, m_GroupRows);
    return m_GroupRows;
}

// --- Measuring ---------------------------------------------------------------------------------------------------

std::string CSectionGenerator::CellText(const CColumn& column, int sourceColumn, const CSectionLevel& level,
                                        int row, int group, bool& nonEmpty, const CzorValue*& picture) {
    std::string text;
    picture = nullptr;
    if (column.m_pColumn) {
        const CTableRow* data = RowAt(row);
        switch (column.m_nType) {
        case kColumnField: {
            const CzorValue* value = data ? data->GetColumn(sourceColumn) : nullptr;
            if (value && value->GetType() == zorBINARY) {
                picture = value;
                if (value->GetBuffer() && value->GetBuffer()->GetSize() > 0) nonEmpty = true;
            } else {
                AppendAsString(value, text);
            }
            break;
        }
        case kColumnSum:
        case kColumnAverage: {
            double sum = 0.0;
            int count = 0;
            if (group >= 0 && sourceColumn >= 0) {
                for (const CTableRow* r : GroupRows(row, group)) {
                    double number = 0.0;
                    if (CellNumber(r->GetColumn(sourceColumn), number)) sum += number;
                    ++count;
                }
            }
            text = NumberText(column.m_nType == kColumnSum ? sum : count > 0 ? sum / count : 0.0);
            break;
        }
        default: break;
        }
        const std::string_view trimmed = TrimBlanks(text);
        if (trimmed.size() != text.size()) text = std::string(trimmed);
    } else if (column.m_nType == kColumnText) {
        text = column.m_TextConst;
    } else if (column.m_nType == kColumnCount) {
        text = NumberText(group >= 0 ? static_cast<double>(GroupRows(row, group).size()) : 0.0);
    }
    if (!text.empty()) nonEmpty = true;
    if (column.m_nLevel == 1) text = level.m_Name;
    return text;
}

void CSectionGenerator::BreakCell(const std::string& text, int width, int rowsCount, bool fit, const LOGFONT& font,
                                  std::vector<std::string>& out) {
    out.clear();
    if (fit || text.empty()) {
        out.push_back(text);
        return;
    }
    LOGFONT measuring = font;
    if (rowsCount > 1) measuring.lfHeight /= rowsCount;
    if (!m_bFontSelected || std::memcmp(&measuring, &m_SelectedFont, sizeof(LOGFONT)) != 0) {
        m_Font.CreatePointFontIndirect(&measuring, &m_DC);
        m_DC.SelectObject(&m_Font);
        m_SelectedFont = measuring;
        m_bFontSelected = true;
        m_Widths.Clear();
    }
    if (m_Widths.ClearlyFits(m_DC, text, width - 30)) {
        out.push_back(text);
        return;
    }
    if (CTextValue::BreakString(&m_Broken, width - 30, &m_DC, text) <= 0) {
        m_Broken.assign(1, text);
    }
    const size_t run = static_cast<size_t>(std::max(rowsCount, 1));
    for (size_t i = 0; i < m_Broken.size(); i += run) {
        std::string line = std::move(m_Broken[i]);
        for (size_t k = i + 1; k < std::min(i + run, m_Broken.size()); ++k) {
            line += '\n';
            line += m_Broken[k];
        }
        out.push_back(std::move(line));
    }
}

int CSectionGenerator::LevelHeight(CSectionLevel& level, const CTableElement& table) {
    if (level.m_nHeight == 0) level.m_nHeight = table.GetRowHeight() * 10;
    return level.m_nHeight;
}

bool CSectionGenerator::HasBlockHeight(const CTableElement& table) const {
    const CSectionLevelArray& levels = m_Section.GetLevels();
    if (levels.GetSize() == 0) return true;  // no filler block is ever made
    long long height = 0;
    for (CSectionLevel* level : levels) height += LevelHeight(*level, table);
    return height > 0;
}

void CSectionGenerator::MeasureRow(const CSectionLevelArray& levels, const CTableElement& table,
                                   const LOGFONT& font, int row, int group, Measured& out) {
    out.resize(static_cast<size_t>(levels.GetSize()));
    for (int l = 0; l < levels.GetSize(); ++l) {
        CSectionLevel& level = *levels.GetAt(l);
        MeasuredLevel& m = out[static_cast<size_t>(l)];
        const std::vector<int>& sourceColumns = LevelColumns(level);
        const size_t columns = static_cast<size_t>(level.m_Columns.GetSize());
        m.level = &level;
        m.height = LevelHeight(level, table);
        m.lines = 1;
        m.cells.resize(columns);
        m.pictures.assign(columns, nullptr);
        bool nonEmpty = false;
        for (size_t c = 0; c < columns; ++c) {
            const CColumn& column = *level.m_Columns.GetAt(static_cast<int>(c));
            const std::string text =
                CellText(column, sourceColumns[c], level, row, group, nonEmpty, m.pictures[c]);
            BreakCell(text, column.m_nWidth, column.m_nRowsCount, column.m_nFitText != 0, font, m.cells[c]);
            m.lines = std::max(m.lines, static_cast<int>(m.cells[c].size()));
        }
        m.skip = !nonEmpty && (level.m_nFlag & kLevelHideEmpty);
    }
}

// --- Cells ---------------------------------------------------------------------------------------------------------

CReportElement* CSectionGenerator::AddTextCell(CReportSheet* sheet, CPoint origin, CSize size,
                                               const std::string& text, const LOGFONT& font, int align, int fit,
                                               int border) {
    if (!sheet) return nullptr;  // an element on no sheet has nowhere to put its cells
    if (!m_pTextCell) {
        m_pTextCell = std::make_unique<CReportElement>(m_pManager);
        m_pTextCell->SetKind(kElemRect);
        m_pTextCell->GetTextValue().SetWordWrap(0);
    }
    auto* cell = new CReportElement(*m_pTextCell);
    cell->SetOrigin(origin);
    cell->SetSize(size);
    cell->SetLineWidth(border);
    CTextValue& value = cell->GetTextValue();
    value.SetText(text);
    value.SetFont(font);
    value.SetAlign(align);
    value.SetFitText(fit);
    sheet->AddNew(cell);
    return cell;
}

void CSectionGenerator::AddPictureCell(CReportSheet* sheet, CPoint origin, CSize size, const CzorValue& value) {
    if (!sheet) return;
    auto* cell = new CPictureElement(m_pManager);
    cell->SetOrigin(origin);
    cell->SetSize(size);
    cell->SetDrawMode(kPictureFit);
    // The picture comes straight from the cell's bytes (an empty buffer leaves the placeholder).
    const CzorDataBuf* bytes = value.GetBuffer();
    if (bytes && bytes->GetSize() > 0) cell->LoadPictureData(bytes->GetBuffer(), bytes->GetSize(), IMAGE_FORMAT_TIFF);
    sheet->AddNew(cell);
}

// --- Fitting and writing a measured block --------------------------------------------------------------------------

const std::vector<FitLevel>& CSectionGenerator::FitLevels(const Measured& measured, std::vector<FitLevel>& out) {
    out.clear();
    for (const MeasuredLevel& m : measured) {
        LevelFit flags = LevelFit::kNone;
        if (m.skip) flags = flags | LevelFit::kSkip;
        if (m.level->m_nFlag & kLevelKeepTogether) flags = flags | LevelFit::kKeepTogether;
        out.push_back(FitLevel{m.height, m.lines, flags});
    }
    return out;
}

AddResult CSectionGenerator::EmitLines(const Measured& measured, const BreakPlan& plan, CReportElement*& element,
                                       CRect rect, int& lineCount, int& offset, const LOGFONT& font,
                                       bool titleBlock) {
    static const std::string kNone;
    bool added = false;
    int written = 0;         // lines of the block written so far
    int room = plan.here;    // lines the plan still puts into the element
    for (const MeasuredLevel& m : measured) {
        if (m.skip) continue;
        const CColumnArray& columns = m.level->m_Columns;
        for (int k = 0; k < m.lines; ++k, ++written, --room) {
            if (room == 0) {
                // The rest of the row goes on in the table's continuation, as far as it has room.
                CReportElement* next =
                    NextTableElement(m_pManager, element->GetSheet(), element, m_Section.GetContentNode());
                if (!next || next->GetKind() != kElemTableMap) return AddResult::kNoRoomFurther;
                element = next;
                lineCount = 0;
                offset = 0;
                rect = FrameOf(element);
                const BreakPlan rest = CPageFit(offset, rect.Height()).Continue(m_BlockFit, written);
                if (rest.fit != Fit::kFits) return AddResult::kNoRoomFurther;
                room = rest.here;
            }
            offset -= m.height;
            CReportSheet* sheet = element->GetSheet();
            int x = rect.left;
            for (int c = 0; c < columns.GetSize(); ++c) {
                const CColumn& column = *columns.GetAt(c);
                const CPoint origin(x, rect.bottom + offset);
                const CSize size(column.m_nWidth, m.height);
                const std::vector<std::string>& lines = m.cells[static_cast<size_t>(c)];
                const std::string& text = k < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(k)] : kNone;
                if (titleBlock) {
                    if (AddTextCell(sheet, origin, size, text, font, kAlignDefault, column.m_nFitText, column.m_nBorder))
                        added = true;
                } else if (const CzorValue* picture = m.pictures[static_cast<size_t>(c)]) {
                    AddPictureCell(sheet, origin, size, *picture);
                } else {
                    LOGFONT cellFont = font;
                    if (column.m_nRowsCount > 1) cellFont.lfHeight /= column.m_nRowsCount;
                    AddTextCell(sheet, origin, size, text, cellFont, column.m_nAlign, column.m_nFitText,
                                column.m_nBorder);
                }
                x += column.m_nWidth;
            }
            ++lineCount;
        }
    }
    return titleBlock && !added ? AddResult::kNotHere : AddResult::kDone;
}

// --- AddRow ----------------------------------------------------------------------------------------------------------

// Group lines are never left alone at the foot of an element: the lines that follow them (the next grouping
// column's title lines for the row they are shown with, and so on down to the detail line) must fit after
// them too. Each block is measured when the rule asks for it.
class CSectionGenerator::FollowingLines final : public FollowingBlocks {
public:
    FollowingLines(CSectionGenerator& generator, const CTableElement& table, const CGroupCol* group, int row)
        : m_Generator(generator), m_Table(table), m_pGroup(group), m_nRow(row) {}

    const std::vector<FitLevel>* Next() override {
        if (!m_pGroup) return nullptr;
        CSectionGenerator& g = m_Generator;
        const CGroupColArray& groups = g.m_Section.GetGroups();
        const int index = groups.Find(m_pGroup);
        const CGroupCol* next = index >= 0 ? groups.GetAt(index + 1) : nullptr;
        if (m_pGroup->m_nShowFirstRow) ++m_nRow;
        m_pGroup = next;
        if (!g.RowAt(m_nRow)) {
            m_pGroup = nullptr;
            return nullptr;
        }
        const CSectionLevelArray& levels = next ? next->m_Rows : g.m_Section.GetLevels();
        const LOGFONT& font = next ? next->m_Font : m_Table.GetRowFont();
        g.MeasureRow(levels, m_Table, font, m_nRow, next ? groups.Find(next) : -1, g.m_Following);
        return &g.FitLevels(g.m_Following, g.m_FollowingFit);
    }

private:
    CSectionGenerator& m_Generator;
    const CTableElement& m_Table;
    const CGroupCol* m_pGroup;  // whose lines come last; null when nothing follows them
    int m_nRow;
};

AddResult CSectionGenerator::AddRow(CReportElement** current, int row, int& lineCount, int& offset,
                                    const CGroupCol* group, RowGen flags) {
    if (!current) return AddResult::kNoRoomFurther;
    const CTableElement* table = TableOfElement(*current);
    if (!table) return AddResult::kNotATable;
    const CGroupColArray& groups = m_Section.GetGroups();
    const int groupIndex = group ? groups.Find(group) : -1;
    const CSectionLevelArray& levels = !group                              ? m_Section.GetLevels()
                                       : Has(flags, RowGen::kClosing) ? group->m_LastRows
                                                                          : group->m_Rows;
    const LOGFONT& font = group ? group->m_Font : table->GetRowFont();

    MeasureRow(levels, *table, font, row, groupIndex, m_Block);
    const CRect rect = FrameOf(*current);
    CPageFit fit(offset, rect.Height());
    // After the last row nothing follows.
    FollowingLines following(*this, *table, Has(flags, RowGen::kLastLines) ? nullptr : group, row);
    const BreakPlan plan = fit.Place(FitLevels(m_Block, m_BlockFit), following);
    if (plan.fit != Fit::kFits) return AddResult::kNotHere;
    if (Has(flags, RowGen::kTrial)) return AddResult::kDone;
    return EmitLines(m_Block, plan, *current, rect, lineCount, offset, font, false);
}

// --- AddTitle --------------------------------------------------------------------------------------------------------

void CSectionGenerator::MeasureTitle(const CTableElement& table, const std::string* title, bool hideEmpty,
                                     Measured& out) {
    const CSectionLevelArray& levels = m_Section.GetLevels();
    int titleLevel = -1, titleIndex = -1;
    if (!title || !levels.Locate(m_Section.GetTitleColumn(), titleLevel, titleIndex)) titleLevel = titleIndex = -1;
    // The title is measured with the font its cells are drawn with.
    const LOGFONT& font = m_Section.GetTitle().GetFont();
    out.resize(static_cast<size_t>(levels.GetSize()));
    for (int l = 0; l < levels.GetSize(); ++l) {
        CSectionLevel& level = *levels.GetAt(l);
        MeasuredLevel& m = out[static_cast<size_t>(l)];
        const size_t columns = static_cast<size_t>(level.m_Columns.GetSize());
        m.level = &level;
        m.height = LevelHeight(level, table);
        m.lines = 1;
        m.cells.resize(columns);
        m.pictures.assign(columns, nullptr);
        bool nonEmpty = false;
        for (size_t c = 0; c < columns; ++c) {
            const bool holdsTitle = l == titleLevel && static_cast<int>(c) == titleIndex;
            if (holdsTitle && !title->empty()) nonEmpty = true;
            BreakCell(holdsTitle ? *title : std::string(), level.m_Columns.GetAt(static_cast<int>(c))->m_nWidth, 1,
                      false, font, m.cells[c]);
            m.lines = std::max(m.lines, static_cast<int>(m.cells[c].size()));
        }
        m.skip = !nonEmpty && (level.m_nFlag & kLevelHideEmpty) && hideEmpty;
    }
}

AddResult CSectionGenerator::AddTitle(CReportElement* element, int& lineCount, int& offset, TitleGen flags) {
    if (m_Section.GetLevels().GetSize() == 0) return AddResult::kNotHere;
    const CTableElement* table = TableOfElement(element);
    if (!table) return AddResult::kNotATable;
    const std::string text = Has(flags, TitleGen::kTitleText) ? m_Section.GetTitle().GetText() : std::string();
    const std::string* title = Has(flags, TitleGen::kTitleText) ? &text : nullptr;
    // A filler block that is written shows every level; a trial or the title line leaves empty ones out
    // where their levels hide when empty.
    MeasureTitle(*table, title, flags != TitleGen::kNone, m_Block);
    const CRect rect = FrameOf(element);
    CPageFit fit(offset, rect.Height());
    const BreakPlan plan = fit.PlaceWhole(FitLevels(m_Block, m_BlockFit));
    if (plan.fit != Fit::kFits) return AddResult::kNotHere;
    if (Has(flags, TitleGen::kTrial)) {
        offset = fit.Offset();
        return AddResult::kDone;
    }
    return EmitLines(m_Block, plan, element, rect, lineCount, offset, m_Section.GetTitle().GetFont(), true);
}

void CSectionGenerator::FillRest(CReportElement* element, int& lineCount, int& offset) {
    // Each block lowers the offset (HasBlockHeight); should one not, the ruling stops all the same.
    for (;;) {
        const int before = offset;
        if (AddTitle(element, lineCount, offset, TitleGen::kNone) != AddResult::kDone || offset >= before) break;
    }
}
