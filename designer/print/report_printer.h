#pragma once
// Printing and previewing a report: one page loop that draws each printed page (a sheet, or one tile of
// it) on a printer or on the preview's pages. The loop works on the manager's sheets; the document and the
// command line hand it the model and the print settings, and what the user may do.
#include <string>

#include "designer/print/print_layout.h"

class CDC;
class CFolivox;
class QPrinter;
class QWidget;

namespace quillmark {

// What a print run draws.
struct PrintJob {
    CFolivox* manager = nullptr;
    PrintSettings settings;
    int reportMode = 0;     // the document's mode (0 edit, 1 view), passed to every element's Draw
    bool mayPrint = true;   // no user logged in, or the user has the print bit: else pages stay empty
};

// The device facts the placement needs, from the context.
PrintDevice DeviceOf(const CDC& dc);
// The pages the job prints.
int PrintJobPageCount(const PrintJob& job);

// Draws page (from 1) on dc, a context on a printer (or a preview page) in its device's own coordinates:
// loads the sheet's elements for the page when they are not loaded and frees them again afterwards. In
// preview the paper's edges are drawn dotted and the drawing is clipped to the paper; printing clips
// nothing. A page out of range, or a job that may not print, leaves the page empty.
void DrawPrintPage(CDC& dc, const PrintJob& job, int page, bool preview);

// The printer and paper "Настройка принтера..." chose, kept for every later print of this run: the print
// dialog, the preview and printing without a dialog start from it. Empty until a choice is made.
struct PrinterChoice {
    std::string printerName;
    int pageSizeId = -1;  // QPageSize::PageSizeId of the paper chosen with it, -1 for the printer's own
};
const PrinterChoice& ChosenPrinter();
void SetChosenPrinter(const PrinterChoice& choice);
// The chosen printer and paper on printer (nothing when no choice was made or the printer is gone).
void ApplyChosenPrinter(QPrinter& printer);
// "Настройка принтера...": the system's print dialog over the chosen printer, without page ranges; OK
// keeps the printer and paper for this run. False when cancelled.
bool RunPrinterSetup(QWidget* parent);

// The printer's orientation from the document (landscape for orientation 1).
void PreparePrinter(QPrinter& printer, const PrintSettings& settings);
// Prints the job's pages on a prepared printer (the printer's page range when it has one); false with
// the reason when the printer could not be started or a page could not be added.
bool PrintPages(QPrinter& printer, const PrintJob& job, bool preview, std::string* error = nullptr);

// "Печать...": the print dialog (modal, owned by parent), then the pages; false when the user cancelled
// or printing failed.
bool PrintWithDialog(const PrintJob& job, QWidget* parent, std::string* error = nullptr);
// "Печать отчета" and the command line: the pages to the named printer (when the name is empty, the
// printer chosen for this run, else the default printer) without a dialog; false when there is no such
// printer or printing failed.
bool PrintDirect(const PrintJob& job, const std::string& printerName, std::string* error = nullptr);

}  // namespace quillmark
