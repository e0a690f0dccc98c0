#include "start/start_ops.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/cp1251.h"
#include "core/time_text.h"

using namespace skarvel;
using namespace skarvel::literals;

namespace {

Runner& add_runner(Competition& c, int id, int number = 0, int club = 0) {
    int slot = c.new_record(kRunners);
    Runner& r = *c.tables.runners[slot];
    r.id = id;
    r.start_number = static_cast<std::uint16_t>(number);
    r.club_id = static_cast<std::int16_t>(club);
    return r;
}

// Moves the runner at `slot` to the last slot: a parked runner behind the gap.
Runner& park(Competition& c, int slot) {
    auto& t = c.tables.runners;
    int last = t.capacity() - 1;
    while (t[last]) --last;
    t.slot(last) = std::move(t.slot(slot));
    // Close the gap so the current runners stay compact.
    for (int i = slot + 1; i < t.capacity() && t[i]; ++i) t.swap_slots(i - 1, i);
    return *t[last];
}

std::vector<int> ids(const std::vector<Runner*>& v) {
    std::vector<int> out;
    for (const Runner* r : v) out.push_back(r->id);
    return out;
}

std::vector<int> numbers(const Competition& c) {
    std::vector<int> out;
    for (const Runner* r : current_runners(c)) out.push_back(r->start_number);
    return out;
}

}  // namespace

TEST(StartSets, CurrentStopsAtTheGapAllIncludesParked) {
    Competition c;
    for (int i = 1; i <= 4; ++i) add_runner(c, i);
    park(c, 1);
    EXPECT_EQ(ids(current_runners(c)), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(ids(all_runners(c)), (std::vector<int>{1, 3, 4, 2}));
}

// --- F4 -------------------------------------------------------------------------------

TEST(AssignNumbers, ConsecutiveNumbersAndTheNextProposal) {
    Competition c;
    ScriptedPrompts p;
    for (int i = 1; i <= 4; ++i) add_runner(c, i, 7);
    Runner& parked = park(c, 3);
    EXPECT_EQ(assign_numbers(c, {101, 1}, p), NumberingResult::Done);
    EXPECT_EQ(numbers(c), (std::vector<int>{101, 102, 103}));
    EXPECT_EQ(c.info.numbering_first, 104);
    EXPECT_EQ(c.info.numbering_step, 1);
    EXPECT_EQ(parked.start_number, 7);
    EXPECT_TRUE(c.modified);
    EXPECT_EQ(c.runner_by_number(102)->id, 2);  // index follows the new numbers
    EXPECT_TRUE(p.messages.empty());
}

// Finish lines follow start numbers: every renumbering says how many lines would move and
// asks; No changes nothing, and without lines on changing numbers nothing is asked.
TEST(Renumbering, FinishLinesThatWouldFollowAreCountedAndAsked) {
    struct Case {
        const char* name;
        std::function<bool(Competition&, Prompts&)> renumber;
        int lines;  // lines on numbers that change hands
    };
    const Case cases[] = {
        {"F4",
         [](Competition& c, Prompts& p) {
             return assign_numbers(c, {2, 1}, p) == NumberingResult::Done;
         },
         3},  // 1->2, 2->3, 3->4: lines of 1, 2 (twice) move
        {"one number",
         [](Competition& c, Prompts& p) {
             return change_start_number(c, {2, 9}, p);
         },
         2},
        {"number from the card",
         [](Competition& c, Prompts& p) { return card_number_to_start_number(c, p); }, 3},
        {"F4 to the same numbers",
         [](Competition& c, Prompts& p) {
             return assign_numbers(c, {1, 1}, p) == NumberingResult::Done;
         },
         0},
    };
    for (const Case& k : cases) {
        for (bool yes : {false, true}) {
            SCOPED_TRACE(std::string(k.name) + (yes ? " yes" : " no"));
            Competition c;
            for (int i = 1; i <= 3; ++i) add_runner(c, i, i).card_number = 5000 + i;
            c.rebuild_number_index();
            for (int n : {1, 2, 2, 77}) {
                FinishLine& line = *c.tables.finish_lines[c.new_record(kFinishLines)];
                line.start_number = static_cast<std::int16_t>(n);
                line.set_time(3600000);
            }
            ScriptedPrompts p;
            // The first answer is the question about the lines; later ones say no.
            p.yes_no_answers = {true, yes};
            if (k.lines == 0) p.yes_no_answers = {true};
            bool asked_first = k.name == std::string("number from the card");
            if (!asked_first) p.yes_no_answers.pop_front();
            bool done = k.renumber(c, p);
            std::vector<std::string> about_lines;
            for (const std::string& q : p.questions)
                if (q.find("Строк финиша"_cp1251) != std::string::npos) about_lines.push_back(q);
            if (k.lines == 0) {
                EXPECT_TRUE(about_lines.empty());
                EXPECT_TRUE(done);
                continue;
            }
            ASSERT_EQ(about_lines.size(), 1u);
            EXPECT_NE(about_lines[0].find(": " + std::to_string(k.lines) + "."), std::string::npos)
                << about_lines[0];
            EXPECT_EQ(done, yes);
            EXPECT_EQ(c.tables.runners[1]->start_number == 2, !yes);
        }
    }
}

TEST(AssignNumbers, StepZeroGivesEveryoneTheSameNumber) {
    Competition c;
    ScriptedPrompts p;
    for (int i = 1; i <= 3; ++i) add_runner(c, i);
    EXPECT_EQ(assign_numbers(c, {55, 0}, p), NumberingResult::Done);
    EXPECT_EQ(numbers(c), (std::vector<int>{55, 55, 55}));
    EXPECT_EQ(c.info.numbering_first, 55);
}

TEST(AssignNumbers, NegativeStepCountsDownInSixteenBits) {
    Competition c;
    ScriptedPrompts p;
    for (int i = 1; i <= 3; ++i) add_runner(c, i);
    EXPECT_EQ(assign_numbers(c, {3, -1}, p), NumberingResult::Done);
    EXPECT_EQ(numbers(c), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(c.info.numbering_step, 65535);
    EXPECT_EQ(c.info.numbering_first, 0);
}

TEST(AssignNumbers, SequenceLeavingTheUsableRangeIsRefused) {
    Competition c;
    ScriptedPrompts p;
    for (int i = 1; i <= 3; ++i) add_runner(c, i, 9);
    c.modified = false;
    // 29998, 29999, 30000: the third has no number_index entry.
    EXPECT_EQ(assign_numbers(c, {29998, 1}, p), NumberingResult::OutOfRange);
    EXPECT_EQ(numbers(c), (std::vector<int>{9, 9, 9}));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("30000"), std::string::npos);
    EXPECT_FALSE(c.modified);
    // The dialog proposes what was typed next time.
    EXPECT_EQ(c.info.numbering_first, 29998);
    // 2, 1, 0: wrapping below 1.
    EXPECT_EQ(assign_numbers(c, {2, -1}, p), NumberingResult::OutOfRange);
    EXPECT_EQ(numbers(c), (std::vector<int>{9, 9, 9}));
    // A large step that would wrap the 16-bit number round to a small one.
    EXPECT_EQ(assign_numbers(c, {1, 30000}, p), NumberingResult::OutOfRange);
    // 29997..29999 fits exactly.
    EXPECT_EQ(assign_numbers(c, {29997, 1}, p), NumberingResult::Done);
    EXPECT_EQ(numbers(c), (std::vector<int>{29997, 29998, 29999}));
}

TEST(AssignNumbers, ZeroWithStepZeroClearsNumbersButZeroStartIsRefused) {
    Competition c;
    ScriptedPrompts p;
    for (int i = 1; i <= 2; ++i) add_runner(c, i, 5);
    EXPECT_EQ(assign_numbers(c, {0, 0}, p), NumberingResult::Done);
    EXPECT_EQ(numbers(c), (std::vector<int>{0, 0}));
    EXPECT_EQ(assign_numbers(c, {0, 1}, p), NumberingResult::OutOfRange);
}

TEST(AssignNumbers, NoCurrentRunners) {
    Competition c;
    ScriptedPrompts p;
    EXPECT_EQ(assign_numbers(c, {1, 1}, p), NumberingResult::NoRunners);
}

// --- F5 -------------------------------------------------------------------------------

TEST(AssignStartTimes, GroupsOfTwo) {
    Competition c;
    for (int i = 1; i <= 6; ++i) add_runner(c, i);
    Runner& parked = park(c, 5);
    parked.start_time = 123;
    auto o = start_time_options_from_text("10:00:00", "00:01:00", 2);
    assign_start_times(c, o);
    std::vector<std::string> got;
    for (const Runner* r : current_runners(c)) got.push_back(format_time_text(r->start_time, 0));
    EXPECT_EQ(got, (std::vector<std::string>{"10:00:00", "10:00:00", "10:01:00", "10:01:00",
                                             "10:02:00"}));
    // The walk stopped inside the 10:02 group.
    EXPECT_EQ(c.info.start_time_first, parse_time_text("10:02:00"));
    EXPECT_EQ(c.info.start_time_step, 6000);
    EXPECT_EQ(parked.start_time, 123);
}

TEST(AssignStartTimes, StepTextsFollowTheTimeTextRules) {
    EXPECT_EQ(start_time_options_from_text("10:00", "1:00", 1).step, kCentisPerHour);
    EXPECT_EQ(start_time_options_from_text("10:00", "2", 1).step, 2 * kCentisPerMinute);
    Competition c;
    for (int i = 1; i <= 3; ++i) add_runner(c, i);
    assign_start_times(c, start_time_options_from_text("10:00:00", "2", 1));
    EXPECT_EQ(current_runners(c)[2]->start_time, parse_time_text("10:04:00"));
    EXPECT_EQ(c.info.start_time_first, parse_time_text("10:06:00"));
}

// --- the draw -------------------------------------------------------------------------

TEST(Draw, Rand15FromStateOne) {
    Rand15 r;
    std::vector<int> got;
    for (int i = 0; i < 6; ++i) got.push_back(r.next());
    EXPECT_EQ(got, (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724}));
}

TEST(Draw, SortsCurrentRunnersByTheirKeys) {
    Competition c;
    ScriptedPrompts p;
    Rand15 rand;
    for (int i = 1; i <= 6; ++i) add_runner(c, i);
    Runner& parked = park(c, 5);
    EXPECT_TRUE(draw_start_order(c, {0, false, false}, rand, p));
    // Keys 41, 18467, 6334, 26500, 19169 for runners 1..5.
    EXPECT_EQ(ids(current_runners(c)), (std::vector<int>{1, 3, 2, 5, 4}));
    EXPECT_EQ(current_runners(c)[1]->draw_key, 6334);
    EXPECT_EQ(parked.draw_key, 0);
    EXPECT_EQ(c.tables.runners[c.tables.runners.capacity() - 1], &parked);
    EXPECT_TRUE(c.modified);
    EXPECT_EQ(c.info.draw_by_club, 0);
}

TEST(Draw, ByHeatPutsHeatZeroFirst) {
    Competition c;
    ScriptedPrompts p;
    Rand15 rand;
    // Runners 1..6 alternate heats 1, 0.
    for (int i = 1; i <= 6; ++i) add_runner(c, i).heat_or_leg = i % 2;
    EXPECT_TRUE(draw_start_order(c, {0, true, false}, rand, p));
    // Keys: heat 0 runners 2 (18467), 4 (26500), 6 (15724); heat 1: 1 (41), 3 (6334), 5 (19169).
    EXPECT_EQ(ids(current_runners(c)), (std::vector<int>{6, 2, 4, 1, 3, 5}));
    EXPECT_EQ(current_runners(c)[3]->draw_key, 1000041);
    EXPECT_EQ(c.info.draw_by_heat, 1);
}

TEST(Draw, HugeHeatDoesNotOverflowTheOrder) {
    Competition c;
    ScriptedPrompts p;
    Rand15 rand;
    add_runner(c, 1).heat_or_leg = 5000;  // 5000 * 1000000 does not fit 32 bits
    add_runner(c, 2).heat_or_leg = 1;
    draw_start_order(c, {0, true, false}, rand, p);
    EXPECT_EQ(ids(current_runners(c)), (std::vector<int>{2, 1}));
}

TEST(Draw, ClubsKeptApartWherePossible) {
    Competition c;
    ScriptedPrompts p;
    Rand15 rand;
    // Clubs: 1 1 1 1 2 2 2 3 3 (four of club 1 among nine fits).
    int clubs[] = {1, 1, 1, 1, 2, 2, 2, 3, 3};
    for (int i = 0; i < 9; ++i) add_runner(c, i + 1, 0, clubs[i]);
    EXPECT_TRUE(draw_start_order(c, {0, false, true}, rand, p));
    auto v = current_runners(c);
    ASSERT_EQ(v.size(), 9u);
    for (std::size_t i = 1; i < v.size(); ++i) EXPECT_NE(v[i]->club_id, v[i - 1]->club_id) << i;
    EXPECT_TRUE(p.messages.empty());
}

TEST(Draw, OneClubOnlyKeepsTheRandomOrderAndSaysSo) {
    Competition c;
    ScriptedPrompts p;
    Rand15 rand;
    for (int i = 1; i <= 5; ++i) add_runner(c, i, 0, 4);
    EXPECT_FALSE(draw_start_order(c, {0, false, true}, rand, p));
    EXPECT_EQ(ids(current_runners(c)), (std::vector<int>{1, 3, 2, 5, 4}));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string("Не удалось расставить по командам!"_cp1251));
}

TEST(Draw, ClubPassesMoveExactlyAsDescribed) {
    std::vector<Runner> rs(5);
    auto seq = [&](std::initializer_list<int> clubs) {
        std::vector<Runner*> v;
        int i = 0;
        for (int club : clubs) {
            rs[i].id = i + 1;
            rs[i].club_id = static_cast<std::int16_t>(club);
            v.push_back(&rs[i++]);
        }
        return v;
    };
    // Forward: the second runner of club 1 swaps with the first of club 2 further down.
    auto v = seq({1, 1, 2, 2});
    EXPECT_TRUE(spread_clubs(v));
    EXPECT_EQ(ids(v), (std::vector<int>{1, 3, 2, 4}));
    // Backward: a pair at the very end is split by a runner fetched from further up.
    v = seq({1, 2, 3, 3});
    EXPECT_TRUE(spread_clubs(v));
    EXPECT_EQ(ids(v), (std::vector<int>{1, 3, 2, 4}));
    // Too many of one club: the passes leave neighbours and report it.
    v = seq({1, 1, 1, 2});
    EXPECT_FALSE(spread_clubs(v));
    // Runners without a club count as one club 0.
    v = seq({0, 0, 5});
    EXPECT_TRUE(spread_clubs(v));
    EXPECT_EQ(ids(v), (std::vector<int>{1, 3, 2}));
}

// --- shift and truncation -------------------------------------------------------------

TEST(ShiftAndTruncate, CurrentRunnersOnly) {
    Competition c;
    ScriptedPrompts p;
    add_runner(c, 1).start_time = parse_time_text("10:00:59,99");
    add_runner(c, 2).start_time = 100;
    add_runner(c, 3).start_time = 500;
    Runner& parked = park(c, 2);
    shift_start_times(c, {parse_time_text("00:05:00"), false});
    EXPECT_EQ(current_runners(c)[0]->start_time, parse_time_text("10:05:59,99"));
    shift_start_times(c, {parse_time_text("00:10:00"), true});  // no lower bound
    EXPECT_EQ(current_runners(c)[1]->start_time, 100 + 30000 - 60000);
    EXPECT_EQ(parked.start_time, 500);

    p.yes_no_answers = {false};
    EXPECT_FALSE(truncate_start_seconds(c, p));
    EXPECT_EQ(current_runners(c)[0]->start_time, parse_time_text("09:55:59,99"));
    p.yes_no_answers = {true};
    EXPECT_TRUE(truncate_start_seconds(c, p));
    EXPECT_EQ(current_runners(c)[0]->start_time, parse_time_text("09:55:00"));
    // Negative times are cut toward zero: -4:59 becomes -4:00.
    EXPECT_EQ(current_runners(c)[1]->start_time, -24000);
    EXPECT_EQ(parked.start_time, 500);
    EXPECT_EQ(p.questions.back(),
              std::string(
                  "Отбросить секунды и сотые в стартовом времени\nу текущих спортсменов ?"_cp1251));
}

// --- whole-table operations -----------------------------------------------------------

TEST(CopyResultToStart, ReachesParkedAndZeroesRunnersWithoutFinish) {
    Competition c;
    ScriptedPrompts p;
    Runner& a = add_runner(c, 1, 11);
    a.start_time = 1000;
    add_runner(c, 2, 12).start_time = 999;
    Runner& b = add_runner(c, 3, 13);
    b.start_time = 2000;
    b.status = kStatusDidNotFinish;
    Runner& parked = park(c, 0);
    auto line = [&](int n, int t) {
        FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
        l.start_number = static_cast<std::int16_t>(n);
        l.set_time(t);
    };
    line(11, 5000);
    line(13, 9000);
    p.yes_no_answers = {false};
    EXPECT_FALSE(copy_result_to_start(c, p));
    EXPECT_EQ(parked.start_time, 1000);
    p.yes_no_answers = {true};
    EXPECT_TRUE(copy_result_to_start(c, p));
    EXPECT_EQ(parked.start_time, 4000);
    EXPECT_EQ(c.runner_by_number(12)->start_time, 0);
    EXPECT_EQ(c.runner_by_number(13)->start_time, 7 * kDay + 13 * 100);
}

TEST(HeatByNumbers, InclusiveRangeOverAllRunners) {
    Competition c;
    for (int n : {4, 5, 6, 7, 8}) add_runner(c, n, n);
    Runner& parked = park(c, 1);  // number 5
    EXPECT_EQ(assign_heat_by_numbers(c, {5, 7, 3}), 3);
    EXPECT_EQ(parked.heat_or_leg, 3);
    std::vector<int> heats;
    for (const Runner* r : current_runners(c)) heats.push_back(r->heat_or_leg);
    EXPECT_EQ(heats, (std::vector<int>{0, 3, 3, 0}));
    EXPECT_TRUE(c.modified);
}

TEST(ChangeNumber, RenumbersParkedAndRefusesUnknown) {
    Competition c;
    ScriptedPrompts p;
    add_runner(c, 1, 10);
    Runner& r = add_runner(c, 2, 20);
    set_field_text(r.name, "Petrov");
    park(c, 1);
    EXPECT_EQ(runner_name_for_number(c, 20), "");  // index not built yet
    c.rebuild_number_index();
    EXPECT_EQ(runner_name_for_number(c, 20), "Petrov");
    EXPECT_EQ(runner_name_for_number(c, 0), "");
    EXPECT_EQ(runner_name_for_number(c, 40000), "");
    EXPECT_TRUE(change_start_number(c, {20, 10}, p));  // no check that 10 is free
    EXPECT_EQ(r.start_number, 10);
    EXPECT_EQ(c.runner_by_number(20), nullptr);
    c.modified = false;
    EXPECT_FALSE(change_start_number(c, {20, 30}, p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string("Участника с таким номером в базе данных нет!"_cp1251));
    EXPECT_FALSE(c.modified);
    EXPECT_FALSE(change_start_number(c, {0, 30}, p));
}

TEST(DuplicateCheck, ListsOnlyDoubledNumbersSortedAndParksTheRest) {
    Competition c;
    ScriptedPrompts p;
    int nums[] = {5, 3, 5, 0, 0, 3, 7};
    for (int i = 0; i < 7; ++i) add_runner(c, i + 1, nums[i]);
    park(c, 0);  // a parked runner is still counted
    c.modified = false;
    p.yes_no_answers = {true, true};
    EXPECT_TRUE(check_duplicate_numbers(c, p));
    EXPECT_EQ(ids(current_runners(c)), (std::vector<int>{2, 6, 3, 1}));
    EXPECT_EQ(numbers(c), (std::vector<int>{3, 3, 5, 5}));
    // Others, sorted by number, from the last slot backwards.
    const auto& t = c.tables.runners;
    int last = t.capacity() - 1;
    EXPECT_EQ(t[last]->id, 4);
    EXPECT_EQ(t[last - 1]->id, 5);
    EXPECT_EQ(t[last - 2]->id, 7);
    EXPECT_EQ(t[last - 3], nullptr);
    EXPECT_EQ(all_runners(c).size(), 7u);
    EXPECT_FALSE(c.modified);
}

TEST(DuplicateCheck, AnswersAndMessages) {
    Competition c;
    ScriptedPrompts p;
    add_runner(c, 1, 0);
    add_runner(c, 2, 0);
    add_runner(c, 3, 4);
    p.yes_no_answers = {false};
    EXPECT_FALSE(check_duplicate_numbers(c, p));
    EXPECT_TRUE(p.messages.empty());
    p.yes_no_answers = {true};
    EXPECT_FALSE(check_duplicate_numbers(c, p));  // zeros do not count
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string("Ошибок (парных номеров) нет"_cp1251));
    add_runner(c, 4, 4);
    p.yes_no_answers = {true, false};
    EXPECT_FALSE(check_duplicate_numbers(c, p));
    EXPECT_EQ(p.questions.back(), std::string("Есть парные номера, показать их список?"_cp1251));
    EXPECT_EQ(p.captions, (std::vector<std::string>{"Проверка"_cp1251, "Проверка"_cp1251,
                                                    "Проверка"_cp1251, "Ошибка"_cp1251}));
    EXPECT_EQ(ids(current_runners(c)), (std::vector<int>{1, 2, 3, 4}));
}

TEST(CardToNumber, FourThenThreeDigits) {
    Competition c;
    ScriptedPrompts p;
    add_runner(c, 1, 1).card_number = 1234567;
    add_runner(c, 2, 2).card_number = -5;
    Runner& parked = add_runner(c, 3, 3);
    parked.card_number = 999;
    park(c, 2);
    p.yes_no_answers = {true, false};
    EXPECT_TRUE(card_number_to_start_number(c, p));
    EXPECT_EQ(numbers(c), (std::vector<int>{4567, 0}));
    EXPECT_EQ(parked.start_number, 3);
    p.yes_no_answers = {true, true};
    EXPECT_TRUE(card_number_to_start_number(c, p));
    EXPECT_EQ(numbers(c), (std::vector<int>{567, 0}));
    EXPECT_EQ(c.runner_by_number(567)->id, 1);
    EXPECT_EQ(p.captions.back(), std::string("ВНИМАНИЕ"_cp1251));
    EXPECT_TRUE(c.modified);
    p.yes_no_answers = {false};
    EXPECT_FALSE(card_number_to_start_number(c, p));
}

TEST(ApplyToMarked, ReachesParkedMarkedRunners) {
    Competition c;
    c.info.filter_class_id = 4;
    c.info.filter_club_id = 5;
    Runner& a = add_runner(c, 1);
    a.marked = 1;
    Runner& b = add_runner(c, 2);
    b.class_id = 9;
    Runner& d = add_runner(c, 3);
    d.marked = 1;
    d.club_id = 6;
    park(c, 2);
    EXPECT_EQ(apply_to_marked(c, {7, 0, 0x1FF, true}), 2);
    EXPECT_EQ(a.class_id, 7);
    EXPECT_EQ(d.class_id, 7);
    EXPECT_EQ(d.club_id, 6);  // 0 = do not change
    EXPECT_EQ(d.heat_or_leg, 0xFF);
    EXPECT_EQ(a.marked, 0);
    EXPECT_EQ(b.class_id, 9);
    EXPECT_EQ(b.heat_or_leg, 0);
    EXPECT_EQ(c.info.bulk_class_id, 7);
    EXPECT_EQ(c.info.bulk_clear_mark, 1);
    EXPECT_EQ(c.info.filter_class_id, 0);
    EXPECT_EQ(c.info.filter_club_id, 0);
    // Marks cleared: a second run changes nobody.
    EXPECT_EQ(apply_to_marked(c, {8, 0, 0, false}), 0);
}

TEST(FinishF4, CyclesTheStatus) {
    EXPECT_EQ(next_status_on_f4(0), 1);
    for (int s = 1; s <= 6; ++s) EXPECT_EQ(next_status_on_f4(s), 7);
    EXPECT_EQ(next_status_on_f4(7), 8);
    EXPECT_EQ(next_status_on_f4(8), 0);
    EXPECT_EQ(next_status_on_f4(9), 9);

    Competition c;
    Runner& r = add_runner(c, 1, 31);
    FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
    l.start_number = 31;
    FinishLine& orphan = *c.tables.finish_lines[c.new_record(kFinishLines)];
    orphan.start_number = 99;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(cycle_finish_status(c, 0));
        seen.push_back(r.status);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 7, 8, 0}));
    EXPECT_FALSE(cycle_finish_status(c, 1));
    EXPECT_FALSE(cycle_finish_status(c, 5));
}

namespace {
// The club passes written plainly, one shift at a time as described, on (club, id) pairs;
// used to check the faster version, which ends a pass early.
std::vector<int> reference_spread(std::vector<std::pair<int, int>> v) {
    const int n = static_cast<int>(v.size());
    for (int j = 1; j < n; ++j) {
        if (v[j].first != v[j - 1].first || j + 1 >= n) continue;
        for (int k = j + 1; k < n; ++k)
            if (v[k].first != v[j].first) {
                auto moved = v[k];
                for (int m = k; m > j; --m) v[m] = v[m - 1];
                v[j] = moved;
                break;
            }
    }
    for (int i = n - 2; i >= 0; --i) {
        if (v[i].first != v[i + 1].first) continue;
        for (int k = i; k >= 0; --k)
            if (v[k].first != v[i + 1].first) {
                auto moved = v[k];
                for (int m = k; m < i; ++m) v[m] = v[m + 1];
                v[i] = moved;
                break;
            }
    }
    std::vector<int> out;
    for (auto& p : v) out.push_back(p.second);
    return out;
}
}  // namespace

TEST(Draw, ClubPassesMatchThePlainDescriptionOnRandomOrders) {
    Rand15 rand;
    for (int round = 0; round < 3000; ++round) {
        const int n = 1 + rand.next() % 16;
        const int clubs = 1 + rand.next() % 4;
        std::vector<Runner> rs(n);
        std::vector<Runner*> order;
        std::vector<std::pair<int, int>> pairs;
        for (int i = 0; i < n; ++i) {
            rs[i].club_id = static_cast<std::int16_t>(rand.next() % clubs);
            rs[i].id = i;
            order.push_back(&rs[i]);
            pairs.push_back({rs[i].club_id, i});
        }
        const std::vector<int> expected = reference_spread(pairs);
        bool apart = spread_clubs(order);
        ASSERT_EQ(ids(order), expected) << "round " << round;
        bool neighbours = false;
        for (int i = 1; i < n; ++i) neighbours |= order[i]->club_id == order[i - 1]->club_id;
        EXPECT_EQ(apart, !neighbours);
    }
}
