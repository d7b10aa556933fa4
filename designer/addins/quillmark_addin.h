#pragma once
// What an add-in module of Quillmark exports. An add-in is a shared library built with the same compiler
// and standard library as the program; the program finds it through "report.add" in the dictionary folder.
//
//   extern "C" bool GetQueryList(std::vector<CzorQuery>* queries);   // required: appends its queries
//   extern "C" const char* GetAddinName();                            // optional: the name shown
//   extern "C" int <query function>(CzorQuery* query, CRParamsArray* params, int mode);
//
// Mode 1 (the data-source dialog): query->m_nParam2 holds the `CHeader*` to fill with the columns the
// query supplies; params gets the run-time parameters. Mode 2 (filling a report from the networked store):
// m_nParam1 is the connected store, m_nParam2 a new header, m_nParam3 the report's data source.
// The query function's result is not used.
#include <vector>

#include "report/model/data_source.h"
#include "platform/zordata/value.h"
#include "report/model/report_param.h"

using zorGetQueryListFn = bool (*)(std::vector<CzorQuery>*);
using zorGetAddinNameFn = const char* (*)();
using zorQueryFn = int (*)(CzorQuery*, CRParamsArray*, int);

#define QUILLMARK_ADDIN_EXPORT extern "C" __attribute__((visibility("default")))
