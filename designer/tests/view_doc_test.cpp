// The editor view in the program's own report windows over the real document: the example template opened,
// viewed, a text rectangle drawn, elements moved and deleted, saved and opened again.
#include <filesystem>
#include <fstream>
#include <memory>

#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "controls/menu/menu_popup.h"
#include "controls/tests/gui_test_app.h"
#include "designer/frame/doc_host.h"
#include "designer/doc/quillmark_doc.h"
#include "designer/frame/main_frame.h"
#include "designer/print/print_preview.h"
#include "designer/view/doc_view.h"
#include "designer/view/quillmark_view.h"
#include "designer/view/view_frame.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;

class ViewDocTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        fs::create_directories(dir / "dict");
        fs::copy_file(QM_DICT_DIR "/quillmark.dict", dir / "dict/quillmark.dict");
        std::ofstream(ini) << "[Paths]\nDictionary=" << (dir / "dict/") << "\n";
        fs::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", path);
    }

    // The pixel of a point of the page in its own units.
    static QPoint PixelOf(CQuillmarkView* view, CPoint p) {
        const double zoom = view->Zoom();
        return view->ToPixel(CPoint(static_cast<int>(p.x * zoom), static_cast<int>(p.y * zoom)));
    }
    // Drags in the view from one page point to another with the left button.
    static void Drag(CQuillmarkView* view, CPoint from, CPoint to) {
        QWidget* port = view->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, PixelOf(view, from));
        const QPoint end = PixelOf(view, to);
        QMouseEvent move(QEvent::MouseMove, end, port->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(port, &move);
        QTest::mouseRelease(port, Qt::LeftButton, {}, end);
    }

    // The program's frame with the fixture's file open in an editor view (`view` stays null if it did not open).
    struct ShownFile {
        explicit ShownFile(const std::string& file) {
            ConnectEditorViews(frame);
            frame.resize(1400, 1000);
            frame.show();
            host = std::make_unique<CDocumentHost>(&frame);
            const bool opened = host->Open(file);
            QApplication::processEvents();
            if (opened) view = ActiveView(frame);
        }
        CMainFrame frame;
        std::unique_ptr<CDocumentHost> host;
        CQuillmarkView* view = nullptr;
    };

    zor::test::ScopedTempDir dir;
    std::string ini = dir / "ZorTransport.ini";
    std::string path = dir / "sales.zordot";
    zor::test::ScopedEnv config{"XDG_CONFIG_HOME", dir / "config"};
    zor::test::ScopedEnv transport{"ZOR_TRANSPORT_INI", ini};
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
};

TEST_F(ViewDocTest, DrawMoveDeleteSaveAndReopen) {
    CPoint made, moved, fixedOrigin;
    int count = 0;
    {
        CMainFrame frame;
        ConnectEditorViews(frame);
        frame.resize(1400, 1000);
        frame.show();
        CDocWindows windows(frame);
        CQuillmarkDoc doc(&windows);
        ASSERT_TRUE(doc.OnOpenDocument(path)) << ::testing::PrintToString(messages.Texts());
        QApplication::processEvents();
        CQuillmarkView* view = ActiveView(frame);
        ASSERT_NE(view, nullptr);
        ASSERT_GT(doc.Manager().GetSheetCount(), 0);
        CReportSheet* sheet = doc.Manager().GetSheet(0);
        ASSERT_EQ(view->Sheet(), sheet);
        ASSERT_EQ(doc.m_mode, kDocEdit);

        // Looking around changes nothing worth saving.
        QWheelEvent wheel(QPointF(50, 50), view->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        view->FitPage();
        const CSize page = doc.m_pageSize;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, PixelOf(view, CPoint(page.cx - 50, 50 - page.cy)));
        EXPECT_FALSE(doc.IsChanged());

        count = sheet->GetElementCount();
        doc.SetTool(kToolText);
        const CPoint from(page.cx - 600, 300 - page.cy), to(page.cx - 200, 100 - page.cy);
        Drag(view, from, to);
        ASSERT_EQ(sheet->GetElementCount(), count + 1);
        made = sheet->GetElement(count)->GetOrigin();
        EXPECT_NEAR(made.x, from.x, 10);
        EXPECT_NEAR(made.y, to.y, 10);
        EXPECT_TRUE(doc.IsChanged());
        EXPECT_EQ(doc.Tool(), kToolSelect);

        // Two more in a row, the last fixed; a band takes all three, and a move leaves the fixed one.
        const int w = page.cx, h = page.cy;
        for (int left : {w - 950, w - 650, w - 350}) {
            doc.SetTool(kToolText);
            Drag(view, CPoint(left, 450 - h), CPoint(left + 200, 350 - h));
        }
        ASSERT_EQ(sheet->GetElementCount(), count + 4);
        CReportElement* e1 = sheet->GetElement(count + 1);
        CReportElement* e2 = sheet->GetElement(count + 2);
        CReportElement* e3 = sheet->GetElement(count + 3);
        e3->SetFixed(1);
        e3->Update(true);
        const CPoint fixedAt = e3->GetOrigin();
        Drag(view, CPoint(w - 990, 490 - h), CPoint(w - 110, 310 - h));
        ASSERT_EQ(sheet->GetSelection().GetSize(), 3);
        const CPoint before1 = e1->GetOrigin();
        const CSize gap = e2->GetOrigin() - e1->GetOrigin();
        Drag(view, CPoint(w - 850, 400 - h), CPoint(w - 1050, 500 - h));
        EXPECT_NEAR(e1->GetOrigin().x, before1.x - 200, 8);
        EXPECT_NEAR(e1->GetOrigin().y, before1.y + 100, 8);
        EXPECT_EQ(e2->GetOrigin() - e1->GetOrigin(), gap);
        EXPECT_EQ(e3->GetOrigin(), fixedAt);
        moved = e1->GetOrigin();

        // The middle one deleted with the question answered Yes. A click on what lies under a selection walks
        // down to the next element there, so the selection goes first.
        sheet->UnselectAll();
        const CPoint middle = e2->GetOrigin() + CSize(100, 50);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, PixelOf(view, middle));
        ASSERT_EQ(sheet->GetSelection().GetSize(), 1);
        ASSERT_EQ(sheet->GetSelection().GetAt(0), e2);
        messages.QueueAnswer(IDYES);
        QTest::keyClick(view, Qt::Key_Delete);
        EXPECT_EQ(messages.Texts().back(), "Вы действительно желаете удалить выделенный элемент?");
        ASSERT_EQ(sheet->GetElementCount(), count + 3);
        fixedOrigin = fixedAt;
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    CQuillmarkDoc reopened(nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(path));
    CReportSheet* sheet = reopened.Manager().GetSheet(0);
    ASSERT_NE(sheet, nullptr);
    sheet->LoadElementsFromFile();
    ASSERT_EQ(sheet->GetElementCount(), count + 3);
    EXPECT_EQ(sheet->GetElement(count)->GetOrigin(), made);
    EXPECT_EQ(sheet->GetElement(count)->GetKind(), kElemRect);
    EXPECT_EQ(sheet->GetElement(count + 1)->GetOrigin(), moved);
    EXPECT_EQ(sheet->GetElement(count + 2)->GetOrigin(), fixedOrigin);
    EXPECT_EQ(sheet->GetElement(count + 2)->GetFixed(), 1);
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

// The program's way out: the frame's close asks the host to close its document while the report windows
// with their views still stand; then the frame goes.
TEST_F(ViewDocTest, ClosingTheFrameWithADocumentShown) {
    auto frame = std::make_unique<CMainFrame>();
    ConnectEditorViews(*frame);
    frame->resize(1000, 800);
    frame->show();
    auto host = std::make_unique<CDocumentHost>(frame.get());
    frame->closeAllDocuments = [&] { return host->CloseAll(); };
    ASSERT_TRUE(host->Open(path));
    QApplication::processEvents();
    ASSERT_NE(ActiveView(*frame), nullptr);
    QWheelEvent wheel(QPointF(300, 300), QPointF(300, 300), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(ActiveView(*frame)->viewport(), &wheel);
    frame->close();
    QApplication::processEvents();
    host.reset();
    frame.reset();
    QApplication::processEvents();
    EXPECT_TRUE(messages.Texts().empty()) << ::testing::PrintToString(messages.Texts());
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

// The editor's commands run from the frame on the active view's selection, with their menu states; the
// selection copied and pasted at a click: the pasted group's corner on the click, selected, and
// what was pasted is in the file after a save.
TEST_F(ViewDocTest, EditorCommandsFromTheFrameAndPasteAtAClick) {
    int pastedCount = 0;
    {
        ShownFile program(path);
        ASSERT_NE(program.view, nullptr) << ::testing::PrintToString(messages.Texts());
        CMainFrame& frame = program.frame;
        CQuillmarkDoc& doc = *program.host->Document();
        CQuillmarkView* view = program.view;
        CReportSheet* sheet = view->Sheet();
        const int count = sheet->GetElementCount();
        const CSize page = doc.m_pageSize;
        const auto make = [&](CPoint origin, CSize size) {
            CReportElement* e = sheet->CreateReportElem(origin, size, kElemRect);
            sheet->Add(e);
            e->Update(true);
            return e;
        };
        CReportElement* a = make(CPoint(page.cx - 900, 200 - page.cy), CSize(300, 100));
        CReportElement* b = make(CPoint(page.cx - 500, 400 - page.cy), CSize(200, 150));
        CCommandRegistry& commands = frame.Commands();
        const auto enabled = [&](int id) { commands.Refresh(); return commands.Action(id)->isEnabled(); };
        const auto checked = [&](int id) { commands.Refresh(); return commands.Action(id)->isChecked(); };

        sheet->UnselectAll();
        sheet->Select(a, 1);
        EXPECT_FALSE(enabled(ID_ALIGN_LEFT)) << "one selected";
        EXPECT_TRUE(enabled(ID_TEXT_BOLD));
        sheet->Select(b, 2);
        ASSERT_TRUE(commands.Execute(ID_ALIGN_LEFT));
        EXPECT_EQ(b->GetOrigin().x, a->GetOrigin().x);
        ASSERT_TRUE(commands.Execute(ID_ALIGN_SIZE));
        EXPECT_EQ(b->GetSize(), a->GetSize());
        EXPECT_TRUE(doc.IsChanged());

        // The format follows the first selected; the menu's check follows the format.
        const bool wasBold = a->GetTextValue().GetFont().lfWeight == 700;
        EXPECT_EQ(checked(ID_TEXT_BOLD), wasBold);
        ASSERT_TRUE(commands.Execute(ID_TEXT_BOLD));
        EXPECT_EQ(b->GetTextValue().GetFont().lfWeight, wasBold ? 400 : 700);
        EXPECT_EQ(checked(ID_TEXT_BOLD), !wasBold);
        ASSERT_TRUE(commands.Execute(ID_TEXT_RIGHT));
        EXPECT_TRUE(checked(ID_TEXT_RIGHT));
        EXPECT_FALSE(checked(ID_TEXT_LEFT));
        EXPECT_EQ(b->GetTextValue().GetAlign() & 0x38, 0x20);
        ASSERT_TRUE(commands.Execute(ID_FIX_ELEMENTS));
        EXPECT_TRUE(checked(ID_FIX_ELEMENTS));
        EXPECT_GT(b->GetFixed(), 0);
        ASSERT_TRUE(commands.Execute(ID_FIX_ELEMENTS));
        EXPECT_EQ(b->GetFixed(), 0);

        // Copy, then paste: armed by the command, placed by the next click.
        ASSERT_TRUE(commands.Execute(ID_EDIT_COPY));
        QApplication::processEvents();
        ASSERT_TRUE(enabled(ID_EDIT_PASTE)) << "the clipboard holds elements";
        ASSERT_TRUE(commands.Execute(ID_EDIT_PASTE));
        EXPECT_EQ(doc.Tool(), kToolPaste);
        EXPECT_TRUE(checked(ID_EDIT_PASTE));
        const CPoint click(page.cx - 1500, 1200 - page.cy);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, PixelOf(view, click));
        ASSERT_EQ(sheet->GetElementCount(), count + 4);
        EXPECT_EQ(doc.Tool(), kToolSelect);
        CReportElement* pa = sheet->GetElement(count + 2);
        CReportElement* pb = sheet->GetElement(count + 3);
        ASSERT_EQ(sheet->GetSelection().GetSize(), 2);
        EXPECT_EQ(sheet->GetSelection().GetAt(0), pa);
        const int tolerance = static_cast<int>(3 / view->Zoom()) + 3;  // a pixel or so at the zoom
        // The group's corner of the least x and y (its frames' normalised top left) is a's origin.
        EXPECT_NEAR(pa->GetOrigin().x, click.x, tolerance);
        EXPECT_NEAR(pa->GetOrigin().y, click.y, tolerance);
        // The group keeps its shape.
        EXPECT_EQ(pb->GetOrigin() - pa->GetOrigin(), b->GetOrigin() - a->GetOrigin());
        EXPECT_EQ(pb->GetTextValue().GetFont().lfWeight, b->GetTextValue().GetFont().lfWeight);
        pastedCount = sheet->GetElementCount();
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    CQuillmarkDoc reopened(nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(path));
    CReportSheet* sheet = reopened.Manager().GetSheet(0);
    sheet->LoadElementsFromFile();
    EXPECT_EQ(sheet->GetElementCount(), pastedCount);
}

// The context menu of several elements in the program's window: its fixing and rounding are the registry's
// commands, greyed as the registry greys them in edit mode, in view mode and for a read-only file, and chosen
// they change every selected element and mark the document changed.
TEST_F(ViewDocTest, ElementMenuOfSeveralRunsTheRegistrysCommands) {
    ShownFile program(path);
    ASSERT_NE(program.view, nullptr) << ::testing::PrintToString(messages.Texts());
    CMainFrame& frame = program.frame;
    CQuillmarkDoc& doc = *program.host->Document();
    CQuillmarkView* view = program.view;
    CReportSheet* sheet = view->Sheet();
    const auto make = [&](CPoint origin) {
        CReportElement* e = sheet->CreateReportElem(origin, CSize(63, 204), kElemRect);
        sheet->Add(e);
        return e;
    };
    // Overlapping, off the millimetre grid, in the strip right of everything the template holds.
    CReportElement* a = make(CPoint(1963, -1507));
    CReportElement* b = make(CPoint(1983, -1407));
    const CPoint both(2000, -1350);

    std::vector<CQuillmarkView::MenuEntry> shown;
    int answer = 0;
    view->SetMenuChooser([&](const std::vector<CQuillmarkView::MenuEntry>& entries, QPoint) {
        shown = entries;
        return answer;
    });
    CCommandRegistry& commands = frame.Commands();
    const auto rightClick = [&](int choice) {
        answer = choice;
        shown.clear();
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, PixelOf(view, both));
        commands.Refresh();
    };
    const auto entry = [&](int id) {
        for (const auto& e : shown)
            if (e.command == id) return e;
        ADD_FAILURE() << "no entry " << id;
        return CQuillmarkView::MenuEntry{};
    };
    const struct {
        const char* what;
        int mode;
        bool readOnly;
        bool enabled;
    } cases[] = {
        {"edit mode", kDocEdit, false, true},
        {"view mode", kDocView, false, false},
        {"a read-only file", kDocEdit, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        doc.m_mode = c.mode;
        doc.m_readOnly = c.readOnly;
        rightClick(0);
        ASSERT_EQ(sheet->GetSelection().GetSize(), 2);
        for (int id : {ID_ELEMENT_FIX, ID_ELEMENT_ALIGN}) {
            EXPECT_EQ(entry(id).enabled, c.enabled) << id;
            EXPECT_EQ(commands.Action(id)->isEnabled(), c.enabled) << id;
        }
        doc.SetChanged(false);
        rightClick(ID_ELEMENT_FIX);
        EXPECT_EQ(a->GetFixed() > 0, c.enabled);
        EXPECT_EQ(b->GetFixed() > 0, c.enabled);
        EXPECT_EQ(doc.IsChanged(), c.enabled);
        if (c.enabled) {
            rightClick(0);
            EXPECT_EQ(entry(ID_ELEMENT_FIX).text, "Расфиксировать");
            rightClick(ID_ELEMENT_FIX);
            EXPECT_EQ(a->GetFixed(), 0);
        }
        a->SetOrigin(CPoint(1963, -1507));
        rightClick(ID_ELEMENT_ALIGN);
        EXPECT_EQ(a->GetOrigin() == CPoint(1960, -1510), c.enabled);
    }
}

// The menu of one element is the report library's own, and its fixing is the program's command: greyed by
// the program's rule (a read-only file is not changed), and chosen it fixes the element and marks the
// document changed, so that closing asks to save it.
TEST_F(ViewDocTest, ElementMenuOfOneRunsTheProgramsFixing) {
    ShownFile program(path);
    ASSERT_NE(program.view, nullptr) << ::testing::PrintToString(messages.Texts());
    CQuillmarkDoc& doc = *program.host->Document();
    CQuillmarkView* view = program.view;
    CReportSheet* sheet = view->Sheet();
    CReportElement* element = sheet->CreateReportElem(CPoint(1963, -1507), CSize(63, 204), kElemRect);
    sheet->Add(element);

    struct Seen {
        bool shown = false;
        bool fixEnabled = false;
    };
    // When the popup shows: notes whether fixing can be chosen, and chooses it if it can.
    const auto chooseFixWhenShown = [](Seen& seen) {
        auto* timer = new QTimer;
        auto tries = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, [timer, tries, &seen] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup && ++*tries < 100) return;  // bounded: two seconds
            timer->stop();
            timer->deleteLater();
            if (!popup) return;
            seen.shown = true;
            for (QAction* action : popup->actions()) {
                if (CommandOfAction(action) != ID_ELEMENT_FIX) continue;
                seen.fixEnabled = action->isEnabled();
                if (!seen.fixEnabled) break;
                popup->setActiveAction(action);
                QTest::keyClick(popup, Qt::Key_Return);
                break;
            }
            while (QWidget* left = QApplication::activePopupWidget()) left->close();
        });
        timer->start(20);
    };
    const struct {
        const char* what;
        bool readOnly;
        bool fixes;
    } cases[] = {
        {"a read-only file", true, false},
        {"edit mode", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        doc.m_readOnly = c.readOnly;
        doc.SetChanged(false);
        Seen seen;
        chooseFixWhenShown(seen);
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, PixelOf(view, CPoint(1990, -1400)));
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.fixEnabled, c.fixes);
        EXPECT_EQ(element->GetFixed() > 0, c.fixes);
        EXPECT_EQ(doc.IsChanged(), c.fixes);
    }
}

// The command line's preview switch: the first report view shown opens the print preview, once.
TEST_F(ViewDocTest, PreviewSwitchOpensThePreviewOnTheFirstUpdate) {
    CMainFrame frame;
    ConnectEditorViews(frame, true);
    frame.resize(1000, 800);
    frame.show();
    CDocumentHost host(&frame);
    ASSERT_TRUE(host.Open(path));
    QApplication::processEvents();
    EXPECT_EQ(frame.findChildren<CPrintPreviewWindow*>().size(), 1);
    ASSERT_TRUE(host.Open(path));
    QApplication::processEvents();
    EXPECT_EQ(frame.findChildren<CPrintPreviewWindow*>().size(), 1) << "only the first update";
    for (CPrintPreviewWindow* window : frame.findChildren<CPrintPreviewWindow*>()) window->close();
    QApplication::processEvents();
}

}  // namespace
}  // namespace quillmark
