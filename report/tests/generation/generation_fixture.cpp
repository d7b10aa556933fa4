#include "report/tests/generation/generation_fixture.h"

#include <fmt/printf.h>

#include "platform/tests/fixed_clock.h"
#include "platform/zordata/zordata.h"
#include "report/model/page_reference_element.h"
#include "report/model/table_content.h"
#include "report/tests/model/template_lists.h"

namespace generation_test {

std::time_t FixedDate() { return zor::test::FixedNoon(); }

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
    CzorInstance* root = FirstOfExtent(store, s.e_zor_report);
    if (!root) return view;
    view.loaded = true;
    store.GetAttr(root, s.zor_report_mode, view.mode);
    if (CzorInstance* select = FirstOfExtent(store, s.e_zor_select)) {
        CzorTAggr<CzorInstance> columns;
        store.GetAttr(select, s.zor_select_column, columns);
        view.selectColumns = columns.GetSize();
    }
    CzorTAggr<CzorInstance> params;
    store.GetEntityExtent(s.e_zor_report_param, params);
    model_test::ReadParams(manager, params);
    for (CReportParam* p : manager.GetParams()) {
        std::string value;
        store.GetAttr(p->GetInstance(), s.zor_report_param_value, value);
        view.params[p->GetName()] = ParamView{p->GetType(), value};
    }
    CzorTAggr<CzorInstance> sheets;
    store.GetAttr(root, s.zor_report_sheets, sheets);
    for (CzorInstance* instance : sheets) {
        std::string name;
        store.GetAttr(instance, s.zor_report_sheet_element_name, name);
        view.sheetNames.push_back(name);
    }
    model_test::ReadSheets(manager, sheets);
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
