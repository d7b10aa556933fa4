// The document's output and set-up commands: printing, the preview, the page set-up, the work settings
// and the image export, each handing the open document's model and settings to its dialog or page loop.
#include <QApplication>
#include <QClipboard>

#include "designer/frame/doc_host.h"
#include "designer/export/export_commands.h"
#include "designer/frame/main_frame.h"
#include "designer/print/print_preview.h"
#include "designer/print/printed_report.h"
#include "designer/print/report_printer.h"
#include "designer/settings_dialogs/settings_dialogs.h"
#include "platform/settings/default_settings.h"
#include "platform/settings/profile.h"
#include "platform/ui/messages.h"

namespace quillmark {

PrintJob DocumentPrintJob(CQuillmarkDoc& doc) {
    PrintJob job;
    job.manager = &doc.Manager();
    job.settings.pageSize = doc.m_pageSize;
    job.settings.pageOrient = doc.m_pageOrient;
    job.settings.splitPage = doc.m_splitPage;
    job.settings.fitToPage = doc.m_fitToPage;
    job.settings.printArea = doc.m_printArea;
    job.reportMode = doc.m_mode;
    job.mayPrint = doc.HasRight(kRightPrint, false);
    return job;
}

CPageSetupData DocumentPageSetup(const CQuillmarkDoc& doc) {
    CPageSetupData data;
    data.first = doc.m_pageSize.cx;
    data.second = doc.m_pageSize.cy;
    data.orientation = doc.m_pageOrient;
    data.printArea = doc.m_printArea;
    data.fitToPage = doc.m_fitToPage != 0;
    data.splitToA4 = doc.m_splitPage != 0;
    return data;
}

bool ApplyPageSetup(CQuillmarkDoc& doc, const CPageSetupData& set) {
    const CSize size(set.first, set.second);
    // Split and fit live in the profile, not in the file: changing only them leaves nothing to save.
    const bool changed =
        size != doc.m_pageSize || set.orientation != doc.m_pageOrient || set.printArea != doc.m_printArea;
    doc.m_pageSize = size;
    doc.m_pageOrient = set.orientation;
    doc.m_printArea = set.printArea;
    doc.m_fitToPage = set.fitToPage ? 1 : 0;
    doc.m_splitPage = set.splitToA4 ? 1 : 0;
    WriteProfileInt(kPrintParamsSection, kSplitPageKey, doc.m_splitPage);
    WriteProfileInt(kPrintParamsSection, kFitToPageKey, doc.m_fitToPage);
    return changed;
}

void ApplyWorkSettings(CQuillmarkDoc& doc) {
    doc.m_useOneScaleInDot = zor::DefaultUseOneScaleInDot();
    doc.m_useOneScaleInReport = zor::DefaultUseOneScaleInReport();
}

namespace {

CExportCommandContext ExportContext(CQuillmarkDoc& doc, QWidget* window) {
    CExportCommandContext context;
    context.manager = &doc.Manager();
    context.sheet = doc.ActiveSheet();
    context.page = doc.m_pageSize;
    context.reportMode = doc.m_mode;
    context.documentPath = doc.GetPathName();
    context.window = window;
    context.hasRight = [&doc](int right) { return doc.HasRight(right, true); };
    return context;
}

// The page set-up over the document's page; true when OK changed it.
bool RunPageSetup(CQuillmarkDoc& doc, QWidget* parent) {
    CPageSetupDialog dialog(DocumentPageSetup(doc), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    return ApplyPageSetup(doc, dialog.Data());
}

}  // namespace

void CDocumentHost::RegisterOutputCommands() {
    CCommandRegistry& commands = m_frame->Commands();
    const auto withDoc = [this](auto work) {
        return [this, work] {
            if (m_doc) work(*m_doc);
            Refresh();
        };
    };
    commands.SetHandler(ID_FILE_PRINT, withDoc([this](CQuillmarkDoc& d) {
        if (!d.HasRight(kRightPrint, true)) return;
        std::string error;
        if (!PrintWithDialog(DocumentPrintJob(d), m_frame, &error) && !error.empty())
            AfxMessageBox(error, MB_OK | MB_ICONSTOP);
    }));
    commands.SetHandler(ID_PRINT_DIRECT, withDoc([](CQuillmarkDoc& d) {
        if (!d.HasRight(kRightPrint, true)) return;
        std::string error;
        if (!PrintDirect(DocumentPrintJob(d), std::string(), &error) && !error.empty())
            AfxMessageBox(error, MB_OK | MB_ICONSTOP);
    }));
    commands.SetHandler(ID_FILE_PRINT_PREVIEW, withDoc([this](CQuillmarkDoc& d) {
        if (d.HasRight(kRightPrint, true)) ShowPrintPreview(DocumentPrintJob(d), m_frame);
    }));
    commands.SetHandler(ID_FILE_PAGE_SETUP, withDoc([this](CQuillmarkDoc& d) {
        if (!RunPageSetup(d, m_frame)) return;
        d.SetChanged();
        d.UpdateAllViews();
    }));
    commands.SetHandler(ID_FILE_PRINT_SETUP, [this] { RunPrinterSetup(m_frame); });
    commands.SetHandler(ID_WORK_SETTINGS, [this] {
        CWorkSettingsDialog dialog(m_frame);
        if (dialog.exec() != QDialog::Accepted || !m_doc) return;
        ApplyWorkSettings(*m_doc);
        m_doc->UpdateAllViews();
        Refresh();
    });
    commands.SetHandler(ID_EXPORT_PAGE, withDoc([this](CQuillmarkDoc& d) { OnExportPage(ExportContext(d, m_frame)); }));
    commands.SetHandler(ID_EXPORT_ALL, withDoc([this](CQuillmarkDoc& d) { OnExportAll(ExportContext(d, m_frame)); }));
    commands.SetHandler(ID_COPY_PAGE_IMAGE, withDoc([this](CQuillmarkDoc& d) {
        CopyPageImage(ExportContext(d, m_frame), QApplication::clipboard());
    }));
}

}  // namespace quillmark
