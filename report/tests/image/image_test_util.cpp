#include "report/tests/image/image_test_util.h"

#include <sys/stat.h>
#include <tiffio.h>

#include "report/model/image/image_io.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace image_test {

TempDir::TempDir() {
    if (Path().empty()) throw std::runtime_error("mkdtemp failed");
}

void SetPixelIndex(CImageFile& image, int x, int y, unsigned index) {
    const int bits = image.GetBitCount();
    uint8_t* row = image.GetRowFromTop(y);
    const int bit = x * bits;
    const int shift = 8 - bits - (bit & 7);
    const unsigned mask = ((1u << bits) - 1) << shift;
    row[bit >> 3] = static_cast<uint8_t>((row[bit >> 3] & ~mask) | ((index << shift) & mask));
}

uint32_t PaletteIndex(const CImageFile& image, int x, int y) {
    return image_io::PixelIndex(image.GetRowFromTop(y), x, image.GetBitCount());
}

void FillPattern(CImageFile& image, int width, int height, int bits) {
    if (!image.Create(width, height, bits)) throw std::runtime_error("Create failed");
    bits = image.GetBitCount();
    if (bits <= 8) {
        const int n = image.GetPaletteSize();
        RGBQUAD* palette = image.GetPalette();
        for (int i = 0; i < n; ++i)
            palette[i] = RGBQUAD{static_cast<uint8_t>(i * 197 + 90), static_cast<uint8_t>(i * 101 + 40),
                                 static_cast<uint8_t>(i * 53 + 17), 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) SetPixelIndex(image, x, y, static_cast<unsigned>((x * 7 + y * 3 + x * y) % n));
    } else {
        for (int y = 0; y < height; ++y) {
            uint8_t* row = image.GetRowFromTop(y);
            for (int x = 0; x < width; ++x) {
                row[3 * x] = static_cast<uint8_t>(x * y * 3 + 7);
                row[3 * x + 1] = static_cast<uint8_t>(x * 5 + y * 29);
                row[3 * x + 2] = static_cast<uint8_t>(x * 37 + y * 11);
            }
        }
    }
}

uint32_t PixelColour(const CImageFile& image, int x, int y) {
    if (image.GetBitCount() <= 8) {
        const RGBQUAD& q = image.GetPalette()[PaletteIndex(image, x, y)];
        return (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
    }
    const uint8_t* p = image.GetRowFromTop(y) + 3 * x;
    return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

namespace {
bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((a >> shift) & 255) - int((b >> shift) & 255);
        if (d > tolerance || -d > tolerance) return false;
    }
    return true;
}
}  // namespace

int CountDifferences(const CImageFile& image, const QImage& other, int tolerance) {
    if (other.width() != image.GetWidth() || other.height() != image.GetHeight()) return -1;
    int count = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (!Near(PixelColour(image, x, y), other.pixel(x, y) & 0xFFFFFF, tolerance)) ++count;
    return count;
}

int CountDifferences(const CImageFile& a, const CImageFile& b, int tolerance) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return -1;
    int count = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (!Near(PixelColour(a, x, y), PixelColour(b, x, y), tolerance)) ++count;
    return count;
}

std::vector<uint8_t> SavedPattern(const TempDir& dir, const std::string& name, int width, int height, int bits,
                                  int format) {
    CImageFile image;
    FillPattern(image, width, height, bits);
    if (!image.Save(dir.File(name).c_str(), format)) throw std::runtime_error("Save failed: " + image.GetErrorText());
    return ReadBytes(dir.File(name));
}

void AppendLE16(std::vector<uint8_t>& bytes, unsigned value) {
    bytes.insert(bytes.end(), {uint8_t(value), uint8_t(value >> 8)});
}

void AppendLE32(std::vector<uint8_t>& bytes, uint32_t value) {
    AppendLE16(bytes, value & 0xFFFF);
    AppendLE16(bytes, value >> 16);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

QImage ReadTiffIndependently(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return QImage();
    uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    std::vector<uint32_t> raster(size_t(width) * height);
    QImage image;
    if (TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 0)) {
        image = QImage(int(width), int(height), QImage::Format_RGB32);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t p = raster[size_t(y) * width + x];
                image.setPixel(int(x), int(y), qRgb(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)));
            }
    }
    TIFFClose(tif);
    return image;
}

}  // namespace image_test
