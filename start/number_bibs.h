// Start-number bibs: a large start number with the runner's class, name, club, card number
// and start time; the ordinary layout (one or two bibs a sheet) and the large one.
#pragma once

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

enum class BibStartTimes { kOneDay, kMultiDay, kNone };

// The dialog's choices; not stored.
struct BibOptions {
    BibStartTimes start_times = BibStartTimes::kOneDay;
    bool days[3] = {true, true, true};
    bool two_per_sheet = true;
    bool relay_leg = false;  // "1234->234.1"
    bool club = true;
    bool card = true;
    bool class_name = true;

    // The dialog's initial values: every box on, the leg form as the competition's relay flag.
    static BibOptions initial(const CompetitionInfo& info);
};

// The marks a bib prints instead of a start time.
constexpr std::int32_t kBibNoStart = 9000000;   // 25:00:00
constexpr std::int32_t kBibProtocol = 9360000;  // 26:00:00

// Draw the current runners' bibs; the number drawn.
int draw_number_bibs(PageDevice& dev, const Competition& c, const BibOptions& o);
int draw_number_bibs_large(PageDevice& dev, const Competition& c, const BibOptions& o);
// On the current printer as "Печать номеров"; false (message shown) on a printer failure or
// when there is no runner.
bool print_number_bibs(const Competition& c, const BibOptions& o, bool large, ReportEnv& env);

}  // namespace skarvel
