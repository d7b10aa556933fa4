#include "report/tests/picture/picture_fixture.h"

#include <gtest/gtest.h>

namespace picture_test {

namespace {

uint8_t Channel(uint32_t colour, int shift) { return static_cast<uint8_t>(colour >> shift); }

}  // namespace

std::unique_ptr<CImageFile> TwoColourPicture(int width, int height, uint32_t left, uint32_t right) {
    auto image = std::make_unique<CImageFile>();
    if (!image->Create(width, height, 24)) return image;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image->GetRowFromTop(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = x < width / 2 ? left : right;
            row[3 * x] = Channel(c, 0);
            row[3 * x + 1] = Channel(c, 8);
            row[3 * x + 2] = Channel(c, 16);
        }
    }
    return image;
}

std::unique_ptr<CImageFile> TwoColourPalettePicture(int width, int height, uint32_t left, uint32_t right) {
    auto image = std::make_unique<CImageFile>();
    if (!image->Create(width, height, 8)) return image;
    RGBQUAD* palette = image->GetPalette();
    palette[0] = RGBQUAD{Channel(left, 0), Channel(left, 8), Channel(left, 16), 0};
    palette[1] = RGBQUAD{Channel(right, 0), Channel(right, 8), Channel(right, 16), 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image->GetRowFromTop(y)[x] = x < width / 2 ? 0 : 1;
    return image;
}

bool LooksLikeTiff(const std::vector<uint8_t>& b) {
    return b.size() >= 4 && ((b[0] == 'I' && b[1] == 'I' && b[2] == 42 && b[3] == 0) ||
                             (b[0] == 'M' && b[1] == 'M' && b[2] == 0 && b[3] == 42));
}

std::string PictureTest::SaveAs(CImageFile& image, const std::string& name, int format) {
    const std::string path = dir.File(name);
    EXPECT_TRUE(image.Save(path.c_str(), format)) << name << ": " << image.GetErrorText();
    return path;
}

std::unique_ptr<CPictureElement> PictureTest::PictureFromPng(int width, int height) {
    auto picture = TwoColourPicture(width, height);
    const std::string path = SaveAs(*picture, "picture.png", IMAGE_FORMAT_PNG);
    auto element = NewPicture();
    EXPECT_EQ(element->LoadPicture(path), 1);
    return element;
}

std::unique_ptr<CPictureElement> PictureTest::WithoutPicture() {
    CReportElement plain(&Manager());
    std::vector<uint8_t> record = Record(plain);
    CRecordWriter out(record);
    out.PutInt32(0);  // draw mode
    out.PutInt32(0);  // no picture bytes
    auto element = NewPicture();
    CRecordReader in(record, 4);
    EXPECT_TRUE(element->LoadDataFromMem(in));
    return element;
}

}  // namespace picture_test
