#include "controls/stock_icons.h"

#include <functional>

#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

#include "controls/resources/bitmaps.h"
#include "controls/resources/imagelist.h"
#include "controls/tests/gui_test_app.h"

namespace {

constexpr QRgb kLightGrey = 0xFFC0C0C0;

struct StockList {
    const char* name;
    int bitmap;
    QSize stripSize;
    QSize imageSize;
    int count;
    int colours;
    std::function<QIcon(int)> icon;
};

const StockList kLists[] = {
    {"standard 32", zor::IDB_ZOR_STD_ICO32, {224, 32}, {32, 32}, 7, 16, GetZorStdIco32},
    {"standard 24", zor::IDB_ZOR_STD_ICO24, {192, 24}, {24, 24}, 8, 16, GetZorStdIco24},
    {"standard 16", zor::IDB_ZOR_STD_ICO16, {496, 15}, {16, 15}, 31, 16, GetZorStdIco16},
    {"table", zor::IDB_ZOR_TABLE_ICO, {944, 15}, {16, 15}, 59, 16, GetZorTableIco},
    {"check", zor::IDB_ZOR_CHECK16, {140, 20}, {20, 20}, 7, 16, [](int i) { return GetZorCheckIco(i, 0); }},
    {"check 256", zor::IDB_ZOR_CHECK256, {140, 20}, {20, 20}, 7, 256, [](int i) { return GetZorCheckIco(i, 1); }},
    {"check, any other flag", zor::IDB_ZOR_CHECK256, {140, 20}, {20, 20}, 7, 256,
     [](int i) { return GetZorCheckIco(i, -3); }},
};

int DistinctColours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
    return int(seen.size());
}

class StockIcons : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureGuiApplication(); }
};

TEST_F(StockIcons, BitmapsKeepTheirSizesAndColourDepth) {
    struct Bitmap { int id; QSize size; int colours; };
    const Bitmap bitmaps[] = {
        {zor::IDB_ZOR_STD_ICO32, {224, 32}, 16}, {zor::IDB_ZOR_STD_ICO24, {192, 24}, 16},
        {zor::IDB_ZOR_STD_ICO16, {496, 15}, 16}, {zor::IDB_ZOR_TABLE_ICO, {944, 15}, 16},
        {zor::IDB_ZOR_WAIT_FRAMES, {96, 32}, 256}, {zor::IDB_ZOR_CHECK16, {140, 20}, 16},
        {zor::IDB_ZOR_CHECK256, {140, 20}, 256}, {zor::IDB_ZOR_LOGO256, {400, 70}, 256},
        {zor::IDB_ZOR_LOGO16, {400, 70}, 16},
    };
    for (const Bitmap& b : bitmaps) {
        SCOPED_TRACE(b.id);
        const QImage image = zor::LoadVistrelBitmap(b.id);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), b.size);
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        EXPECT_LE(image.colorCount(), b.colours);
        const int used = DistinctColours(image);
        if (b.colours > 16) {
            EXPECT_GT(used, 16) << "drawn with no more colours than the 16-colour bitmaps";
        }
        EXPECT_TRUE(image.colorTable().contains(kLightGrey)) << "no transparent background";
    }
    EXPECT_TRUE(zor::LoadVistrelBitmap(1053).isNull());
    EXPECT_TRUE(zor::LoadVistrelBitmap(0).isNull());
}

TEST_F(StockIcons, EachIconIsItsImageWithLightGreyTransparent) {
    for (const StockList& list : kLists) {
        SCOPED_TRACE(list.name);
        const QImage strip = zor::LoadVistrelBitmap(list.bitmap).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(strip.size(), list.stripSize);
        ASSERT_EQ(strip.width(), list.count * list.imageSize.width());
        for (int i = 0; i < list.count; ++i) {
            SCOPED_TRACE(i);
            const QIcon icon = list.icon(i);
            ASSERT_FALSE(icon.isNull());
            const QImage image = icon.pixmap(list.imageSize).toImage().convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(image.size(), list.imageSize);
            int transparent = 0, opaque = 0, wrong = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb drawn = strip.pixel(i * list.imageSize.width() + x, y);
                    const QRgb shown = image.pixel(x, y);
                    if (drawn == kLightGrey) {
                        ++transparent;
                        wrong += qAlpha(shown) != 0;
                    } else {
                        ++opaque;
                        wrong += shown != drawn;
                    }
                }
            }
            EXPECT_EQ(wrong, 0);
            EXPECT_GT(transparent, 0);
            EXPECT_GT(opaque, 10) << "an empty picture";
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corner shows the background";
        }
        EXPECT_TRUE(list.icon(list.count).isNull()) << "past the end";
        EXPECT_TRUE(list.icon(-1).isNull());
    }
    // Every position of a strip is its own picture.
    for (int i = 1; i < 31; ++i)
        EXPECT_NE(GetZorStdIco16(i).pixmap(16, 15).toImage(), GetZorStdIco16(i - 1).pixmap(16, 15).toImage()) << i;
}

TEST_F(StockIcons, ImageListCutsStripsAtItsWidth) {
    QImage strip(35, 4, QImage::Format_RGB32);
    strip.fill(kLightGrey);
    for (int i = 0; i < 3; ++i) strip.setPixel(i * 10 + i, 1, qRgb(0, 0, 128));

    CImageList list;
    ASSERT_TRUE(list.Create(strip, 10, RGB(0xC0, 0xC0, 0xC0)));
    EXPECT_EQ(list.GetImageCount(), 3) << "the partial fourth image is dropped";
    EXPECT_EQ(list.GetImageSize(), QSize(10, 4));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.GetImage(i).pixel(i, 1), qRgb(0, 0, 128)) << i;
        EXPECT_EQ(qAlpha(list.GetImage(i).pixel((i + 5) % 10, 1)), 0) << i;
    }
    EXPECT_EQ(list.Add(strip, RGB(0xC0, 0xC0, 0xC0)), 3);
    EXPECT_EQ(list.GetImageCount(), 6);
    EXPECT_EQ(list.Add(QImage(8, 4, QImage::Format_RGB32), 0), -1) << "narrower than one image";
    EXPECT_TRUE(list.GetImage(6).isNull());
    EXPECT_TRUE(list.GetIcon(-1).isNull());

    CImageList empty;
    EXPECT_FALSE(empty.Create(strip, 0, 0));
    EXPECT_FALSE(empty.Create(QImage(), 10, 0));
    EXPECT_EQ(empty.GetImageCount(), 0);
}

TEST_F(StockIcons, LogoFollowsTheDisplayDepth) {
    struct Case { int bits; int logo; };
    const Case cases[] = {{0, 1076}, {1, 1076}, {4, 1076}, {8, 1076}, {9, 1075}, {16, 1075}, {24, 1075}, {32, 1075}};
    for (const Case& c : cases) EXPECT_EQ(zorLogoBitmapId(c.bits), c.logo) << c.bits;

    EXPECT_EQ(zorGetBitPerPixel(nullptr), 0);
    QWidget window;
    EXPECT_GT(zorGetBitPerPixel(&window), 8) << "the offscreen screen is a true-colour screen";
}

TEST_F(StockIcons, LogoTakesTheButtonFaceForLightGrey) {
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    const QRgb face = qRgb(12, 34, 56);
    palette.setColor(QPalette::Button, QColor(face));
    QApplication::setPalette(palette);

    QWidget window;
    struct Case { const QWidget* window; int bitmap; };
    for (const Case& c : {Case{nullptr, zor::IDB_ZOR_LOGO16}, Case{&window, zor::IDB_ZOR_LOGO256}}) {
        SCOPED_TRACE(c.bitmap);
        QPixmap logo;
        ASSERT_TRUE(zorGetLogoBmp(logo, c.window));
        const QImage shown = logo.toImage().convertToFormat(QImage::Format_RGB32);
        const QImage drawn = zor::LoadVistrelBitmap(c.bitmap).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), QSize(400, 70));
        int mismatches = 0, faces = 0;
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 400; ++x) {
                const QRgb expected = drawn.pixel(x, y) == kLightGrey ? face : drawn.pixel(x, y);
                mismatches += shown.pixel(x, y) != expected;
                faces += shown.pixel(x, y) == face;
            }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(faces, 400 * 70 / 3);

        // A bitmap that already holds a picture is not replaced.
        const qint64 key = logo.cacheKey();
        EXPECT_FALSE(zorGetLogoBmp(logo, c.window));
        EXPECT_EQ(logo.cacheKey(), key);
    }
    QApplication::setPalette(saved);
}

}  // namespace
