#include "designer/view/view_frame.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "designer/frame/child_frame.h"
#include "designer/frame/main_frame.h"
#include "report/model/report_sheet.h"
#include "report/model/text_value.h"

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
    frame.Commands().SetHandler(ID_VIEW_FIT, [owner] {
        if (CQuillmarkView* view = ActiveView(*owner)) view->FitPage();
    });
    frame.Commands().SetHandler(ID_VIEW_1TO1, [owner] {
        if (CQuillmarkView* view = ActiveView(*owner)) view->ZoomOneToOne();
    });
    frame.Commands().SetHandler(ID_PROPERTIES, [owner] {
        if (CQuillmarkView* view = ActiveView(*owner)) view->ShowProperties();
    });
    const auto onView = [owner](void (*work)(CQuillmarkView&)) {
        return [owner, work] {
            if (CQuillmarkView* view = ActiveView(*owner)) work(*view);
        };
    };
    CCommandRegistry& commands = frame.Commands();
    commands.SetHandler(ID_EDIT_COPY, onView([](CQuillmarkView& v) { v.CopySelection(); }));
    commands.SetHandler(ID_EDIT_PASTE, onView([](CQuillmarkView& v) { v.ArmPaste(); }));
    commands.SetHandler(ID_SELECT_ALL, onView([](CQuillmarkView& v) { v.SelectAll(); }));
    commands.SetHandler(ID_EDIT_TEXT, onView([](CQuillmarkView& v) { v.EditText(); }));
    commands.SetHandler(ID_ALIGN_LEFT, onView([](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Left); }));
    commands.SetHandler(ID_ALIGN_RIGHT, onView([](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Right); }));
    commands.SetHandler(ID_ALIGN_TOP, onView([](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Top); }));
    commands.SetHandler(ID_ALIGN_BOTTOM, onView([](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Bottom); }));
    commands.SetHandler(ID_ALIGN_WIDTH, onView([](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Width); }));
    commands.SetHandler(ID_ALIGN_HEIGHT, onView([](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::Height); }));
    commands.SetHandler(ID_ALIGN_SIZE, onView([](CQuillmarkView& v) { v.ElementCommands().AlignElements(AlignCommand::WidthAndHeight); }));
    commands.SetHandler(ID_ALIGN_MM, onView([](CQuillmarkView& v) { v.ElementCommands().RoundToMillimetres(); }));
    commands.SetHandler(ID_FIX_ELEMENTS, onView([](CQuillmarkView& v) { v.ElementCommands().ToggleFixed(); }));
    commands.SetHandler(ID_TEXT_BOLD, onView([](CQuillmarkView& v) { v.ElementCommands().ToggleBold(); }));
    commands.SetHandler(ID_TEXT_ITALIC, onView([](CQuillmarkView& v) { v.ElementCommands().ToggleItalic(); }));
    commands.SetHandler(ID_TEXT_UNDERLINE, onView([](CQuillmarkView& v) { v.ElementCommands().ToggleUnderline(); }));
    commands.SetHandler(ID_TEXT_LEFT, onView([](CQuillmarkView& v) { v.ElementCommands().SetTextAlign(kAlignLeft); }));
    commands.SetHandler(ID_TEXT_CENTER, onView([](CQuillmarkView& v) { v.ElementCommands().SetTextAlign(kAlignHCenter); }));
    commands.SetHandler(ID_TEXT_RIGHT, onView([](CQuillmarkView& v) { v.ElementCommands().SetTextAlign(kAlignRight); }));
    commands.SetHandler(ID_TEXT_HORIZONTAL, onView([](CQuillmarkView& v) { v.ElementCommands().SetOrientation(0); }));
    commands.SetHandler(ID_TEXT_VERTICAL, onView([](CQuillmarkView& v) { v.ElementCommands().SetOrientation(1); }));
    commands.SetHandler(ID_TEXT_FONT, onView([](CQuillmarkView& v) { v.ElementCommands().ChooseFont(&v); }));
}

}  // namespace quillmark
