// The real program on a test X display opening a template that carries report users: the login comes
// first, a wrong password brings it back after its message, and a user who may only view gets the report
// in view mode under his name; looking changes nothing, so Exit asks nothing and the file stays as it was.
#include <filesystem>
#include <fstream>

#include "controls/tests/x_suite.h"
#include "designer/tests/designer_sandbox.h"
#include "designer/tests/designer_windows.h"
#include "designer/users/report_user.h"
#include "platform/tests/test_support.h"
#include "report/tests/generation/template_builder.h"

namespace quillmark_test {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = QM_BIN_DIR "/quillmark";

bool WriteTemplateWithUsers(const std::string& path) {
    generation_test::TemplateBuilder b;
    if (!b.Ready()) return false;
    b.AddText(b.AddSheet(), CPoint(100, -100), CSize(800, 100), "Секретный отчет");
    // The viewer comes first, so the login offers him; the keys typed are plain letters, which xdotool
    // types reliably on any keyboard map.
    for (auto [name, password, mode] : {std::tuple{"Зритель", "view2", 1}, {"Иванов", "edit1", 15}}) {
        quillmark::CReportUser user(&b.Manager());
        user.name = name;
        if (!user.SetPassword(password)) return false;
        user.access_mode = mode;
        if (!user.Exchange(true)) return false;
    }
    return b.Save(path);
}

class UsersOnDisplay : public XSuiteTest {};

TEST_F(UsersOnDisplay, LoginComesFirstAndAViewerOnlyViews) {
    if (!HaveDisplay()) GTEST_SKIP() << Why();
    ProgramSandbox sandbox;
    ASSERT_TRUE(MakeDesignerSandbox(sandbox));
    const std::string file = sandbox.Work() + "/secret.zordot";
    ASSERT_TRUE(WriteTemplateWithUsers(file));
    const std::string bytes = zor::test::Slurp(file);

    RunningProgram program;
    std::string why;
    ASSERT_TRUE(x().Launch(kProgram, {file}, sandbox, program, why)) << why;
    DesignerWindows windows(x(), program);
    const std::string kLogin = "QDialog Установка соединения с БД";
    ASSERT_TRUE(windows.Shown(kLogin, 20s)) << program.Wait(0ms).err;

    // Without a window manager nothing gives the dialogs the focus: each is focused, and the password field
    // clicked, before it is typed into.
    const auto enterPassword = [&](const char* password) {
        const unsigned long login = x().WaitForWindow("Установка соединения с БД", 10s);
        return login && x().XDo({"windowfocus", "--sync", std::to_string(login)}) && windows.Click("4001") &&
               x().Type(password) && x().Key("Return");
    };
    // The first user is chosen: a wrong password is refused, and the login comes back after the message.
    ASSERT_TRUE(enterPassword("neverthis"));
    ASSERT_TRUE(windows.Shown("QMessageBox Квиллмарк", 20s)) << "no message after a wrong password";
    ASSERT_TRUE(windows.Click("button-ОК"));
    ASSERT_TRUE(windows.Shown(kLogin, 20s)) << "the login did not come back after a wrong password";

    // Now with his password.
    ASSERT_TRUE(enterPassword("view2"));
    ASSERT_TRUE(windows.Shown("QMainWindow", 30s));
    const unsigned long window = x().WaitForWindow("Зритель", 30s);
    ASSERT_NE(window, 0u) << "no report window under the viewer's name";

    // Nothing was edited: Exit asks nothing and leaves the file as it was.
    ASSERT_TRUE(windows.OpenMenu(0));
    ASSERT_TRUE(windows.ClickOnly(DesignerWindows::Command(quillmark::ID_APP_EXIT)));
    const ProgramResult result = program.Wait(10s);
    EXPECT_FALSE(result.timedOut) << "a question kept the program open";
    EXPECT_EQ(result.exitStatus, 0) << "signal " << result.signal << "\n" << result.err;
    EXPECT_EQ(zor::test::Slurp(file), bytes);
}

}  // namespace
}  // namespace quillmark_test
