// TIFF files through libtiff. Palette and grey strips of the layouts below are read as they are;
// every other layout goes through the library's RGBA reader and becomes a 24-bit image.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <tiffio.h>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_formats.h"
#include "report/model/image/image_io.h"

using namespace image_io;

namespace {

// The library's messages are kept per file instead of going to stderr: the first error, and whether any
// warning told of data missing from the file (the library then drops the tag and carries on).
struct TiffMessages {
    std::string error;
    bool dataMissing = false;
};

int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* messages = static_cast<TiffMessages*>(user);
    if (messages && messages->error.empty()) {
        char buffer[256];
        std::vsnprintf(buffer, sizeof buffer, format, args);
        messages->error = buffer;
    }
    return 1;
}

int OnWarning(TIFF*, void* user, const char*, const char* format, va_list args) {
    char buffer[256];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    if (std::strstr(buffer, "IO error")) static_cast<TiffMessages*>(user)->dataMissing = true;
    return 1;
}

TIFF* OpenTiff(const char* path, const char* mode, TiffMessages& messages) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxImageBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &messages);
    TIFF* tif = TIFFOpenExt(path, mode, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

class TiffHandle {
public:
    explicit TiffHandle(TIFF* tif) : m_tif(tif) {}
    ~TiffHandle() { Close(); }
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;
    TIFF* get() const { return m_tif; }
    void Close() {
        if (m_tif) TIFFClose(m_tif);
        m_tif = nullptr;
    }

private:
    TIFF* m_tif;
};

// How the strips of a directory map onto one of our images.
enum class Layout { Rgba, BlackWhite, Grey8, Palette };

Layout ChooseLayout(TIFF* tif, uint16_t samples, uint16_t bitsPerSample, uint16_t photometric, int& bits) {
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    const bool plainStrips = samples == 1 && !TIFFIsTiled(tif);
    if (plainStrips && (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK)) {
        if (bitsPerSample == 1) return bits = 1, Layout::BlackWhite;
        if (bitsPerSample == 8) return bits = 8, Layout::Grey8;
    }
    if (plainStrips && photometric == PHOTOMETRIC_PALETTE &&
        (bitsPerSample == 1 || bitsPerSample == 4 || bitsPerSample == 8))
        return bits = bitsPerSample, Layout::Palette;
    return bits = 24, Layout::Rgba;
}

}  // namespace

bool CImageFileTIFF::ReadFile(const char* file) {
    TiffMessages messages;
    auto fail = [this](const char* text) {
        Free();
        SetError(text);
        return false;
    };
    TiffHandle tif(OpenTiff(file, "r", messages));
    if (!tif.get()) return fail(image_error::kTiffOpen);

    m_imageCount = TIFFNumberOfDirectories(tif.get());
    if (m_imageIndex < 0 || m_imageIndex >= m_imageCount ||
        !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(m_imageIndex)))
        return fail(image_error::kTiffPage);

    // The library recovers from a tag whose data lies past the end of the file by dropping it (a palette
    // image whose colour map is cut off turns grey); for us the file is corrupt.
    if (messages.dataMissing) return fail(image_error::kTiffCorrupt);

    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_LZW) return fail(image_error::kTiffLzw);

    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint16_t samples = 1, bitsPerSample = 1, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric)) photometric = PHOTOMETRIC_MINISWHITE;
    if (width == 0 || height == 0 || width > kMaxImageDimension || height > kMaxImageDimension)
        return fail(image_error::kTiffCorrupt);

    int bits = 24;
    const Layout layout = ChooseLayout(tif.get(), samples, bitsPerSample, photometric, bits);

    if (layout == Layout::Rgba) {
        const uint64_t rasterBytes = uint64_t(width) * height * 4;
        char emsg[1024] = "";
        if (rasterBytes > uint64_t(kMaxImageBytes) * 2) return fail(image_error::kTiffRaster);
        if (!TIFFRGBAImageOK(tif.get(), emsg)) return fail(image_error::kTiffCorrupt);
        auto* raster = static_cast<uint32_t*>(_TIFFmalloc(static_cast<tmsize_t>(rasterBytes)));
        if (!raster) return fail(image_error::kTiffRaster);
        // Rows come bottom-up, as our pixels lie.
        const bool read = TIFFReadRGBAImageOriented(tif.get(), width, height, raster, ORIENTATION_BOTLEFT, 0);
        if (!read || !Create(static_cast<int>(width), static_cast<int>(height), 24)) {
            _TIFFfree(raster);
            return fail(image_error::kTiffCorrupt);
        }
        for (uint32_t y = 0; y < height; ++y) {
            const uint32_t* src = raster + size_t(y) * width;
            uint8_t* dst = m_pixels + size_t(y) * m_stride;
            for (uint32_t x = 0; x < width; ++x, dst += 3) {
                dst[0] = static_cast<uint8_t>(TIFFGetB(src[x]));
                dst[1] = static_cast<uint8_t>(TIFFGetG(src[x]));
                dst[2] = static_cast<uint8_t>(TIFFGetR(src[x]));
            }
        }
        _TIFFfree(raster);
        return true;
    }

    const uint64_t rowBytes = (uint64_t(width) * bitsPerSample + 7) / 8;
    if (uint64_t(TIFFScanlineSize64(tif.get())) != rowBytes) return fail(image_error::kTiffCorrupt);
    if (!Create(static_cast<int>(width), static_cast<int>(height), bits)) return fail(image_error::kTiffCorrupt);

    RGBQUAD* palette = GetPalette();
    if (layout == Layout::BlackWhite) {
        palette[photometric == PHOTOMETRIC_MINISBLACK ? 1 : 0] = RGBQUAD{255, 255, 255, 0};
    } else if (layout == Layout::Grey8) {
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(photometric == PHOTOMETRIC_MINISBLACK ? i : 255 - i);
            palette[i] = RGBQUAD{v, v, v, 0};
        }
    } else {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif.get(), TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
            return fail(image_error::kTiffCorrupt);
        const int entries = 1 << bitsPerSample;
        bool wide = false;
        for (int i = 0; i < entries; ++i) wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
        auto scale = [wide](uint16_t v) { return static_cast<uint8_t>(wide ? v * 255 / 65535 : v); };
        for (int i = 0; i < entries; ++i) palette[i] = RGBQUAD{scale(blue[i]), scale(green[i]), scale(red[i]), 0};
    }

    // Strips hold rows from the top of the picture.
    if (rowsPerStrip == 0 || rowsPerStrip > height) rowsPerStrip = height;
    const tmsize_t stripSize = TIFFStripSize(tif.get());
    if (stripSize <= 0 || uint64_t(stripSize) < rowBytes * rowsPerStrip) return fail(image_error::kTiffCorrupt);
    std::vector<uint8_t> strip(static_cast<size_t>(stripSize));
    const uint32_t strips = TIFFNumberOfStrips(tif.get());
    uint32_t row = 0;
    for (uint32_t s = 0; s < strips && row < height; ++s) {
        const uint32_t rows = rowsPerStrip < height - row ? rowsPerStrip : height - row;
        const tmsize_t got = TIFFReadEncodedStrip(tif.get(), s, strip.data(), stripSize);
        if (got < 0 || uint64_t(got) < rowBytes * rows) return fail(image_error::kTiffCorrupt);
        for (uint32_t i = 0; i < rows; ++i, ++row)
            std::memcpy(GetRowFromTop(static_cast<int>(row)), strip.data() + rowBytes * i, rowBytes);
    }
    if (row < height) return fail(image_error::kTiffCorrupt);
    return true;
}

bool CImageFileTIFF::WriteFile(const char* file) {
    OutputFile out;
    if (!out.Open(file) || !out.CloseStream()) return false;
    TiffMessages messages;
    TiffHandle tif(OpenTiff(out.TempPath().c_str(), "w", messages));
    if (!tif.get()) return false;

    const int width = m_header.biWidth, height = m_header.biHeight, bits = m_header.biBitCount;
    const uint16_t samples = bits == 24 ? 3 : 1;
    TIFF* t = tif.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bits / samples));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, bits == 24 ? PHOTOMETRIC_RGB : PHOTOMETRIC_PALETTE);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 1u);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 72.0f);
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, 0u);
    if (bits <= 8) {
        std::vector<uint16_t> red(256), green(256), blue(256);
        const RGBQUAD* palette = GetPalette();
        for (int i = 0; i < GetPaletteSize(); ++i) {
            red[i] = static_cast<uint16_t>(palette[i].rgbRed * 257);
            green[i] = static_cast<uint16_t>(palette[i].rgbGreen * 257);
            blue[i] = static_cast<uint16_t>(palette[i].rgbBlue * 257);
        }
        TIFFSetField(t, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }
    TIFFSetField(t, TIFFTAG_COMPRESSION,
                 bits == 1 ? COMPRESSION_CCITTFAX4 : bits == 4 ? COMPRESSION_NONE : COMPRESSION_PACKBITS);

    std::vector<uint8_t> row(static_cast<size_t>(m_stride));
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        std::memcpy(row.data(), GetRowFromTop(y), row.size());
        if (bits == 24) SwapRedBlue(reinterpret_cast<char*>(row.data()), width * 3);
        ok = TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0) == 1;
    }
    ok = ok && TIFFFlush(t) == 1;
    tif.Close();
    if (!ok || !messages.error.empty()) {
        SetError(messages.error);
        return false;
    }
    return out.Commit();
}
