#pragma once
// The whole road at library level: a template built through the model, a data file and a parameter file
// become a report, which is read back and checked. Shared by the run with fixed metrics and the run with
// the Qt measurer.
#include <string>

#include "report/tests/generation/generation_fixture.h"

namespace generation_test {

// Sheet 1: a contents element. Sheet 2: texts linked to a text parameter ("Заказчик") and to page fields
// of types 4, 7, 8 and 9, and the table: one section titled "Продажи" (title in the product column) with
// the condition Статус != "отменён", grouped by Город (contents entry "Город " + Город, a title line with
// the city, a closing line "Итого" with the row count and the sum of Сумма) and sorted by Номер. Sheet 3:
// the table's continuation with page fields of types 7 and 8.
bool WriteEndToEndTemplate(const std::string& path, std::string* error);

// Six rows, all fields quoted, one with a comma and one with doubled quotes in a field, numbers in
// natural order (Д-1, Д-2, Д-3, Д-4, Д-10), one row missing its last two fields and one row the condition
// drops.
std::string EndToEndData();

// A name with "=" in its value and a CR LF line end, a line starting with "=", one without "=", an empty
// line, a name with a blank in front and a name no parameter has.
std::string EndToEndParameters();

// The invariants every generated report keeps, whatever the metrics: it loads as a report (mode 1),
// its sheets are named Лист1..n in order, no table or continuation is left (a contents element stays, showing
// what generation put there), the page fields are fixed,
// the parameter got its value, every contents entry and page reference points at a page of the report,
// and the file holds no orphan or dangling instance.
void ExpectReportInvariants(const ReportView& report);

}  // namespace generation_test
