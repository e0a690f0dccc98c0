// The extended protocol over a StationLink: the next frame from the line, the start-up that
// learns which protocol the station speaks (and its autosend or handshake setting, its
// operating mode and its card-6 block setting), and the station's clock.
#pragma once

#include <cstdint>
#include <vector>

#include "punch/extended_frames.h"
#include "punch/station_link.h"

namespace skarvel {

enum class FrameWait : std::uint8_t {
    kFrame,     // `out` holds a good frame (extended, or basic with out.basic set)
    kBadFrame,  // a frame failed its check, or stopped halfway (`out`: its command)
    kNak,       // the station could not do what it was asked
    kSilence,   // nothing began within the wait (or the link was told to stop)
};

// Reads from the line until a frame, a NAK, or `timeouts` byte time-outs of silence before a
// frame begins. Bytes between frames (wake-up bytes, noise) are passed over. (Counted in
// time-outs, not on the clock: a line that answers at once, a test's, never waits.)
FrameWait next_frame(StationLink& link, ExtendedFrameReader& reader, ExtendedFrame& out,
                     int timeouts = kReplyWaitTimeouts);

// Sends `request` and waits for the frame with the command `reply_cmd`, passing over others;
// false on a NAK, silence or a bad frame.
bool exchange_frame(StationLink& link, const std::vector<std::uint8_t>& request,
                    std::uint8_t reply_cmd, ExtendedFrame& reply);

// Operating modes of a station (system memory address 0x71).
constexpr std::uint8_t kStationModeReadout = 0x05;

struct StationSetup {
    bool answered = false;       // the station answered the start-up
    bool settings_read = false;  // and told its protocol setting
    int baud = 0;                // the speed it answered at
    std::uint16_t station_code = 0;
    std::uint8_t protocol = 0;      // bit 0 extended, 1 autosend, 2 handshake
    std::uint8_t mode = 0;          // 0x05 readout, 0x02 control, 0x03 start, 0x04 finish, ...
    std::uint8_t card6_blocks = 0;  // 0xC1/0x00: blocks 0, 6, 7; 0xFF/0x08: all ("192 punches")
    // Frames the station sent by itself while the start-up ran (a card put in meanwhile): the
    // reader takes them first.
    std::vector<ExtendedFrame> early;

    bool extended() const { return settings_read && (protocol & 1); }
    bool autosend() const { return (protocol & 2) != 0; }
    bool readout_mode() const { return mode == kStationModeReadout; }
    bool card6_192() const { return card6_blocks == 0xFF || card6_blocks == 0x08; }
};

// The start-up, once after the port opened: direct mode (F0 4D), then the protocol byte, the
// operating mode and the card-6 setting from the system memory. Tried at `baud` first, then at
// the other speed (38400 or 4800) when the line can change speed; the port is left at the speed
// that answered, else at `baud`. The station is never written to: a station set to the basic
// protocol stays so.
StationSetup start_station(StationLink& link, int baud);

// The station's clock (F7): date, weekday, time of day.
struct StationClock {
    int year = 0;  // 2000 + the station's two digits
    int month = 0;
    int day = 0;
    int weekday = 0;        // 0 Sunday .. 6 Saturday
    std::int32_t time = 0;  // centiseconds since midnight
};
bool read_station_clock(StationLink& link, StationClock& out);
// The clock from the F7 reply's 7 data bytes after the station's code.
StationClock decode_station_clock(const std::uint8_t* d);

}  // namespace skarvel
