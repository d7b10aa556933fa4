// The merge entry points: one source into a target, and a list of sources in turn with progress steps.
#include "platform/base/file_io.h"
#include "platform/ui/messages.h"
#include "report/generation/generate_report.h"
#include "report/generation/unification.h"

namespace {

// A target without a report root becomes a copy of the source, written atomically so that a failed copy
// leaves the old target in place.
bool ReplaceByCopy(const std::string& target, const std::string& source) {
    std::string bytes, error;
    if (!zor::ReadWholeFile(source, bytes, &error)) {
        AfxMessageBox("Ошибка при сохранении отчета!\n" + zor::FileFailureLine(source, error), MB_OK);
        return false;
    }
    if (zor::WriteFileAtomically(target, bytes, &error)) return true;
    AfxMessageBox("Ошибка при сохранении отчета!\n" + zor::FileFailureLine(target, error), MB_OK);
    return false;
}

}  // namespace

bool UnificationReports(const std::string& target, const std::string& source) {
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

bool UnificationArrayReports(const std::string& target, const std::vector<std::string>* sources,
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
