#include "controls/dialogs/folder_confirm.h"

#include <filesystem>
#include <system_error>

#include "platform/ui/messages.h"

namespace zor {

namespace {

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

FolderChoice ConfirmFolder(const std::string& typed, const std::string& browsed) {
    std::string path = typed.empty() ? browsed : typed;
    if (path.size() > 1 && path.find("//", 1) != std::string::npos) {
        AfxMessageBox("Некорректная папка", MB_OK | MB_ICONERROR);
        return {};
    }
    // The root keeps its only "/": without it there would be no path at all.
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    if (!IsFolder(path)) {
        const std::string question = path + "\n\nДанный путь не существует. Вы хотите его создать ?";
        if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            std::error_code ec;
            std::filesystem::create_directories(path, ec);
            if (!IsFolder(path)) {
                AfxMessageBox("Не удалось создать папку:\n" + path, MB_OK | MB_ICONERROR);
                return {};
            }
        }
    }
    return {true, path == "/" ? path : path + "/"};
}

}  // namespace zor
