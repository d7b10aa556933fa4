// Merging reports, as "-unification" runs it: the first byte chooses whether the rest is the report merged
// into a copy of a generated report or the report the generated one is merged into. A merge that succeeds
// leaves a target that loads; one that fails leaves the target as it was.
#include "fuzz/fuzz_support.h"
#include "fuzz/generation_support.h"
#include "report/generation/generate_report.h"

namespace {

constexpr const char* kName = "merge";

// A report of the example template and data, made once.
const std::string& BaseReport() {
    static const std::string bytes = [] {
        const std::string path = fuzz::PathOf("base.zorrep");
        if (!fuzz::Generate(kName, fuzz::SourcePath("examples/sales.zordot"), fuzz::SourcePath("examples/sales.par"),
                            path))
            fuzz::Fail(kName, "the example report does not generate");
        return fuzz::ReadFile(path);
    }();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view fuzzed(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool intoFuzzed = data[0] & 1;
    const std::string target = fuzz::PathOf("target.zorrep"), source = fuzz::PathOf("source.zorrep");
    const std::string_view before = intoFuzzed ? fuzzed : std::string_view(BaseReport());
    fuzz::WriteFile(target, before);
    fuzz::WriteFile(source, intoFuzzed ? std::string_view(BaseReport()) : fuzzed);
    if (UnificationReports(target, source)) {
        if (!fuzz::LoadsAsStore(target)) fuzz::Fail(kName, "a merged report does not load");
    } else if (fuzz::ReadFile(target) != before) {
        fuzz::Fail(kName, "a failed merge changed the target");
    }
    return 0;
}
