// skarvel-cli startlist: the stored settings of a saved competition give the same page as the
// desktop command, for the individual and the relay protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "start/prerace_lists.h"
#include "start/start_list.h"
#include "tests/run_program.h"

using namespace skarvel;

namespace {

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int run_command(const std::string& command_and_args) {
    skarvel::testing::ProgramRun run =
        skarvel::testing::run_program(SKARVEL_CLI_PATH, command_and_args);
    return run.started ? run.code : -1;
}

int run_cli(const std::string& args) {
    return run_command("startlist " + args);
}

void fill(Competition& c) {
    set_field_text(c.info.title_lines[0], utf8_to_cp1251("Кубок"));
    set_field_text(c.info.date, "01.06.2026");
    for (int i = 0; i < 2; ++i) {
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = i + 1;
        k.course_id = 1;
        set_field_text(k.name, i ? "W21" : "M21");
    }
    Course& d = *c.tables.courses[c.new_record(kCourses)];
    d.id = 1;
    set_field_text(d.name, "D1");
    for (int i = 0; i < 6; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        set_field_text(r.name, utf8_to_cp1251("Бегун ") + std::to_string(i));
        r.class_id = static_cast<std::int16_t>(i % 2 + 1);
        r.start_number = static_cast<std::uint16_t>((i / 2 + 1) * 100 + i % 2 + 1);
        r.start_time = parse_time_text("10:00:00") + (5 - i) * 6000;
        r.card_number = 1000 + i;
        r.marked = i != 3;
    }
}

struct Dir {
    std::filesystem::path path;
    Dir() {
        path = std::filesystem::temp_directory_path() /
               ("skarvel_start_cli_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(path);
    }
    ~Dir() { std::filesystem::remove_all(path); }
    std::string operator/(const char* name) const { return (path / name).string(); }
};

// The page the desktop command writes for the same settings.
std::string desktop_page(Competition& c, const StartListSettings& s, const std::string& path) {
    ScriptedPrompts prompts;
    prompts.files = {path};
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    print_start_protocol(c, s, env);
    return read_file(path);
}

}  // namespace

TEST(StartListCli, IndividualWithStoredSettings) {
    Dir dir;
    Competition c;
    fill(c);
    StartListSettings s;
    s.selection = kAllCourses;
    s.only_marked = true;
    s.print_card_numbers = true;
    s.extended_html = true;
    s.to_html = false;  // stored for the printer: the command line still writes HTML
    s.store_individual(c.info);
    ASSERT_TRUE(save_wdb(c, dir / "comp.wdb"));

    ASSERT_EQ(run_cli(dir / "comp.wdb" + " --html " + dir / "out.htm"), 0);
    std::string got = read_file(dir / "out.htm");
    s.to_html = true;
    std::string expected = desktop_page(c, s, dir / "desktop.htm");
    EXPECT_EQ(got, expected);
    EXPECT_NE(got.find("<a name=\"D1\"></a>"), std::string::npos);
    EXPECT_NE(got.find("   1005 "), std::string::npos);
    EXPECT_EQ(got.find(utf8_to_cp1251("Бегун 3")), std::string::npos);  // unmarked
}

TEST(StartListCli, RelayAndFailures) {
    Dir dir;
    Competition c;
    fill(c);
    c.info.relay = 1;
    c.info.relay_leg_dot_number = 1;
    ASSERT_TRUE(save_wdb(c, dir / "relay.wdb"));
    ASSERT_EQ(run_cli(dir / "relay.wdb" + " --html " + dir / "relay.htm"), 0);
    std::string got = read_file(dir / "relay.htm");
    EXPECT_EQ(got, desktop_page(c, StartListSettings::from_info(c.info), dir / "desktop.htm"));
    EXPECT_NE(got.find(utf8_to_cp1251("ПРОТОКОЛ СТАРТА")), std::string::npos);
    EXPECT_NE(got.find("101.0"), std::string::npos);

    EXPECT_EQ(run_cli(dir / "relay.wdb" + " --html " + dir / "no/such/dir/x.htm"), 4);
    EXPECT_EQ(run_cli(dir / "missing.wdb" + " --html " + dir / "x.htm"), 2);
    EXPECT_EQ(run_cli(dir / "relay.wdb"), 1);
    EXPECT_EQ(run_cli(dir / "relay.wdb" + " --pdf " + dir / "x.pdf"), 1);
}

// Printouts as PDF files, read back as text with pdftotext.
class StartListPdf : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef SKARVEL_CLI_HAS_QT
        GTEST_SKIP() << "printing needs the Qt build of skarvel-cli";
#endif
        if (!skarvel::testing::run_program("pdftotext", "-v").started)
            GTEST_SKIP() << "pdftotext is not installed";
    }
    // The PDF's text laid out as on the sheet; every sheet ends with a form feed.
    std::string pdf_text(const std::string& pdf) {
        const std::string txt = pdf + ".txt";
        EXPECT_EQ(skarvel::testing::run_program("pdftotext", "-layout " + pdf + " " + txt).code, 0);
        return read_file(txt);
    }
    Dir dir;
};

TEST_F(StartListPdf, PrintedSheetsAsPdf) {
    Competition c;
    set_field_text(c.info.date, "01.06.2026");
    ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
    k.id = 1;
    set_field_text(k.name, "M21");
    for (int i = 0; i < 61; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        set_field_text(r.name, "Runner " + std::to_string(i + 1));
        r.class_id = 1;
        r.start_number = static_cast<std::uint16_t>(i + 1);
        r.start_time = parse_time_text("10:00:00") + i * 6000;
    }
    ASSERT_TRUE(save_wdb(c, dir / "comp.wdb"));
    ASSERT_EQ(run_cli(dir / "comp.wdb" + " --pdf " + dir / "out.pdf"), 0);
    std::string text = pdf_text(dir / "out.pdf");
    // Two sheets (pdftotext ends every page with a form feed), each with the title.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2);
    std::size_t second = text.find('\f');
    ASSERT_NE(second, std::string::npos);
    // The sheet title "M21        01.06.2026" (pdftotext may widen the gap).
    std::size_t title1 = text.find("01.06.2026");
    ASSERT_NE(title1, std::string::npos) << text.substr(0, 600);
    EXPECT_EQ(text.substr(0, 3), "M21");
    EXPECT_LT(title1, second);
    std::size_t title2 = text.find("01.06.2026", second);
    ASSERT_NE(title2, std::string::npos);
    EXPECT_NE(text.find("M21", second), std::string::npos);
    EXPECT_EQ(text.find("01.06.2026", title2 + 1), std::string::npos);
    EXPECT_NE(text.find("60 Runner 60"), std::string::npos);
    EXPECT_LT(text.find("60 Runner 60"), second);
    EXPECT_GT(text.find("61 Runner 61"), second);
}

// The pre-race lists from the command line are the desktop command's pages; the grid goes to
// standard output; the printouts make PDF files.
TEST(StartListCli, PreraceListsGridAndPrintouts) {
    Dir dir;
    Competition c;
    fill(c);
    ASSERT_TRUE(save_wdb(c, dir / "comp.wdb"));
    ASSERT_EQ(run_command("lists courses " + dir / "comp.wdb" + " --html " + dir / "courses.htm"),
              0);
    {
        ScriptedPrompts prompts;
        prompts.files = {dir / "desktop.htm"};
        RecordingPrinterProvider printers;
        RecordingShellOpener shell;
        ReportEnv env{prompts, printers, shell};
        ASSERT_TRUE(print_overview_list(c, OverviewList::kCourses, env));
    }
    EXPECT_EQ(read_file(dir / "courses.htm"), read_file(dir / "desktop.htm"));
    ASSERT_EQ(
        run_command("lists mandate " + dir / "comp.wdb" + " --html " + dir / "m.htm --only-marked"),
        0);
    EXPECT_EQ(read_file(dir / "m.htm"), mandate_protocol_html(c, true));
    EXPECT_EQ(
        run_command("lists clubs " + dir / "comp.wdb" + " --html " + dir / "c.htm --only-marked"),
        1);

    skarvel::testing::ProgramRun grid =
        skarvel::testing::run_program(SKARVEL_CLI_PATH, "start-grid " + dir / "comp.wdb");
    ASSERT_EQ(grid.code, 0);
    EXPECT_EQ(grid.out, build_start_grid(c, false));

#ifdef SKARVEL_CLI_HAS_QT
    for (const char* what :
         {"extracts --selection current --fee", "cards --boxes 3", "bibs --leg"}) {
        std::string pdf = dir / "out.pdf";
        std::filesystem::remove(pdf);
        EXPECT_EQ(
            run_command(std::string("print ") + what + " " + dir / "comp.wdb" + " --pdf " + pdf), 0)
            << what;
        EXPECT_GT(std::filesystem::exists(pdf) ? std::filesystem::file_size(pdf) : 0u, 1000u)
            << what;
    }
    EXPECT_EQ(
        run_command("print bibs " + dir / "comp.wdb" + " --pdf " + dir / "x.pdf --times never"), 1);
#endif
}

// The printouts' options switch each stored choice either way: the off forms turn off what the
// competition stores on, and the boxes come from the course or a fixed count.
TEST_F(StartListPdf, PrintOptionsSwitchStoredChoicesBothWays) {
    Competition c;
    fill(c);
    c.info.extract_print_fee = c.info.print_card_numbers = 1;
    c.info.extract_only_marked = 1;
    c.info.card_box_source = 1;  // a fixed 20 boxes: three rows, three cards a sheet
    c.info.card_box_count = 20;
    ASSERT_TRUE(save_wdb(c, dir / "comp.wdb"));
    auto printed = [&](const std::string& what) {
        const std::string pdf = dir / "p.pdf";
        std::filesystem::remove(pdf);
        EXPECT_EQ(run_command("print " + what + " " + dir / "comp.wdb" + " --pdf " + pdf), 0)
            << what;
        return pdf_text(pdf);
    };
    std::string stored = printed("extracts");
    EXPECT_NE(stored.find("Стартовый взнос"), std::string::npos);
    EXPECT_NE(stored.find("VP-чип"), std::string::npos);
    EXPECT_EQ(stored.find("Бегун 3"), std::string::npos);  // only the marked runners
    std::string off = printed("extracts --no-fee --no-card-numbers --all");
    EXPECT_EQ(off.find("Стартовый взнос"), std::string::npos);
    EXPECT_EQ(off.find("VP-чип"), std::string::npos);
    EXPECT_NE(off.find("Бегун 3"), std::string::npos);
    EXPECT_NE(printed("extracts --all --only-marked").find("Бегун 0"), std::string::npos);

    auto sheets = [](const std::string& text) {
        return std::count(text.begin(), text.end(), '\f');
    };
    EXPECT_EQ(sheets(printed("cards")), 2);
    EXPECT_EQ(sheets(printed("cards --boxes course")), 1);  // a course without controls: one row
    EXPECT_EQ(sheets(printed("cards --boxes course --boxes 20")), 2);
}
