#pragma once
// The command line's print switches ("-p file", "-pt file printer"): the file printed without a dialog
// and without a window, so no display is needed.
#include <string>

#include "designer/command_line.h"

namespace quillmark {

// "-p file" or "-pt file printer".
inline bool IsPrintCommand(const CCommandLineInfo& info) {
    return info.m_nShellCommand == CCommandLineInfo::FilePrint || info.m_nShellCommand == CCommandLineInfo::FilePrintTo;
}

// Loads the file with the dictionary of dictionaryDir and prints every page on the named printer (the
// default printer when the name is empty). Failures are told through the message sink; false then.
bool PrintReportFile(const std::string& path, const std::string& printerName, const std::string& dictionaryDir);

}  // namespace quillmark
