// What happens to a card once it has been read: it is stored as a card readout, matched to
// its owner, given a start time, checked, turned into penalty, status and a finish line, and
// handed to the split printout and the finish client. These functions run on the thread that
// owns the competition (the user-interface thread in the desktop program); the station reader
// only reads bytes and hands each card over.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/competition.h"
#include "core/prompts.h"
#include "punch/punch_settings.h"

namespace skarvel {

// State of the station readers that lasts until the program ends (not saved).
struct ReadoutState {
    // The start number typed last for a card without owner.
    int last_typed_number = 0;
    // Records of the station memory already taken; a restarted memory reader continues here.
    int memory_records_read = 0;
    std::int32_t last_memory_time = 0;
};

// Call points for the parts that act on a processed card. Any of them may be empty.
struct ReadoutHooks {
    // The split printout for a runner (null for a card without owner) and the card read.
    std::function<void(const Runner* owner, const CardReadout& card)> print_split;
    // The finish client: send every finish line not yet sent.
    std::function<void()> send_unsent_finish_lines;
    // The finish client: send this finish line (its slot in the finish table).
    std::function<void(int finish_slot)> send_finish_line;
};

struct ReadoutOutcome {
    int readout_slot = kNoSlot;  // where the card was stored (kNoSlot: table full)
    bool reread = false;         // the card had been read before
    Runner* owner = nullptr;
    bool checked = false;  // check_punches was called
    int check_result = 0;
    int finish_slot = kNoSlot;  // the finish line written, if any
    std::string message;        // the composed message text of the check
    bool start_proved = false;  // status "did not start" cleared: the card has a finish
};

// Everything the reader does with one card read (`card` is the reader's working readout).
ReadoutOutcome process_card(Competition& c, const CardReadout& card, const PunchSettings& s,
                            ReadoutState& state, Prompts& prompts, const ReadoutHooks& hooks);

// "перепроверить этот чип": the punch check of the readout in `readout_slot` against its
// first owner; shows "Check_cp=%d". Returns the check result, or -1 without an owner.
int recheck_readout(Competition& c, int readout_slot, const PunchSettings& s, Prompts& prompts,
                    const ReadoutHooks& hooks);

// One record of a station memory: a card readout with the card number and the time as its
// finish, and the time put into the first blank finish line or a new one.
struct MemoryRecordOutcome {
    int readout_slot = kNoSlot;
    int finish_slot = kNoSlot;
};
MemoryRecordOutcome store_memory_record(Competition& c, std::int32_t card_number, std::int32_t time,
                                        Prompts& prompts);

// The first runner in table order with this card number (none for card number 0).
Runner* runner_by_card(const Competition& c, std::int32_t card_number);

}  // namespace skarvel
