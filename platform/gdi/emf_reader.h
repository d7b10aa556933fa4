#pragma once
// A small reader of enhanced metafiles: checks the structure that players rely on and lists the records,
// the texts and the header's fields. It reads bytes it does not trust (a clipboard, a file) with every
// length checked.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/geometry.h"

struct CEmfRecordInfo {
    uint32_t type = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
};

struct CEmfInfo {
    CRect bounds;  // device units, inclusive
    CRect frame;   // hundredths of a millimetre
    uint32_t nBytes = 0;
    uint32_t nRecords = 0;
    uint16_t nHandles = 0;
    CSize deviceSize;       // reference device in pixels
    CSize millimetres;      // reference device in millimetres
    std::string description;  // UTF-8, up to the first NUL
    std::vector<CEmfRecordInfo> records;
    std::vector<std::string> texts;  // the strings of the text records, UTF-8, in order

    size_t Count(uint32_t type) const;
};

// Record types that callers look for.
constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmrSaveDc = 33;
constexpr uint32_t kEmrRestoreDc = 34;
constexpr uint32_t kEmrSelectObject = 37;
constexpr uint32_t kEmrCreatePen = 38;
constexpr uint32_t kEmrCreateBrushIndirect = 39;
constexpr uint32_t kEmrDeleteObject = 40;
constexpr uint32_t kEmrRectangle = 43;
constexpr uint32_t kEmrLineTo = 54;
constexpr uint32_t kEmrIntersectClipRect = 30;
constexpr uint32_t kEmrSetMapMode = 17;
constexpr uint32_t kEmrStretchDiBits = 81;
constexpr uint32_t kEmrExtCreateFontIndirectW = 82;
constexpr uint32_t kEmrExtTextOutW = 84;
constexpr uint32_t kEmrExtCreatePen = 95;

// True when the bytes are a well-formed metafile: a header record with the signature first, nBytes equal
// to the length, every record at least 8 bytes, a multiple of 4 and inside the data, the sizes adding up
// to the length, nRecords records, and the end-of-file record last and only there. Otherwise false with
// error saying what is wrong.
bool ReadEmf(std::string_view bytes, CEmfInfo& info, std::string* error = nullptr);
