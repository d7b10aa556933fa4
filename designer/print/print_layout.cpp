#include "designer/print/print_layout.h"

#include <algorithm>

namespace quillmark {

namespace {

constexpr int kA4Long = 2970;
constexpr int kA4Short = 2100;

// Device pixels to tenths of a millimetre at dpi (integer arithmetic, as the device reports).
int PixelsToLometric(int pixels, int dpi) { return dpi > 0 ? pixels * 254 / dpi : 0; }

// How far the paper's side is scaled to take the area's extent over n papers; 1 for an area of no extent.
double SideZoom(int paper, int area, int n) {
    if (area <= 0 || paper <= 0) return 1.0;
    return static_cast<double>(paper) / area * n;
}

}  // namespace

CSize NominalPaper(int pageOrient) {
    return pageOrient != 0 ? CSize(kA4Long, kA4Short) : CSize(kA4Short, kA4Long);
}

PaperTiles TilesPerSheet(const PrintSettings& settings) {
    PaperTiles tiles;
    if (!settings.splitPage) return tiles;
    const CSize paper = NominalPaper(settings.pageOrient);
    // A page smaller than the paper along an axis still prints once along it.
    tiles.across = std::max(1, settings.pageSize.cx / paper.cx);
    tiles.down = std::max(1, settings.pageSize.cy / paper.cy);
    return tiles;
}

int PrintPageCount(int sheetCount, const PaperTiles& tiles) {
    if (sheetCount <= 0) return 0;
    return sheetCount * tiles.PerSheet();
}

bool MapPrintPage(int page, int sheetCount, const PaperTiles& tiles, PageSlot& slot) {
    if (page < 1 || page > PrintPageCount(sheetCount, tiles)) return false;
    const int perSheet = tiles.PerSheet();
    const int tile = (page - 1) % perSheet;
    slot.sheet = (page - 1) / perSheet;
    slot.row = tile / tiles.across;
    slot.column = tile % tiles.across;
    return true;
}

CSize PrintAreaExtent(const PrintSettings& settings) {
    const CRect& a = settings.printArea;
    const int width = a.right - a.left + 10;
    const int height = a.bottom - a.top + 10;
    return settings.pageOrient != 0 ? CSize(width, height) : CSize(height, width);
}

PrintPlacement PlacePrintPage(const PrintSettings& settings, const PaperTiles& tiles, const PageSlot& slot,
                             const PrintDevice& device) {
    PrintPlacement p;
    const CSize area = PrintAreaExtent(settings);
    p.paper = settings.fitToPage ? CSize(device.widthMm * 10, device.heightMm * 10) : NominalPaper(settings.pageOrient);
    p.zoom = std::min({SideZoom(p.paper.cx, area.cx, tiles.across), SideZoom(p.paper.cy, area.cy, tiles.down), 1.0});
    // The elements are drawn at the zoom, so the area's corner is taken at the zoom too (else a scaled-down
    // area that does not start at the page's corner would slide off the paper).
    const int left = static_cast<int>(p.zoom * settings.printArea.left);
    const int top = static_cast<int>(p.zoom * settings.printArea.top);
    if (settings.fitToPage) {
        p.windowOrg = CPoint(left, -top);
    } else {
        // The device's origin is the printable area's corner: moving by the physical offset puts the page's
        // corner on the paper's.
        p.windowOrg = CPoint(left + PixelsToLometric(device.offsetX, device.dpiX),
                             -top - PixelsToLometric(device.offsetY, device.dpiY));
    }
    p.windowOrg.x += slot.column * p.paper.cx;
    p.windowOrg.y -= slot.row * p.paper.cy;
    return p;
}

}  // namespace quillmark
