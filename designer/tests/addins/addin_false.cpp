// An add-in whose GetQueryList refuses: none of its queries count.
#include "designer/addins/quillmark_addin.h"

QUILLMARK_ADDIN_EXPORT bool GetQueryList(std::vector<CzorQuery>* queries) {
    queries->emplace_back("Отказ", "QueryRefused", 1);
    return false;
}

QUILLMARK_ADDIN_EXPORT int QueryRefused(CzorQuery*, CRParamsArray*, int) { return 0; }
