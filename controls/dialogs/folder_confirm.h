#pragma once
// What happens when the user confirms a folder in the folder picker, apart from the dialog.
#include <string>

namespace zor {

struct FolderChoice {
    bool accepted = false;  // false: the picker stays open
    std::string selected;   // the chosen folder, ending in "/"
};

// `typed` is the path field's text, `browsed` the folder the picker shows. An empty field means
// the browsed folder. A doubled "/" after the first character is refused ("Некорректная папка");
// one trailing "/" is dropped; a folder that does not exist is offered for creation (Yes creates
// the whole path, a failure is reported and the picker stays open; No takes it uncreated).
// Messages and the question go through the message sink.
FolderChoice ConfirmFolder(const std::string& typed, const std::string& browsed);

}  // namespace zor
