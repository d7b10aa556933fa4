#include "report/model/image/image_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "report/model/image/image_formats.h"
#include "report/model/image/image_io.h"

namespace {
int PaletteEntriesFor(int bits) { return bits <= 8 ? 1 << bits : 0; }
}  // namespace

CImageFile::CImageFile() = default;

CImageFile::CImageFile(const char* file, int format) { Load(file, format); }

CImageFile::~CImageFile() { Free(); }

void CImageFile::Free() {
    if (!m_lender) std::free(m_block);
    m_block = nullptr;
    m_pixels = nullptr;
    m_lender = nullptr;
}

size_t CImageFile::GetBlockSize() const {
    if (!m_block) return 0;
    return sizeof(BITMAPINFOHEADER) + m_header.biClrUsed * sizeof(RGBQUAD) + m_header.biSizeImage;
}

RGBQUAD* CImageFile::GetPalette() {
    return m_block ? reinterpret_cast<RGBQUAD*>(m_block + sizeof(BITMAPINFOHEADER)) : nullptr;
}

const RGBQUAD* CImageFile::GetPalette() const {
    return m_block ? reinterpret_cast<const RGBQUAD*>(m_block + sizeof(BITMAPINFOHEADER)) : nullptr;
}

uint8_t* CImageFile::Create(int width, int height, int bits) {
    if (width <= 0 || height <= 0 || width > kMaxImageDimension || height > kMaxImageDimension) return nullptr;
    bits = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24;
    const int64_t stride = (static_cast<int64_t>(width) * bits + 31) / 32 * 4;
    const int64_t imageSize = stride * height;
    if (imageSize > kMaxImageBytes) return nullptr;
    const int entries = PaletteEntriesFor(bits);
    const size_t blockSize = sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD) + static_cast<size_t>(imageSize);
    auto* block = static_cast<uint8_t*>(std::calloc(blockSize, 1));
    if (!block) return nullptr;

    Free();
    m_header = BITMAPINFOHEADER{};
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = width;
    m_header.biHeight = height;
    m_header.biPlanes = 1;
    m_header.biBitCount = static_cast<uint16_t>(bits);
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = static_cast<uint32_t>(imageSize);
    m_header.biClrUsed = static_cast<uint32_t>(entries);
    m_stride = static_cast<int32_t>(stride);
    m_colorType = bits <= 8 ? 1 : 2;
    m_block = block;
    std::memcpy(m_block, &m_header, sizeof m_header);
    m_pixels = m_block + sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD);
    return m_block;
}

bool CImageFile::GetPaletteEntry(int index, char& red, char& green, char& blue) const {
    const RGBQUAD* palette = GetPalette();
    if (!palette || index < 0 || index >= GetPaletteSize()) return false;
    red = static_cast<char>(palette[index].rgbRed);
    green = static_cast<char>(palette[index].rgbGreen);
    blue = static_cast<char>(palette[index].rgbBlue);
    return true;
}

void CImageFile::SetPalette(int n, unsigned char* red, unsigned char* green, unsigned char* blue) {
    RGBQUAD* palette = GetPalette();
    if (!palette || !red) return;
    if (!green) green = red;
    if (!blue) blue = green;
    n = std::min(n, GetPaletteSize());
    for (int i = 0; i < n; ++i) palette[i] = RGBQUAD{blue[i], green[i], red[i], 0};
}

void CImageFile::SetPaletteRGB(unsigned char* triples, int n) {
    RGBQUAD* palette = GetPalette();
    if (!palette || !triples) return;
    n = std::min(n, GetPaletteSize());
    for (int i = 0; i < n; ++i) palette[i] = RGBQUAD{triples[3 * i + 2], triples[3 * i + 1], triples[3 * i], 0};
}

void CImageFile::SetPaletteRaw(const char* entries, int n) {
    RGBQUAD* palette = GetPalette();
    if (!palette || !entries || n <= 0) return;
    n = std::min(n, GetPaletteSize());
    std::memcpy(palette, entries, static_cast<size_t>(n) * sizeof(RGBQUAD));
}

void CImageFile::SetGrayPalette() {
    RGBQUAD* palette = GetPalette();
    const int n = GetPaletteSize();
    if (!palette || n <= 0) return;
    for (int i = 0; i < n; ++i) {
        const auto v = static_cast<uint8_t>(i * 256 / n);
        palette[i] = RGBQUAD{v, v, v, 0};
    }
}

bool CImageFile::IsInside(int x, int y) const {
    return x >= 0 && y >= 0 && x < GetWidth() && y < GetHeight();
}

void CImageFile::SwapRedBlue(char* bytes, int length) {
    if (!bytes) return;
    for (int i = 0; i + 2 < length; i += 3) std::swap(bytes[i], bytes[i + 2]);
}

void CImageFile::Take(CImageFile* other) {
    if (!other || other == this) return;
    Free();
    m_block = other->m_block;
    m_header = other->m_header;
    m_stride = other->m_stride;
    m_pixels = other->m_pixels;
    m_lender = other->m_lender;
    m_fileName = std::move(other->m_fileName);
    m_format = other->m_format;
    m_colorType = other->m_colorType;
    m_errorText = std::move(other->m_errorText);
    m_transparentIndex = other->m_transparentIndex;
    m_quality = other->m_quality;
    m_imageIndex = other->m_imageIndex;
    m_imageCount = other->m_imageCount;
    m_frameDelay = other->m_frameDelay;

    other->m_block = nullptr;
    other->m_pixels = nullptr;
    other->m_lender = nullptr;
    other->m_header = BITMAPINFOHEADER{};
    other->m_stride = 0;
    other->m_colorType = 0;
    other->m_fileName.clear();
    other->m_errorText.clear();
    other->m_transparentIndex = -1;
    other->m_imageCount = 0;
    other->m_frameDelay = 0;
}

void CImageFile::Borrow(CImageFile& lender) {
    Free();
    m_block = lender.m_block;
    m_header = lender.m_header;
    m_stride = lender.m_stride;
    m_pixels = lender.m_pixels;
    m_lender = &lender;
    m_fileName = lender.m_fileName;
    m_format = lender.m_format;
    m_colorType = lender.m_colorType;
    m_errorText.clear();
    m_transparentIndex = lender.m_transparentIndex;
    m_quality = lender.m_quality;
    m_imageIndex = lender.m_imageIndex;
    m_imageCount = lender.m_imageCount;
    m_frameDelay = lender.m_frameDelay;
}

bool CImageFile::ReadFile(const char*) { return false; }
bool CImageFile::WriteFile(const char*) { return false; }

bool CImageFile::Save(const char* file, int format) {
    std::unique_ptr<CImageFile> writer = MakeImageFileKind(format);
    if (!writer) return false;
    m_format = format;
    writer->Borrow(*this);
    bool ok = false;
    if (!m_block) {
        // Nothing to write; no file is made.
    } else if (image_io::FileNameFits(file)) {
        writer->m_fileName = file;
        ok = writer->WriteFile(file);
    }
    m_errorText = writer->m_errorText;
    if (ok) m_fileName = file;
    return ok;
}

bool CImageFile::Load(const char* file, int format) {
    // The file is read into a fresh image, so that a failed read leaves this one as it was.
    std::unique_ptr<CImageFile> reader = MakeImageFileKind(format);
    if (!reader) return false;
    m_format = format;
    reader->m_quality = m_quality;
    reader->m_imageIndex = m_imageIndex;
    reader->m_format = format;
    bool ok = false;
    if (image_io::FileNameFits(file)) {
        reader->m_fileName = file;
        ok = reader->ReadFile(file) && reader->m_block;
    }
    if (!ok) {
        m_errorText = reader->m_errorText;
        return false;
    }
    Take(reader.get());
    m_errorText.clear();
    return true;
}
