// Whole-table editing operations at full table size: the duplicate card check, the
// multi-crossing conversion (which empties a full card table into the deleted records), Join,
// and one Enter of finish number entry (index rebuild and finish counts).
#include <benchmark/benchmark.h>

#include "core/list_edit.h"
#include "core/maintenance.h"

using namespace skarvel;

namespace {

void fill_runners(Competition& c, int n) {
    for (int i = 0; i < n; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        r.start_number = static_cast<std::uint16_t>(i % 29999 + 1);
        r.card_number = (i * 7919) % 1000003 + 1;  // distinct
        r.club_id = static_cast<std::int16_t>(i % 1000 + 1);
    }
}

void BM_DuplicateCardCheck(benchmark::State& state) {
    Competition c;
    fill_runners(c, static_cast<int>(state.range(0)));
    ScriptedPrompts p;
    p.default_answer = true;
    for (auto _ : state) benchmark::DoNotOptimize(check_duplicate_card_numbers(c, p, false));
}
BENCHMARK(BM_DuplicateCardCheck)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_MulticrossToSplit(benchmark::State& state) {
    int readouts = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Competition c;
        fill_runners(c, 3000);
        for (int i = 0; i < readouts; ++i)
            c.tables.card_readouts[c.new_record(kCardReadouts)]->card_number = i + 1;
        for (int i = 0; i < 20000; ++i) {
            FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
            l.start_number = static_cast<std::int16_t>(i % 3000 + 1);
            l.set_time(3600000 + i * 100);
        }
        ScriptedPrompts p;
        p.default_answer = true;
        state.ResumeTiming();
        benchmark::DoNotOptimize(finish_crossings_to_card_readouts(c, p, false));
    }
}
BENCHMARK(BM_MulticrossToSplit)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_JoinClubs(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Competition c;
        fill_runners(c, 30000);
        for (int i = 0; i < 10000; ++i) {
            Club& k = *c.tables.clubs[c.new_record(kClubs)];
            k.id = i + 1;
            k.marked = i % 2;
        }
        ScriptedPrompts p;
        p.default_answer = true;
        state.ResumeTiming();
        benchmark::DoNotOptimize(join_marked(c, kClubs, p, false));
    }
}
BENCHMARK(BM_JoinClubs)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FinishEntryEnter(benchmark::State& state) {
    Competition c;
    fill_runners(c, 30000);
    for (int i = 0; i < 20000; ++i) c.new_record(kFinishLines);
    ScriptedPrompts p;
    FinishEntry e;
    int row = 0;
    for (auto _ : state) {
        e.digit(c, row, 7, p, false);
        benchmark::DoNotOptimize(e.enter(c, row, p, {}));
        row = (row + 1) % 20000;
        c.tables.finish_lines[row]->start_number = 0;
    }
}
BENCHMARK(BM_FinishEntryEnter)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
