#pragma once
// The drawing of each bitmap; LoadVistrelBitmap picks one by number.
#include <QImage>

namespace zor::art {

enum class StockStrip { Std32, Std24, Std16, Table };

QImage DrawStockStrip(StockStrip strip);      // 16 colours
QImage DrawCheckStrip(bool manyColours);      // 16 or 256 colours
QImage DrawLogo(bool manyColours);            // 16 or 256 colours
QImage DrawWaitFrames();                      // 256 colours
QImage DrawLogoFrames(bool manyColours);      // 16 or 256 colours

}  // namespace zor::art
