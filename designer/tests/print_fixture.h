#pragma once
// Reports written for the printing tests, and the printed pages read back as grey images: a PDF rendered
// by pdftoppm, or a page drawn straight into an image.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/geometry.h"

class QImage;

class CReportSheet;

namespace print_test {

// A line of the test reports: from (x, y) (page coordinates, y up, the page's top at 0) to x + length,
// 3 mm thick, so that it is plainly black at a low resolution.
struct Bar {
    int x = 0;
    int y = 0;
    int length = 500;
};

struct ReportPlan {
    CSize page{2970, 2100};
    int orient = 1;
    CRect area{0, 0, 2970, 2100};
    int fit = 0;  // -1: not in the file, so the profile's switch applies
    int mode = 1;  // view mode: no editing aids are drawn
    bool withUser = false;  // the report holds a user (who would have to log in)
    // The bars of each sheet; one entry per sheet.
    std::vector<std::vector<Bar>> sheets;
};

// Writes the report to path through the model, with the dictionary of QM_DICT_DIR; false with the
// store's reason.
bool WriteReport(const std::string& path, const ReportPlan& plan, std::string& error);

// A grey image (0 black .. 255 white).
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    int At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The darkest pixel of the rectangle of pixels (clipped to the image); 255 for one outside.
    int Darkest(int left, int top, int right, int bottom) const;
};

// The image turned a quarter clockwise or counter-clockwise.
GreyImage Turned(const GreyImage& image, bool clockwise);
// Reads a binary PGM (P5) file.
bool ReadPgm(const std::string& path, GreyImage& image);
// Runs a command; its exit status and standard output.
std::pair<int, std::string> RunCommand(const std::string& command);
// The pages of a PDF rendered by pdftoppm at dpi, in order.
std::vector<GreyImage> RenderPdf(const std::string& pdf, int dpi, const std::string& folder);
// pdfinfo's "Pages:" and the first page's size in points.
struct PdfFacts {
    int pages = 0;
    double width = 0;
    double height = 0;
};
PdfFacts ReadPdfInfo(const std::string& pdf);

// A picture as a grey image (any format; colours by their luminance).
GreyImage GreyOf(const QImage& image);

// How a printed page agrees with the page image of its sheet, both at the same resolution (pixels per
// millimetre). Ink is a pixel darker than mid-grey; a band of edgeMm along the borders is left out (the
// page image draws the page's frame there, printing does not). Empty when they agree: the same
// orientation and size within toleranceMm, the bounding boxes of the ink within toleranceMm of each
// other (nothing cut or moved), and the ink of each within toleranceMm of ink of the other, looked at in
// cells of toleranceMm, at most missShare of the inked cells of either having no inked cell beside them
// in the other. Else what differs.
std::string CompareWithPageImage(const GreyImage& printed, const GreyImage& image, double pixelsPerMm,
                                 double toleranceMm, double edgeMm = 1.5, double missShare = 0.02);

// Whether a bar (page coordinates, tenths of a millimetre) printed at zoom z from origin org (the page
// point on the paper's corner, y downward) shows as dark pixels in an image of dpi.
bool BarShows(const GreyImage& page, const Bar& bar, double zoom, CPoint paperCorner, int dpi);

// A print scheduler of the test's own (CUPS's cupsd, in a private folder, listening on a socket there, so
// that it neither needs nor touches the machine's), with one queue, "quillmark_test", the scheduler's
// default, that writes what it is sent to a file: the PDF that Qt's printing hands to CUPS.
class PrivateCupsQueue {
public:
    static constexpr const char* kQueue = "quillmark_test";
    PrivateCupsQueue() = default;
    ~PrivateCupsQueue();
    PrivateCupsQueue(const PrivateCupsQueue&) = delete;
    PrivateCupsQueue& operator=(const PrivateCupsQueue&) = delete;

    // False with the reason when there is no scheduler on the machine or it would not start.
    bool Start(const std::string& folder, std::string& why);
    // The value of CUPS_SERVER that reaches the scheduler.
    const std::string& Socket() const { return m_socket; }
    const std::string& Output() const { return m_output; }
    // Waits, at most timeoutMs, until the queue has no job left and the output is a whole PDF.
    bool WaitForOutput(int timeoutMs) const;

private:
    std::string Run(const std::string& command) const;
    std::string m_folder;
    std::string m_socket;
    std::string m_output;
    int m_pid = -1;
};

}  // namespace print_test
