// How large a picture the readers take on, and damaged pictures as users send them, kept as small files in
// damaged/: claims of 13000 x 13000 pixels are refused before anything is allocated, strips that do not
// decode fail with the format's error, and files cut short read the rows that are there.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageWriter>

#include <string>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_file.h"
#include "report/model/image/image_limits.h"
#include "report/tests/image/image_test_util.h"

using namespace image_test;

namespace {

const std::string kDamaged = QM_SOURCE_DIR "/report/tests/image/damaged/";

TEST(ImageLimits, AnA4PageFitsAndLargerClaimsDoNot) {
    using namespace image_limits;
    struct Case {
        int64_t width, height;
        int bits;
        uint64_t decoderBytes;
        bool fits;
    };
    for (const Case& c : {
             Case{4961, 7016, 24, 0, true},                        // A4 at 600 dpi
             Case{4961, 7016, 24, uint64_t(4961) * 7016 * 4, true},  // and the RGBA raster beside it
             Case{4961, 7016, 8, 0, true},
             Case{40'000'000, 1, 1, 0, false},  // wider than any image may be
             Case{8000, 5000, 1, 0, true},      // exactly the pixel cap
             Case{8000, 5001, 1, 0, false},
             Case{13000, 13000, 24, 0, false},
             Case{13000, 13000, 1, 0, false},
             Case{2000, 2000, 24, uint64_t(kMaxDecodeBytes), false},  // a decoder that needs the whole budget
             Case{2000, 2000, 24, ~uint64_t(0), false},
             Case{0, 10, 24, 0, false},
             Case{10, -1, 24, 0, false},
         }) {
        EXPECT_EQ(DecodeFits(c.width, c.height, c.bits, c.decoderBytes), c.fits)
            << c.width << " x " << c.height << " x " << c.bits << " + " << c.decoderBytes;
    }
    // The block and the drawing copy of the largest picture stay inside the memory cap.
    EXPECT_LE(BlockBytes(8000, 5000, 24) + DrawCopyBytes(8000, 5000, 24), kMaxDecodeBytes);
    EXPECT_EQ(BlockBytes(3, 1, 24), 40 + 12);
    EXPECT_EQ(BlockBytes(3, 1, 2), 40 + 16 * 4 + 4);
}

TEST(DamagedPictureFiles, AreRefusedOrReadWithinTheCaps) {
    struct Case {
        const char* file;
        int format;
        const char* error;  // null: the file reads
        int width, height;
    };
    for (const Case& c : {
             // A 16 x 16 picture whose frame header claims 13000 x 13000.
             Case{"huge_13000.jpg", IMAGE_FORMAT_JPEG, image_error::kTooLarge, 0, 0},
             // 13000 x 13000 RGB in one deflated strip of 200 bytes of noise.
             Case{"huge_13000.tif", IMAGE_FORMAT_TIFF, image_error::kTiffRaster, 0, 0},
             // The same at 64 x 48: small enough to try, but its strip does not inflate.
             Case{"garbage_strip.tif", IMAGE_FORMAT_TIFF, image_error::kTiffCorrupt, 0, 0},
             // 64 x 64, red above blue, cut in the middle of its scan.
             Case{"cut.jpg", IMAGE_FORMAT_JPEG, nullptr, 64, 64},
             // 32 x 16, its image data closed half way without the end code.
             Case{"no_end_code.gif", IMAGE_FORMAT_GIF, nullptr, 32, 16},
         }) {
        SCOPED_TRACE(c.file);
        CImageFile image;
        FillPattern(image, 2, 2, 24);
        const bool loaded = image.Load((kDamaged + c.file).c_str(), c.format);
        if (c.error) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(image.GetErrorText(), c.error);
            EXPECT_EQ(image.GetWidth(), 2);
            continue;
        }
        ASSERT_TRUE(loaded) << image.GetErrorText();
        EXPECT_EQ(image.GetWidth(), c.width);
        EXPECT_EQ(image.GetHeight(), c.height);
    }
}

TEST(DamagedPictureFiles, CutFilesKeepTheRowsThatCame) {
    CImageFile jpeg((kDamaged + "cut.jpg").c_str(), IMAGE_FORMAT_JPEG);
    ASSERT_EQ(jpeg.GetWidth(), 64) << jpeg.GetErrorText();
    EXPECT_EQ(jpeg.GetHeight(), 64);
    // The top rows came whole: red within the code's tolerance.
    for (int x = 0; x < 64; x += 7) {
        EXPECT_GE(PixelColour(jpeg, x, 0) >> 16, 0xE0u) << x;
        EXPECT_LE(PixelColour(jpeg, x, 0) & 0xFFFF, 0x2020u) << x;
    }

    // Row y of the GIF's picture: index 0 (red) above, 1 (blue) below, every third pixel 2 + (x + y) % 50.
    CImageFile gif((kDamaged + "no_end_code.gif").c_str(), IMAGE_FORMAT_GIF);
    ASSERT_EQ(gif.GetWidth(), 32) << gif.GetErrorText();
    auto written = [](int x, int y) { return x % 3 == 0 ? 2u + unsigned(x + y) % 50 : y < 8 ? 0u : 1u; };
    for (int x = 0; x < 32; ++x) EXPECT_EQ(PaletteIndex(gif, x, 0), written(x, 0)) << x;
    // The rows the data never reached stay at index 0.
    for (int x = 0; x < 32; ++x) EXPECT_EQ(PaletteIndex(gif, x, 15), 0u) << x;
}

// Every scan of a progressive file passes over the whole picture, so a small file of a great many scans
// would take minutes: past a thousand scans the file is refused.
TEST(DamagedPictureFiles, ProgressiveJpegOfEndlessScansIsRefused) {
    TempDir dir;
    QImage colour(16, 16, QImage::Format_RGB32);
    colour.fill(qRgb(200, 40, 90));
    QImageWriter writer(QString::fromStdString(dir.File("progressive.jpg")), "JPEG");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(colour));
    const std::vector<uint8_t> good = ReadBytes(dir.File("progressive.jpg"));

    // The first scan (its header and data, up to the next marker), repeated.
    size_t sos = 0, next = 0;
    for (size_t i = 2; i + 1 < good.size() && !next; ++i) {
        if (good[i] != 0xFF) continue;
        if (!sos && good[i + 1] == 0xDA) sos = i;
        else if (sos && i > sos + 2 && good[i + 1] != 0 && (good[i + 1] < 0xD0 || good[i + 1] > 0xD7)) next = i;
    }
    ASSERT_GT(next, sos);
    for (int copies : {10, 1200}) {
        SCOPED_TRACE(copies);
        std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<long>(next));
        for (int i = 0; i < copies; ++i) bytes.insert(bytes.end(), good.begin() + static_cast<long>(sos), good.begin() + static_cast<long>(next));
        bytes.insert(bytes.end(), good.begin() + static_cast<long>(next), good.end());
        WriteBytes(dir.File("scans.jpg"), bytes);
        CImageFile image;
        const bool loaded = image.Load(dir.File("scans.jpg").c_str(), IMAGE_FORMAT_JPEG);
        if (copies < 1000) {
            EXPECT_TRUE(loaded) << image.GetErrorText();
        } else {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(image.GetErrorText(), image_error::kJpegCorrupt);
        }
    }
}

}  // namespace
