#include "exchange/csv_exchange.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "core/cp1251.h"
#include "iof_fixture.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

std::string cp(const char* utf8) {
    return utf8_to_cp1251(utf8);
}

const Runner& runner(const Competition& c, int slot) {
    return *c.tables.runners[slot];
}

std::string class_name_of(const Competition& c, const Runner& r) {
    return std::string(field_text(c.find_class_by_id(r.class_id)->name));
}
std::string club_name_of(const Competition& c, const Runner& r) {
    return std::string(field_text(c.find_club_by_id(r.club_id)->name));
}

template <class R>
R& add(Table<R>& t) {
    int i = t.new_record();
    return *t[i];
}

}  // namespace

TEST(CsvEntries, LinesBecomeRunnersOfTheirClassAndClub) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    struct Case {
        const char* text;
        int runners, classes, clubs, skipped, out_of_range;
        const char* name;     // of the first runner
        const char* comment;  // of the last runner
    } cases[] = {
        {"M21;Ivanov Ivan;Club;4;101;85;1234567;ok\r\n", 1, 1, 1, 0, 0, "Ivanov Ivan", "ok"},
        // A last line without line end keeps its whole comment; an LF end is a line end too.
        {"M21;A;C;0;1;0;0;first\nM21;B;C;0;2;0;0;ok", 2, 1, 1, 0, 0, "A", "ok"},
        // Five fields, and fewer than three semicolons: skipped and counted.
        {"M21;A;C;0;1\r\nM21;B;C;0;2;0;0;x\r\nnothing\r\n\r\n", 1, 1, 1, 2, 0, "B", "x"},
        // Numbers outside their field: start number, card, birth year; qualification 11 is 0.
        {"W;A;C;11;30000;-5;-1;c\r\n", 1, 1, 1, 0, 3, "A", "c"},
        // Names cut: class 8, runner 24, comment 20, the rest of the line after the seventh
        // semicolon is the comment.
        {"ABCDEFGHIJ;123456789012345678901234567;C;0;0;0;0;12345;7890123456789012345\r\n", 1, 1, 1,
         0, 0, "123456789012345678901234", "12345;78901234567890"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        auto c = std::make_unique<Competition>();
        CsvImportReport r = import_entries_csv(*c, k.text, lang);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.runners, k.runners);
        EXPECT_EQ(r.classes, k.classes);
        EXPECT_EQ(r.clubs, k.clubs);
        EXPECT_EQ(r.skipped_lines, k.skipped);
        EXPECT_EQ(r.out_of_range, k.out_of_range);
        EXPECT_EQ(field_text(runner(*c, 0).name), k.name);
        EXPECT_EQ(field_text(runner(*c, k.runners - 1).comment), k.comment);
        EXPECT_TRUE(c->modified);
    }
}

TEST(CsvEntries, TheM21LineFillsEveryField) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    add(c->tables.classes).id = 7;  // an unnamed class with a higher id: new ids follow it
    CsvImportReport r =
        import_entries_csv(*c, "M21;Ivanov Ivan;Club;4;101;85;1234567;ok\r\n", lang);
    ASSERT_TRUE(r.ok);
    const Runner& x = runner(*c, 0);
    EXPECT_EQ(class_name_of(*c, x), "M21");
    EXPECT_EQ(x.class_id, 8);
    EXPECT_EQ(club_name_of(*c, x), "Club");
    EXPECT_EQ(x.qualification, 4);
    EXPECT_EQ(x.start_number, 101);
    EXPECT_EQ(x.birth_year, 1985);
    EXPECT_EQ(x.card_number, 1234567);
    EXPECT_EQ(field_text(x.comment), "ok");
    EXPECT_EQ(c->runner_by_number(101), &x);
    EXPECT_EQ(r.message, "CSV import: 1 runners added; 1 new classes, 1 clubs.");
}

TEST(CsvEntries, ClassesAndClubsAreFoundByNameAndMadeOnce) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    ClassRecord& old = add(c->tables.classes);
    old.id = 3;
    set_field_text(old.name, "M21");
    std::string club(30, 'K');  // longer than a club name holds
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += "M21;R;" + club + ";0;0;0;0;\r\nW21;S;" + club + ";0;0;0;0;\r\n";
    CsvImportReport r = import_entries_csv(*c, text, lang);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.runners, 10);
    EXPECT_EQ(r.classes, 1);  // W21 only
    EXPECT_EQ(r.clubs, 1);    // the cut name, once
    EXPECT_EQ(runner(*c, 0).class_id, 3);
    EXPECT_EQ(club_name_of(*c, runner(*c, 9)), std::string(20, 'K'));
    // Importing the same file again doubles its runners and adds nothing else.
    r = import_entries_csv(*c, text, lang);
    EXPECT_EQ(r.runners, 10);
    EXPECT_EQ(r.classes + r.clubs, 0);
    EXPECT_EQ(c->tables.runners.occupied_count(), 20);
}

TEST(CsvEntries, AFileThatDoesNotFitChangesNothing) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    for (int i = 0; i < kClubCapacity; ++i) add(c->tables.clubs).id = i + 1;
    CsvImportReport r = import_entries_csv(*c, "M21;A;New club;0;0;0;0;\r\n", lang);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              "The import does not fit the tables (clubs: 1 needed, 0 free). The competition is "
              "unchanged.");
    EXPECT_EQ(c->tables.runners.occupied_count(), 0);
    EXPECT_EQ(c->tables.classes.occupied_count(), 0);
    EXPECT_FALSE(c->modified);
}

TEST(CsvEntries, TheMenuCommandAsksFirstAndReadsTheFile) {
    TempDir dir;
    std::string path = dir.file("e.csv");
    std::ofstream(path, std::ios::binary) << "M21;A;C;0;1;0;0;\r\nshort\r\n";
    auto c = std::make_unique<Competition>();
    ScriptedPrompts no;
    no.yes_no_answers.push_back(false);
    EXPECT_FALSE(run_import_entries_csv(*c, no));
    EXPECT_EQ(no.questions[0], cp("Импорт CSV-файла, вы уверены?\nПравила:Поля разделены "
                                  "точками с запятой\nОчередность полей: "
                                  "группа;ФИ;колл;квал(код);номер;ГР;VP;Comment"));
    EXPECT_TRUE(no.file_dialogs.empty());
    ScriptedPrompts yes;
    yes.yes_no_answers.push_back(true);
    yes.files.push_back(path);
    EXPECT_TRUE(run_import_entries_csv(*c, yes));
    EXPECT_EQ(yes.messages[0],
              cp("Импорт CSV: добавлено участников 1; новых групп 1, коллективов 1.\nПропущено "
                 "строк, в которых меньше семи точек с запятой: 1."));
    ScriptedPrompts missing;
    missing.yes_no_answers.push_back(true);
    missing.files.push_back(dir.file("none.csv"));
    EXPECT_FALSE(run_import_entries_csv(*c, missing));
    EXPECT_EQ(missing.messages[0], cp("Не могу читать указанный файл"));
}

namespace {

void make_relay(Competition& c) {
    ClassRecord& k = add(c.tables.classes);
    k.id = 1;
    set_field_text(k.name, "M21");
    Club& b = add(c.tables.clubs);
    b.id = 1;
    set_field_text(b.name, "Club");
    // Two teams of one class, three and two legs, entered out of order; a runner without a
    // number and one of a class that does not exist are left out.
    const struct {
        int number, start, club;
        const char* name;
        int class_id;
    } rs[] = {{202, 3720000, 1, "D", 1}, {101, 3600000, 1, "A", 1}, {0, 0, 1, "none", 1},
              {301, 3900000, 0, "C", 1}, {102, 3600100, 1, "E", 1}, {201, 3700000, 1, "B", 1},
              {103, 0, 1, "ghost", 9}};
    for (const auto& x : rs) {
        Runner& r = add(c.tables.runners);
        r.start_number = static_cast<std::uint16_t>(x.number);
        r.start_time = x.start;
        r.club_id = static_cast<std::int16_t>(x.club);
        r.class_id = static_cast<std::int16_t>(x.class_id);
        set_field_text(r.name, x.name);
    }
}

}  // namespace

TEST(CsvOnline, RelayTeamsAreOneLineEach) {
    auto c = std::make_unique<Competition>();
    make_relay(*c);
    EXPECT_EQ(relay_online_csv(*c),
              ";;;;M21;101;A;Club;201;B;Club;301;C; ;10:00:00\r\n"
              ";;;;M21;102;E;Club;202;D;Club;10:00:01\r\n");
    auto empty = std::make_unique<Competition>();
    add(empty->tables.runners);
    EXPECT_EQ(relay_online_csv(*empty), "");
    ScriptedPrompts prompts;
    RecordingShellOpener shell;
    EXPECT_FALSE(run_export_relay_online_csv(*empty, prompts, shell));
    EXPECT_TRUE(prompts.file_dialogs.empty());
}

TEST(CsvOnline, OneLinePerRunnerInSlotOrder) {
    auto c = std::make_unique<Competition>();
    make_relay(*c);
    Runner& a = *c->tables.runners[1];
    a.card_number = 1234567;
    a.status = 7;
    a.day_results[0] = 360050;
    a.heat_or_leg = 1;
    a.fee_flags = Runner::kFeeOwnCard;
    c->tables.runners[2]->heat_or_leg = 2;
    TempDir dir;
    ScriptedPrompts prompts;
    prompts.files.push_back(dir.file("online.csv"));
    ASSERT_TRUE(run_export_online_csv(*c, prompts));
    std::ifstream in(dir.file("online.csv"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes,
              cp(";;;;;10:20:00,00;D;M21;Club;202;0;0;00:00:00,00;00:00:00,00;аренда;\r\n"
                 ";;;;;10:00:00,00;A;M21;Club;101;1234567;7;01:00:00,50;н.старт;свой;\r\n"
                 ";;;;;00:00:00,00;none;M21;Club;0;0;0;н.старт;00:00:00,00;аренда;\r\n"
                 ";;;;;10:50:00,00;C;M21;.;301;0;0;00:00:00,00;00:00:00,00;аренда;\r\n"
                 ";;;;;10:00:01,00;E;M21;Club;102;0;0;00:00:00,00;00:00:00,00;аренда;\r\n"
                 ";;;;;10:16:40,00;B;M21;Club;201;0;0;00:00:00,00;00:00:00,00;аренда;\r\n"
                 ";;;;;00:00:00,00;ghost;.;Club;103;0;0;00:00:00,00;00:00:00,00;аренда;\r\n"));
    EXPECT_EQ(prompts.suggested_files[0], "Экспорт базы");
}

TEST(CsvHandheld, AWholeEventFromTheRecorder) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    HandheldImportReport r = import_handheld_csv(
        *c,
        // The recorder's result (29:00) is kept, not finish minus start (30:00).
        "Ann;1234567;2;10:00:00;10:30:00;00:29:00;31;10:10:00;300;10:20:00;\r\n"
        "Bob;77;0;10:01:00;10:41:00;00:40:00;\r\n"
        ";78;1;10:02:00;;;\r\n"                             // no name, did not finish: read
        "missing;5;1;10:00:00\r\n"                          // a field missing: skipped
        "two digits;5;12;10:00:00;10:10:00;00:10:00;\r\n",  // not one digit: skipped
        lang);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.runners, 3);
    EXPECT_EQ(r.skipped_lines, 1);
    EXPECT_EQ(r.bad_course_lines, 1);
    EXPECT_EQ(r.out_of_range, 1);  // code 300
    EXPECT_TRUE(c->modified);
    EXPECT_EQ(c->tables.classes.occupied_count(), 10);
    EXPECT_EQ(c->tables.courses.occupied_count(), 10);
    const Runner& ann = *c->tables.runners[0];
    EXPECT_EQ(class_name_of(*c, ann), "D2");
    EXPECT_EQ(c->find_class_by_id(ann.class_id)->course_id, 3);
    EXPECT_EQ(field_text(c->find_course_by_id(3)->name), "2");
    EXPECT_EQ(ann.start_number, 1);
    EXPECT_EQ(ann.start_time, 3600000);
    EXPECT_EQ(ann.result, 174000);
    const Runner& bob = *c->tables.runners[1];
    EXPECT_EQ(class_name_of(*c, bob), cp("Снят"));
    EXPECT_EQ(bob.start_number, 2);
    EXPECT_EQ(bob.result, 240000);
    const Runner& nameless = *c->tables.runners[2];
    EXPECT_EQ(field_text(nameless.name), "");
    EXPECT_EQ(nameless.card_number, 78);
    EXPECT_EQ(nameless.finish_time, 0);
    EXPECT_EQ(nameless.result, 0);
    const CardReadout& card = *c->tables.card_readouts[0];
    EXPECT_EQ(card.card_number, 1234567);
    EXPECT_EQ(card.start_number, 4567);
    EXPECT_EQ(card.punch_count, 1);
    EXPECT_EQ(card.punches[0].code, 31);
    EXPECT_EQ(card.finish.time, 3780000);
    EXPECT_EQ(c->tables.finish_lines[1]->start_number, 2);
    EXPECT_EQ(c->tables.finish_lines[1]->time(), 3846000);
    EXPECT_EQ(r.message,
              "Handheld CSV import: 3 runners, 3 card readouts, 3 finish lines.\n"
              "Lines missing a field skipped: 1.\n"
              "Lines whose course is not one digit skipped: 1.\n"
              "Numbers outside their field's range (not stored, left 0): 1.");

    // A file of which no line can be read adds nothing, however often it is tried.
    auto empty = std::make_unique<Competition>();
    for (int attempt = 0; attempt < 2; ++attempt) {
        r = import_handheld_csv(*empty, "a;1;x;10:00;10:10;00:10;\r\nb;2\r\n", lang);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(empty->tables.classes.occupied_count() + empty->tables.courses.occupied_count(),
                  0);
        EXPECT_FALSE(empty->modified);
    }
}

TEST(CsvHandheld, PenaltiesGoToTheRunnerOfTheCardOrOneSpare) {
    auto c = std::make_unique<Competition>();
    c->info.penalty_per_miss = 2;
    Runner& known = add(c->tables.runners);
    known.id = 1;
    known.card_number = 500;
    known.start_number = 12;
    std::string text =
        "x;500;3;10:00:00;10:50:00;;31;10:10:00;\r\n"
        "y;900;1;10:00:00;10:40:00;;\r\n"
        ";901;;10:00:00;10:45:00;;\r\n";  // the name is not used; no penalty is 0
    TempDir dir;
    std::ofstream(dir.file("p.csv"), std::ios::binary) << text;
    ScriptedPrompts prompts;
    prompts.yes_no_answers.push_back(true);
    prompts.files.push_back(dir.file("p.csv"));
    ASSERT_TRUE(run_import_handheld_csv(*c, prompts, true));
    EXPECT_EQ(prompts.questions[0],
              cp("Импорт CSV-файла из PALM, вы уверены?\nПравила:Поля разделены точками с "
                 "запятой\nОчередность полей: ФИ;ЧИП;штраф;старт;финиш;результат;номер;время;"
                 "\nСОРЕВНОВАНИЯ ПО ВЫБОРУ СО ШТРАФОМ"));
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[0], cp("Неизвестный ЧИП: 900"));
    EXPECT_EQ(prompts.messages[1], cp("Неизвестный ЧИП: 901"));
    EXPECT_EQ(known.penalty, 6);
    EXPECT_EQ(c->tables.runners.occupied_count(), 2);  // one spare for both unknown cards
    EXPECT_EQ(c->tables.runners[1]->penalty, 0);       // the last unknown card's
    EXPECT_EQ(c->tables.card_readouts.occupied_count(), 3);
    EXPECT_EQ(c->tables.finish_lines[0]->start_number, 12);
    EXPECT_EQ(c->tables.card_readouts[0]->punch_count, 1);
}

TEST(CsvHandheld, AFileThatDoesNotFitChangesNothing) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    for (int i = 0; i < kCourseCapacity - 5; ++i) add(c->tables.courses).id = i + 1;
    HandheldImportReport r = import_handheld_csv(*c, "a;1;1;10:00;10:10;00:10;\r\n", lang);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              "The import does not fit the tables (courses: 10 needed, 5 free). The "
              "competition is unchanged.");
    EXPECT_EQ(c->tables.runners.occupied_count() + c->tables.classes.occupied_count(), 0);
}
