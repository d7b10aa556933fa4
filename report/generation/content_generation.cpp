// The table of contents of a generated report: the contents tree laid out as rows of plain elements and
// page references on the contents sheet, and on clones of it when one sheet is not enough.
//
// Lengths are tenths of a millimetre. An element's rectangle at zoom 1 in sheet coordinates has its
// upper edge on the page at `bottom` (y grows upward), so rows go from there towards smaller y.
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/ui/outcome.h"
#include "report/generation/generate_report_sheets.h"
#include "report/model/folivox.h"
#include "report/model/page_reference_element.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content_element.h"

namespace {

// Alignment of the generated cells.
constexpr int kAlignRow = kAlignLeft | kAlignVCenter;       // 10
constexpr int kAlignNumber = kAlignRight | kAlignVCenter;   // 34

CRect SheetRect(const CReportElement& element) {
    CRect r;
    element.GetRect(r, 1.0, 1);
    return r;
}

// A measuring context in tenths of a millimetre with font selected: the title is broken into lines of
// at most width and its line height is twice the height of the whole title in that font.
struct MeasuredText {
    std::vector<std::string> lines;
    int lineHeight = 0;
};

MeasuredText Measure(const std::string& text, int width, const LOGFONT& font) {
    CDC dc;
    dc.SetMapMode(MM_LOMETRIC);
    CFont measuring;
    measuring.CreatePointFontIndirect(&font, &dc);
    CFont* previous = dc.SelectObject(&measuring);
    MeasuredText out;
    if (CTextValue::BreakString(&out.lines, width, &dc, text) < 0) out.lines.clear();
    out.lineHeight = 2 * dc.GetTextExtent(text).cy;
    if (previous) dc.SelectObject(previous);
    return out;
}

// A plain text element of the sheet.
CReportElement* AddCell(CFolivox* manager, CReportSheet* sheet, CPoint origin, CSize size, const std::string* text,
                        const LOGFONT* font, int align) {
    auto* cell = new CReportElement(manager);
    cell->SetKind(kElemRect);
    cell->SetOrigin(origin);
    cell->SetSize(size);
    cell->SetLineWidth(0);
    if (text) cell->GetTextValue().SetText(*text);
    if (font) cell->GetTextValue().SetFont(*font);
    cell->GetTextValue().SetAlign(align);
    sheet->AddNew(cell);
    return cell;
}

CTableContentElement* LastContentsElement(CReportSheet* sheet) {
    CTableContentElement* found = nullptr;
    if (!sheet) return nullptr;
    for (CReportElement* e : sheet->GetElements())
        if (e->GetKind() == kElemTableContent)
            if (auto* contents = dynamic_cast<CTableContentElement*>(e)) found = contents;
    return found;
}

}  // namespace

bool CTableContentElement::GenContent() {
    CFolivox* manager = m_pManager;
    CReportSheet* sheet = m_pSheet;
    if (!manager || !sheet) return false;
    const std::unordered_set<CReportSheet*> before(manager->GetSheets().begin(), manager->GetSheets().end());
    // Further contents pages are cloned from the sheet as the template made it: a table on it has been
    // filled by now, and its cells belong to this page only. Without the caller's copy, the sheet as it
    // stands is all there is.
    std::unique_ptr<CReportSheet> pattern;
    if (!m_pContentSheet) {
        pattern.reset(manager->CloneSheet(sheet, -2));
        m_pContentSheet = pattern.get();
    }

    auto generate = [&]() -> bool {
        int used = 0;
        if (!m_Title.empty()) {
            const CRect r = SheetRect(*this);
            const MeasuredText title = Measure(m_Title, r.right - r.left - 30, m_TitleFont);
            for (const std::string& line : title.lines) {
                AddCell(manager, sheet, CPoint(m_x, r.bottom - title.lineHeight - used), CSize(m_cx, title.lineHeight),
                        &line, &m_TitleFont, kAlignDefault);
                used += title.lineHeight;
            }
        }
        if (manager->GetTableContents().IsEmpty()) return false;
        CTableContentElement* current = this;
        // A copy: the contents page itself joins the roots only at the end.
        const std::vector<CTableContent*> roots(manager->GetTableContents().begin(), manager->GetTableContents().end());
        for (CTableContent* root : roots)
            if (!AddRow(root, &current, used, 0, 0)) return false;
        return true;
    };
    const bool generated = generate();

    // The pattern goes on every path, and no element keeps pointing at it.
    std::vector<CReportSheet*> added;
    for (CReportSheet* page : manager->GetSheets())
        if (!before.count(page)) added.push_back(page);
    for (CReportSheet* page : added)
        for (CReportElement* e : page->GetElements())
            if (auto* contents = dynamic_cast<CTableContentElement*>(e)) contents->SetContentSheet(nullptr);
    m_pContentSheet = nullptr;
    pattern.reset();

    if (!generated) {
        // The contents pages made for this run leave the report again.
        for (CReportSheet* page : added) RemoveReportSheet(*manager, page);
        if (!added.empty()) manager->UpdateSheets();
        return false;
    }
    if (!m_Title.empty()) {
        auto* self = new CTableContent(manager);
        self->SetTitle(m_Title);
        self->AddSheet(sheet);
        manager->AddTableContent(self);
    }
    return true;
}

bool CTableContentElement::AddRow(CTableContent* node, CTableContentElement** current, int& used, int indent,
                                  int level) {
    if (!node || !current || !*current || level < 0) return false;
    CFolivox* manager = m_pManager;
    while (m_pContentTitle->GetLevelCount() <= level) m_pContentTitle->AddLevel();
    const CTableContentTitleLevel* heading = m_pContentTitle->GetLevel(level);
    const int delta = static_cast<int>(heading->GetIndent() * 10);
    const LOGFONT font = heading->GetFont();

    CRect r = SheetRect(**current);
    const int numberWidth = static_cast<int>(m_dWidth * 10);
    // The title is broken to the cell it is drawn in: the element's width less the indent and the page
    // numbers.
    const int cellWidth = r.right - r.left - indent - delta - numberWidth;
    const MeasuredText title = Measure(node->GetTitle(), cellWidth - 30, font);
    const int rowHeight = title.lineHeight;
    // Room for twice what the lines take.
    const int needed = 2 * rowHeight * static_cast<int>(title.lines.size());
    if (r.bottom - r.top < used + needed) {
        CReportSheet* pattern = (*current)->GetContentSheet() ? (*current)->GetContentSheet() : m_pContentSheet;
        const int at = manager ? manager->FindSheetInd((*current)->GetSheet()) : -1;
        CReportSheet* clone = pattern && at >= 0 ? manager->CloneSheet(pattern, at + 1) : nullptr;
        if (clone) clone->LoadElementsFromFile();
        CTableContentElement* next = LastContentsElement(clone);
        if (!next) {
            zor::Note({"Ошибка при дублировании страницы!"});
            return false;
        }
        next->SetContentSheet(pattern);
        *current = next;
        used = 0;
        r = SheetRect(*next);
        if (r.bottom - r.top < needed) {
            zor::Note({"Не корректный шаблон. В элемент содержания не помещается ни одна строка."});
            return false;
        }
    }
    indent += delta;

    if (indent > 0 && !node->GetTitle().empty() && !title.lines.empty()) {
        CTableContentElement* element = *current;
        CReportSheet* sheet = element->GetSheet();
        const CPoint origin = element->GetOrigin();
        const CSize size = element->GetSize();
        for (size_t k = 0; k < title.lines.size(); ++k) {
            const int y = r.bottom - used - rowHeight;
            AddCell(manager, sheet, CPoint(origin.x, y), CSize(indent, rowHeight), nullptr, nullptr, kAlignRow);
            AddCell(manager, sheet, CPoint(origin.x + indent, y), CSize(cellWidth, rowHeight), &title.lines[k], &font,
                    kAlignRow);
            auto* number = new CPageReferenceElement(manager);
            number->SetOrigin(CPoint(origin.x + size.cx - numberWidth, y));
            number->SetSize(CSize(numberWidth, rowHeight));
            number->SetLineWidth(0);
            number->GetTextValue().SetFont(font);
            number->GetTextValue().SetAlign(kAlignNumber);
            if (k == 0 && node->GetSheets().GetSize() > 0) number->SetTarget(node->GetSheets().GetAt(0));
            sheet->AddNew(number);
            used += rowHeight;
        }
    }
    for (CTableContent* child : node->GetChildren())
        if (!AddRow(child, current, used, indent, level + 1)) return false;
    return true;
}
