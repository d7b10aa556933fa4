// Object store: creating, saving and loading one million instances shaped like report
// cells. A cell is five instances: a text element (zor_report_rect) with its origin and
// size points, its text value (zor_value) and the value's font (zor_font), each filled
// as the report model fills them. Reports instances per second and the peak memory per
// instance of each step (VmHWM over the step's start, reset through clear_refs).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "platform/base/tempfile.h"
#include "platform/zordata/zordata.h"

namespace {

constexpr int kCells = 200000;
constexpr int kInstancesPerCell = 5;
constexpr double kInstances = double(kCells) * kInstancesPerCell;

long StatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(key);
    while (std::getline(in, line))
        if (line.compare(0, n, key) == 0) return std::atol(line.c_str() + n + 1);
    return 0;
}

// Peak resident memory since the last reset, over a baseline taken at the reset.
class PeakMeter {
public:
    PeakMeter() {
        malloc_trim(0);  // memory freed by earlier steps must not hide this step's growth
        if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        m_base = StatusKb("VmRSS:");
    }
    double BytesPerInstance() const { return double(StatusKb("VmHWM:") - m_base) * 1024.0 / kInstances; }

private:
    long m_base;
};

struct Schema {
    explicit Schema(CzorStepData& s) {
        rect = s.GetEntityBN("zor_report_rect");
        point = s.GetEntityBN("zor_point");
        value = s.GetEntityBN("zor_value");
        font = s.GetEntityBN("zor_font");
        name = s.GetAttrDefinition(rect, "name");
        org = s.GetAttrDefinition(rect, "org_pt");
        size = s.GetAttrDefinition(rect, "size");
        text_value = s.GetAttrDefinition(rect, "text_value");
        line_width = s.GetAttrDefinition(rect, "line_width");
        fixed = s.GetAttrDefinition(rect, "fixed");
        x = s.GetAttrDefinition(point, "x");
        y = s.GetAttrDefinition(point, "y");
        vtype = s.GetAttrDefinition(value, "type");
        text = s.GetAttrDefinition(value, "text");
        vfont = s.GetAttrDefinition(value, "font");
        align = s.GetAttrDefinition(value, "align");
        border = s.GetAttrDefinition(value, "border");
        fit = s.GetAttrDefinition(value, "fit_text");
        orient = s.GetAttrDefinition(value, "orient");
        face = s.GetAttrDefinition(font, "font_name");
        height = s.GetAttrDefinition(font, "height");
        weight = s.GetAttrDefinition(font, "weight");
        italic = s.GetAttrDefinition(font, "italic");
        charset = s.GetAttrDefinition(font, "char_set");
        strike = s.GetAttrDefinition(font, "strikeout");
        underline = s.GetAttrDefinition(font, "underline");
    }
    CzorEntity *rect, *point, *value, *font;
    CzorAttr *name, *org, *size, *text_value, *line_width, *fixed, *x, *y, *vtype, *text, *vfont, *align, *border, *fit,
        *orient, *face, *height, *weight, *italic, *charset, *strike, *underline;
};

std::unique_ptr<CzorStepDataWithFile> NewStore() {
    auto s = std::make_unique<CzorStepDataWithFile>();
    if (!s->LoadDictionary(QM_DICT_DIR "/quillmark")) std::abort();
    return s;
}

void Fill(CzorStepDataWithFile& s) {
    Schema d(s);
    std::string cellText;
    for (int c = 0; c < kCells; ++c) {
        const int row = c / 8, col = c % 8;
        CzorInstance* font = s.CreateInstance(d.font);
        s.PutAttr(font, d.charset, 204);
        s.PutAttr(font, d.face, "Arial");
        s.PutAttr(font, d.height, 100);
        s.PutAttr(font, d.weight, 400);
        s.PutAttr(font, d.italic, 0);
        s.PutAttr(font, d.strike, 0);
        s.PutAttr(font, d.underline, 0);
        CzorInstance* value = s.CreateInstance(d.value);
        cellText = "Строка " + std::to_string(row) + " сумма " + std::to_string(c * 37 % 100000);
        s.PutAttr(value, d.vtype, 1);
        s.PutAttr(value, d.text, cellText);
        s.PutAttr(value, d.vfont, font);
        s.PutAttr(value, d.align, 0);
        s.PutAttr(value, d.border, 15);
        s.PutAttr(value, d.fit, 1);
        s.PutAttr(value, d.orient, 0);
        CzorInstance* org = s.CreateInstance(d.point);
        s.PutAttr(org, d.x, 100 + col * 250);
        s.PutAttr(org, d.y, -(200 + row * 50));
        CzorInstance* size = s.CreateInstance(d.point);
        s.PutAttr(size, d.x, 250);
        s.PutAttr(size, d.y, 50);
        CzorInstance* rect = s.CreateInstance(d.rect);
        s.PutAttr(rect, d.name, "Текст");
        s.PutAttr(rect, d.org, org);
        s.PutAttr(rect, d.size, size);
        s.PutAttr(rect, d.text_value, value);
        s.PutAttr(rect, d.line_width, 1);
        s.PutAttr(rect, d.fixed, 0);
    }
}

std::string FilePath() {
    static const std::string path = zor::PrivateTempDir() + "/cells.zorrep";
    return path;
}

void BM_StoreCreate(benchmark::State& state) {
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto s = NewStore();
        PeakMeter meter;
        state.ResumeTiming();
        Fill(*s);
        state.PauseTiming();
        peak = meter.BytesPerInstance();
        s.reset();
        state.ResumeTiming();
    }
    state.counters["instances/s"] = benchmark::Counter(kInstances * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_bytes/instance"] = peak;
}

void BM_StoreSave(benchmark::State& state) {
    auto s = NewStore();
    Fill(*s);
    double peak = 0;
    for (auto _ : state) {
        PeakMeter meter;
        if (!s->SaveToFile(FilePath().c_str())) state.SkipWithError(s->GetLastErrorDescription());
        peak = meter.BytesPerInstance();
    }
    std::FILE* f = std::fopen(FilePath().c_str(), "rb");
    long bytes = 0;
    if (f) { std::fseek(f, 0, SEEK_END); bytes = std::ftell(f); std::fclose(f); }
    state.counters["instances/s"] = benchmark::Counter(kInstances * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["extra_peak_bytes/instance"] = peak;
    state.counters["file_bytes/instance"] = double(bytes) / kInstances;
}

void BM_StoreLoad(benchmark::State& state) {
    {
        auto s = NewStore();
        Fill(*s);
        if (!s->SaveToFile(FilePath().c_str())) state.SkipWithError(s->GetLastErrorDescription());
    }
    double peak = 0, kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto s = NewStore();
        PeakMeter meter;
        const long before = StatusKb("VmRSS:");
        state.ResumeTiming();
        if (!s->LoadFromFile(FilePath().c_str())) state.SkipWithError(s->GetLastErrorDescription());
        state.PauseTiming();
        peak = meter.BytesPerInstance();
        malloc_trim(0);
        kept = double(StatusKb("VmRSS:") - before) * 1024.0 / kInstances;
        s.reset();
        state.ResumeTiming();
    }
    state.counters["instances/s"] = benchmark::Counter(kInstances * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_bytes/instance"] = peak;
    state.counters["resident_bytes/instance"] = kept;
}

}  // namespace

BENCHMARK(BM_StoreCreate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StoreSave)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
