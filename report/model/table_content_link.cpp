#include "report/model/table_content_link.h"

CTableContent* ReadTableContentRoot(CFolivox*, CzorInstance*) { return nullptr; }
void UpdateTableContent(CTableContent*, bool) {}
void DeleteTableContent(CTableContent*) {}
