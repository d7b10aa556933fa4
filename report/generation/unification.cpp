// One merge run: loading the two reports, appending the source's sheets to the target, linking the page
// fields and saving the target.
#include "platform/base/file_io.h"
#include "report/generation/unification.h"

#include <fmt/printf.h>

#include <limits>

#include "platform/base/transport_ini.h"
#include "platform/ui/outcome.h"
#include "report/generation/generation_reasons.h"
#include "report/model/report_param.h"
#include "report/model/text_value.h"

namespace {

constexpr const char* kSheetPrefix = "Лист";

void NoteLoadError(const std::string& path, const CzorStepData& store) {
    zor::Note(LoadFailure(path, store.GetLastError(), store.GetLastErrorDescription()));
}

}  // namespace

int MergedSheetNumber(const std::string& name) {
    const std::string prefix = kSheetPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
    if (name[prefix.size()] == '0') return 0;
    long long n = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
        if (n > std::numeric_limits<int>::max()) return 0;
    }
    return static_cast<int>(n);
}

std::vector<size_t> MergedSheetOrder(const std::vector<std::string>& names) {
    const size_t count = names.size();
    std::vector<size_t> order(count, count);  // position -> index; count marks a free position
    bool numbered = true;
    for (size_t i = 0; i < count && numbered; ++i) {
        const int n = MergedSheetNumber(names[i]);
        if (n < 1 || static_cast<size_t>(n) > count || order[static_cast<size_t>(n) - 1] != count) numbered = false;
        else order[static_cast<size_t>(n) - 1] = i;
    }
    if (!numbered)
        for (size_t i = 0; i < count; ++i) order[i] = i;
    return order;
}

// --- CReportUnification ---------------------------------------------------------------------------------

bool CReportUnification::LoadDictionaries() {
    m_DictDir = zor::DictionaryDir();
    const std::string path = m_DictDir + "quillmark";
    for (CzorStepDataWithFile* store : {&m_Target, &m_Source}) {
        store->SetErrorMessageMode(false);
        if (!store->LoadDictionary(path.c_str())) {
            zor::Note(DictionaryFailure(m_DictDir));
            return false;
        }
    }
    m_T.Bind(m_Target);
    m_S.Bind(m_Source);
    return true;
}

bool CReportUnification::LoadTarget(const std::string& path) {
    if (m_Target.LoadFromFile(path.c_str(), false)) return true;
    NoteLoadError(path, m_Target);
    return false;
}

bool CReportUnification::LoadSource(const std::string& path) {
    // A source is only read, so one that may not be written is as good as any.
    if (m_Source.LoadFromFile(path.c_str(), false) || m_Source.GetLastError() == zorErrReadOnly) return true;
    NoteLoadError(path, m_Source);
    return false;
}

CzorInstance* CReportUnification::TargetRoot() { return FirstOfExtent(m_Target, m_T.e_zor_report); }
CzorInstance* CReportUnification::SourceRoot() { return FirstOfExtent(m_Source, m_S.e_zor_report); }

void CReportUnification::PrepareTextValue(CzorInstance* value) {
    CzorInstance* param = nullptr;
    if (!value || !m_Source.GetAttr(value, m_S.zor_value_inst, param) || !param) return;
    int type = 0;
    m_Source.GetAttr(value, m_S.zor_value_type, type);
    if (type == kTextParam) {
        int paramType = -1;
        m_Source.GetAttr(param, m_S.zor_report_param_type, paramType);
        switch (paramType) {
        case kParamText:
        case kParamNumber:
        case kParamDate:
        case kParamObject: {
            std::string text;
            m_Source.GetAttr(param, m_S.zor_report_param_value, text);
            m_Source.PutAttr(value, m_S.zor_value_text, text);
            m_Source.PutAttr(value, m_S.zor_value_type, kTextOwn);
            break;
        }
        case kParamPageNumber: m_Source.PutAttr(value, m_S.zor_value_text, kMergeMarkerPageNumber); break;
        case kParamPageCount: m_Source.PutAttr(value, m_S.zor_value_text, kMergeMarkerPageCount); break;
        case kParamCurrentDate: m_Source.PutAttr(value, m_S.zor_value_text, kMergeMarkerCurrentDate); break;
        default: break;
        }
    }
    // The link really goes (a reference cleared, not a number written into it), also from a text that
    // no longer shows its parameter: otherwise the copy would drag the source's parameter into the target.
    m_Source.PutAttr(value, m_S.zor_value_inst, nullptr);
}

bool CReportUnification::AppendSource() {
    CzorInstance* targetRoot = TargetRoot();
    CzorInstance* sourceRoot = SourceRoot();
    if (!targetRoot || !sourceRoot) return false;
    CzorTAggr<CzorInstance> targetSheets, sourceSheets;
    m_Target.GetAttr(targetRoot, m_T.zor_report_sheets, targetSheets);
    m_Source.GetAttr(sourceRoot, m_S.zor_report_sheets, sourceSheets);

    // The copy set: the source's sheets, then every sheet's elements, then what each of them shows.
    CzorTAggr<CzorInstance> copy(sourceSheets.GetSize() + 8, true, false);
    CzorTAggr<CzorInstance> rename(sourceSheets.GetSize() + 8, true, false);
    for (CzorInstance* sheet : sourceSheets) {
        if (!sheet) continue;
        copy.Add(sheet);
        rename.Add(sheet);
    }
    const int copiedSheets = copy.GetSize();
    for (CzorInstance* sheet : sourceSheets) {
        CzorTAggr<CzorInstance> elems;
        m_Source.GetAttr(sheet, m_S.zor_report_sheet_elems, elems);
        for (CzorInstance* e : elems) {
            if (!e) continue;
            copy.Add(e);
            rename.Add(e);
        }
    }
    int counter = targetSheets.GetSize() + 1;
    for (CzorInstance* inst : rename) {
        if (m_Source.IsKindOf(inst, m_S.e_zor_report_sheet))
            m_Source.PutAttr(inst, m_S.zor_report_sheet_element_name, fmt::sprintf("%s%d", kSheetPrefix, counter++));
        CzorInstance *origin = nullptr, *size = nullptr, *value = nullptr, *font = nullptr;
        m_Source.GetAttr(inst, m_S.zor_report_sheet_element_org_pt, origin);
        m_Source.GetAttr(inst, m_S.zor_report_sheet_element_size, size);
        m_Source.GetAttr(inst, m_S.zor_report_sheet_element_text_value, value);
        if (value) m_Source.GetAttr(value, m_S.zor_value_font, font);
        PrepareTextValue(value);
        for (CzorInstance* i : {value, font, origin, size})
            if (i) copy.Add(i);
    }
    CzorTAggr<CzorInstance> contents;
    m_Source.GetEntityExtent(m_S.e_zor_table_content, contents);
    for (CzorInstance* node : contents) copy.Add(node);

    if (!m_Source.zorFarCopyInstances(copy, m_Target, true)) {
        zor::Note({"%s", {m_Source.GetLastErrorDescription()}});
        return false;
    }

    // The page-field parameters exist once the source is in.
    for (int type : {kParamPageNumber, kParamPageCount, kParamCurrentDate}) TargetPageParam(type);

    // Page order: the target's pages, then the copied ones, as their names number them.
    std::vector<CzorInstance*> sheets;
    CzorTAggr<CzorInstance> seen(targetSheets.GetSize() + copiedSheets + 8, true, false);
    for (CzorInstance* sheet : targetSheets)
        if (seen.Add(sheet)) sheets.push_back(sheet);
    for (int i = 0; i < copiedSheets && i < copy.GetSize(); ++i) {
        CzorInstance* sheet = copy.GetAt(i);
        if (m_Target.IsKindOf(sheet, m_T.e_zor_report_sheet) && seen.Add(sheet)) sheets.push_back(sheet);
    }
    std::vector<std::string> names(sheets.size());
    for (size_t i = 0; i < sheets.size(); ++i) m_Target.GetAttr(sheets[i], m_T.zor_report_sheet_element_name, names[i]);
    CzorTAggr<CzorInstance> ordered(static_cast<int>(sheets.size()) + 8, true, false);
    for (size_t i : MergedSheetOrder(names)) ordered.Add(sheets[i]);
    m_Target.PutAttr(targetRoot, m_T.zor_report_sheets, ordered);
    return true;
}

CzorInstance* CReportUnification::TargetPageParam(int type) {
    CzorTAggr<CzorInstance> params;
    m_Target.GetEntityExtent(m_T.e_zor_report_param, params);
    CzorInstance* found = nullptr;
    for (CzorInstance* p : params) {
        int t = -1;
        if (m_Target.GetAttr(p, m_T.zor_report_param_type, t) && t == type) found = p;
    }
    if (found) return found;
    CzorInstance* p = m_Target.CreateInstance(m_T.e_zor_report_param, false, true);
    m_Target.PutAttr(p, m_T.zor_report_param_type, type);
    m_Target.PutAttr(p, m_T.zor_report_param_name, PageFieldParamName(type));
    return p;
}

void CReportUnification::LinkMarkers() {
    CzorInstance* number = TargetPageParam(kParamPageNumber);
    CzorInstance* count = TargetPageParam(kParamPageCount);
    CzorInstance* date = TargetPageParam(kParamCurrentDate);
    CzorTAggr<CzorInstance> elements;
    m_Target.GetEntityExtent(m_T.e_zor_report_sheet_element, elements);
    for (CzorInstance* e : elements) {
        CzorInstance* value = nullptr;
        std::string text;
        if (!m_Target.GetAttr(e, m_T.zor_report_sheet_element_text_value, value) || !value ||
            !m_Target.GetAttr(value, m_T.zor_value_text, text))
            continue;
        CzorInstance* param = text == kMergeMarkerPageNumber    ? number
                              : text == kMergeMarkerPageCount   ? count
                              : text == kMergeMarkerCurrentDate ? date
                                                                : nullptr;
        if (!param) continue;
        m_Target.PutAttr(value, m_T.zor_value_inst, param);
        m_Target.PutAttr(value, m_T.zor_value_type, kTextParam);
    }
}

bool CReportUnification::SaveTarget(const std::string& path) {
    if (m_Target.SaveToFile(path.c_str(), false)) return true;
    zor::Note(SaveFailure(path, m_Target.GetLastErrorDescription()));
    return false;
}
