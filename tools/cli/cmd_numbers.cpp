// skarvel-cli numbers FILE.wdb --first N --step S
// Start numbers for the current runners as F4 gives them: N, N+S, N+2S, ... (16-bit step, so a
// negative step counts down). A run that would leave 1..29999 is refused and nothing is saved;
// --first 0 --step 0 clears the numbers. The file is saved (atomically).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "start/start_ops.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_numbers(const std::vector<std::string>& args) {
    cli::CommandArgs a;
    if (int rc = cli::parse_command_args(args, "numbers FILE.wdb --first N --step S", {},
                                         {"--first", "--step"}, a);
        rc != cli::kExitOk)
        return rc;
    long long first = 0, step = 0;
    if (!cli::int_option(a, "--first", 0, kLastUsableNumber, first) ||
        !cli::int_option(a, "--step", -32768, 65535, step))
        return cli::kExitUsage;
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, a.file); rc != cli::kExitOk) return rc;
    cli::ConsolePrompts prompts;
    switch (assign_numbers(*c, {int(first), int(step)}, prompts)) {
        case NumberingResult::NoRunners:
            cli::error(a.file + ": no current runners to number");
            return cli::kExitInput;
        case NumberingResult::OutOfRange:  // the message has been printed
            return cli::kExitUsage;
        case NumberingResult::Declined:
            // Finish lines would follow the new numbers; a script cannot be asked.
            cli::error(a.file +
                       ": finish lines carry numbers that would change hands; nothing renumbered");
            return cli::kExitUsage;
        case NumberingResult::Done:
            break;
    }
    if (int rc = cli::save_competition(*c, a.file); rc != cli::kExitOk) return rc;
    std::printf("%zu runners numbered; the next number would be %d\n", current_runners(*c).size(),
                int(c->info.numbering_first));
    return cli::kExitOk;
}
