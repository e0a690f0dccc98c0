// Table walks that must grow linearly with the data, each at a tenth of the table capacities
// and at full capacity (target: full at most 12 times a tenth):
// - the owner names of the card-readout table for one screen of rows (one walk per paint);
// - the runner filter by course (the class of each runner looked up once per filter);
// - the pairing of runners with their readouts for "Печать выписок по сортировке базы".
// And the finish table's freshness: finish_data_changed at full capacity, the work done after
// every card, click or typed number (target: well under a 16 ms frame with the repaint).
#include <benchmark/benchmark.h>

#include <memory>

#include "app/view_logic.h"
#include "bench/bench_support.h"
#include "core/finish_results.h"
#include "core/list_ops.h"
#include "punch/split_sheet.h"

using namespace skarvel;

namespace {

std::unique_ptr<Competition> competition(int tenths) {
    auto c = std::make_unique<Competition>();
    make_demo_competition(*c, demo_tenths(tenths, 1));
    finish_data_changed(*c);
    return c;
}

Competition& shared(int tenths) {
    static std::unique_ptr<Competition> tenth = competition(1);
    static std::unique_ptr<Competition> full = competition(10);
    return tenths == 10 ? *full : *tenth;
}

void BM_CardReadoutScreen(benchmark::State& state) {
    Competition& c = shared(static_cast<int>(state.range(0)));
    view::RowContext ctx;
    const int rows = 45;
    const int last = c.tables.card_readouts.live_count();
    for (auto _ : state) {
        view::prepare_paint(c, kCardReadouts, ctx);
        for (int slot = last - rows; slot < last; ++slot)
            benchmark::DoNotOptimize(view::row_cells(c, kCardReadouts, slot, ctx));
    }
}

void BM_FilterByCourse(benchmark::State& state) {
    Competition& c = shared(static_cast<int>(state.range(0)));
    FilterSettings f;
    f.course_id = c.tables.courses[0]->id;
    f.sort_key = 1;
    FilterSettings all;
    for (auto _ : state) {
        benchmark::DoNotOptimize(apply_filter(c, f));
        state.PauseTiming();
        apply_filter(c, all);
        state.ResumeTiming();
    }
}

void BM_RunnersWithReadouts(benchmark::State& state) {
    Competition& c = shared(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(runners_with_readouts(c));
}

// The command runs once per click, after the window's other work has pushed its records out
// of the processor's caches: measure it from cold caches at both sizes. (Repeated back to back,
// the tenth's 6000 records stay in the cache while the full tables cannot, which measures the
// cache size rather than the walk.)
void BM_RunnersWithReadoutsCold(benchmark::State& state) {
    Competition& c = shared(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        evict_caches();
        state.ResumeTiming();
        benchmark::DoNotOptimize(runners_with_readouts(c));
    }
}

void BM_FinishDataChanged(benchmark::State& state) {
    Competition& c = shared(static_cast<int>(state.range(0)));
    for (auto _ : state) finish_data_changed(c);
}

BENCHMARK(BM_CardReadoutScreen)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterByCourse)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnersWithReadouts)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnersWithReadoutsCold)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinishDataChanged)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
