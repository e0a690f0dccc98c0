// skarvel-cli draw FILE.wdb [--by-club] [--by-heat]
// The draw of the "Сервис" menu on the current runners (the leading runners of the file, up to
// the first empty slot), with the random generator in its start state, as when the program has
// just started: the same file and options always give the same order. The file is saved
// (atomically).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/rand15.h"
#include "start/start_ops.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_draw(const std::vector<std::string>& args) {
    cli::CommandArgs a;
    if (int rc = cli::parse_command_args(args, "draw FILE.wdb [--by-club] [--by-heat]",
                                         {"--by-club", "--by-heat"}, {}, a);
        rc != cli::kExitOk)
        return rc;
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, a.file); rc != cli::kExitOk) return rc;
    DrawOptions o;
    o.by_club = a.has("--by-club");
    o.by_heat = a.has("--by-heat");
    Rand15 rand15;
    cli::ConsolePrompts prompts;  // "clubs could not be kept apart" goes to stderr
    draw_start_order(*c, o, rand15, prompts);
    if (int rc = cli::save_competition(*c, a.file); rc != cli::kExitOk) return rc;
    std::printf("%zu runners drawn\n", current_runners(*c).size());
    return cli::kExitOk;
}
