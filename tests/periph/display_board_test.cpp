// The display board: its lines and the 125-byte frame, byte for byte.
#include "periph/display_board.h"

#include <gtest/gtest.h>

#include "tests/punch/fake_serial_port.h"
#include "tests/results/fixture.h"

namespace skarvel::test {
namespace {

const std::string kEmpty(26, '.');

struct BoardFixture : Fixture {
    BoardFixture() {
        add_class(1, "M21");
        add_runner(1, "Иванов Петр", 1, 0, T(10, 0, 0), T(10, 45, 12));
        add_runner(2, "Петров Иван Сергеевич", 1, 0, T(10, 0, 0), T(11, 5, 30));
        add_runner(3, "Сидоров", 1, 0, T(10, 0, 0), T(10, 59, 0), kStatusDidNotFinish);
        add_runner(4, "Без времени", 1, 0, T(10, 0, 0));
        add_finish(4, 0);             // a line without a finish time
        add_finish(77, T(11, 0, 0));  // nobody holds 77
        refresh();
    }
};

TEST(BoardLine, NameResultAndFullStops) {
    BoardFixture f;
    const char* expected[] = {
        // Two words of 6 and 4 letters: the blank and the padding become full stops.
        "Иванов.Петр......0:45:12..",
        // A name cut to 16 characters; an hour and more keeps one digit of the hours.
        "Петров.Иван.Серг.1:05:30..",
        // A status shows its short text whole.
        "Сидоров..........СОШЕЛ....",
        "..........................",  // no finish time
        "..........................",  // no runner
    };
    for (int i = 0; i < 5; ++i) EXPECT_EQ(u8(board_line(f.c, i)), expected[i]) << i;
    EXPECT_EQ(board_line(f.c, -1), kEmpty);
    EXPECT_EQ(board_line(f.c, 99), kEmpty);
}

TEST(BoardFrame, TwoFinishLinesWhenSwitchedOn) {
    Fixture f;
    f.add_class(1, "M21");
    f.add_runner(1, "Иванов Петр", 1, 0, T(10, 0, 0), T(10, 45, 12));
    f.add_runner(2, "Орр", 1, 0, T(10, 0, 0), T(10, 50, 1));
    f.refresh();
    int first = board_first_line(f.c);
    ASSERT_EQ(first, 2);
    // Lines finished after the board was switched on do not move its window.
    f.add_runner(3, "Later", 1, 0, T(10, 0, 0), T(10, 51, 0));
    f.refresh();
    BoardFrame frame = board_frame(board_lines(f.c, first));
    std::string expected = "\x01\x81\x9C" + kEmpty + "\x8C\x07\x02\x81\x9C" + kEmpty +
                           "\x8C\x08\x03\x81\x9C" + cp("Иванов.Петр......0:45:12..") +
                           "\x8C\x09\x04\x81\x9C" + cp("Орр..............0:50:01..") +
                           "\x8C\x0A\x0E";
    ASSERT_EQ(expected.size(), 125u);
    EXPECT_EQ(std::string(frame.begin(), frame.end()), expected);

    BoardLines back;
    EXPECT_TRUE(parse_board_frame(frame.data(), back));
    EXPECT_EQ(back[2], cp("Иванов.Петр......0:45:12.."));
    frame[60] = 0;  // a broken fixed byte
    EXPECT_FALSE(parse_board_frame(frame.data(), back));
}

TEST(BoardSend, ByteByByteWithOneReadEachAndOneTimeoutWhenSilent) {
    BoardLines lines{kEmpty, kEmpty, kEmpty, kEmpty};
    BoardFrame frame = board_frame(lines);
    {
        FakeSerialPort answering;
        answering.responder = [](const std::vector<std::uint8_t>&, FakeSerialPort& p) {
            p.queue({0x06});
        };
        StationLink link(answering);
        EXPECT_TRUE(send_board_frame(link, frame));
        ASSERT_EQ(answering.writes.size(), 125u);
        for (std::size_t i = 0; i < 125; ++i) EXPECT_EQ(answering.writes[i][0], frame[i]);
        EXPECT_EQ(answering.reads, 125);
        EXPECT_EQ(answering.timeouts, 0);
    }
    FakeSerialPort silent;
    StationLink link(silent);
    EXPECT_TRUE(send_board_frame(link, frame));
    EXPECT_EQ(silent.writes.size(), 125u);
    EXPECT_EQ(silent.timeouts, 1);
}

}  // namespace
}  // namespace skarvel::test
