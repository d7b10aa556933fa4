#pragma once
// The pages a table has left behind while it is generated. Their cells are the bulk of a large report's
// memory: as soon as the table moves on to the next page, the cells of the page it left go into the store
// and their objects are freed. The report file stays what it would have been had every cell been written
// at the end: the cells' instances take their places among the instances made while the report is
// written back (WriteBack), and each sheet's element list gets them back where they stood.
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/zordata/taggr.h"

class CFolivox;
class CReportSheet;
class CzorInstance;
class CCellRecords;

class CFinishedSheets {
public:
    // Serves the manager's generation until it is destroyed (report generation makes one per run).
    explicit CFinishedSheets(CFolivox& manager);
    ~CFinishedSheets();
    CFinishedSheets(const CFinishedSheets&) = delete;
    CFinishedSheets& operator=(const CFinishedSheets&) = delete;

    // The one serving the manager's generation, or null (then a sheet keeps its cells as objects).
    static CFinishedSheets* Of(const CFolivox* manager);

    // The table has left the sheet for good: the cells at the end of its list (elements without a store
    // instance yet) are written and their objects freed. A sheet that holds a table, or whose other
    // elements are not all stored, or that was finished before, keeps its objects.
    void Finish(CReportSheet* sheet);

    // The sheet leaves the report: its written cells leave the store.
    void Forget(CReportSheet* sheet);

    // Writes every sheet of the manager as its own Update does, appending their instances to sheets, each
    // finished sheet's cells back in their places; then the cells' instances and those the writing made
    // come after every other instance, in the order a writing of the whole sheets would have made them.
    void WriteSheets(CzorTAggr<CzorInstance>& sheets);

private:
    // The cells from `before` on go to the store as the records their writing would pack into, without
    // their instances being made; false (nothing written) where a cell is of a kind written otherwise.
    bool WriteCellRecords(CReportSheet* sheet, int before);

    struct Finished {
        int before = 0;  // the elements in front of the cells
        // Every instance their writing made, in creation order: these places of the store's list, which
        // only grows until WriteSheets. Once packed, the one instance there stands for the cells.
        int createdFrom = 0, createdTo = 0;
        bool packed = false;
        std::vector<CzorInstance*> cells;  // the cells' own instances, in list order, where not packed
    };
    CFolivox& m_manager;
    std::unordered_map<const CReportSheet*, Finished> m_Finished;
    std::unique_ptr<CCellRecords> m_pCells;  // reused from page to page
};
