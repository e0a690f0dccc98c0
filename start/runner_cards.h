// Control cards for events punched by hand: per runner a framed grid of boxes (one per
// control and spare "R" boxes), the runner's number, name, club, start time and class, and a
// dotted line to cut along.
#pragma once

#include <functional>

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

enum CardBoxLabel : int { kBoxNumber = 0, kBoxControlCode = 1, kBoxNumberAndCode = 2 };

struct CardPrintOptions {
    int selection = 0;  // 0 current runners, 1 all clubs, 2 marked clubs
    bool only_marked = false;
    bool fixed_box_count = false;  // false: from the course's control count
    int box_count = 0;
    bool club_per_sheet = false;
    int box_label = kBoxNumber;

    static CardPrintOptions from_info(const CompetitionInfo& info);
    void store(CompetitionInfo& info) const;
};

// Draws the cards; the number printed.
int draw_runner_cards(PageDevice& dev, Competition& c, const CardPrintOptions& o);
// On the current printer as "Карточки участников"; false (message shown) when nothing was
// printed or the printer failed. `busy`, when given, is told when the sheets start being made
// (true) and when they are done (false, before any message), for a wait cursor.
bool print_runner_cards(Competition& c, const CardPrintOptions& o, ReportEnv& env,
                        const std::function<void(bool)>& busy = {});

}  // namespace skarvel
