#pragma once
// One run of report generation: a private file-backed store, the manager attached to it for the run, the
// template read into the manager, every table filled across as many sheets as its rows need, the table of
// contents, the page fields fixed, tables and continuations turned into frames, and the report saved.
// GenerateReport (generate_report.cpp) makes one per call; the steps live in generate_report_*.cpp.
#include <map>
#include <memory>
#include <string>

#include "platform/ui/outcome.h"
#include "platform/win/geometry.h"
#include "platform/zordata/zordata.h"
#include "report/generation/finished_sheets.h"
#include "report/model/element_defaults.h"

class CFolivox;
class CRParamsArray;
class CReportElement;
class CReportSheet;

class CReportGeneration {
public:
    CReportGeneration(CFolivox& manager, CzorStepData* netStore);
    // Detaches the manager (when still attached) before the store goes.
    ~CReportGeneration();
    CReportGeneration(const CReportGeneration&) = delete;
    CReportGeneration& operator=(const CReportGeneration&) = delete;

    // The whole run: what it told on the way and, when no report file was written, why. A failed run
    // writes nothing under reportPath. Nothing is shown: the caller shows the outcome.
    zor::Outcome Run(const CRParamsArray& values, const std::string& templatePath, const std::string& reportPath);

private:
    // --- Reading the template (generate_report.cpp) ---------------------------------------------------------
    zor::Outcome LoadTemplate(const std::string& templatePath);
    void ReadParams();
    bool ReadHeaders();
    void ReadSheets();

    // --- Filling (generate_report_fill.cpp) ------------------------------------------------------------------
    // The overflow sheet of each table: the pattern later pages of that table are cloned from; and the
    // pattern of further contents pages.
    void PrepareOverflowSheets();
    void FillTables();
    void FillContents();
    // Removes the sheets from index on that hold the table or one of its continuations, and renames the
    // sheets by position.
    void RemoveTableSheets(CReportElement* table, int from);
    void DropOverflowSheet(CReportElement* table);
    void DropOverflowSheets();

    // --- Finishing (generate_report_finish.cpp) --------------------------------------------------------------
    void ApplyValues(const CRParamsArray& values);
    void FixPageFields();
    void TablesToFrames();
    void WriteBack();
    zor::Outcome Save(const std::string& reportPath);

    CFolivox& m_manager;
    CzorStepData* m_pNetStore;
    CzorStepDataWithFile m_store;
    bool m_attached = false;
    std::string m_dictDir;

    // What the report root holds, read from the template and written back.
    CzorInstance* m_pRoot = nullptr;
    int m_nFitToPage = 0;
    int m_nMode = 0;
    CSize m_PageSize;
    int m_nPageOrient = 0;
    CzorInstance* m_pSelect = nullptr;
    CzorInstance* m_pResultSelect = nullptr;

    CReportSheet* m_pContentsSheet = nullptr;
    // The contents sheet as the template made it, before a table on it was filled: further contents pages
    // are cloned from it.
    std::unique_ptr<CReportSheet> m_pContentsPattern;
    std::map<CReportElement*, CReportSheet*> m_Overflow;  // table -> overflow sheet (owned)
    int m_nSavedSheets = 0;
    CFinishedSheets m_Finished{m_manager};
    CHeldElementDefaults m_ElementDefaults;  // read once for the whole run
};
