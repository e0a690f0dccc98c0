// The start and finish pages of the large screen, byte for byte.
#include "periph/display_pages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/atomic_file.h"
#include "core/finish_results.h"
#include "tests/results/fixture.h"

namespace skarvel::test {
namespace {

std::string pad(std::string_view s, std::size_t w) {
    std::string out(s);
    // Width counts characters; the texts here are ASCII or counted by the caller.
    if (out.size() < w) out.append(w - out.size(), ' ');
    return out;
}

const char* kStartHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\">\r\n"
    "<HTML><head><META HTTP-EQUIV=\"Refresh\" CONTENT=\"1; URL=test2.htm\"><TITLE></TITLE>\r\n"
    "<style>\r\n"
    "<!--\r\nh1           { font-size: 150pt; font-weight: bold }\r\n"
    "h2           { font-size: 72pt; font-weight: bold }\r\n-->\r\n"
    "tr           { font-size: 8pt; font-weight: plain;font-family: Arial, Helvetica, "
    "sans-serif;}\r\n"
    "</style>\r\n"
    "<base target=\"_self\"><br><body bgcolor=\"#C0C0C0\"></head>\r\n";

const char* kFinishHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\">\r\n"
    "<HTML><head><META HTTP-EQUIV=\"Refresh\" CONTENT=\"10; URL=test2.htm\"><TITLE></TITLE>\r\n"
    "<style>\r\n"
    "<!--\r\nh1           { font-size: 130pt; font-weight: bold }\r\n"
    "h2           { font-size: 72pt; font-weight: bold }\r\n"
    "tr           { font-size: 8pt; font-weight: plain;font-family: Arial, Helvetica, "
    "sans-serif;}\r\n"
    "-->\r\n</style>\r\n"
    "<base target=\"_self\"><body bgcolor=\"#C0C0C0\"></head>\r\n"
    "<div align=\"left\"><table>\r\n";

TEST(StartPage, ListsTheRunnersOfTheNextMinuteUnderTheClock) {
    Fixture f;
    f.add_class(1, "M21");
    f.add_club(1, "Dynamo & Co");
    f.add_runner(12, "Ivanov Petr", 1, 1, T(10, 15, 0));
    f.add_runner(13, "Early", 1, 1, T(10, 14, 59));
    f.add_runner(14, "Late", 1, 1, T(10, 16, 0));
    f.add_runner(15, "<Без клуба>", 1, 9, T(10, 15, 59));
    f.add_runner(16, "No class", 7, 1, T(10, 15, 30));
    f.add_runner(0, "No number", 1, 1, T(10, 15, 30));

    std::string row1 =
        "<tr bgcolor=\"#E0E0E0\">\r\n<td>&nbsp;<img border=0 src=\"RUS.gif\" "
        "width=\"50\" height=\"30\">&nbsp;</td><td>12</td><td><b>" +
        pad("Ivanov Petr", 25) + "</b><br>Dynamo &amp; Co         </td>" +
        "<td>&nbsp;<b>M21       </b></td><td>&nbsp;10:15:00</td></tr>\r\n";
    std::string row2 =
        "<tr bgcolor=\"#99CCFF\">\r\n<td>&nbsp;<img border=0 src=\"RUS.gif\" "
        "width=\"50\" height=\"30\">&nbsp;</td><td>15</td><td><b>&lt;Без "
        "клуба&gt;              </b></td>"
        "<td>&nbsp;<b>M21       </b></td><td>&nbsp;10:15:59</td></tr>\r\n";
    EXPECT_EQ(u8(start_page(f.c, 10, 14, 30)),
              std::string(kStartHead) +
                  "<h1 align=center>10:14:30</h1><div align=\"center\"><center><table>\r\n" + row1 +
                  row2 + "</table></center></div>\r\n</HTML>\r\n");
}

struct FinishFixture : Fixture {
    FinishFixture() {
        add_class(1, "M21");
        add_club(1, "Dynamo");
        add_runner(1, "Ivanov Petr", 1, 1, T(10, 0, 0), T(10, 45, 12));
        add_runner(2, "Orr & Co", 1, 1, T(10, 1, 0), T(10, 50, 0), kStatusDidNotFinish);
        add_runner(3, "Petrov Ivan", 1, 0, T(10, 2, 0), T(10, 49, 42)).out_of_competition = 1;
        refresh();
    }
};

TEST(FinishPage, ThreeLinesWithAStatusAndARunnerOutOfCompetition) {
    FinishFixture f;
    // The rows keep the colours of the last three of the ten places.
    std::string rows =
        "<tr bgcolor=\"#99CCFF\">\r\n<td><b>" + pad("Ivanov Petr", 25) + "</b></td><td>" +
        pad("Dynamo", 20) +
        "</td><td><b>00:45:12</b></td><td>&nbsp;1/3</td><td>&nbsp;M21       </td>"
        "<td>&nbsp;  0:00</td></tr>\r\n"
        "<tr bgcolor=\"#E0E0E0\">\r\n<td><b>Orr &amp; Co" +
        std::string(17, ' ') + "</b></td><td>" + pad("Dynamo", 20) +
        "</td><td><b>СОШЕЛ   </b></td><td>&nbsp;</td><td>&nbsp;M21       </td><td></td></tr>\r\n"
        "<tr bgcolor=\"#99CCFF\">\r\n<td><b>" +
        pad("Petrov Ivan", 25) +
        "</b></td><td><b>00:47:42</b></td><td>&nbsp;вк/3</td><td>&nbsp;M21       </td>"
        "<td>&nbsp;  2:30</td></tr>\r\n";
    EXPECT_EQ(u8(finish_page(f.c)),
              std::string(kFinishHead) + rows + "</table></div>\r\n</HTML>\r\n");
    EXPECT_EQ(f.c.runner_by_number(1)->place, 1);
}

// The row of a runner on the finish page.
std::string row_of(const std::string& page, std::string_view name) {
    std::size_t at = page.find(name);
    return at == std::string::npos ? std::string() : page.substr(at, page.find("</tr>", at) - at);
}

// The time behind is counted from the runner placed first, by the rule of the places; a finish
// before the start is the result protocol's error, with no place and nothing behind.
TEST(FinishPage, BehindTheRunnerPlacedFirstAndAFinishBeforeTheStart) {
    FinishFixture f;
    f.add_runner(4, "Early", 1, 0, T(11, 0, 0), T(10, 50, 0));
    f.add_runner(5, "Late", 1, 0, T(10, 5, 0), T(10, 46, 0));  // 41:00, the best time
    f.refresh();
    std::string page = u8(finish_page(f.c));
    EXPECT_EQ(row_of(page, "Early"), "Early" + std::string(20, ' ') +
                                         "</b></td><td><b>ОШИБКА  </b></td><td>&nbsp;</td>"
                                         "<td>&nbsp;M21       </td><td></td>");
    EXPECT_NE(row_of(page, "Ivanov")
                  .find("&nbsp;2/5</td><td>&nbsp;M21       </td>"
                        "<td>&nbsp;  4:12"),
              std::string::npos);
    EXPECT_NE(row_of(page, "Late")
                  .find("&nbsp;1/5</td><td>&nbsp;M21       </td>"
                        "<td>&nbsp;  0:00"),
              std::string::npos);
    // A handicap start places by the finish clock: who crosses the line first leads.
    f.c.info.competition_kind = kKindHandicap;
    finish_data_changed(f.c);
    page = u8(finish_page(f.c));
    EXPECT_NE(row_of(page, "Ivanov")
                  .find("&nbsp;1/5</td><td>&nbsp;M21       </td>"
                        "<td>&nbsp;  0:00"),
              std::string::npos)
        << page;
    EXPECT_NE(row_of(page, "Late")
                  .find("&nbsp;2/5</td><td>&nbsp;M21       </td>"
                        "<td>&nbsp;  0:48"),
              std::string::npos)
        << page;
}

TEST(FinishPage, ShowsTheTenLatestLinesOldestFirst) {
    FinishFixture f;
    f.add_finish(0, T(11, 0, 0));   // an unnumbered line: an empty row
    f.add_finish(77, T(11, 0, 1));  // nobody holds 77
    for (int i = 0; i < 8; ++i) f.add_finish(1, T(11, 1, i));
    f.refresh();
    std::string page = u8(finish_page(f.c));
    auto count = [&page](std::string_view s) {
        int n = 0;
        for (auto at = page.find(s); at != std::string::npos; at = page.find(s, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("<tr bgcolor="), 10);
    // The first three lines fall out of the window; the unnumbered line opens it.
    EXPECT_EQ(count("Orr"), 0);
    EXPECT_NE(page.find("<div align=\"left\"><table>\r\n<tr bgcolor=\"#E0E0E0\">\r\n"
                        "<tr bgcolor=\"#99CCFF\">\r\n<td>-- нет в протоколе --</td>"
                        "<tr bgcolor=\"#E0E0E0\">\r\n<td><b>Ivanov"),
              std::string::npos);
}

TEST(DisplayFolder, IsCreatedAndPagesReplaceTheOldFileWhole) {
    auto dir =
        std::filesystem::temp_directory_path() /
        ("skarvel_display_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(dir);
    std::string folder = (dir / "lcd" / "screens").string();
    std::string why;
    ASSERT_TRUE(write_page_file(folder, "test2.htm", "first", &why)) << why;
    ASSERT_TRUE(write_page_file(folder, "test2.htm", "second page", &why)) << why;
    std::string bytes;
    ASSERT_TRUE(read_file_bytes(folder + "/test2.htm", 100, bytes));
    EXPECT_EQ(bytes, "second page");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind
    // A folder that cannot be made (a file stands in its way) is an error with a reason.
    std::ofstream(dir / "blocked") << "x";
    EXPECT_FALSE(write_page_file((dir / "blocked" / "lcd").string(), "test2.htm", "x", &why));
    EXPECT_FALSE(why.empty());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace skarvel::test
