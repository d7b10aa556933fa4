#include "designer/view/view_frame.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "designer/frame/child_frame.h"
#include "designer/frame/main_frame.h"
#include "report/model/report_sheet.h"

namespace quillmark {

CQuillmarkView* AddSheetWindow(CMainFrame& frame, CViewDocument& document, CReportSheet* sheet) {
    auto* view = new CQuillmarkView(document);
    frame.AddChildFrame(view, sheet ? sheet->GetName() : std::string());
    view->OnInitialUpdate(sheet);
    return view;
}

CQuillmarkView* ViewOf(QWidget* window) {
    auto* child = qobject_cast<QMdiSubWindow*>(window);
    return child ? dynamic_cast<CQuillmarkView*>(child->widget()) : nullptr;
}

CQuillmarkView* ActiveView(CMainFrame& frame) { return ViewOf(frame.MdiArea()->activeSubWindow()); }

void ConnectViewCommands(CMainFrame& frame) {
    QObject::connect(frame.MdiArea(), &QMdiArea::subWindowActivated, &frame, [](QMdiSubWindow* window) {
        if (CQuillmarkView* view = ViewOf(window)) view->OnActivateView();
    });
    CMainFrame* owner = &frame;
    for (const int id : ViewCommandIds())
        frame.Commands().SetHandler(id, [owner, id] {
            if (CQuillmarkView* view = ActiveView(*owner)) RunViewCommand(*view, id);
        });
}

}  // namespace quillmark
