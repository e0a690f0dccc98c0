// A realistic competition made up from a seed: titles and officials, clubs, classes with their
// courses and controls, runners with numbers, start times and cards, and the race day's finish
// lines and card readouts (with some mispunches, runners who did not finish or did not start).
// The same options always give the same competition. Used by tests, benchmarks, the demo file
// of the command-line tool and the desktop program's first start.
#pragma once

#include <cstdint>
#include <vector>

#include "core/competition.h"

namespace skarvel {

struct DemoOptions {
    int runners = 200;
    std::uint64_t seed = 1;
    // 0 = chosen from the number of runners.
    int clubs = 0;
    int classes = 0;
    int courses = 0;
    // -1 = one finish line / one card readout per runner who came to the finish (and a readout
    // for each runner who gave up). A larger number adds repeated finish crossings and card
    // re-reads until the table holds that many; a smaller one stops there.
    int finish_lines = -1;
    int card_readouts = -1;
    // Race day in progress: this many runners of the marked classes (the first two) are still
    // out on the course, with no finish line and no card readout yet; their cards, as the
    // station will read them, come back through `make_demo_competition`'s `cards_to_read`.
    int still_out = 0;

    // Every table filled to its capacity (about 27 MB when saved): for benchmarks.
    static DemoOptions full_capacity(std::uint64_t seed = 1);
};

// Clears `c` and fills it. Counts above a table's capacity are cut to it. The demo is set up
// as on race day: the finish time comes from the station, punches are checked against the
// course, and the first two classes are marked so the live results board shows them.
// `cards_to_read` (when given) receives the cards of the runners still out, in finish order:
// the first one misses a control, the others ran clean.
void make_demo_competition(Competition& c, const DemoOptions& options,
                           std::vector<CardReadout>* cards_to_read = nullptr);

}  // namespace skarvel
