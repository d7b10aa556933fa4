#pragma once
// The parameter properties dialog apart from its widgets: the name and the type position of the
// drop-down list ("Строка", "Число", "Дата", "Объект БД"). A page-field parameter (types 4 to 9) has
// no position in the list: its type and value stay unless the user picks one.
#include <string>
#include <vector>

class CReportParam;

const std::vector<std::string>& ParamTypeNames();

class CParamDlgLogic {
public:
    explicit CParamDlgLogic(CReportParam* param);

    // False when there is no parameter to edit (the dialog closes at once).
    bool CanOpen() const { return m_pParam != nullptr; }
    // OK: the name must be unique among the manager's parameters, this one left out; otherwise the
    // message is shown and false keeps the dialog open. Nothing is written to the store here.
    bool Apply();

    std::string m_Name;
    int m_nTypeIndex = -1;  // -1: no type chosen

private:
    CReportParam* m_pParam;
};
