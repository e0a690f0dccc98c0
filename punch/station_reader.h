// The two station readers as plain loops over a StationLink: the card reader (detect, read,
// hand over) and the memory reader (count, read the new records, hand over). They never touch
// a Competition: each card or record goes to a callback that runs the processing where the
// competition lives (on the user-interface thread, through a blocking call, in the desktop
// program; directly in the command-line tool) and returns when it is done.
#pragma once

#include <cstdint>
#include <functional>

#include "core/records.h"
#include "punch/card_families.h"
#include "punch/extended_link.h"
#include "punch/readout.h"
#include "punch/station_link.h"

namespace skarvel {

struct ReaderPauses {
    int after_no_card_ms = 100;  // after an empty detection or a bad card
    int memory_poll_ms = 200;    // between memory count queries
};

// The reading side of the punching settings, copied when a reader starts, and what the
// station's start-up told (a station that was not asked reads in the basic protocol).
struct ReadOptions {
    std::int32_t competition_start = 0;
    bool multi_day = false;
    int station_type = 0;
    StationSetup station;
};
ReadOptions read_options_from(const PunchSettings& s);

// What a card reader tells on its way, beside the cards.
struct ReaderNotice {
    enum class Kind : std::uint8_t {
        kUnknownCard,          // a card of no family this program reads: not read
        kReinsert,             // an autosend card arrived damaged or incomplete: put it in again
        kRegistrationRefused,  // registration from cards needs the basic protocol
    };
    Kind kind = Kind::kUnknownCard;
    std::int32_t card_number = 0;  // 0 when not known
};

struct CardReaderHooks {
    // A good card, before the station is told it is taken: returns true once the card is safe
    // (on the disk, in the card journal). False leaves it in the station, which offers it
    // again; it is read again after a pause. Unset: every good card is taken.
    std::function<bool(const CardReadout& card)> keep;
    // A good card, taken; returns false to stop reading.
    std::function<bool(const CardReadout& card)> card_read;
    // A good card with what its readout cannot hold (its family, every punch); when set it is
    // called instead of card_read.
    std::function<bool(const WholeCard& card)> whole_card_read;
    // As keep, with the whole card (every punch, whole codes); when set it is asked instead.
    std::function<bool(const WholeCard& card)> keep_whole;
    std::function<void(const ReaderNotice& notice)> notice;
    // Card personalisation: when armed it takes a type-6/10 card instead of the reader and
    // returns true (basic protocol).
    std::function<bool(StationLink& link, int type)> personalise;
    // The station has no card (between two looks): the line is idle.
    std::function<void()> idle;
    // Is registration from cards on? A station in the extended protocol then reads nothing and
    // says so (kRegistrationRefused).
    std::function<bool()> registration_armed;
};

// Reads cards until the link is told to stop or the port closes, in the protocol
// `options.station` names. Returns the cards handed over.
int run_card_reader(StationLink& link, const ReadOptions& options, const CardReaderHooks& hooks,
                    const ReaderPauses& pauses = {});
// The extended protocol's reader: handshake (the program asks for each block, acknowledges the
// card) or autosend (the station sends the blocks by itself), as the station is set.
int run_extended_card_reader(StationLink& link, const ReadOptions& options,
                             const CardReaderHooks& hooks, const ReaderPauses& pauses = {});

// Reads the station memory from record `state.memory_records_read` on until the link is told
// to stop or the port closes. `record_read` gets each record worth storing and returns false to
// stop. A record read that fails is asked for again; two records with the same time are two
// records (both are taken), so the reader never stalls on them. `keep`, when set, is asked
// first, as CardReaderHooks::keep: false leaves the record to be read again after a pause.
using MemoryRecordHook = std::function<bool(std::int32_t card_number, std::int32_t time)>;
int run_memory_reader(StationLink& link, const ReadOptions& options, ReadoutState& state,
                      const MemoryRecordHook& record_read, const ReaderPauses& pauses = {},
                      const MemoryRecordHook& keep = {});

}  // namespace skarvel
