// skarvel-cli startlist FILE.wdb --html OUT.htm
// The start protocol as an HTML page with the settings stored in the competition: the relay
// protocol for a relay competition, the individual one (by class or by course, only marked,
// card numbers, extended HTML as stored) otherwise.
#include <string>
#include <vector>

#include "results/report_output.h"
#include "start/start_list.h"
#include "tools/cli/cli.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "startlist FILE.wdb --html OUT.htm";

// Answers the save dialog with the path from the command line and remembers what the report
// said, so that a write failure becomes the exit code.
class StartListPrompts : public ConsolePrompts {
public:
    explicit StartListPrompts(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> choose_save_file(std::string_view, std::string_view) override { return path_; }
    void message(std::string_view text) override {
        messages.emplace_back(text);
        ConsolePrompts::message(text);
    }
    std::vector<std::string> messages;

private:
    std::string path_;
};

class NoShell : public ShellOpener {
public:
    void open_path(const std::string&) override {}
};

// No printer is used: the protocol is always written as HTML here.
class NoPrinter : public PrinterProvider {
public:
    std::unique_ptr<PageDevice> open_document(std::string_view, std::string& error) override {
        error = "no printer";
        return nullptr;
    }
};

}  // namespace
}  // namespace skarvel::cli

int cmd_startlist(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    std::string file, html;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--html") {
            if (i + 1 >= args.size()) return error(std::string("usage: ") + kUsage), kExitUsage;
            html = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            error("startlist: unknown option '" + a + "'");
            return kExitUsage;
        } else if (file.empty()) {
            file = a;
        } else {
            error(std::string("usage: ") + kUsage);
            return kExitUsage;
        }
    }
    if (file.empty() || html.empty()) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
    Competition c;
    if (int rc = load_competition(c, file); rc != kExitOk) return rc;

    StartListSettings s = StartListSettings::from_info(c.info);
    s.to_html = true;
    StartListPrompts prompts(html);
    NoPrinter printers;
    NoShell shell;
    ReportEnv env{prompts, printers, shell};
    if (print_start_protocol(c, s, env)) return kExitOk;
    for (const auto& m : prompts.messages)
        if (m == cannot_write_message()) {
            error("startlist: cannot write '" + html + "'");
            return kExitOutput;
        }
    if (c.info.relay) error("startlist: no runner has a start number; nothing written");
    // An individual protocol without groups has been written with its head and end; the
    // message above says why it is empty.
    return kExitOk;
}
