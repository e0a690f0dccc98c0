#include "app/view_logic.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/finish_results.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "results/live_board.h"
#include "tests/core/competition_fixture.h"

namespace skarvel {
namespace {

using namespace literals;
using namespace skarvel::testing;
namespace v = skarvel::view;

std::string S(std::string_view s) {
    return std::string(s);
}

struct ViewLogic : ::testing::Test {
    std::unique_ptr<Competition> owner = std::make_unique<Competition>();
    Competition& c = *owner;
    v::RowContext ctx;

    std::vector<std::string> texts(int table, int slot) {
        v::prepare_paint(c, table, ctx);
        std::vector<std::string> out;
        for (auto& cell : v::row_cells(c, table, slot, ctx)) out.push_back(cell.text);
        return out;
    }
    v::Occupied occ(int table) {
        return [this, table](int s) { return slot_occupied(c, table, s); };
    }
};

// ---- cells ----

TEST_F(ViewLogic, RunnerRowFormatsEveryColumn) {
    add_class(c, "М21"_cp1251, 1);
    add_club(c, "Лидер"_cp1251, 2);
    Runner& r = add_runner(c, "Иванов Олег"_cp1251, 12, 1, 2, 2000026);
    r.qualification = 7;  // КМС
    r.birth_year = 1998;
    r.start_time = 11 * kCentisPerHour;
    r.heat_or_leg = 3;
    r.out_of_competition = 1;
    r.individual = 1;
    r.fee_flags = Runner::kFeeReduced | Runner::kFeeOwnCard;
    r.marked = 1;
    set_field_text(r.comment, "note");
    c.info.time_precision = 1;

    v::prepare_paint(c, kRunners, ctx);
    auto cells = v::row_cells(c, kRunners, 0, ctx);
    ASSERT_EQ(cells.size(), v::columns(kRunners).size());
    EXPECT_EQ(cells[0].text, S("»"_cp1251));
    EXPECT_EQ(cells[1].text, "1");
    EXPECT_EQ(cells[2].text, S("Иванов Олег              "_cp1251));  // %-25.25s
    EXPECT_EQ(cells[3].text, S("КМС "_cp1251));
    EXPECT_EQ(cells[4].text, "1998");
    EXPECT_EQ(cells[5].text, S("М21       "_cp1251));
    EXPECT_EQ(cells[6].text, S("Лидер               "_cp1251));
    EXPECT_EQ(cells[7].text, "12");
    EXPECT_EQ(cells[8].text, "11:00:00,0");
    EXPECT_EQ(cells[9].text, S("3 в/к лично льгота"_cp1251));
    EXPECT_EQ(cells[10].text, "2000026");
    EXPECT_EQ(cells[10].background, v::CellBackground::kOwnCard);
    EXPECT_EQ(cells[11].text, "note");
}

TEST_F(ViewLogic, RunnerBlanksAndMissingReferences) {
    Runner& r = add_runner(c, "A"_cp1251);
    set_field_text(r.name, "Abcdefghijklmnopqrstuvwxyz0123");  // longer than 25: cut
    auto t = texts(kRunners, 0);
    EXPECT_EQ(t[0], " ");
    EXPECT_EQ(t[2], "Abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(t[4], "");  // birth year 0
    EXPECT_EQ(t[5], "");  // no such class
    EXPECT_EQ(t[6], "");  // no such club
    EXPECT_EQ(t[7], "");  // number 0
    EXPECT_EQ(t[9], "");
    EXPECT_EQ(t[10], "");
    EXPECT_TRUE(texts(kRunners, 1).empty());  // empty slot
}

TEST_F(ViewLogic, ClassRowShowsCourseOrBlanks) {
    Course& d = add_course(c, "Дистанция1234"_cp1251, 5);
    d.control_count = 12;
    d.length_m = 4500;
    d.climb_m = 120;
    ClassRecord& k = add_class(c, "Ж21"_cp1251, 1, 5);
    k.fee_rental_reduced = 1;
    k.fee_rental_normal = 2;
    k.fee_own_reduced = 3;
    k.fee_own_normal = 4;
    add_class(c, "Ж35"_cp1251, 2, 99);
    add_runner(c, "X", 1, 1);
    add_runner(c, "Y", 2, 1).marked = 1;
    add_line(c, 2, 100);

    auto t = texts(kClasses, 0);
    ASSERT_EQ(t.size(), 14u);
    EXPECT_EQ(t[2], S("Ж21"_cp1251));
    EXPECT_EQ(t[3], "1");
    EXPECT_EQ(t[4], "2");
    EXPECT_EQ(t[5], "3");
    EXPECT_EQ(t[6], "4");
    EXPECT_EQ(t[7], S("Дистанция1"_cp1251));  // %-10.10s
    EXPECT_EQ(t[8], "12");
    EXPECT_EQ(t[9], "4500");
    EXPECT_EQ(t[10], "120");
    EXPECT_EQ(t[11], "    2");
    EXPECT_EQ(t[12], "    1");
    EXPECT_EQ(t[13], "    1");

    auto missing = texts(kClasses, 1);
    for (int i = 7; i <= 10; ++i) EXPECT_EQ(missing[i], "") << i;
}

TEST_F(ViewLogic, CourseRowListsItsClasses) {
    add_course(c, "A", 5);
    add_class(c, "М21"_cp1251, 1, 5);
    add_class(c, "М35"_cp1251, 2, 6);
    add_class(c, "Ж21"_cp1251, 3, 5);
    auto t = texts(kCourses, 0);
    ASSERT_EQ(t.size(), 10u);
    EXPECT_EQ(t[2], "A         ");
    EXPECT_EQ(t[9], S("М21 Ж21"_cp1251));
}

TEST_F(ViewLogic, ClubRowCounters) {
    add_club(c, "Kedr", 3);
    add_runner(c, "A", 1, 0, 3);
    add_runner(c, "B", 2, 0, 3).marked = 1;
    auto t = texts(kClubs, 0);
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[4], "    2");
    EXPECT_EQ(t[5], "    1");
    EXPECT_EQ(t[6], "    0");
}

TEST_F(ViewLogic, FinishRowPlacesStatusesAndTimeBehind) {
    add_class(c, "M21", 1);
    add_club(c, "Kedr", 1);
    Runner& a = add_runner(c, "Alpha", 1, 1, 1);
    Runner& b = add_runner(c, "Bravo", 2, 1, 1);
    Runner& o = add_runner(c, "Oscar", 3, 1, 1);
    Runner& d = add_runner(c, "Delta", 4, 1, 1);
    a.start_time = b.start_time = o.start_time = d.start_time = 10 * kCentisPerHour;
    add_line(c, 1, 10 * kCentisPerHour + 30000);  // 5:00
    add_line(c, 2, 10 * kCentisPerHour + 33050);  // 5:30.5
    add_line(c, 3, 10 * kCentisPerHour + 20000);
    add_line(c, 4, 10 * kCentisPerHour + 40000);
    add_line(c, -2, 10 * kCentisPerHour);  // start station punch of runner 2
    add_line(c, 77, 10 * kCentisPerHour);  // nobody has 77
    FinishLine& empty_time = add_line(c, 1, 0);
    (void)empty_time;
    o.out_of_competition = 1;
    d.status = kStatusDidNotFinish;
    c.rebuild_number_index();
    finish_data_changed(c);

    auto la = texts(kFinishLines, 0);
    ASSERT_EQ(la.size(), 12u);
    EXPECT_EQ(la[0], "  0  0");
    EXPECT_EQ(la[2], "10:05:00");
    EXPECT_EQ(la[3], "   1");
    EXPECT_EQ(la[4], "Alpha                    ");
    EXPECT_EQ(la[7], "00:05:00");
    // Runner 1 has two lines (one without a time): grouped with the runners of count 2 only.
    EXPECT_EQ(la[8], "(2) 1/1");
    EXPECT_EQ(la[9], "  0:00");
    EXPECT_EQ(la[10], "M21       ");

    // Runners 2, 3 and 4 have one line each (a start-station line does not count).
    auto lb = texts(kFinishLines, 1);
    EXPECT_EQ(lb[7], "00:05:30");
    EXPECT_EQ(lb[8], "(1) 1/3");

    auto lo = texts(kFinishLines, 2);
    EXPECT_EQ(lo[8], S("(1) вк/3"_cp1251));
    EXPECT_EQ(lo[9], "  0:00");

    auto ld = texts(kFinishLines, 3);
    EXPECT_EQ(ld[7], S("СОШЕЛ   "_cp1251));
    EXPECT_EQ(ld[8], "(1)");
    EXPECT_EQ(ld[9], "");

    auto ls = texts(kFinishLines, 4);
    EXPECT_EQ(ls[3], "St    2");

    v::prepare_paint(c, kFinishLines, ctx);
    auto missing = v::row_cells(c, kFinishLines, 5, ctx);
    ASSERT_EQ(missing.size(), 5u);
    EXPECT_EQ(missing[4].text, S("-- нет в протоколе --"_cp1251));
    EXPECT_EQ(missing[4].background, v::CellBackground::kRed);

    auto lt = texts(kFinishLines, 6);
    EXPECT_EQ(lt[2], "");  // time 0 is blank
    EXPECT_EQ(lt[7], "");  // and so is the result
}

TEST_F(ViewLogic, FinishRowAnnouncedAndTypedNumber) {
    add_runner(c, "A", 5);
    FinishLine& f = add_line(c, 5, 100);
    f.set_counter(2);
    f.flags = FinishLine::kFlagSent | 0x05;
    auto t = texts(kFinishLines, 0);
    EXPECT_EQ(t[0], "  2  5+");
    ctx.entry = {true, 0, "12"};
    v::prepare_paint(c, kFinishLines, ctx);
    auto cells = v::row_cells(c, kFinishLines, 0, ctx);
    EXPECT_EQ(cells[3].text, "12");
    EXPECT_EQ(cells[3].background, v::CellBackground::kRed);
}

TEST_F(ViewLogic, RelayLegTimeAgainstSameLegModulo100) {
    c.info.relay = 1;
    add_class(c, "R", 1);
    add_runner(c, "Leg1", 101, 1);
    add_runner(c, "Leg2", 201, 1);
    add_runner(c, "Other", 102, 1);
    add_line(c, 101, 10 * kCentisPerHour);
    add_line(c, 102, 10 * kCentisPerHour + 500);
    add_line(c, 201, 10 * kCentisPerHour + 60000);
    finish_data_changed(c);
    auto t = texts(kFinishLines, 2);
    EXPECT_EQ(t[11], "00:10:00");
    EXPECT_EQ(texts(kFinishLines, 0)[11], "");
    c.info.check_mode = 4;
    c.runner_by_number(201)->penalty = 3;
    EXPECT_EQ(texts(kFinishLines, 2)[11], "3");
}

TEST_F(ViewLogic, AFinishBeforeTheStartShowsAnErrorAndNoPlace) {
    add_class(c, "M21", 1);
    add_runner(c, "Early", 1, 1).start_time = 10 * kCentisPerHour + 60000;  // 10:10
    add_runner(c, "Good", 2, 1).start_time = 10 * kCentisPerHour;
    add_line(c, 1, 10 * kCentisPerHour + 30000);  // 10:05, before the start
    add_line(c, 2, 10 * kCentisPerHour + 90000);
    finish_data_changed(c);
    auto e = texts(kFinishLines, 0);
    EXPECT_EQ(e[7], S("ОШИБКА  "_cp1251));
    EXPECT_EQ(e[8], "(1)");
    EXPECT_EQ(e[9], "");
    auto g = texts(kFinishLines, 1);
    EXPECT_EQ(g[7], "00:15:00");
    EXPECT_EQ(g[8], "(1) 1/2");  // the error is not ahead of it
    EXPECT_EQ(g[9], "  0:00");
    ctx.english = true;
    EXPECT_EQ(texts(kFinishLines, 0)[7], "ERROR   ");
}

// Drawing changes nothing that is saved, however stale the stored figures are: no counter,
// result or place is written by a paint of any table or of the live board.
TEST_F(ViewLogic, PaintingEveryTableLeavesTheSavedBytesAlone) {
    add_course(c, "D1", 1);
    add_class(c, "M21", 1, 1).set_marked(true);
    add_club(c, "Kedr", 1);
    add_runner(c, "A", 1, 1, 1).start_time = 10 * kCentisPerHour;
    add_runner(c, "B", 2, 1, 1, 77).start_time = 10 * kCentisPerHour;
    add_line(c, 1, 10 * kCentisPerHour + 30000);
    add_line(c, 2, 10 * kCentisPerHour + 40000);
    c.tables.card_readouts[c.new_record(kCardReadouts)]->card_number = 77;
    c.rebuild_number_index();  // the stored counters, results and places stay stale
    const std::vector<std::uint8_t> before = encode_wdb(c);
    for (int table = 0; table < v::kViewCount; ++table) {
        if (table == v::kResultsBoard) {
            live_board(c, 11 * kCentisPerHour);
            continue;
        }
        v::prepare_paint(c, table, ctx);
        for (int slot = 0; slot < 3; ++slot) v::row_cells(c, table, slot, ctx);
    }
    EXPECT_TRUE(encode_wdb(c) == before);
}

TEST_F(ViewLogic, CardReadoutRow) {
    add_runner(c, "Owner", 1, 0, 0, 555);
    int s = c.new_record(kCardReadouts);
    CardReadout& k = *c.tables.card_readouts[s];
    k.card_number = 555;
    k.start_number = 1;
    k.finish.time = 10 * kCentisPerHour + 1234;
    k.punch_count = 7;
    auto t = texts(kCardReadouts, 0);
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[1], "555");
    EXPECT_EQ(t[3], "");  // start time 0
    EXPECT_EQ(t[4], "10:00:12");
    EXPECT_EQ(t[5], "  7");
    EXPECT_EQ(t[6], "5");  // the card's family, from its number
    EXPECT_EQ(t[7], "Owner");
    for (auto [number, family] :
         {std::pair<int, const char*>{16711700, "6*"}, {8100000, "активный"}, {3000001, ""}}) {
        k.card_number = number;
        EXPECT_EQ(texts(kCardReadouts, 0)[6], utf8_to_cp1251(family)) << number;
    }
}

// ---- geometry and cursor ----

TEST(ViewGeometry, RowsAndClickMapping) {
    EXPECT_EQ(v::visible_rows(20 + 17 * 10), 10);
    EXPECT_EQ(v::visible_rows(20 + 17 * 10 + 16), 10);
    EXPECT_EQ(v::row_at(3, 10), -1);
    EXPECT_EQ(v::row_at(4, 10), 0);  // truncated toward zero
    EXPECT_EQ(v::row_at(19, 10), 0);
    EXPECT_EQ(v::row_at(36, 10), 0);
    EXPECT_EQ(v::row_at(37, 10), 1);
    EXPECT_EQ(v::row_at(20 + 17 * 10 - 1, 10), 9);
    EXPECT_EQ(v::row_at(20 + 17 * 10, 10), -1);
}

TEST_F(ViewLogic, DownReachesTheFirstEmptyRowAndNoFurther) {
    for (int i = 0; i < 5; ++i) add_runner(c, "R", i + 1);
    v::Position p{4, 0};
    p = v::move_down(p, kRunnerCapacity, 10, occ(kRunners));
    EXPECT_EQ(p.cursor, 5);
    p = v::move_down(p, kRunnerCapacity, 10, occ(kRunners));
    EXPECT_EQ(p.cursor, 5);
    p = v::move_up(v::move_up(p));
    EXPECT_EQ(p.cursor, 3);
}

TEST_F(ViewLogic, DownScrollsAtTheBottomAndUpAtTheTop) {
    for (int i = 0; i < 30; ++i) add_runner(c, "R", i + 1);
    v::Position p{9, 0};
    p = v::move_down(p, kRunnerCapacity, 10, occ(kRunners));
    EXPECT_EQ(p.cursor, 10);
    EXPECT_EQ(p.top, 1);
    p = {5, 5};
    p = v::move_up(p);
    EXPECT_EQ(p.cursor, 4);
    EXPECT_EQ(p.top, 4);
    EXPECT_EQ(v::move_up({0, 0}).cursor, 0);
}

TEST_F(ViewLogic, PageDownOnAShortTableLandsOnTheFirstEmptyRow) {
    for (int i = 0; i < 3; ++i) add_runner(c, "R", i + 1);
    v::Position p =
        v::page_down({0, 0}, kRunnerCapacity, 10, occ(kRunners), first_free_slot(c, kRunners));
    EXPECT_EQ(p.cursor, 3);
    EXPECT_EQ(p.top, 0);
}

TEST_F(ViewLogic, PageDownAndUpOnALongTable) {
    for (int i = 0; i < 50; ++i) add_runner(c, "R", i + 1);
    v::Position p = v::page_down({2, 0}, kRunnerCapacity, 10, occ(kRunners), 50);
    EXPECT_EQ(p.cursor, 12);
    EXPECT_EQ(p.top, 10);
    p = v::page_down({45, 40}, kRunnerCapacity, 10, occ(kRunners), 50);
    EXPECT_EQ(p.cursor, 50);  // slot 55 is empty: last row
    EXPECT_EQ(p.top, 41);
    p = v::page_up({12, 5}, 10);
    EXPECT_EQ(p.cursor, 2);
    EXPECT_EQ(p.top, 0);
}

TEST(ViewCursor, PageDownPastTheCapacityStopsAtTheLastSlot) {
    auto all = [](int) { return true; };
    v::Position p = v::page_down({95, 90}, 100, 10, all, -1);
    EXPECT_EQ(p.cursor, 99);
    EXPECT_EQ(p.top, 90);
    // A full table: Down stops at the last slot and Last row keeps the cursor.
    EXPECT_EQ(v::move_down({99, 90}, 100, 10, all).cursor, 99);
    EXPECT_EQ(v::last_row({40, 35}, 10, -1).cursor, 40);
}

TEST_F(ViewLogic, LastRowAndClick) {
    for (int i = 0; i < 25; ++i) add_runner(c, "R", i + 1);
    v::Position p = v::last_row({0, 0}, 10, first_free_slot(c, kRunners));
    EXPECT_EQ(p.cursor, 25);
    EXPECT_EQ(p.top, 16);
    p = v::click_row({0, 0}, 3, 10, occ(kRunners), 25);
    EXPECT_EQ(p.cursor, 3);
    // A click on an empty row goes to the first empty slot, scrolled into view.
    p = v::click_row({0, 20}, 8, 10, occ(kRunners), 25);
    EXPECT_EQ(p.cursor, 25);
    EXPECT_EQ(p.top, 20);
    EXPECT_EQ(v::click_row({4, 0}, -1, 10, occ(kRunners), 25).cursor, 4);
}

}  // namespace
}  // namespace skarvel
