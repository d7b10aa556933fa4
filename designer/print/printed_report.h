#pragma once
// A report or template file opened for printing alone (the command line's print switches): its store, the
// manager with one sheet object per page (elements are loaded page by page while printing) and the print
// settings, read as the document reads them.
#include <string>
#include <string_view>

#include "designer/print/report_printer.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"

namespace quillmark {

class CPrintedReport {
public:
    CPrintedReport() = default;
    ~CPrintedReport();
    CPrintedReport(const CPrintedReport&) = delete;
    CPrintedReport& operator=(const CPrintedReport&) = delete;

    // Loads the dictionary of dictionaryDir and the file; false with the message to show. A file that
    // holds report users is refused: no one can log in where no dialog can be shown.
    bool Load(const std::string& path, const std::string& dictionaryDir, std::string& error);

    PrintJob Job() { return PrintJob{&m_manager, m_settings, m_mode, true}; }
    const PrintSettings& Settings() const { return m_settings; }
    CFolivox& Manager() { return m_manager; }

private:
    CzorStepDataWithFile m_store;
    CFolivox m_manager;
    PrintSettings m_settings;
    int m_mode = 0;
    bool m_attached = false;
};

// Where the page set-up keeps the split and fit switches for every report.
inline constexpr std::string_view kPrintParamsSection = "PrintParams";
inline constexpr std::string_view kSplitPageKey = "split_page";
inline constexpr std::string_view kFitToPageKey = "fit_to_page";

// The print settings of the profile (split and fit), the rest as a new document.
PrintSettings ProfilePrintSettings();

}  // namespace quillmark
