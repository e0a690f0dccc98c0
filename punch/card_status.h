// The status-bar line that tells the operator what became of a card just read: the card, the
// owner's number and name, the result or the verdict, and why no finish line was made when
// none was.
#pragma once

#include <string>

#include "core/competition.h"
#include "core/language.h"
#include "punch/card_families.h"
#include "punch/extended_link.h"
#include "punch/punch_settings.h"
#include "punch/readout.h"
#include "punch/station_reader.h"

namespace skarvel {

// `c` holds the runner's result as recomputed after the card (Windows-1251 text). With the
// card's `extras` (as a reader hands it over) the line names the card's family and tells what
// the readout could not keep: "ЧИП %d: отметок %d, сохранено 64", a control code above 255.
std::string card_status_line(const Competition& c, const CardReadout& card,
                             const ReadoutOutcome& outcome, const PunchSettings& s,
                             const LanguageTable& lang, const CardExtras* extras = nullptr);

// What a readout could not keep of a card: "ЧИП %d: отметок %d, сохранено 64", a control code
// above 255 shortened; empty when it kept everything.
std::string card_extras_line(std::int32_t card_number, const CardExtras& extras,
                             const LanguageTable& lang);

// The name of a card family: "5", "6", "6*", ..., "active"; empty when unknown.
std::string card_family_name(CardFamily f, const LanguageTable& lang);

// What the station's start-up found, for the status bar: its protocol and how it reports
// cards, or that cards 8 and later need the extended protocol.
std::string station_setup_line(const StationSetup& setup, const LanguageTable& lang);
// The message for a station that reports no cards (not in readout mode); empty when it does.
std::string station_mode_message(const StationSetup& setup, const LanguageTable& lang);
// A reader's notice (unknown card, put the card in again, registration refused).
std::string reader_notice_line(const ReaderNotice& notice, const LanguageTable& lang);
// "<what>: the station speaks the extended protocol ..." for what needs the basic one.
std::string extended_refused_message(const LanguageTable& lang, Txt what);

}  // namespace skarvel
