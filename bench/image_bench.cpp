// Raster image files: writing and reading a rendered A4 page at 150 dpi in each format.
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <string>

#include "report/model/image/image_file.h"

namespace {

constexpr int kWidth = 1240, kHeight = 1754;  // A4 at 150 dpi

// A page: white, with rows of dark "words" and a grey frame, like a rendered report page.
void FillPage(CImageFile& image, int bits) {
    image.Create(kWidth, kHeight, bits);
    if (bits <= 8) {
        RGBQUAD* palette = image.GetPalette();
        for (int i = 0; i < image.GetPaletteSize(); ++i) {
            const auto v = static_cast<uint8_t>(255 - i * 255 / (image.GetPaletteSize() - 1));
            palette[i] = RGBQUAD{v, v, v, 0};
        }
    }
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = image.GetRowFromTop(y);
        for (int x = 0; x < kWidth; ++x) {
            const bool frame = x == 100 || x == kWidth - 100 || y == 100 || y == kHeight - 100;
            const bool ink = (y % 40 < 14) && ((x / 7 + y / 40) % 9 < 6) && ((x * 31 + y * 17) % 5 < 3) &&
                             x > 120 && x < kWidth - 120 && y > 120 && y < kHeight - 120;
            if (bits == 24) {
                const uint8_t v = ink ? 20 : frame ? 128 : 255;
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
            } else if (ink || frame) {
                const int bit = x * bits;
                row[bit >> 3] |= static_cast<uint8_t>(((1u << bits) - 1) << (8 - bits - (bit & 7)));
            }
        }
    }
}

std::string PathFor(int format) {
    return "/tmp/qm_image_bench_" + std::to_string(getpid()) + "." + std::to_string(format);
}

void Counters(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations());  // pages
    // Throughput in page pixels as 24-bit colour, whatever the depth, so that formats compare.
    state.SetBytesProcessed(state.iterations() * int64_t(kWidth) * kHeight * 3);
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_Save(benchmark::State& state) {
    const int format = static_cast<int>(state.range(0)), bits = static_cast<int>(state.range(1));
    CImageFile page;
    FillPage(page, bits);
    const std::string path = PathFor(format);
    for (auto _ : state)
        if (!page.Save(path.c_str(), format)) state.SkipWithError(page.GetErrorText().c_str());
    Counters(state);
    unlink(path.c_str());
}

void BM_Load(benchmark::State& state) {
    const int format = static_cast<int>(state.range(0)), bits = static_cast<int>(state.range(1));
    CImageFile page;
    FillPage(page, bits);
    const std::string path = PathFor(format);
    page.Save(path.c_str(), format);
    for (auto _ : state) {
        CImageFile loaded;
        if (!loaded.Load(path.c_str(), format)) state.SkipWithError(loaded.GetErrorText().c_str());
    }
    Counters(state);
    unlink(path.c_str());
}

void Formats(benchmark::internal::Benchmark* b) {
    b->ArgNames({"format", "bits"});
    for (auto [format, bits] : {std::pair{IMAGE_FORMAT_BMP, 24}, {IMAGE_FORMAT_GIF, 8}, {IMAGE_FORMAT_GIF, 1},
                                {IMAGE_FORMAT_JPEG, 24}, {IMAGE_FORMAT_PNG, 24}, {IMAGE_FORMAT_PNG, 1},
                                {IMAGE_FORMAT_TIFF, 24}, {IMAGE_FORMAT_TIFF, 8}, {IMAGE_FORMAT_TIFF, 1}})
        b->Args({format, bits});
    b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Save)->Apply(Formats);
BENCHMARK(BM_Load)->Apply(Formats);
BENCHMARK_MAIN();
