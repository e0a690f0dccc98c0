// The serial link to a Vespunt station: the byte primitives with the station's escape rule and
// running frame sum, card detection, the reads of type-5, type-6 and type-10 cards, and the
// memory exchange (record count and single records). The byte layouts are decoded by plain
// functions so they can be checked without a line.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/records.h"
#include "platform/serial_port.h"

namespace skarvel {

// Memory-exchange checksum: a 16-bit shift register fed two bytes at a time, polynomial 0x8005.
std::uint16_t station_crc16(const std::uint8_t* data, std::size_t n);

// A memory-exchange command: 0xFF 0x02 0x02, the body, its station_crc16 (high byte first), 0x03.
std::vector<std::uint8_t> station_command_frame(const std::uint8_t* body, std::size_t n);

// Bytes of a type-5 reply between the leading two bytes and the checksum.
constexpr int kType5FrameSize = 129;
// Data bytes of one block of a type-6 or type-10 card, and the three blocks of a card.
constexpr int kBlockSize = 128;
constexpr int kCardBlockCount = 3;
constexpr std::uint8_t kCardBlocks[kCardBlockCount] = {0x00, 0x06, 0x07};
// Punches a type-5 card holds: 30 with times and 6 codes only.
constexpr int kType5Punches = 36;
constexpr int kType10MaxPunches = 25;

// Fills `out` from the 129 reply bytes P0..P128 of a type-5 card: card number, start number,
// 12-hour times unrolled against `competition_start`, and the punches.
void decode_card_type5(const std::uint8_t* p, std::int32_t competition_start, CardReadout& out);
// Fills `out` from the 384 data bytes of the three blocks of a type-6 or type-10 card.
void decode_card_blocks(const std::uint8_t* d, int type, bool multi_day, CardReadout& out);
// Card number and time of a station memory record R0..R7.
void decode_memory_record(const std::uint8_t* r, std::int32_t& card_number, std::int32_t& time);
// Station memory: 8-byte records from address 256 up to the last address a 3-byte record
// request can name.
constexpr std::uint32_t kMaxMemoryAddress = 0xFFFFFF;
constexpr int kMaxMemoryRecords = static_cast<int>((kMaxMemoryAddress + 1 - 256) / 8);
// The request frame for memory record n (0 <= n < kMaxMemoryRecords).
std::vector<std::uint8_t> memory_record_request(int n);
// The request frame for the memory record count.
inline const std::vector<std::uint8_t>& memory_count_request() {
    static const std::vector<std::uint8_t> frame = {0xFF, 0x02, 0x02, 0x83, 0x02,
                                                    0x1C, 0x07, 0x74, 0x06, 0x03};
    return frame;
}

struct StationLinkTiming {
    int byte_timeout_ms = 200;        // a one-byte read gives up after this much silence
    int first_reply_reads = 10;       // reads spent waiting for the first byte of a reply
    int memory_count_wait_ms = 10;    // pause after the count request
    int memory_record_wait_ms = 100;  // pause after a record request
};
// Extended protocol: a reply is due within this many byte time-outs (1 s at 200 ms).
constexpr int kReplyWaitTimeouts = 5;

class StationLink {
  public:
    explicit StationLink(SerialPort& port, StationLinkTiming timing = {})
        : port_(port), timing_(timing) {}

    // Callable from any thread: every read fails at once from now on, so a reader in the
    // middle of a frame gives up without waiting for time-outs.
    void request_stop() { stop_.store(true); }
    bool stop_requested() const { return stop_.load(); }
    SerialPort& port() { return port_; }
    const StationLinkTiming& timing() const { return timing_; }

    // Set when a read delivered no byte; every later read returns 0 until it is cleared.
    bool read_failed = false;
    // Running sum (mod 256) of the delivered bytes.
    std::uint8_t frame_sum = 0;

    // One byte; a 0x10 is dropped and the byte after it delivered (and summed) instead.
    int read_stuffed_byte();
    // One byte without the escape rule.
    int read_raw_byte();
    // Reads until the line has been silent for one time-out (leaves read_failed set).
    void drain();
    bool send(const std::uint8_t* data, std::size_t n);
    bool send(std::initializer_list<std::uint8_t> bytes) {
        return send(std::data(bytes), bytes.size());
    }

    // 0 (nothing), 5, 6 or 10: the type of the card just inserted, after at most 21 attempts.
    int detect_card();
    // The number a type-6/10 card announced itself with at its last detection (0 for type 5).
    std::int32_t detected_number = 0;
    // Asked with a good card before the station is told it is taken; false leaves the card
    // unacknowledged in the station, which offers it again (unset: every good card is taken).
    using KeepCard = std::function<bool(const CardReadout& card)>;
    // Reads and acknowledges a type-5 card; false (and nothing decoded) on a bad frame, and
    // false (the card decoded but not taken) when `keep` refuses it.
    bool read_card_type5(CardReadout& card, std::int32_t competition_start,
                         const KeepCard& keep = {});
    // Reads the three blocks of a type-6 or type-10 card; acknowledged only when all are good
    // and `keep` takes it.
    bool read_card_blocks(CardReadout& card, int type, bool multi_day, const KeepCard& keep = {});

    // Number of records in the station memory, or -1 when the reply was wrong or incomplete.
    int query_memory_count(int station_type);
    // Record n of the station memory: 1, or -1 when the reply was wrong or incomplete.
    int read_memory_record(int n, std::int32_t& card_number, std::int32_t& time);

    // Sleeps, cut short by request_stop().
    void pause_ms(int ms) const;

  private:
    int read_one(bool stuffed);
    bool wait_first_reply_byte();

    SerialPort& port_;
    StationLinkTiming timing_;
    std::atomic<bool> stop_{false};
};

}  // namespace skarvel
