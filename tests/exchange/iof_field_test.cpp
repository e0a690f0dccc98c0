// Messages in the shapes other programs of the field write them: no start numbers, shared
// cards, long class names, relay organisations, time zones, other encodings, other versions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "core/wdb_file.h"
#include "exchange/iof_xml.h"
#include "iof_fixture.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

IofImportReport import(Competition& c, IofImportKind kind, const std::string& xml,
                       std::optional<int> zone = std::nullopt) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    IofImportOptions o;
    o.utc_offset_minutes = zone;
    return iof_import_text(c, kind, xml, lang, o);
}

std::string message(const char* root, const std::string& body,
                    const std::string& encoding = "UTF-8") {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<" + root +
           " xmlns=\"http://www.orienteering.org/datastandard/3.0\" iofVersion=\"3.0\">"
           "<Event><Name>E</Name></Event>" +
           body + "</" + root + ">";
}

std::string person(const std::string& family, const std::string& given,
                   const std::string& club = "") {
    return "<Person><Name><Family>" + family + "</Family><Given>" + given +
           "</Given></Name></Person>" +
           (club.empty() ? "" : "<Organisation><Name>" + club + "</Name></Organisation>");
}

std::string class_of(const std::string& name) {
    return "<Class><Name>" + name + "</Name></Class>";
}

const Runner* runner_named(const Competition& c, const std::string& cp1251) {
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (const Runner* r = c.tables.runners[i]; r && field_text(r->name) == cp1251) return r;
    return nullptr;
}

// This computer's zone for the test (POSIX rules; null: as it was).
void set_zone(const char* tz) {
#ifndef _WIN32
    if (tz)
        setenv("TZ", tz, 1);
    else
        unsetenv("TZ");
    tzset();
#else
    (void)tz;
#endif
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(IofField, ResultsWithoutStartNumbersKeepTheirTimes) {
    // Two classes both numbered from 1, and a class without numbers; times written as start
    // and finish, as finish and running time, or as running time alone.
    std::string xml = message(
        "ResultList",
        "<ClassResult>" + class_of("H21") + "<PersonResult>" + person("Aa", "One") +
            "<Result><BibNumber>1</BibNumber><StartTime>2026-06-01T10:00:00</StartTime>"
            "<FinishTime>2026-06-01T10:30:00</FinishTime><Time>1800</Time></Result>"
            "</PersonResult></ClassResult>"
            "<ClassResult>" +
            class_of("D21") + "<PersonResult>" + person("Bb", "Two") +
            "<Result><BibNumber>1</BibNumber><StartTime>2026-06-01T10:00:00</StartTime>"
            "<FinishTime>2026-06-01T10:40:00</FinishTime></Result></PersonResult>"
            "<PersonResult>" +
            person("Cc", "Three") +
            "<Result><FinishTime>2026-06-01T11:00:00</FinishTime><Time>2700</Time>"
            "<Status>OK</Status></Result></PersonResult>"
            "<PersonResult>" +
            person("Dd", "Four") +
            "<Result><Time>1234.5</Time><Status>OK</Status></Result></PersonResult>"
            "<PersonResult>" +
            person("Ee", "Five") + "<Result><Status>DidNotStart</Status></Result></PersonResult>" +
            "</ClassResult>");
    Competition c;
    IofImportReport r = import(c, IofImportKind::kResults, xml);
    ASSERT_TRUE(r.ok) << r.message;
    c.recompute_finish_results();
    struct Case {
        const char* name;
        int number;
        std::int32_t result;
    } cases[] = {{"Aa One", 1, 180000},
                 {"Bb Two", 2, 240000},
                 {"Cc Three", 3, 270000},
                 {"Dd Four", 4, 123450},
                 {"Ee Five", 0, 0}};
    for (const Case& k : cases) {
        const Runner* x = runner_named(c, k.name);
        ASSERT_TRUE(x) << k.name;
        EXPECT_EQ(x->start_number, k.number) << k.name;
        EXPECT_EQ(x->result, k.result) << k.name;
    }
    EXPECT_EQ(runner_named(c, "Cc Three")->start_time, hms(10, 15, 0));
    EXPECT_EQ(r.finish_lines, 4);
    EXPECT_TRUE(has(r.message,
                    "given free numbers (so that their finish counts): 3, numbers 2 "
                    "to 4.\nStart numbers of the file held by other runners"))
        << r.message;
}

TEST(IofField, RelayTeamsAreNumberedInTheRelayFormOrTold) {
    auto team = [](const std::string& bib, const std::string& members) {
        return "<TeamResult><Name>Team " + bib + "</Name>" +
               "<Organisation><Name>OK Nord</Name></Organisation>" +
               (bib.empty() ? "" : "<BibNumber>" + bib + "</BibNumber>") + members +
               "</TeamResult>";
    };
    auto member = [](const std::string& family, int leg, const std::string& finish) {
        return "<TeamMemberResult>" + person(family, "X") + "<Result><Leg>" + std::to_string(leg) +
               "</Leg><StartTime>2026-06-01T10:00:00</StartTime>" + "<FinishTime>2026-06-01T" +
               finish + "</FinishTime></Result></TeamMemberResult>";
    };
    std::string xml = message(
        "ResultList",
        "<ClassResult>" + class_of("Relay") +
            team("7", member("Seven", 1, "10:30:00") + member("Sevenb", 2, "10:40:00")) +
            team("", member("Nobib", 1, "10:31:00") +
                         "<TeamMemberResult><Result><Leg>2</Leg></Result></TeamMemberResult>") +
            team("150", member("Big", 1, "10:32:00")) + "</ClassResult>");
    Competition c;
    IofImportReport r = import(c, IofImportKind::kResults, xml);
    ASSERT_TRUE(r.ok) << r.message;
    struct Case {
        const char* name;
        int number;
    } cases[] = {{"Seven X", 107}, {"Sevenb X", 207}, {"Nobib X", 108}, {"Big X", 0}};
    for (const Case& k : cases) {
        const Runner* x = runner_named(c, k.name);
        ASSERT_TRUE(x) << k.name;
        EXPECT_EQ(x->start_number, k.number) << k.name;
        ASSERT_NE(x->club_id, 0) << k.name;
        EXPECT_EQ(field_text(c.find_club_by_id(x->club_id)->name), "OK Nord");
    }
    EXPECT_EQ(runner_named(c, "Sevenb X")->finish_time, hms(10, 40, 0));
    for (const char* told : {"numbered on in their class: 1.",
                             "(teams up to 99, legs up to 9): 1; their runners left "
                             "without a start number and a finish line: 1.",
                             "Team members without a person (lineup not known), skipped: 1."})
        EXPECT_TRUE(has(r.message, told)) << told << "\n" << r.message;
}

TEST(IofField, SharedCardsNeverTradeStartTimes) {
    Competition c;
    add_class(c, 1, "M21", 0);
    add_class(c, 2, "W21", 0);
    add_runner(c, {"Owner Anna", 2, 0, 0, 0, 0, 500});
    add_runner(c, {"Borrower Bob", 1, 0, 0, 0, 0, 500});
    add_runner(c, {"Other Olga", 2, 0, 0, 0, 0, 600});
    auto start = [](const std::string& family, const std::string& given, const char* time,
                    int card) {
        return "<PersonStart>" + person(family, given) + "<Start><StartTime>2026-06-01T" + time +
               "</StartTime><ControlCard>" + std::to_string(card) +
               "</ControlCard></Start></PersonStart>";
    };
    // The borrower comes first; a stranger with the same card must take nobody's time.
    std::string xml =
        message("StartList",
                "<ClassStart>" + class_of("M21") + start("Borrower", "Bob", "10:02:00", 500) +
                    start("Stranger", "Sam", "10:09:00", 500) + "</ClassStart>" + "<ClassStart>" +
                    class_of("W21") + start("OWNER,", "anna", "10:01:00", 500) +
                    start("Other", "Olga", "10:05:00", 601) + "</ClassStart>");
    IofImportReport r = import(c, IofImportKind::kStart, xml);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(runner_named(c, "Owner Anna")->start_time, hms(10, 1, 0));
    EXPECT_EQ(runner_named(c, "Borrower Bob")->start_time, hms(10, 2, 0));
    EXPECT_EQ(runner_named(c, "Other Olga")->start_time, hms(10, 5, 0));
    EXPECT_EQ(runner_named(c, "Other Olga")->card_number, 601);  // a new card, same person
    EXPECT_EQ(r.runners_unknown, 1);
}

TEST(IofField, LongNamesStayDistinctAndComeBackWhole) {
    TempDir dir;
    std::string entries;
    for (const char* cls : {"Challenge long", "Challenge middle", "Challenge short"})
        entries += "<PersonEntry>" + person(cls, "Runner", "Orienteering Club Northern Valley") +
                   class_of(cls) + "</PersonEntry>";
    entries += "<PersonEntry>" +
               person("VAN BRUSSEL", "Cécile", "Orienteering Club Northern Hills") +
               class_of("Challeng") + "</PersonEntry>";
    Competition c;
    IofImportReport r = import(c, IofImportKind::kEntries, message("EntryList", entries));
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(c.tables.classes.occupied_count(), 4);
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) shown.emplace_back(field_text(c.tables.classes[i]->name));
    EXPECT_EQ(shown, (std::vector<std::string>{"Challeng", "Challen2", "Challen3", "Challen4"}));
    EXPECT_EQ(c.tables.clubs.occupied_count(), 2);
    EXPECT_TRUE(has(r.message, "classes 4, courses 0, clubs 2; made distinct with a number: 4."))
        << r.message;
    std::string courses = "<RaceCourseData>";
    for (const char* k : {"Long course A", "Long course B"})
        courses += std::string("<Course><Name>") + k + "</Name></Course>";
    courses +=
        "<ClassCourseAssignment><ClassName>Challenge short</ClassName>"
        "<CourseName>Long course B</CourseName></ClassCourseAssignment></RaceCourseData>";
    r = import(c, IofImportKind::kCourses, message("CourseData", courses));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(field_text(c.tables.courses[1]->name), "Long cour2");
    EXPECT_EQ(c.find_class_by_id(3)->course_id, c.tables.courses[1]->id);

    // Saved and opened again, the names are written back whole.
    std::string path = dir.file("race.wdb");
    ASSERT_TRUE(save_wdb(c, path));
    Competition d;
    ScriptedPrompts prompts;
    ASSERT_TRUE(load_wdb(d, path, prompts).ok());
    std::string out = iof_export_text(d, IofExportKind::kEntries, {}) +
                      iof_export_text(d, IofExportKind::kCourses, {});
    for (const char* whole :
         {"<Name>Challenge middle</Name>", "<Name>Orienteering Club Northern Hills</Name>",
          "<Family>VAN BRUSSEL</Family>\n        <Given>Cecile</Given>",
          "<ClassName>Challenge short</ClassName>\n      <CourseName>Long course B</CourseName>"})
        EXPECT_TRUE(has(out, whole)) << whole;
    // Read back into the competition they came from, they find their records.
    r = import(d, IofImportKind::kEntries,
               message("EntryList", "<PersonEntry>" + person("New", "One") +
                                        class_of("Challenge middle") + "</PersonEntry>"));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.classes_added, 0);
    // A name typed over in the program is the program's again.
    Runner& cecile = *d.tables.runners[3];
    set_field_text(cecile.name, "Brussel Cecile Van");
    EXPECT_TRUE(has(iof_export_text(d, IofExportKind::kEntries, {}),
                    "<Family>Brussel</Family>\n        <Given>Cecile Van</Given>"));
}

TEST(IofField, TimesWithAZoneAreReadInTheCompetitionsZone) {
    struct Case {
        const char* written;
        std::optional<int> zone;
        const char* tz;  // this computer's zone, where none is given
        std::int32_t start;
    } cases[] = {
        {"2026-06-01T09:40:02Z", 120, nullptr, hms(11, 40, 2)},
        {"2026-06-01T11:40:02+02:00", 120, nullptr, hms(11, 40, 2)},
        {"2026-06-01T10:40:02.5+01:00", -60, nullptr, hms(8, 40, 2, 50)},
        {"2026-06-01T00:30:00+03:00", 0, nullptr, hms(21, 30, 0)},
        {"2026-06-01T09:40:02", 120, nullptr, hms(9, 40, 2)},
        {"2026-06-01T09:40:02Z", std::nullopt, "CET-1CEST,M3.5.0,M10.5.0/3", hms(11, 40, 2)},
        {"2026-01-10T09:40:02Z", std::nullopt, "CET-1CEST,M3.5.0,M10.5.0/3", hms(10, 40, 2)},
    };
    const char* old_tz = std::getenv("TZ");
    std::string saved = old_tz ? old_tz : "";
    for (const Case& k : cases) {
#ifdef _WIN32
        if (k.tz) continue;  // the C library there knows no POSIX zone rules
#endif
        if (k.tz) set_zone(k.tz);
        Competition c;
        add_class(c, 1, "H21", 0);
        add_runner(c, {"Aa One", 1, 0, 0, 0, 0});
        std::string xml =
            message("StartList", "<ClassStart>" + class_of("H21") + "<PersonStart>" +
                                     person("Aa", "One") + "<Start><StartTime>" + k.written +
                                     "</StartTime></Start></PersonStart>" + "</ClassStart>");
        IofImportReport r = import(c, IofImportKind::kStart, xml, k.zone);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(c.tables.runners[0]->start_time, k.start) << k.written;
        EXPECT_EQ(iof_has_zoned_times(xml), r.zoned_times == 1) << k.written;
    }
    set_zone(old_tz ? saved.c_str() : nullptr);
}

TEST(IofField, DeclaredEncodingsAreHonoured) {
    struct Case {
        const char* encoding;
        std::string family;  // bytes in that encoding
        const char* stored;  // as the competition keeps it, in UTF-8
    } cases[] = {
        {"windows-1252", "M\xFCller \x8A", "Muller S"},
        {"ISO-8859-1", "Cl\xE9ment", "Clement"},
        {"iso-8859-2", "\xA3ukasz", "Lukasz"},
        {"ISO-8859-15", "\xA6t\xE9phane", "Stephane"},
        {"windows-1251", "\xC8\xE2\xE0\xED\xEE\xE2", "Иванов"},
        {"KOI8-R", "\xE9\xD7\xC1\xCE\xCF\xD7", "Иванов"},
    };
    for (const Case& k : cases) {
        Competition c;
        IofImportReport r =
            import(c, IofImportKind::kEntries,
                   message("EntryList", "<PersonEntry>" + person(k.family, "") + "</PersonEntry>",
                           k.encoding));
        ASSERT_TRUE(r.ok) << k.encoding << ": " << r.message;
        EXPECT_EQ(cp1251_to_utf8(field_text(c.tables.runners[0]->name)), k.stored) << k.encoding;
        EXPECT_TRUE(has(r.message, std::string("read in the encoding ") + k.encoding)) << r.message;
    }
}

TEST(IofField, FilesThatBringNothingAreRefusedAndSaySo) {
    Competition known;
    add_class(known, 1, "H21", 0);
    add_runner(known, {"Aa One", 1, 0, 0, 0, 0});
    struct Case {
        const char* what;
        IofImportKind kind;
        std::string xml;
        const char* told;
    } cases[] = {
        {"version 2.0.3", IofImportKind::kResults,
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<!DOCTYPE ResultList SYSTEM \"IOFdata.dtd\">\n"
         "<ResultList><IOFVersion version=\"2.0.3\"/><ClassResult/></ResultList>",
         "The file is an IOF XML 2.0.3 document (ResultList); only IOF XML 3.0 is read."},
        {"another version", IofImportKind::kStart,
         "<StartList iofVersion=\"4.0\"><Event/></StartList>",
         "The file is an IOF XML 4.0 document (StartList)"},
        {"unknown encoding", IofImportKind::kEntries, message("EntryList", "", "x-mac-roman"),
         "The file is written in the encoding x-mac-roman, which the program cannot read."},
        {"no result", IofImportKind::kResults, message("ResultList", ""),
         "Nothing was imported from the file.\nIOF XML import: 0 runners added"},
        {"nobody known", IofImportKind::kStart,
         message("StartList", "<ClassStart>" + class_of("H21") + "<PersonStart>" +
                                  person("Zz", "Nobody") + "</PersonStart></ClassStart>"),
         "Nothing was imported from the file."},
    };
    for (const Case& k : cases) {
        IofImportReport r = import(known, k.kind, k.xml);
        EXPECT_FALSE(r.ok) << k.what;
        EXPECT_TRUE(has(r.message, k.told)) << k.what << ": " << r.message;
        EXPECT_FALSE(known.modified) << k.what;
        EXPECT_EQ(known.tables.runners.occupied_count(), 1) << k.what;
    }
}

TEST(IofField, ReplacedCharactersAreCountedPerKindOfName) {
    std::string xml = message(
        "EntryList", "<PersonEntry>" + person("Ødegård", "Bjørn", "Ås IL") + class_of("Åpen") +
                         "</PersonEntry><PersonEntry>" + person("Lie", "Kari", "Ås IL") +
                         class_of("Åpen") + "</PersonEntry><PersonEntry>" +
                         person("山田", "太郎", "Nord") + class_of("H21") + "</PersonEntry>");
    Competition c;
    IofImportReport r = import(c, IofImportKind::kEntries, xml);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(has(r.message,
                    "cannot hold (written in Latin letters or \"?\"): runners 2, clubs "
                    "1, classes 1, courses 0."))
        << r.message;
}
