// Attribute-path columns through a networked store logged in on our server on 127.0.0.1: a data source of
// parts (10,000 rows by default) whose column "Изделие" holds parts named only, extended with the two-step
// path "Изделие.material.name". Reports rows per second and the requests sent for the batched Extend and, for
// comparison, for the walk of each row on its own (auto-download, one request per row and step).
//
//   bench_attr_path [rows] [materials]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "report/model/data_source.h"
#include "report/model/value_text.h"
#include "report/tests/netpath/parts_server.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double seconds = 0;
    long requests = 0;
    int filled = 0;  // rows whose cell came out non-empty
};

bool Source(CDataSource& ds, CzorNetStepData& store, int rows) {
    auto* header = new CHeader;
    header->AddColumn("Изделие", zorINSTANCE);
    delete ds.SetHeader(header);
    std::vector<int> ids;
    for (int i = 0; i < rows; ++i) ids.push_back(100001 + i);
    const auto named = netpath::PartsServer::Named(store, ids);
    if (static_cast<int>(named.size()) != rows) return false;
    for (CzorInstance* inst : named) ds.SetAt(ds.AddRow(), 0, inst);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int materials = argc > 2 ? std::atoi(argv[2]) : 50;
    netpath::PartsServer server([&](netpath::PartsData& d) {
        std::vector<CzorInstance*> made;
        for (int m = 0; m < materials; ++m) {
            CzorInstance* inst = d.Make("material", 90001 + m);
            d.Store().PutAttrBN(inst, "name", ("Материал " + std::to_string(m)).c_str());
            made.push_back(inst);
        }
        for (int i = 0; i < rows; ++i) {
            CzorInstance* part = d.Make("part", 100001 + i);
            d.Store().PutAttrBN(part, "name", ("Деталь " + std::to_string(i)).c_str());
            d.Store().PutAttrBN(part, "material", made[static_cast<size_t>(i % materials)]);
        }
    });
    if (!server.Ok()) {
        std::fprintf(stderr, "bench_attr_path: the server cannot start\n");
        return 1;
    }
    CHeader computed;
    computed.AddColumn(new CHeaderColumn(kAttrPathColumn, "Изделие.material.name", zorSTRING));

    Run batched, walked;
    {
        auto store = server.Connect();
        CDataSource ds;
        if (!store || !Source(ds, *store, rows)) return 1;
        const long before = store->GetRequestsSent();
        const auto start = Clock::now();
        if (!ds.Extend(&computed, store.get())) return 1;
        batched.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        batched.requests = store->GetRequestsSent() - before;
        for (int r = 0; r < ds.GetRowCount(); ++r) batched.filled += ds.GetRow(r)->GetAsString(1).empty() ? 0 : 1;
    }
    {
        auto store = server.Connect();
        CDataSource ds;
        if (!store || !Source(ds, *store, rows)) return 1;
        const long before = store->GetRequestsSent();
        const auto start = Clock::now();
        for (int r = 0; r < ds.GetRowCount(); ++r)
            walked.filled += GetAttrEx(ds.GetAt(r, 0)->GetInstance(), ".material.name", store.get()).empty() ? 0 : 1;
        walked.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        walked.requests = store->GetRequestsSent() - before;
    }
    std::printf("rows %d, materials %d, path Изделие.material.name (two steps)\n", rows, materials);
    std::printf("Extend, one batch per step: %.3f s, %.0f rows/s, %ld requests, %d cells filled\n", batched.seconds,
                rows / batched.seconds, batched.requests, batched.filled);
    std::printf("each row walked on its own: %.3f s, %.0f rows/s, %ld requests, %d cells filled\n", walked.seconds,
                rows / walked.seconds, walked.requests, walked.filled);
    std::printf("peak memory %.1f MB\n", bench::PeakKB() / 1024.0);
    return batched.filled == rows && walked.filled == rows ? 0 : 1;
}
