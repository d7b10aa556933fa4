#pragma once
// File access for the image formats: an input file that knows its size, and an output file
// written beside its target and renamed over it only when complete.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/base/file_io.h"
#include "report/model/image/dib.h"

namespace image_io {

inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLE16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    PutLE16(p, v);
    PutLE16(p + 2, v >> 16);
}

// The palette index of pixel x in a row of 1, 4 or 8 bits a pixel, most significant bits first.
inline unsigned PixelIndex(const uint8_t* row, int x, int bits) {
    const int bit = x * bits;
    return (row[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1);
}

// The 40-byte info header as it lies in BMP and ICO files.
inline void PutInfoHeader(uint8_t* p, const BITMAPINFOHEADER& h) {
    PutLE32(p, h.biSize);
    PutLE32(p + 4, static_cast<uint32_t>(h.biWidth));
    PutLE32(p + 8, static_cast<uint32_t>(h.biHeight));
    PutLE16(p + 12, h.biPlanes);
    PutLE16(p + 14, h.biBitCount);
    PutLE32(p + 16, h.biCompression);
    PutLE32(p + 20, h.biSizeImage);
    PutLE32(p + 24, static_cast<uint32_t>(h.biXPelsPerMeter));
    PutLE32(p + 28, static_cast<uint32_t>(h.biYPelsPerMeter));
    PutLE32(p + 32, h.biClrUsed);
    PutLE32(p + 36, h.biClrImportant);
}

// Longest file name an image records; longer names fail the read or write.
bool FileNameFits(const char* file);

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool Open(const char* path);
    FILE* Handle() const { return m_file; }
    uint64_t Size() const { return m_size; }
    uint64_t Tell() const;
    bool Seek(uint64_t position);
    // Reads exactly n bytes, or fails.
    bool Read(void* data, size_t n);
    // The next byte, or -1 at the end.
    int ReadByte();
    void Close();

private:
    FILE* m_file = nullptr;
    uint64_t m_size = 0;
};

// The image formats' output file: replaced atomically (see zor::AtomicFileWriter), and refused, as
// opening it for writing would refuse it, where the target is no regular file or may not be written.
class OutputFile : public zor::AtomicFileWriter {
public:
    bool Open(const char* path);
};

}  // namespace image_io
