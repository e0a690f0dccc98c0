// Marked-route penalties and the corrections of read cards.
#include "punch/card_corrections.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/punch/punch_fixture.h"

namespace skarvel::test {
namespace {

struct Timed {
    int code;
    std::int32_t time;
};

CardReadout& readout(Competition& c, std::int32_t card, const std::vector<Timed>& punches,
                     std::int32_t finish = 0) {
    CardReadout& r = *c.tables.card_readouts[c.new_record(kCardReadouts)];
    r.card_number = card;
    for (const Timed& p : punches) {
        r.punches[r.punch_count].code = static_cast<std::uint8_t>(p.code);
        r.punches[r.punch_count++].time = p.time;
    }
    r.finish.time = finish;
    return r;
}

TEST(CardCorrections, PenaltyFromCardsCountsPunchesApartAndLeavesSixtyWithoutACard) {
    PunchFixture f;
    Runner& read = f.runner(1, 1, 501, 1);
    Runner& unread = f.runner(2, 2, 502, 1);
    Runner& twice = f.runner(3, 3, 503, 1);
    readout(f.c, 501,
            {{99, hms(10, 0, 0)}, {31, hms(10, 0, 10)}, {99, hms(10, 0, 20)}, {99, hms(10, 1, 0)}});
    readout(f.c, 503, {{99, hms(11, 0, 0)}, {99, hms(11, 0, 30)}});  // exactly 30 s: once
    EXPECT_EQ(penalties_from_readouts(f.c, 99, 30), 2);
    EXPECT_EQ(read.penalty, 2);
    EXPECT_EQ(unread.penalty, 60);
    EXPECT_EQ(twice.penalty, 1);

    set_all_penalties(f.c, 0);
    EXPECT_EQ(read.penalty + unread.penalty + twice.penalty, 0);
    EXPECT_EQ(enter_penalty(f.c, 2, 7), PenaltyEntry::kSetNoFinishLine);
    EXPECT_EQ(unread.penalty, 7);
    EXPECT_EQ(enter_penalty(f.c, 9, 7), PenaltyEntry::kNoRunner);
}

TEST(CardCorrections, RemovingAControlMovesTheLaterPunchesUp) {
    PunchFixture f;
    CardReadout& a = readout(f.c, 1, {{31, 100}, {31, 200}, {32, 300}});
    CardReadout& b = readout(f.c, 2, {{33, 100}});
    EXPECT_EQ(remove_control_punches(f.c, 31), 2);
    EXPECT_EQ(a.punch_count, 1);
    EXPECT_EQ(a.punches[0].code, 32);
    EXPECT_EQ(a.punches[0].time, 300);
    EXPECT_EQ(a.punches[1].code, 0);
    EXPECT_EQ(a.punches[1].time, 0);
    EXPECT_EQ(b.punch_count, 1);
}

TEST(CardCorrections, ShiftingMovesOneControlAndUnrollsAgainstTheStart) {
    PunchFixture f;
    f.c.info.competition_start = hms(10, 0, 0);
    CardReadout& a = readout(f.c, 1, {{100, hms(10, 10, 0)}, {101, hms(10, 20, 0)}});
    // A punch moved before the competition's start is a time of the afternoon (12-hour card).
    CardReadout& b = readout(f.c, 2, {{100, hms(10, 0, 30)}, {101, hms(10, 5, 0)}}, hms(10, 30, 0));
    EXPECT_EQ(shift_control_times(f.c, 100, -6000), 2);
    EXPECT_EQ(a.punches[0].time, hms(10, 9, 0));
    EXPECT_EQ(a.punches[1].time, hms(10, 20, 0));
    EXPECT_EQ(a.finish.time, 0);  // no finish stays none
    EXPECT_EQ(b.punches[0].time, hms(21, 59, 30));
    EXPECT_EQ(b.finish.time, hms(10, 30, 0));
}

TEST(CardCorrections, TimeShiftsAreSignedTimes) {
    const struct {
        const char* text;
        std::optional<std::int32_t> shift;
    } cases[] = {
        {"-00:01:00", -6000},      {"00:01:00", 6000},   {"+1:30", 540000},
        {" -5 ", -30000},          {"", std::nullopt},   {"-", std::nullopt},
        {"1:2:3:4", std::nullopt}, {"ab", std::nullopt}, {"99999999999", std::nullopt},
    };
    for (const auto& k : cases) EXPECT_EQ(parse_time_shift(k.text), k.shift) << k.text;
}

}  // namespace
}  // namespace skarvel::test
