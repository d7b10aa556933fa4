#pragma once
// What generation does to the pages of the report it builds: taking elements and whole sheets out of the
// report so that nothing of them stays behind (no store instance that nothing reaches, no contents node or
// page reference pointing at a sheet that is gone), and putting plain frames in the places of tables and
// continuations.
class CFolivox;
class CReportElement;
class CReportSheet;

// Deletes the element from its sheet with every store instance of its own: its dependent instances, as
// the element's Delete removes them, and its own instance. A table first takes each of its continuations,
// on every sheet, with it in the same way. Nothing for null.
void DiscardElement(CReportElement* element);

// Takes the sheet out of the report: its elements go (DiscardElement), its store instance and its size
// go, the table-of-contents nodes forget it, page references to it lose their target, and it leaves the
// manager's sheet list and is destroyed. The other sheets keep their names (the caller renames them).
void RemoveReportSheet(CFolivox& manager, CReportSheet* sheet);

// A plain element (kind 1) with the element's rectangle, line width and fixed flag, written to the store,
// in the element's place in its sheet's list (or appended, with append), the element discarded. Returns
// the frame, or null when the element is on no sheet (it is then discarded all the same).
CReportElement* ReplaceByFrame(CReportElement* element, bool append);
