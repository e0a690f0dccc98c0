// skarvel-cli readouts shift FILE.wdb --control C --by [-]HH:MM:SS
// skarvel-cli readouts remove-control FILE.wdb --control C
// Corrections of the stored card readouts: the punches at control C moved by a time (the
// readouts then unrolled against the 12-hour roll-over again), or removed. The file is saved
// (atomically) when the command succeeded.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "punch/card_corrections.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_readouts(const std::vector<std::string>& args) {
    constexpr const char* kUsage =
        "readouts shift FILE.wdb --control C --by [-]HH:MM:SS | remove-control FILE.wdb --control "
        "C";
    std::vector<std::string> rest;
    const int op = cli::operation_of(args, "readouts", kUsage, {"shift", "remove-control"}, rest);
    if (op < 0) return cli::kExitUsage;
    const bool shift = op == 0;
    cli::CommandArgs a;
    const std::vector<std::string_view> valued =
        shift ? std::vector<std::string_view>{"--control", "--by"}
              : std::vector<std::string_view>{"--control"};
    if (int rc = cli::parse_command_args(rest, kUsage, {}, valued, a); rc != cli::kExitOk)
        return rc;
    long long control = 0;
    if (!cli::int_option(a, "--control", 1, 255, control)) return cli::kExitUsage;
    std::int32_t by = 0;
    if (shift) {
        const std::string* text = a.value("--by");
        std::optional<std::int32_t> parsed = text ? parse_time_shift(*text) : std::nullopt;
        if (!parsed) {
            cli::error("readouts shift: --by needs a time [-]HH:MM:SS");
            return cli::kExitUsage;
        }
        by = *parsed;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, a.file); rc != cli::kExitOk) return rc;
    if (shift)
        std::printf("%d punches shifted\n", shift_control_times(*c, int(control), by));
    else
        std::printf("%d punches removed\n", remove_control_punches(*c, int(control)));
    return cli::save_competition(*c, a.file);
}
