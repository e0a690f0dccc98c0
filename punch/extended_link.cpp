#include "punch/extended_link.h"

#include <algorithm>

namespace skarvel {

namespace {

// Frames of other kinds passed over while a reply is awaited, before it counts as not coming.
constexpr int kMaxFramesPassed = 16;
// Bytes between frames passed over in one wait (a line full of noise ends the wait).
constexpr int kMaxNoiseBytes = 4096;
// Frames kept from the start-up for the reader (more would be no card's).
constexpr std::size_t kMaxEarlyFrames = 64;

void keep_early(StationSetup& setup, const ExtendedFrame& f) {
    if (!f.basic && setup.early.size() < kMaxEarlyFrames) setup.early.push_back(f);
}

// One byte of the system memory at `address`; false when the station did not tell it.
bool read_system_byte(StationLink& link, std::uint8_t address, std::uint8_t& out,
                      StationSetup& setup) {
    auto request = extended_command(ext::kReadSystem, {address, 0x01});
    ExtendedFrameReader reader;
    ExtendedFrame f;
    link.send(request.data(), request.size());
    for (int passed = 0; passed < kMaxFramesPassed; ++passed) {
        if (next_frame(link, reader, f) != FrameWait::kFrame) return false;
        if (f.cmd() == ext::kReadSystem && f.payload_size() >= 2 && f.payload()[0] == address) {
            out = f.payload()[1];
            return true;
        }
        keep_early(setup, f);
    }
    return false;
}

}  // namespace

FrameWait next_frame(StationLink& link, ExtendedFrameReader& reader, ExtendedFrame& out,
                     int timeouts) {
    const int silent_reads = std::max(1, timeouts);
    int silent = 0, noise = 0;
    reader.reset();
    while (!link.stop_requested()) {
        link.read_failed = false;
        int b = link.read_raw_byte();
        if (link.read_failed) {
            // Silence inside a frame: the rest is not coming.
            if (!reader.idle()) {
                out = reader.frame();
                reader.reset();
                return FrameWait::kBadFrame;
            }
            if (++silent >= silent_reads || !link.port().is_open()) return FrameWait::kSilence;
            continue;
        }
        switch (reader.push(static_cast<std::uint8_t>(b))) {
            case ExtendedFrameReader::Event::kFrame:
            case ExtendedFrameReader::Event::kBasicFrame:
                out = reader.frame();
                return FrameWait::kFrame;
            case ExtendedFrameReader::Event::kBadFrame:
                out = reader.frame();  // its command tells what was lost
                return FrameWait::kBadFrame;
            case ExtendedFrameReader::Event::kNak:
                return FrameWait::kNak;
            case ExtendedFrameReader::Event::kNone:
                if (reader.idle() && ++noise > kMaxNoiseBytes) return FrameWait::kSilence;
                break;
        }
    }
    return FrameWait::kSilence;
}

bool exchange_frame(StationLink& link, const std::vector<std::uint8_t>& request,
                    std::uint8_t reply_cmd, ExtendedFrame& reply) {
    ExtendedFrameReader reader;
    link.send(request.data(), request.size());
    for (int passed = 0; passed < kMaxFramesPassed; ++passed) {
        if (next_frame(link, reader, reply) != FrameWait::kFrame) return false;
        if (!reply.basic && reply.cmd() == reply_cmd) return true;
    }
    return false;
}

StationSetup start_station(StationLink& link, int baud) {
    StationSetup setup;
    const int speeds[2] = {baud, baud == 38400 ? 4800 : 38400};
    auto direct = extended_command(ext::kSetMode, {ext::kDirect});
    ExtendedFrame f;
    for (int i = 0; i < 2 && !setup.answered && !link.stop_requested(); ++i) {
        if (i == 1 && !link.port().set_baud_rate(speeds[1])) break;
        ExtendedFrameReader reader;
        link.send(direct.data(), direct.size());
        for (int passed = 0; passed < kMaxFramesPassed; ++passed) {
            if (next_frame(link, reader, f) != FrameWait::kFrame) break;
            if (!f.basic && f.cmd() == ext::kSetMode) {
                setup.answered = true;
                setup.baud = speeds[i];
                setup.station_code = f.station_code();
                break;
            }
            keep_early(setup, f);
        }
    }
    if (!setup.answered) {
        // Nobody answered: the line stays as it was opened (an old station reads in the basic
        // protocol at the speed of the settings).
        link.port().set_baud_rate(baud);
        setup.early.clear();
        return setup;
    }
    setup.settings_read = read_system_byte(link, ext::kProtocolAddress, setup.protocol, setup);
    read_system_byte(link, ext::kModeAddress, setup.mode, setup);
    read_system_byte(link, ext::kCard6BlocksAddress, setup.card6_blocks, setup);
    if (!setup.extended()) setup.early.clear();
    return setup;
}

StationClock decode_station_clock(const std::uint8_t* d) {
    StationClock c;
    c.year = 2000 + d[0];
    c.month = d[1];
    c.day = d[2];
    c.weekday = (d[3] >> 1) & 7;
    std::int32_t seconds = (d[4] << 8) | d[5];
    c.time = (seconds + (d[3] & 1) * 43200) * 100 + (d[6] * 100) / 256;
    return c;
}

bool read_station_clock(StationLink& link, StationClock& out) {
    ExtendedFrame f;
    if (!exchange_frame(link, extended_command(ext::kReadClock, nullptr, 0), ext::kReadClock, f) ||
        f.payload_size() < 7)
        return false;
    out = decode_station_clock(f.payload());
    return true;
}

}  // namespace skarvel
