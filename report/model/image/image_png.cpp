// PNG files through libpng. Library errors jump back here with the library's message; transparency
// is composited against one fixed background colour, since our images have no alpha.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <png.h>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_formats.h"
#include "report/model/image/image_io.h"
#include "report/model/image/image_limits.h"

using namespace image_io;

namespace {

constexpr uint8_t kBackground[3] = {31, 127, 255};  // red, green, blue

// A chunk beside the pixels: an ICC profile or a suggested palette is a few hundred kilobytes at most.
constexpr png_alloc_size_t kMaxPngChunkBytes = png_alloc_size_t(8) << 20;
constexpr png_uint_32 kMaxPngCachedChunks = 1000;
// The largest block libpng itself needs is a row buffer: 8 bytes a pixel at the widest picture the
// caps let through. Not every chunk handler of libpng asks its chunk limit first, so anything larger
// is refused here, where libpng allocates, and libpng reports the file as one it cannot read.
constexpr png_alloc_size_t kMaxPngBlockBytes = png_alloc_size_t(16) << 20;

png_voidp PngAllocate(png_structp, png_alloc_size_t size) {
    return size <= kMaxPngBlockBytes ? std::malloc(size) : nullptr;
}

void PngFree(png_structp, png_voidp block) { std::free(block); }

struct Messages {
    char text[256] = {};
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    if (auto* m = static_cast<Messages*>(png_get_error_ptr(png))) {
        std::snprintf(m->text, sizeof m->text, "%s", message ? message : "");
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

uint8_t Over(unsigned value, unsigned alpha, unsigned background) {
    return static_cast<uint8_t>((value * alpha + background * (255 - alpha) + 127) / 255);
}

// Everything the jump must not lose lives here, outside the frame that calls setjmp.
struct ReadState {
    Messages messages;
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t* pixels = nullptr;  // decoded blue, green, red, alpha rows of images with transparency
    png_bytep* rows = nullptr;
};

bool Decode(ReadState& s, FILE* file, CImageFile& image) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_init_io(s.png, file);
    png_set_user_limits(s.png, kMaxImageDimension, kMaxImageDimension);
    // libpng keeps ancillary chunks (palettes, profiles, texts) in buffers of their own, sized by the
    // length the file claims, before any picture cap is checked: a few bytes claiming a 2 GB chunk would
    // cost 2 GB. No chunk our pictures need comes near this bound, and the chunks kept are counted too.
    png_set_chunk_malloc_max(s.png, kMaxPngChunkBytes);
    png_set_chunk_cache_max(s.png, kMaxPngCachedChunks);
    png_read_info(s.png, s.info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(s.png, s.info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    const bool hasTrns = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;

    int bits = 24;
    bool alpha = false;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        bits = depth == 2 ? 8 : depth;
        if (depth == 2) png_set_packing(s.png);
    } else if (colorType == PNG_COLOR_TYPE_GRAY && !hasTrns) {
        bits = depth == 1 ? 1 : 8;
        if (depth == 2 || depth == 4) png_set_expand_gray_1_2_4_to_8(s.png);
        if (depth == 16) png_set_strip_16(s.png);
    } else {
        alpha = (colorType & PNG_COLOR_MASK_ALPHA) || hasTrns;
        png_set_expand(s.png);
        png_set_strip_16(s.png);
        png_set_gray_to_rgb(s.png);
        png_set_bgr(s.png);
    }
    const int passes = png_set_interlace_handling(s.png);
    (void)passes;
    png_read_update_info(s.png, s.info);

    const uint64_t rowBytes = png_get_rowbytes(s.png, s.info);
    const uint64_t expected = alpha ? uint64_t(width) * 4 : (uint64_t(width) * bits + 7) / 8;
    if (rowBytes != expected) png_error(s.png, "unexpected row layout");
    // Pictures with transparency decode into rows of their own before they are composited.
    const uint64_t decoderBytes = sizeof(png_bytep) * uint64_t(height) + (alpha ? rowBytes * height : 0);
    if (!image_limits::DecodeFits(width, height, bits, decoderBytes) ||
        !image.Create(static_cast<int>(width), static_cast<int>(height), bits))
        png_error(s.png, image_error::kTooLarge);

    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp plte = nullptr;
        int entries = 0;
        if (png_get_PLTE(s.png, s.info, &plte, &entries) && plte) {
            png_bytep trans = nullptr;
            int transCount = 0;
            if (hasTrns) png_get_tRNS(s.png, s.info, &trans, &transCount, nullptr);
            RGBQUAD* palette = image.GetPalette();
            const int n = entries < image.GetPaletteSize() ? entries : image.GetPaletteSize();
            for (int i = 0; i < n; ++i) {
                const unsigned a = trans && i < transCount ? trans[i] : 255;
                palette[i] = RGBQUAD{Over(plte[i].blue, a, kBackground[2]), Over(plte[i].green, a, kBackground[1]),
                                     Over(plte[i].red, a, kBackground[0]), 0};
            }
        }
    } else if (bits == 1) {
        image.GetPalette()[1] = RGBQUAD{255, 255, 255, 0};
    } else if (bits == 8) {
        image.SetGrayPalette();
    }

    s.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!s.rows) png_error(s.png, "out of memory");
    if (alpha) {
        s.pixels = static_cast<uint8_t*>(std::malloc(rowBytes * height));
        if (!s.pixels) png_error(s.png, "out of memory");
        for (png_uint_32 y = 0; y < height; ++y) s.rows[y] = s.pixels + rowBytes * y;
    } else {
        for (png_uint_32 y = 0; y < height; ++y) s.rows[y] = image.GetRowFromTop(static_cast<int>(y));
    }
    png_read_image(s.png, s.rows);

    if (alpha) {
        for (png_uint_32 y = 0; y < height; ++y) {
            const uint8_t* src = s.rows[y];
            uint8_t* dst = image.GetRowFromTop(static_cast<int>(y));
            for (png_uint_32 x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = Over(src[0], src[3], kBackground[2]);
                dst[1] = Over(src[1], src[3], kBackground[1]);
                dst[2] = Over(src[2], src[3], kBackground[0]);
            }
        }
    }
    return true;
}

struct WriteState {
    Messages messages;
    png_structp png = nullptr;
    png_infop info = nullptr;
};

bool Encode(WriteState& s, FILE* file, CImageFile& image) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_init_io(s.png, file);
    const int bits = image.GetBitCount();
    const bool palette = bits <= 8;
    png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(image.GetWidth()),
                 static_cast<png_uint_32>(image.GetHeight()), palette ? bits : 8,
                 palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (palette) {
        png_color entries[256];
        const RGBQUAD* q = image.GetPalette();
        const int n = image.GetPaletteSize();
        for (int i = 0; i < n; ++i) entries[i] = png_color{q[i].rgbRed, q[i].rgbGreen, q[i].rgbBlue};
        png_set_PLTE(s.png, s.info, entries, n);
    }
    png_write_info(s.png, s.info);
    if (!palette) png_set_bgr(s.png);
    for (int y = 0; y < image.GetHeight(); ++y) png_write_row(s.png, image.GetRowFromTop(y));
    png_write_end(s.png, s.info);
    return true;
}

}  // namespace

bool CImageFilePNG::ReadFile(const char* file) {
    InputFile in;
    if (!in.Open(file)) return false;
    ReadState state;
    state.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &state.messages, OnError, OnWarning, nullptr,
                                         PngAllocate, PngFree);
    if (state.png) state.info = png_create_info_struct(state.png);
    const bool ok = state.info && Decode(state, in.Handle(), *this);
    png_destroy_read_struct(&state.png, state.info ? &state.info : nullptr, nullptr);
    std::free(state.pixels);
    std::free(state.rows);
    if (ok) return true;
    Free();
    SetError(state.messages.text[0] ? state.messages.text : image_error::kPngCorrupt);
    return false;
}

bool CImageFilePNG::WriteFile(const char* file) {
    OutputFile out;
    if (!out.Open(file)) return false;
    WriteState state;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state.messages, OnError, OnWarning);
    if (state.png) state.info = png_create_info_struct(state.png);
    const bool ok = state.info && Encode(state, out.Handle(), *this);
    png_destroy_write_struct(&state.png, state.info ? &state.info : nullptr);
    if (!ok) {
        SetError(state.messages.text);
        return false;
    }
    return out.Commit();
}
