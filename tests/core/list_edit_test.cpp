#include "core/list_edit.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/time_text.h"

using namespace skarvel;
using namespace skarvel::literals;

namespace {
std::string cp(std::string_view s) {
    return std::string(s);
}

Runner& add_runner(Competition& c, int id, int number = 0, int class_id = 0, int club_id = 0) {
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.id = id;
    r.start_number = static_cast<std::uint16_t>(number);
    r.class_id = static_cast<std::int16_t>(class_id);
    r.club_id = static_cast<std::int16_t>(club_id);
    return r;
}
FinishLine& add_line(Competition& c, int number, int time = 0) {
    FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
    l.start_number = static_cast<std::int16_t>(number);
    l.set_time(time);
    return l;
}
Club& add_club(Competition& c, int id, bool marked = false) {
    Club& k = *c.tables.clubs[c.new_record(kClubs)];
    k.id = id;
    k.marked = marked;
    return k;
}
ClassRecord& add_class(Competition& c, int id, int course_id = 0, bool marked = false) {
    ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
    k.id = id;
    k.course_id = static_cast<std::int16_t>(course_id);
    k.set_marked(marked);
    return k;
}
Course& add_course(Competition& c, int id) {
    Course& k = *c.tables.courses[c.new_record(kCourses)];
    k.id = id;
    return k;
}
// Types a number into the finish table at `row` as the judge does.
bool type_number(Competition& c, FinishEntry& e, int row, std::string_view digits,
                 ScriptedPrompts& p, const EditHooks& h = {}) {
    for (char d : digits) e.digit(c, row, d - '0', p, h.english);
    return e.enter(c, row, p, h);
}
}  // namespace

// ---- deletion ----

TEST(DeleteRules, RunnersAndCardReadoutsGoWithoutQuestion) {
    Competition c;
    add_runner(c, 1, 5);
    add_runner(c, 2, 6);
    c.tables.card_readouts[c.new_record(kCardReadouts)]->card_number = 9;
    ScriptedPrompts p;
    c.rebuild_number_index();
    EXPECT_EQ(delete_with_rules(c, kRunners, 0, p, false), DeleteOutcome::Deleted);
    EXPECT_EQ(c.tables.runners[0]->id, 2);
    EXPECT_EQ(c.runner_by_number(5), nullptr);  // the index forgets the deleted runner
    EXPECT_EQ(delete_with_rules(c, kCardReadouts, 0, p, false), DeleteOutcome::Deleted);
    EXPECT_EQ(c.tables.card_readouts[0], nullptr);
    EXPECT_TRUE(p.questions.empty());
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(delete_with_rules(c, kCardReadouts, 0, p, false), DeleteOutcome::NoRecord);
}

TEST(DeleteRules, UsedClubClassAndCourseAreRefused) {
    Competition c;
    add_course(c, 1);
    add_class(c, 1, 1);
    add_club(c, 1);
    add_runner(c, 1, 0, 1, 1);
    ScriptedPrompts p;
    EXPECT_EQ(delete_with_rules(c, kClubs, 0, p, false), DeleteOutcome::Refused);
    EXPECT_EQ(delete_with_rules(c, kClasses, 0, p, false), DeleteOutcome::Refused);
    EXPECT_EQ(delete_with_rules(c, kCourses, 0, p, false), DeleteOutcome::Refused);
    ASSERT_EQ(p.messages.size(), 3u);
    EXPECT_EQ(p.messages[0], cp("Коллектив используется, в нём есть участники !"_cp1251));
    EXPECT_EQ(p.messages[1], cp("Группа используется, в ней есть участники !"_cp1251));
    EXPECT_EQ(p.messages[2], cp("Дистанция используется, есть группы, использующие её."_cp1251));
    EXPECT_EQ(p.captions, std::vector<std::string>(3, cp("ОШИБКА"_cp1251)));
    EXPECT_EQ(p.stops, p.messages);  // refusals carry the stop icon
    EXPECT_NE(c.tables.clubs[0], nullptr);
    EXPECT_NE(c.tables.classes[0], nullptr);
    EXPECT_NE(c.tables.courses[0], nullptr);
    EXPECT_FALSE(c.modified);
}

TEST(DeleteRules, CourseWhoseClassesHaveNoRunnersCanGo) {
    Competition c;
    add_course(c, 1);
    add_class(c, 1, 1);
    add_class(c, 2, 0);
    add_runner(c, 1, 0, 2);
    ScriptedPrompts p;
    EXPECT_EQ(delete_with_rules(c, kCourses, 0, p, false), DeleteOutcome::Deleted);
    EXPECT_EQ(c.tables.courses[0], nullptr);
    EXPECT_EQ(delete_with_rules(c, kClasses, 0, p, false), DeleteOutcome::Deleted);
    EXPECT_EQ(c.tables.classes[0]->id, 2);
    EXPECT_TRUE(p.messages.empty());
}

TEST(DeleteRules, FinishLineOnlyAfterYes) {
    Competition c;
    add_line(c, 5, 100);
    ScriptedPrompts p;
    p.yes_no_answers = {false, true};
    EXPECT_EQ(delete_with_rules(c, kFinishLines, 0, p, false), DeleteOutcome::Declined);
    EXPECT_NE(c.tables.finish_lines[0], nullptr);
    EXPECT_EQ(delete_with_rules(c, kFinishLines, 0, p, false), DeleteOutcome::Deleted);
    EXPECT_EQ(c.tables.finish_lines[0], nullptr);
    EXPECT_EQ(p.questions, std::vector<std::string>(2, cp("Удалить строку финиша?"_cp1251)));
    EXPECT_EQ(p.captions, std::vector<std::string>(2, cp("ВНИМАНИЕ"_cp1251)));
}

// ---- heat digit ----

TEST(HeatDigit, SetsHeatOnARunnerOnly) {
    Competition c;
    add_runner(c, 1).heat_or_leg = 12;
    EXPECT_TRUE(set_heat_digit(c, 0, 7));
    EXPECT_EQ(c.tables.runners[0]->heat_or_leg, 7);
    EXPECT_TRUE(c.modified);
    EXPECT_FALSE(set_heat_digit(c, 1, 3));
}

// ---- finish number entry ----

TEST(FinishEntry, DigitsOnAnEmptyLineStoreTheNumber) {
    Competition c;
    add_runner(c, 1, 42);
    add_line(c, 0, 100);
    add_line(c, 0, 200);
    FinishEntry e;
    ScriptedPrompts p;
    EditHooks h;
    EXPECT_TRUE(type_number(c, e, 0, "42", p, h));
    EXPECT_FALSE(e.active());
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 42);
    EXPECT_EQ(c.finish_count_by_number[42], 1);
    // The line's time became the runner's result and place at once.
    EXPECT_EQ(c.tables.runners[0]->finish_time, 100);
    EXPECT_EQ(c.tables.runners[0]->place, 1);
    EXPECT_TRUE(c.modified);
    EXPECT_TRUE(p.messages.empty());
}

// A card makes a finish line where the empty row was while the judge types a number there:
// the typed number gets a line of its own and the card's line keeps its number.
TEST(FinishEntry, NumberTypedOnTheEmptyRowNeverLandsOnALineACardMadeThere) {
    Competition c;
    add_line(c, 3, 100);
    FinishEntry e;
    ScriptedPrompts p;
    e.digit(c, 1, 4, p, false);
    add_line(c, 17, 250);  // the card's line, in slot 1
    EXPECT_TRUE(e.enter(c, 1, p, EditHooks{}));
    ASSERT_EQ(c.tables.finish_lines.live_count(), 3);
    EXPECT_EQ(c.tables.finish_lines[1]->start_number, 17);
    EXPECT_EQ(c.tables.finish_lines[1]->time(), 250);
    EXPECT_EQ(c.tables.finish_lines[2]->start_number, 4);
    EXPECT_EQ(e.row(), 2);
}

TEST(FinishEntry, DigitOnANumberedLineIsBusy) {
    Competition c;
    add_line(c, 7);
    FinishEntry e;
    ScriptedPrompts p;
    e.digit(c, 0, 3, p, false);
    EXPECT_FALSE(e.active());
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], cp("Занято!"_cp1251));
    add_line(c, -7);  // a start-station line has a number too
    e.digit(c, 1, 3, p, false);
    EXPECT_FALSE(e.active());
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 7);
}

TEST(FinishEntry, EnterStartsWithTheLineNumberBackspaceDropsADigit) {
    Competition c;
    add_line(c, 123);
    FinishEntry e;
    ScriptedPrompts p;
    EXPECT_FALSE(e.enter(c, 0, p, {}));
    EXPECT_TRUE(e.active());
    EXPECT_EQ(e.typed(), 123);
    e.backspace();
    EXPECT_EQ(e.typed(), 12);
    e.digit(c, 0, 9, p, false);
    EXPECT_EQ(e.typed(), 129);
    EXPECT_TRUE(e.enter(c, 0, p, {}));
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 129);
}

TEST(FinishEntry, EnterOnTheEmptyRowCreatesALine) {
    Competition c;
    add_line(c, 1);
    FinishEntry e;
    ScriptedPrompts p;
    EXPECT_FALSE(e.enter(c, 1, p, {}));
    ASSERT_NE(c.tables.finish_lines[1], nullptr);
    EXPECT_EQ(e.typed(), 0);
    e.digit(c, 1, 5, p, false);
    EXPECT_TRUE(e.enter(c, 1, p, {}));
    EXPECT_EQ(c.tables.finish_lines[1]->start_number, 5);
    // A digit on the empty row makes the line when the number is stored.
    EXPECT_TRUE(type_number(c, e, 2, "8", p));
    EXPECT_EQ(c.tables.finish_lines[2]->start_number, 8);
}

TEST(FinishEntry, FifthDigitAfterThreeThousandIsIgnored) {
    Competition c;
    add_line(c, 0);
    FinishEntry e;
    ScriptedPrompts p;
    for (char d : std::string("29999")) e.digit(c, 0, d - '0', p, false);
    EXPECT_EQ(e.typed(), 29999);
    e.digit(c, 0, 1, p, false);
    EXPECT_EQ(e.typed(), 29999);
    e.escape(c);
    for (char d : std::string("30001")) e.digit(c, 0, d - '0', p, false);
    EXPECT_EQ(e.typed(), 3000);  // 3000 is not below 3000: the fifth digit is dropped
    EXPECT_TRUE(e.enter(c, 0, p, {}));
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 3000);
}

TEST(FinishEntry, EscapeStoresNothing) {
    Competition c;
    add_line(c, 0);
    FinishEntry e;
    ScriptedPrompts p;
    e.digit(c, 0, 4, p, false);
    e.escape(c);
    EXPECT_FALSE(e.active());
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 0);
    EXPECT_FALSE(c.modified);
}

TEST(FinishEntry, RelayPaddingCountsCrossingsOfTheTeam) {
    Competition c;
    c.info.relay = 1;
    c.info.pad_numbers_to_4 = 1;
    for (int i = 0; i < 5; ++i) add_line(c, 0);
    FinishEntry e;
    ScriptedPrompts p;
    EXPECT_TRUE(type_number(c, e, 0, "5", p));
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 1005);
    EXPECT_TRUE(type_number(c, e, 1, "7", p));
    EXPECT_EQ(c.tables.finish_lines[1]->start_number, 1007);
    EXPECT_TRUE(type_number(c, e, 2, "5", p));
    EXPECT_EQ(c.tables.finish_lines[2]->start_number, 2005);
    EXPECT_TRUE(type_number(c, e, 3, "1005", p));  // typed in full: kept
    EXPECT_EQ(c.tables.finish_lines[3]->start_number, 1005);
    EXPECT_TRUE(type_number(c, e, 4, "5", p));  // three earlier lines of team 5
    EXPECT_EQ(c.tables.finish_lines[4]->start_number, 4005);
    EXPECT_TRUE(p.messages.empty());
}

TEST(FinishEntry, RelayEnterOnTheSameLineDoesNotCountItself) {
    Competition c;
    c.info.relay = 1;
    c.info.pad_numbers_to_4 = 1;
    add_line(c, 0);
    FinishEntry e;
    ScriptedPrompts p;
    EXPECT_TRUE(type_number(c, e, 0, "5", p));
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 1005);
    // Enter twice on a line re-stores its number unchanged.
    EXPECT_FALSE(e.enter(c, 0, p, {}));
    EXPECT_TRUE(e.enter(c, 0, p, {}));
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 1005);
}

TEST(FinishEntry, WithoutPaddingOrOutsideRelayTheTypedNumberIsStored) {
    Competition c;
    c.info.relay = 1;  // padding off
    add_line(c, 0);
    add_line(c, 0);
    FinishEntry e;
    ScriptedPrompts p;
    EXPECT_TRUE(type_number(c, e, 0, "5", p));
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 5);
    c.info.relay = 0;
    c.info.pad_numbers_to_4 = 1;
    EXPECT_TRUE(type_number(c, e, 1, "5", p));
    EXPECT_EQ(c.tables.finish_lines[1]->start_number, 5);
}

TEST(FinishEntry, PaddedNumberAboveTheMaximumIsCapped) {
    Competition c;
    c.info.relay = 1;
    c.info.pad_numbers_to_4 = 1;
    for (int i = 0; i < 29; ++i)
        add_line(c, (i + 1) * 1000 + 999 > 29999 ? 999 : (i + 1) * 1000 + 999);
    add_line(c, 0);
    FinishEntry e;
    ScriptedPrompts p;
    EXPECT_TRUE(type_number(c, e, 29, "999", p));
    EXPECT_EQ(c.tables.finish_lines[29]->start_number, 29999);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], cp("Введенный номер превышает максимально допустимый!"_cp1251));
    bool capped = false;
    EXPECT_EQ(FinishEntry::stored_number(c, 0, 999, capped), 1999);
    EXPECT_FALSE(capped);
}

TEST(FinishEntry, AutosaveSavesOrAsksForAFileName) {
    Competition c;
    add_line(c, 0);
    add_line(c, 0);
    c.info.finish_autosave = 1;
    int saves = 0;
    bool has_name = true;
    EditHooks h;
    h.save_under_file_name = [&] {
        if (has_name) ++saves;
        return has_name ? SaveRequest::kStarted : SaveRequest::kNoFileName;
    };
    FinishEntry e;
    ScriptedPrompts p;
    EXPECT_TRUE(type_number(c, e, 0, "3", p, h));
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(p.messages.empty());
    has_name = false;
    EXPECT_TRUE(type_number(c, e, 1, "4", p, h));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], cp("Сначала сохраните рабочий файл под каким-либо именем!"_cp1251));
    EXPECT_EQ(p.captions.back(), cp("Нет имени файла"_cp1251));
    c.info.finish_autosave = 0;
    has_name = true;
    EXPECT_FALSE(e.enter(c, 0, p, h));
    EXPECT_TRUE(e.enter(c, 0, p, h));
    EXPECT_EQ(saves, 1);
    // A failed save was told by the saver: no second message.
    c.info.finish_autosave = 1;
    h.save_under_file_name = [] { return SaveRequest::kFailed; };
    finish_autosave(c, p, h);
    EXPECT_EQ(p.messages.size(), 1u);
}

// ---- quick edit ----

TEST(QuickEdit, FinishTimeAskedPartByPartKeepsTheCounter) {
    Competition c;
    FinishLine& l = add_line(c, 5, 4473100);
    l.set_counter(3);
    ScriptedPrompts p;
    p.texts = {std::string("13"), std::string("61"), std::string("26"), std::string("5")};
    EXPECT_TRUE(quick_edit_finish_time(c, 0, p, {}));
    // 61 minutes is refused and asked again; precision 0 asks no hundredths.
    EXPECT_EQ(l.time(), 13 * 360000 + 26 * 6000 + 5 * 100);
    EXPECT_EQ(l.counter(), 3);
    EXPECT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.questions.size(), 4u);
    EXPECT_TRUE(c.modified);
}

TEST(QuickEdit, HundredthsWithPrecisionAndCancelChangesNothing) {
    Competition c;
    c.info.time_precision = 2;
    FinishLine& l = add_line(c, 5, 4473155);
    ScriptedPrompts p;
    p.texts = {std::string("12"), std::string("25"), std::nullopt};
    EXPECT_FALSE(quick_edit_finish_time(c, 0, p, {}));
    EXPECT_EQ(l.time(), 4473155);
    EXPECT_FALSE(c.modified);
    p.texts = {std::string("12"), std::string("25"), std::string("31"), std::string("7")};
    EXPECT_TRUE(quick_edit_finish_time(c, 0, p, {}));
    EXPECT_EQ(l.time(), 4473107);
}

TEST(QuickEdit, RunnerNumberAndStart) {
    Competition c;
    add_runner(c, 1, 3).start_time = 100;
    QuickRunnerForm f = quick_runner_form(c, 0);
    EXPECT_EQ(f.start_number, "3");
    EXPECT_EQ(f.start_time, "00:00:01");
    f.start_number = "30000";
    EXPECT_EQ(store_quick_runner_form(c, 0, f, true).error,
              "No.: enter an integer between 0 and 29999.");
    EXPECT_EQ(c.tables.runners[0]->start_number, 3);
    f.start_number = "17";
    f.start_time = "10:00";
    ASSERT_TRUE(store_quick_runner_form(c, 0, f, true));
    EXPECT_EQ(c.tables.runners[0]->start_number, 17);
    EXPECT_EQ(c.tables.runners[0]->start_time, 3600000);
    EXPECT_EQ(c.runner_by_number(17), c.tables.runners[0]);
}

// ---- runner of a finish line ----

TEST(FinishLineRunner, EditsTheRunnerOrMakesOneWithTheNumber) {
    Competition c;
    add_runner(c, 1, 4).start_time = 3600000;
    add_line(c, 4, 3600000 + 6000);
    add_line(c, 9, 3700000);
    int slot = 0;
    RunnerForm f = finish_line_runner_form(c, 0, slot);
    EXPECT_EQ(slot, 0);
    f.start_time = "09:00:00";
    ASSERT_TRUE(store_finish_line_runner(c, slot, f, false));
    EXPECT_EQ(c.tables.runners[0]->result, 360000 + 6000);  // recomputed
    f = finish_line_runner_form(c, 1, slot);
    EXPECT_EQ(slot, kNoSlot);
    EXPECT_EQ(f.start_number, "9");
    EXPECT_EQ(f.id, 2);
    ASSERT_TRUE(store_finish_line_runner(c, slot, f, false));
    EXPECT_EQ(c.runner_by_number(9), c.tables.runners[1]);
    EXPECT_EQ(c.tables.runners[1]->finish_time, 3700000);
}

// ---- status ----

TEST(Status, SetsStatusAndMissingNumberIsTold) {
    Competition c;
    add_runner(c, 1, 12);
    ScriptedPrompts p;
    EXPECT_TRUE(apply_status(c, 12, 7, p, false));
    EXPECT_EQ(c.tables.runners[0]->status, 7);
    EXPECT_FALSE(apply_status(c, 13, 1, p, false));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], cp("Участника с таким номером в базе данных нет!"_cp1251));
    EXPECT_EQ(status_runner_name(c, 13, false), cp("-- нет в протоколе --"_cp1251));
    EXPECT_EQ(status_runner_name(c, 12, false), "");
    EXPECT_EQ(c.tables.finish_lines[0], nullptr);
}

TEST(Status, DidNotStartAddsASentLineOnlyWhenThereIsNone) {
    Competition c;
    add_runner(c, 1, 12);
    add_runner(c, 2, 13);
    add_line(c, 13, 100);
    ScriptedPrompts p;
    EXPECT_TRUE(apply_status(c, 12, 8, p, false));
    ASSERT_NE(c.tables.finish_lines[1], nullptr);
    EXPECT_EQ(c.tables.finish_lines[1]->start_number, 12);
    EXPECT_EQ(c.tables.finish_lines[1]->time(), 8639999);
    EXPECT_TRUE(c.tables.finish_lines[1]->sent());
    EXPECT_TRUE(apply_status(c, 12, 8, p, false));  // again: no second line
    EXPECT_TRUE(apply_status(c, 13, 8, p, false));  // already has a line
    EXPECT_EQ(c.tables.finish_lines[2], nullptr);
}

TEST(Status, RestoreAllOnlyOnYes) {
    Competition c;
    add_runner(c, 1, 1).status = 3;
    add_runner(c, 2, 2).status = 8;
    ScriptedPrompts p;
    p.yes_no_answers = {false, true};
    EXPECT_FALSE(restore_all_statuses(c, p, false));
    EXPECT_EQ(c.tables.runners[0]->status, 3);
    EXPECT_TRUE(restore_all_statuses(c, p, false));
    EXPECT_EQ(c.tables.runners[0]->status, 0);
    EXPECT_EQ(c.tables.runners[1]->status, 0);
    EXPECT_EQ(p.questions[0], cp("Восстановить ВСЕХ спортсменов в базе данных?"_cp1251));
}

TEST(Status, NumberFieldAndTexts) {
    ScriptedPrompts p;
    EXPECT_EQ(status_number("29999", p, true), 29999);
    EXPECT_EQ(status_number("", p, true), 0);
    EXPECT_EQ(status_number("30000", p, true), std::nullopt);
    EXPECT_EQ(p.messages.at(0), "Number: enter an integer between 0 and 29999.");
    Competition c;
    StatusTexts t = status_texts(c.info);
    t.names[3] = "Reason three is long";
    t.short_texts[8] = "DNS";
    t.names[0] = "not edited";
    store_status_texts(c, t);
    EXPECT_EQ(field_text(c.info.status_names[3]), "Reason thre");
    EXPECT_EQ(field_text(c.info.status_short_texts[8]), "DNS");
    EXPECT_EQ(field_text(c.info.status_names[0]), "\xED\xEE\xF0\xEC\xE0");  // "норма", as it was
    EXPECT_TRUE(c.modified);
}

// ---- join ----

TEST(Join, ThreeMarkedClubsBecomeTheFirst) {
    Competition c;
    add_club(c, 1);
    add_club(c, 2, true);
    add_club(c, 3, true);
    add_club(c, 4);  // no runners: freed too
    add_club(c, 5, true);
    add_club(c, 6);  // keeps its runner
    add_runner(c, 1, 0, 0, 2);
    add_runner(c, 2, 0, 0, 3);
    add_runner(c, 3, 0, 0, 5);
    add_runner(c, 4, 0, 0, 6);
    add_runner(c, 5, 0, 0, 1);
    ScriptedPrompts p;
    p.yes_no_answers = {true, true};
    EXPECT_TRUE(join_marked(c, kClubs, p, false));
    EXPECT_EQ(p.questions[0],
              cp("Объединить отмеченные коллективы и удалить не используемые?"_cp1251));
    EXPECT_EQ(p.questions[1], cp("Снять отметку?"_cp1251));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.tables.runners[i]->club_id, 2);
    EXPECT_EQ(c.tables.runners[3]->club_id, 6);
    ASSERT_NE(c.tables.clubs[2], nullptr);
    EXPECT_EQ(c.tables.clubs[0]->id, 1);
    EXPECT_EQ(c.tables.clubs[1]->id, 2);
    EXPECT_EQ(c.tables.clubs[2]->id, 6);
    EXPECT_EQ(c.tables.clubs[3], nullptr);
    EXPECT_EQ(c.tables.clubs[1]->runner_count, 3);
    EXPECT_EQ(c.tables.clubs[1]->marked, 0);
    EXPECT_FALSE(c.tables.clubs.has_deleted());  // freed, not kept for undo
}

TEST(Join, ClassesWithoutMarksStillDropUnusedAndKeepMarksOnNo) {
    Competition c;
    add_class(c, 1);
    add_class(c, 2);
    add_runner(c, 1, 0, 2);
    ScriptedPrompts p;
    p.yes_no_answers = {true, false};
    EXPECT_TRUE(join_marked(c, kClasses, p, false));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], cp("Нет ни одной отметенной группы!"_cp1251));
    EXPECT_EQ(c.tables.classes[0]->id, 2);
    EXPECT_EQ(c.tables.classes[1], nullptr);

    add_class(c, 3, 0, true);
    add_runner(c, 2, 0, 3);
    c.tables.classes[0]->set_marked(true);
    p.yes_no_answers = {true, false};
    EXPECT_TRUE(join_marked(c, kClasses, p, false));
    EXPECT_EQ(c.tables.runners[1]->class_id, 2);
    EXPECT_EQ(c.tables.classes[1], nullptr);
    EXPECT_TRUE(c.tables.classes[0]->marked());  // "Снять отметку?" answered no
}

TEST(Join, DeclinedChangesNothing) {
    Competition c;
    add_club(c, 1, true);
    ScriptedPrompts p;
    EXPECT_FALSE(join_marked(c, kClubs, p, false));
    EXPECT_NE(c.tables.clubs[0], nullptr);
    EXPECT_FALSE(join_marked(c, kRunners, p, false));
}
