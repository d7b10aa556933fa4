// Exporting every page of a long report: each of 300 A4 sheets (60 framed text cells, stored and not
// loaded, as a report that was opened and paged through) written as PNG, JPEG, TIFF, BMP and WMF files.
// Reports pages per second, the process's peak memory and how much the resident memory grew over the
// export (it should not grow with the number of pages: sheets are loaded for their page and freed).
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "designer/export/page_export.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace {

double ResidentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct Report {
    CzorStepDataWithFile store;
    CFolivox manager;
    bool ok = false;

    explicit Report(int pages) {
        if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) return;
        manager.Attach(&store, QM_DICT_DIR);
        for (int page = 0; page < pages; ++page) {
            auto* sheet = new CReportSheet(&manager);
            sheet->SetSize(CSize(2970, 2100));
            sheet->SetName(fmt::format("Лист{}", page + 1));
            manager.AddSheet(sheet);
            manager.UpdateSheets();
            sheet->LoadElementsFromFile();
            for (int row = 0; row < 12; ++row)
                for (int col = 0; col < 5; ++col) {
                    CReportElement* e = sheet->CreateReportElem(
                        CPoint(100 + col * 550, -100 - (row + 1) * 150), CSize(550, 150), kElemRect);
                    e->GetTextValue().SetText(fmt::format("Строка {} графа {}: {} руб.", row + 1, col + 1, page * 7 + row));
                    sheet->Add(e);
                }
            sheet->FreeElements();
        }
        ok = true;
    }
};

const char* const kTypes[] = {"png", "jpg", "tif", "bmp", "wmf"};

void BM_ExportAllPages(benchmark::State& state) {
    const char* type = kTypes[state.range(0)];
    const int pages = static_cast<int>(state.range(1));
    Report report(pages);
    if (!report.ok) {
        state.SkipWithError("no dictionary");
        return;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / fmt::format("qm-bench-export-{}", getpid());
    std::filesystem::create_directories(folder);
    const double before = ResidentMegabytes();
    for (auto _ : state) {
        const quillmark::CExportAllResult result =
            quillmark::ExportAllPages(&report.manager, CSize(2970, 2100), 1, folder.string(), "bench", type);
        if (!result.ok) {
            state.SkipWithError("export failed");
            break;
        }
    }
    state.counters["rss_growth_MB"] = ResidentMegabytes() - before;
    state.counters["peak_MB"] = PeakMegabytes();
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * pages, benchmark::Counter::kIsRate);
    state.SetLabel(type);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
// Every format at 300 pages, and PNG at 30 pages to compare the memory with.
BENCHMARK(BM_ExportAllPages)
    ->Args({0, 30})
    ->Args({0, 300})
    ->Args({1, 300})
    ->Args({2, 300})
    ->Args({3, 300})
    ->Args({4, 300})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
