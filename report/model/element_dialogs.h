#pragma once
// The way the core reaches the property dialogs and element menus without linking any widget: the
// dialog library registers one implementation of this interface when it is loaded, and the element,
// table, parameter and continuation operations hand their work to it. Without one registered (batch
// runs, core tests) they do what a cancelled dialog does. Tests register scripted implementations.
#include "platform/win/geometry.h"

class CReportElement;
class CReportParam;
class CTableElement;
class CTableMapElement;
class QWidget;

class IElementDialogs {
public:
    virtual ~IElementDialogs() = default;
    // The property dialog over this element alone; true when it ended with OK.
    virtual bool ElemProper(CReportElement& element, int reportMode) = 0;
    // The element's context menu at a point of the window; the command returned to the caller, 0 for none.
    virtual int ShowContextMenu(CReportElement& element, CPoint point, QWidget* window, int reportMode) = 0;
    // The section dialog on a new section of the table; true when a section was added.
    virtual bool AddSection(CTableElement& table) = 0;
    // The parameter properties dialog; true when it ended with OK.
    virtual bool ShowProp(CReportParam& param) = 0;
    // The table choice for a continuation; the chosen table, null when cancelled.
    virtual CTableElement* SelectTable(CTableMapElement& continuation) = 0;
};

// The registered implementation (null when none). Returns the previous one.
IElementDialogs* SetElementDialogs(IElementDialogs* dialogs);
IElementDialogs* ElementDialogs();
