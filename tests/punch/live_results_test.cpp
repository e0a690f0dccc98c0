// The card reader brings results, places and the finish table's groups up to date for the one
// runner a card concerns (RunnerUpdate and the live indexes) instead of recomputing everything.
// Two identical races take the same cards: one only as the reader does, the other with the full
// recomputation after every card. After each card both must hold the same figures, through
// ties, statuses, runners out of competition, repeated numbers and cards, re-reads, every kind
// of competition and the reader's settings.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/finish_results.h"
#include "punch/readout.h"
#include "results/result_compute.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using test::hms;

struct Case {
    const char* name;
    int kind;
    bool relay;
    int check_mode;
    int start_source;
    int finish_source;
    bool limit_disqualify;
    bool append_on_reread;
    std::int32_t penalty_per_miss;
};

const Case kCases[] = {
    {"Course", kKindCourseOrder, false, kCheckCourse, kSourceStation, kSourceStation, true, false,
     0},
    {"CourseFromListStart", kKindCourseOrder, false, kCheckCourse, kSourceDatabase, kSourcePunch,
     false, true, 0},
    {"MarkedMinutes", kKindMarkedMinutes, false, kCheckThread, kSourceStation, kSourceStation,
     false, false, 5},
    {"Handicap", kKindHandicap, false, kCheckUniqueCount, kSourcePunch, kSourceStation, true, false,
     3},
    {"Relay", kKindCourseOrder, true, kCheckCourse, kSourceStation, kSourcePunch, false, false, 0},
    {"Unchecked", kKindCourseOrder, false, kCheckNone, kSourceStation, kSourceStation, false, true,
     0},
    {"Carousel", kKindCourseOrder, false, kCheckCarousel, kSourceStation, kSourceStation, false,
     false, 0},
};

// A race with the awkward cases: runners out of competition, with statuses, sharing a start
// number or a card, without a number; finish lines already there, prepared and empty ones.
void make_race(Competition& c, const Case& k, std::mt19937& rnd) {
    auto pick = [&rnd](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };
    for (int i = 0; i < 3; ++i) {
        Course& d = *c.tables.courses[c.new_record(kCourses)];
        d.id = i + 1;
        for (int j = 0; j < 5; ++j) d.control_codes[j] = static_cast<std::uint8_t>(31 + i + j);
        d.control_count = 5;
        d.time_limit_min = 50 + 5 * i;
    }
    for (int i = 0; i < 4; ++i) {
        ClassRecord& g = *c.tables.classes[c.new_record(kClasses)];
        g.id = i + 1;
        g.course_id = static_cast<std::int16_t>(i % 3 + 1);
    }
    for (int i = 0; i < 120; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        int number = k.relay ? 100 * (i % 3 + 1) + i / 3 : i + 1;
        if (i == 7) number = 0;   // no number
        if (i == 9) number = 12;  // the number of runner 12 again (he wins the index)
        r.start_number = static_cast<std::uint16_t>(number);
        r.card_number = i == 15 ? 5000 + 14 : 5000 + i;  // runner 15 carries runner 14's card
        r.class_id = static_cast<std::int16_t>(i % 5 == 4 ? 9 : i % 4 + 1);  // class 9: none
        r.start_time = hms(10, 0, 0) + 6000 * pick(20);
        r.out_of_competition = pick(8) == 0;
        if (pick(10) == 0) r.status = kStatusDidNotStart;
        if (pick(15) == 0) r.status = kStatusDidNotFinish;
        r.penalty = static_cast<std::uint16_t>(pick(3));
    }
    c.info.competition_kind = static_cast<std::uint8_t>(k.kind);
    c.info.relay = k.relay ? 1 : 0;
    c.rebuild_number_index();
    // Finish lines read before: some runners, some twice, a prepared line and an empty one.
    for (int i = 0; i < 30; ++i) {
        FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
        const Runner* r = c.tables.runners[pick(120)];
        l.start_number = static_cast<std::int16_t>(i == 20 ? 77 : r->start_number);
        l.set_time(i == 20 ? 0 : hms(10, 40, 0) + 100 * pick(600));
    }
    c.tables.finish_lines[c.new_record(kFinishLines)];  // an empty line after the last
    finish_data_changed(c);
}

// A card for runner slot i: clean or one control short, finish times on a coarse grid (ties),
// now and then without a finish punch or without punches.
CardReadout card_for(const Competition& c, int i, std::mt19937& rnd) {
    auto pick = [&rnd](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };
    const Runner& r = *c.tables.runners[i];
    CardReadout card;
    card.card_number = pick(25) == 0 ? 9999 : r.card_number;  // now and then nobody's card
    const int course = (r.class_id >= 1 && r.class_id <= 4) ? (r.class_id - 1) % 3 : 0;
    const bool short_one = pick(6) == 0;
    int n = 0;
    std::int32_t t = hms(10, 5, 0) + 6000 * pick(10);
    card.start.time = pick(12) == 0 ? 0 : t;
    if (pick(20) != 0)
        for (int j = 0; j < 5; ++j) {
            if (short_one && j == 2) continue;
            t += 6000 + 100 * pick(30);
            card.punches[n].code = static_cast<std::uint8_t>(31 + course + j);
            card.punches[n++].time = t;
        }
    card.punch_count = n;
    card.finish.time = pick(15) == 0 ? 0 : hms(10, 40, 0) + 500 * pick(120);
    return card;
}

// Everything derived from the finish data that the reader keeps up to date.
struct Figures {
    std::vector<std::int32_t> runner;  // finish, result, place per runner slot
    std::vector<std::int32_t> counts;
    std::vector<std::int32_t> groups;  // lap figures of every class and lap count
};

Figures figures_of(const Competition& c) {
    Figures f;
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (const Runner* r = c.tables.runners[i])
            f.runner.insert(f.runner.end(), {r->finish_time, r->result, r->place, r->status,
                                             r->penalty, r->start_time});
    f.counts = c.finish_count_by_number;
    for (int klass = 0; klass <= 9; ++klass)
        for (int laps = 1; laps <= 4; ++laps) {
            LapFigures g = lap_figures(c, klass, laps);
            f.groups.insert(f.groups.end(), {g.finishers, g.has_leader, g.leader,
                                             g.has_ranked_leader, g.ranked_leader});
        }
    return f;
}

class LiveResults : public ::testing::TestWithParam<Case> {};

TEST_P(LiveResults, EveryCardGivesWhatTheFullRecomputationGives) {
    const Case& k = GetParam();
    std::mt19937 rnd_a(17), rnd_b(17), cards(23);
    Competition a, b;
    make_race(a, k, rnd_a);
    make_race(b, k, rnd_b);
    PunchSettings s;
    s.check_mode = static_cast<std::uint8_t>(k.check_mode);
    s.start_source = static_cast<std::uint8_t>(k.start_source);
    s.finish_source = static_cast<std::uint8_t>(k.finish_source);
    s.limit_disqualify = k.limit_disqualify;
    s.append_on_reread = k.append_on_reread;
    s.penalty_per_miss = k.penalty_per_miss;
    s.warnings = 1;
    ReadoutState state_a, state_b;
    ScriptedPrompts prompts_a, prompts_b;
    // The finish table's groups are kept by the reader only once something has looked at them.
    lap_figures(a, 1, 1);
    lap_figures(b, 1, 1);
    const std::uint64_t place_builds = a.live.place_builds(), lap_builds = a.live.lap_builds();
    for (int n = 0; n < 200; ++n) {
        // Most runners once, some twice (a re-read), in a mixed order.
        const int slot = static_cast<int>(cards() % 120);
        std::mt19937 card_rnd(static_cast<unsigned>(n));
        const CardReadout card = card_for(a, slot, card_rnd);
        process_card(a, card, s, state_a, prompts_a, {});
        process_card(b, card, s, state_b, prompts_b, {});
        finish_data_changed(b);
        if (n == 120) {
            // Another hand changes a runner the way the editor does, and says so.
            a.tables.runners[3]->status = kStatusWrongPunch;
            b.tables.runners[3]->status = kStatusWrongPunch;
            finish_data_changed(a);
            finish_data_changed(b);
        }
        const Figures fa = figures_of(a), fb = figures_of(b);
        ASSERT_EQ(fa.runner, fb.runner) << "card " << n;
        ASSERT_EQ(fa.counts, fb.counts) << "card " << n;
        ASSERT_EQ(fa.groups, fb.groups) << "card " << n;
    }
    // Every card was an update of its runner: the places and groups were built anew only
    // after the other hand's change.
    EXPECT_EQ(a.live.place_builds() - place_builds, 1u);
    EXPECT_EQ(a.live.lap_builds() - lap_builds, 1u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, LiveResults, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The kept figures give what the display page counts directly from the finish lines.
TEST(LiveResultsLaps, AgreeWithTheFinishLineCounts) {
    std::mt19937 rnd(5);
    Competition c;
    make_race(c, kCases[0], rnd);
    for (int i = 0; i < 120; ++i) {
        const Runner* r = c.tables.runners[i];
        if (c.runner_by_number(r->start_number) != r) continue;
        const int laps = c.finish_count_by_number[r->start_number];
        const LapFigures g = lap_figures(c, r->class_id, laps);
        const SameLapsFigures direct = same_laps_figures(c, {r->start_number})[0];
        EXPECT_EQ(g.finishers, direct.finishers) << i;
        EXPECT_EQ(g.has_leader ? std::min(g.leader, r->result) : r->result, direct.leader) << i;
    }
}

// A runner added behind the indexes' back (no finish_data_changed) is seen by the next card.
TEST(LiveResultsStale, ARunnerAddedWithoutNoticeOwnsHisCard) {
    std::mt19937 rnd(9);
    Competition c;
    make_race(c, kCases[0], rnd);
    PunchSettings s;
    s.finish_source = kSourceStation;
    ReadoutState state;
    ScriptedPrompts prompts;
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.start_number = 500;
    r.card_number = 7777;
    r.class_id = 1;
    CardReadout card;
    card.card_number = 7777;
    card.finish.time = hms(11, 0, 0);
    const ReadoutOutcome out = process_card(c, card, s, state, prompts, {});
    EXPECT_EQ(out.owner, &r);
    EXPECT_EQ(r.finish_time, hms(11, 0, 0));
}

}  // namespace
}  // namespace skarvel
