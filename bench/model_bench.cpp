// The report model: breaking a long cell text into lines, and drawing a full A4 sheet of text cells.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <memory>
#include <string>

#include <fmt/printf.h>

#include "platform/gdi/dc.h"
#include "platform/text/utf8.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace {

void PeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

// About `length` characters of ordinary Russian text with a standard's designation now and then.
std::string LongText(int length) {
    static const char* words[] = {"Изделие", "должно", "соответствовать", "требованиям", "ГОСТ 7798-70,",
                                  "а", "также", "ТУ 14-1-2345", "и", "чертежам;", "маркировка:", "по", "месту."};
    std::string text;
    int chars = 0;
    for (int i = 0; chars < length; ++i) {
        text += words[i % 13];
        text += ' ';
        chars += zor::Utf8Length(words[i % 13]) + 1;
    }
    return text;
}

// A 2,000-character text in a 20 mm column, 8-point Arial, measured as generation measures.
void BM_BreakString(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const std::string text = LongText(length);
    CDC dc;
    LOGFONT lf;
    lf.lfHeight = 80;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = RUSSIAN_CHARSET;
    lf.SetFaceName("Arial");
    CFont font;
    font.CreatePointFontIndirect(&lf, &dc);
    dc.SelectObject(&font);
    std::vector<std::string> lines;
    for (auto _ : state) {
        const int n = CTextValue::BreakString(&lines, width, &dc, text);
        benchmark::DoNotOptimize(n);
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.SetItemsProcessed(state.iterations() * length);  // characters
    PeakMemory(state);
}
BENCHMARK(BM_BreakString)->Args({2000, 200})->Args({2000, 1000})->Args({20000, 200})->Unit(benchmark::kMicrosecond);

// An A4 sheet of 500 text cells (10 columns by 50 rows, framed, texts centred), drawn as the view draws it.
void BM_DrawA4Sheet(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    CzorStepDataWithFile store;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) {
        state.SkipWithError("no dictionary");
        return;
    }
    CFolivox manager;
    manager.Attach(&store, QM_DICT_DIR);
    auto* sheet = new CReportSheet(&manager);
    sheet->SetSize(CSize(2100, 2970));
    manager.AddSheet(sheet);
    sheet->LoadElementsFromFile();
    for (int row = 0; row < 50; ++row)
        for (int col = 0; col < 10; ++col) {
            CReportElement* e = sheet->CreateReportElem(CPoint(50 + col * 200, -100 - (row + 1) * 56), CSize(200, 56),
                                                        kElemRect);
            e->GetTextValue().SetText(fmt::sprintf("Ячейка %d.%d", row + 1, col + 1));
            sheet->Add(e);
        }
    const double scale = dpi / 25.4 / 10.0;  // pixels per tenth of a millimetre
    QImage image(static_cast<int>(2100 * scale + 1), static_cast<int>(2970 * scale + 1),
                 QImage::Format_ARGB32_Premultiplied);
    const int dpm = static_cast<int>(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    for (auto _ : state) {
        image.fill(0xFFC0C0C0);
        CDC dc(&image);
        sheet->Draw(&dc, 1.0);
        for (CReportElement* e : sheet->GetElements()) e->Draw(&dc, 1.0, 1, kDrawSelection | kDrawText);
    }
    state.SetItemsProcessed(state.iterations() * 500);  // cells
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    PeakMemory(state);
}
BENCHMARK(BM_DrawA4Sheet)->Arg(96)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
