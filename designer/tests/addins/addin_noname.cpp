// A test add-in without GetAddinName: its name is the line of "report.add".
#include "designer/addins/quillmark_addin.h"

QUILLMARK_ADDIN_EXPORT bool GetQueryList(std::vector<CzorQuery>* queries) {
    queries->emplace_back("Без имени", "QueryPlain", 7);
    return true;
}

QUILLMARK_ADDIN_EXPORT int QueryPlain(CzorQuery*, CRParamsArray*, int) { return 0; }
