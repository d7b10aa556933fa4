#pragma once
// Generation as the program's "-gen" runs it, for the targets that fuzz a template, a parameter file or a
// report to merge: the data file and the manager are read anew each time, the date is fixed.
#include <string>

namespace fuzz {

// The small data file the generation targets fill their tables from (twenty rows of the example data).
std::string SmallDataFile();

// Generates the report from the template, the data file and the parameter file, as "-gen" does. True when
// the report was written; a written report must load as a store (checked here).
bool Generate(const char* target, const std::string& templatePath, const std::string& parPath,
              const std::string& reportPath);

// Whether the file loads as a store of the report dictionary.
bool LoadsAsStore(const std::string& path);

}  // namespace fuzz
