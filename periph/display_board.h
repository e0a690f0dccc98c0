// The four-line text display board on a serial port: a fixed 125-byte frame with four lines of
// 26 characters, showing the runners of four consecutive finish lines. The frame is built from
// the tables; sending it byte by byte (with one read after each byte) is `send_board_frame`.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/competition.h"
#include "punch/station_link.h"

namespace skarvel {

constexpr int kBoardFrameSize = 125;
constexpr int kBoardLineCount = 4;
constexpr int kBoardLineWidth = 26;
// Offsets of the four lines in the frame.
constexpr int kBoardLineOffsets[kBoardLineCount] = {3, 34, 65, 96};
// The board is sent five times a second: a pause after each frame.
constexpr int kBoardPauseMs = 200;
// Line settings of the board port.
constexpr int kBoardBaud = 9600;
constexpr int kBoardReadTimeoutMs = 100;

using BoardFrame = std::array<std::uint8_t, kBoardFrameSize>;
using BoardLines = std::array<std::string, kBoardLineCount>;

// The first finish line after the board's window: the number of finish lines when the board
// is switched on. The board shows the lines first_line - 4 .. first_line - 1.
int board_first_line(const Competition& c);

// The 26 characters of one board line (Windows-1251) for finish line `index`: 26 full stops
// when the index is negative, no runner holds its number or it has no finish time; else the
// name in 16 characters, a full stop and the result (a status as its short text, whole), with
// every blank shown as a full stop. The runner's place is recomputed first.
std::string board_line(Competition& c, int index);

// The four lines of the window that ends before `first_line`, oldest first.
BoardLines board_lines(Competition& c, int first_line);

// The frame of four lines (each exactly 26 characters).
BoardFrame board_frame(const BoardLines& lines);

// Reads a frame as the board does: true when every fixed byte is in place; `lines` gets the
// four lines.
bool parse_board_frame(const std::uint8_t* frame, BoardLines& lines);

// Sends the frame one byte at a time and reads one (stuffed) byte after each. A silent board
// costs one read time-out: the link stops reading once a read has failed. False when the port
// refused a byte or the link was told to stop.
bool send_board_frame(StationLink& link, const BoardFrame& frame);

// The board loop: while the link is not told to stop (and fewer than `max_frames` were sent,
// 0 = no limit), takes the next frame from `next_frame`, sends it and pauses 200 ms. Returns
// the number of frames sent.
int run_display_board(StationLink& link, const std::function<BoardFrame()>& next_frame,
                      int max_frames = 0);

}  // namespace skarvel
