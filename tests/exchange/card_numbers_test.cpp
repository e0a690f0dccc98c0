// Card numbers and card contents through files.
#include "exchange/card_numbers.h"

#include <gtest/gtest.h>

#include "tests/punch/punch_fixture.h"

namespace skarvel::test {
namespace {

TEST(CardNumberFiles, ListsServeTheRentingRunnersInOrderAndSayWhenTheyRunOut) {
    PunchFixture f;
    Runner& a = f.runner(1, 1, 11, 1);
    Runner& own = f.runner(2, 2, 22, 1);
    own.fee_flags |= Runner::kFeeOwnCard;
    Runner& b = f.runner(3, 3, 33, 1);
    CardListOutcome out = assign_card_numbers(f.c, "501\r\n502 rest\r\n", false);
    EXPECT_EQ(out.numbers_read, 2);
    EXPECT_FALSE(out.ran_out);
    EXPECT_EQ(a.card_number, 501);
    EXPECT_EQ(own.card_number, 22);  // own card kept, no line used
    EXPECT_EQ(b.card_number, 502);

    out = assign_card_numbers(f.c, "601\n602", true);
    EXPECT_TRUE(out.ran_out);
    EXPECT_EQ(out.numbers_read, 2);
    EXPECT_EQ(own.card_number, 602);
    EXPECT_FALSE(own.fee_flags & Runner::kFeeOwnCard);  // now a rented card
    EXPECT_EQ(b.card_number, 502);

    EXPECT_EQ(number_card_pairs(f.c), "1 601\r\n2 602\r\n3 502\r\n");
    // As "%d %d" reads: a tab from a spreadsheet, signs (no card is negative), anything after.
    PairsOutcome pairs = import_number_card(f.c, "1\t701 rest\n+3+703\n30000 9\n2\nx y\n2 -5\n");
    EXPECT_EQ(pairs.assigned, 2);
    EXPECT_EQ(pairs.skipped, 4);
    EXPECT_EQ(a.card_number, 701);
    EXPECT_EQ(b.card_number, 703);
    own.fee_flags |= Runner::kFeeOwnCard;
    EXPECT_EQ(clear_card_numbers(f.c, false), 2);
    EXPECT_EQ(own.card_number, 602);
}

TEST(CardNumberFiles, StationCsvMakesAReadoutPerBlockOfACard) {
    PunchFixture f;
    Runner& r = f.runner(1, 7, 5, 1);
    CardContentOutcome out = import_station_csv(f.c,
                                                "Card;Time;Control\n"
                                                "5;10:00:00;S\n"
                                                "5;10:10:00;31\n"
                                                "5;10:20:00;F\n"
                                                "7;10:30:00;32\n"
                                                "no separator\n"
                                                "5;11:00:00;33");
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(out.readouts, 3);
    EXPECT_EQ(out.lines_skipped, 2);
    EXPECT_EQ(out.unknown_cards, std::vector<std::int32_t>{7});
    EXPECT_EQ(out.finish_lines, 2);
    const CardReadout& first = *f.c.tables.card_readouts[0];
    EXPECT_EQ(first.start.time, hms(10, 0, 0));
    EXPECT_EQ(first.finish.time, hms(10, 20, 0));
    ASSERT_EQ(first.punch_count, 1);
    EXPECT_EQ(first.punches[0].code, 31);
    EXPECT_EQ(f.c.tables.card_readouts[2]->punches[0].code, 33);
    EXPECT_EQ(f.c.tables.finish_lines[0]->start_number, 7);
    EXPECT_EQ(f.c.tables.finish_lines[0]->time(), hms(10, 20, 0));
    EXPECT_EQ(r.start_time, hms(10, 0, 0));
}

// The readouts of before get their owners' lines too, once: a line at the readout's finish
// time is never made twice (a second lap), nor one without a finish time.
TEST(CardNumberFiles, StationCsvGivesEarlierReadoutsTheirLineOnce) {
    PunchFixture f;
    f.runner(1, 7, 5, 1);
    f.runner(2, 8, 6, 1);
    f.runner(3, 9, 4, 1);
    auto readout = [&](int card, std::int32_t finish) {
        CardReadout& r = *f.c.tables.card_readouts[f.c.new_record(kCardReadouts)];
        r.card_number = card;
        r.finish.time = finish;
        r.start.time = hms(9, 0, 0);
    };
    readout(5, hms(10, 0, 0));  // its line is there (the station made it)
    readout(6, hms(10, 5, 0));  // read from a card without a line: gets one
    readout(4, 0);              // no finish: none
    FinishLine& held = *f.c.tables.finish_lines[f.c.new_record(kFinishLines)];
    held.start_number = 7;
    held.set_time(hms(10, 0, 0));
    const std::string file = "4;10:30:00;F\n";
    CardContentOutcome out = import_station_csv(f.c, file);
    EXPECT_EQ(out.finish_lines, 2);
    EXPECT_EQ(out.readouts, 1);
    EXPECT_EQ(f.c.tables.finish_lines[1]->start_number, 8);
    EXPECT_EQ(f.c.tables.finish_lines[1]->time(), hms(10, 5, 0));
    EXPECT_EQ(f.c.tables.finish_lines[2]->start_number, 9);
    EXPECT_EQ(f.c.tables.finish_lines[2]->time(), hms(10, 30, 0));
    EXPECT_EQ(f.c.runner_by_number(8)->start_time, hms(9, 0, 0));
    // The same file again: another readout, no line.
    out = import_station_csv(f.c, file);
    EXPECT_EQ(out.finish_lines, 0);
    EXPECT_EQ(f.c.tables.finish_lines.live_count(), 3);
    EXPECT_EQ(f.c.tables.card_readouts.live_count(), 5);
}

TEST(CardNumberFiles, VpConfigLinesAndFilesThatDoNotFit) {
    PunchFixture f;
    std::string line = "1;x;4321";
    for (int field = 3; field < 24; ++field) line += ";";
    line += ";10:00:00;;;10:40:00;3;31;Mo;10:10:00;32;Mo;10:20:00";  // 3 announced, 2 given
    CardContentOutcome out = import_vpconfig(f.c, "header\n" + line + "\n2;short\n");
    EXPECT_EQ(out.readouts, 1);
    EXPECT_EQ(out.lines_skipped, 1);
    const CardReadout& r = *f.c.tables.card_readouts[0];
    EXPECT_EQ(r.card_number, 4321);
    EXPECT_EQ(r.start.time, hms(10, 0, 0));
    EXPECT_EQ(r.finish.time, hms(10, 40, 0));
    EXPECT_EQ(r.punch_count, 2);
    EXPECT_EQ(r.punches[1].time, hms(10, 20, 0));

    Competition& c = f.c;
    while (c.new_record(kCardReadouts) != kNoSlot) {
    }
    const int before = c.tables.card_readouts.live_count();
    out = import_station_csv(c, "9;10:00:00;31\n");
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(out.full_table, kCardReadouts);
    EXPECT_EQ(c.tables.card_readouts.live_count(), before);
}

}  // namespace
}  // namespace skarvel::test
