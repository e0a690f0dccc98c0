// Entry extracts: per club (or for the current runners) a sheet of the entries with start
// numbers, start times, card numbers and entry fees, with totals and a signature line; and the
// two-day variant with both days' start times and fees.
#pragma once

#include <string>
#include <vector>

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

enum ExtractSelection : int { kExtractCurrent = 0, kExtractAllClubs = 1, kExtractMarkedClubs = 2 };

struct ExtractOptions {
    int selection = kExtractCurrent;
    bool only_marked = false;
    bool card_numbers = false;
    bool print_fee = false;
    bool signature = false;
    std::string free_text;  // Windows-1251, at most 100 characters; not stored
    bool relay_leg_dot_number = false;

    static ExtractOptions from_info(const CompetitionInfo& info);
    void store(CompetitionInfo& info) const;
};

// The fee the runner's fee bits choose from the class's four fees; 0 without a class.
int runner_fee(const Runner& r, const ClassRecord* cls);

// One extract: its name (club name or "Текущие"), the club's representative (empty for the
// current runners) and its runners in table order.
struct ExtractGroup {
    std::string name;
    std::string representative;
    bool current = false;
    std::vector<const Runner*> runners;
};
// Recounts the tables and collects the extracts the options ask for (empty ones left out).
std::vector<ExtractGroup> extract_groups(Competition& c, const ExtractOptions& o);

// Draws the extracts on sheets (one extract starts a sheet, 60 runners a sheet).
void draw_extracts(PageDevice& dev, const Competition& c, const ExtractOptions& o,
                   const std::vector<ExtractGroup>& groups, bool two_day);

// On the current printer, as "Выписки из стартовых протоколов". False (message shown) when
// nothing was printed or the printer failed.
bool print_extracts(Competition& c, const ExtractOptions& o, ReportEnv& env, bool two_day = false);

}  // namespace skarvel
