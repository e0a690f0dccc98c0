// skarvel-cli display start|finish FILE.wdb --out DIR [--at HH:MM:SS]
// skarvel-cli multipage FILE.wdb --out DIR [--tables]
// The pages of the finish-area screens, written once: the start or finish page of the large
// screen (as the display writes it at that clock time, default now), and the result pages
// that cycle through the classes (with the stored result settings and the default page
// settings).
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/time_text.h"
#include "periph/display_pages.h"
#include "periph/multi_screen.h"
#include "tools/cli/cli.h"

using namespace skarvel;

namespace {

// FILE --out DIR plus flags: the flags found are removed from `args`.
bool take_flag(std::vector<std::string>& args, const std::string& flag) {
    for (auto it = args.begin(); it != args.end(); ++it)
        if (*it == flag) {
            args.erase(it);
            return true;
        }
    return false;
}

// Takes "--name VALUE"; false when the option is given without a value.
bool take_option(std::vector<std::string>& args, const std::string& name, std::string& value) {
    for (auto it = args.begin(); it != args.end(); ++it)
        if (*it == name) {
            if (it + 1 == args.end()) return false;
            value = *(it + 1);
            args.erase(it, it + 2);
            return true;
        }
    return true;
}

}  // namespace

int cmd_display(const std::vector<std::string>& in) {
    const char* usage =
        "usage: skarvel-cli display start|finish FILE.wdb --out DIR [--at HH:MM:SS]";
    std::vector<std::string> args = in;
    std::string out, at;
    if (!take_option(args, "--out", out) || !take_option(args, "--at", at) || out.empty() ||
        args.size() != 2 || (args[0] != "start" && args[0] != "finish")) {
        cli::error(usage);
        return cli::kExitUsage;
    }
    int hour, minute, second;
    if (at.empty()) {
        std::time_t now = std::time(nullptr);
        std::tm local = local_calendar(now);
        hour = local.tm_hour, minute = local.tm_min, second = local.tm_sec;
    } else {
        unsigned h, m, s;
        char tail;
        if (std::sscanf(at.c_str(), "%u:%u:%u%c", &h, &m, &s, &tail) != 3 || h > 23 || m > 59 ||
            s > 59) {
            cli::error("display: --at takes a clock time HH:MM:SS");
            return cli::kExitUsage;
        }
        hour = int(h), minute = int(m), second = int(s);
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, args[1]); rc != cli::kExitOk) return rc;
    std::string page = args[0] == "start" ? start_page(*c, hour, minute, second) : finish_page(*c);
    std::string why;
    if (!write_page_file(out, kDisplayPageFile, page, &why)) {
        cli::error("display: cannot write the page: " + why);
        return cli::kExitOutput;
    }
    return cli::kExitOk;
}

int cmd_multipage(const std::vector<std::string>& in) {
    std::vector<std::string> args = in;
    std::string out;
    bool tables = take_flag(args, "--tables");
    if (!take_option(args, "--out", out) || out.empty() || args.size() != 1) {
        cli::error("usage: skarvel-cli multipage FILE.wdb --out DIR [--tables]");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, args[0]); rc != cli::kExitOk) return rc;
    cli::ConsolePrompts prompts;
    const MultiScreenKind kind = tables ? MultiScreenKind::kTables : MultiScreenKind::kLines;
    int classes = c->tables.classes.live_count();
    int written = write_multi_screen_pages(*c, MultiScreenSettings{}, kind, out, prompts);
    if (written != classes) return cli::kExitOutput;
    std::printf("%d pages written\n", written);
    return cli::kExitOk;
}
