// A library that loads but is no add-in: it exports no GetQueryList.
#include "designer/addins/quillmark_addin.h"

QUILLMARK_ADDIN_EXPORT const char* GetAddinName() { return "Не дополнение"; }
