#include "report/model/image/image_limits.h"

#include <algorithm>

#include "report/model/image/dib.h"
#include "report/model/image/image_file.h"

namespace image_limits {

namespace {
int RaisedBits(int bits) { return bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24; }

bool DimensionsFit(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageDimension && height <= kMaxImageDimension &&
           width * height <= kMaxPixels;
}
}  // namespace

int64_t BlockBytes(int64_t width, int64_t height, int bits) {
    bits = RaisedBits(bits);
    const int64_t stride = (width * bits + 31) / 32 * 4;
    const int64_t palette = bits <= 8 ? (int64_t(1) << bits) * int64_t(sizeof(RGBQUAD)) : 0;
    return int64_t(sizeof(BITMAPINFOHEADER)) + palette + stride * height;
}

int64_t DrawCopyBytes(int64_t width, int64_t height, int bits) {
    const int64_t bytesPerPixel = RaisedBits(bits) == 24 ? 4 : 1;
    return (width * bytesPerPixel + 3) / 4 * 4 * height;
}

int64_t DecoderAllowance(int64_t width, int64_t height, int bits) {
    if (!DimensionsFit(width, height)) return 0;
    return std::max<int64_t>(0, kMaxDecodeBytes - BlockBytes(width, height, bits));
}

bool DecodeFits(int64_t width, int64_t height, int bits, uint64_t decoderBytes) {
    if (!DimensionsFit(width, height) || decoderBytes > uint64_t(kMaxDecodeBytes)) return false;
    const int64_t beside = std::max(static_cast<int64_t>(decoderBytes), DrawCopyBytes(width, height, bits));
    return BlockBytes(width, height, bits) + beside <= kMaxDecodeBytes;
}

}  // namespace image_limits
