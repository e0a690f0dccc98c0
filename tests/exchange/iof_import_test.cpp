#include <gtest/gtest.h>

#include <random>

#include "exchange/iof_xml.h"
#include "iof_fixture.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

// The federation's examples write their times in UTC+01:00: read in that zone they are the
// times of day they show.
IofImportReport import_file(Competition& c, IofImportKind kind, const std::string& name) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    IofImportOptions o;
    o.utc_offset_minutes = 60;
    return iof_import_file(c, kind, iof_dir() + "/" + name, lang, o);
}

IofImportReport import_text(Competition& c, IofImportKind kind, const std::string& xml) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    return iof_import_text(c, kind, xml, lang);
}

const Runner* runner_named(const Competition& c, const char* utf8) {
    std::string name = utf8_to_cp1251(utf8);
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (const Runner* r = c.tables.runners[i]; r && field_text(r->name) == name) return r;
    return nullptr;
}

std::string class_name(const Competition& c, const Runner& r) {
    const ClassRecord* k = c.find_class_by_id(r.class_id);
    return k ? cp1251_to_utf8(field_text(k->name)) : "";
}
std::string club_name(const Competition& c, const Runner& r) {
    const Club* k = c.find_club_by_id(r.club_id);
    return k ? cp1251_to_utf8(field_text(k->name)) : "";
}

const char* kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<EntryList xmlns=\"http://www.orienteering.org/datastandard/3.0\" iofVersion=\"3.0\">"
    "<Event><Name>E</Name></Event>";

std::string person_entry(const std::string& family, const std::string& given,
                         const std::string& cls, const std::string& club = "") {
    return "<PersonEntry><Person><Name><Family>" + family + "</Family><Given>" + given +
           "</Given></Name></Person>" +
           (club.empty() ? "" : "<Organisation><Name>" + club + "</Name></Organisation>") +
           "<Class><Name>" + cls + "</Name></Class></PersonEntry>";
}

}  // namespace

TEST(IofImport, FederationExamplesImport) {
    struct Case {
        IofImportKind kind;
        const char* file;
        int runners_added, runners_updated, classes_added, courses_added;
    } cases[] = {
        {IofImportKind::kEntries, "EntryList1.xml", 3, 0, 2, 0},
        {IofImportKind::kEntries, "EntryList2.xml", 8, 0, 0, 0},
        {IofImportKind::kCourses, "CourseData_Individual_Step2.xml", 0, 0, 2, 2},
        {IofImportKind::kCourses, "CourseData_Relay_Step2.xml", 0, 0, 0, 1},
        {IofImportKind::kClasses, "ClassList.xml", 0, 0, 0, 0},
        {IofImportKind::kStart, "StartList1.xml", 0, 3, 0, 0},
        {IofImportKind::kStart, "StartList_Relay_Step3.xml", 0, 7, 0, 0},
    };
    // One competition, filled message by message as a secretary would.
    Competition c;
    for (const Case& k : cases) {
        IofImportReport r = import_file(c, k.kind, k.file);
        ASSERT_TRUE(r.ok) << k.file << ": " << r.message;
        EXPECT_EQ(r.runners_added, k.runners_added) << k.file;
        EXPECT_EQ(r.runners_updated, k.runners_updated) << k.file;
        EXPECT_EQ(r.classes_added, k.classes_added) << k.file;
        EXPECT_EQ(r.courses_added, k.courses_added) << k.file;
    }
    const Runner* wood = runner_named(c, "Wood George");
    ASSERT_TRUE(wood);
    EXPECT_EQ(wood->card_number, 794021);
    EXPECT_EQ(club_name(c, *wood), "OC Back and Forth");
    EXPECT_EQ(class_name(c, *wood), "Men Elit");  // cut to the class field
    // 101 is already leg 1 of relay team 1 (EntryList2): a number is never given twice.
    EXPECT_EQ(wood->start_number, 0);
    EXPECT_EQ(wood->start_time, hms(10, 0, 0));
    // A relay lineup: leg in the hundreds, team in the units, the team's name in the comment.
    const Runner* reid = runner_named(c, "Reid Samuel");
    ASSERT_TRUE(reid);
    EXPECT_EQ(reid->start_number / 100, 1);
    EXPECT_EQ(field_text(reid->comment), "Forest Vagabonds 1");
    EXPECT_EQ(reid->start_time, hms(14, 0, 0));
    // Three runners share leg 2 of that team: the first takes the number, the others none.
    const Runner* fisher = runner_named(c, "Fisher Penny");
    const Runner* collins = runner_named(c, "Collins Anne");
    ASSERT_TRUE(fisher && collins);
    EXPECT_EQ(fisher->start_number, reid->start_number + 100);
    EXPECT_EQ(collins->start_number, 0);
    EXPECT_TRUE(c.modified);
    for (const char* file :
         {"ResultList1.xml", "ResultList2.xml", "ResultList3.xml", "ResultList4.xml"}) {
        Competition fresh;
        IofImportReport r = import_file(fresh, IofImportKind::kResults, file);
        EXPECT_TRUE(r.ok) << file << ": " << r.message;
        EXPECT_GT(r.runners_added, 0) << file;
    }
}

TEST(IofImport, RoundTripKeepsTheCompetition) {
    Competition a;
    make_race(a);
    IofExportOptions o;
    o.create_time = "2026-12-08T12:00:00";
    Competition b;
    struct Step {
        IofExportKind out;
        IofImportKind in;
    } steps[] = {{IofExportKind::kEntries, IofImportKind::kEntries},
                 {IofExportKind::kCourses, IofImportKind::kCourses},
                 {IofExportKind::kStart, IofImportKind::kStart},
                 {IofExportKind::kResults, IofImportKind::kResults}};
    for (const Step& s : steps) {
        IofImportReport r = import_text(b, s.in, iof_export_text(a, s.out, o));
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.runners_added, s.in == IofImportKind::kEntries ? 7 : 0);
    }
    b.recompute_finish_results();
    ASSERT_EQ(b.tables.runners.occupied_count(), 7);
    for (int i = 0; i < 7; ++i) {
        const Runner& x = *a.tables.runners[i];
        const Runner* y = runner_named(b, cp1251_to_utf8(field_text(x.name)).c_str());
        ASSERT_TRUE(y) << cp1251_to_utf8(field_text(x.name));
        EXPECT_EQ(class_name(b, *y), class_name(a, x));
        EXPECT_EQ(club_name(b, *y), club_name(a, x));
        EXPECT_EQ(y->card_number, x.card_number);
        EXPECT_EQ(y->start_number, x.start_number);
        EXPECT_EQ(y->start_time, x.start_time);
        EXPECT_EQ(y->finish_time, x.finish_time);
        EXPECT_EQ(y->result, x.result);
        EXPECT_EQ(y->status, x.status);
        EXPECT_EQ(y->out_of_competition, x.out_of_competition);
    }
    const Course& ca = *a.tables.courses[0];
    const Course& cb = *b.tables.courses[0];
    EXPECT_EQ(field_text(cb.name), field_text(ca.name));
    EXPECT_EQ(cb.length_m, ca.length_m);
    EXPECT_EQ(cb.climb_m, ca.climb_m);
    EXPECT_EQ(0, std::memcmp(cb.control_codes, ca.control_codes, sizeof ca.control_codes));
    EXPECT_EQ(0, std::memcmp(cb.control_values, ca.control_values, sizeof ca.control_values));
    EXPECT_EQ(b.find_class_by_id(b.tables.runners[0]->class_id)->course_id, cb.id);
    // The punches of the card readouts come back (the extra punch included, in time order).
    ASSERT_EQ(b.tables.card_readouts.occupied_count(), 2);
    for (int i = 0; i < 2; ++i) {
        const CardReadout& ka = *a.tables.card_readouts[i];
        const CardReadout& kb = *b.tables.card_readouts[i];
        EXPECT_EQ(kb.card_number, ka.card_number);
        ASSERT_EQ(kb.punch_count, ka.punch_count);
        for (int q = 0; q < ka.punch_count; ++q) {
            EXPECT_EQ(kb.punches[q].code, ka.punches[q].code);
            EXPECT_EQ(kb.punches[q].time, ka.punches[q].time);
        }
    }
    // And the second export is the same message.
    EXPECT_EQ(iof_export_text(b, IofExportKind::kResults, o),
              iof_export_text(a, IofExportKind::kResults, o));
}

TEST(IofImport, NamesOutsideWindows1251AreCountedAndCut) {
    Competition c;
    std::string xml = std::string(kHead) + person_entry("Ødegård", "Bjørn", "H21", "Ås IL") +
                      person_entry("山田", "太郎", "H21") + person_entry("Иванов", "Пётр", "М21") +
                      person_entry("Verylongfamilyname", "Verylonggivenname", "Veryverylongclass") +
                      "</EntryList>";
    IofImportReport r = import_text(c, IofImportKind::kEntries, xml);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.runners_added, 4);
    EXPECT_EQ(r.runner_names_replaced, 2);
    EXPECT_EQ(r.club_names_replaced, 1);
    EXPECT_NE(r.message.find("Names with characters Windows-1251 cannot hold"), std::string::npos);
    const Runner* bjorn = runner_named(c, "Odegard Bjorn");
    ASSERT_TRUE(bjorn);
    EXPECT_EQ(club_name(c, *bjorn), "As IL");
    EXPECT_TRUE(runner_named(c, "?? ??"));
    EXPECT_TRUE(runner_named(c, "Иванов Пётр"));
    const Runner* longer = runner_named(c, "Verylongfamilyname Verylo");
    ASSERT_TRUE(longer);  // the name field keeps 25 characters, the class name 8
    EXPECT_EQ(class_name(c, *longer), "Veryvery");
}

// Invalid UTF-8 in a name (an overlong "/", a surrogate, a value above U+10FFFF, written as
// bytes or as character references) is replaced and counted, never decoded to a character.
TEST(IofImport, InvalidUtf8IsReplacedNotDecoded) {
    Competition c;
    std::string xml = std::string(kHead) +
                      person_entry(
                          "Ab\xC0\xAF"
                          "cd",
                          "E", "H21") +
                      person_entry("Fg\xED\xA0\x80", "H", "H21") +
                      person_entry("Ij\xF4\x90\x80\x80", "K", "H21") +
                      person_entry("Lm&#xD800;", "N", "H21") + "</EntryList>";
    IofImportReport r = import_text(c, IofImportKind::kEntries, xml);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.runners_added, 4);
    EXPECT_EQ(r.runner_names_replaced, 4);
    EXPECT_TRUE(runner_named(c, "Ab??cd E"));
    EXPECT_TRUE(runner_named(c, "Fg??? H"));
    EXPECT_TRUE(runner_named(c, "Ij???? K"));
    for (int i = 0; i < c.tables.runners.used_end(); ++i) {
        const Runner* p = c.tables.runners[i];
        if (p) {
            EXPECT_EQ(field_text(p->name).find('/'), std::string_view::npos);
        }
    }
}

TEST(IofImport, HostileOrBrokenMessagesAreRefusedAndChangeNothing) {
    std::string deep = std::string(kHead);
    for (int i = 0; i < 60; ++i) deep += "<Extensions>";
    for (int i = 0; i < 60; ++i) deep += "</Extensions>";
    deep += "</EntryList>";
    struct Case {
        const char* what;
        IofImportKind kind;
        std::string xml;
        const char* message;
    } cases[] = {
        {"not XML", IofImportKind::kEntries, "<EntryList><Event>", "XML error"},
        {"entity expansion", IofImportKind::kEntries,
         "<?xml version=\"1.0\"?><!DOCTYPE EntryList [<!ENTITY a \"aaaaaaaaaa\">"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]><EntryList iofVersion=\"3.0\">"
         "<Event><Name>&b;</Name></Event></EntryList>",
         "DOCTYPE"},
        {"external entity", IofImportKind::kEntries,
         "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
         "<EntryList>&e;</EntryList>",
         "DOCTYPE"},
        {"deep nesting", IofImportKind::kEntries, deep, "nested deeper than 40"},
        {"wrong message", IofImportKind::kCourses, std::string(kHead) + "</EntryList>",
         "Expected an IOF XML 3.0 CourseData document, the file holds EntryList"},
        {"no family name", IofImportKind::kEntries,
         std::string(kHead) + person_entry("A", "B", "C") +
             "<PersonEntry><Person><Name><Given>X</Given></Name></Person></PersonEntry>"
             "</EntryList>",
         "Element PersonEntry no. 2 has no Family element"},
        {"no person", IofImportKind::kEntries,
         std::string(kHead) + "<PersonEntry></PersonEntry></EntryList>",
         "Element PersonEntry no. 1 has no Person element"},
        {"control code", IofImportKind::kCourses,
         "<CourseData><Event><Name>E</Name></Event><RaceCourseData><Course><Name>A</Name>"
         "<CourseControl><Control>31</Control></CourseControl>"
         "<CourseControl><Control>300</Control></CourseControl></Course></RaceCourseData>"
         "</CourseData>",
         "Course A: control code 300 does not fit 1..255"},
        {"too large", IofImportKind::kEntries, std::string(kIofMaxFileBytes + 1, ' '),
         "larger than 128 MB"},
        {"too many elements", IofImportKind::kEntries, std::string(kIofMaxMarkup + 1, '<'),
         "more than 8000000 XML elements"},
    };
    for (const Case& k : cases) {
        Competition c;
        add_class(c, 1, "Old", 0);
        IofImportReport r = import_text(c, k.kind, k.xml);
        EXPECT_FALSE(r.ok) << k.what;
        EXPECT_NE(r.message.find(k.message), std::string::npos) << k.what << ": " << r.message;
        EXPECT_FALSE(c.modified) << k.what;
        EXPECT_EQ(c.tables.runners.occupied_count(), 0) << k.what;
        EXPECT_EQ(c.tables.classes.occupied_count(), 1) << k.what;
    }
}

TEST(IofImport, AMessageThatDoesNotFitIsRefusedWhole) {
    Competition c;
    for (int i = 0; i < kClassCapacity - 1; ++i)
        add_class(c, i + 1, ("K" + std::to_string(i)).c_str(), 0);
    std::string xml = std::string(kHead) + person_entry("A", "B", "New1") +
                      person_entry("C", "D", "New2") + "</EntryList>";
    IofImportReport r = import_text(c, IofImportKind::kEntries, xml);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("classes: 2 needed, 1 free"), std::string::npos) << r.message;
    EXPECT_EQ(c.tables.runners.occupied_count(), 0);
    EXPECT_EQ(c.tables.classes.occupied_count(), kClassCapacity - 1);
    // Into existing classes it fits.
    xml = std::string(kHead) + person_entry("A", "B", "K1") + person_entry("C", "D", "New") +
          "</EntryList>";
    r = import_text(c, IofImportKind::kEntries, xml);
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(c.tables.runners.occupied_count(), 2);
}

TEST(IofImport, NumbersThatAreNoNumbersCountAsMissing) {
    Competition c;
    std::string xml =
        "<CourseData><Event><Name>E</Name></Event><RaceCourseData><Course><Name>A</Name>"
        "<Length>nan</Length><Climb>inf</Climb>"
        "<CourseControl><Control>31</Control><LegLength>-nan</LegLength></CourseControl>"
        "<CourseControl><Control>32</Control><LegLength>1e300</LegLength></CourseControl>"
        "</Course></RaceCourseData></CourseData>";
    IofImportReport r = import_text(c, IofImportKind::kCourses, xml);
    ASSERT_TRUE(r.ok) << r.message;
    const Course& k = *c.tables.courses[0];
    EXPECT_EQ(k.length_m, 0);
    EXPECT_EQ(k.climb_m, 0);
    EXPECT_EQ(k.control_values[0], 0);
    EXPECT_EQ(k.control_values[1], 65535);
}

TEST(IofImport, UnknownRunnersOfAStartListAreCounted) {
    Competition c;
    add_class(c, 1, "Men Elit", 0);
    add_runner(c, {"Wood George", 1, 0, 0, 0, 0});
    c.rebuild_number_index();
    IofImportReport r = import_file(c, IofImportKind::kStart, "StartList1.xml");
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.runners_updated, 1);
    EXPECT_EQ(r.runners_unknown, 2);
    EXPECT_NE(r.message.find("Not found in the competition: 2."), std::string::npos);
}

// Thousands of cut and mutated example messages: no crash (the sanitizer build runs this
// too), and whatever is refused leaves the competition unchanged.
TEST(IofImport, MutatedMessagesNeverCrash) {
    std::vector<std::pair<IofImportKind, std::string>> seeds;
    for (auto [kind, file] : {std::pair{IofImportKind::kEntries, "EntryList1.xml"},
                              {IofImportKind::kEntries, "EntryList2.xml"},
                              {IofImportKind::kCourses, "CourseData_Individual_Step2.xml"},
                              {IofImportKind::kStart, "StartList_Relay_Step3.xml"},
                              {IofImportKind::kResults, "ResultList2.xml"}})
        seeds.emplace_back(kind, read_text(iof_dir() + "/" + file));
    std::mt19937 rng(20261208);
    int accepted = 0;
    for (int i = 0; i < 2000; ++i) {
        auto& [kind, text] = seeds[i % seeds.size()];
        std::string m = text;
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits && !m.empty(); ++e) {
            std::size_t at = rng() % m.size();
            switch (rng() % 4) {
                case 0:
                    m[at] = static_cast<char>(rng());
                    break;
                case 1:
                    m.erase(at, rng() % 64);
                    break;
                case 2:
                    m.insert(at, m.substr(rng() % m.size(), rng() % 64));
                    break;
                case 3:
                    m.resize(at);
                    break;
            }
        }
        Competition c;
        IofImportReport r = import_text(c, kind, m);
        EXPECT_FALSE(r.message.empty());
        if (!r.ok) {
            EXPECT_EQ(c.tables.runners.occupied_count(), 0);
        }
        accepted += r.ok;
    }
    EXPECT_GT(accepted, 0);
}
