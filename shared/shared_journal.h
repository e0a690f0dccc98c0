// The card journal of a computer joined to a shared competition: after a crash, what it kept
// is entered into the competition as the server has it now. Finish lines are found by what
// they hold, not by their place: the server's order is not this computer's old one, and a line
// of another computer must never be taken for one of ours.
#pragma once

#include <vector>

#include "core/competition.h"
#include "punch/card_journal.h"

namespace skarvel::shared {

JournalReplay replay_journal_shared(Competition& c, std::vector<JournalEntry> entries);

}  // namespace skarvel::shared
