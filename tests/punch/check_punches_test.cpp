// The punch check in every mode.
#include "punch/check_punches.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using namespace skarvel::literals;
using test::card_with;
using test::PunchFixture;

int check(PunchFixture& f, Runner& r, const CardReadout& card, int mode, ScriptedPrompts& p,
          int penalty = 0, bool labyrinth = false, bool warnings = true) {
    PunchSettings s;
    s.check_mode = static_cast<std::uint8_t>(mode);
    s.penalty_per_miss = penalty;
    s.labyrinth_mode = labyrinth;
    s.warnings = warnings;
    return check_punches(f.c, r, card, s, p);
}

TEST(CheckCourse, InOrderWithExtraPunches) {
    PunchFixture f;
    f.course(1, "A", {31, 32, 33});
    f.group(1, "M21", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31, 40, 32, 33}), 1, p), 1);
    EXPECT_EQ(check(f, r, card_with(100, {32, 31, 33}), 1, p), 0);
    EXPECT_EQ(check(f, r, card_with(100, {31, 32}), 1, p), 0);
    EXPECT_TRUE(p.messages.empty());
}

TEST(CheckCourse, RepeatedControlNeedsRepeatedPunch) {
    PunchFixture f;
    f.course(1, "A", {31, 32, 31});
    f.group(1, "M21", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31, 32}), 1, p), 0);
    EXPECT_EQ(check(f, r, card_with(100, {31, 32, 31}), 1, p), 1);
}

TEST(CheckCourse, OnlyPunchesUpToTheCountAreLookedAt) {
    PunchFixture f;
    f.course(1, "A", {31, 32});
    f.group(1, "M21", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    CardReadout card = card_with(100, {31, 32});
    card.punch_count = 1;
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card, 1, p), 0);
    card.punch_count = 1000;  // a damaged count never reads past the slots
    EXPECT_EQ(check(f, r, card, 1, p), 1);
}

TEST(CheckCourse, MissingClassOrCourseIsToldAlways) {
    PunchFixture f;
    f.group(2, "W21", 9);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31}), 1, p, 0, false, false), 0);
    r.class_id = 2;
    EXPECT_EQ(check(f, r, card_with(100, {31}), 1, p, 0, false, false), 0);
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[0], std::string("Нет такой группы !"_cp1251));
    EXPECT_EQ(p.messages[1], std::string("Нет такой дистанции !"_cp1251));
}

TEST(CheckCourse, CourseWithoutControlsIsFulfilled) {
    PunchFixture f;
    f.course(1, "Open", {});
    f.group(1, "Open", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {}), 1, p), 1);
}

TEST(CheckNumberCourse, LastCourseNamedByTheNumber) {
    PunchFixture f;
    f.course(1, "7", {31, 32});
    f.course(2, "12", {40});
    f.course(3, "7", {33, 34});
    Runner& r = f.runner(1, 7, 100, 0);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {33, 34}), 2, p), 1);
    EXPECT_EQ(check(f, r, card_with(100, {31, 32}), 2, p), 0);
    r.start_number = 8;
    EXPECT_EQ(check(f, r, card_with(100, {31, 32}), 2, p), 0);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string("Нет такой дистанции !"_cp1251));
}

TEST(CheckUniqueCount, EnoughDifferentControls) {
    PunchFixture f;
    f.course(1, "Score", {}, 3);
    f.group(1, "M21", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31, 31, 32, 33}), 3, p, 5), 1);
    EXPECT_TRUE(p.messages.empty());
}

TEST(CheckUniqueCount, ShortGivesPenaltyOrZero) {
    PunchFixture f;
    f.course(1, "Score", {}, 10);
    f.group(1, "M21", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    CardReadout card = card_with(100, {31, 32, 33, 34, 35, 36, 37, 38, 38, 31});
    EXPECT_EQ(check(f, r, card, 3, p, 5), 10);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string("Уникальных отметок: 8, нужно: 10"_cp1251));
    EXPECT_EQ(check(f, r, card, 3, p, 0, false, false), 0);
    EXPECT_EQ(p.messages.size(), 1u);  // without warnings nothing is shown
}

TEST(CheckUniqueCount, StopsAtCodeZero) {
    PunchFixture f;
    f.course(1, "Score", {}, 3);
    f.group(1, "M21", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    CardReadout card = card_with(100, {31, 32, 0, 33});
    EXPECT_EQ(check(f, r, card, 3, p, 1, false, false), 1);  // 2 of 3: one short, penalty 1
}

TEST(CheckThread, CountsMissingControls) {
    PunchFixture f;
    f.course(1, "A", {31, 32, 33});
    f.group(1, "M21", 1);
    Runner& r = f.runner(1, 1, 100, 1);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31, 31, 35, 33}), 4, p), 1);
    EXPECT_EQ(check(f, r, card_with(100, {33, 32, 31}), 4, p), 0);
    EXPECT_EQ(check(f, r, card_with(100, {}), 4, p), 3);
    // The list is cut at the course length: 35 36 37 use up the three places.
    EXPECT_EQ(check(f, r, card_with(100, {35, 36, 37, 31, 32, 33}), 4, p), 3);
}

TEST(CheckThread, NumberCourseVariant) {
    PunchFixture f;
    f.course(1, "5", {31, 32});
    Runner& r = f.runner(1, 5, 100, 0);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31}), 6, p), 1);
    r.start_number = 6;
    EXPECT_EQ(check(f, r, card_with(100, {31}), 6, p), 0);
    EXPECT_EQ(p.messages.size(), 1u);
}

TEST(CheckCarousel, FirstMatchingCourseNamesTheRunner) {
    PunchFixture f;
    f.course(1, "Empty", {});
    f.course(2, "A1", {31, 32});
    f.course(3, "B1", {31});
    Runner& r = f.runner(1, 1, 100, 0, "Ivanov");
    r.status = kStatusWrongPunch;
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31, 32}), 5, p), 1);
    EXPECT_EQ(std::string(field_text(r.name)), std::string("Ivanov") + std::string(16, ' ') + "A1");
    EXPECT_EQ(r.status, kStatusOk);
    // Checking again keeps the name stable.
    EXPECT_EQ(check(f, r, card_with(100, {31, 32}), 5, p), 1);
    EXPECT_EQ(std::string(field_text(r.name)), std::string("Ivanov") + std::string(16, ' ') + "A1");
}

TEST(CheckCarousel, NoCourseMatches) {
    PunchFixture f;
    f.course(2, "A1", {31, 32});
    Runner& r = f.runner(1, 1, 100, 4, "Petrov");
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {40}), 5, p), 0);
    EXPECT_EQ(std::string(field_text(r.name)),
              std::string("Petrov") + std::string(15, ' ') + "---");
    EXPECT_EQ(r.status, kStatusWrongPunch);
    EXPECT_EQ(r.class_id, 4);
}

TEST(CheckCarousel, LabyrinthSetsClassOrDsq) {
    PunchFixture f;
    f.course(2, "A1", {31, 32});
    f.group(7, "Lab A", 2);
    Runner& r = f.runner(1, 1, 100, 0, ".");
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31, 32}), 5, p, 0, true), 1);
    EXPECT_EQ(std::string(field_text(r.name)),
              "." + std::string(15, ' ') + std::string("Дист"_cp1251) + "  A1");
    EXPECT_EQ(r.class_id, 7);

    Runner& q = f.runner(2, 2, 101, 7, ".");
    EXPECT_EQ(check(f, q, card_with(101, {50}), 5, p, 0, true), 0);
    EXPECT_EQ(q.class_id, 0);
    EXPECT_EQ(q.status, kStatusWrongPunch);
    const ClassRecord* dsq = f.c.find_class_by_id(0);
    ASSERT_NE(dsq, nullptr);
    EXPECT_EQ(std::string(field_text(dsq->name)), "DSQ");
    // A second failure makes no second DSQ class.
    int classes = f.c.tables.classes.live_count();
    EXPECT_EQ(check(f, q, card_with(101, {50}), 5, p, 0, true), 0);
    EXPECT_EQ(f.c.tables.classes.live_count(), classes);
}

TEST(CheckNone, ModeZeroGivesZero) {
    PunchFixture f;
    Runner& r = f.runner(1, 1, 100, 0);
    ScriptedPrompts p;
    EXPECT_EQ(check(f, r, card_with(100, {31}), 0, p), 0);
}

}  // namespace
}  // namespace skarvel
