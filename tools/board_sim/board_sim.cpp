#include "tools/board_sim/board_sim.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/cp1251.h"
#include "tools/station_sim/sim_main.h"

namespace skarvel::sim {

namespace {

// What the board expects around its four lines: offset and bytes.
struct Fixed {
    int at;
    std::vector<std::uint8_t> bytes;
};
const Fixed kFixed[] = {
    {0, {0x01, 0x81, 0x9C}},
    {29, {0x8C, 0x07, 0x02, 0x81, 0x9C}},
    {60, {0x8C, 0x08, 0x03, 0x81, 0x9C}},
    {91, {0x8C, 0x09, 0x04, 0x81, 0x9C}},
    {122, {0x8C, 0x0A, 0x0E}},
};
constexpr int kLineAt[4] = {3, 34, 65, 96};

}  // namespace

bool BoardFrameReader::feed(std::uint8_t byte, BoardSimLines& lines) {
    if (buf_.empty() && byte != 0x01) {
        ++bad_;  // noise between frames
        return false;
    }
    buf_.push_back(byte);
    if (buf_.size() < std::size_t(kBoardSimFrameSize)) return false;
    bool ok = true;
    for (const Fixed& f : kFixed)
        ok = ok && std::memcmp(buf_.data() + f.at, f.bytes.data(), f.bytes.size()) == 0;
    if (!ok) {
        ++bad_;
        // Start again at the next possible frame start inside what was taken.
        std::vector<std::uint8_t> rest(buf_.begin() + 1, buf_.end());
        buf_.clear();
        for (std::uint8_t b : rest)
            if (feed(b, lines)) return true;
        return false;
    }
    for (int k = 0; k < 4; ++k)
        lines[k].assign(reinterpret_cast<const char*>(buf_.data() + kLineAt[k]), 26);
    buf_.clear();
    ++good_;
    return true;
}

void BoardSimulator::run(const std::function<void(const BoardSimLines&)>& on_frame) {
    BoardFrameReader reader;
    BoardSimLines lines;
    while (!stop_) {
        pollfd p{line_.fd(), POLLIN, 0};
        int r = ::poll(&p, 1, 50);
        if (r <= 0 || !(p.revents & POLLIN)) continue;
        std::uint8_t buf[256];
        ssize_t n = ::read(line_.fd(), buf, sizeof buf);
        if (n <= 0) continue;
        bytes_ += n;
        for (ssize_t i = 0; i < n; ++i) {
            // The byte is taken in before it is answered: once the sender has its answer, the
            // frame it completed is counted.
            if (reader.feed(buf[i], lines)) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    last_ = lines;
                }
                good_ = reader.good_frames();
                if (on_frame) on_frame(lines);
            }
            bad_ = reader.bad_frames();
            if (!silent_) {
                // One answer per byte received.
                const std::uint8_t answer = kBoardSimAnswer;
                write_all(line_.fd(), &answer, 1, stop_, -1);
            }
        }
    }
}

BoardSimLines BoardSimulator::last_lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
}

std::string board_sim_text(const BoardSimLines& lines) {
    std::string out = "+--------------------------+\n";
    for (const std::string& line : lines) out += "|" + cp1251_to_utf8(line) + "|\n";
    return out + "+--------------------------+\n";
}

}  // namespace skarvel::sim
