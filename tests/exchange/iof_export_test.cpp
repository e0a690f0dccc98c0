#include <gtest/gtest.h>

#include <algorithm>

#include "exchange/iof_xml.h"
#include "iof_fixture.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

IofExportOptions fixed_time() {
    IofExportOptions o;
    o.create_time = "2026-12-08T12:00:00";
    return o;
}

// The PersonResult block of a runner (from its Person element to its end).
std::string person_block(const std::string& xml, const std::string& family) {
    std::size_t at = xml.find("<Family>" + family + "</Family>");
    if (at == std::string::npos) return {};
    std::size_t begin = xml.rfind("<PersonResult>", at);
    std::size_t end = xml.find("</PersonResult>", at);
    return xml.substr(begin, end - begin);
}

}  // namespace

TEST(IofExport, EveryMessageValidatesAgainstTheSchema) {
    TempDir dir;
    for (bool relay : {false, true}) {
        for (int precision : {0, 2}) {
            Competition c;
            make_race(c);
            c.info.relay = relay;
            c.info.time_precision = static_cast<std::uint8_t>(precision);
            for (const char* kind : {"results", "start", "entries", "courses"}) {
                IofExportKind k;
                ASSERT_TRUE(parse_iof_export_kind(kind, k));
                std::string path = dir.file(std::string(kind) + (relay ? "-relay" : "") +
                                            std::to_string(precision) + ".xml");
                LanguageTable lang;
                IofExportReport r = iof_export_file(c, k, path, fixed_time(), lang);
                ASSERT_TRUE(r.ok) << r.error;
                SKARVEL_EXPECT_VALID_IOF(path);
            }
        }
    }
}

TEST(IofExport, ResultListPlacesStatusesAndSplits) {
    Competition c;
    make_race(c);
    std::string xml = iof_export_text(c, IofExportKind::kResults, fixed_time());
    ASSERT_NE(xml.find("<ResultList xmlns=\"http://www.orienteering.org/datastandard/3.0\" "
                       "iofVersion=\"3.0\" createTime=\"2026-12-08T12:00:00\" "
                       "creator=\"Skarvel 0.1\" status=\"Complete\">"),
              std::string::npos);
    EXPECT_NE(xml.find("<Name>Кубок «Ёлки»</Name>\n    <StartTime>\n      <Date>2026-12-08</Date>"),
              std::string::npos);
    struct Case {
        const char* family;
        const char* result;  // the Result element's content from Time on, or from Status on
    } cases[] = {
        // Equal times share place 1; the next runner is third.
        {"Иванов",
         "<Time>1800</Time>\n        <TimeBehind>0</TimeBehind>\n        "
         "<Position>1</Position>\n        <Status>OK</Status>"},
        {"Petrov",
         "<Time>1800</Time>\n        <TimeBehind>0</TimeBehind>\n        "
         "<Position>1</Position>\n        <Status>OK</Status>"},
        {"Sidorov",
         "<Time>2280</Time>\n        <TimeBehind>480</TimeBehind>\n        <Position>3</Position>\n"
         "        <Status>OK</Status>\n"
         "        <SplitTime>\n          <ControlCode>31</ControlCode>\n          "
         "<Time>600</Time>\n"
         "        </SplitTime>\n"
         "        <SplitTime status=\"Missing\">\n          <ControlCode>32</ControlCode>\n"
         "        </SplitTime>\n"
         "        <SplitTime>\n          <ControlCode>33</ControlCode>\n          "
         "<Time>1680</Time>\n"
         "        </SplitTime>\n"
         "        <SplitTime status=\"Additional\">\n          <ControlCode>99</ControlCode>\n"
         "          <Time>780</Time>\n        </SplitTime>\n"
         "        <ControlCard>1003</ControlCard>"},
        {"Out", "<Time>1020</Time>\n        <Status>NotCompeting</Status>"},
        {"Mp", "<Time>1800</Time>\n        <Status>MissingPunch</Status>"},
        {"Dns", "<StartTime>2026-12-08T10:04:00</StartTime>\n        <Status>DidNotStart</Status>"},
        {"Smirnova",
         "<StartTime>2026-12-08T10:00:00</StartTime>\n        <Status>Inactive</Status>"},
    };
    for (const Case& k : cases) {
        std::string block = person_block(xml, k.family);
        EXPECT_NE(block.find(k.result), std::string::npos) << k.family << "\n" << block;
    }
    EXPECT_EQ(person_block(xml, "Out").find("<Position>"), std::string::npos);
    // The runners in the order of the result protocol (the runner out of competition with
    // the best time first), then those without a result.
    std::vector<std::size_t> at;
    for (const char* family : {"Out", "Иванов", "Petrov", "Sidorov", "Mp", "Dns", "Smirnova"})
        at.push_back(xml.find("<Family>" + std::string(family) + "</Family>"));
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
}

TEST(IofExport, TimesAreCutToThePrecision) {
    struct Case {
        int precision;
        const char* time;
        const char* finish;
    } cases[] = {
        {0, "<Time>1800</Time>", "T10:30:00</FinishTime>"},
        {1, "<Time>1800.5</Time>", "T10:30:00.5</FinishTime>"},
        {2, "<Time>1800.57</Time>", "T10:30:00.57</FinishTime>"},
    };
    for (const Case& k : cases) {
        Competition c;
        add_class(c, 1, "A", 0);
        add_runner(c, {"One Runner", 1, 0, 1, hms(10, 0, 0), hms(10, 30, 0, 57)});
        c.rebuild_number_index();
        c.info.time_precision = static_cast<std::uint8_t>(k.precision);
        std::string xml = iof_export_text(c, IofExportKind::kResults, fixed_time());
        EXPECT_NE(xml.find(k.time), std::string::npos) << k.precision;
        EXPECT_NE(xml.find(k.finish), std::string::npos) << k.precision;
    }
}

TEST(IofExport, CourseDataWholeFile) {
    Competition c;
    set_field_text(c.info.title_lines[0], "Test");
    set_field_text(c.info.date, "2026-05-01");
    add_course(c, 3, "Long", {31, 45}, 5100, 80);
    add_class(c, 1, "M21", 3);
    add_class(c, 2, "W21", 0);
    EXPECT_EQ(
        iof_export_text(c, IofExportKind::kCourses, fixed_time()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<CourseData xmlns=\"http://www.orienteering.org/datastandard/3.0\" "
        "iofVersion=\"3.0\" createTime=\"2026-12-08T12:00:00\" creator=\"Skarvel 0.1\">\n"
        "  <Event>\n    <Name>Test</Name>\n    <StartTime>\n      <Date>2026-05-01</Date>\n"
        "    </StartTime>\n  </Event>\n"
        "  <RaceCourseData>\n"
        "    <Course>\n      <Id>3</Id>\n      <Name>Long</Name>\n      <Length>5100</Length>\n"
        "      <Climb>80</Climb>\n"
        "      <CourseControl type=\"Start\">\n        <Control>S1</Control>\n"
        "      </CourseControl>\n"
        "      <CourseControl type=\"Control\">\n        <Control>31</Control>\n"
        "        <LegLength>100</LegLength>\n      </CourseControl>\n"
        "      <CourseControl type=\"Control\">\n        <Control>45</Control>\n"
        "        <LegLength>200</LegLength>\n      </CourseControl>\n"
        "      <CourseControl type=\"Finish\">\n        <Control>F1</Control>\n"
        "      </CourseControl>\n"
        "    </Course>\n"
        "    <ClassCourseAssignment>\n      <ClassId>1</ClassId>\n"
        "      <ClassName>M21</ClassName>\n      <CourseName>Long</CourseName>\n"
        "    </ClassCourseAssignment>\n"
        "  </RaceCourseData>\n"
        "</CourseData>\n");
}

TEST(IofExport, RelayTeamsGroupLegsByTeamNumber) {
    Competition c;
    c.info.relay = 1;
    add_club(c, 1, "Nord");
    add_class(c, 1, "M21", 0);
    add_runner(c, {"Leg One", 1, 1, 101, hms(10, 0, 0), hms(10, 30, 0)});
    add_runner(c, {"Leg Two", 1, 1, 201, hms(10, 30, 0), hms(11, 5, 0)});
    add_runner(c, {"Other One", 1, 1, 102, hms(10, 0, 0), hms(10, 35, 0)});
    add_runner(c, {"Other Two", 1, 1, 202, hms(10, 35, 0), hms(11, 0, 0)});
    c.rebuild_number_index();
    std::string xml = iof_export_text(c, IofExportKind::kResults, fixed_time());
    // Team 2 finished its second leg first: place 1 after leg 2, team 1 second.
    std::size_t team1 = xml.find("<BibNumber>1</BibNumber>");
    std::size_t team2 = xml.find("<BibNumber>2</BibNumber>");
    ASSERT_NE(team1, std::string::npos);
    ASSERT_NE(team2, std::string::npos);
    std::string t1 = xml.substr(team1, team2 - team1), t2 = xml.substr(team2);
    EXPECT_NE(t1.find("<OverallResult>\n            <Time>3900</Time>\n            "
                      "<Position>2</Position>"),
              std::string::npos)
        << t1;
    EXPECT_NE(t2.find("<OverallResult>\n            <Time>3600</Time>\n            "
                      "<Position>1</Position>"),
              std::string::npos)
        << t2;
    EXPECT_NE(t1.find("<Leg>2</Leg>\n          <BibNumber>201</BibNumber>"), std::string::npos);
}

TEST(IofExport, WriteFailureIsReported) {
    Competition c;
    make_race(c);
    LanguageTable lang;
    IofExportReport r =
        iof_export_file(c, IofExportKind::kStart, "/nonexistent-dir/x.xml", fixed_time(), lang);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(lang.text(Txt::kIofCannotWrite)), std::string::npos);
}
