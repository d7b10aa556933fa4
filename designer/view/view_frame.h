#pragma once
// The editor view inside the main frame: a sheet shown in a report window of its own, the active window's
// view, and the frame's commands that the view carries out (fit, 1:1, properties; the tools are the document's).
#include "designer/view/quillmark_view.h"

namespace quillmark {

class CChildFrame;
class CMainFrame;

// A new report window of the frame showing the sheet in a view over the document; the window's view.
CQuillmarkView* AddSheetWindow(CMainFrame& frame, CViewDocument& document, CReportSheet* sheet);
// The view of a report window, or null for another kind of window or none.
CQuillmarkView* ViewOf(QWidget* window);
// The active report window's view, or null.
CQuillmarkView* ActiveView(CMainFrame& frame);
// Activating a report window activates its view; the view commands run on the active view. Once per frame.
void ConnectViewCommands(CMainFrame& frame);

}  // namespace quillmark
