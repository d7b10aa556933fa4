#pragma once
// The document's and view's export commands, as functions the document calls with what it holds:
// "Экспортировать текущую страницу в файл..." (OnExportPage), "Экспорт всех страниц отчета"
// (OnExportAll) and "Копировать страницу в буфер обмена" (CopyPageImage).
#include <functional>
#include <string>
#include <vector>

#include "designer/users/report_user.h"
#include "platform/win/geometry.h"

class CFolivox;
class CReportSheet;
class QClipboard;
class QWidget;

namespace quillmark {

class CExportDialogLogic;

struct CExportCommandContext {
    CFolivox* manager = nullptr;
    CReportSheet* sheet = nullptr;  // the shown sheet
    CSize page;                     // the document's page size, tenths of a millimetre
    int reportMode = 0;
    std::string documentPath;
    QWidget* window = nullptr;      // the main window: colour depth and the dialogs' parent
    // The document's rights check, with its message; all rights when not set.
    std::function<bool(int right)> hasRight;
    // The save dialog of a single page: the chosen name, empty when cancelled. The program's own
    // (SaveFileNameForPage) when not set.
    std::function<std::string()> askFileName;
    // The export dialog, filled in: true on OK. The program's own (CExportDialog) when not set.
    std::function<bool(CExportDialogLogic& dialog)> runExportDialog;
    // The colour depth of the screen; zorGetBitPerPixel of the window when not set.
    std::function<int()> bitsPerPixel;
};

// The save dialog of OnExportPage: the raster types and all files. A name typed without a known extension
// takes the chosen type's (see ExportPathForType).
std::string SaveFileNameForPage(QWidget* parent);
// The export dialog's types in order: filter text and extension ("" for every file).
struct ExportFileType {
    const char* filter;
    const char* extension;
};
const std::vector<ExportFileType>& ExportFileTypes();
// The file a name chosen under a type is written to: a name whose extension makes a known format keeps it;
// any other takes the type's extension, or "jpg" under "all files" when it has no extension at all.
std::string ExportPathForType(const std::string& chosen, const std::string& typeExtension);

// Each shows its own messages. The results say whether a file or the clipboard was written.
bool OnExportPage(const CExportCommandContext& context);
bool OnExportAll(const CExportCommandContext& context);
bool CopyPageImage(const CExportCommandContext& context, QClipboard* clipboard);

}  // namespace quillmark
