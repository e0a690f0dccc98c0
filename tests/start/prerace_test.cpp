// The pre-race printouts: the pages byte for byte, the sheets through the recording device.
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "start/extracts.h"
#include "start/number_bibs.h"
#include "start/prerace_lists.h"
#include "start/runner_cards.h"

using namespace skarvel;

namespace {

std::string w(std::string_view utf8) {
    return utf8_to_cp1251(utf8);
}

struct Race {
    Competition c;
    Race() {
        set_field_text(c.info.title_lines[0], w("Первенство области"));
        set_field_text(c.info.date, "12.05.2026");
        set_field_text(c.info.place, w("Лесной"));
        club(1, "Спартак", "Иванов И.");
        club(2, "Динамо", "Петров");
        club(3, "Пустой", "");
        course(1, "Дист1", {31, 45, 33}, 5200, 120, 1);
        course(2, "Дист2", {}, 0, 0, 2);
        klass(1, "М21", 1);
        klass(2, "Ж21", 1);
        klass(3, "М60", 9);  // its course does not exist
    }
    void club(int id, std::string_view name, std::string_view rep) {
        Club& k = *c.tables.clubs[c.new_record(kClubs)];
        k.id = id;
        set_field_text(k.name, w(name));
        set_field_text(k.representative, w(rep));
    }
    void klass(int id, std::string_view name, int course_id) {
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = id;
        set_field_text(k.name, w(name));
        k.course_id = static_cast<std::int16_t>(course_id);
        k.fee_rental_normal = 100;
        k.fee_rental_reduced = 50;
        k.fee_own_normal = 80;
        k.fee_own_reduced = 30;
    }
    Course& course(int id, std::string_view name, std::vector<int> codes, int length, int climb,
                   int corridor) {
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = id;
        set_field_text(k.name, w(name));
        for (std::size_t i = 0; i < codes.size(); ++i)
            k.control_codes[i] = static_cast<std::uint8_t>(codes[i]);
        k.control_count = static_cast<int>(codes.size());
        k.length_m = length;
        k.climb_m = climb;
        k.start_corridor = corridor;
        return k;
    }
    Runner& runner(std::string_view name, int class_id, int club_id, int number,
                   std::string_view start = "10:00:00") {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = c.tables.runners.live_count();
        set_field_text(r.name, w(name));
        r.class_id = static_cast<std::int16_t>(class_id);
        r.club_id = static_cast<std::int16_t>(club_id);
        r.start_number = static_cast<std::uint16_t>(number);
        r.start_time = parse_time_text(start);
        return r;
    }
};

const char* const kStyleRules =
    "body {\t\tmargin-left:10;margin-top:10;}\r\nA:hover {color:#FF0000;}\r\n"
    "H1  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;"
    "color: #333366;text-align: center;}\r\n"
    "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;"
    "color: #FF0000;text-align: left;  }\r\n";

std::string list_head(std::string_view title) {
    return w("<html><head>\r\n<meta content=\"text/html; charset=windows-1251\" "
             "http-equiv=\"Content-Type\">\r\n<title>Skarvel - ") +
           w(title) + "</title>\r\n<style type=\"text/css\">\r\n<!--\r\n" + kStyleRules +
           "-->\r\n</style>\r\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\r\n<h1>" +
           w("Первенство области<br>\r\n12.05.2026<br>\r\nЛесной<br>\r\n</h1>\r\n");
}

TEST(PreraceLists, MandateProtocolPage) {
    Race r;
    r.runner("Иванов", 1, 1, 1).qualification = 8;
    r.runner("Петров", 1, 1, 2);
    r.runner("Сидорова", 2, 2, 3);
    std::string expected =
        w("<html><head>\r\n<!doctype html public \"-//W3C//DTD HTML 4.0 Transitional//RU\">\r\n"
          "<title>Skarvel - Протокол мандатной комиссии</title>\n"
          "<style type=\"text/css\">\r\n<!--\r\n") +
        kStyleRules +
        w("-->\n</style>\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\n"
          "<table>\r\n<tr>\r\n<td width=600px colspan=3>\r\n<h1>Первенство области<br>\n"
          "12.05.2026<br>\nЛесной<br>\n<br>ПРОТОКОЛ МАНДАТНОЙ КОМИССИИ</h1>\r\n</td>\r\n</tr>"
          "\r\n<tr>\r\n<td valign=top width=33%><h2>Общие сведения</h2>\r\n<pre>"
          "\r\nСпортсменов МС  : 1\r\nСпортсменов б/р : 2"
          "\r\nВсего спортсменов: 3\r\nВсего коллективов: 2"
          "\r\n</pre></td>\r\n<td valign=top width=33%><h2>Коллектив : людей</h2>\r\n<pre>\r\n"
          "Спартак             : 2\r\nДинамо              : 1\r\n"
          "</pre>\r\n</td>\r\n<td valign=top width=33%><h2>Группа: людей</h2><pre>\r\n"
          "М21                 : 2\r\nЖ21                 : 1\r\n"
          "</pre>\r\n</td>\r\n</tr>\r\n<tr>\r\n<td valign=top><pre>\r\n\r\n"
          "Председатель мандатной комиссии\r\n\r\nЧлены мандатной комиссии</pre>\r\n</td>\r\n"
          "<td></td>\r\n<td valign=top><pre>\r\n\r\n________________________\r\n\r\n"
          "________________________\r\n\r\n________________________\r\n</pre>\r\n</td>\r\n"
          "</tr>\r\n</table>\r\n</html>");
    EXPECT_EQ(mandate_protocol_html(r.c, false), expected);

    // Only marked runners: nobody qualified, one club.
    r.c.tables.runners[1]->marked = 1;
    std::string marked = mandate_protocol_html(r.c, true);
    EXPECT_NE(marked.find(w("<pre>\r\nСпортсменов б/р : 1\r\nВсего спортсменов: 1\r\n"
                            "Всего коллективов: 1\r\n")),
              std::string::npos);
    EXPECT_EQ(marked.find(w("МС  :")), std::string::npos);
}

TEST(PreraceLists, OverviewListsByteForByte) {
    Race r;
    r.runner("Иванов", 1, 1, 1).marked = 1;
    r.runner("Петров", 1, 1, 2);
    r.runner("Сидорова", 2, 2, 3);
    r.c.tables.finish_lines[r.c.new_record(kFinishLines)]->start_number = 1;
    EXPECT_EQ(club_list_html(r.c),
              list_head("Список коллективов") +
                  w("<pre>\r\n<b>Наименование         Представитель        В базе данных  "
                    "Отмечено       Финишировало  </b>\r\n"
                    "Спартак              Иванов И.            2              1              1     "
                    "        \r\n"
                    "Динамо               Петров               1              0              0     "
                    "        \r\n"
                    "Пустой                                    0              0              0     "
                    "        \r\n"
                    "</pre>\r\n"));
    std::string classes = list_head("Список групп");
    classes.replace(classes.find("margin-left:10"), 14, "margin-left:0");
    EXPECT_EQ(class_list_html(r.c),
              classes + w("<pre>\r\n<b>Наименование   В базе данных  Отмечено   Финишировало  </b>"
                          "\r\nМ21            2              1          1             "
                          "   3 КП,  5200 м, набор высоты  120"
                          "\r\nЖ21            1              0          0             "
                          "   3 КП,  5200 м, набор высоты  120"
                          "\r\nМ60            0              0          0             "
                          "\r\n</pre>\r\n"));
    // A course used by no class is listed with 0 runners and no class.
    EXPECT_EQ(
        course_list_html(r.c),
        list_head("Список дистанций") +
            w("<pre>\r\n<b>Дистанция      В базе</b>"
              "\r\nДист1         ;3     ;  3 КП; 5200м;H= 120;ПОРЯДОК:31;45;33;Группы: М21 Ж21"
              "\r\nДист2         ;0     ;  0 КП;    0м;H=   0;ПОРЯДОК:Группы:"
              "\r\n</pre>\r\n"));
}

// The credentials protocol's head writes the competition's lines as stored (markup kept, as
// every report head does); each list's save dialog is titled with the name it proposes.
TEST(PreraceLists, HeadAsStoredAndSaveDialogsTitled) {
    Race r;
    set_field_text(r.c.info.title_lines[0], w("<b>Кубок</b>"));
    EXPECT_NE(mandate_protocol_html(r.c, false).find(w("<h1><b>Кубок</b><br>\n")),
              std::string::npos);
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    EXPECT_FALSE(print_mandate_protocol(r.c, false, env));  // cancelled
    for (OverviewList which :
         {OverviewList::kClubs, OverviewList::kClasses, OverviewList::kCourses})
        EXPECT_FALSE(print_overview_list(r.c, which, env));
    const char* const names[] = {"Протокол_Мандатной", "Инфо_коллективы", "Инфо_группы",
                                 "Инфо_дистанции"};
    ASSERT_EQ(prompts.file_dialogs.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(prompts.file_dialogs[i].title, w(names[i]));
        EXPECT_EQ(prompts.file_dialogs[i].suggested, names[i]);
    }
}

TEST(PreraceLists, StartGridWidensACorridorForSharedStartTimes) {
    Race r;
    r.course(3, "Дист3", {31}, 1000, 0, 0);
    r.klass(4, "Ж60", 3);
    r.runner("А", 1, 1, 7, "10:00:00");
    r.runner("Б", 2, 1, 5, "10:00:00");
    r.runner("В", 1, 1, 9, "10:01:00");
    r.runner("Г", 4, 1, 12, "10:01:00");
    r.runner("Без класса", 3, 1, 13, "10:02:00");  // course missing: left out
    r.runner("Без номера", 1, 1, 0, "10:03:00");
    EXPECT_EQ(build_start_grid(r.c, false),
              w("Все без учёта отметки\r\n  Коридор    0    1    1 \r\nВремя"
                "\r\n10:00:00          5    7 "
                "\r\n10:01:00    12    9      "));
    r.c.tables.runners[0]->marked = 1;
    EXPECT_EQ(build_start_grid(r.c, true),
              w("Только отмеченные\r\n  Коридор    1 \r\nВремя\r\n10:00:00     7 "));
}

std::string sp(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

TEST(Extracts, SheetBreakTotalsFeesAndCards) {
    Race r;
    for (int i = 1; i <= 61; ++i) {
        Runner& x = r.runner("Бегун", 1, 1, i);
        x.card_number = 1000000 + i;
    }
    r.c.tables.runners[0]->fee_flags = Runner::kFeeOwnCard | Runner::kFeeReduced;  // 30, own card
    r.c.tables.runners[1]->card_number = 0;
    r.runner("Чужой", 2, 2, 100);  // another club: its own extract
    ExtractOptions o;
    o.selection = kExtractAllClubs;
    o.card_numbers = o.print_fee = o.signature = true;
    o.free_text = w("Получил");
    RecordingPageDevice dev;
    draw_extracts(dev, r.c, o, extract_groups(r.c, o), false);
    ASSERT_EQ(dev.doc.pages.size(), 3u);  // 60 + 1 runners of Спартак, then Динамо
    const RecordedPage& first = dev.doc.pages[0];
    EXPECT_EQ(first.items[0].text, "12.05.2026 " + w("Спартак") + sp(15));
    EXPECT_EQ(first.items[0].font, ReportFont::Title);
    EXPECT_EQ(first.items[2].text,
              w("№п/п Фамилия, имя              Квал Номер ГР   СТАРТ    VP-чип Группа  "
                "Примечания  Взнос"));
    EXPECT_EQ(first.items[3].text, w("   1 Бегун") + sp(30) + "1" + sp(6) + "10:00:00 1000001 " +
                                       w("свойЧИП М21") + sp(16) + "30");
    EXPECT_EQ(first.items[4].text, w("   2 Бегун") + sp(30) + "2" + sp(6) + "10:00:00 " + sp(16) +
                                       w("М21") + sp(16) + "100");
    // After runner 60 a rule and the end of the sheet.
    EXPECT_EQ(first.items.back().kind, PageItem::Rule);
    EXPECT_DOUBLE_EQ(first.items.back().y_mm, 24 + 60 * 4);
    const RecordedPage& second = dev.doc.pages[1];
    std::vector<std::string> t = second.texts();
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[2].substr(0, 4), "  61");
    EXPECT_EQ(t[3], w("Стартовый взнос: 6030"));  // 30 + 60 × 100
    EXPECT_EQ(t[4], w("Арендованных ЧИПов: 60"));
    EXPECT_EQ(t[5], w("Получил"));
    EXPECT_DOUBLE_EQ(second.items[6].y_mm, 24 + 4 + 4 + 4 + 10);  // after the title rule
    EXPECT_EQ(t[6], w("Представитель коллектива") + sp(31) + w("/Иванов И.             /"));
    EXPECT_TRUE(second.ended);
    EXPECT_EQ(dev.faults, 0);
}

TEST(Extracts, TwoDayColumnsAndNothingToPrint) {
    Race r;
    Runner& a = r.runner("Двухдневник", 1, 1, 5);
    a.heat_or_leg = 2;  // day 2 only
    a.day_results[1] = parse_time_text("11:30:00");
    ExtractOptions o;
    o.print_fee = true;
    RecordingPageDevice dev;
    draw_extracts(dev, r.c, o, extract_groups(r.c, o), true);
    std::vector<std::string> t = dev.doc.pages.at(0).texts();
    EXPECT_EQ(t[1], w("№п/п Фамилия, имя") + sp(19) +
                        w("Коллектив         Квал Номер ГР   "
                          "СТАРТ1    СТАРТ2   Группа  Примечания  Взнос1 Взнос2"));
    EXPECT_EQ(t[2], w("   1 Двухдневник               Спартак") + sp(25) + "5" + sp(6) +
                        w("н.старт  11:30:00 М21") + sp(13) + "100");
    EXPECT_EQ(t[3], w("Стартовый взнос: 100"));

    ExtractOptions marked;
    marked.selection = kExtractMarkedClubs;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ScriptedPrompts prompts;
    ReportEnv env{prompts, printers, shell};
    EXPECT_FALSE(print_extracts(r.c, marked, env));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], text_in(false, Txt::kNothingToPrintExtracts));
}

// Sixty runners and no footer fill one sheet; the current runners' extract with card numbers
// and fees is set in a size that keeps its widest line on the sheet.
TEST(Extracts, SixtyRunnersOneSheetAndEveryColumnOnTheSheet) {
    Race r;
    for (int i = 1; i <= 60; ++i) {
        Runner& x = r.runner("Константинопольский Вадим", 1, 1, i);
        x.card_number = 2000000 + i;
        set_field_text(x.comment, w("заявка по почте"));
    }
    RecordingPageDevice sixty;
    draw_extracts(sixty, r.c, ExtractOptions{}, extract_groups(r.c, ExtractOptions{}), false);
    EXPECT_EQ(sixty.doc.pages.size(), 1u);

    ExtractOptions wide;
    wide.card_numbers = wide.print_fee = true;
    RecordingPageDevice dev;
    draw_extracts(dev, r.c, wide, extract_groups(r.c, wide), false);
    ASSERT_EQ(dev.doc.pages.size(), 2u);  // the totals go on a sheet of their own
    const RecordedPage& page = dev.doc.pages[0];
    EXPECT_NE(page.items[3].text.find(w("100заявка по почте")), std::string::npos);
    const PageFont* font = page.font_of(3);
    ASSERT_NE(font, nullptr);
    EXPECT_LT(font->height_inch * 72, 9);
    for (std::size_t i = 2; i < page.items.size(); ++i) {
        if (page.items[i].kind != PageItem::Text) continue;
        EXPECT_LE(page.items[i].x_mm + page.items[i].text.size() * kFixedAdvanceEm *
                                           page.font_of(i)->height_inch * 25.4,
                  kPageWidthMm + 1e-9)
            << i;
    }
}

std::vector<std::string> box_texts(const RecordedPage& page, double y_top, double y_bottom) {
    std::vector<std::string> out;
    for (const PageItem& i : page.items)
        if (i.kind == PageItem::Text && i.y_mm >= y_top && i.y_mm < y_bottom && i.x_mm != 142 &&
            i.x_mm != 5)
            out.push_back(i.text);
    return out;
}

TEST(RunnerCards, BoxesRowsSheetsAndLabels) {
    Race r;
    r.course(3, "Семь", {31, 32, 33, 34, 35, 36, 37}, 0, 0, 0);
    r.course(4, "Восемь", {31, 32, 33, 34, 35, 36, 37, 38}, 0, 0, 0);
    r.klass(5, "К7", 3);
    r.klass(6, "К8", 4);
    r.runner("Семь", 5, 1, 1);
    r.runner("Восемь", 6, 1, 2);
    CardPrintOptions o;
    RecordingPageDevice dev;
    ASSERT_EQ(draw_runner_cards(dev, r.c, o), 2);
    const RecordedPage& page = dev.doc.pages.at(0);
    using V = std::vector<std::string>;
    EXPECT_EQ(box_texts(page, 0, 40), (V{"1", "2", "3", "4", "5", "6", "7", "R", "R"}));
    V eight{"1", "2", "3", "4", "5", "6", "7", "8"};
    for (int i = 0; i < 10; ++i) eight.push_back("R");
    EXPECT_EQ(box_texts(page, 40, 200), eight);
    // The second card starts 40 mm down (one row): its text line and cut line.
    bool text_line = false, cut_line = false;
    for (const PageItem& i : page.items) {
        if (i.kind == PageItem::Text && i.x_mm == 5 && i.y_mm == 40 + 40 + 3) {
            text_line = true;
            EXPECT_EQ(
                i.text,
                w("№    2 Восемь                    Спартак               10:00:00 К8       "));
        }
        if (i.kind == PageItem::Line && i.dotted) {
            EXPECT_TRUE(i.y_mm == 36 || i.y_mm == 40 + 56) << i.y_mm;
            cut_line |= i.y_mm == 96;
        }
    }
    EXPECT_TRUE(text_line);
    EXPECT_TRUE(cut_line);

    // Number and code: the third box of 31, 45, 33 shows 3(33); two-row cards, four a sheet.
    Race two;
    for (int i = 0; i < 5; ++i) two.runner("Бегун", 1, 1, i + 1);
    CardPrintOptions both;
    both.box_label = kBoxNumberAndCode;
    both.fixed_box_count = true;
    both.box_count = 10;
    RecordingPageDevice sheets;
    ASSERT_EQ(draw_runner_cards(sheets, two.c, both), 5);
    ASSERT_EQ(sheets.doc.pages.size(), 2u);
    EXPECT_EQ(box_texts(sheets.doc.pages[0], 0, 60)[2], "3(33)");
    EXPECT_EQ(box_texts(sheets.doc.pages[0], 0, 60)[3], "4(0)");
    EXPECT_EQ(box_texts(sheets.doc.pages[0], 0, 60)[10], "R");
    EXPECT_EQ(box_texts(sheets.doc.pages[1], 0, 60)[0], "1(31)");

    // A runner without a class, boxes from the course: one row of spare boxes.
    Race none;
    none.runner("Никто", 42, 1, 1);
    RecordingPageDevice spare;
    draw_runner_cards(spare, none.c, CardPrintOptions{});
    EXPECT_EQ(box_texts(spare.doc.pages.at(0), 0, 20), V(9, "R"));
}

// The wait cursor's hook: on once the document is open, off before the message of a run that
// printed nothing.
TEST(RunnerCards, BusyWhileTheSheetsAreMade) {
    Race r;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ScriptedPrompts prompts;
    ReportEnv env{prompts, printers, shell};
    std::vector<std::string> told;
    auto busy = [&](bool on) {
        told.push_back(std::string(on ? "on" : "off") + "/" +
                       std::to_string(prompts.messages.size()));
    };
    EXPECT_FALSE(print_runner_cards(r.c, CardPrintOptions{}, env, busy));  // nobody to print
    EXPECT_EQ(told, (std::vector<std::string>{"on/0", "off/0"}));
    EXPECT_EQ(prompts.messages.size(), 1u);
    printers.fail_with = "GetPrinterDeviceDefaults = 0";
    told.clear();
    EXPECT_FALSE(print_runner_cards(r.c, CardPrintOptions{}, env, busy));
    EXPECT_TRUE(told.empty());  // no document: never busy
}

struct Drawn {
    double x, y;
    std::string text;
    double points;
};

std::vector<Drawn> drawn(const RecordedPage& page) {
    std::vector<Drawn> out;
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        const PageFont* f = page.font_of(i);
        out.push_back({page.items[i].x_mm, page.items[i].y_mm, page.items[i].text,
                       f ? f->height_inch * 72 : 0});
    }
    return out;
}

TEST(NumberBibs, NumberPlacesLegFormAndSheets) {
    Race r;
    r.runner("Семёнов", 1, 1, 7, "25:00:00").card_number = 1234;
    r.runner("Сорок", 1, 1, 42);
    r.runner("Сотый", 1, 1, 105);
    BibOptions o;
    RecordingPageDevice dev;
    ASSERT_EQ(draw_number_bibs(dev, r.c, o), 3);
    ASSERT_EQ(dev.doc.pages.size(), 2u);
    EXPECT_TRUE(dev.doc.pages[0].ended && dev.doc.pages[1].ended);
    std::vector<Drawn> top = drawn(dev.doc.pages[0]);
    EXPECT_EQ(top[0].text, "   7");
    EXPECT_DOUBLE_EQ(top[0].x, 85);
    EXPECT_DOUBLE_EQ(top[0].points, 160);
    EXPECT_EQ(top[1].text, w("М21"));
    EXPECT_EQ(top[3].text, w("Спартак") + sp(18));
    EXPECT_EQ(top[4].text, w("VP-чип: 001234"));
    EXPECT_EQ(top[5].text, w("Старт : Н/СТАРТ") + sp(18));
    Drawn lower = drawn(dev.doc.pages[0])[6];
    EXPECT_EQ(lower.text, "  42");
    EXPECT_DOUBLE_EQ(lower.x, 55);
    EXPECT_DOUBLE_EQ(lower.y, 172);
    EXPECT_DOUBLE_EQ(drawn(dev.doc.pages[1])[0].x, 25);

    Race relay;
    relay.runner("Этап", 1, 1, 2105);
    BibOptions leg;
    leg.relay_leg = true;
    leg.start_times = BibStartTimes::kNone;
    RecordingPageDevice legs;
    draw_number_bibs(legs, relay.c, leg);
    std::vector<Drawn> d = drawn(legs.doc.pages.at(0));
    EXPECT_EQ(d[0].text, " 105");
    EXPECT_DOUBLE_EQ(d[0].x, 25);
    EXPECT_EQ(d[1].text, "2");
    EXPECT_DOUBLE_EQ(d[1].x, 150);
    EXPECT_DOUBLE_EQ(d[1].points, 100);

    RecordingPageDevice large;
    draw_number_bibs_large(large, r.c, BibOptions{});
    EXPECT_EQ(large.doc.pages.size(), 3u);
    std::vector<Drawn> l = drawn(large.doc.pages[0]);
    EXPECT_DOUBLE_EQ(l[0].x, -20);
    EXPECT_EQ(l.back().text, "DNS");
    EXPECT_EQ(l[l.size() - 2].text, "VP-card: 1234");

    // Large bibs go on sheets on their side; every figure of the number stays on the sheet
    // (a number too wide is set in the largest size that fits) and the relay form's number
    // keeps clear of its leg at 210 mm.
    Race big;
    for (int n : {105, 197, 29999}) big.runner("Б", 1, 1, n);
    Race relay_big;
    relay_big.runner("Этап", 1, 1, 2105);
    const struct {
        Race* race;
        bool leg;
        int page;
        const char* text;
        double limit;
        bool as_laid_out;
    } kBig[] = {{&big, false, 0, " 105", kLandscapeWidthMm, true},
                {&big, false, 1, " 197", kLandscapeWidthMm, true},
                {&big, false, 2, "29999", kLandscapeWidthMm, false},
                {&relay_big, true, 0, " 105", 210, false}};
    for (const auto& k : kBig) {
        BibOptions bo;
        bo.relay_leg = k.leg;
        RecordingPrinterProvider printers;
        RecordingShellOpener shell;
        ScriptedPrompts prompts;
        ReportEnv env{prompts, printers, shell};
        ASSERT_TRUE(print_number_bibs(k.race->c, bo, true, env));
        ASSERT_EQ(printers.documents.size(), 1u);
        EXPECT_EQ(printers.documents[0].orientation, PageOrientation::kLandscape);
        Drawn n = drawn(printers.documents[0].pages.at(k.page))[0];
        EXPECT_EQ(n.text, k.text);
        const double mm = n.points * 25.4 / 72, blanks = n.text.find_first_not_of(' ');
        const double start = n.x + blanks * 569.0 / 2048 * mm;
        const double end = start + (n.text.size() - blanks) * 1139.0 / 2048 * mm;
        EXPECT_GE(start, 0) << k.text;
        EXPECT_LE(end, k.limit) << k.text;
        EXPECT_EQ(n.points == 380 && n.x == (k.leg ? -50 : -20), k.as_laid_out) << k.text;
        if (!k.as_laid_out) {
            EXPECT_GT(end, k.limit - 6) << k.text;  // the largest that fits
        }
    }

    // A runner without a number or card gets blanks, not zeros.
    Race blank;
    blank.runner("Без номера", 1, 1, 0);
    RecordingPageDevice b;
    draw_number_bibs(b, blank.c, BibOptions{});
    for (const Drawn& item : drawn(b.doc.pages.at(0))) {
        EXPECT_NE(item.text, "   0");
        EXPECT_EQ(item.text.find("000000"), std::string::npos);
    }
}

}  // namespace
