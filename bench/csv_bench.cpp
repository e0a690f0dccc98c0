// The semicolon-separated entry list and the on-line CSV file at a tenth and at the full size
// of the runner table. Run:
//   build/<dir>/bench/csv_bench --benchmark_counters_tabular=true
// Both should grow linearly (the full size at most 12x the time of a tenth) and stay under
// 300 ms at full size: the import of 30000 lines naming 3000 clubs and 300 classes into an
// empty competition (classes and clubs found by name through an index), and the on-line
// export of a competition with every table at capacity.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "exchange/csv_exchange.h"

namespace skarvel {
namespace {

// `lines` runners spread over lines/10 clubs and lines/100 classes.
std::string entry_list(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += "M" + std::to_string(i % (lines / 100)) + ";Runner " + std::to_string(i) +
                ";Club " + std::to_string(i % (lines / 10)) + ";3;" +
                std::to_string(i % 29999 + 1) + ";1990;" + std::to_string(100000 + i) +
                ";comment\r\n";
    }
    return text;
}

void BM_EntryCsvImport(benchmark::State& state) {
    const std::string text = entry_list(static_cast<int>(state.range(0)));
    LanguageTable lang;
    CsvImportReport r;
    for (auto _ : state) {
        state.PauseTiming();
        auto c = std::make_unique<Competition>();
        state.ResumeTiming();
        r = import_entries_csv(*c, text, lang);
        state.PauseTiming();
        c.reset();
        state.ResumeTiming();
    }
    state.counters["runners"] = r.runners;
    state.counters["classes"] = r.classes;
    state.counters["clubs"] = r.clubs;
}
BENCHMARK(BM_EntryCsvImport)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_OnlineCsvExport(benchmark::State& state) {
    auto c = std::make_unique<Competition>();
    make_demo_competition(*c, demo_tenths(static_cast<int>(state.range(0))));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string csv = online_csv(*c);
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.counters["runners"] = c->tables.runners.occupied_count();
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_OnlineCsvExport)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// The export runs once per click, never back to back: measured from cold caches at both sizes
// (repeated, the tenth's records and file stay in the cache while the full ones cannot, which
// measures the cache size rather than the export).
void BM_OnlineCsvExportCold(benchmark::State& state) {
    auto c = std::make_unique<Competition>();
    make_demo_competition(*c, demo_tenths(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        evict_caches();
        state.ResumeTiming();
        std::string csv = online_csv(*c);
        benchmark::DoNotOptimize(csv.data());
    }
}
BENCHMARK(BM_OnlineCsvExportCold)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skarvel

BENCHMARK_MAIN();
