// Import WDB: merging another competition file.
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/demo_competition.h"
#include "core/wdb_file.h"
#include "wdb_test_util.h"

using namespace skarvel;
using namespace skarvel::literals;
using namespace skarvel::test;

namespace {

struct Fixture {
    TempDir dir;
    Competition c;
    std::string path = dir.file("comp.wdb");
    ScriptedPrompts prompts;

    explicit Fixture(int runners = 60) {
        DemoOptions o;
        o.runners = runners;
        make_demo_competition(c, o);
        EXPECT_TRUE(save_wdb(c, path));
    }
};

}  // namespace

TEST(WdbImport, IntoItselfWithAllOptionsDuplicatesWithFreshIds) {
    Fixture f;
    Competition& c = f.c;
    // A deleted club still counts when the shift is chosen.
    const int runners = c.tables.runners.live_count();
    const int clubs = c.tables.clubs.live_count();
    const int classes = c.tables.classes.live_count();
    const int courses = c.tables.courses.live_count();
    const int lines = c.tables.finish_lines.live_count();
    const int cards = c.tables.card_readouts.live_count();
    const std::int32_t club_shift = c.next_record_id(kClubs);
    const std::int32_t class_shift = c.next_record_id(kClasses);
    const std::int32_t course_shift = c.next_record_id(kCourses);
    const std::int32_t runner_next = c.next_record_id(kRunners);

    ImportWdbOptions all;
    all.replace_info = true;
    ASSERT_EQ(check_import_file(f.path, f.prompts), ImportStatus::kOk);
    ASSERT_EQ(import_wdb(c, f.path, all, f.prompts), ImportStatus::kOk);
    EXPECT_TRUE(f.prompts.messages.empty());
    EXPECT_TRUE(c.modified);
    ASSERT_EQ(c.tables.runners.live_count(), 2 * runners);
    ASSERT_EQ(c.tables.clubs.live_count(), 2 * clubs);
    ASSERT_EQ(c.tables.classes.live_count(), 2 * classes);
    ASSERT_EQ(c.tables.courses.live_count(), 2 * courses);
    EXPECT_EQ(c.tables.finish_lines.live_count(), 2 * lines);
    EXPECT_EQ(c.tables.card_readouts.live_count(), 2 * cards);

    for (int i = 0; i < runners; ++i) {
        const Runner& orig = *c.tables.runners[i];
        const Runner& dup = *c.tables.runners[runners + i];
        EXPECT_EQ(field_text(dup.name), field_text(orig.name));
        EXPECT_EQ(dup.id, runner_next + i);
        EXPECT_EQ(dup.club_id, orig.club_id + club_shift);
        EXPECT_EQ(dup.class_id, orig.class_id + class_shift);
        // The duplicated runner points at the duplicated club and class, and so at the
        // duplicated course.
        const Club* club = c.find_club_by_id(dup.club_id);
        const ClassRecord* klass = c.find_class_by_id(dup.class_id);
        ASSERT_NE(club, nullptr);
        ASSERT_NE(klass, nullptr);
        EXPECT_EQ(field_text(club->name), field_text(c.find_club_by_id(orig.club_id)->name));
        EXPECT_EQ(club, c.tables.clubs[clubs + orig.club_id - 1]);
        EXPECT_EQ(klass, c.tables.classes[classes + orig.class_id - 1]);
        const Course* course = c.find_course_by_id(klass->course_id);
        ASSERT_NE(course, nullptr);
        EXPECT_EQ(course,
                  c.tables.courses[courses + c.find_class_by_id(orig.class_id)->course_id - 1]);
        EXPECT_EQ(klass->course_id, c.find_class_by_id(orig.class_id)->course_id + course_shift);
    }
    for (int i = 0; i < lines; ++i) {
        EXPECT_EQ(c.tables.finish_lines[lines + i]->start_number,
                  c.tables.finish_lines[i]->start_number);
        EXPECT_EQ(c.tables.finish_lines[lines + i]->time_word, c.tables.finish_lines[i]->time_word);
    }
    // The number index now points at the later duplicate of each number.
    EXPECT_EQ(c.runner_by_number(1), c.tables.runners[runners]);
}

TEST(WdbImport, ShiftsAre16BitAndApplyToZeroReferences) {
    TempDir dir;
    Competition src;
    Runner& r = *src.tables.runners[src.new_record(kRunners)];
    r.id = 5;
    r.club_id = 0;       // no club: still shifted
    r.class_id = 32767;  // wraps
    ClassRecord& k = *src.tables.classes[src.new_record(kClasses)];
    k.id = 1;
    k.course_id = -1;
    ASSERT_TRUE(save_wdb(src, dir.file("src.wdb")));

    Competition c;
    c.tables.clubs[c.new_record(kClubs)]->id = 10;
    c.tables.classes[c.new_record(kClasses)]->id = 1;
    c.tables.courses[c.new_record(kCourses)]->id = 2;
    c.tables.runners[c.new_record(kRunners)]->id = 3;
    ScriptedPrompts prompts;
    ASSERT_EQ(import_wdb(c, dir.file("src.wdb"), ImportWdbOptions{}, prompts), ImportStatus::kOk);
    const Runner& got = *c.tables.runners[1];
    EXPECT_EQ(got.club_id, 11);
    EXPECT_EQ(got.class_id, -32767);  // 32767 + 2 in 16 bits
    // The copied id 5 is above the open competition's highest (3): next id is 6.
    EXPECT_EQ(got.id, 6);
    EXPECT_EQ(c.tables.classes[1]->id, 3);
    EXPECT_EQ(c.tables.classes[1]->course_id, 2);  // -1 + 3
}

TEST(WdbImport, OnlyMarkedAndPartialOptions) {
    Fixture f(40);
    Competition src;
    make_demo_competition(src, DemoOptions{});
    src.tables.runners[3]->marked = 1;
    src.tables.runners[8]->marked = 1;
    ASSERT_TRUE(save_wdb(src, f.dir.file("src.wdb")));
    Competition& c = f.c;
    const int runners = c.tables.runners.live_count();
    const int clubs = c.tables.clubs.live_count();
    const int courses = c.tables.courses.live_count();
    const int lines = c.tables.finish_lines.live_count();
    const std::string title(field_text(c.info.title_lines[0]));
    set_field_text(c.info.title_lines[0], "mine");

    ImportWdbOptions o;
    o.only_marked = true;
    o.courses = false;
    o.finish_lines = false;
    o.card_readouts = true;
    ASSERT_EQ(import_wdb(c, f.dir.file("src.wdb"), o, f.prompts), ImportStatus::kOk);
    EXPECT_EQ(c.info.only_marked, 1);
    EXPECT_EQ(c.tables.runners.live_count(), runners + 2);
    EXPECT_EQ(c.tables.runners[runners]->card_number, src.tables.runners[3]->card_number);
    EXPECT_EQ(c.tables.runners[runners + 1]->card_number, src.tables.runners[8]->card_number);
    // Clubs and classes come whole even with "only marked".
    EXPECT_EQ(c.tables.clubs.live_count(), clubs + src.tables.clubs.live_count());
    EXPECT_EQ(c.tables.courses.live_count(), courses);
    EXPECT_EQ(c.tables.finish_lines.live_count(), lines);
    EXPECT_EQ(field_text(c.info.title_lines[0]), "mine");

    // Nothing but the header.
    ImportWdbOptions header_only;
    header_only.runners_clubs_classes = header_only.courses = false;
    header_only.finish_lines = header_only.card_readouts = false;
    header_only.replace_info = true;
    c.info.display_on = 1;
    ASSERT_EQ(import_wdb(c, f.dir.file("src.wdb"), header_only, f.prompts), ImportStatus::kOk);
    EXPECT_EQ(field_text(c.info.title_lines[0]), title);
    EXPECT_EQ(c.info.display_on, 1);  // a run-time flag, not imported
    EXPECT_EQ(c.tables.runners.live_count(), runners + 2);
    EXPECT_EQ(c.info.only_marked, 0);
}

TEST(WdbImport, RefusalsLeaveTheCompetitionUnchanged) {
    Fixture f(30);
    Competition& c = f.c;
    const Bytes before = encode_wdb(c);
    auto unchanged = [&] { EXPECT_TRUE(encode_wdb(c) == before); };

    EXPECT_EQ(check_import_file(f.dir.file("missing.wdb"), f.prompts), ImportStatus::kCannotOpen);
    EXPECT_EQ(import_wdb(c, f.dir.file("missing.wdb"), {}, f.prompts), ImportStatus::kCannotOpen);
    ASSERT_EQ(f.prompts.messages.size(), 2u);
    EXPECT_EQ(f.prompts.messages[0], std::string("Не могу читать указанный файл\n"_cp1251) +
                                         f.dir.file("missing.wdb") +
                                         std::string(": нет такой папки или файла"_cp1251));
    unchanged();

    // Version 11 is read by Open only.
    f.prompts.messages.clear();
    OldFile old;
    write_bytes(f.dir.file("old.wdb"), old.build());
    EXPECT_EQ(check_import_file(f.dir.file("old.wdb"), f.prompts), ImportStatus::kWrongVersion);
    EXPECT_EQ(import_wdb(c, f.dir.file("old.wdb"), {}, f.prompts), ImportStatus::kWrongVersion);
    write_bytes(f.dir.file("short.wdb"), Bytes{21, 0});
    EXPECT_EQ(check_import_file(f.dir.file("short.wdb"), f.prompts), ImportStatus::kWrongVersion);
    ASSERT_EQ(f.prompts.messages.size(), 3u);
    EXPECT_EQ(f.prompts.messages[0], std::string("Неправильная версия файла!"_cp1251));
    unchanged();

    // A damaged file: nothing is merged, the message says what is wrong.
    f.prompts.messages.clear();
    Bytes cut = before;
    cut.resize(cut.size() - 700);
    write_bytes(f.dir.file("cut.wdb"), cut);
    EXPECT_EQ(check_import_file(f.dir.file("cut.wdb"), f.prompts), ImportStatus::kOk);
    EXPECT_EQ(import_wdb(c, f.dir.file("cut.wdb"), {}, f.prompts), ImportStatus::kDamaged);
    ASSERT_EQ(f.prompts.messages.size(), 1u);
    EXPECT_NE(cp1251_to_utf8(f.prompts.messages[0]).find("ЧИПы"), std::string::npos);
    unchanged();

    // A zeroed count (the last table's, so the rest reads as records): the file does not end
    // where its tables say, and is refused whole.
    f.prompts.messages.clear();
    Bytes zeroed = before;
    std::size_t cards_count_at =
        zeroed.size() - 20 - 4 -
        std::size_t(c.tables.card_readouts.live_count()) * CardReadout::kSize;
    ASSERT_GT(c.tables.card_readouts.live_count(), 0);
    std::fill(zeroed.begin() + std::ptrdiff_t(cards_count_at),
              zeroed.begin() + std::ptrdiff_t(cards_count_at + 4), std::uint8_t(0));
    write_bytes(f.dir.file("zeroed.wdb"), zeroed);
    EXPECT_EQ(import_wdb(c, f.dir.file("zeroed.wdb"), {}, f.prompts), ImportStatus::kDamaged);
    ASSERT_EQ(f.prompts.messages.size(), 1u);
    EXPECT_NE(cp1251_to_utf8(f.prompts.messages[0]).find("после последней таблицы"),
              std::string::npos);
    unchanged();
}

TEST(WdbImport, RecordsThatDoNotFitAreRefusedWhole) {
    TempDir dir;
    Competition src;
    for (int i = 0; i < 5; ++i) src.tables.clubs[src.new_record(kClubs)]->id = i + 1;
    ASSERT_TRUE(save_wdb(src, dir.file("src.wdb")));
    Competition c;
    for (int i = 0; i < kClubCapacity - 4; ++i) c.tables.clubs.slot(i) = std::make_unique<Club>();
    ScriptedPrompts prompts;
    EXPECT_EQ(import_wdb(c, dir.file("src.wdb"), {}, prompts), ImportStatus::kTableFull);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(cp1251_to_utf8(prompts.messages[0]).find("Коллективы"), std::string::npos);
    EXPECT_EQ(c.tables.clubs.live_count(), kClubCapacity - 4);
    EXPECT_EQ(c.info.only_marked, 0);
    // The dialog's "only marked" is kept though nothing is merged.
    ImportWdbOptions marked;
    marked.only_marked = true;
    EXPECT_EQ(import_wdb(c, dir.file("src.wdb"), marked, prompts), ImportStatus::kTableFull);
    EXPECT_EQ(c.tables.clubs.live_count(), kClubCapacity - 4);
    EXPECT_EQ(c.info.only_marked, 1);
    // Without clubs it fits.
    ImportWdbOptions o;
    o.runners_clubs_classes = false;
    EXPECT_EQ(import_wdb(c, dir.file("src.wdb"), o, prompts), ImportStatus::kOk);
}

TEST(WdbImport, FillsGapsBeforeSetAsideRunners) {
    TempDir dir;
    Competition src;
    for (int i = 0; i < 3; ++i) src.tables.runners[src.new_record(kRunners)]->id = i + 1;
    ASSERT_TRUE(save_wdb(src, dir.file("src.wdb")));
    Competition c;
    c.tables.runners[c.new_record(kRunners)]->id = 1;
    c.tables.runners.slot(2) = std::make_unique<Runner>();
    c.tables.runners[2]->id = 2;
    ScriptedPrompts prompts;
    ASSERT_EQ(import_wdb(c, dir.file("src.wdb"), {}, prompts), ImportStatus::kOk);
    EXPECT_EQ(c.tables.runners[1]->id, 3);
    EXPECT_EQ(c.tables.runners[2]->id, 2);
    EXPECT_EQ(c.tables.runners[3]->id, 4);
    EXPECT_EQ(c.tables.runners[4]->id, 5);
}

TEST(WdbImport, ExtremeIdsInTheFileDoNotOverflow) {
    TempDir dir;
    Competition src;
    Runner& r = *src.tables.runners[src.new_record(kRunners)];
    r.id = INT32_MAX;
    r.status = 255;
    r.start_number = 7;
    r.start_time = INT32_MIN;
    src.tables.clubs[src.new_record(kClubs)]->id = INT32_MAX;
    src.tables.classes[src.new_record(kClasses)]->id = INT32_MAX;
    src.tables.courses[src.new_record(kCourses)]->id = INT32_MAX;
    FinishLine& f = *src.tables.finish_lines[src.new_record(kFinishLines)];
    f.start_number = 7;
    f.set_time(4000000);
    ASSERT_TRUE(save_wdb(src, dir.file("src.wdb")));
    Competition c;
    c.tables.clubs[c.new_record(kClubs)]->id = 5;
    ScriptedPrompts prompts;
    ASSERT_EQ(import_wdb(c, dir.file("src.wdb"), ImportWdbOptions{}, prompts), ImportStatus::kOk);
    EXPECT_EQ(c.tables.runners[0]->id, INT32_MIN);  // the id after the highest wraps
    EXPECT_EQ(c.tables.clubs[1]->id, INT32_MIN + 5);
    // The id after the highest possible one wraps the same way instead of overflowing.
    EXPECT_EQ(src.next_record_id(kCourses), INT32_MIN);
    c.recompute_finish_results();
    EXPECT_EQ(c.tables.runners[0]->result, static_cast<std::int32_t>(255LL * 8640000 + 700));
    c.tables.runners[0]->status = 0;
    c.recompute_finish_results();
    EXPECT_EQ(c.tables.runners[0]->result, static_cast<std::int32_t>(4000000LL - INT32_MIN));
}
