#include "start/start_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/cp1251.h"
#include "core/time_text.h"

using namespace skarvel;
using namespace skarvel::literals;

namespace {

std::string w(std::string_view utf8) {
    return utf8_to_cp1251(utf8);
}
std::string sp(int n) {
    return std::string(n, ' ');
}

Runner& runner(Competition& c, std::string_view name, int class_id, int club_id, int number,
               std::string_view start) {
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.id = c.tables.runners.live_count();
    set_field_text(r.name, w(name));
    r.class_id = static_cast<std::int16_t>(class_id);
    r.club_id = static_cast<std::int16_t>(club_id);
    r.start_number = static_cast<std::uint16_t>(number);
    r.start_time = parse_time_text(start);
    return r;
}

void add_class(Competition& c, int id, std::string_view name, int course) {
    ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
    k.id = id;
    set_field_text(k.name, w(name));
    k.course_id = static_cast<std::int16_t>(course);
}

void base_info(Competition& c) {
    set_field_text(c.info.title_lines[0], w("Первенство области"));
    set_field_text(c.info.title_lines[2], w("Лично"));
    set_field_text(c.info.date, "12.05.2026");
    set_field_text(c.info.place, w("Лесной"));
    Club& club = *c.tables.clubs[c.new_record(kClubs)];
    club.id = 1;
    set_field_text(club.name, w("Спартак"));
}

// Two classes on one course, an unused class on a second course, a parked runner and a
// runner of a class that does not exist.
void individual(Competition& c) {
    base_info(c);
    add_class(c, 1, "М21", 1);
    add_class(c, 2, "Ж21", 1);
    add_class(c, 3, "М60", 2);
    for (auto [id, name] : {std::pair{1, "Дист1"}, std::pair{2, "Дист2"}}) {
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = id;
        set_field_text(k.name, w(name));
    }
    Runner& a = runner(c, "Иванов Иван", 1, 1, 101, "10:00:00");
    a.qualification = 7;
    a.birth_year = 1990;
    a.card_number = 12345;
    runner(c, "Петров Петр", 1, 99, 99, "10:00:00");
    Runner& s = runner(c, "Сидорова Анна", 2, 1, 201, "10:01:00");
    s.qualification = 4;
    s.birth_year = 2001;
    s.out_of_competition = 1;
    s.marked = 1;
    set_field_text(s.comment, w("запасная"));
    Runner& k = runner(c, "Козлов Олег", 2, 1, 202, "09:59:00");
    k.birth_year = 1985;
    k.individual = 1;
    k.marked = 1;
    runner(c, "Без группы", 9, 1, 300, "11:00:00");
    // Park Козлов behind the gap.
    auto& t = c.tables.runners;
    t.slot(t.capacity() - 1) = std::move(t.slot(3));
    t.slot(3) = std::move(t.slot(4));
}

const char* kHeadUtf8 =
    "<html><head>\r\n"
    "<meta content=\"text/html; charset=windows-1251\" http-equiv=\"Content-Type\">\r\n"
    "<title>Skarvel - Протокол старта</title>\r\n"
    "<style type=\"text/css\">\r\n"
    "<!--\r\n"
    "body {\t\tmargin-left:10;margin-top:10;}\r\n"
    "A:hover {color:#FF0000;}\r\n"
    "H1  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: "
    "#333366;text-align: center;}\r\n"
    "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: "
    "#FF0000;text-align: left;  }\r\n"
    "-->\r\n</style>\r\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\r\n"
    "<h1>Первенство области<br>\r\nЛично<br>\r\n";

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Env {
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    std::filesystem::path dir;
    Env() {
        dir =
            std::filesystem::temp_directory_path() /
            ("skarvel_start_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    ~Env() { std::filesystem::remove_all(dir); }
    std::string path(const char* name) { return (dir / name).string(); }
};

const std::string kNothing =
    "Печать отменена:\nНет ни одного участника, группы или дистанции\nс заданными свойствами!"_cp1251;

}  // namespace

TEST(StartListHtml, ByClassExactBytes) {
    Competition c;
    individual(c);
    Env e;
    e.prompts.files = {e.path("start.htm")};
    StartListSettings s;
    s.to_html = true;
    ASSERT_TRUE(print_start_list(c, s, e.env));
    ASSERT_EQ(e.shell.opened, (std::vector<std::string>{e.path("start.htm")}));
    EXPECT_TRUE(e.prompts.messages.empty());

    std::string heading = w("№п/п Фамилия, имя") + sp(13) +
                          w("      Коллектив         Квал Номер ГР   СТАРТ   Примечания");
    std::string expected =
        w(kHeadUtf8) + "12.05.2026<br>\r\n" + w("Лесной") + "\r\n</h1>\r\n" +
        w("<h2>М21       </h2>\r\n<pre>") + "\r\n<b>" + heading + "</b>" + "\r\n   1 " +
        w("Петров Петр") + sp(14) + " " + "    " + " " + "  99" + " " + sp(5) + "10:00:00" + sp(4) +
        sp(6) + "\r\n   2 " + w("Иванов Иван") + sp(14) + w(" Спартак") + sp(15) + " " + w("КМС ") +
        " " + " 101" + " " + "1990 " + "10:00:00" + sp(4) + sp(6) + "\r\n</pre>\r\n" +
        w("<h2>Ж21       </h2>\r\n<pre>") + "\r\n<b>" + heading + "</b>" + "\r\n   1 " +
        w("Козлов Олег") + sp(14) + w(" Спартак") + sp(15) + " " + "    " + " " + " 202" + " " +
        "1985 " + "09:59:00" + sp(4) + w("лично ") + "\r\n   2 " + w("Сидорова Анна") + sp(12) +
        w(" Спартак") + sp(15) + " " + "I   " + " " + " 201" + " " + "2001 " + "10:01:00" +
        w("в/к ") + sp(6) + w("запасная") + "\r\n</pre>\r\n" + "\r\n</body>\r\n</html>\r\n";
    std::string got = read_file(e.path("start.htm"));
    EXPECT_EQ(cp1251_to_utf8(got), cp1251_to_utf8(expected));
    EXPECT_EQ(got, expected);
}

TEST(StartListHtml, ByCourseWithCardsAndAnchors) {
    Competition c;
    individual(c);
    c.info.time_precision = 1;
    Env e;
    e.prompts.files = {e.path("course.htm")};
    StartListSettings s;
    s.to_html = true;
    s.selection = kAllCourses;
    s.print_card_numbers = true;
    s.extended_html = true;
    ASSERT_TRUE(print_start_list(c, s, e.env));
    std::string heading =
        w("№п/п Фамилия, имя") + sp(13) +
        w("      Коллектив         Квал Номер ГР   СТАРТ   VP-чип ГруппаПримечания");
    auto tail = [&](std::string_view klass, std::string_view rest) { return w(klass) + w(rest); };
    std::string expected =
        w(kHeadUtf8) + "12.05.2026<br>\r\n" + w("Лесной") + "\r\n</h1>\r\n" +
        w("<a name=\"Дист1\"></a>\r\n\r\n<hr><p><a href=\"#Дист1\">Дист1</a> </p><hr>\r\n") +
        w("<h2>Дист1     </h2>\r\n<pre>") + "\r\n<b>" + heading + "</b>" + "\r\n   1 " +
        w("Козлов Олег") + sp(14) + w(" Спартак") + sp(15) + " " + "    " + " " + " 202" + " " +
        "1985 " + "09:59:00,0" + sp(9) + tail("Ж21      ", "    лично ") + "\r\n   2 " +
        w("Петров Петр") + sp(14) + " " + "    " + " " + "  99" + " " + sp(5) + "10:00:00,0" +
        sp(9) + tail("М21      ", sp(10)) + "\r\n   3 " + w("Иванов Иван") + sp(14) +
        w(" Спартак") + sp(15) + " " + w("КМС ") + " " + " 101" + " " + "1990 " + "10:00:00,0" +
        "   12345 " + tail("М21      ", sp(10)) + "\r\n   4 " + w("Сидорова Анна") + sp(12) +
        w(" Спартак") + sp(15) + " " + "I   " + " " + " 201" + " " + "2001 " + "10:01:00,0" +
        sp(9) + tail("Ж21      ", "в/к       запасная") + "\r\n</pre>\r\n" +
        "\r\n</body>\r\n</html>\r\n";
    std::string got = read_file(e.path("course.htm"));
    EXPECT_EQ(cp1251_to_utf8(got), cp1251_to_utf8(expected));
    EXPECT_EQ(got, expected);
}

TEST(StartListHtml, OnlyMarkedLeavesOutClassesWithoutMarkedRunners) {
    Competition c;
    individual(c);
    Env e;
    e.prompts.files = {e.path("marked.htm")};
    StartListSettings s;
    s.to_html = true;
    s.only_marked = true;
    s.extended_html = true;
    ASSERT_TRUE(print_start_list(c, s, e.env));
    std::string heading = w("№п/п Фамилия, имя") + sp(13) +
                          w("      Коллектив         Квал Номер ГР   СТАРТ   Примечания");
    std::string expected =
        w(kHeadUtf8) + "12.05.2026<br>\r\n" + w("Лесной") + "\r\n</h1>\r\n" +
        w("<a name=\"Ж21\"></a>\r\n\r\n<hr><p><a href=\"#Ж21\">Ж21</a> </p><hr>\r\n") +
        w("<h2>Ж21       </h2>\r\n<pre>") + "\r\n<b>" + heading + "</b>" + "\r\n   1 " +
        w("Козлов Олег") + sp(14) + w(" Спартак") + sp(15) + " " + "    " + " " + " 202" + " " +
        "1985 " + "09:59:00" + sp(4) + w("лично ") + "\r\n   2 " + w("Сидорова Анна") + sp(12) +
        w(" Спартак") + sp(15) + " " + "I   " + " " + " 201" + " " + "2001 " + "10:01:00" +
        w("в/к ") + sp(6) + w("запасная") + "\r\n</pre>\r\n" + "\r\n</body>\r\n</html>\r\n";
    EXPECT_EQ(read_file(e.path("marked.htm")), expected);
    std::string got = cp1251_to_utf8(read_file(e.path("marked.htm")));
    EXPECT_EQ(got.find("М21"), std::string::npos);  // not even in the navigation line
    std::string nav =
        "<a name=\"Ж21\"></a>\r\n\r\n<hr><p><a href=\"#Ж21\">Ж21</a> </p><hr>\r\n<h2>Ж21       "
        "</h2>";
    EXPECT_NE(got.find(nav), std::string::npos);
    EXPECT_NE(got.find("   1 Козлов Олег"), std::string::npos);
    EXPECT_NE(got.find("   2 Сидорова Анна"), std::string::npos);
    EXPECT_EQ(got.find("Петров"), std::string::npos);
}

TEST(StartListHtml, MarkedClassesAndNothingToPrint) {
    Competition c;
    individual(c);
    c.tables.classes[1]->set_marked(true);
    StartListSettings s;
    s.selection = kMarkedClasses;
    auto groups = start_list_groups(c, s);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name, w("Ж21"));
    // Counts were recomputed for the selection.
    EXPECT_EQ(c.tables.classes[0]->runner_count, 2);
    EXPECT_EQ(c.tables.courses[0]->runner_count, 4);

    // No marked course: the file is still written with its head and end, then the message.
    Env e;
    e.prompts.files = {e.path("none.htm")};
    s.selection = kMarkedCourses;
    s.to_html = true;
    EXPECT_FALSE(print_start_list(c, s, e.env));
    EXPECT_EQ(e.prompts.messages, (std::vector<std::string>{kNothing}));
    std::string got = read_file(e.path("none.htm"));
    EXPECT_EQ(got.substr(got.size() - 27), "</h1>\r\n\r\n</body>\r\n</html>\r\n");
}

TEST(StartListHtml, CancelAndUnwritableFile) {
    Competition c;
    individual(c);
    StartListSettings s;
    s.to_html = true;
    Env e;
    e.prompts.files = {std::nullopt};
    EXPECT_FALSE(print_start_list(c, s, e.env));
    EXPECT_TRUE(e.prompts.messages.empty());
    EXPECT_TRUE(e.shell.opened.empty());
    e.prompts.files = {e.path("no/such/dir/x.htm")};
    EXPECT_FALSE(print_start_list(c, s, e.env));
    EXPECT_EQ(e.prompts.messages,
              (std::vector<std::string>{"Не могу записать в указанный файл"_cp1251}));
}

TEST(StartListPrinted, SixtyOneRunnersGiveTwoSheets) {
    Competition c;
    base_info(c);
    add_class(c, 1, "М21", 0);
    for (int i = 0; i < 61; ++i) runner(c, "Бегун", 1, 1, i + 1, "10:00:00").start_time += i * 6000;
    Env e;
    StartListSettings s;
    ASSERT_TRUE(print_start_list(c, s, e.env));
    ASSERT_EQ(e.printers.documents.size(), 1u);
    EXPECT_EQ(e.printers.faults, (std::vector<int>{0}));
    const RecordedDocument& doc = e.printers.documents[0];
    EXPECT_EQ(doc.name, std::string("Протокол старта"_cp1251));
    EXPECT_TRUE(doc.ended);
    ASSERT_EQ(doc.pages.size(), 2u);

    const std::string title = w("М21        12.05.2026");
    const std::string heading = start_list_heading(false, false);
    for (const RecordedPage& p : doc.pages) {
        EXPECT_TRUE(p.ended);
        ASSERT_GE(p.items.size(), 4u);
        EXPECT_EQ(p.items[0].text, title);
        EXPECT_EQ(p.items[0].font, ReportFont::Title);
        EXPECT_EQ(p.items[0].x_mm, 1);
        EXPECT_EQ(p.items[0].y_mm, 10);
        EXPECT_EQ(p.items[1].kind, PageItem::Rule);
        EXPECT_EQ(p.items[1].y_mm, 18);
        EXPECT_EQ(p.items[2].text, heading);
        EXPECT_EQ(p.items[2].y_mm, 20);
        EXPECT_EQ(p.items[2].font, ReportFont::BodyLarge);  // 11 pt without card numbers
    }
    const auto& first = doc.pages[0].items;
    ASSERT_EQ(first.size(), 3u + 60u);
    EXPECT_EQ(first[3].y_mm, 24);
    EXPECT_EQ(first[3].text.substr(0, 5), "   1 ");
    EXPECT_EQ(first.back().y_mm, 24 + 59 * 4);
    EXPECT_EQ(first.back().text.substr(0, 5), "  60 ");
    EXPECT_EQ(first.back().text.find("10:59:00"), 69u);
    const auto& second = doc.pages[1].items;
    ASSERT_EQ(second.size(), 3u + 1u + 1u);
    EXPECT_EQ(second[3].text.substr(0, 5), "  61 ");
    EXPECT_EQ(second[3].y_mm, 24);
    EXPECT_EQ(second[4].kind, PageItem::Rule);
    EXPECT_EQ(second[4].y_mm, 28);
    // Printed lines carry no comment and use the body font.
    EXPECT_EQ(second[3].font, ReportFont::BodyLarge);
}

TEST(StartListPrinted, ExactlySixtyEndsWithTheRuleOnTheSameSheetAndEachGroupOnItsOwn) {
    Competition c;
    base_info(c);
    add_class(c, 1, "М21", 0);
    add_class(c, 2, "Ж21", 0);
    for (int i = 0; i < 60; ++i) runner(c, "Бегун", 1, 1, i + 1, "10:00:00");
    Runner& r = runner(c, "Бегунья", 2, 1, 100, "10:00:00");
    set_field_text(r.comment, "x");
    r.card_number = 77;
    Env e;
    StartListSettings s;
    s.print_card_numbers = true;
    ASSERT_TRUE(print_start_list(c, s, e.env));
    const RecordedDocument& doc = e.printers.documents.at(0);
    ASSERT_EQ(doc.pages.size(), 2u);
    const auto& first = doc.pages[0].items;
    ASSERT_EQ(first.size(), 3u + 60u + 1u);
    EXPECT_EQ(first.back().kind, PageItem::Rule);
    EXPECT_EQ(first.back().y_mm, 24 + 60 * 4);
    EXPECT_EQ(first[2].font, ReportFont::Body);  // 10 pt with card numbers
    const auto& second = doc.pages[1].items;
    EXPECT_EQ(second[0].text, w("Ж21        12.05.2026"));
    std::string line = second[3].text;
    EXPECT_EQ(line.substr(line.size() - 19), "      77 " + sp(4) + sp(6));  // no comment on paper
    EXPECT_EQ(e.printers.faults, (std::vector<int>{0}));
}

// By course, with card numbers and hundredths, a line is 108 characters: the sheet is set in
// the size that keeps it on the page.
TEST(StartListPrinted, WideLinesAreSetInASizeThatFits) {
    Competition c;
    individual(c);
    c.info.time_precision = 2;
    Env e;
    StartListSettings s;
    s.selection = kAllCourses;
    s.print_card_numbers = true;
    ASSERT_TRUE(print_start_list(c, s, e.env));
    const RecordedPage& page = e.printers.documents.at(0).pages.at(0);
    const PageFont* font = page.font_of(2);
    ASSERT_NE(font, nullptr);
    std::size_t widest = 0;
    for (std::size_t i = 2; i < page.items.size(); ++i)
        if (page.items[i].kind == PageItem::Text)
            widest = std::max(widest, page.items[i].text.size());
    EXPECT_EQ(widest, 108u);
    EXPECT_NEAR(1 + widest * kFixedAdvanceEm * font->height_inch * 25.4, kPageWidthMm, 1e-9);
}

TEST(StartListPrinted, NothingToPrintAndNoPrinter) {
    Competition c;
    base_info(c);
    Env e;
    StartListSettings s;
    EXPECT_FALSE(print_start_list(c, s, e.env));
    EXPECT_EQ(e.prompts.messages, (std::vector<std::string>{kNothing}));
    ASSERT_EQ(e.printers.documents.size(), 1u);
    EXPECT_TRUE(e.printers.documents[0].ended);
    EXPECT_TRUE(e.printers.documents[0].pages.empty());

    Env f;
    f.printers.fail_with = "GetPrinterDeviceDefaults = 0";
    add_class(c, 1, "М21", 0);
    runner(c, "Бегун", 1, 1, 1, "10:00:00");
    EXPECT_FALSE(print_start_list(c, s, f.env));
    EXPECT_EQ(f.prompts.messages, (std::vector<std::string>{"GetPrinterDeviceDefaults = 0"}));

    // A printer that did not take the whole document (a PDF file on a full disk).
    Env g;
    g.printers.fail_on_paper = true;
    EXPECT_FALSE(print_start_list(c, s, g.env));
    ASSERT_EQ(g.prompts.messages.size(), 1u);
    EXPECT_EQ(g.prompts.messages[0], g.prompts.text(Txt::kPrinterFailed));
}

TEST(StartListSettings, RoundTripThroughTheHeader) {
    CompetitionInfo info;
    StartListSettings s;
    s.selection = kMarkedCourses;
    s.only_marked = s.print_card_numbers = s.page_per_group = s.to_html = s.extended_html = true;
    s.store_individual(info);
    EXPECT_EQ(info.selection_copy, 3);
    EXPECT_EQ(info.start_list_page_per_group, 1);
    StartListSettings back = StartListSettings::from_info(info);
    EXPECT_EQ(back.selection, kMarkedCourses);
    EXPECT_TRUE(back.only_marked && back.print_card_numbers && back.page_per_group &&
                back.to_html && back.extended_html);
    EXPECT_FALSE(back.relay_leg_dot_number);
    s.relay_leg_dot_number = true;
    s.store_relay(info);
    std::uint8_t bytes[CompetitionInfo::kSize];
    info.encode(bytes);
    EXPECT_EQ(bytes[1044], 3);
    EXPECT_EQ(bytes[1045], 1);
    EXPECT_EQ(bytes[1046], 1);
    EXPECT_EQ(bytes[1104], 1);
    // A selection byte out of range reads as all classes.
    info.selection_copy = 9;
    EXPECT_EQ(StartListSettings::from_info(info).selection, kAllClasses);
}

// --- relay ----------------------------------------------------------------------------

namespace {
void relay(Competition& c) {
    base_info(c);
    c.info.relay = 1;
    set_field_text(c.info.chief_judge, w("Судьин"));
    set_field_text(c.info.chief_secretary, w("Секретарёва"));
    add_class(c, 1, "М21", 0);
    // Out of order in the table on purpose.
    runner(c, "Р1003", 5, 1, 1003, "11:00:00");
    runner(c, "Р202", 1, 1, 202, "10:00:00").birth_year = 2000;
    runner(c, "Р301", 1, 7, 301, "10:00:00").birth_year = 2000;
    Runner& a = runner(c, "Р101", 1, 1, 101, "10:00:00");
    a.birth_year = 2000;
    a.card_number = 5001;
    a.qualification = 8;
    runner(c, "Р102", 1, 1, 102, "10:00:00").birth_year = 2000;
    runner(c, "Р201", 1, 1, 201, "10:00:00");
    runner(c, "Без номера", 1, 1, 0, "10:00:00");
}
}  // namespace

TEST(RelayStartList, TeamsLegsAndDotNumbersExactBytes) {
    Competition c;
    relay(c);
    Env e;
    e.prompts.files = {e.path("relay")};
    StartListSettings s = StartListSettings::from_info(c.info);
    s.relay_leg_dot_number = true;
    s.print_card_numbers = true;
    s.extended_html = true;
    s.relay_first_leg_times = true;
    ASSERT_TRUE(print_start_protocol(c, s, e.env));
    ASSERT_EQ(e.shell.opened, (std::vector<std::string>{e.path("relay.htm")}));
    // The save dialog is titled and proposes "htm".
    ASSERT_EQ(e.prompts.file_dialogs.size(), 1u);
    EXPECT_EQ(e.prompts.file_dialogs[0].title, w("старт эстафеты"));
    EXPECT_EQ(e.prompts.file_dialogs[0].suggested, "htm");

    auto line = [&](std::string_view number, std::string_view name, std::string_view qual,
                    std::string_view birth, std::string_view club, std::string_view card) {
        auto pad = [](std::string s, std::size_t n) {
            s.resize(std::max(n, s.size()), ' ');
            return s;
        };
        return "\r\n   " + std::string(number) + " " + pad(w(name), 25) + " " + pad(w(qual), 4) +
               " " + pad(std::string(birth), 4) + " " + pad(w(club), 20) + " " +
               pad(std::string(card), 7) + " ";
    };
    std::string expected =
        w(kHeadUtf8) + "12.05.2026<br>\r\n" + w("Лесной") + "<br>\r\n" +
        w("ПРОТОКОЛ СТАРТА</h1>\r\n<html><pre>\r\n") +
        w("<a name=\"М21\"></a>\r\n\r\n<hr><p><a href=\"#М21\">М21</a> <a href=\"#5\">5</a> "
          "</p><hr>\r\n") +
        w("\r\n<h2>Группа: М21</h2>") + w("\r\n<b>      №  Фамилия, имя") + sp(13) +
        w(" Квал  ГР  Коллектив") + sp(11) + w(" VP-чип </b>  Старт") + "\r\n1" +
        line("101.0", "Р101", "МС  ", "2000", "Спартак", "5001") +
        line("201.0", "Р201", "", "", "Спартак", "") + line("301.0", "Р301", "", "2000", " ", "") +
        "\r\n2" + line("102.0", "Р102", "", "2000", "Спартак", "") +
        line("202.0", "Р202", "", "2000", "Спартак", "") +
        w("<a name=\"5\"></a>\r\n\r\n<hr><p><a href=\"#М21\">М21</a> <a href=\"#5\">5</a> "
          "</p><hr>\r\n") +
        w("\r\n<h2>Группа (ID): 5</h2>") + w("\r\n<b>      №  Фамилия, имя") + sp(13) +
        w(" Квал  ГР  Коллектив") + sp(11) + w(" VP-чип </b>  Старт") + "\r\n1" +
        line("  3.1", "Р1003", "", "", "Спартак", "") + "11:00:00" +
        w("\r\n\r\nГлавный судья    ") + sp(30) + w("Судьин") + w("\r\nГлавный секретарь") +
        sp(30) + w("Секретарёва") + "\r\n</pre></body></html>\r\n";
    std::string got = read_file(e.path("relay.htm"));
    EXPECT_EQ(cp1251_to_utf8(got), cp1251_to_utf8(expected));
    EXPECT_EQ(got, expected);
}

TEST(RelayStartList, PlainNumbersWithoutCardsAndTimes) {
    Competition c;
    relay(c);
    StartListSettings s;
    std::string got = cp1251_to_utf8(relay_start_list_html(c, s));
    EXPECT_NE(got.find("\r\n<b>      №  Фамилия, имя              Квал  ГР  Коллектив           "
                       "</b>\r\n1\r\n     101 Р101"),
              std::string::npos);
    EXPECT_EQ(got.find("Старт"), std::string::npos);
    EXPECT_EQ(got.find("5001"), std::string::npos);
    EXPECT_EQ(got.find("<a name="), std::string::npos);
    EXPECT_NE(got.find("\r\n    1003 Р1003"), std::string::npos);
}

TEST(RelayStartList, NobodyNumberedEndsSilently) {
    Competition c;
    base_info(c);
    c.info.relay = 1;
    runner(c, "Без номера", 1, 1, 0, "10:00:00");
    Env e;
    e.prompts.files = {e.path("x.htm")};
    EXPECT_FALSE(print_start_protocol(c, StartListSettings{}, e.env));
    EXPECT_TRUE(e.prompts.messages.empty());
    EXPECT_EQ(e.prompts.files.size(), 1u);  // no save dialog was shown
    EXPECT_FALSE(std::filesystem::exists(e.path("x.htm")));
}
