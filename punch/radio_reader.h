// The radio control reader as a plain loop over a StationLink on the modem's port: it asks the
// modem for its stored messages with AT commands, reads the first radio message listed, hands
// it over and deletes it from the modem; other messages stay on the modem. It never touches a
// Competition: the records go to a callback that stores them where the competition lives (on the
// window's thread in the desktop program, directly in the command-line tool).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "punch/radio_message.h"
#include "punch/station_link.h"

namespace skarvel {

// The modem runs at this speed, 8 data bits, no parity, one stop bit.
constexpr int kModemBaud = 57600;

struct RadioPauses {
    int after_command_ms = 100;  // after each command, before its answer is read
    int after_delete_ms = 2000;  // after a message was deleted
};

struct RadioReaderStats {
    int cycles = 0;            // command cycles begun
    int messages = 0;          // radio messages handed over (and deleted)
    int foreign_kept = 0;      // messages that are not radio messages, left on the modem
    int records_dropped = 0;   // malformed records in the radio messages
    int listing_timeouts = 0;  // the modem fell silent before the listing's first line end
};

// The commands, byte for byte.
inline constexpr std::string_view kModemSelectStore = "AT+CPMS=\"ME\"\r";
inline constexpr std::string_view kModemList = "AT+CMGL=4";
std::string modem_delete_command(int index);  // "AT+CMGD=%d\r"

// Reads messages until the link is told to stop, the port closes, or `message_read` returns
// false (the message it got is deleted all the same). Messages that are not radio messages
// are passed over and kept (a phone used as the modem keeps its own). Returns the radio messages
// handed over. A modem that falls silent in the middle of a listing only starts the cycle again, so
// the reader can always be stopped.
int run_radio_reader(StationLink& link,
                     const std::function<bool(const RadioMessage&)>& message_read,
                     const RadioPauses& pauses = {}, RadioReaderStats* stats = nullptr);

}  // namespace skarvel
