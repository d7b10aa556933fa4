#pragma once
// The organisation's settings: values that every program of Veldcourt shares, kept apart from any one
// program's profile in ~/.config/Veldcourt.ini ($XDG_CONFIG_HOME moves it), the file of organisation
// "Veldcourt" without an application. Read and written at every call.
#include <string>
#include <string_view>

namespace zor {

// The file (its folder may not exist yet); empty when no home folder is known.
std::string OrganisationSettingsPath();

// False, leaving `value` unchanged, when the value is absent or not a number.
bool GetOrganisationInt(std::string_view entry, int& value);
// A value read as a switch (nonzero is on); false, leaving `on` unchanged, as GetOrganisationInt.
bool GetOrganisationFlag(std::string_view entry, bool& on);
// False when the file cannot be written.
bool WriteOrganisationInt(std::string_view entry, int value);

}  // namespace zor
