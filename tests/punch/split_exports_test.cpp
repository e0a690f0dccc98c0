// The split files byte for byte: negative splits, a missing control, two readouts of one card,
// runners with a status left out, and the course-by-number failure.
#include "punch/split_exports.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "punch_fixture.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

struct SplitRace : PunchFixture {
    SplitRace() {
        set_field_text(c.info.title_lines[0], "Cup");
        set_field_text(c.info.date, "01.06.2026");
        course(1, "D1", {31, 32, 33}).length_m = 4500;  // control count 0: counted
        course(2, "D2", {40}, 1);
        group(1, "M21", 1);
        group(2, "W21", 2);
        group(3, "M70", 1);  // no finish line: skipped
        Club& club = *c.tables.clubs[c.new_record(kClubs)];
        club.id = 1;
        set_field_text(club.name, "Club A");
        runner(1, 1, 101, 1, "Ivanov Petr").club_id = 1;
        runner(2, 2, 102, 1, "Petrov").start_time = hms(10, 1, 0);
        runner(3, 3, 103, 1, "Status Two").status = 2;
        runner(4, 4, 104, 2, "Sidorova Anna");
        for (int i = 0; i < 4; ++i)
            if (c.tables.runners[i]->start_time == 0)
                c.tables.runners[i]->start_time = hms(10, 0, 0);
        finish(1, hms(10, 30, 0));
        finish(2, hms(10, 41, 0));
        finish(3, hms(10, 50, 0));
        finish(4, hms(10, 25, 0));
        // A punch earlier than the one before it, a missing control 32, two readouts of 104.
        readout(101, {{31, hms(10, 5, 0)}, {32, hms(10, 4, 30)}, {33, hms(10, 20, 0)}});
        readout(102, {{31, hms(10, 10, 0)}, {33, hms(10, 30, 0)}});
        readout(104, {{40, hms(10, 12, 0)}});
        readout(104, {{40, hms(10, 15, 0)}});
    }
    void finish(int number, std::int32_t t) {
        FinishLine& f = *c.tables.finish_lines[c.new_record(kFinishLines)];
        f.start_number = static_cast<std::int16_t>(number);
        f.time_word = static_cast<std::uint32_t>(t);
    }
    void readout(int card, std::initializer_list<std::pair<int, std::int32_t>> punches) {
        CardReadout& k = *c.tables.card_readouts[c.new_record(kCardReadouts)];
        k.card_number = card;
        for (auto [code, t] : punches) {
            k.punches[k.punch_count].code = static_cast<std::uint8_t>(code);
            k.punches[k.punch_count++].time = t;
        }
    }
};

TEST(SplitExports, OsvFile) {
    SplitRace r;
    SplitExport osv = osv_split_file(r.c, 0);
    EXPECT_TRUE(osv.ok);
    EXPECT_EQ(osv.text,
              utf8_to_cp1251(
                  "Version 1\r\n@NAME   1, 25\r\n@RESULT 27, 8\r\n@SPLITS 40\r\n"
                  " Cup 01.06.2026\r\n"
                  "\r\n#M21  , 3 КП, 4.500 км"
                  "\r\nIvanov Petr               101     00:30:00      5:00   0:00  15:30  10:00"
                  "\r\nPetrov                    102     00:40:00      9:00  31:00"
                  "\r\n#W21  , 1 КП, 0.000 км"
                  "\r\nSidorova Anna             104     00:25:00     12:00  13:00"
                  "\r\n"));
    EXPECT_EQ(r.c.tables.courses[0]->control_count, 3);
    // first_n cuts each class's list.
    EXPECT_EQ(osv_split_file(r.c, 1).text.find("Petrov"), std::string::npos);
}

TEST(SplitExports, RouteCsvAndCommonPage) {
    SplitRace r;
    SplitExport csv = route_split_file(r.c, 0);
    EXPECT_EQ(csv.text,
              "\r\n\r\nM21  "
              "\r\nIvanov;Petr;Club A;10:00:00;5:00;0:00;15:30;10:00"
              "\r\nPetrov;;10:01:00;9:00;31:00"
              "\r\n\r\nW21  "
              "\r\nSidorova;Anna;;10:00:00;12:00;13:00"
              "\r\n");
    ScriptedPrompts prompts;
    std::string page = common_splits_page(r.c, prompts);
    EXPECT_EQ(page.rfind("<html><pre>\r\n", 0), 0u);
    EXPECT_EQ(page.substr(page.size() - 15), "</pre></html>\r\n");
    // One printout per readout with an owner: both readouts of card 104.
    std::size_t count = 0;
    for (std::size_t at = page.find("<hr>\r\n"); at != std::string::npos;
         at = page.find("<hr>\r\n", at + 1))
        ++count;
    EXPECT_EQ(count, 4u);
    // Names and clubs are text on the page, not markup.
    set_field_text(r.c.tables.runners[0]->name, "Ann <i>Lee</i>");
    set_field_text(r.c.tables.clubs[0]->name, "A&B");
    page = common_splits_page(r.c, prompts);
    EXPECT_NE(page.find("Ann &lt;i&gt;Lee&lt;/i&gt;\r\nA&amp;B\r\n"), std::string::npos) << page;
    EXPECT_EQ(page.find("<i>"), std::string::npos);
}

TEST(SplitExports, CourseByNumberMissingEndsTheFileAndNamesTheRunner) {
    SplitRace r;
    r.c.info.check_mode = 2;  // the course named by the runner's number
    ScriptedPrompts prompts;
    prompts.files = {testing::TempDir() + "splits.csv"};
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    EXPECT_FALSE(export_route_csv(r.c, 0, env));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], utf8_to_cp1251("Нет такой дистанции ! (Ivanov Petr, 1)"));
    ASSERT_EQ(shell.opened.size(), 1u);  // the file as far as written is shown
    // The runner's line is begun before the walk stops, and nothing follows it.
    SplitExport cut = route_split_file(r.c, 0);
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.text, "\r\n\r\nM21  \r\nIvanov;Petr;Club A;10:00:00;");
    cut = osv_split_file(r.c, 0);
    EXPECT_FALSE(cut.ok);
    const std::string osv_end = "\r\nIvanov Petr               101     00:30:00   ";
    EXPECT_EQ(cut.text.substr(cut.text.size() - osv_end.size()), osv_end);
}

}  // namespace
