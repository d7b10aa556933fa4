#pragma once
// CReportSheet: one page of a template or report. Owns its elements in drawing order (the last is drawn
// last, in front), keeps the selection (the first entry shows the handles), converts points between the
// view's logical space and the page, finds elements under a point or inside a frame, snaps a moving
// rectangle to other elements, deletes elements, and reads and writes itself and its elements.
//
// Elements can be freed and reloaded (the program keeps only the shown sheets loaded); table elements
// stay alive in the manager's table cache meanwhile.
#include <string>
#include <vector>

#include "platform/win/geometry.h"
#include "platform/win/ptrarray.h"

class CDC;
class CFolivox;
class CReportElement;
class CzorInstance;
namespace zor {
class IConfirm;
}

// Sides reported by TestMoveRect.
enum : unsigned { kSnapTop = 1, kSnapBottom = 2, kSnapLeft = 4, kSnapRight = 8 };

class CReportSheet {
public:
    explicit CReportSheet(CFolivox* manager);
    // Deletes every element (a table also leaves the manager's cache). A temporary sheet (see
    // CFolivox::CloneSheet) also deletes its store instances.
    virtual ~CReportSheet();
    CReportSheet(const CReportSheet&) = delete;
    CReportSheet& operator=(const CReportSheet&) = delete;

    // write: stores the sheet and, in list order, every loaded element, then the list as "elems";
    // read: reads size and type, then every loaded element (nothing without an instance).
    virtual void Update(bool write);
    // Fills the page with the window colour and outlines it; 0 without a context, else 1.
    virtual int Draw(CDC* dc, double zoom);

    // --- Geometry ------------------------------------------------------------------------------------------
    CRect GetRect(double zoom) const;
    void SetRect(const CRect& rect);
    // The page's origin as the view sees it: (origin x, -origin y).
    CPoint GetOrgPt() const { return CPoint(m_x, -m_y); }
    // Stores p as the origin; returns the previous origin as stored.
    CPoint SetOrgPt(CPoint point);
    void PtLogToSheet(CPoint& point) const { point = CPoint(point.x - m_x, point.y + m_y); }
    void PtSheetToLog(CPoint& point) const { point = CPoint(point.x + m_x, point.y - m_y); }
    CSize GetSize() const { return CSize(m_cx, m_cy); }
    void SetSize(CSize size) { m_cx = size.cx; m_cy = size.cy; }

    // --- Elements --------------------------------------------------------------------------------------------
    // -1 for null; the index of an element already held; else takes it (sets its sheet, registers a table
    // in the manager's cache) and returns its index.
    int Add(CReportElement* element);
    // The same, taking it at index in drawing order (appended when index lies outside).
    int Insert(int index, CReportElement* element);
    // Add for an element made just now, which no list can hold yet: taken without the search for it (a
    // generated page's list is long, and each of its cells comes this way).
    int AddNew(CReportElement* element);
    // Takes the element off the sheet (and out of the selection and the manager's lists) and deletes the
    // object; its store instances stay (DeleteElement deletes them too). Nothing for one not held.
    void Remove(CReportElement* element);
    // Remove for every element from index on, at once.
    void DestroyElementsFrom(int index);
    // A new element of the kind with this sheet's manager, origin, size and sheet, not added to the list;
    // null for a kind without a class.
    CReportElement* CreateReportElem(CPoint origin, CSize size, int kind);
    CTypedPtrArray<CReportElement>& GetElements() { return m_Elements; }
    const CTypedPtrArray<CReportElement>& GetElements() const { return m_Elements; }
    int GetElementCount() const { return m_Elements.GetSize(); }
    CReportElement* GetElement(int index) const { return m_Elements.GetAt(index); }
    // Index of element in list, -1 when either is null or it is absent.
    static int FindElement(const CTypedPtrArray<CReportElement>* list, const CReportElement* element);

    // --- Selection -------------------------------------------------------------------------------------------
    // Mode 1 selects, 2 toggles, 0 unselects, another mode selects with that value. The element's new
    // selected value (0 when not selected), -1 for null. An element is never in the selection twice.
    int Select(CReportElement* element, int mode);
    // Empties the selection; true when anything was selected.
    bool UnselectAll();
    const CTypedPtrArray<CReportElement>& GetSelection() const { return m_Selection; }
    // Every element hit at point, front-most first.
    void TestElem(CPoint point, std::vector<CReportElement*>& hits, double zoom) const;
    // Selects every element whose rectangle (widened by 1) lies wholly inside the frame; whether any did.
    int SelectByFrame(CPoint point, CSize size, double zoom);
    // Snapping of a moving rectangle (logical, at zoom) to the other elements' edges within the profile's
    // stick size: the element snapped to (the caller moves the rectangle by -shift), or null.
    CReportElement* TestMoveRect(const CReportElement* moving, const CRect& rect, CPoint& shift, unsigned& side,
                                 double zoom) const;
    // Removes the element from the sheet, deletes its dependent store instances and the object. A table
    // takes its continuations on other sheets with it. The caller's confirm, when given, is asked first
    // whether to delete the element and, for a table with continuations, whether to take them along; a no
    // leaves everything. With ask, the user is asked in a box.
    void DeleteElement(CReportElement* element, zor::IConfirm* confirm);
    void DeleteElement(CReportElement* element, bool ask);

    // --- Loading ---------------------------------------------------------------------------------------------
    // Rebuilds the element objects from the stored "elems" (tables come back from the manager's cache).
    bool LoadElementsFromFile();
    // Writes the sheet, then deletes every element object but the tables; the freed elements leave the
    // selection.
    void FreeElements();
    bool IsLoaded() const { return m_bLoaded; }

    // --- Fields ------------------------------------------------------------------------------------------------
    CFolivox* GetManager() const { return m_pManager; }
    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    CzorInstance* GetInstance() const { return m_pInstance; }
    void SetInstance(CzorInstance* instance) { m_pInstance = instance; }
    int GetType() const { return m_nType; }
    void SetType(int type) { m_nType = type; }
    // A temporary sheet is kept out of the page list; its store instances go with the object.
    bool IsTemporary() const { return m_bTemporary; }
    void SetTemporary(bool temporary) { m_bTemporary = temporary; }

private:
    // Takes the element out of the selection and the manager's lists and deletes it.
    void DestroyElement(CReportElement* element);
    void DeleteStoreInstances();
    // Insert's taking of an element not held.
    int Take(int index, CReportElement* element);

    int32_t m_x = 0;
    int32_t m_y = 0;
    bool m_bLoaded = false;
    CFolivox* m_pManager;
    std::string m_Name;
    CzorInstance* m_pInstance = nullptr;
    int32_t m_cx = 0;
    int32_t m_cy = 0;
    CTypedPtrArray<CReportElement> m_Elements;
    CTypedPtrArray<CReportElement> m_Selection;
    int m_nType = 0;
    bool m_bTemporary = false;
};

// A new sheet of manager with pattern's size and a copy (CreateClon) of each of pattern's elements: not
// named, listed by no manager and not stored.
CReportSheet* NewSheetLike(CFolivox* manager, const CReportSheet& pattern);
