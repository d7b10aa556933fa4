// A test add-in whose query fills a report's data source from the networked store it is given (mode 2):
// the column "Изделие" with parts 6001, 6003 and 6002 of the server, and the run-time parameter
// "Дата остатков". Mode 1 names the column only.
#include "designer/addins/quillmark_addin.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

QUILLMARK_ADDIN_EXPORT const char* GetAddinName() { return "Изделия из БД"; }

QUILLMARK_ADDIN_EXPORT bool GetQueryList(std::vector<CzorQuery>* queries) {
    queries->emplace_back("Изделия", "QueryParts", 1);
    return true;
}

QUILLMARK_ADDIN_EXPORT int QueryParts(CzorQuery* query, CRParamsArray* params, int mode) {
    if (!query || !query->m_nParam2) return 0;
    auto* header = reinterpret_cast<CHeader*>(query->m_nParam2);
    header->AddColumn("Изделие", zorINSTANCE);
    if (mode == 2 && query->m_nParam1 && query->m_nParam3) {
        auto* store = reinterpret_cast<CzorNetStepData*>(query->m_nParam1);
        auto* source = reinterpret_cast<CDataSource*>(query->m_nParam3);
        delete source->SetHeader(header);
        for (int id : {6001, 6003, 6002}) source->SetAt(source->AddRow(), 0, store->GetInstById(id));
    }
    if (params) params->Add("Дата остатков", "11.12.2026");
    return 1;
}
