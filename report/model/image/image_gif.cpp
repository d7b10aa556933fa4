// GIF files: screen descriptor, colour tables, extension blocks and one image of LZW data.
#include <algorithm>
#include <cstring>
#include <vector>

#include "report/model/image/gif_lzw.h"
#include "report/model/image/image_errors.h"
#include "report/model/image/image_formats.h"
#include "report/model/image/image_io.h"
#include "report/model/image/image_limits.h"

using namespace image_io;

namespace {

constexpr int kExtension = 0x21;
constexpr int kImage = 0x2C;
constexpr int kGraphicControl = 0xF9;

// Places decoded rows into an 8-bit image from the top, in the four interlace passes when asked.
class RowStore : public gif_lzw::PixelSink {
public:
    RowStore(CImageFile& image, bool interlaced)
        : m_image(image), m_interlaced(interlaced), m_row(static_cast<size_t>(image.GetWidth())) {}

    bool Put(const uint8_t* pixels, size_t count) override {
        while (count > 0 && m_y >= 0) {
            const size_t n = std::min(count, m_row.size() - m_fill);
            std::memcpy(m_row.data() + m_fill, pixels, n);
            m_fill += n;
            pixels += n;
            count -= n;
            if (m_fill == m_row.size()) StoreRow();
        }
        return m_y >= 0;
    }
    // A partial last row is stored as far as it came.
    void Finish() {
        if (m_fill > 0 && m_y >= 0) StoreRow();
    }

private:
    void StoreRow() {
        std::memcpy(m_image.GetRowFromTop(m_y), m_row.data(), m_fill);
        m_fill = 0;
        const int height = m_image.GetHeight();
        if (!m_interlaced) {
            m_y = m_y + 1 < height ? m_y + 1 : -1;
            return;
        }
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        m_y += kStep[m_pass];
        while (m_y >= height) {
            if (++m_pass >= 4) {
                m_y = -1;
                return;
            }
            m_y = kStart[m_pass];
        }
    }

    CImageFile& m_image;
    bool m_interlaced;
    std::vector<uint8_t> m_row;
    size_t m_fill = 0;
    int m_y = 0;  // next row from the top; -1 once the picture is full
    int m_pass = 0;
};

bool SkipSubBlocks(InputFile& in) {
    for (;;) {
        const int length = in.ReadByte();
        if (length < 0) return false;
        if (length == 0) return true;
        if (!in.Seek(in.Tell() + length)) return false;
    }
}

// The image data of all sub-blocks. A file that ends inside them gives what it holds: the decoder then
// keeps the rows that data spells.
void ReadSubBlocks(InputFile& in, std::vector<uint8_t>& data) {
    for (;;) {
        const int length = in.ReadByte();
        if (length <= 0) return;
        const size_t at = data.size();
        const uint64_t left = in.Size() - std::min(in.Size(), in.Tell());
        const size_t n = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(length), left));
        data.resize(at + n);
        if (!in.Read(data.data() + at, n)) data.resize(at);
        if (data.size() < at + static_cast<size_t>(length)) return;
    }
}

}  // namespace

bool CImageFileGIF::ReadFile(const char* file) {
    InputFile in;
    if (!in.Open(file)) return false;
    auto corrupt = [this] {
        SetError(image_error::kGifCorrupt);
        return false;
    };

    uint8_t screen[13];
    if (!in.Read(screen, sizeof screen) || std::memcmp(screen, "GIF8", 4) != 0) return corrupt();
    uint8_t globalTable[768];
    int globalEntries = 0;
    if (screen[10] & 0x80) {
        globalEntries = 2 << (screen[10] & 7);
        if (!in.Read(globalTable, 3 * globalEntries)) return corrupt();
    }

    for (;;) {
        const int block = in.ReadByte();
        if (block == kExtension) {
            const int label = in.ReadByte();
            if (label < 0) return corrupt();
            if (label == kGraphicControl) {
                const int size = in.ReadByte();
                uint8_t control[4];
                if (size != 4 || !in.Read(control, sizeof control)) return corrupt();
                if (control[0] & 1) m_transparentIndex = control[3];
                m_frameDelay = GetLE16(control + 1);
            }
            if (!SkipSubBlocks(in)) return corrupt();
        } else if (block == kImage) {
            uint8_t descriptor[9];
            if (!in.Read(descriptor, sizeof descriptor)) return corrupt();
            const int width = GetLE16(descriptor + 4);
            const int height = GetLE16(descriptor + 6);
            const uint8_t flags = descriptor[8];
            uint8_t localTable[768];
            int localEntries = 0;
            if (flags & 0x80) {
                localEntries = 2 << (flags & 7);
                if (!in.Read(localTable, 3 * localEntries)) return corrupt();
            }
            if (width == 0 || height == 0) return corrupt();
            if (!image_limits::DecodeFits(width, height, 8)) {
                SetError(image_error::kTooLarge);
                return false;
            }
            if (!Create(width, height, 8)) return corrupt();

            uint8_t* table = localEntries ? localTable : globalEntries ? globalTable : nullptr;
            const int entries = localEntries ? localEntries : globalEntries;
            if (table) {
                SetPaletteRGB(table, entries);
                if (m_transparentIndex >= 0) {
                    // The transparent colour shows black on a white-padded palette.
                    RGBQUAD* palette = GetPalette();
                    palette[m_transparentIndex] = RGBQUAD{0, 0, 0, 0};
                    for (int i = entries; i < 256; ++i) palette[i] = RGBQUAD{255, 255, 255, 0};
                    const bool anyWhite = std::any_of(palette, palette + 256, [](const RGBQUAD& q) {
                        return q.rgbRed == 255 && q.rgbGreen == 255 && q.rgbBlue == 255;
                    });
                    if (!anyWhite) palette[255] = RGBQUAD{255, 255, 255, 0};
                }
            }

            const int minCodeSize = in.ReadByte();
            if (minCodeSize < 0) return corrupt();
            std::vector<uint8_t> data;
            ReadSubBlocks(in, data);
            RowStore rows(*this, (flags & 0x40) != 0);
            // Data that ends without the end code keeps the rows it spelled, the rest of the picture
            // staying at palette index 0; a code that cannot be is damage.
            if (gif_lzw::Decode(data.data(), data.size(), minCodeSize, rows) == gif_lzw::DecodeResult::BadCode)
                return corrupt();
            rows.Finish();
            return true;  // the first image is the picture
        } else {
            break;  // the trailer, the end of the file or anything unknown
        }
    }
    return corrupt();  // no image in the file
}

bool CImageFileGIF::WriteFile(const char* file) {
    const int bits = m_header.biBitCount;
    if (bits > 8) {
        SetError(image_error::kGifDepth);
        return false;
    }
    OutputFile out;
    if (!out.Open(file)) {
        SetError(image_error::kGifCantOpen);
        return false;
    }
    const int width = m_header.biWidth, height = m_header.biHeight;
    const int entries = 1 << bits;

    std::vector<uint8_t> head(13 + 3 * entries + 11);
    std::memcpy(head.data(), "GIF87a", 6);
    PutLE16(&head[6], static_cast<uint32_t>(width));
    PutLE16(&head[8], static_cast<uint32_t>(height));
    head[10] = static_cast<uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1));
    const RGBQUAD* palette = GetPalette();
    uint8_t* p = &head[13];
    for (int i = 0; i < entries; ++i, p += 3) {
        p[0] = palette[i].rgbRed;
        p[1] = palette[i].rgbGreen;
        p[2] = palette[i].rgbBlue;
    }
    p[0] = ',';
    PutLE16(p + 5, static_cast<uint32_t>(width));
    PutLE16(p + 7, static_cast<uint32_t>(height));
    const int minCodeSize = std::max(bits, 2);
    p[10] = static_cast<uint8_t>(minCodeSize);
    out.Write(head.data(), head.size());

    gif_lzw::Encoder encoder(minCodeSize);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = GetRowFromTop(y);
        for (int x = 0; x < width; ++x) encoder.Put(static_cast<uint8_t>(PixelIndex(row, x, bits)));
    }
    const std::vector<uint8_t> data = encoder.Finish();
    out.Write(data.data(), data.size());
    const uint8_t trailer[2] = {0, ';'};
    out.Write(trailer, sizeof trailer);
    if (!out.Commit()) {
        SetError(image_error::kGifWrite);
        return false;
    }
    return true;
}
