#pragma once
// Colour and logical-font records shared by the model, the drawing layer and the store binding.
#include <cstdint>
#include <cstring>
#include <string_view>

using COLORREF = uint32_t;
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GetGValue(COLORREF c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(COLORREF c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

constexpr int LF_FACESIZE = 32;
constexpr int32_t FW_DONTCARE = 0;
constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_BOLD = 700;
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t RUSSIAN_CHARSET = 204;

struct LOGFONT {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};  // UTF-8, always NUL-terminated

    // Copies at most LF_FACESIZE-1 bytes, never splitting a UTF-8 character.
    void SetFaceName(std::string_view name) {
        size_t n = name.size() < LF_FACESIZE - 1 ? name.size() : LF_FACESIZE - 1;
        if (n < name.size())
            while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
        std::memcpy(lfFaceName, name.data(), n);
        std::memset(lfFaceName + n, 0, LF_FACESIZE - n);
    }
    std::string_view FaceName() const { return std::string_view(lfFaceName, strnlen(lfFaceName, LF_FACESIZE)); }
};
using LPLOGFONT = LOGFONT*;
