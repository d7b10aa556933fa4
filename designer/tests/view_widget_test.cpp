// The editor view as a widget, driven with synthetic events offscreen: the mouse paths, wheel, middle
// button, keys, context menus, drops, drawing, caption and activation.
#include <map>

#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include "controls/tests/gui_test_app.h"
#include "designer/tests/view_fixture.h"
#include "designer/frame/child_frame.h"
#include "designer/frame/command_table.h"
#include "designer/frame/main_frame.h"
#include "designer/navigator/navigator_view.h"
#include "designer/view/quillmark_view.h"
#include "designer/view/view_frame.h"
#include "platform/tests/test_support.h"

namespace view_test {
namespace {

using namespace quillmark;

class ViewWidgetTest : public model_test::ModelTest {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        ModelTest::SetUp();
        sheet = NewSheet();
        sheet->SetName("Лист3");
        view = std::make_unique<CQuillmarkView>(document);
        view->resize(800, 600);
        view->show();
        view->OnInitialUpdate(sheet);
    }
    void TearDown() override {
        view->DetachSheet();
        view.reset();
    }
    QWidget* Port() const { return view->viewport(); }
    // The pixel of a point of the page in its own units (the view's points are at the zoom).
    QPoint At(CPoint page) const {
        const double zoom = view->Zoom();
        return view->ToPixel(CPoint(static_cast<int>(page.x * zoom), static_cast<int>(page.y * zoom)));
    }
    void Press(CPoint p, Qt::KeyboardModifiers mods = {}) { QTest::mousePress(Port(), Qt::LeftButton, mods, At(p)); }
    void Release(CPoint p, Qt::KeyboardModifiers mods = {}) { QTest::mouseRelease(Port(), Qt::LeftButton, mods, At(p)); }
    void MoveTo(CPoint p, Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent move(QEvent::MouseMove, At(p), Port()->mapToGlobal(At(p)), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(Port(), &move);
    }
    void DragTo(CPoint from, CPoint to, Qt::KeyboardModifiers mods = {}) {
        Press(from, mods);
        MoveTo(CPoint((from.x + to.x) / 2, (from.y + to.y) / 2));
        MoveTo(to);
        Release(to, mods);
    }
    void Wheel(int delta, Qt::MouseButtons buttons = Qt::NoButton) {
        const QPointF pos(100, 100);
        QWheelEvent wheel(pos, Port()->mapToGlobal(pos), QPoint(), QPoint(0, delta), buttons, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Port(), &wheel);
    }
    std::vector<CReportElement*> Selected() const {
        return {sheet->GetSelection().begin(), sheet->GetSelection().end()};
    }

    FakeDocument document;
    CReportSheet* sheet = nullptr;
    std::unique_ptr<CQuillmarkView> view;
};

TEST_F(ViewWidgetTest, PixelsMapOntoThePage) {
    // A4 landscape does not fit 800 pixels at zoom 1: the page sits at the margin.
    const PagePlacement p = view->Placement();
    EXPECT_EQ(p.left, kPageMargin);
    EXPECT_EQ(p.distance, kPageMargin);
    for (CPoint page : {CPoint(0, 0), CPoint(1000, -700), CPoint(2970, -2100)}) {
        const CPoint back = view->ToPage(At(page));
        EXPECT_LE(std::abs(back.x - page.x), 2) << page.x;
        EXPECT_LE(std::abs(back.y - page.y), 2) << page.y;
    }
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
    // At fit the whole page shows, centred in one direction.
    view->FitPage();
    EXPECT_LT(view->Zoom(), 1.0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_DOUBLE_EQ(document.commonScale, view->Zoom());
    view->ZoomOneToOne();
    EXPECT_DOUBLE_EQ(view->Zoom(), 1.0);
}

TEST_F(ViewWidgetTest, RubberBandThenGroupMoveWithAFixedElement) {
    CReportElement* a = NewRect(sheet, {200, -600}, {200, 200}, "a");
    CReportElement* b = NewRect(sheet, {600, -600}, {200, 200}, "b");
    CReportElement* fixed = NewRect(sheet, {1000, -600}, {200, 200}, "c");
    fixed->SetFixed(1);
    NewRect(sheet, {1600, -600}, {200, 200}, "outside");
    DragTo(CPoint(100, -300), CPoint(1300, -900));
    EXPECT_EQ(Selected(), (std::vector<CReportElement*>{a, b, fixed}));
    EXPECT_EQ(document.changed, 0);

    DragTo(CPoint(300, -500), CPoint(500, -800));
    // Pixels are coarser than tenths of a millimetre: the move is what the pixels allow.
    EXPECT_NEAR(a->GetOrigin().x, 400, 3);
    EXPECT_NEAR(a->GetOrigin().y, -900, 3);
    EXPECT_EQ(b->GetOrigin() - a->GetOrigin(), CSize(400, 0));
    EXPECT_EQ(fixed->GetOrigin(), CPoint(1000, -600));
    EXPECT_EQ(document.changed, 1);
    EXPECT_EQ(document.tool, kToolSelect);
}

TEST_F(ViewWidgetTest, ToolsDrawATextRectangleAndALine) {
    document.tool = kToolText;
    DragTo(CPoint(100, -100), CPoint(900, -500));
    ASSERT_EQ(sheet->GetElementCount(), 1);
    EXPECT_EQ(sheet->GetElement(0)->GetKind(), kElemRect);
    EXPECT_NEAR(sheet->GetElement(0)->GetSize().cx, 800, 4);
    EXPECT_EQ(document.tool, kToolSelect);
    document.tool = kToolLine;
    DragTo(CPoint(100, -1000), CPoint(1500, -1000));
    ASSERT_EQ(sheet->GetElementCount(), 2);
    EXPECT_EQ(sheet->GetElement(1)->GetKind(), kElemLine);
    EXPECT_EQ(document.changed, 2);
}

TEST_F(ViewWidgetTest, WheelZoomsWithinLimits) {
    Wheel(120);
    EXPECT_NEAR(view->Zoom(), 1.02, 1e-9);
    for (int i = 0; i < 100; ++i) Wheel(12000);
    EXPECT_DOUBLE_EQ(view->Zoom(), kMaxZoom);
    for (int i = 0; i < 200; ++i) Wheel(-600);
    EXPECT_DOUBLE_EQ(view->Zoom(), kMinZoom);
    const double before = view->Zoom();
    // Not while panning with the middle button.
    QTest::mousePress(Port(), Qt::MiddleButton, {}, QPoint(50, 50));
    Wheel(1200);
    QTest::mouseRelease(Port(), Qt::MiddleButton, {}, QPoint(50, 50));
    EXPECT_DOUBLE_EQ(view->Zoom(), before);
    EXPECT_EQ(document.changed, 0);
}

TEST_F(ViewWidgetTest, MiddleButtonPansOnlyWhereThePageDoesNotFit) {
    QTest::mousePress(Port(), Qt::MiddleButton, {}, QPoint(400, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(350, 260), Port()->mapToGlobal(QPointF(350, 260)), Qt::NoButton,
                     Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(Port(), &move);
    QTest::mouseRelease(Port(), Qt::MiddleButton, {}, QPoint(350, 260));
    EXPECT_EQ(view->horizontalScrollBar()->value(), 50);
    EXPECT_EQ(view->verticalScrollBar()->value(), 40);

    // Wide enough for the page, not tall enough: only vertical panning.
    view->resize(1400, 600);
    QApplication::processEvents();
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);
    document.tool = kToolMoveSheet;
    QTest::mousePress(Port(), Qt::LeftButton, {}, QPoint(400, 300));
    QMouseEvent leftMove(QEvent::MouseMove, QPointF(350, 260), Port()->mapToGlobal(QPointF(350, 260)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Port(), &leftMove);
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, QPoint(350, 260));
    EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(view->verticalScrollBar()->value(), 40);
    EXPECT_EQ(document.tool, kToolSelect);
    EXPECT_EQ(document.changed, 0);  // looking around changes nothing
}

TEST_F(ViewWidgetTest, ZoomToolDragsTheZoom) {
    document.tool = kToolZoom;
    QTest::mousePress(Port(), Qt::LeftButton, {}, QPoint(400, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(400, 360), Port()->mapToGlobal(QPointF(400, 360)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Port(), &move);
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, QPoint(400, 360));
    EXPECT_NEAR(view->Zoom(), 1.1, 1e-9);
    EXPECT_EQ(document.tool, kToolSelect);
}

TEST_F(ViewWidgetTest, DrawsThePageOnTheWorkspace) {
    NewRect(sheet, {200, -600}, {400, 200}, "ТЕКСТ");
    view->resize(1400, 1000);
    view->FitPage();
    const QImage image = Port()->grab().toImage();
    const CDC dc;
    const QPoint outside(2, 2);
    const QPoint inside = At(CPoint(2000, -1500));
    EXPECT_EQ(image.pixelColor(outside).rgb() & 0xFFFFFF, qRgb(GetRValue(dc.GetSysColor(COLOR_APPWORKSPACE)),
                                                             GetGValue(dc.GetSysColor(COLOR_APPWORKSPACE)),
                                                             GetBValue(dc.GetSysColor(COLOR_APPWORKSPACE))) & 0xFFFFFF);
    EXPECT_NE(image.pixelColor(outside), image.pixelColor(inside));
    // The page's border is drawn in another colour than its inside.
    const QPoint corner = At(CPoint(0, -1000));
    bool border = false;
    for (int dx = -1; dx <= 1; ++dx) border |= image.pixelColor(corner + QPoint(dx, 0)) != image.pixelColor(inside);
    EXPECT_TRUE(border);
    // The element's outline or text shows inside its rectangle.
    bool drawn = false;
    const QPoint from = At(CPoint(200, -400)), to = At(CPoint(600, -600));
    for (int x = from.x(); x <= to.x() && !drawn; ++x)
        for (int y = from.y(); y <= to.y() && !drawn; ++y) drawn = image.pixelColor(x, y) != image.pixelColor(inside);
    EXPECT_TRUE(drawn);
}

TEST_F(ViewWidgetTest, KeysDeleteEscapeAndShortcuts) {
    NewRect(sheet, {200, -600}, {200, 200});
    NewRect(sheet, {600, -600}, {200, 200});
    DragTo(CPoint(100, -300), CPoint(900, -900));
    ASSERT_EQ(Selected().size(), 2u);
    QTest::keyClick(view.get(), Qt::Key_Delete);  // answered No
    EXPECT_EQ(sheet->GetElementCount(), 2);
    messages.QueueAnswer(IDYES);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(sheet->GetElementCount(), 0);
    EXPECT_EQ(messages.Texts().back(), "Вы действительно желаете удалить выделенные элементы?");

    document.tool = kToolLine;
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(document.tool, kToolSelect);
    QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view.get(), Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(document.selectAlls, 1);
    EXPECT_EQ(document.textEdits, 2);
}

TEST_F(ViewWidgetTest, DoubleClickOpensThePropertiesOfWhatItHits) {
    CReportElement* a = NewRect(sheet, {200, -600}, {200, 200});
    document.propertiesChange = true;
    QTest::mouseDClick(Port(), Qt::LeftButton, {}, At(CPoint(300, -500)));
    EXPECT_EQ(Selected(), std::vector<CReportElement*>{a});
    EXPECT_EQ(document.properties, 1);
    EXPECT_EQ(document.changed, 1);
    EXPECT_EQ(document.tool, kToolSelect);
    document.readOnly = true;
    document.editRight = false;  // the properties need the edit right
    QTest::mouseDClick(Port(), Qt::LeftButton, {}, At(CPoint(300, -500)));
    EXPECT_EQ(document.properties, 1);
}

TEST_F(ViewWidgetTest, RightClickMenus) {
    std::vector<std::vector<CQuillmarkView::MenuEntry>> shown;
    int answer = 0;
    view->SetMenuChooser([&](const std::vector<CQuillmarkView::MenuEntry>& entries, QPoint) {
        shown.push_back(entries);
        return answer;
    });
    CReportElement* a = NewRect(sheet, {200, -600}, {200, 200});
    CReportElement* b = NewRect(sheet, {300, -500}, {200, 200});  // overlaps a
    // Nothing there: the sheet's menu; "Вставить" arms pasting.
    answer = ID_EDIT_PASTE;
    QTest::mouseClick(Port(), Qt::RightButton, {}, At(CPoint(2000, -1500)));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0][0].text, "Вставить");
    EXPECT_EQ(document.tool, kToolPaste);
    Press(CPoint(2000, -1500));
    Release(CPoint(2000, -1500));
    ASSERT_EQ(document.pastes.size(), 1u);
    EXPECT_EQ(document.tool, kToolSelect);

    // Two hits, none selected: both become selected and the menu of several opens.
    a->SetFixed(1);
    answer = ID_ELEMENT_FIX;
    QTest::mouseClick(Port(), Qt::RightButton, {}, At(CPoint(350, -450)));
    EXPECT_EQ(Selected().size(), 2u);
    ASSERT_EQ(shown.size(), 2u);
    const auto& entries = shown[1];
    const auto fix = std::find_if(entries.begin(), entries.end(), [](auto& e) { return e.command == ID_ELEMENT_FIX; });
    ASSERT_NE(fix, entries.end());
    // The first selected is b (front-most), not fixed: both get fixed.
    EXPECT_EQ(fix->text, "Зафиксировать");
    EXPECT_EQ(a->GetFixed(), 1);
    EXPECT_EQ(b->GetFixed(), 1);
    EXPECT_EQ(document.changed, 1);

    // In view mode the changing entries are greyed.
    document.mode = 1;
    answer = 0;
    QTest::mouseClick(Port(), Qt::RightButton, {}, At(CPoint(350, -450)));
    ASSERT_EQ(shown.size(), 3u);
    for (const auto& e : shown[2]) {
        const bool changes = e.command == ID_ELEMENT_FIX || e.command == ID_ELEMENT_DELETE || e.command == ID_EDIT_PASTE ||
                             e.command == ID_ELEMENT_ALIGN;
        EXPECT_EQ(e.enabled, !changes) << e.text;
    }
    EXPECT_EQ(shown[2][0].text, "Расфиксировать");
    // No hit in view mode: no menu at all.
    QTest::mouseClick(Port(), Qt::RightButton, {}, At(CPoint(2000, -1500)));
    EXPECT_EQ(shown.size(), 3u);
}

// An empty spot of the page offers the sheet's menu: pasting, the element tools, select all, a new sheet and
// the zooms, greyed by the program's rules; what is chosen runs, and the selection goes.
TEST_F(ViewWidgetTest, SheetMenuOffersTheProgramsCommandsAndRunsTheChosen) {
    std::vector<CQuillmarkView::MenuEntry> shown;
    int answer = ID_TOOL_CONTENTS;
    view->SetMenuChooser([&](const std::vector<CQuillmarkView::MenuEntry>& entries, QPoint) {
        shown = entries;
        return answer;
    });
    CReportElement* a = NewRect(sheet, {200, -600}, {200, 200});
    sheet->Select(a, 1);
    document.disabledCommands = {ID_EDIT_PASTE};
    QTest::mouseClick(Port(), Qt::RightButton, {}, At(CPoint(2000, -1500)));
    std::map<int, CQuillmarkView::MenuEntry> byCommand;
    for (const auto& e : shown) byCommand[e.command] = e;
    for (int id : std::initializer_list<int>{ID_EDIT_PASTE, ID_TOOL_LINE, ID_TOOL_TEXT, ID_TOOL_TABLE, ID_TOOL_CONTINUATION, ID_TOOL_PICTURE,
                   ID_TOOL_CONTENTS, ID_SELECT_ALL, ID_NEW_SHEET, ID_VIEW_FIT, ID_VIEW_1TO1})
        EXPECT_EQ(byCommand.count(id), 1u) << id;
    EXPECT_EQ(byCommand[ID_TOOL_CONTINUATION].text, "Продолжение таблицы");
    EXPECT_FALSE(byCommand[ID_EDIT_PASTE].enabled);
    EXPECT_TRUE(byCommand[ID_TOOL_CONTENTS].enabled);
    EXPECT_EQ(document.ranCommands, std::vector<int>{ID_TOOL_CONTENTS});
    EXPECT_TRUE(Selected().empty());

    // Nothing chosen: nothing runs.
    answer = 0;
    QTest::mouseClick(Port(), Qt::RightButton, {}, At(CPoint(2000, -1500)));
    EXPECT_EQ(document.ranCommands.size(), 1u);
    EXPECT_EQ(document.tool, kToolSelect);
}

TEST_F(ViewWidgetTest, DroppedFilesOpenAfterTheDrop) {
    QTemporaryDir dir;
    const QString report = dir.filePath("Отчет.ZORDOT");
    QFile(report).open(QIODevice::WriteOnly);
    auto drop = [&](QMimeData& data) { view->HandleDrop(data, At(CPoint(300, -300))); };
    QMimeData missing;
    missing.setUrls({QUrl::fromLocalFile(dir.filePath("нет.zorrep"))});
    drop(missing);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"File not found"});

    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(report)});
    drop(file);
    EXPECT_TRUE(document.opened.empty());  // not inside the drop's own handling
    for (int i = 0; i < 50 && document.opened.empty(); ++i) QApplication::processEvents();
    EXPECT_EQ(document.opened, std::vector<std::string>{report.toStdString()});
}

TEST_F(ViewWidgetTest, DroppedParameterBecomesTheText) {
    CReportParam* param = NewParam("Дата", 1);
    document.dragParam = param;
    CReportElement* text = NewRect(sheet, {200, -600}, {400, 400});
    auto drop = [&](const QByteArray& record, CPoint at) {
        QMimeData data;
        data.setData(kSheetDragFormat, record);
        view->HandleDrop(data, At(at));
    };
    drop("forged", CPoint(400, -400));
    EXPECT_EQ(text->GetTextValue().GetParam(), nullptr);
    drop("param", CPoint(2000, -1500));  // no text rectangle there
    EXPECT_EQ(document.changed, 0);
    drop("param", CPoint(400, -400));
    EXPECT_EQ(text->GetTextValue().GetParam(), param);
    EXPECT_EQ(document.changed, 1);
}

TEST_F(ViewWidgetTest, CaptionAndActivation) {
    QMdiArea area;
    area.resize(900, 700);
    auto* frame = new QMdiSubWindow;
    auto* child = new CQuillmarkView(document);
    frame->setWidget(child);
    area.addSubWindow(frame);
    area.show();
    frame->showMaximized();
    child->OnInitialUpdate(sheet);
    EXPECT_EQ(frame->windowTitle().toStdString(), "/tmp/report.zordot : Лист3");
    frame->showNormal();
    child->OnUpdate();
    EXPECT_EQ(frame->windowTitle().toStdString(), "Лист3");
    child->OnActivateView();
    EXPECT_EQ(document.activated, std::vector<CReportSheet*>{sheet});
    EXPECT_EQ(document.pages, std::vector<int>{3});
    child->DetachSheet();
}

}  // namespace
}  // namespace view_test

namespace quillmark {
namespace {

// Report windows of the main frame: activation reaches the view, and the view commands act on the active one.
class ViewInFrameTest : public model_test::ModelTest {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        ModelTest::SetUp();
    }
    zor::test::ScopedTempDir dir;
    zor::test::ScopedEnv config{"XDG_CONFIG_HOME", dir.Path()};
    view_test::FakeDocument document;
};

TEST_F(ViewInFrameTest, WindowsActivateTheirViewsAndTakeTheViewCommands) {
    CReportSheet* first = NewSheet();
    first->SetName("Лист1");
    CReportSheet* second = NewSheet();
    second->SetName("Лист2");
    {
        CMainFrame frame;
        frame.documentState = [] {
            CommandState state;
            state.hasDocument = true;
            state.editMode = true;
            state.sheetCount = 2;
            state.currentSheet = 1;
            return state;
        };
        ConnectViewCommands(frame);
        frame.resize(1200, 900);
        frame.show();
        CQuillmarkView* one = AddSheetWindow(frame, document, first);
        CQuillmarkView* two = AddSheetWindow(frame, document, second);
        QApplication::processEvents();
        frame.MdiArea()->setActiveSubWindow(frame.ChildFrames().front());
        frame.MdiArea()->setActiveSubWindow(frame.ChildFrames().back());
        ASSERT_EQ(ActiveView(frame), two);
        EXPECT_EQ(document.pages.back(), 2);
        EXPECT_EQ(document.activated.back(), second);

        frame.Commands().Refresh();
        EXPECT_TRUE(frame.Commands().Execute(ID_VIEW_FIT));
        EXPECT_NE(two->Zoom(), 1.0);
        EXPECT_DOUBLE_EQ(one->Editor().OwnZoom(), 1.0);
        EXPECT_TRUE(frame.Commands().Execute(ID_VIEW_1TO1));
        EXPECT_DOUBLE_EQ(two->Zoom(), 1.0);
        one->DetachSheet();
        two->DetachSheet();
    }
    EXPECT_EQ(document.changed, 0);
}

}  // namespace
}  // namespace quillmark
