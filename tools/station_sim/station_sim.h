// A Vespunt station played on a pseudo-terminal (or any serial device): it offers the cards
// of a script one after another to a card reader, and answers the memory queries from the
// script's station memory. It speaks only what the wire carries, in the protocol the script
// sets: the basic one (detection frames, card replies with the 0x10 escape and the 8-bit sum,
// block replies, memory replies with their 16-bit check) or the extended one (length-counted
// frames with a 16-bit check, every card family, handshake or autosend). Both answer the
// extended start-up commands, as a real station does whatever its protocol setting. Faults can
// be asked for per card.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/records.h"
#include "tools/station_sim/sim_pty.h"

namespace skarvel::sim {

enum class Fault {
    kNone,
    kBadSum,    // the first reply of the card carries a wrong sum
    kSilence,   // the first reply stops halfway and the station falls silent
    kGarbage,   // bytes of noise come before the first detection frame
    kBadWrite,  // the card keeps its old word 8 whatever is written into it
    kRemoved,   // extended protocol: the card is pulled out before its last block, then put back
};

// The card families (the script names them).
enum class SimFamily : std::uint8_t { k5, k6, k6Star, k8, k9, k10, k11, kActive, kP, kT };
// "5", "6", "6*", "8", "9", "10", "11", "active", "p", "t".
bool parse_sim_family(const std::string& text, SimFamily& out);

// The station's settings: its protocol, how it reports cards, its mode and card-6 setting.
struct SimStation {
    bool extended = false;
    bool autosend = false;     // else handshake
    std::uint8_t mode = 0x05;  // readout
    bool card6_192 = false;    // "192 punches"
    std::uint16_t code = 10;   // the station's code
    int year = 2024, month = 5, day = 18;
    std::int32_t clock = 5070750;  // 14:05:07.50
};

// Card words 8..39: the personal data a type-6/10 card holds.
constexpr int kSimFirstWord = 8;
constexpr int kSimWords = 32;
using SimWords = std::array<std::uint8_t, 4 * kSimWords>;

struct SimPunch {
    int code = 0;           // up to 255; up to 1023 on cards 6 and later in the extended protocol
    std::int32_t time = 0;  // centiseconds since midnight of the first day
};

struct SimCard {
    int type = 6;  // the basic protocol's layout: 5, 6 or 10
    SimFamily family = SimFamily::k6;
    std::int32_t number = 0;
    std::int32_t start_number = 0;
    std::int32_t start = -1;   // -1: no start punch
    std::int32_t finish = -1;  // -1: no finish punch
    std::vector<SimPunch> punches;
    Fault fault = Fault::kNone;
    bool has_words = false;  // `words` given by the script (else the card's words are zero)
    SimWords words{};
};

struct SimMemoryRecord {
    std::int32_t card_number = 0;
    std::int32_t time = 0;
    bool fail_first = false;  // the first request for this record gets no answer
};

struct SimScript {
    std::vector<SimCard> cards;
    std::vector<SimMemoryRecord> memory;
    SimStation station;
};

// Parses the script text; on a bad line returns false with the line number and reason.
bool parse_script(const std::string& text, SimScript& out, std::string* error);
// A script of type-6 cards that give these readouts (card number, start, finish, punches).
SimScript script_of_readouts(const std::vector<CardReadout>& cards);
// "10:05:00", "10:05:00.50", "25:10:00" (next day), "-" (none: -1).
bool parse_sim_time(const std::string& text, std::int32_t& out);

struct SimOptions {
    int resend_ms = 300;   // an unacknowledged card is announced again after this silence
    int gap_ms = 50;       // pause between a card taken and the next one inserted
    int station_type = 0;  // 0 "BS7-8": memory count reply without the extra byte
    // The line's speed: each byte either way takes 10 bits of it, one after the other (a reply
    // waits for the command before it and arrives when its last byte would). 0: unpaced.
    int baud = 0;
};

// Encoders, usable on their own by tests.
std::vector<std::uint8_t> detection_frame(const SimCard& card);
// The unescaped reply content: type 5, P0..P128; types 6/10, the 384 data bytes.
std::vector<std::uint8_t> card_content(const SimCard& card);
// Escapes the bytes the station marks with 0x10.
void put_escaped(std::vector<std::uint8_t>& out, std::uint8_t b);
std::uint16_t crc16(const std::uint8_t* data, std::size_t n);
// Extended protocol: 02 CMD LEN (station code, data) CRC 03.
std::vector<std::uint8_t> extended_frame(std::uint8_t cmd, std::uint16_t station_code,
                                         const std::vector<std::uint8_t>& data);
// The card's memory, 8 blocks of 128 bytes (card 5: its 128 bytes in block 0).
using SimBlocks = std::array<std::array<std::uint8_t, 128>, 8>;
SimBlocks extended_blocks(const SimCard& card);
// E5, E6 or E8 announcing the card (E7 with `removed`).
std::vector<std::uint8_t> extended_detection(const SimCard& card, std::uint16_t station_code,
                                             bool removed = false);

class StationSimulator {
  public:
    StationSimulator(SimScript script, SimOptions options);

    // Opens a new pseudo-terminal; returns its slave path ("" on failure).
    std::string open_pty() { return line_.open_pty(); }
    // Uses an already open device (the simulator neither configures nor closes it).
    void use_fd(int fd) { line_.use_fd(fd); }

    // Plays until stop() or, when `exit_when_done`, until every card was taken.
    void run(bool exit_when_done = false);
    void stop() { stop_.store(true); }

    int cards_taken() const { return cards_taken_.load(); }
    // For each card taken so far, in order, when the last byte of its last reply was on the
    // line (the reader had the whole card from then on), and when its acknowledgement came.
    std::vector<std::chrono::steady_clock::time_point> last_bytes() const;
    std::vector<std::chrono::steady_clock::time_point> acknowledged() const;
    int reads_answered() const { return reads_answered_.load(); }
    // Bytes written to and read from the line (for line-time figures).
    std::uint64_t bytes_sent() const { return bytes_sent_.load(); }
    std::uint64_t bytes_received() const { return bytes_received_.load(); }
    // Words 8..39 of a card as the station holds them (written words included); a card
    // inserted again keeps what was written into it. Zero words for a card never seen.
    SimWords card_words(std::int32_t number);
    int words_written() const { return words_written_.load(); }
    // Appends memory records while running (the station punched again).
    void add_memory_record(const SimMemoryRecord& r);
    // Tests: called on the simulator's thread the moment a card's acknowledgement arrives,
    // before the station answers it (a reader can be stopped right there). Set before run().
    std::function<void()> on_acknowledged;

  private:
    void send(const std::vector<std::uint8_t>& bytes);
    // The paced line carries `bytes` more bytes from now or from when it is free.
    void occupy_line(std::size_t bytes);
    void announce();
    void handle_input();
    void reply_type5();
    void reply_block(std::uint8_t block);
    void reply_memory_count();
    void reply_memory_record(std::uint32_t address);
    void write_word(int word, const std::uint8_t* data);
    void reply_word(int word);
    void handle_extended(std::uint8_t cmd, const std::vector<std::uint8_t>& data);
    void reply_card(std::uint8_t cmd, int block);
    void send_blocks(const SimCard& card, std::uint8_t cmd, int block, bool damaged);
    void send_autosend();
    // The card leaves the station untaken (pulled out halfway); it comes back after the gap.
    void pull_out();
    void take_card();
    SimCard* current();

    SimScript script_;
    SimOptions options_;
    SimLine line_;
    std::atomic<bool> stop_{false};
    std::atomic<int> cards_taken_{0};
    std::atomic<int> reads_answered_{0};
    std::atomic<std::uint64_t> bytes_sent_{0};
    std::atomic<std::uint64_t> bytes_received_{0};
    bool set_up_asked_ = false;  // the program asked for the card-6 setting (its start-up)
    std::mutex memory_mutex_;
    std::mutex words_mutex_;
    std::map<std::int32_t, SimWords> words_;  // by card number
    std::atomic<int> words_written_{0};

    // Card state.
    std::size_t next_card_ = 0;
    bool inserted_ = false;
    bool replied_ = false;     // a card reply went out since the last announcement
    int replies_sent_ = 0;     // replies sent for the current card (faults hit the first)
    bool fault_done_ = false;  // the current card's fault has happened
    std::vector<int> memory_failed_;
    std::chrono::steady_clock::time_point last_send_;
    std::chrono::steady_clock::time_point line_free_;     // paced line: busy until then
    std::chrono::steady_clock::time_point card_replied_;  // the current card's last reply
    mutable std::mutex taken_mutex_;
    std::vector<std::chrono::steady_clock::time_point> last_bytes_;  // under taken_mutex_
    std::vector<std::chrono::steady_clock::time_point> acks_;        // under taken_mutex_
    std::chrono::steady_clock::time_point removed_at_;
    std::vector<std::uint8_t> in_;
};

}  // namespace skarvel::sim
