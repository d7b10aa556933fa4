#include "report/model/picture_placeholder.h"

#include <cstdlib>

#include "report/model/image/image_file.h"

namespace {

constexpr int kSide = 48;

// Palette indexes.
enum : unsigned { kBackground = 0, kFrame = 1, kCross = 2 };

void SetPixel(CImageFile& image, int x, int y, unsigned index) {
    uint8_t* row = image.GetRowFromTop(y);
    const int shift = (x & 1) ? 0 : 4;
    row[x / 2] = static_cast<uint8_t>((row[x / 2] & ~(0xF << shift)) | (index << shift));
}

}  // namespace

std::unique_ptr<CImageFile> MakePlaceholderImage() {
    auto image = std::make_unique<CImageFile>();
    if (!image->Create(kSide, kSide, 4)) return image;
    unsigned char red[] = {244, 128, 184};
    image->SetPalette(3, red);  // greys: green and blue follow red
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            unsigned index = kBackground;
            if (x == 0 || y == 0 || x == kSide - 1 || y == kSide - 1)
                index = kFrame;
            else if (x == y || x == kSide - 1 - y)
                index = kCross;
            SetPixel(*image, x, y, index);
        }
    }
    return image;
}

std::unique_ptr<CImageFile> LoadPlaceholderImage(const std::string& dictDir) {
    if (dictDir.empty()) return MakePlaceholderImage();
    std::string path = dictDir;
    if (path.back() && path.back() != '/') path += '/';
    path += kPlaceholderFileName;
    auto image = std::make_unique<CImageFile>();
    if (image->Load(path.c_str(), IMAGE_FORMAT_BMP) && image->GetWidth() > 0 && image->GetHeight() > 0) return image;
    return MakePlaceholderImage();
}
