#include "report/model/store_instances.h"
#include "report/model/table_element.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/mem_record.h"
#include "report/model/table_content.h"
#include "report/model/table_map_element.h"

namespace {


// The smallest section record: an empty name, a title with no text and no level.
constexpr size_t kSectionRecordMinSize = 4 + 88 + 4;

}  // namespace

CTableElement::CTableElement(CFolivox* manager) : CReportElement(manager), m_RowFont(DefaultTextFont()) {
    m_nKind = kElemTable;
    m_Name = "Таблица";
    m_RowFont.lfHeight = 120;
}

CTableElement::~CTableElement() {
    if (m_pManager) m_pManager->ForgetElement(this);
}

int CTableElement::GetRows() const {
    int rows = 0;
    for (const CReportSection* section : m_Sections) rows += section->GetRows();
    return rows;
}

// --- Drawing ----------------------------------------------------------------------------------------------

CTableFrameDrawing::CTableFrameDrawing(const CReportElement& element, CDC* dc, double zoom, int reportMode)
    : m_pDC(dc) {
    element.GetRect(m_Rect, zoom, dc->IsPrinting() ? 1 : 0);
    const bool own = element.GetOwnColorFlag() != 0;
    const int lineWidth = element.GetLineWidth();
    if (lineWidth == 0 && reportMode == 0)
        m_Pen.CreatePen(PS_SOLID | PS_GEOMETRIC, 1, RGB(192, 192, 192));
    else
        m_Pen.CreatePen(PS_SOLID | PS_GEOMETRIC, std::max(0, static_cast<int>(zoom * lineWidth)),
                        own ? element.GetColor() : dc->GetSysColor(COLOR_WINDOWTEXT));
    m_Brush.CreateSolidBrush(own ? element.GetColor() : dc->GetSysColor(COLOR_WINDOW));
    m_pOldPen = dc->SelectObject(&m_Pen);
    m_pOldBrush = dc->SelectObject(&m_Brush);
    if (lineWidth > 0 || reportMode == 0) CReportElement::DrawRect(dc, m_Rect);
}

CTableFrameDrawing::~CTableFrameDrawing() {
    if (m_pOldBrush) m_pDC->SelectObject(m_pOldBrush);
    if (m_pOldPen) m_pDC->SelectObject(m_pOldPen);
}

int CTableFrameDrawing::BoxExtent(int length, double zoom) {
    return length >= 200 ? static_cast<int>(50 * std::min(zoom, 1.0)) : length / 4;
}

int CTableElement::Draw(CDC* dc, double zoom, int reportMode, unsigned flags) {
    if (!dc || zoom == 0) return 0;
    {
        CTableFrameDrawing frame(*this, dc, zoom, reportMode);
        if (reportMode == 0) {
            // The mark of a table: a box in each corner, reaching inward.
            const CRect& r = frame.Rect();
            const int w = CTableFrameDrawing::BoxExtent(r.Width(), zoom);
            const int h = CTableFrameDrawing::BoxExtent(r.Height(), zoom);
            dc->Rectangle(r.left, r.top, r.left + w, r.top + h);
            dc->Rectangle(r.right - w, r.top, r.right, r.top + h);
            dc->Rectangle(r.right - w, r.bottom - h, r.right, r.bottom);
            dc->Rectangle(r.left, r.bottom - h, r.left + w, r.bottom);
        }
    }
    if (m_nSelected && !dc->IsPrinting() && flags) DrawSelPoints(dc, zoom);
    return 1;
}

// --- Cloning and deleting -----------------------------------------------------------------------------------

CReportElement* CTableElement::CreateClon() {
    auto* clone = new CTableMapElement(m_pManager);
    clone->SetTable(this);
    CopyBaseTo(*clone);
    clone->SetName("Продолжение " + m_Name);
    return clone;
}

void CTableElement::Delete() {
    if (!m_pInstance || !m_pManager || !m_pManager->GetStore()) return;
    DeleteFontInstance(m_pManager, m_pInstance, m_pManager->Schema().zor_report_table_row_font);
    // Each section goes whole, its own instance and title included: nothing else refers to them.
    for (CReportSection* section : m_Sections) section->DeleteSection();
    CReportElement::Delete();
}

// --- Store ------------------------------------------------------------------------------------------------------

void CTableElement::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_report_table);
        PutFontInstance(m_pManager, m_pInstance, s.zor_report_table_row_font, m_RowFont);
        store->PutAttr(m_pInstance, s.zor_report_table_row_height, m_nRowHeight);
        CzorTAggr<CzorInstance> sections;
        WriteEach(m_Sections, sections);
        store->PutAttr(m_pInstance, s.zor_report_table_sections, sections);
        // Last: a new table's point instances follow its sections' in the file.
        WritePlacement();
        return;
    }
    if (!m_pInstance) return;
    GetFontInstance(m_pManager, m_pInstance, s.zor_report_table_row_font, m_RowFont);
    store->GetAttr(m_pInstance, s.zor_report_table_row_height, m_nRowHeight);
    m_Sections.RemoveAll();
    CzorTAggr<CzorInstance> sections;
    store->GetAttr(m_pInstance, s.zor_report_table_sections, sections);
    DropRepeats(sections);
    for (CzorInstance* instance : sections) {
        if (!IsLive(instance) || !store->IsKindOf(instance, s.e_zor_report_section)) continue;
        auto* section = new CReportSection(m_pManager);
        section->SetInstance(instance);
        section->Update(false);
        m_Sections.Add(section);
    }
    ReadPlacement();
}

// --- Record ------------------------------------------------------------------------------------------------------

int CTableElement::GetMemSize() {
    int size = CReportElement::GetMemSize() + 4 + kLogFontRecordSize + 4;
    for (const CReportSection* section : m_Sections) size += section->GetMemSize();
    return size;
}

void CTableElement::CopyToMem(CRecordWriter& out) {
    CReportElement::CopyToMem(out);
    out.PutInt32(m_nRowHeight);
    out.PutLogFont(m_RowFont);
    out.PutInt32(m_Sections.GetSize());
    for (const CReportSection* section : m_Sections) section->CopyToMem(out);
}

bool CTableElement::LoadDataFromMem(CRecordReader& in) {
    // Read the whole record before changing anything, so a damaged one leaves the table as it was.
    CReportElement base(m_pManager);
    if (!base.LoadDataFromMem(in)) return false;
    int32_t rowHeight = 0, count = 0;
    LOGFONT rowFont;
    in.GetInt32(rowHeight);
    in.GetLogFont(rowFont);
    if (!in.GetCount(count, kSectionRecordMinSize)) return false;
    std::vector<std::unique_ptr<CReportSection>> sections;
    for (int32_t i = 0; i < count; ++i) {
        auto section = std::make_unique<CReportSection>(m_pManager);
        if (!section->LoadDataFromMem(in)) return false;
        sections.push_back(std::move(section));
    }
    m_x = base.GetOrigin().x;
    m_y = base.GetOrigin().y;
    m_cx = base.GetSize().cx;
    m_cy = base.GetSize().cy;
    m_nLineWidth = base.GetLineWidth();
    m_TextValue = base.GetTextValue();
    m_Name = base.GetName();
    m_nRowHeight = rowHeight;
    m_RowFont = rowFont;
    m_Sections.RemoveAll();
    for (auto& section : sections) m_Sections.Add(section.release());
    return true;
}
