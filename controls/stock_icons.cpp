#include "controls/stock_icons.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include "controls/resources/bitmaps.h"
#include "controls/resources/imagelist.h"
#include "controls/resources/palette.h"

namespace {

struct StockLists {
    CImageList std32, std24, std16, table, check, check256;
};

// Built once, on first use: pixmaps cannot exist before the application does, so the lists
// are not filled when the library is loaded.
const StockLists& Lists() {
    static const StockLists lists = [] {
        using namespace zor;
        const COLORREF mask = art::kMaskColour;
        StockLists l;
        l.std32.Create(LoadVistrelBitmap(IDB_ZOR_STD_ICO32), 32, mask);
        l.std24.Create(LoadVistrelBitmap(IDB_ZOR_STD_ICO24), 24, mask);
        l.std16.Create(LoadVistrelBitmap(IDB_ZOR_STD_ICO16), 16, mask);
        l.table.Create(LoadVistrelBitmap(IDB_ZOR_TABLE_ICO), 16, mask);
        l.check.Create(LoadVistrelBitmap(IDB_ZOR_CHECK16), 20, mask);
        l.check256.Create(20, 20);
        l.check256.Add(LoadVistrelBitmap(IDB_ZOR_CHECK256), mask);
        return l;
    }();
    return lists;
}

}  // namespace

QIcon GetZorStdIco32(int index) { return Lists().std32.GetIcon(index); }
QIcon GetZorStdIco24(int index) { return Lists().std24.GetIcon(index); }
QIcon GetZorStdIco16(int index) { return Lists().std16.GetIcon(index); }
QIcon GetZorTableIco(int index) { return Lists().table.GetIcon(index); }
QIcon GetZorCheckIco(int index, int flag) {
    return flag == 0 ? Lists().check.GetIcon(index) : Lists().check256.GetIcon(index);
}

int zorGetBitPerPixel(const QWidget* wnd) {
    if (!wnd) return 0;
    const QScreen* screen = wnd->screen();
    return screen ? screen->depth() : 0;
}

int zorLogoBitmapId(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? zor::IDB_ZOR_LOGO16 : zor::IDB_ZOR_LOGO256;
}

bool zorGetLogoBmp(QPixmap& bitmap, const QWidget* wnd) {
    if (!bitmap.isNull() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    QImage logo = zor::LoadVistrelBitmap(zorLogoBitmapId(zorGetBitPerPixel(wnd)));
    // Light grey takes the button face, so the logo sits on the dialog without a frame of grey.
    const QRgb face = QGuiApplication::palette().color(QPalette::Active, QPalette::Button).rgb();
    QList<QRgb> colours = logo.colorTable();
    for (QRgb& c : colours)
        if (c == zor::art::kMaskRgb) c = face;
    logo.setColorTable(colours);
    bitmap = QPixmap::fromImage(logo);
    return !bitmap.isNull();
}
