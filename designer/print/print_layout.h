#pragma once
// Where each printed page comes from and how it is placed on the paper: the page-to-sheet-and-tile
// mapping, the zoom and the window origin of a page. Pure arithmetic, so that the rules are tested case by
// case apart from any printer.
//
// Units are tenths of a millimetre. The nominal paper is A4: W x H = 2970 x 2100 in landscape
// (orientation 1), 2100 x 2970 in portrait (0). With splitting on, a sheet larger than the paper prints on
// across x down papers, numbered row by row; a sheet no larger than the paper along an axis prints one
// tile along it.
#include "platform/win/geometry.h"

namespace quillmark {

// What the document says about printing.
struct PrintSettings {
    CSize pageSize{2970, 2100};         // the sheet's extents (x horizontal)
    int pageOrient = 1;                 // 1 landscape, 0 portrait
    int splitPage = 0;                  // a page larger than the paper goes on several papers
    int fitToPage = 0;                  // scale to the printer's printable area
    CRect printArea{0, 0, 2970, 2100};  // the part of the page that is printed (left, top, right, bottom)
};

// What the printing device says of itself (GetDeviceCaps of its context).
struct PrintDevice {
    int widthMm = 297;      // HORZSIZE: printable width in millimetres
    int heightMm = 210;     // VERTSIZE
    int offsetX = 0;        // PHYSICALOFFSETX: printable area's offset on the paper, device pixels
    int offsetY = 0;        // PHYSICALOFFSETY
    int dpiX = 254;         // LOGPIXELSX
    int dpiY = 254;         // LOGPIXELSY
};

struct PaperTiles {
    int across = 1;
    int down = 1;
    int PerSheet() const { return across * down; }
};

// Sheet (from 0) and tile of a printed page.
struct PageSlot {
    int sheet = 0;
    int row = 0;
    int column = 0;
};

// The zoom the elements are drawn at and the window origin of a page, with the paper extents it used.
struct PrintPlacement {
    double zoom = 1.0;
    CPoint windowOrg;
    CSize paper;
};

// The nominal paper of the orientation.
CSize NominalPaper(int pageOrient);
// Tiles per sheet: with splitting, the page extents divided by the paper's (whole numbers, at least 1).
PaperTiles TilesPerSheet(const PrintSettings& settings);
// Printed pages of a report of sheetCount sheets.
int PrintPageCount(int sheetCount, const PaperTiles& tiles);
// Page (from 1) to sheet and tile; false for a page outside 1..PrintPageCount.
bool MapPrintPage(int page, int sheetCount, const PaperTiles& tiles, PageSlot& slot);
// The print area's extents (+10 on each, the area's corners being inclusive), swapped in portrait.
CSize PrintAreaExtent(const PrintSettings& settings);
// Zoom and window origin of a page on the device (the caller selects MM_LOMETRIC).
PrintPlacement PlacePrintPage(const PrintSettings& settings, const PaperTiles& tiles, const PageSlot& slot,
                             const PrintDevice& device);

}  // namespace quillmark
