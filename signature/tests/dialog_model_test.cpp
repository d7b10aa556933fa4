// The administration dialogs' logic, without widgets: adding, changing and deleting systems, and the
// properties dialog's checks.
#include "signature/sign_systems_model.h"
#include "signature/tests/sig_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>

#include <sys/resource.h>

namespace {

using sig::CSignSystemPropsModel;
using sig::CSignSystemsModel;
using sig::CspSystem;
using sig::SignSystemProps;
using sig::test::ConfigFolders;

std::string Rows(const CSignSystemsModel& model) {
    std::string out;
    for (const sig::SignSystemRow& row : model.Rows())
        out += (out.empty() ? "" : ", ") + row.name + (row.note.empty() ? "" : " (" + row.note + ")");
    return out;
}

TEST(SignSystemsModel, CommandsAsTheDialogRunsThem) {
    using Act = std::function<bool(CSignSystemsModel&)>;
    struct Row {
        const char* what;
        std::vector<CspSystem> systems;
        std::optional<std::string> defaultName;  // nullopt: no user file
        std::vector<int> answers;                // to the questions, in order
        Act act;
        bool refill;
        const char* rows;
        std::optional<std::string> defaultAfter;  // the user file's default; nullopt: no user file
        std::vector<std::string> questions;       // the texts asked or shown
    };
    const std::vector<CspSystem> two = {{"Alpha", "/lib/alpha.so"}, {"Бета", "/lib/beta.so"}};
    const Row rows[] = {
        {"an empty configuration", {}, std::nullopt, {}, [](auto&) { return false; }, false, "", std::nullopt, {}},
        {"a first system, made the default", {}, std::nullopt, {},
         [](auto& m) { return m.Add({"Alpha", "/lib/alpha.so", true}); }, true, "Alpha (По умолчанию)", "Alpha", {}},
        {"the same name and path in other case, with the box ticked", two, "Бета", {},
         [](auto& m) { return m.Add({"Alpha", "/LIB/Alpha.SO", true}); }, false, "Alpha, Бета (По умолчанию)", "Бета",
         {}},
        {"a registered name with another path, kept", two, "", {IDNO},
         [](auto& m) { return m.Add({"Alpha", "/lib/other.so", false}); }, false, "Alpha, Бета", "",
         {"Криптографическая система с наименованием Alpha уже существует. \n\nПереопределить Alpha?"}},
        {"a registered name with another path, replaced", two, "", {IDYES},
         [](auto& m) { return m.Add({"Alpha", "/lib/other.so", true}); }, true, "Alpha (По умолчанию), Бета", "Alpha",
         {"Криптографическая система с наименованием Alpha уже существует. \n\nПереопределить Alpha?"}},
        {"a new name for a registered library, the old one the default, answered Yes", two, "Бета", {IDYES},
         [](auto& m) { return m.Add({"Гамма", "/lib/BETA.so", false}); }, true, "Alpha, Гамма", "",
         {"/lib/BETA.so является библиотекой для криптографической системы Бета. \n\nПереименовать Бета?"}},
        {"the same, with the box ticked", two, "Бета", {IDYES},
         [](auto& m) { return m.Add({"Гамма", "/lib/beta.so", true}); }, true, "Alpha, Гамма (По умолчанию)", "Гамма",
         {"/lib/beta.so является библиотекой для криптографической системы Бета. \n\nПереименовать Бета?"}},
        {"the same, answered No", two, "Бета", {IDNO},
         [](auto& m) { return m.Add({"Гамма", "/lib/beta.so", true}); }, false, "Alpha, Бета (По умолчанию)", "Бета",
         {"/lib/beta.so является библиотекой для криптографической системы Бета. \n\nПереименовать Бета?"}},
        {"renaming the default, the box cleared", two, "Бета", {},
         [](auto& m) { return m.ApplyProperties({"Бета", "/lib/beta.so", true}, {"Дельта", "/lib/beta.so", false}); },
         true, "Alpha, Дельта", "", {}},
        {"renaming the default, the box ticked", two, "Бета", {},
         [](auto& m) { return m.ApplyProperties({"Бета", "/lib/beta.so", true}, {"Дельта", "/lib/beta.so", true}); },
         true, "Alpha, Дельта (По умолчанию)", "Дельта", {}},
        {"a new path", two, std::nullopt, {},
         [](auto& m) { return m.ApplyProperties(m.PropsOf("Alpha"), {"Alpha", "/lib/alpha2.so", false}); }, true,
         "Alpha, Бета", std::nullopt, {}},
        {"made the default, the user file new", two, std::nullopt, {},
         [](auto& m) { return m.ApplyProperties(m.PropsOf("Alpha"), {"Alpha", "/lib/alpha.so", true}); }, true,
         "Alpha (По умолчанию), Бета", "Alpha", {}},
        {"the default mark cleared", two, "Alpha", {},
         [](auto& m) { return m.ApplyProperties(m.PropsOf("Alpha"), {"Alpha", "/lib/alpha.so", false}); }, true,
         "Alpha, Бета", "", {}},
        {"nothing changed", two, "Alpha", {},
         [](auto& m) { return m.ApplyProperties(m.PropsOf("Alpha"), {"Alpha", "/LIB/alpha.so", true}); }, false,
         "Alpha (По умолчанию), Бета", "Alpha", {}},
        {"the name spelt in capitals takes the new spelling, the default mark with it", two, "Alpha", {},
         [](auto& m) { return m.ApplyProperties(m.PropsOf("Alpha"), {"ALPHA", "/lib/alpha.so", true}); }, true,
         "ALPHA (По умолчанию), Бета", "ALPHA", {}},
        {"deleting the default", two, "Бета", {IDYES}, [](auto& m) { return m.Delete("Бета"); }, true, "Alpha", "",
         {"Вы действительно хотите удалить Бета?"}},
        {"deleting, answered No", two, "Бета", {IDNO}, [](auto& m) { return m.Delete("Бета"); }, false,
         "Alpha, Бета (По умолчанию)", "Бета", {"Вы действительно хотите удалить Бета?"}},
        {"deleting the default without a user file", two, std::nullopt, {IDYES},
         [](auto& m) { return m.Delete("Alpha"); }, true, "Бета", std::nullopt,
         {"Вы действительно хотите удалить Alpha?"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ConfigFolders folders;
        if (!r.systems.empty()) folders.WriteSystems(r.systems);
        if (r.defaultName) folders.WriteDefault(*r.defaultName);
        const std::string listBefore = zor::test::Slurp(folders.SystemsFile());
        zor::RecordingMessageSink sink;
        for (int answer : r.answers) sink.QueueAnswer(answer);
        CSignSystemsModel model(sink);
        EXPECT_EQ(r.act(model), r.refill);
        EXPECT_EQ(Rows(model), r.rows);
        if (r.defaultAfter) {
            EXPECT_EQ(zor::test::Slurp(folders.UserFile()), "[CSP]\nDefaultCSP=" + *r.defaultAfter + "\n");
        } else {
            EXPECT_FALSE(std::filesystem::exists(folders.UserFile()));
        }
        EXPECT_EQ(sink.Texts(), r.questions);
        for (const auto& m : sink.Messages()) EXPECT_EQ(m.type, unsigned(MB_YESNO | MB_ICONWARNING));
        if (!r.refill) {
            EXPECT_EQ(zor::test::Slurp(folders.SystemsFile()), listBefore);
        }
    }
}

TEST(SignSystemsModel, AFailedWriteLosesNothingAndSaysSo) {
    ConfigFolders folders;
    folders.WriteSystems({{"Alpha", "/lib/alpha.so"}});
    folders.WriteDefault("Alpha");
    // The list's folder lies under a plain file: no one can write there, root included.
    const std::string blocked = folders.Path("blocked");
    ConfigFolders::Write(blocked, "x");
    zor::RecordingMessageSink sink;
    CSignSystemsModel model(sink, sig::CspConfigFiles{blocked + "/SigilonCSP.ini", folders.UserFile()});
    EXPECT_TRUE(model.Add({"Beta", "/lib/beta.so", true}));
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].caption, "Ошибка");
    EXPECT_NE(sink.Messages()[0].text.find("Настройки систем ЭЦП не удалось записать:\n" + blocked + "/SigilonCSP.ini"),
              std::string::npos)
        << sink.Messages()[0].text;
    // The default still names a system that exists.
    EXPECT_EQ(zor::test::Slurp(folders.UserFile()), "[CSP]\nDefaultCSP=Alpha\n");

    EXPECT_EQ(Rows(CSignSystemsModel(sink)), "Alpha (По умолчанию)");
}

// A rename is one write of the list: when it fails half way, the old system is still there.
TEST(SignSystemsModel, ARenameThatCannotBeWrittenKeepsTheOldSystem) {
    ConfigFolders folders;
    folders.WriteSystems({{"Alpha", "/lib/alpha.so"}, {"Бета", "/lib/beta.so"}});
    folders.WriteDefault("Alpha");
    const std::string listBefore = zor::test::Slurp(folders.SystemsFile());
    zor::RecordingMessageSink sink;
    CSignSystemsModel model(sink);
    const SignSystemProps old = model.PropsOf("Alpha");

    // No file may grow to the list's new size, so that writing it fails half way (as root too).
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = listBefore.size();
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool refill = model.ApplyProperties(old, {"Переименованная система", "/lib/alpha.so", true});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(refill);
    EXPECT_EQ(zor::test::Slurp(folders.SystemsFile()), listBefore);
    EXPECT_EQ(Rows(model), "Alpha (По умолчанию), Бета");
    EXPECT_EQ(zor::test::Slurp(folders.UserFile()), "[CSP]\nDefaultCSP=Alpha\n");
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_NE(sink.Messages()[0].text.find(folders.SystemsFile()), std::string::npos);
}

TEST(SignSystemPropsModel, OkChecks) {
    ConfigFolders folders;
    const std::string textSo = folders.Path("text.so");
    ConfigFolders::Write(textSo, "not a library");
    using Focus = CSignSystemPropsModel::Focus;
    struct Row {
        const char* what;
        SignSystemProps values;
        bool accepted;
        Focus focus;
        std::string message;
    };
    const Row rows[] = {
        {"empty name", {"", SIG_ECHO_PLUGIN, false}, false, Focus::Name,
         "Введите имя нового криптографического \nпровайдера."},
        {"empty path", {"Echo", "", false}, false, Focus::Path,
         "Введите путь к библиотеке нового \nкриптографического провайдера."},
        {"the reserved name", {"DefaultCSP", SIG_ECHO_PLUGIN, true}, false, Focus::Name,
         "Имя «DefaultCSP» зарезервировано. \nВведите другое имя системы."},
        {"a library without GetPublicKey", {"Echo", SIG_ECHO_NO4_PLUGIN, false}, false, Focus::None,
         std::string("Библиотека ") + SIG_ECHO_NO4_PLUGIN +
             " не является библиотекой \nсистемы криптографической защиты информации для Tessaline."},
        {"a text file", {"Echo", textSo, false}, false, Focus::None,
         "Библиотека " + textSo + " не является библиотекой \nсистемы криптографической защиты информации для Tessaline."},
        {"a missing file", {"Echo", folders.Path("none.so"), false}, false, Focus::None,
         "Библиотека " + folders.Path("none.so") +
             " не является библиотекой \nсистемы криптографической защиты информации для Tessaline."},
        {"a library without GetCertSubjectNameAndSN will do", {"Echo", SIG_ECHO_NO7_PLUGIN, false}, true, Focus::None, ""},
        {"the OpenSSL plug-in", {"OpenSSL", SIG_OPENSSL_PLUGIN, true}, true, Focus::None, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        zor::RecordingMessageSink sink;
        CSignSystemPropsModel model;
        model.values = r.values;
        Focus focus = Focus::Name;
        EXPECT_EQ(model.Accept(sink, &focus), r.accepted);
        EXPECT_EQ(focus, r.focus);
        if (r.message.empty()) {
            EXPECT_TRUE(sink.Messages().empty());
        } else {
            ASSERT_EQ(sink.Messages().size(), 1u);
            EXPECT_EQ(sink.Messages()[0].text, r.message);
            EXPECT_EQ(sink.Messages()[0].caption, "Ошибка");
            EXPECT_EQ(sink.Messages()[0].type, unsigned(MB_OK | MB_ICONERROR));
        }
        EXPECT_FALSE(sig::test::IsLoadedInProcess(r.values.path.empty() ? "/none" : r.values.path));
    }
}

TEST(SignSystemPropsModel, BrowsedLibraryNamesAnUnnamedSystem) {
    CSignSystemPropsModel model;
    model.Browsed("/usr/lib/sigilon/libgost.so");
    EXPECT_EQ(model.values.path, "/usr/lib/sigilon/libgost.so");
    EXPECT_EQ(model.values.name, "libgost");
    model.Browsed("/opt/other.so");
    EXPECT_EQ(model.values.path, "/opt/other.so");
    EXPECT_EQ(model.values.name, "libgost");  // a name given stays
    model.Browsed("");
    EXPECT_EQ(model.values.path, "/opt/other.so");
}

}  // namespace
