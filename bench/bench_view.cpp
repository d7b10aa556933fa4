// The editor view: a full repaint of an A4 sheet of 500 text cells in a 1600 x 1200 window at zoom 1 and at
// fit, and one mouse move (with the repaint it causes) while 100 selected elements are dragged.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <cstdlib>
#include <memory>

#include <fmt/printf.h>

#include "designer/view/quillmark_view.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"

namespace {

using namespace quillmark;

void PeakMemory(benchmark::State& state) { state.counters["peak_MB"] = double(bench::PeakKB()) / 1024.0; }

// The document as the view sees it: an edit-mode template of A4 landscape pages.
class BenchDocument : public CViewDocument {
public:
    int tool = 0;
    double scale = 1.0;
    int Mode() const override { return 0; }
    int Tool() const override { return tool; }
    void SetTool(int t) override { tool = t; }
    double CommonScale() const override { return scale; }
    void SetCommonScale(double zoom) override { scale = zoom; }
    bool UseCommonScale() const override { return false; }
    bool ShowPicture() const override { return false; }
    CSize PageSize() const override { return CSize(2970, 2100); }
    bool IsReadOnly() const override { return false; }
    bool HasRight(int, bool) override { return true; }
    void SetChanged() override {}
    std::string PathName() const override { return "bench.zordot"; }
    int SheetCount() const override { return 1; }
    void ShowSheet(CReportSheet*) override {}
    void SheetActivated(CReportSheet*, int) override {}
    void OpenFile(const std::string&) override {}
    CReportParam* DroppedParam(const std::string&) override { return nullptr; }
    void SetPositionText(const std::string&) override {}
    void RefreshCommands() override {}
    bool EditProperties(CReportSheet*) override { return false; }
    bool PasteAt(CReportSheet*, CPoint, double, CBoundArray&) override { return false; }
    void CopySelection(CReportSheet*) override {}
    void SelectAll(CReportSheet*) override {}
    void EditText(CReportSheet*) override {}
    void RefreshNavigatorLabels() override {}
};

// A sheet of 500 framed text cells (20 columns by 25 rows) shown in a 1600 x 1200 view.
struct ViewFixture {
    ViewFixture() {
        ok = store.LoadDictionary(QM_DICT_DIR "/quillmark");
        manager.Attach(&store, QM_DICT_DIR);
        sheet = new CReportSheet(&manager);
        sheet->SetSize(document.PageSize());
        manager.AddSheet(sheet);
        sheet->LoadElementsFromFile();
        for (int row = 0; row < 25; ++row)
            for (int col = 0; col < 20; ++col) {
                CReportElement* e = sheet->CreateReportElem(CPoint(50 + col * 140, -100 - (row + 1) * 76),
                                                            CSize(140, 76), kElemRect);
                e->GetTextValue().SetText(fmt::sprintf("Ячейка %d.%d", row + 1, col + 1));
                sheet->Add(e);
            }
        view = std::make_unique<CQuillmarkView>(document);
        view->resize(1600, 1200);
        view->show();
        view->OnInitialUpdate(sheet);
    }
    ~ViewFixture() {
        view->DetachSheet();
        view.reset();
    }
    CzorStepDataWithFile store;
    CFolivox manager;
    BenchDocument document;
    CReportSheet* sheet = nullptr;
    std::unique_ptr<CQuillmarkView> view;
    bool ok = false;
};

// range(0): 0 at zoom 1, 1 at fit.
void BM_RepaintSheet(benchmark::State& state) {
    ViewFixture f;
    if (!f.ok) {
        state.SkipWithError("no dictionary");
        return;
    }
    if (state.range(0)) f.view->FitPage();
    QWidget* port = f.view->viewport();
    QImage image(port->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) port->render(&image);
    state.SetItemsProcessed(state.iterations() * 500);  // cells
    state.counters["repaints/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["zoom"] = f.view->Zoom();
    PeakMemory(state);
}
BENCHMARK(BM_RepaintSheet)->Arg(0)->Arg(1)->ArgNames({"fit"})->Unit(benchmark::kMillisecond);

// The first 100 cells selected and grabbed; each iteration moves the mouse one step and repaints.
void BM_DragSelection(benchmark::State& state) {
    ViewFixture f;
    if (!f.ok) {
        state.SkipWithError("no dictionary");
        return;
    }
    for (int i = 0; i < 100; ++i) f.sheet->Select(f.sheet->GetElement(i), 1);
    QWidget* port = f.view->viewport();
    QImage image(port->size(), QImage::Format_ARGB32_Premultiplied);
    const QPoint grab = f.view->ToPixel(CPoint(120, -140));
    QMouseEvent press(QEvent::MouseButtonPress, grab, port->mapToGlobal(grab), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(port, &press);
    int step = 0;
    for (auto _ : state) {
        const QPoint to = grab + QPoint(step % 2 ? 20 : 40, step % 2 ? 10 : 30);
        ++step;
        QMouseEvent move(QEvent::MouseMove, to, port->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(port, &move);
        port->render(&image);
    }
    state.counters["frames"] = static_cast<double>(f.view->Editor().Frames().GetSize());
    QMouseEvent release(QEvent::MouseButtonRelease, grab, port->mapToGlobal(grab), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(port, &release);
    PeakMemory(state);
}
BENCHMARK(BM_DragSelection)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
