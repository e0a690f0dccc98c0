// The finish list at race size: a full 20,000-line finish text file read and written, the
// rebuild from 5,000 card readouts, and one split sheet composed (the card reader prints one
// per card while the next card waits).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/time_text.h"
#include "punch/finish_list.h"
#include "punch/split_sheet.h"

using namespace skarvel;

namespace {

std::unique_ptr<Competition> race(int runners, int lines) {
    auto c = std::make_unique<Competition>();
    for (int i = 1; i <= runners; ++i) {
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->id = i;
        r->start_number = static_cast<std::uint16_t>(i);
        r->card_number = 100000 + i;
        r->class_id = 1;
    }
    c->rebuild_number_index();
    for (int i = 0; i < lines; ++i) {
        FinishLine* l = c->tables.finish_lines[c->new_record(kFinishLines)];
        l->start_number = static_cast<std::int16_t>(1 + i % runners);
        l->set_time(3600000 + i * 37);
    }
    return c;
}

void BM_FinishTextExport20000(benchmark::State& state) {
    auto c = race(5000, 20000);
    for (auto _ : state) benchmark::DoNotOptimize(finish_text(*c));
}
BENCHMARK(BM_FinishTextExport20000)->Unit(benchmark::kMillisecond);

void BM_FinishTextImport20000(benchmark::State& state) {
    std::string text = finish_text(*race(5000, 20000));
    for (auto _ : state) {
        state.PauseTiming();
        auto c = race(5000, 0);
        state.ResumeTiming();
        import_finish_text(*c, text, true);
        remove_duplicate_finish_lines(*c);
    }
}
BENCHMARK(BM_FinishTextImport20000)->Unit(benchmark::kMillisecond);

void BM_RebuildFrom5000Readouts(benchmark::State& state) {
    auto c = race(5000, 0);
    for (int i = 1; i <= 5000; ++i) {
        CardReadout* rd = c->tables.card_readouts[c->new_record(kCardReadouts)];
        rd->card_number = 100000 + i;
        rd->start.time = 3600000;
        rd->finish.time = 3600000 + i * 100;
    }
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh finish list each time (clearing would fill the deleted-lines store).
        for (int i = c->tables.finish_lines.live_count() - 1; i >= 0; --i)
            c->tables.finish_lines.slot(i).reset();
        state.ResumeTiming();
        rebuild_finish_from_readouts(*c, RebuildOptions{1, 1, false}, PunchCheck{});
    }
}
BENCHMARK(BM_RebuildFrom5000Readouts)->Unit(benchmark::kMillisecond);

void BM_ComposeSplitSheet30Controls(benchmark::State& state) {
    auto c = race(1000, 0);
    Course* course = c->tables.courses[c->new_record(kCourses)];
    course->id = 1;
    ClassRecord* cls = c->tables.classes[c->new_record(kClasses)];
    cls->id = 1;
    cls->course_id = 1;
    CardReadout card;
    card.card_number = 100500;
    for (int k = 0; k < 30; ++k) {
        course->control_codes[k] = static_cast<std::uint8_t>(31 + k);
        course->control_values[k] = 400;
        card.punches[k].code = static_cast<std::uint8_t>(31 + k);
        card.punches[k].time = 3600000 + k * 30000;
    }
    card.punch_count = 30;
    c->info.check_mode = 1;
    c->info.print_speed = 1;
    Runner& r = *c->tables.runners[499];
    ScriptedPrompts prompts;
    for (auto _ : state) benchmark::DoNotOptimize(compose_split_sheet(*c, r, card, prompts));
}
BENCHMARK(BM_ComposeSplitSheet30Controls)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
