// IOF XML at a tenth and at the full size of the tables. Run:
//   build/<dir>/bench/exchange_bench --benchmark_counters_tabular=true
// Both should grow linearly (the full size at most 12x the time of a tenth) and stay under a
// second at full size: the result list with split times of every table at capacity, and the
// import of an entry list of 30000 persons into an empty competition.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_support.h"
#include "exchange/iof_xml.h"

namespace skarvel {
namespace {

void BM_ResultListExport(benchmark::State& state) {
    auto c = std::make_unique<Competition>();
    make_demo_competition(*c, demo_tenths(static_cast<int>(state.range(0))));
    IofExportOptions o;
    o.create_time = "2026-12-08T12:00:00";
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string xml = iof_export_text(*c, IofExportKind::kResults, o);
        bytes = xml.size();
        benchmark::DoNotOptimize(xml.data());
    }
    state.counters["runners"] = c->tables.runners.occupied_count();
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ResultListExport)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_EntryListImport(benchmark::State& state) {
    int persons = static_cast<int>(state.range(0));
    std::string xml;
    {
        auto c = std::make_unique<Competition>();
        DemoOptions d;
        d.runners = persons;
        d.clubs = persons / 30;
        d.classes = 200;
        make_demo_competition(*c, d);
        IofExportOptions o;
        o.create_time = "2026-12-08T12:00:00";
        xml = iof_export_text(*c, IofExportKind::kEntries, o);
    }
    LanguageTable lang;
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto c = std::make_unique<Competition>();
        state.ResumeTiming();
        IofImportReport r = iof_import_text(*c, IofImportKind::kEntries, xml, lang);
        added = r.runners_added;
        state.PauseTiming();
        c.reset();
        state.ResumeTiming();
    }
    state.counters["persons"] = added;
    state.counters["MB"] = static_cast<double>(xml.size()) / 1e6;
}
BENCHMARK(BM_EntryListImport)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skarvel

BENCHMARK_MAIN();
