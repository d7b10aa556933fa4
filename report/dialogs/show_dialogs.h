#pragma once
// The dialog entry points the program calls.
#include <string>
#include <vector>

class CReportElement;

// The element property dialog over a sheet's selection, with this library's resources current; true
// when it ended with OK. reportMode above 0 (a shown report) keeps positions and sizes as they are.
bool ShowElemProperties(const std::vector<CReportElement*>& selection, int reportMode);

// The name-only column dialog with the caption: on OK the edited name is written back and true returned;
// otherwise the name stays. An empty name is accepted only with allowEmpty. The program's resources stay
// current.
bool ShowSimplDialog(const char* caption, std::string* name, int allowEmpty);
