#pragma once
// A generated report as readable rows, so that a golden test whose checksum no longer matches says what
// differs: the rows kept beside the checksum against the rows of the new file, side by side from the
// first row that differs.
#include <string>
#include <vector>

#include "report/tests/generation/generation_fixture.h"

namespace generation_test {

// One row a sheet name, element, parameter and contents node, in the report's order; an element's row
// holds its page (from 1), kind, place, size, line width, alignment, font, parameter type, target and text.
std::vector<std::string> ReportRows(const ReportView& report);

// The rows of a text file, one a line; empty when it cannot be read.
std::vector<std::string> ReadRows(const std::string& path);

// "" when the rows are alike; otherwise how many rows each side has, the number of the first row that
// differs, and from a few rows before it the expected rows beside the actual ones.
std::string SideBySide(const std::vector<std::string>& expected, const std::vector<std::string>& actual);

}  // namespace generation_test
