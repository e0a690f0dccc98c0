// The transponder decoder: its passing records, the reader loop over a serial line, and the
// finish line a passing becomes. Each runner's transponder code lives in the runner's
// `comment`.
//
// A record on the line is the lead-in 0x01 0x40, then text up to a line feed with the
// station's escape rule (a 0x10 is dropped and the byte after it taken as it is). The text
// holds tab-separated fields: the fourth is the passing time as seconds, a point and three
// decimal digits; the transponder code follows later in apostrophes ('AB-1234X'), and its
// characters 0, 1, 3..7 make the 7-character code a runner's comment holds (AB1234X).
//
// Records are outside data: a record whose text is too long, whose time is not of that form
// or outside one day, or whose code is missing or short is dropped and counted, never used.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/competition.h"
#include "punch/station_link.h"

namespace skarvel {

// Longest record text (up to the line feed) a decoder record may have.
constexpr std::size_t kDecoderRecordMax = 500;
// Attempts at finding the lead-in before the reader tries again later.
constexpr int kDecoderLeadInAttempts = 21;
// The decoder's line speed (8 data bits, no parity, one stop bit).
constexpr int kDecoderBaud = 9600;
// Characters of the code a runner's comment holds.
constexpr std::size_t kTransponderCodeLength = 7;

struct DecoderPassing {
    std::int32_t time = 0;  // centiseconds since midnight, as the decoder gave it
    std::array<char, kTransponderCodeLength> code{};
    std::string_view code_text() const { return {code.data(), code.size()}; }
};

// The passing in a record's text (without the lead-in and the line feed; a trailing CR is
// allowed); nullopt when the record is malformed.
std::optional<DecoderPassing> parse_decoder_record(std::string_view text);

// The record bytes as a decoder sends them: the lead-in, the text with 0x10 put before every
// 0x01, 0x0A and 0x10 in it, and the line feed (for the simulator and tests).
std::string encode_decoder_record(std::string_view text);

enum class DecoderRead { kNothing, kRecord, kBroken };
// Waits for the lead-in (at most 21 attempts, each clearing read_failed) and reads the record
// text up to the line feed. kNothing: no lead-in or a time-out before it; kBroken: the text was
// cut by a time-out or ran over kDecoderRecordMax characters.
DecoderRead read_decoder_record(StationLink& link, std::string& text);

struct DecoderReaderStats {
    int passings = 0;  // records handed over
    int dropped = 0;   // malformed records
};

// Reads passings until the link is told to stop or the port closes; an empty read waits
// `idle_ms` (cut short by a stop). `passing` gets each good record and returns false to stop.
void run_transponder_reader(StationLink& link,
                            const std::function<bool(const DecoderPassing&)>& passing,
                            DecoderReaderStats& stats, int idle_ms = 10);

// The first runner whose comment equals the code, or null.
Runner* runner_by_transponder(Competition& c, std::string_view code);

// The finish-line time of a passing: the decoder time plus amb_time_shift, brought into one
// day (a shift across midnight wraps), then cut to whole seconds at precision 0 and to tenths
// at precision 1.
std::int32_t passing_time(std::int32_t decoder_time, std::int32_t shift, int precision);

struct PassingOutcome {
    int slot = -1;  // the finish line written, kNoSlot when the finish table is full
    int start_number = 0;
    std::int32_t time = 0;
};
// Writes the passing as a finish line: the owner's start number (0 without an owner) and
// passing_time, into the slot after the last line that has a time or a start number
// (appending a line when that slot is empty). Ends with finish_data_changed unless the caller
// writes several passings and recomputes once after the last (`recompute` false).
PassingOutcome store_passing(Competition& c, const DecoderPassing& p, bool recompute = true);
// The finish line a passing makes (its owner's number and its time), as store_passing writes it:
// what the card journal keeps of a passing as soon as the window has it.
FinishLine passing_line(Competition& c, const DecoderPassing& p);

// The "Сдвиг АМВ" field: the shift as shown (hundredths, a minus sign before a negative one),
// and the typed text read back (nullopt when it is not a time).
std::string format_amb_shift(std::int32_t shift);
std::optional<std::int32_t> parse_amb_shift(std::string_view text);

}  // namespace skarvel
