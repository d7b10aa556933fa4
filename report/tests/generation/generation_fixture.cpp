#include "report/tests/generation/generation_fixture.h"

#include <fmt/printf.h>

#include "platform/zordata/zordata.h"
#include "report/model/page_reference_element.h"
#include "report/model/table_content.h"

namespace generation_test {

LOGFONT Font(int height, const char* face, int weight) {
    LOGFONT f;
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfCharSet = RUSSIAN_CHARSET;
    f.SetFaceName(face);
    return f;
}

std::time_t FixedDate() {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// --- TemplateBuilder ---------------------------------------------------------------------------------------

CReportSheet* TemplateBuilder::AddSheet() {
    auto* sheet = new CReportSheet(&Manager());
    sheet->SetSize(CSize(2100, 2970));
    Manager().AddSheet(sheet);
    Manager().UpdateSheets();
    sheet->LoadElementsFromFile();
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

namespace {

CzorInstance* FirstOf(CzorStepData& store, CzorEntity* entity) {
    CzorTAggr<CzorInstance> all;
    store.GetEntityExtent(entity, all);
    return all.GetAt(0);
}

void WriteHeader(CFolivox& manager, CHeader* header, CzorEntity* entity, CzorAttr* attr) {
    CzorStepDataWithFile& store = *manager.GetStore();
    header->Update(&manager, true);
    CzorInstance* record = FirstOf(store, entity);
    if (!record) record = store.CreateInstance(entity, false, true);
    CzorTAggr<CzorInstance> columns;
    header->GetExtent(columns);
    store.PutAttr(record, attr, columns);
}

}  // namespace

bool TemplateBuilder::Save(const std::string& path, std::string* error) {
    CFolivox& manager = Manager();
    CzorStepDataWithFile& store = Store();
    const CReportSchema& s = manager.Schema();
    WriteHeader(manager, manager.GetSelectHeader(), s.e_zor_select, s.zor_select_column);
    WriteHeader(manager, manager.GetResultSelectHeader(), s.e_zor_result_select, s.zor_result_select_column);
    CzorTAggr<CzorInstance> params, sheets;
    for (CReportParam* p : manager.GetParams()) {
        p->Update(true);
        params.Add(p->GetInstance());
    }
    for (CReportSheet* sheet : manager.GetSheets()) {
        sheet->Update(true);
        sheets.Add(sheet->GetInstance());
    }
    manager.Update(true);
    CzorInstance* root = FirstOf(store, s.e_zor_report);
    if (!root) root = store.CreateInstance(s.e_zor_report, false, true);
    store.PutAttr(root, s.zor_report_params, params);
    store.PutAttr(root, s.zor_report_sheets, sheets);
    store.PutAttr(root, s.zor_report_mode, 0);
    manager.PutPoint(root, s.zor_report_page_size, CPoint(2100, 2970));
    store.PutAttr(root, s.zor_report_page_orient, 1);
    store.PutAttr(root, s.zor_report_fit_to_page, 0);
    if (store.SaveToFile(path.c_str())) return true;
    if (error) *error = store.GetLastErrorDescription();
    return false;
}

// --- Reading a report back -------------------------------------------------------------------------------------

namespace {

ContentsNode ViewOf(const CTableContent& node, CFolivox& manager) {
    ContentsNode out;
    out.title = node.GetTitle();
    for (CReportSheet* sheet : node.GetSheets()) out.pages.push_back(manager.FindSheetInd(sheet) + 1);
    for (const CTableContent* child : node.GetChildren()) out.children.push_back(ViewOf(*child, manager));
    return out;
}

}  // namespace

std::vector<std::string> ReportView::Texts(int page) const {
    std::vector<std::string> out;
    if (page < 0 || page >= static_cast<int>(pages.size())) return out;
    for (const ElementView& e : pages[static_cast<size_t>(page)])
        if (e.kind == kElemRect && !e.text.empty()) out.push_back(e.text);
    return out;
}

int ReportView::CountKind(int kind) const {
    int n = 0;
    for (const auto& page : pages)
        for (const ElementView& e : page) n += e.kind == kind ? 1 : 0;
    return n;
}

ReportView ReadReport(const std::string& path) {
    ReportView view;
    std::string bytes;
    if (!zor::ReadWholeFile(path, bytes)) return view;
    if (bytes.empty()) {
        view.loaded = true;
        view.empty = true;
        return view;
    }
    view.integrity = CheckReportText(bytes);
    model_test::AttachedModel model;
    if (!model.loaded || !model.store.LoadFromFile(path.c_str())) return view;
    CFolivox& manager = model.manager;
    CzorStepDataWithFile& store = model.store;
    const CReportSchema& s = manager.Schema();
    CzorInstance* root = FirstOf(store, s.e_zor_report);
    if (!root) return view;
    view.loaded = true;
    store.GetAttr(root, s.zor_report_mode, view.mode);
    if (CzorInstance* select = FirstOf(store, s.e_zor_select)) {
        CzorTAggr<CzorInstance> columns;
        store.GetAttr(select, s.zor_select_column, columns);
        view.selectColumns = columns.GetSize();
    }
    CzorTAggr<CzorInstance> params;
    store.GetEntityExtent(s.e_zor_report_param, params);
    for (CzorInstance* instance : params) {
        auto* p = new CReportParam(&manager);
        p->SetInstance(instance);
        p->Update(false);
        manager.GetParams().Add(p);
        std::string value;
        store.GetAttr(instance, s.zor_report_param_value, value);
        view.params[p->GetName()] = ParamView{p->GetType(), value};
    }
    CzorTAggr<CzorInstance> sheets;
    store.GetAttr(root, s.zor_report_sheets, sheets);
    for (CzorInstance* instance : sheets) {
        auto* sheet = new CReportSheet(&manager);
        sheet->SetInstance(instance);
        manager.AddSheet(sheet);
        sheet->Update(false);
        std::string name;
        store.GetAttr(instance, s.zor_report_sheet_element_name, name);
        view.sheetNames.push_back(name);
    }
    manager.UpdateSheets();
    for (CReportSheet* sheet : manager.GetSheets()) sheet->LoadElementsFromFile();
    CPageReferenceElement::ResolvePending(&manager);
    for (CReportSheet* sheet : manager.GetSheets()) {
        std::vector<ElementView>& page = view.pages.emplace_back();
        for (CReportElement* e : sheet->GetElements()) {
            ElementView& v = page.emplace_back();
            v.kind = e->GetKind();
            const CTextValue& text = e->GetTextValue();
            v.text = text.GetText();
            v.textType = text.GetType();
            if (text.GetParam()) v.paramType = text.GetParam()->GetType();
            v.origin = e->GetOrigin();
            v.size = e->GetSize();
            v.lineWidth = e->GetLineWidth();
            v.align = text.GetAlign();
            v.font = text.GetFont();
            if (auto* reference = dynamic_cast<CPageReferenceElement*>(e))
                v.target = manager.FindSheetInd(reference->GetTarget()) + 1;
        }
    }
    manager.LoadTableContents();
    for (const CTableContent* root : manager.GetTableContents()) view.contents.push_back(ViewOf(*root, manager));
    return view;
}

// --- GenerationBase --------------------------------------------------------------------------------------------

void GenerationBase::WriteFile(const std::string& name, const std::string& bytes) const {
    ASSERT_TRUE(zor::WriteFileAtomically(Path(name), bytes)) << name;
}

bool GenerationBase::Generate(const std::string& templatePath, const std::string& csv, const std::string& par,
                              const std::string& report) {
    CFolivox manager;
    if (!manager.GetDataSource().LoadFromFile(csv)) return false;
    return GenerateReport(&manager, templatePath.c_str(), par.c_str(), report.c_str(), nullptr);
}

}  // namespace generation_test
