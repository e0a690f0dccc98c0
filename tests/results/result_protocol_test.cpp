#include "results/result_protocol.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture.h"

namespace skarvel {
namespace {

using test::cp;
using test::Fixture;
using test::T;
using test::u8;

std::string sp(int n) {
    return std::string(n, ' ');
}

// The standard small competition of these tests: one course with two controls, one class on
// it, a club, two finishers, one disqualified runner and one non-starter.
struct ProtocolFixture : Fixture {
    ProtocolFixture() {
        auto& info = c.info;
        set_field_text(info.title_lines[0], cp("Чемпионат"));
        set_field_text(info.date, cp("01.06.2026"));
        set_field_text(info.place, cp("Парк"));
        set_field_text(info.chief_judge, cp("Судьин"));
        set_field_text(info.chief_secretary, cp("Секретарёва"));
        set_field_text(info.status_short_texts[1], cp("снят"));
        set_field_text(info.status_short_texts[8], cp("н/старт"));
        set_field_text(info.course_setters[1], cp("Картов"));
        auto& course = add_course(1, "Д1", {31, 32});
        course.length_m = 3500;
        course.climb_m = 40;
        course.course_setter = 1;
        add_class(1, "М21", 1);
        add_club(1, "Клуб");
        auto& a = add_runner(1, "Иванов Иван", 1, 1, T(10, 0, 0), T(10, 30, 0));
        a.birth_year = 1990;
        a.qualification = 4;
        a.card_number = 101;
        add_runner(2, "Петров Пётр", 1, 0, T(10, 1, 0), T(10, 36, 30)).card_number = 102;
        add_runner(3, "Сидоров", 1, 1, T(10, 2, 0), T(10, 40, 0), kStatusWrongPunch);
        add_runner(4, "Неявка", 1, 1, T(10, 3, 0), T(10, 3, 0), kStatusDidNotStart);
        add_card(101, {{31, T(10, 10, 0)}, {32, T(10, 20, 30)}});
        add_card(102, {{31, T(10, 9, 0)}, {77, T(10, 15, 0)}, {32, T(10, 30, 0)}});
    }

    std::string html() {
        StringSink sink;
        ScriptedPrompts prompts;
        run =
            write_result_protocol(c, {nullptr, &sink}, prompts, points.empty() ? nullptr : &points);
        messages = prompts.messages;
        return u8(sink.text);
    }

    std::vector<std::int32_t> points;
    ProtocolRun run;
    std::vector<std::string> messages;
};

const std::string kHeader =
    "<b>№п/п Фамилия, имя" + sp(13) + " Коллектив" + sp(11) + " Квал Номер ГР  ";
const std::string kLine1 = "   1 Иванов Иван" + sp(14) + " Клуб" + sp(16) + " I       1 1990 ";
const std::string kLine2 = "   2 Петров Пётр" + sp(14) + sp(22) + sp(4) + "    2      ";
const std::string kLine3 = "   3 Сидоров" + sp(18) + " Клуб" + sp(16) + " " + sp(4) + "    3      ";
const std::string kLine4 = "   4 Неявка" + sp(19) + " Клуб" + sp(16) + " " + sp(4) + "    4      ";
const std::string kOfficials = "\r\n<pre>Главный судья    " + sp(30) + "Судьин" +
                               "\r\nГлавный секретарь" + sp(30) + "Секретарёва</pre>";

TEST(ResultProtocolHtml, PlainProtocol) {
    ProtocolFixture f;
    std::string expected =
        "<h2>М21, 2 КП, 3.500 км, набор высоты 40 м</h2>\r\n<pre>\r\n" + kHeader +
        "Результат Место Прим </b>"
        "\r\n" +
        kLine1 + "00:30:00   " + "   1" + sp(6) + "\r\n" + kLine2 + "00:35:30   " + "   2" + sp(6) +
        "\r\n" + kLine3 + "снят       " + sp(4) + sp(6) + "\r\n</pre>\r\n" + kOfficials;
    EXPECT_EQ(f.html(), expected);
    EXPECT_EQ(f.run.sections, 1);
}

TEST(ResultProtocolHtml, AFinishBeforeTheStartIsAnErrorAfterEveryTime) {
    ProtocolFixture f;
    // Finished at 10:05 after a 10:10 start: a negative result, never a winning one.
    f.add_runner(5, "Фальстарт", 1, 0, T(10, 10, 0), T(10, 5, 0));
    std::string html = f.html();
    std::string line = "\r\n   3 Фальстарт" + sp(16) + sp(22) + sp(4) + "    5      " +
                       "ОШИБКА     " + sp(4) + sp(6) + "\r\n   4 Сидоров";
    EXPECT_NE(html.find(kLine1 + "00:30:00   " + "   1"), std::string::npos) << html;
    EXPECT_NE(html.find(line), std::string::npos) << html;
}

TEST(ResultProtocolHtml, HeadOfTheProtocol) {
    ProtocolFixture f;
    std::string head = u8(result_protocol_head(f.c.info));
    EXPECT_NE(head.find("<title>Skarvel - Протокол результатов</title>\r\n"), std::string::npos);
    EXPECT_NE(head.find("p, .text  {"), std::string::npos);
    std::string tail =
        "<h1>Чемпионат<br>\r\n01.06.2026, Парк<br>\r\n<br>ПРОТОКОЛ РЕЗУЛЬТАТОВ\r\n</h1>\r\n";
    ASSERT_GE(head.size(), tail.size());
    EXPECT_EQ(head.substr(head.size() - tail.size()), tail);
}

TEST(ResultProtocolHtml, NonStartersCourseSetterTimeLimitAndComment) {
    ProtocolFixture f;
    f.c.info.print_non_starters = 1;
    f.c.info.print_course_setter = 1;
    f.c.info.print_time_limit = 1;
    f.c.info.print_comment = 1;
    set_field_text(f.c.tables.runners[0]->comment, cp("ветеран"));
    f.c.tables.runners[1]->individual = 1;
    std::string expected =
        "<h2>М21, 2 КП, 3.500 км, набор высоты 40 м, нач.дист.: Картов, контрольное время: 120 "
        "мин.</h2>"
        "\r\n<pre>\r\n" +
        kHeader +
        "Результат Место Прим </b>"
        "\r\n" +
        kLine1 + "00:30:00   " + "   1" + sp(6) + "ветеран" + "\r\n" + kLine2 + "00:35:30   " +
        "   2" + " лично" + "\r\n" + kLine3 + "снят       " + sp(4) + sp(6) + "\r\n" + kLine4 +
        "н/старт    " + sp(4) + sp(6) + "\r\n</pre>\r\n" + kOfficials;
    EXPECT_EQ(f.html(), expected);
}

TEST(ResultProtocolHtml, FirstNKeepsTheRest) {
    ProtocolFixture f;
    f.c.info.first_n = 1;
    f.c.info.time_behind = 1;
    std::string expected =
        "<h2>М21, 2 КП, 3.500 км, набор высоты 40 м</h2>\r\n<pre>\r\n" + kHeader +
        "РезультатОтставание Место Прим </b>"
        "\r\n" +
        kLine1 + "00:30:00   " + "+00:00   " + "   1" + sp(6) + "\r\n</pre>\r\n" + kOfficials;
    EXPECT_EQ(f.html(), expected);
}

TEST(ResultProtocolHtml, TimeBehindAndPrecision) {
    ProtocolFixture f;
    f.c.info.time_behind = 1;
    f.c.info.time_precision = 1;
    std::string s = f.html();
    EXPECT_NE(s.find(kHeader + "Результат  Отставание   Место Прим </b>"), std::string::npos) << s;
    EXPECT_NE(s.find(kLine2 + "00:35:30,0 " + "+05:30,0 " + "   2"), std::string::npos) << s;
    EXPECT_NE(s.find(kLine3 + "снят       " + sp(4) + sp(9) + sp(6)), std::string::npos) << s;
}

TEST(ResultProtocolHtml, SplitsCorrectPunchesWithCodesAndPlaces) {
    ProtocolFixture f;
    f.c.info.splits_mode = 1;
    f.c.info.print_control_codes = 1;
    f.c.info.split_places = 1;
    std::string s = f.html();
    EXPECT_NE(s.find("Результат Место Прим " + std::string("    1( 31)       2( 32)   </b>")),
              std::string::npos)
        << s;
    // Runner 1: legs 10:00 (place 2), 10:30 (place 1, bold), finish 9:30.
    std::string l1 = kLine1 + "00:30:00   " + "   1" + sp(6) + "  10:00( 31)(  2) " +
                     "<b>  10:30( 32)(  1) </b>" + "   9:30";
    EXPECT_NE(s.find("\r\n" + l1 + "\r\n"), std::string::npos) << s;
    // Runner 2: legs 8:00 (place 1), 21:00 (place 2), finish 6:30.
    std::string l2 = kLine2 + "00:35:30   " + "   2" + sp(6) + "<b>   8:00( 31)(  1) </b>" +
                     "  21:00( 32)(  2) " + "   6:30";
    EXPECT_NE(s.find("\r\n" + l2 + "\r\n"), std::string::npos) << s;
    // The disqualified runner has no card: no splits.
    EXPECT_NE(s.find("\r\n" + kLine3 + "снят       " + sp(4) + sp(6) + "\r\n</pre>"),
              std::string::npos);
}

TEST(ResultProtocolHtml, SplitsAllPunchesAndTheSecondLine) {
    ProtocolFixture f;
    f.c.info.splits_mode = 2;
    f.c.info.split_second_line = 1;
    std::string s = f.html();
    std::string l2 = kLine2 + "00:35:30   " + "   2" + sp(6) +
                     "00:08:00( 31) 00:06:00( 77) 00:15:00( 32) " + "\r\n<u>" + sp(88) +
                     "00:08:00      00:14:00      00:29:00      </u>";
    EXPECT_NE(s.find("\r\n" + l2 + "\r\n"), std::string::npos) << s;
    // No card: the underline is closed at once.
    EXPECT_NE(s.find(kLine3 + "снят       " + sp(4) + sp(6) + "\r\n<u>" + sp(88) + "</u>"),
              std::string::npos)
        << s;
}

TEST(ResultProtocolHtml, SecondLineOfCorrectPunchesWithCumulativePlaces) {
    ProtocolFixture f;
    f.c.info.splits_mode = 1;
    f.c.info.split_second_line = 1;
    f.c.info.split_places = 1;
    std::string s = f.html();
    std::string second1 = "\r\n<u>" + sp(88) + "  10:00(  2)   20:30(  1)   30:00</u>";
    EXPECT_NE(s.find(second1), std::string::npos) << s;
    std::string second2 = "\r\n<u>" + sp(88) + "   8:00(  1)   29:00(  2)   35:30</u>";
    EXPECT_NE(s.find(second2), std::string::npos) << s;
}

TEST(ResultProtocolHtml, ClassWithoutControlsPrintsAnEmptySplitsHeader) {
    ProtocolFixture f;
    f.c.tables.courses[0]->control_codes[0] = 0;
    f.c.info.splits_mode = 1;
    std::string s = f.html();
    EXPECT_NE(s.find("Результат Место Прим </b>"), std::string::npos) << s;
    EXPECT_NE(s.find(kLine1 + "00:30:00   " + "   1" + sp(6) + "  30:00\r\n"), std::string::npos)
        << s;
}

// Twelve runners of the МС level for the rank tests: results 60, 61, ... minutes.
struct RankFixture : ProtocolFixture {
    RankFixture() {
        for (int n = 10; n < 22; ++n) {
            auto& r = add_runner(n, "Мастер", 2, 0, 0, T(1, n - 10, 0));
            r.qualification = 8;
        }
        add_class(2, "МЭ", 1);
        c.info.print_ranks = 1;
        c.info.selection = 1;
        c.tables.classes[1]->set_marked(true);
    }
};

TEST(ResultProtocolHtml, RanksFooterAndAwards) {
    RankFixture f;
    auto& cls = *f.c.tables.classes[1];
    cls.ms_award = 1;
    cls.kms_award = 2;
    std::string s = f.html();
    EXPECT_NE(s.find("Результат Место Вып  Прим </b>"), std::string::npos) << s;
    std::string who = "Мастер" + sp(19) + sp(22) + "МС  ";
    EXPECT_NE(s.find("   1 " + who + "   10      01:00:00      1 МС  " + sp(6)), std::string::npos)
        << s;
    EXPECT_NE(s.find("   2 " + who + "   11      01:01:00      2 KМС " + sp(6)), std::string::npos)
        << s;
    EXPECT_NE(s.find("   3 " + who + "   12      01:02:00      3 I   " + sp(6)), std::string::npos)
        << s;
    std::string footer =
        "\r\nКласс дистанции   - МС"
        "\r\nКвалификационный уровень - 1000.0 баллов"
        "\r\nМС     - 1 место"
        "\r\nКМС    - 2 - 2 место"
        "\r\nI      - 148%  -   1:28:48"
        "\r\n</pre>\r\n";
    EXPECT_NE(s.find(footer), std::string::npos) << s;
}

TEST(ResultProtocolHtml, RanksNotAllowedForTheClass) {
    RankFixture f;
    f.c.tables.classes[1]->set_ranks_allowed(false);
    std::string s = f.html();
    EXPECT_NE(s.find("Результат Место Прим </b>"), std::string::npos) << s;
    EXPECT_NE(s.find("\r\nРанг не определялся\r\n</pre>\r\n"), std::string::npos) << s;
}

TEST(ResultProtocolHtml, NormRowsWithDifferentPercentages) {
    RankFixture f;
    // Two КМС, eight I: level 2*5000 + 8*2500 = 30000, row 9 (116, 134, 152 % : I, II, III).
    for (int i = 0; i < 12; ++i) f.c.tables.runners[4 + i]->qualification = i < 2 ? 7 : 4;
    std::string s = f.html();
    std::string footer =
        "\r\nКласс дистанции   - I   "
        "\r\nКвалификационный уровень - 300.0 баллов"
        "\r\nI      - 116%  -   1:09:36"
        "\r\nII     - 134%  -   1:20:24"
        "\r\nIII    - 152%  -   1:31:12"
        "\r\n</pre>\r\n";
    EXPECT_NE(s.find(footer), std::string::npos) << s;
}

TEST(ResultProtocolHtml, PointsByFormulaAndTable) {
    ProtocolFixture f;
    f.c.info.points_mode = 1;
    f.c.info.formula_a = 2000;
    f.c.info.formula_b = 1000;
    f.c.info.formula_c = 0;
    std::string s = f.html();
    EXPECT_NE(s.find("Результат Место Очки  Прим </b>"), std::string::npos) << s;
    EXPECT_NE(s.find(kLine1 + "00:30:00   " + "   1" + " 100.0" + sp(6)), std::string::npos) << s;
    // 2000 - 1000 * 35:30 / 30:00 = 817
    EXPECT_NE(s.find(kLine2 + "00:35:30   " + "   2" + "  81.7" + sp(6)), std::string::npos) << s;
    EXPECT_NE(s.find(kLine3 + "снят       " + sp(4) + "   0.0" + sp(6)), std::string::npos) << s;

    f.c.info.points_mode = 2;
    f.points = parse_points_table("250\n200\n170\n");
    s = f.html();
    EXPECT_NE(s.find(kLine1 + "00:30:00   " + "   1" + "  25.0" + sp(6)), std::string::npos) << s;
    EXPECT_NE(s.find(kLine2 + "00:35:30   " + "   2" + "  20.0" + sp(6)), std::string::npos) << s;
}

TEST(ResultProtocolHtml, MarkedRoutePenaltyAndHandicapColumns) {
    ProtocolFixture f;
    f.c.info.competition_kind = kKindMarkedMinutes;
    f.c.tables.runners[0]->penalty = 2;
    std::string s = f.html();
    EXPECT_NE(s.find(" ШТРАФ Результат Место"), std::string::npos) << s;
    // Two penalty minutes are added to the running time.
    EXPECT_NE(s.find(kLine1 + "    2  " + "00:32:00   "), std::string::npos) << s;

    ProtocolFixture g;
    g.c.info.competition_kind = kKindHandicap;
    s = g.html();
    EXPECT_NE(s.find("Результат    Финиш     Место"), std::string::npos) << s;
    EXPECT_NE(s.find(kLine1 + "00:30:00   " + " 10:30:00   " + "   1"), std::string::npos) << s;
}

TEST(ResultProtocolHtml, CourseSectionsShowTheClass) {
    ProtocolFixture f;
    f.c.info.selection = 2;
    std::string s = f.html();
    EXPECT_NE(s.find("<h2>Д1, 2 КП"), std::string::npos) << s;
    EXPECT_NE(s.find("Результат МестоГруппа Прим </b>"), std::string::npos) << s;
    EXPECT_NE(s.find(kLine1 + "00:30:00   " + "   1" + " М21      " + sp(6)), std::string::npos)
        << s;
}

TEST(ResultProtocolHtml, ExtendedHtmlAnchorsAndNavigation) {
    ProtocolFixture f;
    f.add_class(5, "Ж21", 1);  // no finishers: in the navigation line, but no section
    f.c.info.extended_html = 1;
    std::string s = f.html();
    std::string start =
        "<a name=\"М21\"></a>\r\n\r\n<hr><p><a href=\"#М21\">М21</a> "
        "<a href=\"#Ж21\">Ж21</a> </p><hr>\r\n<h2>М21,";
    EXPECT_EQ(s.substr(0, start.size()), start);
    EXPECT_EQ(f.run.sections, 1);
}

TEST(ResultProtocolHtml, ControlStatistics) {
    ProtocolFixture f;
    f.c.info.control_statistics = 1;
    std::string s = f.html();
    EXPECT_NE(s.find(" Прим | Д1    КП  Время  </b>"), std::string::npos) << s;
    EXPECT_NE(s.find(kLine1 + "00:30:00   " + "   1" + sp(6) + "|        2 00:10:30"),
              std::string::npos)
        << s;
    f.c.tables.courses[0]->control_codes[1] = 0;
    s = f.html();
    EXPECT_NE(s.find(kLine1 + "00:30:00   " + "   1" + sp(6) + "|        1 " + sp(8)),
              std::string::npos)
        << s;
}

TEST(ResultProtocolHtml, AllFinishPasses) {
    ProtocolFixture f;
    f.add_finish(1, T(10, 45, 0));  // a second pass: the earlier one is listed
    f.c.info.all_finish_passes = 1;
    std::string s = f.html();
    // The runner's result is now the last pass; the earlier one is listed before it.
    EXPECT_NE(s.find("\r\n   2 Иванов Иван" + sp(14) + " Клуб" + sp(16) +
                     " I       1 1990 00:30:00 00:45:00      2" + sp(6) + "\r\n"),
              std::string::npos)
        << s;
}

TEST(ResultProtocolHtml, CourseByNumberMissingStopsTheProtocol) {
    ProtocolFixture f;
    f.c.info.check_mode = 2;
    f.c.info.splits_mode = 1;
    std::string s = f.html();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(u8(f.messages[0]), "Нет такой дистанции !");
    EXPECT_TRUE(f.run.stopped);
    EXPECT_EQ(s.find("Главный судья"), std::string::npos);
}

TEST(ResultProtocolHtml, NamesFromTheRecordsAreEscaped) {
    ProtocolFixture f;
    set_field_text(f.c.tables.runners[0]->name, "<b>Tom & \"Jerry\"");
    set_field_text(f.c.tables.classes[0]->name, "M<21>");
    f.c.info.extended_html = 1;
    std::string s = f.html();
    // The padding is that of the name as typed (16 characters, 9 blanks to 25).
    EXPECT_NE(s.find("\r\n   1 &lt;b&gt;Tom &amp; &quot;Jerry&quot;" + sp(9) + " Клуб"),
              std::string::npos)
        << s;
    EXPECT_NE(s.find("<a name=\"M&lt;21&gt;\"></a>"), std::string::npos) << s;
    EXPECT_NE(s.find("<a href=\"#M&lt;21&gt;\">M&lt;21&gt;</a> "), std::string::npos) << s;
    EXPECT_NE(s.find("<h2>M&lt;21&gt;, 2 КП"), std::string::npos) << s;
    EXPECT_EQ(s.find("<b>Tom"), std::string::npos);
    EXPECT_EQ(html_escape("a&b<c>\"d\""), "a&amp;b&lt;c&gt;&quot;d&quot;");
}

TEST(ResultProtocolHtml, NothingToPrint) {
    ProtocolFixture f;
    f.c.info.selection = 1;  // no class marked
    std::string s = f.html();
    EXPECT_EQ(f.run.sections, 0);
    EXPECT_EQ(s, kOfficials);
}

TEST(ResultProtocolPrinter, PagesOfTheProtocol) {
    ProtocolFixture f;
    f.c.info.time_behind = 1;
    RecordingPageDevice dev;
    ScriptedPrompts prompts;
    auto run = write_result_protocol(f.c, {&dev, nullptr}, prompts, nullptr);
    dev.end_document();
    EXPECT_EQ(run.sections, 1);
    EXPECT_EQ(dev.faults, 0);
    ASSERT_EQ(dev.doc.pages.size(), 1u);
    auto texts = dev.doc.pages[0].texts();
    std::vector<std::string> expected = {
        "М21        01.06.2026",
        "Лист 1/1",
        "№п/п Фамилия, имя" + sp(13) + " Коллектив" + sp(11) + " Квал Номер ГР  Результат Место",
        kLine1 + "00:30:00   " + "+00:00   " + "   1" + sp(6),
        kLine2 + "00:35:30   " + "+05:30   " + "   2" + sp(6),
        kLine3 + "снят       " + sp(4) + sp(9) + sp(6),
        "Главный судья    " + sp(30) + "Судьин",
        "Главный секретарь" + sp(30) + "Секретарёва",
    };
    ASSERT_EQ(texts.size(), expected.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(u8(texts[i]), expected[i]) << i;
}

TEST(ResultProtocolPrinter, RanksOnThePrinterIgnoreTheClassFlag) {
    RankFixture f;
    f.c.tables.classes[1]->set_ranks_allowed(false);
    f.c.tables.classes[1]->ms_award = 1;
    RecordingPageDevice dev;
    ScriptedPrompts prompts;
    write_result_protocol(f.c, {&dev, nullptr}, prompts, nullptr);
    dev.end_document();
    auto texts = dev.doc.pages.at(0).texts();
    std::string header = u8(texts[2]);
    std::string end = "Результат Место Вып ";
    ASSERT_GE(header.size(), end.size());
    EXPECT_EQ(header.substr(header.size() - end.size()), end);
    std::vector<std::string> tail(texts.end() - 5, texts.end());
    EXPECT_EQ(u8(tail[0]), "Класс дистанции   - I   ");
    EXPECT_EQ(u8(tail[1]), "Квалификационный уровень - 1000.0 баллов");
    EXPECT_EQ(u8(tail[2]), "I      - 148%  -   1:28:48");
}

TEST(ResultProtocolPrinter, SixtyOneRunnersMakeTwoPages) {
    Fixture f;
    f.add_class(1, "Большая");
    for (int n = 1; n <= 61; ++n) f.add_runner(n, "Бегун", 1, 0, 0, T(0, 20, n));
    RecordingPageDevice dev;
    ScriptedPrompts prompts;
    write_result_protocol(f.c, {&dev, nullptr}, prompts, nullptr);
    dev.end_document();
    ASSERT_EQ(dev.doc.pages.size(), 2u);
    EXPECT_EQ(u8(dev.doc.pages[0].texts()[1]), "Лист 1/2");
    EXPECT_EQ(dev.doc.pages[0].texts().size(), 3u + 60u);
    auto second = dev.doc.pages[1].texts();
    EXPECT_EQ(u8(second[1]), "Лист 2/2");
    EXPECT_EQ(u8(second[3]).substr(0, 5), "  61 ");
}

class ProtocolRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("skarvel_protocol_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
};

TEST_F(ProtocolRunTest, HtmlFileWholeAndOpened) {
    ProtocolFixture f;
    f.c.info.to_html = 1;
    std::string path = (dir / "r.htm").string();
    prompts.files.push_back(path);
    EXPECT_EQ(run_result_protocol(f.c, env), ProtocolStatus::Done);
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    EXPECT_EQ(text.substr(0, result_protocol_head(f.c.info).size()),
              result_protocol_head(f.c.info));
    EXPECT_EQ(text.substr(text.size() - 26), "</pre>\r\n</body>\r\n</html>\r\n");
    EXPECT_EQ(shell.opened, std::vector<std::string>{path});
}

TEST_F(ProtocolRunTest, PointsFileCancelledOrUnreadable) {
    ProtocolFixture f;
    f.c.info.points_mode = 2;
    prompts.files.push_back(std::nullopt);
    EXPECT_EQ(run_result_protocol(f.c, env), ProtocolStatus::Cancelled);
    EXPECT_TRUE(prompts.messages.empty());
    // The open dialog proposes "ochki" with the extension "txt".
    ASSERT_EQ(prompts.file_dialogs.size(), 1u);
    EXPECT_EQ(prompts.file_dialogs[0].suggested, "ochki");
    EXPECT_EQ(prompts.file_dialogs[0].extension, "txt");
    prompts.files.push_back((dir / "missing.txt").string());
    EXPECT_EQ(run_result_protocol(f.c, env), ProtocolStatus::Failed);
    EXPECT_EQ(u8(prompts.messages.at(0)), "Не могу читать указанный файл");
    EXPECT_TRUE(printers.documents.empty());
}

// A printer (or a PDF file on a full disk) that did not take the whole document is told,
// and the protocol is not reported as done.
TEST_F(ProtocolRunTest, PrinterThatFailsOnPaperIsTold) {
    ProtocolFixture f;
    printers.fail_on_paper = true;
    EXPECT_EQ(run_result_protocol(f.c, env), ProtocolStatus::Failed);
    EXPECT_EQ(u8(prompts.messages.at(0)), "Печать не завершена: принтер сообщил об ошибке");
}

TEST_F(ProtocolRunTest, PrinterUnavailableAndNothingToPrint) {
    ProtocolFixture f;
    printers.fail_with = "CreatePrinterDC = 0";
    EXPECT_EQ(run_result_protocol(f.c, env), ProtocolStatus::Failed);
    EXPECT_EQ(prompts.messages.at(0), "CreatePrinterDC = 0");
    printers.fail_with.clear();
    f.c.info.selection = 1;
    EXPECT_EQ(run_result_protocol(f.c, env), ProtocolStatus::Empty);
    EXPECT_EQ(u8(prompts.messages.at(1)),
              "Печать результатов отменена:\nНет ни одного участника, группы или дистанции\nс "
              "заданными свойствами!");
    ASSERT_EQ(printers.documents.size(), 1u);
    EXPECT_TRUE(printers.documents[0].ended);
    EXPECT_TRUE(printers.documents[0].pages.empty());
}

// A section whose only runner did not start keeps its heading, column header and footer when
// non-starters are not printed; only an empty list is left out.
TEST(ResultProtocolHtml, SectionOfNonStartersKeepsItsFrame) {
    ProtocolFixture f;
    f.add_class(2, "Ж21", 1);
    f.add_runner(5, "Пропуск", 2, 1, T(10, 4, 0), T(10, 4, 0), kStatusDidNotStart);
    std::string s = f.html();
    std::string frame = "<h2>Ж21, 2 КП, 3.500 км, набор высоты 40 м</h2>\r\n<pre>\r\n" + kHeader +
                        "Результат Место Прим </b>" + "\r\n</pre>\r\n" + kOfficials;
    ASSERT_GE(s.size(), frame.size());
    EXPECT_EQ(s.substr(s.size() - frame.size()), frame) << s;
    EXPECT_EQ(f.run.sections, 2);
}

TEST_F(ProtocolRunTest, OnlySectionOfNonStartersIsPrinted) {
    Fixture f;
    f.add_class(1, "Ж21");
    f.add_runner(5, "Пропуск", 1, 0, T(10, 4, 0), T(10, 4, 0), kStatusDidNotStart);
    EXPECT_EQ(run_result_protocol(f.c, env), ProtocolStatus::Done);
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(printers.documents.size(), 1u);
    EXPECT_EQ(printers.documents[0].pages.size(), 1u);
}

}  // namespace
}  // namespace skarvel
