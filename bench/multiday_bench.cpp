// Both forms of the multi-day protocol (the second with each day's place in the class) for a
// tenth of and for a full runner table, ten days selected, a hundred runners a class.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "results/multiday.h"

using namespace skarvel;

namespace {

void fill(Competition& c, int runners) {
    const int classes = std::max(1, runners / 100);
    for (int i = 0; i < classes; ++i) {
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = static_cast<std::int16_t>(classes - i);  // table order differs from id order
        set_field_text(k.name, "C" + std::to_string(i + 1));
    }
    for (int i = 0; i < runners; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        r.start_number = static_cast<std::uint16_t>(i + 1);
        r.class_id = static_cast<std::int16_t>(i % classes + 1);
        set_field_text(r.name, "Runner " + std::to_string(i + 1));
        for (int d = 0; d < kMultiDayCount; ++d) {
            const int roll = (i * 7919 + d * 104729) % 1000;
            r.day_results[d] = roll < 10   ? kDayNoResult
                               : roll < 15 ? kDayRemoved
                                           : 180000 + (i * 37 + d * 911) % 240000;
        }
    }
}

void run(benchmark::State& state, bool places) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(multiday_protocol_text(c, 0x3FFu, places).html.size());
}

void BM_MultiDayProtocol(benchmark::State& state) {
    run(state, false);
}
BENCHMARK(BM_MultiDayProtocol)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_MultiDayDayPlaces(benchmark::State& state) {
    run(state, true);
}
BENCHMARK(BM_MultiDayDayPlaces)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
