#include "report/tests/merge/merge_fixture.h"

#include <cstdlib>
#include <functional>
#include <unordered_set>

#include "platform/base/file_io.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"

namespace merge_test {

std::vector<Param> StandardParams(const std::string& number, const std::string& title) {
    return {{"Номер страницы", kParamPageNumber, ""},
            {"Количество страниц", kParamPageCount, ""},
            {"Текущая дата", kParamCurrentDate, ""},
            {"Номер", kParamNumber, number},
            {"Заголовок", kParamText, title}};
}

bool WriteReportFile(const std::string& path, const ReportPlan& plan, const std::vector<std::string>& names) {
    CzorStepDataWithFile store;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) return false;
    CFolivox manager;
    manager.Attach(&store, QM_DICT_DIR "/");
    const CReportSchema& s = manager.Schema();

    CzorTAggr<CzorInstance> params;
    std::vector<CReportParam*> made;
    for (const Param& p : plan.params) {
        auto* param = new CReportParam(&manager);
        param->SetName(p.name);
        if (p.type == kParamNumber) param->SetParam(std::atoi(p.value.c_str()));
        else param->SetParam(p.value, p.type);
        param->Update(true);
        manager.GetParams().Add(param);
        params.Add(param->GetInstance());
        made.push_back(param);
    }
    CzorTAggr<CzorInstance> sheets;
    for (size_t i = 0; i < plan.sheets.size(); ++i) {
        auto* sheet = new CReportSheet(&manager);
        sheet->SetSize(CSize(2100, 2970));
        manager.AddSheet(sheet);
        sheet->LoadElementsFromFile();
        sheet->SetName(i < names.size() ? names[i] : "Лист" + std::to_string(i + 1));
        int y = -100;
        for (const Text& t : plan.sheets[i]) {
            CReportElement* e = sheet->CreateReportElem(CPoint(100, y), CSize(1000, 80), kElemRect);
            if (t.param >= 0) e->GetTextValue().SetText(made.at(static_cast<size_t>(t.param)));
            else e->GetTextValue().SetText(t.own);
            sheet->Add(e);
            y -= 100;
        }
        sheet->Update(true);
        sheets.Add(sheet->GetInstance());
    }
    CzorInstance* root = store.CreateInstance(s.e_zor_report, false, true);
    store.PutAttr(root, s.zor_report_sheets, sheets);
    store.PutAttr(root, s.zor_report_params, params);
    store.PutAttr(root, s.zor_report_mode, 1);
    manager.PutPoint(root, s.zor_report_page_size, CPoint(2100, 2970));

    std::function<CzorInstance*(const Node&)> writeNode = [&](const Node& n) {
        CzorInstance* node = store.CreateInstance(s.e_zor_table_content, false, true);
        store.PutAttr(node, s.zor_table_content_title, n.title);
        CzorTAggr<CzorInstance> nodeSheets, children;
        for (int k : n.sheets) nodeSheets.Add(sheets.GetAt(k));
        for (const Node& c : n.children) children.Add(writeNode(c));
        store.PutAttr(node, s.zor_table_content_sheets, nodeSheets);
        store.PutAttr(node, s.zor_table_content_childs, children);
        return node;
    };
    for (const Node& n : plan.contents) writeNode(n);
    const bool saved = store.SaveToFile(path.c_str());
    manager.Detach();
    return saved;
}

bool WriteRootlessFile(const std::string& path) {
    CzorStepDataWithFile store;
    return store.LoadDictionary(QM_DICT_DIR "/quillmark") && store.SaveToFile(path.c_str());
}

ReportSummary ReadReportFile(const std::string& path) {
    ReportSummary out;
    CzorStepDataWithFile store;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) return out;
    if (!store.LoadFromFile(path.c_str()) && store.GetLastError() != zorErrReadOnly) return out;
    CReportSchema s;
    s.Bind(store);
    CzorTAggr<CzorInstance> sheets, all;
    CzorInstance* root = FirstOfExtent(store, s.e_zor_report);
    if (!root) return out;
    out.loaded = true;
    store.GetAttr(root, s.zor_report_mode, out.mode);
    store.GetAttr(root, s.zor_report_sheets, sheets);
    store.GetEntityExtent(s.e_zor_report_sheet, all);
    out.sheetInstances = all.GetSize();
    auto position = [&](CzorInstance* sheet) {
        for (int i = 0; i < sheets.GetSize(); ++i)
            if (sheets.GetAt(i) == sheet) return i;
        return -1;
    };
    for (CzorInstance* sheet : sheets) {
        std::string name;
        store.GetAttr(sheet, s.zor_report_sheet_element_name, name);
        out.sheetNames.push_back(name);
        std::vector<std::string> texts;
        CzorTAggr<CzorInstance> elems;
        store.GetAttr(sheet, s.zor_report_sheet_elems, elems);
        for (CzorInstance* e : elems) {
            CzorInstance *value = nullptr, *param = nullptr;
            int type = 0;
            std::string text;
            store.GetAttr(e, s.zor_report_sheet_element_text_value, value);
            store.GetAttr(value, s.zor_value_type, type);
            store.GetAttr(value, s.zor_value_text, text);
            store.GetAttr(value, s.zor_value_inst, param);
            if (type == 2) {
                std::string name;
                int paramType = -1;
                if (!store.GetAttr(param, s.zor_report_param_name, name)) ++out.danglingLinks;
                store.GetAttr(param, s.zor_report_param_type, paramType);
                texts.push_back("@" + name + "#" + std::to_string(paramType));
            } else {
                texts.push_back(text);
            }
        }
        out.texts.push_back(texts);
    }
    CzorTAggr<CzorInstance> params;
    store.GetEntityExtent(s.e_zor_report_param, params);
    for (CzorInstance* p : params) {
        Param param;
        store.GetAttr(p, s.zor_report_param_name, param.name);
        store.GetAttr(p, s.zor_report_param_type, param.type);
        store.GetAttr(p, s.zor_report_param_value, param.value);
        out.params.push_back(param);
    }
    CzorTAggr<CzorInstance> nodes;
    store.GetEntityExtent(s.e_zor_table_content, nodes);
    std::unordered_set<CzorInstance*> children;
    for (CzorInstance* n : nodes) {
        CzorTAggr<CzorInstance> childs;
        store.GetAttr(n, s.zor_table_content_childs, childs);
        for (CzorInstance* c : childs) children.insert(c);
    }
    std::function<ReadNode(CzorInstance*)> readNode = [&](CzorInstance* n) {
        ReadNode node;
        store.GetAttr(n, s.zor_table_content_title, node.title);
        CzorTAggr<CzorInstance> nodeSheets, childs;
        store.GetAttr(n, s.zor_table_content_sheets, nodeSheets);
        for (CzorInstance* sheet : nodeSheets) node.sheets.push_back(position(sheet));
        store.GetAttr(n, s.zor_table_content_childs, childs);
        for (CzorInstance* c : childs) node.children.push_back(readNode(c));
        return node;
    };
    for (CzorInstance* n : nodes)
        if (!children.count(n)) out.contents.push_back(readNode(n));
    return out;
}

bool EditReportFile(const std::string& path,
                    const std::function<void(CzorStepDataWithFile&, const CReportSchema&)>& edit) {
    CzorStepDataWithFile store;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark") || !store.LoadFromFile(path.c_str())) return false;
    CReportSchema s;
    s.Bind(store);
    edit(store, s);
    return store.SaveToFile(path.c_str());
}

MergeTest::MergeTest() {
    const std::string iniPath = dir / "ZorTransport.ini";
    zor::WriteFileAtomically(iniPath, "[Paths]\nDictionary=" QM_DICT_DIR "/\n");
    ini = std::make_unique<zor::test::ScopedEnv>("ZOR_TRANSPORT_INI", iniPath);
}

}  // namespace merge_test
