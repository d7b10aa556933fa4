// The real program on a test X display with the example template: the first sheet's page shows in its
// report window, the wheel zooms it out until the workspace shows round it, and since looking changes
// nothing, Exit ends the program without asking to save and leaves the file as it was.
#include <filesystem>
#include <fstream>
#include <thread>

#include "controls/tests/x_suite.h"
#include "designer/tests/designer_x_fixture.h"
#include "designer/tests/print_fixture.h"
#include "platform/tests/test_support.h"

namespace quillmark_test {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = QM_BIN_DIR "/quillmark";

// The share of pixels of the square round a point that have the colour.
double ShareOf(const QImage& image, QPoint centre, int half, QRgb colour) {
    int same = 0, all = 0;
    for (int x = centre.x() - half; x <= centre.x() + half; ++x)
        for (int y = centre.y() - half; y <= centre.y() + half; ++y) {
            if (!image.valid(x, y)) continue;
            ++all;
            same += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        }
    return all ? double(same) / all : 0.0;
}

class ViewOnDisplay : public DesignerOnDisplay {};

TEST_F(ViewOnDisplay, ThePageShowsZoomsAndViewingAsksNothingOnExit) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    ASSERT_TRUE(MakeDesignerSandbox(sandbox));
    const std::string file = sandbox.Work() + "/sales.zordot";
    std::filesystem::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", file);
    const std::string bytes = zor::test::Slurp(file);
    const auto time = std::filesystem::last_write_time(file);

    RunningProgram program;
    std::string why;
    ASSERT_TRUE(x().Launch(kProgram, {file}, sandbox, program, why)) << why;
    DesignerWindows windows(x(), program);
    const unsigned long window = x().WaitForWindow("Квиллмарк", 20s);
    ASSERT_NE(window, 0u) << program.Wait(0ms).err;
    ASSERT_TRUE(windows.Shown("QMainWindow", 20s));
    // The report window fills the frame's workspace, right of the navigator and below the bars.
    const QRect area = windows.Place("mdi");
    ASSERT_FALSE(area.isEmpty()) << "the frame named no workspace";
    const QPoint inside = area.center();

    // At zoom 1 the page covers the report window: the point lies on the page's white.
    QImage shot = x().ScreenshotWhen(
        [&](const QImage& image) { return !image.isNull() && ShareOf(image, inside, 3, qRgb(255, 255, 255)) > 0.5; },
        15s);
    ASSERT_GT(ShareOf(shot, inside, 3, qRgb(255, 255, 255)), 0.5) << "no page under the report window's centre";

    // Wheel down: the page shrinks into the middle of the window and the workspace shows round it.
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(x().Click(inside.x(), inside.y(), 5));
    const QPoint nearCorner(area.right() - 40, area.bottom() - 30);
    shot = x().ScreenshotWhen(
        [&](const QImage& image) {
            return !image.isNull() && ShareOf(image, nearCorner, 5, qRgb(255, 255, 255)) < 0.05 &&
                   ShareOf(image, nearCorner, 5, image.pixel(nearCorner)) > 0.9;
        },
        15s);
    ASSERT_LT(ShareOf(shot, nearCorner, 5, qRgb(255, 255, 255)), 0.05)
        << "the page did not shrink away from the window's corner";

    // Nothing changed, so Exit asks nothing, and the file stays as it was.
    EXPECT_TRUE(Exit(windows, program, window)) << "a question kept the program open";
    EXPECT_EQ(zor::test::Slurp(file), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file), time);
}

}  // namespace
}  // namespace quillmark_test

namespace quillmark_test {
namespace {

using namespace std::chrono_literals;

class RoadOnDisplay : public DesignerOnDisplay {};

// The designer's main road by real X input: the example opened, the text tool chosen on its toolbar, a text
// rectangle drawn by pressing, moving and releasing the mouse, a second one drawn and deleted, Ctrl+S, the current page exported through the
// File menu's save dialog, "Печать отчета" to a print queue of the test's own, Exit; the saved file holds the new rectangle at the drawn size, the export a page
// image at half a pixel per tenth of a millimetre.
TEST_F(RoadOnDisplay, DrawSaveExportAndReopen) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    ASSERT_TRUE(MakeDesignerSandbox(sandbox));
    const std::string file = sandbox.Work() + "/sales.zordot";
    const std::string image = sandbox.Work() + "/page.png";
    std::filesystem::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", file);
    const FileFacts before = ReadFile(sandbox, file);
    ASSERT_TRUE(before.opened);

    // The program prints to a queue of the test's own when the machine has a print scheduler.
    zor::test::ScopedTempDir cups;  // short: the scheduler's socket path must fit a socket address
    print_test::PrivateCupsQueue queue;
    std::string why;
    const bool cupsStarted = print_test::RunCommand("command -v pdfinfo >/dev/null").first == 0 &&
                             queue.Start(cups.Path(), why);
    zor::test::ScopedEnv server{"CUPS_SERVER", cupsStarted ? queue.Socket() : std::string("/nonexistent/cups.sock")};
    zor::test::ScopedEnv lpdest{"LPDEST", std::nullopt};
    zor::test::ScopedEnv printer{"PRINTER", std::nullopt};

    RunningProgram program;
    ASSERT_TRUE(x().Launch(kDesignerProgram, {file}, sandbox, program, why)) << why;
    DesignerWindows windows(x(), program);
    const unsigned long window = WindowOf(program, 20s);
    ASSERT_NE(window, 0u) << program.Wait(0ms).err;
    const QRect frame = x().WindowGeometry(window).value_or(QRect());
    ASSERT_TRUE(frame.isValid());
    Focus(windows, window, Inside(frame));

    // The text tool from the elements bar, and a text rectangle drawn on the page.
    ASSERT_TRUE(windows.Click(DesignerWindows::ToolButton(quillmark::ID_TOOL_TEXT)));
    const QPoint from(frame.left() + 550, frame.top() + 550), to(from + QPoint(200, 100));
    ASSERT_TRUE(windows.Drag(from, to));
    // A second one above it, chosen by a click and deleted with the question answered "Да" (the default
    // button is "Нет").
    ASSERT_TRUE(windows.Click(DesignerWindows::ToolButton(quillmark::ID_TOOL_TEXT)));
    const QPoint from2(from.x(), from.y() - 200);
    ASSERT_TRUE(windows.Drag(from2, from2 + QPoint(200, 80)));
    ASSERT_TRUE(windows.ClickAt(from2 + QPoint(100, 40)));
    // The question takes the program's input as Delete goes down: the key is let go where nothing takes it.
    ASSERT_TRUE(x().Key("Delete"));
    ASSERT_TRUE(windows.Shown("QMessageBox")) << "no question before deleting";
    ASSERT_TRUE(windows.Click("button-Да"));
    ASSERT_TRUE(windows.Hidden("QMessageBox"));
    x().XDo({"windowfocus", "--sync", std::to_string(window)});

    const auto time = std::filesystem::last_write_time(file);
    ASSERT_TRUE(windows.Key("ctrl+s"));
    for (auto end = std::chrono::steady_clock::now() + 10s;
         std::filesystem::last_write_time(file) == time && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    ASSERT_NE(std::filesystem::last_write_time(file), time) << "Ctrl+S did not save";

    // File, Export, Current page: the save dialog takes a typed name, then the message is answered.
    ASSERT_TRUE(windows.OpenMenu(0));
    ASSERT_TRUE(windows.Click("submenu-Экспорт"));
    ASSERT_TRUE(windows.Shown("QMenu"));
    ASSERT_TRUE(windows.Click(DesignerWindows::Command(quillmark::ID_EXPORT_PAGE)));
    ASSERT_TRUE(windows.Shown("QFileDialog")) << "no save dialog";
    // Qt's own title of the save dialog, in Russian when Qt's translations are installed.
    const unsigned long dialog = x().WaitForWindow("Сохранить как|Save", 10s);
    ASSERT_NE(dialog, 0u) << "no save dialog";
    x().XDo({"windowfocus", "--sync", std::to_string(dialog)});
    ASSERT_TRUE(x().Type(image));
    ASSERT_TRUE(x().Key("Return"));
    for (auto end = std::chrono::steady_clock::now() + 10s;
         !std::filesystem::exists(image) && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(std::filesystem::exists(image)) << "nothing exported";
    ASSERT_TRUE(windows.Shown("QMessageBox")) << "no \"Экспортирование страницы завершено!\"";
    ASSERT_TRUE(windows.Click("button-ОК"));
    ASSERT_TRUE(windows.Hidden("QMessageBox"));

    // File, "Печать отчета": every sheet to the default queue without a dialog.
    if (cupsStarted) {
        ASSERT_TRUE(windows.OpenMenu(0));
        ASSERT_TRUE(windows.Click(DesignerWindows::Command(quillmark::ID_PRINT_DIRECT)));
        ASSERT_TRUE(queue.WaitForOutput(30000)) << "nothing printed within 30 s";
        EXPECT_EQ(print_test::ReadPdfInfo(queue.Output()).pages, 3) << "one page a sheet";
    }
    EXPECT_TRUE(Exit(windows, program, window)) << "the save left something to ask";

    QImage exported(QString::fromStdString(image));
    ASSERT_FALSE(exported.isNull());
    EXPECT_EQ(exported.size(), QSize(before.page.cx / 2, before.page.cy / 2));
    const FileFacts after = ReadFile(sandbox, file);
    ASSERT_TRUE(after.opened);
    EXPECT_EQ(after.elements, before.elements + 1);
    EXPECT_EQ(after.lastKind, 1) << "a text rectangle";
    // 200 by 100 pixels at 96 dots per inch and zoom 1: 529 by 265 tenths of a millimetre.
    EXPECT_NEAR(after.lastSize.cx, 529, 15);
    EXPECT_NEAR(after.lastSize.cy, 265, 15);
}

}  // namespace
}  // namespace quillmark_test
