// A test add-in with a name and three queries: one valid, one naming a function it does not export, one
// with no function name.
#include "designer/addins/quillmark_addin.h"

QUILLMARK_ADDIN_EXPORT const char* GetAddinName() { return "Тестовое дополнение"; }

QUILLMARK_ADDIN_EXPORT bool GetQueryList(std::vector<CzorQuery>* queries) {
    queries->emplace_back("Остатки по складам", "QueryStock", 1);
    queries->emplace_back("Нет функции", "QueryMissing", 2);
    queries->emplace_back("Пустое имя", "", 3);
    return true;
}

// Mode 1 fills the header that the second slot names with two columns, and adds one parameter.
QUILLMARK_ADDIN_EXPORT int QueryStock(CzorQuery* query, CRParamsArray* params, int mode) {
    if (mode == 1 && query && query->m_nParam2) {
        auto* header = reinterpret_cast<CHeader*>(query->m_nParam2);
        header->AddColumn("Склад", zorSTRING);
        header->AddColumn("Остаток", zorINTEGER);
    }
    if (params) params->Add("Дата остатков", "11.12.2026");
    return 1;
}
