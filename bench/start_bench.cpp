// The start operations on a full runner table: the draw with its club passes, and the start
// protocol's grouping and HTML text.
#include <benchmark/benchmark.h>

#include <string>

#include "core/prompts.h"
#include "start/start_list.h"
#include "start/start_ops.h"

using namespace skarvel;

namespace {

// `runners` runners spread over `clubs` clubs (one of them holding `big_share` percent) and
// 100 classes on 20 courses.
void fill(Competition& c, int runners, int clubs, int big_share) {
    for (int i = 0; i < 100; ++i) {
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = i + 1;
        k.course_id = static_cast<std::int16_t>(i % 20 + 1);
        set_field_text(k.name, "C" + std::to_string(i + 1));
    }
    for (int i = 0; i < 20; ++i) {
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = i + 1;
        set_field_text(k.name, "D" + std::to_string(i + 1));
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
        r.club_id = static_cast<std::int16_t>(i % 100 < big_share ? 1 : 1 + i % clubs);
        r.class_id = static_cast<std::int16_t>(i % 100 + 1);
        r.start_number = static_cast<std::uint16_t>(i % 29999 + 1);
        r.start_time = 3600000 + (i % 300) * 6000;
    }
}

void BM_DrawByClub(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)), 200, static_cast<int>(state.range(1)));
    ScriptedPrompts prompts;
    Rand15 rand;
    for (auto _ : state) draw_start_order(c, {0, true, true}, rand, prompts);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
// 30000 runners: clubs evenly spread, one club with 40 %, and one club only.
BENCHMARK(BM_DrawByClub)
    ->Args({3000, 0})
    ->Args({30000, 0})
    ->Args({30000, 40})
    ->Args({30000, 100})
    ->Unit(benchmark::kMillisecond);

void BM_StartListHtml(benchmark::State& state) {
    Competition c;
    fill(c, static_cast<int>(state.range(0)), 200, 0);
    StartListSettings s;
    s.selection = static_cast<int>(state.range(1));
    s.extended_html = true;
    s.print_card_numbers = true;
    for (auto _ : state) {
        auto groups = start_list_groups(c, s);
        benchmark::DoNotOptimize(start_list_html(c, s, groups));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StartListHtml)
    ->Args({3000, kAllClasses})
    ->Args({30000, kAllClasses})
    ->Args({30000, kAllCourses})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
