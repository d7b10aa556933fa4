#pragma once
// The picture element tests: the model fixture with a private folder, pictures of two colours whose halves
// show where and which way up they were drawn, and element records.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/model/image/image_file.h"
#include "report/model/mem_record.h"
#include "report/model/picture_element.h"
#include "report/tests/image/image_test_util.h"
#include "report/tests/model/record_bytes.h"
#include "report/tests/model/model_fixture.h"

namespace picture_test {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

// A 24-bit picture, its left half `left` and its right half `right` (0xRRGGBB).
std::unique_ptr<CImageFile> TwoColourPicture(int width, int height, uint32_t left = kRed, uint32_t right = kBlue);
// The same as an 8-bit palette picture (GIF takes no more).
std::unique_ptr<CImageFile> TwoColourPalettePicture(int width, int height, uint32_t left = kRed,
                                                    uint32_t right = kBlue);

// TIFF files begin "II*\0" or "MM\0*".
bool LooksLikeTiff(const std::vector<uint8_t>& bytes);

using model_test::Record;

class PictureTest : public model_test::ModelBase {
protected:
    // An element of the manager on its own (not on a sheet).
    std::unique_ptr<CPictureElement> NewPicture() { return std::make_unique<CPictureElement>(&Manager()); }
    // Saves image as name (format from the extension) in the test's folder; the path.
    std::string SaveAs(CImageFile& image, const std::string& name, int format);
    // An element showing a 24-bit two-colour picture loaded from a PNG file.
    std::unique_ptr<CPictureElement> PictureFromPng(int width, int height);
    // An element pasted from a record that carries no picture: its picture is empty.
    std::unique_ptr<CPictureElement> WithoutPicture();

    image_test::TempDir dir;
};

}  // namespace picture_test
