#pragma once
// The program's profile: the user's settings of Квиллмарк, kept as an INI file through QSettings in
// ~/.config/Veldcourt/Квиллмарк.ini (organisation "Veldcourt", application "Квиллмарк"; $XDG_CONFIG_HOME
// moves it). Every call reads or writes the file as it is then, so other processes' changes are seen.
#include <string>
#include <string_view>

namespace zor {
// The profile file (its folder may not exist yet); empty when no home folder is known.
std::string ProfilePath();
}  // namespace zor

// The stored integer, or `def` when the value is absent or not a number.
int GetProfileInt(std::string_view section, std::string_view entry, int def);
// The stored text, or `def` when the value is absent.
std::string GetProfileString(std::string_view section, std::string_view entry, std::string_view def = {});
// False when the profile cannot be written.
bool WriteProfileInt(std::string_view section, std::string_view entry, int value);
bool WriteProfileString(std::string_view section, std::string_view entry, std::string_view value);
