#include "report/model/folivox.h"

#include <fmt/printf.h>

#include "platform/zordata/zordata.h"
#include "report/model/data_source.h"
#include "report/model/element_factory.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"

namespace {

std::string SheetName(int number) { return fmt::sprintf("Лист%d", number); }

}  // namespace

CFolivox::CFolivox()
    : m_pDataSource(std::make_unique<CDataSource>(nullptr)),
      m_pSelectHeader(new CHeader),
      m_pResultSelectHeader(new CHeader) {
    Detach();
}

CFolivox::~CFolivox() {
    FreeTableContents();
    m_Params.RemoveAll();
    RemoveAllSheets();
    m_pDataSource->RemoveAll();
    EmptyHeaders();
    delete m_pSelectHeader;
    delete m_pResultSelectHeader;
}

void CFolivox::FreeTableContents() {
    for (CTableContent* node : m_TableContents) delete node;
    m_TableContents.RemoveAll();
}

void CFolivox::EmptyHeaders() {
    m_pSelectHeader->RemoveAll();
    m_pResultSelectHeader->RemoveAll();
}

// --- Binding ----------------------------------------------------------------------------------------------

void CFolivox::Attach(CzorStepDataWithFile* store, const char* dictionaryPath) {
    if (!store) return;
    m_DictPath = dictionaryPath ? dictionaryPath : "";
    m_pStore = store;
    m_Schema.Bind(*store);
}

void CFolivox::Detach() {
    m_pStore = nullptr;
    m_Schema.Clear();
    FreeTableContents();
    RemoveAllSheets();
    m_Params.RemoveAll();
    EmptyHeaders();
}

bool CFolivox::Init() {
    m_Params.RemoveAll();
    EmptyHeaders();
    m_pDataSource->RemoveAll();
    RemoveAllSheets();
    return true;
}

// --- Points, rectangles, fonts ---------------------------------------------------------------------------

int CFolivox::PutPoint(CzorInstance* owner, CzorAttr* attr, CPoint value) {
    if (!m_pStore || !owner || !attr) return 0;
    CzorInstance* point = nullptr;
    m_pStore->GetAttr(owner, attr, point);
    if (!point || !m_pStore->IsKindOf(point, m_Schema.e_zor_point))
        point = m_pStore->CreateInstance(m_Schema.e_zor_point, false, true);
    m_pStore->PutAttr(point, m_Schema.zor_point_x, static_cast<int>(value.x));
    m_pStore->PutAttr(point, m_Schema.zor_point_y, static_cast<int>(value.y));
    m_pStore->PutAttr(owner, attr, point);
    return 1;
}

int CFolivox::GetPoint(CzorInstance* owner, CzorAttr* attr, CPoint& out) {
    out = CPoint(0, 0);
    if (!m_pStore || !owner || !attr) return 0;
    CzorInstance* point = nullptr;
    if (!m_pStore->GetAttr(owner, attr, point) || !point || !m_pStore->IsKindOf(point, m_Schema.e_zor_point)) return 0;
    int x = 0, y = 0;
    m_pStore->GetAttr(point, m_Schema.zor_point_x, x);
    m_pStore->GetAttr(point, m_Schema.zor_point_y, y);
    out = CPoint(x, y);
    return 1;
}

int CFolivox::GetPoint(CzorInstance* owner, CzorAttr* attr, CSize& out) {
    CPoint p;
    const int result = GetPoint(owner, attr, p);
    out = CSize(p.x, p.y);
    return result;
}

bool CFolivox::GetRect(CzorInstance* owner, CzorAttr* attr, CRect& out) {
    if (!m_pStore || !owner || !attr) return false;
    CzorInstance* rect = nullptr;
    if (!m_pStore->GetAttr(owner, attr, rect) || !rect || !m_pStore->IsKindOf(rect, m_Schema.e_zor_rect)) return false;
    int top = 0, left = 0, bottom = 0, right = 0;
    m_pStore->GetAttr(rect, m_Schema.zor_rect_top, top);
    m_pStore->GetAttr(rect, m_Schema.zor_rect_left, left);
    m_pStore->GetAttr(rect, m_Schema.zor_rect_bottom, bottom);
    m_pStore->GetAttr(rect, m_Schema.zor_rect_right, right);
    out = CRect(left, top, right, bottom);
    return true;
}

CRect CFolivox::GetRect(CzorInstance* owner, CzorAttr* attr) {
    CRect r(0, 0, 0, 0);
    GetRect(owner, attr, r);
    return r;
}

bool CFolivox::SetRect(CzorInstance* owner, CzorAttr* attr, CRect value) {
    if (!m_pStore || !owner || !attr) return false;
    CzorInstance* rect = nullptr;
    m_pStore->GetAttr(owner, attr, rect);
    if (!rect || !m_pStore->IsKindOf(rect, m_Schema.e_zor_rect)) {
        rect = m_pStore->CreateInstance(m_Schema.e_zor_rect, false, true);
        m_pStore->PutAttr(owner, attr, rect);
    }
    m_pStore->PutAttr(rect, m_Schema.zor_rect_top, static_cast<int>(value.top));
    m_pStore->PutAttr(rect, m_Schema.zor_rect_left, static_cast<int>(value.left));
    m_pStore->PutAttr(rect, m_Schema.zor_rect_bottom, static_cast<int>(value.bottom));
    m_pStore->PutAttr(rect, m_Schema.zor_rect_right, static_cast<int>(value.right));
    return true;
}

LOGFONT CFolivox::GetFontValue(CzorInstance* font) {
    LOGFONT f;
    GetFontValue(font, f);
    return f;
}

void CFolivox::GetFontValue(CzorInstance* font, LOGFONT& out) {
    out = LOGFONT();
    if (!m_pStore || !font) return;
    // Each field from its own reading: one that has no value stays 0.
    auto readInt = [&](CzorAttr* attr) {
        int value = 0;
        m_pStore->GetAttr(font, attr, value);
        return value;
    };
    out.lfCharSet = static_cast<uint8_t>(readInt(m_Schema.zor_font_char_set));
    std::string face;
    m_pStore->GetAttr(font, m_Schema.zor_font_font_name, face);
    out.SetFaceName(face);
    out.lfHeight = readInt(m_Schema.zor_font_height);
    out.lfWeight = readInt(m_Schema.zor_font_weight);
    out.lfItalic = static_cast<uint8_t>(readInt(m_Schema.zor_font_italic));
    out.lfStrikeOut = static_cast<uint8_t>(readInt(m_Schema.zor_font_strikeout));
    out.lfUnderline = static_cast<uint8_t>(readInt(m_Schema.zor_font_underline));
}

void CFolivox::SetFontValue(CzorInstance* font, const LOGFONT& value) {
    if (!m_pStore || !font) return;
    m_pStore->PutAttr(font, m_Schema.zor_font_char_set, static_cast<int>(value.lfCharSet));
    m_pStore->PutAttr(font, m_Schema.zor_font_font_name, std::string(value.FaceName()));
    m_pStore->PutAttr(font, m_Schema.zor_font_height, static_cast<int>(value.lfHeight));
    m_pStore->PutAttr(font, m_Schema.zor_font_weight, static_cast<int>(value.lfWeight));
    m_pStore->PutAttr(font, m_Schema.zor_font_italic, static_cast<int>(value.lfItalic));
    m_pStore->PutAttr(font, m_Schema.zor_font_strikeout, static_cast<int>(value.lfStrikeOut));
    m_pStore->PutAttr(font, m_Schema.zor_font_underline, static_cast<int>(value.lfUnderline));
}

// --- Elements ----------------------------------------------------------------------------------------------

CReportElement* CFolivox::CreateElemObj(CzorInstance* instance, CReportSheet* sheet) {
    if (!instance || !sheet || !m_pStore) return nullptr;
    const int kind = ElementKindOfInstance(m_Schema, *m_pStore, instance);
    if (kind == kElemTable) {
        if (CReportElement* table = FindTable(instance)) {
            // A table lives on one sheet: a damaged file that lists it on another as well keeps it on the
            // first (two sheets would both free it).
            CReportSheet* holder = table->GetSheet();
            if (holder && holder != sheet && holder->GetElements().Find(table) >= 0) return nullptr;
            sheet->Add(table);
            return table;
        }
    }
    CReportElement* element = NewReportElement(kind, this);
    if (!element) {
        // Every kind a stored element is read as has a class; should one ever lack it, the element keeps its
        // kind, so the file is written back as it was read.
        element = new CReportElement(this);
        element->SetKind(kind);
    }
    element->SetInstance(instance);
    sheet->Add(element);
    return element;
}

CReportElement* CFolivox::FindTable(CzorInstance* instance) const {
    if (!instance) return nullptr;
    for (CReportElement* table : m_Tables)
        if (table->GetKind() == kElemTable && table->GetInstance() == instance) return table;
    return nullptr;
}

void CFolivox::ForgetElement(CReportElement* element) {
    m_Tables.Remove(element);
    m_PendingMaps.Remove(element);
    m_UnresolvedRefs.Remove(element);
}

// --- Sheets ------------------------------------------------------------------------------------------------

int CFolivox::AddSheet(CReportSheet* sheet) {
    if (!sheet || m_Sheets.Find(sheet) >= 0) return -1;
    return m_Sheets.Add(sheet);
}

bool CFolivox::TakeSheet(CReportSheet* sheet) { return sheet && m_Sheets.Remove(sheet); }

int CFolivox::FindSheetInd(CReportSheet* sheet) const { return sheet ? m_Sheets.Find(sheet) : -1; }

CReportSheet* CFolivox::CloneSheet(CReportSheet* source, int index) {
    if (!source || index > m_Sheets.GetSize()) return nullptr;
    CReportSheet* sheet = NewSheetLike(this, *source);
    if (index == -1) {
        m_Sheets.Add(sheet);
        sheet->SetName(SheetName(m_Sheets.GetSize()));
    } else if (index >= 0) {
        m_Sheets.InsertAt(index, sheet);
        for (int i = index; i < m_Sheets.GetSize(); ++i) m_Sheets.GetAt(i)->SetName(SheetName(i + 1));
    } else {
        sheet->SetTemporary(true);
    }
    sheet->Update(true);
    sheet->LoadElementsFromFile();
    if (index != -2) {
        sheet->UnselectAll();
        sheet->FreeElements();
    }
    return sheet;
}

void CFolivox::RemoveAllSheets() {
    // Contents nodes that outlive the sheets (Init keeps them) must not point at freed ones.
    for (CTableContent* node : m_TableContents) node->ForgetAllSheets();
    const std::vector<CReportSheet*> sheets(m_Sheets.begin(), m_Sheets.end());
    for (CReportSheet* sheet : sheets) delete sheet;
    m_Sheets.RemoveAll();
    const std::vector<CReportElement*> tables(m_Tables.begin(), m_Tables.end());
    m_Tables.RemoveAll();
    for (CReportElement* table : tables) delete table;
    m_PendingMaps.RemoveAll();
    m_UnresolvedRefs.RemoveAll();
}

void CFolivox::UpdateSheets() {
    for (int i = 0; i < m_Sheets.GetSize(); ++i) m_Sheets.GetAt(i)->SetName(SheetName(i + 1));
}

CHeaderColumn* CFolivox::FindColumnByInst(CzorInstance* instance) const {
    if (!instance) return nullptr;
    for (CHeader* header : {m_pSelectHeader, m_pResultSelectHeader}) {
        const int index = header->Find(instance);
        if (index >= 0) return header->GetColumn(index);
    }
    return nullptr;
}

// --- Table of contents -------------------------------------------------------------------------------------

int CFolivox::AddTableContent(CTableContent* node) {
    if (!node || m_TableContents.Find(node) >= 0) return -1;
    return m_TableContents.Add(node);
}

bool CFolivox::FindTableContentRoots(CzorTAggr<CzorInstance>& roots) {
    roots.RemoveAll();
    if (!m_pStore) return false;
    CzorTAggr<CzorInstance> all;
    m_pStore->GetEntityExtent(m_Schema.e_zor_table_content, all);
    CzorTAggr<CzorInstance> children(16, true, false);
    for (CzorInstance* node : all) {
        CzorTAggr<CzorInstance> childs;
        if (m_pStore->GetAttr(node, m_Schema.zor_table_content_childs, childs))
            for (CzorInstance* child : childs) children.Add(child);
    }
    for (CzorInstance* node : all)
        if (!children.Contains(node)) roots.Add(node);
    return true;
}

bool CFolivox::LoadTableContents() {
    CzorTAggr<CzorInstance> roots;
    if (!FindTableContentRoots(roots)) return false;
    for (CzorInstance* root : roots) {
        if (!root) continue;
        auto* node = new CTableContent(this);
        node->SetInstance(root);
        node->Update(false);
        m_TableContents.Add(node);
    }
    return true;
}

bool CFolivox::Update(bool write) {
    for (CTableContent* node : m_TableContents) node->Update(write);
    return true;
}
