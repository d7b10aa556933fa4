#pragma once
// The version line of the About box: read from "Tessaline.ver" in the dictionary folder when that file
// names one, else the program's own version that the build put into it.
#include <string>
#include <string_view>

namespace quillmark {

// The version in a version file's text: on the first line that holds "Tessalinever=", what follows the
// key; "?" when no line holds it. Line ends "\n" and "\r\n" both end a line.
std::string ParseTessalineVersion(std::string_view text);
// The version from dictionaryDir + "Tessaline.ver", "?" when the file cannot be read.
std::string ReadTessalineVersion(const std::string& dictionaryDir);
// The version file's version, or else `programVersion` (the program's "ProductVersion"); "?" when
// neither names one.
std::string AboutBoxVersion(const std::string& dictionaryDir, const std::string& programVersion);
// The program's version from the build.
std::string ProgramVersion();
// "Квиллмарк   вер." followed by the version.
std::string AboutVersionLine(const std::string& version);

}  // namespace quillmark
