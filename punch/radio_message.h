// Radio controls: stations in the forest send their punches as short messages to a GSM modem
// on a serial port. This file holds the plain parts: the modem's listing line and message text
// (hostile input: every length, digit and count is checked), the finish time of a record, and
// what one record makes in the competition (a finish line whose high time byte carries the
// control code, and a card readout holding the card number and the time).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"

namespace skarvel {

// One punch as a radio control reports it.
struct RadioRecord {
    int control = 0;               // 0..255
    std::int32_t seconds = 0;      // time of day in seconds, 12-hour clock (0..65535)
    std::int32_t card_number = 0;  // 0..16,777,215
};

// Layout of the message text (hexadecimal characters).
constexpr std::size_t kRadioMarkAt = 60;      // characters 60 and 61 are "A" in a radio message
constexpr std::size_t kRadioRecordsAt = 54;   // the first record
constexpr std::size_t kRadioRecordSize = 14;  // control 2, seconds 4, unused 2, card 6
constexpr std::size_t kRadioMaxMessage = 3000;
constexpr std::size_t kRadioMaxListing = 101;
constexpr int kRadioMaxRecords =
    static_cast<int>((kRadioMaxMessage - kRadioRecordsAt) / kRadioRecordSize);

struct RadioMessage {
    bool radio = false;  // the mark is there (otherwise nothing else is read)
    std::vector<RadioRecord> records;
    int dropped = 0;  // records that were not hexadecimal where they must be
};

// The message text of one listed message (line end and all after it left off, at most
// kRadioMaxMessage characters read). A message whose last record is cut short leaves it out;
// characters after the last whole record are not read.
RadioMessage parse_radio_message(std::string_view text);

// One record of 14 characters; nullopt when a character that is read is not a hexadecimal
// digit.
std::optional<RadioRecord> parse_radio_record(std::string_view record);

// The message index of a listing line "+CMGL: 3,1,,24" (the line end left off): the line must
// begin with "+", five characters are passed over, and the rest must begin (after blanks) with
// a decimal number of at most six digits. nullopt otherwise.
std::optional<int> parse_listing_index(std::string_view line);

// The finish line's time word of a record: seconds × 100; 0 means the very end of the day
// (23:59:59,99); a time below the competition start is in the afternoon (12 hours added); the
// high 8 bits hold the control code.
std::uint32_t radio_time_word(const RadioRecord& r, std::int32_t competition_start);

struct RadioRecordOutcome {
    int finish_slot = kNoSlot;
    int readout_slot = kNoSlot;
    const Runner* owner = nullptr;
    std::uint32_t time_word = 0;
};

// Appends the record's finish line (start number of the first runner with the card, 0 when
// none has it) and a card readout with the card number and the time as its finish; results
// are brought up to date.
RadioRecordOutcome store_radio_record(Competition& c, const RadioRecord& r, Prompts& prompts);
// Every record of a message, with one update of the results at the end (a message of 14
// records costs one recomputation, not 14). One outcome per record, in order.
std::vector<RadioRecordOutcome> store_radio_message(Competition& c, const RadioMessage& m,
                                                    Prompts& prompts);

}  // namespace skarvel
