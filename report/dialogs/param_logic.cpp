#include "report/dialogs/param_logic.h"

#include "platform/ui/messages.h"
#include "report/model/folivox.h"
#include "report/model/report_param.h"

const std::vector<std::string>& ParamTypeNames() {
    static const std::vector<std::string> names = {"Строка", "Число", "Дата", "Объект БД"};
    return names;
}

CParamDlgLogic::CParamDlgLogic(CReportParam* param) : m_pParam(param) {
    if (!param) return;
    m_Name = param->GetName();
    const int type = param->GetType();
    if (type >= 0 && type < static_cast<int>(ParamTypeNames().size())) m_nTypeIndex = type;
}

bool CParamDlgLogic::Apply() {
    if (!m_pParam) return false;
    CFolivox* manager = m_pParam->GetDict();
    if (manager && !manager->GetParams().IsUnique(m_Name, m_pParam)) {
        AfxMessageBox("Наименование параметра не уникально.", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    m_pParam->SetName(m_Name);
    // SetType clears the value even for the same type; with no type chosen the parameter keeps both.
    if (m_nTypeIndex >= 0) m_pParam->SetType(m_nTypeIndex);
    return true;
}
