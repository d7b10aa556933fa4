// Reading files that other programs write: layouts and depths beyond what our writers produce.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_file.h"
#include "report/tests/image/image_test_util.h"

using namespace image_test;

namespace {


// ---- BMP -------------------------------------------------------------------------------------------------

TEST(BmpReading, WithoutAFileHeader) {
    TempDir dir;
    const auto bytes = SavedPattern(dir, "a.bmp", 13, 6, 8, IMAGE_FORMAT_BMP);
    WriteBytes(dir.File("headerless.bmp"), std::vector<uint8_t>(bytes.begin() + 14, bytes.end()));
    CImageFile image(dir.File("a.bmp").c_str(), IMAGE_FORMAT_BMP);
    CImageFile back(dir.File("headerless.bmp").c_str(), IMAGE_FORMAT_BMP);
    EXPECT_EQ(CountDifferences(back, image), 0) << back.GetErrorText();
}

TEST(BmpReading, CoreHeaderSixteenThirtyTwoBitsAndTopDown) {
    TempDir dir;
    const int w = 5, h = 3;
    auto colour = [](int x, int y) { return qRgb(x * 50, y * 100, 200 - x * 10); };

    // 12-byte core header, 3-byte palette entries, 1 bit.
    std::vector<uint8_t> core = {'B', 'M'};
    AppendLE32(core, 0);
    AppendLE32(core, 0);
    AppendLE32(core, 14 + 12 + 6);
    AppendLE32(core, 12);
    AppendLE16(core, w);
    AppendLE16(core, h);
    AppendLE16(core, 1);
    AppendLE16(core, 1);
    core.insert(core.end(), {10, 20, 30, 250, 240, 230});
    for (int i = 0; i < h; ++i) core.insert(core.end(), {0xA8, 0, 0, 0});  // pixels 1,0,1,0,1
    WriteBytes(dir.File("core.bmp"), core);
    CImageFile coreImage(dir.File("core.bmp").c_str(), IMAGE_FORMAT_BMP);
    ASSERT_EQ(coreImage.GetBitCount(), 1) << coreImage.GetErrorText();
    EXPECT_EQ(PixelColour(coreImage, 0, 0), 0xE6F0FAu);
    EXPECT_EQ(PixelColour(coreImage, 1, 2), 0x1E140Au);

    for (int bits : {16, 24, 32}) {
        for (bool topDown : {false, true}) {
            const int stride = (w * bits + 31) / 32 * 4;
            std::vector<uint8_t> bmp = {'B', 'M'};
            AppendLE32(bmp, 54 + stride * h);
            AppendLE32(bmp, 0);
            AppendLE32(bmp, 54);
            AppendLE32(bmp, 40);
            AppendLE32(bmp, w);
            AppendLE32(bmp, uint32_t(topDown ? -h : h));
            AppendLE16(bmp, 1);
            AppendLE16(bmp, bits);
            for (int i = 0; i < 6; ++i) AppendLE32(bmp, 0);
            for (int i = 0; i < h; ++i) {
                const int y = topDown ? i : h - 1 - i;
                std::vector<uint8_t> row;
                for (int x = 0; x < w; ++x) {
                    const QRgb c = colour(x, y);
                    if (bits == 16)
                        AppendLE16(row, (qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3));
                    else
                        row.insert(row.end(), {uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c))});
                    if (bits == 32) row.push_back(0x80);
                }
                row.resize(stride);
                bmp.insert(bmp.end(), row.begin(), row.end());
            }
            WriteBytes(dir.File("deep.bmp"), bmp);
            CImageFile image(dir.File("deep.bmp").c_str(), IMAGE_FORMAT_BMP);
            ASSERT_EQ(image.GetBitCount(), 24) << bits << image.GetErrorText();
            QImage expected(w, h, QImage::Format_RGB32);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) expected.setPixel(x, y, colour(x, y));
            EXPECT_EQ(CountDifferences(image, expected, bits == 16 ? 7 : 0), 0) << bits << " " << topDown;
        }
    }
}

TEST(BmpReading, RunLengthCompressionIsRefused) {
    TempDir dir;
    auto bytes = SavedPattern(dir, "a.bmp", 4, 4, 8, IMAGE_FORMAT_BMP);
    bytes[14 + 16] = 1;  // BI_RLE8
    WriteBytes(dir.File("rle.bmp"), bytes);
    CImageFile back;
    EXPECT_FALSE(back.Load(dir.File("rle.bmp").c_str(), IMAGE_FORMAT_BMP));
    EXPECT_EQ(back.GetErrorText(), image_error::kBmpRle);
}

TEST(BmpReading, WrittenByQt) {
    TempDir dir;
    QImage source(23, 9, QImage::Format_RGB32);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) source.setPixel(x, y, qRgb(x * 11, y * 28, (x ^ y) * 9));
    ASSERT_TRUE(source.save(QString::fromStdString(dir.File("qt.bmp")), "BMP"));
    CImageFile image(dir.File("qt.bmp").c_str(), IMAGE_FORMAT_BMP);
    EXPECT_EQ(CountDifferences(image, source), 0) << image.GetErrorText();
}

// ---- ICO -------------------------------------------------------------------------------------------------

TEST(IcoReading, SizeBytesOfZeroMeanTwoHundredFiftySix) {
    TempDir dir;
    const int size = 256, stride = size / 8;
    std::vector<uint8_t> ico;
    AppendLE16(ico, 0);
    AppendLE16(ico, 1);
    AppendLE16(ico, 1);
    ico.insert(ico.end(), {0, 0, 2, 0});
    AppendLE16(ico, 1);
    AppendLE16(ico, 1);
    AppendLE32(ico, 40 + 8 + 2 * stride * size);
    AppendLE32(ico, 22);
    AppendLE32(ico, 40);
    AppendLE32(ico, size);
    AppendLE32(ico, size * 2);
    AppendLE16(ico, 1);
    AppendLE16(ico, 1);
    for (int i = 0; i < 6; ++i) AppendLE32(ico, 0);
    ico.insert(ico.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    for (int y = 0; y < size; ++y)
        for (int b = 0; b < stride; ++b) ico.push_back(uint8_t(b == y / 8 ? 0xFF : 0));
    ico.insert(ico.end(), size_t(stride) * size, 0);
    WriteBytes(dir.File("big.ico"), ico);
    CImageFile image(dir.File("big.ico").c_str(), IMAGE_FORMAT_ICO);
    ASSERT_EQ(image.GetWidth(), 256) << image.GetErrorText();
    EXPECT_EQ(image.GetHeight(), 256);
    EXPECT_EQ(image.GetImageCount(), 1);
    EXPECT_EQ(PixelColour(image, 255, 0), 0xFFFFFFu);  // bottom file row is the picture's last row
    EXPECT_EQ(PixelColour(image, 0, 0), 0u);
    EXPECT_EQ(PixelColour(image, 0, 255), 0xFFFFFFu);
}

TEST(IcoReading, WrittenByQt) {
    TempDir dir;
    QImage source(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) source.setPixel(x, y, qRgb(x * 16, y * 16, 128));
    ASSERT_TRUE(source.save(QString::fromStdString(dir.File("qt.ico")), "ICO"));
    CImageFile image(dir.File("qt.ico").c_str(), IMAGE_FORMAT_ICO);
    ASSERT_FALSE(image.IsEmpty()) << image.GetErrorText();
    EXPECT_EQ(CountDifferences(image, source), 0);
}

// ---- PNG -------------------------------------------------------------------------------------------------

struct PngPlan {
    int width, height, depth, colorType;
    bool interlaced = false;
    std::vector<png_color> palette = {};
    std::vector<uint8_t> trans = {};
};

// Rows are given packed as the file stores them.
void WritePng(const std::string& path, const PngPlan& s, const std::vector<std::vector<uint8_t>>& rows) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        FAIL() << "libpng failed";
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.trans.empty()) png_set_tRNS(png, info, s.trans.data(), int(s.trans.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (auto& row : rows) pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

TEST(PngReading, DepthsAndKinds) {
    TempDir dir;
    const int w = 9, h = 7;
    struct Case {
        const char* name;
        PngPlan plan;
        int bits;                                   // depth of our image
        std::function<std::vector<uint8_t>(int)> row;  // file row y
        std::function<uint32_t(int, int)> colour;   // expected colour of (x, y)
    };
    const std::vector<png_color> four = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}};
    auto bg = [](int v, int a, int b) { return (v * a + b * (255 - a) + 127) / 255; };
    std::vector<Case> cases = {
        {"grey8", {w, h, 8, PNG_COLOR_TYPE_GRAY}, 8,
         [](int y) { std::vector<uint8_t> r; for (int x = 0; x < w; ++x) r.push_back(uint8_t(x * 20 + y)); return r; },
         [](int x, int y) { uint32_t v = x * 20 + y; return v << 16 | v << 8 | v; }},
        {"grey1", {w, h, 1, PNG_COLOR_TYPE_GRAY}, 1,
         [](int y) { return std::vector<uint8_t>{uint8_t(y & 1 ? 0xAA : 0x55), 0x80}; },
         [](int x, int y) { return (x < 8 ? ((y & 1) ? !(x & 1) : (x & 1)) : 1) ? 0xFFFFFFu : 0u; }},
        {"grey2", {w, h, 2, PNG_COLOR_TYPE_GRAY}, 8,
         [](int) { return std::vector<uint8_t>{0x1B, 0x1B, 0xC0}; },
         [](int x, int) { uint32_t v = 85 * (x < 8 ? x % 4 : 3); return v << 16 | v << 8 | v; }},
        {"grey16", {w, h, 16, PNG_COLOR_TYPE_GRAY}, 8,
         [](int y) { std::vector<uint8_t> r; for (int x = 0; x < w; ++x) r.insert(r.end(), {uint8_t(x * 25 + y), 0x11}); return r; },
         [](int x, int y) { uint32_t v = x * 25 + y; return v << 16 | v << 8 | v; }},
        {"palette2", {w, h, 2, PNG_COLOR_TYPE_PALETTE, false, four}, 8,
         [](int) { return std::vector<uint8_t>{0x1B, 0x1B, 0xC0}; },
         [four](int x, int) { const png_color c = four[x < 8 ? x % 4 : 3]; return uint32_t(c.red) << 16 | c.green << 8 | c.blue; }},
        {"palette-alpha", {w, h, 8, PNG_COLOR_TYPE_PALETTE, false, four, {0, 128}}, 8,
         [](int) { return std::vector<uint8_t>(w, 1); },
         [bg](int, int) { return uint32_t(bg(0, 128, 31)) << 16 | bg(255, 128, 127) << 8 | bg(0, 128, 255); }},
        {"rgb16", {w, h, 16, PNG_COLOR_TYPE_RGB}, 24,
         [](int y) { std::vector<uint8_t> r; for (int x = 0; x < w; ++x) r.insert(r.end(), {uint8_t(x * 9), 1, uint8_t(y * 30), 2, 77, 3}); return r; },
         [](int x, int y) { return uint32_t(x * 9) << 16 | (y * 30) << 8 | 77; }},
        {"rgba", {w, h, 8, PNG_COLOR_TYPE_RGB_ALPHA, true}, 24,
         [](int y) { std::vector<uint8_t> r; for (int x = 0; x < w; ++x) r.insert(r.end(), {200, 100, 50, uint8_t(x * 30 + y)}); return r; },
         [bg](int x, int y) { int a = x * 30 + y; return uint32_t(bg(200, a, 31)) << 16 | bg(100, a, 127) << 8 | bg(50, a, 255); }},
        {"grey-alpha", {w, h, 8, PNG_COLOR_TYPE_GRAY_ALPHA}, 24,
         [](int) { std::vector<uint8_t> r; for (int x = 0; x < w; ++x) r.insert(r.end(), {100, uint8_t(x < 4 ? 255 : 0)}); return r; },
         [](int x, int) { return x < 4 ? 0x646464u : 0x1F7FFFu; }},
        {"rgb-interlaced", {w, h, 8, PNG_COLOR_TYPE_RGB, true}, 24,
         [](int y) { std::vector<uint8_t> r; for (int x = 0; x < w; ++x) r.insert(r.end(), {uint8_t(x * 28), uint8_t(y * 36), uint8_t(x * y)}); return r; },
         [](int x, int y) { return uint32_t(x * 28) << 16 | (y * 36) << 8 | (x * y); }},
        {"palette-interlaced", {w, h, 4, PNG_COLOR_TYPE_PALETTE, true, four}, 4,
         [](int y) { return std::vector<uint8_t>{uint8_t(y % 4 << 4 | 1), 0x23, 0x01, 0x23, 0x30}; },
         [four](int x, int y) { static const int idx[9] = {0, 1, 2, 3, 0, 1, 2, 3, 3}; const png_color c = four[x == 0 ? y % 4 : idx[x]]; return uint32_t(c.red) << 16 | c.green << 8 | c.blue; }},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<uint8_t>> rows;
        for (int y = 0; y < h; ++y) rows.push_back(c.row(y));
        const std::string path = dir.File(std::string(c.name) + ".png");
        WritePng(path, c.plan, rows);
        CImageFile image(path.c_str(), IMAGE_FORMAT_PNG);
        ASSERT_FALSE(image.IsEmpty()) << c.name << ": " << image.GetErrorText();
        EXPECT_EQ(image.GetBitCount(), c.bits) << c.name;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(PixelColour(image, x, y), c.colour(x, y)) << c.name << " " << x << "," << y;
    }
}

// ---- JPEG ------------------------------------------------------------------------------------------------

void WriteCmykJpeg(const std::string& path, int w, int h, const uint8_t cmyk[4]) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(w) * 4);
    for (int x = 0; x < w; ++x) std::memcpy(&row[4 * x], cmyk, 4);
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
}

TEST(JpegReading, GreyProgressiveAndFourComponentFiles) {
    TempDir dir;
    QImage grey(24, 16, QImage::Format_Grayscale8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) grey.setPixel(x, y, qRgb(x * 10, x * 10, x * 10));
    ASSERT_TRUE(grey.save(QString::fromStdString(dir.File("grey.jpg")), "JPEG", 95));
    CImageFile greyImage(dir.File("grey.jpg").c_str(), IMAGE_FORMAT_JPEG);
    ASSERT_EQ(greyImage.GetBitCount(), 8) << greyImage.GetErrorText();
    EXPECT_EQ(greyImage.GetPalette()[200].rgbGreen, 200);
    EXPECT_EQ(CountDifferences(greyImage, grey, 6), 0);

    QImage colour(32, 32, QImage::Format_RGB32);
    colour.fill(qRgb(200, 40, 90));
    QImageWriter writer(QString::fromStdString(dir.File("progressive.jpg")), "JPEG");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(colour));
    CImageFile progressive(dir.File("progressive.jpg").c_str(), IMAGE_FORMAT_JPEG);
    EXPECT_EQ(CountDifferences(progressive, colour, 4), 0) << progressive.GetErrorText();

    // The library marks CMYK files as Adobe's, whose inks are stored inverted: no cyan, full magenta
    // and yellow, no black, which is red.
    const uint8_t cmyk[4] = {255, 0, 0, 255};
    WriteCmykJpeg(dir.File("cmyk.jpg"), 16, 8, cmyk);
    CImageFile converted(dir.File("cmyk.jpg").c_str(), IMAGE_FORMAT_JPEG);
    ASSERT_EQ(converted.GetBitCount(), 24) << converted.GetErrorText();
    const uint32_t c = PixelColour(converted, 3, 3);
    EXPECT_NEAR(int(c >> 16), 255, 4);
    EXPECT_NEAR(int(c >> 8 & 255), 0, 4);
    EXPECT_NEAR(int(c & 255), 0, 4);
    EXPECT_EQ(CountDifferences(converted, QImage(QString::fromStdString(dir.File("cmyk.jpg")), "JPEG"), 4), 0);
}

// ---- TIFF ------------------------------------------------------------------------------------------------

struct TiffPlan {
    uint16_t photometric, bitsPerSample, samples;
    uint16_t compression = COMPRESSION_NONE;
    bool tiled = false;
    int pages = 1;
};

// Writes width × height pixels whose samples are given by value(x, y, sample), packed at the sample size.
void WriteTiff(const std::string& path, int w, int h, const TiffPlan& s,
               const std::function<unsigned(int, int, int)>& value, const std::vector<uint16_t>& colormap = {}) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (int page = 0; page < s.pages; ++page) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bitsPerSample);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
        if (!colormap.empty()) {
            const size_t n = colormap.size() / 3;
            TIFFSetField(tif, TIFFTAG_COLORMAP, colormap.data(), colormap.data() + n, colormap.data() + 2 * n);
        }
        const int bitsPerPixel = s.bitsPerSample * s.samples;
        const size_t rowBytes = (size_t(w) * bitsPerPixel + 7) / 8;
        auto packRow = [&](int y, uint8_t* out) {
            std::memset(out, 0, rowBytes);
            for (int x = 0; x < w; ++x)
                for (int k = 0; k < s.samples; ++k) {
                    const unsigned v = value(x, y, k);
                    const size_t bit = size_t(x * s.samples + k) * s.bitsPerSample;
                    if (s.bitsPerSample == 16) {
                        out[bit / 8] = uint8_t(v);
                        out[bit / 8 + 1] = uint8_t(v >> 8);
                    } else {
                        out[bit / 8] |= uint8_t(v << (8 - s.bitsPerSample - bit % 8));
                    }
                }
        };
        if (s.tiled) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16u);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, 16u);
            std::vector<uint8_t> tile(TIFFTileSize(tif), 0);
            const size_t tileRow = (16 * size_t(bitsPerPixel) + 7) / 8;
            std::vector<uint8_t> row(rowBytes + tileRow);
            for (int ty = 0; ty < h; ty += 16)
                for (int tx = 0; tx < w; tx += 16) {
                    std::fill(tile.begin(), tile.end(), 0);
                    for (int y = ty; y < ty + 16 && y < h; ++y) {
                        packRow(y, row.data());
                        std::memcpy(&tile[(y - ty) * tileRow], &row[tx * bitsPerPixel / 8],
                                    std::min(tileRow, rowBytes - tx * bitsPerPixel / 8));
                    }
                    TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0);
                }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 3u);
            std::vector<uint8_t> row(rowBytes);
            for (int y = 0; y < h; ++y) {
                packRow(y, row.data());
                TIFFWriteScanline(tif, row.data(), uint32_t(y), 0);
            }
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

TEST(TiffReading, StripLayoutsAndTheRgbaPath) {
    TempDir dir;
    const int w = 19, h = 7;
    std::vector<uint16_t> map16(3 * 16), map8(3 * 4);
    for (int i = 0; i < 16; ++i) {
        map16[i] = uint16_t(i * 4096);
        map16[16 + i] = uint16_t(65535 - i * 4096);
        map16[32 + i] = 0x8080;
    }
    for (int i = 0; i < 4; ++i) map8[i] = map8[4 + i] = map8[8 + i] = uint16_t(i * 80);  // not scaled
    struct Case {
        const char* name;
        TiffPlan plan;
        int bits;
        std::function<unsigned(int, int, int)> value;
        std::function<uint32_t(int, int)> colour;
        std::vector<uint16_t> colormap = {};
    };
    auto grey = [](unsigned v) { return v << 16 | v << 8 | v; };
    const std::vector<Case> cases = {
        {"miniswhite1", {PHOTOMETRIC_MINISWHITE, 1, 1}, 1, [](int x, int y, int) { return unsigned((x + y) & 1); },
         [](int x, int y) { return (x + y) & 1 ? 0u : 0xFFFFFFu; }},
        {"minisblack1-g4", {PHOTOMETRIC_MINISBLACK, 1, 1, COMPRESSION_CCITTFAX4}, 1,
         [](int x, int y, int) -> unsigned { return x > y; }, [](int x, int y) { return x > y ? 0xFFFFFFu : 0u; }},
        {"minisblack8", {PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_PACKBITS}, 8,
         [](int x, int y, int) { return unsigned(x * 13 + y); }, [grey](int x, int y) { return grey(x * 13 + y); }},
        {"miniswhite8", {PHOTOMETRIC_MINISWHITE, 8, 1}, 8, [](int x, int y, int) { return unsigned(x * 13 + y); },
         [grey](int x, int y) { return grey(255 - (x * 13 + y)); }},
        {"palette4-wide", {PHOTOMETRIC_PALETTE, 4, 1}, 4, [](int x, int, int) { return unsigned(x % 16); },
         [](int x, int) { const uint32_t i = x % 16; return (i * 4096 * 255 / 65535) << 16 | ((65535 - i * 4096) * 255 / 65535) << 8 | 0x80; },
         map16},
        {"palette2-rgba", {PHOTOMETRIC_PALETTE, 2, 1}, 24, [](int x, int, int) { return unsigned(x % 4); },
         [grey](int x, int) { return grey((x % 4) * 80); }, map8},
        {"grey4-rgba", {PHOTOMETRIC_MINISBLACK, 4, 1}, 24, [](int x, int, int) { return unsigned(x % 16); },
         [grey](int x, int) { return grey((x % 16) * 17); }},
        {"rgb8", {PHOTOMETRIC_RGB, 8, 3, COMPRESSION_DEFLATE}, 24,
         [](int x, int y, int k) { return unsigned(k == 0 ? x * 10 : k == 1 ? y * 30 : 99); },
         [](int x, int y) { return uint32_t(x * 10) << 16 | (y * 30) << 8 | 99; }},
        {"rgb16", {PHOTOMETRIC_RGB, 16, 3}, 24, [](int x, int y, int k) { return unsigned(k == 0 ? x * 2570 : k == 1 ? y * 5140 : 65535); },
         [](int x, int y) { return uint32_t(x * 10) << 16 | (y * 20) << 8 | 255; }},
        {"tiled-grey8", {PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_NONE, true}, 24,
         [](int x, int y, int) { return unsigned(x * 13 + y); }, [grey](int x, int y) { return grey(x * 13 + y); }},
        {"two-pages", {PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_NONE, false, 2}, 8,
         [](int x, int, int) { return unsigned(x); }, [grey](int x, int) { return grey(x); }},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(std::string(c.name) + ".tif");
        WriteTiff(path, w, h, c.plan, c.value, c.colormap);
        CImageFile image(path.c_str(), IMAGE_FORMAT_TIFF);
        ASSERT_FALSE(image.IsEmpty()) << c.name << ": " << image.GetErrorText();
        EXPECT_EQ(image.GetBitCount(), c.bits) << c.name;
        EXPECT_EQ(image.GetImageCount(), c.plan.pages) << c.name;
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) wrong += PixelColour(image, x, y) != c.colour(x, y);
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

TEST(TiffReading, LzwCompressionIsRefused) {
    TempDir dir;
    const std::string path = dir.File("lzw.tif");
    WriteTiff(path, 8, 8, {PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_LZW}, [](int x, int, int) { return unsigned(x); });
    CImageFile image;
    EXPECT_FALSE(image.Load(path.c_str(), IMAGE_FORMAT_TIFF));
    EXPECT_EQ(image.GetErrorText(), image_error::kTiffLzw);
}

}  // namespace
