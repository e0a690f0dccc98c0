// The screens of the finish area at full capacity. Run:
//   build/<dir>/bench/screens_bench --benchmark_counters_tabular=true
// One finish page, one start page and one board frame are rewritten every 0.5-2 s while cards
// are read: each under 5 ms with every table full. The per-class pages for 1,000 classes
// under one second, and linear: about the same time per class at 300 and at 1,000 classes
// (100 classes are a little cheaper per class: their 3,000 runners stay in the cache).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "core/demo_competition.h"
#include "periph/display_board.h"
#include "periph/display_pages.h"
#include "periph/multi_screen.h"

namespace skarvel {
namespace {

Competition& full() {
    static std::unique_ptr<Competition> c = [] {
        auto c = std::make_unique<Competition>();
        make_demo_competition(*c, DemoOptions::full_capacity());
        c->recount_tables();
        c->recompute_finish_results();
        c->count_finish_lines();
        return c;
    }();
    return *c;
}

Competition& tenth() {
    static std::unique_ptr<Competition> c = [] {
        auto c = std::make_unique<Competition>();
        DemoOptions o;
        o.runners = kRunnerCapacity / 10;
        o.clubs = kClubCapacity / 10;
        o.classes = kClassCapacity / 10;
        o.courses = kCourseCapacity / 10;
        o.finish_lines = kFinishLineCapacity / 10;
        o.card_readouts = kCardReadoutCapacity / 10;
        make_demo_competition(*c, o);
        c->recount_tables();
        c->recompute_finish_results();
        c->count_finish_lines();
        return c;
    }();
    return *c;
}

Competition& sized(int which) {
    return which == 0 ? tenth() : full();
}

void BM_FinishPage(benchmark::State& state) {
    Competition& c = sized(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(finish_page(c));
    state.counters["finish_lines"] = c.tables.finish_lines.live_count();
}
BENCHMARK(BM_FinishPage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_StartPage(benchmark::State& state) {
    Competition& c = sized(int(state.range(0)));
    // The minute before the first start of the busiest start minute shown.
    std::int32_t first = c.tables.runners[0]->start_time;
    int minute = first / 6000 - 1;
    int rows = 0;
    for (auto _ : state) {
        std::string page = start_page(c, minute / 60, minute % 60, 30);
        rows = 0;
        for (auto at = page.find("<tr "); at != std::string::npos; at = page.find("<tr ", at + 1))
            ++rows;
        benchmark::DoNotOptimize(page);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_StartPage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_BoardFrame(benchmark::State& state) {
    Competition& c = sized(int(state.range(0)));
    int first = board_first_line(c);
    for (auto _ : state) benchmark::DoNotOptimize(board_frame(board_lines(c, first)));
}
BENCHMARK(BM_BoardFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// `classes` classes of 30 runners each, two in three finished.
std::unique_ptr<Competition> classes_of(int classes) {
    auto c = std::make_unique<Competition>();
    DemoOptions o;
    o.runners = classes * 30;
    o.classes = classes;
    o.courses = std::min(classes, 200);
    o.clubs = 200;
    make_demo_competition(*c, o);
    return c;
}

void BM_MultiScreenPages(benchmark::State& state) {
    auto c = classes_of(int(state.range(0)));
    const auto kind = state.range(1) ? MultiScreenKind::kTables : MultiScreenKind::kLines;
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto pages = build_multi_screen_pages(*c, MultiScreenSettings{}, kind);
        bytes = 0;
        for (const auto& p : pages) bytes += p.bytes.size();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["classes"] = double(c->tables.classes.live_count());
    state.counters["kB"] = double(bytes) / 1024;
}
BENCHMARK(BM_MultiScreenPages)
    ->Args({100, 0})
    ->Args({300, 0})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond);

// The same, written into a folder (a temporary file and a rename per page).
void BM_MultiScreenWrite(benchmark::State& state) {
    auto c = classes_of(int(state.range(0)));
    auto dir = std::filesystem::temp_directory_path() /
               ("skarvel_screens_bench_" + std::to_string(::getpid()));
    ScriptedPrompts prompts;
    for (auto _ : state)
        benchmark::DoNotOptimize(write_multi_screen_pages(
            *c, MultiScreenSettings{}, MultiScreenKind::kLines, dir.string(), prompts));
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_MultiScreenWrite)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skarvel

BENCHMARK_MAIN();
