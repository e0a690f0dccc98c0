// The screens from the command line, end to end: skarvel-cli writes the display pages and the
// per-class pages, and drives the board simulator on a pseudo-terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "core/atomic_file.h"
#include "core/wdb_file.h"
#include "periph/display_pages.h"
#include "periph/multi_screen.h"
#include "tests/results/fixture.h"
#include "tests/run_program.h"
#include "tools/board_sim/board_sim.h"

namespace skarvel::test {
namespace {

namespace fs = std::filesystem;

int run(const std::string& args) {
    testing::ProgramRun run = testing::run_program(SKARVEL_CLI_PATH, args);
    return run.started ? run.code : -1;
}

struct CliFixture : Fixture, ::testing::Test {
    fs::path dir;
    std::string file;
    CliFixture() {
        dir = fs::temp_directory_path() / ("skarvel_screens_cli_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        add_class(1, "Ж21");
        add_class(2, "M 21/B");
        add_runner(1, "Иванов Петр", 1, 0, T(10, 15, 0), T(10, 45, 12));
        add_runner(2, "Орр", 2, 0, T(10, 0, 0), T(10, 50, 1));
        refresh();
        file = (dir / "race.wdb").string();
        int why = 0;
        EXPECT_TRUE(save_wdb(c, file, &why)) << why;
    }
    ~CliFixture() override { fs::remove_all(dir); }
    std::string read(const fs::path& p) {
        std::string bytes;
        EXPECT_TRUE(read_file_bytes(p.string(), 1 << 20, bytes)) << p;
        return bytes;
    }
};

TEST_F(CliFixture, DisplayAndMultipageWriteWhatTheProgramWrites) {
    std::string out = (dir / "lcd").string();
    ASSERT_EQ(run("display start " + file + " --out " + out + " --at 10:14:30"), 0);
    EXPECT_EQ(read(dir / "lcd" / "test2.htm"), start_page(c, 10, 14, 30));
    ASSERT_EQ(run("display finish " + file + " --out " + out), 0);
    EXPECT_EQ(read(dir / "lcd" / "test2.htm"), finish_page(c));
    EXPECT_EQ(run("display start " + file + " --out " + out + " --at 25:00:00"), 1);
    EXPECT_EQ(run("display middle " + file + " --out " + out), 1);

    ASSERT_EQ(run("multipage " + file + " --out " + out + " --tables"), 0);
    auto pages = build_multi_screen_pages(c, {}, MultiScreenKind::kTables);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(u8(pages[1].file), "M 21_B.htm");
    for (const auto& page : pages) EXPECT_EQ(read(dir / "lcd" / u8(page.file)), page.bytes);
}

TEST_F(CliFixture, BoardSimulatorShowsTheFourLinesSent) {
#ifndef SKARVEL_CLI_HAS_SERIAL
    GTEST_SKIP() << "serial ports need the build with Qt";
#endif
    sim::BoardSimulator board;
    std::string device = board.open_pty();
    ASSERT_FALSE(device.empty());
    std::thread serve([&board] { board.run(); });
    int rc = run("board " + file + " --port " + device + " --frames 3");
    // The simulator has taken every byte once the program has read the answer to the last.
    board.stop();
    serve.join();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(board.good_frames(), 3);
    EXPECT_EQ(board.bad_frames(), 0);
    const std::string dots(26, '.');
    sim::BoardSimLines expected{dots, dots, cp("Иванов.Петр......0:30:12.."),
                                cp("Орр..............0:50:01..")};
    EXPECT_EQ(board.last_lines(), expected);
}

TEST(BoardSimulator, ResynchronisesAfterNoiseAndBrokenFrames) {
    sim::BoardFrameReader reader;
    sim::BoardSimLines lines;
    std::string line(26, 'A');
    std::string frame = "\x01\x81\x9C" + line + "\x8C\x07\x02\x81\x9C" + line +
                        "\x8C\x08\x03\x81\x9C" + line + "\x8C\x09\x04\x81\x9C" + line +
                        "\x8C\x0A\x0E";
    std::string broken = frame;
    broken[30] = 0;
    int good = 0;
    for (char ch : "xy" + broken + frame) good += reader.feed(std::uint8_t(ch), lines);
    EXPECT_EQ(good, 1);
    EXPECT_EQ(lines[3], line);
    EXPECT_GE(reader.bad_frames(), 3);
}

}  // namespace
}  // namespace skarvel::test
