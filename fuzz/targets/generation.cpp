// Whole generation from a fuzzed template, as "-gen" runs it with the example parameters and twenty rows
// of the example data: a template that generates gives a report that loads.
#include "fuzz/fuzz_support.h"
#include "fuzz/generation_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string templatePath = fuzz::PathOf("in.zordot");
    fuzz::WriteFile(templatePath, std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::Generate("generation", templatePath, fuzz::SourcePath("examples/sales.par"), fuzz::PathOf("out.zorrep"));
    return 0;
}
