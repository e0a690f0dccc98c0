// What a station reader hands over: a card read in full, one record of a station's memory, or
// the personal data of a card read in the registration mode.
// The reader's worker only reads; the window applies each event to the competition later, at
// a moment when nothing else edits the tables (see StationReaderQt).
#pragma once

#include <array>
#include <cstdint>

#include "core/records.h"
#include "punch/card_families.h"

namespace skarvel {

struct StationEvent {
    enum class Kind : std::uint8_t { kCard = 1, kMemoryRecord = 2, kPersonalData = 3 };
    Kind kind = Kind::kCard;
    CardReadout card;                          // kCard
    CardExtras extras;                         // kCard: its family, every punch it held
    std::int32_t card_number = 0;              // kMemoryRecord
    std::int32_t time = 0;                     // kMemoryRecord
    std::array<std::uint8_t, 128> personal{};  // kPersonalData: card words 8..39 (card_number too)
    std::uint64_t competition = 0;  // the competition open when it arrived (its generation)
};

}  // namespace skarvel
