// The merge entry points: one source into a target, and a list of sources in turn with progress steps.
#include <functional>

#include "platform/base/file_io.h"
#include "platform/ui/outcome.h"
#include "report/generation/generate_report.h"
#include "report/generation/generation_reasons.h"
#include "report/generation/unification.h"

namespace {

// A target without a report root becomes a copy of the source, written atomically so that a failed copy
// leaves the old target in place.
bool ReplaceByCopy(const std::string& target, const std::string& source) {
    std::string bytes, error;
    if (!zor::ReadWholeFile(source, bytes, &error)) {
        zor::Note(SaveFailure(source, error));
        return false;
    }
    if (zor::WriteFileAtomically(target, bytes, &error)) return true;
    zor::Note(SaveFailure(target, error));
    return false;
}

bool MergeOne(const std::string& target, const std::string& source) {
    CReportUnification merge;
    if (!merge.LoadDictionaries() || !merge.LoadTarget(target) || !merge.LoadSource(source)) return false;
    if (!merge.TargetRoot()) {
        merge.TargetStore().ClearDict();
        merge.SourceStore().ClearDict();
        return ReplaceByCopy(target, source);
    }
    if (!merge.SourceRoot() || !merge.AppendSource()) return false;
    merge.LinkMarkers();
    return merge.SaveTarget(target);
}

bool MergeList(const std::string& target, const std::vector<std::string>* sources,
               void (*progress)(int step, int count, void* context), void* context) {
    if (!sources) return false;
    const int count = static_cast<int>(sources->size()) + 1;
    int step = 0;
    auto advance = [&](int to) {
        step = to;
        if (progress) progress(step, count, context);
    };
    advance(0);
    CReportUnification merge;
    if (!merge.LoadDictionaries() || !merge.LoadTarget(target) || !merge.TargetRoot()) return false;
    advance(1);
    bool merged = false;
    for (const std::string& source : *sources) {
        // A source that can't be loaded ends the run before anything is written.
        if (!merge.LoadSource(source)) return false;
        if (merge.SourceRoot()) {
            if (!merge.AppendSource()) return false;
            merged = true;
        }
        merge.DropSource();
        advance(step + 1);
    }
    // Markers of every source, and of earlier merges, are linked once all sources are in: the page-field
    // parameters don't change from one source to the next.
    if (merged) merge.LinkMarkers();
    return merge.SaveTarget(target);
}

// A merge that fails has told why last; what it told is the outcome, the file it failed on named where
// the message itself names none.
zor::Outcome MergeOutcome(const std::string& file, const std::function<bool()>& merge) {
    zor::Outcome outcome;
    bool merged;
    {
        const zor::ScopedNotes notes(outcome);
        merged = merge();
    }
    if (!merged) outcome.FailOnLastNote(file);
    return outcome;
}

}  // namespace

zor::Outcome UnificationReportsOutcome(const std::string& target, const std::string& source) {
    return MergeOutcome(source, [&] { return MergeOne(target, source); });
}

bool UnificationReports(const std::string& target, const std::string& source) {
    const zor::Outcome outcome = UnificationReportsOutcome(target, source);
    zor::ShowOutcome(outcome);
    return outcome.Ok();
}

zor::Outcome UnificationArrayReportsOutcome(const std::string& target, const std::vector<std::string>* sources,
                                            void (*progress)(int step, int count, void* context), void* context) {
    return MergeOutcome(target, [&] { return MergeList(target, sources, progress, context); });
}

bool UnificationArrayReports(const std::string& target, const std::vector<std::string>* sources,
                             void (*progress)(int step, int count, void* context), void* context) {
    const zor::Outcome outcome = UnificationArrayReportsOutcome(target, sources, progress, context);
    zor::ShowOutcome(outcome);
    return outcome.Ok();
}
