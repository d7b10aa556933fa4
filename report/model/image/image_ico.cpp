// ICO files: a directory of icons, each an info header, a palette, colour rows and a mask.
#include <cstring>
#include <vector>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_formats.h"
#include "report/model/image/image_io.h"
#include "report/model/image/image_limits.h"

using namespace image_io;

namespace {
constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kInfoSize = sizeof(BITMAPINFOHEADER);

// Bytes of the 1-bit transparency mask: its rows are padded to 32 bits like any bitmap row.
uint32_t MaskBytes(int width, int height) { return static_cast<uint32_t>((width + 31) / 32 * 4 * height); }
}  // namespace

bool CImageFileICO::ReadFile(const char* file) {
    InputFile in;
    if (!in.Open(file)) return false;
    auto corrupt = [this] {
        SetError(image_error::kIcoCorrupt);
        return false;
    };

    uint8_t directory[kDirectorySize];
    if (!in.Read(directory, sizeof directory)) return corrupt();
    if (GetLE16(directory) != 0 || GetLE16(directory + 2) != 1) return corrupt();
    const int count = GetLE16(directory + 4);
    std::vector<uint8_t> entries(count * kEntrySize);
    if (count == 0 || !in.Read(entries.data(), entries.size())) return corrupt();
    m_imageCount = count;
    if (m_imageIndex < 0 || m_imageIndex >= count) return corrupt();

    const uint8_t* entry = &entries[m_imageIndex * kEntrySize];
    const int width = entry[0] ? entry[0] : 256;  // a size byte of 0 stands for 256
    const int height = entry[1] ? entry[1] : 256;
    const uint64_t offset = GetLE32(entry + 12);

    // The icon's own header says how deep its colour rows are.
    uint8_t info[kInfoSize];
    if (!in.Seek(offset) || !in.Read(info, sizeof info) || GetLE32(info) != kInfoSize) return corrupt();
    const unsigned bits = GetLE16(info + 14);
    if (GetLE32(info + 16) != BI_RGB) return corrupt();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return corrupt();
    const uint32_t maxEntries = bits <= 8 ? 1u << bits : 0;
    const uint32_t colorsUsed = GetLE32(info + 32);
    if (bits <= 8 && colorsUsed > maxEntries) return corrupt();
    const uint32_t fileEntries = bits > 8 ? 0 : colorsUsed ? colorsUsed : maxEntries;
    const uint64_t fileStride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    const uint64_t colorStart = offset + kInfoSize + fileEntries * 4ull;
    // The colour rows and the mask after them must both be there.
    const uint64_t iconBytes = fileStride * height + MaskBytes(width, height);
    if (colorStart > in.Size() || iconBytes > in.Size() - colorStart) return corrupt();

    // An icon is at most 256 x 256, far inside the caps; checked all the same, as every reader does.
    if (!image_limits::DecodeFits(width, height, static_cast<int>(bits), fileStride)) return corrupt();
    if (!Create(width, height, static_cast<int>(bits))) return corrupt();
    if (fileEntries) {
        std::vector<char> palette(fileEntries * 4);
        if (!in.Read(palette.data(), palette.size())) return corrupt();
        SetPaletteRaw(palette.data(), static_cast<int>(fileEntries));
        for (uint32_t i = 0; i < fileEntries; ++i) GetPalette()[i].rgbReserved = 0;
    }
    std::vector<uint8_t> row(fileStride);
    for (int i = 0; i < height; ++i) {
        if (!in.Read(row.data(), row.size())) return corrupt();
        uint8_t* dst = m_pixels + static_cast<size_t>(i) * m_stride;
        if (bits == 32) {
            for (int x = 0; x < width; ++x) std::memcpy(dst + 3 * x, &row[4 * x], 3);
        } else {
            std::memcpy(dst, row.data(), static_cast<size_t>(m_stride));
        }
    }
    return true;
}

bool CImageFileICO::WriteFile(const char* file) {
    const int width = m_header.biWidth, height = m_header.biHeight, bits = m_header.biBitCount;
    if (bits > 8 || width > 255 || height > 255) {
        SetError(image_error::kIcoCantSave);
        return false;
    }
    OutputFile out;
    if (!out.Open(file)) return false;
    const uint32_t entries = m_header.biClrUsed;
    const uint32_t colorBytes = static_cast<uint32_t>(height) * m_stride;
    const uint32_t maskBytes = MaskBytes(width, height);

    uint8_t head[kDirectorySize + kEntrySize + kInfoSize] = {};
    PutLE16(head + 2, 1);
    PutLE16(head + 4, 1);
    uint8_t* entry = head + kDirectorySize;
    entry[0] = static_cast<uint8_t>(width);
    entry[1] = static_cast<uint8_t>(height);
    entry[2] = static_cast<uint8_t>(entries);  // 256 entries give 0
    PutLE16(entry + 6, static_cast<uint32_t>(bits));
    PutLE32(entry + 8, colorBytes + maskBytes + entries * 4 + kInfoSize);
    PutLE32(entry + 12, kDirectorySize + kEntrySize);
    BITMAPINFOHEADER info;
    info.biSize = kInfoSize;
    info.biWidth = width;
    info.biHeight = height * 2;  // colour rows and mask rows
    info.biPlanes = 1;
    info.biBitCount = static_cast<uint16_t>(bits);
    info.biSizeImage = colorBytes;
    PutInfoHeader(head + kDirectorySize + kEntrySize, info);
    out.Write(head, sizeof head);
    out.Write(GetPalette(), entries * sizeof(RGBQUAD));
    out.Write(m_pixels, colorBytes);
    const std::vector<uint8_t> mask(maskBytes, 0);
    out.Write(mask.data(), mask.size());
    return out.Commit();
}
