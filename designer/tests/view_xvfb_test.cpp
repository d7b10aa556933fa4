// The real program on a test X display with the example template: the first sheet's page shows in its
// report window, the wheel zooms it out until the workspace shows round it, and since looking changes
// nothing, Exit ends the program without asking to save and leaves the file as it was.
#include <filesystem>
#include <fstream>
#include <thread>

#include "controls/tests/x_suite.h"
#include "designer/tests/designer_sandbox.h"
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

class ViewOnDisplay : public XSuiteTest {};

TEST_F(ViewOnDisplay, ThePageShowsZoomsAndViewingAsksNothingOnExit) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    ProgramSandbox sandbox;
    ASSERT_TRUE(MakeDesignerSandbox(sandbox));
    const std::string file = sandbox.Work() + "/sales.zordot";
    std::filesystem::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", file);
    const std::string bytes = zor::test::Slurp(file);
    const auto time = std::filesystem::last_write_time(file);

    RunningProgram program;
    std::string why;
    ASSERT_TRUE(x().Launch(kProgram, {file}, sandbox, program, why)) << why;
    const unsigned long window = x().WaitForWindow("Квиллмарк", 20s);
    ASSERT_NE(window, 0u) << program.Wait(0ms).err;
    const std::optional<QRect> frame = x().WindowGeometry(window);
    ASSERT_TRUE(frame.has_value());
    // A point of the report window, right of the navigator and below the bars.
    const QPoint inside(frame->left() + frame->width() * 3 / 5, frame->top() + frame->height() * 3 / 5);

    // At zoom 1 the page covers the report window: the point lies on the page's white.
    QImage shot = x().ScreenshotWhen(
        [&](const QImage& image) { return !image.isNull() && ShareOf(image, inside, 3, qRgb(255, 255, 255)) > 0.5; },
        15s);
    ASSERT_FALSE(shot.isNull()) << "no page under the report window's centre";

    // Wheel down: the page shrinks into the middle of the window and the workspace shows round it.
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(x().Click(inside.x(), inside.y(), 5));
    const QPoint nearCorner(frame->right() - 40, frame->bottom() - 50);
    shot = x().ScreenshotWhen(
        [&](const QImage& image) {
            return !image.isNull() && ShareOf(image, nearCorner, 5, qRgb(255, 255, 255)) < 0.05 &&
                   ShareOf(image, nearCorner, 5, image.pixel(nearCorner)) > 0.9;
        },
        15s);
    ASSERT_FALSE(shot.isNull()) << "the page did not shrink away from the window's corner";

    // Exit is the last item of the File menu (right of the maximised report window's icon); nothing changed,
    // so nothing is asked.
    ASSERT_TRUE(x().Click(frame->left() + 30, frame->top() + 10));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(x().Key("Up"));
    ASSERT_TRUE(x().Key("Return"));
    const ProgramResult result = program.Wait(10s);
    EXPECT_FALSE(result.timedOut) << "a question kept the program open";
    EXPECT_EQ(result.exitStatus, 0) << "signal " << result.signal << "\n" << result.err;
    EXPECT_EQ(zor::test::Slurp(file), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file), time);
}

}  // namespace
}  // namespace quillmark_test
