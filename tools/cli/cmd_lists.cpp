// skarvel-cli lists mandate|clubs|classes|courses FILE.wdb --html OUT.htm [--only-marked]
// The credentials committee protocol and the overview lists of clubs, classes and courses, as
// the menu commands write them. --only-marked counts only marked runners in the protocol.
#include <string>
#include <vector>

#include "start/prerace_lists.h"
#include "tools/cli/cli.h"

int cmd_lists(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    constexpr const char* kUsage =
        "lists mandate|clubs|classes|courses FILE.wdb --html OUT.htm [--only-marked]";
    if (args.empty()) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
    const std::string which = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    bool only_marked = false;
    std::erase_if(
        rest, [&](const std::string& a) { return a == "--only-marked" && (only_marked = true); });
    ReportArgs parsed;
    if (int rc = parse_report_args(rest, "lists", kUsage, parsed); rc != kExitOk) return rc;
    if (parsed.html.empty()) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
    if (which != "mandate" && which != "clubs" && which != "classes" && which != "courses") {
        error("lists: unknown list '" + which + "'");
        return kExitUsage;
    }
    if (only_marked && which != "mandate") {
        error("lists: --only-marked belongs to the mandate protocol");
        return kExitUsage;
    }
    Competition c;
    if (int rc = load_competition(c, parsed.file); rc != kExitOk) return rc;
    PathPrompts prompts(parsed.html);
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    bool ok = which == "mandate"   ? print_mandate_protocol(c, only_marked, env)
              : which == "clubs"   ? print_overview_list(c, OverviewList::kClubs, env)
              : which == "classes" ? print_overview_list(c, OverviewList::kClasses, env)
                                   : print_overview_list(c, OverviewList::kCourses, env);
    if (!ok) {
        error("lists: cannot write '" + parsed.html + "'");
        return kExitOutput;
    }
    return kExitOk;
}
