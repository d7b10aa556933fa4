// TIFF files through libtiff. Palette and grey strips of the layouts below are read as they are;
// every other layout goes through the library's RGBA reader and becomes a 24-bit image.
#include <algorithm>
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
#include "report/model/image/image_limits.h"

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
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, image_limits::kMaxDecodeBytes);
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

// What the first reading of a directory finds out, before any pixel is decoded.
struct Directory {
    int imageCount = 0;
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint16_t samples = 1, bitsPerSample = 1, photometric = PHOTOMETRIC_MINISWHITE;
    Layout layout = Layout::Rgba;
    int bits = 24;
    uint64_t rowBytes = 0;  // of a file row, for the layouts read strip by strip
};

// The largest buffer the library decodes a strip or tile into: the RGBA reader takes all samples of a
// strip of separate planes at once.
uint64_t StripBufferBytes(TIFF* tif, uint16_t samples) {
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    const uint64_t one = TIFFIsTiled(tif) ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    return planar == PLANARCONFIG_SEPARATE ? one * std::max<uint16_t>(samples, 4) : one;
}

// Reads the image index's directory of an open file and checks it against everything the decode needs
// (a layout we read, and the size and memory caps); the failure's text, or null.
const char* ReadDirectory(TIFF* tif, int imageIndex, const TiffMessages& messages, Directory& d) {
    d.imageCount = TIFFNumberOfDirectories(tif);
    if (imageIndex < 0 || imageIndex >= d.imageCount || !TIFFSetDirectory(tif, static_cast<tdir_t>(imageIndex)))
        return image_error::kTiffPage;

    // The library recovers from a tag whose data lies past the end of the file by dropping it (a palette
    // image whose colour map is cut off turns grey); for us the file is corrupt.
    if (messages.dataMissing) return image_error::kTiffCorrupt;

    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_LZW) return image_error::kTiffLzw;

    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &d.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &d.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &d.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &d.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &d.rowsPerStrip);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &d.photometric)) d.photometric = PHOTOMETRIC_MINISWHITE;
    if (d.width == 0 || d.height == 0 || d.width > kMaxImageDimension || d.height > kMaxImageDimension)
        return image_error::kTiffCorrupt;
    d.layout = ChooseLayout(tif, d.samples, d.bitsPerSample, d.photometric, d.bits);

    const uint64_t stripBytes = StripBufferBytes(tif, d.samples);
    if (d.layout == Layout::Rgba) {
        char emsg[1024] = "";
        if (!TIFFRGBAImageOK(tif, emsg)) return image_error::kTiffCorrupt;
        // The RGBA reader's raster of 32 bits a pixel, and the strip it decodes into, beside our block.
        const uint64_t raster = uint64_t(d.width) * d.height * 4;
        if (!image_limits::DecodeFits(d.width, d.height, 24, raster + stripBytes)) return image_error::kTiffRaster;
        return nullptr;
    }
    d.rowBytes = (uint64_t(d.width) * d.bitsPerSample + 7) / 8;
    if (uint64_t(TIFFScanlineSize64(tif)) != d.rowBytes) return image_error::kTiffCorrupt;
    if (!image_limits::DecodeFits(d.width, d.height, d.bits, stripBytes)) return image_error::kTiffRaster;
    return nullptr;
}

// A file's bytes in memory, read by the library through its client procedures.
struct MemoryFile {
    const uint8_t* data;
    uint64_t size;
    uint64_t position = 0;
};

tmsize_t MemoryRead(thandle_t handle, void* buffer, tmsize_t n) {
    auto* f = static_cast<MemoryFile*>(handle);
    const uint64_t left = f->size - std::min(f->size, f->position);
    const uint64_t count = std::min<uint64_t>(left, n < 0 ? 0 : static_cast<uint64_t>(n));
    if (count) std::memcpy(buffer, f->data + f->position, count);
    f->position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t MemoryWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t MemorySeek(thandle_t handle, toff_t offset, int whence) {
    auto* f = static_cast<MemoryFile*>(handle);
    const uint64_t base = whence == SEEK_CUR ? f->position : whence == SEEK_END ? f->size : 0;
    f->position = base + offset;
    return f->position;
}

int MemoryClose(thandle_t) { return 0; }
toff_t MemorySize(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size; }
int MemoryMap(thandle_t, void**, toff_t*) { return 0; }
void MemoryUnmap(thandle_t, void*, toff_t) {}

TIFF* OpenTiffInMemory(MemoryFile& file, TiffMessages& messages) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, image_limits::kMaxDecodeBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &messages);
    TIFF* tif = TIFFClientOpenExt("memory", "rm", &file, MemoryRead, MemoryWrite, MemorySeek, MemoryClose,
                                  MemorySize, MemoryMap, MemoryUnmap, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

}  // namespace

bool ProbeTiffPicture(const uint8_t* data, size_t size, std::string* error) {
    TiffMessages messages;
    MemoryFile file{data, data ? size : 0};
    TiffHandle tif(OpenTiffInMemory(file, messages));
    const char* failure = image_error::kTiffOpen;
    Directory directory;
    if (tif.get()) failure = ReadDirectory(tif.get(), 0, messages, directory);
    if (failure && error) *error = failure;
    return !failure;
}

bool CImageFileTIFF::ReadFile(const char* file) {
    TiffMessages messages;
    auto fail = [this](const char* text) {
        Free();
        SetError(text);
        return false;
    };
    TiffHandle tif(OpenTiff(file, "r", messages));
    if (!tif.get()) return fail(image_error::kTiffOpen);

    Directory d;
    const char* failure = ReadDirectory(tif.get(), m_imageIndex, messages, d);
    m_imageCount = d.imageCount;
    if (failure) return fail(failure);
    const uint32_t width = d.width, height = d.height;

    if (d.layout == Layout::Rgba) {
        auto* raster = static_cast<uint32_t*>(_TIFFmalloc(static_cast<tmsize_t>(uint64_t(width) * height * 4)));
        if (!raster) return fail(image_error::kTiffRaster);
        // Rows come bottom-up, as our pixels lie. A strip or tile that does not decode ends the read: the
        // picture would otherwise be shown with garbage or blank where the file is damaged.
        messages.error.clear();
        const bool read = TIFFReadRGBAImageOriented(tif.get(), width, height, raster, ORIENTATION_BOTLEFT, 1) == 1;
        if (!read || !messages.error.empty() || !Create(static_cast<int>(width), static_cast<int>(height), 24)) {
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

    const uint64_t rowBytes = d.rowBytes;
    if (!Create(static_cast<int>(width), static_cast<int>(height), d.bits)) return fail(image_error::kTiffCorrupt);

    RGBQUAD* palette = GetPalette();
    if (d.layout == Layout::BlackWhite) {
        palette[d.photometric == PHOTOMETRIC_MINISBLACK ? 1 : 0] = RGBQUAD{255, 255, 255, 0};
    } else if (d.layout == Layout::Grey8) {
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(d.photometric == PHOTOMETRIC_MINISBLACK ? i : 255 - i);
            palette[i] = RGBQUAD{v, v, v, 0};
        }
    } else {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif.get(), TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
            return fail(image_error::kTiffCorrupt);
        const int entries = 1 << d.bitsPerSample;
        bool wide = false;
        for (int i = 0; i < entries; ++i) wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
        auto scale = [wide](uint16_t v) { return static_cast<uint8_t>(wide ? v * 255 / 65535 : v); };
        for (int i = 0; i < entries; ++i) palette[i] = RGBQUAD{scale(blue[i]), scale(green[i]), scale(red[i]), 0};
    }

    // Strips hold rows from the top of the picture.
    uint32_t rowsPerStrip = d.rowsPerStrip;
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
