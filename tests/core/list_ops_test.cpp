#include "core/list_ops.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/core/competition_fixture.h"

namespace skarvel {
namespace {

using namespace literals;
using namespace skarvel::testing;

struct ListOps : ::testing::Test {
    std::unique_ptr<Competition> owner = std::make_unique<Competition>();
    Competition& c = *owner;
};

// ---- marking ----

TEST_F(ListOps, MarkQuestionsPerTable) {
    EXPECT_EQ(mark_question(kRunners, MarkOp::kMarkAll),
              "Отметить ВСЕХ текущих участников?"_cp1251);
    EXPECT_EQ(mark_question(kClubs, MarkOp::kInvertAll),
              "Инвертировать отметку у ВСЕХ коллективов?"_cp1251);
    EXPECT_EQ(mark_question(kClasses, MarkOp::kUnmarkAll), "Снять отметку у ВСЕХ групп?"_cp1251);
    EXPECT_EQ(mark_question(kCourses, MarkOp::kMarkAll), "Отметить ВСЕ дистанции?"_cp1251);
    EXPECT_EQ(mark_question(kFinishLines, MarkOp::kMarkAll),
              "Отметить ВСЕХ участников, как объявленных?"_cp1251);
    EXPECT_TRUE(mark_question(kFinishLines, MarkOp::kInvertAll).empty());
    EXPECT_TRUE(mark_question(kCardReadouts, MarkOp::kMarkAll).empty());
}

TEST_F(ListOps, MarkAllStopsAtTheFirstEmptySlot) {
    add_runner(c, "A");
    add_runner(c, "B").marked = 1;
    // A runner set aside by a filter, behind an empty slot, is not touched.
    c.tables.runners.slot(100) = std::make_unique<Runner>();
    EXPECT_TRUE(apply_mark(c, kRunners, MarkOp::kInvertAll));
    EXPECT_EQ(c.tables.runners[0]->marked, 1);
    EXPECT_EQ(c.tables.runners[1]->marked, 0);
    EXPECT_EQ(c.tables.runners[100]->marked, 0);
    EXPECT_TRUE(c.modified);
    c.modified = false;
    EXPECT_TRUE(apply_mark(c, kRunners, MarkOp::kMarkAll));
    EXPECT_FALSE(apply_mark(c, kRunners, MarkOp::kMarkAll));  // nothing left to change
}

TEST_F(ListOps, FinishMarkingUsesTheSentBit) {
    add_line(c, 1, 100).flags = FinishLine::kFlagToggle;
    add_line(c, 2, 200);
    EXPECT_TRUE(apply_mark(c, kFinishLines, MarkOp::kMarkAll));
    EXPECT_EQ(c.tables.finish_lines[0]->flags, FinishLine::kFlagSent | FinishLine::kFlagToggle);
    EXPECT_TRUE(apply_mark(c, kFinishLines, MarkOp::kUnmarkAll));
    EXPECT_EQ(c.tables.finish_lines[0]->flags, FinishLine::kFlagToggle);
    EXPECT_TRUE(toggle_mark(c, kFinishLines, 1));
    EXPECT_TRUE(c.tables.finish_lines[1]->sent());
    EXPECT_FALSE(toggle_mark(c, kFinishLines, 2));  // empty row
    EXPECT_TRUE(toggle_finish_flag(c, 1));
    EXPECT_EQ(c.tables.finish_lines[1]->flags, FinishLine::kFlagSent | FinishLine::kFlagToggle);
    EXPECT_TRUE(toggle_finish_flag(c, 1));
    EXPECT_EQ(c.tables.finish_lines[1]->flags, FinishLine::kFlagSent);
}

TEST_F(ListOps, ClassMarkIsBitZero) {
    ClassRecord& k = add_class(c, "K", 1);
    k.set_ranks_allowed(true);
    EXPECT_TRUE(toggle_mark(c, kClasses, 0));
    EXPECT_EQ(k.flags, ClassRecord::kFlagMarked | ClassRecord::kFlagRanksAllowed);
    EXPECT_TRUE(apply_mark(c, kClasses, MarkOp::kInvertAll));
    EXPECT_EQ(k.flags, ClassRecord::kFlagRanksAllowed);
}

// ---- swap ----

TEST_F(ListOps, SwapTwoRunnersThenForget) {
    add_runner(c, "A", 1);
    add_runner(c, "B", 2);
    int swap_row = -1;
    EXPECT_FALSE(swap_press(c, swap_row, 0));
    EXPECT_EQ(swap_row, 0);
    EXPECT_TRUE(swap_press(c, swap_row, 1));
    EXPECT_EQ(swap_row, -1);
    EXPECT_EQ(c.tables.runners[0]->start_number, 2);
    EXPECT_EQ(c.tables.runners[1]->start_number, 1);
}

TEST_F(ListOps, SwapWithAnEmptyRowSwapsNothingAndForgets) {
    add_runner(c, "A", 1);
    int swap_row = -1;
    swap_press(c, swap_row, 0);
    EXPECT_FALSE(swap_press(c, swap_row, 1));
    EXPECT_EQ(swap_row, -1);
    EXPECT_EQ(c.tables.runners[0]->start_number, 1);
    EXPECT_EQ(c.tables.runners[1], nullptr);
}

// ---- sort ----

TEST_F(ListOps, SortNamesByUnsignedBytes) {
    add_runner(c, "Яковлев"_cp1251, 1);
    add_runner(c, "Zed", 2);
    add_runner(c, "Абрамов"_cp1251, 3);
    add_runner(c, "Ёжиков"_cp1251, 4);  // Ё is 0xA8, before А (0xC0)
    c.modified = false;
    sort_table(c, kRunners);
    EXPECT_EQ(c.tables.runners[0]->start_number, 2);
    EXPECT_EQ(c.tables.runners[1]->start_number, 4);
    EXPECT_EQ(c.tables.runners[2]->start_number, 3);
    EXPECT_EQ(c.tables.runners[3]->start_number, 1);
    EXPECT_FALSE(c.modified);
}

TEST_F(ListOps, SortFinishByTimeAndCardsByChosenKey) {
    FinishLine& a = add_line(c, 1, 500);
    a.set_counter(200);  // the high byte does not count
    add_line(c, 2, 300);
    sort_table(c, kFinishLines);
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 2);

    for (int i = 0; i < 3; ++i) {
        CardReadout& k = *c.tables.card_readouts[c.new_record(kCardReadouts)];
        k.card_number = 30 - i * 10;  // 30, 20, 10
        k.start_number = i + 1;       // 1, 2, 3
        k.start.time = (i == 1) ? 1 : 100;
        k.finish.time = 1000 - i;
    }
    sort_table(c, kCardReadouts, CardSortKey::kCardNumber);
    EXPECT_EQ(c.tables.card_readouts[0]->card_number, 10);
    sort_table(c, kCardReadouts, CardSortKey::kStartNumber);
    EXPECT_EQ(c.tables.card_readouts[0]->start_number, 1);
    sort_table(c, kCardReadouts, CardSortKey::kStartTime);
    EXPECT_EQ(c.tables.card_readouts[0]->start_number, 2);
    sort_table(c, kCardReadouts, CardSortKey::kFinishTime);
    EXPECT_EQ(c.tables.card_readouts[0]->start_number, 3);
}

// ---- filter ----

struct Filter : ListOps {
    void SetUp() override {
        add_course(c, "C1", 1);
        add_class(c, "M21", 1, 1);
        add_class(c, "W21", 2, 1);
        add_class(c, "Empty", 3, 2);
        add_club(c, "Kedr", 1);
        add_club(c, "Polus", 2);
        add_runner(c, "Delta", 4, 1, 2, 44).birth_year = 1990;
        add_runner(c, "Alpha", 2, 2, 1, 22).birth_year = 1980;
        Runner& charlie = add_runner(c, "Charlie", 1, 1, 1, 11);
        charlie.marked = 1;
        charlie.birth_year = 2000;
        Runner& bravo = add_runner(c, "Bravo", 3, 2, 2, 33);
        bravo.heat_or_leg = 2;
        bravo.birth_year = 1995;
    }
    int live() { return c.tables.runners.live_count(); }
    std::string name(int slot) { return std::string(field_text(c.tables.runners[slot]->name)); }
};

TEST_F(Filter, ClassWithoutRunnersLeavesOnlyEmptyRowsThenAnyBringsThemBack) {
    FilterSettings f;
    f.class_id = 3;
    EXPECT_EQ(apply_filter(c, f), 0);
    EXPECT_EQ(live(), 0);
    EXPECT_EQ(c.tables.runners.occupied_count(), 4);
    // The set-aside runners sit at the end of the table, the first failing one last.
    EXPECT_EQ(name(kRunnerCapacity - 1), "Delta");
    EXPECT_EQ(name(kRunnerCapacity - 4), "Bravo");
    EXPECT_EQ(c.info.filter_class_id, 3);

    EXPECT_EQ(apply_filter(c, FilterSettings{}), 4);
    EXPECT_EQ(live(), 4);
    EXPECT_EQ(name(0), "Alpha");
    EXPECT_EQ(name(3), "Delta");
    EXPECT_EQ(c.tables.runners[kRunnerCapacity - 1], nullptr);
}

TEST_F(Filter, EachCriterionAndSortKey) {
    FilterSettings f;
    f.class_id = 1;
    f.sort_key = 1;  // by number
    EXPECT_EQ(apply_filter(c, f), 2);
    EXPECT_EQ(name(0), "Charlie");
    EXPECT_EQ(name(1), "Delta");

    f = {};
    f.club_id = 2;
    f.sort_key = 3;  // by card
    EXPECT_EQ(apply_filter(c, f), 2);
    EXPECT_EQ(name(0), "Bravo");

    f = {};
    f.mark = 1;
    EXPECT_EQ(apply_filter(c, f), 1);
    EXPECT_EQ(name(0), "Charlie");
    f.mark = 2;
    EXPECT_EQ(apply_filter(c, f), 3);

    f = {};
    f.heat = 2;
    EXPECT_EQ(apply_filter(c, f), 1);
    EXPECT_EQ(name(0), "Bravo");

    f = {};
    f.course_id = 2;  // only the class "Empty" uses course 2
    EXPECT_EQ(apply_filter(c, f), 0);
    f.course_id = 1;
    f.sort_key = 4;  // birth year
    EXPECT_EQ(apply_filter(c, f), 4);
    EXPECT_EQ(name(0), "Alpha");
    EXPECT_EQ(name(1), "Delta");
    EXPECT_EQ(name(3), "Charlie");

    f = {};
    f.sort_key = 5;  // by the club's position in the clubs table
    apply_filter(c, f);
    EXPECT_EQ(c.tables.runners[0]->club_id, 1);
    EXPECT_EQ(c.tables.runners[3]->club_id, 2);
    EXPECT_EQ(live(), 4);
}

TEST_F(Filter, StartTimeSortBreaksTiesByNumber) {
    for (int i = 0; i < 4; ++i) c.tables.runners[i]->start_time = 100;
    c.tables.runners[0]->start_time = 50;  // Delta
    FilterSettings f;
    f.sort_key = 2;
    apply_filter(c, f);
    EXPECT_EQ(name(0), "Delta");
    EXPECT_EQ(name(1), "Charlie");
    EXPECT_EQ(name(2), "Alpha");
}

TEST(FilterFullTable, LosesNoRunner) {
    auto c = std::make_unique<Competition>();
    add_class(*c, "A", 1);
    for (int i = 0; i < kRunnerCapacity; ++i) {
        auto r = std::make_unique<Runner>();
        r->id = i + 1;
        r->class_id = static_cast<std::int16_t>(i % 2);
        c->tables.runners.slot(i) = std::move(r);
    }
    FilterSettings f;
    f.class_id = 1;
    EXPECT_EQ(apply_filter(*c, f), kRunnerCapacity / 2);
    EXPECT_EQ(c->tables.runners.occupied_count(), kRunnerCapacity);
    EXPECT_EQ(apply_filter(*c, FilterSettings{}), kRunnerCapacity);
}

TEST_F(Filter, NumberedFirstAndNotFinishedFirst) {
    c.tables.runners[0]->start_number = 0;  // Delta has no number
    add_line(c, 2, 100);                    // Alpha finished
    EXPECT_EQ(numbered_first(c), 3);
    EXPECT_EQ(name(0), "Charlie");
    EXPECT_EQ(name(1), "Alpha");
    EXPECT_EQ(name(2), "Bravo");
    EXPECT_EQ(name(kRunnerCapacity - 1), "Delta");

    EXPECT_EQ(not_finished_first(c), 2);
    EXPECT_EQ(name(0), "Charlie");
    EXPECT_EQ(name(1), "Bravo");
    EXPECT_EQ(c.tables.runners[2], nullptr);
    EXPECT_EQ(c.tables.runners.occupied_count(), 4);
}

// ---- find ----

TEST_F(ListOps, FindTwelveMatchesNameNumberOrCardWhicheverComesFirst) {
    add_runner(c, "Start", 1);
    add_runner(c, "By card", 2, 0, 0, 12);
    add_runner(c, "By number", 12);
    add_runner(c, "12 by name", 3);
    EXPECT_EQ(find_next(c, kRunners, 0, "12"), 1);
    EXPECT_EQ(find_next(c, kRunners, 1, "12"), 2);
    EXPECT_EQ(find_next(c, kRunners, 2, "12"), 3);
    EXPECT_EQ(find_next(c, kRunners, 3, "12"), -1);
    EXPECT_EQ(find_next(c, kRunners, -1, "By"), 1);
    EXPECT_EQ(find_next(c, kRunners, 0, "by"), -1);  // case-sensitive
    EXPECT_EQ(find_next(c, kRunners, 0, ""), -1);
}

TEST_F(ListOps, FindStopsAtTheFirstEmptySlot) {
    add_runner(c, "A", 1);
    c.tables.runners.slot(5) = std::make_unique<Runner>();
    set_field_text(c.tables.runners[5]->name, "Hidden");
    EXPECT_EQ(find_next(c, kRunners, -1, "Hidden"), -1);
}

TEST_F(ListOps, FindInFinishAndCardTables) {
    add_runner(c, "Ann", 7, 0, 0, 900);
    add_line(c, 3, 100);
    add_line(c, 7, 200);
    c.rebuild_number_index();
    EXPECT_EQ(find_next(c, kFinishLines, -1, "7"), 1);
    EXPECT_EQ(find_next(c, kFinishLines, -1, "900"), 1);
    EXPECT_EQ(find_next(c, kFinishLines, -1, "An"), 1);
    CardReadout& k = *c.tables.card_readouts[c.new_record(kCardReadouts)];
    k.card_number = 900;
    EXPECT_EQ(find_next(c, kCardReadouts, -1, "900"), 0);
    EXPECT_EQ(find_next(c, kCardReadouts, -1, "Ann"), -1);  // names are not searched
    EXPECT_EQ(
        find_failed_message(kRunners),
        "Поиск результатов не дал.\nПопробуйте начать поиск с первой позиции или измените фильтр"_cp1251);
    EXPECT_EQ(find_failed_message(kFinishLines),
              "Поиск результатов не дал.\nПопробуйте начать поиск с первой позиции"_cp1251);
}

}  // namespace
}  // namespace skarvel
