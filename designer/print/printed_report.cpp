#include "designer/print/printed_report.h"

#include <fmt/printf.h>

#include "platform/settings/profile.h"
#include "report/model/report_sheet.h"
#include "report/model/schema.h"

namespace quillmark {

PrintSettings ProfilePrintSettings() {
    PrintSettings s;
    s.splitPage = GetProfileInt(kPrintParamsSection, kSplitPageKey, 0);
    s.fitToPage = GetProfileInt(kPrintParamsSection, kFitToPageKey, 0);
    return s;
}

CPrintedReport::~CPrintedReport() {
    if (m_attached) m_manager.Detach();
}

bool CPrintedReport::Load(const std::string& path, const std::string& dictionaryDir, std::string& error) {
    const std::string dictionary = dictionaryDir + "quillmark";
    if (!m_store.LoadDictionary(dictionary.c_str())) {
        error = fmt::sprintf("Ошибка загрузки словаря %squillmark.dict", dictionaryDir);
        return false;
    }
    m_manager.Attach(&m_store, dictionaryDir.c_str());
    m_attached = true;
    m_store.SetErrorMessageMode(false);
    // Printing never writes the file, so one that may only be read prints all the same.
    if (!m_store.LoadFromFile(path.c_str(), false) && m_store.GetLastError() != zorErrReadOnly) {
        const int code = m_store.GetLastError();
        error = fmt::sprintf("Ошибка загрузки данных %s (%d)\n%s", path, code, CzorStepData::GetErrorDescription(code));
        return false;
    }
    const CReportSchema& s = m_manager.Schema();
    CzorTAggr<CzorInstance> users;
    if (m_store.GetEntityExtent(s.e_zor_user, users) && users.GetSize() > 0) {
        error = "Отчет защищен паролем, печать без входа пользователя невозможна.";
        return false;
    }
    CzorInstance* root = FirstOfExtent(m_store, s.e_zor_report);
    if (!root) {
        error = "Не корректный шаблон.";
        return false;
    }
    m_settings = ProfilePrintSettings();
    m_store.GetAttr(root, s.zor_report_mode, m_mode);
    m_manager.GetPoint(root, s.zor_report_page_size, m_settings.pageSize);
    m_manager.GetRect(root, s.zor_report_print_area, m_settings.printArea);
    m_store.GetAttr(root, s.zor_report_page_orient, m_settings.pageOrient);
    m_store.GetAttr(root, s.zor_report_fit_to_page, m_settings.fitToPage);

    CzorTAggr<CzorInstance> sheets;
    m_store.GetAttr(root, s.zor_report_sheets, sheets);
    // A sheet listed twice is one page.
    CzorTAggr<CzorInstance> seen(sheets.GetSize() + 8, true, false);
    for (CzorInstance* instance : sheets) {
        if (!instance || !m_store.IsKindOf(instance, s.e_zor_report_sheet) || !seen.Add(instance)) continue;
        auto* sheet = new CReportSheet(&m_manager);
        sheet->SetInstance(instance);
        m_manager.AddSheet(sheet);
        sheet->SetName(fmt::sprintf("Лист%d", m_manager.GetSheetCount()));
        sheet->Update(false);
    }
    return true;
}

}  // namespace quillmark
