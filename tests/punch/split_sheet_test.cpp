#include "punch/split_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/time_text.h"

namespace skarvel {
namespace {

std::string cp(const char* utf8) {
    return utf8_to_cp1251(utf8);
}
std::int32_t at(const char* text) {
    return parse_time_text(text);
}

// A competition with one runner on a course 31, 32, 33 and a card with an extra punch 45.
struct SplitFixture : ::testing::Test {
    Competition c;
    Runner* r = nullptr;
    Course* course = nullptr;
    CardReadout card;
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};

    void SetUp() override {
        set_field_text(c.info.title_lines[0], cp("Кубок"));
        c.info.check_mode = 1;
        course = c.tables.courses[c.new_record(kCourses)];
        course->id = 1;
        set_field_text(course->name, "1");
        set_controls({31, 32, 33});
        ClassRecord* cls = c.tables.classes[c.new_record(kClasses)];
        cls->id = 1;
        cls->course_id = 1;
        set_field_text(cls->name, cp("М21"));
        Club* club = c.tables.clubs[c.new_record(kClubs)];
        club->id = 1;
        set_field_text(club->name, cp("СКА"));
        r = c.tables.runners[c.new_record(kRunners)];
        r->id = 1;
        r->start_number = 12;
        r->card_number = 5012;
        r->class_id = 1;
        r->club_id = 1;
        set_field_text(r->name, cp("Иванов"));
        r->start_time = at("10:00:00");
        r->finish_time = at("10:25:00");
        r->result = r->finish_time - r->start_time;
        c.rebuild_number_index();
        card.card_number = 5012;
        set_punches({{31, "10:05:00"}, {45, "10:07:00"}, {32, "10:10:30"}, {33, "10:20:00"}});
    }
    void set_controls(std::vector<int> codes) {
        std::fill(std::begin(course->control_codes), std::end(course->control_codes), 0);
        for (std::size_t i = 0; i < codes.size(); ++i)
            course->control_codes[i] = static_cast<std::uint8_t>(codes[i]);
    }
    void set_punches(std::vector<std::pair<int, const char*>> punches) {
        card.punch_count = 0;
        for (auto [code, time] : punches) {
            card.punches[card.punch_count].code = static_cast<std::uint8_t>(code);
            card.punches[card.punch_count].time = at(time);
            ++card.punch_count;
        }
    }
    std::vector<std::string> texts(const SplitSheet& s) {
        std::vector<std::string> out;
        for (const auto& l : s.lines) out.push_back(l.text);
        return out;
    }
    std::vector<std::string> cps(std::initializer_list<const char*> lines) {
        std::vector<std::string> out;
        for (const char* l : lines) out.push_back(cp(l));
        return out;
    }
};

// --- Course-order layout --------------------------------------------------------------------

TEST_F(SplitFixture, CourseOrderExtraPunchLinesAndPositions) {
    SplitSheet s = compose_split_sheet(c, *r, card, prompts);
    ASSERT_TRUE(s.ok);
    EXPECT_TRUE(s.course_order);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.document_name, cp("Информашка № 12 :Иванов"));
    EXPECT_EQ(texts(s), cps({"Кубок", "Иванов", "СКА", "№   12, VP-чип № 5012", "Старт: 10:00:00",
                             "Группа: М21", "  1 ( 31) 10:05:00 00:05:00", "    - 45- 10:07:00",
                             "  2 ( 32) 10:10:30 00:05:30", "  3 ( 33) 10:20:00 00:09:30",
                             "Финиш:    10:25:00 00:05:00", "Результат:00:25:00", "Отметка - ОК"}));
    std::vector<double> ys;
    for (const auto& l : s.lines) ys.push_back(l.y_mm);
    std::vector<double> want{20, 26, 32, 38, 42, 46, 50, 54, 58, 62, 66, 70, 74};
    EXPECT_EQ(ys, want);
    EXPECT_TRUE(s.lines[2].heading);
    EXPECT_FALSE(s.lines[3].heading);
}

TEST_F(SplitFixture, WithoutClubBodyStartsAt32) {
    r->club_id = 99;
    SplitSheet s = compose_split_sheet(c, *r, card, prompts);
    ASSERT_GE(s.lines.size(), 3u);
    EXPECT_EQ(s.lines[2].text, cp("№   12, VP-чип № 5012"));
    EXPECT_EQ(s.lines[2].y_mm, 32);
}

TEST_F(SplitFixture, MissingControlEndsWalkAndListsCourse) {
    set_controls({31, 32});
    set_punches({{31, "10:05:00"}});
    SplitSheet s = compose_split_sheet(c, *r, card, prompts);
    EXPECT_FALSE(s.found);
    auto t = texts(s);
    std::vector<std::string> tail(t.begin() + 6, t.end());
    EXPECT_EQ(tail, cps({"  1 ( 31) 10:05:00 00:05:00", "Финиш:    10:25:00 00:20:00",
                         "Отметка - ПЛОХАЯ", "Должно быть:", " 31  32 "}));
}

TEST_F(SplitFixture, ExpectedCodesFiveToALineAtMostFifty) {
    std::vector<int> codes;
    for (int i = 0; i < 60; ++i) codes.push_back(100 + i);
    set_controls(codes);
    set_punches({});
    SplitSheet s = compose_split_sheet(c, *r, card, prompts);
    auto t = texts(s);
    auto it = std::find(t.begin(), t.end(), cp("Должно быть:"));
    ASSERT_NE(it, t.end());
    EXPECT_EQ(t.end() - it - 1, 10);
    EXPECT_EQ(*(it + 1), "100 101 102 103 104 ");
    EXPECT_EQ(t.back(), "145 146 147 148 149 ");
}

TEST_F(SplitFixture, CourseWithoutControlsIsOk) {
    set_controls({});
    SplitSheet s = compose_split_sheet(c, *r, card, prompts);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.lines.back().text, cp("Отметка - ОК"));
}

TEST_F(SplitFixture, PacePerKilometre) {
    c.info.print_speed = 1;
    set_controls({31});
    course->control_values[0] = 1000;
    course->length_m = 2000;
    set_punches({{31, "10:05:30"}});
    r->finish_time = at("10:11:00");
    r->result = at("00:11:00");
    auto t = texts(compose_split_sheet(c, *r, card, prompts));
    EXPECT_EQ(t[6], cp("  1 ( 31) 10:05:30 00:05:30   5:30/км"));
    EXPECT_EQ(t[7], cp("Финиш:    10:11:00 00:05:30"));
    EXPECT_EQ(t[8], cp("Результат:00:11:00"));
    EXPECT_EQ(t[9], cp("Средняя скорость   5:30/км"));
}

TEST_F(SplitFixture, NewLayoutShowsTimesSinceStart) {
    c.info.new_split_layout = 1;
    auto t = texts(compose_split_sheet(c, *r, card, prompts));
    EXPECT_EQ(t[6], cp("  1 ( 31) 00:05:00 00:05:00"));
    EXPECT_EQ(t[7], cp("    - 45- 00:07:00"));
    EXPECT_EQ(t[10], cp("Финиш:    00:25:00 00:05:00"));
}

TEST_F(SplitFixture, RelayPreviousLegFinishIsTheStart) {
    c.info.relay = 1;
    r->start_number = 2101;
    r->start_time = 0;
    r->finish_time = at("11:15:00");
    r->result = r->finish_time;
    FinishLine* prev = c.tables.finish_lines[c.new_record(kFinishLines)];
    prev->start_number = 1101;
    prev->set_time(at("10:45:00"));
    set_controls({31});
    set_punches({{31, "10:55:00"}});
    auto t = texts(compose_split_sheet(c, *r, card, prompts));
    EXPECT_EQ(t[4], cp("Финиш пред.этапа: 10:45:00"));
    EXPECT_EQ(t[6], cp("  1 ( 31) 10:55:00 00:10:00"));
    EXPECT_EQ(t[8], cp("Результат:00:30:00"));

    r->start_number = 1101;
    auto first_leg = texts(compose_split_sheet(c, *r, card, prompts));
    EXPECT_EQ(first_leg[4], cp("Группа: М21"));  // no start line
}

TEST_F(SplitFixture, TimeLimitLine) {
    c.info.limit_disqualify = 1;
    course->time_limit_min = 20;
    auto t = texts(compose_split_sheet(c, *r, card, prompts));
    EXPECT_EQ(t.back(), cp("ПРЕВЫШЕНИЕ КОНТРОЛЬНОГО ВРЕМЕНИ!"));
    EXPECT_EQ(r->status, 0);  // the course-order sheet only tells
}

TEST_F(SplitFixture, ModeTwoTakesFirstCourseNamedByNumber) {
    c.info.check_mode = 2;
    Course* a = c.tables.courses[c.new_record(kCourses)];
    a->id = 2;
    set_field_text(a->name, "12");
    a->control_codes[0] = 45;
    Course* b = c.tables.courses[c.new_record(kCourses)];
    b->id = 3;
    set_field_text(b->name, "12");
    b->control_codes[0] = 99;
    auto t = texts(compose_split_sheet(c, *r, card, prompts));
    EXPECT_EQ(t[6], cp("    - 31- 10:05:00"));
    EXPECT_EQ(t[7], cp("  1 ( 45) 10:07:00 00:07:00"));
}

TEST_F(SplitFixture, MissingClassOrCoursePrintsNothing) {
    r->class_id = 77;
    EXPECT_FALSE(print_split_sheet(c, *r, card, env));
    EXPECT_TRUE(printers.documents.empty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], cp("Нет такой группы !"));

    r->class_id = 1;
    c.tables.classes[0]->course_id = 55;
    print_split_sheet(c, *r, card, env);
    EXPECT_TRUE(printers.documents.empty());
    EXPECT_EQ(prompts.messages.back(), cp("Нет такой дистанции !"));

    c.info.check_mode = 2;  // no course named 12
    print_split_sheet(c, *r, card, env);
    EXPECT_TRUE(printers.documents.empty());
    EXPECT_EQ(prompts.messages.back(), cp("Нет такой дистанции !"));
}

TEST_F(SplitFixture, PrintedOnRecordingDeviceScaleTwoAt600Dpi) {
    c.info.split_scale = 2;
    c.info.split_left_offset_cm = 2;
    RecordingPageDevice dev;
    dev.dpi = 600;
    SplitSheet s = compose_split_sheet(c, *r, card, prompts);
    draw_split_sheet(dev, s, c.info.split_scale);
    dev.end_document();
    EXPECT_EQ(dev.faults, 0);
    ASSERT_EQ(dev.doc.pages.size(), 1u);
    const RecordedPage& page = dev.doc.pages[0];
    ASSERT_EQ(page.items.size(), s.lines.size());
    EXPECT_EQ(page.items[0].x_mm, 20);
    EXPECT_EQ(page.items[0].y_mm, 20);
    ASSERT_EQ(page.custom_fonts.size(), 2u);
    EXPECT_EQ(page.custom_fonts[0].first_item, 0u);
    EXPECT_EQ(page.custom_fonts[0].height_dots, 83);
    EXPECT_EQ(page.custom_fonts[0].page_font.face, "Courier New Cyr");
    EXPECT_EQ(page.custom_fonts[0].page_font.weight, 700);
    EXPECT_EQ(page.custom_fonts[1].first_item, 3u);
    EXPECT_EQ(page.custom_fonts[1].height_dots, 66);
}

TEST(SplitFonts, HeightsByScale) {
    EXPECT_EQ(static_cast<int>(600 * split_heading_font_inch(0)), 133);
    EXPECT_EQ(static_cast<int>(600 * split_body_font_inch(0)), 91);
    EXPECT_EQ(static_cast<int>(600 * split_heading_font_inch(1)), 100);
    EXPECT_EQ(static_cast<int>(600 * split_body_font_inch(1)), 77);
    EXPECT_EQ(split_heading_font_inch(7), split_heading_font_inch(0));  // damaged value
}

TEST_F(SplitFixture, PrintSplitSheetMakesOneDocumentOfOnePage) {
    EXPECT_TRUE(print_split_sheet(c, *r, card, env));
    ASSERT_EQ(printers.documents.size(), 1u);
    EXPECT_EQ(printers.documents[0].name, cp("Информашка № 12 :Иванов"));
    EXPECT_EQ(printers.documents[0].pages.size(), 1u);
    EXPECT_TRUE(printers.documents[0].ended);
    EXPECT_EQ(printers.faults[0], 0);
}

TEST_F(SplitFixture, PrinterFailureIsShownAndCallerGoesOn) {
    printers.fail_with = "GetPrinterDeviceDefaults = 0";
    print_split_sheet(c, *r, card, env);
    EXPECT_TRUE(printers.documents.empty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], "GetPrinterDeviceDefaults = 0");
}

// --- Plain layout ---------------------------------------------------------------------------

TEST_F(SplitFixture, PlainWithOwner) {
    c.info.check_mode = 3;
    r->status = 1;
    SplitSheet s = compose_split_sheet(c, *r, card, prompts);
    EXPECT_FALSE(s.course_order);
    EXPECT_EQ(s.document_name, cp("Информашка № 12"));
    EXPECT_EQ(texts(s),
              cps({"Кубок", "№ 12, Иванов", "Группа: М21", "Коллектив: СКА", "Старт: 10:00:00",
                   "VP-чип № 5012", "  1 ( 31) 10:05:00 10:05:00", "  2 ( 45) 10:07:00 00:02:00",
                   "  3 ( 32) 10:10:30 00:03:30", "  4 ( 33) 10:20:00 00:09:30", "Отметка ПЛОХАЯ!",
                   "Финиш:    10:25:00 00:05:00", "Результат (без проверки):00:25:00"}));
    std::vector<double> ys;
    for (const auto& l : s.lines) ys.push_back(l.y_mm);
    EXPECT_EQ(ys[3], 38);
    EXPECT_EQ(ys[4], 42);
    EXPECT_EQ(ys[5], 46);
    for (const auto& l : s.lines) EXPECT_TRUE(l.heading);

    c.info.check_mode = 0;
    r->club_id = 0;
    auto t = texts(compose_split_sheet(c, *r, card, prompts));
    EXPECT_EQ(t[3], cp("Старт: 10:00:00"));
    EXPECT_EQ(t[9], cp("Отметка не проверялась !"));
}

TEST_F(SplitFixture, PlainWithoutOwner) {
    card.start.time = at("09:59:00");
    card.finish.time = at("10:26:00");
    SplitSheet s = compose_plain_sheet(c, nullptr, card, prompts);
    EXPECT_EQ(s.document_name, cp("Информашка - неизвестный"));
    auto t = texts(s);
    std::vector<std::string> head(t.begin(), t.begin() + 5);
    EXPECT_EQ(head, cps({"Кубок", "Неизвестный участник", "Стартовая станция: 09:59:00",
                         "Финишная  станция: 10:26:00", "VP-чип № 5012"}));
    EXPECT_EQ(s.lines[2].y_mm, 32);
    EXPECT_EQ(t.back(), cp("Отметка не проверялась !"));
    EXPECT_EQ(t.size(), 10u);
}

TEST_F(SplitFixture, PlainTimeLimitDisqualifies) {
    c.info.check_mode = 0;
    c.info.limit_disqualify = 1;
    course->time_limit_min = 20;
    print_split_sheet(c, *r, card, env);
    EXPECT_EQ(r->status, kStatusOverTime);
    ASSERT_EQ(printers.documents.size(), 1u);
    EXPECT_EQ(printers.documents[0].pages[0].texts().back(),
              cp("ПРЕВЫШЕНИЕ КОНТРОЛЬНОГО ВРЕМЕНИ!"));
    // A regular weight on the plain sheet, the heading size throughout.
    const auto& fonts = printers.documents[0].pages[0].custom_fonts;
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].page_font.weight, 400);
    EXPECT_EQ(fonts[0].height_dots, 133);
}

// --- Text variant ---------------------------------------------------------------------------

TEST_F(SplitFixture, TextVariantCourseOrderByteForByte) {
    c.info.time_precision = 2;
    StringSink out;
    EXPECT_TRUE(write_split_text(out, c, *r, card, prompts));
    EXPECT_EQ(out.text,
              cp("Кубок\r\nИванов\r\nСКА\r\n№   12, VP-чип № 5012\r\nСтарт: 10:00:00,00\r\n"
                 "Группа: М21\r\n  1 ( 31) 10:05:00 00:05:00\r\n    - 45- 10:07:00\r\n"
                 "  2 ( 32) 10:10:30 00:05:30\r\n  3 ( 33) 10:20:00 00:09:30\r\n"
                 "Финиш:    10:25:00,00 00:05:00,00\r\nРезультат:00:25:00,00\r\nОтметка - ОК\r\n"));
}

TEST_F(SplitFixture, TextVariantAllPunchesWithPace) {
    c.info.check_mode = 0;
    c.info.print_speed = 1;
    course->control_values[0] = 1000;
    r->club_id = 0;
    StringSink out;
    EXPECT_TRUE(write_split_text(out, c, *r, card, prompts));
    EXPECT_EQ(out.text,
              cp("Кубок\r\nИванов\r\n№   12, VP-чип № 5012\r\nСтарт: 10:00:00\r\nГруппа: М21\r\n"
                 "  1 ( 31) 10:05:00 00:05:00   5:00/км\r\n  2 ( 45) 10:07:00 00:02:00\r\n"
                 "  3 ( 32) 10:10:30 00:03:30\r\n  4 ( 33) 10:20:00 00:09:30\r\n"
                 "Финиш:    10:25:00 00:05:00\r\nРезультат:00:25:00\r\nОтметка - ОК\r\n"));
    r->status = 1;
    StringSink bad;
    EXPECT_FALSE(write_split_text(bad, c, *r, card, prompts));
    EXPECT_NE(bad.text.find(cp("Отметка - ПЛОХАЯ\r\n")), std::string::npos);
    EXPECT_EQ(bad.text.find(cp("Результат")), std::string::npos);
}

TEST_F(SplitFixture, TextVariantMissingCourseWritesNothing) {
    r->class_id = 42;
    StringSink out;
    EXPECT_FALSE(write_split_text(out, c, *r, card, prompts));
    EXPECT_TRUE(out.text.empty());
    EXPECT_EQ(prompts.messages.back(), cp("Нет такой группы !"));
}

// --- Commands -------------------------------------------------------------------------------

TEST_F(SplitFixture, RangeFromCurrentRowToEndThenContinues) {
    for (int k = 0; k < 3; ++k) {
        CardReadout* rd = c.tables.card_readouts[c.new_record(kCardReadouts)];
        *rd = card;
        if (k == 1) rd->card_number = 777;  // no owner
    }
    SplitRangeState state;
    EXPECT_EQ(print_split_range(c, state, 1, env), 2);
    ASSERT_EQ(printers.documents.size(), 2u);
    EXPECT_EQ(printers.documents[0].name, cp("Информашка - неизвестный"));
    EXPECT_EQ(prompts.messages[0], cp("Владелец ЧИПа не найден, печатаю все отметки!"));
    EXPECT_EQ(state.start_from, 4);  // the slot after the last readout, counted from 1

    SplitRangeState two{1, 2};
    EXPECT_EQ(print_split_range(c, two, 0, env), 2);
    EXPECT_EQ(two.start_from, 3);
    EXPECT_EQ(print_split_range(c, two, 0, env), 1);
}

TEST_F(SplitFixture, ByRunnerOrderAsksAndSkipsRunnersWithoutReadout) {
    Runner* other = c.tables.runners[c.new_record(kRunners)];
    other->id = 2;
    other->start_number = 13;
    other->card_number = 999;
    other->class_id = 1;
    *c.tables.card_readouts[c.new_record(kCardReadouts)] = card;
    prompts.yes_no_answers = {false};
    EXPECT_EQ(print_splits_by_runner_order(c, env), 0);
    ASSERT_EQ(prompts.captions.size(), 1u);
    EXPECT_EQ(prompts.captions[0], cp("ВНИМАНИЕ"));
    EXPECT_EQ(prompts.questions[0], cp("Печатать сплиты текущим (из базы)?"));
    prompts.yes_no_answers = {true};
    EXPECT_EQ(print_splits_by_runner_order(c, env), 1);
    EXPECT_EQ(printers.documents.size(), 1u);
}

TEST_F(SplitFixture, ReaderHookPrintsOwnerAndUnknownCards) {
    auto hook = split_print_hook(c, env);
    hook(r, card);
    hook(nullptr, card);
    ASSERT_EQ(printers.documents.size(), 2u);
    EXPECT_EQ(printers.documents[0].name, cp("Информашка № 12 :Иванов"));
    EXPECT_EQ(printers.documents[1].name, cp("Информашка - неизвестный"));
}

}  // namespace
}  // namespace skarvel
