#include "results/report_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture.h"

namespace skarvel {
namespace {

using test::cp;
using test::u8;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const char kStyleHead[] =
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
    "#FF0000;text-align: left;  }\r\n";
const char kParagraph[] =
    "p, .text  {font-family: Arial, Helvetica, sans-serif;font-size: 9pt;font-weight: "
    "regular;color: #000000;text-align: justify;}\r\n";
const char kHeadEnd[] =
    "-->\r\n</style>\r\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\r\n<h1>";

TEST(HtmlPageHead, TitlesDatePlaceAndHeadingInOrder) {
    CompetitionInfo info;
    set_field_text(info.title_lines[0], cp("Первенство области"));
    set_field_text(info.title_lines[2], cp("по ориентированию"));  // line 2 left empty
    set_field_text(info.date, cp("12.05.2026"));
    set_field_text(info.place, cp("г. Озёрск"));
    std::string title = cp("<title>Skarvel - Протокол результатов</title>\r\n");
    std::string heading = cp("<br>ПРОТОКОЛ РЕЗУЛЬТАТОВ\r\n");
    HtmlHead head{title, heading, true, ", ", "<br>\r\n"};
    std::string expected = std::string(kStyleHead) + kParagraph + kHeadEnd +
                           "Первенство области<br>\r\nпо ориентированию<br>\r\n"
                           "12.05.2026, г. Озёрск<br>\r\n<br>ПРОТОКОЛ РЕЗУЛЬТАТОВ\r\n</h1>\r\n";
    EXPECT_EQ(u8(html_page_head(info, head)), expected);

    // Without the paragraph style, with other separators and the report's own block end.
    HtmlHead plain{title, "", false, "<br>\r\n", "\r\n", "</h1>\r\n<pre>"};
    expected = std::string(kStyleHead) + kHeadEnd +
               "Первенство области<br>\r\nпо ориентированию<br>\r\n12.05.2026<br>\r\nг. "
               "Озёрск\r\n</h1>\r\n<pre>";
    EXPECT_EQ(u8(html_page_head(info, plain)), expected);
}

TEST(HtmlPageHead, EmptyDateWritesThePlaceAlone) {
    CompetitionInfo info;
    set_field_text(info.place, cp("Лесной"));
    std::string title = cp("<title>Skarvel - Протокол результатов</title>\r\n");
    HtmlHead head{title, "", true, ", ", "<br>\r\n"};
    std::string s = u8(html_page_head(info, head));
    EXPECT_NE(s.find("<h1>Лесной<br>\r\n</h1>\r\n"), std::string::npos) << s;
    info = CompetitionInfo{};
    s = u8(html_page_head(info, head));
    EXPECT_EQ(s.substr(s.size() - 11), "<h1></h1>\r\n");
}

// Lays out `lines` body lines in one section and returns the recorded document.
RecordedDocument layout(int lines, int skipped_at_end = 0) {
    RecordingPageDevice dev("doc");
    SectionedPrinter p(dev);
    p.begin_section("TITLE", "HEADER", lines);
    for (int i = 0; i < lines; ++i) {
        if (i >= lines - skipped_at_end)
            p.skip();
        else
            p.line("line " + std::to_string(i + 1));
    }
    p.end_section({"foot 1", "foot 2"});
    dev.end_document();
    EXPECT_EQ(dev.faults, 0);
    return dev.doc;
}

std::string counter_of(const RecordedPage& page) {
    for (const auto& it : page.items)
        if (it.kind == PageItem::Text && it.x_mm == kCounterX && it.y_mm == kCounterY)
            return u8(it.text);
    return "?";
}

TEST(SectionedPages, FrameOfEveryPage) {
    auto doc = layout(3);
    ASSERT_EQ(doc.pages.size(), 1u);
    const auto& items = doc.pages[0].items;
    ASSERT_GE(items.size(), 5u);
    EXPECT_EQ(items[0].text, "TITLE");
    EXPECT_EQ(items[0].font, ReportFont::Title);
    EXPECT_EQ(items[0].x_mm, 1);
    EXPECT_EQ(items[0].y_mm, 10);
    EXPECT_EQ(items[1].kind, PageItem::Rule);
    EXPECT_EQ(items[1].y_mm, 18);
    EXPECT_EQ(items[2].font, ReportFont::Body);
    EXPECT_EQ(u8(items[2].text), "Лист 1/1");
    EXPECT_EQ(items[3].text, "HEADER");
    EXPECT_EQ(items[3].y_mm, 20);
    EXPECT_EQ(items[4].text, "line 1");
    EXPECT_EQ(items[4].y_mm, 24);
    EXPECT_EQ(items[6].text, "line 3");
    EXPECT_EQ(items[6].y_mm, 32);
    // Rule and footer right below the last line.
    EXPECT_EQ(items[7].kind, PageItem::Rule);
    EXPECT_EQ(items[7].y_mm, 36);
    EXPECT_EQ(items[8].text, "foot 1");
    EXPECT_EQ(items[8].y_mm, 36);
    EXPECT_EQ(items[9].text, "foot 2");
    EXPECT_EQ(items[9].y_mm, 40);
    EXPECT_TRUE(doc.pages[0].ended);
}

TEST(SectionedPages, SixtyLinesPutTheFooterOnASecondPage) {
    auto doc = layout(60);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(counter_of(doc.pages[0]), "Лист 1/2");
    EXPECT_EQ(counter_of(doc.pages[1]), "Лист 2/2");
    auto first = doc.pages[0].texts();
    EXPECT_EQ(first.back(), "line 60");
    EXPECT_EQ(doc.pages[0].items.back().y_mm, 24 + 59 * 4);  // the last line at 260 mm
    auto second = doc.pages[1].texts();
    // The footer page repeats the page frame, then holds only the footer.
    EXPECT_EQ(second,
              (std::vector<std::string>{"TITLE", cp("Лист 2/2"), "HEADER", "foot 1", "foot 2"}));
}

TEST(SectionedPages, SixtyOneLines) {
    auto doc = layout(61);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(counter_of(doc.pages[0]), "Лист 1/2");
    EXPECT_EQ(counter_of(doc.pages[1]), "Лист 2/2");
    EXPECT_EQ(doc.pages[0].texts().size(), 3u + 60u);
    auto second = doc.pages[1].texts();
    EXPECT_EQ(second, (std::vector<std::string>{"TITLE", cp("Лист 2/2"), "HEADER", "line 61",
                                                "foot 1", "foot 2"}));
}

TEST(SectionedPages, HundredTwentyLinesCountThreePages) {
    auto doc = layout(120);
    ASSERT_EQ(doc.pages.size(), 3u);
    EXPECT_EQ(counter_of(doc.pages[2]), "Лист 3/3");
    EXPECT_EQ(doc.pages[1].texts()[3], "line 61");
}

TEST(SectionedPages, SkippedLinesCountButStartNoPage) {
    // 62 positions of which the last 3 are skipped: page 2 exists only for the footer.
    auto doc = layout(62, 3);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(doc.pages[0].texts().back(), "line 59");
    EXPECT_EQ(counter_of(doc.pages[1]), "Лист 2/2");
}

TEST(SectionedPages, SectionsStartOnNewPages) {
    RecordingPageDevice dev;
    SectionedPrinter p(dev);
    for (int s = 0; s < 2; ++s) {
        p.begin_section("S" + std::to_string(s), "H", 2);
        p.line("a");
        p.line("b");
        p.end_section({});
    }
    dev.end_document();
    EXPECT_EQ(dev.faults, 0);
    ASSERT_EQ(dev.doc.pages.size(), 2u);
    EXPECT_EQ(dev.doc.pages[1].texts()[0], "S1");
}

// A section whose widest line (header, body or footer) would run past the page is set in a
// smaller body font that keeps it on the page; the page counter and title keep their fonts.
TEST(SectionedPages, WideSectionsAreSetInAFontThatFits) {
    for (std::size_t width : {98u, 99u, 140u}) {
        RecordingPageDevice dev;
        SectionedPrinter p(dev);
        p.begin_section("T", "H", 2);
        p.line("short");
        p.line(std::string(width, 'x'));
        p.end_section({"foot"});
        const RecordedPage& page = dev.doc.pages.at(0);
        const PageFont* body = page.font_of(3);  // the header
        if (width * kFixedAdvanceEm * report_page_font(ReportFont::Body).height_inch * 25.4 + 1 <=
            kPageWidthMm) {
            EXPECT_EQ(body, nullptr) << width;
            continue;
        }
        ASSERT_NE(body, nullptr) << width;
        EXPECT_NEAR(1 + width * kFixedAdvanceEm * body->height_inch * 25.4, kPageWidthMm, 1e-9);
        for (std::size_t i : {4u, 5u, 7u}) EXPECT_EQ(*page.font_of(i), *body) << i;
        EXPECT_EQ(page.items[2].font, ReportFont::Body);  // "Лист 1/1"
        EXPECT_EQ(page.font_of(2), nullptr);
    }
}

class TempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() /
            ("skarvel_report_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

using HtmlReportFile = TempDir;

TEST_F(HtmlReportFile, CancelProducesNothing) {
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    prompts.files.push_back(std::nullopt);
    EXPECT_EQ(open_html_report(env, cp("Протокол_Результатов")), nullptr);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(HtmlReportFile, UnwritablePathGivesTheMessage) {
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    prompts.files.push_back((dir / "no_such_dir" / "x.htm").string());
    EXPECT_EQ(open_html_report(env, "x"), nullptr);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(u8(prompts.messages[0]), "Не могу записать в указанный файл");
}

TEST_F(HtmlReportFile, DefaultExtensionAndTailAndShellOpen) {
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    prompts.files.push_back((dir / "report").string());
    auto f = open_html_report(env, "x");
    ASSERT_NE(f, nullptr);
    f->write("<h1>x</h1>");
    EXPECT_TRUE(finish_html_report(env, *f));
    std::string path = (dir / "report.htm").string();
    EXPECT_EQ(read_file(path), "<h1>x</h1>\r\n</body>\r\n</html>\r\n");
    EXPECT_EQ(shell.opened, std::vector<std::string>{path});
}

TEST_F(HtmlReportFile, TextReportWritesCrLfLines) {
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    prompts.files.push_back((dir / "list.txt").string());
    ReportText t(env, cp("TXT-файл(*.txt) |*.txt||"), "list");
    ASSERT_TRUE(t.ok());
    t.line(cp("Иванов"));
    t.line("");
    EXPECT_TRUE(t.finish(false));
    EXPECT_EQ(read_file((dir / "list.txt").string()), cp("Иванов") + "\r\n\r\n");
    EXPECT_TRUE(shell.opened.empty());
}

TEST(PrinterChannel, FailureMessageAndDocumentName) {
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    printers.fail_with = "GetPrinterDeviceDefaults = 0";
    EXPECT_EQ(open_printer_report(env, "doc"), nullptr);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"GetPrinterDeviceDefaults = 0"});
    printers.fail_with.clear();
    {
        auto dev = open_printer_report(env, cp("Протокол результатов"));
        ASSERT_NE(dev, nullptr);
        dev->begin_page();
        print_text_at(*dev, 1, 2, "t");
        dev->end_page();
        dev->end_document();
    }
    ASSERT_EQ(printers.documents.size(), 1u);
    EXPECT_EQ(u8(printers.documents[0].name), "Протокол результатов");
    EXPECT_EQ(printers.faults[0], 0);
}

TEST(RecordingDevice, DrawingOutsideAPageIsAFault) {
    RecordingPageDevice dev;
    dev.text_at(1, 1, "x");
    dev.rule_at(5);
    dev.end_page();
    EXPECT_EQ(dev.faults, 3);
    dev.begin_page();
    dev.end_document();  // page left open
    EXPECT_EQ(dev.faults, 4);
}

}  // namespace
}  // namespace skarvel
