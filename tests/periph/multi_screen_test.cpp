// Result pages for screens that cycle through the classes, byte for byte.
#include "periph/multi_screen.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/atomic_file.h"
#include "tests/results/fixture.h"

namespace skarvel::test {
namespace {

std::string pad(std::string_view s, std::size_t w) {
    std::string out(s);
    if (out.size() < w) out.append(w - out.size(), ' ');
    return out;
}

const std::string kLinesHead =
    "<html><head>\r\n"
    "<meta content=\"text/html; charset=windows-1251\" http-equiv=\"Content-Type\">\r\n"
    "<title>Skarvel - Протокол результатов</title>\r\n"
    "<style type=\"text/css\">\r\n"
    "<!--\r\n"
    "body {\t\tmargin-left:10;margin-top:10;}\r\n"
    "A:hover {color:#FF0000;}\r\n"
    "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 18pt;font-weight: bold;color: "
    "#FF0000;text-align: left;  }\r\n"
    "p, .text  {font-family: Arial, Helvetica, sans-serif;font-size: 9pt;font-weight: "
    "regular;color: #000000;text-align: justify;}\r\npre {font-size: 10pt;}\r\n"
    "-->\r\n</style>\r\n";
const std::string kEnd = "</b>\r\n</pre>\r\n\r\n</body>\r\n</html>\r\n";

std::string refresh(int delay, const std::string& next) {
    return "<META HTTP-EQUIV=Refresh CONTENT=\"" + std::to_string(delay) + " URL=" + next +
           "\";</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\r\n";
}

struct ScreensFixture : Fixture {
    ScreensFixture() {
        Course& course = add_course(1, "D1", {31, 32, 33});
        course.length_m = 4500;
        course.climb_m = 120;
        add_class(1, "A", 1);
        add_class(2, "B", 1).set_marked(true);
        add_class(3, "C", 1);
        add_club(1, "Dynamo");
        add_runner(1, "Alone", 1, 1, T(10, 0, 0), T(10, 30, 0));
        add_runner(21, "Ivanov Petr", 2, 1, T(10, 0, 0), T(10, 45, 12));
        add_runner(22, "Orr & Co", 2, 0, T(10, 0, 0), T(10, 50, 0));
        add_runner(23, "Petrov Ivan", 2, 1, T(10, 0, 0), T(10, 47, 0)).out_of_competition = 1;
        c.info.selection = 1;
        refresh();
    }
};

TEST(MultiScreen, PagesChainAToBToCToAAndOnlyTheMarkedClassRefreshes) {
    ScreensFixture f;
    auto pages = build_multi_screen_pages(f.c, MultiScreenSettings{}, MultiScreenKind::kLines);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].file, "A.htm");
    EXPECT_EQ(pages[1].file, "B.htm");
    EXPECT_EQ(pages[2].file, "C.htm");
    std::string header = "<b>№п/п Фамилия, имя         Коллектив        Результат Место </b><b>";
    std::string b = kLinesHead + refresh(5, "C.htm") +
                    "<h2>B, 3 КП, 4.500 км, набор высоты 120 м</h2>\r\n<pre>\r\n" + header +
                    "\r\n   1 " + pad("Ivanov Petr", 20) + " " + pad("Dynamo", 16) +
                    " 0:45:12       1" + "<span style=\"background-color: #E0E0E0\">\r\n   2 " +
                    pad("Petrov Ivan", 20) + " " + pad("Dynamo", 16) + " 0:47:00     в/к</span>" +
                    "\r\n   3 Orr &amp; Co" + std::string(12, ' ') + " " + pad("", 16) +
                    " 0:50:00       2" + kEnd;
    EXPECT_EQ(u8(pages[1].bytes), b);
    EXPECT_EQ(u8(pages[2].bytes), kLinesHead + refresh(0, "A.htm") + kEnd);
    EXPECT_NE(u8(pages[0].bytes).find(refresh(0, "B.htm")), std::string::npos);

    // Without the selection every class with finish lines refreshes.
    f.c.info.selection = 0;
    pages = build_multi_screen_pages(f.c, MultiScreenSettings{}, MultiScreenKind::kLines);
    EXPECT_NE(u8(pages[0].bytes).find(refresh(5, "B.htm")), std::string::npos);
    EXPECT_NE(u8(pages[2].bytes).find(refresh(0, "A.htm")), std::string::npos);
}

TEST(MultiScreen, TablePageWithFirstN) {
    ScreensFixture f;
    f.c.info.first_n = 2;
    MultiScreenSettings s;
    s.font_pt = 14;
    s.shading = false;
    auto pages = build_multi_screen_pages(f.c, s, MultiScreenKind::kTables);
    std::string head =
        "<html><head>\r\n"
        "<meta content=\"text/html; charset=windows-1251\" http-equiv=\"Content-Type\">\r\n"
        "<title>Skarvel - Протокол результатов</title>\r\n"
        "<style type=\"text/css\">\r\n"
        "<!--\r\n"
        "body {\t\tmargin-left:10;margin-top:10;}\r\n"
        "A:hover {color:#FF0000;}\r\n"
        "H1  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: "
        "#333366;text-align: center;}\r\n"
        "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: "
        "#FF0000;text-align: left;  }\r\n"
        "p, .text, td  {font-family: Arial, Helvetica, sans-serif;font-size: 10pt;font-weight: "
        "bold;color: #000000;text-align: justify;}\r\npre {font-size: 14pt;}\r\n"
        "-->\r\n</style>\r\n";
    std::string b = head + refresh(5, "C.htm") +
                    "<h2>B, 3 КП, 4.500 км, набор высоты 120 м</h2>\r\n<table>\n"
                    "<tr><td>№п/п</td><td>Фамилия, имя</td><td>Коллектив</td><td>Квал</td>"
                    "<td>Номер</td><td>ГР</td></tr>"
                    "</tr>\r\n<tr><td>   1<td>Ivanov Petr</td><td>Dynamo</td><td>00:45:12</td>"
                    "<td>1</td><td></td>"
                    "</tr>\r\n<tr><td>   2<td>Petrov Ivan</td><td>Dynamo</td><td>00:47:00</td>"
                    "<td>в/к</td><td></td>"
                    "</b>\r\n</table>\r\n\r\n</body>\r\n</html>\r\n";
    EXPECT_EQ(u8(pages[1].bytes), b);
}

// Only what no file name may hold is replaced; two classes never share a page.
TEST(MultiScreen, ClassNamesKeepEveryCharacterAFileNameMayHold) {
    std::unordered_set<std::string> taken;
    const struct {
        const char* name;
        const char* file;
    } cases[] = {
        {"Ж 35", "Ж 35.htm"},
        {"M21, Eli", "M21, Eli.htm"},
        {"Ж 21/Б", "Ж 21_Б.htm"},
        {"ж 21:б", "ж 21_б~2.htm"},  // the same file as the one before on Windows
        {"a\\b*c?d\"e<f>g|h\ti", "a_b_c_d_e_f_g_h_i.htm"},
        {"..", "...htm"},
        {"", "_.htm"},
        {"a#b%c", "a#b%c.htm"},
    };
    for (const auto& k : cases) EXPECT_EQ(u8(class_page_file(cp(k.name), taken)), k.file);

    Fixture f;
    f.add_class(1, "test2");  // may not replace the display page
    f.add_class(2, "M<21>");
    f.add_class(3, "a#b%c");
    f.refresh();
    auto pages = build_multi_screen_pages(f.c, MultiScreenSettings{}, MultiScreenKind::kLines);
    EXPECT_EQ(pages[0].file, "test2~2.htm");
    EXPECT_EQ(pages[1].file, "M_21_.htm");
    EXPECT_NE(pages[0].bytes.find("URL=M_21_.htm\""), std::string::npos);
    // "#" and "%" are escaped in the address, or the browser would cut it or decode it.
    EXPECT_NE(pages[1].bytes.find("URL=a%23b%25c.htm\""), std::string::npos);
    EXPECT_NE(pages[2].bytes.find("URL=test2~2.htm\""), std::string::npos);
}

// A finish before the start is the result protocol's error (no wrapped time, no place 0); a
// pass after midnight counts 24 hours on, as the protocol counts it.
TEST(MultiScreen, FinishBeforeTheStartAndPassesAfterMidnight) {
    Fixture f;
    f.add_class(1, "A");
    f.add_runner(1, "Early", 1, 0, T(10, 0, 0), T(9, 50, 0));
    f.add_runner(2, "Night", 1, 0, T(23, 30, 0), T(0, 10, 0));  // a pass after midnight
    f.add_finish(2, T(24, 50, 0));  // the last pass, as a time after midnight is kept
    f.c.info.all_finish_passes = 1;
    f.refresh();
    for (MultiScreenKind kind : {MultiScreenKind::kLines, MultiScreenKind::kTables}) {
        const std::string page =
            u8(build_multi_screen_pages(f.c, MultiScreenSettings{}, kind)[0].bytes);
        const bool lines = kind == MultiScreenKind::kLines;
        EXPECT_NE(page.find(lines ? "00:40:00 " : "<td>00:40:00</td>"), std::string::npos);
        EXPECT_EQ(page.find("-23:"), std::string::npos) << page;
        const std::string early = page.substr(page.find("Early"));
        EXPECT_NE(early.find(lines ? "ОШИБКА         " : "<td>ОШИБКА</td><td>"), std::string::npos)
            << early;
        EXPECT_EQ(early.find("  0"), std::string::npos) << early;
        EXPECT_EQ(early.find("<td>0</td>"), std::string::npos) << early;
    }
}

TEST(MultiScreen, WritesIntoANewFolderAndStopsWithTheMessageWhenItCannot) {
    ScreensFixture f;
    auto dir = std::filesystem::temp_directory_path() / "skarvel_multi_screen_test";
    std::filesystem::remove_all(dir);
    ScriptedPrompts prompts;
    std::string folder = (dir / "lcd").string();
    EXPECT_EQ(write_multi_screen_pages(f.c, {}, MultiScreenKind::kLines, folder, prompts), 3);
    std::string bytes;
    ASSERT_TRUE(read_file_bytes(folder + "/B.htm", 1 << 20, bytes));
    EXPECT_EQ(bytes, build_multi_screen_pages(f.c, {}, MultiScreenKind::kLines)[1].bytes);
    EXPECT_TRUE(prompts.messages.empty());

    std::filesystem::remove(folder + "/B.htm");
    std::filesystem::create_directory(folder + "/B.htm");  // B's page cannot be replaced
    std::filesystem::remove(folder + "/A.htm");
    std::filesystem::remove(folder + "/C.htm");
    EXPECT_EQ(write_multi_screen_pages(f.c, {}, MultiScreenKind::kLines, folder, prompts), 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(u8(prompts.messages[0]), "Не могу записать в указанный файл");
    EXPECT_TRUE(std::filesystem::exists(folder + "/A.htm"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/C.htm"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace skarvel::test
