// One raster-image reader, chosen when the target is built (QM_FUZZ_IMAGE_FORMAT, a format code of
// CImageFile), read from the input's bytes as a picture cell or a pasted file is read. A picture that loads
// (of at most a few megapixels) is written twice with the same bytes; what was written reads back at the same size, and for the lossless
// formats writes again to the same bytes.
#include <QImage>

#include "fuzz/fuzz_support.h"
#include "report/model/image/image_file.h"

namespace {

constexpr int kFormat = QM_FUZZ_IMAGE_FORMAT;
constexpr const char* kName = "image";
// Round trips are about the encoders' bytes, which small pictures show as well as large ones; a large
// picture from a few bytes is the readers' caps' business, and writing it three times would only spend
// the time limit.
constexpr int64_t kRoundTripPixels = int64_t(1) << 22;

std::vector<uint8_t> Write(CImageFile& image) {
    std::vector<uint8_t> bytes;
    if (!image.SaveToMemory(bytes, kFormat)) bytes.clear();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Folder();
    CImageFile image;
    if (!image.LoadFromMemory(data, size, kFormat)) {
        if (!image.IsEmpty()) fuzz::Fail(kName, "a failed load left a picture");
        return 0;
    }
    if (image.IsEmpty()) return 0;
    (void)image.ToQImage();
    if (int64_t(image.GetWidth()) * image.GetHeight() > kRoundTripPixels) return 0;
    const std::vector<uint8_t> first = Write(image);
    if (first.empty()) return 0;  // a picture this format cannot hold (an ICO too large, say)
    fuzz::SameBytes(kName, "writing twice", first, Write(image));
    CImageFile again;
    if (!again.LoadFromMemory(first.data(), first.size(), kFormat))
        fuzz::Fail(kName, "a written picture does not load: " + again.GetErrorText());
    if (again.GetWidth() != image.GetWidth() || again.GetHeight() != image.GetHeight())
        fuzz::Fail(kName, "a written picture reads back at another size");
    if (kFormat != IMAGE_FORMAT_JPEG) fuzz::SameBytes(kName, "writing what was written", first, Write(again));
    return 0;
}
