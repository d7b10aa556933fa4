// The in-memory image: creation, palettes, moving blocks, loading and saving rules, QImage conversion.
#include <gtest/gtest.h>

#include <ostream>

#include <QImage>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "platform/gdi/dc.h"
#include "report/model/image/image_errors.h"
#include "report/model/image/image_file.h"
#include "report/tests/image/image_test_util.h"

using namespace image_test;

namespace {

struct CreateCase {
    int width, height, bits;
    int depth, stride, paletteSize, colorType;
};
// Names the case in test listings instead of dumping its bytes.
inline void PrintTo(const CreateCase& p, std::ostream* os) { *os << p.width << "x" << p.height << "x" << p.bits; }


class ImageCreate : public testing::TestWithParam<CreateCase> {};

TEST_P(ImageCreate, RaisesTheDepthAndLaysOutTheBlock) {
    const CreateCase c = GetParam();
    CImageFile image;
    ASSERT_NE(image.Create(c.width, c.height, c.bits), nullptr);
    EXPECT_EQ(image.GetBitCount(), c.depth);
    EXPECT_EQ(image.GetStride(), c.stride);
    EXPECT_EQ(image.GetPaletteSize(), c.paletteSize);
    EXPECT_EQ(image.GetColorType(), c.colorType);
    const BITMAPINFOHEADER& h = image.GetHeader();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biCompression, BI_RGB);
    EXPECT_EQ(h.biSizeImage, uint32_t(c.stride * c.height));
    EXPECT_EQ(h.biClrUsed, uint32_t(c.paletteSize));
    // The block holds a copy of the header, then the palette, then the rows.
    EXPECT_EQ(std::memcmp(image.GetBlock(), &h, sizeof h), 0);
    EXPECT_EQ(image.GetBits(), image.GetBlock() + 40 + 4 * c.paletteSize);
    EXPECT_EQ(image.GetBlockSize(), size_t(40 + 4 * c.paletteSize + c.stride * c.height));
    // New images are zero-filled, palette and pixels alike.
    const uint8_t* block = image.GetBlock();
    EXPECT_TRUE(std::all_of(block + 40, block + image.GetBlockSize(), [](uint8_t b) { return b == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Depths, ImageCreate,
                         testing::Values(CreateCase{3, 1, 1, 1, 4, 2, 1}, CreateCase{3, 1, 24, 24, 12, 0, 2},
                                         CreateCase{33, 2, 1, 1, 8, 2, 1}, CreateCase{9, 3, 4, 4, 8, 16, 1},
                                         CreateCase{5, 2, 2, 4, 4, 16, 1}, CreateCase{5, 2, 8, 8, 8, 256, 1},
                                         CreateCase{5, 2, 0, 1, 4, 2, 1}, CreateCase{5, 2, 16, 24, 16, 0, 2},
                                         CreateCase{5, 2, 32, 24, 16, 0, 2}));

TEST(ImageFile, EmptyImageDefaults) {
    CImageFile image;
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_EQ(image.GetHeader().biSize, 40u);
    EXPECT_EQ(image.GetQuality(), 75);
    EXPECT_EQ(image.GetTransparentIndex(), -1);
    EXPECT_EQ(image.GetImageIndex(), 0);
    EXPECT_EQ(image.GetImageCount(), 0);
    EXPECT_EQ(image.GetFrameDelay(), 0);
    EXPECT_TRUE(image.ToQImage().isNull());
    char r, g, b;
    EXPECT_FALSE(image.GetPaletteEntry(0, r, g, b));
    EXPECT_FALSE(image.IsInside(0, 0));
}

TEST(ImageFile, CreateRefusesSizesOutOfRangeAndKeepsTheImage) {
    CImageFile image;
    ASSERT_TRUE(image.Create(4, 4, 8));
    const uint8_t* block = image.GetBlock();
    for (auto [w, h, bits] : {std::tuple{0, 5, 8}, {5, 0, 8}, {-3, 5, 24}, {5, -1, 1}, {1 << 21, 1, 1},
                              {1 << 20, 1 << 20, 24}, {30000, 30000, 24}}) {
        EXPECT_EQ(image.Create(w, h, bits), nullptr) << w << "x" << h << "x" << bits;
        EXPECT_EQ(image.GetBlock(), block);
        EXPECT_EQ(image.GetWidth(), 4);
    }
}

TEST(ImageFile, PaletteOperations) {
    CImageFile image;
    image.Create(2, 2, 1);
    unsigned char grey[2] = {10, 200};
    image.SetPalette(2, grey, nullptr, nullptr);
    char r, g, b;
    ASSERT_TRUE(image.GetPaletteEntry(1, r, g, b));
    EXPECT_EQ(uint8_t(r), 200);
    EXPECT_EQ(uint8_t(g), 200);
    EXPECT_EQ(uint8_t(b), 200);
    unsigned char red[2] = {1, 2}, green[2] = {3, 4};
    image.SetPalette(2, red, green, nullptr);  // blue follows green
    ASSERT_TRUE(image.GetPaletteEntry(0, r, g, b));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(g, 3);
    EXPECT_EQ(b, 3);
    EXPECT_FALSE(image.GetPaletteEntry(2, r, g, b));
    EXPECT_FALSE(image.GetPaletteEntry(-1, r, g, b));

    // More entries than the palette holds are cut to its size.
    unsigned char triples[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
    image.SetPaletteRGB(triples, 3);
    EXPECT_EQ(image.GetPalette()[0].rgbRed, 9);
    EXPECT_EQ(image.GetPalette()[0].rgbBlue, 7);
    EXPECT_EQ(image.GetPalette()[1].rgbGreen, 5);
    const char raw[12] = {11, 12, 13, 0, 21, 22, 23, 0, 31, 32, 33, 0};
    image.SetPaletteRaw(raw, 3);
    EXPECT_EQ(image.GetPalette()[1].rgbBlue, 21);
    EXPECT_EQ(image.GetPalette()[1].rgbRed, 23);

    CImageFile sixteen;
    sixteen.Create(1, 1, 4);
    sixteen.SetGrayPalette();
    EXPECT_EQ(sixteen.GetPalette()[1].rgbRed, 16);
    EXPECT_EQ(sixteen.GetPalette()[15].rgbGreen, 240);

    CImageFile rgb;
    rgb.Create(1, 1, 24);
    rgb.SetGrayPalette();  // no palette: nothing happens
    EXPECT_FALSE(rgb.GetPaletteEntry(0, r, g, b));
}

TEST(ImageFile, IsInsideAndSwapRedBlue) {
    CImageFile image;
    image.Create(3, 2, 24);
    EXPECT_TRUE(image.IsInside(0, 0));
    EXPECT_TRUE(image.IsInside(2, 1));
    EXPECT_FALSE(image.IsInside(3, 1));
    EXPECT_FALSE(image.IsInside(2, 2));
    EXPECT_FALSE(image.IsInside(-1, 0));
    char bytes[7] = {1, 2, 3, 4, 5, 6, 7};
    CImageFile::SwapRedBlue(bytes, 7);
    EXPECT_EQ(std::string(bytes, 7), std::string("\3\2\1\6\5\4\7", 7));
}

TEST(ImageFile, TakeMovesTheBlockAndEmptiesTheOther) {
    CImageFile a, b;
    FillPattern(a, 5, 4, 8);
    const uint8_t* block = a.GetBlock();
    b.Create(2, 2, 24);
    b.Take(&a);
    EXPECT_EQ(b.GetBlock(), block);
    EXPECT_EQ(b.GetWidth(), 5);
    EXPECT_EQ(b.GetBitCount(), 8);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetWidth(), 0);
    b.Take(&b);  // taking itself changes nothing
    EXPECT_EQ(b.GetBlock(), block);
}

TEST(ImageFile, UnknownFormatCodes) {
    TempDir dir;
    CImageFile image;
    FillPattern(image, 4, 4, 8);
    const uint8_t* block = image.GetBlock();
    EXPECT_FALSE(image.Save(dir.File("x.img").c_str(), 6));
    EXPECT_FALSE(image.Save(dir.File("x.img").c_str(), -1));
    EXPECT_FALSE(FileExists(dir.File("x.img")));
    EXPECT_FALSE(image.Load(dir.File("x.img").c_str(), 6));
    EXPECT_EQ(image.GetBlock(), block);
}

TEST(ImageFile, FailedLoadKeepsThePictureAndTellsWhy) {
    TempDir dir;
    CImageFile image;
    FillPattern(image, 6, 5, 4);
    ASSERT_TRUE(image.Save(dir.File("a.bmp").c_str(), IMAGE_FORMAT_BMP));
    WriteBytes(dir.File("bad.tif"), {'I', 'I', 42, 0, 1, 2});
    EXPECT_FALSE(image.Load(dir.File("bad.tif").c_str(), IMAGE_FORMAT_TIFF));
    EXPECT_EQ(image.GetErrorText(), image_error::kTiffOpen);
    EXPECT_EQ(image.GetWidth(), 6);
    EXPECT_EQ(image.GetBitCount(), 4);

    // A file that cannot be opened fails without a text.
    EXPECT_FALSE(image.Load(dir.File("missing.bmp").c_str(), IMAGE_FORMAT_BMP));
    EXPECT_EQ(image.GetErrorText(), "");
    EXPECT_EQ(image.GetWidth(), 6);

    CImageFile loaded(dir.File("a.bmp").c_str(), IMAGE_FORMAT_BMP);
    EXPECT_EQ(CountDifferences(loaded, image), 0);
    EXPECT_EQ(loaded.GetFileName(), dir.File("a.bmp"));
    EXPECT_EQ(loaded.GetFormat(), IMAGE_FORMAT_BMP);
}

TEST(ImageFile, FileNamesLongerThanThePlatformAllowsFail) {
    TempDir dir;
    CImageFile image;
    FillPattern(image, 2, 2, 1);
    const std::string longName = dir.Path() + "/" + std::string(PATH_MAX, 'a') + ".bmp";
    EXPECT_FALSE(image.Save(longName.c_str(), IMAGE_FORMAT_BMP));
    EXPECT_FALSE(image.Load(longName.c_str(), IMAGE_FORMAT_BMP));
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_FALSE(image.Save(nullptr, IMAGE_FORMAT_BMP));
    EXPECT_FALSE(image.Load("", IMAGE_FORMAT_BMP));
}

TEST(ImageFile, UtfEightFileNames) {
    TempDir dir;
    CImageFile image;
    FillPattern(image, 7, 3, 24);
    const std::string name = dir.File("Рисунок отчёта.png");
    ASSERT_TRUE(image.Save(name.c_str(), IMAGE_FORMAT_PNG));
    CImageFile loaded(name.c_str(), IMAGE_FORMAT_PNG);
    EXPECT_EQ(CountDifferences(loaded, image), 0);
}

TEST(ImageFile, SavingAnEmptyImageWritesNothing) {
    TempDir dir;
    CImageFile image;
    EXPECT_FALSE(image.Save(dir.File("e.bmp").c_str(), IMAGE_FORMAT_BMP));
    EXPECT_FALSE(FileExists(dir.File("e.bmp")));
}

TEST(ImageFile, AFailedSaveLeavesTheOldFileAndNoLeftovers) {
    TempDir dir;
    CImageFile small, rgb;
    FillPattern(small, 4, 4, 8);
    FillPattern(rgb, 4, 4, 24);
    const std::string path = dir.File("keep.gif");
    ASSERT_TRUE(small.Save(path.c_str(), IMAGE_FORMAT_GIF));
    const auto before = ReadBytes(path);
    EXPECT_FALSE(rgb.Save(path.c_str(), IMAGE_FORMAT_GIF));
    EXPECT_EQ(rgb.GetErrorText(), image_error::kGifDepth);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(rgb.Save(dir.File("none/x.gif").c_str(), IMAGE_FORMAT_GIF));
    EXPECT_EQ(rgb.GetErrorText(), image_error::kGifDepth);
    CImageFile grey;
    FillPattern(grey, 4, 4, 8);
    EXPECT_FALSE(grey.Save(dir.File("none/x.gif").c_str(), IMAGE_FORMAT_GIF));
    EXPECT_EQ(grey.GetErrorText(), image_error::kGifCantOpen);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(ImageFile, SavingThroughALinkReplacesTheFileItNames) {
    TempDir dir;
    CImageFile image;
    FillPattern(image, 3, 3, 8);
    ASSERT_TRUE(image.Save(dir.File("real.bmp").c_str(), IMAGE_FORMAT_BMP));
    std::filesystem::create_symlink(dir.File("real.bmp"), dir.File("link.bmp"));
    FillPattern(image, 5, 4, 24);
    ASSERT_TRUE(image.Save(dir.File("link.bmp").c_str(), IMAGE_FORMAT_BMP));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.bmp")));
    CImageFile back(dir.File("real.bmp").c_str(), IMAGE_FORMAT_BMP);
    EXPECT_EQ(back.GetWidth(), 5);
}

TEST(ImageFile, FromQImageAndBack) {
    QImage mono(19, 6, QImage::Format_Mono);
    mono.setColorTable({qRgb(10, 20, 30), qRgb(240, 230, 220)});
    QImage indexed(7, 4, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) table.append(qRgb(i, 255 - i, (i * 7) & 255));
    indexed.setColorTable(table);
    QImage argb(9, 6, QImage::Format_ARGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 19; ++x) {
            mono.setPixel(x, y, (x + y) % 3 == 0);
            if (x < 7 && y < 4) indexed.setPixel(x, y, (x * 31 + y * 17) & 255);
            if (x < 9) argb.setPixel(x, y, qRgb(x * 20, y * 40, 255 - x * y));
        }
    struct Case {
        const QImage& source;
        int bits;
    };
    for (const Case& c : {Case{mono, 1}, Case{indexed, 8}, Case{argb, 24}}) {
        CImageFile image(c.source);
        ASSERT_FALSE(image.IsEmpty());
        EXPECT_EQ(image.GetBitCount(), c.bits);
        EXPECT_EQ(CountDifferences(image, c.source), 0) << c.bits;
        EXPECT_EQ(CountDifferences(image, image.ToQImage()), 0) << c.bits;
    }
    CImageFile none{QImage()};
    EXPECT_TRUE(none.IsEmpty());
}

TEST(ImageFile, DrawStretchesOverTheRectangle) {
    QImage canvas(40, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    CImageFile image;
    image.Create(2, 1, 4);
    image.GetPalette()[1] = RGBQUAD{0, 0, 255, 0};
    image.GetPalette()[2] = RGBQUAD{255, 0, 0, 0};
    SetPixelIndex(image, 0, 0, 1);
    SetPixelIndex(image, 1, 0, 2);
    {
        CDC dc(&canvas);
        dc.SetMapMode(MM_TEXT);
        EXPECT_EQ(image.Draw(&dc, 10, 5, 20, 10), 1);
        EXPECT_EQ(image.Draw(nullptr, 10, 5, 20, 10), 0);
        CImageFile empty;
        EXPECT_EQ(empty.Draw(&dc, 0, 0, 40, 20), 0);
    }
    EXPECT_EQ(canvas.pixel(10, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(canvas.pixel(19, 14) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(canvas.pixel(20, 5) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(canvas.pixel(29, 14) & 0xFFFFFF, 0x0000FFu);
    for (auto [x, y] : {std::pair{9, 5}, {30, 5}, {15, 4}, {15, 15}, {0, 0}})
        EXPECT_EQ(canvas.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
}

}  // namespace
