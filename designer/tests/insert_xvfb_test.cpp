// The real program on a test X display with a window manager, driven by real input: the insert commands
// of "Вставка" draw a table of contents and a table continuation that the saved template keeps; Save As of
// a template writes a template under the new name, which the title bar then shows and Ctrl+S writes again;
// a page exported under the PNG type without an extension is a PNG file.
#include <filesystem>
#include <iostream>
#include <fstream>
#include <memory>
#include <thread>

#include "designer/frame/command_table.h"
#include "designer/tests/designer_x_fixture.h"
#include "platform/base/tempfile.h"
#include "report/model/table_map_element.h"

namespace quillmark_test {
namespace {

using namespace std::chrono_literals;

const std::string kExample = QM_SOURCE_DIR "/examples/sales.zordot";
// "Вставка" counted from the end of the menu bar: "Справка", "Окно", "Сервис", "Вид", "Вставка".
constexpr int kInsertFromEnd = 4;

// The kinds of the first sheet's elements in order, and whether its continuations found their table.
struct SheetFacts {
    bool opened = false;
    std::vector<int> kinds;
    int boundContinuations = 0;
    int tableSheet = -1;  // the first sheet holding a table
};

SheetFacts ReadSheet(const ProgramSandbox& sandbox, const std::string& path) {
    EnsureGuiApplication();
    zor::test::ScopedEnv transport{"ZOR_TRANSPORT_INI", sandbox.TransportIni()};
    zor::test::ScopedEnv config{"XDG_CONFIG_HOME", sandbox.ConfigDir()};  // the document writes the profile
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
    SheetFacts facts;
    quillmark::CQuillmarkDoc doc(nullptr);
    if (!doc.OnOpenDocument(path) || doc.Manager().GetSheetCount() == 0) return facts;
    for (int i = doc.Manager().GetSheetCount() - 1; i >= 0; --i) {
        CReportSheet* other = doc.Manager().GetSheet(i);
        other->LoadElementsFromFile();
        for (int e = 0; e < other->GetElementCount(); ++e)
            if (other->GetElement(e)->GetKind() == kElemTable) facts.tableSheet = i;
    }
    CReportSheet* sheet = doc.Manager().GetSheet(0);
    facts.opened = true;
    for (int i = 0; i < sheet->GetElementCount(); ++i) {
        CReportElement* element = sheet->GetElement(i);
        facts.kinds.push_back(element->GetKind());
        if (auto* continuation = dynamic_cast<CTableMapElement*>(element); continuation && continuation->GetTable())
            ++facts.boundContinuations;
    }
    return facts;
}

// Pixels of the rectangle that differ between two screenshots by more than a trace.
int ChangedPixels(const QImage& before, const QImage& after, const QRect& rect) {
    int changed = 0;
    for (int x = rect.left(); x <= rect.right(); ++x)
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (!before.valid(x, y) || !after.valid(x, y)) continue;
            const QRgb a = before.pixel(x, y), b = after.pixel(x, y);
            changed += std::abs(qGray(a) - qGray(b)) > 40;
        }
    return changed;
}

class InsertOnDisplay : public DesignerOnDisplay {
protected:
    // A desktop's window manager on the suite's display: real title bars, focus given as a desktop gives it.
    static void SetUpTestSuite() {
        DesignerOnDisplay::SetUpTestSuite();
        std::string why;
        if (HaveDisplay() && !x().StartWindowManager(why)) std::cerr << "no window manager: " << why << "\n";
    }

    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << Why();
        ASSERT_TRUE(MakeDesignerSandbox(sandbox, 10, 10, 1100, 850));
        file = sandbox.Work() + "/sales.zordot";
        std::filesystem::copy_file(kExample, file);
    }

    // Starts the program on the file and waits until its frame has the keyboard.
    void Start(const std::string& path) {
        std::string why;
        ASSERT_TRUE(x().Launch(kDesignerProgram, {path}, sandbox, program, why)) << why;
        windows = std::make_unique<DesignerWindows>(x(), program);
        window = DocumentWindow(20s);
        ASSERT_NE(window, 0u) << program.Wait(0ms).err;
        frame = x().ClientRect(window).value_or(QRect());
        ASSERT_TRUE(frame.isValid());
        Focus(*windows, window, Inside(frame));
    }
    // The program's main window once it shows a file ("Квиллмарк - [path : sheet]"); 0 when none shows.
    unsigned long DocumentWindow(std::chrono::milliseconds limit) {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            std::string out;
            x().XDo({"search", "--onlyvisible", "--pid", std::to_string(program.Pid()), "--name", "^Квиллмарк - \\["},
                    &out);
            std::istringstream ids(out);
            if (unsigned long id = 0; ids >> id && id) return id;
            std::this_thread::sleep_for(100ms);
        }
        return 0;
    }
    // The frame given the keyboard, and a popup of its menu bar opened by a click on its title.
    void OpenMenu(int title) {
        x().XDo({"windowactivate", "--sync", std::to_string(window)});
        ASSERT_TRUE(windows->OpenMenu(title));
    }
    void OpenInsertMenu() { OpenMenu(windows->LastMenu() - kInsertFromEnd); }
    // Waits for a window of the program other than the frame; 0 when none comes.
    unsigned long OtherWindow(const std::string& name, std::chrono::milliseconds limit) {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            std::string out;
            x().XDo({"search", "--onlyvisible", "--pid", std::to_string(program.Pid()), "--name", name}, &out);
            std::istringstream ids(out);
            for (unsigned long id = 0; ids >> id;)
                if (id != window) return id;
            std::this_thread::sleep_for(100ms);
        }
        return 0;
    }
    // Gives the window the keyboard and waits until it has it.
    bool Activate(unsigned long id) {
        for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
            x().XDo({"windowactivate", "--sync", std::to_string(id)});
            std::string out;
            if (x().XDo({"getactivewindow"}, &out) && std::strtoul(out.c_str(), nullptr, 10) == id) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    std::string Title() {
        std::string out;
        x().XDo({"getwindowname", std::to_string(window)}, &out);
        return out;
    }
    // Waits, bounded, until a file written now shows a later time than `time` (file times are coarser than
    // the clock), so that the next save can be told apart.
    bool ClockPasses(std::filesystem::file_time_type time) {
        const std::string probe = sandbox.Root() + "/clock";
        for (auto end = std::chrono::steady_clock::now() + 2s; std::chrono::steady_clock::now() < end;) {
            std::ofstream(probe) << '.';
            if (std::filesystem::last_write_time(probe) > time) return true;
            std::this_thread::yield();
        }
        return false;
    }
    void WaitForWrite(const std::string& path, std::filesystem::file_time_type before) {
        for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
            if (std::filesystem::exists(path) && std::filesystem::last_write_time(path) != before) return;
            std::this_thread::sleep_for(100ms);
        }
    }

    std::string file;
    RunningProgram program;
    std::unique_ptr<DesignerWindows> windows;
    unsigned long window = 0;
    QRect frame;
};

// "Вставка" ends with "Продолжение таблицы", "Рисунок" and "Содержание"; each tool draws its element, the
// continuation bound to the table chosen in "Выбор таблицы", and the saved template opens with both.
TEST_F(InsertOnDisplay, InsertCommandsDrawTheirElementsAndTheTemplateKeepsThem) {
    const SheetFacts before = ReadSheet(sandbox, file);
    ASSERT_TRUE(before.opened);
    ASSERT_GE(before.tableSheet, 0) << "the example has no table to continue";
    ASSERT_NO_FATAL_FAILURE(Start(file));

    const QRect contents(frame.left() + 420, frame.top() + 430, 180, 110);
    const QRect continuation(frame.left() + 680, frame.top() + 430, 180, 110);
    const QImage clean = x().Screenshot();
    ASSERT_FALSE(clean.isNull());

    ASSERT_NO_FATAL_FAILURE(OpenInsertMenu());
    ASSERT_TRUE(windows->Click(DesignerWindows::Command(quillmark::ID_TOOL_CONTENTS)));
    ASSERT_TRUE(windows->Drag(contents.topLeft(), contents.bottomRight()));

    ASSERT_NO_FATAL_FAILURE(OpenInsertMenu());
    ASSERT_TRUE(windows->Click(DesignerWindows::Command(quillmark::ID_TOOL_CONTINUATION)));
    ASSERT_TRUE(windows->Drag(continuation.topLeft(), continuation.bottomRight()));
    ASSERT_TRUE(windows->Shown("Выбор таблицы")) << "the continuation asked for no table";
    const unsigned long choice = OtherWindow("Выбор таблицы", 10s);
    ASSERT_NE(choice, 0u) << "the continuation asked for no table";
    ASSERT_TRUE(Activate(choice)) << "the window did not take the keyboard";
    for (int i = 0; i < before.tableSheet; ++i) ASSERT_TRUE(windows->Key("Down"));  // the sheet of the table
    ASSERT_TRUE(windows->Key("Tab"));  // from the sheet to its tables: the first becomes current
    ASSERT_TRUE(x().Key("Return"));
    ASSERT_TRUE(windows->Hidden("Выбор таблицы"));
    x().XDo({"windowactivate", "--sync", std::to_string(window)});

    // Each element shows where it was drawn.
    const QImage drawn = x().ScreenshotWhen(
        [&](const QImage& shot) {
            return ChangedPixels(clean, shot, contents) > 60 && ChangedPixels(clean, shot, continuation) > 60;
        },
        10s);
    EXPECT_GT(ChangedPixels(clean, drawn, contents), 60) << "no table of contents drawn";
    EXPECT_GT(ChangedPixels(clean, drawn, continuation), 60) << "no table continuation drawn";

    const auto time = std::filesystem::last_write_time(file);
    ASSERT_TRUE(windows->Key("ctrl+s"));
    WaitForWrite(file, time);
    ASSERT_NE(std::filesystem::last_write_time(file), time) << "Ctrl+S did not save";
    ASSERT_TRUE(Exit(*windows, program, window));

    const SheetFacts after = ReadSheet(sandbox, file);
    ASSERT_TRUE(after.opened);
    ASSERT_EQ(after.kinds.size(), before.kinds.size() + 2);
    EXPECT_EQ(after.kinds[after.kinds.size() - 2], kElemTableContent);
    EXPECT_EQ(after.kinds.back(), kElemTableMap);
    EXPECT_EQ(after.boundContinuations, before.boundContinuations + 1);

    // Opened again, the program draws both where they were.
    RunningProgram again;
    std::string why;
    ASSERT_TRUE(x().Launch(kDesignerProgram, {file}, sandbox, again, why)) << why;
    const unsigned long reopened = WindowOf(again, 20s);
    ASSERT_NE(reopened, 0u) << again.Wait(0ms).err;
    const QImage shown = x().ScreenshotWhen(
        [&](const QImage& shot) {
            return ChangedPixels(clean, shot, contents) > 60 && ChangedPixels(clean, shot, continuation) > 60;
        },
        15s);
    EXPECT_GT(ChangedPixels(clean, shown, contents), 60) << "the reopened template lost its contents";
    EXPECT_GT(ChangedPixels(clean, shown, continuation), 60) << "the reopened template lost its continuation";
    again.Wait(0ms);
}

// Save As of a template: a name typed without an extension becomes a template, the title bar names it,
// and the next Ctrl+S writes that file and leaves the first alone.
TEST_F(InsertOnDisplay, SaveAsOfATemplateKeepsTheTypeAndRenamesTheWindow) {
    ASSERT_NO_FATAL_FAILURE(Start(file));
    const std::string original = zor::test::Slurp(file);
    const auto originalTime = std::filesystem::last_write_time(file);

    ASSERT_NO_FATAL_FAILURE(OpenMenu(0));
    ASSERT_TRUE(windows->Click(DesignerWindows::Command(quillmark::ID_FILE_SAVE_AS)));
    ASSERT_TRUE(windows->Shown("Сохранить отчет как")) << "no save dialog";
    const unsigned long dialog = OtherWindow("Сохранить отчет как", 10s);
    ASSERT_NE(dialog, 0u) << "no save dialog";
    ASSERT_TRUE(Activate(dialog)) << "the window did not take the keyboard";
    // The name field holds the current path, selected: typing replaces it.
    ASSERT_TRUE(x().Key("ctrl+a"));
    // Latin letters: typing letters the keyboard map lacks goes through remapped keys, which can drop one.
    const std::string copy = sandbox.Work() + "/copy";
    ASSERT_TRUE(x().Type(copy));
    ASSERT_TRUE(x().Key("Return"));
    const std::string written = copy + ".zordot";
    for (auto end = std::chrono::steady_clock::now() + 10s;
         !std::filesystem::exists(written) && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(std::filesystem::exists(written)) << "no template written";
    EXPECT_FALSE(std::filesystem::exists(copy + ".zorrep"));
    EXPECT_FALSE(std::filesystem::exists(copy));

    std::string title;
    for (auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;) {
        if ((title = Title()).find("copy.zordot") != std::string::npos) break;
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_NE(title.find("copy.zordot"), std::string::npos) << title;
    EXPECT_EQ(title.find("sales.zordot"), std::string::npos) << title;

    x().XDo({"windowactivate", "--sync", std::to_string(window)});
    const auto copyTime = std::filesystem::last_write_time(written);
    ASSERT_TRUE(ClockPasses(copyTime)) << "a later write would show the same time";
    ASSERT_TRUE(windows->Key("ctrl+s"));
    WaitForWrite(written, copyTime);
    EXPECT_NE(std::filesystem::last_write_time(written), copyTime) << "Ctrl+S did not write the new file";
    EXPECT_EQ(std::filesystem::last_write_time(file), originalTime);
    EXPECT_EQ(zor::test::Slurp(file), original);
    EXPECT_TRUE(Exit(*windows, program, window));
}

// The current page exported under "Файлы PNG" with a name typed without an extension: a PNG file named
// .png, and no JPEG beside it.
TEST_F(InsertOnDisplay, PageExportedAsPngWithoutExtensionIsAPng) {
    ASSERT_NO_FATAL_FAILURE(Start(file));
    ASSERT_NO_FATAL_FAILURE(OpenMenu(0));
    ASSERT_TRUE(windows->Click("submenu-Экспорт"));
    ASSERT_TRUE(windows->Shown("QMenu"));
    ASSERT_TRUE(windows->Click(DesignerWindows::Command(quillmark::ID_EXPORT_PAGE)));  // "Текущая страница..."
    ASSERT_TRUE(windows->Shown("QFileDialog")) << "no save dialog";
    const unsigned long dialog = OtherWindow("Save", 10s);
    ASSERT_NE(dialog, 0u) << "no save dialog";
    ASSERT_TRUE(Activate(dialog)) << "the window did not take the keyboard";
    const std::string name = sandbox.Work() + "/page";
    ASSERT_TRUE(x().Type(name));
    // From the name to the file types; the fourth is PNG.
    ASSERT_TRUE(x().Key("Tab"));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(x().Key("Down"));
    ASSERT_TRUE(x().Key("Return"));
    const std::string png = name + ".png";
    for (auto end = std::chrono::steady_clock::now() + 15s;
         !std::filesystem::exists(png) && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(std::filesystem::exists(png)) << "no .png written";
    EXPECT_FALSE(std::filesystem::exists(name + ".jpg"));
    EXPECT_FALSE(std::filesystem::exists(name));
    const std::string bytes = zor::test::Slurp(png);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << "not a PNG file";

    // The completion box stands over the frame until answered.
    ASSERT_TRUE(windows->Shown("QMessageBox")) << "no completion box";
    ASSERT_TRUE(windows->Click("button-ОК"));
    ASSERT_TRUE(windows->Hidden("QMessageBox"));
    EXPECT_TRUE(Exit(*windows, program, window));
}

// A right click on an empty spot of the page opens the sheet's menu; "Страница целиком" chosen from it fits
// the page into the window, so the workspace shows where the page's white was.
TEST_F(InsertOnDisplay, SheetMenuRunsTheChosenCommand) {
    ASSERT_NO_FATAL_FAILURE(Start(file));
    const QRect corner(frame.right() - 70, frame.bottom() - 90, 20, 20);
    QImage shot = x().Screenshot();
    ASSERT_GT(ShareOf(shot, corner, qRgb(255, 255, 255)), 0.9) << "the page does not cover the window at first";
    // Above the report's title, inside the page: nothing there.
    ASSERT_TRUE(windows->ClickAt(QPoint(frame.left() + 320, frame.top() + 125), 3));
    ASSERT_TRUE(windows->Shown("QMenu")) << "no sheet menu";
    ASSERT_TRUE(windows->Key("Up"));  // "Масштаб 1:1"
    ASSERT_TRUE(windows->Key("Up"));  // "Страница целиком"
    ASSERT_TRUE(x().Key("Return"));
    shot = x().ScreenshotWhen([&](const QImage& image) { return ShareOf(image, corner, qRgb(255, 255, 255)) < 0.1; }, 10s);
    EXPECT_LT(ShareOf(shot, corner, qRgb(255, 255, 255)), 0.1) << "the page was not fitted";
    EXPECT_TRUE(Exit(*windows, program, window));
}

// The command lines of the program's children whose line holds `text` (the wait window is a helper process
// that gets its text as its argument).
std::vector<std::string> ChildrenSaying(int parent, const std::string& text) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream status(entry.path() / "status");
        int ppid = -1;
        for (std::string line; std::getline(status, line);)
            if (line.rfind("PPid:", 0) == 0) ppid = std::atoi(line.c_str() + 5);
        if (ppid != parent) continue;
        std::ifstream cmdline(entry.path() / "cmdline");
        std::string line((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        if (line.find(text) != std::string::npos) found.push_back(line);
    }
    return found;
}

// A gen_view run shows the report it has made with no "Инициализация..." window before it.
TEST_F(InsertOnDisplay, GenViewShowsTheReportWithoutAStartWaitWindow) {
    for (const char* ext : {".csv", ".par"})
        std::filesystem::copy_file(QM_SOURCE_DIR "/examples/sales" + std::string(ext), sandbox.Work() + "/sales" + ext);
    const std::string report = sandbox.Work() + "/out.zorrep";
    std::string why;
    ASSERT_TRUE(x().Launch(kDesignerProgram,
                           {"-gen_view", file, "-path=" + sandbox.Work() + "/sales", "-outfile=" + report}, sandbox,
                           program, why))
        << why;
    windows = std::make_unique<DesignerWindows>(x(), program);
    std::vector<std::string> waits;
    for (auto end = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < end;) {
        for (const std::string& line : ChildrenSaying(program.Pid(), "Инициализация")) waits.push_back(line);
        std::string out;
        x().XDo({"search", "--onlyvisible", "--pid", std::to_string(program.Pid()), "--name", "out.zorrep"}, &out);
        if (out.find_first_of("0123456789") != std::string::npos) break;
        std::this_thread::sleep_for(10ms);
    }
    window = DocumentWindow(1s);
    ASSERT_NE(window, 0u) << "the report was not shown\n" << program.Wait(0ms).err;
    EXPECT_TRUE(waits.empty()) << waits.front();
    EXPECT_TRUE(std::filesystem::exists(report));
    ASSERT_TRUE(windows->Shown("QMainWindow"));
    EXPECT_TRUE(Exit(*windows, program, window));
}

}  // namespace
}  // namespace quillmark_test
