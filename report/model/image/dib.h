#pragma once
// The device-independent bitmap records that an image block is made of: the 40-byte info header
// and the palette entries, little-endian as they lie in memory and in BMP and ICO files.
#include <cstdint>

struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the info header is 40 bytes in memory and in files");

struct RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4);

constexpr uint32_t BI_RGB = 0;
