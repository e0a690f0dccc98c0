#include "results/result_compute.h"

#include <gtest/gtest.h>

#include <random>

#include "core/qualification.h"
#include "fixture.h"

namespace skarvel {
namespace {

using test::cp;
using test::Fixture;
using test::T;
using test::u8;

std::vector<int> numbers(const ResultList& l) {
    std::vector<int> v;
    for (auto* r : l.runners) v.push_back(r->start_number);
    return v;
}

std::vector<PlaceCell> places_of(const Competition& c, const ResultList& l) {
    PlaceCounter pc(c.info, l);
    std::vector<PlaceCell> v;
    for (auto* r : l.runners) v.push_back(pc.next(*r));
    return v;
}

std::vector<int> place_numbers(const Competition& c, const ResultList& l) {
    std::vector<int> v;
    for (auto p : places_of(c, l)) v.push_back(p.kind == PlaceCell::Place ? p.place : -int(p.kind));
    return v;
}

TEST(ResultOrder, PrecisionTieSortsByStartTimeButPlacesUseAllDigits) {
    Fixture f;
    auto& cls = f.add_class(1, "М21");
    f.add_runner(1, "Быстрый", 1, 0, T(10, 0, 0), T(10, 35, 12, 40));
    f.add_runner(2, "Ранний", 1, 0, T(9, 50, 0), T(10, 25, 12, 90));
    f.c.info.time_precision = 0;
    f.refresh();
    auto list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{2, 1}));  // equal seconds: earlier start first
    EXPECT_EQ(place_numbers(f.c, list), (std::vector<int>{1, 2}));

    // At hundredths the faster one leads.
    f.c.info.time_precision = 2;
    list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{1, 2}));
}

TEST(ResultOrder, EqualStoredResultsShareThePlace) {
    Fixture f;
    auto& cls = f.add_class(1, "Ж21");
    f.add_runner(1, "А", 1, 0, T(10, 0, 0), T(10, 35, 12, 40));
    f.add_runner(2, "Б", 1, 0, T(10, 1, 0), T(10, 36, 12, 40));
    f.add_runner(3, "В", 1, 0, T(10, 2, 0), T(10, 40, 0));
    f.add_runner(4, "Г", 1, 0, T(10, 3, 0), T(10, 42, 0));
    f.refresh();
    auto list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(place_numbers(f.c, list), (std::vector<int>{1, 1, 3, 4}));
}

TEST(ResultOrder, OutOfCompetitionAndIndividualTakeNoPlace) {
    Fixture f;
    auto& cls = f.add_class(1, "М21");
    f.add_runner(1, "А", 1, 0, 0, T(0, 30, 0));
    f.add_runner(2, "Б", 1, 0, 0, T(0, 31, 0));
    f.add_runner(3, "ВК", 1, 0, 0, T(0, 32, 0)).out_of_competition = 1;
    f.add_runner(4, "В", 1, 0, 0, T(0, 33, 0));
    f.add_runner(5, "Лично", 1, 0, 0, T(0, 34, 0)).individual = 1;
    f.add_runner(6, "Г", 1, 0, 0, T(0, 35, 0));
    f.add_runner(7, "Сошёл", 1, 0, 0, T(0, 20, 0), kStatusDidNotFinish);
    f.refresh();
    auto list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    // Without the "no points for individuals" flag the individual runner is ranked.
    EXPECT_EQ(place_numbers(f.c, list), (std::vector<int>{1, 2, -2, 3, 4, 5, 0}));
    f.c.info.no_points_individual = 1;
    EXPECT_EQ(place_numbers(f.c, list), (std::vector<int>{1, 2, -2, 3, -3, 4, 0}));
}

TEST(ResultOrder, StatusRunnersFollowByCodeThenNumber) {
    Fixture f;
    auto& cls = f.add_class(1, "М21");
    f.add_runner(9, "Н/ст", 1, 0, 0, T(0, 1, 0), kStatusDidNotStart);
    f.add_runner(3, "Снят", 1, 0, 0, T(0, 1, 0), kStatusWrongPunch);
    f.add_runner(2, "Снят2", 1, 0, 0, T(0, 1, 0), kStatusWrongPunch);
    f.add_runner(5, "Медленный", 1, 0, 0, T(5, 0, 0));
    f.add_runner(6, "Без финиша", 1, 0, 0);  // no finish line: not in the list
    f.refresh();
    auto list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{5, 2, 3, 9}));
}

TEST(ResultOrder, MoreLapsRankFirstWhenCounted) {
    Fixture f;
    auto& cls = f.add_class(1, "М21");
    f.add_runner(1, "Два круга", 1, 0, 0, T(0, 20, 0));
    f.add_finish(1, T(0, 40, 0));
    f.add_runner(2, "Три круга", 1, 0, 0, T(0, 20, 0));
    f.add_finish(2, T(0, 40, 0));
    f.add_finish(2, T(0, 59, 0));
    f.add_runner(3, "Два круга быстрее", 1, 0, 0, T(0, 19, 0));
    f.add_finish(3, T(0, 38, 0));
    f.refresh();
    f.c.info.count_laps = 1;
    auto list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(place_numbers(f.c, list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(finishers_with_same_laps(f.c, 1), 2);  // four lines of two-lap runners / 2
    EXPECT_EQ(finishers_with_same_laps(f.c, 2), 1);
    EXPECT_EQ(leader_result(f.c, 1), T(0, 38, 0));
    EXPECT_EQ(leader_result(f.c, 2), T(0, 59, 0));
    // The same figures in one walk, for several numbers at once (99: no runner).
    const std::vector<int> asked{1, 2, 3, 99};
    auto figures = same_laps_figures(f.c, asked);
    ASSERT_EQ(figures.size(), asked.size());
    for (std::size_t i = 0; i < asked.size(); ++i) {
        EXPECT_EQ(figures[i].finishers, finishers_with_same_laps(f.c, asked[i])) << asked[i];
        EXPECT_EQ(figures[i].leader, leader_result(f.c, asked[i])) << asked[i];
    }
    f.c.info.count_laps = 0;
    list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{3, 1, 2}));
}

TEST(ResultOrder, HandicapStartOrdersByClockFinish) {
    Fixture f;
    auto& cls = f.add_class(1, "М21");
    f.c.info.competition_kind = kKindHandicap;
    f.add_runner(1, "Позже стартовал", 1, 0, T(11, 0, 0), T(11, 50, 0));  // 50 min, finished later
    f.add_runner(2, "Раньше финишировал", 1, 0, T(10, 0, 0), T(11, 1, 0));  // 61 min
    f.add_runner(3, "Снят", 1, 0, T(10, 0, 0), T(10, 30, 0), kStatusWrongPunch);
    f.refresh();
    auto list = build_result_list(f.c, cls);
    EXPECT_EQ(numbers(list), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(list.winner_time, T(1, 1, 0));
}

TEST(ResultOrder, CourseListGathersTheClassesOfTheCourse) {
    Fixture f;
    auto& course = f.add_course(7, "Д1");
    f.add_class(1, "М21", 7);
    f.add_class(2, "М35", 7);
    f.add_class(3, "Ж21", 8);
    f.add_runner(1, "А", 1, 0, 0, T(0, 40, 0));
    f.add_runner(2, "Б", 2, 0, 0, T(0, 30, 0));
    f.add_runner(3, "В", 3, 0, 0, T(0, 20, 0));
    f.refresh();
    auto list = build_result_list(f.c, course);
    EXPECT_TRUE(list.by_course);
    EXPECT_EQ(numbers(list), (std::vector<int>{2, 1}));
}

TEST(WinnerTime, MeanOfTheFirstSixWhenAsked) {
    Fixture f;
    auto& cls = f.add_class(1, "М21");
    for (int i = 1; i <= 7; ++i) f.add_runner(i, "X", 1, 0, 0, T(0, 30 + i, 0));
    f.refresh();
    f.c.info.winner_from_six = 1;
    auto list = build_result_list(f.c, cls);
    EXPECT_EQ(list.winner_time, T(0, 33, 30));  // mean of 31..36 minutes
    EXPECT_EQ(time_behind_text(list.runners[0]->result, list.winner_time, 0), "-02:30");
    EXPECT_EQ(time_behind_text(list.runners[6]->result, list.winner_time, 0), "+03:30");
    f.c.info.winner_from_six = 0;
    list = build_result_list(f.c, cls);
    EXPECT_EQ(list.winner_time, T(0, 31, 0));
}

TEST(TimeBehind, DropsHoursButKeepsThemAsMinutes) {
    EXPECT_EQ(time_behind_text(T(0, 40, 5, 12), T(0, 35, 0), 0), "+05:05");
    EXPECT_EQ(time_behind_text(T(0, 40, 5, 12), T(0, 35, 0), 1), "+05:05,1");
    EXPECT_EQ(time_behind_text(T(0, 40, 5, 12), T(0, 35, 0), 2), "+05:05,12");
    EXPECT_EQ(time_behind_text(T(0, 35, 0), T(0, 35, 0), 0), "+00:00");
    EXPECT_EQ(time_behind_text(T(2, 0, 0), T(0, 55, 0), 0), "+65:00");
}

// A class of runners with qualifications `codes` (first the fastest), results 60, 61, ... min.
struct RankedClass : Fixture {
    explicit RankedClass(std::vector<int> codes, int statuses_at_end = 0) {
        add_class(1, "М21");
        int n = 1;
        for (int code : codes) {
            auto& r = add_runner(n, "X", 1, 0, 0, T(1, n - 1, 0));
            r.qualification = static_cast<std::uint8_t>(code);
            ++n;
        }
        for (int i = 0; i < statuses_at_end; ++i, ++n) add_runner(n, "S", 1, 0, 0, T(1, 0, 0), 1);
        c.info.print_ranks = 1;
        refresh();
    }
};

TEST(RankNorms, NotDeterminedBelowTenRunnersWithoutStatus) {
    RankedClass f(std::vector<int>(9, 8));
    auto list = build_result_list(f.c, *f.c.tables.classes[0]);
    EXPECT_FALSE(list.norms.determined);

    RankedClass g(std::vector<int>(9, 8), 3);  // 12 runners, 3 with a status
    list = build_result_list(g.c, *g.c.tables.classes[0]);
    EXPECT_EQ(list.runners.size(), 12u);
    EXPECT_FALSE(list.norms.determined);

    RankedClass h(std::vector<int>(10, 0));  // ten runners without rank: level 0
    list = build_result_list(h.c, *h.c.tables.classes[0]);
    EXPECT_EQ(list.norms.level, 0);
    EXPECT_FALSE(list.norms.determined);

    RankedClass k(std::vector<int>(10, 8));
    k.c.info.print_ranks = 0;  // not asked for
    list = build_result_list(k.c, *k.c.tables.classes[0]);
    EXPECT_FALSE(list.norms.determined);
}

TEST(RankNorms, TenMastersGiveTheTopRow) {
    RankedClass f(std::vector<int>(10, 8));
    auto list = build_result_list(f.c, *f.c.tables.classes[0]);
    ASSERT_TRUE(list.norms.determined);
    EXPECT_EQ(list.norms.level, 100000);
    EXPECT_EQ(list.norms.rank, (std::array<int, 3>{4, 4, 4}));
    EXPECT_EQ(list.norms.percent, (std::array<int, 3>{148, 148, 148}));
    EXPECT_EQ(list.norms.limit_s[0], 3600 * 148 / 100);  // winner 1:00:00
    EXPECT_EQ(u8(qualification_text(rank_for_time(list.norms, T(1, 28, 48)))), "I   ");
    EXPECT_EQ(rank_for_time(list.norms, T(1, 28, 49)), -1);
}

TEST(RankNorms, BestTenCountedInRankOrder) {
    // Twelve runners: the two КМС at the end still count before the Iю ones.
    std::vector<int> codes = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 7, 7};
    RankedClass f(codes);
    auto list = build_result_list(f.c, *f.c.tables.classes[0]);
    EXPECT_EQ(list.norms.level, 2 * 5000 + 8 * 300);  // 12400: row 13
    ASSERT_TRUE(list.norms.determined);
    EXPECT_EQ(list.norms.percent, (std::array<int, 3>{100, 118, 136}));
    EXPECT_EQ(list.norms.rank, (std::array<int, 3>{4, 5, 6}));
    // Limits from the winner's 60 minutes.
    EXPECT_EQ(list.norms.limit_s, (std::array<std::int32_t, 3>{3600, 4248, 4896}));
    EXPECT_EQ(rank_for_time(list.norms, T(1, 0, 0, 99)), 4);  // whole seconds compared
    EXPECT_EQ(rank_for_time(list.norms, T(1, 0, 1)), 5);
    EXPECT_EQ(rank_for_time(list.norms, T(1, 21, 36)), 6);
    EXPECT_EQ(rank_for_time(list.norms, T(1, 21, 37)), -1);
}

TEST(RankNorms, LevelBelowTheTableIsNotDetermined) {
    // Ten IIIю: level 1000 (row 30). Nine IIIю and one without: 900 (row 31). Below 700: none.
    RankedClass f(std::vector<int>(10, 3));
    EXPECT_TRUE(build_result_list(f.c, *f.c.tables.classes[0]).norms.determined);
    RankedClass g({3, 3, 3, 3, 3, 3, 0, 0, 0, 0});
    auto list = build_result_list(g.c, *g.c.tables.classes[0]);
    EXPECT_EQ(list.norms.level, 600);
    EXPECT_FALSE(list.norms.determined);
}

TEST(Ranks, ClassAwardsOverrideByPlace) {
    RankedClass f(std::vector<int>(12, 8));
    ClassRecord& cls = *f.c.tables.classes[0];
    cls.ms_award = 1;
    cls.kms_award = 3;
    auto list = build_result_list(f.c, cls);
    PlaceCounter pc(f.c.info, list);
    std::vector<RankCell::Kind> kinds;
    for (auto* r : list.runners) {
        pc.next(*r);
        kinds.push_back(runner_rank(list.norms, &cls, *r, pc.current()).kind);
    }
    EXPECT_EQ(kinds[0], RankCell::AwardMs);
    EXPECT_EQ(kinds[1], RankCell::AwardKms);
    EXPECT_EQ(kinds[2], RankCell::AwardKms);
    EXPECT_EQ(kinds[3], RankCell::Norm);
    // Course lists have no class of their own: no award.
    EXPECT_EQ(runner_rank(list.norms, nullptr, *list.runners[0], 1).kind, RankCell::Norm);
    // A runner with a status gets no rank at all.
    Runner s = *list.runners[0];
    s.status = 1;
    EXPECT_EQ(runner_rank(list.norms, &cls, s, 1).kind, RankCell::None);
}

TEST(Points, Formula) {
    Fixture f;
    auto& cls = f.add_class(1, "М21");
    f.add_runner(1, "W", 1, 0, 0, T(0, 30, 0));
    f.add_runner(2, "D", 1, 0, 0, T(1, 0, 0));
    f.add_runner(3, "S", 1, 0, 0, T(0, 10, 0), 1);
    f.refresh();
    auto& info = f.c.info;
    info.points_mode = 1;
    info.formula_a = 1000;
    info.formula_b = 1000;
    info.formula_c = 1;
    auto list = build_result_list(f.c, cls);
    PlaceCell p{PlaceCell::Place, 1};
    EXPECT_EQ(result_points(info, list, *list.runners[0], p, nullptr),
              "   1.0");  // 0 -> lower bound
    info.formula_a = 2000;
    EXPECT_EQ(result_points(info, list, *list.runners[0], p, nullptr), " 100.0");
    EXPECT_EQ(result_points(info, list, *list.runners[1], p, nullptr), "   1.0");
    EXPECT_EQ(result_points(info, list, *list.runners[2], {}, nullptr), "   0.0");
    info.formula_c = 0;  // read as 1
    EXPECT_EQ(result_points(info, list, *list.runners[0], p, nullptr), " 100.0");
    info.formula_a = 1500;
    info.formula_b = 500;
    info.formula_c = 1;  // 1500 - 500*T/Twin: double time gives 500
    EXPECT_EQ(result_points(info, list, *list.runners[1], p, nullptr), "  50.0");
    info.formula_b = 333;  // 1500 - 666 = 834
    EXPECT_EQ(result_points(info, list, *list.runners[1], p, nullptr), "  83.4");
}

TEST(Points, TableRepeatsItsLastLine) {
    auto table = parse_points_table("250\r\n200\r\n  170 points\r\n");
    ASSERT_EQ(table.size(), 30000u);
    EXPECT_EQ(table[0], 250);
    EXPECT_EQ(table[2], 170);
    EXPECT_EQ(table[3], 170);
    EXPECT_EQ(table[29999], 170);
    auto odd = parse_points_table("abc\n-15\n");
    EXPECT_EQ(odd[0], 0);
    EXPECT_EQ(odd[1], -15);
    EXPECT_EQ(parse_points_table("")[5], 0);

    CompetitionInfo info;
    info.points_mode = 2;
    ResultList list;
    Runner r;
    table = parse_points_table("250\n200\n170");
    EXPECT_EQ(result_points(info, list, r, {PlaceCell::Place, 4}, &table), "  17.0");
    EXPECT_EQ(result_points(info, list, r, {PlaceCell::Place, 1}, &table), "  25.0");
    EXPECT_EQ(result_points(info, list, r, {PlaceCell::OutOfCompetition, 0}, &table), "   0.0");
    EXPECT_EQ(result_points(info, list, r, {PlaceCell::NoPoints, 0}, &table), "   0.0");
    odd = parse_points_table("-15\n-5");
    EXPECT_EQ(result_points(info, list, r, {PlaceCell::Place, 1}, &odd), "  -1.5");
    EXPECT_EQ(result_points(info, list, r, {PlaceCell::Place, 2}, &odd), "  -0.5");
    std::vector<std::int32_t> tmp;
    EXPECT_FALSE(load_points_table("/nonexistent/ochki.txt", tmp));
}

TEST(Points, HostileTableFiles) {
    // Runaway digits saturate instead of overflowing.
    auto big = parse_points_table("99999999999999999999\n-99999999999999999999\n");
    EXPECT_EQ(big[0], 0x7FFFFFFF);
    EXPECT_EQ(big[1], -0x7FFFFFFF);
    // Only the first 99 characters of a line are read.
    auto long_line = parse_points_table(std::string(99, ' ') + "5\n7");
    EXPECT_EQ(long_line[0], 0);
    EXPECT_EQ(long_line[1], 7);
    // Binary junk and NUL bytes.
    std::string junk("\0\xff\x80 12\r\n\n+3x", 13);
    auto j = parse_points_table(junk);
    EXPECT_EQ(j[0], 0);
    EXPECT_EQ(j[1], 0);
    EXPECT_EQ(j[2], 3);
    EXPECT_EQ(j[29999], 3);
    // A file that never ends a line is not read to its end.
    std::vector<std::int32_t> endless;
    ASSERT_TRUE(load_points_table("/dev/zero", endless));
    EXPECT_EQ(endless.size(), std::size_t(kPointsTableSize));
    EXPECT_EQ(endless[0], 0);
    // More than 30000 lines: the rest is not read.
    std::string many;
    for (int i = 0; i < 30005; ++i) many += std::to_string(i) + "\n";
    auto m = parse_points_table(many);
    ASSERT_EQ(m.size(), 30000u);
    EXPECT_EQ(m[29999], 29999);
}

TEST(SingleRunner, RunnerPlaceAmongSameLaps) {
    Fixture f;
    f.add_class(1, "М21");
    f.add_runner(1, "A", 1, 0, 0, T(0, 30, 0));
    f.add_runner(2, "B", 1, 0, 0, T(0, 25, 0));
    f.add_runner(3, "VK", 1, 0, 0, T(0, 20, 0)).out_of_competition = 1;
    f.add_runner(4, "S", 1, 0, 0, T(0, 10, 0), 1);
    f.add_runner(5, "Tie", 1, 0, 0, T(0, 25, 0));
    f.c.count_finish_lines();
    EXPECT_EQ(runner_place(f.c, 1), 3);
    EXPECT_EQ(f.c.runner_by_number(1)->place, 3);
    EXPECT_EQ(runner_place(f.c, 2), 1);
    EXPECT_EQ(runner_place(f.c, 5), 1);
    EXPECT_EQ(runner_place(f.c, 99), 0);
    EXPECT_EQ(finishers_with_same_laps(f.c, 99), 0);
    f.c.runner_by_number(2)->place = 0;
    EXPECT_EQ(runner_places(f.c, {1, 2, 5, 99}), (std::vector<int>{3, 1, 1, 0}));
    EXPECT_EQ(f.c.runner_by_number(2)->place, 1);
}

TEST(SingleRunner, RelayPlaceCountsTheSameLegByClock) {
    Fixture f;
    f.c.info.relay = 1;
    f.add_class(1, "Эстафета");
    f.add_runner(105, "1-й этап", 1, 0, T(10, 0, 0), T(10, 20, 0));
    f.add_runner(205, "2-й этап", 1, 0, T(10, 20, 0), T(10, 50, 0));
    f.add_runner(206, "2-й этап раньше", 1, 0, T(10, 30, 0), T(10, 45, 0));
    f.add_runner(207, "2-й этап позже", 1, 0, T(10, 5, 0), T(10, 55, 0));
    f.add_runner(106, "1-й этап раньше", 1, 0, T(10, 0, 0), T(10, 10, 0));
    EXPECT_EQ(leg_of_number(205), 2);
    EXPECT_EQ(leg_of_number(1205), 1);
    EXPECT_EQ(leg_of_number(99), 0);
    EXPECT_EQ(runner_place(f.c, 205), 2);  // only 206 finished earlier on leg 2
    EXPECT_EQ(runner_place(f.c, 105), 2);
}

TEST(Splits, TablesFollowTheCourseThroughThePunches) {
    Fixture f;
    f.add_course(1, "Д1", {31, 32, 33});
    auto& cls = f.add_class(1, "М21", 1);
    f.add_runner(1, "A", 1, 0, T(10, 0, 0), T(10, 30, 0)).card_number = 501;
    f.add_runner(2, "B", 1, 0, T(10, 0, 0), T(10, 40, 0)).card_number = 502;
    f.add_runner(3, "C", 1, 0, T(10, 0, 0), T(10, 50, 0)).card_number = 503;
    f.add_card(501, {{31, T(10, 5, 0)}, {99, T(10, 6, 0)}, {32, T(10, 15, 0)}, {33, T(10, 25, 0)}});
    f.add_card(502, {{31, T(10, 4, 0)}, {33, T(10, 30, 0)}});  // misses 32: the walk stops
    f.add_card(503,
               {{32, T(10, 10, 0)}, {31, T(10, 20, 0)}, {32, T(10, 30, 0)}, {33, T(10, 40, 0)}});
    f.refresh();
    auto list = build_result_list(f.c, cls);
    ResultIndex index(f.c);
    auto t = compute_split_tables(f.c, index, list, false);
    EXPECT_EQ(t.leg_at(0, 0), T(0, 5, 0));
    EXPECT_EQ(t.leg_at(0, 1), T(0, 10, 0));
    EXPECT_EQ(t.cum_at(0, 2), T(0, 25, 0));
    EXPECT_EQ(t.leg_at(1, 0), T(0, 4, 0));
    EXPECT_EQ(t.leg_at(1, 1), 0);
    EXPECT_EQ(t.leg_at(1, 2), 0);
    EXPECT_EQ(t.leg_at(2, 0), T(0, 20, 0));  // the first 32 is passed over while looking for 31
    EXPECT_EQ(t.leg_at(2, 1), T(0, 10, 0));
    SplitPlaces legs(t, false, 3);
    EXPECT_EQ(legs.place(1, 0), 1);
    EXPECT_EQ(legs.place(0, 0), 2);
    EXPECT_EQ(legs.place(0, 1), 1);  // tie 10:00 with C
    EXPECT_EQ(legs.place(2, 1), 1);
    // Only the first m rows compete.
    SplitPlaces first_two(t, false, 2);
    EXPECT_EQ(first_two.place(2, 0), 3);
}

TEST(Splits, CourseByRunnerNumberInThatCheckMode) {
    Fixture f;
    f.add_course(1, "Д1", {31});
    f.add_course(2, "7", {40});
    auto& cls = f.add_class(1, "М21", 1);
    f.add_runner(7, "A", 1, 0, 0, T(0, 30, 0)).card_number = 9;
    f.add_runner(8, "B", 1, 0, 0, T(0, 31, 0)).card_number = 10;
    f.add_card(9, {{31, T(0, 5, 0)}, {40, T(0, 6, 0)}});
    f.add_card(10, {{31, T(0, 5, 0)}});
    f.refresh();
    f.c.info.check_mode = 2;
    auto list = build_result_list(f.c, cls);
    ResultIndex index(f.c);
    EXPECT_EQ(split_course(f.c, index, list, *list.runners[0]), f.c.tables.courses[1]);
    EXPECT_EQ(split_course(f.c, index, list, *list.runners[1]), nullptr);
    auto t = compute_split_tables(f.c, index, list, false);
    EXPECT_EQ(t.leg_at(0, 0), T(0, 6, 0));
    EXPECT_EQ(t.leg_at(1, 0), 0);
}

TEST(Splits, FastPlacesMatchTheDirectCount) {
    std::mt19937 rng(7);
    SplitTables t;
    t.rows = 200;
    t.leg.resize(200 * kMaxSplitControls);
    t.cumulative.resize(200 * kMaxSplitControls);
    for (auto& x : t.leg) x = rng() % 4 == 0 ? 0 : static_cast<std::int32_t>(rng() % 50) - 5;
    for (auto& x : t.cumulative) x = rng() % 5 == 0 ? 0 : static_cast<std::int32_t>(rng() % 1000);
    for (int m : {1, 37, 200}) {
        SplitPlaces legs(t, false, m), cums(t, true, m);
        for (int i = 0; i < 200; ++i)
            for (int k = 0; k < kMaxSplitControls; ++k) {
                ASSERT_EQ(legs.place(i, k), split_place(t, false, i, k, m)) << i << " " << k;
                ASSERT_EQ(cums.place(i, k), split_place(t, true, i, k, m)) << i << " " << k;
            }
    }
}

TEST(RankNormTable, RowsAreContiguousFromTopDown) {
    const auto& table = rank_norm_table();
    EXPECT_EQ(table.front().level_from, 100000);
    for (std::size_t i = 1; i < table.size(); ++i)
        EXPECT_EQ(table[i].level_to + 1, table[i - 1].level_from) << i;
    EXPECT_EQ(table.back().level_from, 700);
    EXPECT_EQ(qualification_points(8), 10000);
    EXPECT_EQ(qualification_points(3), 100);
    EXPECT_EQ(qualification_points(11), 0);
}

}  // namespace
}  // namespace skarvel
