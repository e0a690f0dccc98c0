// skarvel-cli start-grid FILE.wdb [--only-marked]
// The start grid of start times by corridor on standard output, as the dialog shows it
// (Windows-1251, CR LF).
#include <cstdio>
#include <string>
#include <vector>

#include "start/prerace_lists.h"
#include "tools/cli/cli.h"

int cmd_start_grid(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    std::string file;
    bool only_marked = false;
    for (const std::string& a : args) {
        if (a == "--only-marked") {
            only_marked = true;
        } else if (!a.empty() && a[0] == '-') {
            error("start-grid: unknown option '" + a + "'");
            return kExitUsage;
        } else if (file.empty()) {
            file = a;
        } else {
            error("usage: start-grid FILE.wdb [--only-marked]");
            return kExitUsage;
        }
    }
    if (file.empty()) {
        error("usage: start-grid FILE.wdb [--only-marked]");
        return kExitUsage;
    }
    Competition c;
    if (int rc = load_competition(c, file); rc != kExitOk) return rc;
    std::string grid = build_start_grid(c, only_marked);
    std::fwrite(grid.data(), 1, grid.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitOutput;
}
