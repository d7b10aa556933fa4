#include "designer/export/page_export.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include <QByteArray>
#include <QMimeData>

#include "platform/base/file_io.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/emf_writer.h"
#include "platform/ui/messages.h"
#include "report/generation/generate_report.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark {
namespace {

// Pages beyond 10 m along a side come only from a damaged file; they would overflow the frame's units.
constexpr int kMaxPageExtent = 100000;

bool PageDrawable(const CReportSheet* sheet, CSize page) {
    return sheet && page.cx > 0 && page.cy > 0 && page.cx <= kMaxPageExtent && page.cy <= kMaxPageExtent;
}

// A sheet that is not loaded is loaded for a drawing and freed after it; the origin is (0, 0) meanwhile.
class SheetForDrawing {
public:
    explicit SheetForDrawing(CReportSheet* sheet) : m_sheet(sheet), m_load(!sheet->IsLoaded()) {
        if (m_load) m_sheet->LoadElementsFromFile();
        m_origin = m_sheet->SetOrgPt(CPoint(0, 0));
    }
    ~SheetForDrawing() {
        m_sheet->SetOrgPt(m_origin);
        if (m_load) m_sheet->FreeElements();
    }
    SheetForDrawing(const SheetForDrawing&) = delete;
    SheetForDrawing& operator=(const SheetForDrawing&) = delete;

private:
    CReportSheet* m_sheet;
    bool m_load;
    CPoint m_origin;
};

void DrawPage(CDC& dc, CReportSheet* sheet, CSize page, int reportMode, double zoom, unsigned flags) {
    dc.SetMapMode(MM_LOMETRIC);
    SheetForDrawing drawing(sheet);
    dc.Rectangle(0, 0, ZoomTrunc(page.cx * zoom), -ZoomTrunc(page.cy * zoom));
    for (CReportElement* element : sheet->GetElements())
        if (element) element->Draw(&dc, zoom, reportMode, flags);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

ExportFileKind ExportKindOfPath(const std::string& file) {
    const size_t dot = file.rfind('.');
    const size_t slash = file.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const std::string ext = Lower(file.substr(dot + 1));
        if (ext == "wmf") return ExportFileKind::kMetafile;
    }
    return BitmapFormatOfPath(file) >= 0 ? ExportFileKind::kBitmap : ExportFileKind::kUnknown;
}

QImage DrawPageImage(CReportSheet* sheet, CSize page, int reportMode, double pixelsPerTenth, unsigned flags) {
    if (!PageDrawable(sheet, page) || pixelsPerTenth <= 0) return {};
    const int64_t width = static_cast<int64_t>(page.cx * pixelsPerTenth);
    const int64_t height = static_cast<int64_t>(page.cy * pixelsPerTenth);
    if (width <= 0 || height <= 0 || width * height > kMaxPageBitmapPixels) return {};
    // Exporting every page draws one page after another into pictures of one size: the picture's memory is
    // kept for the next page instead of being handed back and faulted in anew for each (that took about as
    // long as the drawing). A picture the caller still holds is not drawn over: a new one is made.
    constexpr int64_t kKeptPixels = 4 * 1024 * 1024;
    static thread_local QImage t_kept;
    QImage image;
    if (t_kept.width() == width && t_kept.height() == height && t_kept.isDetached()) {
        image = std::move(t_kept);
    } else {
        image = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_BGR888);
        if (image.isNull()) return {};
    }
    // At 254 dpi a logical unit is one pixel; the zoom makes a tenth of a millimetre pixelsPerTenth pixels.
    image.setDotsPerMeterX(10000);
    image.setDotsPerMeterY(10000);
    image.fill(Qt::white);
    {
        CDC dc(&image);
        DrawPage(dc, sheet, page, reportMode, pixelsPerTenth, flags);
    }
    if (width * height <= kKeptPixels) t_kept = image;
    return image;
}

std::string DrawPageMetafile(CReportSheet* sheet, CSize page, int reportMode, unsigned flags) {
    if (!PageDrawable(sheet, page)) return {};
    CEmfRecorder emf(CRect(0, 0, page.cx * 10, page.cy * 10), kMetafileDescription);
    {
        CDC dc(&emf);
        DrawPage(dc, sheet, page, reportMode, 1.0, flags);
    }
    return emf.Finish();
}

bool RenderPageBitmap(CReportSheet* sheet, CSize page, int reportMode, const std::string& file) {
    const QImage image = DrawPageImage(sheet, page, reportMode, kBitmapPixelsPerTenth, kExportDrawFlags);
    if (image.isNull()) return false;
    return SaveBitmapAs(image, file.c_str());
}

bool RenderPageMetafile(CReportSheet* sheet, CSize page, int reportMode, const std::string& file, unsigned flags) {
    if (file.empty()) return false;
    const std::string bytes = DrawPageMetafile(sheet, page, reportMode, flags);
    if (bytes.empty()) return false;
    std::string error;
    if (!zor::WriteFileAtomically(file, bytes, &error)) {
        AfxMessageBox(error, MB_OK);
        return false;
    }
    return true;
}

bool ExportPageToFile(CReportSheet* sheet, CSize page, int reportMode, const std::string& file) {
    switch (ExportKindOfPath(file)) {
        case ExportFileKind::kMetafile: return RenderPageMetafile(sheet, page, reportMode, file);
        case ExportFileKind::kBitmap: return RenderPageBitmap(sheet, page, reportMode, file);
        case ExportFileKind::kUnknown: break;
    }
    AfxMessageBox("Неизвестный формат файла.", MB_OK);
    return false;
}

std::string ExportFileName(const std::string& folder, const std::string& prefix, const std::string& sheetName,
                           const std::string& type) {
    std::string name = folder;
    if (!name.empty() && name.back() != '/') name += '/';
    return name + prefix + "_" + sheetName + "." + type;
}

CExportAllResult ExportAllPages(CFolivox* manager, CSize page, int reportMode, const std::string& folder,
                                const std::string& prefix, const std::string& type) {
    CExportAllResult result;
    if (!manager) return result;
    for (CReportSheet* sheet : manager->GetSheets()) {
        if (!sheet) continue;
        const std::string file = ExportFileName(folder, prefix, sheet->GetName(), type);
        bool written = false;
        switch (ExportKindOfPath(file)) {
            case ExportFileKind::kMetafile:
                written = RenderPageMetafile(sheet, page, reportMode, file, kExportDrawFlags);
                break;
            case ExportFileKind::kBitmap: written = RenderPageBitmap(sheet, page, reportMode, file); break;
            case ExportFileKind::kUnknown: AfxMessageBox("Неизвестный формат файла.", MB_OK); break;
        }
        if (!written) {
            result.ok = false;
            result.failedFile = file;
            return result;
        }
        ++result.written;
    }
    return result;
}

std::string ExportAllMessage(const CExportAllResult& result) {
    if (result.ok) return "Экспортирование отчета завершено!";
    return fmt::format("Ошибка при экспортировании отчета в файл \"{}\". Записано файлов: {}.", result.failedFile,
                       result.written);
}

bool MakePageImageData(CReportSheet* sheet, CSize page, int reportMode, CPageImageData& data) {
    data.image = DrawPageImage(sheet, page, reportMode, kClipboardPixelsPerTenth, kExportDrawFlags);
    data.metafile = data.image.isNull() ? std::string() : DrawPageMetafile(sheet, page, reportMode, kExportDrawFlags);
    return !data.image.isNull() && !data.metafile.empty();
}

QMimeData* MakePageMimeData(const CPageImageData& data) {
    auto* mime = new QMimeData;
    mime->setImageData(data.image);
    const QByteArray emf(data.metafile.data(), static_cast<qsizetype>(data.metafile.size()));
    mime->setData("image/emf", emf);
    mime->setData("image/x-emf", emf);
    return mime;
}

}  // namespace quillmark
