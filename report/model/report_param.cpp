#include "report/model/report_param.h"

#include <algorithm>
#include <vector>

#include <fmt/printf.h>

#include "platform/text/numbers.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"
#include "report/model/store_instances.h"

const char* PageFieldParamName(int type) {
    switch (type) {
    case kParamPageNumber: return "Номер страницы";
    case kParamPageCount: return "Количество страниц";
    case kParamCurrentDate: return "Текущая дата";
    case kParamLocalPageNumber: return "Локальный номер страницы";
    case kParamLocalPageCount: return "Локальное количество страниц";
    case kParamReportDate: return "Дата формирования отчета";
    default: return "";
    }
}

// --- CReportParam ----------------------------------------------------------------------------------------

CReportParam::CReportParam(CFolivox* manager) : m_pManager(manager) {}

void CReportParam::SetType(int type) {
    m_nType = type;
    m_Text.clear();
    m_nValue = 0;
    m_pInstValue = nullptr;
}

std::string CReportParam::GetText() const {
    switch (m_nType) {
    case kParamText:
    case kParamDate: return m_Text;
    case kParamNumber: return fmt::sprintf("%d", m_nValue);
    default: return {};
    }
}

void CReportParam::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_report_param);
        store->PutAttr(m_pInstance, s.zor_report_param_name, m_Name);
        store->PutAttr(m_pInstance, s.zor_report_param_type, m_nType);
        store->PutAttr(m_pInstance, s.zor_report_param_value, GetText());
    } else if (m_pInstance) {
        store->GetAttr(m_pInstance, s.zor_report_param_name, m_Name);
        store->GetAttr(m_pInstance, s.zor_report_param_type, m_nType);
        store->GetAttr(m_pInstance, s.zor_report_param_value, m_Text);
        if (m_nType == kParamNumber) {
            m_nValue = zor::TextToInt(m_Text);
            m_Text.clear();
        }
    }
}

// --- CParamArray -------------------------------------------------------------------------------------------

int CParamArray::Find(const std::string& name) const {
    for (int i = 0; i < m_Items.GetSize(); ++i)
        if (m_Items.GetAt(i)->GetName() == name) return i;
    return -1;
}

int CParamArray::Find(const CzorInstance* instance) const {
    if (!instance) return -1;
    for (int i = 0; i < m_Items.GetSize(); ++i)
        if (m_Items.GetAt(i)->GetInstance() == instance) return i;
    return -1;
}

int CParamArray::Find(int type) const {
    for (int i = 0; i < m_Items.GetSize(); ++i)
        if (m_Items.GetAt(i)->GetType() == type) return i;
    return -1;
}

bool CParamArray::IsUnique(const std::string& name, const CReportParam* except) const {
    for (CReportParam* param : m_Items)
        if (param != except && param->GetName() == name) return false;
    return true;
}

void CParamArray::DeleteAll() {
    std::vector<CReportParam*> all(m_Items.begin(), m_Items.end());
    DeleteParams(all, true);
}

void CParamArray::DeleteParams(const std::vector<CReportParam*>& victims) { DeleteParams(victims, false); }

CParamArray::ParamUses CParamArray::FindParamUses(CFolivox* manager, const std::vector<CReportParam*>& params,
                                                  bool everyText) {
    ParamUses uses;
    CzorStepDataWithFile* store = manager ? manager->GetStore() : nullptr;
    if (!store) return uses;
    std::vector<CzorInstance*> instances;
    for (CReportParam* param : params)
        if (param->GetInstance()) instances.push_back(param->GetInstance());
    const auto addValue = [&uses](CzorInstance* value) {
        if (std::find(uses.values.begin(), uses.values.end(), value) == uses.values.end()) uses.values.push_back(value);
    };
    const CReportSchema& s = manager->Schema();
    for (CReportSheet* sheet : manager->GetSheets()) {
        if (!sheet->IsLoaded()) {
            // A sheet not loaded: its stored texts.
            sheet->Update(true);
            CzorTAggr<CzorInstance> elems;
            store->GetAttr(sheet->GetInstance(), s.zor_report_sheet_elems, elems);
            for (CzorInstance* elem : elems) {
                if (!store->IsKindOf(elem, s.e_zor_report_rect)) continue;
                CzorInstance* value = nullptr;
                CzorInstance* shown = nullptr;
                int type = 0;
                if (store->GetAttr(elem, s.zor_report_sheet_element_text_value, value) && value &&
                    store->GetAttr(value, s.zor_value_type, type) && type == kTextParam &&
                    (everyText || (store->GetAttr(value, s.zor_value_inst, shown) && shown &&
                                   std::find(instances.begin(), instances.end(), shown) != instances.end())))
                    addValue(value);
            }
            continue;
        }
        for (CReportElement* element : sheet->GetElements()) {
            if (element->GetKind() != kElemRect || element->GetTextValue().GetType() != kTextParam) continue;
            if (!everyText && std::find(params.begin(), params.end(), element->GetTextValue().GetParam()) == params.end())
                continue;
            uses.elements.push_back(element);
            if (element->GetTextValue().GetInstance()) addValue(element->GetTextValue().GetInstance());
        }
    }
    return uses;
}

void CParamArray::ClearParamUses(CFolivox* manager, const ParamUses& uses) {
    CzorStepDataWithFile* store = manager ? manager->GetStore() : nullptr;
    if (store) {
        const CReportSchema& s = manager->Schema();
        // An empty link, never one to an instance numbered 0.
        for (CzorInstance* value : uses.values) {
            store->ClearAttr(value, s.zor_value_inst);
            store->PutAttr(value, s.zor_value_type, static_cast<int>(kTextOwn));
            store->PutAttr(value, s.zor_value_text, std::string());
        }
    }
    for (CReportElement* element : uses.elements) element->GetTextValue().SetText(std::string());
}

void CParamArray::DeleteParams(const std::vector<CReportParam*>& victims, bool everyText) {
    if (victims.empty()) return;
    CFolivox* manager = victims.front()->GetDict();
    // The texts are found while the parameters and their instances still exist.
    const ParamUses uses = FindParamUses(manager, victims, everyText);
    CzorStepDataWithFile* store = manager ? manager->GetStore() : nullptr;
    for (CReportParam* param : victims) {
        if (store && param->GetInstance()) store->DeleteInstance(param->GetInstance(), true, false);
        const int index = Find(param);
        if (index >= 0)
            RemoveAt(index);
        else
            delete param;
    }
    ClearParamUses(manager, uses);
}

// --- CRParamsArray -----------------------------------------------------------------------------------------

int CRParamsArray::Add(const char* name, const char* value) {
    if (!name || !value) return -1;
    return m_Items.Add(new CzorRParam{name, value, 0});
}

int CRParamsArray::Add(const char* name, int number) {
    if (!name) return -1;
    return m_Items.Add(new CzorRParam{name, std::string(), number});
}

bool CRParamsArray::Set(const std::string& name, const std::string& value) {
    for (CzorRParam* param : m_Items)
        if (param->name == name) {
            param->value = value;
            return true;
        }
    return false;
}
