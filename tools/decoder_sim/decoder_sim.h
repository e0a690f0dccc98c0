// A transponder decoder played on a pseudo-terminal (or any serial device): it sends the
// passings of a script as records, each the lead-in 0x01 0x40, the tab-separated record text
// with every control character (the tabs too) and every 0x10 escaped by a 0x10, and a line
// feed. The decoder only talks; nothing the program sends is read.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/station_sim/sim_main.h"

namespace skarvel::sim {

struct SimPassing {
    std::string code;  // as the transponder carries it, e.g. "AB-1234X"
    std::string time;  // seconds, a point and three digits, e.g. "36000.456"
    int after_ms = 0;  // pause before the record
    enum class Fault { kNone, kGarbage, kCut, kBadTime } fault = Fault::kNone;
};

// Script lines: "passing code=AB-1234X time=36000.456 [after=MS] [fault=garbage|cut|badtime]";
// blank lines and lines starting with # are skipped. False with the line and reason on error.
bool parse_decoder_script(const std::string& text, std::vector<SimPassing>& out,
                          std::string* error);

// The record text of passing n (1-based sequence number) and its bytes on the wire.
std::string decoder_record_text(const SimPassing& p, int sequence);
std::vector<std::uint8_t> decoder_record_bytes(const SimPassing& p, int sequence);

class DecoderSimulator {
  public:
    explicit DecoderSimulator(std::vector<SimPassing> passings) : passings_(std::move(passings)) {}
    // Opens a new pseudo-terminal; returns its slave path ("" on failure).
    std::string open_pty() { return line_.open_pty(); }
    // Uses an already open device (neither configured nor closed here).
    void use_fd(int fd) { line_.use_fd(fd); }
    // Sends every passing of the script in order (or until stop()).
    void run();
    void stop() { stop_.store(true); }
    bool stopped() const { return stop_.load(); }
    // Waits until the program has opened the line (see wait_until_set_up); false when stopped.
    bool wait_until_opened();
    int records_sent() const { return sent_.load(); }

  private:
    bool send(const std::vector<std::uint8_t>& bytes);
    void pause_ms(int ms);

    std::vector<SimPassing> passings_;
    SimLine line_;
    std::atomic<bool> stop_{false};
    std::atomic<int> sent_{0};
};

}  // namespace skarvel::sim
