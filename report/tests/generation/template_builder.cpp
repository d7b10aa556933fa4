#include "report/tests/generation/template_builder.h"

#include <algorithm>

#include "platform/base/transport_ini.h"
#include "report/tests/model/template_lists.h"

namespace generation_test {

LOGFONT Font(int height, const char* face, int weight) {
    LOGFONT f;
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfCharSet = RUSSIAN_CHARSET;
    f.SetFaceName(face);
    return f;
}

// --- TemplateBuilder ---------------------------------------------------------------------------------------

TemplateBuilder::TemplateBuilder() {
    const std::string dictionary = zor::DictionaryDir();
    m_loaded = m_store.LoadDictionary((dictionary + "quillmark").c_str());
    m_manager.Attach(&m_store, dictionary.c_str());
}

void TemplateBuilder::SetPage(CSize size) { m_pageSize = size; }

CReportSheet* TemplateBuilder::AddSheet() {
    CReportSheet* sheet = model_test::AddPage(Manager());
    sheet->SetSize(m_pageSize);
    return sheet;
}

CReportElement* TemplateBuilder::AddText(CReportSheet* sheet, CPoint origin, CSize size, const std::string& text) {
    CReportElement* e = sheet->CreateReportElem(origin, size, kElemRect);
    e->GetTextValue().SetText(text);
    sheet->Add(e);
    return e;
}

CReportElement* TemplateBuilder::AddParamText(CReportSheet* sheet, CPoint origin, CSize size, CReportParam* param) {
    CReportElement* e = sheet->CreateReportElem(origin, size, kElemRect);
    e->GetTextValue().SetText(param);
    sheet->Add(e);
    return e;
}

CReportParam* TemplateBuilder::AddParam(const std::string& name, int type, const std::string& value) {
    auto* p = new CReportParam(&Manager());
    p->SetName(name);
    p->SetParam(value, type);
    Manager().GetParams().Add(p);
    return p;
}

CHeaderColumn* TemplateBuilder::Column(const std::string& name, int type) {
    CHeader* header = Manager().GetSelectHeader();
    int index = header->Find(name);
    if (index < 0) index = header->AddColumn(name, type);
    return header->GetColumn(index);
}

CHeaderColumn* TemplateBuilder::Computed(const std::string& text) {
    CHeader* header = Manager().GetResultSelectHeader();
    return header->GetColumn(header->AddColumn(new CHeaderColumn(kFormulaColumn, text, 5)));
}

CTableElement* TemplateBuilder::AddTable(CReportSheet* sheet, CPoint origin, CSize size, int rowHeight) {
    auto* table = new CTableElement(&Manager());
    table->SetOrigin(origin);
    table->SetSize(size);
    table->SetRowHeight(rowHeight);
    table->SetLineWidth(2);
    sheet->Add(table);
    return table;
}

CTableMapElement* TemplateBuilder::AddContinuation(CReportSheet* sheet, CTableElement* table, CPoint origin,
                                                   CSize size) {
    auto* map = new CTableMapElement(&Manager());
    map->SetTable(table);
    map->SetOrigin(origin);
    map->SetSize(size);
    map->SetLineWidth(2);
    sheet->Add(map);
    return map;
}

CTableContentElement* TemplateBuilder::AddContents(CReportSheet* sheet, CPoint origin, CSize size) {
    auto* contents = new CTableContentElement(&Manager());
    contents->SetOrigin(origin);
    contents->SetSize(size);
    sheet->Add(contents);
    return contents;
}

CColumn* TemplateBuilder::FieldColumn(CHeaderColumn* source, int width, int kind) {
    auto* c = new CColumn;
    c->m_Name = source ? source->GetName() : std::string();
    c->m_pColumn = source;
    c->m_nWidth = width;
    c->m_nType = kind;
    return c;
}

CColumn* TemplateBuilder::TextColumn(const std::string& text, int width) {
    auto* c = new CColumn;
    c->m_nType = kColumnText;
    c->m_TextConst = text;
    c->m_nWidth = width;
    return c;
}

CSectionLevel* TemplateBuilder::Level(int height, std::vector<CColumn*> columns, int flags) {
    auto* level = new CSectionLevel(&Manager());
    level->m_nHeight = height;
    level->m_nFlag = flags;
    for (CColumn* c : columns) level->m_Columns.Add(c);
    return level;
}

CCondition* TemplateBuilder::Condition(CHeaderColumn* column, int comparison, const std::string& value) {
    auto* c = new CCondition;
    c->m_pColumn = column;
    c->Set(comparison, value);
    return c;
}

CCondition* TemplateBuilder::Condition(CHeaderColumn* column, int comparison, int value) {
    auto* c = new CCondition;
    c->m_pColumn = column;
    c->Set(comparison, value);
    return c;
}

bool TemplateBuilder::Save(const std::string& path, std::string* error) {
    CFolivox& manager = Manager();
    CzorStepDataWithFile& store = Store();
    const CReportSchema& s = manager.Schema();
    model_test::WriteHeader(manager, manager.GetSelectHeader(), s.e_zor_select, s.zor_select_column);
    model_test::WriteHeader(manager, manager.GetResultSelectHeader(), s.e_zor_result_select,
                            s.zor_result_select_column);
    const CzorTAggr<CzorInstance> params = model_test::WriteParams(manager);
    const CzorTAggr<CzorInstance> sheets = model_test::WriteSheets(manager);
    manager.Update(true);
    CzorInstance* root = model_test::ReportRoot(manager);
    store.PutAttr(root, s.zor_report_params, params);
    store.PutAttr(root, s.zor_report_sheets, sheets);
    store.PutAttr(root, s.zor_report_mode, 0);
    manager.PutPoint(root, s.zor_report_page_size, CPoint(m_pageSize.cx, m_pageSize.cy));
    // Fit to page is the user's choice in the profile, not the file's (the designer never writes it). A
    // page taller than wide is portrait; its print area is kept with the long side first all the same,
    // as the page set-up writes it, so the page set-up opens it with no margins.
    const bool portrait = m_pageSize.cy > m_pageSize.cx;
    store.PutAttr(root, s.zor_report_page_orient, portrait ? 0 : 1);
    const int longSide = std::max(m_pageSize.cx, m_pageSize.cy);
    const int shortSide = std::min(m_pageSize.cx, m_pageSize.cy);
    manager.SetRect(root, s.zor_report_print_area, CRect(0, 0, longSide, shortSide));
    if (store.SaveToFile(path.c_str())) return true;
    if (error) *error = store.GetLastErrorDescription();
    return false;
}

}  // namespace generation_test
