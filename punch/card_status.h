// The status-bar line that tells the operator what became of a card just read: the card, the
// owner's number and name, the result or the verdict, and why no finish line was made when
// none was.
#pragma once

#include <string>

#include "core/competition.h"
#include "core/language.h"
#include "punch/punch_settings.h"
#include "punch/readout.h"

namespace skarvel {

// `c` holds the runner's result as recomputed after the card (Windows-1251 text).
std::string card_status_line(const Competition& c, const CardReadout& card,
                             const ReadoutOutcome& outcome, const PunchSettings& s,
                             const LanguageTable& lang);

}  // namespace skarvel
