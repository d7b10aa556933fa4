#include "designer/print/report_printer.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_objects.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark {

namespace {

// Elements print with their pictures and texts, never with selection handles.
constexpr unsigned kPrintDrawFlags = kDrawPictures | kDrawText;
// How far the preview's dotted paper edges run past the corners.
constexpr int kEdgeOverrun = 200;
constexpr COLORREF kEdgeColour = RGB(0xC0, 0xC0, 0xC0);

void DrawPaperEdges(CDC& dc, int width, int height) {
    CPen pen(PS_DOT, 1, kEdgeColour);
    CPen* old = dc.SelectObject(&pen);
    const int lines[4][4] = {
        {0, kEdgeOverrun, 0, -height - kEdgeOverrun},
        {width, kEdgeOverrun, width, -height - kEdgeOverrun},
        {-kEdgeOverrun, 0, width + kEdgeOverrun, 0},
        {-kEdgeOverrun, -height, width + kEdgeOverrun, -height},
    };
    for (const auto& l : lines) {
        dc.MoveTo(l[0], l[1]);
        dc.LineTo(l[2], l[3]);
    }
    if (old) dc.SelectObject(old);
}

}  // namespace

PrintDevice DeviceOf(const CDC& dc) {
    PrintDevice d;
    d.widthMm = dc.GetDeviceCaps(HORZSIZE);
    d.heightMm = dc.GetDeviceCaps(VERTSIZE);
    d.offsetX = dc.GetDeviceCaps(PHYSICALOFFSETX);
    d.offsetY = dc.GetDeviceCaps(PHYSICALOFFSETY);
    d.dpiX = dc.GetDeviceCaps(LOGPIXELSX);
    d.dpiY = dc.GetDeviceCaps(LOGPIXELSY);
    return d;
}

int PrintJobPageCount(const PrintJob& job) {
    if (!job.manager) return 0;
    return PrintPageCount(job.manager->GetSheetCount(), TilesPerSheet(job.settings));
}

void DrawPrintPage(CDC& dc, const PrintJob& job, int page, bool preview) {
    if (!job.manager || !job.mayPrint) return;
    const PaperTiles tiles = TilesPerSheet(job.settings);
    PageSlot slot;
    if (!MapPrintPage(page, job.manager->GetSheetCount(), tiles, slot)) return;
    CReportSheet* sheet = job.manager->GetSheet(slot.sheet);
    if (!sheet) return;

    const int saved = dc.SaveDC();
    dc.SetPrinting(true);
    dc.SetMapMode(MM_LOMETRIC);
    const PrintDevice device = DeviceOf(dc);
    const int deviceWidth = device.widthMm * 10;
    const int deviceHeight = device.heightMm * 10;
    if (preview) {
        DrawPaperEdges(dc, deviceWidth, deviceHeight);
        // The clip is kept in device pixels, so it stays on the paper whatever origin follows.
        dc.IntersectClipRect(0, 0, deviceWidth, -deviceHeight);
    }
    const PrintPlacement placement = PlacePrintPage(job.settings, tiles, slot, device);
    dc.SetWindowOrg(placement.windowOrg);

    const bool loadedHere = !sheet->IsLoaded();
    if (loadedHere) sheet->LoadElementsFromFile();
    for (int i = 0; i < sheet->GetElementCount(); ++i)
        if (CReportElement* element = sheet->GetElement(i))
            element->Draw(&dc, placement.zoom, job.reportMode, kPrintDrawFlags);
    if (loadedHere) sheet->FreeElements();

    dc.RestoreDC(saved);
}

namespace {
PrinterChoice& Choice() {
    static PrinterChoice choice;
    return choice;
}
}  // namespace

const PrinterChoice& ChosenPrinter() { return Choice(); }
void SetChosenPrinter(const PrinterChoice& choice) { Choice() = choice; }

void ApplyChosenPrinter(QPrinter& printer) {
    const PrinterChoice& choice = Choice();
    if (!choice.printerName.empty()) {
        const QString name = QString::fromStdString(choice.printerName);
        // A queue removed since it was chosen leaves the printer as it was.
        if (!QPrinterInfo::printerInfo(name).isNull()) printer.setPrinterName(name);
    }
    if (choice.pageSizeId >= 0 && choice.pageSizeId < QPageSize::LastPageSize)
        printer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(choice.pageSizeId)));
}

bool RunPrinterSetup(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    ApplyChosenPrinter(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QString::fromUtf8("Настройка принтера"));
    // A choice of printer and paper, not a print: no page range, copies or print-to-file.
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QString::fromUtf8("OK"));
    if (dialog.exec() != QDialog::Accepted) return false;
    PrinterChoice choice;
    choice.printerName = printer.printerName().toStdString();
    const QPageSize::PageSizeId size = printer.pageLayout().pageSize().id();
    if (size != QPageSize::Custom) choice.pageSizeId = static_cast<int>(size);
    SetChosenPrinter(choice);
    return true;
}

void PreparePrinter(QPrinter& printer, const PrintSettings& settings) {
    printer.setPageOrientation(settings.pageOrient == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool PrintPages(QPrinter& printer, const PrintJob& job, bool preview, std::string* error) {
    const int count = PrintJobPageCount(job);
    if (count <= 0) {
        if (error) *error = "В отчете нет листов для печати.";
        return false;
    }
    int first = 1;
    int last = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(count, printer.toPage() > 0 ? printer.toPage() : count);
        if (first > last) {
            if (error) *error = "Нет страниц в заданном диапазоне.";
            return false;
        }
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error) *error = "Не удалось начать печать.";
        return false;
    }
    const int resolution = printer.resolution();
    const QRect paper = printer.pageLayout().fullRectPixels(resolution);
    const QRect printable = printer.pageLayout().paintRectPixels(resolution);
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer.newPage()) {
            painter.end();
            if (error) *error = "Не удалось начать новую страницу.";
            return false;
        }
        CDC dc(&painter);
        dc.SetPhysicalPage(paper.width(), paper.height(), printable.left() - paper.left(),
                           printable.top() - paper.top());
        DrawPrintPage(dc, job, page, preview);
    }
    if (!painter.end()) {
        if (error) *error = "Ошибка при завершении печати.";
        return false;
    }
    return true;
}

bool PrintWithDialog(const PrintJob& job, QWidget* parent, std::string* error) {
    QPrinter printer(QPrinter::HighResolution);
    ApplyChosenPrinter(printer);
    PreparePrinter(printer, job.settings);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, std::max(1, PrintJobPageCount(job)));
    if (dialog.exec() != QDialog::Accepted) return false;
    return PrintPages(printer, job, false, error);
}

bool PrintDirect(const PrintJob& job, const std::string& printerName, std::string* error) {
    const std::string& chosen = ChosenPrinter().printerName;
    QPrinterInfo info = printerName.empty() ? QPrinterInfo::defaultPrinter()
                                            : QPrinterInfo::printerInfo(QString::fromStdString(printerName));
    if (printerName.empty() && !chosen.empty()) {
        const QPrinterInfo kept = QPrinterInfo::printerInfo(QString::fromStdString(chosen));
        if (!kept.isNull()) info = kept;
    }
    if (info.isNull()) {
        if (error)
            *error = printerName.empty() ? std::string("Не найден принтер по умолчанию.")
                                         : "Не найден принтер \"" + printerName + "\".";
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (printerName.empty()) ApplyChosenPrinter(printer);
    PreparePrinter(printer, job.settings);
    return PrintPages(printer, job, false, error);
}

}  // namespace quillmark
