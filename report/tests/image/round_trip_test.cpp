// Every format and depth written by us, read back by us and by an independent decoder.
// Qt's image reader is the independent decoder; for TIFF, which Qt cannot read on this platform,
// libtiff's own RGBA reader is.
#include <gtest/gtest.h>

#include <ostream>

#include <QImage>
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "report/model/image/gif_lzw.h"
#include "report/model/image/image_file.h"
#include "report/tests/image/image_test_util.h"

using namespace image_test;

namespace {

struct RoundTrip {
    int format;
    int bits;
    int readBits;  // GIF files always read as 8-bit images
    const char* extension;
    const char* qtFormat;  // null: TIFF, checked through libtiff
};
// Names the case in test listings instead of dumping its bytes.
inline void PrintTo(const RoundTrip& p, std::ostream* os) { *os << p.extension << p.bits; }


std::string Name(const testing::TestParamInfo<RoundTrip>& info) {
    return std::string(info.param.extension) + std::to_string(info.param.bits);
}

class FormatRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(FormatRoundTrip, SamePixelsForUsAndForAnIndependentDecoder) {
    const RoundTrip c = GetParam();
    TempDir dir;
    CImageFile image;
    FillPattern(image, 37, 23, c.bits);
    const std::string path = dir.File(std::string("picture.") + c.extension);
    ASSERT_TRUE(image.Save(path.c_str(), c.format)) << image.GetErrorText();
    EXPECT_EQ(image.GetFileName(), path);
    EXPECT_EQ(image.GetFormat(), c.format);

    CImageFile back;
    ASSERT_TRUE(back.Load(path.c_str(), c.format)) << back.GetErrorText();
    EXPECT_EQ(back.GetBitCount(), c.readBits);
    EXPECT_EQ(CountDifferences(back, image), 0);
    if (c.bits <= 8) {
        for (int i = 0; i < image.GetPaletteSize(); ++i)
            EXPECT_EQ(std::memcmp(&back.GetPalette()[i], &image.GetPalette()[i], 3), 0) << i;
        EXPECT_EQ(PaletteIndex(back, 36, 22), PaletteIndex(image, 36, 22));
    }

    const QImage independent = c.qtFormat ? QImage(QString::fromStdString(path), c.qtFormat)
                                          : ReadTiffIndependently(path);
    ASSERT_FALSE(independent.isNull());
    EXPECT_EQ(CountDifferences(image, independent), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatRoundTrip,
    testing::Values(RoundTrip{IMAGE_FORMAT_BMP, 1, 1, "bmp", "BMP"}, RoundTrip{IMAGE_FORMAT_BMP, 4, 4, "bmp", "BMP"},
                    RoundTrip{IMAGE_FORMAT_BMP, 8, 8, "bmp", "BMP"}, RoundTrip{IMAGE_FORMAT_BMP, 24, 24, "bmp", "BMP"},
                    RoundTrip{IMAGE_FORMAT_GIF, 1, 8, "gif", "GIF"}, RoundTrip{IMAGE_FORMAT_GIF, 4, 8, "gif", "GIF"},
                    RoundTrip{IMAGE_FORMAT_GIF, 8, 8, "gif", "GIF"}, RoundTrip{IMAGE_FORMAT_PNG, 1, 1, "png", "PNG"},
                    RoundTrip{IMAGE_FORMAT_PNG, 4, 4, "png", "PNG"}, RoundTrip{IMAGE_FORMAT_PNG, 8, 8, "png", "PNG"},
                    RoundTrip{IMAGE_FORMAT_PNG, 24, 24, "png", "PNG"}, RoundTrip{IMAGE_FORMAT_ICO, 1, 1, "ico", "ICO"},
                    RoundTrip{IMAGE_FORMAT_ICO, 4, 4, "ico", "ICO"}, RoundTrip{IMAGE_FORMAT_ICO, 8, 8, "ico", "ICO"},
                    RoundTrip{IMAGE_FORMAT_TIFF, 1, 1, "tif", nullptr}, RoundTrip{IMAGE_FORMAT_TIFF, 4, 4, "tif", nullptr},
                    RoundTrip{IMAGE_FORMAT_TIFF, 8, 8, "tif", nullptr},
                    RoundTrip{IMAGE_FORMAT_TIFF, 24, 24, "tif", nullptr}),
    Name);

int CountChannelsApart(uint32_t a, uint32_t b, int tolerance) {
    int count = 0;
    for (int shift = 0; shift < 24; shift += 8)
        count += std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance;
    return count;
}

// JPEG is lossy: flat 16-pixel blocks come back within a small tolerance; palette images are stored
// through their palette as RGB and come back as 24-bit images.
TEST(JpegRoundTrip, BlocksOfColourWithinTolerance) {
    TempDir dir;
    for (int bits : {8, 24}) {
        CImageFile image;
        image.Create(48, 32, bits);
        if (bits == 8) {
            for (int i = 0; i < 256; ++i)
                image.GetPalette()[i] = RGBQUAD{uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 11), 0};
        }
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                const int block = (x / 16) + 3 * (y / 16);
                if (bits == 8) {
                    SetPixelIndex(image, x, y, unsigned(block * 41));
                } else {
                    uint8_t* p = image.GetRowFromTop(y) + 3 * x;
                    p[0] = uint8_t(block * 40);
                    p[1] = uint8_t(200 - block * 30);
                    p[2] = uint8_t(30 + block * 35);
                }
            }
        image.SetQuality(95);
        const std::string path = dir.File("blocks" + std::to_string(bits) + ".jpg");
        ASSERT_TRUE(image.Save(path.c_str(), IMAGE_FORMAT_JPEG)) << image.GetErrorText();
        CImageFile back(path.c_str(), IMAGE_FORMAT_JPEG);
        ASSERT_FALSE(back.IsEmpty()) << back.GetErrorText();
        EXPECT_EQ(back.GetBitCount(), 24);
        const QImage independent(QString::fromStdString(path), "JPEG");
        ASSERT_FALSE(independent.isNull());
        // Colour is interpolated across the edges of the blocks; their insides keep it.
        int wrong = 0, decodersDiffer = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                const uint32_t ours = PixelColour(back, x, y), theirs = independent.pixel(x, y) & 0xFFFFFF;
                decodersDiffer += CountChannelsApart(ours, theirs, 2);
                if (x % 16 >= 3 && x % 16 <= 12 && y % 16 >= 3 && y % 16 <= 12)
                    wrong += CountChannelsApart(ours, PixelColour(image, x, y), 6);
            }
        EXPECT_EQ(wrong, 0) << bits;
        EXPECT_EQ(decodersDiffer, 0) << bits;
    }
}

TEST(JpegRoundTrip, QualityChangesTheFile) {
    TempDir dir;
    CImageFile image;
    FillPattern(image, 64, 64, 24);
    image.SetQuality(20);
    ASSERT_TRUE(image.Save(dir.File("low.jpg").c_str(), IMAGE_FORMAT_JPEG));
    image.SetQuality(95);
    ASSERT_TRUE(image.Save(dir.File("high.jpg").c_str(), IMAGE_FORMAT_JPEG));
    EXPECT_LT(ReadBytes(dir.File("low.jpg")).size(), ReadBytes(dir.File("high.jpg")).size());
}

TEST(TiffWriting, CompressionByDepth) {
    TempDir dir;
    struct Case {
        int bits;
        uint16_t compression, photometric, bitsPerSample, samples;
    };
    for (const Case& c : {Case{1, COMPRESSION_CCITTFAX4, PHOTOMETRIC_PALETTE, 1, 1},
                          Case{4, COMPRESSION_NONE, PHOTOMETRIC_PALETTE, 4, 1},
                          Case{8, COMPRESSION_PACKBITS, PHOTOMETRIC_PALETTE, 8, 1},
                          Case{24, COMPRESSION_PACKBITS, PHOTOMETRIC_RGB, 8, 3}}) {
        CImageFile image;
        FillPattern(image, 20, 9, c.bits);
        const std::string path = dir.File("t" + std::to_string(c.bits) + ".tif");
        ASSERT_TRUE(image.Save(path.c_str(), IMAGE_FORMAT_TIFF));
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tif, nullptr);
        uint16_t compression = 0, photometric = 0, bps = 0, spp = 0, unit = 0;
        uint32_t rowsPerStrip = 0;
        float xres = 0;
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bps);
        TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
        EXPECT_EQ(compression, c.compression) << c.bits;
        EXPECT_EQ(photometric, c.photometric) << c.bits;
        EXPECT_EQ(bps, c.bitsPerSample) << c.bits;
        EXPECT_EQ(spp, c.samples) << c.bits;
        EXPECT_EQ(rowsPerStrip, 1u);
        EXPECT_EQ(unit, RESUNIT_INCH);
        EXPECT_FLOAT_EQ(xres, 72.0f);
        TIFFClose(tif);
        CImageFile back(path.c_str(), IMAGE_FORMAT_TIFF);
        EXPECT_EQ(back.GetImageCount(), 1);
    }
}

TEST(GifWriting, OneBitImagesUseCodeSizeTwo) {
    TempDir dir;
    const auto bytes = SavedPattern(dir, "one.gif", 5, 3, 1, IMAGE_FORMAT_GIF);
    ASSERT_GT(bytes.size(), 30u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
    EXPECT_EQ(bytes[10], 0x80);
    EXPECT_EQ(bytes[19], ',');        // after the 2-entry table
    EXPECT_EQ(bytes[29], 2);          // minimum code size
    EXPECT_EQ(bytes.back(), ';');
}

// Enough random pixels to fill the code table several times, so the encoder clears and restarts.
TEST(GifWriting, LongNoisyImagesDecodeEverywhere) {
    TempDir dir;
    for (int bits : {1, 4, 8}) {
        CImageFile image;
        FillPattern(image, 301, 203, bits);
        std::mt19937 random(bits);
        for (int y = 0; y < 203; ++y)
            for (int x = 0; x < 301; ++x)
                if (y > 100) SetPixelIndex(image, x, y, random() % (1u << bits));
        const std::string path = dir.File("noise" + std::to_string(bits) + ".gif");
        ASSERT_TRUE(image.Save(path.c_str(), IMAGE_FORMAT_GIF));
        CImageFile back(path.c_str(), IMAGE_FORMAT_GIF);
        EXPECT_EQ(CountDifferences(back, image), 0) << bits;
        EXPECT_EQ(CountDifferences(image, QImage(QString::fromStdString(path), "GIF")), 0) << bits;
    }
}

// Builds a GIF89a of one 8-bit image, optionally interlaced and with a transparent colour.
std::vector<uint8_t> BuildGif(int width, int height, const std::vector<uint8_t>& table,
                              const std::vector<uint8_t>& indexes, bool interlaced, int transparent, int delay) {
    const int entries = int(table.size() / 3);
    int sizeBits = 0;
    while ((2 << sizeBits) < entries) ++sizeBits;
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                                uint8_t(height >> 8), uint8_t(0x80 | sizeBits), 0, 0};
    out.insert(out.end(), table.begin(), table.end());
    if (transparent >= 0)
        out.insert(out.end(), {0x21, 0xF9, 4, 1, uint8_t(delay), uint8_t(delay >> 8), uint8_t(transparent), 0});
    out.insert(out.end(), {0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                           uint8_t(height >> 8), uint8_t(interlaced ? 0x40 : 0), 8});
    std::vector<int> order;
    if (interlaced) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < height; y += step) order.push_back(y);
    } else {
        for (int y = 0; y < height; ++y) order.push_back(y);
    }
    gif_lzw::Encoder encoder(8);
    for (int y : order)
        for (int x = 0; x < width; ++x) encoder.Put(indexes[size_t(y) * width + x]);
    const auto data = encoder.Finish();
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), {0, ';'});
    return out;
}

TEST(GifReading, InterlacedRowsLandInPlace) {
    TempDir dir;
    std::vector<uint8_t> table;
    for (int i = 0; i < 256; ++i) table.insert(table.end(), {uint8_t(i), uint8_t(i * 7), uint8_t(255 - i)});
    for (int height : {1, 2, 3, 4, 5, 9, 23}) {
        const int width = 11;
        std::vector<uint8_t> indexes(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) indexes[size_t(y) * width + x] = uint8_t(y * 16 + x);
        const std::string path = dir.File("interlaced" + std::to_string(height) + ".gif");
        WriteBytes(path, BuildGif(width, height, table, indexes, true, -1, 0));
        CImageFile image(path.c_str(), IMAGE_FORMAT_GIF);
        ASSERT_FALSE(image.IsEmpty()) << image.GetErrorText();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(PaletteIndex(image, x, y), indexes[size_t(y) * width + x]) << height << " " << x << "," << y;
        // Qt's reader misplaces the rows of interlaced images fewer than five rows high.
        if (height >= 5) {
            EXPECT_EQ(CountDifferences(image, QImage(QString::fromStdString(path), "GIF")), 0) << height;
        }
    }
}

TEST(GifReading, TransparentColourOnAWhitePaddedPalette) {
    TempDir dir;
    std::vector<uint8_t> table;
    for (int i = 0; i < 16; ++i) table.insert(table.end(), {uint8_t(i * 16), uint8_t(100 + i), uint8_t(i * 5)});
    const int width = 9, height = 7, transparent = 3;
    std::vector<uint8_t> indexes(size_t(width) * height);
    for (size_t i = 0; i < indexes.size(); ++i) indexes[i] = uint8_t((i * 5) % 16);
    const std::string path = dir.File("transparent.gif");
    WriteBytes(path, BuildGif(width, height, table, indexes, false, transparent, 12));
    CImageFile image(path.c_str(), IMAGE_FORMAT_GIF);
    ASSERT_FALSE(image.IsEmpty()) << image.GetErrorText();
    EXPECT_EQ(image.GetTransparentIndex(), transparent);
    EXPECT_EQ(image.GetFrameDelay(), 12);
    EXPECT_EQ(image.GetPaletteSize(), 256);
    const RGBQUAD* palette = image.GetPalette();
    EXPECT_EQ(palette[transparent].rgbRed + palette[transparent].rgbGreen + palette[transparent].rgbBlue, 0);
    for (int i = 16; i < 256; ++i) ASSERT_EQ(palette[i].rgbRed & palette[i].rgbGreen & palette[i].rgbBlue, 255) << i;
    EXPECT_EQ(palette[5].rgbRed, 80);
    EXPECT_EQ(palette[5].rgbGreen, 105);

    // The independent decoder agrees on every colour but the transparent one, which it leaves clear.
    const QImage independent(QString::fromStdString(path), "GIF");
    ASSERT_FALSE(independent.isNull());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb p = independent.pixel(x, y);
            if (PaletteIndex(image, x, y) == unsigned(transparent)) {
                EXPECT_EQ(qAlpha(p), 0);
            } else {
                EXPECT_EQ(p & 0xFFFFFF, PixelColour(image, x, y));
            }
        }
}

TEST(IcoWriting, EntryCountsTheRealMask) {
    TempDir dir;
    const auto bytes = SavedPattern(dir, "icon.ico", 32, 32, 8, IMAGE_FORMAT_ICO);
    ASSERT_EQ(bytes.size(), 22u + 40 + 1024 + 1024 + 128);
    EXPECT_EQ(bytes[6], 32);
    EXPECT_EQ(bytes[8], 0);  // 256 colours
    EXPECT_EQ(bytes[14] | bytes[15] << 8, 1024 + 128 + 1024 + 40);
    EXPECT_EQ(bytes[18], 22);
    EXPECT_EQ(bytes[22 + 8], 64);  // the icon's header counts colour and mask rows

    CImageFile wide;
    FillPattern(wide, 256, 4, 4);
    EXPECT_FALSE(wide.Save(dir.File("wide.ico").c_str(), IMAGE_FORMAT_ICO));
    EXPECT_EQ(wide.GetErrorText(), "Can't save this image as icon");
    CImageFile deep;
    FillPattern(deep, 4, 4, 24);
    EXPECT_FALSE(deep.Save(dir.File("deep.ico").c_str(), IMAGE_FORMAT_ICO));
    EXPECT_EQ(deep.GetErrorText(), "Can't save this image as icon");
}

}  // namespace
