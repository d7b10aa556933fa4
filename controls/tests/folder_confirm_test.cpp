#include "controls/dialogs/folder_confirm.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"

namespace {

using zor::test::ScopedTempDir;
namespace fs = std::filesystem;

const char* const kQuestion = "\n\nДанный путь не существует. Вы хотите его создать ?";

TEST(FolderConfirm, TypedBrowsedRefusedCreatedAndFailedFolders) {
    ScopedTempDir tmp;
    const std::string root = tmp.Path();
    fs::create_directories(root + "/есть");
    std::ofstream(root + "/файл") << "x";

    struct Case {
        const char* name;
        std::string typed, browsed;
        std::vector<int> answers;       // to the questions asked, in order
        bool accepted;
        std::string selected;
        std::vector<std::string> messages;
        bool existsAfter;               // the folder of `selected` (or of `typed` when refused)
    };
    const std::string missing = root + "/новая/вложенная";
    const Case cases[] = {
        {"an existing folder", root + "/есть", "", {}, true, root + "/есть/", {}, true},
        {"a trailing slash gives the same", root + "/есть/", "", {}, true, root + "/есть/", {}, true},
        {"an empty field takes the browsed folder", "", root + "/есть", {}, true, root + "/есть/", {}, true},
        {"a doubled slash later is refused", root + "//есть", "", {}, false, "", {"Некорректная папка"}, false},
        {"a leading double slash is accepted", "/" + root, "", {}, true, "/" + root + "/", {}, true},
        {"a missing folder created with Yes", missing + "/", "", {IDYES}, true, missing + "/",
         {missing + kQuestion}, true},
        {"No takes it uncreated", root + "/нет", "", {IDNO}, true, root + "/нет/", {root + "/нет" + kQuestion}, false},
        {"creation that fails keeps the picker open", root + "/файл/под", "", {IDYES}, false, "",
         {root + "/файл/под" + kQuestion, "Не удалось создать папку:\n" + root + "/файл/под"}, false},
        {"the root stays the root", "/", "", {}, true, "/", {}, true},
    };
    for (const auto& c : cases) {
        zor::RecordingMessageSink sink;
        zor::ScopedMessageSink scoped(&sink);
        for (int a : c.answers) sink.QueueAnswer(a);
        const zor::FolderChoice choice = zor::ConfirmFolder(c.typed, c.browsed);
        EXPECT_EQ(choice.accepted, c.accepted) << c.name;
        EXPECT_EQ(choice.selected, c.selected) << c.name;
        EXPECT_EQ(sink.Texts(), c.messages) << c.name;
        if (c.accepted) {
            EXPECT_EQ(fs::is_directory(c.selected), c.existsAfter) << c.name;
        }
    }
}

}  // namespace
