// Result protocol and split places at growing sizes. Run:
//   build/<dir>/bench/results_bench --benchmark_counters_tabular=true
// The protocol should grow linearly with the runners (30000 at most 12x the time of 3000), and
// split places of one class no worse than n log n (3000 runners at most 15x the time of 300).
#include <benchmark/benchmark.h>

#include <memory>

#include "results/result_protocol.h"

namespace skarvel {
namespace {

constexpr int kControls = 15;

// `runners` runners in `classes` classes on 20 courses of 15 controls; two of three runners
// have come to the finish (the finish table holds 20000 lines), each finisher with a card
// readout; one in fifty has a status, one in a hundred did not start.
std::unique_ptr<Competition> make_competition(int runners, int classes) {
    auto c = std::make_unique<Competition>();
    std::uint32_t seed = 12345;
    auto rnd = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
    };
    const int courses = std::min(20, classes);
    for (int k = 0; k < courses; ++k) {
        Course& course = *c->tables.courses[c->new_record(kCourses)];
        course.id = k + 1;
        set_field_text(course.name, "D" + std::to_string(k + 1));
        for (int j = 0; j < kControls; ++j)
            course.control_codes[j] = static_cast<std::uint8_t>(31 + (k + j * 7) % 150);
        course.control_count = kControls;
        course.length_m = 4000 + 100 * k;
    }
    for (int k = 0; k < classes; ++k) {
        ClassRecord& cls = *c->tables.classes[c->new_record(kClasses)];
        cls.id = k + 1;
        set_field_text(cls.name, "C" + std::to_string(k + 1));
        cls.course_id = static_cast<std::int16_t>(k % courses + 1);
        cls.set_ranks_allowed(true);
        cls.ms_award = 1;
        cls.kms_award = 3;
    }
    for (int k = 0; k < 200; ++k) {
        Club& club = *c->tables.clubs[c->new_record(kClubs)];
        club.id = k + 1;
        set_field_text(club.name, "Club " + std::to_string(k + 1));
    }
    int finishers = runners * 2 / 3;
    for (int i = 0; i < runners; ++i) {
        Runner& r = *c->tables.runners[c->new_record(kRunners)];
        r.id = i + 1;
        r.start_number = static_cast<std::uint16_t>(i + 1);
        set_field_text(r.name, "Runner " + std::to_string(i + 1));
        r.class_id = static_cast<std::int16_t>(i % classes + 1);
        r.club_id = static_cast<std::int16_t>(rnd(200) + 1);
        r.qualification = static_cast<std::uint8_t>(rnd(9));
        r.birth_year = static_cast<std::uint16_t>(1960 + rnd(50));
        r.card_number = 100000 + i;
        r.start_time = 36000 * 100 + (i % 500) * 6000;
        if (i % 50 == 7) r.status = kStatusWrongPunch;
        if (i % 100 == 13) r.status = kStatusDidNotStart;
        if (i >= finishers) continue;
        const Course& course = *c->tables.courses[(r.class_id - 1) % courses];
        std::int32_t t = r.start_time;
        CardReadout& card = *c->tables.card_readouts[c->new_record(kCardReadouts)];
        card.card_number = r.card_number;
        for (int j = 0; j < kControls; ++j) {
            t += 2000 + rnd(40000);
            card.punches[j].code = course.control_codes[j];
            card.punches[j].time = t;
        }
        card.punch_count = kControls;
        FinishLine& f = *c->tables.finish_lines[c->new_record(kFinishLines)];
        f.start_number = static_cast<std::int16_t>(r.start_number);
        f.set_time(t + 3000 + rnd(3000));
    }
    c->rebuild_number_index();
    CompetitionInfo& info = c->info;
    info.splits_mode = 1;
    info.print_control_codes = 1;
    info.split_places = 1;
    info.split_second_line = 1;
    info.print_ranks = 1;
    info.time_behind = 1;
    info.points_mode = 1;
    info.formula_a = 2000;
    info.formula_b = 1000;
    info.formula_c = 1;
    info.print_non_starters = 1;
    info.extended_html = 1;
    info.control_statistics = 1;
    return c;
}

// Holds the protocol's bytes without keeping them (the size is reported).
class CountingSink : public ByteSink {
  public:
    void write(std::string_view bytes) override { size += bytes.size(); }
    std::size_t size = 0;
};

void BM_ResultProtocolHtml(benchmark::State& state) {
    auto c = make_competition(static_cast<int>(state.range(0)), 100);
    ScriptedPrompts prompts;
    std::size_t bytes = 0;
    for (auto _ : state) {
        CountingSink sink;
        sink.write(result_protocol_head(c->info));
        ProtocolRun run = write_result_protocol(*c, {nullptr, &sink}, prompts, nullptr);
        benchmark::DoNotOptimize(run);
        bytes = sink.size;
    }
    state.counters["runners"] = static_cast<double>(state.range(0));
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ResultProtocolHtml)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

// One class of n finishers with 30 controls: the split tables, then the place of every leg and
// every cumulative time.
struct SplitClass {
    SplitTables tables;
    int n;
};

SplitClass make_split_class(int n) {
    SplitClass s{{}, n};
    s.tables.rows = n;
    s.tables.leg.assign(std::size_t(n) * kMaxSplitControls, 0);
    s.tables.cumulative.assign(std::size_t(n) * kMaxSplitControls, 0);
    std::uint32_t seed = 99;
    for (int i = 0; i < n; ++i) {
        std::int32_t total = 0;
        for (int k = 0; k < 30; ++k) {
            seed = seed * 1103515245u + 12345u;
            std::int32_t leg = 3000 + static_cast<std::int32_t>((seed >> 8) % 60000);
            total += leg;
            s.tables.leg[std::size_t(i) * kMaxSplitControls + k] = leg;
            s.tables.cumulative[std::size_t(i) * kMaxSplitControls + k] = total;
        }
    }
    return s;
}

void BM_SplitPlaces(benchmark::State& state) {
    SplitClass s = make_split_class(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SplitPlaces legs(s.tables, false, s.n), cums(s.tables, true, s.n);
        long sum = 0;
        for (int i = 0; i < s.n; ++i)
            for (int k = 0; k < 30; ++k) sum += legs.place(i, k) + cums.place(i, k);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["runners"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_SplitPlaces)->Arg(300)->Arg(3000)->Unit(benchmark::kMicrosecond);

// The direct count for comparison (quadratic).
void BM_SplitPlacesDirect(benchmark::State& state) {
    SplitClass s = make_split_class(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        long sum = 0;
        for (int i = 0; i < s.n; ++i)
            for (int k = 0; k < 30; ++k)
                sum += split_place(s.tables, false, i, k, s.n) +
                       split_place(s.tables, true, i, k, s.n);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["runners"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_SplitPlacesDirect)->Arg(300)->Arg(3000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace skarvel

BENCHMARK_MAIN();
