// The pre-race printouts at a tenth of and at full capacity (30000 runners, 10000 clubs):
// extracts for all clubs on the recording device, the credentials protocol, the three overview
// lists and the start grid.
#include <benchmark/benchmark.h>

#include <string>

#include "start/extracts.h"
#include "start/prerace_lists.h"

using namespace skarvel;

namespace {

void fill(Competition& c, int runners) {
    const int clubs = runners / 3;
    for (int i = 0; i < 20; ++i) {
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = i + 1;
        k.start_corridor = i % 5;
        k.control_count = 12;
        for (int j = 0; j < 12; ++j) k.control_codes[j] = static_cast<std::uint8_t>(31 + j + i);
        set_field_text(k.name, "D" + std::to_string(i + 1));
    }
    for (int i = 0; i < 100; ++i) {
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = i + 1;
        k.course_id = static_cast<std::int16_t>(i % 20 + 1);
        k.fee_rental_normal = 300;
        set_field_text(k.name, "C" + std::to_string(i + 1));
    }
    for (int i = 0; i < clubs; ++i) {
        Club& k = *c.tables.clubs[c.new_record(kClubs)];
        k.id = i + 1;
        set_field_text(k.name, "Club " + std::to_string(i + 1));
    }
    for (int i = 0; i < runners; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        set_field_text(r.name, "Runner " + std::to_string(i));
        r.club_id = static_cast<std::int16_t>(1 + i % clubs);
        r.class_id = static_cast<std::int16_t>(i % 100 + 1);
        r.start_number = static_cast<std::uint16_t>(i % 29999 + 1);
        r.start_time = 3600000 + (i % 300) * 6000;
        r.card_number = 1000000 + i;
        r.marked = i % 2;
    }
}

void BM_ExtractsAllClubs(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    ExtractOptions o;
    o.selection = kExtractAllClubs;
    o.card_numbers = o.print_fee = true;
    for (auto _ : state) {
        RecordingPageDevice dev;
        draw_extracts(dev, c, o, extract_groups(c, o), false);
        benchmark::DoNotOptimize(dev.doc.pages.size());
    }
}
BENCHMARK(BM_ExtractsAllClubs)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_MandateProtocol(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(mandate_protocol_html(c, false));
}
BENCHMARK(BM_MandateProtocol)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_OverviewLists(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(club_list_html(c));
        benchmark::DoNotOptimize(class_list_html(c));
        benchmark::DoNotOptimize(course_list_html(c));
    }
}
BENCHMARK(BM_OverviewLists)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_StartGrid(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(build_start_grid(c, false));
}
BENCHMARK(BM_StartGrid)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
