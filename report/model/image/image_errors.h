#pragma once
// The texts an image leaves in its error text when a read or write fails.
namespace image_error {
inline constexpr const char* kGetDIBits = "GetDIBits failed";
inline constexpr const char* kBmpRle = "RLE decompression not implemented";
inline constexpr const char* kIcoCantSave = "Can't save this image as icon";
inline constexpr const char* kGifDepth = "GIF Images must be 8 bit or less";
inline constexpr const char* kGifCantOpen = "Can't open GIF for writing";
inline constexpr const char* kGifWrite = "Write Error in GIF file";
inline constexpr const char* kTiffOpen = "Error encountered while opening TIFF file";
inline constexpr const char* kTiffPage = "Error: page not present in TIFF file";
inline constexpr const char* kTiffLzw = "LZW compression is no longer supported due to Unisys patent enforcement";
inline constexpr const char* kTiffRaster = "No space for raster buffer";
inline constexpr const char* kTiffCorrupt = "Corrupted TIFF file!";
// Damaged or hostile files of the formats that have no text of their own.
inline constexpr const char* kBmpCorrupt = "Corrupted BMP file!";
inline constexpr const char* kIcoCorrupt = "Corrupted ICO file!";
inline constexpr const char* kGifCorrupt = "Corrupted GIF file!";
inline constexpr const char* kJpegCorrupt = "Corrupted JPEG file!";
inline constexpr const char* kPngCorrupt = "Corrupted PNG file!";
// A picture larger than any report page needs (see image_limits.h); TIFF files say kTiffRaster.
inline constexpr const char* kTooLarge = "Image too large";
}  // namespace image_error
