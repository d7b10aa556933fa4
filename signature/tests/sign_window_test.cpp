// The signature systems' dialogs in real windows: our small program on a test X server, driven with real
// mouse and keys, its screen taken from outside and checked by regions, and the configuration files
// read back afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include <QPalette>

#include "platform/gdi/screen_colors.h"
#include "signature/sign_systems_model.h"
#include "signature/tests/sig_test_support.h"
#include "testkit/program_report.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/signature_window";
// Qt's own file dialog, untranslated.
const std::string kFileDialogTitle = "^Open$";

class SignWindows : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!m_x.Start(why)) GTEST_SKIP() << why;
        ASSERT_TRUE(m_sandbox.Create());
        const QPalette palette = FixedSchemePalette();
        m_base = palette.color(QPalette::Base).rgb();
        m_text = palette.color(QPalette::Text).rgb();
        m_highlight = palette.color(QPalette::Highlight).rgb();
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }
    static std::string Describe(const ProgramResult& r) {
        return "exit " + std::to_string(r.exitStatus) + " signal " + std::to_string(r.signal) + "\n" + r.err;
    }
    // The configuration folders the program uses: the sandbox's user folder and a machine folder of its own.
    std::string MachineDir() const { return m_sandbox.Root() + "/machine"; }
    std::string UserDir() const { return m_sandbox.ConfigDir(); }

    // Row `i` of the list, the name column or the note column, inset from the cell's edges.
    QRect Cell(int row, int column) const {
        const QRect view = m_report.Place("viewport");
        const int h = m_report.Number("rowheight"), name = m_report.Number("namewidth");
        const QRect cell = column == 0 ? QRect(view.left(), view.top() + row * h, name, h)
                                       : QRect(view.left() + name, view.top() + row * h, view.width() - name, h);
        return cell.adjusted(2, 1, -2, -1);
    }
    // Whether the cell carries text (pixels of the text colour on its background).
    bool HasText(const QImage& shot, int row, int column) const {
        return !FindColour(shot, Cell(row, column), m_text, 60).isEmpty();
    }
    bool ClickCentre(const QRect& r) { return !r.isEmpty() && m_x.Click(r.center().x(), r.center().y()); }
    void Save(const QImage& shot, const std::string& name) {
        std::filesystem::create_directories(QM_BIN_DIR "/screenshots");
        shot.save(QString::fromStdString(std::string(QM_BIN_DIR "/screenshots/") + name + ".png"));
    }

    // Waits for the window with that title and answers it with a key, the pointer over it (no window
    // manager gives the focus). False when no such window shows.
    bool AnswerWindow(const std::string& title, const std::string& key) {
        const unsigned long window = m_x.WaitForWindow(title, 10s);
        const std::optional<QRect> place = window ? m_x.WindowGeometry(window) : std::nullopt;
        return place && m_x.MoveMouse(place->center().x(), place->center().y()) && m_x.Key(key);
    }
    void WriteTwoSystems() {
        sig::test::ConfigFolders::Write(MachineDir() + "/Veldcourt/SigilonCSP.ini",
                                        "[CSP 1]\nName=Alpha\nLibPath=/lib/alpha.so\n[CSP 2]\nName=Бета\nLibPath=/lib/beta.so\n");
        sig::test::ConfigFolders::Write(UserDir() + "/Veldcourt/Sigilon.ini", "[CSP]\nDefaultCSP=Alpha\n");
    }
    std::vector<std::string> RowsInFiles() const {
        zor::test::ScopedEnv home("XDG_CONFIG_HOME", UserDir()), dirs("XDG_CONFIG_DIRS", MachineDir());
        zor::RecordingMessageSink sink;
        std::vector<std::string> rows;
        for (const sig::SignSystemRow& row : sig::CSignSystemsModel(sink).Rows()) rows.push_back(row.name + "|" + row.note);
        return rows;
    }

    XSession m_x;
    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    ProgramReport m_report{m_program};
    QRgb m_base = 0, m_text = 0, m_highlight = 0;
};

// The list with two systems and its default; a system added through the properties dialog by typing its
// name, choosing its library in the file dialog and ticking the default box; the list and the files after.
TEST_F(SignWindows, ListAddThroughPropertiesAndMakeDefault) {
    std::string why;
    const std::string library = m_sandbox.Work() + "/gamma.so";
    std::filesystem::copy_file(SIG_ECHO_PLUGIN, library);
    WriteTwoSystems();

    ASSERT_TRUE(m_x.Launch(kProgram, {MachineDir()}, m_sandbox, m_program, why)) << why;
    ASSERT_TRUE(m_report.WaitFor("ready", 20s)) << Describe(m_program.Wait(0ms));
    ASSERT_GT(m_report.Number("rowheight"), 8);

    // Two systems, the first marked as the default; the third row is empty.
    QImage shot = m_x.ScreenshotWhen([&](const QImage& s) { return HasText(s, 1, 0); }, 5s);
    Save(shot, "sign_systems_list");
    EXPECT_TRUE(HasText(shot, 0, 0));
    EXPECT_TRUE(HasText(shot, 0, 1)) << "the default's note";
    EXPECT_TRUE(HasText(shot, 1, 0));
    EXPECT_FALSE(HasText(shot, 1, 1));
    EXPECT_TRUE(RegionIs(shot, Cell(2, 0).united(Cell(2, 1)), m_base, &why, 1.0, 3)) << why;

    // A click selects a row; Insert on the list opens the properties dialog for a new system.
    ASSERT_TRUE(ClickCentre(Cell(1, 0)));
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return ShareOf(s, Cell(1, 1), m_highlight, 3) > 0.9; }, 5s);
    EXPECT_TRUE(RegionIs(shot, Cell(1, 1), m_highlight, &why, 0.9, 3)) << "the selected row: " << why;
    ASSERT_TRUE(m_x.Key("Insert"));
    ASSERT_TRUE(m_report.WaitFor("props-ready", 10s)) << "no properties dialog";
    const QRect name = m_report.Place("props.14005"), path = m_report.Place("props.14006");
    ASSERT_FALSE(name.isEmpty());
    ASSERT_FALSE(path.isEmpty());

    // The name typed; the library chosen in the file dialog by typing its path.
    ASSERT_TRUE(ClickCentre(name));
    ASSERT_TRUE(m_x.Type("Gamma"));
    ASSERT_TRUE(ClickCentre(m_report.Place("props.14007")));
    ASSERT_NE(m_x.WaitForWindow(kFileDialogTitle, 10s), 0ul) << "no file dialog";
    ASSERT_TRUE(m_x.Type(library));
    ASSERT_TRUE(m_x.Key("Return"));
    // A check box takes clicks on its box and label only.
    const QRect box = m_report.Place("props.14004");
    const QRect indicator(box.left(), box.top(), 16, box.height());
    ASSERT_TRUE(m_x.Click(indicator.center().x(), indicator.center().y()));
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return !FindColour(s, path.adjusted(2, 2, -2, -2), m_text, 60).isEmpty(); }, 5s);
    Save(shot, "sign_system_props");
    EXPECT_FALSE(FindColour(shot, name.adjusted(2, 2, -2, -2), m_text, 60).isEmpty()) << "the typed name";
    EXPECT_FALSE(FindColour(shot, path.adjusted(2, 2, -2, -2), m_text, 60).isEmpty()) << "the chosen library";
    EXPECT_FALSE(FindColour(shot, indicator, m_text, 60).isEmpty()) << "the default box's tick";

    // OK: the list is filled again with the new system as the default.
    ASSERT_TRUE(ClickCentre(m_report.Place("props.1")));
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return HasText(s, 2, 0) && !HasText(s, 0, 1); }, 5s);
    Save(shot, "sign_systems_added");
    EXPECT_TRUE(HasText(shot, 2, 0));
    EXPECT_TRUE(HasText(shot, 2, 1)) << "the new default's note";
    EXPECT_FALSE(HasText(shot, 0, 1)) << "the old default keeps its note";
    EXPECT_TRUE(m_report.LinesStarting("message").empty()) << m_report.LinesStarting("message")[0];

    // Exit ends the program.
    ASSERT_TRUE(ClickCentre(m_report.Place("list.2")));
    ASSERT_TRUE(m_report.WaitFor("done", 5s));
    const ProgramResult result = m_program.Wait(10s);
    EXPECT_EQ(result.exitStatus, 0) << Describe(result);

    // The files say the same.
    EXPECT_EQ(RowsInFiles(), (std::vector<std::string>{"Alpha|", "Бета|", "Gamma|По умолчанию"}));
    zor::test::ScopedEnv home("XDG_CONFIG_HOME", UserDir()), dirs("XDG_CONFIG_DIRS", MachineDir());
    zor::RecordingMessageSink sink;
    EXPECT_EQ(sig::CSignSystemsModel(sink).PropsOf("Gamma").path, library);
}

// A double click opens a system's properties; the reserved name is refused in a real message box and
// nothing is written. Delete on the default asks in a real box; Yes removes it and its default mark.
TEST_F(SignWindows, DoubleClickRefusesTheReservedNameAndDeleteAsks) {
    std::string why;
    WriteTwoSystems();
    ASSERT_TRUE(m_x.Launch(kProgram, {MachineDir()}, m_sandbox, m_program, why)) << why;
    ASSERT_TRUE(m_report.WaitFor("ready", 20s)) << Describe(m_program.Wait(0ms));

    const QRect beta = Cell(1, 0);
    ASSERT_TRUE(m_x.MoveMouse(beta.center().x(), beta.center().y()));
    ASSERT_TRUE(m_x.XDo({"click", "--repeat", "2", "--delay", "80", "1"}));
    ASSERT_TRUE(m_report.WaitFor("props-ready", 10s)) << "a double click opened no properties";
    ASSERT_NE(m_x.WaitForWindow("^Свойства системы ЭЦП$", 5s), 0ul);
    const QRect name = m_report.Place("props.14005");
    QImage shot = m_x.Screenshot();
    EXPECT_FALSE(FindColour(shot, name.adjusted(2, 2, -2, -2), m_text, 60).isEmpty()) << "the system's name";

    // The name replaced by the reserved one: Apply is refused with a box and the dialog stays.
    ASSERT_TRUE(ClickCentre(name));
    ASSERT_TRUE(m_x.Key("ctrl+a"));
    ASSERT_TRUE(m_x.Type("DefaultCSP"));
    ASSERT_TRUE(ClickCentre(m_report.Place("props.1")));
    ASSERT_TRUE(AnswerWindow("^Ошибка$", "Return")) << "no error box";
    EXPECT_EQ(m_report.LinesStarting("message"),
              std::vector<std::string>{"message Имя «DefaultCSP» зарезервировано. "});
    // Exit leaves the system as it was.
    ASSERT_TRUE(ClickCentre(m_report.Place("props.2")));
    EXPECT_EQ(RowsInFiles(), (std::vector<std::string>{"Alpha|По умолчанию", "Бета|"}));

    // Delete on the default, answered Yes in the box.
    ASSERT_TRUE(ClickCentre(Cell(0, 0)));
    ASSERT_TRUE(m_x.Key("Delete"));
    ASSERT_TRUE(AnswerWindow("^Удаление системы$", "Return")) << "no question";
    shot = m_x.ScreenshotWhen([&](const QImage& s) { return !HasText(s, 1, 0); }, 5s);
    Save(shot, "sign_systems_deleted");
    EXPECT_TRUE(HasText(shot, 0, 0));
    EXPECT_FALSE(HasText(shot, 0, 1)) << "no default is left";
    EXPECT_FALSE(HasText(shot, 1, 0));
    EXPECT_EQ(RowsInFiles(), std::vector<std::string>{"Бета|"});

    // Esc closes the list.
    ASSERT_TRUE(m_x.Key("Escape"));
    ASSERT_TRUE(m_report.WaitFor("done", 5s));
    EXPECT_EQ(m_program.Wait(10s).exitStatus, 0);
}

}  // namespace
