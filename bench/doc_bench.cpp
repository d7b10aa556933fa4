// The designer's document on a large report: a report of 300 pages generated the way the batch mode
// generates one (a table of one line every 5 mm over cloned A4 pages), then
//   Open:      the report opened into a document in the main frame (read, model built, first sheet shown);
//   ShowSheet: another sheet shown (its elements loaded, a report window made for it or brought up).
// Each reports the time per operation and the memory of the process at its peak.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <QApplication>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "designer/doc/quillmark_doc.h"
#include "designer/frame/doc_windows.h"
#include "designer/frame/main_frame.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "report/generation/generate_report.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"
#include "report/tests/generation/template_builder.h"

namespace {

constexpr int kRowsPerPage = 52;  // 2600 / 50
constexpr int kPages = 300;

zor::test::ScopedTempDir& Folder() {
    static zor::test::ScopedTempDir dir;
    return dir;
}

// The report file, generated once; empty when that failed.
const std::string& Report() {
    static const std::string path = [] {
        using generation_test::TemplateBuilder;
        const std::string templatePath = Folder() / "t.zordot";
        {
            TemplateBuilder b;
            if (!b.Ready()) return std::string();
            CHeaderColumn* code = b.Column("Код");
            CHeaderColumn* name = b.Column("Наименование");
            CReportSheet* sheet = b.AddSheet();
            CTableElement* table = b.AddTable(sheet, CPoint(100, -2800), CSize(1900, 2600), 5);
            auto* section = new CReportSection(&b.Manager());
            section->SetName("Список");
            section->GetLevels().Add(b.Level(50, {TemplateBuilder::FieldColumn(code, 500),
                                                  TemplateBuilder::FieldColumn(name, 1400)}));
            table->GetSections().Add(section);
            if (!b.Save(templatePath)) return std::string();
        }
        const std::string data = Folder() / "d.csv";
        {
            std::ofstream out(data, std::ios::binary);
            out << "Код,Наименование\n";
            for (int r = 0; r < kRowsPerPage * kPages - 10; ++r)
                out << "АБВГ." << 300000 + r << ",Деталь номер " << r << "\n";
        }
        const std::string report = Folder() / "r.zorrep";
        CFolivox manager;
        CRParamsArray values;
        if (!manager.GetDataSource().LoadFromFile(data) ||
            !GenerateReport(&manager, &values, templatePath.c_str(), report.c_str(), nullptr))
            return std::string();
        return report;
    }();
    return path;
}

void BM_OpenReport(benchmark::State& state) {
    if (Report().empty()) {
        state.SkipWithError("report not generated");
        return;
    }
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink(&messages);
    quillmark::CMainFrame frame;
    quillmark::CDocWindows windows(frame);
    int sheets = 0;
    for (auto _ : state) {
        quillmark::CQuillmarkDoc doc(&windows);
        if (!doc.OnOpenDocument(Report())) {
            state.SkipWithError("open failed");
            return;
        }
        sheets = doc.Manager().GetSheetCount();
        state.PauseTiming();
        doc.SetChanged(false);
        state.ResumeTiming();
    }
    state.counters["pages"] = sheets;
    state.counters["peak_MB"] = double(bench::PeakKB()) / 1024.0;
}
BENCHMARK(BM_OpenReport)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ShowSheet(benchmark::State& state) {
    if (Report().empty()) {
        state.SkipWithError("report not generated");
        return;
    }
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink(&messages);
    quillmark::CMainFrame frame;
    quillmark::CDocWindows windows(frame);
    quillmark::CQuillmarkDoc doc(&windows);
    if (!doc.OnOpenDocument(Report())) {
        state.SkipWithError("open failed");
        return;
    }
    const int count = doc.Manager().GetSheetCount();
    int next = 1;
    for (auto _ : state) {
        doc.ShowSheet(doc.Manager().GetSheet(next));
        next = (next * 7 + 3) % count;  // pages here and there, some shown before
    }
    state.counters["pages"] = count;
    state.counters["peak_MB"] = double(bench::PeakKB()) / 1024.0;
    doc.SetChanged(false);
}
BENCHMARK(BM_ShowSheet)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    zor::test::ScopedTempDir& dir = Folder();
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);  // a private, empty profile
    const std::string ini = dir / "ZorTransport.ini";
    std::ofstream(ini) << "[Paths]\nDictionary=" << dir.Path() << "/\n";
    std::ifstream source(QM_DICT_DIR "/quillmark.dict", std::ios::binary);
    std::ofstream(dir / "quillmark.dict", std::ios::binary) << source.rdbuf();
    ::setenv("ZOR_TRANSPORT_INI", ini.c_str(), 1);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
