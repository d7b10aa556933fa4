// The folder rules of this source tree: one row per folder that may not reach into others. A row's
// folders end in '/' so that "report/model/" never matches "report/models/".
#include "tools/layers/include_graph.h"

namespace {

const IncludeRule kRules[] = {
    {"report/model/", {"report/generation/", "report/dialogs/", "designer/"},
     "the report model lies below generation and knows nothing of it or of windows"},
    {"report/generation/", {"report/dialogs/", "designer/"},
     "generation runs without windows, in batch runs too"},
    {"report/dialogs/", {"designer/"}, "the report library's dialogs serve any program, not only the designer"},
    {"platform/", {"controls/", "designer/", "report/", "signature/", "zorStepData/", "testkit/", "bench/", "fuzz/"},
     "the platform layer lies below everything of ours"},
    {"controls/", {"designer/", "report/", "signature/", "zorStepData/"},
     "the controls library links none of ours but the platform layer"},
    {"signature/", {"controls/", "designer/", "report/", "zorStepData/"},
     "the signature registry links none of ours but the platform layer"},
    {"zorStepData/", {"designer/", "report/", "signature/"},
     "the store client lies below the report library and the program"},
};

}  // namespace

std::span<const IncludeRule> ProjectIncludeRules() { return kRules; }
