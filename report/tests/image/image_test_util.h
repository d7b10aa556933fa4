#pragma once
// Helpers of the image tests: a private folder, patterned images, pixel colours, file bytes.
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/tests/test_support.h"
#include "report/model/image/image_file.h"

namespace image_test {

// A folder of its own for each test, removed afterwards; a folder that cannot be made throws.
class TempDir : public zor::test::ScopedTempDir {
public:
    TempDir();
    std::string File(const std::string& name) const { return *this / name; }
};

// An image whose every pixel differs from its neighbours, with a palette of distinct colours.
void FillPattern(CImageFile& image, int width, int height, int bits);
// Colour of pixel (x, y), y from the top, as 0xRRGGBB.
uint32_t PixelColour(const CImageFile& image, int x, int y);
uint32_t PaletteIndex(const CImageFile& image, int x, int y);
void SetPixelIndex(CImageFile& image, int x, int y, unsigned index);

// Number of pixels whose colours differ by more than tolerance in any channel (0 when equal).
int CountDifferences(const CImageFile& image, const QImage& other, int tolerance = 0);
int CountDifferences(const CImageFile& a, const CImageFile& b, int tolerance = 0);

std::vector<uint8_t> ReadBytes(const std::string& path);
// The bytes of a patterned image saved under name in dir.
std::vector<uint8_t> SavedPattern(const TempDir& dir, const std::string& name, int width, int height, int bits,
                                  int format);
void AppendLE16(std::vector<uint8_t>& bytes, unsigned value);
void AppendLE32(std::vector<uint8_t>& bytes, uint32_t value);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

// The TIFF file decoded by libtiff's RGBA reader (our independent check, as Qt has no TIFF reader here).
QImage ReadTiffIndependently(const std::string& path);

}  // namespace image_test
