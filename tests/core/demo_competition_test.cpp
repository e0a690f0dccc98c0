#include "core/demo_competition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/wdb_file.h"

using namespace skarvel;

TEST(DemoCompetition, SameOptionsSameCompetitionAndSeedsDiffer) {
    Competition a, b, c;
    DemoOptions o;
    make_demo_competition(a, o);
    make_demo_competition(b, o);
    o.seed = 2;
    make_demo_competition(c, o);
    EXPECT_TRUE(encode_wdb(a) == encode_wdb(b));
    EXPECT_FALSE(encode_wdb(a) == encode_wdb(c));
    EXPECT_FALSE(a.modified);
}

TEST(DemoCompetition, RecordsAreConsistentWithTheirCourses) {
    Competition c;
    DemoOptions o;
    o.runners = 400;
    make_demo_competition(c, o);
    const RecordTables& t = c.tables;
    ASSERT_EQ(t.runners.live_count(), 400);
    EXPECT_GT(t.clubs.live_count(), 10);
    EXPECT_EQ(t.classes.live_count(), 20);
    EXPECT_EQ(t.courses.live_count(), 10);
    EXPECT_NE(field_text(c.info.title_lines[0]), "");

    std::set<int> cards, numbers;
    int statuses[kStatusCount] = {};
    for (int i = 0; i < t.runners.live_count(); ++i) {
        const Runner& r = *t.runners[i];
        EXPECT_EQ(r.id, i + 1);
        EXPECT_GT(field_text(r.name).size(), 5u);
        EXPECT_TRUE(cards.insert(r.card_number).second);
        EXPECT_TRUE(numbers.insert(r.start_number).second);
        ASSERT_NE(c.find_class_by_id(r.class_id), nullptr);
        ASSERT_NE(c.find_club_by_id(r.club_id), nullptr);
        EXPECT_GE(r.birth_year, 1940);
        EXPECT_LE(r.qualification, 10);
        EXPECT_GE(r.start_time, 11 * 360000);
        ++statuses[r.status];
    }
    // Some runners did not start, some gave up, some mispunched; most ran clean.
    EXPECT_GT(statuses[kStatusDidNotStart], 0);
    EXPECT_GT(statuses[kStatusDidNotFinish], 0);
    EXPECT_GT(statuses[kStatusWrongPunch], 0);
    EXPECT_GT(statuses[kStatusOk], 300);

    for (int i = 0; i < t.courses.live_count(); ++i) {
        const Course& k = *t.courses[i];
        ASSERT_GE(k.control_count, 5);
        ASSERT_LE(k.control_count, 30);
        std::set<int> codes(k.control_codes, k.control_codes + k.control_count);
        EXPECT_EQ(int(codes.size()), k.control_count);
        EXPECT_GE(*codes.begin(), 31);
        EXPECT_GT(k.length_m, 1000);
    }

    // Finish lines in time order, each naming a runner who finished.
    std::int32_t last = 0;
    for (int i = 0; i < t.finish_lines.live_count(); ++i) {
        const FinishLine& f = *t.finish_lines[i];
        EXPECT_GE(f.time(), last);
        last = f.time();
        const Runner* r = c.runner_by_number(f.start_number);
        ASSERT_NE(r, nullptr);
        EXPECT_NE(r->status, kStatusDidNotStart);
        EXPECT_NE(r->status, kStatusDidNotFinish);
        EXPECT_EQ(r->finish_time, f.time());
        if (r->status == kStatusOk) {
            EXPECT_EQ(r->result, f.time() - r->start_time);
        }
    }

    // Each card readout: the runner's card, punches in time order; a clean run punched the
    // course exactly, a mispunch did not.
    int mispunched_cards = 0;
    for (int i = 0; i < t.card_readouts.live_count(); ++i) {
        const CardReadout& card = *t.card_readouts[i];
        const Runner* r = nullptr;
        for (int j = 0; j < t.runners.live_count() && !r; ++j)
            if (t.runners[j]->card_number == card.card_number) r = t.runners[j];
        ASSERT_NE(r, nullptr);
        const Course& k = *c.find_course_by_id(c.find_class_by_id(r->class_id)->course_id);
        ASSERT_LE(card.punch_count, CardReadout::kMaxPunches);
        for (int j = 1; j < card.punch_count; ++j)
            EXPECT_GT(card.punches[j].time, card.punches[j - 1].time);
        if (card.punch_count > 0) {
            EXPECT_GT(card.punches[0].time, r->start_time);
        }
        bool exact = card.punch_count == k.control_count;
        for (int j = 0; exact && j < card.punch_count; ++j)
            exact = card.punches[j].code == k.control_codes[j];
        if (r->status == kStatusOk) {
            EXPECT_TRUE(exact);
            EXPECT_GT(card.finish.time, card.punches[card.punch_count - 1].time);
        }
        if (r->status == kStatusWrongPunch) {
            EXPECT_FALSE(exact);
            ++mispunched_cards;
        }
        if (r->status == kStatusDidNotFinish) {
            EXPECT_EQ(card.finish.time, 0);
        }
    }
    EXPECT_GT(mispunched_cards, 0);

    // The counters are up to date.
    int class_runners = 0;
    for (int i = 0; i < t.classes.live_count(); ++i) class_runners += t.classes[i]->runner_count;
    EXPECT_EQ(class_runners, 400);
}

TEST(DemoCompetition, FillsEveryTableToCapacity) {
    Competition c;
    make_demo_competition(c, DemoOptions::full_capacity());
    const RecordTables& t = c.tables;
    EXPECT_EQ(t.runners.live_count(), kRunnerCapacity);
    EXPECT_EQ(t.clubs.live_count(), kClubCapacity);
    EXPECT_EQ(t.classes.live_count(), kClassCapacity);
    EXPECT_EQ(t.courses.live_count(), kCourseCapacity);
    EXPECT_EQ(t.finish_lines.live_count(), kFinishLineCapacity);
    EXPECT_EQ(t.card_readouts.live_count(), kCardReadoutCapacity);
    std::vector<std::uint8_t> bytes = encode_wdb(c);
    EXPECT_GT(bytes.size(), 27'000'000u);
    EXPECT_EQ(bytes.size(), max_wdb_size());
    // Class and club names stay unique even when numbered.
    std::set<std::string_view> names;
    for (int i = 0; i < kClassCapacity; ++i) names.insert(field_text(t.classes[i]->name));
    EXPECT_EQ(names.size(), std::size_t(kClassCapacity));
}

TEST(DemoCompetition, CountsAreCutToCapacityAndZeroRunnersWork) {
    Competition c;
    DemoOptions o;
    o.runners = 0;
    make_demo_competition(c, o);
    EXPECT_EQ(c.tables.runners.live_count(), 0);
    EXPECT_EQ(c.tables.finish_lines.live_count(), 0);
    o.runners = 50;
    o.finish_lines = 100000;
    o.card_readouts = 10;
    make_demo_competition(c, o);
    EXPECT_EQ(c.tables.finish_lines.live_count(), kFinishLineCapacity);
    EXPECT_EQ(c.tables.card_readouts.live_count(), 10);
}
