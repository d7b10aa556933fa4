#pragma once
// CFolivox: the report manager. One per open document and one per generation or merge run. It binds the
// model to a file-backed store through the report schema, owns the in-memory model (sheets, parameters,
// table-of-contents roots, the table cache, the data source and its two headers) and offers the small
// store operations every model object uses for points, rectangles and fonts.
//
// Ownership: sheets, table-of-contents roots, parameters, the cached table elements, the data source and
// both headers are the manager's. The lists of continuations awaiting their table and of page references
// awaiting their sheet only point at elements that their sheets own; a sheet takes an element out of them
// before it frees it, and Detach, Init and RemoveAllSheets empty them.
#include <memory>
#include <string>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"
#include "platform/win/ptrarray.h"
#include "platform/zordata/taggr.h"
#include "report/model/report_param.h"
#include "report/model/schema.h"

class CzorStepDataWithFile;
class CzorInstance;
class CzorAttr;
class CDataSource;
class CHeader;
class CHeaderColumn;
class CReportSheet;
class CReportElement;
class CTableContent;

class CFolivox {
public:
    CFolivox();
    virtual ~CFolivox();
    CFolivox(const CFolivox&) = delete;
    CFolivox& operator=(const CFolivox&) = delete;

    // --- Store binding ------------------------------------------------------------------------------------
    // Keeps the store and binds every entity and attribute of the schema by name. A null store changes
    // nothing. dictionaryPath is the dictionary directory (kept for GetDictPath).
    void Attach(CzorStepDataWithFile* store, const char* dictionaryPath);
    // Forgets the store and the handles; frees the table-of-contents roots, the sheets (RemoveAllSheets),
    // the parameters and the headers' columns. The data source is kept.
    void Detach();
    // Empties the parameters, both headers, the data source and the sheets (the table-of-contents nodes
    // stay and forget every sheet); true.
    bool Init();
    // The attached store, null while detached.
    CzorStepDataWithFile* GetStore() const { return m_pStore; }
    const CReportSchema& Schema() const { return m_Schema; }
    std::string GetDictPath() const { return m_DictPath; }

    // --- Points, rectangles, fonts (all in tenths of a millimetre) ----------------------------------------
    // Writes value into the zor_point that attr of owner refers to, creating it when there is none.
    // 1, or 0 without a store, owner or attribute.
    int PutPoint(CzorInstance* owner, CzorAttr* attr, CPoint value);
    int PutPoint(CzorInstance* owner, CzorAttr* attr, CSize value) { return PutPoint(owner, attr, CPoint(value.cx, value.cy)); }
    // 1 and the point (an absent coordinate reads as 0) when attr of owner refers to a zor_point;
    // otherwise 0 and (0, 0).
    int GetPoint(CzorInstance* owner, CzorAttr* attr, CPoint& out);
    int GetPoint(CzorInstance* owner, CzorAttr* attr, CSize& out);
    // false (out untouched) when nothing is stored; an absent side reads as 0.
    bool GetRect(CzorInstance* owner, CzorAttr* attr, CRect& out);
    // The stored rectangle, or an all-zero one.
    CRect GetRect(CzorInstance* owner, CzorAttr* attr);
    // Writes the four sides, creating the zor_rect when there is none; false without store, owner or attr.
    bool SetRect(CzorInstance* owner, CzorAttr* attr, CRect value);
    // The font stored in a zor_font instance; a field without a value reads as 0, a face name is cut to
    // 31 bytes at a character boundary. A null instance gives an all-zero font.
    LOGFONT GetFontValue(CzorInstance* font);
    void GetFontValue(CzorInstance* font, LOGFONT& out);
    void SetFontValue(CzorInstance* font, const LOGFONT& value);

    // --- Elements -------------------------------------------------------------------------------------------
    // The element object for a stored element instance, added to sheet (not read: the sheet's
    // Update(false) reads it). A table comes from the table cache when it is there. Null for a null
    // instance or sheet, and for a cached table that another sheet holds.
    CReportElement* CreateElemObj(CzorInstance* instance, CReportSheet* sheet);
    // The cached table element (kind 3) stored as instance, or null.
    CReportElement* FindTable(CzorInstance* instance) const;
    // The table cache: every table element made for this report. The manager owns the tables that no
    // sheet holds; a sheet that frees its elements keeps its tables here.
    CTypedPtrArray<CReportElement>& GetTables() { return m_Tables; }
    // Continuations (kind 5) read before their table was found; generation binds them and empties the list.
    CTypedPtrArray<CReportElement>& GetPendingContinuations() { return m_PendingMaps; }
    // Page references (kind 8) read before their target sheet was found.
    CTypedPtrArray<CReportElement>& GetUnresolvedReferences() { return m_UnresolvedRefs; }
    // Takes an element out of the table cache and both waiting lists (a sheet calls it before it frees
    // the element).
    void ForgetElement(CReportElement* element);

    // --- Sheets ---------------------------------------------------------------------------------------------
    CTypedPtrArray<CReportSheet>& GetSheets() { return m_Sheets; }
    int GetSheetCount() const { return m_Sheets.GetSize(); }
    CReportSheet* GetSheet(int index) const { return m_Sheets.GetAt(index); }
    // Appends a sheet that the manager then owns; its index, or -1 for null or one already held.
    int AddSheet(CReportSheet* sheet);
    // Takes the sheet out of the page list without deleting it (the caller owns it then); false when the
    // manager does not hold it.
    bool TakeSheet(CReportSheet* sheet);
    // Index of the sheet in page order, -1 when absent.
    int FindSheetInd(CReportSheet* sheet) const;
    // A new sheet of copies of source's elements (source must be loaded), written to the store:
    //   index -1 appends it ("Лист<count>"); 0..count inserts it and renames the sheets from there on;
    //   any other negative index (generation's -2) keeps it out of the page list, loaded and temporary:
    //   its store instances are removed when it is destroyed.
    // Null for a null source or an index past the sheet count.
    CReportSheet* CloneSheet(CReportSheet* source, int index);
    // Deletes every sheet and then every table left in the cache; empties the waiting lists. The
    // table-of-contents nodes that stay forget every sheet.
    void RemoveAllSheets();
    // Names every sheet "Лист<position + 1>".
    void UpdateSheets();
    // The sheet from which generation clones further pages; set and freed by generation only.
    CReportSheet* GetGenerationSheet() const { return m_pGenSheet; }
    void SetGenerationSheet(CReportSheet* sheet) { m_pGenSheet = sheet; }

    // --- Parameters, data source, headers ------------------------------------------------------------------
    CParamArray& GetParams() { return m_Params; }
    CDataSource& GetDataSource() { return *m_pDataSource; }
    // The columns of zor_select and of zor_result_select.
    CHeader* GetSelectHeader() { return m_pSelectHeader; }
    CHeader* GetResultSelectHeader() { return m_pResultSelectHeader; }
    // The column stored as instance: the select header first, then the result-select header; null if none.
    CHeaderColumn* FindColumnByInst(CzorInstance* instance) const;

    // --- Table of contents ------------------------------------------------------------------------------------
    CTypedPtrArray<CTableContent>& GetTableContents() { return m_TableContents; }
    // Appends a top-level contents node that the manager then owns; its index, or -1 for null or one
    // already held.
    int AddTableContent(CTableContent* node);
    // The zor_table_content instances that are no other one's child, in extent order. False without a store.
    bool FindTableContentRoots(CzorTAggr<CzorInstance>& roots);
    // Reads every root (and its subtree) and appends it to the roots already held; false without a store.
    bool LoadTableContents();
    // Writes (true) or reads (false) every table-of-contents root; true.
    bool Update(bool write);

private:
    void FreeTableContents();
    void EmptyHeaders();

    std::string m_DictPath;
    CzorStepDataWithFile* m_pStore = nullptr;
    CReportSchema m_Schema;
    CTypedPtrArray<CTableContent> m_TableContents;
    CParamArray m_Params;
    CTypedPtrArray<CReportSheet> m_Sheets;
    CTypedPtrArray<CReportElement> m_PendingMaps;
    CTypedPtrArray<CReportElement> m_UnresolvedRefs;
    CTypedPtrArray<CReportElement> m_Tables;
    CReportSheet* m_pGenSheet = nullptr;
    std::unique_ptr<CDataSource> m_pDataSource;
    CHeader* m_pSelectHeader = nullptr;
    CHeader* m_pResultSelectHeader = nullptr;
};
