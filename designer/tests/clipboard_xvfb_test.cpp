// The real program's clipboard and preview on a test X display: elements copied in one running program and
// pasted in a second one (checked in the second one's saved file), the page image copied from the menu and
// read back by another process (xclip), and the print preview opened from the menu.
#include <cstring>
#include <filesystem>
#include <thread>

#include <QBuffer>
#include <QImage>

#include "designer/tests/designer_x_fixture.h"

namespace quillmark_test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ClipboardOnDisplay : public DesignerOnDisplay {
protected:
    // xclip reading the clipboard in the given type ("TARGETS" lists the types offered).
    ProgramResult Xclip(const std::string& type) {
        ProgramRun run;
        run.program = "/usr/bin/xclip";
        run.args = {"-selection", "clipboard", "-t", type, "-o"};
        run.env = {{"DISPLAY", x().Display()}};
        run.timeout = 10s;
        return RunProgram(run);
    }
    // Waits, bounded, until the clipboard offers the type.
    bool ClipboardOffers(const std::string& type, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            const ProgramResult targets = Xclip("TARGETS");
            if (targets.exitStatus == 0 && targets.out.find(type) != std::string::npos) return true;
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }
};


TEST_F(ClipboardOnDisplay, ElementsCopiedInOneProgramPasteInAnother) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    if (!fs::exists("/usr/bin/xclip")) GTEST_SKIP() << "xclip is not installed";
    // Side by side: a click meant for one window never lands on the other.
    ASSERT_TRUE(MakeDesignerSandbox(sandbox, 10, 10, 620, 700));
    ProgramSandbox right;
    ASSERT_TRUE(MakeDesignerSandbox(right, 650, 10, 620, 700));
    const std::string from = sandbox.Work() + "/from.zordot", to = right.Work() + "/to.zordot";
    fs::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", from);
    fs::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", to);
    const std::string fromBytes = zor::test::Slurp(from);
    const FileFacts before = ReadFile(right, to);
    ASSERT_TRUE(before.opened);
    ASSERT_GT(before.elements, 0);

    RunningProgram first, second;
    std::string why;
    ASSERT_TRUE(x().Launch(kDesignerProgram, {from}, sandbox, first, why)) << why;
    DesignerWindows firstWindows(x(), first);
    const unsigned long one = WindowOf(first, 20s);
    ASSERT_NE(one, 0u) << first.Wait(0ms).err;
    const QRect frame = x().WindowGeometry(one).value_or(QRect());
    ASSERT_TRUE(frame.isValid());
    Focus(firstWindows, one, Inside(frame));
    ASSERT_TRUE(firstWindows.Key("ctrl+a"));
    ASSERT_TRUE(firstWindows.Key("ctrl+c"));
    ASSERT_TRUE(ClipboardOffers("ZOR_RC_DATA_FORMAT", 5s))
        << "the first program offered no elements: " << Xclip("TARGETS").out;

    ASSERT_TRUE(x().Launch(kDesignerProgram, {to}, right, second, why)) << why;
    DesignerWindows secondWindows(x(), second);
    const unsigned long two = WindowOf(second, 20s);
    ASSERT_NE(two, 0u) << second.Wait(0ms).err;
    const QRect frame2 = x().WindowGeometry(two).value_or(QRect());
    Focus(secondWindows, two, Inside(frame2));
    ASSERT_TRUE(secondWindows.Key("ctrl+v"));
    ASSERT_TRUE(secondWindows.ClickAt(Inside(frame2) - QPoint(50, 150)));
    const auto time = fs::last_write_time(to);
    ASSERT_TRUE(secondWindows.Key("ctrl+s"));
    for (auto end = std::chrono::steady_clock::now() + 10s;
         fs::last_write_time(to) == time && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    ASSERT_NE(fs::last_write_time(to), time) << "the second program did not save";

    EXPECT_TRUE(Exit(secondWindows, second, two)) << second.Wait(0ms).err;
    EXPECT_TRUE(Exit(firstWindows, first, one)) << "copying asked something on exit";
    const FileFacts after = ReadFile(right, to);
    ASSERT_TRUE(after.opened);
    EXPECT_EQ(after.elements, 2 * before.elements) << "every element of the first sheet pasted once";
    EXPECT_EQ(zor::test::Slurp(from), fromBytes) << "copying changed the first file";
}

// "Копировать изображение" (File, Export): another process reads a page-sized image and the enhanced
// metafile from the clipboard.
TEST_F(ClipboardOnDisplay, PageImageReadByAnotherProcess) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    if (!fs::exists("/usr/bin/xclip")) GTEST_SKIP() << "xclip is not installed";
    ASSERT_TRUE(MakeDesignerSandbox(sandbox));
    const std::string file = sandbox.Work() + "/sales.zordot";
    fs::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", file);
    const FileFacts facts = ReadFile(sandbox, file);
    ASSERT_TRUE(facts.opened);

    RunningProgram program;
    std::string why;
    ASSERT_TRUE(x().Launch(kDesignerProgram, {file}, sandbox, program, why)) << why;
    DesignerWindows windows(x(), program);
    const unsigned long window = WindowOf(program, 20s);
    ASSERT_NE(window, 0u) << program.Wait(0ms).err;
    const QRect frame = x().WindowGeometry(window).value_or(QRect());
    Focus(windows, window, Inside(frame));
    ASSERT_TRUE(windows.OpenMenu(0));
    ASSERT_TRUE(windows.Click("submenu-Экспорт"));
    ASSERT_TRUE(windows.Shown("QMenu"));
    ASSERT_TRUE(windows.Click(DesignerWindows::Command(quillmark::ID_COPY_PAGE_IMAGE)));
    ASSERT_TRUE(ClipboardOffers("image/emf", 10s)) << Xclip("TARGETS").out;

    const ProgramResult png = Xclip("image/png");
    ASSERT_EQ(png.exitStatus, 0) << png.err;
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.out.data()), int(png.out.size()), "PNG"));
    EXPECT_EQ(image.width(), facts.page.cx) << "one pixel per tenth of a millimetre";
    EXPECT_EQ(image.height(), facts.page.cy);
    // The page's interior is white, its border black.
    EXPECT_TRUE(RegionIs(image, QRect(image.width() / 2 - 5, 5, 10, 10), qRgb(255, 255, 255)));
    EXPECT_GT(ShareOf(image, QRect(0, image.height() / 2 - 20, 1, 40), qRgb(0, 0, 0)), 0.9);

    const ProgramResult emf = Xclip("image/emf");
    ASSERT_EQ(emf.exitStatus, 0) << emf.err;
    ASSERT_GE(emf.out.size(), 88u);
    uint32_t type = 0, signature = 0, bytes = 0;
    std::memcpy(&type, emf.out.data(), 4);
    std::memcpy(&signature, emf.out.data() + 40, 4);
    std::memcpy(&bytes, emf.out.data() + 48, 4);
    EXPECT_EQ(type, 1u) << "the header record comes first";
    EXPECT_EQ(signature, 0x464D4520u) << "\" EMF\"";
    EXPECT_EQ(bytes, emf.out.size());
    EXPECT_TRUE(Exit(windows, program, window));
}

// "Предварительный просмотр" from the File menu opens the preview window with the page drawn.
TEST_F(ClipboardOnDisplay, PreviewFromTheMenu) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    ASSERT_TRUE(MakeDesignerSandbox(sandbox));
    const std::string file = sandbox.Work() + "/sales.zordot";
    fs::copy_file(QM_SOURCE_DIR "/examples/sales.zordot", file);
    RunningProgram program;
    std::string why;
    ASSERT_TRUE(x().Launch(kDesignerProgram, {file}, sandbox, program, why)) << why;
    DesignerWindows windows(x(), program);
    const unsigned long window = WindowOf(program, 20s);
    ASSERT_NE(window, 0u) << program.Wait(0ms).err;
    const QRect frame = x().WindowGeometry(window).value_or(QRect());
    Focus(windows, window, Inside(frame));
    ASSERT_TRUE(windows.OpenMenu(0));
    ASSERT_TRUE(windows.Click(DesignerWindows::Command(quillmark::ID_FILE_PRINT_PREVIEW)));
    const unsigned long preview = x().WaitForWindow("Предварительный просмотр", 10s);
    ASSERT_NE(preview, 0u) << "no preview window";
    const std::optional<QRect> place = x().WindowGeometry(preview);
    ASSERT_TRUE(place.has_value());
    // Some paper is drawn in the preview: white somewhere in its middle.
    const QImage shot = x().ScreenshotWhen(
        [&](const QImage& image) { return FindColour(image, *place, qRgb(255, 255, 255)).width() > 50; }, 10s);
    EXPECT_GT(FindColour(shot, *place, qRgb(255, 255, 255)).width(), 50) << "no page in the preview";
    x().XDo({"windowfocus", "--sync", std::to_string(preview)});
    ASSERT_TRUE(x().Key("Escape"));
    ASSERT_TRUE(windows.Hidden("QDialog Предварительный просмотр"));
    EXPECT_TRUE(Exit(windows, program, window));
}

}  // namespace
}  // namespace quillmark_test
