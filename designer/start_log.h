#pragma once
// "report.log": one line per start of the program, holding its command line, and the document's lines
// (loads, failed saves). It lies in the dictionary folder when that folder is the user's own and may be
// written (a private installation, where it has always been looked for); an installation for all users
// keeps that folder read-only, so the log goes to the user's state folder instead.
#include <string>
#include <vector>

namespace quillmark {

inline constexpr const char* kStartLogName = "report.log";

// The command line as one line of text that a shell would run again: the program and its arguments,
// separated by blanks. An argument made only of letters, digits, non-ASCII characters and
// "/._-+=:,@%" stands as it is; one holding a control character is written as $'...' with escapes (so
// the line stays one line); any other is put in single quotes.
std::string CommandLineText(const std::vector<std::string>& argv);

// True when dir (empty: the current folder) is a folder owned by this process's user, with the owner's
// write permission, that this process may write into. The permission bit is asked for too, so that a
// folder its owner has made read-only counts as read-only for the superuser as well.
bool IsOwnWritableFolder(const std::string& dir);

// The folder the log is written to first, ending with '/': dictionaryDir when it is the user's own
// writable folder, else stateDir (empty when no state folder is known).
std::string StartLogFolder(const std::string& dictionaryDir, const std::string& stateDir);

// Appends line + "\n" to "report.log" in StartLogFolder (dictionaryDir ends with '/'); when that fails in
// the dictionary folder, in stateDir instead, which is made (owner-only) when missing. The dictionary
// folder is never made. False when the line could be written nowhere; the caller goes on either way.
bool AppendStartLog(const std::string& dictionaryDir, const std::string& stateDir, const std::string& line);
// The same with the user's state folder ($XDG_STATE_HOME/Veldcourt/, else ~/.local/state/Veldcourt/).
bool AppendStartLog(const std::string& dictionaryDir, const std::string& line);

}  // namespace quillmark
