#include "core/record_edit.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/cp1251.h"
#include "core/time_text.h"

using namespace skarvel;
using namespace skarvel::literals;

namespace {
std::string cp(std::string_view s) {
    return std::string(s);
}
}  // namespace

// ---- control order ----

TEST(ControlOrder, StartAndFinishLettersAddToTheCode) {
    Course k;
    ASSERT_TRUE(parse_control_order("S1;0\n31;5\nF;0", k, false));
    EXPECT_EQ(k.control_codes[0], 11);
    EXPECT_EQ(k.control_codes[1], 31);
    EXPECT_EQ(k.control_codes[2], 20);
    EXPECT_EQ(k.control_values[0], 0);
    EXPECT_EQ(k.control_values[1], 5);
    EXPECT_EQ(k.control_values[2], 0);
    EXPECT_EQ(k.control_codes[3], 0);
}

TEST(ControlOrder, ShowsNonZeroEntriesAndReadsBackTheSame) {
    Course k;
    k.control_codes[0] = 31;
    k.control_values[0] = 5;
    k.control_codes[2] = 45;  // a gap at entry 1 is not shown
    k.control_values[2] = 65535;
    k.control_codes[85] = 99;  // beyond the 80 edited entries: neither shown nor touched
    std::string text = format_control_order(k);
    EXPECT_EQ(text, "31;5\r\n45;65535\r\n");
    Course back;
    back.control_codes[85] = 99;
    back.control_codes[5] = 7;  // cleared by reading
    ASSERT_TRUE(parse_control_order(text, back, false));
    EXPECT_EQ(back.control_codes[0], 31);
    EXPECT_EQ(back.control_codes[1], 45);
    EXPECT_EQ(back.control_values[1], 65535);
    EXPECT_EQ(back.control_codes[5], 0);
    EXPECT_EQ(back.control_codes[85], 99);
    EXPECT_EQ(format_control_order(back), text);
}

TEST(ControlOrder, SemicolonFirstGivesCodeZeroAndOtherCharactersAreIgnored) {
    Course k;
    ASSERT_TRUE(parse_control_order(";7\nK3x2;  9z\nFS5\n", k, false));
    EXPECT_EQ(k.control_codes[0], 0);
    EXPECT_EQ(k.control_values[0], 7);
    EXPECT_EQ(k.control_codes[1], 32);  // digits 3, 2; other letters ignored
    EXPECT_EQ(k.control_values[1], 9);
    EXPECT_EQ(k.control_codes[2], 15);  // the last letter (S) wins: 5 + 10
    EXPECT_EQ(k.control_values[2], 0);
}

TEST(ControlOrder, AtMostEightyLinesAreTaken) {
    std::string text;
    for (int i = 1; i <= 90; ++i)
        text += std::to_string(i + 100) + ";" + std::to_string(i) + "\r\n";
    Course k;
    ASSERT_TRUE(parse_control_order(text, k, false));
    EXPECT_EQ(k.control_codes[79], 180);
    EXPECT_EQ(k.control_values[79], 80);
    EXPECT_EQ(k.control_codes[80], 0);
}

TEST(ControlOrder, CodesBeyondEightBitsAreRefusedAndNothingChanges) {
    Course k;
    k.control_codes[0] = 33;
    EditResult r = parse_control_order("31;0\n300;0\n", k, false);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find(cp(", строка 2"_cp1251)), std::string::npos);
    EXPECT_EQ(k.control_codes[0], 33);
    EXPECT_FALSE(parse_control_order("31;70000", k, true));
    EXPECT_TRUE(parse_control_order("F255;0", k, true) ? false : true);  // 255 + 20
    EXPECT_TRUE(parse_control_order("S245;65535", k, true));
    EXPECT_EQ(k.control_codes[0], 255);
}

// ---- punch text ----

TEST(PunchText, ShowsPunchesAtSecondsPrecision) {
    CardReadout r;
    r.punch_count = 3;
    r.punches[0] = {31, {}, 4473100};
    r.punches[1] = {0, {}, 100};  // a zero code is skipped
    r.punches[2] = {32, {}, 4473155};
    r.punches[3] = {33, {}, 100};  // beyond punch_count
    EXPECT_EQ(format_punch_text(r), "31;12:25:31\r\n32;12:25:31\r\n");
    r.punch_count = 500;  // a damaged count shows at most 64
    EXPECT_EQ(format_punch_text(r), "31;12:25:31\r\n32;12:25:31\r\n33;00:00:01\r\n");
}

TEST(PunchText, LineWithoutSemicolonEndsTheReading) {
    CardReadout r;
    r.punches[10].code = 77;  // cleared
    ASSERT_TRUE(parse_punch_text("31;12:25:31\r\n45\r\n46;12:30:00\r\n", r, false));
    EXPECT_EQ(r.punch_count, 1);
    EXPECT_EQ(r.punches[0].code, 31);
    EXPECT_EQ(r.punches[0].time, 4473100);
    EXPECT_EQ(r.punches[1].code, 0);
    EXPECT_EQ(r.punches[10].code, 0);
}

TEST(PunchText, RoundTripAndAtMostSixtyFourLines) {
    std::string text;
    for (int i = 0; i < 70; ++i)
        text += std::to_string(31 + i) + ";10:00:" + (i % 60 < 10 ? "0" : "") +
                std::to_string(i % 60) + "\r\n";
    CardReadout r;
    ASSERT_TRUE(parse_punch_text(text, r, false));
    EXPECT_EQ(r.punch_count, 64);
    EXPECT_EQ(r.punches[63].code, 94);
    CardReadout back;
    ASSERT_TRUE(parse_punch_text(format_punch_text(r), back, false));
    EXPECT_EQ(back.punch_count, 64);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(back.punches[i].code, r.punches[i].code);
        EXPECT_EQ(back.punches[i].time, r.punches[i].time);
    }
}

TEST(PunchText, EmptyTextClearsAndBigCodeIsRefused) {
    CardReadout r;
    r.punch_count = 1;
    r.punches[0].code = 5;
    ASSERT_TRUE(parse_punch_text("", r, false));
    EXPECT_EQ(r.punch_count, 0);
    EXPECT_EQ(r.punches[0].code, 0);
    r.punch_count = 1;
    r.punches[0].code = 5;
    EXPECT_FALSE(parse_punch_text("31;10:00:00\r\n256;10:01:00", r, true));
    EXPECT_EQ(r.punch_count, 1);
    EXPECT_EQ(r.punches[0].code, 5);
}

// ---- title lines ----

TEST(TitleLines, SplitAtAnyLineEndCutAndJoinNonEmpty) {
    CompetitionInfo info;
    set_field_text(info.title_lines[9], "old");
    std::string long_line(100, 'x');
    split_title_lines("One\r\nTwo\nThree\rFour\r\n\r\n" + long_line, info);
    EXPECT_EQ(field_text(info.title_lines[0]), "One");
    EXPECT_EQ(field_text(info.title_lines[1]), "Two");
    EXPECT_EQ(field_text(info.title_lines[2]), "Three");
    EXPECT_EQ(field_text(info.title_lines[3]), "Four");
    EXPECT_EQ(field_text(info.title_lines[4]), "");
    EXPECT_EQ(field_text(info.title_lines[5]), std::string(79, 'x'));
    EXPECT_EQ(field_text(info.title_lines[9]), "");
    EXPECT_EQ(join_title_lines(info), "One\r\nTwo\r\nThree\r\nFour\r\n" + std::string(79, 'x'));
}

TEST(TitleLines, AtMostTenLines) {
    CompetitionInfo info;
    std::string text;
    for (int i = 0; i < 12; ++i) text += "L" + std::to_string(i) + "\n";
    split_title_lines(text, info);
    EXPECT_EQ(field_text(info.title_lines[9]), "L9");
    EXPECT_EQ(join_title_lines(info).substr(0, 8), "L0\r\nL1\r\n");
}

TEST(CompetitionInfoForm, StoresEveryFieldAndCutsOfficials) {
    Competition c;
    CompetitionInfoForm f = competition_info_form(c.info);
    f.title = "Title\nSecond";
    f.place = std::string(30, 'p');
    f.date = std::string(25, 'd');
    f.course_setters[3] = "Setter";
    f.competition_kind = 2;
    f.relay = true;
    f.pad_numbers_to_4 = true;
    f.time_precision = 2;
    store_competition_info_form(c, f);
    EXPECT_TRUE(c.modified);
    EXPECT_EQ(field_text(c.info.title_lines[1]), "Second");
    EXPECT_EQ(field_text(c.info.place), std::string(24, 'p'));
    EXPECT_EQ(field_text(c.info.date), std::string(20, 'd'));
    EXPECT_EQ(field_text(c.info.course_setters[3]), "Setter");
    EXPECT_EQ(c.info.competition_kind, 2);
    EXPECT_EQ(c.info.relay, 1);
    EXPECT_EQ(c.info.pad_numbers_to_4, 1);
    EXPECT_EQ(c.info.time_precision, 2);
    CompetitionInfoForm again = competition_info_form(c.info);
    EXPECT_EQ(again.title, "Title\r\nSecond");
}

// ---- runner ----

TEST(RunnerForm, NewRunnerDefaults) {
    Competition c;
    c.info.filter_class_id = 3;
    c.info.filter_club_id = 4;
    c.tables.runners[c.new_record(kRunners)]->id = 7;
    RunnerForm f = runner_form(c, nullptr);
    EXPECT_EQ(f.id, 8);
    EXPECT_EQ(f.name, ".");
    EXPECT_EQ(f.start_time, "00:00:00");
    EXPECT_EQ(f.class_id, 3);
    EXPECT_EQ(f.club_id, 4);
    EXPECT_EQ(f.start_number, "0");
    EXPECT_EQ(c.tables.runners.live_count(), 1);  // opening the form creates nothing
}

TEST(RunnerForm, BirthYearsAsTyped) {
    Competition c;
    RunnerForm f = runner_form(c, nullptr);
    for (auto [typed, stored] : {std::pair{"85", 1985},
                                 {"0", 0},
                                 {"100", 100},
                                 {"99", 1999},
                                 {"1", 1901},
                                 {"2100", 2100},
                                 {"", 0}}) {
        f.birth_year = typed;
        EditResult r = store_runner_form(c, 0, f, false);
        ASSERT_TRUE(r) << typed;
        EXPECT_EQ(c.tables.runners[0]->birth_year, stored) << typed;
    }
}

// Minutes and seconds above 59 are refused, not carried over into the next hour.
TEST(RunnerForm, TimeFieldsRefuseMinutesAndSecondsAbove59) {
    Competition c;
    RunnerForm f = runner_form(c, nullptr);
    for (auto [typed, ok] : {std::pair{"11:75:00", false},
                             {"11:15:60", false},
                             {"1:60", false},
                             {"11:59:59", true},
                             {"11:05:07,5", true},
                             {"90", true},
                             {"23:59", true}}) {
        f.start_time = typed;
        EditResult r = store_runner_form(c, 0, f, true);
        EXPECT_EQ(bool(r), ok) << typed;
        if (!ok) {
            EXPECT_EQ(r.error, "Start: minutes and seconds are 0..59.") << typed;
        } else {
            EXPECT_EQ(c.tables.runners[0]->start_time, parse_time_text(typed)) << typed;
        }
    }
    f.start_time = "11:75:00";
    EXPECT_EQ(store_runner_form(c, 0, f, false).error,
              std::string("Старт: минуты и секунды - от 0 до 59."_cp1251));
}

TEST(RunnerForm, StoresAllFieldsAndRoundTrips) {
    Competition c;
    c.info.time_precision = 1;
    RunnerForm f = runner_form(c, nullptr);
    f.name = cp("Иванов, Пётр"_cp1251);
    f.class_id = 2;
    f.club_id = 5;
    f.qualification = 10;
    f.birth_year = "1990";
    f.heat_or_leg = "3";
    f.start_number = "29999";
    f.start_time = "10:01:02,5";
    f.card_number = "9999999";
    f.comment = "note";
    f.reduced_fee = true;
    f.own_card = true;
    f.individual = true;
    EditResult res = store_runner_form(c, kNoSlot, f, false);
    ASSERT_TRUE(res);
    EXPECT_EQ(res.slot, 0);
    const Runner& r = *c.tables.runners[0];
    EXPECT_EQ(r.id, f.id);
    EXPECT_EQ(field_text(r.name), f.name);
    EXPECT_EQ(r.class_id, 2);
    EXPECT_EQ(r.club_id, 5);
    EXPECT_EQ(r.qualification, 10);
    EXPECT_EQ(r.start_number, 29999);
    EXPECT_EQ(r.start_time, 10 * 360000 + 6000 + 200 + 5);
    EXPECT_EQ(r.card_number, 9999999);
    EXPECT_EQ(r.fee_flags, 3);
    EXPECT_EQ(r.out_of_competition, 0);
    EXPECT_EQ(r.individual, 1);
    EXPECT_EQ(r.heat_or_leg, 3);
    EXPECT_TRUE(c.modified);
    EXPECT_EQ(c.runner_by_number(29999), &r);
    RunnerForm back = runner_form(c, &r);
    EXPECT_EQ(back.start_time, "10:01:02,0");
    EXPECT_EQ(back.card_number, "9999999");
    EXPECT_EQ(back.comment, "note");
    EXPECT_TRUE(back.own_card);
}

TEST(RunnerForm, OutOfRangeValuesAreRefusedAndNothingIsStored) {
    Competition c;
    RunnerForm good = runner_form(c, nullptr);
    struct Case {
        void (*set)(RunnerForm&);
        const char* field;
    };
    const Case cases[] = {
        {[](RunnerForm& f) { f.birth_year = "2101"; },
         "Year of birth: enter an integer between 0 and 2100."},
        {[](RunnerForm& f) { f.birth_year = "-1"; },
         "Year of birth: enter an integer between 0 and 2100."},
        {[](RunnerForm& f) { f.birth_year = "19x5"; },
         "Year of birth: enter an integer between 0 and 2100."},
        {[](RunnerForm& f) { f.start_number = "30000"; },
         "Number: enter an integer between 0 and 29999."},
        {[](RunnerForm& f) { f.card_number = "10000000"; },
         "VP-card: enter an integer between 0 and 9999999."},
        {[](RunnerForm& f) { f.name = std::string(26, 'a'); },
         "Name, surname: enter no more than 25 characters."},
        {[](RunnerForm& f) { f.start_time = "10:00:00,0000"; },
         "Start: enter no more than 12 characters."},
        {[](RunnerForm& f) { f.comment = std::string(22, 'c'); },
         "Comment: enter no more than 21 characters."},
    };
    for (const Case& k : cases) {
        RunnerForm f = good;
        k.set(f);
        EditResult r = store_runner_form(c, 0, f, true);
        EXPECT_FALSE(r);
        EXPECT_EQ(r.error, k.field);
        EXPECT_EQ(c.tables.runners[0], nullptr);
        EXPECT_FALSE(c.modified);
    }
    RunnerForm f = good;
    f.birth_year = "2101";
    EXPECT_EQ(store_runner_form(c, 0, f, false).error,
              cp("Год рождения: введите целое число от 0 до 2100."_cp1251));
}

TEST(RunnerForm, EditingKeepsTheOtherFields) {
    Competition c;
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.id = 4;
    r.status = 7;
    r.place = 3;
    r.fee_flags = 0x80 | Runner::kFeeOwnCard;
    r.day_results[2] = 1234;
    RunnerForm f = runner_form(c, &r);
    f.own_card = false;
    ASSERT_TRUE(store_runner_form(c, 0, f, false));
    EXPECT_EQ(r.id, 4);
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.place, 0);  // derived from the finish list, where this runner has no line
    EXPECT_EQ(r.fee_flags, 0x80);
    EXPECT_EQ(r.day_results[2], 1234);
}

TEST(RunnerForm, QualificationEntries) {
    auto e = qualification_entries();
    ASSERT_EQ(e.size(), 11u);
    EXPECT_EQ(e[0], "0:    ");
    EXPECT_EQ(e[7], cp("7:КМС "_cp1251));
    EXPECT_EQ(e[9], cp("9:МСМК"_cp1251));
    EXPECT_EQ(e[10], cp("*:ЗМС"_cp1251));
}

// ---- club, class, course, card readout ----

TEST(ClubForm, DefaultsLimitsAndStore) {
    Competition c;
    ClubForm f = club_form(c, nullptr);
    EXPECT_EQ(f.id, 1);
    EXPECT_EQ(f.name, cp("Команда № 1"_cp1251));
    f.representative = std::string(21, 'r');
    EXPECT_EQ(store_club_form(c, 0, f, true).error,
              "Representative: enter no more than 20 characters.");
    EXPECT_EQ(c.tables.clubs[0], nullptr);
    f.representative = std::string(20, 'r');
    ASSERT_TRUE(store_club_form(c, 0, f, true));
    EXPECT_EQ(c.tables.clubs[0]->id, 1);
    EXPECT_EQ(field_text(c.tables.clubs[0]->representative), std::string(20, 'r'));
    EXPECT_EQ(club_form(c, nullptr).name, cp("Команда № 2"_cp1251));
}

TEST(ClassForm, DefaultsKeepMarkAndRefuseAwards) {
    Competition c;
    ClassForm f = class_form(c, nullptr);
    // "Группа № 1" does not fit the 8-character name field.
    EXPECT_EQ(f.name, cp("Группа №"_cp1251));
    EXPECT_TRUE(f.ranks_allowed);
    EXPECT_EQ(f.fee_own_normal, "0");
    f.name = "M21";
    f.course_id = 3;
    f.ms_award = "12";
    f.kms_award = "13";
    EXPECT_EQ(store_class_form(c, 0, f, true).error, "CMS: enter an integer between 0 and 12.");
    EXPECT_EQ(c.tables.classes[0], nullptr);
    f.kms_award = "4";
    f.fee_rental_reduced = "100";
    f.fee_own_normal = "250";
    ASSERT_TRUE(store_class_form(c, 0, f, true));
    ClassRecord& k = *c.tables.classes[0];
    EXPECT_EQ(k.course_id, 3);
    EXPECT_EQ(k.ms_award, 12);
    EXPECT_EQ(k.kms_award, 4);
    EXPECT_EQ(k.fee_rental_reduced, 100);
    EXPECT_EQ(k.fee_own_normal, 250);
    EXPECT_TRUE(k.ranks_allowed());
    k.set_marked(true);
    f = class_form(c, &k);
    f.ranks_allowed = false;
    f.name = "123456789";
    EXPECT_FALSE(store_class_form(c, 0, f, false));
    f.name = "12345678";
    ASSERT_TRUE(store_class_form(c, 0, f, false));
    EXPECT_TRUE(k.marked());
    EXPECT_FALSE(k.ranks_allowed());
}

TEST(CourseForm, DefaultsListAndControlOrder) {
    Competition c;
    CourseForm f = course_form(c, nullptr);
    EXPECT_EQ(f.name, cp("Дист№ 1"_cp1251));
    EXPECT_EQ(f.finish_crossings, "1");
    EXPECT_EQ(f.time_limit_min, "120");
    EXPECT_EQ(f.length_m, "0");
    f.name = "Long";
    f.length_m = "5200";
    f.course_setter = 2;
    f.control_order = "S1;0\r\n31;5\r\nF;0";
    ASSERT_TRUE(store_course_form(c, 0, f, false));
    const Course& k = *c.tables.courses[0];
    EXPECT_EQ(k.length_m, 5200);
    EXPECT_EQ(k.course_setter, 2);
    EXPECT_EQ(k.time_limit_min, 120);
    EXPECT_EQ(k.control_codes[2], 20);
    EXPECT_EQ(course_form(c, &k).control_order, "11;0\r\n31;5\r\n20;0\r\n");
    auto list = course_list_entries(c);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], "Long      ");

    f.control_order = std::string(1201, '1');
    EXPECT_EQ(store_course_form(c, 0, f, true).error,
              "Control order: enter no more than 1200 characters.");
    f.control_order = "31;5\r\n999;1";
    f.length_m = "1";
    EXPECT_FALSE(store_course_form(c, 0, f, true));
    EXPECT_EQ(k.length_m, 5200);  // nothing stored
    EXPECT_EQ(k.control_codes[0], 11);
}

TEST(CardReadoutForm, NewShowsZeroTimesAndStoresPunches) {
    Competition c;
    CardReadoutForm f = card_readout_form(c, nullptr);
    EXPECT_EQ(f.start_time, "0:00:00");
    EXPECT_EQ(f.finish_time, "0:00:00");
    f.card_number = "123456";
    f.start_number = "100000";
    f.start_time = "10:00:00";
    f.finish_time = "10:40:00";
    f.punches = "31;10:10:00\r\n32;10:20:00\r\n";
    ASSERT_TRUE(store_card_readout_form(c, 0, f, false));
    const CardReadout& r = *c.tables.card_readouts[0];
    EXPECT_EQ(r.card_number, 123456);
    EXPECT_EQ(r.start_number, 100000);
    EXPECT_EQ(r.start.time, 3600000);
    EXPECT_EQ(r.finish.time, 3840000);
    EXPECT_EQ(r.punch_count, 2);
    CardReadoutForm back = card_readout_form(c, &r);
    EXPECT_EQ(back.punch_count, 2);
    EXPECT_EQ(back.punches, f.punches);
    EXPECT_EQ(back.finish_time, "10:40:00");

    f.start_number = "100001";
    EXPECT_EQ(store_card_readout_form(c, 0, f, true).error,
              "Start number: enter an integer between 0 and 100000.");
    f.start_number = "1";
    f.card_number = "10000000";
    EXPECT_FALSE(store_card_readout_form(c, 0, f, true));
    f.card_number = "1";
    f.punches = std::string(5001, ';');
    EXPECT_FALSE(store_card_readout_form(c, 0, f, true));
    EXPECT_EQ(r.card_number, 123456);
    EXPECT_EQ(r.start_number, 100000);
}

TEST(EditForms, IntegerFieldParsing) {
    EXPECT_EQ(parse_integer_field(" 42 "), 42);
    EXPECT_EQ(parse_integer_field("-3"), -3);
    EXPECT_EQ(parse_integer_field(""), std::nullopt);
    EXPECT_EQ(parse_integer_field("4 2"), std::nullopt);
    EXPECT_EQ(parse_integer_field("99999999999999999999999"), std::nullopt);
}

// Whatever is pasted into the multi-line fields, reading it never overruns the arrays and
// either stores codes that fit or refuses the text and leaves the record alone.
TEST(EditForms, ArbitraryTextIntoControlOrderAndPunches) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const char alphabet[] = "0123456789;:, SF\r\n\xC0x-";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        int len = static_cast<int>(next() % 400);
        for (int i = 0; i < len; ++i) text += alphabet[next() % (sizeof alphabet - 1)];
        Course k;
        k.control_codes[90] = 42;
        Course before = k;
        EditResult r = parse_control_order(text, k, false);
        if (!r) {
            EXPECT_EQ(std::memcmp(k.control_codes, before.control_codes, sizeof k.control_codes),
                      0);
        }
        EXPECT_EQ(k.control_codes[90], 42);
        CardReadout card;
        card.punch_count = 3;
        card.punches[0].code = 9;
        EditResult p = parse_punch_text(text, card, false);
        if (p) {
            EXPECT_GE(card.punch_count, 0);
            EXPECT_LE(card.punch_count, 64);
            // What was taken shows and reads back the same.
            CardReadout again;
            ASSERT_TRUE(parse_punch_text(format_punch_text(card), again, false));
        } else {
            EXPECT_EQ(card.punch_count, 3);
            EXPECT_EQ(card.punches[0].code, 9);
        }
    }
}

// An editor's OK takes the fields the operator changed and keeps every other as it is now.
TEST(MergeChangedFields, OnlyTheOperatorsChangesOverwriteTheRecordAsItIsNow) {
    RunnerForm shown;
    shown.id = 7;
    shown.name = "Ivanov";
    shown.start_time = "10:00:00";
    shown.card_number = "12345";
    RunnerForm now = shown;  // a card set the start time meanwhile
    now.start_time = "10:02:00";
    RunnerForm edited = shown;  // the operator renamed the runner
    edited.name = "Petrov";
    RunnerForm out = merge_changed_fields(shown, edited, now);
    EXPECT_EQ(out.name, "Petrov");
    EXPECT_EQ(out.start_time, "10:02:00");
    EXPECT_EQ(out.card_number, "12345");
    EXPECT_EQ(out.id, 7);
    edited.start_time = "10:05:00";  // both changed it: the operator's value wins
    EXPECT_EQ(merge_changed_fields(shown, edited, now).start_time, "10:05:00");

    CardReadoutForm rs{"5", "0", "0:00:00", "0:00:00", 0, ""};
    CardReadoutForm rn = rs;
    rn.finish_time = "10:30:00";
    rn.punches = "31;10:10:00\r\n";
    CardReadoutForm re = rs;
    re.start_number = "12";
    CardReadoutForm ro = merge_changed_fields(rs, re, rn);
    EXPECT_EQ(ro.start_number, "12");
    EXPECT_EQ(ro.finish_time, "10:30:00");
    EXPECT_EQ(ro.punches, "31;10:10:00\r\n");
}
