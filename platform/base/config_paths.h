#pragma once
// Where the system keeps its files: the user's configuration folder and the installed data folder.
#include <string>

namespace zor {

// The system's folder of the user's settings: $XDG_CONFIG_HOME/Veldcourt when that variable holds an
// absolute path, else <home>/.config/Veldcourt (home from $HOME, else the password database).
// Empty when no home folder is known. Not created here.
std::string UserConfigDir();

// The system's folder of what the user's runs leave behind (logs): $XDG_STATE_HOME/Veldcourt when that
// variable holds an absolute path, else <home>/.local/state/Veldcourt. Empty when no home folder is
// known. Not created here.
std::string UserStateDir();

// The system's folder of what is kept for the whole machine: the first absolute folder of
// $XDG_CONFIG_DIRS (a colon-separated list) with "/Veldcourt" appended, else /etc/xdg/Veldcourt. Not created here.
std::string MachineConfigDir();

// The installed data folder (dictionary, placeholder picture, default transport settings), ending with '/'.
std::string InstalledDictDir();

// The value of an environment variable when it is set and not empty.
bool GetEnvNonEmpty(const char* name, std::string& value);

}  // namespace zor
