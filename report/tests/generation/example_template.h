#pragma once
// The example of examples/: a sales report template built through the model, its data file and its
// parameter file. quillmark_example writes them; a test checks that the committed files are what this
// code makes, so they can always be remade.
#include <string>

namespace generation_test {

// examples/sales.zordot: a title page with the report's parameters and the table of contents; a page with
// the table (one titled section of sales, grouped by region, with totals, and by city, cancelled sales
// left out, sorted by number) and a continuation page, both with page numbers. False, with error, when the
// file can't be written.
bool WriteExampleTemplate(const std::string& path, std::string* error = nullptr);

// examples/sales.csv: rows sales (UTF-8, a header line, quoted fields where a text holds a comma or a
// quote), the same for every call.
std::string ExampleData(int rows = 300);

// examples/sales.par.
std::string ExampleParameters();

}  // namespace generation_test
