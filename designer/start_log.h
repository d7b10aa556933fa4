#pragma once
// "report.log" in the dictionary folder: one line per start of the program, holding its command line.
#include <string>
#include <vector>

namespace quillmark {

inline constexpr const char* kStartLogName = "report.log";

// The command line as one line of text that a shell would run again: the program and its arguments,
// separated by blanks. An argument made only of letters, digits, non-ASCII characters and
// "/._-+=:,@%" stands as it is; one holding a control character is written as $'...' with escapes (so
// the line stays one line); any other is put in single quotes.
std::string CommandLineText(const std::vector<std::string>& argv);

// Appends line + "\n" to dictionaryDir + "report.log" (dictionaryDir ends with '/'), making the file when
// it is missing. False when the file can be neither opened nor made, or the line not written; the
// caller goes on either way.
bool AppendStartLog(const std::string& dictionaryDir, const std::string& line);

}  // namespace quillmark
