#pragma once
// CTableMapElement (kind 5): where a table goes on when its sheet is full, on a sheet of its own. It carries
// no data: a rectangle bound to one table element, stored as zor_report_map whose `src` refers to the
// table's instance. Sheets are read one by one, so a continuation may be read before its table exists in
// memory; it then waits in the manager's list of pending continuations until BindPending. Its memory
// record is the base element record. The element never owns its table.
#include "report/model/report_element.h"

class CTableElement;

class CTableMapElement : public CReportElement {
public:
    explicit CTableMapElement(CFolivox* manager);
    // Leaves the manager's list of pending continuations.
    ~CTableMapElement() override;

    // Outline, and while a template is edited a corner box with a caret at the element's lower right on
    // the page. 0 without a context or at zoom 0, else 1.
    int Draw(CDC* dc, double zoom, int reportMode, unsigned flags) override;
    // Same origin, size, name, table, line width and fixed flag.
    CReportElement* CreateClon() override;
    // write: the table first (so it has an instance), then `src` := the table's instance (left as stored
    // when no table is bound), then the common attributes. read: the table becomes the manager's table
    // stored as `src` (the table object itself is not read again, so its unsaved edits and its sections
    // stay); without one the element is listed as pending (once), with one it leaves that list.
    void Update(bool write) override;
    CReportElement* ContinuedTable() const override;

    // The bound table, or null (also once the table has left the manager's table cache).
    CTableElement* GetTable() const;
    // Binds the table (a bound continuation leaves the pending list).
    void SetTable(CTableElement* table);
    // The table chosen by the user: null (cancelled) changes nothing and gives false; otherwise the table
    // is bound, the element is named "Продолжение таблицы " and the table's name, and the result is true.
    bool SelectTable(CTableElement* chosen);

    // After every sheet is loaded: binds each pending continuation to the table its `src` names, deletes
    // from its sheet (without asking) each one whose table is still not found, and empties the list.
    static void BindPending(CFolivox* manager);

private:
    void SetPending(bool pending);

    CTableElement* m_pTable = nullptr;
};
