#include "controls/resources/bitmaps.h"

#include "controls/resources/artwork.h"
#include "controls/resources/sort_arrows.h"

namespace zor {

QImage LoadVistrelBitmap(int id) {
    using art::StockStrip;
    switch (id) {
    case IDB_ZOR_SORT_DOWN: return art::DrawSortArrow(false);
    case IDB_ZOR_SORT_UP: return art::DrawSortArrow(true);
    case IDB_ZOR_STD_ICO32: return art::DrawStockStrip(StockStrip::Std32);
    case IDB_ZOR_STD_ICO24: return art::DrawStockStrip(StockStrip::Std24);
    case IDB_ZOR_STD_ICO16: return art::DrawStockStrip(StockStrip::Std16);
    case IDB_ZOR_TABLE_ICO: return art::DrawStockStrip(StockStrip::Table);
    case IDB_ZOR_LOGO_FRAMES16: return art::DrawLogoFrames(false);
    case IDB_ZOR_LOGO_FRAMES256: return art::DrawLogoFrames(true);
    case IDB_ZOR_WAIT_FRAMES: return art::DrawWaitFrames();
    case IDB_ZOR_CHECK16: return art::DrawCheckStrip(false);
    case IDB_ZOR_CHECK256: return art::DrawCheckStrip(true);
    case IDB_ZOR_LOGO256: return art::DrawLogo(true);
    case IDB_ZOR_LOGO16: return art::DrawLogo(false);
    case IDB_ZOR_TREE_SORT: return art::DrawSortArrowStrip();
    default: return {};
    }
}

}  // namespace zor
