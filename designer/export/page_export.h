#pragma once
// Pages of a report drawn into image files, metafiles and the clipboard's page image. Every function
// takes the sheet (or the manager with its sheets), the document's page size in tenths of a millimetre
// and the document's mode, so the document's commands call them with what they hold.
//
// Bitmaps are drawn at exactly kBitmapPixelsPerTenth pixels per tenth of a millimetre (1485 x 1050 for an
// A4 landscape page), the clipboard's image at one pixel per tenth, metafiles at one unit per tenth with
// the frame in hundredths of a millimetre and the description "Quillmark". Every file is replaced
// atomically, so a failure keeps the old file.
#include <cstdint>
#include <string>

#include <QImage>

#include "platform/win/geometry.h"

class CFolivox;
class CReportSheet;
class QMimeData;

namespace quillmark {

inline constexpr double kBitmapPixelsPerTenth = 0.5;
inline constexpr double kClipboardPixelsPerTenth = 1.0;
// A page whose bitmap would be larger is refused (a corrupt size in a file): 100 megapixels hold a
// 2 x 2 m page at the export's resolution and an A1 page at the clipboard's.
inline constexpr int64_t kMaxPageBitmapPixels = 100'000'000;
inline constexpr const char* kMetafileDescription = "Quillmark";
// Draw flags of exports (selection off, pictures and text on) and of the single-page metafile.
inline constexpr unsigned kExportDrawFlags = 6;
inline constexpr unsigned kSinglePageMetafileFlags = 0;

// What a file name asks to be written: a bitmap (by SaveBitmapAs's extensions), a metafile ("wmf", which
// holds an enhanced metafile), or nothing known.
enum class ExportFileKind { kBitmap, kMetafile, kUnknown };
ExportFileKind ExportKindOfPath(const std::string& file);

// The sheet drawn on a new white image at that many pixels per tenth of a millimetre: the page's
// rectangle with the default pen and brush, then every element. The sheet's origin is (0, 0) while it
// draws. A null image when the page has no extent or passes kMaxPageBitmapPixels.
QImage DrawPageImage(CReportSheet* sheet, CSize page, int reportMode, double pixelsPerTenth, unsigned flags);
// The sheet recorded as an enhanced metafile (its bytes); empty for a page without extent.
std::string DrawPageMetafile(CReportSheet* sheet, CSize page, int reportMode, unsigned flags);

// The shown sheet into a bitmap file (format by extension, SaveBitmapAs) or a metafile file. False, with
// the file as it was, when the page cannot be drawn or the file cannot be written (the cause is shown).
bool RenderPageBitmap(CReportSheet* sheet, CSize page, int reportMode, const std::string& file);
bool RenderPageMetafile(CReportSheet* sheet, CSize page, int reportMode, const std::string& file,
                        unsigned flags = kSinglePageMetafileFlags);
// The file's kind decided before anything is drawn: an unknown one shows "Неизвестный формат файла.".
bool ExportPageToFile(CReportSheet* sheet, CSize page, int reportMode, const std::string& file);

// folder + "/" (unless empty or already ending in one) + prefix + "_" + sheet name + "." + type.
std::string ExportFileName(const std::string& folder, const std::string& prefix, const std::string& sheetName,
                           const std::string& type);

struct CExportAllResult {
    bool ok = true;
    int written = 0;          // files written before the failure (or all)
    std::string failedFile;   // the file that failed
};
// Every sheet of the manager, in order, into files named by ExportFileName ("wmf" makes metafiles). Sheets
// that are not loaded are loaded for their drawing and freed again; loaded ones are drawn as they are
// (unsaved edits included). Stops at the first failure.
CExportAllResult ExportAllPages(CFolivox* manager, CSize page, int reportMode, const std::string& folder,
                                const std::string& prefix, const std::string& type);
// The message that ends an export of all pages: "Экспортирование отчета завершено!" or which file failed
// and how many were written.
std::string ExportAllMessage(const CExportAllResult& result);

// The clipboard's page image: a bitmap at one pixel per tenth of a millimetre and the metafile, both at
// flags 6. False when the page cannot be drawn.
struct CPageImageData {
    QImage image;
    std::string metafile;
};
bool MakePageImageData(CReportSheet* sheet, CSize page, int reportMode, CPageImageData& data);
// A new mime data object with the image and the metafile as "image/emf" and "image/x-emf".
QMimeData* MakePageMimeData(const CPageImageData& data);

}  // namespace quillmark
