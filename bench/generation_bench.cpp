// Report generation as the batch mode runs it: a data file read into the manager's data source, a template
// file generated into a report file (tables filled across cloned A4 pages, the report saved), measured with
// the Qt text measurer.
//   List:    4 columns, one line every 5 mm, at 20,000, 40,000, 80,000, 200,000 and 1,000,000 rows.
//   Grouped: 8 columns, 100,000 rows, one grouping level of 100 groups with a title line and a closing line
//            of a count and three sums, sorted by the grouping column and two sort columns.
// Each run is a whole process of its own (start, read the data, generate, save), so that its peak memory and
// page faults are its own: rows and pages per second, the peak resident set, the peak per page of the report
// (over the process's resident set before the data is read), minor page faults per row, and the report's
// checksum (the report is dated by a fixed clock, so equal code gives equal files). The growth per row is the
// peak's growth from the 20,000-row list on. A further run generates the list ten times in one process and
// shows the peak after the first and after the tenth (memory must stay flat).
// With QM_BENCH_BASELINE naming another build's bench_generation (or a script that runs it with its own
// libraries), each case runs that build too, right before this one, and adds its figures (base_*) and the
// speed ratio (speedup: this build's rows per second over the baseline's) beside them.
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <QGuiApplication>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/base/tempfile.h"
#include "platform/tests/fixed_clock.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "report/generation/generate_report.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"
#include "report/model/report_param.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"
#include "report/tests/model/template_lists.h"

namespace {

zor::test::ScopedTempDir& Folder() {
    static zor::test::ScopedTempDir dir;
    return dir;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// --- Templates ---------------------------------------------------------------------------------------------

struct ColumnSpec {
    const char* name;
    int width;
};

// A template of one A4 sheet with one table (a 5 mm row layout of the columns) built through the model and
// saved the way the designer saves it. group: the data column of a grouping level (none: a plain list);
// sorts: further sort columns.
bool SaveTemplate(const std::string& path, const std::vector<ColumnSpec>& columns, const char* group,
                  const std::vector<const char*>& sorts, const std::vector<const char*>& sums) {
    CzorStepDataWithFile store;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) return false;
    CFolivox manager;
    manager.Attach(&store, QM_DICT_DIR);
    const CReportSchema& s = manager.Schema();
    CHeader* header = manager.GetSelectHeader();
    auto source = [&](const char* name) {
        int index = header->Find(name);
        if (index < 0) index = header->AddColumn(name, zorSTRING);
        return header->GetColumn(index);
    };
    auto field = [&](const char* name, int width, int kind) {
        auto* column = new CColumn;
        column->m_Name = name ? name : "";
        column->m_pColumn = name ? source(name) : nullptr;
        column->m_nWidth = width;
        column->m_nType = kind;
        return column;
    };

    CReportSheet* sheet = model_test::AddPage(manager);
    auto* table = new CTableElement(&manager);
    table->SetOrigin(CPoint(100, -2870));
    table->SetSize(CSize(1900, 2770));
    table->SetLineWidth(2);
    sheet->Add(table);

    auto* section = new CReportSection(&manager);
    section->SetShowEmptyLines(0);
    auto* detail = new CSectionLevel(&manager);
    detail->m_nHeight = 50;
    for (const ColumnSpec& c : columns) detail->m_Columns.Add(field(c.name, c.width, kColumnField));
    section->GetLevels().Add(detail);
    if (group) {
        auto* g = new CGroupCol(&manager);
        g->m_pColumn = source(group);
        g->m_Name = group;
        auto* title = new CSectionLevel(&manager);
        title->m_nHeight = 50;
        title->m_Columns.Add(field(group, 1900, kColumnField));
        g->m_Rows.Add(title);
        auto* closing = new CSectionLevel(&manager);
        closing->m_nHeight = 50;
        closing->m_Columns.Add(field(nullptr, 1900 - 400 * static_cast<int>(sums.size()), kColumnCount));
        for (const char* sum : sums) closing->m_Columns.Add(field(sum, 400, kColumnSum));
        g->m_LastRows.Add(closing);
        section->GetGroups().Add(g);
    }
    for (const char* sort : sorts) section->GetSorts().Add(source(sort));
    table->GetSections().Add(section);

    header->Update(&manager, true);
    CzorTAggr<CzorInstance> headerColumns, sheets;
    header->GetExtent(headerColumns);
    store.PutAttr(store.CreateInstance(s.e_zor_select, false, true), s.zor_select_column, headerColumns);
    sheet->Update(true);
    sheets.Add(sheet->GetInstance());
    CzorInstance* root = store.CreateInstance(s.e_zor_report, false, true);
    store.PutAttr(root, s.zor_report_sheets, sheets);
    store.PutAttr(root, s.zor_report_mode, 0);
    manager.PutPoint(root, s.zor_report_page_size, CPoint(2100, 2970));
    const bool saved = store.SaveToFile(path.c_str());
    manager.Detach();
    return saved;
}

// --- Data files --------------------------------------------------------------------------------------------

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void WriteListData(const std::string& path, int rows) {
    std::mt19937 random(11);
    static const char* names[] = {"Болт М6х20 ГОСТ 7798-70", "Гайка М6", "Шайба 6 ГОСТ 11371-78", "Винт М4х10",
                                  "Втулка, бронза", "Кронштейн сварной"};
    std::string text = "\"Обозначение\",\"Наименование\",\"Кол\",\"Примечание\"\n";
    for (int r = 0; r < rows; ++r) {
        text += Quoted("АБВГ." + std::to_string(300000 + r) + ".0" + std::to_string(r % 10)) + "," +
                Quoted(names[random() % 6]) + "," + Quoted(std::to_string(1 + random() % 40)) + "," +
                Quoted(r % 7 == 0 ? "Покупное" : "") + "\n";
    }
    WriteText(path, text);
}

void WriteGroupedData(const std::string& path, int rows, int groups) {
    std::mt19937 random(12);
    std::string text = "\"Группа\",\"Код\",\"Наименование\",\"Поз\",\"Кол\",\"Масса\",\"Цена\",\"Лист\"\n";
    for (int r = 0; r < rows; ++r) {
        text += Quoted("Группа " + std::to_string(random() % groups)) + "," + Quoted(std::to_string(100000 + r)) + "," +
                Quoted("Деталь " + std::to_string(random() % 5000)) + "," + Quoted(std::to_string(random() % 60)) +
                "," + Quoted(std::to_string(1 + random() % 50)) + "," +
                Quoted(std::to_string(random() % 1000) + "." + std::to_string(random() % 10)) + "," +
                Quoted(std::to_string(random() % 10000) + ".25") + "," + Quoted("Лист" + std::to_string(random() % 30)) +
                "\n";
    }
    WriteText(path, text);
}

// The number of pages of a saved report.
int CountPages(const std::string& path) {
    CzorStepDataWithFile store;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark") || !store.LoadFromFile(path.c_str())) return 0;
    CFolivox manager;
    manager.Attach(&store, QM_DICT_DIR);
    CzorTAggr<CzorInstance> sheets;
    if (CzorInstance* root = FirstOfExtent(store, manager.Schema().e_zor_report))
        store.GetAttr(root, manager.Schema().zor_report_sheets, sheets);
    manager.Detach();
    return sheets.GetSize();
}

// --- One process per run -----------------------------------------------------------------------------------

// FNV-1a of the file's bytes (0 for a file that cannot be read).
uint64_t Checksum(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    uint64_t h = 1469598103934665603ULL;
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            h ^= static_cast<unsigned char>(buf[i]);
            h *= 1099511628211ULL;
        }
    }
    return h;
}

std::string Hex(uint64_t v) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
    return buf;
}

// The child's side: generates `repeats` times, then writes to `results` its resident set before the data
// was read, and after each run the resident set and the peak so far (kilobytes, one line each).
int GenerationChild(const std::string& templatePath, const std::string& dataPath, int rows, int repeats,
                    const std::string& report, const std::string& results) {
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink(&messages);
    CScopedGenerationClock clock(zor::test::FixedNoon);
    std::string lines = "start " + std::to_string(bench::ResidentKB()) + "\n";
    for (int run = 0; run < repeats; ++run) {
        CFolivox manager;
        if (!manager.GetDataSource().LoadFromFile(dataPath) || manager.GetDataSource().GetRowCount() != rows) {
            std::fprintf(stderr, "data file not read\n");
            return 2;
        }
        CRParamsArray values;
        if (!GenerateReport(&manager, &values, templatePath.c_str(), report.c_str(), nullptr)) {
            std::fprintf(stderr, "generation failed: %s\n",
                         messages.Texts().empty() ? "?" : messages.Texts().front().c_str());
            return 3;
        }
        lines += "run " + std::to_string(bench::ResidentKB()) + " " + std::to_string(bench::PeakKB()) + "\n";
    }
    lines += "peak " + std::to_string(bench::PeakKB()) + "\n";
    WriteText(results, lines);
    return 0;
}

struct ProcessRun {
    bool ok = false;
    double seconds = 0;       // wall time of the whole process
    long peakKB = 0;          // its peak resident set
    long startKB = 0;         // its resident set before the data was read
    long minorFaults = 0;
    std::vector<long> residentKB, peakAfterKB;  // after each generation
    uint64_t checksum = 0;
    int pages = 0;
};

// Runs the generation child of `binary` (this program or a baseline build) into `folder`/report.zorrep.
ProcessRun RunChild(const std::string& binary, const std::string& folder, const std::string& templatePath,
                    const std::string& dataPath, int rows, int repeats) {
    ProcessRun r;
    ::mkdir(folder.c_str(), 0700);
    const std::string report = folder + "/report.zorrep", results = folder + "/results.txt";
    std::remove(report.c_str());
    std::remove(results.c_str());
    const std::string rowsText = std::to_string(rows), repeatsText = std::to_string(repeats);
    const char* argv[] = {binary.c_str(),  "--generation-child", templatePath.c_str(), dataPath.c_str(),
                          rowsText.c_str(), repeatsText.c_str(),  report.c_str(),       results.c_str(),
                          nullptr};
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, binary.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return r;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return r;
    r.minorFaults = usage.ru_minflt;
    std::ifstream in(results);
    std::string word;
    while (in >> word) {
        long a = 0, b = 0;
        if (word == "start") in >> r.startKB;
        else if (word == "peak") in >> r.peakKB;
        else if (word == "run" && (in >> a >> b)) {
            r.residentKB.push_back(a);
            r.peakAfterKB.push_back(b);
        }
    }
    r.checksum = Checksum(report);
    r.pages = CountPages(report);
    r.ok = r.residentKB.size() == static_cast<size_t>(repeats) && r.peakKB > 0 && r.pages > 0;
    return r;
}

std::string SelfPath() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

const char* Baseline() {
    const char* b = std::getenv("QM_BENCH_BASELINE");
    return b && *b ? b : nullptr;
}

// The figures of one run under the prefix ("" for this build, "base_" for the baseline).
void Report(benchmark::State& state, const std::string& prefix, const ProcessRun& r, int rows) {
    state.counters[prefix + "rows_per_s"] = rows / r.seconds;
    state.counters[prefix + "pages_per_s"] = r.pages / r.seconds;
    state.counters[prefix + "peak_MB"] = double(r.peakKB) / 1024.0;
    state.counters[prefix + "KB_per_page"] = double(r.peakKB - r.startKB) / r.pages;
    state.counters[prefix + "faults_per_row"] = double(r.minorFaults) / rows;
}

// Peaks of the list runs by rows, for the growth per row (this build's and the baseline's).
std::map<int, long>& ListPeaks(bool baseline) {
    static std::map<int, long> mine, theirs;
    return baseline ? theirs : mine;
}

void MeasureProcess(benchmark::State& state, const std::string& templatePath, const std::string& dataPath,
                    int rows, bool list) {
    ProcessRun base, mine;
    for (auto _ : state) {
        if (const char* b = Baseline()) base = RunChild(b, Folder() / "base", templatePath, dataPath, rows, 1);
        mine = RunChild(SelfPath(), Folder() / "mine", templatePath, dataPath, rows, 1);
        state.SetIterationTime(mine.seconds);
    }
    if (!mine.ok || (Baseline() && !base.ok)) {
        state.SkipWithError("generation failed");
        return;
    }
    state.counters["pages"] = mine.pages;
    Report(state, "", mine, rows);
    std::string label = "crc " + Hex(mine.checksum);
    const auto growth = [&](bool baseline, const ProcessRun& r, const std::string& prefix) {
        std::map<int, long>& peaks = ListPeaks(baseline);
        peaks[rows] = r.peakKB;
        if (rows > peaks.begin()->first)
            state.counters[prefix + "growth_KB_per_row"] =
                double(r.peakKB - peaks.begin()->second) / (rows - peaks.begin()->first);
    };
    if (list) growth(false, mine, "");
    if (Baseline()) {
        Report(state, "base_", base, rows);
        state.counters["speedup"] = base.seconds / mine.seconds;
        if (list) growth(true, base, "base_");
        label += base.checksum == mine.checksum ? " (baseline: same)" : " (baseline: " + Hex(base.checksum) + ")";
    }
    state.SetLabel(label);
}

// The list's template and data files for `rows` rows, made once.
bool ListFiles(int rows, std::string& templatePath, std::string& dataPath) {
    static std::map<int, bool> made;
    templatePath = Folder() / "list.zordot";
    dataPath = Folder() / ("list" + std::to_string(rows) + ".csv");
    static const bool templateSaved = SaveTemplate(
        templatePath, {{"Обозначение", 450}, {"Наименование", 800}, {"Кол", 200}, {"Примечание", 450}}, nullptr,
        {}, {});
    if (!made[rows]) {
        WriteListData(dataPath, rows);
        made[rows] = true;
    }
    return templateSaved;
}

void BM_GenerateList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    std::string templatePath, dataPath;
    if (!ListFiles(rows, templatePath, dataPath)) {
        state.SkipWithError("template not saved");
        return;
    }
    MeasureProcess(state, templatePath, dataPath, rows, true);
}
BENCHMARK(BM_GenerateList)->Arg(20000)->Arg(40000)->Arg(80000)->Arg(200000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Ten generations of the 20,000-row list in one process: the peak after the first and after the last, and
// the largest resident set after any.
void BM_GenerateListTenTimes(benchmark::State& state) {
    constexpr int kRows = 20000, kRuns = 10;
    std::string templatePath, dataPath;
    if (!ListFiles(kRows, templatePath, dataPath)) {
        state.SkipWithError("template not saved");
        return;
    }
    ProcessRun r;
    for (auto _ : state) {
        r = RunChild(SelfPath(), Folder() / "mine", templatePath, dataPath, kRows, kRuns);
        state.SetIterationTime(r.seconds);
    }
    if (!r.ok) {
        state.SkipWithError("generation failed");
        return;
    }
    state.counters["rows_per_s"] = double(kRows) * kRuns / r.seconds;
    state.counters["first_peak_MB"] = double(r.peakAfterKB.front()) / 1024.0;
    state.counters["tenth_peak_MB"] = double(r.peakAfterKB.back()) / 1024.0;
    long most = 0;
    for (long kb : r.residentKB) most = std::max(most, kb);
    state.counters["max_after_run_MB"] = double(most) / 1024.0;
    state.SetLabel("crc " + Hex(r.checksum));
}
BENCHMARK(BM_GenerateListTenTimes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_GenerateGrouped(benchmark::State& state) {
    constexpr int kRows = 100000;
    static const std::string templatePath = Folder() / "grouped.zordot";
    static const std::string dataPath = Folder() / "grouped.csv";
    static const bool ready = [] {
        WriteGroupedData(dataPath, kRows, 100);
        return SaveTemplate(templatePath,
                            {{"Группа", 250}, {"Код", 200}, {"Наименование", 400}, {"Поз", 150}, {"Кол", 150},
                             {"Масса", 250}, {"Цена", 300}, {"Лист", 200}},
                            "Группа", {"Лист", "Поз"}, {"Кол", "Масса", "Цена"});
    }();
    if (!ready) {
        state.SkipWithError("template not saved");
        return;
    }
    MeasureProcess(state, templatePath, dataPath, kRows, false);
}
BENCHMARK(BM_GenerateGrouped)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    // No display is needed: measuring uses the application's fonts only.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 4 && std::string(argv[1]) == "--list-files") {
        // The list's template and data for a run under a profiler: --list-files <folder> <rows>, then
        // --generation-child <folder>/list.zordot <folder>/list<rows>.csv <rows> 1 <report> <results>.
        int one = 1;
        QGuiApplication app(one, argv);
        const std::string folder = argv[2];
        const int rows = std::atoi(argv[3]);
        WriteListData(folder + "/list" + std::to_string(rows) + ".csv", rows);
        return SaveTemplate(folder + "/list.zordot",
                            {{"Обозначение", 450}, {"Наименование", 800}, {"Кол", 200}, {"Примечание", 450}},
                            nullptr, {}, {})
                   ? 0
                   : 1;
    }
    if (argc == 8 && std::string(argv[1]) == "--generation-child") {
        // The parent's private profile and transport file are in force through the environment.
        int one = 1;
        QGuiApplication app(one, argv);
        return GenerationChild(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), argv[6], argv[7]);
    }
    zor::test::ScopedTempDir& dir = Folder();
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);  // a private, empty profile
    const std::string ini = dir / "ZorTransport.ini";
    WriteText(ini, std::string("[Paths]\nDictionary=") + QM_DICT_DIR + "/\n");
    ::setenv("ZOR_TRANSPORT_INI", ini.c_str(), 1);
    QGuiApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
