// The card families and their memory: which family a card number belongs to, which blocks of
// a card hold its first N punches, and how a card's blocks become a CardReadout. A card may
// hold more punches than a readout record's 64 (cards 6 with the station's "192 punches"
// setting, 6*, 10, 11 and the active card): the decoded card keeps all of them, with control
// codes above 255 whole, so the card journal can keep the card as it was read.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/records.h"

namespace skarvel {

enum class CardFamily : std::uint8_t {
    kUnknown = 0,
    k5 = 1,
    k6 = 2,
    k6Star = 3,
    k8 = 4,
    k9 = 5,
    k10 = 6,
    k11 = 7,
    kActive = 8,
    kP = 9,
    kT = 10,
};
constexpr int kCardFamilyCount = 11;

// The family a card number belongs to; kUnknown for numbers no family uses (3,xxx,xxx,
// 5,xxx,xxx, 10,000,000 and up except 6*, and 0).
CardFamily card_family_of(std::int32_t number);
// "5", "6", "6*", "8", "9", "10", "11", "p", "t"; empty for the active card (its name is a
// text of the language table) and for an unknown family.
std::string_view card_family_code(CardFamily f);
// The series byte an E8 detection frame and block 0 carry for the family (0 for 5 and 6).
std::uint8_t card_family_series(CardFamily f);
// Reported by the stations only in their extended protocol.
bool extended_only(CardFamily f);
// Most punches a card of the family holds. Card 6 holds 192 only when the station is set to
// "192 punches" (its other setting reads 64).
int family_max_punches(CardFamily f, bool card6_192);

constexpr int kCardBlockBytes = 128;
constexpr int kCardMaxBlocks = 8;
using CardBlock = std::array<std::uint8_t, kCardBlockBytes>;

// The blocks of one card as read (card 5: its 128 bytes in block 0).
struct CardImage {
    CardFamily family = CardFamily::kUnknown;
    std::array<CardBlock, kCardMaxBlocks> block{};
    std::uint8_t have = 0;  // bit b: block b was read

    bool has(int b) const { return (have >> b) & 1; }
    void put(int b, const std::uint8_t* bytes);
};

// The punch count block 0 gives (card 5: its punch pointer less one), at most the family's
// maximum (a damaged card may claim more).
int image_punch_count(const CardImage& image, bool card6_192);

// The blocks besides block 0 that hold punches 1..n, in reading order (card 6: 6, 7, 2, 3, 4,
// 5; card 9 from 19 punches on: 1).
struct BlockList {
    int count = 0;
    std::uint8_t blocks[kCardMaxBlocks] = {};
};
BlockList blocks_for_punches(CardFamily f, int n);

// Every punch of a card in card order, with its whole control code (up to 1023).
struct CardPunch {
    int code = 0;
    std::int32_t time = 0;
};

// What a readout record cannot hold of a card.
struct CardExtras {
    CardFamily family = CardFamily::kUnknown;
    std::vector<CardPunch> punches;  // every punch taken (records with a time), card order
    std::int32_t check_time = 0;     // 0: none
    std::int32_t clear_time = 0;
    int long_code = 0;  // the first control code above 255 (stored mod 256), 0 when none

    // More punches than the readout record keeps.
    bool shortened() const { return punches.size() > CardReadout::kMaxPunches; }
    // The readout record lost something of the card (punches, or a code's high bits).
    bool beyond_readout() const { return shortened() || long_code != 0; }
};
// Most punches a card of any family holds.
constexpr int kMaxCardPunches = 192;

// A card as read: the readout record (its first 64 punches) and what the record cannot hold.
struct WholeCard : CardExtras {
    CardReadout readout;
};

struct CardDecodeOptions {
    std::int32_t competition_start = 0;  // the reference of card 5's 12-hour unrolling
    bool multi_day = false;              // the 24-hour roll-over of the later families
    bool card6_192 = false;              // the station's card-6 setting
    int punch_limit = 0;                 // when above 0: read no more punches than this
};

// Decodes the blocks of a card: card 5 as the basic read does (12-hour values unrolled against
// the competition start), the other families with their afternoon bits and no guessing. False
// when block 0 or a block the punch count needs is missing, or block 0 names a card of another
// family (a wrong series byte, a number no family uses).
bool decode_card_image(const CardImage& image, const CardDecodeOptions& options, WholeCard& out);

// A card of the basic protocol's reads (type 5, 6 or 10) as a whole card: the family the
// station reported it as (card 6 or 6*, the t-card for type 10).
WholeCard whole_card_of(const CardReadout& readout, int basic_type);

// The 24-hour roll-over of a multi-day event: going through the punches from the second one,
// a punch time below the one before it gets 24 hours added (again while it is below); then a
// finish not later than the last time so moved gets 24 hours added until it is.
template <class PunchT>
void roll_over_days(PunchT* punches, int n, std::int32_t& finish) {
    if (n < 2) return;
    constexpr std::int32_t kDayCs = 8640000;
    std::int32_t last_rolled = 0;
    for (int k = 1; k < n; ++k) {
        while (punches[k].time < punches[k - 1].time) {
            punches[k].time += kDayCs;
            last_rolled = punches[k].time;
        }
    }
    if (finish != 0)
        while (finish <= last_rolled) finish += kDayCs;
}

}  // namespace skarvel
