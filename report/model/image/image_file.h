#pragma once
// The system's in-memory raster picture: a device-independent bitmap in one block (info header,
// palette, rows bottom-up), read from and written to BMP, GIF, JPEG, PNG, ICO and TIFF files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "report/model/image/dib.h"

class CDC;
class QImage;

// Format codes, as stored by callers and chosen by file extension.
enum ImageFormat : int {
    IMAGE_FORMAT_BMP = 0,
    IMAGE_FORMAT_GIF = 1,
    IMAGE_FORMAT_JPEG = 2,
    IMAGE_FORMAT_PNG = 3,
    IMAGE_FORMAT_ICO = 4,
    IMAGE_FORMAT_TIFF = 5,
};

// What any image may hold: a hostile file cannot make us allocate beyond this. The readers hold pictures
// to the tighter caps of image_limits.h (pixels, and the memory of a decode and its drawing together).
constexpr int64_t kMaxImageDimension = 1 << 20;
constexpr int64_t kMaxImageBytes = int64_t(512) << 20;

class CImageFile {
public:
    CImageFile();
    // A rendered bitmap (a page, a screen grab); a null image gives an empty one.
    explicit CImageFile(const QImage& image);
    CImageFile(const char* file, int format);
    virtual ~CImageFile();
    CImageFile(const CImageFile&) = delete;
    CImageFile& operator=(const CImageFile&) = delete;

    // Replaces the block by a zero-filled one of the depth raised to 1, 4, 8 or 24 bits.
    // Returns the block, or null (image unchanged) for sizes out of range.
    uint8_t* Create(int width, int height, int bits);
    // Stretches the whole image into the rectangle; 0 without a block or device context.
    int Draw(CDC* dc, int x, int y, int width, int height);
    bool Save(const char* file, int format);
    // On failure the image keeps what it held and GetErrorText() tells why.
    bool Load(const char* file, int format);
    // The same with the file's bytes in memory (image_memory.cpp); they pass through a private temporary
    // file, since the format libraries read and write files.
    bool SaveToMemory(std::vector<uint8_t>& bytes, int format);
    bool LoadFromMemory(const uint8_t* data, size_t size, int format);

    bool GetPaletteEntry(int index, char& red, char& green, char& blue) const;
    void SetPalette(int n, unsigned char* red, unsigned char* green = nullptr, unsigned char* blue = nullptr);
    void SetPaletteRGB(unsigned char* triples, int n);
    void SetPaletteRaw(const char* entries, int n);
    void SetGrayPalette();
    bool IsInside(int x, int y) const;
    static void SwapRedBlue(char* bytes, int length);
    // Frees this image's block and moves the other's header, fields and block here.
    void Take(CImageFile* other);

    // The image as a QImage for drawing (null when empty).
    QImage ToQImage() const;

    bool IsEmpty() const { return m_block == nullptr; }
    int GetWidth() const { return m_block ? m_header.biWidth : 0; }
    int GetHeight() const { return m_block ? m_header.biHeight : 0; }
    int GetBitCount() const { return m_block ? m_header.biBitCount : 0; }
    int GetStride() const { return m_stride; }
    int GetPaletteSize() const { return m_block ? static_cast<int>(m_header.biClrUsed) : 0; }
    const BITMAPINFOHEADER& GetHeader() const { return m_header; }
    // The whole block: header, palette, rows.
    const uint8_t* GetBlock() const { return m_block; }
    size_t GetBlockSize() const;
    RGBQUAD* GetPalette();
    const RGBQUAD* GetPalette() const;
    // Rows bottom-up: row 0 is the bottom row of the picture.
    uint8_t* GetBits() { return m_pixels; }
    const uint8_t* GetBits() const { return m_pixels; }
    // Row y counted from the top of the picture.
    uint8_t* GetRowFromTop(int y) { return m_pixels + static_cast<size_t>(m_header.biHeight - 1 - y) * m_stride; }
    const uint8_t* GetRowFromTop(int y) const {
        return m_pixels + static_cast<size_t>(m_header.biHeight - 1 - y) * m_stride;
    }

    const std::string& GetErrorText() const { return m_errorText; }
    const std::string& GetFileName() const { return m_fileName; }
    int GetFormat() const { return m_format; }
    // 1 palette image, 2 RGB image, 0 empty.
    int GetColorType() const { return m_colorType; }
    int GetTransparentIndex() const { return m_transparentIndex; }
    int GetQuality() const { return m_quality; }
    void SetQuality(int quality) { m_quality = quality; }
    int GetImageIndex() const { return m_imageIndex; }
    int GetImageCount() const { return m_imageCount; }
    int GetFrameDelay() const { return m_frameDelay; }

protected:
    // Each format kind reads or writes its file; the base kind knows no format.
    virtual bool ReadFile(const char* file);
    virtual bool WriteFile(const char* file);
    // Shares the lender's header, fields and block for a write; the block stays the lender's.
    void Borrow(CImageFile& lender);
    void Free();
    void SetError(std::string text) { m_errorText = std::move(text); }

    uint8_t* m_block = nullptr;
    BITMAPINFOHEADER m_header;
    int32_t m_stride = 0;
    uint8_t* m_pixels = nullptr;
    CImageFile* m_lender = nullptr;
    std::string m_fileName;
    int32_t m_format = 0;
    uint8_t m_colorType = 0;
    std::string m_errorText;
    int32_t m_transparentIndex = -1;
    int32_t m_quality = 75;
    int32_t m_imageIndex = 0;
    int32_t m_imageCount = 0;
    int32_t m_frameDelay = 0;
};
