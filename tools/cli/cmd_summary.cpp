// skarvel-cli summary FILE.wdb --html OUT.htm [--only-marked]
// The summary table of clubs by class, as the menu command writes it.
#include <string>
#include <vector>

#include "results/multiday.h"
#include "tools/cli/cli.h"

int cmd_summary(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    constexpr const char* kUsage = "summary FILE.wdb --html OUT.htm [--only-marked]";
    std::vector<std::string> rest = args;
    bool only_marked = false;
    std::erase_if(
        rest, [&](const std::string& a) { return a == "--only-marked" && (only_marked = true); });
    ReportArgs parsed;
    if (int rc = parse_report_args(rest, "summary", kUsage, parsed); rc != kExitOk) return rc;
    if (parsed.html.empty()) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
    Competition c;
    if (int rc = load_competition(c, parsed.file); rc != kExitOk) return rc;
    PathPrompts prompts(parsed.html);
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    if (summary_table(c, env, only_marked)) return kExitOk;
    error("summary: cannot write '" + parsed.html + "'");
    return kExitOutput;
}
