// A four-line display board played on a pseudo-terminal (or any serial device): it takes the
// program's frames byte by byte, answers every byte with one byte (or stays silent), checks
// each frame's fixed bytes and keeps the four lines as the board shows them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tools/station_sim/sim_pty.h"

namespace skarvel::sim {

constexpr int kBoardSimFrameSize = 125;
constexpr std::uint8_t kBoardSimAnswer = 0x06;

using BoardSimLines = std::array<std::string, 4>;  // Windows-1251, 26 characters each

// Feeds received bytes into frames: finds each frame's start, checks the fixed bytes and
// hands the four lines of every good frame on. Bytes before a frame start and broken frames
// are counted and skipped.
class BoardFrameReader {
  public:
    // Returns true when `byte` completed a good frame (then `lines` holds it).
    bool feed(std::uint8_t byte, BoardSimLines& lines);
    int good_frames() const { return good_; }
    int bad_frames() const { return bad_; }

  private:
    std::vector<std::uint8_t> buf_;
    int good_ = 0;
    int bad_ = 0;
};

class BoardSimulator {
  public:
    explicit BoardSimulator(bool silent = false) : silent_(silent) {}

    // Opens a new pseudo-terminal; returns its slave path ("" on failure).
    std::string open_pty() { return line_.open_pty(); }
    // Uses an already open device (neither configured nor closed by the simulator).
    void use_fd(int fd) { line_.use_fd(fd); }

    // Serves until stop(). `on_frame` (optional) is called with every good frame's lines.
    void run(const std::function<void(const BoardSimLines&)>& on_frame = {});
    void stop() { stop_ = true; }

    int good_frames() const { return good_.load(); }
    int bad_frames() const { return bad_.load(); }
    std::int64_t bytes_received() const { return bytes_.load(); }
    BoardSimLines last_lines() const;

  private:
    bool silent_;
    SimLine line_;
    std::atomic<bool> stop_{false};
    std::atomic<int> good_{0}, bad_{0};
    std::atomic<std::int64_t> bytes_{0};
    mutable std::mutex mutex_;
    BoardSimLines last_;
};

// The lines as UTF-8 text, one per line, framed like the board.
std::string board_sim_text(const BoardSimLines& lines);

}  // namespace skarvel::sim
