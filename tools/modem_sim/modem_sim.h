// A GSM modem played on a pseudo-terminal (or any serial device) for the radio control reader:
// it holds the messages of a script in its store, echoes what it receives, and answers the
// message-store selection (AT+CPMS), the listing (AT+CMGL) and the deletion (AT+CMGD).
// Radio messages are written as the radio controls send them: a header of hexadecimal text,
// then one record of 14 characters per punch (control, seconds on a 12-hour clock, "AA", card).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tools/station_sim/sim_pty.h"

namespace skarvel::sim {

struct ModemRecord {
    int control = 0;
    std::int32_t time = -1;  // centiseconds since midnight; -1: none (sent as 0000)
    std::int32_t card = 0;
};

struct ModemMessage {
    std::string text;  // as listed, without its line end
};

struct ModemScript {
    std::vector<ModemMessage> messages;
};

// Script lines:
//   message CARD:CONTROL@HH:MM:SS ...   a radio message with one record per item
//   text ANY TEXT                       a message from elsewhere (not a radio message)
//   hex TEXT                            a message listed exactly as given
// On a bad line returns false with the line number and reason.
bool parse_modem_script(const std::string& text, ModemScript& out, std::string* error);
// The listed text of a radio message holding these records.
std::string radio_message_text(const std::vector<ModemRecord>& records);

// The modem's answers, byte in, bytes out (no line, no clock): usable on its own by tests.
class ModemState {
  public:
    explicit ModemState(ModemScript script);
    // Takes one received byte; appends the echo and any answer to `out`.
    void feed(std::uint8_t b, std::string& out);
    // Messages held and not deleted; deletions made so far (message indexes, from 1).
    int held() const;
    const std::vector<int>& deleted() const { return deleted_; }
    // Messages offered so far (index order); the others arrive later (see release()).
    void set_released(int n) { released_ = n; }
    int released() const { return released_; }
    int total() const { return static_cast<int>(store_.size()); }

  private:
    std::string answer(const std::string& command);
    std::vector<std::string> store_;  // slot i holds index i + 1; empty once deleted
    std::vector<int> deleted_;
    int released_ = 0;
    std::string line_;
};

struct ModemOptions {
    int gap_ms = 0;  // messages arrive one by one, this far apart (0: all held at the start)
};

class ModemSimulator {
  public:
    ModemSimulator(ModemScript script, ModemOptions options);

    // Opens a new pseudo-terminal; returns its slave path ("" on failure).
    std::string open_pty() { return line_.open_pty(); }
    // Uses an already open device (the simulator neither configures nor closes it).
    void use_fd(int fd) { line_.use_fd(fd); }

    // Plays until stop() or, when `exit_when_done`, until every message was deleted.
    void run(bool exit_when_done = false);
    void stop() { stop_.store(true); }

    int held() const;
    std::vector<int> deleted() const;

  private:
    ModemState state_;
    ModemOptions options_;
    mutable std::mutex mutex_;
    SimLine line_;
    std::atomic<bool> stop_{false};
};

}  // namespace skarvel::sim
