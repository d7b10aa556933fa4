#pragma once
// "ZorTransport.ini": the system's dictionary folder ([Paths] Dictionary), the connections list, the local
// server and the transport options. Read from $ZOR_TRANSPORT_INI when that is set, else from the user's
// file ~/.config/Veldcourt/ZorTransport.ini when it exists, else from the installed default beside the
// dictionary. Changes go to $ZOR_TRANSPORT_INI when set, else to the user's file (made from the file read
// plus the change); the installed default is never written.
#include "platform/base/inifile.h"

#include <string>
#include <string_view>

namespace zor {

inline constexpr std::string_view kTransportIniName = "ZorTransport.ini";

// The file that is read (it may not exist).
std::string TransportIniPath();
// The file that changes are written to; empty when there is none (no home folder and no variable).
std::string TransportIniWritePath();

// Reads the transport settings. A missing file gives empty settings and true; false (with `error`) only
// when a file exists but cannot be read.
bool LoadTransportIni(IniFile& ini, std::string* error = nullptr);
// Writes the settings to TransportIniWritePath() atomically, making the user's folder when needed.
bool SaveTransportIni(const IniFile& ini, std::string* error = nullptr);

// One value; `def` when the file or the key is missing.
std::string GetTransportString(std::string_view section, std::string_view key, std::string_view def = {});
// Reads, changes one value and writes back. False (with `error`) when the value cannot be held or written.
bool WriteTransportString(std::string_view section, std::string_view key, std::string_view value,
                          std::string* error = nullptr);
bool DeleteTransportKey(std::string_view section, std::string_view key, std::string* error = nullptr);

// The dictionary folder: [Paths] Dictionary, or the installed data folder when that is missing or empty.
// It always ends with '/', since callers append file names to it directly.
std::string DictionaryDir();

}  // namespace zor
