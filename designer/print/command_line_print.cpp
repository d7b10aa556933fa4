#include "designer/print/command_line_print.h"

#include "designer/print/printed_report.h"
#include "platform/ui/messages.h"

namespace quillmark {

bool PrintReportFile(const std::string& path, const std::string& printerName, const std::string& dictionaryDir) {
    CPrintedReport report;
    std::string error;
    if (!report.Load(path, dictionaryDir, error) || !PrintDirect(report.Job(), printerName, &error)) {
        AfxMessageBox(error);
        return false;
    }
    return true;
}

}  // namespace quillmark
