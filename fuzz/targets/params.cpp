// Parameter files ("name=value" lines) as "-gen" reads them, with the example template and twenty rows of
// the example data: every parameter file generates a report that loads.
#include "fuzz/fuzz_support.h"
#include "fuzz/generation_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string parPath = fuzz::PathOf("in.par");
    fuzz::WriteFile(parPath, std::string_view(reinterpret_cast<const char*>(data), size));
    if (!fuzz::Generate("params", fuzz::SourcePath("examples/sales.zordot"), parPath, fuzz::PathOf("out.zorrep")))
        fuzz::Fail("params", "the example template does not generate with this parameter file");
    return 0;
}
