// The real program in real windows on a test X display with a window manager: a first start on an empty
// profile opens at a size a person can work in, title bar included; the page set-up's split and fit,
// ticked in the dialog, are there after a restart (OK there keeps them) and split reaches printing from
// the command line; "Настройка принтера..." opens with and without a report; the open dialog's buttons
// are the Russian ones.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include <QSettings>

#include "controls/tests/x_suite.h"
#include "designer/tests/designer_windows.h"
#include "designer/tests/print_fixture.h"
#include "platform/tests/test_support.h"

namespace quillmark_test {
namespace {

using namespace std::chrono_literals;
using print_test::Bar;

const std::string kProgram = QM_BIN_DIR "/quillmark";

std::string Describe(const ProgramResult& r) {
    return "exit " + std::to_string(r.exitStatus) + " signal " + std::to_string(r.signal) + "\n" + r.err;
}

class PrintOnDisplay : public XSuiteTest {
protected:
    // A desktop's window manager on the suite's display: real title bars and close boxes, and the sizes a
    // person sees are the manager's frames.
    static void SetUpTestSuite() {
        XSuiteTest::SetUpTestSuite();
        if (HaveDisplay() && !x().StartWindowManager(s_noWm)) std::cerr << "no window manager: " << s_noWm << "\n";
    }
    static bool HaveWindowManager() { return s_noWm.empty(); }

    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << Why();
        ASSERT_TRUE(m_sandbox.Create());
    }
    void TearDown() override {
        if (m_program && m_program->Running()) m_program->Wait(0ms);
    }

    std::string Profile() const { return m_sandbox.ConfigDir() + "/Veldcourt/Квиллмарк.ini"; }
    int ProfileInt(const char* key) const {
        return QSettings(QString::fromStdString(Profile()), QSettings::IniFormat).value(key, -1).toInt();
    }

    // Starts the program on the file and waits for its window, framed by the window manager when one runs;
    // the window's inside on the screen.
    QRect Start(const std::vector<std::string>& args, const std::string& title) {
        std::string why;
        if (m_program && m_program->Running()) m_program->Wait(0ms);
        m_program = std::make_unique<RunningProgram>();
        EXPECT_TRUE(x().Launch(kProgram, args, m_sandbox, *m_program, why)) << why;
        m_windows = std::make_unique<DesignerWindows>(x(), *m_program);
        EXPECT_TRUE(m_windows->Shown("QMainWindow", 20s));
        m_window = x().WaitForWindow(title, 20s);
        EXPECT_NE(m_window, 0u) << Describe(m_program->Wait(0ms));
        if (!m_window) return {};
        for (auto end = std::chrono::steady_clock::now() + 5s; HaveWindowManager();) {
            const std::optional<QRect> frame = x().FrameRect(m_window), inside = x().ClientRect(m_window);
            if ((frame && inside && *frame != *inside) || std::chrono::steady_clock::now() >= end) break;
            std::this_thread::sleep_for(50ms);
        }
        return x().ClientRect(m_window).value_or(QRect());
    }

    // Waits until the program has shown the window of that title and, when a window manager runs, until
    // the window has the keyboard (the manager gives it).
    void Settle(unsigned long window, const std::string& title) {
        EXPECT_TRUE(m_windows->Shown(title));
        if (HaveWindowManager()) {
            EXPECT_TRUE(x().WaitUntilActive(window, 10s)) << "the window did not take the keyboard";
        }
    }
    // Waits up to ten seconds until no window of that name shows.
    bool WaitGone(const std::string& name) {
        for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
            std::string out;
            x().XDo({"search", "--onlyvisible", "--name", name}, &out);
            if (out.find_first_of("0123456789") == std::string::npos) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    // A command of the File menu, chosen by a click on its item.
    bool FileMenuCommand(int id) {
        return m_windows->OpenMenu(0) && m_windows->Click(DesignerWindows::Command(id));
    }

    // The page set-up from the File menu, each box in `toggle` (0 fit, 1 split) reached by Tab from the size
    // combo that has the focus and ticked or cleared, then OK.
    void TogglePageSetup(const std::vector<int>& toggle) {
        ASSERT_TRUE(FileMenuCommand(quillmark::ID_FILE_PAGE_SETUP));
        const unsigned long dialog = x().WaitForWindow("Настройка страницы", 10s);
        ASSERT_NE(dialog, 0u) << "no page set-up";
        Settle(dialog, "Настройка страницы");
        // Size combo, two size edits, the orientation, four margins: the fit box is eighth, split ninth.
        int at = 0;
        for (int box : toggle) {
            const int target = 8 + box;
            for (; at < target; ++at) ASSERT_TRUE(x().Key("Tab"));
            ASSERT_TRUE(x().Key("space"));
        }
        Keep("page-setup");
        ASSERT_TRUE(x().Key("Return"));
    }

public:
    // Starts the program, opens "Открыть..." from the File menu, hands the dialog's place on the screen to
    // `look`, then closes the dialog and the program.
    template <class Look>
    void WithOpenDialog(Look look) {
        const QRect frame = Start({}, "Квиллмарк");
        ASSERT_TRUE(frame.isValid());
        ASSERT_TRUE(FileMenuCommand(quillmark::ID_FILE_OPEN));
        const unsigned long dialog = x().WaitForWindow("Открыть", 10s);
        ASSERT_NE(dialog, 0u) << "no open dialog";
        Settle(dialog, "Открыть");
        const std::optional<QRect> place = x().ClientRect(dialog);
        ASSERT_TRUE(place.has_value());
        // The dialog is drawn once its inside no longer reads back black (what an unpainted window shows)
        // and two pictures of it in a row are alike.
        QImage last;
        for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
            const QImage now = x().Screenshot().copy(*place);
            const bool drawn = !now.isNull() && ShareOf(now, now.rect(), qRgb(0, 0, 0)) < 0.5;
            if (drawn && now == last) break;
            last = drawn ? now : QImage();
        }
        look(*place);
        ASSERT_TRUE(x().Key("Escape"));
        ASSERT_TRUE(WaitGone("Открыть")) << "the open dialog stays";
        Quit();
    }

    // QM_KEEP_SHOTS=folder keeps a picture of the screen at the named step.
    void Keep(const std::string& step) {
        if (const char* keep = std::getenv("QM_KEEP_SHOTS"))
            x().Screenshot().save(QString::fromStdString(std::string(keep) + "/" + step + ".png"));
    }

    // Exit from the File menu; a changed report asks to be saved first, and is not (Escape answers No).
    // Split and fit alone change nothing in the report.
protected:
    void Quit(bool changed = false) {
        ASSERT_TRUE(m_windows->OpenMenu(0));
        ASSERT_TRUE(m_windows->ClickOnly(DesignerWindows::Command(quillmark::ID_APP_EXIT)));
        if (changed) {
            const unsigned long question = x().WaitForWindow("^Квиллмарк$", 10s);
            ASSERT_NE(question, 0u) << "no question to save";
            Settle(question, "QMessageBox");
            ASSERT_TRUE(x().Key("Escape"));
        }
        const ProgramResult r = m_program->Wait(10s);
        EXPECT_FALSE(r.timedOut) << "still running after Exit";
    }

    ProgramSandbox m_sandbox;
    std::unique_ptr<RunningProgram> m_program;
    std::unique_ptr<DesignerWindows> m_windows;  // what the running program says of its windows
    unsigned long m_window = 0;  // the program's main window since the last start

private:
    static inline std::string s_noWm;  // why no window manager runs; empty when one does
};

TEST_F(PrintOnDisplay, AFirstStartOnAnEmptyProfileOpensLarge) {
    const QRect inside = Start({}, "Квиллмарк");
    ASSERT_TRUE(inside.isValid());
    // What a person sees: the window manager's frame, title bar and all.
    const QRect frame = x().FrameRect(m_window).value_or(QRect());
    ASSERT_TRUE(frame.isValid());
    Keep("first-start");
    if (HaveWindowManager()) {
        EXPECT_GT(frame.height(), inside.height()) << "no title bar over the window";
    }
    EXPECT_GE(frame.width(), 1000) << "on a 1280 x 1024 screen";
    EXPECT_GE(frame.height(), 700);
    EXPECT_TRUE(QRect(0, 0, 1280, 1024).contains(frame))
        << frame.x() << ", " << frame.y() << " " << frame.width() << " x " << frame.height();
    Quit();
    // What it saved is what the next start shows.
    EXPECT_EQ(ProfileInt("MainFrame/Screen_CX"), inside.width());
    const QRect again = Start({}, "Квиллмарк");
    EXPECT_EQ(again.size(), inside.size());
    EXPECT_EQ(x().FrameRect(m_window).value_or(QRect()).size(), frame.size());
}

TEST_F(PrintOnDisplay, PageSetupSplitAndFitSurviveARestartAndReachPrinting) {
    // A page two A4 papers wide and high: split prints it on four papers, else it goes on one.
    print_test::ReportPlan plan;
    plan.page = CSize(5940, 4200);
    plan.area = CRect(0, 0, 5930, 4190);
    plan.fit = -1;  // the switches come from the profile alone
    const Bar far{4000, -3000};
    plan.sheets = {{far}};
    const std::string report = m_sandbox.Work() + "/double.zorrep";
    std::string error;
    ASSERT_TRUE(print_test::WriteReport(report, plan, error)) << error;

    QRect frame = Start({report}, "double\\.zorrep");
    ASSERT_TRUE(frame.isValid());
    TogglePageSetup({0});
    Quit();
    EXPECT_EQ(ProfileInt("PrintParams/fit_to_page"), 1);
    EXPECT_EQ(ProfileInt("PrintParams/split_page"), 0);

    // The next start shows fit ticked: OK after ticking split keeps both.
    frame = Start({report}, "double\\.zorrep");
    ASSERT_TRUE(frame.isValid());
    TogglePageSetup({1});
    Quit();
    EXPECT_EQ(ProfileInt("PrintParams/fit_to_page"), 1);
    EXPECT_EQ(ProfileInt("PrintParams/split_page"), 1);

    if (print_test::RunCommand("command -v pdftoppm >/dev/null && command -v pdfinfo >/dev/null").first != 0)
        GTEST_SKIP() << "poppler-utils (pdftoppm, pdfinfo) are not installed";
    zor::test::ScopedTempDir cups;
    print_test::PrivateCupsQueue queue;
    std::string why;
    if (!queue.Start(cups.Path(), why)) GTEST_SKIP() << why;
    struct Case {
        int split;
        int pages;
    } cases[] = {{1, 4}, {0, 1}};
    for (const Case& c : cases) {
        {
            QSettings profile(QString::fromStdString(Profile()), QSettings::IniFormat);
            profile.setValue("PrintParams/split_page", c.split);
        }
        std::filesystem::remove(queue.Output());
        ProgramRun run;
        run.program = kProgram;
        run.args = {"-p", report};
        run.env = {{"CUPS_SERVER", queue.Socket()}, {"LPDEST", std::nullopt}, {"PRINTER", std::nullopt},
                   {"QT_QPA_PLATFORM", "offscreen"}};
        for (const auto& change : m_sandbox.Environment()) run.env.push_back(change);
        const ProgramResult r = RunProgram(run);
        ASSERT_EQ(r.exitStatus, 0) << Describe(r);
        ASSERT_TRUE(queue.WaitForOutput(30000)) << "nothing printed within 30 s";
        EXPECT_EQ(print_test::ReadPdfInfo(queue.Output()).pages, c.pages) << "split " << c.split;
        if (c.split) continue;
        const std::string folder = cups.Path() + "/pages";
        std::filesystem::create_directories(folder);
        const auto pages = print_test::RenderPdf(queue.Output(), 50, folder);
        ASSERT_EQ(pages.size(), 1u);
        // The whole sheet on the one paper: its far bar is printed.
        EXPECT_LT(pages[0].Darkest(0, 0, pages[0].width, pages[0].height), 100) << "the sheet's bar is not on the paper";
    }
}

TEST_F(PrintOnDisplay, PrinterSetUpOpensFromTheFileMenuWithAndWithoutAReport) {
    // A start without a file makes a new report.
    const QRect frame = Start({}, "Квиллмарк");
    ASSERT_TRUE(frame.isValid());
    struct Step {
        const char* what;
        bool close;  // "Закрыть" first
    } steps[] = {{"with a report", false}, {"with none", true}};
    for (const Step& step : steps) {
        if (step.close) {
            ASSERT_TRUE(FileMenuCommand(quillmark::ID_FILE_CLOSE));
            // The closed report leaves the title bar.
            ASSERT_NE(x().WaitForWindow("^Квиллмарк$", 10s), 0u) << "the report stays open";
        }
        ASSERT_TRUE(FileMenuCommand(quillmark::ID_FILE_PRINT_SETUP));
        const unsigned long dialog = x().WaitForWindow("Настройка принтера", 10s);
        EXPECT_NE(dialog, 0u) << step.what;
        if (dialog) Settle(dialog, "Настройка принтера");
        Keep(std::string("printer-setup-") + step.what);
        ASSERT_TRUE(x().Key("Escape"));
        ASSERT_TRUE(WaitGone("Настройка принтера")) << step.what;
    }
    Quit();
}

// The open dialog's buttons (the lower right corner of the dialog) as the program shows them with the
// user's languages set to `languages` (unset: the machine's locale as it is).
QImage OpenDialogButtons(PrintOnDisplay& test, XSession& x, std::optional<std::string> languages);

TEST_F(PrintOnDisplay, TheOpenDialogSpeaksRussian) {
    // Russian asked for, the locale as it is (falling back to Russian), and English: the buttons read the
    // same in the first two, and otherwise in English.
    const QImage russian = OpenDialogButtons(*this, x(), "ru");
    const QImage plain = OpenDialogButtons(*this, x(), std::nullopt);
    const QImage english = OpenDialogButtons(*this, x(), "en");
    ASSERT_FALSE(russian.isNull() || plain.isNull() || english.isNull());
    EXPECT_TRUE(plain == russian) << "the open dialog's buttons are not the Russian ones";
    EXPECT_FALSE(english == russian) << "English and Russian buttons look alike: the look proves nothing";
}

QImage OpenDialogButtons(PrintOnDisplay& test, XSession& x, std::optional<std::string> languages) {
    const zor::test::ScopedEnv language("LANGUAGE", languages);
    QImage buttons;
    test.WithOpenDialog([&](const QRect& dialog) {
        const QImage shot = x.Screenshot();
        buttons = shot.copy(QRect(dialog.right() - 220, dialog.bottom() - 70, 220, 70).intersected(shot.rect()));
        test.Keep("open-dialog-" + languages.value_or("locale"));
    });
    return buttons;
}

}  // namespace
}  // namespace quillmark_test
