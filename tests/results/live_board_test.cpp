#include "results/live_board.h"

#include <gtest/gtest.h>

#include "core/finish_results.h"
#include "core/time_text.h"
#include "fixture.h"

namespace skarvel {
namespace {

using test::cp;
using test::Fixture;
using test::T;
using test::u8;

struct BoardFixture : Fixture {
    BoardFixture() {
        add_class(1, "М21").set_marked(true);
        add_class(2, "Ж21");  // not marked: not on the board
        add_runner(1, "Финишировал", 1, 0, T(10, 0, 0), T(10, 40, 0));
        add_runner(2, "Бежит", 1, 0, T(10, 10, 0));
        add_runner(3, "Не стартовал ещё", 1, 0, T(11, 0, 0));
        add_runner(4, "Снят", 1, 0, T(10, 0, 0), T(10, 20, 0), kStatusWrongPunch);
        add_runner(5, "Н/старт", 1, 0, T(10, 0, 0), T(10, 1, 0), kStatusDidNotStart);
        add_runner(6, "Быстрее", 1, 0, T(10, 5, 0), T(10, 35, 0));
        add_runner(7, "Другая группа", 2, 0, T(10, 0, 0), T(10, 30, 0));
        set_field_text(c.info.status_short_texts[1], cp("снят"));
        finish_data_changed(c);
    }
    std::vector<int> numbers(std::int32_t now) {
        std::vector<int> v;
        for (const auto& cls : live_board(c, now))
            for (const auto& e : cls.entries) v.push_back(e.runner->start_number);
        return v;
    }
};

TEST(LiveBoard, FinishedRunnersOnlyByDefault) {
    BoardFixture f;
    EXPECT_EQ(f.numbers(T(10, 50, 0)), (std::vector<int>{6, 1, 4}));
}

TEST(LiveBoard, RunnersWithoutFinishAndNegativeTimesByToggle) {
    BoardFixture f;
    f.c.info.board_without_finish = 1;
    // At 10:50 runner 2 has run 40:00 (after runner 1 by start time? no: equal time, later start)
    // and runner 3 has not started (negative time, left out).
    EXPECT_EQ(f.numbers(T(10, 50, 0)), (std::vector<int>{6, 1, 2, 4}));
    f.c.info.board_negative_times = 1;
    EXPECT_EQ(f.numbers(T(10, 50, 0)), (std::vector<int>{3, 6, 1, 2, 4}));
    auto board = live_board(f.c, T(10, 50, 0));
    ASSERT_EQ(board.size(), 1u);
    const auto& e = board[0].entries;
    EXPECT_EQ(e[0].running_time, -T(0, 10, 0));
    EXPECT_EQ(e[3].running_time, T(0, 40, 0));
    EXPECT_FALSE(e[3].finished);
    EXPECT_EQ(e[4].running_time, kDay + 4);
    // Places only for finished runners without status.
    EXPECT_EQ(e[1].place, 1);
    EXPECT_EQ(e[2].place, 2);
    EXPECT_EQ(e[3].place, 0);
    // The stored results are those of the finish list, not the board's clock.
    EXPECT_EQ(f.c.runner_by_number(2)->result, 0);
    auto rows = live_board_rows(f.c, board);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_TRUE(rows[0].heading);
    EXPECT_EQ(u8(rows[0].text), "М21");
    EXPECT_EQ(u8(rows[1].text), "       3 Не стартовал ещё       -00:10:00");
    EXPECT_EQ(u8(rows[2].text), "  1    6 Быстрее                00:30:00");
    EXPECT_EQ(u8(rows[4].text), "       2 Бежит                  00:40:00 *");
    EXPECT_EQ(u8(rows[5].text), "       4 Снят                   снят");
}

TEST(LiveBoard, ColumnsOf450Pixels) {
    EXPECT_EQ(live_board_columns(1230), 2);
    EXPECT_EQ(live_board_columns(1229), 1);
    EXPECT_EQ(live_board_columns(200), 1);
    EXPECT_EQ(live_board_columns(330 + 4 * 450), 4);
}

TEST(LiveBoard, NoMarkedClassNoBoard) {
    BoardFixture f;
    f.c.tables.classes[0]->set_marked(false);
    EXPECT_TRUE(live_board(f.c, T(12, 0, 0)).empty());
}

TEST(LiveBoard, BuildingTheBoardChangesNothingSaved) {
    BoardFixture f;
    f.c.tables.runners[0]->result = 12345;  // not what the finish list says
    live_board(f.c, T(10, 50, 0));
    EXPECT_EQ(f.c.tables.runners[0]->result, 12345);
}

TEST(LiveBoard, AHandicapStartRanksByTheFinishClock) {
    // Delayed starts: who crosses the line first is ahead, whatever his running time.
    Fixture f;
    f.c.info.competition_kind = kKindHandicap;
    f.add_class(1, "М21").set_marked(true);
    f.add_runner(1, "Ранний старт", 1, 0, T(10, 0, 0), T(10, 50, 0));    // 50:00, crosses 2nd
    f.add_runner(2, "Поздний старт", 1, 0, T(10, 15, 0), T(10, 55, 0));  // 40:00, crosses 3rd
    f.add_runner(3, "Первый", 1, 0, T(10, 5, 0), T(10, 48, 0));          // 43:00, crosses 1st
    f.add_runner(4, "Тоже второй", 1, 0, T(10, 10, 0), T(10, 50, 0));    // 40:00, with runner 1
    finish_data_changed(f.c);
    auto board = live_board(f.c, T(11, 0, 0));
    ASSERT_EQ(board.size(), 1u);
    std::vector<std::pair<int, int>> got;  // number, place
    for (const auto& e : board[0].entries) got.emplace_back(e.runner->start_number, e.place);
    EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{3, 1}, {1, 2}, {4, 2}, {2, 4}}));
}

}  // namespace
}  // namespace skarvel
