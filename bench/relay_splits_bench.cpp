// The relay result protocol for 990 and 9,900 teams of three legs, and each split export (OSV,
// semicolon file, common splits page) at a tenth of and at full capacity.
#include <benchmark/benchmark.h>

#include <string>

#include "core/prompts.h"
#include "punch/split_exports.h"
#include "results/relay_results.h"

using namespace skarvel;

namespace {

// `teams` teams of three legs, 99 teams a class, each leg with a card readout of 12 punches;
// legs are finished as far as the finish list holds them.
void fill(Competition& c, int teams) {
    Course& course = *c.tables.courses[c.new_record(kCourses)];
    course.id = 1;
    set_field_text(course.name, "D1");
    for (int k = 0; k < 12; ++k) course.control_codes[k] = static_cast<std::uint8_t>(31 + k);
    const int classes = std::max(1, teams / 99);
    for (int i = 0; i < classes; ++i) {
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = i + 1;
        k.course_id = 1;
        set_field_text(k.name, "C" + std::to_string(i + 1));
    }
    int id = 0;
    for (int t = 0; t < teams; ++t) {
        for (int leg = 1; leg <= 3; ++leg) {
            Runner& r = *c.tables.runners[c.new_record(kRunners)];
            r.id = ++id;
            r.class_id = static_cast<std::int16_t>(t / 99 + 1);
            r.start_number = static_cast<std::uint16_t>(leg * 100 + t % 99 + 1);
            r.card_number = id;
            r.start_time = 3600000;
            set_field_text(r.name, "Runner " + std::to_string(id));
            // The finish list holds 20000 lines: the last third of the legs stays out.
            if (int slot = c.new_record(kFinishLines); slot != kNoSlot) {
                FinishLine& f = *c.tables.finish_lines[slot];
                f.start_number = static_cast<std::int16_t>(r.start_number);
                f.time_word = static_cast<std::uint32_t>(3600000 + leg * 180000 + (t * 37) % 60000);
            }
            CardReadout& card = *c.tables.card_readouts[c.new_record(kCardReadouts)];
            card.card_number = id;
            card.punch_count = 12;
            for (int k = 0; k < 12; ++k) {
                card.punches[k].code = static_cast<std::uint8_t>(31 + k);
                card.punches[k].time = 3600000 + k * 6000 + leg * 1000;
            }
        }
    }
}

void BM_RelayProtocol(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    RelayPrintSettings s;
    s.splits_mode = 1;
    for (auto _ : state) benchmark::DoNotOptimize(relay_protocol_html(c, s).html.size());
}
BENCHMARK(BM_RelayProtocol)->Arg(990)->Arg(9900)->Unit(benchmark::kMillisecond);

// Each split export over the same table: 29,700 runners, each with a card readout.
void BM_OsvExport(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(osv_split_file(c, 0).text.size());
}
BENCHMARK(BM_OsvExport)->Arg(990)->Arg(9900)->Unit(benchmark::kMillisecond);

void BM_RouteExport(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(route_split_file(c, 0).text.size());
}
BENCHMARK(BM_RouteExport)->Arg(990)->Arg(9900)->Unit(benchmark::kMillisecond);

void BM_CommonSplitsPage(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    ScriptedPrompts prompts;
    for (auto _ : state) benchmark::DoNotOptimize(common_splits_page(c, prompts).size());
}
BENCHMARK(BM_CommonSplitsPage)->Arg(990)->Arg(9900)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
