#include "results/multiday.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fixture.h"

namespace skarvel {
namespace {

using test::T;

struct DayFixture : test::Fixture {
    DayFixture() {
        add_class(1, "М21");
        add_runner(7, "Иванов", 1, 0, T(10, 0, 0), T(10, 41, 5, 30));  // 41:05.30
        add_runner(3, "Петров", 1, 0, T(10, 0, 0), T(11, 0, 0), 8);    // did not start
        add_runner(5, "Сидоров", 1, 0, T(10, 0, 0), T(11, 0, 0), 2);   // removed
        add_runner(9, "Козлов", 1, 0, T(10, 0, 0)).result = 12345;     // stale, no finish line
        add_runner(0, "Без номера", 1, 0, T(10, 0, 0));
        add_runner(4, "Орлов", 1, 0, T(10, 0, 0), T(12, 5, 0, 1));
        c.rebuild_number_index();
    }
};

TEST(MultiDay, DayValueText) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {T(0, 41, 5, 30), "00:41:05,30"},
        {kDayNoResult, "25:00:00,00"},
        {kDayRemoved, "24:00:00,00"},
        {T(2, 5, 0, 1), "02:05:00,01"},
        {0, "00:00:00,00"},
        {-5, "00:00:00,00"},
    };
    for (auto [v, text] : cases) EXPECT_EQ(day_value_text(v), text) << v;
}

TEST(MultiDay, DayFileIsByteExact) {
    DayFixture f;
    EXPECT_EQ(day_file_text(f.c),
              "7 00:41:05,30\r\n3 25:00:00,00\r\n5 24:00:00,00\r\n9 25:00:00,00\r\n"
              "4 02:05:00,01\r\n");
}

TEST(MultiDay, ReadingADayFile) {
    DayFixture f;
    for (int i = 0; i < f.c.tables.runners.used_end(); ++i)
        f.c.tables.runners[i]->day_results[1] = 111;
    std::vector<DayFileLine> lines;
    // Number 9 is missing, 12 belongs to nobody, the last line for 4 wins, the time is lenient.
    ASSERT_TRUE(
        parse_day_file("7 00:41:05,30\r\n3 25:00:00,00\r\n\r\n12 00:10:00,00\n"
                       "4 01:00:00,00\r\n  4\t02:05:00,01 tail\r\n5 24:00:00,00x",
                       lines));
    EXPECT_EQ(apply_day_file(f.c, 1, lines), 5);
    const std::int32_t want[] = {T(0, 41, 5, 30), kDayNoResult, kDayRemoved,
                                 kDayNoResult,    111,          T(2, 5, 0, 1)};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f.c.tables.runners[i]->day_results[1], want[i]) << i;
    EXPECT_EQ(f.c.tables.runners[0]->day_results[0], 0);  // other days untouched
}

TEST(MultiDay, RefusedFilesChangeNothing) {
    const std::string long_line = "1 " + std::string(98, '0');
    const std::string cases[] = {
        "7 00:41:05,30\r\nabc 00:10:00,00\r\n",  // no number
        "7\r\n",                                 // no word
        "7 00:41:05,30\r\n" + long_line + "\r\n",
        std::string("7 00:41:05,30\r\n8 00:0\0:00,00\r\n", 30),
        "1234567890 00:10:00,00\r\n",  // a number no table can hold
        std::string(kMaxDayFileBytes + 1, ' '),
    };
    const auto dir = std::filesystem::path(::testing::TempDir()) / "multiday_refused";
    std::filesystem::create_directories(dir);
    for (const std::string& text : cases) {
        std::vector<DayFileLine> lines;
        EXPECT_FALSE(parse_day_file(text, lines)) << text.substr(0, 40);
        DayFixture f;
        const auto path = (dir / "day.txt").string();
        std::ofstream(path, std::ios::binary) << text;
        std::string why;
        EXPECT_FALSE(read_day_file(f.c, 0, path, &why));
        EXPECT_EQ(why, text_in(false, Txt::kCannotReadFile));
        EXPECT_EQ(f.c.tables.runners[0]->day_results[0], 0);
    }
    std::vector<DayFileLine> lines;
    EXPECT_TRUE(parse_day_file("1 " + std::string(97, '0') + "\r\n", lines));  // 99 characters
}

TEST(MultiDay, SavedDayReadsBackIntoAnotherDay) {
    DayFixture day1;
    const auto dir = std::filesystem::path(::testing::TempDir()) / "multiday_round";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "day1.txt").string();
    std::ofstream(path, std::ios::binary) << day_file_text(day1.c);
    DayFixture day2;
    int set = 0;
    std::string why;
    ASSERT_TRUE(read_day_file(day2.c, 0, path, &why, &set));
    EXPECT_EQ(set, 5);
    for (int i = 0; i < day1.c.tables.runners.used_end(); ++i) {
        const Runner& r = *day2.c.tables.runners[i];
        EXPECT_EQ(r.day_results[0], r.start_number ? day_value(*day1.c.tables.runners[i]) : 0);
    }
    ScriptedPrompts prompts;  // cancelled open dialog: nothing read, nothing said
    EXPECT_FALSE(read_day_file(day2.c, 0, prompts));
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(prompts.file_dialogs.size(), 1u);  // the day file's name and extension proposed
    EXPECT_EQ(prompts.file_dialogs[0].suggested, "результат_многодневки");
    EXPECT_EQ(prompts.file_dialogs[0].extension, "результат многодн.");
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

using test::cp;
using test::T;

// A Windows-1251 field of `width` bytes, padded with blanks.
std::string pad(std::string_view utf8, std::size_t width) {
    std::string s = cp(utf8);
    s.resize(width, ' ');
    return s;
}

TEST(MultiDay, ProtocolAndHandicapAreByteExact) {
    test::Fixture f;
    Competition& c = f.c;
    for (auto& line : c.info.title_lines) set_field_text(line, "");
    set_field_text(c.info.date, "01.07.2026");
    set_field_text(c.info.place, cp("Лес"));
    set_field_text(c.info.chief_judge, cp("Иванов И.И."));
    set_field_text(c.info.chief_secretary, cp("Петрова"));
    c.info.time_precision = 1;
    f.add_class(2, "М21");  // first in the table, second by id
    f.add_class(1, "Ж21");
    f.add_club(1, "СК Лес");
    struct Row {
        int number;
        const char* name;
        int class_id, club_id, birth, qualification;
        std::int32_t day1, day3;
    };
    const Row rows[] = {
        {21, "Борис", 2, 0, 1985, 0, T(0, 40, 0), T(0, 41, 0)},
        {11, "Анна", 1, 1, 1990, 7, T(0, 30, 0), T(0, 20, 0, 50)},
        {23, "Дима", 2, 0, 1985, 0, kDayNoResult, T(0, 30, 0)},
        {22, "Глеб", 2, 0, 1985, 0, T(0, 35, 0), T(0, 44, 0, 20)},
        {12, "Вера", 1, 0, 1991, 0, T(0, 25, 0), kDayRemoved},
        {0, "Без номера", 1, 0, 1991, 0, T(0, 1, 0), T(0, 1, 0)},
    };
    for (const Row& row : rows) {
        Runner& r = f.add_runner(row.number, row.name, row.class_id, row.club_id, 0);
        r.birth_year = std::uint16_t(row.birth);
        r.qualification = std::uint8_t(row.qualification);
        r.day_results[0] = row.day1;
        r.day_results[1] = T(0, 1, 0);  // not selected
        r.day_results[2] = row.day3;
    }
    MultiDayProtocol p = multiday_protocol_text(c, 0b101u);
    const std::string head =
        "<html><head>\r\n"
        "<meta content=\"text/html; charset=windows-1251\" http-equiv=\"Content-Type\">\r\n" +
        cp("<title>Skarvel - Протокол многодневки</title>\r\n") +
        "<style type=\"text/css\">\r\n<!--\r\nbody {\t\tmargin-left:10;margin-top:10;}\r\n"
        "A:hover {color:#FF0000;}\r\n"
        "H1  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: "
        "#333366;text-align: center;}\r\n"
        "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: "
        "#FF0000;text-align: left;  }\r\n"
        "-->\r\n</style>\r\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\r\n<h1>"
        "01.07.2026<br>\r\n" +
        cp("Лес") + "\r\n</h1>\r\n<pre>";
    const std::string none(20, ' ');
    const std::string body =
        cp("\r\n\r\n<h2>Ж21</h2>\r\n") + "\r\n   1 " + pad("Анна", 25) + " 1990   11 " +
        cp("КМС  ") + pad("СК Лес", 20) + "00:30:00,0  00:20:00,5  00:50:00,5      1" +
        "\r\n   2 " + pad("Вера", 25) + " 1991   12      " + none + "00:25:00,0  " +
        pad("  СНЯТ", 12) + cp("\r\n\r\n<h2>М21</h2>\r\n") + "\r\n   1 " + pad("Глеб", 25) +
        " 1985   22      " + none + "00:35:00,0  00:44:00,2  01:19:00,2      1" + "\r\n   2 " +
        pad("Борис", 25) + " 1985   21      " + none + "00:40:00,0  00:41:00,0  01:21:00,0      2" +
        "\r\n   3 " + pad("Дима", 25) + " 1985   23      " + none + pad(" Н/СТАРТ", 12) +
        "00:30:00,0  ";
    const std::string foot = cp("\r\n\r\nГлавный судья    ") + std::string(30, ' ') +
                             cp("Иванов И.И.\r\nГлавный секретарь") + std::string(30, ' ') +
                             cp("Петрова") + "\r\n</pre></body></html>\r\n";
    EXPECT_EQ(p.html, head + body + foot);
    EXPECT_EQ(p.handicap,
              "11 00:00:00,0\r\n12 23:59:59.99\r\n22 00:00:00,0\r\n21 00:01:59,8\r\n"
              "23 23:59:59.99\r\n");
    EXPECT_EQ(p.runners, 5);
    EXPECT_EQ(c.tables.runners[1]->multiday_total, T(0, 50, 0, 50));
    EXPECT_EQ(c.tables.runners[5]->multiday_total, 0);  // no start number: no part

    // The second form: classes in table order, day places counted over the whole class (the
    // runner without number too); at precision 1 every cell and day title is one wider.
    p = multiday_protocol_text(c, 0b101u, true);
    const std::string header =
        cp("<b>№ п/п Фамилия, имя           номер квал Коллектив            1 день (место)  3 "
           "день (место)  Сумма(сумма мест)</b>\r\n");
    const std::string body2 =
        cp("\r\n\r\n<h2>М21</h2>\r\n") + header + "\r\n   1 " + pad("Глеб", 25) + "   22      " +
        none + "00:35:00,0(  1) 00:44:00,2(  3) 01:19:00,2(4)" + "\r\n   2 " + pad("Борис", 25) +
        "   21      " + none + "00:40:00,0(  2) 00:41:00,0(  2) 01:21:00,0(4)" + "\r\n   3 " +
        pad("Дима", 25) + "   23      " + none + pad(" Н/СТАРТ", 10) + "(  3) 00:30:00,0(  1) " +
        cp("\r\n\r\n<h2>Ж21</h2>\r\n") + header + "\r\n   1 " + pad("Анна", 25) + "   11 " +
        cp("КМС  ") + pad("СК Лес", 20) + "00:30:00,0(  3) 00:20:00,5(  2) 00:50:00,5(5)" +
        "\r\n   2 " + pad("Вера", 25) + "   12      " + none + "00:25:00,0(  2) " +
        pad("  СНЯТ", 10) + "(  3) ";
    EXPECT_EQ(p.html, head + body2 + foot);
    EXPECT_EQ(p.handicap, "22 00:00:00,0\r\n21 00:01:59,8\r\n11 00:00:00,0\r\n");
    // Whole seconds: nine characters; hundredths: two wider. The same runner's line and titles.
    const struct {
        int precision;
        const char* titles;
        const char* cells;
    } kWidths[] = {
        {0, "1 день (место) 3 день (место) ", "00:35:00 (  1) 00:44:00 (  3) 01:19:00 (4)"},
        {2, "1 день (место)   3 день (место)   ",
         "00:35:00,00(  1) 00:44:00,20(  3) 01:19:00,20(4)"},
    };
    for (const auto& w : kWidths) {
        c.info.time_precision = static_cast<std::uint8_t>(w.precision);
        const std::string html = multiday_protocol_text(c, 0b101u, true).html;
        EXPECT_NE(html.find(cp(w.titles) + cp("Сумма")), std::string::npos) << w.precision;
        EXPECT_NE(html.find(pad("Глеб", 25) + "   22      " + none + w.cells), std::string::npos)
            << w.precision;
    }

    test::Fixture empty;
    EXPECT_EQ(multiday_protocol_text(empty.c, 1u).runners, 0);
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

using test::cp;

TEST(MultiDay, SummaryTableIsByteExact) {
    test::Fixture f;
    for (auto& line : f.c.info.title_lines) set_field_text(line, "");
    set_field_text(f.c.info.title_lines[0], cp("Кубок"));
    set_field_text(f.c.info.date, "");
    set_field_text(f.c.info.place, "");
    f.add_class(2, "М21Е длинный");
    f.add_class(1, "Ж21");
    f.add_class(3, "Пусто");
    f.add_club(5, "Лес");
    f.add_club(4, "Гора");
    f.add_club(6, "Никого");
    f.add_runner(1, "А", 1, 4, 0).marked = 1;
    f.add_runner(2, "Б", 2, 4, 0);
    f.add_runner(3, "В", 2, 5, 0).marked = 1;
    f.add_runner(4, "Г", 2, 5, 0);
    const std::string head =
        "<html><head>\r\n<!doctype html public \"-//W3C//DTD HTML 4.0 Transitional//RU\">\r\n" +
        cp("<title>Skarvel - сводная таблица</title>\n") +
        "<style type=\"text/css\">\r\n<!--\r\nbody {\t\tmargin-left:10;margin-top:10;}\r\n"
        "A:hover {color:#FF0000;}\r\nH1  {font-family: Arial, Helvetica, sans-serif;font-size: "
        "12pt;font-weight: bold;color: #333366;text-align: center;}\r\nH2  {font-family: Arial, "
        "Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: #FF0000;text-align: "
        "left;  }\r\n-->\n</style>\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\n<h1>" +
        cp("Кубок<br>\n<br>СВОДНАЯ "
           "ТАБЛИЦА</h1>\r\n<table><tr><td><b>Коллектив</b></td><td>всего</td>");
    EXPECT_EQ(summary_table_text(f.c, false),
              head + cp("<td><b>М21Е д</b></td><td><b>   Ж21</b></td></tr>\r\n"
                        "<tr><td><b>Лес</b></td><td><b>  2</b></td><td>2</td><td></td></tr>\r\n"
                        "<tr><td><b>Гора</b></td><td><b>  2</b></td><td>1</td><td>1</td></tr>\r\n"
                        "<tr><td><b>.</b></td><td>всего</td><td>3</td><td>1</td></tr>\r\n"
                        "</table></html>"));
    EXPECT_EQ(summary_table_text(f.c, true),
              head + cp("<td><b>М21Е д</b></td><td><b>   Ж21</b></td></tr>\r\n"
                        "<tr><td><b>Лес</b></td><td><b>  1</b></td><td>1</td><td></td></tr>\r\n"
                        "<tr><td><b>Гора</b></td><td><b>  1</b></td><td></td><td>1</td></tr>\r\n"
                        "<tr><td><b>.</b></td><td>всего</td><td>1</td><td>1</td></tr>\r\n"
                        "</table></html>"));
}

}  // namespace
}  // namespace skarvel
