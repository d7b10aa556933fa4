#pragma once
// How large a picture the readers take on, checked before anything is allocated, so that a few hundred
// bytes claiming a huge picture cost nothing.
//
// Pixels: a picture shown on a report page needs at most the page's own pixels, and an A4 page at
// 600 dpi is 4961 x 7016, about 35 megapixels; 40 megapixels hold that with room to spare, while a
// claim of 13000 x 13000 (169 megapixels) is refused.
//
// Memory: everything one picture keeps alive at the peak of its decode or of its drawing counts together:
// the image's block, the decoder's raster and buffers, and the QImage that drawing copies the block into
// (these two never live at the same time, so the larger counts). At the pixel cap a 24-bit picture takes
// 3 bytes a pixel in its block and 4 in a 32-bit raster or the drawing copy: 280 MB. 320 MiB leaves room
// for the decoders' strip and row buffers and for nothing much larger.
#include <cstdint>

namespace image_limits {

constexpr int64_t kMaxPixels = 40'000'000;
constexpr int64_t kMaxDecodeBytes = int64_t(320) << 20;

// Bytes of an image block of this size (header, palette, rows), the depth raised as CImageFile::Create
// raises it; the dimensions must be positive.
int64_t BlockBytes(int64_t width, int64_t height, int bits);
// Bytes of the QImage that drawing makes: 32 bits a pixel for 24-bit images, 8 for palette images.
int64_t DrawCopyBytes(int64_t width, int64_t height, int bits);
// Whether a picture of width x height may be decoded into an image of `bits` by a decoder that needs
// decoderBytes beside the block at its peak: within the pixel cap, and the block together with the larger
// of the decoder's memory and the drawing copy within the memory cap. False for dimensions below 1 or
// beyond what an image may hold.
bool DecodeFits(int64_t width, int64_t height, int bits, uint64_t decoderBytes = 0);
// What the decoder may still use beside a block of this size (0 when the block alone is too large).
int64_t DecoderAllowance(int64_t width, int64_t height, int bits);

}  // namespace image_limits
