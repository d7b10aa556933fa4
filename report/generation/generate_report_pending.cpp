// Section generation is being built; until then no table is filled.
#include "report/model/table_element.h"

CReportSheet* GenerateTable(CTableElement*) { return nullptr; }
