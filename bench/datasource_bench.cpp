// The data source at a million rows: loading a 10-column file, computing two formula columns, and
// sorting by two text keys from random, sorted and reversed order.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "platform/base/tempfile.h"
#include "platform/ui/messages.h"
#include "platform/zordata/value.h"
#include "report/model/data_source.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kColumns = 10;

size_t HeapInUse() { return mallinfo2().uordblks; }

double PeakMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// A data file like a bill of materials: codes, names, quantities, prices, dates, quoted names
// with commas. About 110 bytes a row.
const std::string& DataFile() {
    static zor::TempFile file(".csv");
    static bool made = false;
    if (!made) {
        std::mt19937 random(42);
        std::string text = "\"Код\",\"Наименование\",\"Кол\",\"Цена\",\"Дата\",\"Лист\",\"Поз\",\"Материал\",\"Масса\",\"Примечание\"\n";
        const char* names[] = {"Болт М6", "Гайка М6", "Шайба 6", "Винт \"\"М4\"\"", "Втулка, бронза"};
        for (int r = 0; r < kRows; ++r) {
            const int k = static_cast<int>(random() % 5);
            text += "\"" + std::to_string(100000 + r) + "\",\"" + names[k] + "\",\"" + std::to_string(random() % 500) +
                    "\",\"" + std::to_string(random() % 10000) + "." + std::to_string(random() % 100) + "\",\"2024-0" +
                    std::to_string(1 + random() % 9) + "-1" + std::to_string(random() % 10) + "\",\"Лист" +
                    std::to_string(random() % 200) + "\",\"" + std::to_string(random() % 60) + "\",\"Ст" +
                    std::to_string(random() % 50) + "\",\"" + std::to_string(random() % 1000) + ".5\",\"\"\n";
        }
        std::FILE* f = std::fopen(file.Path().c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        made = true;
    }
    return file.Path();
}

void BM_LoadFile(benchmark::State& state) {
    const std::string& path = DataFile();
    size_t heap = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto ds = std::make_unique<CDataSource>();
        if (!ds->LoadFromFile(path) || ds->GetRowCount() != kRows) state.SkipWithError("load failed");
        heap = HeapInUse() - before;
        state.PauseTiming();
        ds.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["rows_per_s"] = benchmark::Counter(double(state.iterations()) * kRows, benchmark::Counter::kIsRate);
    state.counters["heap_MB"] = double(heap) / (1024.0 * 1024.0);
    state.counters["bytes_per_row"] = double(heap) / kRows;
    state.counters["peak_MB"] = PeakMB();
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExtendTwoFormulas(benchmark::State& state) {
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink(&messages);
    CDataSource ds;
    ds.LoadFromFile(DataFile());
    CHeader computed;
    computed.AddColumn(new CHeaderColumn(kFormulaColumn, "Изделие=Код + \" \" + Наименование + ?(Примечание, \" (\" + Примечание + \")\")", zorSTRING));
    computed.AddColumn(new CHeaderColumn(kFormulaColumn, "Итог=%SUMM(Кол, Цена)", zorSTRING));
    for (auto _ : state) {
        if (!ds.Extend(&computed, nullptr)) state.SkipWithError("extend failed");
        state.PauseTiming();
        for (int i = 0; i < 2; ++i) {
            ds.DeleteColumn(kColumns);
            ds.GetHeader()->RemoveAt(kColumns);
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["peak_MB"] = PeakMB();
}
BENCHMARK(BM_ExtendTwoFormulas)->Unit(benchmark::kMillisecond)->Iterations(3);

enum Order { kRandom, kSorted, kReversed };

void BM_SortTwoTextKeys(benchmark::State& state) {
    const auto order = static_cast<Order>(state.range(0));
    CDataSource ds;
    auto* header = new CHeader;
    header->AddColumn("Лист", zorSTRING);
    header->AddColumn("Поз", zorSTRING);
    ds.SetHeader(header);
    std::mt19937 random(7);
    for (int r = 0; r < kRows; ++r) {
        auto* row = new CTableRow;
        const std::string sheet = "Лист" + std::to_string(random() % 2000);
        const std::string position = "A" + std::to_string(random() % 100000);
        const std::string_view cells[] = {sheet, position};
        row->AddStrings(cells, 2);
        ds.AddRow(row);
    }
    const CColumnIndexArray keys{0, 1};
    if (order != kRandom) ds.Sort(&keys, nullptr);
    if (order == kReversed) std::reverse(ds.GetRows().begin(), ds.GetRows().end());
    const CTableRowArray original = ds.GetRows();
    for (auto _ : state) {
        ds.Sort(&keys, nullptr);
        state.PauseTiming();
        ds.GetRows() = original;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetLabel(order == kRandom ? "random" : order == kSorted ? "sorted" : "reversed");
}
BENCHMARK(BM_SortTwoTextKeys)->Arg(kRandom)->Arg(kSorted)->Arg(kReversed)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
