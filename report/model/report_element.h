#pragma once
// CReportElement: everything placed on a sheet. The base class of every element kind and, by itself, the
// line (kind 0) and the text rectangle (kind 1). It keeps its rectangle in tenths of a millimetre of the
// page (x to the right, y upward, the page's top edge at y = 0), its line width, its text value, its
// fixed flag and its store instance, and gives drawing at a zoom factor, hit-testing with drag modes,
// moving, rounding to millimetres, ordering, cloning, deleting and the store transfer (Update).
//
// A text rectangle is normalised (origin at its lower-left corner on the page); a line keeps its
// direction: origin = start, size = vector to the end.
#include <string>
#include <vector>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"
#include "report/model/text_value.h"

class CDC;
class CFolivox;
class CReportSheet;
class CzorInstance;
class CRecordReader;
class CRecordWriter;
class QWidget;

// Element kinds (2 and 4 are not used).
enum : int {
    kElemLine = 0,
    kElemRect = 1,
    kElemTable = 3,
    kElemTableMap = 5,
    kElemPicture = 6,
    kElemTableContent = 7,
    kElemPageReference = 8,
};

// Drag modes: what a hit means and what Move changes.
enum : int {
    kDragNone = 0,
    kDragLeftTop = 2,
    kDragRightTop = 3,
    kDragTop = 4,
    kDragBottom = 5,
    kDragLeft = 6,      // also a line's start point
    kDragRight = 7,     // also a line's end point
    kDragLeftBottom = 8,
    kDragRightBottom = 9,
    kDragMove = 10,
    kDragNewRect = 13,  // a frame growing from its start point (a new rectangle)
    kDragNewLine = 14,
    kDragNewFrame = 16, // a selection rubber band
    kDragFixed = 18,
};

// Draw flags.
enum : unsigned {
    kDrawSelection = 1,
    kDrawPictures = 2,
    kDrawText = 4,
};

// Commands the element carries out itself (ExecuteCmd); other ids go back to the caller.
enum : unsigned {
    ID_ELEM_TO_FRONT = 32777,
    ID_ELEM_TO_BACK = 32780,
};

// Scaled lengths: the value times the zoom, truncated toward zero after 0.000001 is added with its sign.
int ZoomTrunc(double value);

class CReportElement {
public:
    explicit CReportElement(CFolivox* manager);
    // Copies every field: the copy shares the source's instance, sheet, manager and text-value instances.
    CReportElement(const CReportElement&) = default;
    // The same fields, the text value by its own assignment.
    CReportElement& operator=(const CReportElement& other);
    virtual ~CReportElement() = default;

    // --- Virtual operations ------------------------------------------------------------------------------
    // Record: LoadDataFromMem reads what follows the kind (the caller read the kind to choose the object).
    virtual bool LoadDataFromMem(CRecordReader& in);
    virtual void CopyToMem(CRecordWriter& out);
    virtual int GetMemSize();
    // The rectangle at zoom; with sheetCoordinates 0 the origin is first moved into the view's logical
    // space (CReportSheet::PtSheetToLog).
    virtual void GetRect(CRect& out, double zoom, int sheetCoordinates) const;
    // Appends the handle points (eight clockwise from the origin corner, or a line's start, middle and
    // end) in logical coordinates; 1.
    virtual int GetSelPts(std::vector<CPoint>& points, const CDC* dc, double zoom) const;
    // The element's property dialog, through the registered dialogs (false without them).
    virtual bool ElemProper(int reportMode);
    // Writes the text value to the store.
    virtual void UpdateData();
    // The element's context menu, through the registered dialogs (0 without them).
    virtual int ShowContextMenu(CPoint point, QWidget* window, int reportMode);
    // ID_ELEM_TO_FRONT / ID_ELEM_TO_BACK reorder the element in its sheet and give 0; 0 gives 0; any
    // other id is handed back for the caller to carry out.
    virtual int ExecuteCmd(unsigned id);
    // Hit-test at zoom: a drag mode (0 for no hit). hint is not written.
    virtual int GetDragMode(CPoint point, int& hint, double zoom) const;
    virtual void DrawSelPoints(CDC* dc, double zoom);
    // 0 without a context or at zoom 0, else 1. flags: kDrawSelection, kDrawPictures, kDrawText.
    virtual int Draw(CDC* dc, double zoom, int reportMode, unsigned flags);
    // Deletes the element's dependent store instances (its points and its text value's instances); its
    // own instance stays until its sheet is next written without it.
    virtual void Delete();
    // A new element of the same manager with this one's origin, size, name, kind, fixed flag, line width
    // and text value; no instance, no sheet, not selected.
    virtual CReportElement* CreateClon();
    // write: stores the element (creating its instance, of the entity of its kind, when it has none);
    // read: reads it back (only with an instance; an absent attribute leaves its field as it was).
    virtual void Update(bool write);

    // --- Hooks for the kinds built on the base ---------------------------------------------------------------
    // The table element a continuation (kind 5) continues, else null.
    virtual CReportElement* ContinuedTable() const { return nullptr; }

    // --- Geometry --------------------------------------------------------------------------------------------
    void SetRect(CRect rect, double zoom);
    // The handle square around a handle point.
    static CRect GetSelPtRect(CPoint point);
    // Applies a drag of delta (logical units at zoom) by the mode's rule; returns mode.
    int Move(CSize delta, int mode, double zoom);
    // Bands of width 2·half around one edge of the rectangle at zoom (normalised), for snapping.
    CRect GetLeftRect(int half, double zoom) const;
    CRect GetTopRect(int half, double zoom) const;
    CRect GetRightRect(int half, double zoom) const;
    CRect GetBottomRect(int half, double zoom) const;
    // The sheet's area in logical coordinates; 1.
    int GetRange(CRect& out) const;
    // Rounds origin and size to whole millimetres.
    void Align();

    // --- Drawing helpers ---------------------------------------------------------------------------------------
    static void DrawLine(CDC* dc, CPoint from, CPoint to);
    // Outline of four lines from (left, top), with the current pen.
    static void DrawRect(CDC* dc, const CRect& rect);
    // Text of the text value in the element's rectangle (own text, a parameter's value or name, or a page
    // field worked out now).
    void DrawTextA(CDC* dc, double zoom, int reportMode);
    // Places the text's lines in rect by the alignment flags, horizontal or vertical, clipped to rect
    // widened by 9·zoom; the current font and text colour.
    void ReportDrawText(CDC* dc, CRect rect, const std::string& text, unsigned alignFlags, double zoom);
    // The font height fit text draws at: from font's height down a tenth of a point at a time until text
    // fits r (rotated for vertical text), then one step further; 0 when it falls below 1 first. dc's
    // selected font is as it was afterwards.
    static int FitFontHeight(CDC* dc, const LOGFONT& font, const std::string& text, const CRect& r, bool vertical);
    // Logical to device coordinates, both corners.
    static void ConvertLOMETRICtoTEXT(const CDC* dc, CRect& rect);
    // The text DrawTextA shows for reportMode, without changing anything; grey tells that it is a
    // parameter's name shown while a template is edited.
    std::string DisplayText(int reportMode, bool* grey = nullptr) const;

    // --- Fields ------------------------------------------------------------------------------------------------
    int GetKind() const { return m_nKind; }
    void SetKind(int kind) { m_nKind = kind; }
    int GetLineWidth() const { return m_nLineWidth; }
    void SetLineWidth(int width) { m_nLineWidth = width; }
    int GetSelected() const { return m_nSelected; }
    void SetSelected(int selected) { m_nSelected = selected; }
    int GetOwnColorFlag() const { return m_nOwnColor; }
    COLORREF GetColor() const { return m_Color; }
    void SetColor(COLORREF color, bool own = true) { m_Color = color; m_nOwnColor = own ? 1 : 0; }
    CPoint GetOrigin() const { return CPoint(m_x, m_y); }
    void SetOrigin(CPoint origin) { m_x = origin.x; m_y = origin.y; }
    CSize GetSize() const { return CSize(m_cx, m_cy); }
    void SetSize(CSize size) { m_cx = size.cx; m_cy = size.cy; }
    CzorInstance* GetInstance() const { return m_pInstance; }
    void SetInstance(CzorInstance* instance) { m_pInstance = instance; }
    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    CReportSheet* GetSheet() const { return m_pSheet; }
    void SetSheet(CReportSheet* sheet) { m_pSheet = sheet; }
    CFolivox* GetManager() const { return m_pManager; }
    CTextValue& GetTextValue() { return m_TextValue; }
    const CTextValue& GetTextValue() const { return m_TextValue; }
    int GetFixed() const { return m_nFixed; }
    void SetFixed(int fixed) { m_nFixed = fixed; }
    bool IsLine() const { return m_nKind == kElemLine; }

protected:
    // What every copy takes from this element: origin, size, name, line width and fixed flag. The kind is
    // the copy's own, set by its class; the kinds that show a text copy the text value themselves.
    void CopyBaseTo(CReportElement& copy) const;
    // Writes and reads the attributes every kind shares (name, text value, line width, fixed, org_pt, size).
    void WriteCommon();
    void ReadCommon();
    // The same without the text value, for a kind that stores none.
    void WritePlacement();
    void ReadPlacement();
    // The handle points at zoom (as GetSelPts without a context).
    std::vector<CPoint> HandlePoints(double zoom) const;

    int m_nLineWidth;
    int m_nKind = kElemRect;
    int m_nSelected = 0;
    int m_nOwnColor = 0;
    COLORREF m_Color = RGB(255, 255, 255);
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_cx = 0;
    int32_t m_cy = 0;
    CzorInstance* m_pInstance = nullptr;
    std::string m_Name = "Элемент";
    CSize m_HandleSize{20, 20};
    CReportSheet* m_pSheet = nullptr;
    CFolivox* m_pManager;
    CTextValue m_TextValue;
    int m_nFixed;
};
