// skarvel-cli finish-export and finish-import as a script between stations runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/competition.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "tests/tools/cli_run.h"

using namespace skarvel;

namespace {

namespace fs = std::filesystem;
using skarvel::testing::cli;
using skarvel::testing::CliResult;
using skarvel::testing::read_all;

void write_all(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

struct CliFinish : ::testing::Test {
    fs::path dir;
    fs::path wdb;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("skarvel_cli_finish_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        wdb = dir / "race.wdb";
        auto c = std::make_unique<Competition>();
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->id = 1;
        r->start_number = 7;
        FinishLine* l = c->tables.finish_lines[c->new_record(kFinishLines)];
        l->start_number = 7;
        l->set_time(parse_time_text("10:23:45"));
        ASSERT_TRUE(save_wdb(*c, wdb.string()));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::unique_ptr<Competition> load() {
        auto c = std::make_unique<Competition>();
        ScriptedPrompts p;
        EXPECT_TRUE(load_wdb(*c, wdb.string(), p).ok());
        return c;
    }
};

TEST_F(CliFinish, ExportWritesTheExactLine) {
    CliResult r = cli("finish-export " + wdb.string() + " " + (dir / "fin.txt").string());
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(read_all(dir / "fin.txt"), "   7    10:23:45 0\r\n");
}

TEST_F(CliFinish, ImportAppendsSortsAndDedupes) {
    write_all(dir / "in.txt", "   9    10:30:00 -1\r\n   7    10:23:45 0\r\n");
    CliResult r =
        cli("finish-import " + wdb.string() + " " + (dir / "in.txt").string() + " --dedupe");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("2 lines read"), std::string::npos);
    auto c = load();
    ASSERT_EQ(c->tables.finish_lines.live_count(), 2);
    EXPECT_EQ(c->tables.finish_lines[0]->start_number, 7);
    EXPECT_EQ(c->tables.finish_lines[1]->start_number, 9);

    // Without --dedupe the same file doubles the lines.
    r = cli("finish_import " + wdb.string() + " " + (dir / "in.txt").string());
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(load()->tables.finish_lines.live_count(), 4);
}

TEST_F(CliFinish, StatusesOnlyWhenAsked) {
    write_all(dir / "in.txt", "   7    10:23:46 3\r\n");
    EXPECT_EQ(cli("finish-import " + wdb.string() + " " + (dir / "in.txt").string()).code, 0);
    EXPECT_EQ(load()->tables.runners[0]->status, 0);
    EXPECT_EQ(
        cli("finish-import " + wdb.string() + " " + (dir / "in.txt").string() + " --statuses").code,
        0);
    EXPECT_EQ(load()->tables.runners[0]->status, 3);
}

// The program reads back what it exports: a start station's line (a negative number) is
// kept; a number outside the line's 16 bits is skipped.
TEST_F(CliFinish, StartLinesReadBackAndWideNumbersAreSkipped) {
    write_all(dir / "in.txt", "  -7    10:00:00 -1\r\n65535    10:40:00 0\r\n");
    CliResult r = cli("finish-import " + wdb.string() + " " + (dir / "in.txt").string());
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("1 lines read"), std::string::npos) << r.out;
    ASSERT_EQ(cli("finish-export " + wdb.string() + " " + (dir / "out.txt").string()).code, 0);
    EXPECT_EQ(read_all(dir / "out.txt"), "  -7    10:00:00 -1\r\n   7    10:23:45 0\r\n");
}

TEST_F(CliFinish, BadArgumentsAndFiles) {
    EXPECT_EQ(cli("finish-export " + wdb.string()).code, 1);
    EXPECT_EQ(cli("finish-import " + wdb.string() + " x.txt --bogus").code, 1);
    EXPECT_EQ(cli("finish-import " + wdb.string() + " " + (dir / "missing.txt").string()).code, 2);
    EXPECT_EQ(cli("finish-export " + (dir / "missing.wdb").string() + " out.txt").code, 2);
    EXPECT_EQ(cli("finish-export " + wdb.string() + " " + (dir / "no" / "out.txt").string()).code,
              4);
    // A failed import leaves the competition file as it was.
    EXPECT_EQ(load()->tables.finish_lines.live_count(), 1);
}

}  // namespace
