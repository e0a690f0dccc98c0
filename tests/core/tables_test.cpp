#include <gtest/gtest.h>

#include "core/competition.h"
#include "core/cp1251.h"
#include "core/flat_index.h"
#include "core/qualification.h"
#include "core/rand15.h"

using namespace skarvel;

namespace {
Runner& add_runner(Competition& c, int id, int number = 0) {
    int slot = c.new_record(kRunners);
    Runner& r = *c.tables.runners[slot];
    r.id = id;
    r.start_number = static_cast<std::uint16_t>(number);
    return r;
}
FinishLine& add_line(Competition& c, int number, int time) {
    FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
    l.start_number = static_cast<std::int16_t>(number);
    l.set_time(time);
    return l;
}
}  // namespace

TEST(Tables, DeleteClosesTheGapAndIdsAreNotReused) {
    Competition c;
    add_runner(c, 1);
    add_runner(c, 2);
    add_runner(c, 3);
    Runner* second = c.tables.runners[1];
    Runner* third = c.tables.runners[2];
    ASSERT_TRUE(c.delete_record(kRunners, 0));
    EXPECT_EQ(c.tables.runners[0], second);
    EXPECT_EQ(c.tables.runners[1], third);
    EXPECT_EQ(c.tables.runners[2], nullptr);
    EXPECT_TRUE(c.modified);
    EXPECT_EQ(c.find_free_slot(kRunners), 2);
    // The deleted runner had id 1; the highest is 3, so the next is 4.
    EXPECT_EQ(c.next_record_id(kRunners), 4);
    ASSERT_TRUE(c.delete_record(kRunners, 1));  // id 3, the highest, now deleted
    EXPECT_EQ(c.next_record_id(kRunners), 4);
    EXPECT_EQ(c.undo_delete(kRunners), 1);
    EXPECT_EQ(c.tables.runners[1], third);
    EXPECT_FALSE(c.delete_record(kRunners, 5));
}

TEST(Tables, EmptyTableIdsStartAtOneAndFullTableRefuses) {
    Competition c;
    EXPECT_EQ(c.next_record_id(kClubs), 1);
    for (int i = 0; i < kClubCapacity; ++i) ASSERT_NE(c.new_record(kClubs), kNoSlot);
    EXPECT_EQ(c.new_record(kClubs), kNoSlot);
    EXPECT_EQ(c.find_free_slot(kClubs), kNoSlot);
}

TEST(Tables, DeletedTableFullStillReservesIds) {
    Competition c;
    for (int i = 0; i < kClassCapacity; ++i) {
        c.tables.classes[c.new_record(kClasses)]->id = i + 1;
        ASSERT_TRUE(c.delete_record(kClasses, 0));
    }
    // One more: the oldest deleted record is freed, its id still counts.
    c.tables.classes[c.new_record(kClasses)]->id = 20000;
    ASSERT_TRUE(c.delete_record(kClasses, 0));
    EXPECT_EQ(c.next_record_id(kClasses), 20001);
    // Oldest first: id 1 was freed, 2 is now the oldest kept; undo gives back the newest.
    EXPECT_EQ(c.tables.classes.deleted_count(), kClassCapacity);
    EXPECT_EQ(c.tables.classes.deleted(0)->id, 2);
    EXPECT_EQ(c.tables.classes.deleted(kClassCapacity - 1)->id, 20000);
    ASSERT_EQ(c.undo_delete(kClasses), 0);
    EXPECT_EQ(c.tables.classes[0]->id, 20000);
    ASSERT_EQ(c.undo_delete(kClasses), 1);
    EXPECT_EQ(c.tables.classes[1]->id, kClassCapacity);
}

TEST(Tables, NumberIndexTakesTheLaterSlot) {
    Competition c;
    add_runner(c, 1, 12);
    Runner& later = add_runner(c, 2, 12);
    c.rebuild_number_index();
    EXPECT_EQ(c.runner_by_number(12), &later);
    EXPECT_EQ(c.runner_by_number(0), nullptr);
    EXPECT_EQ(c.runner_by_number(30000), nullptr);
    EXPECT_EQ(c.runner_by_number(-5), nullptr);
}

TEST(Tables, RecomputeFinishResults) {
    Competition c;
    Runner& ok = add_runner(c, 1, 5);
    ok.start_time = 100000;
    Runner& dns = add_runner(c, 2, 12);
    dns.status = kStatusDidNotStart;
    Runner& none = add_runner(c, 3, 13);
    none.finish_time = 77;
    none.result = 55;
    c.rebuild_number_index();
    add_line(c, 5, 150000);
    add_line(c, 5, 160000);  // a later line overwrites
    add_line(c, 12, 123456);
    add_line(c, -5, 170000);  // start-station punch: ignored
    add_line(c, 13, 0);       // no time: ignored
    c.recompute_finish_results();
    EXPECT_EQ(ok.finish_time, 160000);
    EXPECT_EQ(ok.result, 60000);
    EXPECT_EQ(dns.result, 8 * 8640000 + 1200);
    EXPECT_EQ(none.finish_time, 0);
    EXPECT_EQ(none.result, 0);
    EXPECT_EQ(c.finish_count_by_number[5], 2);
    EXPECT_EQ(c.finish_count_by_number[13], 1);

    c.info.competition_kind = kKindMarkedMinutes;
    ok.penalty = 3;
    c.recompute_finish_results();
    EXPECT_EQ(ok.result, 60000 + 3 * 6000);
}

TEST(Tables, RecountFollowsIdsAndFinishLines) {
    Competition c;
    Course& course = *c.tables.courses[c.new_record(kCourses)];
    course.id = 7;
    ClassRecord& cls = *c.tables.classes[c.new_record(kClasses)];
    cls.id = 3;
    cls.course_id = 7;
    ClassRecord& dup = *c.tables.classes[c.new_record(kClasses)];
    dup.id = 3;  // a duplicated id: the first in slot order is the one found
    Club& club = *c.tables.clubs[c.new_record(kClubs)];
    club.id = 9;
    for (int i = 0; i < 3; ++i) {
        Runner& r = add_runner(c, i + 1, i + 1);
        r.class_id = 3;
        r.club_id = static_cast<std::int16_t>(i == 2 ? 0 : 9);
        r.marked = i == 0;
    }
    add_line(c, 1, 100);
    add_line(c, 1, 200);
    add_line(c, 3, 300);
    add_line(c, 99, 300);  // nobody
    c.recount_tables();
    EXPECT_EQ(cls.runner_count, 3);
    EXPECT_EQ(cls.marked_count, 1);
    EXPECT_EQ(cls.finish_line_count, 3);
    EXPECT_EQ(dup.runner_count, 0);
    EXPECT_EQ(course.runner_count, 3);
    EXPECT_EQ(course.finish_line_count, 3);
    EXPECT_EQ(club.runner_count, 2);
    EXPECT_EQ(club.marked_count, 1);
    EXPECT_EQ(club.finish_line_count, 2);
}

TEST(Tables, NewRecordDefaults) {
    Competition c;
    c.info.filter_club_id = 4;
    c.info.filter_class_id = 6;
    Runner r;
    c.fill_new_runner(r);
    EXPECT_EQ(r.id, 1);
    EXPECT_EQ(field_text(r.name), ".");
    EXPECT_EQ(r.club_id, 4);
    EXPECT_EQ(r.class_id, 6);
    Course k;
    c.fill_new_course(k);
    EXPECT_EQ(k.finish_crossings, 1);
    EXPECT_EQ(k.time_limit_min, 120);
    ClassRecord g;
    c.fill_new_class(g);
    EXPECT_TRUE(g.ranks_allowed());
    // "Группа № 1" cut to the field's 8 characters.
    EXPECT_EQ(field_text(g.name), "\xC3\xF0\xF3\xEF\xEF\xE0 \xB9");
    EXPECT_EQ(normalize_birth_year(85), 1985);
    EXPECT_EQ(normalize_birth_year(0), 0);
    EXPECT_EQ(normalize_birth_year(100), 100);
}

// A new competition carries the standard status texts; an edited one is kept by New (the
// previous competition is the template), an emptied one prints as the standard one.
TEST(Tables, StatusTextsOfANewCompetition) {
    using namespace skarvel::literals;
    struct Row {
        int status;
        std::string_view short_text, name;
    } rows[] = {{0, "", "норма"_cp1251},
                {1, "снят"_cp1251, "непр.отм."_cp1251},
                {2, "снят"_cp1251, "контр.вр."_cp1251},
                {3, "снят"_cp1251, "причина 3"_cp1251},
                {6, "снят"_cp1251, "причина 6"_cp1251},
                {7, "сошел"_cp1251, "сошел"_cp1251},
                {8, "не старт"_cp1251, "не стартов"_cp1251}};
    Competition c;
    for (const Row& r : rows) {
        EXPECT_EQ(field_text(c.info.status_short_texts[r.status]), r.short_text) << r.status;
        EXPECT_EQ(field_text(c.info.status_names[r.status]), r.name) << r.status;
    }
    set_field_text(c.info.status_short_texts[2], "DSQ");
    set_field_text(c.info.status_short_texts[8], "");
    set_field_text(c.info.status_names[7], "");
    EXPECT_EQ(status_short_text(c.info, 8), "не старт"_cp1251);
    EXPECT_EQ(status_name(c.info, 7), "сошел"_cp1251);
    EXPECT_EQ(status_short_text(c.info, 9), "");
    c.clear();
    EXPECT_EQ(field_text(c.info.status_short_texts[2]), "DSQ");
    EXPECT_EQ(field_text(c.info.status_short_texts[8]), "не старт"_cp1251);
    EXPECT_EQ(field_text(c.info.status_names[7]), "сошел"_cp1251);
}

TEST(Tables, QualificationTextsAndRand15) {
    EXPECT_EQ(qualification_text(0), "    ");
    EXPECT_EQ(qualification_text(7), "\xCA\xCC\xD1 ");
    EXPECT_EQ(qualification_text(11), "    ");
    Rand15 r;
    // The classic sequence of this generator from state 1.
    EXPECT_EQ(r.next(), 41);
    EXPECT_EQ(r.next(), 18467);
    EXPECT_EQ(r.next(), 6334);
}

TEST(Tables, FlatIndexKeepsTheFirstValueOfEachKey) {
    FlatIndex<int> index;
    // Neighbouring, colliding-looking and negative keys; 0 is never a key; reset keeps room.
    for (int round = 0; round < 2; ++round) {
        index.reset(30000);
        for (int k = 1; k <= 30000; ++k) EXPECT_TRUE(index.insert_first(k * 64 - 15000, k));
        EXPECT_TRUE(index.insert_first(64 - 15000, -1));  // a later value does not replace
        EXPECT_FALSE(index.insert_first(0, 5));
        EXPECT_EQ(index.size(), 30000u);
        for (int k : {1, 2, 234, 30000}) {
            const int* v = index.find(k * 64 - 15000);
            ASSERT_NE(v, nullptr);
            EXPECT_EQ(*v, k);
        }
        EXPECT_EQ(index.find(0), nullptr);
        EXPECT_EQ(index.find(30001 * 64 - 15000), nullptr);
    }
    index.reset(3);
    EXPECT_EQ(index.find(64 - 15000), nullptr);
    FlatIndex<int> empty;
    EXPECT_EQ(empty.find(7), nullptr);
}
