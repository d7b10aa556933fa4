// Report generation as the batch mode runs it: a data file read into the manager's data source, a template
// file generated into a report file (tables filled across cloned A4 pages, the report saved), measured with
// the Qt text measurer.
//   List:    4 columns, 20,000 rows, one line every 5 mm.
//   Grouped: 8 columns, 100,000 rows, one grouping level of 100 groups with a title line and a closing line
//            of a count and three sums, sorted by the grouping column and two sort columns.
// Each reports rows and pages per second for the whole run (reading the data file, generating, saving) and
// the memory the run took at its peak, per page of the report.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/base/tempfile.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "report/generation/data_source.h"
#include "report/generation/generate_report.h"
#include "report/generation/group_col.h"
#include "report/generation/report_param.h"
#include "report/generation/report_section.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"
#include "report/tests/model/template_lists.h"

namespace {

// Resident set now and at its peak, in kilobytes.
long ResidentKB() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

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

// One batch run per iteration: read the data file, generate, save.
void RunGeneration(benchmark::State& state, const std::string& templatePath, const std::string& dataPath,
                   int rows) {
    const std::string report = Folder() / "report.zorrep";
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink(&messages);
    const long before = ResidentKB();
    for (auto _ : state) {
        CFolivox manager;
        if (!manager.GetDataSource().LoadFromFile(dataPath) || manager.GetDataSource().GetRowCount() != rows) {
            state.SkipWithError("data file not read");
            return;
        }
        CRParamsArray values;
        if (!GenerateReport(&manager, &values, templatePath.c_str(), report.c_str(), nullptr)) {
            state.SkipWithError(("generation failed: " + (messages.Texts().empty() ? std::string("?")
                                                                                  : messages.Texts().front()))
                                    .c_str());
            return;
        }
    }
    const long peak = PeakKB();
    const int pages = CountPages(report);  // the timer stopped with the loop
    const double runs = double(state.iterations());
    state.counters["rows_per_s"] = benchmark::Counter(runs * rows, benchmark::Counter::kIsRate);
    state.counters["pages_per_s"] = benchmark::Counter(runs * pages, benchmark::Counter::kIsRate);
    state.counters["pages"] = pages;
    state.counters["peak_MB"] = double(peak) / 1024.0;
    state.counters["peak_KB_per_page"] = pages > 0 ? double(peak - before) / pages : 0.0;
    state.counters["report_MB"] = double(std::ifstream(report, std::ios::binary | std::ios::ate).tellg()) / 1048576.0;
}

void BM_GenerateList(benchmark::State& state) {
    constexpr int kRows = 20000;
    static const std::string templatePath = Folder() / "list.zordot";
    static const std::string dataPath = Folder() / "list.csv";
    static const bool ready = [] {
        WriteListData(dataPath, kRows);
        return SaveTemplate(templatePath, {{"Обозначение", 450}, {"Наименование", 800}, {"Кол", 200}, {"Примечание", 450}},
                            nullptr, {}, {});
    }();
    if (!ready) {
        state.SkipWithError("template not saved");
        return;
    }
    RunGeneration(state, templatePath, dataPath, kRows);
}
BENCHMARK(BM_GenerateList)->Unit(benchmark::kMillisecond)->Iterations(3);

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
    RunGeneration(state, templatePath, dataPath, kRows);
}
BENCHMARK(BM_GenerateGrouped)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    // No display is needed: measuring uses the application's fonts only.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    zor::test::ScopedTempDir& dir = Folder();
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);  // a private, empty profile
    const std::string ini = dir / "ZorTransport.ini";
    WriteText(ini, std::string("[Paths]\nDictionary=") + QM_DICT_DIR + "/\n");
    ::setenv("ZOR_TRANSPORT_INI", ini.c_str(), 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
