// Generation and merge are being built; until then the entry points refuse.
#include "platform/ui/messages.h"
#include "report/generation/generate_report.h"

bool GenerateReport(CFolivox*, CRParamsArray*, const char*, const char*, CzorStepData*) { return false; }
bool GenerateReport(CFolivox*, const char*, const char*, const char*, CzorStepData*) { return false; }
bool SaveBitmapAs(const QImage&, const char*) { return false; }
bool SaveToFile(CFolivox*) { return false; }
