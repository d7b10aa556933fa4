// BMP files: a 14-byte file header (or none), the info header, the palette and the rows.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_formats.h"
#include "report/model/image/image_io.h"
#include "report/model/image/image_limits.h"

using namespace image_io;

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kLargestInfoHeader = 1024;

uint8_t Widen5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

// 16-bit (5-5-5) and 32-bit rows become blue, green, red.
void ConvertRowTo24(const uint8_t* src, uint8_t* dst, int width, int bits) {
    for (int x = 0; x < width; ++x, dst += 3) {
        if (bits == 16) {
            const unsigned v = GetLE16(src + 2 * x);
            dst[0] = Widen5(v & 31);
            dst[1] = Widen5((v >> 5) & 31);
            dst[2] = Widen5((v >> 10) & 31);
        } else {
            std::memcpy(dst, src + 4 * x, 3);
        }
    }
}

}  // namespace

bool CImageFileBMP::ReadFile(const char* file) {
    InputFile in;
    if (!in.Open(file)) return false;
    auto corrupt = [this] {
        SetError(image_error::kBmpCorrupt);
        return false;
    };

    uint8_t fileHeader[14];
    bool hasFileHeader = false;
    uint64_t pixelOffset = 0;
    if (in.Read(fileHeader, sizeof fileHeader) && fileHeader[0] == 'B' && fileHeader[1] == 'M') {
        hasFileHeader = true;
        pixelOffset = GetLE32(fileHeader + 10);
    } else if (!in.Seek(0)) {
        return corrupt();
    }

    // A bitmap without a file header starts with its info header.
    const uint64_t headerStart = in.Tell();
    uint8_t info[40] = {};
    const uint64_t available = in.Size() - headerStart;
    if (available < kCoreHeaderSize || !in.Read(info, available < sizeof info ? available : sizeof info))
        return corrupt();
    const uint32_t headerSize = GetLE32(info);
    const bool core = headerSize == kCoreHeaderSize;
    int64_t width, height;
    unsigned bits;
    uint32_t compression = 0, colorsUsed = 0;
    if (core) {
        width = GetLE16(info + 4);
        height = GetLE16(info + 6);
        bits = GetLE16(info + 10);
    } else {
        if (headerSize < sizeof info || headerSize > kLargestInfoHeader || available < sizeof info) return corrupt();
        width = static_cast<int32_t>(GetLE32(info + 4));
        height = static_cast<int32_t>(GetLE32(info + 8));
        bits = GetLE16(info + 14);
        compression = GetLE32(info + 16);
        colorsUsed = GetLE32(info + 32);
    }
    if (compression != BI_RGB) {
        SetError(image_error::kBmpRle);
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return corrupt();
    // A negative height marks rows stored from the top.
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxImageDimension || height > kMaxImageDimension) return corrupt();

    const uint32_t maxEntries = bits <= 8 ? 1u << bits : 256u;
    if (colorsUsed > maxEntries) return corrupt();
    const uint32_t fileEntries = bits <= 8 && colorsUsed == 0 ? maxEntries : colorsUsed;
    const uint64_t entrySize = core ? 3 : 4;
    const uint64_t paletteStart = headerStart + (core ? kCoreHeaderSize : headerSize);
    const uint64_t pixelStart = hasFileHeader ? pixelOffset : paletteStart + fileEntries * entrySize;
    const uint64_t fileStride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (fileStride * static_cast<uint64_t>(height) > static_cast<uint64_t>(kMaxImageBytes) * 2) return corrupt();
    const uint64_t end = in.Size();
    if (paletteStart + fileEntries * entrySize > end || pixelStart > end ||
        fileStride * static_cast<uint64_t>(height) > end - pixelStart)
        return corrupt();

    if (!image_limits::DecodeFits(width, height, static_cast<int>(bits), fileStride)) {
        SetError(image_error::kTooLarge);
        return false;
    }
    if (!Create(static_cast<int>(width), static_cast<int>(height), static_cast<int>(bits))) return corrupt();

    if (bits <= 8) {
        std::vector<uint8_t> entries(fileEntries * entrySize);
        if (!in.Seek(paletteStart) || !in.Read(entries.data(), entries.size())) return corrupt();
        RGBQUAD* palette = GetPalette();
        for (uint32_t i = 0; i < fileEntries; ++i) {
            const uint8_t* e = &entries[i * entrySize];
            palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
        }
    }

    if (!in.Seek(pixelStart)) return corrupt();
    std::vector<uint8_t> row(fileStride);
    for (int64_t i = 0; i < height; ++i) {
        const int y = static_cast<int>(topDown ? i : height - 1 - i);  // y counted from the top
        if (!in.Read(row.data(), row.size())) return corrupt();
        uint8_t* dst = GetRowFromTop(y);
        if (bits == 16 || bits == 32)
            ConvertRowTo24(row.data(), dst, static_cast<int>(width), static_cast<int>(bits));
        else
            std::memcpy(dst, row.data(), static_cast<size_t>(m_stride));
    }
    return true;
}

bool CImageFileBMP::WriteFile(const char* file) {
    OutputFile out;
    if (!out.Open(file)) return false;
    const uint32_t paletteBytes = m_header.biClrUsed * sizeof(RGBQUAD);
    const uint32_t offset = 14 + sizeof(BITMAPINFOHEADER) + paletteBytes;
    uint8_t head[14 + sizeof(BITMAPINFOHEADER)] = {'B', 'M'};
    PutLE32(head + 2, offset + m_header.biSizeImage);
    PutLE32(head + 10, offset);
    PutInfoHeader(head + 14, m_header);
    out.Write(head, sizeof head);
    out.Write(GetPalette(), paletteBytes);
    out.Write(m_pixels, m_header.biSizeImage);
    return out.Commit();
}
