// What a station reader hands over: a card read in full, or one record of a station's memory.
// The reader's worker only reads; the window applies each event to the competition later, at
// a moment when nothing else edits the tables (see StationReaderQt).
#pragma once

#include <cstdint>

#include "core/records.h"

namespace skarvel {

struct StationEvent {
    enum class Kind : std::uint8_t { kCard = 1, kMemoryRecord = 2 };
    Kind kind = Kind::kCard;
    CardReadout card;               // kCard
    std::int32_t card_number = 0;   // kMemoryRecord
    std::int32_t time = 0;          // kMemoryRecord
    std::uint64_t competition = 0;  // the competition open when it arrived (its generation)
};

}  // namespace skarvel
