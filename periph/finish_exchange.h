// The finish exchange between two stations: the client sends its finish lines one per UDP
// datagram, the server stores each as a finish line of its own and takes the runner's status
// (or, for a number above 10000, the start time) from it. This file is the plain part: the
// 128-byte datagram both ways, which lines are due, and what the server does with one
// datagram. The sockets live in periph/ui (desktop program) and tools/cli (headless).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/competition.h"

namespace skarvel {

constexpr int kFinishDatagramSize = 128;
// The UDP port peers use; a user setting, since ports below 1024 need privileges on Linux.
constexpr int kDefaultFinishPort = 1000;
// A number above this delivers the start time of the runner with the number minus this.
constexpr int kStartTimeNumberOffset = 10000;
// The client's wait after each line it sends, and between two passes when sending
// continuously (milliseconds).
constexpr int kClientLinePacingMs = 50;
constexpr int kClientPassIntervalMs = 100;

enum ClientSendMode : std::uint8_t {
    kSendContinuously = 0,  // "Фоновый процесс, непрерывно"
    kSendOnCardRead = 1,    // "VP - при чтении ЧИПа"
    kSendOnce = 2,          // "однократно"
};

using FinishDatagram = std::array<std::uint8_t, kFinishDatagramSize>;

// "%4d %12d %d %d\n": start number (unsigned 16 bit), the whole time word (signed), the
// runner's status and the line's small counter (flag byte & 0x7F), then zero bytes.
FinishDatagram encode_finish_datagram(const FinishLine& line, int status);

struct FinishDatagramValues {
    std::uint16_t number = 0;
    std::int32_t time_word = 0;
    int status = 0;
    // Equal values make an exact repeat of a datagram (the counter is not read).
    bool operator==(const FinishDatagramValues&) const = default;
};
// Reads a received datagram. nullopt (the datagram is dropped) when it is empty or longer
// than 128 bytes, has no terminating zero, is not "number time status [counter]" in
// decimal, or a value is out of range: number 1..65535, status 0..8. Any time word is taken:
// the low 24 bits hold times from 24:00:00 on too (the 12-hour roll-over after midnight, the
// radio control lines), and the high byte a radio control's code.
std::optional<FinishDatagramValues> decode_finish_datagram(std::span<const std::uint8_t> bytes);

// A station joined to a shared competition says so after the datagram's text (receivers read
// nothing after its terminating zero): "SKSHARE <competition id>". A server joined to the same
// competition refuses the line, which reaches it through the database already.
void put_shared_mark(FinishDatagram& d, std::string_view competition_id);
// The competition id a datagram carries; empty when none.
std::string shared_mark_of(std::span<const std::uint8_t> bytes);

// --- The client -----------------------------------------------------------------------------

// How the client reaches the server, from `finish_server_name`.
enum class ServerNameKind {
    kEmpty,     // "Неправильное имя сервера"
    kHostName,  // begins with a letter: resolved by name
    kIpv4,      // a dotted IPv4 address (a network without name service needs one)
    kRefused,   // anything else: "Client: Cannot resolve server"
};
ServerNameKind classify_server_name(std::string_view name);
// The stored name as text (at most 14 characters).
std::string finish_server_name(const Competition& c);

// One pass of the client over the finish table, from the first slot to the first empty one.
struct ClientPass {
    int next_slot = 0;
    bool recomputed = false;  // results were recomputed once in this pass
};
// The next line due at or after `pass.next_slot`: `sent` clear, number and finish time not 0,
// a runner with the number, and that runner with a result (results are recomputed once per
// pass when one is missing). Returns its slot and moves the pass past it, or kNoSlot when the
// pass is over.
int next_pending_finish_line(Competition& c, ClientPass& pass);
// The same test for one line (the readout's call after a card); recomputes at most once.
bool finish_line_due(Competition& c, int slot);
// The datagram for the line in `slot` (with its runner's status).
FinishDatagram finish_datagram_for(const Competition& c, int slot);
void mark_sent(Competition& c, int slot);

// --- The server -----------------------------------------------------------------------------

struct FinishServerCounts {
    std::int64_t received = 0;        // datagrams handed to the server
    std::int64_t stored = 0;          // became finish lines
    std::int64_t status_changes = 0;  // a line stored before, sent again with another status
    std::int64_t duplicates = 0;      // exact repeats of a datagram stored in this run
    std::int64_t dropped = 0;         // malformed
    std::int64_t table_full = 0;      // no free finish line
    std::int64_t same_shared = 0;     // from a station joined to the same shared competition
};

// What the server does with received datagrams. It remembers the number, time word and status
// of what it stored in this run: an exact repeat (a line that two overlapping client passes
// both sent) is stored once; the same line sent again with another status (the client's "+"
// cleared after the runner's status was corrected) changes the status and adds no line.
class FinishReceiver {
  public:
    enum class Outcome { kStored, kStatusChanged, kDuplicate, kDropped, kTableFull, kSameShared };

    // Stores one datagram: a new finish line with its number and time word; for a number
    // 1..29999 held by a runner, that runner's status; for a number above 10000, the start
    // time of every runner whose number + 10000 equals it. Does not recompute results.
    Outcome store(Competition& c, std::span<const std::uint8_t> bytes);
    // Stores a batch, then brings the results up to date once. True when a line was stored
    // or a status changed.
    bool store_all(Competition& c, const std::vector<std::vector<std::uint8_t>>& batch);

    const FinishServerCounts& counts() const { return counts_; }
    // Forget the lines stored so far (a new run of the server).
    void reset();
    // The shared competition this station is joined to (empty: none); lines from a station
    // joined to the same one are refused.
    std::string joined_to;

  private:
    // (number, time word) of every line stored in this run -> the status last applied.
    std::unordered_map<std::uint64_t, int> seen_;
    FinishServerCounts counts_;
};

}  // namespace skarvel
