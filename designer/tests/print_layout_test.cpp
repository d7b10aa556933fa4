// The print page arithmetic: tiles per sheet, page to sheet and tile, zoom and window origin.
#include <gtest/gtest.h>

#include "designer/print/print_layout.h"

namespace {

using quillmark::MapPrintPage;
using quillmark::PageSlot;
using quillmark::PaperTiles;
using quillmark::PlacePrintPage;
using quillmark::PrintDevice;
using quillmark::PrintSettings;
using quillmark::TilesPerSheet;

PrintSettings Settings(CSize page, int orient, int split, int fit = 0, CRect area = CRect(0, 0, 2970, 2100)) {
    PrintSettings s;
    s.pageSize = page;
    s.pageOrient = orient;
    s.splitPage = split;
    s.fitToPage = fit;
    s.printArea = area;
    return s;
}

TEST(PrintTiles, AcrossAndDownByPageAndPaper) {
    struct Case {
        const char* what;
        CSize page;
        int orient;
        int split;
        int across, down;
    } cases[] = {
        {"split off prints one paper per sheet", {5940, 4200}, 1, 0, 1, 1},
        {"A4 landscape page on landscape paper", {2970, 2100}, 1, 1, 1, 1},
        {"double A4 both ways on landscape paper", {5940, 4200}, 1, 1, 2, 2},
        {"the same on portrait paper", {5940, 4200}, 0, 1, 2, 1},
        {"page smaller than the paper both ways", {2000, 1000}, 1, 1, 1, 1},
        {"page narrower than the paper, three papers high", {1000, 6300}, 1, 1, 1, 3},
        {"page of no extent", {0, 0}, 1, 1, 1, 1},
        {"negative page", {-5940, -4200}, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        const PaperTiles t = TilesPerSheet(Settings(c.page, c.orient, c.split));
        EXPECT_EQ(t.across, c.across) << c.what;
        EXPECT_EQ(t.down, c.down) << c.what;
        EXPECT_EQ(quillmark::PrintPageCount(3, t), 3 * c.across * c.down) << c.what;
    }
}

TEST(PrintTiles, PagesMapRowByRow) {
    const PaperTiles tiles{2, 2};
    struct Case {
        int page;
        bool ok;
        int sheet, row, column;
    } cases[] = {
        {1, true, 0, 0, 0}, {2, true, 0, 0, 1}, {3, true, 0, 1, 0},  {4, true, 0, 1, 1},
        {5, true, 1, 0, 0}, {8, true, 1, 1, 1}, {12, true, 2, 1, 1}, {0, false, 0, 0, 0},
        {13, false, 0, 0, 0}, {-1, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        PageSlot slot;
        ASSERT_EQ(MapPrintPage(c.page, 3, tiles, slot), c.ok) << "page " << c.page;
        if (!c.ok) continue;
        EXPECT_EQ(slot.sheet, c.sheet) << "page " << c.page;
        EXPECT_EQ(slot.row, c.row) << "page " << c.page;
        EXPECT_EQ(slot.column, c.column) << "page " << c.page;
    }
    PageSlot slot;
    EXPECT_FALSE(MapPrintPage(1, 0, tiles, slot)) << "a report without sheets has no pages";
    const PaperTiles wide{3, 1};
    ASSERT_TRUE(MapPrintPage(6, 2, wide, slot));
    EXPECT_EQ(slot.sheet, 1);
    EXPECT_EQ(slot.row, 0);
    EXPECT_EQ(slot.column, 2);
}

TEST(PrintPlacement, ZoomAndOrigin) {
    PrintDevice a4;  // 297 x 210 mm at 254 dpi, no offset
    PrintDevice offset;
    offset.offsetX = 50;   // 50 px at 254 dpi: 50 units
    offset.offsetY = 100;  // 100 px at 508 dpi: 50 units
    offset.dpiY = 508;
    PrintDevice small;
    small.widthMm = 200;
    small.heightMm = 100;
    struct Case {
        const char* what;
        PrintSettings settings;
        PrintDevice device;
        PageSlot slot;
        double zoom;
        CPoint org;
        CSize paper;
    } cases[] = {
        {"the whole A4 page: the +10 of the inclusive corners scales it slightly",
         Settings({2970, 2100}, 1, 0), a4, {}, 2100.0 / 2110.0, {0, 0}, {2970, 2100}},
        {"an area smaller than the paper prints at 1", Settings({2970, 2100}, 1, 0, 0, {100, 200, 1000, 1000}), a4,
         {}, 1.0, {100, -200}, {2970, 2100}},
        {"an area larger than the paper is scaled down, its corner with it",
         Settings({5940, 4200}, 1, 0, 0, {1000, 400, 6930, 4590}), a4, {}, 0.5, {500, -200}, {2970, 2100}},
        {"portrait takes the area's extents the other way round",
         Settings({2100, 2970}, 0, 0, 0, {0, 0, 2970, 2100}), a4, {}, 2100.0 / 2110.0, {0, 0}, {2100, 2970}},
        {"physical offsets move the page onto the paper's corner",
         Settings({2970, 2100}, 1, 0, 0, {100, 200, 1000, 1000}), offset, {}, 1.0, {150, -250}, {2970, 2100}},
        {"fit: the printable size is the paper", Settings({2970, 2100}, 1, 0, 1, {100, 200, 4090, 2190}), small, {},
         0.5, {50, -100}, {2000, 1000}},
        {"fit ignores physical offsets", Settings({2970, 2100}, 1, 0, 1, {0, 0, 990, 990}), offset, {}, 1.0, {0, 0},
         {2970, 2100}},
        {"split: the tile's column and row move the origin by papers",
         Settings({5940, 4200}, 1, 1, 0, {0, 0, 5930, 4190}), a4, {0, 1, 1}, 1.0, {2970, -2100}, {2970, 2100}},
        {"split with fit moves by the printable size", Settings({5940, 4200}, 1, 1, 1, {0, 0, 5930, 4190}), small,
         {0, 0, 1}, 1000.0 / 4200 * 2, {2000, 0}, {2000, 1000}},
        {"an area of no extent prints at 1", Settings({2970, 2100}, 1, 0, 0, {10, 10, -20, -20}), a4, {}, 1.0,
         {10, -10}, {2970, 2100}},
    };
    for (const Case& c : cases) {
        const auto p = PlacePrintPage(c.settings, TilesPerSheet(c.settings), c.slot, c.device);
        EXPECT_DOUBLE_EQ(p.zoom, c.zoom) << c.what;
        EXPECT_EQ(p.windowOrg, c.org) << c.what;
        EXPECT_EQ(p.paper, c.paper) << c.what;
    }
}

}  // namespace
