// Printing a report to a PDF file as the print switches do: the report file loaded (sheets without their
// elements), every page's sheet loaded, drawn and freed again, the pages written by Qt's PDF printer.
// Reports of 100 and 300 A4 pages, each page with twelve text boxes and six lines; reports pages per second
// and the memory the run added at its peak, per page (flat in the page count when sheets are freed).
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <QApplication>
#include <QPageSize>
#include <QPrinter>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fmt/printf.h>

#include "designer/print/printed_report.h"
#include "designer/print/report_printer.h"
#include "platform/tests/test_support.h"
#include "report/model/report_element.h"
#include "report/tests/model/template_lists.h"

namespace {

zor::test::ScopedTempDir& Folder() {
    static zor::test::ScopedTempDir dir;
    return dir;
}

bool WriteReport(const std::string& path, int pages) {
    CzorStepDataWithFile store;
    CFolivox manager;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) return false;
    manager.Attach(&store, QM_DICT_DIR);
    for (int p = 0; p < pages; ++p) {
        CReportSheet* sheet = model_test::AddPage(manager);
        sheet->SetSize(CSize(2970, 2100));
        for (int i = 0; i < 12; ++i) {
            CReportElement* text =
                sheet->CreateReportElem(CPoint(100 + (i % 3) * 900, -200 - (i / 3) * 400), CSize(800, 300), kElemRect);
            text->GetTextValue().SetText(fmt::sprintf("Страница %d, поле %d: сумма 1 234 567,89", p + 1, i + 1));
            sheet->Add(text);
        }
        for (int i = 0; i < 6; ++i) {
            CReportElement* line = sheet->CreateReportElem(CPoint(100, -1900 + i * 30), CSize(2700, 0), kElemLine);
            line->SetLineWidth(5);
            sheet->Add(line);
        }
    }
    CzorTAggr<CzorInstance> sheets = model_test::WriteSheets(manager);
    CzorInstance* root = model_test::ReportRoot(manager);
    const CReportSchema& s = manager.Schema();
    store.PutAttr(root, s.zor_report_sheets, sheets);
    store.PutAttr(root, s.zor_report_mode, 1);
    manager.PutPoint(root, s.zor_report_page_size, CPoint(2970, 2100));
    store.PutAttr(root, s.zor_report_page_orient, 1);
    const bool saved = store.SaveToFile(path.c_str());
    manager.Detach();
    return saved;
}

// The report is written by a child process, so that building it leaves nothing in this process's peak.
bool WriteReportApart(const std::string& path, int pages) {
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) ::_exit(WriteReport(path, pages) ? 0 : 1);
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The peak is the process's: run one size alone (--benchmark_filter=BM_PrintToPdf/300) for its own peak.
void BM_PrintToPdf(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const std::string report = Folder() / fmt::sprintf("report%d.zorrep", pages);
    if (!WriteReportApart(report, pages)) {
        state.SkipWithError("report not written");
        return;
    }
    malloc_trim(0);
    const long before = bench::ResidentKB();
    for (auto _ : state) {
        quillmark::CPrintedReport printed;
        std::string error;
        if (!printed.Load(report, QM_DICT_DIR "/", error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(Folder() / "out.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        quillmark::PreparePrinter(printer, printed.Settings());
        if (!quillmark::PrintPages(printer, printed.Job(), false, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["peak_KB"] = static_cast<double>(bench::PeakKB());
    state.counters["added_KB_per_page"] = static_cast<double>(bench::PeakKB() - before) / pages;
}
BENCHMARK(BM_PrintToPdf)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    zor::test::ScopedTempDir& dir = Folder();
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);  // a private, empty profile
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
