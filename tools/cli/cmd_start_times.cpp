// skarvel-cli start-times FILE.wdb --first HH:MM:SS --interval HH:MM:SS [--per N]
// Start times for the current runners as F5 gives them: N runners (1..1000, default 1) per
// start time, from the first time on in steps of the interval. Times are read as the program
// reads typed times. The file is saved (atomically).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/time_text.h"
#include "start/start_ops.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_start_times(const std::vector<std::string>& args) {
    cli::CommandArgs a;
    if (int rc = cli::parse_command_args(
            args, "start-times FILE.wdb --first HH:MM:SS --interval HH:MM:SS [--per N]", {},
            {"--first", "--interval", "--per"}, a);
        rc != cli::kExitOk)
        return rc;
    const std::string* first = a.value("--first");
    const std::string* interval = a.value("--interval");
    if (!first || !interval) {
        cli::error("start-times needs --first and --interval");
        return cli::kExitUsage;
    }
    long long per = 1;
    if (a.has("--per") && !cli::int_option(a, "--per", 1, 1000, per)) return cli::kExitUsage;
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, a.file); rc != cli::kExitOk) return rc;
    std::size_t runners = current_runners(*c).size();
    if (runners == 0) {
        cli::error(a.file + ": no current runners to time");
        return cli::kExitInput;
    }
    assign_start_times(*c, start_time_options_from_text(*first, *interval, int(per)));
    if (int rc = cli::save_competition(*c, a.file); rc != cli::kExitOk) return rc;
    std::printf("%zu runners timed from %s\n", runners,
                format_time_text(parse_time_text(*first), c->info.time_precision).c_str());
    return cli::kExitOk;
}
