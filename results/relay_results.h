// The relay result protocol: per class the teams in order of their team time, each with its
// place, its rank fulfilment and a line per leg with leg time, team time and the splits. HTML
// only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

// The relay dialog's settings (several shared with the individual result protocol).
struct RelayPrintSettings {
    int splits_mode = 0;  // 0 none, 1 correct punches, 2 all punches
    bool print_control_codes = false;
    bool print_variant = false;
    int selection = 0;  // 0 all classes, 1 marked classes
    int first_n = 0;
    bool print_ranks = false;
    bool print_course_setter = false;
    bool extended_html = false;

    static RelayPrintSettings from(const CompetitionInfo& info);
    void store(CompetitionInfo& info) const;
};

constexpr int kMaxLegs = 11;
constexpr std::int32_t kUncleanTeamKey = 540000000;

struct RelayTeam {
    int number = 0;
    std::int32_t key = 0;
    std::vector<Runner*> legs;      // leg order, at most 11
    std::vector<Runner*> overflow;  // runners of the team number beyond the eleventh
    bool clean() const;             // no leg with a status and at least one finished leg
};

// The teams of a class's runners (all with a start number), in order of their key.
std::vector<RelayTeam> relay_teams(std::vector<Runner*> runners);
std::int32_t team_time_key(const RelayTeam& team);

// The page up to its end; `ok` false when a variant course was missing (the page then ends
// where the protocol stopped, and `failure` says which runner).
struct RelayProtocol {
    std::string html;
    bool ok = true;
    std::string failure;
};
// `english`: the language of the failure message.
RelayProtocol relay_protocol_html(Competition& c, const RelayPrintSettings& s,
                                  bool english = false);

// Save dialog, write, open with the shell. False when cancelled or not written.
bool print_relay_protocol(Competition& c, const RelayPrintSettings& s, ReportEnv& env);

}  // namespace skarvel
