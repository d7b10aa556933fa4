// JPEG files through libjpeg. The library's error exit jumps back here, so a damaged file ends the
// read with the library's own message and nothing leaks. Its warnings are not errors: a file cut short
// or a scan broken by a marker gives the rows that are there, the rest filled by the library, as the
// library itself decides, within the size and memory caps of image_limits.h.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_formats.h"
#include "report/model/image/image_io.h"
#include "report/model/image/image_limits.h"

using namespace image_io;

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void Silent(j_common_ptr) {}

void InstallErrorManager(ErrorManager& errors) {
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ErrorExit;
    errors.pub.output_message = Silent;
    errors.message[0] = 0;
}

// A progressive file may hold any number of scans, each of which passes over the whole picture: a small
// file of empty scans would take minutes. No encoder writes more than a few dozen.
constexpr int kMaxScans = 1000;

void CountScans(j_common_ptr info) {
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(errors->message, sizeof errors->message, "%s", image_error::kJpegCorrupt);
        std::longjmp(errors->jump, 1);
    }
}

// Bytes the coefficients of a multi-scan (progressive) file take: 64 coefficients of 2 bytes for each
// 8 x 8 block of every component. Single-scan files decode row by row.
uint64_t CoefficientBytes(jpeg_decompress_struct& info) {
    if (!jpeg_has_multiple_scans(&info)) return 0;
    uint64_t bytes = 0;
    for (int i = 0; i < info.num_components; ++i) {
        const jpeg_component_info& c = info.comp_info[i];
        const uint64_t maxH = std::max(1, info.max_h_samp_factor), maxV = std::max(1, info.max_v_samp_factor);
        const uint64_t blocksAcross = (uint64_t(info.image_width) * c.h_samp_factor + 8 * maxH - 1) / (8 * maxH);
        const uint64_t blocksDown = (uint64_t(info.image_height) * c.v_samp_factor + 8 * maxV - 1) / (8 * maxV);
        bytes += (blocksAcross + c.h_samp_factor) * (blocksDown + c.v_samp_factor) * sizeof(JBLOCK);
    }
    return bytes;
}

// Four-component files (CMYK, or YCCK decoded to CMYK) become red, green, blue.
// Files with an Adobe marker store the inks inverted.
void CmykRowToBgr(const uint8_t* src, uint8_t* dst, int width, bool inverted) {
    for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        unsigned c = src[0], m = src[1], y = src[2], k = src[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[0] = static_cast<uint8_t>((y * k + 127) / 255);
        dst[1] = static_cast<uint8_t>((m * k + 127) / 255);
        dst[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

// Everything that must survive a jump lives here, outside the frame that calls setjmp.
struct ReadState {
    jpeg_decompress_struct info;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    JSAMPROW row = nullptr;
};

enum class ReadOutcome { Ok, Corrupt, TooLarge };

ReadOutcome Decompress(ReadState& s, FILE* file, CImageFile& image) {
    s.info.err = &s.errors.pub;
    if (setjmp(s.errors.jump)) return ReadOutcome::Corrupt;
    jpeg_create_decompress(&s.info);
    s.progress.progress_monitor = CountScans;
    s.info.progress = &s.progress;
    jpeg_stdio_src(&s.info, file);
    jpeg_read_header(&s.info, TRUE);

    const int components = s.info.num_components;
    bool cmyk = false;
    if (components == 1) {
        s.info.out_color_space = JCS_GRAYSCALE;
    } else if (components == 3) {
        s.info.out_color_space = JCS_RGB;
    } else if (components == 4) {
        s.info.out_color_space = JCS_CMYK;
        cmyk = true;
    } else {
        return ReadOutcome::Corrupt;
    }
    const int64_t width = s.info.image_width, height = s.info.image_height;
    const int bits = components == 1 ? 8 : 24;
    const uint64_t rowBytes = cmyk ? uint64_t(width) * 4 : 0;
    if (!image_limits::DecodeFits(width, height, bits, CoefficientBytes(s.info) + rowBytes))
        return ReadOutcome::TooLarge;
    // What the library keeps beside our image (its coefficient and row buffers) stays within the cap;
    // beyond it the library stops with an error, having no backing store.
    s.info.mem->max_memory_to_use = static_cast<long>(std::max<int64_t>(1, image_limits::DecoderAllowance(width, height, bits)));

    jpeg_start_decompress(&s.info);
    if (!image.Create(static_cast<int>(s.info.output_width), static_cast<int>(s.info.output_height), bits))
        return ReadOutcome::TooLarge;
    if (components == 1) image.SetGrayPalette();
    const int outWidth = static_cast<int>(s.info.output_width);
    if (cmyk) s.row = static_cast<JSAMPROW>(std::malloc(static_cast<size_t>(outWidth) * 4));
    while (s.info.output_scanline < s.info.output_height) {
        const int y = static_cast<int>(s.info.output_scanline);
        uint8_t* dst = image.GetRowFromTop(y);
        JSAMPROW target = cmyk ? s.row : dst;
        if (!target || jpeg_read_scanlines(&s.info, &target, 1) != 1) return ReadOutcome::Corrupt;
        if (cmyk)
            CmykRowToBgr(s.row, dst, outWidth, s.info.saw_Adobe_marker);
        else if (components == 3)
            CImageFile::SwapRedBlue(reinterpret_cast<char*>(dst), outWidth * 3);
    }
    jpeg_finish_decompress(&s.info);
    return ReadOutcome::Ok;
}

struct WriteState {
    jpeg_compress_struct info;
    ErrorManager errors;
};

bool Compress(WriteState& s, FILE* file, const CImageFile& image, std::vector<uint8_t>& row) {
    s.info.err = &s.errors.pub;
    if (setjmp(s.errors.jump)) return false;
    jpeg_create_compress(&s.info);
    jpeg_stdio_dest(&s.info, file);
    s.info.image_width = static_cast<JDIMENSION>(image.GetWidth());
    s.info.image_height = static_cast<JDIMENSION>(image.GetHeight());
    s.info.input_components = 3;
    s.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s.info);
    jpeg_set_quality(&s.info, image.GetQuality(), TRUE);
    jpeg_start_compress(&s.info, TRUE);

    const int width = image.GetWidth(), bits = image.GetBitCount();
    const RGBQUAD* palette = image.GetPalette();
    while (s.info.next_scanline < s.info.image_height) {
        const uint8_t* src = image.GetRowFromTop(static_cast<int>(s.info.next_scanline));
        uint8_t* dst = row.data();
        if (bits == 24) {
            for (int x = 0; x < width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        } else {
            // Palette images store each pixel's colour.
            for (int x = 0; x < width; ++x, dst += 3) {
                const RGBQUAD& q = palette[PixelIndex(src, x, bits)];
                dst[0] = q.rgbRed;
                dst[1] = q.rgbGreen;
                dst[2] = q.rgbBlue;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&s.info, rows, 1);
    }
    jpeg_finish_compress(&s.info);
    return true;
}

}  // namespace

bool CImageFileJPEG::ReadFile(const char* file) {
    InputFile in;
    if (!in.Open(file)) return false;
    ReadState state{};
    InstallErrorManager(state.errors);
    const ReadOutcome outcome = Decompress(state, in.Handle(), *this);
    jpeg_destroy_decompress(&state.info);
    std::free(state.row);
    if (outcome == ReadOutcome::Ok) return true;
    Free();
    if (outcome == ReadOutcome::TooLarge)
        SetError(image_error::kTooLarge);
    else
        SetError(state.errors.message[0] ? state.errors.message : image_error::kJpegCorrupt);
    return false;
}

bool CImageFileJPEG::WriteFile(const char* file) {
    OutputFile out;
    if (!out.Open(file)) return false;
    WriteState state{};
    InstallErrorManager(state.errors);
    std::vector<uint8_t> row(static_cast<size_t>(GetWidth()) * 3);
    const bool ok = Compress(state, out.Handle(), *this, row);
    jpeg_destroy_compress(&state.info);
    if (!ok) {
        SetError(state.errors.message);
        return false;
    }
    return out.Commit();
}
