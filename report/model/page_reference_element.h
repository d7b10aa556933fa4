#pragma once
// CPageReferenceElement (kind 8): a text element that shows where another part of the report is. It
// points at one sheet and shows that sheet's name while a template is edited and its number in a report.
// Its text, font, frame and alignment are the text value's. Stored as zor_reference_element, whose
// `element` refers to the target sheet's instance; its memory record is the base element record.
#include "report/model/report_element.h"

class CPageReferenceElement : public CReportElement {
public:
    explicit CPageReferenceElement(CFolivox* manager);
    // Leaves the manager's list of unresolved references.
    ~CPageReferenceElement() override;

    // With a target, the text becomes the target's name (reportMode 0 or below) or its number: the name
    // without its leading letters of "Лист" (above 0); then the base drawing.
    int Draw(CDC* dc, double zoom, int reportMode, unsigned flags) override;
    // Same target, rectangle, name, kind, fixed flag, line width and text value.
    CReportElement* CreateClon() override;
    // write: the base element, then `element` := the target's instance (a target not stored yet is stored
    // first), or, with no target, the stored sheet reference the element could not resolve, or nothing.
    // read: the target becomes the manager's sheet stored as `element`; without one the element is listed
    // among the manager's unresolved references (once), with one it leaves that list.
    void Update(bool write) override;

    CReportSheet* GetTarget() const { return m_pTarget; }
    void SetTarget(CReportSheet* sheet);
    // The text shown for reportMode with the current target (the text value's own text without one).
    std::string TargetText(int reportMode) const;

    // Binds every unresolved reference whose stored sheet is now one of the manager's sheets and takes
    // it off the list; the others stay listed. The number bound.
    static int ResolvePending(CFolivox* manager);

private:
    // The manager's sheet stored as instance, or null.
    CReportSheet* FindSheet(CzorInstance* instance) const;
    void SetListed(bool unresolved);

    CReportSheet* m_pTarget = nullptr;
    // The sheet instance read from the store when no sheet of the manager had it: kept so that writing
    // the element does not lose a reference to a sheet that is loaded later.
    CzorInstance* m_pUnresolved = nullptr;
};
