#pragma once
// The Qt platform the program starts on, chosen before the application object exists.
#include <string>

namespace quillmark {

// The value to put into QT_QPA_PLATFORM, or "" to leave Qt's own choice (and the user's setting) alone:
// - a platform the user chose in QT_QPA_PLATFORM is kept;
// - with neither DISPLAY nor WAYLAND_DISPLAY there is no screen to use: "offscreen";
// - a batch run with a display falls back to "offscreen" when the display cannot be reached (a stale
//   DISPLAY in a remote shell), since it shows no window of its own, rather than stopping Qt dead;
// - an interactive start with a display: Qt's own choice.
std::string ChooseQtPlatform(bool batch);

// Puts ChooseQtPlatform's choice into the environment (so it holds for this process and its helpers).
void SelectQtPlatform(bool batch);

}  // namespace quillmark
