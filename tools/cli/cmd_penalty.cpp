// skarvel-cli penalty clear|set60 FILE.wdb
// skarvel-cli penalty from-cards FILE.wdb --control P --interval M
// Marked-route penalties for every runner: 0, 60, or counted from the punches at the penalty
// control P (repeats within M seconds count once; runners without a read card keep 60). The
// file is saved (atomically) when the command succeeded. As in the menu, clear and set60 are
// for the marked-route kinds (1 laps, 2 minutes) only; another kind is refused unchanged.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "punch/card_corrections.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_penalty(const std::vector<std::string>& args) {
    constexpr const char* kUsage =
        "penalty clear|set60 FILE.wdb | from-cards FILE.wdb --control P --interval M";
    std::vector<std::string> rest;
    const int op =
        cli::operation_of(args, "penalty", kUsage, {"clear", "set60", "from-cards"}, rest);
    if (op < 0) return cli::kExitUsage;
    const bool from_cards = op == 2;
    cli::CommandArgs a;
    const std::vector<std::string_view> valued =
        from_cards ? std::vector<std::string_view>{"--control", "--interval"}
                   : std::vector<std::string_view>{};
    if (int rc = cli::parse_command_args(rest, kUsage, {}, valued, a); rc != cli::kExitOk)
        return rc;
    long long control = 0, interval = 0;
    if (from_cards && (!cli::int_option(a, "--control", 1, 255, control) ||
                       !cli::int_option(a, "--interval", 0, 86400, interval)))
        return cli::kExitUsage;
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, a.file); rc != cli::kExitOk) return rc;
    if (const int kind = c->info.competition_kind; !from_cards && kind != 1 && kind != 2) {
        cli::error("penalty " + std::string(op == 0 ? "clear" : "set60") +
                   ": the competition kind is " + std::to_string(kind) +
                   "; penalties for everybody are for the marked-route kinds 1 and 2 only "
                   "(nothing saved)");
        return cli::kExitUsage;
    }
    if (from_cards) {
        int counted = penalties_from_readouts(*c, int(control), int(interval));
        std::printf("penalty counted from the cards of %d runners; the others have 60\n", counted);
    } else {
        set_all_penalties(*c, op == 0 ? 0 : 60);
    }
    return cli::save_competition(*c, a.file);
}
