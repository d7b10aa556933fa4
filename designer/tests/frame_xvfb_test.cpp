// The real program on a test X display: the frame shows where the profile put it, with two rows of
// toolbars above the report area and the navigator on its left; the About box opens from its menu; Exit from the File menu ends it with the
// placement, the bars and the opened file written back to the profile.
#include <filesystem>
#include <fstream>

#include <QSettings>

#include "controls/tests/x_suite.h"
#include "designer/tests/designer_windows.h"
#include "platform/tests/test_support.h"

namespace quillmark_test {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = QM_BIN_DIR "/quillmark";
const std::string kExample = QM_SOURCE_DIR "/examples/sales.zordot";

std::string Describe(const ProgramResult& r) {
    return "exit " + std::to_string(r.exitStatus) + " signal " + std::to_string(r.signal) + "\n" + r.err;
}

// From `from`, the first point along (dx, dy) whose colour differs from the one at `from`.
QPoint EdgeFrom(const QImage& image, QPoint from, int dx, int dy) {
    const QRgb colour = image.pixel(from);
    QPoint p = from;
    while (image.valid(p + QPoint(dx, dy)) && image.pixel(p + QPoint(dx, dy)) == colour) p += QPoint(dx, dy);
    return p;
}

class FrameOnDisplay : public XSuiteTest {};

TEST_F(FrameOnDisplay, ShowsWhereTheProfileSaysAndWritesItBackOnExit) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    ProgramSandbox sandbox;
    ASSERT_TRUE(sandbox.Create());
    const std::string profile = sandbox.ConfigDir() + "/Veldcourt/Квиллмарк.ini";
    std::filesystem::create_directories(sandbox.ConfigDir() + "/Veldcourt");
    std::ofstream(profile) << "[MainFrame]\nScreen_X=10\nScreen_Y=10\nScreen_CX=900\nScreen_CY=700\n";

    RunningProgram program;
    std::string why;
    ASSERT_TRUE(x().Launch(kProgram, {kExample}, sandbox, program, why)) << why;
    DesignerWindows windows(x(), program);
    const unsigned long window = x().WaitForWindow("Квиллмарк", 20s);
    ASSERT_NE(window, 0u) << Describe(program.Wait(0ms));
    const std::optional<QRect> frame = x().WindowGeometry(window);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->size(), QSize(900, 700));

    // The report area's workspace round the page (the wheel zooms the page out into the middle) is one plain
    // colour; its top edge lies below the menu and two rows of toolbars, its left edge right of the navigator.
    const QPoint centre = frame->center();
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(x().Click(centre.x(), centre.y(), 5));
    const QPoint corner(frame->right() - 40, frame->bottom() - 50);
    QImage shot = x().ScreenshotWhen(
        [&](const QImage& image) { return !image.isNull() && EdgeFrom(image, corner, 0, -1).y() - frame->top() > 70; },
        10s);
    ASSERT_FALSE(shot.isNull());
    const int areaTop = EdgeFrom(shot, corner, 0, -1).y() - frame->top();
    const int areaLeft = EdgeFrom(shot, corner, -1, 0).x() - frame->left();
    EXPECT_GT(areaTop, 70) << "one row of toolbars or none";
    EXPECT_LT(areaTop, 160);
    EXPECT_GT(areaLeft, 100) << "no navigator on the left";

    // The About box is the first item of the last menu; it shows the version line and closes with Escape.
    ASSERT_TRUE(windows.Shown("QMainWindow"));
    ASSERT_TRUE(windows.OpenMenu(windows.LastMenu()));
    EXPECT_EQ(windows.Place("item0"), windows.Place(DesignerWindows::Command(quillmark::ID_APP_ABOUT)));
    ASSERT_TRUE(windows.Click(DesignerWindows::Command(quillmark::ID_APP_ABOUT)));
    const unsigned long about = x().WaitForWindow("О программе Квиллмарк", 10s);
    ASSERT_NE(about, 0u);
    ASSERT_TRUE(x().Key("Escape"));
    ASSERT_TRUE(windows.Hidden("QDialog О программе"));

    // Exit is the last item of the File menu.
    ASSERT_TRUE(windows.OpenMenu(0));
    EXPECT_EQ(windows.Place(windows.LastItem()), windows.Place(DesignerWindows::Command(quillmark::ID_APP_EXIT)));
    ASSERT_TRUE(windows.ClickOnly(DesignerWindows::Command(quillmark::ID_APP_EXIT)));
    const ProgramResult result = program.Wait(10s);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << Describe(result);

    QSettings saved(QString::fromStdString(profile), QSettings::IniFormat);
    EXPECT_EQ(saved.value("MainFrame/Screen_mode").toInt(), 0);
    EXPECT_EQ(saved.value("MainFrame/Screen_CX").toInt(), 900);
    EXPECT_EQ(saved.value("MainFrame/Screen_CY").toInt(), 700);
    EXPECT_FALSE(saved.value("ToolBars/State").toString().isEmpty());
    EXPECT_EQ(saved.value("Recent File List/File1").toString().toStdString(),
              std::filesystem::path(kExample).lexically_normal().string());
}

}  // namespace
}  // namespace quillmark_test
