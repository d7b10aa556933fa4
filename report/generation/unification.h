#pragma once
// Merging generated reports: the sheets of a source report are appended to a target report, so that
// several reports become one document with continuous page numbering. Everything happens on the store
// instances of the two files (sheets, elements, text values, table-of-contents nodes); no sheet object of
// the model is built and nothing is drawn.
//
// Page fields that count across the merged document (page number, page count, current date) are turned
// into marker texts in the source, and after the copy every marker is linked to the target's parameter of
// that kind. Texts linked to ordinary parameters are frozen into their current value, since the source's
// parameters are not copied.
//
// The target file is written once, atomically, at the end of a successful merge; any failure leaves it
// as it was and is told (zor::Note); the entry points turn it into their answer.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/zordata/zordata.h"
#include "report/model/schema.h"

// The marker texts that stand for the merged document's page fields while a source is copied.
inline constexpr const char* kMergeMarkerPageNumber = "Unique_name_num";
inline constexpr const char* kMergeMarkerPageCount = "Unique_name_count";
inline constexpr const char* kMergeMarkerCurrentDate = "Unique_name_cur_date";

// The page order of the merged report's sheets from their names, given in their current order (the
// target's pages, then the copied ones). When the names are "Лист1" to "Лист<n>", each once, they decide
// the order; any other set of names (a gap, a repeat, another name) keeps the current order. The result
// holds every index of names exactly once.
std::vector<size_t> MergedSheetOrder(const std::vector<std::string>& names);

// The number n of a sheet named "Лист<n>" exactly as the system names sheets (n from 1, no sign, no
// leading zero); 0 for any other name.
int MergedSheetNumber(const std::string& name);

// One merge run: a target store and a source store with the report dictionary, and the steps of a merge.
class CReportUnification {
public:
    CReportUnification() = default;
    CReportUnification(const CReportUnification&) = delete;
    CReportUnification& operator=(const CReportUnification&) = delete;

    // Loads the dictionary of the dictionary directory into both stores; false, with the message, when
    // it can't be loaded.
    bool LoadDictionaries();
    // Loads the target file. False, with the message, when it can't be loaded or may not be written (a
    // target that can only be read could never take the result).
    bool LoadTarget(const std::string& path);
    // Loads a source file in place of the previous one. False, with the message, when it can't be loaded;
    // a source that can only be read is merged all the same.
    bool LoadSource(const std::string& path);
    // The first zor_report instance of each store, or null.
    CzorInstance* TargetRoot();
    CzorInstance* SourceRoot();

    // Appends the loaded source's sheets (with their elements and the source's table-of-contents nodes)
    // to the target, after the target's own sheets. The source must have a report root. False, with the
    // message, when the copy fails; the target in memory is then as it was.
    bool AppendSource();
    // Links every marker text of the target to the target's page-field parameter of its kind.
    void LinkMarkers();
    // Forgets the loaded source.
    void DropSource() { m_Source.ClearData(); }
    // Saves the target atomically; false, with the message, when it can't be written.
    bool SaveTarget(const std::string& path);

    CzorStepDataWithFile& TargetStore() { return m_Target; }
    CzorStepDataWithFile& SourceStore() { return m_Source; }

private:
    // Freezes or marks the text value of a copied element and unlinks it from the source's parameter.
    void PrepareTextValue(CzorInstance* value);
    // The target's page-field parameter of that type (the last in extent order), made when missing.
    CzorInstance* TargetPageParam(int type);

    CzorStepDataWithFile m_Target;
    CzorStepDataWithFile m_Source;
    CReportSchema m_T;  // handles of the target store
    CReportSchema m_S;  // handles of the source store
    std::string m_DictDir;
};
